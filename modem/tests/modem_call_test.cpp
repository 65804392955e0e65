// Calls as the module reports them: ring, caller id, answer, carrier loss.
#include "LinkFixture.h"

namespace {

TEST_F(LinkTest, IncomingCallRingCallerIdAnswerNoCarrier)
{
    OpenReady();
    io.Inject("\r\nRING\r\n");
    ASSERT_TRUE(Settle(1));
    io.Inject("\r\n*QRV*CNI: 0167778888\r\n");
    ASSERT_TRUE(Settle(2));
    ASSERT_EQ(1, modem.CmdAnswer());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 1));
    io.Inject("\r\nNO CARRIER\r\n");
    ASSERT_TRUE(Settle(4));

    const std::vector<LoggedMessage> events = log.Of(WM_MODEM_COMMEVENT);
    EXPECT_EQ(CALL_RINGING, events[0].callState);
    EXPECT_EQ(static_cast<WPARAM>(EV_RXCHAR), events[0].wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&modem), events[0].lParam);
    EXPECT_EQ(CALL_RINGING, events[1].callState);
    EXPECT_EQ("0167778888", events[1].caller);
    EXPECT_EQ(CALL_CONNECTED, log.Of(WM_MODEM_RESULT)[0].callState);
    EXPECT_EQ(0, modem.CallerIdSource);  // cleared after the call ended
    EXPECT_EQ(CALL_NO_CARRIER, events.back().callState);
    EXPECT_EQ("0167778888", events.back().caller);  // still there while the window looks
    EXPECT_STREQ("", modem.CallerNumber);
    EXPECT_EQ(CALL_NO_CARRIER, modem.CallState);
}

TEST_F(LinkTest, WaitingCallerDuringAConnectedCall)
{
    OpenReady();
    io.Inject("\r\n$VCALL0101234567\r\n");
    ASSERT_TRUE(Settle(1));
    EXPECT_EQ(CALL_SETUP, modem.CallState);
    EXPECT_STREQ("0101234567", modem.CallerNumber);
    EXPECT_EQ(1, modem.CallerIdSource);
    io.Inject("\r\n$VCON\r\n");
    io.Inject("\r\n*QRV*CNI: 0165550000\r\n");
    ASSERT_TRUE(zentest::WaitUntil([&] { return modem.WaitingNoticeCount == 1; }, 2000));
    EXPECT_STREQ("0165550000", modem.WaitingCallerNumber);
    EXPECT_STREQ("0101234567", modem.CallerNumber);
    modem.HandledNoticeCount = 1;
    io.Inject("\r\nNO CARRIER\r\n");
    ASSERT_TRUE(zentest::WaitUntil([&] { return modem.CallState == CALL_NO_CARRIER; }, 2000));
    zentest::PumpMessages(50);
    EXPECT_EQ(0, modem.WaitingNoticeCount);
    EXPECT_EQ(0, modem.HandledNoticeCount);
    EXPECT_STREQ("", modem.WaitingCallerNumber);
}

TEST_F(LinkTest, CarrierLossEndsRingingOrConnectedCallAtTheNextLineEvent)
{
    OpenReady();
    io.modemStatus = MS_RLSD_ON;
    io.Inject("\r\n$VCON\r\n");
    ASSERT_TRUE(Settle(1));
    io.RaiseEvent(EV_DSR);  // carrier still there
    ASSERT_TRUE(Settle(2));
    EXPECT_EQ(CALL_CONNECTED, modem.CallState);

    io.modemStatus = 0;
    io.Inject("x");  // a receive event does not look at the lines
    ASSERT_TRUE(Settle(3));
    EXPECT_EQ(CALL_CONNECTED, modem.CallState);
    modem.LineCheckSuspended = 1;
    io.RaiseEvent(EV_RLSD);
    ASSERT_TRUE(Settle(4));
    EXPECT_EQ(CALL_CONNECTED, modem.CallState);
    modem.LineCheckSuspended = 0;
    io.RaiseEvent(EV_RXCHAR | EV_RLSD);  // a carrier drop that came with bytes counts
    ASSERT_TRUE(Settle(5));
    EXPECT_EQ(CALL_NO_CARRIER, log.Of(WM_MODEM_COMMEVENT).back().callState);
    EXPECT_EQ(static_cast<WPARAM>(EV_RXCHAR | EV_RLSD), log.Of(WM_MODEM_COMMEVENT).back().wParam);

    // Ringing ends the same way; an unreadable status ends nothing.
    io.Inject("\r\nRING\r\n");
    ASSERT_TRUE(Settle(6));
    io.modemStatusFails = true;
    io.RaiseEvent(EV_CTS);
    ASSERT_TRUE(Settle(7));
    EXPECT_EQ(CALL_RINGING, modem.CallState);
    io.modemStatusFails = false;
    io.RaiseEvent(EV_CTS);
    ASSERT_TRUE(Settle(8));
    EXPECT_EQ(CALL_NO_CARRIER, modem.CallState);
}

