#pragma once
// Stream driver interface of the device manager (ce/devmgr).
//
// A driver is a DLL registered under HKLM "Drivers\PCMCIA\<PnP id>" with the
// values "Dll" and "Prefix" (and optionally "Index", the device number). When a
// card with that PnP id is inserted the device manager loads the DLL, resolves
// <Prefix>_Init, _Deinit, _Open, _Close, _Read, _Write, _IOControl, _PowerUp,
// _PowerDown (and _Seek and _PreDeinit if present), writes HKLM "Drivers\Active\NN" ("Key",
// "Name" such as "COM3:", "PnpId", "Hnd", "Sckt", "Link") and calls _Init with
// the path of that active key.
//
// Contexts and open handles are DWORD_PTR: the handheld passes them as DWORD,
// which is the same width there; here they must hold pointers.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// `activeKey` is an LPCWSTR: the path of the driver's key under
// HKLM "Drivers\Active". Returns the device context, 0 on failure.
typedef DWORD_PTR (*PFN_STREAM_INIT)(DWORD_PTR activeKey);
typedef BOOL (*PFN_STREAM_DEINIT)(DWORD_PTR device);
// Returns the open context, 0 on failure (with SetLastError).
typedef DWORD_PTR (*PFN_STREAM_OPEN)(DWORD_PTR device, DWORD access, DWORD share);
typedef BOOL (*PFN_STREAM_CLOSE)(DWORD_PTR open);
// Read and write return the byte count, or (DWORD)-1 on failure.
typedef DWORD (*PFN_STREAM_READ)(DWORD_PTR open, LPVOID buffer, DWORD count);
typedef DWORD (*PFN_STREAM_WRITE)(DWORD_PTR open, LPCVOID buffer, DWORD count);
typedef DWORD (*PFN_STREAM_SEEK)(DWORD_PTR open, long amount, DWORD type);
typedef BOOL (*PFN_STREAM_IOCONTROL)(DWORD_PTR open, DWORD code, PBYTE in, DWORD inSize, PBYTE out,
                                     DWORD outSize, PDWORD returned);
typedef void (*PFN_STREAM_POWERUP)(DWORD_PTR device);
typedef void (*PFN_STREAM_POWERDOWN)(DWORD_PTR device);
// Optional: on removal, before any handle is closed, the device is marked
// gone and its sleeping threads are woken; Deinit follows.
typedef BOOL (*PFN_STREAM_PREDEINIT)(DWORD_PTR device);

#ifdef __cplusplus
}
#endif
