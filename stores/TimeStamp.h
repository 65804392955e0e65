#pragma once
// Time stamps of the stores: 14 ASCII digits, year to second, local time as
// stored (no time-zone conversion), plus a terminating zero.
#include <windows.h>

constexpr int kTimeStampBytes = 15;

// Returns 1, or 0 (and an empty text) when the time cannot be converted.
int TimeStampFromFileTime(const FILETIME* fileTime, char* out);
// Returns 1, or 0 (and a zero time) when the text is not 14 digits of a
// valid date and time.
int FileTimeFromTimeStamp(const char* text, FILETIME* out);
