// The module information screen: as a view of the real main window (the
// greeting reaching the display's banner line), and against the simulated
// module for the version page, answering or silent.
#include <gtest/gtest.h>

#include <string>

#include "CeDbTestUtil.h"
#include "ScreenLinkFixture.h"
#include "ScreenParent.h"
#include "PhoneScreenFixture.h"
#include "modem/CCeMModemListener.h"
#include "modem/ModemMessages.h"
#include "phone/CCeMWndPhone.h"
#include "screens/service/CCeMWndHWButton.h"
#include "screens/service/CCeMWndInfo.h"
#include "screens/service/CCeMWndKitReset.h"
#include "screens/service/CCeMWndLock.h"
#include "screens/service/CCeMWndNam.h"
#include "screens/service/CCeMWndPassChange.h"
#include "screens/service/ServiceScreens.h"

namespace {

using servicetest::TapAt;
using servicetest::TapControl;

std::wstring PageOf(const CCeMWndInfo& info)
{
    wchar_t text[200];
    info.PageText(text, 200);
    return text;
}

class InfoInPhoneTest : public PhoneScreenTest {
protected:
    void SetUp() override
    {
        PhoneScreenTest::SetUp();
        CreatePhoneWith<CCeMWndInfo>(VIEW_GREETING);
    }
    CCeMWndInfo* Info() { return static_cast<CCeMWndInfo*>(phone.CurrentScreen()); }
    std::wstring Edit()
    {
        wchar_t text[64] = {};
        GetWindowTextW(GetDlgItem(Info()->GetHwnd(), CCeMWndInfo::kGreetingEdit), text, 64);
        return text;
    }
};

TEST_F(InfoInPhoneTest, TheGreetingIsTypedChosenAndShownOnTheBannerLine)
{
    strcpy(data.m_Modem.Status.dialInfo, "0167778888");
    data.m_Settings.bShowGreeting = 0;
    ASSERT_EQ(1, phone.SwitchView(VIEW_GREETING));
    ASSERT_NE(nullptr, Info());
    HWND screen = Info()->GetHwnd();
    EXPECT_EQ(0, Info()->CurrentTab());
    EXPECT_TRUE(servicetest::Shown(screen, CCeMWndInfo::kGreetingEdit));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(screen, CCeMWndInfo::kGreetingOff));

    // Twenty-five keys give twenty characters.
    TapControl(screen, CCeMWndInfo::kGreetingEdit);
    for (int i = 0; i < 25; ++i)
        uitest::Key(static_cast<WORD>('A' + i));
    zentest::PumpMessages(100);
    EXPECT_EQ(L"abcdefghijklmnopqrst", Edit());
    servicetest::Snap(screen, L"service_info_greeting");

    TapControl(screen, CCeMWndInfo::kGreetingOn);
    EXPECT_EQ(1, data.m_Settings.bShowGreeting);
    EXPECT_STREQ(L"abcdefghijklmnopqrst", data.m_Settings.szGreeting);
    EXPECT_STREQ(L"abcdefghijklmnopqrst", phone.Lcd().BannerText());
    servicetest::Snap(phone.GetHwnd(), L"service_info_banner");
    EXPECT_EQ(1, OnDisk().bShowGreeting);
    EXPECT_STREQ(L"abcdefghijklmnopqrst", OnDisk().szGreeting);

    // Off: the banner goes back to the own number.
    TapControl(screen, CCeMWndInfo::kGreetingOff);
    EXPECT_EQ(0, data.m_Settings.bShowGreeting);
    EXPECT_STREQ(L"0167778888", phone.Lcd().BannerText());

    // The own-number page is the same screen turned (view 16), by the menu too.
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40018, 0);
    EXPECT_EQ(VIEW_OWNNUMBER, phone.CurrentView());
    ASSERT_EQ(screen, Info()->GetHwnd());
    EXPECT_EQ(1, Info()->CurrentTab());
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(screen, CCeMWndInfo::kGreetingEdit)));
    EXPECT_EQ(L"내 전화 번호\r\n\r\n0167778888", PageOf(*Info()));
    servicetest::Snap(screen, L"service_info_number");

    // Without a link the version page says so instead of reading for ever.
    TapAt(screen, 49, 122);
    EXPECT_EQ(2, Info()->CurrentTab());
    EXPECT_STREQ(L"모듈과 연결되어 있지 않습니다.", Info()->VersionText());

    // A greeting typed and left without the choice is kept when the screen closes.
    TapAt(screen, 49, 44);
    SetWindowTextW(GetDlgItem(screen, CCeMWndInfo::kGreetingEdit), L"안녕하세요");
    TapControl(screen, CCeMTabScreen::kCloseId);
    EXPECT_EQ(VIEW_DIALPAD, phone.CurrentView());
    EXPECT_STREQ(L"안녕하세요", data.m_Settings.szGreeting);
    EXPECT_STREQ(L"안녕하세요", OnDisk().szGreeting);
}

