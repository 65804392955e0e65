#pragma once
// Finding and starting the programs the driver wakes: the phone application
// and the taskbar agent.
#include <windows.h>

#include <string>

namespace zendrv {

// "InstallDir" of HKLM "SOFTWARE\Apps\Norvale Zentrika", at most 128 bytes;
// empty when missing or longer.
std::wstring ReadInstallDir();

// Starts "<folder>\<file>" with `params`, shown normally and without error
// dialogs. FALSE when the folder is unknown or the start failed.
bool StartProgram(const std::wstring& folder, const wchar_t* file, const wchar_t* params);

// The phone application's main window, or null.
HWND FindPhoneWindow();
// A handle (SYNCHRONIZE) on the phone's single-instance mutex while a copy
// of it runs or is still ending, null when none does. The mutex outlives the
// phone's window until its process has gone.
HANDLE OpenPhoneInstance();
// The agent's window in the shell taskbar, or null when the agent does not run.
HWND FindAgentWindow();

// The agent's command-line word for a state index 0 to 3.
const wchar_t* AgentStateWord(int state);

}  // namespace zendrv
