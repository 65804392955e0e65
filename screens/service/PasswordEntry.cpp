#include "screens/service/PasswordEntry.h"

#include <cwchar>

const wchar_t kDefaultPassword[] = L"7294";

bool IsPasswordText(const wchar_t* text)
{
    if (!text)
        return false;
    for (int i = 0; i < kPasswordLength; ++i)
        if (text[i] < L'0' || text[i] > L'9')
            return false;
    return text[kPasswordLength] == 0;
}

const wchar_t* StoredPassword(const SettingsBlock& s)
{
    // The field has room for ten characters; look only within it.
    wchar_t copy[kPasswordLength + 2] = {};
    for (int i = 0; i < kPasswordLength + 1 && i < static_cast<int>(sizeof s.szLockCode / sizeof s.szLockCode[0]); ++i)
        copy[i] = s.szLockCode[i];
    return IsPasswordText(copy) ? s.szLockCode : kDefaultPassword;
}

bool PasswordEntry::Add(int digit)
{
    if (digit < 0 || digit > 9 || m_nLength >= kPasswordLength)
        return false;
    m_szDigits[m_nLength++] = static_cast<wchar_t>(L'0' + digit);
    m_szDigits[m_nLength] = 0;
    return true;
}

void PasswordEntry::Clear()
{
    m_nLength = 0;
    m_szDigits[0] = 0;
}

bool PasswordEntry::Matches(const wchar_t* password) const
{
    return IsComplete() && password && std::wcscmp(m_szDigits, password) == 0;
}

void PasswordEntry::Masked(wchar_t (&out)[kPasswordLength + 1]) const
{
    for (int i = 0; i < m_nLength; ++i)
        out[i] = L'*';
    out[m_nLength] = 0;
}
