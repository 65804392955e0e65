#include "screens/messaging/CCeMDenyListWnd.h"

#include "stores/CCeDataManager.h"
#include "stores/NumberRoutines.h"
#include "toolkit/CCeMToolkit.h"
#include "toolkit/CCeMMsgBox.h"

namespace {

const wchar_t kNotice[] = L"알림";
const wchar_t kError[] = L"오류";
const RECT kPageFrame = {35, 10, 200, 91};
const RECT kNameLabel = {45, 15, 95, 35};
const RECT kNumberLabel = {45, 37, 95, 57};
constexpr int kNameLeft = 9, kNameRight = 90, kNumberLeft = 95;

HBITMAP LoadPicture(UINT id)
{
    return static_cast<HBITMAP>(
        LoadImageW(CCeMToolkit::Instance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

std::wstring EditText(HWND edit, int chars)
{
    std::wstring text(static_cast<size_t>(chars), L'\0');
    const int n = GetWindowTextW(edit, &text[0], chars);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

}  // namespace

CCeMDenyListWnd::CCeMDenyListWnd(CCeDenyCallDB* store, const SettingsBlock* settings)
    : m_pStore(store), m_pSettings(settings), m_bAddPage(0)
{
}

CCeMDenyListWnd::~CCeMDenyListWnd()
{
    if (m_hWnd)
        Destroy();
}

CCeDenyCallDB& CCeMDenyListWnd::Store() const
{
    return m_pStore ? *m_pStore : g_pDataManager->m_DenyCallDB;
}

std::array<CCeMWnd*, 5> CCeMDenyListWnd::PageControls()
{
    return {&m_nameEdit, &m_numberEdit, &m_searchButton, &m_okButton, &m_cancelButton};
}

const SettingsBlock* CCeMDenyListWnd::Settings() const
{
    if (m_pSettings)
        return m_pSettings;
    return g_pDataManager ? &g_pDataManager->m_Settings : nullptr;
}

int CCeMDenyListWnd::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMItemList::OnCreate(hwnd, cs);
    // No title band; a header band over rows of 20.
    m_nBand1 = 0;
    m_nBand2 = kHeaderHeight;
    m_nRowHeight = kRowHeight;
    m_nVisible = (m_nHeight - RowsTop()) / m_nRowHeight;

    m_menu.CreatePopup();
    m_menu.Append(kAdd, L"추가", MF_STRING);
    m_menu.Append(kDelete, L"삭제", MF_STRING);

    const DWORD edit = WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
    m_nameEdit.Create(L"", edit, {100, 17, 90, 20}, hwnd, 0);
    m_numberEdit.Create(L"", edit, {100, 39, 90, 20}, hwnd, 0);
    SendMessageW(m_nameEdit.GetHwnd(), EM_LIMITTEXT, kEntryChars, 0);
    SendMessageW(m_numberEdit.GetHwnd(), EM_LIMITTEXT, kEntryChars, 0);
    // A button whose picture the program lacks draws its text instead.
    m_searchButton.Create(L"Search", WS_TABSTOP, {50, 61, 45, 25}, hwnd, kSearch);
    m_okButton.Create(L"OK", WS_TABSTOP, {100, 61, 45, 25}, hwnd, kOk);
    m_cancelButton.Create(L"Cancel", WS_TABSTOP, {150, 61, 45, 25}, hwnd, kCancel);
    m_searchButton.SetBitmap(kSearchBitmap, 2);
    m_okButton.SetBitmap(kOkBitmap, 2);
    m_cancelButton.SetBitmap(kCancelBitmap, 2);
    SendMessageW(m_nameEdit.GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    SendMessageW(m_numberEdit.GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    m_hPattern = LoadPicture(kPatternBitmap);
    if (m_hPattern)
        SetBackgroundPattern(m_hPattern, 1);
    m_picture.LoadFromResource(CCeMToolkit::Instance(), kPictureBitmap, 1);
    EnableWindow(m_searchButton.GetHwnd(), m_picker ? TRUE : FALSE);

    Store().Load();
    Refill();
    return 0;
}

int CCeMDenyListWnd::OnDestroy(HWND hwnd)
{
    Store().SetCurrent(nullptr);
    Store().ClearCache();
    m_bAddPage = 0;
    const int r = CCeMItemList::OnDestroy(hwnd);
    // The list's pattern brush is gone with the list; the bitmaps are ours.
    if (m_hPattern)
        DeleteObject(m_hPattern);
    m_hPattern = nullptr;
    m_picture.Free();
    return r;
}

void CCeMDenyListWnd::SetContactPicker(ContactPicker picker)
{
    m_picker = std::move(picker);
    if (m_searchButton.GetHwnd())
        EnableWindow(m_searchButton.GetHwnd(), m_picker ? TRUE : FALSE);
}

void CCeMDenyListWnd::Refill()
{
    const SettingsBlock* s = Settings();
    const int count = Store().ItemCount();
    if (m_nSelected >= count)
        m_nSelected = -1;
    Store().SetCurrent(m_nSelected >= 0 ? Store().ItemAt(m_nSelected) : nullptr);
    SetItemCount(count, s && s->bPrivacy == 1 ? 1 : 0);
    if (m_bAddPage)
        EnableWindow(m_scrollBar.GetHwnd(), FALSE);
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMDenyListWnd::OnSelChange(int selected, int)
{
    Store().SetCurrent(selected >= 0 && selected < Store().ItemCount() ? Store().ItemAt(selected) : nullptr);
}

int CCeMDenyListWnd::OnTapAndHold(int x, int y)
{
    if (m_bAddPage || !CCeMItemList::OnTapAndHold(x, y))
        return 0;
    const bool current = Store().Current() != nullptr;
    m_menu.Enable(kAdd, MF_BYCOMMAND | (current ? MF_GRAYED : MF_ENABLED));
    m_menu.Enable(kDelete, MF_BYCOMMAND | (current ? MF_ENABLED : MF_GRAYED));
    POINT at = {x, y};
    ClientToScreen(m_hWnd, &at);
    const int cmd = m_menu.Track(TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, at.x, at.y, m_hWnd, nullptr);
    if (cmd)
        OnCommand(0, cmd, nullptr);
    return 1;
}

int CCeMDenyListWnd::OnLButtonDown(WPARAM keys, int x, int y)
{
    // The add page covers the rows: taps there must not change the entry
    // the page was filled from.
    if (m_bAddPage)
        return 0;
    return CCeMItemList::OnLButtonDown(keys, x, y);
}

bool CCeMDenyListWnd::Refused()
{
    const SettingsBlock* s = Settings();
    if (s && s->bPrivacy == 1) {
        CCeMMsgBox::Show(m_hWnd, L"사생활 보호중입니다.", kNotice, CCeMDialog::kLayoutOneButton, 0);
        return true;
    }
    if (s && s->bPhoneLocked == 1) {
        CCeMMsgBox::Show(m_hWnd, L"휴대폰이 잠겨 있습니다.\r\n\r\n잠금을 해제 하십시오.", kNotice,
                         CCeMDialog::kLayoutOneButton, 0);
        return true;
    }
    return false;
}

void CCeMDenyListWnd::ShowAddPage(int show)
{
    show = show ? 1 : 0;
    if (show == m_bAddPage || !m_hWnd)
        return;
    m_bAddPage = show;
    EnableWindow(m_scrollBar.GetHwnd(), show ? FALSE : TRUE);
    if (show) {
        const DenyItem* item = Store().Current();
        SetWindowTextW(m_nameEdit.GetHwnd(), item && item->pszName ? item->pszName : L"");
        SetWindowTextW(m_numberEdit.GetHwnd(), item && item->pszNumber ? item->pszNumber : L"");
    }
    for (CCeMWnd* w : PageControls())
        ShowWindow(w->GetHwnd(), show ? SW_SHOW : SW_HIDE);
    InvalidateRect(m_hWnd, nullptr, FALSE);
    if (show)
        SetFocus(m_nameEdit.GetHwnd());
    else
        SetFocus(m_hWnd);
}

void CCeMDenyListWnd::AddFromPage()
{
    const std::wstring name = EditText(m_nameEdit.GetHwnd(), kReadChars);
    const std::wstring number = EditText(m_numberEdit.GetHwnd(), kReadChars);
    WCHAR dial[kNumberChars];
    // A number without a single dial character would reject nobody.
    if (name.empty() || number.empty() || KeepDialChars(number.c_str(), dial, kNumberChars) == 0) {
        CCeMMsgBox::Show(m_hWnd, L"정보를 올바로 기입해주십시오.", kError, CCeMDialog::kLayoutOneButton, 0);
        return;
    }
    CCeDenyCallDB& store = Store();
    if (!store.Add(name.c_str(), number.c_str())) {
        bool listed = false;
        for (int i = 0; i < store.ItemCount() && !listed; ++i)
            listed = SameNumber(store.ItemAt(i)->pszNumber, number.c_str());
        if (!listed) {
            // Not written: keep the page and what was typed.
            CCeMMsgBox::Show(m_hWnd, L"저장하지 못했습니다.", kError, CCeMDialog::kLayoutOneButton, 0);
            return;
        }
    }
    ShowAddPage(0);
    Refill();
}

void CCeMDenyListWnd::DeleteSelected()
{
    if (!Store().Current())
        return;
    if (CCeMMsgBox::Show(m_hWnd, L"삭제 하시겠습니까 ?", kNotice, CCeMDialog::kLayoutTwoButtons, 0) != 1)
        return;
    if (!Store().DeleteCurrent()) {
        CCeMMsgBox::Show(m_hWnd, L"삭제하지 못했습니다.", kError, CCeMDialog::kLayoutOneButton, 0);
        return;
    }
    m_nSelected = -1;
    Refill();
}

void CCeMDenyListWnd::Search()
{
    if (!m_picker)
        return;
    std::wstring name, mobile;
    if (m_picker(m_hWnd, &name, &mobile) != 1)
        return;
    SetWindowTextW(m_nameEdit.GetHwnd(), name.substr(0, kEntryChars).c_str());
    SetWindowTextW(m_numberEdit.GetHwnd(), mobile.substr(0, kEntryChars).c_str());
}

int CCeMDenyListWnd::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kAdd:
    case kAddButton:
        if (!Refused())
            ShowAddPage(1);
        return 0;
    case kDelete:
        if (!Refused() && !m_bAddPage)
            DeleteSelected();
        return 0;
    case kOk:
        if (m_bAddPage)
            AddFromPage();
        return 0;
    case kCancel:
        ShowAddPage(0);
        return 0;
    case kSearch:
        if (m_bAddPage)
            Search();
        return 0;
    default:
        return CCeMItemList::OnCommand(code, id, control);
    }
}

void CCeMDenyListWnd::DrawItems(HDC dc, const RECT& full)
{
    CCeDenyCallDB& store = Store();
    const int count = store.ItemCount();
    store.SetCurrent(m_nSelected >= 0 && m_nSelected < count ? store.ItemAt(m_nSelected) : nullptr);

    RECT header = {0, 0, full.right, RowsTop()};
    FillRect(dc, &header, m_bFocus ? HeaderBrush() : static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    SetTextColor(dc, RGB(255, 255, 255));
    RECT nameHead = {kNameLeft, 0, kNameRight, RowsTop()};
    RECT numberHead = {kNumberLeft, 0, full.right, RowsTop()};
    DrawTextW(dc, L"이름", -1, &nameHead, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    DrawTextW(dc, L"전화번호", -1, &numberHead, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(dc, RGB(0, 0, 0));

    // Under the rows, or it would hide their texts; the add page covers it.
    if (!m_bAddPage)
        DrawPicture(dc);
    const SettingsBlock* s = Settings();
    if (s && s->bPrivacy == 1) {
        RECT body = {0, RowsTop(), full.right, full.bottom};
        DrawTextW(dc, L"사생활 보호중", -1, &body, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
        const int right = full.right - (IsScrollBarVisible() ? kScrollBarWidth : 0);
        for (int r = m_nTop; r < count && r <= m_nTop + m_nVisible; ++r) {
            RECT row = RowRect(r);
            row.right = right;
            if (r == m_nSelected)
                FillRect(dc, &row, m_hSelection);
            const DenyItem* item = store.ItemAt(r);
            RECT name = {kNameLeft, row.top, kNameRight, row.bottom};
            RECT number = {kNumberLeft, row.top, right, row.bottom};
            DrawTextW(dc, item->pszName ? item->pszName : L"", -1, &name,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
            DrawTextW(dc, item->pszNumber ? item->pszNumber : L"", -1, &number,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
    }
    if (m_bAddPage)
        DrawAddPage(dc);
}

void CCeMDenyListWnd::DrawAddPage(HDC dc)
{
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(2, 85, 220));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    RoundRect(dc, kPageFrame.left, kPageFrame.top, kPageFrame.right, kPageFrame.bottom, 10, 10);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    RECT name = kNameLabel, number = kNumberLabel;
    DrawTextW(dc, L"이름", -1, &name, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    DrawTextW(dc, L"전화번호", -1, &number, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void CCeMDenyListWnd::DrawPicture(HDC dc)
{
    if (!m_picture.Handle())
        return;
    // The bottom right corner, clear of the scroll bar.
    const int x = m_nWidth - kScrollBarWidth - m_picture.Width() - 4;
    const int y = m_nHeight - m_picture.Height() - 4;
    if (y < RowsTop())
        return;
    HDC mem = CreateCompatibleDC(dc);
    m_picture.DrawAt(dc, mem, x, y);
    DeleteDC(mem);
}
