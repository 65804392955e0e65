// The main window's areas, its dial-pad skin and the view switch, on real windows.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "Screenshot.h"
#include "TestSkins.h"
#include "UiInput.h"
#include "WinTest.h"
#include "modem/ModemMessages.h"
#include "phone/CCeMWndPhone.h"
#include "phone/PhoneScreens.h"
#include "screens/calls/CCeMWndAlert.h"
#include "screens/calls/CCeMWndAutoDDD.h"
#include "screens/calls/CCeMWndCallInfo.h"
#include "screens/prefs/CCeMWndSkin.h"
#include "screens/prefs/CCeMWndSpeedDial.h"
#include "screens/prefs/CCeMWndUserBell.h"
#include "screens/prefs/CCeMWndVolume.h"
#include "screens/service/CCeMWndHWButton.h"
#include "screens/service/CCeMWndInfo.h"
#include "screens/service/CCeMWndKitReset.h"
#include "screens/service/CCeMWndLock.h"
#include "screens/service/CCeMWndNam.h"
#include "screens/service/CCeMWndPassChange.h"
#include "phone/DialPadSkin.h"
#include "toolkit/CCeMToolkit.h"
#include "toolkit/SharedBitmaps.h"

#include <aygshell.h>
#include <commctrl.h>

static bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

namespace {

class TestPhone : public CCeMWndPhone {
public:
    using CCeMWndPhone::CCeMWndPhone;
    int lockedNotices = 0;
    int batteryNotices = 0;
    std::vector<int> missingCompanions;
    std::vector<SYSTEMTIME> clockSet;

protected:
    void ShowLockedNotice() override { ++lockedNotices; }
    void ShowLowBatteryNotice() override { ++batteryNotices; }
    void ShowCompanionMissing(int slot) override { missingCompanions.push_back(slot); }
    bool SetHandheldTime(const SYSTEMTIME& t) override
    {
        clockSet.push_back(t);
        return true;
    }
};

// A screen that counts how it is made and turned.
struct Made {
    int made = 0, pages = 0, lastPage = -1;
};

class PhoneWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!CCeMToolkit::IsStarted())
            ToolkitInit(GetModuleHandleW(nullptr));
        ASSERT_TRUE(testskins::CopySkin(L"default", L"default"));
        ASSERT_TRUE(testskins::CopySkin(L"type40", L"type40"));
        // A skin whose key picture is no bitmap.
        CreateDirectoryW(L"C:\\zentest\\Skin\\broken", nullptr);
        HANDLE h = CreateFileW(L"C:\\zentest\\Skin\\broken\\DialPad.bmp", GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
        DWORD n;
        WriteFile(h, "not a bitmap", 12, &n, nullptr);
        CloseHandle(h);
    }

    void SetUp() override
    {
        data.SetInstallDir(testskins::kInstall);
        data.m_EnvDB.Load();
    }
    void Create()
    {
        ASSERT_EQ(1, phone.CreatePhone(GetModuleHandleW(nullptr)));
        zentest::PumpMessages(50);
    }
    static RECT Placed(HWND child)
    {
        RECT rc;
        GetWindowRect(child, &rc);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    CCeMWndPhone::ScreenMaker Maker(Made& made)
    {
        return {[&made](HWND parent, const CCeMPlacement& pl, int page) {
                    ++made.made;
                    made.lastPage = page;
                    auto* w = new CCeMWnd;
                    w->RegisterWindowClass(L"ZenTestScreen", 0, nullptr, nullptr, nullptr, nullptr);
                    w->Create(L"", WS_CHILD | WS_VISIBLE, pl, parent, 500);
                    return w;
                },
                [&made](CCeMWnd*, int page) {
                    ++made.pages;
                    made.lastPage = page;
                }};
    }

    cedbtest::ScopedStore store{L"phonewindow"};
    CCeDataManager data;
    TestPhone phone{data};
};

TEST_F(PhoneWindowTest, AreasOfTheScreenAndTheStandardKeys)
{
    Create();
    RECT rc = Placed(phone.Lcd().GetHwnd());
    EXPECT_EQ((RECT{0, 26, 240, 84}), rc);
    rc = Placed(phone.DialPad().GetHwnd());
    EXPECT_EQ((RECT{0, 84, 240, 274}), rc);
    EXPECT_EQ(static_cast<int>(CCeMWndPhone::kDialPadId), GetDlgCtrlID(phone.DialPad().GetHwnd()));
    rc = Placed(phone.CompanionBar().GetHwnd());
    EXPECT_EQ((RECT{0, 274, 240, 294}), rc);
    EXPECT_EQ(5, phone.CompanionBar().CellCount());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(0, phone.CompanionBar().CellAt(i)->enabled);

    ASSERT_EQ(kDialPadKeys, phone.DialPad().CellCount());
    EXPECT_EQ(12, phone.DialPad().HitTest(5, 5)->id);    // send
    EXPECT_EQ(14, phone.DialPad().HitTest(200, 20)->id); // end
    EXPECT_EQ(1, phone.DialPad().HitTest(10, 45)->id);
    EXPECT_EQ(0, phone.DialPad().HitTest(100, 170)->id);
    EXPECT_EQ(11, phone.DialPad().HitTest(239, 189)->id);
    EXPECT_EQ(nullptr, phone.DialPad().HitTest(10, 0));
    EXPECT_NE(nullptr, phone.DialPad().Image(CCeMMultiButton::IMAGE_NORMAL));
    EXPECT_NE(nullptr, phone.DialPad().Image(CCeMMultiButton::IMAGE_PRESSED));
    EXPECT_TRUE(phone.Lcd().IsImageLoaded());
    EXPECT_EQ(VIEW_DIALPAD, phone.CurrentView());

    // The pad shows its picture from 58 rows down: what it shows at its top
    // row is row 58 of the skin's picture.
    const auto pad = zentest::CaptureWindow(phone.DialPad().GetHwnd());
    ASSERT_FALSE(pad.empty());
    CCeMBitmap* picture = phone.DialPad().Image(CCeMMultiButton::IMAGE_NORMAL);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, picture->Handle());
    int same = 0;
    for (int x = 0; x < 240; x += 8)
        same += zentest::FromColorRef(GetPixel(mem, x, 58 + 20)) == pad.At(x, 20);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(30, same);
}

