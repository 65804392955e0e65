// The hardware-button screen in the real main window (keys bound through the
// shell and pressed), and the module reset against call control and the
// simulated module.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CallFixture.h"
#include "PhoneScreenFixture.h"
#include "screens/service/CCeMWndHWButton.h"
#include "screens/service/CCeMWndKitReset.h"
#include "screens/service/ModuleReset.h"
#include "toolkit/CCeMMsgBox.h"

namespace {

using servicetest::TapControl;

class HWButtonTest : public PhoneScreenTest {
protected:
    void SetUp() override
    {
        PhoneScreenTest::SetUp();
        data.m_Settings.nHwButton[1] = 99;  // a damaged stored value
        CreatePhoneWith<CCeMWndHWButton>(VIEW_HWBUTTONS);
        ASSERT_EQ(1, phone.SwitchView(VIEW_HWBUTTONS));
        ASSERT_NE(nullptr, Screen());
    }
    CCeMWndHWButton* Screen() { return static_cast<CCeMWndHWButton*>(phone.CurrentScreen()); }
    HWND List(int button) { return GetDlgItem(Screen()->GetHwnd(), CCeMWndHWButton::kFirstList + button); }
    int Shown(int button) { return static_cast<int>(SendMessageW(List(button), CB_GETCURSEL, 0, 0)); }

    // Opens a list with the pen and taps one of its entries.
    void Choose(int button, int function)
    {
        HWND list = List(button);
        RECT rc;
        GetClientRect(list, &rc);
        uitest::Tap(uitest::ScreenPoint(list, rc.right / 2, rc.bottom / 2));
        ASSERT_TRUE(zentest::WaitUntil([&] { return SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 2000));
        COMBOBOXINFO info = {sizeof info};
        ASSERT_TRUE(GetComboBoxInfo(list, &info));
        SendMessageW(info.hwndList, LB_SETTOPINDEX, function, 0);
        zentest::PumpMessages(50);
        RECT item;
        ASSERT_NE(LB_ERR, SendMessageW(info.hwndList, LB_GETITEMRECT, function, reinterpret_cast<LPARAM>(&item)));
        uitest::Tap(uitest::ScreenPoint(info.hwndList, (item.left + item.right) / 2, (item.top + item.bottom) / 2));
        ASSERT_TRUE(zentest::WaitUntil([&] { return SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) == 0; }, 2000));
        zentest::PumpMessages(80);
    }
};

TEST_F(HWButtonTest, AButtonBoundToTheCallListOpensItAndReleasedDoesNothing)
{
    ASSERT_EQ(11, SendMessageW(List(0), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, Shown(0));
    EXPECT_EQ(0, Shown(1));  // a damaged value shows as unassigned ...
    EXPECT_EQ(99, data.m_Settings.nHwButton[1]);  // ... and stays until a choice

    Choose(0, 5);
    EXPECT_EQ(5, Shown(0));
    EXPECT_EQ(5, data.m_Settings.nHwButton[0]);
    EXPECT_EQ(5, OnDisk().nHwButton[0]);
    servicetest::Snap(Screen()->GetHwnd(), L"service_hwbuttons");

    // The first application key now opens the call list, whatever has the focus.
    ASSERT_EQ(1, phone.SwitchView(VIEW_DIALPAD));
    uitest::Key(0xC1);
    ASSERT_TRUE(zentest::WaitUntil([&] { return phone.CurrentView() == VIEW_CALLLIST; }, 2000));

    // Released, the key no longer reaches the phone.
    ASSERT_EQ(1, phone.SwitchView(VIEW_HWBUTTONS));
    Choose(0, 0);
    EXPECT_EQ(0, data.m_Settings.nHwButton[0]);
    EXPECT_EQ(0, OnDisk().nHwButton[0]);
    ASSERT_EQ(1, phone.SwitchView(VIEW_DIALPAD));
    uitest::Key(0xC1);
    zentest::PumpMessages(300);
    EXPECT_EQ(VIEW_DIALPAD, phone.CurrentView());
}

TEST_F(HWButtonTest, ChoicesOutsideTheListChangeNothing)
{
    Choose(3, 10);
    EXPECT_EQ(10, data.m_Settings.nHwButton[3]);
    EXPECT_FALSE(Screen()->Assign(3, 11));
    EXPECT_FALSE(Screen()->Assign(3, -1));
    EXPECT_FALSE(Screen()->Assign(4, 1));
    EXPECT_EQ(10, data.m_Settings.nHwButton[3]);
    EXPECT_EQ(10, OnDisk().nHwButton[3]);
}

// Records the refusals; the reset's wait is the real message box, shortened.
class TestKitReset : public CCeMWndKitReset {
public:
    using CCeMWndKitReset::CCeMWndKitReset;
    std::vector<std::wstring> notices;

protected:
    void ShowNotice(LPCWSTR text, int seconds) override
    {
        notices.push_back(text);
        if (seconds != CCeMMsgBox::kDefaultSeconds)
            CCeMWndKitReset::ShowNotice(text, seconds);
    }
};

class KitResetTest : public CallTest {
protected:
    void SetUp() override
    {
        CallTest::SetUp();
        ASSERT_TRUE(parent.Make());
        screen.SetWaitSeconds(2);
        card.Module().SetResetTime(500);
        ASSERT_EQ(1, screen.CreateScreen(parent.GetHwnd(), ScreenParent::kView, ScreenParent::kScreenId, 0));
        zentest::PumpMessages(60);
    }
    void TearDown() override
    {
        screen.Destroy();
        parent.Destroy();
        CallTest::TearDown();
    }
    void TapReset() { TapControl(screen.GetHwnd(), CCeMWndKitReset::kResetId); }

    ScreenParent parent;
    TestKitReset screen{data};
};

TEST_F(KitResetTest, RefusedDuringACallOrASendAndSendsNothing)
{
    servicetest::Snap(screen.GetHwnd(), L"service_kitreset");
    ASSERT_EQ(0, calls.Dial(L"0101234567"));
    ASSERT_TRUE(zentest::WaitUntil([&] { return data.m_Modem.CallState == CALL_SETUP; }, 4000));
    TapReset();
    ASSERT_EQ(1u, screen.notices.size());
    EXPECT_EQ(L"전화를 먼저 끊어 주십시오.", screen.notices[0]);
    calls.InCallKey(CCeMCallControl::KEY_END, 1);
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));

