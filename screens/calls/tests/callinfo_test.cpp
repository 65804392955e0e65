// The call information screen on a real window: counters and usage as
// shown, resets through the message box, the back request, a repaint
// after a call.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "CCeMWndCallInfo.h"
#include "CallsTestHost.h"
#include "WinTest.h"

namespace {

using callstest::ShowsText;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr UINT kValueFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

RECT ValueRect(int top) { return {123, top, 175, top + 20}; }

std::wstring Format(uint64_t s)
{
    wchar_t out[32];
    CCeMWndCallInfo::FormatSeconds(s, out, 32);
    return out;
}

TEST(CallInfoFormat, HoursGrowPastTwoDigits)
{
    EXPECT_EQ(L"01:02:05", Format(3725));
    EXPECT_EQ(L"100:00:00", Format(360000));
    EXPECT_EQ(L"00:00:59", Format(59));
    EXPECT_EQ(L"596523:14:07", Format(INT_MAX));
    // Both totals at their largest: the sum needs more than 32 bits.
    EXPECT_EQ(L"2386092:56:30", Format(2ull * UINT_MAX));
    EXPECT_EQ(1, CCeMWndCallInfo::UsageFigure(1000));
    EXPECT_EQ(0, CCeMWndCallInfo::UsageFigure(511));
    EXPECT_EQ(8388607, CCeMWndCallInfo::UsageFigure(UINT_MAX));
}

class CallInfoScreen : public testing::Test {
protected:
    void Open()
    {
        screen = std::make_unique<CCeMWndCallInfo>(d.data);
        ASSERT_TRUE(screen->CreateScreen(host.Hwnd(), callstest::Host::ViewPlacement(), 22));
        zentest::PumpMessages(100);
    }
    void TapReset(int id)
    {
        static const int tops[] = {42, 64, 88, 110, 156};
        callstest::TapAt(screen->GetHwnd(), 185 + 21, tops[id - 2] + 10);
    }
    SettingsBlock Stored()
    {
        SettingsBlock b{};
        CCeEnvDB env(b, L"");
        env.Load();
        return b;
    }

