// The taskbar window: the start area, the foreground program's title and the
// notification icons that programs add.
#include "ce/shell/TaskBarWindow.h"

#include "ce/aygshell/ShellLayout.h"
#include "ce/shell/NotifyArea.h"
#include "ce/shell/StartMenu.h"

namespace ceshell {
namespace {

const COLORREF kBarColour = RGB(0, 36, 104);
const UINT_PTR kTidyTimer = 1;

NotifyArea g_area;
int g_pressed = -1;
HWND g_lastForeground = nullptr;
int g_raiseTicks = 0;  // ticks left in which the bar puts itself back on top

int IconsRight(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    return rc.right - kCloseAreaWidth - 2;
}

void PaintStartGlyph(HDC dc)
{
    const COLORREF colours[4] = {RGB(230, 60, 40), RGB(60, 180, 60), RGB(40, 120, 230), RGB(250, 200, 20)};
    for (int i = 0; i < 4; ++i) {
        const int x = 5 + (i % 2) * 8, y = 5 + (i / 2) * 8;
        RECT r = {x, y, x + 7, y + 7};
        HBRUSH b = CreateSolidBrush(colours[i]);
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
}

void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH bar = CreateSolidBrush(kBarColour);
    FillRect(dc, &rc, bar);
    DeleteObject(bar);
    PaintStartGlyph(dc);
    const int right = IconsRight(hwnd);
    wchar_t title[64] = {};
    if (g_lastForeground && g_lastForeground != hwnd)
        GetWindowTextW(g_lastForeground, title, 64);
    RECT text = {kStartAreaWidth + 4, 0,
                 right - static_cast<int>(g_area.Count()) * NotifyArea::kSlot - 2, rc.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, title, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    g_area.Paint(dc, right, rc.bottom);
    EndPaint(hwnd, &ps);
}

LRESULT OnCopyData(HWND hwnd, const COPYDATASTRUCT* cds)
{
    // Anything but a whole request of ours is refused unread.
    if (!cds || cds->dwData != kNotifyCopyData || cds->cbData != sizeof(NotifyIconWire) || !cds->lpData)
        return FALSE;
    NotifyIconWire wire;
    memcpy(&wire, cds->lpData, sizeof wire);
    const bool ok = g_area.Apply(wire);
    if (ok) {
        g_pressed = -1;
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    return ok ? TRUE : FALSE;
}

BOOL CALLBACK RaiseOwned(HWND w, LPARAM bar)
{
    if (GetWindow(w, GW_OWNER) == reinterpret_cast<HWND>(bar) && IsWindowVisible(w))
        SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

// Back on top, with the windows it owns above it. A program's window that
// comes up later may be stacked over the bar on the display (Wine does not
// keep topmost windows of other processes above a newly shown one).
void RaiseBar(HWND hwnd)
{
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EnumWindows(RaiseOwned, reinterpret_cast<LPARAM>(hwnd));
}

// A tap on an icon goes to its owner as the shell reports taps.
void TellOwner(int index, UINT mouseMessage)
{
    if (index < 0 || static_cast<size_t>(index) >= g_area.Count())
        return;
    const NotifyIcon& icon = g_area.At(index);
    if (icon.callback)
        PostMessageW(icon.owner, icon.callback, icon.id, mouseMessage);
}

LRESULT CALLBACK TaskBarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE:
        SetTimer(hwnd, kTidyTimer, 500, nullptr);
        return 0;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // a tap on the bar leaves the program in front
    case WM_COPYDATA:
        return OnCopyData(hwnd, reinterpret_cast<const COPYDATASTRUCT*>(lp));
    case WM_LBUTTONDOWN: {
        const int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
        RECT rc;
        GetClientRect(hwnd, &rc);
        const int right = IconsRight(hwnd);
        g_pressed = g_area.HitTest(x, y, right, rc.bottom);
        if (g_pressed >= 0) {
            TellOwner(g_pressed, WM_LBUTTONDOWN);
            return 0;
        }
        // As on the handheld, the flag and the title left of the icons open the menu.
        if (x < right - static_cast<int>(g_area.Count()) * NotifyArea::kSlot)
            OpenStartMenu(hwnd);
        return 0;
    }
    case WM_LBUTTONUP:
        TellOwner(g_pressed, WM_LBUTTONUP);
        g_pressed = -1;
        return 0;
    case WM_TIMER: {
        bool changed = g_area.DropOrphans();
        HWND fg = GetForegroundWindow();
        if (fg != g_lastForeground) {
            g_lastForeground = fg;
            changed = true;
            // The new program's window may reach the display a little later.
            g_raiseTicks = 6;
        }
        if (g_raiseTicks > 0) {
            --g_raiseTicks;
            if (IsWindowVisible(hwnd))
                RaiseBar(hwnd);
        }
        if (changed)
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_DESTROY:
        KillTimer(hwnd, kTidyTimer);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterTaskBarClass(HINSTANCE instance)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TaskBarProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kTaskBarClass;
    return RegisterClassW(&wc) != 0;
}

HWND CreateTaskBar(HINSTANCE instance)
{
    // Clip the children: programs place windows of their own on the bar.
    return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTaskBarClass, L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                           0, 0, aygshell::ScreenWidth(), aygshell::kTaskBarHeight, nullptr, nullptr, instance,
                           nullptr);
}

}  // namespace ceshell
