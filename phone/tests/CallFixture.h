#pragma once
// Call control in this process: the link through the device manager to the
// simulated module, the stores on a private object store with a contact, a
// real display window, and a host window that routes the link's messages
// the way the main window does.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "ContactFixture.h"
#include "ModuleCard.h"
#include "ModuleCommands.h"
#include "WinTest.h"
#include "modem/CCeMModemListener.h"
#include "modem/ModemMessages.h"
#include "phone/CCeMCallControl.h"
#include "phone/CCeMWndLcd.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMToolkit.h"

// Routes the link's messages to call control; counts what call control asks of it.
class CallHostWindow : public CCeMWnd, public CCeMModemListener, public CCeMCallHost {
public:
    CCeMCallControl* calls = nullptr;
    int dialViewShown = 0;
    int callListChanges = 0;
    std::vector<int> opened;

    void ShowDialView() override { ++dialViewShown; }
    void CallListChanged() override { ++callListChanges; }
    void OnCallerId(int ok) override { calls->OnCallerId(ok); }

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override
    {
        switch (msg) {
        case WM_MODEM_OPENED:
            opened.push_back(static_cast<int>(wp));
            return 0;
        case WM_MODEM_COMMEVENT:
            calls->CheckState();
            return 0;
        case WM_MODEM_RESULT:
            Dispatch(static_cast<int>(wp), static_cast<int>(lp));
            return 0;
        case WM_MODEM_ERROR:
            calls->OnModemError(reinterpret_cast<LPCWSTR>(wp));
            return 0;
        default:
            return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
        }
    }
};

class CallTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError();
        if (!CCeMToolkit::IsStarted())
            ToolkitInit(GetModuleHandleW(nullptr));
    }
    static void TearDownTestSuite() { CeDevMgrStopInProcess(); }

    void SetUp() override
    {
        contacttest::CreateDatabases();
        contacttest::AddPerson({L"홍길동", L"0101234567"});
        data.SetInstallDir(L"C:\\no-such-folder");
        g_pDataManager = &data;
        data.m_EnvDB.Load();
        data.m_Settings.nBellSource = 1;  // no tone of the handheld's own

        card.Module().SetRingTiming(400, 150, 50);
        card.Module().SetAutoAnswer(-1);
        ASSERT_TRUE(card.Insert()) << GetLastError();

        host.RegisterWindowClass(L"ZenCallHost", 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_EQ(1, host.Create(L"", WS_POPUP, {0, 0, 240, 320}, nullptr, 0));
        ASSERT_EQ(1, lcd.CreateDisplay(host.GetHwnd(), 1));
        host.calls = &calls;
        ASSERT_NE(0, data.m_ContactsDB.OpenDefault(host.GetHwnd()));
        data.m_Modem.SetSettleDelay(50);

        ASSERT_EQ(0, calls.ResetCall(host.GetHwnd()));
        ASSERT_TRUE(zentest::WaitUntil([&] { return !host.opened.empty(); }, 5000));
        ASSERT_EQ(0, host.opened[0]);
        ASSERT_TRUE(zentest::WaitUntil(
            [&] { return data.m_Modem.LinkState == LINK_READY && data.m_Modem.Ready && !data.m_Modem.QueuedCount(); },
            5000));
        zentest::PumpMessages(200);
    }
    void TearDown() override
    {
        data.m_Modem.Close();
        lcd.Destroy();
        host.Destroy();
        data.m_ContactsDB.Close();
        g_pDataManager = nullptr;
    }

    // Pumps until call control has handled `state`.
    bool WaitHandled(LONG state, DWORD ms = 4000)
    {
        return zentest::WaitUntil([&] { return data.m_Call.nLastState == state; }, ms);
    }
    // Command lines the module received that start with `prefix`.
    std::vector<std::string> Sent(const std::string& prefix) { return modulecmd::Sent(card, prefix); }
    bool WaitSent(const std::string& prefix, size_t count = 1) { return modulecmd::WaitSent(card, prefix, count); }
    std::wstring Message() const { return lcd.MessageText(); }
    std::wstring Number() const { return lcd.NumberText(); }
    // The newest call-list entry, read back from the database.
    const CallItem* Newest()
    {
        data.m_CallListDB.Load();
        return data.m_CallListDB.Nth(CCeCallListDB::kAll, 0);
    }

    cedbtest::ScopedStore store{L"phonecall"};
    ModuleCard card;
    CCeDataManager data;
    CallHostWindow host;
    CCeMWndLcd lcd;
    CCeMCallControl calls{data, lcd, &host};
};
