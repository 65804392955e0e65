// Zentrika.exe's service screens as the user reaches them: the hidden code on
// the dial pad and the menu bar's items, pen taps and key presses, against
// the simulated module in the slot. The cases share one phone process and
// run in order.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "PhoneProgram.h"
#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "phone/CCeMCallControl.h"
#include "stores/CCeDataManager.h"

namespace {

// Control ids of the service screens in the main window: the first view of each screen.
constexpr int kPasswordScreen = 11;
constexpr int kInfoScreen = 15;
constexpr int kButtonsScreen = 20;
constexpr int kResetScreen = 21;
constexpr int kLockScreen = 23;
constexpr int kNamScreen = 28;
constexpr int kCallListView = 3;
constexpr int kClose = 100;

class ServiceProgramTest : public phoneprog::PhoneProgramTest {
protected:
    static void SetUpTestSuite()
    {
        phoneprog::Options options;
        options.storeName = L"serviceprogram";
        StartSession(options);
    }
    static void TearDownTestSuite() { EndSession(); }

    // The visible screen with control id `id` in the main window, or null.
    static HWND Screen(int id, DWORD ms = 5000)
    {
        HWND found = nullptr;
        zentest::WaitUntil(
            [&] {
                found = GetDlgItem(s_phone, id);
                return found && IsWindowVisible(found);
            },
            ms);
        return found && IsWindowVisible(found) ? found : nullptr;
    }
    static bool Gone(int id, DWORD ms = 3000)
    {
        return zentest::WaitUntil(
            [&] {
                HWND w = GetDlgItem(s_phone, id);
                return !w || !IsWindowVisible(w);
            },
            ms);
    }
    static void TapControl(HWND screen, int id)
    {
        HWND control = GetDlgItem(screen, id);
        ASSERT_NE(nullptr, control) << id;
        RECT rc;
        GetClientRect(control, &rc);
        TapAt(control, rc.right / 2, rc.bottom / 2);
    }
    // The menu bar stands above the phone's window (it is the phone's own pop-up).
    static bool BarOnTop()
    {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w == s_phone)
                return false;
            wchar_t cls[32] = L"";
            GetClassNameW(w, cls, 32);
            if (wcscmp(cls, L"menu_worker") == 0 && GetWindow(w, GW_OWNER) == s_phone && IsWindowVisible(w))
                return true;
        }
        return false;
    }
    // The menu bar's pictures are on the screen, whatever window is in front.
    static bool BarShown()
    {
        return zentest::DistinctColors(zentest::CaptureScreen(), RECT{0, 294, 240, 320}) > 4;
    }
    // The phone in front, then the menu item by pen.
    static bool Menu(UINT command)
    {
        uitest::Activate(s_phone);
        zentest::WaitUntil([] { return GetForegroundWindow() == s_phone; }, 3000);
        return TapMenuCommand(command);
    }
    static bool Enabled(HWND screen, int id) { return IsWindowEnabled(GetDlgItem(screen, id)) != 0; }
    static bool WaitText(HWND w, const std::wstring& text, DWORD ms = 5000)
    {
        return zentest::WaitUntil([&] { return TextOf(w) == text; }, ms);
    }
    // Lines the module received from the `from`th on that start with one of `prefixes`.
    static std::vector<std::string> Lines(size_t from, std::initializer_list<const char*> prefixes)
    {
        const std::vector<std::string> all = s_card->Module().Commands();
        std::vector<std::string> out;
        for (size_t i = from; i < all.size(); ++i)
            for (const char* p : prefixes)
                if (all[i].rfind(p, 0) == 0) {
                    out.push_back(all[i]);
                    break;
                }
        return out;
    }
    static size_t CommandCount() { return s_card->Module().Commands().size(); }
    // A text of the countdown dialog, read from its controls.
    static std::wstring BoxText(HWND box)
    {
        std::wstring text;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            text += TextOf(c) + L"|";
        return text;
    }
    // The phone's notice box (caption "알림"), or null.
    static HWND Notice(DWORD ms = 5000) { return FindPhoneTopLevel(L"#32770", L"알림", ms); }
    static void TapDigits(const char* digits)
    {
        for (const char* c = digits; *c; ++c)
            TapKey(*c == '#' ? CCeMCallControl::KEY_HASH : *c == '*' ? CCeMCallControl::KEY_STAR : *c - '0');
    }
    // A key of the password keypad (0-9, 10 clear, 11 confirm): three
    // columns of 1-9, then clear, 0, confirm.
    static void TapPassKey(HWND screen, int code)
    {
        HWND pad = GetDlgItem(screen, 101);
        ASSERT_NE(nullptr, pad);
        RECT rc;
        GetClientRect(pad, &rc);
        const int cell = code == 0 ? 10 : code == 10 ? 9 : code == 11 ? 11 : code - 1;
        const int w = rc.right / 3, h = rc.bottom / 4;
        TapAt(pad, (cell % 3) * w + w / 2, (cell / 3) * h + h / 2);
    }
    static void TypePassword(HWND screen, const char* digits)
    {
        for (const char* c = digits; *c; ++c)
            TapPassKey(screen, *c - '0');
        zentest::PumpMessages(200);
    }
    static SettingsBlock StoredSettings()
    {
        CCeDataManager data;
        data.m_EnvDB.Load();
        return data.m_Settings;
    }
    // The link is up again: the start-up queries went out once more and the
    // display no longer speaks of the module.
    static bool LinkCameBack(size_t batteryQueriesBefore, DWORD ms)
    {
        return WaitSent("AT$BATT?", batteryQueriesBefore + 1, ms) &&
               zentest::WaitUntil([] { return Display().find(L"모뎀") == std::wstring::npos; }, 8000);
    }
};

