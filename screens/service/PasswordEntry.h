#pragma once
// The digits typed on a password keypad, and what a stored password may be.
#include <windows.h>

#include "stores/SettingsBlock.h"

constexpr int kPasswordLength = 4;
extern const wchar_t kDefaultPassword[];

// Exactly four digits 0-9.
bool IsPasswordText(const wchar_t* text);
// The stored password; a stored value that is no password (a damaged
// record) counts as the default, so the phone can still be unlocked.
const wchar_t* StoredPassword(const SettingsBlock& s);

class PasswordEntry {
public:
    // Appends a digit (0-9) while fewer than four are typed; false otherwise.
    bool Add(int digit);
    void Clear();
    int Length() const { return m_nLength; }
    const wchar_t* Text() const { return m_szDigits; }
    bool IsComplete() const { return m_nLength == kPasswordLength; }
    bool Matches(const wchar_t* password) const;
    // One '*' per typed digit.
    void Masked(wchar_t (&out)[kPasswordLength + 1]) const;

private:
    wchar_t m_szDigits[kPasswordLength + 1] = {};
    int m_nLength = 0;
};
