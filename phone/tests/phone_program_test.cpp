// Zentrika.exe as the user runs it: one running copy against the simulated
// module in the slot (served by the modem port driver), driven by pen taps on
// the handheld's screen and by the module's own events. The cases share one
// phone process and run in order; the last one ends it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "ContactFixture.h"
#include "InstallImage.h"
#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "ce_devmgr.h"
#include "nled.h"
#include "phone/CCeMWndPhone.h"
#include "phone/DialPadSkin.h"
#include "phone/NotificationLed.h"
#include "phone/PhoneWindowClass.h"
#include "sim/SimLink.h"
#include "sim/SimModule.h"
#include "stores/CCeDataManager.h"

namespace {

const wchar_t kInstall[] = L"C:\\zenprog";
constexpr int kPadTop = 84;  // the dial pad's place in the main window

std::wstring BinDir()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

// The module's card, which the test pulls and puts back.
class Card {
public:
    Card() : m_pnpId(L"PCMCIA\\CDMA2000_1x_Zentrika_prog" + std::to_wstring(GetCurrentProcessId())), m_link(m_module) {}
    ~Card()
    {
        Remove();
        m_link.Stop();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + m_pnpId).c_str());
    }
    bool Start()
    {
        return m_link.Start(L"progtest" + std::to_wstring(GetCurrentProcessId())) &&
               CeDevMgrRegisterDriver(m_pnpId.c_str(), L"ZentDrv.dll", L"COM") && Insert();
    }
    bool Insert() { return CeDevMgrInsertCard(m_pnpId.c_str(), m_link.Link().c_str(), nullptr, 0) != FALSE; }
    bool Remove() { return CeDevMgrRemoveCard(m_pnpId.c_str()) != FALSE; }
    zen::sim::SimModule& Module() { return m_module; }

private:
    std::wstring m_pnpId;
    zen::sim::SimModule m_module;
    zen::sim::SimLink m_link;
};

HANDLE StartPhone(const std::wstring& args)
{
    const std::wstring exe = BinDir() + L"Zentrika.exe";
    std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

class PhoneProgramTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_store = new cedbtest::ScopedStore(L"phoneprogram");
        contacttest::CreateDatabases();
        contacttest::AddPerson({L"홍길동", L"0101234567"});
        {
            // The handheld plays the ring tone; no key clicks to listen past.
            CCeDataManager settings;
            settings.m_EnvDB.Load();
            settings.m_Settings.nBellSource = 2;
            settings.m_Settings.bKeypadTone = 0;
            settings.m_Settings.bAutoAreaCode = 0;
            ASSERT_NE(0, settings.m_EnvDB.Save());
        }
        ASSERT_TRUE(installimage::Install(kInstall));
        ASSERT_TRUE(installimage::Register(kInstall));

        ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError();
        s_card = new Card;
        s_card->Module().SetRingTiming(400, 150, 50);
        s_card->Module().SetAutoAnswer(-1);
        ASSERT_TRUE(s_card->Start()) << GetLastError();

        s_process = StartPhone(L"");
        ASSERT_NE(nullptr, s_process);
        ASSERT_TRUE(zentest::WaitUntil([] { return (s_phone = FindWindowW(kPhoneWindowClass, kPhoneWindowTitle)); },
                                       20000));
        // The link is up once the module has answered the start-up queries.
        ASSERT_TRUE(zentest::WaitUntil([] { return !SentLines("AT$RINGVOL?").empty(); }, 15000));
        zentest::PumpMessages(1500);
        s_lcd = FindWindowExW(s_phone, nullptr, L"LCD WND", nullptr);
    }
    static void TearDownTestSuite()
    {
        if (s_process) {
            if (WaitForSingleObject(s_process, 0) != WAIT_OBJECT_0) {
                PostMessageW(s_phone, WM_CLOSE, 0, 0);
                if (WaitForSingleObject(s_process, 10000) != WAIT_OBJECT_0)
                    TerminateProcess(s_process, 1);
            }
            CloseHandle(s_process);
        }
        delete s_card;
        CeDevMgrStopInProcess();
        installimage::Unregister();
        delete s_store;
    }

    static std::vector<std::string> SentLines(const std::string& prefix)
    {
        std::vector<std::string> out;
        for (const std::string& c : s_card->Module().Commands())
            if (c.compare(0, prefix.size(), prefix) == 0)
                out.push_back(c);
        return out;
    }
    static bool WaitSent(const std::string& prefix, size_t count, DWORD ms = 5000)
    {
        return zentest::WaitUntil([&] { return SentLines(prefix).size() >= count; }, ms);
    }
    // The display's two lines as it reads them out: message, then number.
    static std::wstring Display()
    {
        wchar_t text[300] = L"";
        DWORD_PTR n = 0;
        SendMessageTimeoutW(s_lcd, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 3000, &n);
        return text;
    }
    static bool WaitDisplay(const std::wstring& part, DWORD ms = 5000)
    {
        return zentest::WaitUntil([&] { return Display().find(part) != std::wstring::npos; }, ms);
    }
    static void TapKey(int key)
    {
        const MultiButtonCellDef* cells = DialPadLayout(false);
        for (int i = 0; i < kDialPadKeys; ++i)
            if (cells[i].id == key) {
                POINT p = {cells[i].left + cells[i].width / 2, kPadTop + cells[i].top + cells[i].height / 2};
                ClientToScreen(s_phone, &p);
                uitest::Tap(p);
                zentest::PumpMessages(120);
            }
    }
    static bool PhoneRunning() { return s_process && WaitForSingleObject(s_process, 0) == WAIT_TIMEOUT; }
    static void Shot(const wchar_t* name)
    {
        zentest::PumpMessages(300);
        zentest::SaveScreenshot(zentest::CaptureScreen(), name);
    }
    static LONGLONG CaptureBytes()
    {
        wchar_t unixPath[MAX_PATH] = L"";
        GetEnvironmentVariableW(L"ZEN_WAVE_CAPTURE", unixPath, MAX_PATH);
        std::wstring p(unixPath);
        WIN32_FILE_ATTRIBUTE_DATA fa;
        if (p.empty() || !GetFileAttributesExW((L"Z:" + p).c_str(), GetFileExInfoStandard, &fa))
            return 0;
        return (static_cast<LONGLONG>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
    }
    // Ends a call from this side and waits until the phone is idle again.
    static void HangUp()
    {
        s_card->Module().RemoteHangUp();
        zentest::PumpMessages(800);
    }

    static cedbtest::ScopedStore* s_store;
    static Card* s_card;
    static HANDLE s_process;
    static HWND s_phone;
    static HWND s_lcd;
};

cedbtest::ScopedStore* PhoneProgramTest::s_store = nullptr;
Card* PhoneProgramTest::s_card = nullptr;
HANDLE PhoneProgramTest::s_process = nullptr;
HWND PhoneProgramTest::s_phone = nullptr;
HWND PhoneProgramTest::s_lcd = nullptr;

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

    HANDLE second = StartPhone(L"call 0123");
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
    second = StartPhone(L"CALL 0456");
    ASSERT_NE(nullptr, second);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 15000));
    CloseHandle(second);
    zentest::PumpMessages(1000);
    EXPECT_EQ(dialled + 1, SentLines("AT$ORI").size());
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
