#pragma once
// The carrier's companion applications: where each is installed (from the
// registry), and starting the one the user chose once the phone has ended.
#include <windows.h>

inline constexpr int kCompanionSlots = 5;
// Characters of a companion's path, terminator included.
inline constexpr int kCompanionPathChars = 260;

// The registry name under "SOFTWARE\Veltana\Apps\%s" of a slot 0-4, or null.
LPCWSTR CompanionName(int slot);
// The notice shown when a slot's application is not installed, or null.
LPCWSTR CompanionMissingText(int slot);

// Reads the slot's "InstallDir" into `out` (kCompanionPathChars). A value that
// does not fit with its terminator counts as not installed: a cut path would
// start something else. False (and `out` empty) when not installed.
bool ReadCompanionPath(int slot, LPWSTR out, HKEY root = HKEY_LOCAL_MACHINE);

// Splits a companion's path into the program and its parameters: the program
// runs to the first ".exe" (in any case), the parameters are what follows
// the character after it when more than one character follows. Without
// ".exe" the whole path is the program.
void SplitCompanionPath(LPCWSTR path, LPWSTR file, int fileChars, LPWSTR params, int paramChars);

// Starts the application of `path` without error dialogs; false when the
// path is empty or the start failed.
bool LaunchCompanion(LPCWSTR path);
