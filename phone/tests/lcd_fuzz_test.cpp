// Random operations and texts on the display: its lines stay terminated and
// inside their room, and the dashed form keeps the number's digits.
//   ZEN_FUZZ_SEED, ZEN_FUZZ_ROUNDS, ZEN_FUZZ_SECONDS as for every fuzz test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "LcdTestUtil.h"
#include "stores/CCeDataManager.h"

namespace {

unsigned long EnvNumber(const char* name, unsigned long fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}

class Fuzz {
public:
    explicit Fuzz(unsigned long seed) : rng_(seed) {}

    int Below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

    // Mostly number-like text, sometimes anything, of 0 to 140 characters.
    std::wstring Text()
    {
        static const wchar_t kNumberish[] = L"0123456789--  *#02";
        const int len = Below(4) == 0 ? Below(141) : Below(16);
        std::wstring s;
        for (int i = 0; i < len; ++i) {
            switch (Below(6)) {
            case 0: s += static_cast<wchar_t>(1 + Below(0xD7FF)); break;
            case 1: s += static_cast<wchar_t>(0xAC00 + Below(11172)); break;  // Hangul
            default: s += kNumberish[Below(18)]; break;
            }
        }
        return s;
    }

private:
    std::mt19937 rng_;
};

std::wstring DigitsOf(const std::wstring& s)
{
    std::wstring d;
    for (wchar_t c : s)
        if (c != L' ' && c != L'-')
            d += c;
    return d;
}

void CheckDashed(const std::wstring& in, Fuzz& f)
{
    const int room = 1 + f.Below(40);
    std::wstring out(static_cast<size_t>(room), L'\xFFFF');
    const int n = CCeMWndLcd::FormatNumber(in.c_str(), &out[0], room);
    ASSERT_LT(n, room);
    ASSERT_EQ(0, out[n]);
    out.resize(static_cast<size_t>(n));
    if (room <= 16 || out == in.substr(0, static_cast<size_t>(n)))
        return;  // cut short, or given back unchanged
    // A dashed form: the same digits, regrouped after a leading 0.
    EXPECT_EQ(DigitsOf(in), DigitsOf(out));
    EXPECT_EQ(L'0', out[0]);
    EXPECT_LE(out.size(), 14u);

    std::string narrow(in.begin(), in.end());
    bool ascii = true;
    for (wchar_t c : in)
        ascii = ascii && c < 0x80;
    if (ascii) {
        char n8[64];
        CCeMWndLcd::FormatNumber(narrow.c_str(), n8, sizeof n8);
        EXPECT_EQ(std::string(out.begin(), out.end()), n8);
    }
}

void CheckLines(const CCeMWndLcd& lcd)
{
    ASSERT_LT(lcd.NumberLength(), CCeMWndLcd::kLineLength);
    ASSERT_EQ(static_cast<size_t>(lcd.NumberLength()), wcslen(lcd.NumberText()));
    ASSERT_LT(wcsnlen(lcd.MessageText(), CCeMWndLcd::kLineLength), size_t(CCeMWndLcd::kLineLength));
    ASSERT_LT(wcsnlen(lcd.BannerText(), CCeMWndLcd::kLineLength), size_t(CCeMWndLcd::kLineLength));
    for (bool message : {true, false})
        ASSERT_LT(lcdtest::Shown(lcd, message).size(), size_t(CCeMWndLcd::kLineLength));
}

TEST(LcdFuzz, RandomOperationsKeepTheLinesSound)
{
    const unsigned long seed = EnvNumber("ZEN_FUZZ_SEED", 20261207);
    const unsigned long rounds = EnvNumber("ZEN_FUZZ_ROUNDS", 20000);
    const unsigned long seconds = EnvNumber("ZEN_FUZZ_SECONDS", 0);
    CCeDataManager manager;
    g_pDataManager = &manager;
    manager.m_Settings.bAutoAreaCode = 1;
    wcscpy(manager.m_Settings.szAreaCode, L"0313");
    Fuzz f(seed);
    lcdtest::ClockedLcd lcd;
    const DWORD start = GetTickCount();
    unsigned long done = 0;
    for (; seconds ? GetTickCount() - start < seconds * 1000 : done < rounds; ++done) {
        const std::wstring text = f.Text();
        switch (f.Below(12)) {
        case 0: lcd.ShowMessage(text.c_str(), f.Below(3), f.Below(8) - 1); break;
        case 1: lcd.SetBanner(text.c_str()); break;
        case 2: lcd.AppendNumber(text.c_str()); break;
        case 3: lcd.AppendKey(L"0123456789*#"[f.Below(12)], f.Below(2)); break;
        case 4: lcd.Backspace(); break;
        case 5: f.Below(8) ? lcd.Tick() : lcd.ClearNumber(); break;
        case 6: lcd.linkState = f.Below(3) == 0 ? 8 : (f.Below(2) ? 0x1001 : 0); break;
        case 7: f.Below(2) ? lcd.AddMissedCall() : lcd.ClearMissedCalls(); break;
        case 8: f.Below(2) ? lcd.StartCallTimer() : lcd.StopCallTimer(); break;
        case 9: lcd.Advance(f.Below(100000)); break;
        case 10: lcd.SetNumber(text.c_str()); break;
        default: CheckDashed(text, f); break;
        }
        CheckLines(lcd);
        ASSERT_GE(lcd.CallSeconds(), 0);
        ASSERT_LT(lcd.CallSeconds(), 24 * 3600);
        if (HasFatalFailure() || HasFailure())
            break;
    }
    g_pDataManager = nullptr;
    std::printf("fuzz lcd: rounds %lu seed %lu\n", done, seed);
}

}  // namespace
