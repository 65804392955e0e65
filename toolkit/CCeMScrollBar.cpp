#include "toolkit/CCeMScrollBar.h"

int CCeMScrollBar::Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    return CreateControl(L"SCROLLBAR", L"", style | WS_CHILD, pl, parent, id);
}

int CCeMScrollBar::GetPos() const
{
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    if (!m_hWnd || !GetScrollInfo(m_hWnd, SB_CTL, &si))
        return -1;
    return si.nPos;
}

int CCeMScrollBar::GetRange(int* minPos, int* maxPos) const
{
    int lo = 0, hi = 0;
    if (!m_hWnd || !GetScrollRange(m_hWnd, SB_CTL, &lo, &hi))
        return 0;
    if (minPos)
        *minPos = lo;
    if (maxPos)
        *maxPos = hi;
    return 1;
}

int CCeMScrollBar::SetPos(int pos, BOOL redraw)
{
    return m_hWnd ? SetScrollPos(m_hWnd, SB_CTL, pos, redraw) : 0;
}

int CCeMScrollBar::SetRange(int minPos, int maxPos, BOOL redraw)
{
    return m_hWnd ? SetScrollRange(m_hWnd, SB_CTL, minPos, maxPos, redraw) : 0;
}