TEST_F(ServiceProgramTest, TheHiddenCodeOpensTheNumberScreenAndA017NumberIsProgrammedThroughAReset)
{
    ASSERT_TRUE(PhoneRunning());
    uitest::Activate(s_phone);
    TapDigits("#391624875#208#");
    HWND nam = Screen(kNamScreen);
    ASSERT_NE(nullptr, nam);
    // The module's answer to the assignment query enables the choice.
    ASSERT_TRUE(zentest::WaitUntil([&] { return Enabled(nam, 107); }, 5000));
    EXPECT_EQ(BST_CHECKED, SendMessageW(GetDlgItem(nam, 102), BM_GETCHECK, 0, 0));
    EXPECT_TRUE(WaitText(nam, L"현재 전화 번호\r\n\r\n01012345678")) << TextOf(nam).c_str();
    EXPECT_EQ(std::wstring::npos, Display().find(L"#391")) << Display().c_str();  // the code left the line
    Shot(L"service-nam-number");
    TapAt(nam, 38, 86);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(nam, 102)));
    Shot(L"service-nam-select");
    const size_t polls = SentLines("AT$STSINFO?").size();
    TapAt(nam, 38, 126);
    EXPECT_TRUE(WaitSent("AT$STSINFO?", polls + 1, 4000));
    Shot(L"service-nam-engineering");
    TapAt(nam, 38, 46);

    HWND edit = GetDlgItem(nam, 110);
    ASSERT_TRUE(IsWindowVisible(edit));
    TapAt(edit, 10, 8);
    for (char c : std::string("0171234567"))
        uitest::Key(static_cast<WORD>(c));
    zentest::PumpMessages(200);
    ASSERT_EQ(L"0171234567", TextOf(edit));
    const size_t from = CommandCount();
    const size_t opens = SentLines("AT$BATT?").size();
    TapControl(nam, 101);

    // The countdown runs in the caption while the module is programmed and
    // reset; the card leaves the slot and comes back meanwhile.
    HWND box = FindPhoneTopLevel(L"#32770", L"알림(", 5000);
    ASSERT_NE(nullptr, box);
    EXPECT_NE(std::wstring::npos, BoxText(box).find(L"번호를 바꾸고 있습니다.")) << BoxText(box).c_str();
    std::vector<int> counts;
    size_t nearEnd = 0;
    bool moduleGone = false;
    bool barBesideBox = false;
    const DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box) && GetTickCount() - start < 45000) {
        const std::wstring caption = TextOf(box);
        const size_t open = caption.find(L'(');
        if (open != std::wstring::npos) {
            const int n = _wtoi(caption.c_str() + open + 1);
            if (counts.empty() || counts.back() != n)
                counts.push_back(n);
            if (n <= 3 && !nearEnd)
                nearEnd = CommandCount();
            if (counts.size() == 4 && n > 30) {
                barBesideBox = zentest::WaitUntil(BarShown, 3000);
                Shot(L"service-nam-countdown");
            }
        }
        moduleGone = moduleGone || Display().find(L"모뎀 상태 확인") != std::wstring::npos;
        zentest::PumpMessages(150);
    }
    ASSERT_FALSE(IsWindow(box) && IsWindowVisible(box));
    EXPECT_TRUE(barBesideBox) << "no menu bar on the screen during the countdown";
    ASSERT_GE(counts.size(), 20u);
    EXPECT_GE(counts.front(), 33);
    EXPECT_LE(counts.back(), 2);
    for (size_t i = 1; i < counts.size(); ++i)
        EXPECT_LT(counts[i], counts[i - 1]);
    EXPECT_TRUE(moduleGone);
    EXPECT_TRUE(LinkCameBack(opens, 5000)) << Display().c_str();

    ASSERT_NE(0u, nearEnd);
    ASSERT_TRUE(zentest::WaitUntil([&] { return Lines(nearEnd, {"AT$NAM?"}).size() == 1; }, 5000));
    EXPECT_EQ((std::vector<std::string>{"AT$BWMODE=NAMING", "AT$NAM=1", "AT$PHONENUM=0171234567", "AT$BWMODE=RESET"}),
              Lines(from, {"AT$BWMODE", "AT$NAM=", "AT$PHONENUM"}));
    EXPECT_TRUE(Lines(from, {"AT$NAM?"}) == Lines(nearEnd, {"AT$NAM?"}));  // none before the end
    EXPECT_EQ((std::vector<std::string>{"AT$DIAL?", "AT$NAM?"}), Lines(nearEnd, {"AT$DIAL?", "AT$NAM?"}));
    EXPECT_EQ(1, s_card->Module().ActiveNam());
    EXPECT_EQ("0171234567", s_card->Module().OwnNumber());

    EXPECT_TRUE(WaitText(nam, L"현재 전화 번호\r\n\r\n0171234567")) << TextOf(nam).c_str();
    TapAt(nam, 38, 86);
    EXPECT_EQ(BST_CHECKED, SendMessageW(GetDlgItem(nam, 103), BM_GETCHECK, 0, 0));
    TapAt(nam, 38, 46);
    Shot(L"service-nam-programmed");
    TapControl(nam, kClose);
    EXPECT_TRUE(Gone(kNamScreen));
}