TEST_F(PhoneWindowTest, MessagesFromTheScreens)
{
    Create();
    HWND hwnd = phone.GetHwnd();
    EXPECT_EQ(1, SendMessageW(hwnd, CCeMWndPhone::WM_PUT_NUMBER, 0, reinterpret_cast<LPARAM>(L"0101234567")));
    EXPECT_STREQ(L"0101234567", phone.Lcd().NumberText());
    // 8-bit text, longer than the 63 bytes taken.
    const std::string narrow(100, '5');
    EXPECT_EQ(1, SendMessageW(hwnd, CCeMWndPhone::WM_PUT_NUMBER, reinterpret_cast<WPARAM>(narrow.c_str()), 0));
    EXPECT_EQ(63, phone.Lcd().NumberLength());
    // Not during a call.
    InterlockedExchange(&data.m_Modem.CallState, CALL_CONNECTED);
    EXPECT_EQ(0, SendMessageW(hwnd, CCeMWndPhone::WM_PUT_NUMBER, 0, reinterpret_cast<LPARAM>(L"0167778888")));
    EXPECT_EQ(63, phone.Lcd().NumberLength());
    InterlockedExchange(&data.m_Modem.CallState, CALL_IDLE);

    SendMessageW(hwnd, CCeMWndPhone::WM_CHILD_NOTIFY, 6, 0);
    EXPECT_EQ(1, data.m_Call.bSendingMessage);
    SendMessageW(hwnd, WM_COMMAND, 40007, 0);
    EXPECT_EQ(VIEW_CALLLIST, phone.CurrentView());
    // A screen's close request returns to the messages while a text is sent.
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(3, CCeMWndPhone::kCloseRequest), 0);
    EXPECT_EQ(VIEW_MESSAGES, phone.CurrentView());
    SendMessageW(hwnd, CCeMWndPhone::WM_CHILD_NOTIFY, 7, 0);
    EXPECT_EQ(0, data.m_Call.bSendingMessage);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(4, CCeMWndPhone::kCloseRequest), 0);
    EXPECT_EQ(VIEW_DIALPAD, phone.CurrentView());
}

TEST_F(PhoneWindowTest, TypeFortySkinAndABrokenSkinFallsBackToDefault)
{
    wcscpy(data.m_Settings.szSkinName, L"type40");
    Create();
    EXPECT_EQ(12, phone.DialPad().HitTest(180, 20)->id);
    EXPECT_EQ(14, phone.DialPad().HitTest(200, 150)->id);
    EXPECT_EQ(10, phone.DialPad().HitTest(5, 141)->id);
    EXPECT_EQ(nullptr, phone.DialPad().HitTest(1, 1));

    wcscpy(data.m_Settings.szSkinName, L"broken");
    ASSERT_EQ(1, phone.LoadSkin());
    EXPECT_STREQ(L"default", data.m_Settings.szSkinName);
    EXPECT_EQ(12, phone.DialPad().HitTest(5, 5)->id);
    // The fallback was saved.
    SettingsBlock stored{};
    CCeEnvDB env(stored, data.m_szInstallDir);
    ASSERT_EQ(1, env.Load());
    EXPECT_STREQ(L"default", stored.szSkinName);
}

