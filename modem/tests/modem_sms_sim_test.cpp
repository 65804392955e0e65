// Text messages and status values against the simulated module, through the
// device manager and the platform serial driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "SimLinkFixture.h"
#include "modem/CodePage.h"
#include "modem/SmsText.h"

namespace {

using zen::sim::ToCp949;

const WPARAM kReadNewId = 0x101A;
const WPARAM kSendId = 0x1012;

class SimTextTest : public SimLinkTest {
protected:
    std::vector<ModemSmsRecord> received;
    LPARAM lastRead = -1;  // lParam of the latest AT$SMSNEWMT result

    void SetUp() override
    {
        SimLinkTest::SetUp();
        UseDioHanConversion();
    }
    void TearDown() override
    {
        log.onMessage = nullptr;
        SimLinkTest::TearDown();
        UseSystemConversion();
    }

    // Acts as the main and message windows do: a notice starts a read, each
    // read that held "OK" delivers the records and asks for the next one.
    void ReadLikeThePhone()
    {
        log.onMessage = [this](const LoggedMessage& m) {
            if (m.msg == WM_MODEM_SMSNEW && m.wParam == 0) {
                modem.CmdReadNewMt(0);
            } else if (m.msg == WM_MODEM_SMSNEW) {
                const auto* r = reinterpret_cast<const ModemSmsRecord*>(m.lParam);
                received.insert(received.end(), r, r + m.wParam);
            } else if (m.msg == WM_MODEM_RESULT && m.wParam == kReadNewId) {
                lastRead = m.lParam;
                if (m.lParam) {
                    modem.DeliverRecords();
                    modem.CmdReadNewMt(0);
                }
            }
        };
    }
    bool WaitReceived(size_t count, DWORD ms = 5000)
    {
        return zentest::WaitUntil(
            [&] { return received.size() >= count && lastRead == 0 && modem.Ready; }, ms);
    }
    std::string LastCommand() { return card.Module().Commands().back(); }
    bool WaitSent(size_t count)
    {
        return log.WaitCount(WM_MODEM_SMSSENT, count, 5000);
    }
};

std::wstring Wide(const char* body)
{
    wchar_t w[SMS_BODY_BUFFER];
    return g_pfnMultiByteToWide(body, w, SMS_BODY_BUFFER) ? w : L"<bad>";
}

TEST_F(SimTextTest, SendPutsTheExactLineOnTheWireAndTheVerdictArrives)
{
    OpenReady();
    const std::wstring body = L"안녕하세요; \"따옴표\" 'a\\b' 어때?\r\n끝";
    ASSERT_EQ(1, modem.SendTextMessageW(L"0167778888", nullptr, body.c_str()));
    ASSERT_TRUE(WaitSent(1));
    const std::string escaped = ToCp949(L"안녕하세요") + "\\x3B \\x22" + ToCp949(L"따옴표") +
                                "\\x22 \\'a\\\\b\\' " + ToCp949(L"어때") + "\\?\\x0D\\x0A" +
                                ToCp949(L"끝");
    EXPECT_EQ("AT$SMSMO0=0167778888,4098,\"" + escaped + "\"", LastCommand());
    EXPECT_EQ(1u, log.Of(WM_MODEM_SMSSENT)[0].wParam);
    const auto results = log.Of(WM_MODEM_RESULT);
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(kSendId, results[0].wParam);
    EXPECT_EQ(1, results[0].lParam);
    EXPECT_EQ(ToCp949(body), card.Module().Outbox().back().body);

    // With a call-back number, and the network refusing it.
    card.Module().SetAckMode(zen::sim::SimModule::AckMode::Nak, 100);
    ASSERT_EQ(1, modem.SendTextMessageW(L"0167778888", L"0101234567", L"실패"));
    ASSERT_TRUE(WaitSent(2));
    EXPECT_EQ("AT$SMSMO0=0167778888,0101234567,4098,\"" + ToCp949(L"실패") + "\"", LastCommand());
    EXPECT_EQ(0u, log.Of(WM_MODEM_SMSSENT)[1].wParam);
    EXPECT_EQ("0101234567", card.Module().Outbox().back().callback);
}

TEST_F(SimTextTest, BodiesTooLongForTheLineAreRefusedAndNothingGoesOut)
{
    OpenReady();
    const size_t before = CommandCount();
    EXPECT_EQ(0, modem.SendTextMessage("011", nullptr, std::string(83, ';').c_str()));
    EXPECT_EQ(0, modem.SendTextMessage("011", nullptr, std::string(330, 'a').c_str()));
    EXPECT_EQ(0, modem.SendTextMessage(std::string(64, '1').c_str(), nullptr, "a"));
    EXPECT_EQ(0, modem.SendTextMessageW(L"011", nullptr, std::wstring(165, L'가').c_str()));
    zentest::PumpMessages(200);
    EXPECT_EQ(before, CommandCount());
    // The longest that fits goes out whole: 82 escapes of four bytes.
    ASSERT_EQ(1, modem.SendTextMessage("011", nullptr, std::string(82, ';').c_str()));
    ASSERT_TRUE(WaitSent(1));
    EXPECT_EQ(std::string(82, ';'), card.Module().Outbox().back().body);
}

TEST_F(SimTextTest, WaitingMessagesAreReadUntilTheModuleAnswersWithoutOk)
{
    std::wstring forty;
    for (int i = 0; i < 40; ++i)
        forty += static_cast<wchar_t>(0xAC00 + i * 277);
    const std::wstring escapes = L"모두: \\ ; ' \" ? \r \n 끝";
    // Waiting in the module before the link opens: start-up reads them.
    card.Module().IncomingTextW("0167778888", forty);
    card.Module().IncomingText("0101112222", ToCp949(escapes), false, 4097);
    card.Module().IncomingTextW("0103334444", L"plain");
    ReadLikeThePhone();
    OpenReady();
    ASSERT_TRUE(WaitReceived(3));
    ASSERT_EQ(3u, received.size());
    EXPECT_EQ(80u, strlen(received[0].body));
    EXPECT_EQ(forty, Wide(received[0].body));
    EXPECT_EQ(escapes, Wide(received[1].body));
    EXPECT_EQ(L"plain", Wide(received[2].body));
    EXPECT_STREQ("0167778888", received[0].number);
    EXPECT_STREQ("4097", received[1].teleservice);
    EXPECT_STREQ("4098", received[2].teleservice);
    EXPECT_EQ(14u, strlen(received[0].timeStamp));
    EXPECT_STREQ("", received[0].index);
    EXPECT_EQ(3, modem.Status.mtCount[0]);  // counted at start-up, before the reads
    EXPECT_EQ(0, modem.Status.mtCount[1]);  // lowered by each read

    // Announced while the link is up, one with each notice.
    card.Module().IncomingTextW("0105556666", L"넷째");
    card.Module().IncomingTextW("0107778888", L"다섯째", true);
    ASSERT_TRUE(WaitReceived(5));
    zentest::PumpMessages(200);
    ASSERT_EQ(5u, received.size());
    EXPECT_EQ(L"넷째", Wide(received[3].body));
    EXPECT_EQ(L"다섯째", Wide(received[4].body));
    for (const auto& m : card.Module().Inbox())
        EXPECT_TRUE(m.read);
    EXPECT_EQ(0, modem.SmsRecordCount);
}

TEST_F(SimTextTest, BodyOfNothingButEscapesArrivesWhole)
{
    // 255 characters that each travel as a 4-byte escape: a 1020-byte body.
    std::string body;
    for (int i = 0; i < 255; ++i)
        body += ";\"\r\n"[i % 4];
    card.Module().IncomingText("0167778888", body);
    card.Module().IncomingText("0167778888", std::string(255, ';'), true);
    ReadLikeThePhone();
    OpenReady();
    ASSERT_TRUE(WaitReceived(2));
    ASSERT_EQ(2u, received.size());
    EXPECT_EQ(body, received[0].body);
    EXPECT_EQ(std::string(255, ';'), received[1].body);
    EXPECT_STREQ("0167778888", received[1].number);
}

// Seeded random bodies, bytes and Hangul, out through the escape and the
// wire to the module, and back from the module through the read loop.
TEST_F(SimTextTest, RandomBodiesRoundTripOverTheWire)
{
    ReadLikeThePhone();
    OpenReady();
    std::mt19937 rng(4242);
    const std::string specials = "\\;'\"?\r\n";
    size_t sent = 0;
    for (int round = 0; round < 12; ++round) {
        std::string body;
        if (round % 2 == 0) {
            const int n = std::uniform_int_distribution<int>(1, 150)(rng);
            for (int i = 0; i < n; ++i) {
                // Zero ends the text and backspace edits the module's line.
                int c = std::uniform_int_distribution<int>(1, 255)(rng);
                if (c == '\b' || i % 4 == 0)
                    c = specials[rng() % specials.size()];
                body += static_cast<char>(c);
            }
        } else {
            std::wstring wide;
            const int n = std::uniform_int_distribution<int>(1, 100)(rng);
            for (int i = 0; i < n; ++i)
                wide += (rng() % 4) ? static_cast<wchar_t>(0xAC00 + rng() % 11172)
                                    : static_cast<wchar_t>(specials[rng() % specials.size()]);
            body = ToCp949(wide);
        }
        char escaped[SMS_BODY_BUFFER];
        if (EscapeText(body.c_str(), escaped, sizeof escaped) < 0) {
            EXPECT_EQ(0, modem.SendTextMessage("0167778888", nullptr, body.c_str()));
            continue;
        }
        ASSERT_EQ(1, modem.SendTextMessage("0167778888", nullptr, body.c_str())) << round;
        ASSERT_TRUE(WaitSent(++sent)) << round;
        EXPECT_EQ(body, card.Module().Outbox().back().body) << round;

        const size_t before = received.size();
        lastRead = -1;
        card.Module().IncomingText("0167778888", body);
        ASSERT_TRUE(WaitReceived(before + 1)) << round;
        ASSERT_EQ(before + 1, received.size());
        EXPECT_EQ(body, received.back().body) << round;
    }
}

TEST_F(SimLinkTest, StatusQueriesFillTheValues)
{
    card.Module().SetBattery(3.61);
    card.Module().SetSignal(7);
    card.Module().IncomingText("011", "a");
    card.Module().IncomingText("011", "b");
    OpenReady();
    // Start-up already read these.
    EXPECT_FLOAT_EQ(3.61f, modem.Status.batteryVolts);
    EXPECT_EQ(7, modem.Status.signalLevel);
    EXPECT_EQ(1, modem.Status.registration);
    EXPECT_STREQ("01012345678", modem.Status.dialInfo);
    EXPECT_EQ(14u, strlen(modem.Status.moduleTime));
    EXPECT_EQ(3, modem.Status.speakerVolume);
    EXPECT_EQ(2, modem.Status.ringVolume);
    EXPECT_EQ(2, modem.Status.mtCount[0]);
    EXPECT_EQ(1, modem.Status.mtCount[1]);  // start-up read one of the two

    ASSERT_EQ(1, modem.CmdVersion());
    ASSERT_EQ(1, modem.CmdStatusInfo());
    ASSERT_EQ(1, modem.CmdNam());
    ASSERT_EQ(1, modem.CmdSmsVolume());
    ASSERT_EQ(1, modem.CmdBell());
    ASSERT_EQ(1, modem.CmdSetRingVolume(6));
    ASSERT_EQ(1, modem.CmdSetBell(4));
    ASSERT_EQ(1, modem.CmdDeleteAllMt());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 8, 5000));
    EXPECT_STREQ("ZM-1X2000 V1.20 2004-03-15", modem.Status.moduleVersion);
    const LONG info[10] = {384, 168, 2190, 1, 3, -110 + 7 * 8, -16 + 7, -12, 1, 1};
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(info[k], modem.Status.engineering[k]) << k;
    EXPECT_FLOAT_EQ(0.75f, modem.Status.engineeringFloat);
    EXPECT_EQ(0, modem.Status.activeNam);
    EXPECT_EQ(4, modem.Status.smsVolume);
    EXPECT_EQ(6, modem.Status.ringVolume);
    EXPECT_EQ(6, card.Module().RingVolume());
    EXPECT_EQ(4, modem.Status.bell);
    EXPECT_EQ(0, modem.Status.mtCount[0]);
    EXPECT_EQ(0, modem.Status.mtCount[1]);

    ASSERT_EQ(1, modem.CmdSetVolume(5));
    // A setting the module refuses leaves the value.
    ASSERT_EQ(1, modem.CmdSetRingVolume(12));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 10, 3000));
    EXPECT_EQ(5, modem.Status.speakerVolume);
    EXPECT_EQ(0, log.Of(WM_MODEM_RESULT)[9].lParam);
    EXPECT_EQ(6, modem.Status.ringVolume);
    card.Module().SetRegistration(0);
    ASSERT_EQ(1, modem.CmdRegistration());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 11, 3000));
    EXPECT_EQ(0, modem.Status.registration);
}

