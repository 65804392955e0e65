// The dashed form of a phone number: area part, middle part, rest
// ("0212345678" -> "02-1234-5678", "0111234567" -> "011-123-4567").
#include "phone/CCeMWndLcd.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr int kMinDigits = 3;
constexpr int kMaxDigits = 12;
// 12 digits, two dashes and the terminator.
constexpr int kDashedRoom = kMaxDigits + 3;

template <typename Ch>
size_t Length(const Ch* s)
{
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

// Writes the dashed form into `dashed`; false when `text` is not a number
// that has one.
template <typename Ch>
bool Dash(const Ch* text, Ch (&dashed)[kDashedRoom])
{
    Ch digits[kMaxDigits];
    int n = 0;
    for (const Ch* p = text; *p; ++p) {
        if (*p == Ch(' ') || *p == Ch('-'))
            continue;
        if (*p < Ch('0') || *p > Ch('9'))
            return false;
        if (n == kMaxDigits)
            return false;  // more than 12 digits
        digits[n++] = *p;
    }
    if (n < kMinDigits || digits[0] != Ch('0'))
        return false;

    int in = 0, out = 0;
    const int area = digits[1] == Ch('2') ? 2 : 3;
    while (in < area)
        dashed[out++] = digits[in++];
    dashed[out++] = Ch('-');
    const int left = n - in;
    const int middle = left >= 8 ? 4 : (left < 3 ? left : 3);
    for (int i = 0; i < middle; ++i)
        dashed[out++] = digits[in++];
    if (in < n) {
        dashed[out++] = Ch('-');
        while (in < n)
            dashed[out++] = digits[in++];
    }
    dashed[out] = 0;
    return true;
}

template <typename Ch>
int Format(const Ch* text, Ch* out, int outChars)
{
    if (!out || outChars <= 0)
        return 0;
    if (!text) {
        out[0] = 0;
        return 0;
    }
    Ch dashed[kDashedRoom];
    const Ch* result = Dash(text, dashed) ? dashed : text;
    size_t n = Length(result);
    if (n > static_cast<size_t>(outChars - 1))
        n = static_cast<size_t>(outChars - 1);
    if (result != out)
        std::memmove(out, result, n * sizeof(Ch));
    out[n] = 0;
    return static_cast<int>(n);
}

}  // namespace

int CCeMWndLcd::FormatNumber(LPCWSTR text, LPWSTR out, int outChars)
{
    return Format(text, out, outChars);
}

int CCeMWndLcd::FormatNumber(const char* text, char* out, int outBytes)
{
    return Format(text, out, outBytes);
}
