#pragma once
// Switches the handheld's display off and on through the display driver's
// power escape.
#include <windows.h>

class DisplayPower {
public:
    // The display is on when the program starts.
    DisplayPower() : m_bOn(1) {}

    // 1 when the driver took the request; 0 when it has no power escape.
    int DisplayOff();
    int DisplayOn();
    // 1 when the display was last switched on, 0 when switched off.
    int IsOn() const { return m_bOn; }

private:
    int Switch(DWORD powerState, int on);

    int m_bOn;
};
