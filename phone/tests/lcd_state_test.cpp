// The display's lines, countdown, call timer and minute alert, without a
// window: what each line would show.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "LcdTestUtil.h"
#include "stores/CCeDataManager.h"

namespace {

using lcdtest::ClockedLcd;
using lcdtest::Shown;

struct Dashed {
    const char* in;
    const char* out;
};

const Dashed kDashed[] = {
    // Three-digit area codes, 3 to 12 digits.
    {"011", "011-"},
    {"0111", "011-1"},
    {"01112", "011-12"},
    {"011123", "011-123"},
    {"0111234", "011-123-4"},
    {"01112345", "011-123-45"},
    {"011123456", "011-123-456"},
    {"0111234567", "011-123-4567"},
    {"01112345678", "011-1234-5678"},
    {"011123456789", "011-1234-56789"},
    // Seoul's two-digit area code.
    {"021", "02-1"},
    {"021234567", "02-123-4567"},
    {"0212345678", "02-1234-5678"},
    {"021234567890", "02-1234-567890"},
    // Blanks and dashes are dropped before the digits are grouped again.
    {"011 123-4567", "011-123-4567"},
    {"0-2-1-2-3-4-5-6-7-8", "02-1234-5678"},
    // Not numbers with a dashed form: returned as they came.
    {"", ""},
    {"01", "01"},
    {"12345678", "12345678"},
    {"0111234567890", "0111234567890"},
    {"011-123x", "011-123x"},
    {"*23#", "*23#"},
    {"전화 : 0111234567", "전화 : 0111234567"},
};

TEST(DashedNumber, BothTwinsGroupAreaMiddleAndRest)
{
    for (const Dashed& d : kDashed) {
        char narrow[64];
        CCeMWndLcd::FormatNumber(d.in, narrow, sizeof narrow);
        EXPECT_STREQ(d.out, narrow) << d.in;
        wchar_t wide[64], in[64];
        MultiByteToWideChar(CP_UTF8, 0, d.in, -1, in, 64);
        CCeMWndLcd::FormatNumber(in, wide, 64);
        wchar_t want[64];
        MultiByteToWideChar(CP_UTF8, 0, d.out, -1, want, 64);
        EXPECT_STREQ(want, wide) << d.in;
    }
}

TEST(DashedNumber, CutsToTheBufferAndWorksInPlace)
{
    wchar_t small[6];
    EXPECT_EQ(5, CCeMWndLcd::FormatNumber(L"0212345678", small, 6));
    EXPECT_STREQ(L"02-12", small);
    char tiny[4];
    EXPECT_EQ(3, CCeMWndLcd::FormatNumber("12345", tiny, 4));
    EXPECT_STREQ("123", tiny);

    wchar_t line[32] = L"01112345678";
    CCeMWndLcd::FormatNumber(line, line, 32);
    EXPECT_STREQ(L"011-1234-5678", line);
    char narrow[32] = "0212345678";
    CCeMWndLcd::FormatNumber(narrow, narrow, 32);
    EXPECT_STREQ("02-1234-5678", narrow);

    EXPECT_EQ(0, CCeMWndLcd::FormatNumber(L"011", small, 0));
    EXPECT_EQ(0, CCeMWndLcd::FormatNumber(static_cast<LPCWSTR>(nullptr), small, 6));
    EXPECT_STREQ(L"", small);
}

class Lcd : public ::testing::Test {
protected:
    void SetUp() override { g_pDataManager = &manager; }
    void TearDown() override { g_pDataManager = nullptr; }

