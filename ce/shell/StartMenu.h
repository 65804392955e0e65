#pragma once
// The start area's menu: the programs a person starts from the taskbar.
#include <windows.h>

namespace ceshell {

// Opens the menu below the start area and starts the chosen program; a
// program that is not there is reported in a message box.
void OpenStartMenu(HWND taskbar);

}  // namespace ceshell