TEST_F(PhoneWindowTest, StandingViewsAreHiddenAndShown)
{
    Create();
    CCeMWnd contacts;
    contacts.RegisterWindowClass(L"ZenTestStanding", 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(1, contacts.Create(L"", WS_CHILD, PhoneGeometry::Views(240, 320), phone.GetHwnd(), 2));
    phone.SetStandingScreen(VIEW_CONTACTS, &contacts);

    EXPECT_EQ(1, phone.SwitchView(VIEW_CONTACTS));
    EXPECT_EQ(VIEW_CONTACTS, phone.CurrentView());
    EXPECT_TRUE(IsWindowVisible(contacts.GetHwnd()));
    EXPECT_FALSE(IsWindowVisible(phone.DialPad().GetHwnd()));
    // A view whose screen is not there yet still switches.
    EXPECT_EQ(1, phone.SwitchView(VIEW_MESSAGES));
    EXPECT_FALSE(IsWindowVisible(contacts.GetHwnd()));
    EXPECT_EQ(1, phone.SwitchView(VIEW_DIALPAD));
    EXPECT_TRUE(IsWindowVisible(phone.DialPad().GetHwnd()));
    EXPECT_EQ(0, phone.SwitchView(9));
    EXPECT_EQ(VIEW_DIALPAD, phone.CurrentView());
    phone.SetStandingScreen(VIEW_CONTACTS, nullptr);
}

TEST_F(PhoneWindowTest, ScreensAreMadeTurnedAndClosed)
{
    Create();
    Made alert, skin;
    phone.SetScreenMaker(VIEW_RINGTONE, Maker(alert));
    phone.SetScreenMaker(VIEW_SKIN, Maker(skin));

    EXPECT_EQ(1, phone.SwitchView(VIEW_ALERTSOUND));
    EXPECT_EQ(1, alert.made);
    EXPECT_EQ(1, alert.lastPage);
    ASSERT_NE(nullptr, phone.CurrentScreen());
    HWND first = phone.CurrentScreen()->GetHwnd();
    EXPECT_EQ((RECT{0, 84, 240, 274}), Placed(first));
    EXPECT_FALSE(IsWindowVisible(phone.DialPad().GetHwnd()));

    // The other page of the same screen keeps the screen.
    EXPECT_EQ(1, phone.SwitchView(VIEW_RINGTONE));
    EXPECT_EQ(1, alert.made);
    EXPECT_EQ(1, alert.pages);
    EXPECT_EQ(0, alert.lastPage);
    EXPECT_EQ(first, phone.CurrentScreen()->GetHwnd());

    // Another screen closes it.
    EXPECT_EQ(1, phone.SwitchView(VIEW_SKIN));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(1, skin.made);
    EXPECT_EQ(1, phone.SwitchView(VIEW_DIALPAD));
    EXPECT_EQ(nullptr, phone.CurrentScreen());
    EXPECT_TRUE(IsWindowVisible(phone.DialPad().GetHwnd()));
}

template <typename Screen>
bool Is(CCeMWnd* screen)
{
    return dynamic_cast<Screen*>(screen) != nullptr;
}

// What the program plugs in: each view of the later screens opens a screen of
// its own class, and the call list stands in view 3.
TEST_F(PhoneWindowTest, TheProgramsScreensOpenFromTheirViews)
{
    Create();
    const PhoneStandingScreens standing = PlugInScreens(phone, data);
    const std::unique_ptr<CCeMWnd>& callList = standing.callList;
    ASSERT_NE(nullptr, callList);
    ASSERT_NE(nullptr, standing.contacts);
    EXPECT_EQ(1, phone.SwitchView(VIEW_CONTACTS));
    EXPECT_TRUE(IsWindowVisible(standing.contacts->GetHwnd()));
    EXPECT_FALSE(IsWindowVisible(callList->GetHwnd()));
    EXPECT_FALSE(IsWindowVisible(callList->GetHwnd()));
    EXPECT_EQ(1, phone.SwitchView(VIEW_CALLLIST));
    EXPECT_TRUE(IsWindowVisible(callList->GetHwnd()));
    EXPECT_FALSE(IsWindowVisible(standing.contacts->GetHwnd()));
    EXPECT_EQ(phone.GetHwnd(), GetParent(callList->GetHwnd()));

    // Each view opens the screen of its kind.
    const std::pair<int, std::function<bool(CCeMWnd*)>> views[] = {
        {VIEW_PASSWORD, Is<CCeMWndPassChange>},  {VIEW_AREACODE, Is<CCeMWndAutoDDD>},
        {VIEW_RINGTONE, Is<CCeMWndAlert>},       {VIEW_ALERTSOUND, Is<CCeMWndAlert>},
        {VIEW_GREETING, Is<CCeMWndInfo>},        {VIEW_OWNNUMBER, Is<CCeMWndInfo>},
        {VIEW_VERSION, Is<CCeMWndInfo>},         {VIEW_HWBUTTONS, Is<CCeMWndHWButton>},
        {VIEW_MODULERESET, Is<CCeMWndKitReset>}, {VIEW_CALLINFO, Is<CCeMWndCallInfo>},
        {VIEW_PHONELOCK, Is<CCeMWndLock>},       {VIEW_RESTRICTION, Is<CCeMWndLock>},
        {VIEW_NAM, Is<CCeMWndNam>},              {VIEW_SKIN, Is<CCeMWndSkin>},
        {VIEW_VOLUME, Is<CCeMWndVolume>},        {VIEW_SPEEDDIAL, Is<CCeMWndSpeedDial>},
        {VIEW_USERBELL, Is<CCeMWndUserBell>}};
    for (const auto& [view, is] : views) {
        ASSERT_EQ(1, phone.SwitchView(view)) << view;
        ASSERT_NE(nullptr, phone.CurrentScreen()) << view;
        EXPECT_TRUE(is(phone.CurrentScreen())) << view;
        EXPECT_TRUE(IsWindowVisible(phone.CurrentScreen()->GetHwnd())) << view;
        EXPECT_FALSE(IsWindowVisible(callList->GetHwnd())) << view;
    }
    EXPECT_EQ(1, phone.SwitchView(VIEW_DIALPAD));
    EXPECT_EQ(nullptr, phone.CurrentScreen());
}

TEST_F(PhoneWindowTest, ALockedPhoneRefusesPrivateViews)
{
    Create();
    data.m_Settings.bPhoneLocked = 1;
    EXPECT_EQ(0, phone.SwitchView(VIEW_CALLLIST));
    EXPECT_EQ(1, phone.lockedNotices);
    EXPECT_EQ(VIEW_DIALPAD, phone.CurrentView());
    EXPECT_TRUE(IsWindowVisible(phone.DialPad().GetHwnd()));
    EXPECT_EQ(1, phone.SwitchView(VIEW_PHONELOCK));  // where the lock is undone
    EXPECT_EQ(1, phone.lockedNotices);
}

}  // namespace