class InfoLinkTest : public ScreenLinkTest {
protected:
    void SetUp() override
    {
        ScreenLinkTest::SetUp();
        // As the phone core does with a version answer.
        parent.onVersion = [this](int ok) {
            if (ok)
                info.SetVersionFromModule(data.m_Modem.Status.moduleVersion);
        };
    }
    void TearDown() override
    {
        info.Destroy();
        ScreenLinkTest::TearDown();
    }
    size_t VersionQueries() { return CountOf("AT+GMR"); }

    CCeMWndInfo info{data};
};

TEST_F(InfoLinkTest, TheVersionPageReadsTheModuleAndTheAnswerReplacesReading)
{
    // A slow module: the page shows "Reading..." until the answer comes.
    card.Module().SetResponseDelay(800);
    ASSERT_EQ(1, info.CreateScreen(parent.GetHwnd(), ScreenParent::kView, ScreenParent::kScreenId, 2));
    zentest::PumpMessages(100);
    EXPECT_STREQ(L"Reading...", info.VersionText());
    EXPECT_NE(std::wstring::npos, PageOf(info).find(L"모듈 버전\r\nReading..."));
    servicetest::Snap(info.GetHwnd(), L"service_info_reading");
    ASSERT_TRUE(zentest::WaitUntil([&] { return parent.versionResults > 0; }, 5000));
    zentest::PumpMessages(50);
    EXPECT_STREQ(L"ZM-1X2000 V1.20 2004-03-15", info.VersionText());
    EXPECT_EQ(L"소프트웨어 버전\r\nZentrika 1.0\r\n\r\n모듈 버전\r\nZM-1X2000 V1.20 2004-03-15", PageOf(info));
    EXPECT_EQ(1u, VersionQueries());
    servicetest::Snap(info.GetHwnd(), L"service_info_version");

    // Turning to the page again asks again (once, however fast the pen); other pages do not.
    TapAt(info.GetHwnd(), 49, 44);
    TapAt(info.GetHwnd(), 49, 83);
    zentest::PumpMessages(300);
    EXPECT_EQ(1u, VersionQueries());
    for (int i = 0; i < 3; ++i) {
        TapAt(info.GetHwnd(), 49, 122);
        TapAt(info.GetHwnd(), 49, 83);
    }
    TapAt(info.GetHwnd(), 49, 122);
    ASSERT_TRUE(zentest::WaitUntil([&] { return parent.versionResults == 2; }, 4000));
    zentest::PumpMessages(1000);
    EXPECT_EQ(2u, VersionQueries());
    EXPECT_STREQ(L"ZM-1X2000 V1.20 2004-03-15", info.VersionText());
}

TEST_F(InfoLinkTest, ASilentModuleLeavesTheScreenUsableAndSaysSo)
{
    card.Module().SetSilent(true);
    info.SetVersionWait(1500);
    ASSERT_EQ(1, info.CreateScreen(parent.GetHwnd(), ScreenParent::kView, ScreenParent::kScreenId, 0));
    zentest::PumpMessages(50);
    TapAt(info.GetHwnd(), 49, 122);
    ASSERT_EQ(2, info.CurrentTab());
    ASSERT_TRUE(zentest::WaitUntil([&] { return VersionQueries() >= 1; }, 3000));
    EXPECT_STREQ(L"Reading...", info.VersionText());
    ASSERT_TRUE(zentest::WaitUntil([&] { return wcscmp(info.VersionText(), L"Reading...") != 0; }, 4000));
    EXPECT_STREQ(L"모듈 응답 없음", info.VersionText());
    servicetest::Snap(info.GetHwnd(), L"service_info_silent");

    // The rest of the screen still works.
    TapAt(info.GetHwnd(), 49, 44);
    EXPECT_EQ(0, info.CurrentTab());
    TapControl(info.GetHwnd(), CCeMWndInfo::kGreetingOn);
    EXPECT_EQ(1, data.m_Settings.bShowGreeting);
    EXPECT_EQ(std::vector<int>{CCeMWndInfo::kNotifyGreeting}, parent.notices);

    // A late answer still replaces the notice.
    info.SetVersionFromModule("LATE 2.0");
    EXPECT_STREQ(L"LATE 2.0", info.VersionText());
}

}  // namespace

