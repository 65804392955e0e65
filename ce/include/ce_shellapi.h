#pragma once
// The shell's notification icons as on the handheld.
//
// On the handheld Shell_NotifyIcon puts an icon into the notification area of
// the shell's taskbar (window class "HHTaskBar"). Wine has a system tray of
// its own, so code that shows such an icon includes this header: it maps
// Shell_NotifyIcon to ce_Shell_NotifyIcon of the ce_shell library, which hands
// the request to the taskbar window of zenshell.exe. The calling code keeps
// the plain Win32 names and still builds as plain Win32.
//
// As on the handheld: the icon is copied (its owner may destroy its HICON
// after the call); a tap on it posts uCallbackMessage to hWnd with wParam =
// uID and lParam = WM_LBUTTONDOWN, then WM_LBUTTONUP; the call fails when no
// taskbar runs, when NIM_ADD names an icon that exists, or when NIM_MODIFY or
// NIM_DELETE names one that does not. When the taskbar starts it broadcasts
// the registered message "TaskbarCreated", so programs that came first can
// add their icons again.
//
// Include it after <windows.h>. With CE_SHELLAPI_NO_REMAP defined only
// ce_Shell_NotifyIcon is declared.
#include <windows.h>
#include <shellapi.h>

#ifdef __cplusplus
extern "C" {
#endif

BOOL WINAPI ce_Shell_NotifyIcon(DWORD message, PNOTIFYICONDATAW data);

#ifdef __cplusplus
}
#endif

#ifndef CE_SHELLAPI_NO_REMAP
#undef Shell_NotifyIcon
#define Shell_NotifyIcon ce_Shell_NotifyIcon
#define Shell_NotifyIconW ce_Shell_NotifyIcon
#endif