namespace {

// Dial-pad presses under real pen input, while no call is in progress.
class DialPadTest : public PhoneWindowTest {
protected:
    void SetUp() override
    {
        PhoneWindowTest::SetUp();
        data.m_Settings.bAutoAreaCode = 0;
        data.m_Settings.bKeypadTone = 0;
        Create();
        uitest::Activate(phone.GetHwnd());
    }
    POINT KeyPoint(int key) { return testskins::KeyCentre(phone.DialPad(), key); }
    void Tap(int key) { uitest::Tap(KeyPoint(key)); }
    void Hold(int key)
    {
        uitest::PenMove(KeyPoint(key));
        uitest::PenDown(KeyPoint(key));
        uitest::PenUp(KeyPoint(key));
    }
    void TapText(const wchar_t* keys)
    {
        for (const wchar_t* p = keys; *p; ++p)
            Tap(*p == L'*' ? 10 : *p == L'#' ? 11 : *p - L'0');
    }
    std::wstring Number() { return phone.Lcd().NumberText(); }
};

TEST_F(DialPadTest, TapsTypeTheNumberClearAndEndTakeItBack)
{
    TapText(L"0107");
    EXPECT_EQ(L"0107", Number());
    Tap(CCeMCallControl::KEY_CLEAR);
    EXPECT_EQ(L"010", Number());
    Hold(CCeMCallControl::KEY_CLEAR);
    EXPECT_EQ(L"", Number());
    TapText(L"12*#");
    Tap(CCeMCallControl::KEY_END);
    EXPECT_EQ(L"", Number());
    // Send on an empty line opens the call list.
    Tap(CCeMCallControl::KEY_SEND);
    EXPECT_EQ(VIEW_CALLLIST, phone.CurrentView());
}

TEST_F(DialPadTest, HoldingHashLocksAndHoldingStarSilences)
{
    Made alert, lock;
    phone.SetScreenMaker(VIEW_RINGTONE, Maker(alert));
    phone.SetScreenMaker(VIEW_PHONELOCK, Maker(lock));
    Hold(CCeMCallControl::KEY_HASH);
    EXPECT_EQ(1, data.m_Settings.bPhoneLocked);
    EXPECT_EQ(L"", Number());
    Hold(CCeMCallControl::KEY_HASH);
    EXPECT_EQ(VIEW_PHONELOCK, phone.CurrentView());
    EXPECT_EQ(1, lock.made);
    phone.SwitchView(VIEW_DIALPAD);

    data.m_Settings.nBellSource = 2;
    data.m_Settings.nSavedBellSource = 0;
    Hold(CCeMCallControl::KEY_STAR);
    EXPECT_EQ(0, data.m_Settings.nBellSource);
    EXPECT_EQ(2, data.m_Settings.nSavedBellSource);
    Hold(CCeMCallControl::KEY_STAR);
    EXPECT_EQ(2, data.m_Settings.nBellSource);
    SettingsBlock stored{};
    CCeEnvDB env(stored, data.m_szInstallDir);
    ASSERT_EQ(1, env.Load());
    EXPECT_EQ(2, stored.nBellSource);
    EXPECT_EQ(1, stored.bPhoneLocked);

    // Nothing saved to go back to: the ring-tone screen opens.
    data.m_Settings.bPhoneLocked = 0;
    data.m_Settings.nBellSource = 0;
    data.m_Settings.nSavedBellSource = 0;
    Hold(CCeMCallControl::KEY_STAR);
    EXPECT_EQ(VIEW_RINGTONE, phone.CurrentView());
    EXPECT_EQ(0, alert.lastPage);
}

TEST_F(DialPadTest, HoldingADigitDialsItsSpeedDialEntry)
{
    ASSERT_EQ(1, data.m_EasyCallDB.Set(L"엄마", L"0191112222", 15));
    Tap(1);
    Hold(5);
    EXPECT_EQ(L"0191112222", Number());
    phone.Lcd().ClearNumber();
    Hold(7);
    EXPECT_EQ(L"지정된 단축번호가 없습니다.", std::wstring(phone.Lcd().MessageText()));
    EXPECT_EQ(L"7", Number());
    // With two characters on the line a hold only appends.
    phone.Lcd().SetNumber(L"15");
    Hold(3);
    EXPECT_EQ(L"153", Number());
}

TEST_F(DialPadTest, TheServiceCodeOpensNumberAssignment)
{
    Made nam;
    phone.SetScreenMaker(VIEW_NAM, Maker(nam));
    TapText(L"52*91#");
    EXPECT_EQ(0, nam.made);  // the short code waits for send
    Tap(CCeMCallControl::KEY_SEND);
    EXPECT_EQ(1, nam.made);
    EXPECT_EQ(L"", Number());
    phone.SwitchView(VIEW_DIALPAD);
    TapText(L"#391624875#208#");
    EXPECT_EQ(2, nam.made);
    EXPECT_EQ(VIEW_NAM, phone.CurrentView());
}

}  // namespace

