// The simulated module on its own: what it answers, byte for byte, and how
// its calls, texts and lines behave.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "sim/SimConsole.h"
#include "sim/SimModule.h"

using zen::sim::SimModule;

namespace {

class SimModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module.SetSink(SimModule::Sink{
            [this](const std::string& b) {
                std::lock_guard<std::mutex> hold(lock);
                out += b;
            },
            [this](DWORD s) {
                std::lock_guard<std::mutex> hold(lock);
                lines.push_back(s);
            },
        });
        module.PowerOn();
    }

    std::string Take()
    {
        std::lock_guard<std::mutex> hold(lock);
        std::string s;
        s.swap(out);
        return s;
    }

    std::string Output()
    {
        std::lock_guard<std::mutex> hold(lock);
        return out;
    }

    // Sends a command line and returns everything the module answered.
    std::string Say(const std::string& line)
    {
        Take();
        module.Receive(line + "\r\n");
        return Take();
    }

    // The lines of a reply block, after the echo.
    static std::vector<std::string> Block(const std::string& reply)
    {
        std::vector<std::string> result;
        size_t start = reply.find("\r\r\n");
        if (start == std::string::npos)
            return result;
        std::string body = reply.substr(start + 3);
        size_t pos = 0;
        for (size_t crlf; (crlf = body.find("\r\n", pos)) != std::string::npos; pos = crlf + 2)
            result.push_back(body.substr(pos, crlf - pos));
        return result;
    }

    bool WaitFor(const std::string& text, DWORD ms = 2000)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            if (Output().find(text) != std::string::npos)
                return true;
            Sleep(5);
        }
        return false;
    }

    std::mutex lock;
    std::string out;
    std::vector<DWORD> lines;
    SimModule module;
};

TEST_F(SimModuleTest, QueryIsEchoedAndAnsweredAsOneBlock)
{
    // Echo up to the CR, the block, and the echoed LF that ends it.
    EXPECT_EQ(Say("AT$BATT?"), "AT$BATT?\r\r\n3.85\r\n\r\nOK\r\n\n");
    // A command without a value line: just the final line.
    EXPECT_EQ(Say("AT$VOL=7"), "AT$VOL=7\r\r\nOK\r\n\n");
    EXPECT_EQ(Block(Say("AT$VOL?")), (std::vector<std::string>{"7", "", "OK"}));
    EXPECT_EQ(Block(Say("AT$CID?")), (std::vector<std::string>{"OK"}));
    EXPECT_EQ(Block(Say("AT$FOO?")), (std::vector<std::string>{"ERROR"}));
    EXPECT_EQ(Block(Say("AT$RINGVOL=12")), (std::vector<std::string>{"ERROR"}));
}

