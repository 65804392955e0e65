#pragma once
// A link opened on the scripted module, with one window for all its messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeModemIo.h"
#include "MessageLog.h"
#include "WinTest.h"
#include "modem/CCeMModem.h"
#include "modem/ModemMessages.h"

// The start-up queries, as they go on the wire.
inline std::vector<std::string> StartupWrites()
{
    return {"AT$BATT?\r\n",   "AT$WARNSND=1\r\n", "AT$SYSTIME?\r\n", "AT$PING?\r\n",
            "AT$STSREG?\r\n", "AT$DIAL?\r\n",     "AT$VOL?\r\n",     "AT$RINGVOL?\r\n",
            "AT$MTCNT?\r\n",  "AT$SMSNEWMT0?\r\n"};
}

class LinkTest : public ::testing::Test {
protected:
    FakeModemIo io;
    CCeMModem modem;
    MessageLog log{&modem};

    void SetUp() override
    {
        modem.SetSerialIo(&io);
        modem.SetWindows(log.Window(), log.Window(), log.Window());
        modem.SetSettleDelay(0);
        io.AnswerEverything(true);
    }
    void TearDown() override { modem.Close(); }

    // Opens COM3: and waits until the start-up queries are answered.
    void OpenReady()
    {
        ASSERT_EQ(0, modem.StartOpening(3, 0));
        ASSERT_TRUE(log.WaitCount(WM_MODEM_OPENED, 1));
        ASSERT_EQ(OPEN_OK, static_cast<int>(log.Of(WM_MODEM_OPENED)[0].wParam));
        ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 10));
        // The reader is back waiting once it told the window about the last event.
        ASSERT_TRUE(
            zentest::WaitUntil([&] { return modem.Ready != 0 && io.ReaderWaiting(); }, 2000));
        zentest::PumpMessages(20);
        io.ClearWrites();
        log.Clear();
    }

    // Waits for the reader to handle everything injected so far.
    bool Settle(size_t commEvents)
    {
        return log.WaitCount(WM_MODEM_COMMEVENT, commEvents);
    }

    // Message ids of one kind, in arrival order.
    std::vector<WPARAM> Ids(UINT msg) const
    {
        std::vector<WPARAM> out;
        for (const LoggedMessage& m : log.Of(msg))
            out.push_back(m.wParam);
        return out;
    }
};