namespace {

TEST_F(PhoneWindowTest, BatteryAnswersOnlyARealLowReadingEndsTheProgram)
{
    Create();
    HWND hwnd = phone.GetHwnd();
    ModemStatus& status = data.m_Modem.Status;
    const struct {
        int ok;
        float volts;
        int level;  // -1: the indicator keeps its value
    } answers[] = {{1, 3.9f, 5}, {0, 3.1f, -1}, {1, -1.0f, -1}, {1, 0.0f, -1}, {1, 3.25f, 0}, {1, 3.45f, 2}};
    int shown = phone.Lcd().Indicator(CCeMWndLcd::kSlotBattery);
    for (const auto& a : answers) {
        status.batteryVolts = a.volts;
        phone.OnBattery(a.ok);
        if (a.level >= 0)
            shown = a.level;
        EXPECT_EQ(shown, phone.Lcd().Indicator(CCeMWndLcd::kSlotBattery)) << a.volts;
    }
    zentest::PumpMessages(50);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(0, phone.batteryNotices);

    status.batteryVolts = 3.2f;
    phone.OnBattery(1);
    EXPECT_EQ(0, phone.Lcd().Indicator(CCeMWndLcd::kSlotBattery));
    EXPECT_EQ(1, phone.batteryNotices);
    // The driver hears the port come back and says so: the ending phone
    // does not open the link again.
    SendMessageW(hwnd, CCeMWndPhone::WM_MODEM_WAKE, 1, 1);
    EXPECT_STRNE(L"*** 모뎀 재연결 ***", phone.Lcd().MessageText());
    EXPECT_FALSE(data.m_Modem.OpenUnderWay());
    zentest::PumpMessages(50);
    EXPECT_FALSE(IsWindow(hwnd));  // closed after the warning
}

TEST_F(PhoneWindowTest, AntennaVolumeBannerAndTheModuleClock)
{
    Create();
    const int bars[] = {0, 0, 1, 2, 3, 3, 4, 4, 5, 5, 5, 5};
    for (int level = -1; level <= 10; ++level) {
        data.m_Modem.Status.signalLevel = level;
        phone.OnPing(1);
        EXPECT_EQ(bars[level + 1], phone.Lcd().Indicator(CCeMWndLcd::kSlotAntenna)) << level;
    }
    data.m_Modem.Status.speakerVolume = 3;
    phone.OnVolume(1);
    EXPECT_EQ(3, phone.Lcd().Indicator(CCeMWndLcd::kSlotCallVolume));

    strcpy(data.m_Modem.Status.dialInfo, "01012345678");
    data.m_Settings.bShowGreeting = 1;
    phone.OnDialInfo(1);
    EXPECT_STRNE(L"01012345678", phone.Lcd().BannerText());
    data.m_Settings.bShowGreeting = 0;
    phone.OnDialInfo(0);
    EXPECT_STRNE(L"01012345678", phone.Lcd().BannerText());
    phone.OnDialInfo(1);
    EXPECT_STREQ(L"01012345678", phone.Lcd().BannerText());

    strcpy(data.m_Modem.Status.moduleTime, "20261207235958");
    phone.OnSysTime(1);
    ASSERT_EQ(1u, phone.clockSet.size());
    const SYSTEMTIME& t = phone.clockSet[0];
    EXPECT_EQ(2026, t.wYear);
    EXPECT_EQ(12, t.wMonth);
    EXPECT_EQ(7, t.wDay);
    EXPECT_EQ(23, t.wHour);
    EXPECT_EQ(59, t.wMinute);
    EXPECT_EQ(58, t.wSecond);
    EXPECT_EQ(0, t.wDayOfWeek);
    // Garbled times and failed answers leave the clock alone.
    for (const char* bad : {"2026120723595", "2026130723595x", "20261332000000", "20260230120000"}) {
        strcpy(data.m_Modem.Status.moduleTime, bad);
        phone.OnSysTime(1);
    }
    strcpy(data.m_Modem.Status.moduleTime, "20261207235958");
    phone.OnSysTime(0);
    EXPECT_EQ(1u, phone.clockSet.size());
}

TEST_F(PhoneWindowTest, TheClockShowsTheTimeAndTheCornerCloses)
{
    Create();
    phone.OnTick();
    zentest::PumpMessages(50);
    const auto band = zentest::CaptureWindow(phone.GetHwnd());
    // The time is drawn in white over the band.
    EXPECT_GT(zentest::CountPixels(band, RECT{170, 0, 220, 26}, 0xFFFFFF, 40), 10);
    EXPECT_EQ(0, zentest::CountPixels(band, RECT{100, 0, 168, 26}, 0xFFFFFF, 40));
    EXPECT_EQ(0, zentest::CountPixels(band, RECT{222, 0, 240, 26}, 0xFFFFFF, 40));  // inside its rectangle
    HWND hwnd = phone.GetHwnd();
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(100, 10));
    zentest::PumpMessages(30);
    EXPECT_TRUE(IsWindow(hwnd));
    SendMessageW(hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(220, 10));
    zentest::PumpMessages(30);
    EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace

namespace {

TEST_F(PhoneWindowTest, ApplicationKeysRunTheirChosenFunctions)
{
    const int32_t functions[4] = {1, 2, 5, 10};
    memcpy(data.m_Settings.nHwButton, functions, sizeof functions);
    Create();
    HWND hwnd = phone.GetHwnd();
    SendMessageW(hwnd, WM_CHAR, 0xC1, 0);
    EXPECT_EQ(1, phone.Lcd().Indicator(CCeMWndLcd::kSlotCallVolume));
    for (int i = 0; i < 6; ++i)
        SendMessageW(hwnd, WM_CHAR, 0xC1, 0);
    EXPECT_EQ(4, phone.Lcd().Indicator(CCeMWndLcd::kSlotCallVolume));  // at most 4
    for (int i = 0; i < 6; ++i)
        SendMessageW(hwnd, WM_CHAR, 0xC2, 0);
    EXPECT_EQ(0, phone.Lcd().Indicator(CCeMWndLcd::kSlotCallVolume));  // at least 0
    SendMessageW(hwnd, WM_CHAR, 0xC3, 0);
    EXPECT_EQ(VIEW_CALLLIST, phone.CurrentView());
    SendMessageW(hwnd, WM_CHAR, L'A', 0);
    zentest::PumpMessages(30);
    EXPECT_TRUE(IsWindow(hwnd));
    SendMessageW(hwnd, WM_CHAR, 0xC4, 0);
    zentest::PumpMessages(30);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(PhoneWindowTest, ChildNotificationsRefreshWhatTheyName)
{
    Create();
    HWND hwnd = phone.GetHwnd();
    wcscpy(data.m_Settings.szGreeting, L"안녕하세요");
    data.m_Settings.bShowGreeting = 1;
    SendMessageW(hwnd, CCeMWndPhone::WM_CHILD_NOTIFY, 2, 0);
    EXPECT_STREQ(L"안녕하세요", phone.Lcd().BannerText());
    data.m_Settings.bShowGreeting = 0;
    strcpy(data.m_Modem.Status.dialInfo, "0161234567");
    SendMessageW(hwnd, CCeMWndPhone::WM_CHILD_NOTIFY, 2, 0);
    EXPECT_STREQ(L"0161234567", phone.Lcd().BannerText());

    data.m_Settings.nNewMessages = 7;
    SendMessageW(hwnd, CCeMWndPhone::WM_CHILD_NOTIFY, 5, 0);
    EXPECT_EQ(0, data.m_Settings.nNewMessages);  // the store holds none unread

    // A new skin takes effect at once.
    wcscpy(data.m_Settings.szSkinName, L"type40");
    SendMessageW(hwnd, CCeMWndPhone::WM_CHILD_NOTIFY, 8, 0);
    EXPECT_EQ(12, phone.DialPad().HitTest(180, 20)->id);
}

}  // namespace

namespace {

TEST_F(PhoneWindowTest, TheRingTonePlayerLivesWithTheWindowAndTheGreetingShows)
{
    data.m_Settings.bShowGreeting = 1;
    wcscpy(data.m_Settings.szGreeting, L"반갑습니다");
    Create();
    EXPECT_NE(nullptr, data.m_pRingPlayer);
    EXPECT_STREQ(L"반갑습니다", phone.Lcd().BannerText());
    phone.Destroy();
    EXPECT_EQ(nullptr, data.m_pRingPlayer);
}

}  // namespace

namespace {

int g_taskbarTaps = 0;
LRESULT CALLBACK TaskbarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_LBUTTONDOWN)
        ++g_taskbarTaps;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST_F(PhoneWindowTest, TheTaskbarStaysHiddenExceptAfterATapOnTheStartArea)
{
    // The shell's taskbar, as the shell shows it at the top of the screen.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TaskbarProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HHTaskBar";
    RegisterClassW(&wc);
    HWND taskbar = CreateWindowExW(WS_EX_TOOLWINDOW, L"HHTaskBar", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 26,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, taskbar);
    Create();
    uitest::Activate(phone.GetHwnd());
    EXPECT_TRUE(phone.IsTaskbarHidden());
    EXPECT_FALSE(IsWindowVisible(taskbar));

    SendMessageW(phone.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 10));
    zentest::PumpMessages(50);
    EXPECT_FALSE(phone.IsTaskbarHidden());
    EXPECT_TRUE(IsWindowVisible(taskbar));
    EXPECT_EQ(1, g_taskbarTaps);
    phone.OnTick();
    EXPECT_TRUE(phone.IsTaskbarHidden());
    EXPECT_FALSE(IsWindowVisible(taskbar));
    DestroyWindow(taskbar);
}

}  // namespace

