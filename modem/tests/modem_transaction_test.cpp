// One command in flight, the queue, re-sends, the exclusive dial and send.
#include "LinkFixture.h"

#include "modem/CCeMModemListener.h"

namespace {

TEST_F(LinkTest, SentThenResultForEachCommandInOrder)
{
    OpenReady();
    ASSERT_EQ(1, modem.CmdSetVolume(7));
    ASSERT_EQ(1, modem.CmdVolume());  // queued behind the first
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 2));
    EXPECT_EQ((std::vector<std::string>{"AT$VOL=7\r\n", "AT$VOL?\r\n"}), io.CommandWrites());
    std::vector<std::pair<UINT, WPARAM>> seen;
    for (const LoggedMessage& m : log.Entries())
        if (m.msg == WM_MODEM_SENT || m.msg == WM_MODEM_RESULT)
            seen.push_back({m.msg, m.wParam});
    EXPECT_EQ((std::vector<std::pair<UINT, WPARAM>>{{WM_MODEM_SENT, 0x1004},
                                                    {WM_MODEM_RESULT, 0x1004},
                                                    {WM_MODEM_SENT, 3},
                                                    {WM_MODEM_RESULT, 3}}),
              seen);
    for (const LoggedMessage& m : log.Entries()) {
        if (m.msg == WM_MODEM_SENT || m.msg == WM_MODEM_RESULT) {
            EXPECT_EQ(1, m.lParam);  // written whole; "OK" in the block
        }
    }
}

TEST_F(LinkTest, NineteenQueueAndTheTwentiethIsRefused)
{
    OpenReady();
    io.SetSilent("AT$PING?");
    ASSERT_EQ(1, modem.CmdPing());
    for (int i = 0; i < 19; ++i)
        ASSERT_EQ(1, modem.CmdSetRingVolume(i % 10)) << i;
    EXPECT_EQ(0, modem.CmdBattery());
    EXPECT_EQ(19, modem.QueuedCount());
    EXPECT_EQ((std::vector<std::string>{"AT$PING?\r\n"}), io.CommandWrites());

    // The answer arrives: the queue drains first in, first out.
    io.Inject(FakeModemIo::Block("AT$PING?\r\n", {"4"}));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 20));
    const std::vector<std::string> writes = io.CommandWrites();
    ASSERT_EQ(20u, writes.size());
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ("AT$RINGVOL=" + std::to_string(i % 10) + "\r\n", writes[i + 1]);
    EXPECT_EQ(0, modem.QueuedCount());
}

TEST_F(LinkTest, OverdueCommandIsSentAgainByThePump)
{
    OpenReady();
    io.SetSilent("AT$PING?");
    ASSERT_EQ(1, modem.CmdPing());
    EXPECT_EQ(0, modem.Pump());  // not overdue yet
    Sleep(1050);
    EXPECT_EQ(1, modem.Pump());
    EXPECT_EQ(0, modem.Pump());
    EXPECT_EQ((std::vector<std::string>{"AT$PING?\r\n", "AT$PING?\r\n"}), io.CommandWrites());
    const std::vector<DWORD> purges = io.Purges();
    EXPECT_EQ(12u, purges.back());
    EXPECT_EQ(static_cast<DWORD>(CLRDTR), io.Escapes().back());
    EXPECT_EQ((std::vector<WPARAM>{2, 2}), Ids(WM_MODEM_SENT));

    io.SetSilent("AT$PING?", false);
    Sleep(1050);
    EXPECT_EQ(1, modem.Pump());  // third time answered
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 1));
    EXPECT_EQ(-1, modem.InFlight.id);
    EXPECT_EQ(0, modem.Pump());
}

TEST_F(LinkTest, StrayResultKeepsTheQueueAndTheCommandInFlight)
{
    OpenReady();
    // A stray result of another command makes the sender ready while the
    // queue still holds commands: the queue is not lost.
    io.SetSilent("AT$BATT?");
    ASSERT_EQ(1, modem.CmdBattery());
    ASSERT_EQ(1, modem.CmdVolume());
    io.Inject(FakeModemIo::Block("AT$PING?\r\n", {"5"}));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 1));
    EXPECT_EQ(1, modem.QueuedCount());
    // The battery query in flight is overdue after a second and goes again,
    // and its answer moves the queue on.
    io.SetSilent("AT$BATT?", false);
    Sleep(1050);
    EXPECT_EQ(1, modem.Pump());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 3));
    EXPECT_EQ((std::vector<WPARAM>{2, 0, 3}), Ids(WM_MODEM_RESULT));
}

