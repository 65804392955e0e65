// The link opened through the device manager on the simulated module: the
// port is found in the registry, and every byte crosses the platform driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SimLinkFixture.h"

namespace {

TEST_F(SimLinkTest, StartupQueriesInOrderAllAnswered)
{
    OpenReady();
    const std::vector<std::string> expected = {
        "ATE1",       "AT$CONRPT=1", "AT$BATT?",    "AT$WARNSND=1", "AT$SYSTIME?", "AT$PING?",
        "AT$STSREG?", "AT$DIAL?",    "AT$VOL?",     "AT$RINGVOL?",  "AT$MTCNT?",   "AT$SMSNEWMT0?"};
    EXPECT_EQ(expected, card.Module().Commands());
    EXPECT_EQ(LINK_READY, modem.LinkState);
    EXPECT_EQ(-1, modem.InFlight.id);
}

TEST_F(SimLinkTest, OneInFlightNineteenQueuedTwentiethRefusedThenResent)
{
    OpenReady();
    card.Module().SetSilent(true);
    const size_t before = CommandCount();
    ASSERT_EQ(1, modem.CmdPing());
    for (int i = 0; i < 19; ++i)
        ASSERT_EQ(1, modem.CmdVolume()) << i;
    EXPECT_EQ(0, modem.CmdBattery());
    zentest::PumpMessages(300);
    EXPECT_EQ(before + 1, CommandCount());  // only the one in flight went out

    card.Module().SetSilent(false);
    Sleep(800);
    EXPECT_EQ(1, modem.Pump());  // a second since it went: sent again
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 20, 5000));
    const std::vector<WPARAM> ids = ResultIds();
    EXPECT_EQ(2u, ids[0]);
    EXPECT_TRUE(std::all_of(ids.begin() + 1, ids.end(), [](WPARAM id) { return id == 3; }));
    EXPECT_EQ(before + 21, CommandCount());
    EXPECT_EQ(0, modem.QueuedCount());
}

TEST_F(SimLinkTest, DialIsExclusiveUntilItsResult)
{
    OpenReady();
    card.Module().SetResponseDelay(400);
    size_t commandsAtDialResult = 0;
    log.onMessage = [&](const LoggedMessage& m) {
        if (m.msg == WM_MODEM_RESULT && m.wParam == 0x100A)
            commandsAtDialResult = CommandCount();
    };
    const size_t before = CommandCount();
    ASSERT_EQ(1, modem.CmdDial(L"0167778888"));
    ASSERT_EQ(1, modem.CmdPing());
    EXPECT_EQ(0, modem.Pump());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 2, 5000));
    EXPECT_EQ((std::vector<WPARAM>{0x100A, 2}), ResultIds());
    EXPECT_EQ(before + 1, commandsAtDialResult);  // the ping waited for the dial
    EXPECT_EQ(CALL_SETUP, log.Of(WM_MODEM_RESULT)[0].callState);
    EXPECT_EQ("AT$ORI0167778888", card.Module().Commands()[before]);

    card.Module().SetResponseDelay(0);
    card.Module().RemoteAnswer();
    EXPECT_TRUE(WaitCallState(CALL_CONNECTED));
    card.Module().RemoteHangUp();
    EXPECT_TRUE(WaitCallState(CALL_NO_CARRIER));
}

TEST_F(SimLinkTest, IncomingCallRingCallerIdAnswerHangUp)
{
    OpenReady();
    card.Module().Ring("0167778888");
    ASSERT_TRUE(WaitCallState(CALL_RINGING));
    ASSERT_TRUE(zentest::WaitUntil([&] { return modem.CallerIdSource == 2; }, 3000));
    EXPECT_STREQ("0167778888", modem.CallerNumber);
    ASSERT_EQ(1, modem.CmdAnswer());
    ASSERT_TRUE(WaitCallState(CALL_CONNECTED));
    card.Module().RemoteHangUp();
    ASSERT_TRUE(WaitCallState(CALL_NO_CARRIER));
    zentest::PumpMessages(100);
    EXPECT_STREQ("", modem.CallerNumber);

    // The window saw the states in this order.
    std::vector<LONG> states;
    for (const LoggedMessage& m : log.Of(WM_MODEM_COMMEVENT))
        if (states.empty() || states.back() != m.callState)
            states.push_back(m.callState);
    const std::vector<LONG> expected = {CALL_RINGING, CALL_CONNECTED, CALL_NO_CARRIER};
    EXPECT_TRUE(std::search(states.begin(), states.end(), expected.begin(), expected.end()) !=
                states.end());
}