TEST_F(SimLinkTest, LockThenRegistrationBelowTwoUnlocks)
{
    OpenReady();
    card.Module().Lock();
    ASSERT_TRUE(WaitCallState(CALL_LOCKED));
    ASSERT_TRUE(zentest::WaitUntil([&] { return modem.LinkState == LINK_LOCKED; }, 2000));
    EXPECT_EQ(2, modem.Status.registration);
    // Still locked: the answer keeps it so.
    ASSERT_EQ(1, modem.CmdRegistration());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 1, 3000));
    EXPECT_EQ(LINK_LOCKED, modem.LinkState);
    card.Module().Unlock();
    ASSERT_EQ(1, modem.CmdRegistration());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 2, 3000));
    EXPECT_EQ(1, modem.Status.registration);
    EXPECT_TRUE(zentest::WaitUntil([&] { return modem.LinkState == LINK_READY; }, 2000));
    EXPECT_EQ(CALL_IDLE, modem.CallState);
}

TEST_F(SimLinkTest, IdleTicksPollSignalAndBattery)
{
    OpenReady();
    auto count = [&](const char* cmd) {
        const auto c = card.Module().Commands();
        return std::count(c.begin(), c.end(), std::string(cmd));
    };
    const auto pings = count("AT$PING?"), batts = count("AT$BATT?");
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(0, modem.TimerTick()) << i;
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 3, 3000));
    EXPECT_EQ(pings + 2, count("AT$PING?"));
    EXPECT_EQ(batts + 1, count("AT$BATT?"));
    EXPECT_EQ(60, modem.PollTickCount());

    // No polling during a call, nor on a closed link.
    modem.CallState = CALL_CONNECTED;
    for (int i = 0; i < 60; ++i)
        modem.TimerTick();
    EXPECT_EQ(60, modem.PollTickCount());
    modem.CallState = CALL_IDLE;
    modem.LinkState = LINK_CLOSED;
    for (int i = 0; i < 60; ++i)
        modem.TimerTick();
    EXPECT_EQ(60, modem.PollTickCount());
    modem.LinkState = LINK_READY;
    zentest::PumpMessages(100);
    EXPECT_EQ(pings + 2, count("AT$PING?"));
}

}  // namespace