TEST_F(ServiceProgramTest, TheOwnNumberPageAndTheBannerShowTheNewNumber)
{
    ASSERT_TRUE(PhoneRunning());
    EXPECT_TRUE(WaitDisplay(L"\n0171234567")) << Display().c_str();
    ASSERT_TRUE(Menu(40018));
    HWND info = Screen(kInfoScreen);
    ASSERT_NE(nullptr, info);
    EXPECT_TRUE(WaitText(info, L"내 전화 번호\r\n\r\n0171234567")) << TextOf(info).c_str();
    Shot(L"service-info-ownnumber");
    TapAt(info, 49, 44);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(info, 101)));
    EXPECT_EQ(L"", TextOf(GetDlgItem(info, 101)));
    Shot(L"service-info-greeting");
}

TEST_F(ServiceProgramTest, AModuleThatNeverAnswersTheVersionQueryIsToldAndThePhoneStaysUsable)
{
    ASSERT_TRUE(PhoneRunning());
    HWND info = Screen(kInfoScreen);
    ASSERT_NE(nullptr, info);
    zen::sim::SimModule& module = s_card->Module();
    module.SetSilent(true);
    const size_t asked = SentLines("AT+GMR").size();
    TapAt(info, 49, 122);
    EXPECT_TRUE(WaitSent("AT+GMR", asked + 1));
    EXPECT_NE(std::wstring::npos, TextOf(info).find(L"모듈 버전\r\nReading...")) << TextOf(info).c_str();
    Shot(L"service-info-version-reading");
    EXPECT_TRUE(zentest::WaitUntil([&] { return TextOf(info).find(L"모듈 응답 없음") != std::wstring::npos; }, 15000))
        << TextOf(info).c_str();
    Shot(L"service-info-version-noanswer");
    module.SetSilent(false);

    // The screen closes and the phone dials as before.
    TapControl(info, kClose);
    EXPECT_TRUE(Gone(kInfoScreen));
    const size_t dialled = SentLines("AT$ORI").size();
    TapDigits("0167778888");
    TapKey(CCeMCallControl::KEY_SEND);
    EXPECT_TRUE(WaitSent("AT$ORI", dialled + 1, 8000));
    EXPECT_TRUE(WaitDisplay(L"전화를 걸고 있습니다...", 8000)) << Display().c_str();
    HangUp();
}

