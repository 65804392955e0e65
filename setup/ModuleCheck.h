#pragma once
// Whether the phone module's card is in, and the message that asks the user
// to take it out before the system is installed or removed.
#include <windows.h>

// True while HKLM "Drivers\Active" lists a device of the module.
bool IsModulePlugged();
// Shows the stop message (install or removal wording) until the module is
// out; each dismissal looks again.
void WaitForModuleUnplugged(HWND parent, bool installing);
