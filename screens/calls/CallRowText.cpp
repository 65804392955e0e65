#include "CallRowText.h"

#include <cwchar>

#include "calls_text.h"
#include "stores/StoreText.h"

namespace CallRowText {

namespace {

constexpr int kPartyChars = 15;

bool Digits(const char* s, int n)
{
    for (int i = 0; i < n; ++i)
        if (s[i] < '0' || s[i] > '9')
            return false;
    return true;
}

}  // namespace

void Party(const CallItem& item, wchar_t* out, int outChars)
{
    if (!out || outChars <= 0)
        return;
    wchar_t full[65];
    if (item.szName[0])
        CopyTextCut(full, 65, item.szName);
    else
        ByteToWideText(item.szNumber, full, 65);
    const int keep = outChars - 1 < kPartyChars ? outChars - 1 : kPartyChars;
    CopyTextCut(out, keep + 1, full);
}

void When(const CallItem& item, wchar_t* out, int outChars, COLORREF* colour)
{
    if (!out || outChars <= 0)
        return;
    out[0] = 0;
    COLORREF ink = RGB(0, 0, 0);
    if (item.nSeconds < 1 && item.nKind != CCeCallListDB::kAnswered) {
        ink = RGB(255, 0, 0);
        const wchar_t* word = CallsText::kUnknownCall;
        switch (item.nKind) {
        case CCeCallListDB::kOutgoing:
            word = CallsText::kDialFailed;
            ink = RGB(0, 0, 255);
            break;
        case CCeCallListDB::kMissed: word = CallsText::kMissedCall; break;
        case CCeCallListDB::kRejected: word = CallsText::kRejectedCall; break;
        default: break;
        }
        swprintf(out, outChars, L"%ls", word);
    } else {
        const char* s = item.szTimeStamp;
        // A stamp that is not 14 digits (damaged record) shows no time.
        if (strnlen(s, sizeof item.szTimeStamp) == 14 && Digits(s, 14)) {
            int hour = (s[8] - '0') * 10 + (s[9] - '0');
            const wchar_t* half = hour < 12 ? CallsText::kAm : CallsText::kPm;
            if (hour > 12)
                hour -= 12;
            swprintf(out, outChars, L"%lc%lc/%lc%lc %ls%02d:%lc%lc", s[4], s[5], s[6], s[7], half, hour, s[10],
                     s[11]);
        }
    }
    if (colour)
        *colour = ink;
}

void Header(int filter, int count, wchar_t* out, int outChars)
{
    static const wchar_t* const formats[4] = {CallsText::kHeaderAll, CallsText::kHeaderOut, CallsText::kHeaderIn,
                                              CallsText::kHeaderMissed};
    if (!out || outChars <= 0)
        return;
    swprintf(out, outChars, formats[filter >= 0 && filter < 4 ? filter : 0], count);
}

}  // namespace CallRowText
