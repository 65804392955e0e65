// Opening, configuring, finding and closing the port.
#include "LinkFixture.h"

namespace {

TEST_F(LinkTest, OpenConfiguresThePortThenPostsOpened)
{
    OpenReady();
    EXPECT_EQ(L"COM3:", io.openedName);
    EXPECT_EQ(static_cast<DWORD>(CBR_115200), io.dcb.BaudRate);
    EXPECT_EQ(8, io.dcb.ByteSize);
    EXPECT_EQ(NOPARITY, io.dcb.Parity);
    EXPECT_EQ(ONESTOPBIT, io.dcb.StopBits);
    EXPECT_TRUE(io.dcb.fBinary && io.dcb.fParity && io.dcb.fTXContinueOnXoff);
    EXPECT_FALSE(io.dcb.fOutxCtsFlow || io.dcb.fOutxDsrFlow || io.dcb.fDsrSensitivity ||
                 io.dcb.fOutX || io.dcb.fInX || io.dcb.fErrorChar || io.dcb.fNull ||
                 io.dcb.fAbortOnError);
    EXPECT_EQ(static_cast<DWORD>(DTR_CONTROL_ENABLE), io.dcb.fDtrControl);
    EXPECT_EQ(static_cast<DWORD>(RTS_CONTROL_ENABLE), io.dcb.fRtsControl);
    EXPECT_EQ(MAXDWORD, io.timeouts.ReadIntervalTimeout);
    EXPECT_EQ(0u, io.timeouts.ReadTotalTimeoutConstant + io.timeouts.ReadTotalTimeoutMultiplier +
                      io.timeouts.WriteTotalTimeoutConstant +
                      io.timeouts.WriteTotalTimeoutMultiplier);
    EXPECT_EQ(0x21FFu, io.eventMask);
    EXPECT_EQ((std::vector<DWORD>{SETDTR, SETRTS}), io.Escapes());
    EXPECT_EQ((std::vector<DWORD>{12, 15}), io.Purges());
    EXPECT_EQ(LINK_READY, modem.LinkState);
    EXPECT_FALSE(modem.OpenUnderWay());
}

TEST_F(LinkTest, EchoAndReportLinesGoFirstThenStartupQueriesInOrder)
{
    ASSERT_EQ(0, modem.StartOpening(3, 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 10));
    std::vector<std::string> expected = {"ATE1\r\n", "AT$CONRPT=1\r\n"};
    for (const std::string& s : StartupWrites())
        expected.push_back(s);
    EXPECT_EQ(expected, io.Writes());
    EXPECT_EQ((std::vector<WPARAM>{0, 0x1030, 1, 2, 30, 11, 3, 14, 24, 0x101A}),
              Ids(WM_MODEM_RESULT));
    // Posted once the start-up queries were issued.
    EXPECT_TRUE(log.WaitCount(WM_MODEM_OPENED, 1));
}

TEST_F(LinkTest, EachStartupQueryWaitsForTheResultBeforeIt)
{
    io.SetSilent("AT$SYSTIME?");
    ASSERT_EQ(0, modem.StartOpening(3, 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 2));
    zentest::PumpMessages(300);
    EXPECT_EQ((std::vector<std::string>{"AT$BATT?\r\n", "AT$WARNSND=1\r\n", "AT$SYSTIME?\r\n"}),
              io.CommandWrites());
    EXPECT_EQ(7, modem.QueuedCount());
    EXPECT_EQ(1, modem.InFlight.id);
}

TEST_F(LinkTest, OpenResultCodes)
{
    ASSERT_EQ(0, modem.StartOpening(CCeMModem::NO_PORT, 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_OPENED, 1));
    EXPECT_EQ(OPEN_BAD_PORT, static_cast<int>(log.Of(WM_MODEM_OPENED)[0].wParam));
    EXPECT_EQ(0, io.openCount);
    EXPECT_EQ(0, modem.Close());

    io.failOpen = true;
    ASSERT_EQ(0, modem.StartOpening(3, 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_OPENED, 2));
    EXPECT_EQ(OPEN_CANNOT_OPEN, static_cast<int>(log.Of(WM_MODEM_OPENED)[1].wParam));
    modem.Close();

    io.failOpen = false;
    io.failSetState = true;
    ASSERT_EQ(0, modem.StartOpening(3, 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_OPENED, 3));
    EXPECT_EQ(OPEN_CONFIG_FAILED, static_cast<int>(log.Of(WM_MODEM_OPENED)[2].wParam));
    EXPECT_EQ(LINK_CLOSED, modem.LinkState);
    EXPECT_EQ(0, modem.CmdPing());
    EXPECT_EQ(1, modem.Close());  // the handle that was opened
    EXPECT_EQ(1, io.closeCount);
    EXPECT_EQ(L"COM3:", io.openedName);
}

TEST_F(LinkTest, OpeningAnOpenPortGivesMinusTwoAndLeavesItWorking)
{
    OpenReady();
    ASSERT_EQ(0, modem.StartOpening(5, 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_OPENED, 1));
    EXPECT_EQ(OPEN_ALREADY_OPEN, static_cast<int>(log.Of(WM_MODEM_OPENED)[0].wParam));
    EXPECT_EQ(1, io.openCount);
    EXPECT_EQ(LINK_READY, modem.LinkState);
    EXPECT_EQ(1, modem.CmdPing());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 1));
    EXPECT_EQ(2u, log.Of(WM_MODEM_RESULT)[0].wParam);
}