namespace {

TEST_F(PhoneWindowTest, WithoutAnyInstallationFolderTheKeysStillWork)
{
    data.SetInstallDir(L"C:\\no-such-folder");
    Create();
    EXPECT_EQ(0, phone.LoadSkin());
    EXPECT_STREQ(L"default", data.m_Settings.szSkinName);
    EXPECT_EQ(nullptr, phone.DialPad().Image(CCeMMultiButton::IMAGE_NORMAL));
    ASSERT_EQ(kDialPadKeys, phone.DialPad().CellCount());
    phone.OnDialPadPress(7, 1);
    EXPECT_STREQ(L"7", phone.Lcd().NumberText());
    phone.OnDialPadPress(99, 1);  // no such key
    phone.OnDialPadPress(-1, 2);
    EXPECT_STREQ(L"7", phone.Lcd().NumberText());
}

}  // namespace

namespace {

std::vector<UINT> MenuIds(HMENU menu)
{
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        ids.push_back(GetMenuItemID(menu, i));  // separators read 0
    return ids;
}

TEST_F(PhoneWindowTest, TheMenuBarCarriesTheViewButtonsAndTwoPopups)
{
    Create();
    HWND bar = phone.MenuBar().Hwnd();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(IsWindowVisible(bar));
    RECT rc;
    GetWindowRect(bar, &rc);
    EXPECT_EQ(320, rc.bottom);
    EXPECT_EQ(240, rc.right - rc.left);
    for (UINT command : {40010u, 40004u, 40007u, 40021u, 40036u, 40038u})
        EXPECT_TRUE(SendMessageW(bar, TB_ISBUTTONENABLED, command, 0)) << command;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(2, GetMenuItemCount(menu));
    EXPECT_EQ((std::vector<UINT>{40017, 40018, 40019, 0, 40016, 40015, 0, 40020, 40025, 0, 40024}),
              MenuIds(GetSubMenu(menu, 0)));
    EXPECT_EQ((std::vector<UINT>{40026, 40027, 0, 40014, 40013, 40023, 40022, 40037}), MenuIds(GetSubMenu(menu, 1)));

    // The pictures come from the strip: the bar shows more than its face.
    zentest::PumpMessages(50);
    const auto shot = zentest::CaptureWindow(bar);
    ASSERT_FALSE(shot.empty());
    EXPECT_GT(zentest::DistinctColors(shot, RECT{0, 0, 240, 26}), 8);
}

}  // namespace

