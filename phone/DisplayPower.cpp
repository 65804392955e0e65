#include "phone/DisplayPower.h"

#include <pwingdi.h>

int DisplayPower::DisplayOff() { return Switch(VideoPowerOff, 0); }

int DisplayPower::DisplayOn() { return Switch(VideoPowerOn, 1); }

int DisplayPower::Switch(DWORD powerState, int on)
{
    HDC dc = GetDC(nullptr);
    if (!dc)
        return 0;
    DWORD escape = SETPOWERMANAGEMENT;
    if (ExtEscape(dc, QUERYESCSUPPORT, sizeof escape, reinterpret_cast<LPCSTR>(&escape), 0, nullptr) <= 0) {
        ReleaseDC(nullptr, dc);
        return 0;
    }
    VIDEO_POWER_MANAGEMENT vpm = {sizeof(VIDEO_POWER_MANAGEMENT), 1, powerState};
    ExtEscape(dc, SETPOWERMANAGEMENT, sizeof vpm, reinterpret_cast<LPCSTR>(&vpm), 0, nullptr);
    ReleaseDC(nullptr, dc);
    m_bOn = on;
    return 1;
}
