#pragma once
// The module's states as the agent shows them, and the words that name them
// on the command line.
#include <windows.h>

namespace agent {

enum : int {
    kStatePowerOn = 0,
    kStatePhone = 1,
    kStateInternet = 2,
    kStatePowerOff = 3,
    kStateCount = 4,
    kStateNone = 4,  // no state word given
};

// "PowerON", "Phone", "Internet", "PowerOFF".
LPCWSTR StateWord(int index);
// The first state word found in the text, in the order above; kStateNone when none.
int StateIndexOf(LPCWSTR text);

// The taskbar window's class and title, and the messages it takes.
constexpr const wchar_t* kWindowName = L"Norvale TaskBar";
constexpr const wchar_t* kMutexName = L"Norvale Zentrika AGENT";
constexpr const wchar_t* kShellTaskBarClass = L"HHTaskBar";
constexpr UINT WM_AGENT_STATE = WM_USER + 1;
constexpr UINT WM_AGENT_TRAFFIC = WM_USER + 2;
constexpr UINT WM_AGENT_NOTIFY = WM_USER + 3;
constexpr UINT WM_AGENT_SHOW = WM_USER + 10;
constexpr UINT kNotifyIconId = 1000;

}  // namespace agent
