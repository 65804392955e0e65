#pragma once
// The agent's settings: "TaskBarShow", the start-up link, the installation
// folder and the kind of handheld.
#include <windows.h>

namespace agent {

bool ReadTaskBarShow();
bool WriteTaskBarShow(bool show);

bool StartupLinkExists();
// Creates ("ZentAgent.LNK" pointing at the agent in `installDir`) or deletes the link.
bool SetStartupLink(bool present, LPCWSTR installDir);

// "InstallDir" of the phone's registry key; without one, the agent's own
// folder, where the programs are delivered together. False when neither is known.
bool ReadInstallDir(wchar_t* out, DWORD chars);

// 1 on a "PocketPC" handheld, else 0, -1 when the query fails.
int PlatformFlag();

}  // namespace agent
