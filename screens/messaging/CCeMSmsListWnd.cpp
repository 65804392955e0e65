#include "screens/messaging/CCeMSmsListWnd.h"

#include <algorithm>

#include "screens/messaging/SmsViewText.h"
#include "stores/StoreText.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/ToolkitMessages.h"

namespace {

constexpr int kIconWidth = 25;
constexpr int kIconHeight = 11;
constexpr int kIconCount = 9;
constexpr COLORREF kIconTransparent = RGB(255, 0, 255);
constexpr int kSnippetLeft = 29;
constexpr int kPartyLeft = 132;
const wchar_t kNotice[] = L"알림";
const wchar_t* const kToolLabels[CCeMSmsListWnd::kToolCount] = {L"전화", L"답장", L"저장", L"등록",
                                                               L"삭제", L"전달", L"◀",   L"▶"};
const char kVoiceMailNumber[] = "*89";

void Text(HDC dc, const std::wstring& text, RECT rc, COLORREF ink, UINT flags)
{
    SetTextColor(dc, ink);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags | DT_NOPREFIX);
}

}  // namespace

CCeMSmsListWnd::CCeMSmsListWnd(CCeDataManager& data) : m_data(data) {}

CCeMSmsListWnd::~CCeMSmsListWnd()
{
    if (m_hWnd)
        Destroy();
}

