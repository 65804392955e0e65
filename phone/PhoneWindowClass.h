#pragma once
#include <windows.h>

// Class and title by which the driver, the agent and the installer find the phone.
inline constexpr wchar_t kPhoneWindowClass[] = L"Norvale Zentrika";
inline constexpr wchar_t kPhoneWindowTitle[] = L"Zentrika";

// Registers the main window's class; true when it is registered (also if it already was).
bool RegisterPhoneWindowClass(HINSTANCE instance, WNDPROC proc);
// Creates the main window over the whole handheld screen.
HWND CreatePhoneWindow(HINSTANCE instance);