    data.m_Call.bSendingMessage = 1;
    TapReset();
    ASSERT_EQ(2u, screen.notices.size());
    EXPECT_EQ(L"문자 메시지 전송이 끝난후 시도 해 주십시오.", screen.notices[1]);
    zentest::PumpMessages(300);
    EXPECT_TRUE(Sent("AT$BWMODE").empty());
    EXPECT_EQ(0, parent.closeRequests);
}

TEST_F(KitResetTest, ResetWaitsWithTheNoticeThenWatchesTheLinesAgainAndCloses)
{
    bool boxSeen = false;
    uitest::WhileModal(200, [&] {
        if (HWND box = uitest::FindOwnVisible(L"#32770"))
            boxSeen = IsWindowVisible(box) != 0;
        // The phone core suspends the line check while the module resets.
        InterlockedExchange(&data.m_Modem.LineCheckSuspended, 1);
        return !boxSeen;
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(CCeMWndKitReset::RESET, screen.Reset());
    const DWORD waited = GetTickCount() - start;
    uitest::StopModalSteps();
    EXPECT_TRUE(boxSeen);
    EXPECT_GE(waited, 1500u);
    ASSERT_EQ(1u, screen.notices.size());
    EXPECT_EQ(L"젠트리카을 리셋중입니다.\r\n\r\n잠시만 기달려 주십시오.", screen.notices[0]);
    EXPECT_EQ(std::vector<std::string>{"AT$BWMODE=RESET"}, Sent("AT$BWMODE"));
    EXPECT_EQ(0, data.m_Modem.LineCheckSuspended);
    zentest::PumpMessages(100);
    EXPECT_EQ(1, parent.closeRequests);

    // The link still carries commands afterwards.
    ASSERT_EQ(0, calls.Dial(L"0101234567"));
    EXPECT_TRUE(WaitSent("AT$ORI"));
}

TEST_F(KitResetTest, WithoutALinkItSaysSoAndDoesNotWait)
{
    data.m_Modem.Close();
    EXPECT_EQ(CCeMWndKitReset::NO_LINK, screen.Reset());
    ASSERT_EQ(1u, screen.notices.size());
    EXPECT_EQ(L"젠트리카와 연결되어 있지 않습니다.", screen.notices[0]);
    zentest::PumpMessages(100);
    EXPECT_EQ(0, parent.closeRequests);
}

// The main window on the link: once the module has answered the reset, its
// lines are not watched until the screen's wait is over, so the ring pulses
// of a restarting module are not taken for a broken one.
class PhoneResetTest : public PhoneScreenTest {
protected:
    static void SetUpTestSuite()
    {
        PhoneScreenTest::SetUpTestSuite();
        ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError();
    }
    static void TearDownTestSuite() { CeDevMgrStopInProcess(); }
    void SetUp() override
    {
        PhoneScreenTest::SetUp();
        ASSERT_TRUE(card.Insert()) << GetLastError();
        ASSERT_EQ(1, phone.CreatePhone(GetModuleHandleW(nullptr)));
        data.m_Modem.SetSettleDelay(50);
        ASSERT_EQ(0, phone.Calls().ResetCall(phone.GetHwnd()));
        ASSERT_TRUE(zentest::WaitUntil(
            [&] { return data.m_Modem.LinkState == LINK_READY && data.m_Modem.Ready && !data.m_Modem.QueuedCount(); },
            5000));
    }
    void TearDown() override
    {
        data.m_Modem.Close();
        PhoneScreenTest::TearDown();
    }
    size_t Sent(const std::string& prefix) { return modulecmd::Sent(card, prefix).size(); }

    ModuleCard card;
};

TEST_F(PhoneResetTest, AnAnsweredResetKeepsTheLineCheckOffUntilTheWaitIsOver)
{
    zen::sim::SimModule& module = card.Module();
    module.SetResetTime(1200);
    ASSERT_EQ(0, data.m_Modem.LineCheckSuspended);
    ASSERT_NE(0, data.m_Modem.CmdModeReset());
    ASSERT_TRUE(zentest::WaitUntil([&] { return data.m_Modem.LineCheckSuspended == 1; }, 3000));
    module.RingBurst(7, 120);
    zentest::PumpMessages(1200);
    EXPECT_EQ(0u, Sent("AT$DELALLMT"));
    EXPECT_EQ(1, data.m_Modem.LineCheckSuspended);

    ASSERT_TRUE(zentest::WaitUntil([&] { return !module.Restarting(); }, 3000));
    FinishModuleReset(data.m_Modem);
    module.RingBurst(7, 120);
    EXPECT_TRUE(zentest::WaitUntil([&] { return Sent("AT$DELALLMT") > 0; }, 3000));
}

}  // namespace
