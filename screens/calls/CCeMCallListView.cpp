#include "CCeMCallListView.h"

#include <cwchar>

#include "CallRowText.h"
#include "CallScreenArt.h"
#include "calls_text.h"
#include "stores/StoreText.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/SharedBitmaps.h"

namespace {

constexpr COLORREF kIconTransparent = RGB(255, 128, 255);
constexpr int kIconWidth = 25;
constexpr int kIconHeight = 11;
constexpr int kNumberLeft = 40;
constexpr int kTimeLeft = 130;
constexpr RECT kHeaderLine = {50, 3, 200, 23};  // on the screen, above the list

struct BarCell {
    CCeMPlacement pl;
    const wchar_t* label;
};

const BarCell kBar[CCeMCallListView::kCellCount] = {
    {{0, 1, 74, 18}, CallsText::kDetailCall},   {{0, 18, 74, 18}, CallsText::kDetailText},
    {{0, 36, 74, 18}, CallsText::kDetailAdd},   {{0, 54, 74, 18}, CallsText::kDetailDelete},
    {{0, 72, 37, 18}, L"◀"},                    {{37, 72, 37, 18}, L"▶"},
};
constexpr int kBarX = 156;
constexpr int kBarY = 5;

}  // namespace

CCeMCallListView::CCeMCallListView(CCeDataManager& data) : m_data(data), m_Page{} {}

CCeMCallListView::~CCeMCallListView()
{
    if (m_hWnd)
        Destroy();
}

int CCeMCallListView::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMItemList::OnCreate(hwnd, cs);
    // One header row of titles above the rows, no title band.
    m_nBand1 = 0;
    m_nBand2 = kHeaderRow;
    m_nVisible = (m_nHeight - kHeaderRow) / m_nRowHeight;
    MoveWindow(m_scrollBar.GetHwnd(), m_nWidth - kScrollBarWidth, kHeaderRow, kScrollBarWidth,
               m_nHeight - kHeaderRow, FALSE);
    m_hBold = CallScreenArt::MakeFont(13, true);
    m_hMenu = CreatePopupMenu();
    AppendMenuW(m_hMenu, MF_STRING, kMenuCall, CallsText::kMenuCall);
    AppendMenuW(m_hMenu, MF_STRING, kMenuText, CallsText::kMenuText);
    AppendMenuW(m_hMenu, MF_STRING, kMenuAdd, CallsText::kMenuAddContact);
    AppendMenuW(m_hMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(m_hMenu, MF_STRING, kMenuDelete, CallsText::kMenuDelete);
    for (int i = 0; i < kCellCount; ++i) {
        const CCeMPlacement pl = {kBarX + kBar[i].pl.x, kBarY + kBar[i].pl.y, kBar[i].pl.cx, kBar[i].pl.cy};
        m_Bar[i].Create(L"", WS_CHILD, pl, hwnd, kBarFirstId + i);
        if (HBITMAP strip = CallScreenArt::ButtonStrip(0, pl.cx, pl.cy, kBar[i].label))
            m_Bar[i].SetBitmap(strip, 3, 1);
    }
    MakeIcons();
    return 0;
}

int CCeMCallListView::OnDestroy(HWND hwnd)
{
    if (m_hMenu)
        DestroyMenu(m_hMenu);
    if (m_hIcons && m_bOwnIcons)
        DeleteObject(m_hIcons);
    if (m_hBold)
        DeleteObject(m_hBold);
    m_hMenu = nullptr;
    m_hIcons = nullptr;
    m_hBold = nullptr;
    return CCeMItemList::OnDestroy(hwnd);
}

void CCeMCallListView::MakeIcons()
{
    // The main window's shared strip; it stays the cache's.
    m_hIcons = SharedBitmaps::Get(SharedBitmaps::kCallIcons);
    m_bOwnIcons = 0;
    if (m_hIcons)
        return;
    m_bOwnIcons = 1;
    // Without the program's strip: dialled, received, missed and other as
    // small coloured arrows and a cross on the transparent colour.
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    m_hIcons = CreateCompatibleBitmap(screen, kIconWidth * 4, kIconHeight);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(mem, m_hIcons);
    RECT all = {0, 0, kIconWidth * 4, kIconHeight};
    HBRUSH back = CreateSolidBrush(kIconTransparent);
    FillRect(mem, &all, back);
    DeleteObject(back);
    const COLORREF inks[4] = {RGB(0, 90, 230), RGB(0, 160, 60), RGB(230, 0, 0), RGB(120, 120, 120)};
    for (int i = 0; i < 4; ++i) {
        HBRUSH b = CreateSolidBrush(inks[i]);
        HPEN p = CreatePen(PS_SOLID, 1, inks[i]);
        HGDIOBJ ob = SelectObject(mem, b);
        HGDIOBJ op = SelectObject(mem, p);
        const int x = i * kIconWidth + 4;
        if (i == 0) {  // out: arrow to the right
            const POINT pts[3] = {{x + 10, 1}, {x + 17, 5}, {x + 10, 9}};
            Polygon(mem, pts, 3);
            Rectangle(mem, x, 4, x + 11, 7);
        } else if (i == 1 || i == 2) {  // in / missed: arrow to the left
            const POINT pts[3] = {{x + 7, 1}, {x, 5}, {x + 7, 9}};
            Polygon(mem, pts, 3);
            Rectangle(mem, x + 6, 4, x + 17, 7);
        } else {
            MoveToEx(mem, x + 4, 1, nullptr);
            LineTo(mem, x + 13, 10);
            MoveToEx(mem, x + 13, 1, nullptr);
            LineTo(mem, x + 4, 10);
        }
        SelectObject(mem, op);
        SelectObject(mem, ob);
        DeleteObject(p);
        DeleteObject(b);
    }
    SelectObject(mem, old);
    DeleteDC(mem);
}

