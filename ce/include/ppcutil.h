#pragma once
// The handheld maker's utility library: control of the expansion slot's
// interrupt. The stand-in keeps each slot's state in a shared section (see
// ce_devicestate.h), so tests and tools in other processes can read it.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Slots 0 and 1. FALSE with ERROR_INVALID_PARAMETER for another slot.
BOOL WINAPI PPC_SET_INTERRUPT_ENABLED(DWORD slot, BOOL enabled);
// Whether the slot's interrupt wakes the handheld from suspend.
BOOL WINAPI PPC_SET_INTERRUPT_WAKEUP(DWORD slot, BOOL wakeup);

// Not on the handheld: the slot's state as the calls above left it, and how
// many calls changed it. FALSE when no process has set anything yet.
BOOL WINAPI CePpcGetInterruptState(DWORD slot, BOOL* enabled, BOOL* wakeup, DWORD* calls);

#ifdef __cplusplus
}
#endif
