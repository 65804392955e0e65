#pragma once
// The client side of device handles: which handles are devices, and the pipe
// connections through which their calls reach the device manager.
#include <windows.h>

#include <string>
#include <vector>

namespace cedev {

// TRUE for device names: three letters, one digit, a colon ("COM3:").
bool IsDeviceName(LPCWSTR name);

// Opens the device; returns a handle of this process (a real kernel object,
// so it never equals another handle) or INVALID_HANDLE_VALUE.
HANDLE DeviceOpen(LPCWSTR name, DWORD access, DWORD share);
bool IsDeviceHandle(HANDLE h);
BOOL DeviceClose(HANDLE h);
// Each returns FALSE with the last error set; `value` gets the reply's count.
BOOL DeviceRead(HANDLE h, void* buffer, DWORD count, DWORD& value);
BOOL DeviceWrite(HANDLE h, const void* buffer, DWORD count, DWORD& value);
BOOL DeviceIoControl(HANDLE h, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                     DWORD& returned);

}  // namespace cedev
