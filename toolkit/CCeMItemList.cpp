#include "toolkit/CCeMItemList.h"

#include <aygshell.h>

namespace {

int g_livingLists;
HBRUSH g_headerBrush;

}  // namespace

CCeMItemList::CCeMItemList()
    : m_nWidth(0), m_nHeight(0), m_hFont(nullptr), m_hBackground(nullptr), m_bKeepBackground(0),
      m_nLargestTop(0), m_nVisible(0), m_nTop(0), m_nCount(0), m_nSelected(-1),
      m_nRowHeight(kRowHeight), m_hSelection(nullptr), m_bClickPending(0), m_bContextGesture(1),
      m_bFocus(0), m_nBand1(20), m_nBand2(20)
{
    if (g_livingLists++ == 0)
        g_headerBrush = CreateSolidBrush(kHeaderColor);
}

CCeMItemList::~CCeMItemList()
{
    if (m_hWnd)
        Destroy();
    SetBackground(nullptr, 0);
    if (--g_livingLists == 0) {
        DeleteObject(g_headerBrush);
        g_headerBrush = nullptr;
    }
}

HBRUSH CCeMItemList::HeaderBrush()
{
    return g_headerBrush;
}

int CCeMItemList::Create(const CCeMPlacement& pl, HWND parent, DWORD style, UINT id)
{
    RegisterWindowClass(L"CCeMItemList", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, nullptr, nullptr,
                        nullptr, nullptr);
    // Clip the scroll bar out, or painting the rows would cover it.
    return CCeMWnd::Create(L"", style | WS_CHILD | WS_CLIPCHILDREN, pl, parent, id);
}

RECT CCeMItemList::RowRect(int row) const
{
    const int top = RowsTop() + (row - m_nTop) * m_nRowHeight;
    return {0, top, m_nWidth, top + m_nRowHeight};
}

int CCeMItemList::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    m_hFont = CreateFontW(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH, L"Tahoma");
    m_hSelection = CreateSolidBrush(kSelectionColor);
    m_nTop = 0;
    m_nCount = 0;
    m_nSelected = -1;
    m_nRowHeight = kRowHeight;
    m_nBand1 = m_nBand2 = 20;
    m_nWidth = cs->cx;
    m_nHeight = cs->cy;
    m_nVisible = static_cast<int>((m_nHeight - 40) / 16.0 + 0.5);
    m_scrollBar.Create(SBS_VERT, {m_nWidth - kScrollBarWidth, 20, m_nWidth, m_nHeight}, hwnd, 0);
    return 0;
}

int CCeMItemList::OnDestroy(HWND hwnd)
{
    if (m_hFont)
        DeleteObject(m_hFont);
    if (m_hSelection)
        DeleteObject(m_hSelection);
    m_hFont = nullptr;
    m_hSelection = nullptr;
    return CCeMWnd::OnDestroy(hwnd);
}

LRESULT CCeMItemList::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SIZE: {
        m_nWidth = LOWORD(lp);
        m_nHeight = HIWORD(lp);
        const int visible = (m_nHeight - RowsTop()) / m_nRowHeight;
        if (visible != m_nVisible) {
            m_nVisible = visible;
            // Recount with the new page so the range and the bar stay true.
            if (m_hWnd)
                SetItemCount(m_nCount, m_bHideScrollBar);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN: {
        if (!IsScrollBarVisible())
            break;
        int code = -1;
        switch (wp) {
        case VK_UP: code = SB_LINEUP; break;
        case VK_DOWN: code = SB_LINEDOWN; break;
        case VK_LEFT: code = SB_PAGEUP; break;
        case VK_RIGHT: code = SB_PAGEDOWN; break;
        default: break;
        }
        if (code < 0)
            break;
        SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(code, 0), 0);
        return 0;
    }
    case WM_VSCROLL:
        OnVScroll(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(wp, LOWORD(lp), HIWORD(lp));
        return 0;
    default:
        break;
    }
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}