TEST_F(LinkTest, RingBurstGuardClearsMessagesAndReportsAnError)
{
    OpenReady();
    io.SetSilent("AT$DELALLMT");  // keep one notification per ring
    for (int i = 1; i <= 5; ++i) {
        io.RaiseEvent(EV_RING);
        ASSERT_TRUE(Settle(i));
    }
    EXPECT_EQ(0u, log.Count(WM_MODEM_ERROR));
    EXPECT_TRUE(io.CommandWrites().empty());
    io.RaiseEvent(EV_RING);  // the sixth, fifth short interval
    ASSERT_TRUE(Settle(6));
    ASSERT_EQ(1u, log.Count(WM_MODEM_ERROR));
    EXPECT_EQ(L"Modem Error 0", log.Of(WM_MODEM_ERROR)[0].text);
    EXPECT_EQ(0, log.Of(WM_MODEM_ERROR)[0].lParam);
    EXPECT_EQ((std::vector<std::string>{"AT$DELALLMT\r\n"}), io.CommandWrites());
    // The error comes before the event's own notification.
    const auto& all = log.Entries();
    EXPECT_EQ(static_cast<UINT>(WM_MODEM_ERROR), all[all.size() - 2].msg);

    io.RaiseEvent(EV_RING);  // every further quick ring repeats it
    ASSERT_TRUE(Settle(7));
    EXPECT_EQ(2u, log.Count(WM_MODEM_ERROR));

    Sleep(1050);
    io.RaiseEvent(EV_RING);  // a slow ring starts the count again
    ASSERT_TRUE(Settle(8));
    io.RaiseEvent(EV_RING);
    ASSERT_TRUE(Settle(9));
    EXPECT_EQ(2u, log.Count(WM_MODEM_ERROR));
    EXPECT_EQ(1, CCeMModem::RingBurstCount());
}

TEST_F(LinkTest, ProbeFindsARingingCallAtStartUp)
{
    io.modemStatus = MS_RLSD_ON | MS_RING_ON;
    io.Inject("\r\nRING\r\n");  // waiting in the driver before the program opened
    ASSERT_EQ(0, modem.StartOpening(3, 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 10));
    EXPECT_EQ(CALL_RINGING, modem.CallState);
    EXPECT_EQ(2, modem.CallerIdSource);
    EXPECT_EQ(StartupWrites(), io.CommandWrites());
}

TEST_F(LinkTest, ProbeWithMessageNoticeFindsNoCall)
{
    io.modemStatus = MS_RLSD_ON | MS_RING_ON;
    io.Inject("\r\n$NEWMT\r\n");
    ASSERT_EQ(0, modem.StartOpening(3, 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 10));
    EXPECT_EQ(CALL_IDLE, modem.CallState);
}

TEST_F(LinkTest, ProbeWithSteadyCarrierFindsAConnectedCallAndAsksForItsNumber)
{
    io.modemStatus = MS_RLSD_ON;
    const DWORD start = GetTickCount();
    ASSERT_EQ(0, modem.StartOpening(3, 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 11, 8000));
    EXPECT_GE(GetTickCount() - start, 4000u);
    EXPECT_EQ(CALL_CONNECTED, modem.CallState);
    std::vector<std::string> expected = StartupWrites();
    expected.push_back("AT$CID?\r\n");
    EXPECT_EQ(expected, io.CommandWrites());
}

}  // namespace