TEST_F(LinkTest, CloseReleasesTheWaitingReaderAndResetsTheLine)
{
    OpenReady();
    ASSERT_TRUE(zentest::WaitUntil([&] { return io.ReaderWaiting(); }, 2000));
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, modem.Close());
    EXPECT_LT(GetTickCount() - start, 900u);  // no forced end after a second
    EXPECT_FALSE(io.ReaderWaiting());
    EXPECT_EQ(0u, io.eventMask);
    EXPECT_EQ((std::vector<DWORD>{SETDTR, SETRTS, CLRDTR, 7}), io.Escapes());
    const std::vector<DWORD> purges = io.Purges();
    ASSERT_GE(purges.size(), 2u);
    EXPECT_EQ(15u, purges[purges.size() - 1]);
    EXPECT_EQ(15u, purges[purges.size() - 2]);
    EXPECT_EQ(LINK_CLOSED, modem.LinkState);
    EXPECT_FALSE(modem.IsOpen());
    EXPECT_EQ(0, modem.CmdPing());
    EXPECT_EQ(0, modem.Close());
    EXPECT_EQ(1, io.closeCount);
}

TEST_F(LinkTest, CloseWhileTheReaderSendsToThisThreadsWindow)
{
    OpenReady();
    io.Inject("\r\nRING\r\n");
    // No pumping here: the reader is (or soon is) blocked sending
    // WM_MODEM_COMMEVENT to our window while we close.
    Sleep(100);
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, modem.Close());
    EXPECT_LT(GetTickCount() - start, 900u);  // ended by itself, not by force
    EXPECT_EQ(1u, log.Count(WM_MODEM_COMMEVENT));
}

TEST_F(LinkTest, CloseFromTheResultHandlerEndsTheReaderCleanly)
{
    OpenReady();
    DWORD took = 0;
    int closed = -1;
    log.onMessage = [&](const LoggedMessage& m) {
        if (m.msg == WM_MODEM_RESULT && closed == -1) {
            const DWORD start = GetTickCount();
            closed = modem.Close();  // as on a flat battery
            took = GetTickCount() - start;
        }
    };
    ASSERT_EQ(1, modem.CmdBattery());
    ASSERT_EQ(1, modem.CmdPing());  // queued; must not go out after the close
    ASSERT_TRUE(zentest::WaitUntil([&] { return closed != -1; }, 3000));
    EXPECT_EQ(1, closed);
    EXPECT_LT(took, 900u);  // the reader ended by itself
    EXPECT_FALSE(modem.IsOpen());
    zentest::PumpMessages(100);
    for (const std::string& w : io.CommandWrites())
        EXPECT_EQ("AT$BATT?\r\n", w);
}

TEST_F(LinkTest, CloseStopsTheReaderBeforeItClosesTheHandle)
{
    OpenReady();
    io.releaseDelayMs = 150;  // the released wait takes a while to return
    EXPECT_EQ(1, modem.Close());
    EXPECT_EQ(1, io.closeCount);
    EXPECT_FALSE(io.readerAliveAtClose);
}

// A close while the open thread is still at work wins: the link ends closed
// and no open result is reported.
TEST_F(LinkTest, CloseWhileTheOpenThreadSettles)
{
    modem.SetSettleDelay(1500);
    ASSERT_EQ(0, modem.StartOpening(3, 0));
    ASSERT_TRUE(zentest::WaitUntil([&] { return !io.Writes().empty(); }, 2000));  // ATE1 is out
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, modem.Close());
    EXPECT_LT(GetTickCount() - start, 1000u);  // not the rest of the settling
    zentest::PumpMessages(500);
    EXPECT_EQ(LINK_CLOSED, modem.LinkState);
    EXPECT_FALSE(modem.IsOpen());
    EXPECT_EQ(0u, log.Count(WM_MODEM_OPENED));
    EXPECT_TRUE(io.CommandWrites().empty());
    EXPECT_EQ(0, modem.CmdPing());
    EXPECT_EQ(1, io.closeCount);

    modem.SetSettleDelay(0);
    OpenReady();  // and it opens normally afterwards
}