HWND CCeMCallListView::MainWindow() const
{
    return GetParent(GetParent(m_hWnd));
}

void CCeMCallListView::TellScreen()
{
    HWND screen = GetParent(m_hWnd);
    InvalidateRect(screen, &kHeaderLine, FALSE);
}

// --- filling ----------------------------------------------------------------

void CCeMCallListView::Refill()
{
    CCeCallListDB& db = m_data.m_CallListDB;
    const int count = Privacy() ? 0 : db.Count(m_nFilter);
    // A call added in front (the phone core after a call) moves the current
    // entry down: follow the entry, not its old place.
    if (const CallItem* current = db.Current()) {
        for (int i = 0; i < count; ++i)
            if (db.Nth(m_nFilter, i) == current) {
                m_nCurrent = i;
                break;
            }
    }
    SetItemCount(count, 0);
    if (m_nTop > m_nLargestTop)
        m_nTop = m_nLargestTop > 0 ? m_nLargestTop : 0;
    if (m_nCurrent >= count)
        m_nCurrent = count - 1;
    m_nSelected = m_nCurrent;
    // One walk of the cache: skip the rows above, take a page.
    m_nPage = 0;
    int passing = 0;
    for (int i = 0; m_nPage < kPageSize; ++i) {
        const CallItem* item = db.Nth(m_nFilter, m_nTop + i);
        if (!item || passing >= count)
            break;
        m_Page[m_nPage++] = *item;
        ++passing;
    }
    db.SetCurrent(m_nCurrent >= 0 ? db.Nth(m_nFilter, m_nCurrent) : nullptr);
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMCallListView::Reload()
{
    CloseDetail();
    m_data.m_CallListDB.Load();
    m_nTop = 0;
    m_nCurrent = m_data.m_CallListDB.Count(m_nFilter) > 0 ? 0 : -1;
    m_scrollBar.SetPos(0, TRUE);
    Refill();
    TellScreen();
}

void CCeMCallListView::SetFilter(int filter)
{
    CloseDetail();
    m_nFilter = filter >= 0 && filter <= 3 ? filter : 0;
    m_nTop = 0;
    m_nCurrent = m_data.m_CallListDB.Count(m_nFilter) > 0 ? 0 : -1;
    m_scrollBar.SetPos(0, TRUE);
    Refill();
    TellScreen();
}

void CCeMCallListView::OnScroll()
{
    Refill();
}

void CCeMCallListView::SelectPosition(int position)
{
    m_nCurrent = position;
    m_nSelected = position;
    m_data.m_CallListDB.SetCurrent(position >= 0 ? m_data.m_CallListDB.Nth(m_nFilter, position) : nullptr);
}

void CCeMCallListView::OnSelChange(int selected, int)
{
    if (m_bDetail || Privacy())
        return;
    SelectPosition(selected);
}

// --- drawing ----------------------------------------------------------------

void CCeMCallListView::DrawStatusIcon(HDC dc, int x, int y, int kind)
{
    if (!m_hIcons)
        return;
    const int piece = kind >= 1 && kind <= 3 ? (kind - 1) * kIconWidth : 75;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, m_hIcons);
    TransparentBlt(dc, x, y, kIconWidth, kIconHeight, mem, piece, 0, kIconWidth, kIconHeight, kIconTransparent);
    SelectObject(mem, old);
    DeleteDC(mem);
}

