// Slot interrupt state of the maker's utility library, shared across processes.
#include "ppcutil.h"

#include "ce_devicestate.h"

namespace {

const DWORD kSlots = 2;

struct SlotState {
    volatile LONG enabled;
    volatile LONG wakeup;
    volatile LONG calls;
};

struct InterruptState {
    SlotState slot[kSlots];
};

InterruptState* Shared(BOOL create)
{
    static InterruptState* mapped = nullptr;
    if (!mapped)
        mapped = static_cast<InterruptState*>(CeDeviceStateMap(L"PpcInterrupt", sizeof(InterruptState), create));
    return mapped;
}

BOOL Set(DWORD slot, volatile LONG SlotState::*member, BOOL on)
{
    if (slot >= kSlots) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    InterruptState* s = Shared(TRUE);
    if (!s) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    InterlockedExchange(&(s->slot[slot].*member), on ? 1 : 0);
    InterlockedIncrement(&s->slot[slot].calls);
    return TRUE;
}

}  // namespace

extern "C" BOOL WINAPI PPC_SET_INTERRUPT_ENABLED(DWORD slot, BOOL enabled)
{
    return Set(slot, &SlotState::enabled, enabled);
}

extern "C" BOOL WINAPI PPC_SET_INTERRUPT_WAKEUP(DWORD slot, BOOL wakeup)
{
    return Set(slot, &SlotState::wakeup, wakeup);
}

extern "C" BOOL WINAPI CePpcGetInterruptState(DWORD slot, BOOL* enabled, BOOL* wakeup, DWORD* calls)
{
    InterruptState* s = slot < kSlots ? Shared(FALSE) : nullptr;
    if (!s) {
        SetLastError(slot < kSlots ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (enabled)
        *enabled = s->slot[slot].enabled != 0;
    if (wakeup)
        *wakeup = s->slot[slot].wakeup != 0;
    if (calls)
        *calls = static_cast<DWORD>(s->slot[slot].calls);
    return TRUE;
}
