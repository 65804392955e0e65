#pragma once
// A service screen's parent that also stands in for the phone core towards
// the link: the link, opened through the device manager on the simulated
// module, reports to it, and it hands the results to the screen under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "ModuleCard.h"
#include "ScreenParent.h"
#include "modem/CCeMModemListener.h"
#include "modem/ModemMessages.h"
#include "stores/CCeDataManager.h"

class LinkParent : public ScreenParent, public CCeMModemListener {
public:
    std::function<void(int)> onVersion, onNam, onStatusInfo;
    int opened = 1;
    int versionResults = 0;

    void OnVersion(int ok) override
    {
        ++versionResults;
        if (onVersion)
            onVersion(ok);
    }
    void OnNam(int ok) override
    {
        if (onNam)
            onNam(ok);
    }
    void OnStatusInfo(int ok) override
    {
        if (onStatusInfo)
            onStatusInfo(ok);
    }
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_MODEM_OPENED) {
            opened = static_cast<int>(wp);
            return 0;
        }
        if (msg == WM_MODEM_RESULT) {
            Dispatch(static_cast<int>(wp), static_cast<int>(lp));
            return 0;
        }
        return ScreenParent::WindowProc(hwnd, msg, wp, lp);
    }
};

class ScreenLinkTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError(); }
    static void TearDownTestSuite() { CeDevMgrStopInProcess(); }

    void SetUp() override
    {
        data.SetInstallDir(L"C:\\no-such-folder");
        data.m_EnvDB.Load();
        ASSERT_TRUE(card.Insert()) << GetLastError();
        ASSERT_TRUE(parent.Make());
        data.m_Modem.SetWindows(parent.GetHwnd(), parent.GetHwnd(), parent.GetHwnd());
        data.m_Modem.SetSettleDelay(50);
        ASSERT_EQ(0, data.m_Modem.StartOpening(CCeMModem::FindModemPort(), 0));
        ASSERT_TRUE(zentest::WaitUntil([&] { return parent.opened <= 0; }, 5000));
        ASSERT_EQ(0, parent.opened);
        ASSERT_TRUE(zentest::WaitUntil(
            [&] { return data.m_Modem.Ready && !data.m_Modem.QueuedCount() && data.m_Modem.InFlight.id == -1; }, 5000));
        zentest::PumpMessages(100);
        m_nBefore = card.Module().Commands().size();
    }
    void TearDown() override
    {
        data.m_Modem.Close();
        parent.Destroy();
    }
    // The command lines the module received since the link was ready.
    std::vector<std::string> Commands()
    {
        const std::vector<std::string> all = card.Module().Commands();
        return std::vector<std::string>(all.begin() + static_cast<long>(std::min(m_nBefore, all.size())), all.end());
    }
    size_t CountOf(const std::string& line)
    {
        size_t n = 0;
        for (const std::string& c : Commands())
            n += c == line ? 1 : 0;
        return n;
    }

    cedbtest::ScopedStore store{L"servicelink"};
    ModuleCard card;
    CCeDataManager data;
    LinkParent parent;
    size_t m_nBefore = 0;
};