void CCeMCallListView::DrawRow(HDC dc, int row, const CallItem& item)
{
    RECT rc = RowRect(row);
    const int right = m_nWidth - (IsScrollBarVisible() ? kScrollBarWidth : 0);
    rc.right = right;
    if (row == m_nSelected)
        FillRect(dc, &rc, m_hSelection);
    DrawStatusIcon(dc, 2, rc.top + 2, item.nKind);
    wchar_t text[64];
    CallRowText::Party(item, text, 64);
    CallScreenArt::Text(dc, text, {kNumberLeft, rc.top, kTimeLeft, rc.bottom}, RGB(0, 0, 0),
                        DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    COLORREF ink;
    CallRowText::When(item, text, 64, &ink);
    CallScreenArt::Text(dc, text, {kTimeLeft, rc.top, right, rc.bottom}, ink, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void CCeMCallListView::DrawItems(HDC dc, const RECT& full)
{
    if (Privacy()) {
        CallScreenArt::Text(dc, CallsText::kPrivacyShown, full, RGB(0, 0, 0), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    if (m_bDetail) {
        DrawDetail(dc);
        return;
    }
    RECT header = {0, 0, m_nWidth, kHeaderRow};
    FillRect(dc, &header, HeaderBrush());
    const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    const COLORREF white = RGB(255, 255, 255);
    CallScreenArt::Text(dc, CallsText::kColumnState, {0, 0, kNumberLeft, kHeaderRow}, white, flags);
    CallScreenArt::Text(dc, CallsText::kColumnNumber, {kNumberLeft, 0, kTimeLeft, kHeaderRow}, white, flags);
    CallScreenArt::Text(dc, CallsText::kColumnTime, {kTimeLeft, 0, m_nWidth, kHeaderRow}, white, flags);
    for (int i = 0; i < m_nPage && i < m_nVisible + 1; ++i)
        DrawRow(dc, m_nTop + i, m_Page[i]);
    // Frame lines in orange between the columns.
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 168, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    for (int x : {kNumberLeft - 1, kTimeLeft - 1}) {
        MoveToEx(dc, x, kHeaderRow, nullptr);
        LineTo(dc, x, m_nHeight);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void CCeMCallListView::DrawDetail(HDC dc)
{
    CCeCallListDB& db = m_data.m_CallListDB;
    const CallItem* item = db.Current();
    if (!item)
        return;
    const UINT flags = DT_LEFT | DT_TOP | DT_SINGLELINE;
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), black = RGB(0, 0, 0);
    const int right = kBarX - 2;
    auto line = [&](int n) { return RECT{5, 5 + 20 * n, right, 5 + 20 * n + 20}; };
    wchar_t text[128];
    swprintf(text, 128, CallsText::kDetailHeader, m_nCurrent + 1, db.Count(m_nFilter));
    HGDIOBJ oldFont = SelectObject(dc, m_hBold);
    CallScreenArt::Text(dc, text, line(0), blue, flags);
    SelectObject(dc, oldFont);
    db.FormatDate(text, 128);
    CallScreenArt::Text(dc, text, line(1), black, flags);
    db.FormatTime(text, 128);
    CallScreenArt::Text(dc, text, line(2), black, flags);
    const wchar_t* kind = CallsText::kKindUnknown;
    COLORREF kindInk = black;
    switch (item->nKind) {
    case CCeCallListDB::kOutgoing: kind = CallsText::kKindOut; kindInk = red; break;
    case CCeCallListDB::kAnswered: kind = CallsText::kKindIn; kindInk = blue; break;
    case CCeCallListDB::kMissed: kind = CallsText::kKindMissed; kindInk = red; break;
    case CCeCallListDB::kRejected: kind = CallsText::kKindRejected; kindInk = red; break;
    default: break;
    }
    CallScreenArt::Text(dc, kind, line(3), kindInk, flags);
    db.FormatLength(text, 128);
    CallScreenArt::Text(dc, text, line(4), black, flags);
    wchar_t number[65];
    ByteToWideText(item->szNumber, number, 65);
    swprintf(text, 128, CallsText::kNumberLine, CallsText::kNumberLabel, number);
    CallScreenArt::Text(dc, text, line(5), black, flags);
    if (item->szName[0]) {
        swprintf(text, 128, L"(%ls)", item->szName);
        RECT rc = line(5);
        OffsetRect(&rc, 60, 15);
        rc.right = m_nWidth;
        CallScreenArt::Text(dc, text, rc, black, flags);
    }
}

// --- detail page ---------------------------------------------------------------

void CCeMCallListView::OnItemDblClick(int row)
{
    if (m_bDetail || Privacy())
        return;
    SelectPosition(row);
    OpenDetail();
}

void CCeMCallListView::OpenDetail()
{
    if (Privacy() || !m_data.m_CallListDB.Current())
        return;
    m_bDetail = 1;
    ShowWindow(m_scrollBar.GetHwnd(), SW_HIDE);
    for (CCeMImageButton& b : m_Bar)
        ShowWindow(b.GetHwnd(), SW_SHOW);
    UpdateBar();
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMCallListView::CloseDetail()
{
    if (!m_bDetail)
        return;
    m_bDetail = 0;
    for (CCeMImageButton& b : m_Bar)
        ShowWindow(b.GetHwnd(), SW_HIDE);
    SetItemCount(m_nCount, 0);  // the scroll bar as the rows want it
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMCallListView::UpdateBar()
{
    const int count = m_data.m_CallListDB.Count(m_nFilter);
    EnableWindow(m_Bar[kCellPrevious].GetHwnd(), m_nCurrent > 0);
    EnableWindow(m_Bar[kCellNext].GetHwnd(), m_nCurrent >= 0 && m_nCurrent < count - 1);
}

void CCeMCallListView::Step(int delta)
{
    CCeCallListDB& db = m_data.m_CallListDB;
    const int index = delta < 0 ? db.SelectPrevious(m_nFilter, m_nCurrent) : db.SelectNext(m_nFilter, m_nCurrent);
    if (index < 0) {
        m_nCurrent = -1;
        Refill();
        CloseDetail();
        return;
    }
    m_nCurrent = index;
    m_nSelected = index;
    // Keep the row of the entry shown in the list behind the page.
    if (m_nCurrent < m_nTop)
        m_nTop = m_nCurrent;
    else if (m_nCurrent >= m_nTop + m_nVisible)
        m_nTop = m_nCurrent - m_nVisible + 1;
    m_scrollBar.SetPos(m_nTop, TRUE);
    Refill();
    UpdateBar();
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

// --- actions ------------------------------------------------------------------

void CCeMCallListView::CallBack()
{
    const CallItem* item = m_data.m_CallListDB.Current();
    if (!item)
        return;
    char number[64];
    CopyByteTextCut(number, 64, item->szNumber);
    if (SendMessageW(MainWindow(), WM_PUT_NUMBER, reinterpret_cast<WPARAM>(number), 0) == 1)
        PostMessageW(MainWindow(), WM_DIAL_NUMBER, 0, 0);
}

void CCeMCallListView::SendText()
{
    const CallItem* item = m_data.m_CallListDB.Current();
    if (!item)
        return;
    wchar_t number[65];
    ByteToWideText(item->szNumber, number, 65);
    SendMessageW(MainWindow(), WM_COMPOSE_TO, reinterpret_cast<WPARAM>(number), 0);
    PostMessageW(MainWindow(), WM_SHOW_MESSAGES, 0, 0);
}

void CCeMCallListView::AddToContacts()
{
    const CallItem* item = m_data.m_CallListDB.Current();
    if (!item)
        return;
    wchar_t number[65];
    ByteToWideText(item->szNumber, number, 65);
    SendMessageW(MainWindow(), WM_ADD_CONTACT, reinterpret_cast<WPARAM>(number),
                 reinterpret_cast<LPARAM>(GetParent(m_hWnd)));
}

void CCeMCallListView::DeleteCurrent(bool fromDetail)
{
    CCeCallListDB& db = m_data.m_CallListDB;
    if (!db.Current() || Privacy())
        return;
    if (CCeMMsgBox::Show(GetParent(m_hWnd), CallsText::kAskDelete, CallsText::kNotice, CCeMDialog::kLayoutTwoButtons,
                         0) != IDOK)
        return;
    int index = m_nCurrent;
    if (!db.DeleteCurrent(m_nFilter, index))
        return;
    db.Load();
    m_nCurrent = index;
    if (fromDetail)
        CloseDetail();
    Refill();
    if (m_bDetail)
        UpdateBar();
    TellScreen();
}

int CCeMCallListView::OnCommand(int notifyCode, int id, HWND control)
{
    const int cell = id - static_cast<int>(kBarFirstId);
    if (cell < 0 || cell >= kCellCount)
        return CCeMItemList::OnCommand(notifyCode, id, control);
    if (cell == kCellPrevious || cell == kCellNext) {
        Step(cell == kCellPrevious ? -1 : 1);
        TellScreen();
    } else {
        // The first four cells do what the menu's items do, in the same order.
        RunAction(kMenuCall + cell, true);
    }
    return 0;
}

int CCeMCallListView::OnTapAndHold(int x, int y)
{
    if (!CCeMItemList::OnTapAndHold(x, y))
        return 0;
    if (m_bDetail || Privacy() || !m_data.m_CallListDB.Current() || y < RowsTop())
        return 1;
    POINT pt = {x, y};
    ClientToScreen(m_hWnd, &pt);
    const int item = TrackPopupMenu(m_hMenu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, m_hWnd,
                                    nullptr);
    RunAction(item, false);
    return 1;
}

void CCeMCallListView::RunAction(int item, bool fromDetail)
{
    switch (item) {
    case kMenuCall: CallBack(); break;
    case kMenuText: SendText(); break;
    case kMenuAdd: AddToContacts(); break;
    case kMenuDelete: DeleteCurrent(fromDetail); break;
    default: return;
    }
    TellScreen();
}
