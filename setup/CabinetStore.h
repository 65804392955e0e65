#pragma once
// Keeps the installation cabinet and the installer program in the handheld's
// persistent flash folder, so that the system can be installed again after a
// full reset; the progress dialog that shows while it works.
#include <windows.h>

// The file work of the dialog. Installing on a "PocketPC" (`pocketPc`) moves
// "<installDir>\Zentrika.CAB" to "\iPAQ File Store\Kivo" and
// "<installDir>\InstallZentrika.exe" to "\iPAQ File Store"; elsewhere it
// deletes both. A source is deleted only once its copy is made.
void StoreCabinet(LPCWSTR installDir, bool pocketPc);
// Deletes the stored cabinet and installer from "\iPAQ File Store".
void RemoveStoredCabinet();

// Shows the progress dialog (resource 103 of `module`) modally; after 2 s it
// does the work of StoreCabinet (installDir set) or RemoveStoredCabinet
// (installDir null) and closes.
void ShowCabinetProgress(HINSTANCE module, HWND parent, LPCWSTR installDir, bool pocketPc);
