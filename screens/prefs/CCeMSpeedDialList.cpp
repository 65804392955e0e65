#include "CCeMSpeedDialList.h"

#include <cwchar>

#include "ScreenFrame.h"
#include "resources/prefs_res.h"
#include "stores/CCeDataManager.h"
#include "stores/NumberRoutines.h"
#include "toolkit/CCeMMsgBox.h"

namespace {

constexpr int kSlotLeft = 9, kNameLeft = 40, kNumberLeft = 130;
constexpr RECT kEditorRect = {35, 10, 200, 111};

CCeEasyCallDB& Store() { return g_pDataManager->m_EasyCallDB; }
bool Privacy() { return g_pDataManager->m_Settings.bPrivacy == 1; }

void Text(HDC dc, LPCWSTR text, int left, int top, int right, int bottom, UINT align = DT_LEFT)
{
    RECT rc = {left, top, right, bottom};
    DrawTextW(dc, text, -1, &rc, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

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
    : m_hPicture(nullptr), m_hPattern(nullptr), m_bEditing(0), m_hFont(prefs::CreateControlFont())
{
}

CCeMSpeedDialList::~CCeMSpeedDialList()
{
    if (m_hWnd)
        Destroy();
    prefs::DeleteAll<HFONT>({&m_hFont});
}

int CCeMSpeedDialList::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMItemList::OnCreate(hwnd, cs);
    m_hPattern = prefs::LoadPicture(IDB_LIST_PATTERN);
    if (m_hPattern)
        SetBackgroundPattern(m_hPattern, 1);
    m_hPicture = prefs::LoadPicture(IDB_SPEEDDIAL_PICTURE);
    m_nBand1 = 0;
    m_nBand2 = 20;
    m_nVisible = (m_nHeight - RowsTop()) / kRowHeight;

    m_menu.CreatePopup();
    m_menu.Append(kAdd, L"추가", MF_STRING);
    m_menu.Append(kChange, L"수정", MF_STRING);
    m_menu.Append(kDelete, L"삭제", MF_STRING);

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
    m_okButton.Create(L"", 0, {100, 81, 45, 25}, hwnd, kOk);
    m_okButton.SetBitmap(CCeMMsgBox::kOkBitmapId, 2);
    m_cancelButton.Create(L"", 0, {150, 81, 45, 25}, hwnd, kCancel);
    m_cancelButton.SetBitmap(CCeMMsgBox::kCancelBitmapId, 2);

    Store().Load();
    SetItemCount(-1, 0);
    return 0;
}

int CCeMSpeedDialList::OnDestroy(HWND hwnd)
{
    if (m_hPicture)
        DeleteObject(m_hPicture);
    m_hPicture = nullptr;
    m_menu.DestroyMenu();
    Store().SetCurrent(nullptr);
    const int r = CCeMItemList::OnDestroy(hwnd);
    // The list's pattern brush is gone with the list; the bitmap is ours.
    if (m_hPattern)
        DeleteObject(m_hPattern);
    m_hPattern = nullptr;
    return r;
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

void CCeMSpeedDialList::SetItemCount(int, int hideScrollBar)
{
    // All hundred slots are rows, so the last one (99) can be chosen too.
    if (hideScrollBar != 1 && !Privacy())
        CCeMItemList::SetItemCount(kSlots, 0);
    else
        CCeMItemList::SetItemCount(0, 1);
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

SpeedDialItem* CCeMSpeedDialList::SyncCurrent()
{
    SpeedDialItem* item = m_nSelected >= 0 ? ItemOfSlot(m_nSelected) : nullptr;
    Store().SetCurrent(item);
    return item;
}

void CCeMSpeedDialList::OnSelChange(int, int) { SyncCurrent(); }

void CCeMSpeedDialList::DrawItems(HDC dc, const RECT& full)
{
    // The picture lies under the rows, or it would hide the numbers.
    if (!m_bEditing)
        prefs::DrawPicture(dc, m_hPicture, m_nWidth - 115, m_nHeight - 108);
    if (Privacy()) {
        RECT rc = full;
        DrawTextW(dc, L"사생활 보호중", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    const int right = m_nWidth - kScrollBarWidth;
    SetTextColor(dc, RGB(0, 0, 0));
    for (int row = 0; row <= m_nVisible; ++row) {
        const int s = m_nTop + row;
        if (s >= kSlots)
            break;
        const int y = RowsTop() + row * kRowHeight;
        SpeedDialItem* item = ItemOfSlot(s);
        if (s == m_nSelected) {
            RECT rc = {0, y, right, y + kRowHeight};
            FillRect(dc, &rc, m_hSelection);
            if (m_bFocus)
                DrawFocusRect(dc, &rc);
            Store().SetCurrent(item);
        }
        wchar_t slot[8];
        swprintf(slot, 8, L"%3d", s);
        Text(dc, slot, kSlotLeft, y, kNameLeft, y + kRowHeight);
        if (item) {
            Text(dc, item->pszName, kNameLeft, y, kNumberLeft - 2, y + kRowHeight);
            Text(dc, item->pszNumber, kNumberLeft, y, right, y + kRowHeight);
        }
    }
    if (m_bEditing) {
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
        RoundRect(dc, kEditorRect.left, kEditorRect.top, kEditorRect.right, kEditorRect.bottom, 10, 10);
        SelectObject(dc, oldBrush);
        Text(dc, L"단축번호", 45, 15, 95, 35);
        Text(dc, L"이름", 45, 37, 95, 57);
        Text(dc, L"전화번호", 45, 59, 95, 79);
    }
}

void CCeMSpeedDialList::DrawFrame(HDC dc)
{
    static const prefs::HeaderColumn kColumns[] = {
        {L"번호", 0, kNameLeft}, {L"이름", kNameLeft, kNumberLeft}, {L"전화번호", kNumberLeft, -1}};
    prefs::DrawHeaderBand(dc, m_nWidth, m_bFocus != 0, HeaderBrush(), kColumns, 3);
}

int CCeMSpeedDialList::OnTapAndHold(int x, int y)
{
    if (m_bEditing)
        return 0;
    if (!CCeMItemList::OnTapAndHold(x, y))
        return 0;
    const bool has = SyncCurrent() != nullptr;
    m_menu.Enable(kAdd, MF_BYCOMMAND | (has ? MF_GRAYED : MF_ENABLED));
    m_menu.Enable(kChange, MF_BYCOMMAND | (has ? MF_ENABLED : MF_GRAYED));
    m_menu.Enable(kDelete, MF_BYCOMMAND | (has ? MF_ENABLED : MF_GRAYED));
    prefs::TrackMenuAt(m_hWnd, m_menu.Handle(), x, y);
    return 1;
}

int CCeMSpeedDialList::OnLButtonDown(WPARAM keys, int x, int y)
{
    return m_bEditing ? -1 : CCeMItemList::OnLButtonDown(keys, x, y);
}

int CCeMSpeedDialList::OnLButtonDblClk(WPARAM keys, int x, int y)
{
    return m_bEditing ? -1 : CCeMItemList::OnLButtonDblClk(keys, x, y);
}

bool CCeMSpeedDialList::DeleteWithQuestion()
{
    if (!SyncCurrent())
        return false;
    if (!prefs::Confirm(m_hWnd, L"삭제 하시겠습니까 ?", L"알림") || m_bEditing)
        return false;
    // The box ran its own message loop: the selection may be another now.
    if (!SyncCurrent() || !Store().DeleteCurrent())
        return false;
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
    return true;
}

int CCeMSpeedDialList::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kAdd:
    case kChange:
        // A hold below the rows chose no slot to edit.
        if (prefs::PassGuards(m_hWnd) && m_nSelected >= 0)
            SetEditing(1);
        return 0;
    case kDelete:
        if (prefs::PassGuards(m_hWnd))
            DeleteWithQuestion();
        return 0;
    case kOk:
        SaveEditor();
        return 0;
    case kCancel:
        SetEditing(0);
        return 0;
    case kSearch:
        RunSearch();
        return 0;
    default:
        return CCeMItemList::OnCommand(code, id, control);
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

void CCeMSpeedDialList::SetEditing(int on)
{
    on = on ? 1 : 0;
    if (on == m_bEditing)
        return;
    m_bEditing = on;
    EnableWindow(m_scrollBar.GetHwnd(), on ? FALSE : TRUE);
    if (on) {
        const SpeedDialItem* item = SyncCurrent();
        wchar_t slot[12];
        swprintf(slot, 12, L"%d", item ? item->nSlot : m_nSelected);
        SetWindowTextW(m_slotEdit.GetHwnd(), slot);
        SetWindowTextW(m_nameEdit.GetHwnd(), item ? item->pszName : L"");
        SetWindowTextW(m_numberEdit.GetHwnd(), item ? item->pszNumber : L"");
    }
    const int show = on ? SW_SHOW : SW_HIDE;
    for (CCeMWnd* w : {static_cast<CCeMWnd*>(&m_slotEdit), static_cast<CCeMWnd*>(&m_nameEdit),
                       static_cast<CCeMWnd*>(&m_numberEdit), static_cast<CCeMWnd*>(&m_searchButton),
                       static_cast<CCeMWnd*>(&m_okButton), static_cast<CCeMWnd*>(&m_cancelButton)})
        ShowWindow(w->GetHwnd(), show);
    if (on)
        SetFocus(m_nameEdit.GetHwnd());
    else
        SetFocus(m_hWnd);
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
}
