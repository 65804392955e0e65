#pragma once
#include <windows.h>

// Reads the installation folder: "InstallDir" of HKLM "SOFTWARE\Apps\Norvale
// Zentrika", at most 128 bytes. A missing key, a value of another type or one
// that does not fit leaves `out` empty (sounds and skins then fail to open).
// True when a folder was read.
bool ReadInstallDir(LPWSTR out, int outChars, HKEY root = HKEY_LOCAL_MACHINE);
