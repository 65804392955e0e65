#include "CCeMWndUserBell.h"

#include "ScreenFrame.h"
#include "resources/prefs_res.h"

namespace {
constexpr COLORREF kFrameColor = RGB(2, 84, 220);
}

CCeMWndUserBell::CCeMWndUserBell()
    : m_hBackground(nullptr), m_hFrameBrush(nullptr), m_hFont(prefs::CreateControlFont())
{
}

CCeMWndUserBell::~CCeMWndUserBell()
{
    if (m_hWnd)
        Destroy();
    prefs::DeleteAll<HFONT>({&m_hFont});
}

int CCeMWndUserBell::Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    RegisterWindowClass(L"CCeMWndUserBell", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
    return CCeMWnd::Create(L"", style | WS_CHILD | WS_CLIPCHILDREN, pl, parent, id);
}

CCeMBellList& CCeMWndUserBell::VisibleList()
{
    return IsWindowVisible(m_group.GetHwnd()) ? static_cast<CCeMBellList&>(m_group) : m_person;
}

void CCeMWndUserBell::ShowScreen(int showCommand)
{
    if (showCommand != SW_HIDE)
        SetFocus(VisibleList().GetHwnd());
    ShowWindow(m_hWnd, showCommand);
}

int CCeMWndUserBell::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    const int w = cs->cx, h = cs->cy;
    m_hBackground = prefs::LoadPicture(IDB_LIST_FRAME);
    m_hFrameBrush = CreateSolidBrush(kFrameColor);
    m_closeButton.Create(L"", WS_VISIBLE, {w - 24, 3, 20, 20}, hwnd, kClose);
    m_closeButton.SetBitmap(IDB_LIST_CLOSE, 2);
    m_addButton.Create(L"", WS_VISIBLE, {w - 68, 3, 20, 20}, hwnd, kAdd);
    m_addButton.SetBitmap(IDB_LIST_ASSIGN, 2);
    m_deleteButton.Create(L"", WS_VISIBLE, {w - 46, 3, 20, 20}, hwnd, kDelete);
    m_deleteButton.SetBitmap(IDB_LIST_DELETE, 2);
    m_kind.Create(WS_VISIBLE | CBS_DROPDOWNLIST, {110, 3, 60, 79}, hwnd, kKind);
    prefs::SetFont(m_hFont, {m_kind.GetHwnd()});
    SendMessageW(m_kind.GetHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"개인별"));
    SendMessageW(m_kind.GetHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"그룹별"));
    SendMessageW(m_kind.GetHwnd(), CB_SETCURSEL, 0, 0);
    m_person.Create({2, 25, w - 4, h - 27}, hwnd, WS_VISIBLE | WS_CLIPCHILDREN, kPersonList);
    m_group.Create({2, 25, w - 4, h - 27}, hwnd, WS_CLIPCHILDREN, kGroupList);
    m_person.FillBellChoices();
    m_group.FillBellChoices();
    SetFocus(m_person.GetHwnd());
    return 0;
}

void CCeMWndUserBell::OnPaint(HWND hwnd)
{
    prefs::PaintListScreen(hwnd, m_hBackground, m_hFrameBrush, L"사용자 벨");
}

int CCeMWndUserBell::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kClose:
        prefs::SendCloseRequest(m_hWnd);
        return 0;
    case kAdd:
        if (prefs::PassGuards(m_hWnd) && !VisibleList().IsEditing())
            VisibleList().SetEditing(1);
        return 0;
    case kDelete:
        if (prefs::PassGuards(m_hWnd))
            VisibleList().DeleteWithQuestion();
        return 0;
    case kKind:
        if (code == CBN_SELCHANGE) {
            const bool groups = SendMessageW(m_kind.GetHwnd(), CB_GETCURSEL, 0, 0) == 1;
            m_person.StopPreview();
            m_group.StopPreview();
            ShowWindow((groups ? m_person : static_cast<CCeMBellList&>(m_group)).GetHwnd(), SW_HIDE);
            CCeMBellList& shown = groups ? static_cast<CCeMBellList&>(m_group) : m_person;
            ShowWindow(shown.GetHwnd(), SW_SHOW);
            SetFocus(shown.GetHwnd());
            return 0;
        }
        return CCeMWnd::OnCommand(code, id, control);
    default:
        return CCeMWnd::OnCommand(code, id, control);
    }
}

int CCeMWndUserBell::OnDestroy(HWND hwnd)
{
    prefs::DeleteAll<HBITMAP>({&m_hBackground});
    prefs::DeleteAll<HBRUSH>({&m_hFrameBrush});
    return CCeMWnd::OnDestroy(hwnd);
}
