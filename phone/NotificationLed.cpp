#include "phone/NotificationLed.h"

#include <nled.h>

int LedCount()
{
    NLED_COUNT_INFO info = {};
    if (!NLedGetDeviceInfo(NLED_COUNT_INFO_ID, &info))
        return 0;
    return static_cast<int>(info.cLeds);
}

int LedSet(int led, int state)
{
    NLED_SETTINGS_INFO info = {};
    info.LedNum = static_cast<UINT>(led);
    info.OffOnBlink = state;
    return NLedSetDevice(NLED_SETTINGS_INFO_ID, &info) ? 1 : 0;
}
