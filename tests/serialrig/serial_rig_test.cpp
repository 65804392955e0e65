// The modem link on a host serial port with modem lines: a pty that stands
// in for the port, a module end that plays the module on its other side and
// answers for the lines (rig.py, with libzenrig.so preloaded). Every byte
// and every line change crosses Wine's own serial code, Serial.dll's host
// port backend and the device manager.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "MessageLog.h"
#include "ModuleEnd.h"
#include "WinTest.h"
#include "ce_devmgr.h"
#include "ce_serialapi.h"
#include "modem/CCeMModem.h"
#include "modem/ModemMessages.h"
#include "modem/SmsText.h"

namespace {

using rigtest::HostPort;
using rigtest::ModuleEnd;

const wchar_t kPnpId[] = L"PCMCIA\\CDMA2000_1x_Zentrika_rig";

class SerialRigTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError();
        ASSERT_TRUE(CeDevMgrRegisterDriver(kPnpId, L"Serial.dll", L"COM"));
    }
    static void TearDownTestSuite()
    {
        CeDevMgrStopInProcess();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (std::wstring(L"Drivers\\PCMCIA\\") + kPnpId).c_str());
    }

    ModuleEnd module;
    CCeMModem modem;
    MessageLog log{&modem};
    std::wstring name;

    void SetUp() override
    {
        ASSERT_TRUE(module.Connected()) << "run under rig.py";
        wchar_t buf[16] = L"";
        ASSERT_TRUE(CeDevMgrInsertCard(kPnpId, HostPort().c_str(), buf, 16)) << GetLastError();
        name = buf;
        modem.SetWindows(log.Window(), log.Window(), log.Window());
        modem.SetSettleDelay(50);
    }
    void TearDown() override
    {
        modem.Close();
        CeDevMgrRemoveCard(kPnpId);
    }

    void OpenReady()
    {
        const int port = CCeMModem::FindModemPort();
        ASSERT_EQ(name, L"COM" + std::to_wstring(port) + L":");
        ASSERT_EQ(0, modem.StartOpening(port, 0));
        ASSERT_TRUE(log.WaitCount(WM_MODEM_OPENED, 1, 5000));
        ASSERT_EQ(OPEN_OK, static_cast<int>(log.Of(WM_MODEM_OPENED)[0].wParam));
        ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 10, 8000));
        ASSERT_TRUE(zentest::WaitUntil([&] { return modem.Ready != 0; }, 2000));
        zentest::PumpMessages(100);
        log.Clear();
    }
    bool WaitCallState(LONG state, DWORD ms = 3000)
    {
        return zentest::WaitUntil([&] { return modem.CallState == state; }, ms);
    }
    // The lines as a second program sees them through the device manager.
    DWORD ModemStatusFromOutside()
    {
        HANDLE h = CeDevCreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return 0xFFFFFFFF;
        DWORD status = 0xFFFFFFFF;
        if (!CeDevGetCommModemStatus(h, &status))
            status = 0xFFFFFFFF;
        CeDevCloseHandle(h);
        return status;
    }
    bool WaitPing()
    {
        log.Clear();
        if (modem.CmdPing() != 1)
            return false;
        return log.WaitCount(WM_MODEM_RESULT, 1, 4000) && log.Of(WM_MODEM_RESULT)[0].wParam == 2 &&
               log.Of(WM_MODEM_RESULT)[0].lParam == 1;
    }
};

TEST_F(SerialRigTest, OpenRaisesDtrAndRtsAndRunsTheStartUpQueries)
{
    OpenReady();
    const std::vector<std::string> expected = {
        "ATE1",       "AT$CONRPT=1", "AT$BATT?", "AT$WARNSND=1", "AT$SYSTIME?", "AT$PING?",
        "AT$STSREG?", "AT$DIAL?",    "AT$VOL?",  "AT$RINGVOL?",  "AT$MTCNT?",   "AT$SMSNEWMT0?"};
    EXPECT_EQ(expected, module.Commands());
    EXPECT_EQ(LINK_READY, modem.LinkState);
    EXPECT_EQ("dtr=1 rts=1", module.Ask("lines").substr(0, 11));
    // The line as the module expects it: 115200 baud, 8N1, no flow control.
    EXPECT_EQ("speed=115200/115200 bits=8 parity=0 stop=1 rtscts=0 xonxoff=0", module.Ask("line"));
    // The module is powered: DSR and CTS, no carrier, no ring.
    EXPECT_EQ(DWORD(MS_CTS_ON | MS_DSR_ON), ModemStatusFromOutside());
}

TEST_F(SerialRigTest, RingWithTheRingLineAndCallerIdThenCarrierLossEndsTheCall)
{
    OpenReady();
    ASSERT_EQ("ok", module.Ask("ring 0167778888"));
    ASSERT_TRUE(WaitCallState(CALL_RINGING));
    ASSERT_TRUE(zentest::WaitUntil([&] { return modem.CallerIdSource == 2; }, 3000));
    EXPECT_STREQ("0167778888", modem.CallerNumber);
    EXPECT_TRUE(ModemStatusFromOutside() & MS_RLSD_ON);
    // The ring line's rise reached the link as a ring event.
    EXPECT_TRUE(zentest::WaitUntil(
        [&] {
            for (const LoggedMessage& m : log.Of(WM_MODEM_COMMEVENT))
                if (m.wParam & EV_RING)
                    return true;
            return false;
        },
        2000));

    ASSERT_EQ(1, modem.CmdAnswer());
    ASSERT_TRUE(WaitCallState(CALL_CONNECTED));
    zentest::PumpMessages(200);
    EXPECT_EQ(CALL_CONNECTED, modem.CallState);  // carrier still up: the call stands

    ASSERT_EQ("ok", module.Ask("carrier 0"));  // the line drops without a word
    EXPECT_TRUE(WaitCallState(CALL_NO_CARRIER));
    EXPECT_EQ(0, modem.CallerIdSource);
    EXPECT_STREQ("", modem.CallerNumber);
}

