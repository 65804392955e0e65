// The main window with the link open on the simulated module: calls made and
// taken with pen taps on the dial pad's keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "ContactFixture.h"
#include "ModuleCard.h"
#include "ModuleCommands.h"
#include "QuietPhone.h"
#include "Screenshot.h"
#include "TestSkins.h"
#include "UiInput.h"
#include "WinTest.h"
#include "modem/ModemMessages.h"
#include "phone/CCeMWndPhone.h"
#include "phone/PhoneScreens.h"
#include "phone/SystemVolume.h"
#include "screens/messaging/CCeMWndSMS.h"
#include "screens/prefs/CCeMWndVolume.h"
#include "screens/service/CCeMWndInfo.h"
#include "screens/service/CCeMWndNam.h"

namespace {

// Screens that reach the program's data through the global pointer find the test's.
struct ProgramData {
    explicit ProgramData(CCeDataManager& data) { g_pDataManager = &data; }
    ~ProgramData() { g_pDataManager = nullptr; }
};

// Paints of one window, seen as the thread takes them from its queue.
HWND g_paintWatched = nullptr;
int g_paints = 0;
LRESULT CALLBACK CountPaints(int code, WPARAM wp, LPARAM lp)
{
    const MSG* m = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && m->message == WM_PAINT && m->hwnd == g_paintWatched)
        ++g_paints;
    return CallNextHookEx(nullptr, code, wp, lp);
}

class DialPadCallTest : public testing::Test {
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
        contacttest::AddPerson({L"홍길동", L"0101234567"});
        data.SetInstallDir(testskins::kInstall);
        data.m_EnvDB.Load();
        data.m_Settings.nBellSource = 1;
        data.m_Settings.bKeypadTone = 0;
        data.m_Settings.bAutoAreaCode = 0;
        card.Module().SetRingTiming(400, 150, 50);
        card.Module().SetAutoAnswer(-1);
        ASSERT_TRUE(card.Insert()) << GetLastError();

        ASSERT_EQ(1, phone.CreatePhone(GetModuleHandleW(nullptr)));
        ASSERT_NE(0, data.m_ContactsDB.OpenDefault(phone.GetHwnd()));
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
        data.m_ContactsDB.Close();
    }

    void Tap(int key) { uitest::Tap(testskins::KeyCentre(phone.DialPad(), key)); }
    void Hold(int key)
    {
        const POINT p = testskins::KeyCentre(phone.DialPad(), key);
        uitest::PenMove(p);
        uitest::PenDown(p);
        uitest::PenUp(p);
    }
    // Command lines the module received that start with `prefix`.
    std::vector<std::string> Sent(const std::string& prefix) { return modulecmd::Sent(card, prefix); }
    bool WaitSent(const std::string& prefix, size_t count = 1) { return modulecmd::WaitSent(card, prefix, count); }
    bool WaitHandled(LONG state)
    {
        return zentest::WaitUntil([&] { return data.m_Call.nLastState == state; }, 4000);
    }

    cedbtest::ScopedStore store{L"dialpadcall"};
    ModuleCard card;
    CCeDataManager data;
    QuietPhone phone{data};
};

TEST_F(DialPadCallTest, TappedDigitsAndSendDialTheExactLine)
{
    for (int key : {0, 1, 6, 7, 7, 7, 8, 8, 8, 8})
        Tap(key);
    EXPECT_STREQ(L"0167778888", phone.Lcd().NumberText());
    zentest::PumpMessages(100);
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"typed");
    Tap(CCeMCallControl::KEY_SEND);
    ASSERT_TRUE(WaitSent("AT$ORI"));
    EXPECT_EQ(std::vector<std::string>{"AT$ORI0167778888"}, Sent("AT$ORI"));
    ASSERT_TRUE(WaitHandled(CALL_SETUP));
    EXPECT_STREQ(L"전화를 걸고 있습니다...", phone.Lcd().MessageText());

    // During the call the keys are tones and end releases.
    card.Module().RemoteAnswer();
    ASSERT_TRUE(WaitHandled(CALL_CONNECTED));
    Tap(9);
    ASSERT_TRUE(WaitSent("AT$DTMF"));
    Tap(CCeMCallControl::KEY_END);
    ASSERT_TRUE(WaitSent("AT$REL"));
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));

    // Holding send on the empty line redials the newest call.
    Hold(CCeMCallControl::KEY_SEND);
    ASSERT_TRUE(WaitSent("AT$ORI", 2));
    EXPECT_EQ("AT$ORI0167778888", Sent("AT$ORI")[1]);
}