namespace {

// Every service screen plugged into the real main window as the program does.
class ServiceViewsTest : public PhoneScreenTest {
protected:
    void SetUp() override
    {
        PhoneScreenTest::SetUp();
        ASSERT_EQ(1, phone.CreatePhone(GetModuleHandleW(nullptr)));
        uitest::Activate(phone.GetHwnd());
        for (int view : kServiceScreenViews)
            phone.SetScreenMaker(view, {[this, view](HWND parent, const CCeMPlacement& pl, int page) {
                                            return MakeServiceScreen(data, view, parent, pl, page);
                                        },
                                        TurnServiceScreen});
        zentest::PumpMessages(50);
    }
    template <typename Screen>
    Screen* Shown()
    {
        return dynamic_cast<Screen*>(phone.CurrentScreen());
    }
    // Taps a dial-pad key with the pen.
    void TapKey(int key)
    {
        CCeMMultiButton& pad = phone.DialPad();
        for (int i = 0; i < pad.CellCount(); ++i)
            if (pad.CellAt(i)->id == key) {
                const MultiButtonCell* c = pad.CellAt(i);
                TapAt(pad.GetHwnd(), (c->left + c->right) / 2, (c->top + c->bottom) / 2);
                return;
            }
        ADD_FAILURE() << "no key " << key;
    }
};

TEST_F(ServiceViewsTest, MenuCommandsAndTheHiddenCodeOpenTheServiceScreens)
{
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40013, 0);
    EXPECT_NE(nullptr, Shown<CCeMWndPassChange>());
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40019, 0);
    ASSERT_NE(nullptr, Shown<CCeMWndInfo>());
    EXPECT_EQ(2, Shown<CCeMWndInfo>()->CurrentTab());
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40022, 0);
    EXPECT_NE(nullptr, Shown<CCeMWndHWButton>());
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40023, 0);
    EXPECT_NE(nullptr, Shown<CCeMWndKitReset>());
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40027, 0);
    ASSERT_NE(nullptr, Shown<CCeMWndLock>());
    EXPECT_EQ(1, Shown<CCeMWndLock>()->CurrentTab());
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40026, 0);
    EXPECT_EQ(0, Shown<CCeMWndLock>()->CurrentTab());

    // The long service code typed on the dial pad opens the number assignment.
    ASSERT_EQ(1, phone.SwitchView(VIEW_DIALPAD));
    for (char c : std::string("#391624875#208#"))
        TapKey(c == '#' ? 11 : c == '*' ? 10 : c - '0');
    ASSERT_TRUE(zentest::WaitUntil([&] { return phone.CurrentView() == VIEW_NAM; }, 2000));
    ASSERT_NE(nullptr, Shown<CCeMWndNam>());
    servicetest::Snap(phone.GetHwnd(), L"service_nam_in_phone");

    // Results reach only the screen that waits for them.
    data.m_Modem.Status.activeNam = 2;
    EXPECT_TRUE(PassResultToServiceScreen(phone.CurrentScreen(), 40, 1, data.m_Modem));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(phone.CurrentScreen()->GetHwnd(), CCeMWndNam::kFirstNam + 2));
    EXPECT_FALSE(PassResultToServiceScreen(phone.CurrentScreen(), 35, 1, data.m_Modem));
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40017, 0);
    strcpy(data.m_Modem.Status.moduleVersion, "V9");
    EXPECT_FALSE(PassResultToServiceScreen(phone.CurrentScreen(), 35, 0, data.m_Modem));
    EXPECT_TRUE(PassResultToServiceScreen(phone.CurrentScreen(), 35, 1, data.m_Modem));
    EXPECT_STREQ(L"V9", Shown<CCeMWndInfo>()->VersionText());
    EXPECT_FALSE(PassResultToServiceScreen(phone.CurrentScreen(), 40, 1, data.m_Modem));
    EXPECT_EQ(nullptr, MakeServiceScreen(data, VIEW_AREACODE, phone.GetHwnd(), ScreenParent::kView, 0));
}

}  // namespace
