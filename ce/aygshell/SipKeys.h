#pragma once
// The input panel's key layouts: a Latin one and the two-set Korean one.
#include <windows.h>

namespace aygshell {

// Keys that type no character of their own.
constexpr wchar_t kKeyShift = 0xE001;
constexpr wchar_t kKeySwitch = 0xE002;  // next layout

struct SipKey {
    wchar_t code;     // the character typed; \b backspace, \r Enter
    wchar_t shifted;  // typed while shift is on (0: same as code)
    int span;         // width in tenths of the panel
};

enum SipLayoutId { kSipLatin, kSipHangul, kSipLayoutCount };

// Number of rows of a layout and the keys of one row (`count` set).
int SipRows(int layout);
const SipKey* SipRow(int layout, int row, int* count);

// Place of key `col` of `row` within a panel of `client` size.
RECT SipKeyRect(int layout, const RECT& client, int row, int col);
// The key under a point: true with row and column set.
bool SipKeyAt(int layout, const RECT& client, POINT p, int* row, int* col);

}  // namespace aygshell