TEST_F(LinkTest, CloseWhileTheOpenThreadProbes)
{
    io.modemStatus = MS_RLSD_ON;  // carrier up, no ring: the probe watches for 4 s
    ASSERT_EQ(0, modem.StartOpening(3, 0));
    ASSERT_TRUE(zentest::WaitUntil([&] { return io.openCount == 1; }, 2000));
    zentest::PumpMessages(100);
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, modem.Close());
    EXPECT_LT(GetTickCount() - start, 1500u);  // not the rest of the 4 s
    zentest::PumpMessages(600);
    EXPECT_EQ(LINK_CLOSED, modem.LinkState);
    EXPECT_EQ(0u, log.Count(WM_MODEM_OPENED));
    EXPECT_TRUE(io.Writes().empty());
}

// The open thread waits in SendMessage for the handler that closes: close
// must answer it rather than wait for that thread for ever.
TEST_F(LinkTest, CloseFromAHandlerOfTheOpenThreadsMessage)
{
    bool entered = false;
    int closed = -1;
    DWORD took = 0;
    DWORD sender = 0;
    log.onMessage = [&](const LoggedMessage& m) {
        if (m.msg != WM_MODEM_SENT || entered)
            return;
        entered = true;
        sender = InSendMessage() ? 1 : 0;
        const DWORD start = GetTickCount();
        closed = modem.Close();
        took = GetTickCount() - start;
    };
    ASSERT_EQ(0, modem.StartOpening(3, 0));
    ASSERT_TRUE(zentest::WaitUntil([&] { return closed != -1; }, 8000));
    EXPECT_EQ(1u, sender);  // sent by the open thread, which waits for us
    EXPECT_EQ(1, closed);
    EXPECT_LT(took, 2500u);  // the open thread ended by itself
    zentest::PumpMessages(300);
    EXPECT_EQ(LINK_CLOSED, modem.LinkState);
    EXPECT_FALSE(modem.IsOpen());
    EXPECT_EQ(0u, log.Count(WM_MODEM_OPENED));
    EXPECT_EQ(std::vector<std::string>{"AT$BATT?\r\n"}, io.CommandWrites());
}

TEST_F(LinkTest, ReopenAfterCloseStartsClean)
{
    OpenReady();
    modem.Close();
    log.Clear();
    io.ClearWrites();
    ASSERT_EQ(0, modem.StartOpening(3, 0));
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 10));
    EXPECT_EQ(StartupWrites(), io.CommandWrites());
}

// --- FindModemPort ---------------------------------------------------------

class FindPortTest : public ::testing::Test {
protected:
    const wchar_t* path = L"Software\\ZenModemTest\\Active";
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZenModemTest"); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ZenModemTest"); }
    void AddDriver(const wchar_t* sub, const wchar_t* pnpId, const wchar_t* name)
    {
        std::wstring key = std::wstring(path) + L"\\" + sub;
        HKEY h;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &h, nullptr));
        if (pnpId)
            RegSetValueExW(h, L"PnpId", 0, REG_SZ, reinterpret_cast<const BYTE*>(pnpId),
                           static_cast<DWORD>((wcslen(pnpId) + 1) * 2));
        if (name)
            RegSetValueExW(h, L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                           static_cast<DWORD>((wcslen(name) + 1) * 2));
        RegCloseKey(h);
    }
};

TEST_F(FindPortTest, FindsTheModuleByAnyOfItsPnpIds)
{
    EXPECT_EQ(CCeMModem::NO_PORT, CCeMModem::FindModemPort(HKEY_CURRENT_USER, path));
    AddDriver(L"01", L"PCMCIA\\Some_Other_Card", L"COM1:");
    AddDriver(L"02", nullptr, L"COM2:");
    EXPECT_EQ(CCeMModem::NO_PORT, CCeMModem::FindModemPort(HKEY_CURRENT_USER, path));
    AddDriver(L"03", L"Vendor-CDMA2000_1x_Zentrika_5A2B", L"COM4:");
    EXPECT_EQ(4, CCeMModem::FindModemPort(HKEY_CURRENT_USER, path));

    TearDown();
    AddDriver(L"10", L"CDMA2000 1x Zentrika", L"COM7:");
    EXPECT_EQ(7, CCeMModem::FindModemPort(HKEY_CURRENT_USER, path));
    TearDown();
    AddDriver(L"10", L"X CDMA2000_1X_Rev1.0 Y", L"COM2:");
    EXPECT_EQ(2, CCeMModem::FindModemPort(HKEY_CURRENT_USER, path));
}

TEST_F(FindPortTest, OverlongPnpIdIsSkippedAndOddNamesFailTheOpen)
{
    const std::wstring longId = std::wstring(200, L'x') + L"CDMA2000_1X_Rev1.0";
    AddDriver(L"01", longId.c_str(), L"COM1:");
    EXPECT_EQ(CCeMModem::NO_PORT, CCeMModem::FindModemPort(HKEY_CURRENT_USER, path));
    AddDriver(L"02", L"CDMA2000_1X_Rev1.0", L"CO");
    const int port = CCeMModem::FindModemPort(HKEY_CURRENT_USER, path);
    EXPECT_TRUE(port < 0 || port > 9);
}

}  // namespace
