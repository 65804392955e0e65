#pragma once
// Device files as on the handheld.
//
// On the handheld a name such as "COM3:" (three letters, a digit, a colon) is a
// device: CreateFileW goes to the device manager, and every later call on that
// handle reaches the driver's stream entry points (COM_Open, COM_Read, ...).
// The comm calls are I/O control requests on the handle (IOCTL_SERIAL_*,
// pegdser.h). Wine has no such device manager, so code that talks to devices
// includes this header. It maps the Win32 names below to the CeDev* functions
// of the ce_serialapi library (linked through ce_headers). Those send device
// names, and the handles they return, to the device manager that serves the
// device (ce/devmgr, in its own host process or in this one, over one named
// pipe per device, so any process reaches a driver hosted elsewhere); every
// other path and every other handle goes to kernel32 unchanged. The calling
// code keeps the plain Win32 names and still builds as plain Win32.
//
// Include it after <windows.h> (or instead of it). With CE_SERIALAPI_NO_REMAP
// defined only the CeDev* functions are declared.
//
// Behaviour of device handles, as on the handheld:
// - no overlapped I/O (lpOverlapped must be NULL);
// - several threads may call on one handle at once: a WaitCommEvent blocked on
//   one thread never holds up a WriteFile on another;
// - after the card is removed (or the handheld resumed, which starts its
//   driver anew) every call fails with ERROR_DEVICE_REMOVED and CloseHandle
//   still releases the handle;
// - CloseHandle always releases the handle, and says FALSE (with the
//   driver's error) when the driver refused the close;
// - a handle is of the process that opened it: no other process can use it;
// - WriteFile honours WriteTotalTimeoutMultiplier/Constant: a write the line
//   does not take in time succeeds with a shorter count;
// - a process that ends with a handle open closes it in the driver.
#include <windows.h>
#include <pegdser.h>

#ifdef __cplusplus
extern "C" {
#endif

HANDLE WINAPI CeDevCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                               DWORD creation, DWORD flags, HANDLE templateFile);
BOOL WINAPI CeDevReadFile(HANDLE h, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED ov);
BOOL WINAPI CeDevWriteFile(HANDLE h, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov);
BOOL WINAPI CeDevCloseHandle(HANDLE h);
BOOL WINAPI CeDevDeviceIoControl(HANDLE h, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                 DWORD outSize, LPDWORD returned, LPOVERLAPPED ov);
BOOL WINAPI CeDevGetCommState(HANDLE h, LPDCB dcb);
BOOL WINAPI CeDevSetCommState(HANDLE h, LPDCB dcb);
BOOL WINAPI CeDevGetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS timeouts);
BOOL WINAPI CeDevSetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS timeouts);
BOOL WINAPI CeDevGetCommMask(HANDLE h, LPDWORD mask);
BOOL WINAPI CeDevSetCommMask(HANDLE h, DWORD mask);
BOOL WINAPI CeDevWaitCommEvent(HANDLE h, LPDWORD mask, LPOVERLAPPED ov);
BOOL WINAPI CeDevPurgeComm(HANDLE h, DWORD flags);
BOOL WINAPI CeDevEscapeCommFunction(HANDLE h, DWORD func);
BOOL WINAPI CeDevGetCommModemStatus(HANDLE h, LPDWORD status);
BOOL WINAPI CeDevClearCommError(HANDLE h, LPDWORD errors, LPCOMSTAT stat);
BOOL WINAPI CeDevSetupComm(HANDLE h, DWORD inQueue, DWORD outQueue);
BOOL WINAPI CeDevGetCommProperties(HANDLE h, LPCOMMPROP prop);

// TRUE when `h` is a device handle of this stand-in (for tests and tools).
BOOL WINAPI CeDevIsDeviceHandle(HANDLE h);

#ifdef __cplusplus
}
#endif

#ifndef CE_SERIALAPI_NO_REMAP
#undef CreateFile
#define CreateFile CeDevCreateFileW
#define CreateFileW CeDevCreateFileW
#define ReadFile CeDevReadFile
#define WriteFile CeDevWriteFile
#define CloseHandle CeDevCloseHandle
#define DeviceIoControl CeDevDeviceIoControl
#define GetCommState CeDevGetCommState
#define SetCommState CeDevSetCommState
#define GetCommTimeouts CeDevGetCommTimeouts
#define SetCommTimeouts CeDevSetCommTimeouts
#define GetCommMask CeDevGetCommMask
#define SetCommMask CeDevSetCommMask
#define WaitCommEvent CeDevWaitCommEvent
#define PurgeComm CeDevPurgeComm
#define EscapeCommFunction CeDevEscapeCommFunction
#define GetCommModemStatus CeDevGetCommModemStatus
#define ClearCommError CeDevClearCommError
#define SetupComm CeDevSetupComm
#define GetCommProperties CeDevGetCommProperties
#endif
