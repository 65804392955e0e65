// The input panel: a small keyboard above the menu bar that types into
// whatever window has the focus. It never takes the focus itself.
#include <sipapi.h>

#include "ce/aygshell/ShellLayout.h"

namespace {

const wchar_t kSipClass[] = L"SipWndClass";
constexpr int kRows = 4;
constexpr int kCols = 10;
// One row of ten keys each; \b is backspace, \r is Enter, ' ' is space.
const wchar_t kKeys[kRows][kCols + 1] = {
    L"1234567890",
    L"qwertyuiop",
    L"asdfghjkl\b",
    L"zxcvbnm ,\r",
};

HWND g_sip;
int g_pressed = -1;  // key index while the pen is on it

RECT KeyRect(HWND hwnd, int index)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int row = index / kCols, col = index % kCols;
    const int w = rc.right / kCols, h = rc.bottom / kRows;
    return {col * w, row * h, (col + 1) * w, (row + 1) * h};
}

int KeyAt(HWND hwnd, int x, int y)
{
    for (int i = 0; i < kRows * kCols; ++i) {
        RECT rc = KeyRect(hwnd, i);
        if (x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom)
            return i;
    }
    return -1;
}

const wchar_t* KeyLabel(wchar_t c)
{
    static wchar_t one[2];
    switch (c) {
    case L'\b': return L"<-";
    case L'\r': return L"Ent";
    case L' ': return L"Sp";
    default: one[0] = c; one[1] = 0; return one;
    }
}

// Types one key into the focused window, as the keyboard would.
void Type(wchar_t c)
{
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    if (c == L'\b' || c == L'\r') {
        in[0].ki.wVk = in[1].ki.wVk = (c == L'\b') ? VK_BACK : VK_RETURN;
    } else {
        in[0].ki.wScan = in[1].ki.wScan = c;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT all;
    GetClientRect(hwnd, &all);
    HBRUSH face = CreateSolidBrush(RGB(214, 211, 206));
    FillRect(dc, &all, face);
    HBRUSH down = CreateSolidBrush(RGB(0, 0, 156));
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < kRows * kCols; ++i) {
        RECT rc = KeyRect(hwnd, i);
        InflateRect(&rc, -1, -1);
        if (i == g_pressed)
            FillRect(dc, &rc, down);
        FrameRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        SetTextColor(dc, i == g_pressed ? RGB(255, 255, 255) : RGB(0, 0, 0));
        DrawTextW(dc, KeyLabel(kKeys[i / kCols][i % kCols]), -1, &rc,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    DeleteObject(down);
    DeleteObject(face);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK SipProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
        g_pressed = KeyAt(hwnd, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        if (g_pressed >= 0) {
            SetCapture(hwnd);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONUP: {
        const int key = KeyAt(hwnd, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        const int was = g_pressed;
        g_pressed = -1;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        if (was >= 0 && key == was)
            Type(kKeys[key / kCols][key % kCols]);
        return 0;
    }
    case WM_DESTROY:
        if (g_sip == hwnd)
            g_sip = nullptr;
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

HWND SipWindow()
{
    if (g_sip && IsWindow(g_sip))
        return g_sip;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = SipProc;
    wc.hInstance = aygshell::ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kSipClass;
    RegisterClassW(&wc);  // harmless when already registered
    const RECT rc = aygshell::SipRect();
    g_sip = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kSipClass, L"",
                            WS_POPUP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                            nullptr, nullptr, wc.hInstance, nullptr);
    return g_sip;
}

}  // namespace

extern "C" BOOL SipShowIM(DWORD dwFlag)
{
    if (dwFlag & SIPF_ON) {
        HWND sip = SipWindow();
        if (!sip)
            return FALSE;
        SetWindowPos(sip, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        return TRUE;
    }
    if (g_sip && IsWindow(g_sip))
        ShowWindow(g_sip, SW_HIDE);
    return TRUE;
}

extern "C" BOOL SipGetInfo(SIPINFO* info)
{
    if (!info || info->cbSize < sizeof(SIPINFO))
        return FALSE;
    const bool on = g_sip && IsWindowVisible(g_sip);
    info->fdwFlags = SIPF_DOCKED | (on ? SIPF_ON : 0);
    info->rcSipRect = aygshell::SipRect();
    info->rcVisibleDesktop = {0, aygshell::kTaskBarHeight, aygshell::ScreenWidth(),
                              on ? info->rcSipRect.top
                                 : aygshell::ScreenHeight() - aygshell::kMenuBarHeight};
    info->dwImDataSize = 0;
    info->pvImData = nullptr;
    return TRUE;
}