TEST_F(ServiceProgramTest, AWrongPasswordKeepsTheLockScreenClosedAndTheRightOneLocksThePhone)
{
    ASSERT_TRUE(PhoneRunning());
    ASSERT_TRUE(Menu(40013));
    HWND password = Screen(kPasswordScreen);
    ASSERT_NE(nullptr, password);
    Shot(L"service-password");
    TapControl(password, kClose);
    ASSERT_TRUE(Gone(kPasswordScreen));

    ASSERT_TRUE(Menu(40026));
    HWND lock = Screen(kLockScreen);
    ASSERT_NE(nullptr, lock);
    Shot(L"service-lock-closed");
    TypePassword(lock, "1234");
    zentest::PumpMessages(800);  // the keypad shakes
    EXPECT_FALSE(Enabled(lock, 102));
    EXPECT_FALSE(Enabled(lock, 103));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(lock, 101)));
    TypePassword(lock, "7294");
    ASSERT_TRUE(zentest::WaitUntil([&] { return Enabled(lock, 102); }, 3000));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(lock, 101)));
    Shot(L"service-lock-open");
    TapControl(lock, 102);
    EXPECT_TRUE(zentest::WaitUntil([] { return StoredSettings().bPhoneLocked == 1; }, 3000));
    TapAt(lock, 49, 83);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(lock, 110)));
    EXPECT_TRUE(Enabled(lock, 110));
    Shot(L"service-lock-restrictions");
    TapControl(lock, kClose);
    EXPECT_TRUE(Gone(kLockScreen));
}

TEST_F(ServiceProgramTest, ALockedPhoneHidesTheNextCallerAndRefusesTheNextDial)
{
    ASSERT_TRUE(PhoneRunning());
    ASSERT_EQ(1, StoredSettings().bPhoneLocked);
    s_card->Module().Ring("0101234567");
    EXPECT_TRUE(WaitDisplay(L"\n폰이 잠겨 있습니다.")) << Display().c_str();
    Shot(L"service-locked-ring");
    HangUp();

    uitest::Activate(s_phone);
    const size_t dialled = SentLines("AT$ORI").size();
    TapDigits("0101234567");
    TapKey(CCeMCallControl::KEY_SEND);
    EXPECT_TRUE(WaitDisplay(L"*** 휴대폰이 잠김 ***")) << Display().c_str();
    Shot(L"service-locked-dial");
    zentest::PumpMessages(500);
    EXPECT_EQ(dialled, SentLines("AT$ORI").size());

    // Unlocked again with the password.
    ASSERT_TRUE(Menu(40026));
    HWND lock = Screen(kLockScreen);
    ASSERT_NE(nullptr, lock);
    TypePassword(lock, "7294");
    ASSERT_TRUE(zentest::WaitUntil([&] { return Enabled(lock, 103); }, 3000));
    TapControl(lock, 103);
    EXPECT_TRUE(zentest::WaitUntil([] { return StoredSettings().bPhoneLocked == 0; }, 3000));
    TapControl(lock, kClose);
    EXPECT_TRUE(Gone(kLockScreen));
}

