// The notification LEDs: two of them, each off, on or blinking. Their state
// lives in a shared section so the module simulator's console and tests see it.
#include "nled.h"

#include "ce_devicestate.h"

namespace {

const UINT kLedCount = 2;

struct LedState {
    volatile LONG state[kLedCount];
    volatile LONG changes;
};

LedState* Shared(BOOL create)
{
    static LedState* mapped = nullptr;
    if (!mapped)
        mapped = static_cast<LedState*>(CeDeviceStateMap(L"Nled", sizeof(LedState), create));
    return mapped;
}

}  // namespace

extern "C" BOOL WINAPI NLedGetDeviceInfo(UINT nInfoId, void* pOutput)
{
    if (!pOutput) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    switch (nInfoId) {
    case NLED_COUNT_INFO_ID:
        static_cast<NLED_COUNT_INFO*>(pOutput)->cLeds = kLedCount;
        return TRUE;
    case NLED_SUPPORTS_INFO_ID: {
        auto* info = static_cast<NLED_SUPPORTS_INFO*>(pOutput);
        if (info->LedNum >= kLedCount)
            break;
        const UINT led = info->LedNum;
        *info = NLED_SUPPORTS_INFO{};
        info->LedNum = led;
        info->lCycleAdjust = -1;  // the blink rate is the driver's own
        return TRUE;
    }
    case NLED_SETTINGS_INFO_ID: {
        auto* info = static_cast<NLED_SETTINGS_INFO*>(pOutput);
        if (info->LedNum >= kLedCount)
            break;
        LedState* s = Shared(TRUE);
        const UINT led = info->LedNum;
        *info = NLED_SETTINGS_INFO{};
        info->LedNum = led;
        info->OffOnBlink = s ? s->state[led] : 0;
        return TRUE;
    }
    default:
        break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

extern "C" BOOL WINAPI NLedSetDevice(UINT nDeviceId, void* pInput)
{
    if (nDeviceId != NLED_SETTINGS_INFO_ID || !pInput) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto* info = static_cast<const NLED_SETTINGS_INFO*>(pInput);
    if (info->LedNum >= kLedCount || info->OffOnBlink < 0 || info->OffOnBlink > 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LedState* s = Shared(TRUE);
    if (!s) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    InterlockedExchange(&s->state[info->LedNum], info->OffOnBlink);
    InterlockedIncrement(&s->changes);
    return TRUE;
}

extern "C" INT WINAPI CeNledGetState(UINT led)
{
    if (led >= kLedCount)
        return -1;
    LedState* s = Shared(FALSE);
    return s ? s->state[led] : 0;
}
