#pragma once
// The shell's taskbar window (class "HHTaskBar") along the top of the screen.
#include <windows.h>

namespace ceshell {

// The right end where the foreground program's close box sits on the
// handheld; programs may put a window of their own there.
constexpr int kCloseAreaWidth = 32;
constexpr int kStartAreaWidth = 26;

bool RegisterTaskBarClass(HINSTANCE instance);
HWND CreateTaskBar(HINSTANCE instance);

}  // namespace ceshell