TEST_F(SimModuleTest, AnswersEveryQueryOfTheCatalogue)
{
    module.SetSignal(7);
    EXPECT_EQ(Block(Say("AT$PING?"))[0], "7");
    std::string time = Block(Say("AT$SYSTIME?"))[0];
    EXPECT_EQ(time.size(), 14u);
    EXPECT_EQ(time.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(Block(Say("AT$STSREG?"))[0], "1");
    EXPECT_EQ(Block(Say("AT$DIAL?"))[0], "01012345678");
    EXPECT_EQ(Block(Say("AT$NAM=1")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$NAM?"))[0], "1");
    EXPECT_EQ(Block(Say("AT$BWMODE=NAMING")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$PHONENUM=01799998888")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$DIAL?"))[0], "01799998888");
    EXPECT_EQ(Block(Say("AT$NAM=5"))[0], "ERROR");
    EXPECT_EQ(Block(Say("AT$BELL3")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$BELL?"))[0], "3");
    EXPECT_EQ(Block(Say("AT$BELLTYPE=12")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$BELLTYPE?"))[0], "12");
    EXPECT_EQ(Block(Say("AT$SMSVOL=2")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$SMSVOL?"))[0], "2");
    EXPECT_EQ(Block(Say("AT$CMDECHO=1")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$CMDECHO?"))[0], "1");
    EXPECT_EQ(Block(Say("AT$ATAN=1")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$ATAN?"))[0], "1");
    std::string info = Block(Say("AT$STSINFO?"))[0];
    EXPECT_EQ(std::count(info.begin(), info.end(), ','), 10);
    EXPECT_FALSE(Block(Say("AT+GMR"))[0].empty());
    // The reset goes last: the module is away for a while after it.
    for (const char* ok : {"ATZ", "AT$CONRPT=1", "AT$WARNSND=1", "AT$BWMODE=NAMING", "AT$MOCNT?",
                           "AT$DELALLMO", "AT$DELALLMT", "AT$MTACK=1", "AT$REL", "AT$BWMODE=RESET"})
        EXPECT_EQ(Block(Say(ok)).back(), "OK") << ok;
}

TEST_F(SimModuleTest, NumbersAreProgrammedOnlyInNamingModeAndAResetRestartsTheModule)
{
    module.SetResetTime(300);
    EXPECT_EQ(Block(Say("AT$PHONENUM=0177778888"))[0], "ERROR");
    EXPECT_EQ(Block(Say("AT$BWMODE=NAMING")).back(), "OK");
    EXPECT_TRUE(module.InNamingMode());
    EXPECT_EQ(Block(Say("AT$NAM=1")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$PHONENUM=0177778888")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$BWMODE=RESET")).back(), "OK");
    // Away: lines down, nothing answered.
    DWORD start = GetTickCount();
    while (!module.Restarting() && GetTickCount() - start < 1000)
        Sleep(5);
    ASSERT_TRUE(module.Restarting());
    EXPECT_EQ(0u, module.ModemStatus() & (MS_DSR_ON | MS_CTS_ON));
    module.Receive("AT$NAM?\r\n");
    Sleep(50);
    EXPECT_EQ(Output().find("AT$NAM?\r\r\n1"), std::string::npos);
    // Back, out of naming mode, with the new number on the chosen assignment.
    start = GetTickCount();
    while (module.Restarting() && GetTickCount() - start < 2000)
        Sleep(5);
    ASSERT_FALSE(module.Restarting());
    EXPECT_EQ(MS_DSR_ON | MS_CTS_ON, module.ModemStatus() & (MS_DSR_ON | MS_CTS_ON));
    EXPECT_FALSE(module.InNamingMode());
    EXPECT_EQ(Block(Say("AT$DIAL?"))[0], "0177778888");
    EXPECT_EQ(Block(Say("AT$NAM=0")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$DIAL?"))[0], "01012345678");  // each assignment keeps its own
    EXPECT_EQ(Block(Say("AT$PHONENUM=0111111111"))[0], "ERROR");
}

// In a slot, the restarting card leaves and is put back as the slot does with
// a real one: power off after its lines dropped, power on once it is back.
TEST_F(SimModuleTest, ARestartingCardLeavesItsSlotAndComesBackWithItsNumber)
{
    module.SetResetTime(300);
    std::vector<std::string> slot;
    module.SetRestartHandler([&](bool back) {
        const std::string what = back ? (module.Restarting() ? "in while away" : "in") : "out";
        const std::string lines = module.ModemStatus() & MS_DSR_ON ? "lines up" : "lines down";
        {
            std::lock_guard<std::mutex> hold(lock);
            slot.push_back(what);
            slot.push_back(lines);
        }
        back ? module.PowerOn() : module.PowerOff();
    });
    EXPECT_EQ(Block(Say("AT$BWMODE=NAMING")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$PHONENUM=0105556666")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$BWMODE=RESET")).back(), "OK");
    const DWORD start = GetTickCount();
    auto seen = [&] {
        std::lock_guard<std::mutex> hold(lock);
        return slot.size();
    };
    while (seen() < 4 && GetTickCount() - start < 3000)
        Sleep(5);
    {
        std::lock_guard<std::mutex> hold(lock);
        EXPECT_EQ(slot, (std::vector<std::string>{"out", "lines down", "in", "lines down"}));
    }
    EXPECT_EQ(MS_DSR_ON | MS_CTS_ON, module.ModemStatus() & (MS_DSR_ON | MS_CTS_ON));
    EXPECT_FALSE(module.InNamingMode());
    EXPECT_EQ(Block(Say("AT$DIAL?"))[0], "0105556666");
    module.SetRestartHandler(nullptr);
}

TEST_F(SimModuleTest, DialLinePaddingDoesNotSpoilTheNextEcho)
{
    module.SetAutoAnswer(-1);
    Take();
    module.Receive(std::string("AT$ORI0101234567\r\n  \0\0", 22));
    EXPECT_EQ(Take(), "AT$ORI0101234567\r\r\nOK\r\n\n");
    EXPECT_EQ(module.Call(), SimModule::CallState::Dialing);
    EXPECT_EQ(Say("AT$CID?").substr(0, 9), "AT$CID?\r\r");
    module.RemoteAnswer();
    EXPECT_EQ(Take(), "\r\n$VCON\r\n");
    EXPECT_TRUE(module.ModemStatus() & MS_RLSD_ON);
    EXPECT_EQ(Block(Say("AT$DTMF5")).back(), "OK");
    module.RemoteHangUp();
    EXPECT_EQ(Take(), "\r\nNO CARRIER\r\n");
    EXPECT_FALSE(module.ModemStatus() & MS_RLSD_ON);
}

TEST_F(SimModuleTest, DialledCallIsAnsweredByItselfAndRefusedWhenLocked)
{
    module.SetAutoAnswer(30);
    EXPECT_EQ(Block(Say("AT$ORI0101234567")).back(), "OK");
    EXPECT_TRUE(WaitFor("$VCON"));
    EXPECT_EQ(module.Call(), SimModule::CallState::Connected);
    Say("AT$REL");
    EXPECT_EQ(module.Call(), SimModule::CallState::Idle);

    module.Lock();
    EXPECT_EQ(Take(), "\r\n$LOCK\r\n");
    EXPECT_EQ(Block(Say("AT$STSREG?"))[0], "2");
    EXPECT_EQ(Block(Say("AT$ORI0101234567"))[0], "ERROR");
    module.Unlock();
    EXPECT_EQ(Block(Say("AT$STSREG?"))[0], "1");
    EXPECT_EQ(Block(Say("AT$ORI12a"))[0], "ERROR");
}

TEST_F(SimModuleTest, IncomingCallRingsWithCallerIdAndCarrier)
{
    module.SetRingTiming(80, 30, 50);
    Take();
    module.Ring("0101234567");
    EXPECT_EQ(Take(), "\r\nRING\r\n\r\n*QRV*CNI: 0101234567\r\n");
    EXPECT_EQ(module.ModemStatus() & (MS_RLSD_ON | MS_RING_ON), DWORD(MS_RLSD_ON | MS_RING_ON));
    EXPECT_EQ(Block(Say("AT$CID?"))[0], "0101234567");
    // The indicator goes off between rings and the second ring has no number.
    EXPECT_TRUE(WaitFor("RING"));
    EXPECT_EQ(Output().find("CNI"), std::string::npos);
    EXPECT_EQ(Block(Say("AT$QCCAV")).back(), "OK");
    EXPECT_EQ(module.Call(), SimModule::CallState::Connected);
    EXPECT_EQ(module.ModemStatus() & (MS_RLSD_ON | MS_RING_ON), DWORD(MS_RLSD_ON));
    Sleep(250);  // no more rings once answered
    EXPECT_EQ(Take().find("RING"), std::string::npos);

    module.CallWaiting("0109990000");
    EXPECT_EQ(Take(), "\r\n*QRV*CNI: 0109990000\r\n");
    EXPECT_EQ(Block(Say("AT$FLASH")).back(), "OK");
    EXPECT_EQ(module.CallNumber(), "0109990000");
    module.CarrierLoss();
    EXPECT_EQ(Take(), "");
    EXPECT_FALSE(module.ModemStatus() & MS_RLSD_ON);
}

TEST_F(SimModuleTest, UnansweredCallEndsAndRejectedCallStops)
{
    module.SetRingTiming(40, 10, 2);
    module.Ring("", false);
    EXPECT_TRUE(WaitFor("NO CARRIER"));
    EXPECT_EQ(Output().find("CNI"), std::string::npos);
    EXPECT_EQ(module.Call(), SimModule::CallState::Idle);

    module.SetRingTiming(1000, 500, 5);
    module.Ring("0101234567");
    EXPECT_EQ(Block(Say("AT$REJECT")).back(), "OK");
    EXPECT_EQ(module.Call(), SimModule::CallState::Idle);
    EXPECT_EQ(module.ModemStatus() & (MS_RLSD_ON | MS_RING_ON), 0u);
    EXPECT_EQ(Block(Say("AT$QCCAV"))[0], "ERROR");
}

TEST_F(SimModuleTest, SentTextIsStoredUnescapedAndAcknowledged)
{
    module.SetAckMode(SimModule::AckMode::Ack, 10);
    EXPECT_EQ(Block(Say("AT$SMSMO0=0101234567,0109876543,4098,\"a\\x3Bb\\x22c\"")).back(), "OK");
    EXPECT_TRUE(WaitFor("\r\n$SMSMOACK\r\n"));
    module.SetAckMode(SimModule::AckMode::Nak, 10);
    EXPECT_EQ(Block(Say("AT$SMSMO0=0101234567,4098,\"a\\\\b\"")).back(), "OK");
    EXPECT_TRUE(WaitFor("\r\n$SMSMONAK\r\n"));
    auto sent = module.Outbox();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].body, "a;b\"c");
    EXPECT_EQ(sent[0].callback, "0109876543");
    EXPECT_EQ(sent[0].teleservice, 4098);
    EXPECT_EQ(sent[1].body, "a\\b");
    EXPECT_EQ(sent[1].callback, "");
    EXPECT_EQ(Block(Say("AT$MOCNT?"))[0], "2");
    EXPECT_EQ(Block(Say("AT$SMSMO1?"))[0].substr(14), ",0101234567,4098,a\\x3Bb\\x22c");
    EXPECT_EQ(Block(Say("AT$SMSMO0=,4098,\"x\""))[0], "ERROR");
}

TEST_F(SimModuleTest, ReceivedTextIsReadOnceInCodePage949)
{
    std::wstring text = L"안녕;하세요?";
    module.IncomingTextW("0101112222", text);
    EXPECT_EQ(Take(), "\r\n$NEWMT\r\n");
    EXPECT_EQ(Block(Say("AT$MTCNT?"))[0], "1,1");
    std::vector<std::string> block = Block(Say("AT$SMSNEWMT0?"));
    ASSERT_EQ(block.size(), 3u);
    EXPECT_EQ(block.back(), "OK");
    std::string line = block[0];
    EXPECT_EQ(line.substr(14, 17), ",0101112222,4098,");
    std::string escaped = line.substr(31);
    EXPECT_NE(escaped.find("\\x3B"), std::string::npos);
    EXPECT_NE(escaped.find("\\?"), std::string::npos);
    EXPECT_EQ(zen::sim::FromCp949(zen::sim::UnescapeBody(escaped)), text);
    // No further new message: the answer has no OK, which ends the reading loop.
    EXPECT_EQ(Block(Say("AT$SMSNEWMT0?")), (std::vector<std::string>{"ERROR"}));
    EXPECT_EQ(Block(Say("AT$MTCNT?"))[0], "1,0");
    EXPECT_EQ(Block(Say("AT$SMSMT1?"))[0], line);

    module.IncomingText("0103334444", "hi", true);
    EXPECT_EQ(Take(), "\r\n*QRV*NEWMSG: 2\r\n");
    EXPECT_EQ(Block(Say("AT$DELMT=1")).back(), "OK");
    EXPECT_EQ(Block(Say("AT$MTCNT?"))[0], "1,1");
}

TEST_F(SimModuleTest, EscapingFollowsTheTables)
{
    EXPECT_EQ(zen::sim::EscapeBody("a;b\"c"), "a\\x3Bb\\x22c");
    EXPECT_EQ(zen::sim::EscapeBody("a\\b'?\r\n"), "a\\\\b\\'\\?\\x0D\\x0A");
    EXPECT_EQ(zen::sim::UnescapeBody("a\\x3bb\\X0Dc"), "a;b\rc");
    EXPECT_EQ(zen::sim::UnescapeBody("\\\\x3B"), "\\x3B");
}

TEST_F(SimModuleTest, SlowAnswerHoldsTheEchoedLineFeedAndUnsolicitedCodes)
{
    module.SetResponseDelay(1000);
    Take();
    module.Receive("AT$PING?\r\n");
    module.SendUnsolicited("RING");
    EXPECT_EQ(Output(), "AT$PING?\r");
    EXPECT_TRUE(WaitFor("\n\r\nRING\r\n", 5000));
    EXPECT_EQ(Take(), "AT$PING?\r\r\n4\r\n\r\nOK\r\n\n\r\nRING\r\n");

    module.SetResponseDelay(0);
    module.SetSilent(true);
    EXPECT_EQ(Say("AT$PING?"), "AT$PING?\r\n");
    module.SetSilent(false);
    // Echo goes off at once: the line feed after the command is not echoed.
    EXPECT_EQ(Say("ATE0"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(Say("AT$PING?"), "\r\n4\r\n\r\nOK\r\n");
}

TEST_F(SimModuleTest, RingBurstPulsesTheIndicator)
{
    {
        std::lock_guard<std::mutex> hold(lock);
        lines.clear();
    }
    module.RingBurst(5, 40);
    auto rings = [this] {
        std::string said = Output();
        size_t n = 0;
        for (size_t p = 0; (p = said.find("\r\nRING\r\n", p)) != std::string::npos; ++p)
            ++n;
        return n;
    };
    DWORD start = GetTickCount();
    while ((rings() < 5 || (module.ModemStatus() & MS_RING_ON)) && GetTickCount() - start < 3000)
        Sleep(10);
    Sleep(50);
    EXPECT_EQ(rings(), 5u);
    std::lock_guard<std::mutex> hold(lock);
    int rises = 0;
    DWORD previous = MS_CTS_ON | MS_DSR_ON;
    for (DWORD s : lines) {
        rises += (s & MS_RING_ON) && !(previous & MS_RING_ON);
        previous = s;
    }
    EXPECT_EQ(rises, 5);
    EXPECT_FALSE(previous & MS_RING_ON);
}

TEST_F(SimModuleTest, PoweredOffModuleIsSilent)
{
    module.Ring("0101234567");
    module.PowerOff();
    EXPECT_EQ(module.ModemStatus(), 0u);
    EXPECT_EQ(module.Call(), SimModule::CallState::Idle);
    Take();
    EXPECT_EQ(Say("AT$BATT?"), "");
    module.PowerOn();
    EXPECT_EQ(module.ModemStatus(), DWORD(MS_CTS_ON | MS_DSR_ON));
    EXPECT_EQ(Block(Say("AT$BATT?")).back(), "OK");
}

TEST_F(SimModuleTest, UnreadTextsAreAnnouncedOnceTheHandheldListensAfterPowerOn)
{
    // Nothing unread: nothing to announce.
    module.PowerOff();
    module.PowerOn();
    module.SetControlLines(true, true);
    EXPECT_EQ(Take(), "");

    // A text that came while the card was out.
    module.PowerOff();
    module.IncomingText("0101112222", "hi");
    EXPECT_EQ(Take(), "");
    module.PowerOn();
    EXPECT_EQ(Take(), "");  // no one listens yet
    module.SetControlLines(true, true);
    EXPECT_EQ(Take(), "\r\n$NEWMT\r\n");
    // Once per power-on.
    module.SetControlLines(false, false);
    module.SetControlLines(true, true);
    EXPECT_EQ(Take(), "");

    // Still unread at the next power-on, even when DTR was left high.
    module.PowerOff();
    module.PowerOn();
    module.SetControlLines(true, true);
    EXPECT_EQ(Take(), "\r\n$NEWMT\r\n");
    // Read: no announcement after that.
    EXPECT_EQ(Block(Say("AT$SMSNEWMT0?")).back(), "OK");
    module.PowerOff();
    module.PowerOn();
    module.SetControlLines(true, true);
    EXPECT_EQ(Take(), "");
}

TEST_F(SimModuleTest, ConsoleCommandsDriveTheModule)
{
    zen::sim::SimConsole console(module, L"sim:none");
    EXPECT_EQ(console.Execute("battery 3.1"), "battery 3.1 V");
    EXPECT_EQ(Block(Say("AT$BATT?"))[0], "3.10");
    console.Execute("sms 0105556666 반가워요");
    ASSERT_EQ(module.Inbox().size(), 1u);
    EXPECT_EQ(zen::sim::FromCp949(module.Inbox()[0].body), L"반가워요");
    console.Execute("ring 0107778888");
    EXPECT_EQ(module.Call(), SimModule::CallState::Ringing);
    EXPECT_EQ(console.Execute("ring"), "busy: a call is in progress");
    console.Execute("hangup");
    EXPECT_EQ(module.Call(), SimModule::CallState::Idle);
    Take();
    console.Execute("raw \\xFFgarbage\\r\\n");
    EXPECT_EQ(Take(), "\xFFgarbage\r\n");
    console.Execute("broken RIN");
    EXPECT_EQ(Take(), "\r\nRIN");
    EXPECT_EQ(console.Execute("frobnicate"), "unknown command; try help");
    EXPECT_FALSE(console.QuitRequested());
    console.Execute("quit");
    EXPECT_TRUE(console.QuitRequested());
}

// Packet data: dialled with ATD, the data echoed and counted both ways.
TEST_F(SimModuleTest, DataCallEchoesAndCountsUntilDtrDrops)
{
    module.SetDataTiming(20, 200);
    module.SetControlLines(true, true);
    EXPECT_EQ(Say("AT+CRM=150"), "AT+CRM=150\r\r\nOK\r\n\n");
    EXPECT_EQ(Say("ATDT1501"), "ATDT1501\r\n");  // nothing until the network answers
    ASSERT_TRUE(WaitFor("\r\nCONNECT 115200\r\n"));
    EXPECT_TRUE(module.ModemStatus() & MS_RLSD_ON);
    zen::sim::SimDataCounts d = module.Data();
    EXPECT_TRUE(d.connected && d.online);
    EXPECT_EQ(d.number, "1501");
    EXPECT_EQ(d.calls, 1u);
    Take();
    // Commands are data now: echoed as they are, not answered.
    const std::string payload = std::string("AT$BATT?\r\n\0\xFF+", 13) + std::string(3000, 'x');
    module.Receive(payload);
    EXPECT_EQ(Take(), payload);
    d = module.Data();
    EXPECT_EQ(d.fromHandheld, payload.size());
    EXPECT_EQ(d.toHandheld, payload.size());
    EXPECT_EQ(module.Commands().back(), "ATDT1501");
    // A ring waits for the data call to end.
    module.Ring("0101234567");
    EXPECT_EQ(module.Call(), SimModule::CallState::Idle);

    module.SetControlLines(false, true);
    EXPECT_EQ(Take(), "\r\nNO CARRIER\r\n");
    EXPECT_FALSE(module.ModemStatus() & MS_RLSD_ON);
    EXPECT_FALSE(module.Data().connected);
    // Back to commands; the next call counts from zero but the totals go on.
    module.SetControlLines(true, true);
    EXPECT_EQ(Block(Say("AT$BATT?"))[0], "3.85");
    Say("ATD#777");
    ASSERT_TRUE(WaitFor("CONNECT"));
    module.Receive("abc");
    d = module.Data();
    EXPECT_EQ(d.callFrom, 3u);
    EXPECT_EQ(d.fromHandheld, payload.size() + 3);
    EXPECT_EQ(d.calls, 2u);
    zen::sim::SimConsole console(module, L"sim:none");
    EXPECT_NE(console.Execute("data").find("data call to #777 on line"), std::string::npos);
    EXPECT_EQ(console.Execute("ring"), "busy: a data call is up");
    // The other side hangs up.
    module.RemoteHangUp();
    EXPECT_TRUE(WaitFor("NO CARRIER"));
    EXPECT_FALSE(module.Data().connected);
}

TEST_F(SimModuleTest, EscapeNeedsSilenceAroundItThenAthHangsUp)
{
    module.SetDataTiming(10, 150);
    Say("ATD1501");
    ASSERT_TRUE(WaitFor("CONNECT"));
    // "+++" inside the data is data.
    Take();
    module.Receive("a+++b");
    Sleep(400);
    EXPECT_EQ(Take(), "a+++b");
    EXPECT_TRUE(module.Data().online);
    // Followed by a byte within the guard time: still data.
    Sleep(200);
    module.Receive("+++");
    Sleep(50);
    module.Receive("z");
    Sleep(400);
    EXPECT_EQ(Take(), "+++z");
    EXPECT_TRUE(module.Data().online);
    // Silence before and after: "OK", commands again, the call still up.
    Sleep(200);
    module.Receive("+++");
    ASSERT_TRUE(WaitFor("+++\r\nOK\r\n"));
    EXPECT_FALSE(module.Data().online);
    EXPECT_TRUE(module.Data().connected);
    EXPECT_EQ(Block(Say("AT$PING?"))[0], "4");
    const unsigned long long before = module.Data().fromHandheld;
    EXPECT_EQ(Say("ATO"), "ATO\r\r\nCONNECT 115200\r\n\n");
    module.Receive("q");
    EXPECT_EQ(Take(), "q");
    EXPECT_EQ(module.Data().fromHandheld, before + 1);  // the command's line feed is not data
    Sleep(200);
    module.Receive("+++");
    ASSERT_TRUE(WaitFor("OK"));
    EXPECT_EQ(Say("ATH"), "ATH\r\r\nOK\r\n\n");
    EXPECT_FALSE(module.Data().connected);
    EXPECT_FALSE(module.ModemStatus() & MS_RLSD_ON);
    EXPECT_EQ(Block(Say("ATO"))[0], "NO CARRIER");
}

TEST_F(SimModuleTest, DataDialRefusedWhenLockedBusyOrPulled)
{
    module.SetDataTiming(10, 150);
    EXPECT_EQ(Block(Say("ATD"))[0], "ERROR");
    EXPECT_EQ(Block(Say("ATD12a"))[0], "ERROR");
    EXPECT_EQ(Block(Say("AT+CRM=x"))[0], "ERROR");
    module.Lock();
    EXPECT_EQ(Block(Say("ATD1501"))[0], "NO CARRIER");
    module.Unlock();
    module.SetRingTiming(1000, 500, 5);
    module.Ring("0101234567");
    EXPECT_EQ(Block(Say("ATD1501"))[0], "BUSY");
    module.RemoteHangUp();
    // Pulled while dialling: no CONNECT ever comes, and the card is clean when it is back.
    Say("ATD1501");
    module.PowerOff();
    module.PowerOn();
    Sleep(100);
    EXPECT_EQ(Output().find("CONNECT"), std::string::npos);
    EXPECT_FALSE(module.Data().connected);
    EXPECT_EQ(Block(Say("AT$PING?"))[0], "4");
}

// A reply still going out when the module is destroyed finishes with the
// module's state intact.
TEST(SimModuleLifetime, DestructionWaitsForTheRunningAction)
{
    auto* module = new SimModule;
    const DWORD mainThread = GetCurrentThreadId();
    HANDLE inReply = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> destroying{false};
    std::vector<std::string> seenDuring;
    bool done = false;
    module->SetSink(SimModule::Sink{
        [&](const std::string&) {
            if (GetCurrentThreadId() == mainThread)
                return;  // the echo
            if (done)
                return;
            SetEvent(inReply);
            while (!destroying)
                Sleep(1);
            Sleep(200);  // the destructor runs meanwhile
            seenDuring = module->Commands();
            done = true;
        },
        nullptr,
    });
    module->PowerOn();
    module->SetResponseDelay(50);
    module->Receive("AT$PING?\r");
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(inReply, 2000));
    destroying = true;
    delete module;
    CloseHandle(inReply);
    EXPECT_TRUE(done);
    EXPECT_EQ((std::vector<std::string>{"AT$PING?"}), seenDuring);
}

}  // namespace
