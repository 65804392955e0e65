// The display's power escape. While the display is off a black topmost window
// covers the whole screen; it takes every tap, so nothing reaches the programs
// under it. The window runs on a thread of its own, so it stays dark whether
// or not the caller pumps messages.
#define CE_DISPLAY_NO_REMAP
#include "pwingdi.h"

#include "ce_devicestate.h"

namespace {

const wchar_t kDarkClass[] = L"CeDisplayOff";

struct DisplayState {
    volatile LONG powerState;  // 0 until first switched: on
    volatile LONG64 darkWindow;
    volatile LONG changes;
};

DisplayState* Shared(BOOL create)
{
    static DisplayState* mapped = nullptr;
    if (!mapped)
        mapped = static_cast<DisplayState*>(CeDeviceStateMap(L"Display", sizeof(DisplayState), create));
    return mapped;
}

CRITICAL_SECTION* Lock()
{
    struct Section {
        CRITICAL_SECTION cs;
        Section() { InitializeCriticalSection(&cs); }
    };
    static Section section;
    return &section.cs;
}

// This process's dark window and its thread.
HWND g_dark = nullptr;
HANDLE g_darkThread = nullptr;

LRESULT CALLBACK DarkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATEANDEAT;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
        return 0;  // taps end here
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_TIMER:
        // A program that raises its own window to the top stays under the dark one.
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return 0;
    case WM_CLOSE:
        KillTimer(hwnd, 1);
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

struct DarkStart {
    HANDLE ready;
    HWND hwnd;
};

DWORD WINAPI DarkThread(LPVOID param)
{
    auto* start = static_cast<DarkStart*>(param);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DarkProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kDarkClass;
    RegisterClassW(&wc);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kDarkClass, L"",
                                WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr, nullptr, wc.hInstance, nullptr);
    start->hwnd = hwnd;
    if (hwnd) {
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        UpdateWindow(hwnd);
        SetTimer(hwnd, 1, 300, nullptr);
    }
    SetEvent(start->ready);
    if (!hwnd)
        return 1;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}

bool Darken()
{
    if (g_dark)
        return true;
    DarkStart start = {CreateEventW(nullptr, TRUE, FALSE, nullptr), nullptr};
    if (!start.ready)
        return false;
    HANDLE t = CreateThread(nullptr, 0, DarkThread, &start, 0, nullptr);
    if (!t) {
        CloseHandle(start.ready);
        return false;
    }
    WaitForSingleObject(start.ready, INFINITE);
    CloseHandle(start.ready);
    if (!start.hwnd) {
        WaitForSingleObject(t, INFINITE);
        CloseHandle(t);
        return false;
    }
    g_dark = start.hwnd;
    g_darkThread = t;
    return true;
}

void Lighten(DisplayState* s)
{
    if (!g_dark) {
        // Darkened by another process: its window goes all the same.
        HWND other = s ? reinterpret_cast<HWND>(s->darkWindow) : nullptr;
        if (other && IsWindow(other))
            PostMessageW(other, WM_CLOSE, 0, 0);
        return;
    }
    PostMessageW(g_dark, WM_CLOSE, 0, 0);
    WaitForSingleObject(g_darkThread, 5000);
    CloseHandle(g_darkThread);
    g_dark = nullptr;
    g_darkThread = nullptr;
}

int SetPower(const VIDEO_POWER_MANAGEMENT& vpm)
{
    if (vpm.PowerState < VideoPowerOn || vpm.PowerState > VideoPowerOff)
        return -1;
    DisplayState* s = Shared(TRUE);
    EnterCriticalSection(Lock());
    bool ok;
    if (vpm.PowerState == VideoPowerOn) {
        Lighten(s);
        ok = true;
    } else {
        ok = Darken();
    }
    if (ok && s) {
        InterlockedExchange(&s->powerState, static_cast<LONG>(vpm.PowerState));
        InterlockedExchange64(&s->darkWindow, reinterpret_cast<LONG64>(g_dark));
        InterlockedIncrement(&s->changes);
    }
    LeaveCriticalSection(Lock());
    return ok ? 1 : -1;
}

}  // namespace

extern "C" int WINAPI CeExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput,
                                  LPSTR lpOutData)
{
    if (iEscape == QUERYESCSUPPORT && cjInput >= static_cast<int>(sizeof(DWORD)) && lpInData) {
        DWORD asked;
        memcpy(&asked, lpInData, sizeof asked);
        if (asked == SETPOWERMANAGEMENT || asked == GETPOWERMANAGEMENT)
            return 1;
        return ExtEscape(hdc, iEscape, cjInput, lpInData, cjOutput, lpOutData);
    }
    if (iEscape == SETPOWERMANAGEMENT) {
        VIDEO_POWER_MANAGEMENT vpm;
        if (!lpInData || cjInput < static_cast<int>(sizeof vpm))
            return -1;
        memcpy(&vpm, lpInData, sizeof vpm);
        if (vpm.Length != sizeof vpm)
            return -1;
        return SetPower(vpm);
    }
    if (iEscape == GETPOWERMANAGEMENT) {
        if (!lpOutData || cjOutput < static_cast<int>(sizeof(VIDEO_POWER_MANAGEMENT)))
            return -1;
        VIDEO_POWER_MANAGEMENT vpm = {sizeof vpm, 1, CeDisplayGetPowerState()};
        memcpy(lpOutData, &vpm, sizeof vpm);
        return 1;
    }
    return ExtEscape(hdc, iEscape, cjInput, lpInData, cjOutput, lpOutData);
}

extern "C" ULONG WINAPI CeDisplayGetPowerState(void)
{
    DisplayState* s = Shared(FALSE);
    return s && s->powerState ? static_cast<ULONG>(s->powerState) : static_cast<ULONG>(VideoPowerOn);
}

extern "C" HWND WINAPI CeDisplayGetDarkWindow(void)
{
    DisplayState* s = Shared(FALSE);
    return s ? reinterpret_cast<HWND>(s->darkWindow) : nullptr;
}
