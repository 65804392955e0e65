#pragma once
// Window messages the modem port driver posts to the phone and the taskbar agent.
#include <windows.h>

namespace zendrv {

// To the phone: wParam/lParam 1 = the driver watches the port again, 0 = it goes away.
constexpr UINT WM_MODEM_WAKE = WM_USER + 1000;
// To the agent: wParam = the module's state index (see AgentState).
constexpr UINT WM_AGENT_STATE = WM_USER + 1;
// To the agent: wParam = bytes written, lParam = bytes read.
constexpr UINT WM_AGENT_TRAFFIC = WM_USER + 2;

enum AgentState : int { kPowerOn = 0, kPhone = 1, kInternet = 2, kPowerOff = 3 };

}  // namespace zendrv
