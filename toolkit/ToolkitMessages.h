#pragma once
// Window messages the toolkit sends to the program's windows.
#include <windows.h>

// A child tells its parent something; wParam is the code, lParam the sender.
// An edit control sends code 0 when Enter is released.
constexpr UINT WM_CHILDNOTIFY = WM_USER + 3000;