TEST_F(DialPadCallTest, ARingingCallIsAnsweredByATapAndEndedByTheEndKey)
{
    card.Module().Ring("0101234567");
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    EXPECT_STREQ(L"홍길동", phone.Lcd().NumberText());
    EXPECT_STREQ(L"전화가 왔습니다.", phone.Lcd().MessageText());
    zentest::PumpMessages(100);
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"ringing");
    Tap(CCeMCallControl::KEY_END);  // ignored while it rings
    zentest::PumpMessages(300);
    EXPECT_TRUE(Sent("AT$REL").empty());
    Tap(5);
    ASSERT_TRUE(WaitSent("AT$QCCAV"));
    ASSERT_TRUE(WaitHandled(CALL_CONNECTED));
    EXPECT_TRUE(phone.Lcd().IsCallTimerRunning());
    zentest::PumpMessages(1100);
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"in-call");
    Tap(CCeMCallControl::KEY_END);
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    data.m_CallListDB.Load();
    const CallItem* call = data.m_CallListDB.Nth(CCeCallListDB::kAll, 0);
    ASSERT_NE(nullptr, call);
    EXPECT_EQ(CCeCallListDB::kAnswered, call->nKind);
    EXPECT_STREQ("010-123-4567", call->szNumber);
    EXPECT_GE(call->nSeconds, 1);
}

TEST_F(DialPadCallTest, StarRejectsARingingCall)
{
    card.Module().Ring("0167778888");
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    Tap(CCeMCallControl::KEY_STAR);
    ASSERT_TRUE(WaitSent("AT$REJECT"));
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    data.m_CallListDB.Load();
    EXPECT_EQ(CCeCallListDB::kRejected, data.m_CallListDB.Nth(CCeCallListDB::kAll, 0)->nKind);
}

TEST_F(DialPadCallTest, TheModulesAnswersReachTheServiceScreenThatAskedForThem)
{
    const PhoneStandingScreens standing = PlugInScreens(phone, data);

    // The version page asks the module; the answer goes through the window to it.
    ASSERT_EQ(1, phone.SwitchView(VIEW_VERSION));
    auto* info = dynamic_cast<CCeMWndInfo*>(phone.CurrentScreen());
    ASSERT_NE(nullptr, info);
    ASSERT_TRUE(WaitSent("AT+GMR"));
    EXPECT_TRUE(zentest::WaitUntil([&] { return wcscmp(info->VersionText(), L"ZM-1X2000 V1.20 2004-03-15") == 0; },
                                   5000))
        << info->VersionText();

    // Number assignment: the module's active assignment is checked and may be changed.
    ASSERT_EQ(1, phone.SwitchView(VIEW_NAM));
    auto* nam = dynamic_cast<CCeMWndNam*>(phone.CurrentScreen());
    ASSERT_NE(nullptr, nam);
    const HWND page = nam->GetHwnd();
    ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, CCeMWndNam::kSelectNam)) != 0; },
                                   5000));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, CCeMWndNam::kFirstNam + card.Module().ActiveNam()));

    // The engineering page is painted again with each of the module's answers.
    SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(38, 126));  // its tab
    SendMessageW(page, WM_LBUTTONUP, 0, MAKELPARAM(38, 126));
    zentest::PumpMessages(100);
    UpdateWindow(page);  // the turn's own paint is done before counting
    g_paintWatched = page;
    g_paints = 0;
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, CountPaints, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    const size_t polls = Sent("AT$STSINFO?").size();
    EXPECT_TRUE(WaitSent("AT$STSINFO?", polls + 1));
    EXPECT_TRUE(zentest::WaitUntil([] { return g_paints > 0; }, 4000));
    UnhookWindowsHookEx(hook);
    g_paintWatched = nullptr;
    EXPECT_EQ(1, phone.SwitchView(VIEW_DIALPAD));
}

