#pragma once
// The link opened through the device manager on the simulated module.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MessageLog.h"
#include "ModuleCard.h"
#include "WinTest.h"
#include "modem/CCeMModem.h"
#include "modem/ModemMessages.h"

class SimLinkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError(); }
    static void TearDownTestSuite() { CeDevMgrStopInProcess(); }

    ModuleCard card;
    CCeMModem modem;
    MessageLog log{&modem};

    void SetUp() override
    {
        card.Module().SetRingTiming(400, 150, 20);
        card.Module().SetAutoAnswer(-1);
        ASSERT_TRUE(card.Insert()) << GetLastError();
        modem.SetWindows(log.Window(), log.Window(), log.Window());
        modem.SetSettleDelay(50);
    }
    void TearDown() override { modem.Close(); }

    void OpenReady()
    {
        const int port = CCeMModem::FindModemPort();
        ASSERT_EQ(card.Name(), L"COM" + std::to_wstring(port) + L":");
        ASSERT_EQ(0, modem.StartOpening(port, 0));
        ASSERT_TRUE(log.WaitCount(WM_MODEM_OPENED, 1, 5000));
        ASSERT_EQ(OPEN_OK, static_cast<int>(log.Of(WM_MODEM_OPENED)[0].wParam));
        ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 10, 5000));
        ASSERT_TRUE(zentest::WaitUntil([&] { return modem.Ready != 0; }, 2000));
        zentest::PumpMessages(100);
        log.Clear();
    }

    std::vector<WPARAM> ResultIds() const
    {
        std::vector<WPARAM> ids;
        for (const LoggedMessage& m : log.Of(WM_MODEM_RESULT))
            ids.push_back(m.wParam);
        return ids;
    }
    size_t CommandCount() { return card.Module().Commands().size(); }
    bool WaitCallState(LONG state, DWORD ms = 3000)
    {
        return zentest::WaitUntil([&] { return modem.CallState == state; }, ms);
    }
};
