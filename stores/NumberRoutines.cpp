#include "stores/NumberRoutines.h"

#include <cwchar>
#include <string>

namespace {

template <typename Ch>
bool IsDialChar(Ch c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#';
}

template <typename Ch>
int Keep(const Ch* in, Ch* out, int outChars) {
    if (!out || outChars <= 0) return 0;
    int n = 0;
    for (; in && *in && n < outChars - 1; ++in)
        if (IsDialChar(*in)) out[n++] = *in;
    out[n] = 0;
    return n;
}

// Dial characters of a number, whole, for comparing.
std::wstring DialChars(LPCWSTR in) {
    std::wstring s;
    for (; in && *in; ++in)
        if (IsDialChar(*in)) s += *in;
    return s;
}

std::wstring Normalised(LPCWSTR number) {
    std::wstring s = (number && number[0] == L'0') ? L"" : L"011";
    return DialChars(s.append(number ? number : L"").c_str());
}

}  // namespace

bool HasDialChar(LPCWSTR number) {
    for (; number && *number; ++number)
        if (IsDialChar(*number)) return true;
    return false;
}

int KeepDialChars(LPCWSTR in, LPWSTR out, int outChars) { return Keep(in, out, outChars); }

int KeepDialChars(const char* in, char* out, int outChars) { return Keep(in, out, outChars); }

int NormaliseForMatch(LPCWSTR number, LPWSTR out, int outChars) {
    return KeepDialChars(Normalised(number).c_str(), out, outChars);
}

bool NumbersMatch(LPCWSTR a, LPCWSTR b) { return Normalised(a) == Normalised(b); }

bool SameNumber(LPCWSTR a, LPCWSTR b) { return DialChars(a) == DialChars(b); }

int IsDialString(LPCWSTR text) {
    if (!text) return -1;
    for (; *text; ++text)
        if (!((*text >= L'0' && *text <= L'9') || *text == L'-')) return -1;
    return 0;
}
