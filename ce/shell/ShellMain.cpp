// zenshell.exe: the handheld shell's taskbar. One runs per desktop; a second
// start ends at once.
#include "ce/shell/NotifyWire.h"
#include "ce/shell/TaskBarWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    HANDLE once = CreateMutexW(nullptr, FALSE, L"ZenShell TaskBar");
    if (!once || GetLastError() == ERROR_ALREADY_EXISTS || FindWindowW(ceshell::kTaskBarClass, nullptr))
        return 0;
    if (!ceshell::RegisterTaskBarClass(instance) || !ceshell::CreateTaskBar(instance)) {
        CloseHandle(once);
        return 1;
    }
    // Programs that came first add their notification icons again.
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CloseHandle(once);
    return 0;
}