TEST_F(ServiceProgramTest, AnApplicationKeyAssignedToTheCallListOpensItWhenPressed)
{
    ASSERT_TRUE(PhoneRunning());
    ASSERT_TRUE(Menu(40022));
    HWND buttons = Screen(kButtonsScreen);
    ASSERT_NE(nullptr, buttons);
    HWND list = GetDlgItem(buttons, 101);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(11, SendMessageW(list, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(list, CB_GETCURSEL, 0, 0));
    Shot(L"service-hwbuttons");
    // The pen opens the list; the keys pick "5. 통화목록".
    RECT rc;
    GetClientRect(list, &rc);
    TapAt(list, rc.right / 2, rc.bottom / 2);
    ASSERT_TRUE(zentest::WaitUntil([&] { return SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 2000));
    for (int i = 0; i < 5; ++i)
        uitest::Key(VK_DOWN);
    uitest::Key(VK_RETURN);
    ASSERT_TRUE(zentest::WaitUntil([&] { return SendMessageW(list, CB_GETCURSEL, 0, 0) == 5; }, 2000));
    EXPECT_EQ(L"5. 통화목록", TextOf(list));
    EXPECT_TRUE(zentest::WaitUntil([] { return StoredSettings().nHwButton[0] == 5; }, 3000));
    // Neither the drop-down nor the pen on the controls leaves the menu bar under the window.
    EXPECT_TRUE(zentest::WaitUntil(BarOnTop, 2500));
    Shot(L"service-hwbuttons-assigned");
    TapControl(buttons, kClose);
    ASSERT_TRUE(Gone(kButtonsScreen));

    HWND callList = GetDlgItem(s_phone, kCallListView);
    ASSERT_NE(nullptr, callList);
    EXPECT_FALSE(IsWindowVisible(callList));
    uitest::Activate(s_phone);
    uitest::Key(0xC1);
    EXPECT_TRUE(zentest::WaitUntil([&] { return IsWindowVisible(callList) != 0; }, 3000));
    EXPECT_TRUE(zentest::WaitUntil(BarOnTop, 2500));
    Shot(L"service-hwbutton-calllist");
}

TEST_F(ServiceProgramTest, ModuleResetRefusesDuringACallAndOtherwiseTheLinkComesBack)
{
    ASSERT_TRUE(PhoneRunning());
    s_card->Module().Ring("0101234567");
    ASSERT_TRUE(WaitDisplay(L"전화가 왔습니다.")) << Display().c_str();
    TapKey(5);
    ASSERT_TRUE(WaitDisplay(L"통화시간")) << Display().c_str();

    ASSERT_TRUE(Menu(40023));
    HWND reset = Screen(kResetScreen);
    ASSERT_NE(nullptr, reset);
    Shot(L"service-reset");
    const size_t resets = SentLines("AT$BWMODE=RESET").size();
    TapControl(reset, 101);
    // The hang-up notice (its text is checked where the screen is tested
    // in-process) closes by itself; nothing went to the module.
    HWND box = Notice();
    ASSERT_NE(nullptr, box);
    Shot(L"service-reset-refused");
    EXPECT_TRUE(zentest::WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 8000));
    EXPECT_EQ(resets, SentLines("AT$BWMODE=RESET").size());
    EXPECT_NE(nullptr, Screen(kResetScreen, 0));
    HangUp();

    // Idle, the reset goes out; while its notice stands, the module leaves
    // the slot and comes back and the link opens again.
    const size_t opens = SentLines("AT$BATT?").size();
    TapControl(reset, 101);
    ASSERT_TRUE(WaitSent("AT$BWMODE=RESET", resets + 1));
    box = Notice();
    ASSERT_NE(nullptr, box);
    bool moduleGone = false;
    bool shot = false;
    const DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box) && GetTickCount() - start < 20000) {
        if (Display().find(L"*** 모뎀 상태 확인 ***") != std::wstring::npos) {
            moduleGone = true;
            if (!shot)
                Shot(L"service-reset-waiting");
            shot = true;
        }
        zentest::PumpMessages(150);
    }
    EXPECT_GE(GetTickCount() - start, 10000u);  // the wait of about 15 seconds
    EXPECT_FALSE(IsWindow(box) && IsWindowVisible(box));
    EXPECT_TRUE(moduleGone);
    EXPECT_TRUE(LinkCameBack(opens, 2000)) << Display().c_str();
    EXPECT_TRUE(Gone(kResetScreen));
    Shot(L"service-reset-done");

    s_card->Module().Ring("0167778888");
    EXPECT_TRUE(WaitDisplay(L"전화가 왔습니다.")) << Display().c_str();
    HangUp();
}

}  // namespace