TEST_F(DialPadCallTest, TheVolumeScreenFollowsTheHardwareButtonsAndTheHandheldVolume)
{
    const int32_t functions[4] = {1, 2, 3, 4};
    memcpy(data.m_Settings.nHwButton, functions, sizeof functions);
    const ProgramData published(data);
    SystemVolume elsewhere;  // another program's hold on the same device
    ASSERT_NE(0, elsewhere.SetStep(5, 0));
    const PhoneStandingScreens standing = PlugInScreens(phone, data);
    ASSERT_EQ(1, phone.SwitchView(VIEW_VOLUME));
    auto* screen = dynamic_cast<CCeMWndVolume*>(phone.CurrentScreen());
    ASSERT_NE(nullptr, screen);
    const HWND hwnd = phone.GetHwnd();

    // A call-volume button: the slider shows the value the module took.
    const int before = phone.Lcd().Indicator(CCeMWndLcd::kSlotCallVolume);
    ASSERT_EQ(before, screen->SliderPos(CCeMWndVolume::kCallSlider));
    const int want = before < 4 ? before + 1 : before - 1;
    SendMessageW(hwnd, WM_CHAR, before < 4 ? 0xC1 : 0xC2, 0);
    ASSERT_TRUE(WaitSent("AT$VOL="));
    EXPECT_TRUE(zentest::WaitUntil([&] { return screen->SliderPos(CCeMWndVolume::kCallSlider) == want; }, 4000))
        << screen->SliderPos(CCeMWndVolume::kCallSlider);

    // A handheld-volume button moves its slider at once.
    SendMessageW(hwnd, WM_CHAR, 0xC3, 0);
    EXPECT_EQ(6, screen->SliderPos(CCeMWndVolume::kHandheldSlider));
    SendMessageW(hwnd, WM_CHAR, 0xC4, 0);
    SendMessageW(hwnd, WM_CHAR, 0xC4, 0);
    EXPECT_EQ(4, screen->SliderPos(CCeMWndVolume::kHandheldSlider));

    // A change made elsewhere shows within ten ticks.
    ASSERT_NE(0, elsewhere.SetStep(11, 0));
    for (int i = 0; i < 10 && screen->SliderPos(CCeMWndVolume::kHandheldSlider) != 11; ++i)
        phone.OnTick();
    EXPECT_EQ(11, screen->SliderPos(CCeMWndVolume::kHandheldSlider));
    EXPECT_EQ(11, phone.Lcd().Indicator(CCeMWndLcd::kSlotHandheldVolume));
    EXPECT_EQ(1, phone.SwitchView(VIEW_DIALPAD));
}

TEST_F(DialPadCallTest, AModuleThatGoesAwayWhileATextIsSentFailsTheRestOfTheRun)
{
    const ProgramData published(data);
    const PhoneStandingScreens standing = PlugInScreens(phone, data);
    auto* messages = dynamic_cast<CCeMWndSMS*>(standing.messages.get());
    ASSERT_NE(nullptr, messages);
    CCeMSmsSenderWnd& sender = messages->Composer();
    card.Module().SetAckMode(zen::sim::SimModule::AckMode::None);  // no verdict comes

    ASSERT_EQ(1, phone.SwitchView(VIEW_MESSAGES));
    messages->ShowComposer();
    sender.ShowFor(L"0107770101", L"hello");
    SendMessageW(sender.GetHwnd(), WM_COMMAND, MAKEWPARAM(CCeMSmsSenderWnd::kSend, BN_CLICKED),
                 reinterpret_cast<LPARAM>(sender.Control(CCeMSmsSenderWnd::kSend)));
    ASSERT_TRUE(WaitSent("AT$SMSMO"));
    ASSERT_EQ(CCeMSmsSenderWnd::kSending, sender.Phase());
    ASSERT_EQ(1, data.m_Call.bSendingMessage);

    // The card leaves the slot: the run ends at once with the message failed.
    PostMessageW(phone.GetHwnd(), CCeMWndPhone::WM_MODEM_WAKE, 0, 0);
    EXPECT_TRUE(zentest::WaitUntil([&] { return sender.Phase() == CCeMSmsSenderWnd::kFinished; }, 3000));
    EXPECT_EQ(1, sender.Failures());
    EXPECT_EQ(0, sender.Successes());
    EXPECT_EQ(0, data.m_Call.bSendingMessage);
    EXPECT_STREQ(L"*** 모뎀 상태 확인 ***", phone.Lcd().MessageText());
}

}  // namespace
