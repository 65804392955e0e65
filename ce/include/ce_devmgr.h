#pragma once
// Control of the device manager stand-in (ce/devmgr): card insertion and
// removal, and where the device manager runs.
//
// One device manager serves a Wine session. It normally runs as its own host
// process (devmgr.exe), so a driver can keep a port open while no program has
// it; tests may run it inside their own process instead. Either way it serves
// the control pipe "\\.\pipe\ZenDevMgr" and one pipe per active device, so the
// functions below and CreateFileW("COM3:") (ce_serialapi.h) work from any
// process. Tests that insert cards share HKLM "Drivers\Active" with every
// other process of the session: give them the CTest lock of
// zen_uses_devmgr() (ce/devmgr/CMakeLists.txt).
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Starts the device manager inside this process. FALSE with ERROR_ALREADY_EXISTS
// when one already runs in this session (here or in a host process).
BOOL WINAPI CeDevMgrStartInProcess(void);
// Removes every card this process's device manager activated and stops it.
void WINAPI CeDevMgrStopInProcess(void);
// Starts devmgr.exe (next to this program) unless a device manager answers
// already; waits until it answers. TRUE when one is running.
BOOL WINAPI CeDevMgrStartHost(void);
// TRUE when a device manager answers within `waitMs` milliseconds.
BOOL WINAPI CeDevMgrIsRunning(DWORD waitMs);
// Asks the host process to remove its cards and end. TRUE when it was told.
BOOL WINAPI CeDevMgrShutdownHost(void);

// Registers `dll` (e.g. L"Serial.dll") with `prefix` (L"COM") as the driver of
// cards with `pnpId`: HKLM "Drivers\PCMCIA\<pnpId>".
BOOL WINAPI CeDevMgrRegisterDriver(LPCWSTR pnpId, LPCWSTR dll, LPCWSTR prefix);
// TRUE when a driver is registered for cards with `pnpId`.
BOOL WINAPI CeDevMgrDriverRegistered(LPCWSTR pnpId);

// Inserts a card: activates the driver registered for `pnpId`. `link` tells the
// platform serial driver where the card's line is: L"sim:<name>" for the
// module simulator's link (sim/), or a host port such as L"\\\\.\\COM5".
// On success the device name (L"COM3:") is copied to `name` (may be NULL).
// Fails with ERROR_FILE_NOT_FOUND when no driver is registered, ERROR_ALREADY_EXISTS
// when that card is in, ERROR_GEN_FAILURE when the driver's Init failed, and
// ERROR_PIPE_NOT_CONNECTED when no device manager runs. Every control call
// here fails with ERROR_TIMEOUT when the device manager took it but did not
// answer within 8 seconds.
BOOL WINAPI CeDevMgrInsertCard(LPCWSTR pnpId, LPCWSTR link, LPWSTR name, DWORD nameChars);
// Removes the card with `pnpId`: open handles fail from then on and are
// closed in the driver, calls still in the driver are ended by its Deinit,
// and its active key is deleted. FALSE when that card is not in.
BOOL WINAPI CeDevMgrRemoveCard(LPCWSTR pnpId);

// The handheld suspends (FALSE) or resumes (TRUE): every active driver's
// PowerDown or PowerUp entry point is called. After PowerUp each card's driver
// is de-activated and activated again, as card services do once the cards
// lost power: handles opened before fail with ERROR_DEVICE_REMOVED, and the
// port is opened anew (under the same name when it is still free).
BOOL WINAPI CeDevMgrSetPower(BOOL on);

#ifdef __cplusplus
}
#endif
