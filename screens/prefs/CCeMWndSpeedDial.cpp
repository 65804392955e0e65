#include "CCeMWndSpeedDial.h"

#include "ScreenFrame.h"
#include "resources/prefs_res.h"

namespace {
constexpr COLORREF kFrameColor = RGB(2, 84, 220);
}

CCeMWndSpeedDial::CCeMWndSpeedDial() : m_hBackground(nullptr), m_hFrameBrush(nullptr) {}

CCeMWndSpeedDial::~CCeMWndSpeedDial()
{
    if (m_hWnd)
        Destroy();
}

int CCeMWndSpeedDial::Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    RegisterWindowClass(L"CCeMWndSpeedDial", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
    return CCeMWnd::Create(L"", style | WS_CHILD | WS_CLIPCHILDREN, pl, parent, id);
}

int CCeMWndSpeedDial::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    const int w = cs->cx, h = cs->cy;
    m_hBackground = prefs::LoadPicture(IDB_LIST_FRAME);
    m_hFrameBrush = CreateSolidBrush(kFrameColor);
    m_closeButton.Create(L"", WS_VISIBLE, {w - 24, 3, 20, 20}, hwnd, kClose);
    m_closeButton.SetBitmap(IDB_LIST_CLOSE, 2);
    m_assignButton.Create(L"", WS_VISIBLE, {w - 68, 3, 20, 20}, hwnd, kAssign);
    m_assignButton.SetBitmap(IDB_LIST_ASSIGN, 2);
    m_deleteButton.Create(L"", WS_VISIBLE, {w - 46, 3, 20, 20}, hwnd, kDelete);
    m_deleteButton.SetBitmap(IDB_LIST_DELETE, 2);
    m_list.Create({2, 25, w - 4, h - 27}, hwnd, WS_VISIBLE | WS_CLIPCHILDREN, kList);
    SetFocus(m_list.GetHwnd());
    return 0;
}

void CCeMWndSpeedDial::OnPaint(HWND hwnd)
{
    prefs::PaintListScreen(hwnd, m_hBackground, m_hFrameBrush, L"단축 다이얼");
}

int CCeMWndSpeedDial::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kClose:
        if (m_list.IsEditing())
            m_list.SetEditing(0);
        else
            prefs::SendCloseRequest(m_hWnd);
        return 0;
    case kAssign:
        if (!prefs::PassGuards(m_hWnd) || m_list.IsEditing())
            return 0;
        if (m_list.SelectedIndex() < 0)
            MessageBoxW(m_hWnd, L"우선 목록에서 지정할 번호를 선택하십시오.", L"알림", MB_OK | MB_ICONINFORMATION);
        else
            m_list.SetEditing(1);
        return 0;
    case kDelete:
        if (prefs::PassGuards(m_hWnd))
            m_list.DeleteWithQuestion();
        return 0;
    default:
        return CCeMWnd::OnCommand(code, id, control);
    }
}

int CCeMWndSpeedDial::OnDestroy(HWND hwnd)
{
    prefs::DeleteAll<HBITMAP>({&m_hBackground});
    prefs::DeleteAll<HBRUSH>({&m_hFrameBrush});
    return CCeMWnd::OnDestroy(hwnd);
}
