#pragma once
// The handheld's notification LEDs.
#include <windows.h>

enum LedState { kLedOff = 0, kLedOn = 1, kLedBlink = 2 };
// The LED that blinks while a call rings.
inline constexpr int kRingLed = 0;

// Number of LEDs, 0 when the platform cannot tell.
int LedCount();
// Sets one LED off, on or blinking; 1 when the platform took it.
int LedSet(int led, int state);
