#pragma once
// A display whose clock the test sets, and what it played.
#include <windows.h>

#include <string>
#include <vector>

#include "phone/CCeMWndLcd.h"

namespace lcdtest {

// A local file time of the given date and time.
inline ULONGLONG At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

constexpr ULONGLONG kSecond = 10000000ULL;

class ClockedLcd : public CCeMWndLcd {
public:
    ULONGLONG now = At(2026, 3, 7, 9, 30, 0);
    std::vector<std::wstring> played;
    LONG linkState = 0;
    LONG handledState = 0;

    ClockedLcd() { SetCallStateSource(&linkState, &handledState); }
    void Advance(int seconds) { now += static_cast<ULONGLONG>(seconds) * kSecond; }

protected:
    ULONGLONG LocalNow() const override { return now; }
    void PlayEffect(LPCWSTR file) override { played.emplace_back(file); }
};

#ifdef ZEN_SKIN_DIR
// A file of the installation image's skins, as Wine sees the build tree.
inline std::wstring SkinFile(const wchar_t* skin, const wchar_t* file)
{
    std::wstring path = L"Z:";
    for (const char* p = ZEN_SKIN_DIR; *p; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return path + L"\\" + skin + L"\\" + file;
}
#endif

inline std::wstring Shown(const CCeMWndLcd& lcd, bool messageLine)
{
    wchar_t line[CCeMWndLcd::kLineLength];
    if (messageLine)
        lcd.ShownMessageLine(line);
    else
        lcd.ShownNumberLine(line);
    return line;
}

}  // namespace lcdtest
