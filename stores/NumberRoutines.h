#pragma once
// Phone-number helpers shared by the stores and the screens.
#include <windows.h>

// Room for a number, in characters, with its terminating zero.
constexpr int kNumberChars = 64;

// Copies only '0'-'9', '*' and '#' of `in`, in order, and ends `out` with a
// zero. At most outChars - 1 characters are kept. A null input gives an
// empty output. Returns the length written.
int KeepDialChars(LPCWSTR in, LPWSTR out, int outChars);
int KeepDialChars(const char* in, char* out, int outChars);

// "011" in front when the number does not start with '0', then only the
// dial characters. Longer results are cut to fit `outChars`.
int NormaliseForMatch(LPCWSTR number, LPWSTR out, int outChars = kNumberChars);
// Whether two numbers have equal normalised forms.
bool NumbersMatch(LPCWSTR a, LPCWSTR b);

// Whether the number has at least one dial character. A number without one
// ("P", "private", empty) would match every caller who sent no number.
bool HasDialChar(LPCWSTR number);

// Whether the dial characters of both numbers are equal (no "011" step).
bool SameNumber(LPCWSTR a, LPCWSTR b);

// -1 for a null text, 0 for an empty one; otherwise -1 when a character is
// neither a digit nor '-', else 0.
int IsDialString(LPCWSTR text);
