#pragma once
// The packet-data dial-up entry through the phone module: its dial
// parameters, the dialling locations and the connection manager or browser
// settings that make the browser use it. Written by the installer once and by
// the phone each time its main window is created and before it starts the
// browser.
#include <windows.h>
#include <ras.h>

// Name of the dial-up entry in the default phone book.
inline constexpr wchar_t kDialUpEntryName[] = L"Zentrika";

// Fills the dial parameters of the entry.
void PrepareDialParams(RASDIALPARAMS* params);
// Writes the entry, its dial parameters, the dialling locations and the
// connection manager (or browser) settings. 1 on success, 0 on failure; only
// a Windows CE handheld of type "PocketPC" or "Palm PC2" gets anything.
int WriteDialUpEntry(const RASDIALPARAMS* params);
// Removes the entry and the connection manager and browser settings that
// name it; the dialling locations are the handheld's and stay.
void RemoveDialUpEntry();
// Prepares the dial parameters and writes the entry.
int EnsureDialUpEntry();
// Starts "\Windows\iexplore.exe" without a command line; 1 when started.
int StartBrowser();
