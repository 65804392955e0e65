#include "toolkit/CCeMEdit.h"

#include <aygshell.h>
#include <sipapi.h>

#include "toolkit/ToolkitMessages.h"

CCeMEdit::CCeMEdit() : m_bInputPanel(0), m_hMenu(nullptr) {}

CCeMEdit::~CCeMEdit()
{
    if (m_hWnd)
        Destroy();
    DestroyContextMenu();
}

void CCeMEdit::DestroyContextMenu()
{
    if (m_hMenu)
        DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
}

bool CCeMEdit::IsReadOnly() const
{
    return m_hWnd && (GetWindowLongW(m_hWnd, GWL_STYLE) & ES_READONLY);
}

int CCeMEdit::Create(LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    const int ok = CreateControl(L"EDIT", title, style | WS_CHILD, pl, parent, id);
    if (ok) {
        DestroyContextMenu();
        m_hMenu = CreatePopupMenu();
        AppendMenuW(m_hMenu, MF_STRING, kCopy, L"Copy");
        AppendMenuW(m_hMenu, MF_STRING, kPaste, L"Paste");
        AppendMenuW(m_hMenu, MF_STRING, kCut, L"Cut");
        AppendMenuW(m_hMenu, MF_STRING, kClear, L"Clear");
        AppendMenuW(m_hMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(m_hMenu, MF_STRING, kSelectAll, L"Select All");
    }
    m_bInputPanel = 1;
    return ok;
}

LRESULT CCeMEdit::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_KEYUP && wp == VK_RETURN)
        PostMessageW(GetParent(hwnd), WM_CHILDNOTIFY, 0, reinterpret_cast<LPARAM>(hwnd));
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}

int CCeMEdit::OnCommand(int, int id, HWND)
{
    switch (id) {
    case kCopy: SendMessageW(m_hWnd, WM_COPY, 0, 0); return 0;
    case kPaste: SendMessageW(m_hWnd, WM_PASTE, 0, 0); return 0;
    case kCut: SendMessageW(m_hWnd, WM_CUT, 0, 0); return 0;
    case kClear: SendMessageW(m_hWnd, WM_CLEAR, 0, 0); return 0;
    case kSelectAll: SendMessageW(m_hWnd, EM_SETSEL, 0, -1); return 0;
    default: return -1;
    }
}

int CCeMEdit::OnDestroy(HWND hwnd)
{
    DestroyContextMenu();
    return CCeMWnd::OnDestroy(hwnd);
}

int CCeMEdit::OnLButtonDown(WPARAM, int x, int y)
{
    SetFocus(m_hWnd);
    SHRGINFO rg = {sizeof rg, m_hWnd, {x, y}, SHRG_RETURNCMD};
    if (SHRecognizeGesture(&rg) != GN_CONTEXTMENU || !m_hMenu)
        return -1;  // an ordinary tap: the edit places its caret itself
    POINT at = {x, y};
    ClientToScreen(m_hWnd, &at);
    const UINT editing = MF_BYPOSITION | (IsReadOnly() ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(m_hMenu, 0, MF_BYPOSITION | MF_ENABLED);
    EnableMenuItem(m_hMenu, 1, editing);
    EnableMenuItem(m_hMenu, 2, editing);
    EnableMenuItem(m_hMenu, 3, editing);
    EnableMenuItem(m_hMenu, 5, MF_BYPOSITION | MF_ENABLED);
    TrackPopupMenuEx(m_hMenu, 0, at.x, at.y, m_hWnd, nullptr);
    return 0;
}

int CCeMEdit::OnSetFocus(HWND)
{
    if (m_bInputPanel == 1 && !IsReadOnly()) {
        SipShowIM(SIPF_ON);
        PostMessageW(m_hWnd, EM_SETSEL, 0, -1);
    }
    return -1;
}

int CCeMEdit::OnKillFocus(HWND)
{
    if (m_bInputPanel == 1)
        SipShowIM(SIPF_OFF);
    return -1;
}
