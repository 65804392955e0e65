#include "ce/aygshell/SipKeys.h"

namespace aygshell {

namespace {

constexpr int kMaxCols = 10;

#define K(c) {c, 0, 1}
#define S(c, s) {c, s, 1}

const SipKey kDigits[] = {K(L'1'), K(L'2'), K(L'3'), K(L'4'), K(L'5'),
                          K(L'6'), K(L'7'), K(L'8'), K(L'9'), K(L'0')};

// Latin: four rows of ten.
const SipKey kLatin1[] = {K(L'q'), K(L'w'), K(L'e'), K(L'r'), K(L't'),
                          K(L'y'), K(L'u'), K(L'i'), K(L'o'), K(L'p')};
const SipKey kLatin2[] = {K(L'a'), K(L's'), K(L'd'), K(L'f'), K(L'g'),
                          K(L'h'), K(L'j'), K(L'k'), K(L'l'), K(L'\b')};
const SipKey kLatin3[] = {K(L'z'), K(L'x'), K(L'c'), K(L'v'), K(L'b'),
                          K(L'n'), K(L'm'), K(L' '), K(kKeySwitch), K(L'\r')};

// Korean two-set: shift gives the doubled consonants and ㅒ ㅖ.
const SipKey kHangul1[] = {S(L'ㅂ', L'ㅃ'), S(L'ㅈ', L'ㅉ'), S(L'ㄷ', L'ㄸ'), S(L'ㄱ', L'ㄲ'),
                           S(L'ㅅ', L'ㅆ'), K(L'ㅛ'), K(L'ㅕ'), K(L'ㅑ'),
                           S(L'ㅐ', L'ㅒ'), S(L'ㅔ', L'ㅖ')};
const SipKey kHangul2[] = {K(L'ㅁ'), K(L'ㄴ'), K(L'ㅇ'), K(L'ㄹ'), K(L'ㅎ'),
                           K(L'ㅗ'), K(L'ㅓ'), K(L'ㅏ'), K(L'ㅣ'), K(L'\b')};
const SipKey kHangul3[] = {K(kKeyShift), K(L'ㅋ'), K(L'ㅌ'), K(L'ㅊ'), K(L'ㅍ'),
                           K(L'ㅠ'), K(L'ㅜ'), K(L'ㅡ'), S(L',', L'?'), S(L'.', L'!')};
const SipKey kHangul4[] = {{kKeySwitch, 0, 2}, {L' ', 0, 6}, {L'\r', 0, 2}};

#undef K
#undef S

struct Row {
    const SipKey* keys;
    int count;
};
#define ROW(r) {r, static_cast<int>(sizeof r / sizeof r[0])}
const Row kLatinRows[] = {ROW(kDigits), ROW(kLatin1), ROW(kLatin2), ROW(kLatin3)};
const Row kHangulRows[] = {ROW(kDigits), ROW(kHangul1), ROW(kHangul2), ROW(kHangul3), ROW(kHangul4)};
#undef ROW

const Row* Rows(int layout, int* count)
{
    if (layout == kSipHangul) {
        *count = static_cast<int>(sizeof kHangulRows / sizeof kHangulRows[0]);
        return kHangulRows;
    }
    *count = static_cast<int>(sizeof kLatinRows / sizeof kLatinRows[0]);
    return kLatinRows;
}

}  // namespace

int SipRows(int layout)
{
    int n = 0;
    Rows(layout, &n);
    return n;
}

const SipKey* SipRow(int layout, int row, int* count)
{
    int n = 0;
    const Row* rows = Rows(layout, &n);
    if (row < 0 || row >= n) {
        *count = 0;
        return nullptr;
    }
    *count = rows[row].count;
    return rows[row].keys;
}

RECT SipKeyRect(int layout, const RECT& client, int row, int col)
{
    int count = 0;
    const SipKey* keys = SipRow(layout, row, &count);
    if (!keys || col < 0 || col >= count)
        return {};
    int start = 0;
    for (int i = 0; i < col; ++i)
        start += keys[i].span;
    const int w = client.right / kMaxCols, h = client.bottom / SipRows(layout);
    return {start * w, row * h, (start + keys[col].span) * w, (row + 1) * h};
}

bool SipKeyAt(int layout, const RECT& client, POINT p, int* row, int* col)
{
    for (int r = 0; r < SipRows(layout); ++r) {
        int count = 0;
        SipRow(layout, r, &count);
        for (int c = 0; c < count; ++c) {
            const RECT rc = SipKeyRect(layout, client, r, c);
            if (PtInRect(&rc, p)) {
                *row = r;
                *col = c;
                return true;
            }
        }
    }
    return false;
}

}  // namespace aygshell
