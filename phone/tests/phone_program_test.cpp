// Zentrika.exe as the user runs it: one running copy against the simulated
// module in the slot (served by the modem port driver), driven by pen taps on
// the handheld's screen and by the module's own events. The cases share one
// phone process and run in order; the last one ends it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ContactFixture.h"
#include "PhoneProgram.h"
#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "nled.h"
#include "phone/CCeMCallControl.h"
#include "phone/NotificationLed.h"
#include "stores/CCeDataManager.h"

namespace {

class PhoneProgramTest : public phoneprog::PhoneProgramTest {
protected:
    static void SetUpTestSuite()
    {
        phoneprog::Options options;
        options.prepare = [] { contacttest::AddPerson({L"홍길동", L"0101234567"}); };
        StartSession(options);
    }
    static void TearDownTestSuite() { EndSession(); }
};

TEST_F(PhoneProgramTest, StartsAsAHandheldPhoneWithItsSkinMenuBarAndClock)
{
    ASSERT_TRUE(PhoneRunning());
    RECT rc;
    GetWindowRect(s_phone, &rc);
    EXPECT_EQ(240, rc.right - rc.left);
    EXPECT_EQ(320, rc.bottom - rc.top);
    ASSERT_NE(nullptr, s_lcd);
    // The menu bar is the phone's own pop-up at the bottom of the screen.
    HWND bar = nullptr;
    for (HWND w = FindWindowW(L"menu_worker", nullptr); w; w = FindWindowExW(nullptr, w, L"menu_worker", nullptr))
        if (GetWindow(w, GW_OWNER) == s_phone)
            bar = w;
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(IsWindowVisible(bar));

    uitest::Activate(s_phone);
    Shot(L"phone-idle");
    const auto screen = zentest::CaptureScreen();
    ASSERT_FALSE(screen.empty());
    // The skin's keys are drawn (not a white pad), the clock band is dark
    // with the time in white, and the menu bar's pictures are there.
    EXPECT_GT(zentest::DistinctColors(screen, RECT{0, 84, 240, 274}), 20);
    EXPECT_GT(zentest::CountPixels(screen, RECT{170, 0, 220, 26}, 0xFFFFFF, 40), 10);
    EXPECT_EQ(0, zentest::CountPixels(screen, RECT{60, 0, 168, 26}, 0xFFFFFF, 40));
    EXPECT_GT(zentest::DistinctColors(screen, RECT{0, 294, 240, 320}), 4);
    // The start-up queries went to the module; the own number stands on the display.
    EXPECT_FALSE(SentLines("AT$BATT?").empty());
    EXPECT_TRUE(WaitDisplay(L"\n01012345678")) << Display().c_str();
}


// Whether the phone's menu bar lies above the phone's window.
bool BarAbovePhone(HWND phone)
{
    for (HWND w = GetTopWindow(nullptr); w && w != phone; w = GetWindow(w, GW_HWNDNEXT)) {
        wchar_t cls[32] = L"";
        GetClassNameW(w, cls, 32);
        if (wcscmp(cls, L"menu_worker") == 0 && GetWindow(w, GW_OWNER) == phone)
            return true;
    }
    return false;
}

// Taps that switch views and taps on a screen's list must leave the menu bar
// on top: a covered bar hides the menu and its place answers for the buttons
// below it.
TEST_F(PhoneProgramTest, TheMenuBarStaysOnTopThroughViewSwitchesAndListTaps)
{
    ASSERT_TRUE(PhoneRunning());
    uitest::Activate(s_phone);
    ASSERT_TRUE(zentest::WaitUntil([] { return BarAbovePhone(s_phone); }, 2000));
    ASSERT_TRUE(TapBarButton(40007));  // the call list
    HWND list = FindChild(s_phone, L"CCeMWndCallList", nullptr);
    ASSERT_NE(nullptr, list);
    EXPECT_TRUE(zentest::WaitUntil([] { return BarAbovePhone(s_phone); }, 1000));
    TapAt(list, 100, 100);
    EXPECT_TRUE(zentest::WaitUntil([] { return BarAbovePhone(s_phone); }, 1000));
    ASSERT_TRUE(TapBarButton(40010));  // back to the dial pad
    EXPECT_TRUE(zentest::WaitUntil([&] { return !IsWindowVisible(list); }, 2000));
    EXPECT_TRUE(zentest::WaitUntil([] { return BarAbovePhone(s_phone); }, 1000));
}

// The menu bar's pop-ups are real menus of the program: a tap on "설정" and
// then on "통화 정보" opens the call information screen, whose close button
// brings the dial pad back.
TEST_F(PhoneProgramTest, TheSettingsMenuOpensTheCallInformationScreenByPen)
{
    ASSERT_TRUE(PhoneRunning());
    uitest::Activate(s_phone);
    ASSERT_TRUE(TapMenuCommand(40025));
    HWND info = FindChild(s_phone, L"CCeMWndCallInfo", nullptr);
    ASSERT_NE(nullptr, info);
    Shot(L"phone-menu-callinfo");
    PostMessageW(info, WM_CLOSE, 0, 0);
    EXPECT_TRUE(zentest::WaitUntil([&] { return !IsWindow(info) || !IsWindowVisible(info); }, 3000));
}

TEST_F(PhoneProgramTest, ACallFromAContactRingsAndATapAnswersIt)
{
    ASSERT_TRUE(PhoneRunning());
    const LONGLONG before = CaptureBytes();
    s_card->Module().Ring("0101234567");
    ASSERT_TRUE(WaitDisplay(L"전화가 왔습니다.\n홍길동")) << Display().c_str();
    EXPECT_TRUE(zentest::WaitUntil([] { return CeNledGetState(kRingLed) == kLedBlink; }, 3000));
    // The ring tone reaches the sound device.
    EXPECT_TRUE(zentest::WaitUntil([&] { return CaptureBytes() > before + 8000; }, 5000))
        << before << " -> " << CaptureBytes();
    Shot(L"phone-ringing");

    TapKey(CCeMCallControl::KEY_END);  // ignored while it rings
    zentest::PumpMessages(300);
    EXPECT_TRUE(SentLines("AT$REL").empty());
    TapKey(5);
    ASSERT_TRUE(WaitSent("AT$QCCAV", 1));
    EXPECT_EQ(std::vector<std::string>{"AT$QCCAV"}, SentLines("AT$QCCAV"));
    EXPECT_TRUE(WaitDisplay(L"통화시간")) << Display().c_str();
    EXPECT_TRUE(zentest::WaitUntil([] { return CeNledGetState(kRingLed) == kLedOff; }, 3000));
    zentest::PumpMessages(1200);
    Shot(L"phone-in-call");
    TapKey(CCeMCallControl::KEY_END);
    ASSERT_TRUE(WaitSent("AT$REL", 1));
    zentest::PumpMessages(800);

    CCeDataManager data;
    data.m_CallListDB.Load();
    const CallItem* call = data.m_CallListDB.Nth(CCeCallListDB::kAll, 0);
    ASSERT_NE(nullptr, call);
    EXPECT_EQ(CCeCallListDB::kAnswered, call->nKind);
    EXPECT_STREQ("010-123-4567", call->szNumber);
    EXPECT_GE(call->nSeconds, 1);
    EXPECT_EQ(nullptr, data.m_CallListDB.Nth(CCeCallListDB::kAll, 1));
}

TEST_F(PhoneProgramTest, ACallThatRingsAndStopsIsCountedAsMissed)
{
    ASSERT_TRUE(PhoneRunning());
    s_card->Module().Ring("0167778888");
    ASSERT_TRUE(WaitDisplay(L"전화가 왔습니다.\n016-777-8888")) << Display().c_str();
    s_card->Module().RemoteHangUp();
    EXPECT_TRUE(WaitDisplay(L"\n부재중 통화    1")) << Display().c_str();
    EXPECT_TRUE(zentest::WaitUntil([] { return CeNledGetState(kRingLed) == kLedOff; }, 3000));
    CCeDataManager data;
    data.m_CallListDB.Load();
    const CallItem* call = data.m_CallListDB.Nth(CCeCallListDB::kAll, 0);
    ASSERT_NE(nullptr, call);
    EXPECT_EQ(CCeCallListDB::kMissed, call->nKind);
    EXPECT_STREQ("016-777-8888", call->szNumber);
    EXPECT_EQ(0, call->nSeconds);
}

TEST_F(PhoneProgramTest, TappedDigitsAndSendDialTheExactLine)
{
    ASSERT_TRUE(PhoneRunning());
    uitest::Activate(s_phone);
    for (int key : {0, 1, 6, 7, 7, 7, 8, 8, 8, 8})
        TapKey(key);
    EXPECT_TRUE(WaitDisplay(L"\n016-777-8888")) << Display().c_str();
    TapKey(CCeMCallControl::KEY_SEND);
    ASSERT_TRUE(WaitSent("AT$ORI", 1));
    EXPECT_EQ(std::vector<std::string>{"AT$ORI0167778888"}, SentLines("AT$ORI"));
    EXPECT_TRUE(WaitDisplay(L"전화를 걸고 있습니다...")) << Display().c_str();
    HangUp();
}

TEST_F(PhoneProgramTest, ASecondStartWithCallDialsInTheRunningCopy)
{
    ASSERT_TRUE(PhoneRunning());
    // Another window is in front: the running copy is in the background.
    HWND other = uitest::MakeHost(L"other");
    SetWindowPos(other, HWND_TOP, 0, 0, 240, 320, SWP_SHOWWINDOW);
    uitest::Activate(other);
    ASSERT_TRUE(zentest::WaitUntil([&] { return GetForegroundWindow() == other; }, 3000));
    const size_t dialled = SentLines("AT$ORI").size();

    HANDLE second = phoneprog::StartPhone(L"call 0123");
    ASSERT_NE(nullptr, second);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 15000));
    DWORD code = 0;
    GetExitCodeProcess(second, &code);
    CloseHandle(second);
    EXPECT_EQ(1u, code);
    ASSERT_TRUE(WaitSent("AT$ORI", dialled + 1));
    EXPECT_EQ("AT$ORI0123", SentLines("AT$ORI").back());
    EXPECT_TRUE(zentest::WaitUntil([] { return GetForegroundWindow() == s_phone; }, 3000));
    DestroyWindow(other);
    HangUp();

    // With the running copy in front the command line is dropped.
    uitest::Activate(s_phone);
    ASSERT_TRUE(zentest::WaitUntil([] { return GetForegroundWindow() == s_phone; }, 3000));
    second = phoneprog::StartPhone(L"CALL 0456");
    ASSERT_NE(nullptr, second);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 15000));
    CloseHandle(second);
    zentest::PumpMessages(1000);
    EXPECT_EQ(dialled + 1, SentLines("AT$ORI").size());

    // Back from behind the other window, the menu bar is still on top and
    // answers the pen.
    ASSERT_TRUE(TapMenuCommand(40025));
    HWND info = FindChild(s_phone, L"CCeMWndCallInfo", nullptr);
    ASSERT_NE(nullptr, info);
    PostMessageW(info, WM_CLOSE, 0, 0);
    EXPECT_TRUE(zentest::WaitUntil([&] { return !IsWindow(info) || !IsWindowVisible(info); }, 3000));
}

