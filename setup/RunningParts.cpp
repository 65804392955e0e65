#include "setup/RunningParts.h"

#include <cwchar>

namespace {

// The phone asks before it ends: whatever dialog it then shows is accepted.
void ClosePhone()
{
    HWND phone = FindWindowW(nullptr, L"Zentrika");
    if (!phone)
        return;
    SetForegroundWindow(phone);
    PostMessageW(phone, WM_CLOSE, 0, 0);
    Sleep(2000);
    HWND front = GetForegroundWindow();
    DWORD pid = 0;
    wchar_t cls[64] = L"";
    if (!front || !GetWindowThreadProcessId(front, &pid) || pid == GetCurrentProcessId())
        return;  // never our own installer's windows
    GetClassNameW(front, cls, 64);
    if (wcscmp(cls, L"#32770") == 0 || wcscmp(cls, L"Dialog") == 0)
        PostMessageW(front, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void CloseAgent()
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Norvale Zentrika AGENT");
    const bool running = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    if (mutex)
        CloseHandle(mutex);
    if (!running)
        return;
    HWND bar = FindWindowW(L"HHTaskBar", nullptr);
    if (!bar)
        return;
    for (HWND child = GetWindow(bar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[32] = L"";
        GetWindowTextW(child, text, 32);
        if (wcscmp(text, L"Norvale TaskBar") == 0) {
            // A hung agent must not hang the installation.
            DWORD_PTR result = 0;
            SendMessageTimeoutW(child, WM_CLOSE, 0, 0, SMTO_NORMAL, 10000, &result);
            return;
        }
    }
}

}  // namespace

void CloseRunningParts()
{
    ClosePhone();
    CloseAgent();
}