int CCeMSmsListWnd::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMItemList::OnCreate(hwnd, cs);
    // Rows from the top: the message window draws the title above the list.
    m_nBand1 = m_nBand2 = 0;
    m_nVisible = std::min(m_nHeight / m_nRowHeight, kMaxRows - 1);
    MoveWindow(m_scrollBar.GetHwnd(), m_nWidth - kScrollBarWidth, 0, kScrollBarWidth, m_nHeight, FALSE);
    ShowWindow(m_scrollBar.GetHwnd(), SW_HIDE);

    m_hTextFont = CreateFontW(15, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Courier New");
    m_hSmallFont = CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH, L"Tahoma");
    const int textTop = kHeaderLines * kHeaderLineHeight + 3;
    m_text.Create(L"", WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                  {1, textTop, m_nWidth - 2, m_nHeight - textTop - kToolbarHeight - 1}, hwnd, kTextBoxId);
    SendMessageW(m_text.GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hTextFont), FALSE);
    const int cell = m_nWidth / kToolCount;
    for (int i = 0; i < kToolCount; ++i) {
        m_tools[i].Create(kToolLabels[i], BS_PUSHBUTTON,
                          {i * cell, m_nHeight - kToolbarHeight, i == kToolCount - 1 ? m_nWidth - i * cell : cell,
                           kToolbarHeight},
                          hwnd, kToolFirstId + i);
        SendMessageW(m_tools[i].GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hSmallFont), FALSE);
    }

    m_hMenu = CreatePopupMenu();
    AppendMenuW(m_hMenu, MF_STRING, kReply, L"답장하기");
    AppendMenuW(m_hMenu, MF_STRING, kCall, L"전화걸기");
    AppendMenuW(m_hMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(m_hMenu, MF_STRING, kDelete, L"삭제하기");
    AppendMenuW(m_hMenu, MF_STRING, kDeleteAll, L"모두삭제");
    m_hVoiceMenu = CreatePopupMenu();
    AppendMenuW(m_hVoiceMenu, MF_STRING, kVoiceMail, L"음성확인");
    AppendMenuW(m_hVoiceMenu, MF_STRING, kCall, L"전화걸기");
    AppendMenuW(m_hVoiceMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(m_hVoiceMenu, MF_STRING, kDelete, L"삭제하기");
    AppendMenuW(m_hVoiceMenu, MF_STRING, kDeleteAll, L"모두삭제");
    MakeIcons();
    return 0;
}

int CCeMSmsListWnd::OnDestroy(HWND hwnd)
{
    for (HMENU* menu : {&m_hMenu, &m_hVoiceMenu}) {
        if (*menu)
            DestroyMenu(*menu);
        *menu = nullptr;
    }
    for (HGDIOBJ* obj : {reinterpret_cast<HGDIOBJ*>(&m_hTextFont), reinterpret_cast<HGDIOBJ*>(&m_hSmallFont),
                         reinterpret_cast<HGDIOBJ*>(&m_hIcons)}) {
        if (*obj)
            DeleteObject(*obj);
        *obj = nullptr;
    }
    m_nRows = 0;
    return CCeMItemList::OnDestroy(hwnd);
}

// The strip of state icons: text messages unread, read, sent, failed and
// pending; voice-mail notices unread and read; pages unread and read.
void CCeMSmsListWnd::MakeIcons()
{
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    m_hIcons = CreateCompatibleBitmap(screen, kIconWidth * kIconCount, kIconHeight);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(mem, m_hIcons);
    RECT all = {0, 0, kIconWidth * kIconCount, kIconHeight};
    HBRUSH back = CreateSolidBrush(kIconTransparent);
    FillRect(mem, &all, back);
    DeleteObject(back);
    const COLORREF inks[kIconCount] = {RGB(0, 0, 255),   RGB(140, 140, 140), RGB(0, 150, 60),
                                       RGB(230, 0, 0),   RGB(240, 150, 0),   RGB(0, 0, 255),
                                       RGB(140, 140, 140), RGB(0, 0, 255),   RGB(140, 140, 140)};
    for (int i = 0; i < kIconCount; ++i) {
        const int x = i * kIconWidth + 1;
        HPEN pen = CreatePen(PS_SOLID, 1, inks[i]);
        HGDIOBJ oldPen = SelectObject(mem, pen);
        const bool unread = i == 0 || i == 5 || i == 7;
        HBRUSH fill = unread ? CreateSolidBrush(RGB(200, 220, 255)) : nullptr;
        HGDIOBJ oldBrush = SelectObject(mem, fill ? fill : GetStockObject(WHITE_BRUSH));
        if (i < 5) {  // an envelope
            Rectangle(mem, x, 1, x + 15, 11);
            MoveToEx(mem, x, 1, nullptr);
            LineTo(mem, x + 7, 6);
            LineTo(mem, x + 15, 0);
        } else if (i < 7) {  // a speaker
            Rectangle(mem, x, 3, x + 5, 8);
            const POINT cone[4] = {{x + 4, 3}, {x + 9, 0}, {x + 9, 10}, {x + 4, 7}};
            Polygon(mem, cone, 4);
        } else {  // a pager
            Rectangle(mem, x, 1, x + 15, 10);
            Rectangle(mem, x + 2, 3, x + 13, 6);
        }
        if (i == 3) {  // failed: a cross beside it
            MoveToEx(mem, x + 17, 2, nullptr);
            LineTo(mem, x + 23, 9);
            MoveToEx(mem, x + 22, 2, nullptr);
            LineTo(mem, x + 16, 9);
        } else if (i == 2) {  // sent: an arrow out
            MoveToEx(mem, x + 16, 5, nullptr);
            LineTo(mem, x + 22, 5);
            LineTo(mem, x + 19, 2);
        }
        SelectObject(mem, oldBrush);
        SelectObject(mem, oldPen);
        DeleteObject(pen);
        if (fill)
            DeleteObject(fill);
    }
    SelectObject(mem, old);
    DeleteDC(mem);
}

int CCeMSmsListWnd::IconIndex(const SmsItem& item)
{
    const bool unread = item.nState == kSmsUnread;
    if (item.nState & kSmsReceivedBit) {
        if (item.nTeleservice == kTeleserviceText)
            return unread ? 0 : 1;
        if (item.nTeleservice == kTeleservicePaging)
            return unread ? 7 : 8;
        return unread ? 5 : 6;
    }
    return item.nState == kSmsSent ? 2 : item.nState == kSmsSendFailed ? 3 : 4;
}

COLORREF CCeMSmsListWnd::RowInk(const SmsItem& item)
{
    if (item.nState == kSmsUnread)
        return kUnreadInk;
    if (item.nState == kSmsSendFailed)
        return kFailedInk;
    return RGB(0, 0, 0);
}

HWND CCeMSmsListWnd::MainWindow() const
{
    return GetParent(GetParent(m_hWnd));
}

void CCeMSmsListWnd::Notify(int code)
{
    if (HWND screen = GetParent(m_hWnd))
        SendMessageW(screen, WM_CHILDNOTIFY, code, reinterpret_cast<LPARAM>(m_hWnd));
}

// --- rows ----------------------------------------------------------------------

void CCeMSmsListWnd::FillRows()
{
    m_nRows = 0;
    if (Private())
        return;
    CCeSmsDB& store = Store();
    for (int i = 0; i < kMaxRows && i <= m_nVisible && m_nTop + i < m_nCount; ++i) {
        SmsItem* item = store.Nth(m_nTab, m_nTop + i);
        if (!item)
            break;
        m_pRows[m_nRows++] = item;
    }
}

void CCeMSmsListWnd::Refresh()
{
    CCeSmsDB& store = Store();
    const int count = Private() ? 0 : store.Count(m_nTab);
    // Messages that arrived in front move the current one down: follow it.
    if (SmsItem* current = store.Current()) {
        if (store.Nth(m_nTab, m_nSelected) != current) {
            m_nSelected = -1;
            for (int i = 0; i < count; ++i)
                if (store.Nth(m_nTab, i) == current) {
                    m_nSelected = i;
                    break;
                }
            if (m_nSelected < 0)
                store.SetCurrent(nullptr);
        }
    } else {
        m_nSelected = -1;
    }
    if (m_nSelected >= count)
        m_nSelected = -1;
    SetItemCount(count, Private() ? 1 : 0);
    if (m_nTop > m_nLargestTop)
        m_nTop = m_nLargestTop;
    if (m_nTop < 0)
        m_nTop = 0;
    if (m_bReader) {
        // A message that arrived moves the one being read: its neighbours too.
        ShowWindow(m_scrollBar.GetHwnd(), SW_HIDE);
        UpdateTools();
    }
    FillRows();
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMSmsListWnd::SetTab(int tab)
{
    CloseReader();
    m_nTab = tab >= 0 && tab <= 3 ? tab : 0;
    m_nTop = 0;
    m_nSelected = -1;
    Store().SetCurrent(nullptr);
    m_scrollBar.SetPos(0, TRUE);
    Refresh();
}

void CCeMSmsListWnd::OnScroll()
{
    FillRows();
}

void CCeMSmsListWnd::SelectIndex(int index)
{
    m_nSelected = index;
    Store().SetCurrent(index >= 0 ? Store().Nth(m_nTab, index) : nullptr);
    // Keep the selected row among the shown ones behind the reader.
    if (index >= 0 && index < m_nTop)
        m_nTop = index;
    else if (index >= m_nTop + m_nVisible)
        m_nTop = std::min(index - m_nVisible + 1, std::max(m_nLargestTop, 0));
    m_scrollBar.SetPos(m_nTop, TRUE);
}

void CCeMSmsListWnd::OnSelChange(int selected, int)
{
    if (m_bReader || Private())
        return;
    SelectIndex(selected);
}

int CCeMSmsListWnd::OnLButtonDown(WPARAM keys, int x, int y)
{
    if (m_bReader || Private()) {
        SetFocus(m_hWnd);
        return 0;
    }
    // A tap on the row already selected opens the reader as well.
    const bool again = y >= 0 && m_nSelected >= 0 && m_nTop + y / m_nRowHeight == m_nSelected;
    m_bHeld = 0;
    CCeMItemList::OnLButtonDown(keys, x, y);
    if (again && !m_bHeld)
        m_bClickPending = 1;
    return 0;
}

void CCeMSmsListWnd::OnItemClick(int selected, int)
{
    if (!m_bReader && selected >= 0 && Store().Current())
        OpenReader();
}

int CCeMSmsListWnd::OnTapAndHold(int x, int y)
{
    if (!CCeMItemList::OnTapAndHold(x, y))
        return 0;
    m_bHeld = 1;
    const SmsItem* current = Store().Current();
    if (m_bReader || Private() || !current || m_nTop + y / m_nRowHeight != m_nSelected)
        return 1;
    POINT pt = {x, y};
    ClientToScreen(m_hWnd, &pt);
    const HMENU menu = current->nTeleservice == kTeleserviceVoiceMail ? m_hVoiceMenu : m_hMenu;
    const int command =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, m_hWnd, nullptr);
    RunCommand(command);
    return 1;
}

// --- drawing -------------------------------------------------------------------

void CCeMSmsListWnd::DrawRow(HDC dc, int row, const SmsItem& item)
{
    RECT rc = RowRect(row);
    const int right = m_nWidth - (IsScrollBarVisible() ? kScrollBarWidth : 0);
    rc.right = right;
    if (row == m_nSelected) {
        FillRect(dc, &rc, m_hSelection);
        if (m_bFocus)
            DrawFocusRect(dc, &rc);
        Store().SetCurrent(const_cast<SmsItem*>(&item));
    }
    if (m_hIcons) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, m_hIcons);
        TransparentBlt(dc, 2, rc.top + 2, kIconWidth, kIconHeight, mem, IconIndex(item) * kIconWidth, 0, kIconWidth,
                       kIconHeight, kIconTransparent);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    const COLORREF ink = RowInk(item);
    const UINT flags = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    Text(dc, SmsViewText::RowSnippet(SmsViewText::Body(item)), {kSnippetLeft, rc.top, kPartyLeft - 2, rc.bottom},
         ink, flags);
    const std::wstring party = item.szName[0] ? std::wstring(item.szName) : SmsViewText::Number(item);
    Text(dc, party, {kPartyLeft, rc.top, right - 1, rc.bottom}, ink, flags);
}

