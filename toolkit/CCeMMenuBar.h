#pragma once
// The shell's menu bar of the main window.
#include <aygshell.h>

class CCeMMenuBar {
public:
    CCeMMenuBar();

    // Returns whether the shell made the bar.
    int Create(HINSTANCE instance, HWND parent, UINT toolBarId, DWORD flags, int bitmapId, int imageCount);
    HWND Hwnd() const { return m_info.hwndMB; }
    const SHMENUBARINFO& Info() const { return m_info; }

private:
    SHMENUBARINFO m_info;
};
