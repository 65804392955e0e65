// The speed-dial screen as view 25 of the main window, with the link open on
// the simulated module: a slot assigned with the pen is what holding its
// digit on the dial pad dials.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CCeMWndSpeedDial.h"
#include "CeDbTestUtil.h"
#include "ContactFixture.h"
#include "ModuleCard.h"
#include "ModuleCommands.h"
#include "Screenshot.h"
#include "TestSkins.h"
#include "UiInput.h"
#include "WinTest.h"
#include "modem/ModemMessages.h"
#include "phone/CCeMWndPhone.h"

namespace {

class QuietPhone : public CCeMWndPhone {
public:
    using CCeMWndPhone::CCeMWndPhone;

protected:
    bool SetHandheldTime(const SYSTEMTIME&) override { return true; }
    void ShowLowBatteryNotice() override {}
    void ShowLockedNotice() override {}
};

class SpeedDialPhoneTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError();
        ASSERT_TRUE(testskins::CopySkin(L"default", L"default"));
    }
    static void TearDownTestSuite() { CeDevMgrStopInProcess(); }

    void SetUp() override
    {
        contacttest::CreateDatabases();
        g_pDataManager = &data;  // as the start-up code publishes it
        data.SetInstallDir(testskins::kInstall);
        data.m_EnvDB.Load();
        data.m_Settings.nBellSource = 1;
        data.m_Settings.bKeypadTone = 0;
        data.m_Settings.bAutoAreaCode = 0;
        ASSERT_TRUE(card.Insert()) << GetLastError();

        phone.SetScreenMaker(VIEW_SPEEDDIAL, {[](HWND parent, const CCeMPlacement& pl, int) -> CCeMWnd* {
                                                  auto* s = new CCeMWndSpeedDial;
                                                  s->Create(WS_VISIBLE, pl, parent, VIEW_SPEEDDIAL);
                                                  return s;
                                              },
                                              nullptr});
        ASSERT_EQ(1, phone.CreatePhone(GetModuleHandleW(nullptr)));
        data.m_Modem.SetSettleDelay(50);
        ASSERT_EQ(0, phone.Calls().ResetCall(phone.GetHwnd()));
        ASSERT_TRUE(zentest::WaitUntil(
            [&] { return data.m_Modem.LinkState == LINK_READY && data.m_Modem.Ready && !data.m_Modem.QueuedCount(); },
            5000));
        zentest::PumpMessages(200);
        uitest::Activate(phone.GetHwnd());
    }
    void TearDown() override
    {
        data.m_Modem.Close();
        phone.Destroy();
        g_pDataManager = nullptr;
    }

    CCeMWndSpeedDial* Screen() { return dynamic_cast<CCeMWndSpeedDial*>(phone.CurrentScreen()); }
    void TapAt(HWND hwnd, int x, int y)
    {
        uitest::Tap(uitest::ScreenPoint(hwnd, x, y));
        zentest::PumpMessages(80);
    }
    // Assigns a slot shown on the first page with the pen and the keys.
    void Assign(int slot, const wchar_t* name, const char* digits)
    {
        CCeMSpeedDialList& list = Screen()->List();
        TapAt(list.GetHwnd(), 60, 20 + slot * 16 + 8);
        TapAt(Screen()->GetHwnd(), 182, 13);  // assign
        ASSERT_TRUE(list.IsEditing());
        SetWindowTextW(list.FieldWindow(CCeMSpeedDialList::kNameField), name);
        TapAt(list.GetHwnd(), 140, 69);
        for (const char* p = digits; *p; ++p)
            uitest::Key(static_cast<WORD>(*p));
        zentest::PumpMessages(100);
        TapAt(list.GetHwnd(), 122, 93);  // OK
        ASSERT_FALSE(list.IsEditing());
    }
    void Hold(int key)
    {
        const POINT p = testskins::KeyCentre(phone.DialPad(), key);
        uitest::PenMove(p);
        uitest::PenDown(p);
        uitest::PenUp(p);
    }
    std::vector<std::string> Sent(const std::string& prefix) { return modulecmd::Sent(card, prefix); }

    cedbtest::ScopedStore store{L"speeddialphone"};
    ModuleCard card;
    CCeDataManager data;
    QuietPhone phone{data};
};

TEST_F(SpeedDialPhoneTest, HoldingADigitDialsTheSlotAssignedOnTheScreen)
{
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40036, 0);  // the menu bar's speed-dial button
    ASSERT_EQ(VIEW_SPEEDDIAL, phone.CurrentView());
    ASSERT_NE(nullptr, Screen());
    Assign(7, L"홍길동", "0167778888");
    zentest::PumpMessages(100);
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"phone-speeddial");

    TapAt(Screen()->GetHwnd(), 226, 13);  // close
    ASSERT_TRUE(zentest::WaitUntil([&] { return phone.CurrentView() == VIEW_DIALPAD; }, 2000));
    EXPECT_EQ(nullptr, phone.CurrentScreen());

    Hold(7);
    ASSERT_TRUE(modulecmd::WaitSent(card, "AT$ORI"));
    EXPECT_EQ(std::vector<std::string>{"AT$ORI0167778888"}, Sent("AT$ORI"));
}

}  // namespace
