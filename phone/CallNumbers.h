#pragma once
// Checks on the numbers that pass through call control: what the user may
// dial and what the module reports as a caller.
#include <windows.h>

#include "stores/SettingsBlock.h"

// Longest number the pre-dial checks let through, in characters.
constexpr int kMaxDialChars = 60;

// Every character is a digit, '*', '#', '-', '+', 'P', 'T' or ',' (pause and
// tone marks): nothing else ever reaches a dial request. False when empty.
bool IsDiallableNumber(LPCWSTR number);

// Every character is a digit, '*', '#' or '-', and there is one at least:
// only such a caller is looked for in the deny list.
bool IsPlainCallerNumber(const char* number);

// Removes control characters (below 0x20, and 0x7F) in place; returns the
// new length.
int DropControlChars(char* text);

// Outcome of the checks made before a number is dialled.
enum class DialCheck {
    Allowed,
    TooLong,        // also a character that may not be dialled
    PhoneLocked,
    BarredOutgoing,
    BarredInternational,
    CallInProgress, // refused without a message
};

// The checks in their order; `direction` and `lastState` come from the call
// record. An empty number is the caller's business (it takes the redial
// number first).
DialCheck CheckDial(const SettingsBlock& settings, LONG direction, LONG lastState, LPCWSTR number);

// The text shown for a refusal, or null when none is shown.
const wchar_t* DialRefusalText(DialCheck check);
