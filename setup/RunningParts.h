#pragma once
// Closes the running phone application and taskbar agent before their files
// are replaced or removed.
#include <windows.h>

void CloseRunningParts();
