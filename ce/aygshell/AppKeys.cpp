// Hardware application keys: a bound key goes to its window wherever the focus is.
#include <aygshell.h>

namespace {

constexpr BYTE kFirstAppKey = 0xC1;
constexpr BYTE kLastAppKey = 0xCF;

HWND g_bound[kLastAppKey - kFirstAppKey + 1];
HHOOK g_hook;
CRITICAL_SECTION g_lock;
INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK InitLock(PINIT_ONCE, PVOID, PVOID*)
{
    InitializeCriticalSection(&g_lock);
    return TRUE;
}

HWND BoundWindow(WPARAM vk)
{
    if (vk < kFirstAppKey || vk > kLastAppKey)
        return nullptr;
    EnterCriticalSection(&g_lock);
    HWND w = g_bound[vk - kFirstAppKey];
    LeaveCriticalSection(&g_lock);
    return w;
}

LRESULT CALLBACK KeyHook(int code, WPARAM wp, LPARAM lp)
{
    if (code == HC_ACTION) {
        HWND target = BoundWindow(wp);
        if (target && IsWindow(target)) {
            const UINT msg = (lp & 0x80000000) ? WM_KEYUP : WM_KEYDOWN;
            PostMessageW(target, msg, wp, lp);
            // As on the handheld, a pressed application key also arrives as
            // its character, which is what the bound window acts on.
            if (msg == WM_KEYDOWN)
                PostMessageW(target, WM_CHAR, wp, lp);
            return 1;  // the focused window never sees a bound key
        }
    }
    return CallNextHookEx(g_hook, code, wp, lp);
}

}  // namespace

extern "C" BOOL SHSetAppKeyWndAssoc(BYTE bVk, HWND hwnd)
{
    InitOnceExecuteOnce(&g_once, InitLock, nullptr, nullptr);
    if (bVk < kFirstAppKey || bVk > kLastAppKey)
        return FALSE;
    if (hwnd && !IsWindow(hwnd))
        return FALSE;
    EnterCriticalSection(&g_lock);
    g_bound[bVk - kFirstAppKey] = hwnd;
    // Keys are read on the window's own thread, so the hook lives there.
    if (hwnd && !g_hook)
        g_hook = SetWindowsHookExW(WH_KEYBOARD, KeyHook, nullptr,
                                   GetWindowThreadProcessId(hwnd, nullptr));
    const bool ok = !hwnd || g_hook;
    LeaveCriticalSection(&g_lock);
    return ok ? TRUE : FALSE;
}