void CCeMSmsListWnd::DrawReaderHeader(HDC dc)
{
    const SmsItem* item = Store().Current();
    if (!item)
        return;
    HGDIOBJ old = SelectObject(dc, m_hSmallFont);
    const bool received = (item->nState & kSmsReceivedBit) != 0;
    const std::wstring lines[kHeaderLines] = {SmsViewText::DateLine(*item), SmsViewText::TimeLine(*item),
                                              SmsViewText::StateLine(*item), SmsViewText::PartyLine(*item)};
    for (int i = 0; i < kHeaderLines; ++i) {
        const COLORREF ink = i < 3 ? RGB(0, 0, 0) : received ? RGB(0, 0, 255) : RGB(255, 0, 0);
        Text(dc, lines[i], {4, 1 + i * kHeaderLineHeight, m_nWidth - 2, 1 + (i + 1) * kHeaderLineHeight}, ink,
             DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    SelectObject(dc, old);
}

void CCeMSmsListWnd::DrawItems(HDC dc, const RECT& full)
{
    if (Private()) {
        Text(dc, L"사생활 보호중", full, RGB(0, 0, 0), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    if (m_bReader) {
        DrawReaderHeader(dc);
        return;
    }
    // The rows again from the cache: a deletion elsewhere may have freed
    // an item the last fill pointed to.
    FillRows();
    for (int i = 0; i < m_nRows; ++i)
        DrawRow(dc, m_nTop + i, *m_pRows[i]);
    if (m_nCount == 0)
        Text(dc, L"메시지가 없습니다.", full, RGB(128, 128, 128), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// --- the reader -----------------------------------------------------------------

void CCeMSmsListWnd::PlaceReader(bool open)
{
    ShowWindow(m_text.GetHwnd(), open ? SW_SHOW : SW_HIDE);
    for (CCeMButton& b : m_tools)
        ShowWindow(b.GetHwnd(), open ? SW_SHOW : SW_HIDE);
    if (open)
        ShowWindow(m_scrollBar.GetHwnd(), SW_HIDE);
}

void CCeMSmsListWnd::ShowCurrentText()
{
    const SmsItem* item = Store().Current();
    const std::wstring text = item ? SmsViewText::ReaderBody(SmsViewText::Body(*item)) : std::wstring();
    SetWindowTextW(m_text.GetHwnd(), text.c_str());
}

void CCeMSmsListWnd::UpdateTools()
{
    CCeSmsDB& store = Store();
    EnableWindow(m_tools[kToolPrevious].GetHwnd(), m_nSelected > 0 && store.Nth(m_nTab, m_nSelected - 1));
    EnableWindow(m_tools[kToolNext].GetHwnd(), m_nSelected >= 0 && store.Nth(m_nTab, m_nSelected + 1));
}

void CCeMSmsListWnd::OpenReader()
{
    SmsItem* item = Store().Current();
    if (Private() || !item || !m_hWnd)
        return;
    m_bReader = 1;
    PlaceReader(true);
    ShowCurrentText();
    if (Store().MarkRead(item))
        Notify(kNotifyCounts);
    UpdateTools();
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMSmsListWnd::CloseReader()
{
    if (!m_bReader)
        return;
    m_bReader = 0;
    PlaceReader(false);
    SetItemCount(m_nCount, Private() ? 1 : 0);  // the scroll bar as the rows want it
    FillRows();
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMSmsListWnd::Step(int delta)
{
    CCeSmsDB& store = Store();
    int index = m_nSelected;
    const int changed = delta < 0 ? store.SelectPrevious(m_nTab, &index) : store.SelectNext(m_nTab, &index);
    if (changed)
        Notify(kNotifyCounts);
    if (index < 0) {
        m_nSelected = -1;
        CloseReader();
        Refresh();
        return;
    }
    SelectIndex(index);
    FillRows();
    UpdateTools();
    ShowCurrentText();
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

// --- actions ---------------------------------------------------------------------

void CCeMSmsListWnd::CallNumber(const char* number)
{
    char copy[64];
    CopyByteTextCut(copy, sizeof copy, number);
    const HWND main = MainWindow();
    if (main && SendMessageW(main, WM_PUT_NUMBER, reinterpret_cast<WPARAM>(copy), 0) == 1)
        PostMessageW(main, WM_DIAL_NUMBER, 0, 0);
}

void CCeMSmsListWnd::Compose(bool withText)
{
    const SmsItem* item = Store().Current();
    const HWND main = MainWindow();
    if (!item || !main)
        return;
    const std::wstring number = SmsViewText::Number(*item);
    const std::wstring text = withText ? SmsViewText::Body(*item) : std::wstring();
    SendMessageW(main, WM_OPEN_COMPOSER, reinterpret_cast<WPARAM>(number.c_str()),
                 withText ? reinterpret_cast<LPARAM>(text.c_str()) : 0);
    PostMessageW(main, WM_SHOW_MESSAGES, 0, 0);
}

void CCeMSmsListWnd::AddContact()
{
    const SmsItem* item = Store().Current();
    const HWND main = MainWindow();
    if (!item || !main)
        return;
    const std::wstring number = SmsViewText::Number(*item);
    SendMessageW(main, WM_ADD_CONTACT, reinterpret_cast<WPARAM>(number.c_str()),
                 reinterpret_cast<LPARAM>(GetParent(m_hWnd)));
}

void CCeMSmsListWnd::SavePhrase()
{
    const SmsItem* item = Store().Current();
    if (!item)
        return;
    const std::wstring text = SmsViewText::Body(*item);
    // An empty text would only add an empty phrase.
    const bool saved = !text.empty() && m_data.m_SmsMsgDB.Add(text.c_str());
    CCeMMsgBox::Show(GetParent(m_hWnd), saved ? L"저장을 성공하였습니다." : L"저장을 실패하였습니다.",
                     saved ? kNotice : L"오류", CCeMDialog::kLayoutOneButton, 0);
}

void CCeMSmsListWnd::DeleteOne(bool fromReader)
{
    CCeSmsDB& store = Store();
    if (!store.Current())
        return;
    if (CCeMMsgBox::Show(GetParent(m_hWnd), L"삭제 하시겠습니까 ?", kNotice, CCeMDialog::kLayoutTwoButtons, 0) != IDOK)
        return;
    int index = m_nSelected;
    if (!store.DeleteCurrent(m_nTab, &index))
        return;
    store.Recount();
    m_nSelected = index;
    Refresh();
    if (fromReader || m_bReader) {
        if (index < 0) {
            CloseReader();
        } else {
            SelectIndex(index);
            // The message now shown is being read.
            store.MarkRead(store.Current());
            UpdateTools();
            ShowCurrentText();
        }
    }
    Refresh();
    Notify(kNotifyCounts);
}

void CCeMSmsListWnd::DeleteAll()
{
    CCeSmsDB& store = Store();
    if (!store.Current())
        return;
    if (CCeMMsgBox::Show(GetParent(m_hWnd), L"모두 삭제 하시겠습니까 ?", kNotice, CCeMDialog::kLayoutTwoButtons, 0) !=
        IDOK)
        return;
    store.DeleteFilter(m_nTab);
    store.Recount();
    store.SetCurrent(nullptr);
    CloseReader();
    m_nTop = 0;
    m_nSelected = -1;
    Refresh();
    Notify(kNotifyCounts);
}

void CCeMSmsListWnd::RunCommand(int command)
{
    const SmsItem* item = Store().Current();
    if (!item)
        return;
    switch (command) {
    case kCall: CallNumber(item->szNumber); break;
    case kReply: Compose(false); break;
    case kDelete: DeleteOne(false); break;
    case kDeleteAll: DeleteAll(); break;
    case kVoiceMail: CallNumber(kVoiceMailNumber); break;
    default: break;
    }
}

void CCeMSmsListWnd::RunTool(int tool)
{
    const SmsItem* item = Store().Current();
    if (!item)
        return;
    switch (tool) {
    case kToolCall: CallNumber(item->szNumber); break;
    case kToolReply: Compose(false); break;
    case kToolSave: SavePhrase(); break;
    case kToolAddContact: AddContact(); break;
    case kToolDelete: DeleteOne(true); break;
    case kToolForward: Compose(true); break;
    case kToolPrevious: Step(-1); break;
    case kToolNext: Step(1); break;
    default: break;
    }
}

int CCeMSmsListWnd::OnCommand(int code, int id, HWND control)
{
    const int tool = id - static_cast<int>(kToolFirstId);
    if (tool >= 0 && tool < kToolCount && code == BN_CLICKED) {
        RunTool(tool);
        return 0;
    }
    return CCeMItemList::OnCommand(code, id, control);
}
