#pragma once
// Notification LED driver interface of the handheld.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#define NLED_COUNT_INFO_ID 0
#define NLED_SUPPORTS_INFO_ID 1
#define NLED_SETTINGS_INFO_ID 2

typedef struct {
    UINT cLeds;
} NLED_COUNT_INFO;

typedef struct {
    UINT LedNum;
    LONG lCycleAdjust;
    BOOL fAdjustTotalCycleTime;
    BOOL fAdjustOnTime;
    BOOL fAdjustOffTime;
    BOOL fMetaCycleOn;
    BOOL fMetaCycleOff;
} NLED_SUPPORTS_INFO;

typedef struct {
    UINT LedNum;
    INT OffOnBlink;  // 0 off, 1 on, 2 blink
    LONG TotalCycleTime;
    LONG OnTime;
    LONG OffTime;
    INT MetaCycleOn;
    INT MetaCycleOff;
} NLED_SETTINGS_INFO;

BOOL WINAPI NLedGetDeviceInfo(UINT nInfoId, void* pOutput);
BOOL WINAPI NLedSetDevice(UINT nDeviceId, void* pInput);

// Not on the handheld: what the LEDs show, for tests and the module
// simulator's console, from any process. -1 for an LED that does not exist.
INT WINAPI CeNledGetState(UINT led);

#ifdef __cplusplus
}
#endif
