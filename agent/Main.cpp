// Entry of the taskbar agent: one runs; a further start passes its state word
// to the running one and ends.
#include <windows.h>

#include "agent/AgentStates.h"
#include "agent/CCeAgentWnd.h"

using namespace agent;

namespace {

HWND FindRunningAgent()
{
    HWND taskbar = FindWindowW(kShellTaskBarClass, nullptr);
    if (taskbar) {
        HWND w = FindWindowExW(taskbar, nullptr, nullptr, kWindowName);
        if (w)
            return w;
    }
    return FindWindowW(kWindowName, kWindowName);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kMutexName);
    const bool running = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    const int index = StateIndexOf(cmdLine);
    if (!mutex)
        return 1;
    if (running) {
        // The running agent may still be making its window: give it a moment.
        HWND w = nullptr;
        for (int i = 0; i < 40 && !(w = FindRunningAgent()); ++i)
            Sleep(50);
        if (w)
            PostMessageW(w, WM_AGENT_STATE, static_cast<WPARAM>(index), 0);
        CloseHandle(mutex);
        return w ? 0 : 1;
    }
    if (index == kStatePowerOff) {
        CloseHandle(mutex);
        return 0;
    }
    static CCeAgentWnd wnd;
    if (!CCeAgentWnd::RegisterClass(instance) || !wnd.Create(instance)) {
        CloseHandle(mutex);
        return 1;
    }
    wnd.SetState(index);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CCeAgentWnd::UnregisterClass(instance);
    CloseHandle(mutex);
    return 0;
}