    callstest::Data d{L"callinfo"};
    callstest::Host host;
    std::unique_ptr<CCeMWndCallInfo> screen;
};

TEST_F(CallInfoScreen, ShowsEveryCounterAndTheUsageInItsColour)
{
    SettingsBlock& s = d.data.m_Settings;
    s.nLastInSeconds = 3725;
    s.nTotalInSeconds = 360000;
    s.nLastOutSeconds = 59;
    s.nTotalOutSeconds = 7200;
    CCeNetDB net;
    ASSERT_EQ(1, net.AddUsage(1000 * 512 + 100));
    Open();
    EXPECT_EQ(1000, screen->ShownUsage());
    const zentest::Image img = callstest::Shot(screen->GetHwnd(), L"callinfo");
    EXPECT_TRUE(ShowsText(img, ValueRect(40), L"01:02:05", kBlue, kValueFlags));
    // Three-digit hours are a little wider than the column: right-aligned at the frame.
    constexpr UINT kRight = DT_RIGHT | DT_VCENTER | DT_SINGLELINE;
    EXPECT_TRUE(ShowsText(img, {90, 61, 178, 81}, L"100:00:00", kBlue, kRight));
    EXPECT_TRUE(ShowsText(img, ValueRect(86), L"00:00:59", kRed, kValueFlags));
    EXPECT_TRUE(ShowsText(img, ValueRect(107), L"02:00:00", kRed, kValueFlags));
    EXPECT_TRUE(ShowsText(img, {90, 128, 178, 148}, L"102:00:00", kBlack, kRight));
    EXPECT_TRUE(ShowsText(img, ValueRect(153), L"1000 패킷", kRed, kValueFlags));
    EXPECT_TRUE(ShowsText(img, {22, 40, 110, 60}, L"최근수신 시간", kBlack, DT_LEFT | DT_VCENTER | DT_SINGLELINE));
    // A wrong figure is told apart.
    EXPECT_FALSE(ShowsText(img, ValueRect(40), L"01:02:06", kBlue, kValueFlags));
    // Title in white on the header band.
    EXPECT_GT(callstest::Ink(img, {25, 0, 225, 25}, RGB(255, 255, 255), 30), 20);
}

TEST_F(CallInfoScreen, CountersAtTheirLargestShowWithoutWrapping)
{
    SettingsBlock& s = d.data.m_Settings;
    s.nLastInSeconds = INT_MAX;
    s.nTotalInSeconds = -1;  // ran past the signed range: counted on, not negative
    s.nTotalOutSeconds = -1;
    Open();
    const zentest::Image img = callstest::Shot(screen->GetHwnd(), L"callinfo_largest");
    // Wider than the value column: the whole figure, grown to the left.
    constexpr UINT kRight = DT_RIGHT | DT_VCENTER | DT_SINGLELINE;
    EXPECT_TRUE(ShowsText(img, {90, 40, 178, 60}, L"596523:14:07", kBlue, kRight));
    EXPECT_TRUE(ShowsText(img, {90, 61, 178, 81}, L"1193046:28:15", kBlue, kRight));
    EXPECT_TRUE(ShowsText(img, {90, 128, 178, 148}, L"2386092:56:30", kBlack, kRight));
    EXPECT_TRUE(ShowsText(img, ValueRect(153), L"0 패킷", kRed, kValueFlags));  // no usage database
}

TEST_F(CallInfoScreen, ResetOfTheLastIncomingTimeLeavesTheTotalsAndIsSaved)
{
    SettingsBlock& s = d.data.m_Settings;
    s.nLastInSeconds = 30;
    s.nTotalInSeconds = 100;
    s.nLastOutSeconds = 40;
    s.nTotalOutSeconds = 200;
    ASSERT_TRUE(d.data.m_EnvDB.Save());
    Open();

    // Cancel changes nothing.
    callstest::AnswerNextBox(false);
    TapReset(CCeMWndCallInfo::kResetLastIn);
    EXPECT_EQ(30, s.nLastInSeconds);

    std::wstring caption;
    callstest::AnswerNextBox(true, &caption);
    TapReset(CCeMWndCallInfo::kResetLastIn);
    EXPECT_EQ(L"알림", caption);
    EXPECT_EQ(0, s.nLastInSeconds);
    EXPECT_EQ(100, s.nTotalInSeconds);
    EXPECT_EQ(40, s.nLastOutSeconds);
    EXPECT_EQ(200, s.nTotalOutSeconds);
    EXPECT_EQ(0, Stored().nLastInSeconds);
    EXPECT_EQ(100, Stored().nTotalInSeconds);

    callstest::AnswerNextBox(true);
    TapReset(CCeMWndCallInfo::kResetTotalOut);
    EXPECT_EQ(0, s.nTotalOutSeconds);
    EXPECT_EQ(40, s.nLastOutSeconds);
    const zentest::Image img = callstest::Shot(screen->GetHwnd(), L"callinfo_reset");
    EXPECT_TRUE(ShowsText(img, ValueRect(40), L"00:00:00", kBlue, kValueFlags));
    EXPECT_TRUE(ShowsText(img, ValueRect(128), L"00:01:40", kBlack, kValueFlags));  // follows the totals
    EXPECT_EQ(0, Stored().nTotalOutSeconds);

    callstest::AnswerNextBox(true);
    TapReset(CCeMWndCallInfo::kResetLastOut);
    callstest::AnswerNextBox(true);
    TapReset(CCeMWndCallInfo::kResetTotalIn);
    EXPECT_EQ(0, Stored().nLastOutSeconds);
    EXPECT_EQ(0, Stored().nTotalInSeconds);
}

TEST_F(CallInfoScreen, ResetOfTheUsageDeletesTheCount)
{
    CCeNetDB net;
    ASSERT_EQ(1, net.AddUsage(5000));
    Open();
    EXPECT_EQ(9, screen->ShownUsage());
    callstest::AnswerNextBox(false);
    TapReset(CCeMWndCallInfo::kResetUsage);
    EXPECT_EQ(9, screen->ShownUsage());
    EXPECT_EQ(5000u, net.ReadUsage());

    callstest::AnswerNextBox(true);
    TapReset(CCeMWndCallInfo::kResetUsage);
    EXPECT_EQ(0, screen->ShownUsage());
    EXPECT_EQ(0u, net.ReadUsage());
    const zentest::Image img = callstest::Shot(screen->GetHwnd(), L"callinfo_usage_reset");
    EXPECT_TRUE(ShowsText(img, ValueRect(153), L"0 패킷", kRed, kValueFlags));
}

TEST_F(CallInfoScreen, RepaintsWhatACallThatEndedLeftAndAsksToCloseOnBack)
{
    Open();
    const zentest::Image before = callstest::Shot(screen->GetHwnd(), L"callinfo_before_call");
    EXPECT_TRUE(ShowsText(before, ValueRect(86), L"00:00:00", kRed, kValueFlags));
    // What the phone core does at the end of an outgoing call.
    d.data.m_Settings.nLastOutSeconds = 75;
    d.data.m_Settings.nTotalOutSeconds += 75;
    screen->Refresh();
    const zentest::Image after = callstest::Shot(screen->GetHwnd(), L"callinfo_after_call");
    EXPECT_TRUE(ShowsText(after, ValueRect(86), L"00:01:15", kRed, kValueFlags));
    EXPECT_TRUE(ShowsText(after, ValueRect(128), L"00:01:15", kBlack, kValueFlags));

    callstest::TapAt(screen->GetHwnd(), 240 - 14, 13);
    const callstest::Sent* close = host.Last(WM_COMMAND);
    ASSERT_NE(nullptr, close);
    EXPECT_EQ(1000, HIWORD(close->wp));
    EXPECT_EQ(22, LOWORD(close->wp));
    EXPECT_EQ(reinterpret_cast<LPARAM>(screen->GetHwnd()), close->lp);
}

}  // namespace
