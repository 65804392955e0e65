#include "phone/CallNumbers.h"

#include <cwchar>

#include "modem/ModemMessages.h"

bool IsDiallableNumber(LPCWSTR number)
{
    if (!number || !*number)
        return false;
    for (const wchar_t* p = number; *p; ++p) {
        const wchar_t c = *p;
        if (!((c >= L'0' && c <= L'9') || wcschr(L"*#-+PT,", c)))
            return false;
    }
    return true;
}

bool IsPlainCallerNumber(const char* number)
{
    if (!number || !*number)
        return false;
    for (const char* p = number; *p; ++p) {
        const char c = *p;
        if (!((c >= '0' && c <= '9') || c == '*' || c == '#' || c == '-'))
            return false;
    }
    return true;
}

int DropControlChars(char* text)
{
    if (!text)
        return 0;
    char* out = text;
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c != 0x7F)
            *out++ = *p;
    }
    *out = 0;
    return static_cast<int>(out - text);
}

DialCheck CheckDial(const SettingsBlock& settings, LONG direction, LONG lastState, LPCWSTR number)
{
    const size_t length = number ? wcslen(number) : 0;
    if (length > static_cast<size_t>(kMaxDialChars) || (length && !IsDiallableNumber(number)))
        return DialCheck::TooLong;
    if (settings.bPhoneLocked == 1)
        return DialCheck::PhoneLocked;
    if (direction == 0 && settings.bBarOutgoing == 1)
        return DialCheck::BarredOutgoing;
    if (settings.bBarInternational == 1 && length > 3 && number[0] == L'0' && number[1] == L'0')
        return DialCheck::BarredInternational;
    if (lastState != CALL_IDLE && lastState != CALL_NO_CARRIER)
        return DialCheck::CallInProgress;
    return DialCheck::Allowed;
}

const wchar_t* DialRefusalText(DialCheck check)
{
    switch (check) {
    case DialCheck::TooLong:
        return L"*** 발신 번호 오류 ***";
    case DialCheck::PhoneLocked:
        return L"*** 휴대폰이 잠김 ***";
    case DialCheck::BarredOutgoing:
        return L"*** 발신 금지 ***";
    case DialCheck::BarredInternational:
        return L"*** 국제 전화 발신 금지 ***";
    default:
        return nullptr;
    }
}
