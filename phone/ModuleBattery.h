#pragma once
// The module's battery reading as the phone shows it and acts on it.

// Indicator level 0-5 of a reading in volts.
int BatteryLevel(float volts);

// Whether the answer is a real reading: the block held "OK" and the value
// is a voltage a module can run at. A failed or garbled answer leaves the
// value at -1.0 or 0.0, which must never count as an empty battery.
bool IsBatteryReading(int ok, float volts);

// A real reading at or below 3.2 V: the program has to end.
bool IsBatteryExhausted(int ok, float volts);