// The card's driver is the modem port driver: it tells the phone when the
// card goes and when it watches the port again.
TEST_F(PhoneProgramTest, PullingTheCardIsShownAndPuttingItBackReconnects)
{
    ASSERT_TRUE(PhoneRunning());
    ASSERT_TRUE(s_card->Remove());
    EXPECT_TRUE(WaitDisplay(L"*** 모뎀 상태 확인 ***\n")) << Display().c_str();
    zentest::PumpMessages(500);

    const size_t queries = SentLines("AT$BATT?").size();
    ASSERT_TRUE(s_card->Insert());
    // The link opens again and asks its start-up questions; the notice gives
    // way to the standing line once it is up.
    ASSERT_TRUE(WaitSent("AT$BATT?", queries + 1, 10000));
    EXPECT_TRUE(zentest::WaitUntil([] { return Display().find(L"모뎀") == std::wstring::npos; }, 8000))
        << Display().c_str();
    // And it works: a call rings.
    s_card->Module().Ring("0167778888");
    EXPECT_TRUE(WaitDisplay(L"전화가 왔습니다.")) << Display().c_str();
    HangUp();
}

TEST_F(PhoneProgramTest, ABatteryAnswerWithoutOkNeverEndsTheProgram)
{
    ASSERT_TRUE(PhoneRunning());
    zen::sim::SimModule& module = s_card->Module();
    // A silent module echoes but does not answer: the battery query is
    // answered here with a low reading and an error instead of OK.
    module.SetSilent(true);
    ASSERT_TRUE(s_card->Remove());
    zentest::PumpMessages(500);
    const size_t queries = SentLines("AT$BATT?").size();
    ASSERT_TRUE(s_card->Insert());
    ASSERT_TRUE(WaitSent("AT$BATT?", queries + 1, 10000));
    zentest::PumpMessages(100);
    module.SendRaw("\r\n3.10\r\n\r\nERROR\r\n");
    module.SendRaw("\r\n$BATT: 2.9\r\n");
    zentest::PumpMessages(3000);
    EXPECT_TRUE(PhoneRunning());
    EXPECT_TRUE(SentLines("AT$WARNSND=0").empty());
    module.SetSilent(false);
}

TEST_F(PhoneProgramTest, AnExhaustedModuleBatteryEndsTheProgramAfterItsWarning)
{
    ASSERT_TRUE(PhoneRunning());
    zen::sim::SimModule& module = s_card->Module();
    module.SetBattery(3.2);
    ASSERT_TRUE(s_card->Remove());
    zentest::PumpMessages(500);
    ASSERT_TRUE(s_card->Insert());

    // The warning comes up in the phone's own message box, then the phone ends.
    HWND warning = nullptr;
    EXPECT_TRUE(zentest::WaitUntil(
        [&] {
            for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
                wchar_t caption[32] = L"";
                GetWindowTextW(w, caption, 32);
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (pid == GetProcessId(s_process) && wcsncmp(caption, L"경고", 2) == 0 && IsWindowVisible(w))
                    return (warning = w) != nullptr;
            }
            return false;
        },
        10000));
    EXPECT_TRUE(WaitSent("AT$WARNSND=0", 1));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(s_process, 20000));
    DWORD code = 1;
    GetExitCodeProcess(s_process, &code);
    EXPECT_EQ(0u, code);
}

}  // namespace
