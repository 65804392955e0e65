#pragma once
// The phone's command line: "CALL <number>", "SMS [number]" or anything else
// (the driver's "WAKEUP" only starts the program). A second start forwards
// its command line to the running copy with WM_COPYDATA.
#include <windows.h>

enum class PhoneCommand { Other, Call, Sms };

struct PhoneCommandLine {
    // Forwarded command lines are cut to this many characters, terminator included.
    static constexpr int kChars = 256;
    PhoneCommand kind;
    wchar_t number[kChars];  // the word after the keyword, or empty
};

// Splits a command line into its keyword (compared without regard to case)
// and the next word; each word is cut at 255 characters. A null text is an
// empty line.
PhoneCommandLine ParseCommandLine(LPCWSTR text);

// The text a WM_COPYDATA carries: a byte count that may be odd and no
// terminator. Copies at most outChars - 1 whole characters and terminates;
// returns the characters copied (0 for no data).
int CopyDataText(const COPYDATASTRUCT* data, LPWSTR out, int outChars);

// A second start: hands `commandLine` to the running copy's window unless it
// is in front already, and brings it forward. True when the text was sent.
bool ForwardCommandLine(HWND running, LPCWSTR commandLine);
