#include "CCeMSpeedDialList.h"

#include <cwchar>

#include "ScreenFrame.h"
#include "resources/prefs_res.h"
#include "stores/CCeDataManager.h"
#include "stores/NumberRoutines.h"
#include "toolkit/CCeMMsgBox.h"

namespace {

constexpr int kSlotLeft = 9, kNameLeft = 40, kNumberLeft = 130;

CCeEasyCallDB& Store() { return g_pDataManager->m_EasyCallDB; }
std::wstring WindowText(HWND hwnd)
{
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(hwnd, &s[0], n + 1);
    s.resize(wcslen(s.c_str()));
    return s;
}

}  // namespace

CCeMSpeedDialList::CCeMSpeedDialList()
    : CCeMEditorList(IDB_SPEEDDIAL_PICTURE, {115, 108}, {100, 81}, {150, 81})
{
}

CCeMSpeedDialList::~CCeMSpeedDialList()
{
    if (m_hWnd)
        Destroy();
}

int CCeMSpeedDialList::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMEditorList::OnCreate(hwnd, cs);
    Menu().Append(kAdd, L"추가", MF_STRING);
    Menu().Append(kChange, L"수정", MF_STRING);
    Menu().Append(kDelete, L"삭제", MF_STRING);

    const DWORD field = WS_BORDER | ES_AUTOHSCROLL;
    m_slotEdit.Create(L"", field | ES_READONLY, {100, 15, 40, 20}, hwnd, kSlotField);
    m_nameEdit.Create(L"", field, {100, 37, 90, 20}, hwnd, kNameField);
    m_numberEdit.Create(L"", field, {100, 59, 90, 20}, hwnd, kNumberField);
    prefs::SetFont(m_hFont, {m_slotEdit.GetHwnd(), m_nameEdit.GetHwnd(), m_numberEdit.GetHwnd()});
    SendMessageW(m_nameEdit.GetHwnd(), EM_LIMITTEXT, kNameChars, 0);
    // One more than the store keeps, so an over-long number (from a contact)
    // is refused at OK instead of being cut unseen.
    SendMessageW(m_numberEdit.GetHwnd(), EM_LIMITTEXT, kNumberChars + 1, 0);
    m_searchButton.Create(L"", 0, {50, 81, 45, 25}, hwnd, kSearch);
    m_searchButton.SetBitmap(IDB_EDITOR_SEARCH, 2);

    Store().Load();
    SetItemCount(-1, 0);
    return 0;
}

HWND CCeMSpeedDialList::FieldWindow(int field) const
{
    switch (field) {
    case kSlotField: return m_slotEdit.GetHwnd();
    case kNameField: return m_nameEdit.GetHwnd();
    case kNumberField: return m_numberEdit.GetHwnd();
    default: return nullptr;
    }
}

SpeedDialItem* CCeMSpeedDialList::ItemOfSlot(int slot) const
{
    const CCeEasyCallDB& db = Store();
    for (int i = 0; i < db.ItemCount(); ++i) {
        SpeedDialItem* item = db.ItemAt(i);
        if (item->nSlot == slot)
            return item;
        if (item->nSlot > slot)
            break;
    }
    return nullptr;
}

SpeedDialItem* CCeMSpeedDialList::SelectedItem()
{
    SpeedDialItem* item = m_nSelected >= 0 ? ItemOfSlot(m_nSelected) : nullptr;
    Store().SetCurrent(item);
    return item;
}

int CCeMSpeedDialList::DeleteCurrentEntry() { return Store().DeleteCurrent(); }

void CCeMSpeedDialList::DrawRows(HDC dc, int right)
{
    for (int row = 0; row <= m_nVisible; ++row) {
        const int s = m_nTop + row;
        if (s >= kSlots)
            break;
        const int y = RowsTop() + row * kRowHeight;
        SpeedDialItem* item = ItemOfSlot(s);
        if (s == m_nSelected) {
            DrawSelection(dc, y, right);
            Store().SetCurrent(item);
        }
        wchar_t slot[8];
        swprintf(slot, 8, L"%3d", s);
        Label(dc, slot, kSlotLeft, y, kNameLeft, y + kRowHeight);
        if (item) {
            Label(dc, item->pszName, kNameLeft, y, kNumberLeft - 2, y + kRowHeight);
            Label(dc, item->pszNumber, kNumberLeft, y, right, y + kRowHeight);
        }
    }
}

void CCeMSpeedDialList::DrawEditorLabels(HDC dc)
{
    Label(dc, L"단축번호", 45, 15, 95, 35);
    Label(dc, L"이름", 45, 37, 95, 57);
    Label(dc, L"전화번호", 45, 59, 95, 79);
}

void CCeMSpeedDialList::DrawFrame(HDC dc)
{
    static const prefs::HeaderColumn kColumns[] = {
        {L"번호", 0, kNameLeft}, {L"이름", kNameLeft, kNumberLeft}, {L"전화번호", kNumberLeft, -1}};
    prefs::DrawHeaderBand(dc, m_nWidth, m_bFocus != 0, HeaderBrush(), kColumns, 3);
}

int CCeMSpeedDialList::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kOk:
        SaveEditor();
        return 0;
    case kSearch:
        RunSearch();
        return 0;
    default:
        return CCeMEditorList::OnCommand(code, id, control);
    }
}

void CCeMSpeedDialList::SaveEditor()
{
    wchar_t slot[5] = {};
    GetWindowTextW(m_slotEdit.GetHwnd(), slot, 5);
    const std::wstring name = WindowText(m_nameEdit.GetHwnd());
    const std::wstring number = WindowText(m_numberEdit.GetHwnd());
    // A number the store cannot keep whole, or one without a digit to
    // dial, is no better than an empty one.
    if (!slot[0] || name.empty() || number.empty() || name.size() > static_cast<size_t>(kNameChars) ||
        number.size() > static_cast<size_t>(kNumberChars) || !HasDialChar(number.c_str())) {
        prefs::Notice(m_hWnd, L"정보를 올바로 기입해주십시오.", L"오류");
        return;
    }
    if (!Store().Set(name.c_str(), number.c_str(), _wtoi(slot))) {
        prefs::Notice(m_hWnd, L"저장하지 못했습니다.", L"오류");
        return;
    }
    SetEditing(0);
}

void CCeMSpeedDialList::RunSearch()
{
    std::wstring name, number;
    if (!m_picker || !m_picker(name, number))
        return;
    SetWindowTextW(m_nameEdit.GetHwnd(), name.c_str());
    SetWindowTextW(m_numberEdit.GetHwnd(), number.c_str());
}

void CCeMSpeedDialList::ShowEditor(bool show)
{
    if (show) {
        const SpeedDialItem* item = SelectedItem();
        wchar_t slot[12];
        swprintf(slot, 12, L"%d", item ? item->nSlot : m_nSelected);
        SetWindowTextW(m_slotEdit.GetHwnd(), slot);
        SetWindowTextW(m_nameEdit.GetHwnd(), item ? item->pszName : L"");
        SetWindowTextW(m_numberEdit.GetHwnd(), item ? item->pszNumber : L"");
    }
    for (CCeMWnd* w : {static_cast<CCeMWnd*>(&m_slotEdit), static_cast<CCeMWnd*>(&m_nameEdit),
                       static_cast<CCeMWnd*>(&m_numberEdit), static_cast<CCeMWnd*>(&m_searchButton)})
        ShowWindow(w->GetHwnd(), show ? SW_SHOW : SW_HIDE);
    if (show)
        SetFocus(m_nameEdit.GetHwnd());
}