TEST_F(LinkTest, DialHoldsTheLineUntilItsOwnResult)
{
    OpenReady();
    io.SetSilent("AT$ORI0123456789");
    ASSERT_EQ(1, modem.CmdDial(L"0123456789"));
    ASSERT_EQ(1u, io.CommandWrites().size());
    EXPECT_EQ(std::string("AT$ORI0123456789\r\n  \0\0", 22), io.CommandWrites()[0]);
    EXPECT_EQ(1, modem.Exclusive);

    ASSERT_EQ(1, modem.CmdPing());  // queued: the dial is exclusive
    // A result of another command does not move the queue on.
    io.Inject(FakeModemIo::Block("AT$BATT?\r\n", {"3.9"}));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 1));
    EXPECT_EQ(0, modem.Pump());
    EXPECT_EQ(1u, io.CommandWrites().size());
    EXPECT_EQ(1, modem.CmdVolume());  // still queued even though ready
    EXPECT_EQ(2, modem.QueuedCount());

    io.Inject(FakeModemIo::Block("AT$ORI0123456789\r\n", {}));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 4));
    EXPECT_EQ((std::vector<WPARAM>{0, 0x100A, 2, 3}), Ids(WM_MODEM_RESULT));
    EXPECT_EQ(0, modem.Exclusive);
    EXPECT_EQ(CALL_SETUP, log.Of(WM_MODEM_RESULT)[1].callState);
}

TEST_F(LinkTest, TextMessageSendIsExclusiveToo)
{
    OpenReady();
    const char* line = "AT$SMSMO0=0111234567,4098,\"hi\"\r\n";
    io.SetSilent("AT$SMSMO0=0111234567,4098,\"hi\"");
    ASSERT_EQ(1, modem.CmdSmsSend(line));
    EXPECT_EQ(line, io.CommandWrites().at(0));
    ASSERT_EQ(1, modem.CmdPing());
    Sleep(1050);
    EXPECT_EQ(0, modem.Pump());  // two-second time-out, and the ping waits
    Sleep(1000);
    EXPECT_EQ(1, modem.Pump());  // the send goes again, not the ping
    EXPECT_EQ((std::vector<std::string>{line, line}), io.CommandWrites());
    io.Inject(FakeModemIo::Block(line, {}));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 2));
    EXPECT_EQ((std::vector<WPARAM>{0x1012, 2}), Ids(WM_MODEM_RESULT));
}

TEST_F(LinkTest, WriteFailureIsReportedAndTheCommandGoesAgainLater)
{
    OpenReady();
    io.failWrite = true;
    EXPECT_EQ(0, modem.CmdPing());
    ASSERT_EQ(1u, log.Count(WM_MODEM_SENT));
    EXPECT_EQ(2u, log.Of(WM_MODEM_SENT)[0].wParam);
    EXPECT_EQ(0, log.Of(WM_MODEM_SENT)[0].lParam);
    EXPECT_EQ(1, modem.Ready);
    EXPECT_EQ(2, modem.InFlight.id);
    io.failWrite = false;
    Sleep(1050);
    EXPECT_EQ(1, modem.Pump());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 1));
    EXPECT_EQ(2u, log.Of(WM_MODEM_RESULT)[0].wParam);
}

TEST_F(LinkTest, RefusedWhenClosedTooLongOrUnknown)
{
    EXPECT_EQ(0, modem.CmdPing());  // never opened
    OpenReady();
    EXPECT_EQ(0, modem.Issue(49, nullptr, AT_ARG_NONE));
    EXPECT_EQ(0, modem.Issue(0x1003, "1", AT_ARG_BYTE));
    const std::string huge(600, '1');
    EXPECT_EQ(0, modem.CmdSetPhoneNumber(huge.c_str()));
    EXPECT_EQ(0, modem.CmdDial(std::wstring(130, L'1').c_str()));  // too long for the dial line
    EXPECT_TRUE(io.CommandWrites().size() <= 1);
    EXPECT_EQ(1, modem.CmdPing());  // and the link still works
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 1));
}