TEST_F(SerialRigTest, TextMessageGoesOutByteForByteAndIsAcknowledged)
{
    OpenReady();
    char body[SMS_BODY_BUFFER];
    ASSERT_EQ(16, EscapeText("a;b\"c\\d?", body, sizeof body));
    char* line = BuildSmsSendLine(SMS_SEND_SLOT, "0167778888", "0101234567", SMS_TELESERVICE_TEXT, body);
    ASSERT_NE(nullptr, line);
    ASSERT_EQ(1, modem.CmdSmsSend(line));
    ReleaseSmsSendLine(line);
    ASSERT_TRUE(log.WaitCount(WM_MODEM_SMSSENT, 1, 5000));
    EXPECT_EQ(1u, log.Of(WM_MODEM_SMSSENT)[0].wParam);
    ASSERT_EQ(1u, log.Count(WM_MODEM_RESULT));
    EXPECT_EQ(0x1012u, log.Of(WM_MODEM_RESULT)[0].wParam);
    EXPECT_EQ(1, log.Of(WM_MODEM_RESULT)[0].lParam);

    const std::string expected = "AT$SMSMO0=0167778888,0101234567,4098,\"a\\x3Bb\\x22c\\\\d\\?\"\r\n";
    std::string hex;
    for (unsigned char c : expected) {
        static const char digits[] = "0123456789abcdef";
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    EXPECT_EQ(hex, module.Ask("last"));
}

TEST_F(SerialRigTest, DtrDropsWhenTheLinkCloses)
{
    OpenReady();
    const std::string before = module.Ask("lines");
    ASSERT_EQ("dtr=1", before.substr(0, 5));
    const int drops = std::atoi(before.substr(before.find("drops=") + 6).c_str());
    ASSERT_EQ(1, modem.Close());
    const std::string after = module.Ask("lines");
    EXPECT_EQ("dtr=0", after.substr(0, 5));
    EXPECT_GT(std::atoi(after.substr(after.find("drops=") + 6).c_str()), drops);
}

TEST_F(SerialRigTest, FloodOfLineChangesLeavesTheLinkWorking)
{
    OpenReady();
    ASSERT_EQ("ok", module.Ask("flood 4000"));
    zentest::PumpMessages(300);
    EXPECT_EQ(0u, log.Count(WM_MODEM_ERROR));
    EXPECT_EQ(CALL_IDLE, modem.CallState);
    EXPECT_EQ(DWORD(MS_CTS_ON | MS_DSR_ON), ModemStatusFromOutside());
    EXPECT_TRUE(WaitPing());
}

TEST_F(SerialRigTest, QuickRingPulsesTripTheBurstGuard)
{
    OpenReady();
    ASSERT_EQ("ok", module.Ask("ringburst 8 200"));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_ERROR, 1, 3000));
    EXPECT_TRUE(zentest::WaitUntil([&] { return module.Saw("AT$DELALLMT"); }, 2000));
}

TEST_F(SerialRigTest, BytesAtTheWrongSpeedAreSurvived)
{
    OpenReady();
    ASSERT_EQ("ok", module.Ask("wrongspeed 900"));
    ASSERT_EQ("ok", module.Ask("unsolicited RING"));
    EXPECT_TRUE(WaitCallState(CALL_RINGING));
    EXPECT_TRUE(WaitPing());
}

TEST_F(SerialRigTest, APortThatCannotBeOpenedRefusesTheCardAtOnce)
{
    ASSERT_TRUE(CeDevMgrRemoveCard(kPnpId));
    // No tty behind this COM port of the prefix.
    const DWORD start = GetTickCount();
    EXPECT_FALSE(CeDevMgrInsertCard(kPnpId, L"\\\\.\\COM199", nullptr, 0));
    EXPECT_EQ(DWORD(ERROR_GEN_FAILURE), GetLastError());
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(100, CCeMModem::FindModemPort());
    // The slot is free again for the real port.
    wchar_t buf[16] = L"";
    EXPECT_TRUE(CeDevMgrInsertCard(kPnpId, HostPort().c_str(), buf, 16)) << GetLastError();
}

TEST_F(SerialRigTest, UnpluggedAdapterEndsTheCallAndTheCard)
{
    OpenReady();
    ASSERT_EQ("ok", module.Ask("ring 0167778888"));
    ASSERT_TRUE(WaitCallState(CALL_RINGING));
    ASSERT_EQ(1, modem.CmdAnswer());
    ASSERT_TRUE(WaitCallState(CALL_CONNECTED));

    ASSERT_EQ("ok", module.Ask("unplug"));
    // The lines die with the adapter: the call ends as on a carrier loss.
    EXPECT_TRUE(WaitCallState(CALL_NO_CARRIER, 5000));
    // The card is gone as if taken out: no module to find, writes fail.
    EXPECT_TRUE(zentest::WaitUntil([] { return CCeMModem::FindModemPort() == 100; }, 5000));
    log.Clear();
    modem.CmdPing();
    ASSERT_TRUE(log.WaitCount(WM_MODEM_SENT, 1, 3000));
    EXPECT_EQ(0, log.Of(WM_MODEM_SENT)[0].lParam);
    HANDLE h = CeDevCreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
}

}  // namespace
