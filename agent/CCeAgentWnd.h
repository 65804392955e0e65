#pragma once
// The agent's window on the shell's taskbar ("Norvale TaskBar"): the module's
// state as an icon there and in the notification area, the received-byte
// counter, the menus and their commands.
#include <windows.h>

#include "agent/TaskFilter.h"

class CCeAgentWnd {
public:
    static bool RegisterClass(HINSTANCE instance);
    static void UnregisterClass(HINSTANCE instance);
    // Creates the window on the shell's taskbar (or alone when there is none).
    bool Create(HINSTANCE instance);
    HWND Hwnd() const { return m_hWnd; }

    // Index 0 to 3; anything else is ignored.
    void SetState(int index);
    int State() const { return m_nState; }
    void AddTraffic(DWORD received);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK ViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR CALLBACK OptionProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

    void OnCreate();
    void OnDestroy();
    void OnPaint(HWND target);
    void Repaint();
    void SyncView();
    void OnTimer();
    void OnTap(int x);
    void OnCommand(UINT id);
    void OpenMainMenu();
    void OpenTaskMenu();
    void CloseForeground();
    void ShowBar(bool show);
    void UpdateNotifyIcon(bool add);
    void FlushTraffic();
    void RunPhone();
    void RunProgram(LPCWSTR path, LPCWSTR args);
    void SoftReset();
    void ShowOptions();

    HWND m_hWnd = nullptr;
    // A top-level twin over the window that shows what it draws: a window of
    // another process's taskbar is not drawn on every platform (Wine).
    HWND m_hView = nullptr;
    HINSTANCE m_hInstance = nullptr;
    int m_nState = 0;
    bool m_bShown = false;
    int m_nForeground = 0;
    DWORD m_dwReceived = 0;
    int m_nPlatform = 1;
    int m_nMinute = -1;
    bool m_bIconAdded = false;
    HICON m_hIcons[6] = {};
    HMENU m_hMenu = nullptr;
    wchar_t m_szInstallDir[MAX_PATH] = {};
    agent::TaskEntry m_Tasks[agent::kMaxTasks] = {};
    int m_nTasks = 0;
};
