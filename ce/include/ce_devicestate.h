#pragma once
// State of the handheld's small devices (LEDs, display power) kept where
// every process of the handheld can read it: a named shared section per
// device. The environment variable ZEN_DEVICE_ID, when set, gives a private
// set of devices (tests that run side by side use it).
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Maps the named section of `size` bytes (created zeroed by its first user).
// The view stays mapped for the process's life; null on failure. With
// `create` FALSE, null when no process has made it yet.
void* WINAPI CeDeviceStateMap(LPCWSTR name, DWORD size, BOOL create);

#ifdef __cplusplus
}
#endif