namespace {

// The message screen's side of opening the composer.
class ComposerProbe : public CCeMWnd {
public:
    int opened = 0;
    std::wstring recipient;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == CCeMWndPhone::WM_OPEN_COMPOSER) {
            ++opened;
            recipient = lp ? reinterpret_cast<LPCWSTR>(lp) : L"(none)";
            return 0;
        }
        return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
    }
};

TEST_F(PhoneWindowTest, ForwardedCommandLinesCallOrOpenTheComposer)
{
    Create();
    HWND hwnd = phone.GetHwnd();
    ComposerProbe probe;
    probe.RegisterWindowClass(L"ZenTestComposer", 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(1, probe.Create(L"", WS_CHILD, CCeMPlacement{0, 84, 240, 190}, hwnd, 4));
    phone.SetStandingScreen(VIEW_MESSAGES, &probe);
    const auto forward = [hwnd](const void* text, DWORD bytes) {
        COPYDATASTRUCT cds = {0, bytes, const_cast<void*>(text)};
        return SendMessageW(hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
    };

    phone.SwitchView(VIEW_CALLLIST);
    forward(L"call 0123", 9 * sizeof(wchar_t));
    EXPECT_EQ(VIEW_DIALPAD, phone.CurrentView());
    EXPECT_STREQ(L"0123", phone.Lcd().NumberText());
    phone.Lcd().ClearNumber();
    // An odd byte count and no terminator: what is whole is read.
    const wchar_t sms[] = {L'S', L'M', L'S', L' ', L'0', L'1', L'0', L'1', L'#', L'#'};
    forward(sms, 7 * sizeof(wchar_t) + 1);
    EXPECT_EQ(VIEW_MESSAGES, phone.CurrentView());
    EXPECT_EQ(1, probe.opened);
    EXPECT_EQ(L"010", probe.recipient);
    forward(L"SMS", 3 * sizeof(wchar_t));
    EXPECT_EQ(2, probe.opened);
    EXPECT_EQ(L"(none)", probe.recipient);
    // Screens ask for the composer with their own recipient data.
    SendMessageW(hwnd, CCeMWndPhone::WM_OPEN_COMPOSER, 0, reinterpret_cast<LPARAM>(L"0167778888"));
    EXPECT_EQ(3, probe.opened);
    EXPECT_EQ(L"0167778888", probe.recipient);
    // The driver's start only starts; "CALL" alone shows the pad.
    forward(L"WAKEUP", 6 * sizeof(wchar_t));
    EXPECT_EQ(VIEW_MESSAGES, phone.CurrentView());
    forward(L"CALL", 4 * sizeof(wchar_t));
    EXPECT_EQ(VIEW_DIALPAD, phone.CurrentView());
    EXPECT_EQ(0, phone.Lcd().NumberLength());
    forward(nullptr, 40);
    EXPECT_EQ(VIEW_DIALPAD, phone.CurrentView());
    phone.SetStandingScreen(VIEW_MESSAGES, nullptr);
    probe.Destroy();
}

TEST_F(PhoneWindowTest, TheOwnCommandLineRunsOnTheFirstOpenOnly)
{
    phone.SetStartCommandLine(L"CALL 0167778888");
    Create();
    HWND hwnd = phone.GetHwnd();
    EXPECT_EQ(0, phone.Lcd().NumberLength());
    SendMessageW(hwnd, WM_MODEM_OPENED, 0, 0);
    EXPECT_STREQ(L"0167778888", phone.Lcd().NumberText());
    phone.Lcd().ClearNumber();
    SendMessageW(hwnd, WM_MODEM_OPENED, 0, 0);
    EXPECT_EQ(0, phone.Lcd().NumberLength());
    // A failed open says so and stays until replaced.
    SendMessageW(hwnd, WM_MODEM_OPENED, static_cast<WPARAM>(-2), 0);
    EXPECT_STREQ(L"초기화 실패", phone.Lcd().MessageText());
    EXPECT_EQ(CCeMWndLcd::kModeSteady, phone.Lcd().MessageMode());
    EXPECT_FALSE(data.m_Modem.IsOpen());
}

TEST_F(PhoneWindowTest, TheModuleGoingAwayIsShownAndItsReturnOpensTheLinkAgain)
{
    Create();
    HWND hwnd = phone.GetHwnd();
    InterlockedExchange(&data.m_Modem.CallState, CALL_RINGING);
    SendMessageW(hwnd, CCeMWndPhone::WM_MODEM_WAKE, 0, 0);
    EXPECT_STREQ(L"*** 모뎀 상태 확인 ***", phone.Lcd().MessageText());
    EXPECT_EQ(CCeMWndLcd::kModeBlinking, phone.Lcd().MessageMode());
    EXPECT_EQ(12960000, phone.Lcd().RemainingSeconds());
    InterlockedExchange(&data.m_Modem.CallState, CALL_IDLE);
    // Back again: the link opens anew; here no module answers, which the
    // failed open then says.
    SendMessageW(hwnd, CCeMWndPhone::WM_MODEM_WAKE, 1, 1);
    EXPECT_STREQ(L"*** 모뎀 재연결 ***", phone.Lcd().MessageText());
    EXPECT_TRUE(zentest::WaitUntil([&] { return wcscmp(phone.Lcd().MessageText(), L"초기화 실패") == 0; }, 5000))
        << phone.Lcd().MessageText();
}

TEST_F(PhoneWindowTest, CompanionApplicationsAreOfferedWhenInstalledAndChosenOnesEndThePhone)
{
    const wchar_t* key = L"SOFTWARE\\Veltana\\Apps\\Kivo GameBox";
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr));
    const wchar_t path[] = L"C:\\Kivo\\games.exe -a";
    RegSetValueExW(k, L"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path);
    RegCloseKey(k);

    Create();
    HWND hwnd = phone.GetHwnd();
    EXPECT_EQ(CCeMWndPhone::kNoCompanion, phone.ChosenCompanion());
    SendMessageW(hwnd, WM_MODEM_OPENED, 0, 0);
    for (int slot = 0; slot < 5; ++slot)
        EXPECT_EQ(slot == 2 ? 1 : 0, phone.CompanionBar().CellAt(slot)->enabled) << slot;
    // A missing one is said and the phone stays.
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(CCeMWndPhone::kCompanionBarId, 0), MAKELPARAM(0, 1));
    zentest::PumpMessages(50);
    EXPECT_EQ(std::vector<int>{0}, phone.missingCompanions);
    EXPECT_TRUE(IsWindow(hwnd));
    // The menu's command picks the browser's slot, which is missing too.
    SendMessageW(hwnd, WM_COMMAND, 40042, 0);
    EXPECT_EQ((std::vector<int>{0, 1}), phone.missingCompanions);
    EXPECT_EQ(CCeMWndPhone::kNoCompanion, phone.ChosenCompanion());
    // An installed one ends the phone, which then starts it.
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(CCeMWndPhone::kCompanionBarId, 0), MAKELPARAM(2, 1));
    zentest::PumpMessages(100);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(2, phone.ChosenCompanion());
    EXPECT_STREQ(path, phone.ChosenCompanionPath());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);
}

