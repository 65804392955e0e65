#include "toolkit/CCeMWnd.h"

#include <cwchar>

#include "toolkit/CCeMToolkit.h"
#include "toolkit/CCeMWndMap.h"

namespace {

constexpr ATOM kDialogClassAtom = 32770;

int LowX(LPARAM lp) { return LOWORD(lp); }
int HighY(LPARAM lp) { return HIWORD(lp); }

}  // namespace

CCeMWnd::CCeMWnd()
    : m_hWnd(nullptr), m_nId(0), m_pfnPrevProc(CCeMToolkit::SharedWndProc), m_szClassName{}
{
}

CCeMWnd::~CCeMWnd()
{
    if (m_hWnd)
        CCeMWnd::Destroy();
}

bool CCeMWnd::IsAttached() const
{
    return m_pfnPrevProc != CCeMToolkit::SharedWndProc;
}

LRESULT CCeMWnd::DefaultProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    // A dialog's default processing belongs to the dialog manager, which runs
    // it when the dialog procedure answers 0.
    if (static_cast<ATOM>(GetClassLongPtrW(hwnd, GCW_ATOM)) == kDialogClassAtom)
        return 0;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CCeMWnd::CallDefault(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (IsAttached())
        return CallWindowProcW(m_pfnPrevProc, hwnd, msg, wp, lp);
    return DefaultProc(hwnd, msg, wp, lp);
}

int CCeMWnd::RegisterWindowClass(LPCWSTR className, UINT classStyle, HBRUSH background, HICON icon,
                                 LPCWSTR menuName, HCURSOR cursor)
{
    if (!className)
        return 0;
    wcsncpy(m_szClassName, className, kClassNameLength - 1);
    m_szClassName[kClassNameLength - 1] = 0;
    WNDCLASSW wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = CCeMToolkit::SharedWndProc;
    wc.hInstance = CCeMToolkit::Instance();
    wc.hIcon = icon;
    wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszMenuName = menuName;
    wc.lpszClassName = m_szClassName;
    return RegisterClassW(&wc) != 0;
}

int CCeMWnd::UnregisterWindowClass()
{
    return UnregisterClassW(m_szClassName, CCeMToolkit::Instance()) != 0;
}

int CCeMWnd::CreateWindowOfClass(DWORD exStyle, LPCWSTR title, DWORD style, const CCeMPlacement& pl,
                                 HWND parent, UINT id)
{
    if (m_hWnd)
        return 0;
    m_nId = id;
    CCeMToolkit::SetObjectUnderCreation(this);
    // Only a child window has an identifier; for a top-level one the same
    // parameter would name a menu.
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND hwnd = CreateWindowExW(exStyle, m_szClassName, title ? title : L"", style, pl.x, pl.y, pl.cx,
                                pl.cy, parent, menu, CCeMToolkit::Instance(), nullptr);
    // A creation that failed before WM_CREATE must not leave this object parked
    // for the next window.
    CCeMToolkit::TakeObjectUnderCreation();
    m_hWnd = hwnd;
    return hwnd != nullptr;
}

int CCeMWnd::Create(LPCWSTR className, LPCWSTR title, DWORD style, const CCeMPlacement& pl,
                    HWND parent, UINT id)
{
    if (m_hWnd || !className || wcscmp(className, m_szClassName) != 0)
        return 0;
    return Create(title, style, pl, parent, id);
}

int CCeMWnd::Create(LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    return CreateWindowOfClass(0, title, style, pl, parent, id);
}

int CCeMWnd::CreateEx(DWORD exStyle, LPCWSTR title, DWORD style, const CCeMPlacement& pl,
                      HWND parent, UINT id)
{
    return CreateWindowOfClass(exStyle, title, style, pl, parent, id);
}

int CCeMWnd::Destroy()
{
    if (!m_hWnd)
        return 0;
    const BOOL ok = DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return ok != 0;
}

int CCeMWnd::CreateAnyControl(LPCWSTR className, LPCWSTR title, DWORD style, DWORD exStyle,
                              const CCeMPlacement& pl, HWND parent, UINT id)
{
    if (m_hWnd || !className)
        return 0;
    m_nId = id;
    const bool own = wcscmp(className, m_szClassName) == 0;
    if (own)
        CCeMToolkit::SetObjectUnderCreation(this);
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND hwnd = CreateWindowExW(exStyle, className, title, style, pl.x, pl.y, pl.cx, pl.cy, parent,
                                menu, CCeMToolkit::Instance(), nullptr);
    if (own) {
        CCeMToolkit::TakeObjectUnderCreation();
        m_hWnd = hwnd;
    } else if (hwnd && !Attach(hwnd) && !m_hWnd) {
        // No place in the map: a control no object serves would be left to
        // no one, so the creation fails whole.
        DestroyWindow(hwnd);
    }
    return m_hWnd != nullptr;
}

int CCeMWnd::CreateControl(LPCWSTR className, LPCWSTR title, DWORD style, const CCeMPlacement& pl,
                           HWND parent, UINT id)
{
    return CreateAnyControl(className, title, style, 0, pl, parent, id);
}