void CCeMItemList::PlaceScrollBar(int hide)
{
    HWND bar = m_scrollBar.GetHwnd();
    if (!bar)
        return;
    const int b = RowsTop();
    MoveWindow(bar, m_nWidth - kScrollBarWidth, b - 1, kScrollBarWidth, m_nHeight - b, TRUE);
    ShowWindow(bar, hide == 1 ? SW_HIDE : SW_SHOW);
}

void CCeMItemList::SetItemCount(int count, int hideScrollBar)
{
    m_nCount = count;
    m_bHideScrollBar = hideScrollBar;
    if (count <= m_nVisible) {
        m_nTop = 0;
        m_nLargestTop = 0;
        if (m_scrollBar.GetHwnd())
            ShowWindow(m_scrollBar.GetHwnd(), SW_HIDE);
        return;
    }
    m_nLargestTop = count - m_nVisible;
    if (m_nLargestTop <= m_nTop)
        m_nTop = m_nLargestTop - 1;
    if (m_nTop >= m_nLargestTop)
        m_nTop = 0;
    m_scrollBar.SetRange(0, m_nLargestTop, FALSE);
    m_scrollBar.SetPos(m_nTop, TRUE);
    PlaceScrollBar(hideScrollBar);
}

void CCeMItemList::SetTopIndex(int index)
{
    if (index < m_nLargestTop) {
        m_nTop = index;
        m_scrollBar.SetPos(index, FALSE);
    }
}

void CCeMItemList::SetBackground(HBRUSH brush, int keep)
{
    if (m_hBackground && !m_bKeepBackground)
        DeleteObject(m_hBackground);
    m_hBackground = brush;
    m_bKeepBackground = keep;
}

void CCeMItemList::SetBackgroundPattern(HBITMAP bitmap, int)
{
    // The brush is made here and no one else has its handle, so the list
    // always deletes it; the bitmap stays the caller's either way.
    SetBackground(bitmap ? CreatePatternBrush(bitmap) : nullptr, 0);
}

void CCeMItemList::SetBackgroundColor(COLORREF color)
{
    SetBackground(CreateSolidBrush(color), 0);
}

void CCeMItemList::InvalidateRow(int row)
{
    if (!m_hWnd)
        return;
    RECT rc = RowRect(row);
    InvalidateRect(m_hWnd, &rc, FALSE);
}

int CCeMItemList::IsScrollBarVisible()
{
    return m_scrollBar.GetHwnd() && IsWindowVisible(m_scrollBar.GetHwnd());
}

