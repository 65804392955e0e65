#pragma once
// The texts of a call list row: who, and when or what became of the call.
#include <windows.h>

#include "stores/CCeCallListDB.h"

namespace CallRowText {

// The name when the entry has one, else its number in UTF-16; at most 15
// characters.
void Party(const CallItem& item, wchar_t* out, int outChars);

// The time column: "MM/DD 오전hh:mm" (12-hour), or for a call shorter than a
// second that was not an answered one, what became of it. `colour`
// receives the ink: black for a time, blue for a failed dial, else red.
void When(const CallItem& item, wchar_t* out, int outChars, COLORREF* colour);

// The filter's header line with its count.
void Header(int filter, int count, wchar_t* out, int outChars);

}  // namespace CallRowText