    CCeDataManager manager;
    ClockedLcd lcd;
};

TEST_F(Lcd, StartsReadingTheNumberWithTheStarBanner)
{
    EXPECT_STREQ(L"번호를 읽어 오는중입니다...", lcd.MessageText());
    EXPECT_STREQ(L"***-****-****", lcd.BannerText());
    EXPECT_EQ(L"***-****-****", Shown(lcd, false));
    EXPECT_EQ(CCeMWndLcd::kModeSteady, lcd.MessageMode());
    EXPECT_EQ(-1, lcd.RemainingSeconds());
}

TEST_F(Lcd, TextsOf128CharactersAreIgnored)
{
    const std::wstring ok(127, L'가'), tooLong(128, L'나');
    lcd.ShowMessage(ok.c_str(), 0, -1);
    EXPECT_EQ(ok, lcd.MessageText());
    lcd.ShowMessage(tooLong.c_str(), 1, 5);
    EXPECT_EQ(ok, lcd.MessageText());
    EXPECT_EQ(CCeMWndLcd::kModeSteady, lcd.MessageMode());  // the ignored text changed nothing

    lcd.SetBanner(ok.c_str());
    EXPECT_EQ(ok, lcd.BannerText());
    lcd.SetBanner(tooLong.c_str());
    EXPECT_EQ(ok, lcd.BannerText());
}

TEST_F(Lcd, BlinkingMessageCountsDownToTheStandingDate)
{
    lcd.ShowMessage(L"지정된 단축번호가 없습니다.", 1, 5);
    EXPECT_EQ(CCeMWndLcd::kModeBlinking, lcd.MessageMode());
    EXPECT_EQ(5, lcd.RemainingSeconds());
    EXPECT_EQ(L"", Shown(lcd, true));  // off phase first
    lcd.Tick();
    EXPECT_EQ(1, lcd.BlinkPhase());
    EXPECT_EQ(4, lcd.RemainingSeconds());
    EXPECT_EQ(L"지정된 단축번호가 없습니다.", Shown(lcd, true));
    lcd.Tick();
    EXPECT_EQ(L"", Shown(lcd, true));

    // A second blinking message takes the text, not the countdown.
    lcd.ShowMessage(L"두번째", 1, 30);
    EXPECT_EQ(3, lcd.RemainingSeconds());
    EXPECT_EQ(0, lcd.BlinkPhase());
    lcd.Tick();
    EXPECT_EQ(L"두번째", Shown(lcd, true));
    lcd.Tick();
    EXPECT_EQ(1, lcd.RemainingSeconds());
    lcd.Tick();
    EXPECT_EQ(CCeMWndLcd::kModeSteady, lcd.MessageMode());
    EXPECT_EQ(-1, lcd.RemainingSeconds());
    EXPECT_EQ(0, lcd.BlinkPhase());
    EXPECT_STREQ(L"2026년  3월  7일", lcd.MessageText());
    EXPECT_EQ(L"2026년  3월  7일", Shown(lcd, true));
}

TEST_F(Lcd, SteadyMessageEndsBlinkingAndBlinkWithoutCountdownGoesOn)
{
    lcd.ShowMessage(L"깜박", 1, -1);
    for (int i = 0; i < 10; ++i)
        lcd.Tick();
    EXPECT_EQ(CCeMWndLcd::kModeBlinking, lcd.MessageMode());
    EXPECT_EQ(L"", Shown(lcd, true));  // ten flips: off again
    lcd.ShowMessage(L"고정", 0, -1);
    EXPECT_EQ(CCeMWndLcd::kModeSteady, lcd.MessageMode());
    EXPECT_EQ(-1, lcd.RemainingSeconds());
    lcd.Tick();
    EXPECT_EQ(L"고정", Shown(lcd, true));
}

TEST_F(Lcd, StandingDateOnlyBetweenCalls)
{
    lcd.linkState = 8;
    lcd.ShowMessage(L"통화중 알림", 1, 1);
    lcd.Tick();  // the countdown ends, but a call keeps the text
    EXPECT_EQ(CCeMWndLcd::kModeSteady, lcd.MessageMode());
    EXPECT_STREQ(L"통화중 알림", lcd.MessageText());

    lcd.linkState = 0x1001;
    lcd.now = lcdtest::At(2027, 11, 23, 23, 59, 59);
    lcd.ClearMessage();
    EXPECT_STREQ(L"2027년 11월 23일", lcd.MessageText());

    lcd.ShowMessage(L"", 0, -1);
    lcd.now = lcdtest::At(2028, 1, 2);
    lcd.ClearMessage();  // empty already: stays empty
    EXPECT_STREQ(L"", lcd.MessageText());
}

TEST_F(Lcd, NumberLineStopsBelow128Characters)
{
    for (int i = 0; i < 127; ++i)
        lcd.AppendKey(L"0123456789*#"[i % 12], 0);
    EXPECT_EQ(127, lcd.NumberLength());
    lcd.AppendKey(L'5', 0);
    EXPECT_EQ(127, lcd.NumberLength());
    EXPECT_EQ(L'6', lcd.NumberText()[126]);  // the last accepted key
    lcd.Backspace();
    EXPECT_EQ(126, lcd.NumberLength());
    EXPECT_EQ(0, lcd.NumberText()[126]);
    lcd.AppendNumber(L"1");  // 126 + 1 + 1 reaches 128
    EXPECT_EQ(126, lcd.NumberLength());
    lcd.ClearNumber();
    EXPECT_EQ(0, lcd.NumberLength());
    lcd.Backspace();
    EXPECT_EQ(0, lcd.NumberLength());

    const std::wstring many(120, L'1');
    lcd.AppendNumber(many.c_str());
    lcd.AppendNumber(L"234567");
    EXPECT_EQ(126, lcd.NumberLength());
    lcd.SetNumber(L"0111234567");
    EXPECT_STREQ(L"0111234567", lcd.NumberText());
}

TEST_F(Lcd, AutomaticAreaCodeStartsANewNumber)
{
    manager.m_Settings.bAutoAreaCode = 1;
    wcscpy(manager.m_Settings.szAreaCode, L"031");
    lcd.AppendKey(L'5', 1);
    lcd.AppendKey(L'5', 1);
    EXPECT_STREQ(L"03155", lcd.NumberText());
    for (wchar_t first : {L'0', L'#', L'*'}) {
        lcd.ClearNumber();
        lcd.AppendKey(first, 1);
        EXPECT_EQ(1, lcd.NumberLength()) << char(first);
    }
    lcd.ClearNumber();
    lcd.AppendKey(L'7', 0);
    EXPECT_STREQ(L"7", lcd.NumberText());
    lcd.ClearNumber();
    lcd.linkState = 8;  // digits in a call are tones, never an area code
    lcd.AppendKey(L'7', 1);
    EXPECT_STREQ(L"7", lcd.NumberText());
    lcd.ClearNumber();
    lcd.linkState = 0;
    manager.m_Settings.bAutoAreaCode = 0;
    lcd.AppendKey(L'7', 1);
    EXPECT_STREQ(L"7", lcd.NumberText());
}

TEST_F(Lcd, NumberLineShowsBannerDashedTypedOrMissedCalls)
{
    lcd.SetBanner(L"인사말");
    EXPECT_EQ(L"인사말", Shown(lcd, false));
    lcd.SetNumber(L"01112345678");
    EXPECT_EQ(L"011-1234-5678", Shown(lcd, false));
    lcd.AppendKey(L'9', 0);  // the twelfth character: as typed
    EXPECT_EQ(L"011123456789", Shown(lcd, false));

    lcd.AddMissedCall();
    lcd.AddMissedCall();
    EXPECT_EQ(2, lcd.MissedCalls());
    EXPECT_EQ(L"011123456789", Shown(lcd, false));  // only between calls
    lcd.linkState = 0x1001;
    EXPECT_EQ(L"부재중 통화    2", Shown(lcd, false));
    lcd.ClearMissedCalls();
    EXPECT_EQ(L"011123456789", Shown(lcd, false));
}

TEST_F(Lcd, IndicatorAnswersWhetherItRepaints)
{
    EXPECT_EQ(1, lcd.SetIndicator(CCeMWndLcd::kSlotAntenna, 3, 0, CCeMWndLcd::kKindAntenna));
    EXPECT_EQ(3, lcd.Indicator(CCeMWndLcd::kSlotAntenna));
    EXPECT_EQ(0, lcd.SetIndicator(CCeMWndLcd::kSlotAntenna, 3, 0, CCeMWndLcd::kKindAntenna));
    EXPECT_EQ(1, lcd.SetIndicator(CCeMWndLcd::kSlotAntenna, 3, 1, CCeMWndLcd::kKindAntenna));
    EXPECT_EQ(0, lcd.SetIndicator(CCeMWndLcd::kSlotCount, 3, 1, CCeMWndLcd::kKindAntenna));
    EXPECT_EQ(0, lcd.SetIndicator(-1, 3, 1, CCeMWndLcd::kKindAntenna));
    EXPECT_EQ(0, lcd.Indicator(CCeMWndLcd::kSlotCount));
}

TEST_F(Lcd, CallTimeShowsHoursMinutesSecondsOfTheCall)
{
    lcd.ShowMessage(L"통화중", 0, -1);
    lcd.StartCallTimer();
    EXPECT_TRUE(lcd.IsCallTimerRunning());
    lcd.Advance(3723);
    EXPECT_EQ(3723, lcd.CallSeconds());
    EXPECT_EQ(L"통화중", Shown(lcd, true));  // not connected yet
    lcd.linkState = 8;
    EXPECT_EQ(L"통화시간 :   1시   2분   3초", Shown(lcd, true));

    lcd.ShowMessage(L"알림", 1, 3);  // a timed message covers the call time
    lcd.Tick();
    EXPECT_EQ(L"알림", Shown(lcd, true));
    lcd.Tick();
    lcd.Tick();
    EXPECT_EQ(L"통화시간 :   1시   2분   3초", Shown(lcd, true));

    lcd.Advance(24 * 3600);  // whole days are dropped
    EXPECT_EQ(3723, lcd.CallSeconds());
    lcd.now -= 2 * 24 * 3600 * lcdtest::kSecond;  // a clock set back behind the start
    EXPECT_EQ(0, lcd.CallSeconds());

    lcd.RestartCallBase();
    EXPECT_EQ(0, lcd.CallSeconds());
    lcd.Advance(59);
    EXPECT_EQ(59, lcd.CallSeconds());
    lcd.StopCallTimer();
    EXPECT_FALSE(lcd.IsCallTimerRunning());
    EXPECT_EQ(0, lcd.CallSeconds());
    EXPECT_EQ(L"알림", Shown(lcd, true));
    const ULONGLONG start = lcd.CallStart();  // set on demand
    EXPECT_EQ(lcd.now, start);
    lcd.Advance(10);
    EXPECT_EQ(start, lcd.CallStart());
    EXPECT_EQ(10, lcd.CallSeconds());
}

TEST_F(Lcd, MinuteAlertAtTheChosenInterval)
{
    manager.m_Settings.bMinuteTone = 1;
    lcd.handledState = 8;
    struct {
        int choice;
        int seconds;
        size_t alerts;
    } cases[] = {{0, 60, 1}, {0, 130, 2}, {1, 179, 0}, {1, 180, 1}, {2, 599, 0}, {2, 1200, 2}, {3, 600, 0}};
    for (const auto& c : cases) {
        manager.m_Settings.nMinuteToneChoice = c.choice;
        lcd.played.clear();
        lcd.StartCallTimer();
        for (int s = 0; s < c.seconds; ++s) {
            lcd.Advance(1);
            lcd.Tick();
        }
        EXPECT_EQ(c.alerts, lcd.played.size()) << c.choice << " " << c.seconds;
        for (const auto& p : lcd.played)
            EXPECT_EQ(L"alert.wav", p);
    }

    manager.m_Settings.nMinuteToneChoice = 0;
    lcd.played.clear();
    lcd.StartCallTimer();
    lcd.Advance(60);
    manager.m_Settings.bMinuteTone = 0;
    lcd.Tick();
    manager.m_Settings.bMinuteTone = 1;
    lcd.handledState = 0x1001;
    lcd.Tick();
    EXPECT_TRUE(lcd.played.empty());
}

}  // namespace