TEST_F(SimLinkTest, CarrierLossEndsTheCall)
{
    OpenReady();
    card.Module().Ring("0101234567");
    ASSERT_TRUE(WaitCallState(CALL_RINGING));
    ASSERT_EQ(1, modem.CmdAnswer());
    ASSERT_TRUE(WaitCallState(CALL_CONNECTED));
    card.Module().CarrierLoss();  // no text, only carrier detect dropping
    EXPECT_TRUE(WaitCallState(CALL_NO_CARRIER));
}

TEST_F(SimLinkTest, RingBurstClearsMessagesAndReportsTheError)
{
    OpenReady();
    card.Module().RingBurst(8, 100);
    ASSERT_TRUE(log.WaitCount(WM_MODEM_ERROR, 1, 4000));
    EXPECT_EQ(L"Modem Error 0", log.Of(WM_MODEM_ERROR)[0].text);
    ASSERT_TRUE(zentest::WaitUntil(
        [&] {
            const auto c = card.Module().Commands();
            return std::find(c.begin(), c.end(), "AT$DELALLMT") != c.end();
        },
        2000));
}

TEST_F(SimLinkTest, CallAlreadyRingingWhenTheLinkOpens)
{
    // The module powers up once the driver reached it.
    ASSERT_TRUE(zentest::WaitUntil(
        [&] { return (card.Module().ModemStatus() & MS_DSR_ON) != 0; }, 3000));
    card.Module().Ring("0167778888");
    ASSERT_EQ(zen::sim::SimModule::CallState::Ringing, card.Module().Call());
    Sleep(200);
    ASSERT_EQ(0, modem.StartOpening(CCeMModem::FindModemPort(), 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_OPENED, 1, 8000));
    EXPECT_TRUE(WaitCallState(CALL_RINGING));
    EXPECT_EQ(2, modem.CallerIdSource);
    ASSERT_EQ(1, modem.CmdAnswer());
    EXPECT_TRUE(WaitCallState(CALL_CONNECTED));
}

TEST_F(SimLinkTest, CloseWhileTheReaderWaits)
{
    OpenReady();
    zentest::PumpMessages(100);
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, modem.Close());
    EXPECT_LT(GetTickCount() - start, 900u);
    EXPECT_FALSE(card.Module().Dtr());
    // And the port can be had again.
    ASSERT_EQ(0, modem.StartOpening(CCeMModem::FindModemPort(), 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_OPENED, 1, 5000));
    EXPECT_EQ(OPEN_OK, static_cast<int>(log.Of(WM_MODEM_OPENED)[0].wParam));
}

TEST_F(SimLinkTest, GarbageThenTheNextCommandCompletes)
{
    OpenReady();
    card.Module().SendRaw("\r\n" + std::string(2000, 'G') + "\r\n" +
                          std::string("\0\xff\r\r\rx\r", 7));
    for (int i = 0; i < 50; ++i)
        card.Module().SendUnsolicited("$SMSMONAK");
    zentest::PumpMessages(300);
    ASSERT_EQ(1, modem.CmdPing());
    ASSERT_TRUE(zentest::WaitUntil(
        [&] {
            const auto ids = ResultIds();
            return std::find(ids.begin(), ids.end(), 2u) != ids.end();
        },
        3000));
    EXPECT_EQ(1, log.Of(WM_MODEM_RESULT).back().lParam);
}

}  // namespace