// The main window passes each result to its listener.
class ResultListener : public CCeMModemListener {
public:
    CCeMModem* modem = nullptr;
    std::vector<std::string> calls;
    void OnPing(int ok) override
    {
        calls.push_back("ping " + std::to_string(ok));
        modem->CmdBattery();  // issuing from inside a result handler must not block
    }
    void OnBattery(int ok) override { calls.push_back("batt " + std::to_string(ok)); }
};

TEST_F(LinkTest, NumbersWithLineBreaksOrQuotesNeverReachTheWire)
{
    OpenReady();
    EXPECT_EQ(0, modem.CmdDial(L"0101234567\r\nAT$DELALLMT"));
    EXPECT_EQ(0, modem.CmdDial(L"010\x0A"));
    EXPECT_EQ(0, modem.CmdDial(L"010\""));
    EXPECT_EQ(0, modem.CmdSetPhoneNumber("01012345678\rATZ"));
    EXPECT_EQ(0, modem.CmdDtmf('\n'));
    EXPECT_EQ(0, modem.SendTextMessage("011\r\nAT$DELALLMT", nullptr, "hi"));
    EXPECT_EQ(0, modem.SendTextMessage("011", "012\"\r\nATZ", "hi"));
    EXPECT_EQ(0, modem.SendTextMessage("011,012", nullptr, "hi"));
    EXPECT_EQ(0, modem.SendTextMessageW(L"011", L"012\x0D", L"hi"));
    // Backspaces would edit the module's line back into another destination.
    EXPECT_EQ(0, modem.SendTextMessage("011", nullptr,
                                       (std::string(24, '\b') + "0199999999,4098,\"x").c_str()));
    zentest::PumpMessages(100);
    EXPECT_TRUE(io.CommandWrites().empty());
    EXPECT_EQ(0u, log.Count(WM_MODEM_SENT));
    EXPECT_EQ(-1, modem.InFlight.id);
    EXPECT_EQ(0, modem.QueuedCount());

    // The body may hold them: it is escaped.
    ASSERT_EQ(1, modem.SendTextMessage("011", "", "a\r\n\"b"));
    ASSERT_EQ(1u, io.CommandWrites().size());
    EXPECT_EQ("AT$SMSMO0=011,,4098,\"a\\x0D\\x0A\\x22b\"\r\n", io.CommandWrites()[0]);
}

TEST_F(LinkTest, ListenerHandlersRunFromTheResultMessage)
{
    OpenReady();
    ResultListener listener;
    listener.modem = &modem;
    log.onMessage = [&](const LoggedMessage& m) {
        if (m.msg == WM_MODEM_RESULT)
            listener.Dispatch(static_cast<int>(m.wParam), static_cast<int>(m.lParam));
    };
    io.SetAnswer("AT$PING?", {"3"}, false);
    ASSERT_EQ(1, modem.CmdPing());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 2));
    EXPECT_EQ((std::vector<std::string>{"ping 0", "batt 1"}), listener.calls);
}

TEST_F(LinkTest, LockedModuleLocksTheLinkUntilRegistrationDrops)
{
    OpenReady();
    io.Inject("\r\n$LOCK\r\n");
    ASSERT_TRUE(Settle(1));
    EXPECT_EQ(CALL_LOCKED, modem.CallState);
    EXPECT_EQ(LINK_LOCKED, modem.LinkState);
    EXPECT_EQ(2, modem.Status.registration);
    EXPECT_EQ(1, modem.CmdPing());  // a locked link still takes commands
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 1));

    // Registration below 2, read from its query's answer, unlocks.
    io.SetAnswer("AT$STSREG?", {"1"});
    ASSERT_EQ(1, modem.CmdRegistration());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 2));
    EXPECT_EQ(1, modem.Status.registration);
    // The link moves on once the result message has been handled.
    EXPECT_TRUE(zentest::WaitUntil([&] { return modem.LinkState == LINK_READY; }, 2000));
    EXPECT_EQ(CALL_IDLE, modem.CallState);
}

}  // namespace
