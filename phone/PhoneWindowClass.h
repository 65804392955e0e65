#pragma once
#include <windows.h>

// Class and title by which the driver, the agent and the installer find the phone.
inline constexpr wchar_t kPhoneWindowClass[] = L"Norvale Zentrika";
inline constexpr wchar_t kPhoneWindowTitle[] = L"Zentrika";