int CCeMWnd::CreateControlEx(LPCWSTR className, LPCWSTR title, DWORD style, DWORD exStyle,
                             const CCeMPlacement& pl, HWND parent, UINT id)
{
    return CreateAnyControl(className, title, style, exStyle, pl, parent, id);
}

int CCeMWnd::Attach(HWND hwnd)
{
    if (m_hWnd || !hwnd)
        return 0;
    m_hWnd = hwnd;
    m_nId = static_cast<UINT>(GetDlgCtrlID(hwnd));
    m_pfnPrevProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (!m_pfnPrevProc) {
        m_pfnPrevProc = CCeMToolkit::SharedWndProc;
        return 0;
    }
    // Mapped first: with no place in the map the shared procedure could not
    // find this object, and the control would be left without a working
    // procedure. It then keeps its own, and nothing is bound.
    if (!CCeMToolkit::Map().Insert(hwnd, this)) {
        m_pfnPrevProc = CCeMToolkit::SharedWndProc;
        m_hWnd = nullptr;
        m_nId = 0;
        return 0;
    }
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CCeMToolkit::SharedWndProc));
    return 1;
}

int CCeMWnd::RunMessageLoop()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT CCeMWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    const bool own = !IsAttached();
    // Handlers whose 0 stops processing and anything else falls through.
    auto orDefault = [&](int r) -> LRESULT { return r == 0 ? 0 : CallDefault(hwnd, msg, wp, lp); };
    switch (msg) {
    case WM_CREATE:
        if (own)
            return OnCreate(hwnd, reinterpret_cast<LPCREATESTRUCTW>(lp));
        return CallDefault(hwnd, msg, wp, lp);
    case WM_DESTROY: {
        const int r = OnDestroy(hwnd);
        if (own)
            return r;
        // The control gets its own procedure back, so it still sees
        // WM_NCDESTROY and frees what it holds.
        WNDPROC prev = m_pfnPrevProc;
        m_pfnPrevProc = CCeMToolkit::SharedWndProc;
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prev));
        return CallWindowProcW(prev, hwnd, msg, wp, lp);
    }
    case WM_SETFOCUS:
        return orDefault(OnSetFocus(reinterpret_cast<HWND>(wp)));
    case WM_KILLFOCUS:
        return orDefault(OnKillFocus(reinterpret_cast<HWND>(wp)));
    case WM_PAINT:
        OnPaint(hwnd);
        return own ? 0 : CallDefault(hwnd, msg, wp, lp);
    case WM_CLOSE: {
        const int r = OnClose(hwnd);
        return own ? r : CallDefault(hwnd, msg, wp, lp);
    }
    case WM_NOTIFY:
        OnNotify(wp, lp);
        return own ? 0 : CallDefault(hwnd, msg, wp, lp);
    case WM_COMMAND:
        return orDefault(OnCommand(HIWORD(wp), LOWORD(wp), reinterpret_cast<HWND>(lp)));
    case WM_MOUSEMOVE:
        return orDefault(OnMouseMove(wp, LowX(lp), HighY(lp)));
    case WM_LBUTTONDOWN:
        return orDefault(OnLButtonDown(wp, LowX(lp), HighY(lp)));
    case WM_LBUTTONUP:
        return orDefault(OnLButtonUp(wp, LowX(lp), HighY(lp)));
    case WM_RBUTTONDOWN:
        return orDefault(OnRButtonDown(wp, LowX(lp), HighY(lp)));
    case WM_RBUTTONUP:
        return orDefault(OnRButtonUp(wp, LowX(lp), HighY(lp)));
    default:
        return CallDefault(hwnd, msg, wp, lp);
    }
}

int CCeMWnd::OnCommand(int, int, HWND) { return 1; }
int CCeMWnd::OnCreate(HWND, LPCREATESTRUCTW) { return 0; }

int CCeMWnd::OnClose(HWND hwnd)
{
    if (!IsAttached())
        DestroyWindow(hwnd);
    return 0;
}

int CCeMWnd::OnDestroy(HWND)
{
    m_hWnd = nullptr;
    return 1;
}

void CCeMWnd::OnPaint(HWND hwnd)
{
    // Validate, or an own window would be sent WM_PAINT without end. An
    // attached control paints itself afterwards.
    if (IsAttached())
        return;
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
}
int CCeMWnd::OnLButtonDown(WPARAM, int, int) { return -1; }
int CCeMWnd::OnLButtonUp(WPARAM, int, int) { return -1; }
int CCeMWnd::OnRButtonDown(WPARAM, int, int) { return -1; }
int CCeMWnd::OnRButtonUp(WPARAM, int, int) { return -1; }
int CCeMWnd::OnMouseMove(WPARAM, int, int) { return -1; }
void CCeMWnd::OnNotify(WPARAM, LPARAM) {}
int CCeMWnd::OnSetFocus(HWND) { return -1; }
int CCeMWnd::OnKillFocus(HWND) { return -1; }
