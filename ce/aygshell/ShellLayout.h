#pragma once
// Where the shell's own windows sit on the handheld's screen.
#include <windows.h>

namespace aygshell {

constexpr int kTaskBarHeight = 26;
constexpr int kMenuBarHeight = 26;
constexpr int kSipHeight = 80;

inline int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
inline int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

// The input panel sits on top of the menu bar.
inline RECT SipRect()
{
    const int bottom = ScreenHeight() - kMenuBarHeight;
    return {0, bottom - kSipHeight, ScreenWidth(), bottom};
}

HINSTANCE ModuleInstance();

}  // namespace aygshell
