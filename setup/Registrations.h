#pragma once
// What the installation registers: the modem port driver for the module's
// PC-card identities, and the phone and message entries of the carrier's
// application menu.
#include <windows.h>

// The module's PC-card identities, one driver key each.
extern const wchar_t* const kModuleCardIds[4];

// HKLM "Drivers\PCMCIA\<id>" for every identity; a key that cannot be
// created is skipped. The number of keys written.
int RegisterPortDriver();
void UnregisterPortDriver();
// HKLM "Software\Veltana\Apps\Kivo Phone" and "...\Kivo SMS", starting the
// phone from `installDir`; a key that cannot be created is skipped. The
// number of keys written.
int RegisterMenuEntries(LPCWSTR installDir);
void UnregisterMenuEntries();