void CCeMItemList::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP canvas = CreateCompatibleBitmap(dc, m_nWidth, m_nHeight);
    HGDIOBJ oldBmp = SelectObject(mem, canvas);
    RECT full = {0, 0, m_nWidth, m_nHeight};
    FillRect(mem, &full, m_hBackground ? m_hBackground : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(mem, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(mem, m_hFont);
    DrawItems(mem, full);
    DrawFrame(mem);
    BitBlt(dc, 0, 0, m_nWidth, m_nHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldFont);
    SelectObject(mem, oldBmp);
    DeleteObject(canvas);
    DeleteDC(mem);
    EndPaint(hwnd, &ps);
}

int CCeMItemList::OnLButtonDown(WPARAM, int x, int y)
{
    SetFocus(m_hWnd);
    const int yRel = y - RowsTop();
    if (yRel < 0 || m_nTop >= m_nCount) {
        OnTapAndHold(x, y);
        return 0;
    }
    const int row = m_nTop + yRel / m_nRowHeight;
    if (row == m_nSelected) {
        OnSelChange(m_nSelected, 0);
        OnTapAndHold(x, y);
        return 0;
    }
    m_bClickPending = 1;
    if (m_nSelected >= 0)
        InvalidateRow(m_nSelected);
    if (row > m_nCount - 1) {
        m_nSelected = -1;
    } else {
        m_nSelected = row;
        InvalidateRow(row);
    }
    UpdateWindow(m_hWnd);
    OnSelChange(m_nSelected, 1);
    OnTapAndHold(x, y);
    return 0;
}

int CCeMItemList::OnTapAndHold(int x, int y)
{
    if (!m_bContextGesture)
        return 0;
    SHRGINFO rg = {sizeof rg, m_hWnd, {x, y}, SHRG_RETURNCMD};
    if (SHRecognizeGesture(&rg) == GN_CONTEXTMENU) {
        m_bClickPending = 0;
        return 1;
    }
    return 0;
}

int CCeMItemList::OnLButtonUp(WPARAM, int, int y)
{
    if (m_bClickPending) {
        m_bClickPending = 0;
        OnItemClick(m_nSelected, y);
    }
    return 0;
}

int CCeMItemList::OnLButtonDblClk(WPARAM, int, int y)
{
    if (m_nTop >= m_nCount || y < RowsTop())
        return -1;
    const int row = m_nTop + (y - RowsTop()) / m_nRowHeight;
    if (row > m_nCount - 1)
        return -1;
    OnItemDblClick(row);
    return 0;
}

void CCeMItemList::ChangeTop(int top)
{
    m_nTop = top;
    m_scrollBar.SetPos(top, TRUE);
    OnScroll();
    // Without a window a null handle would invalidate every window.
    if (!m_hWnd)
        return;
    RECT rows = {0, RowsTop(), m_nWidth - kScrollBarWidth, m_nHeight};
    InvalidateRect(m_hWnd, &rows, FALSE);
}

void CCeMItemList::OnVScroll(int code, int pos, HWND)
{
    switch (code) {
    case SB_LINEUP:
        if (m_nTop >= 1)
            ChangeTop(m_nTop - 1);
        break;
    case SB_LINEDOWN:
        if (m_nTop < m_nLargestTop)
            ChangeTop(m_nTop + 1);
        break;
    case SB_PAGEUP: {
        int top = m_nTop - m_nVisible;
        if (top < 0)
            top = 0;
        if (m_scrollBar.GetPos() != top)
            ChangeTop(top);
        break;
    }
    case SB_PAGEDOWN: {
        int top = m_nTop + m_nVisible;
        if (top > m_nLargestTop)
            top = m_nLargestTop;
        if (m_scrollBar.GetPos() != top)
            ChangeTop(top);
        break;
    }
    case SB_THUMBTRACK: {
        const int p = static_cast<short>(pos);
        if (p == m_nTop)
            break;
        if (p >= 0 && p <= m_nLargestTop)
            ChangeTop(p);
        else if (p > m_nLargestTop)
            ChangeTop(m_nLargestTop);
        break;
    }
    case SB_ENDSCROLL:
        if (static_cast<short>(pos) > m_nLargestTop)
            m_nTop = m_nLargestTop;
        m_scrollBar.SetPos(m_nTop, TRUE);
        UpdateWindow(m_hWnd);
        break;
    default:
        break;
    }
}

void CCeMItemList::SetFocusLook(int focus)
{
    m_bFocus = focus;
    if (!m_hWnd)
        return;
    RECT band = {0, m_nBand1, m_nWidth, RowsTop()};
    InvalidateRect(m_hWnd, &band, FALSE);
    if (m_nSelected >= 0)
        InvalidateRow(m_nSelected);
}

int CCeMItemList::OnSetFocus(HWND other)
{
    SetFocusLook(1);
    return CCeMWnd::OnSetFocus(other);
}

int CCeMItemList::OnKillFocus(HWND other)
{
    SetFocusLook(0);
    return CCeMWnd::OnKillFocus(other);
}

void CCeMItemList::DrawItems(HDC, const RECT&) {}
void CCeMItemList::DrawFrame(HDC) {}
void CCeMItemList::OnSelChange(int, int) {}
void CCeMItemList::OnItemDblClick(int) {}
void CCeMItemList::OnItemClick(int, int) {}
void CCeMItemList::OnScroll() {}