TEST_F(PhoneWindowTest, ABookedCallReloadsTheCallListWhenItIsShown)
{
    Create();
    int reloads = 0;
    phone.SetCallListReload([&reloads] { ++reloads; });
    phone.CallListChanged();
    EXPECT_EQ(0, reloads);
    phone.SwitchView(VIEW_CALLLIST);
    phone.CallListChanged();
    EXPECT_EQ(1, reloads);
}

TEST_F(PhoneWindowTest, SharedPicturesAreRegisteredUnloadedAndTheCallListBorrowsItsIcons)
{
    Create();
    CCeMBitmapCache& cache = phone.Bitmaps();
    EXPECT_EQ(&cache, SharedBitmaps::Published());
    // The screens find them by these indexes; nothing is loaded at creation.
    const wchar_t* keys[] = {L"Res=69", L"Res=6a", L"Res=6c", L"Res=7e", L"Res=7f", L"Res=80",
                             L"Res=8c", L"Res=8d", L"Res=8e", L"Res=94", L"Res=95"};
    ASSERT_EQ(11, cache.Count());
    for (const wchar_t* key : keys) {
        ASSERT_NE(nullptr, cache.Find(key)) << key;
        EXPECT_FALSE(cache.Find(key)->IsLoaded()) << key;
        EXPECT_EQ(0, cache.Find(key)->Width()) << key;
    }

    HBITMAP icons = nullptr;
    {
        const PhoneStandingScreens standing = PlugInScreens(phone, data);
        ASSERT_NE(nullptr, standing.callList);
        // The call list fetched its status icons (four of 25 x 11) from the cache.
        CCeMBitmap* strip = cache.Find(L"Res=6a");
        ASSERT_TRUE(strip->IsLoaded());
        EXPECT_EQ(100, strip->Width());
        EXPECT_EQ(11, strip->Height());
        icons = strip->Handle();
        ASSERT_NE(nullptr, icons);
        for (int i = 0; i < 11; ++i)
            EXPECT_STREQ(keys[i], cache.Get(CCeMToolkit::Instance(), i)->Name()) << i;
        // A picture the program does not carry stays an empty record.
        EXPECT_EQ(nullptr, SharedBitmaps::Get(0));
        EXPECT_EQ(11, cache.Count());
    }
    // The call list's end left the shared picture alone.
    BITMAP bm = {};
    EXPECT_EQ(static_cast<int>(sizeof bm), GetObjectW(icons, sizeof bm, &bm));
    phone.Destroy();
    EXPECT_EQ(nullptr, SharedBitmaps::Published());
}

}  // namespace
