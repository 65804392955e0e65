// The call screens inside Zentrika.exe, driven by pen and keys against the
// simulated module: the call list after real calls, calling back from its
// detail page, the ring tone chosen on the alert screen, a number added on
// the rejection screen, the area code, and a counter reset. The cases share
// one phone process and run in order: each builds on the calls before it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "CallRowText.h"
#include "CallsTestHost.h"
#include "ContactFixture.h"
#include "PhoneProgram.h"
#include "SoundFixture.h"
#include "UiInput.h"
#include "WinTest.h"
#include "phone/CCeMCallControl.h"
#include "stores/CCeDataManager.h"

namespace {

constexpr UINT kLeft = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
constexpr uint8_t kFirstTone = 0x41, kSecondTone = 0x42;
const wchar_t kFirstToneFile[] = L"C:\\zenprog\\bell\\a-first.wav";
const wchar_t kSecondToneFile[] = L"C:\\zenprog\\bell\\a-second.wav";

std::string Stamp(const SYSTEMTIME& t)
{
    char out[20];
    snprintf(out, sizeof out, "%04u%02u%02u%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return out;
}

std::string Now()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    return Stamp(t);
}

// Bytes of one value in what reached the sound device so far.
size_t Captured(uint8_t value)
{
    wchar_t unixPath[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ZEN_WAVE_CAPTURE", unixPath, MAX_PATH);
    const soundtest::Bytes b = soundtest::ReadAll(L"Z:" + std::wstring(unixPath));
    return static_cast<size_t>(std::count(b.begin(), b.end(), value));
}

SettingsBlock StoredSettings()
{
    SettingsBlock b{};
    CCeEnvDB env(b, L"");
    env.Load();
    return b;
}

class CallsProgramTest : public phoneprog::PhoneProgramTest {
protected:
    static void SetUpTestSuite()
    {
        phoneprog::Options options;
        options.storeName = L"callsprogram";
        options.prepare = [] { contacttest::AddPerson({L"홍길동", L"010-4321-8765"}); };
        StartSession(options);
    }
    static void TearDownTestSuite()
    {
        EndSession();
        // The bell folder is shared with the other phone programs.
        DeleteFileW(kFirstToneFile);
        DeleteFileW(kSecondToneFile);
    }

    void SetUp() override
    {
        ASSERT_TRUE(PhoneRunning());
        uitest::Activate(s_phone);
        zentest::PumpMessages(200);
        RaiseBar();
    }
    void TearDown() override
    {
        // The whole screen as each case leaves it.
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        Shot((L"callsprog_end_" + std::wstring(name.begin(), name.end())).c_str());
    }

    // Whether the phone's menu bar lies above the phone's window.
    static bool BarOnTop()
    {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w == s_phone)
                return false;
            wchar_t cls[32] = L"";
            GetClassNameW(w, cls, 32);
            if (wcscmp(cls, L"menu_worker") == 0 && GetWindow(w, GW_OWNER) == s_phone)
                return true;
        }
        return false;
    }
    // After the call list has been shown the bar can end up under the phone's
    // window; the phone raises it again when it is activated anew.
    static void RaiseBar()
    {
        if (BarOnTop())
            return;
        HWND other = uitest::MakeHost(L"other");
        SetWindowPos(other, HWND_TOP, 0, 0, 240, 320, SWP_SHOWWINDOW);
        uitest::Activate(other);
        zentest::WaitUntil([&] { return GetForegroundWindow() == other; }, 3000);
        DestroyWindow(other);
        uitest::Activate(s_phone);
        zentest::WaitUntil([] { return BarOnTop(); }, 3000);
    }
    static bool Menu(UINT command)
    {
        RaiseBar();
        return TapMenuCommand(command);
    }
    static HWND Screen(const wchar_t* cls) { return FindChild(s_phone, cls, nullptr); }
    static void TapCentre(HWND w)
    {
        RECT rc;
        GetWindowRect(w, &rc);
        uitest::Tap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        zentest::PumpMessages(200);
    }
    // Taps OK in the phone's next message box; its caption, or "" when none came.
    static std::wstring AnswerBox()
    {
        HWND box = FindPhoneTopLevel(L"#32770", nullptr, 3000);
        if (!box)
            return L"";
        const std::wstring caption = TextOf(box);
        TapCentre(GetDlgItem(box, IDOK));
        return caption;
    }
    static void Back(HWND screen)
    {
        TapAt(screen, 240 - 14, 13);
        zentest::WaitUntil([&] { return !IsWindow(screen) || !IsWindowVisible(screen); }, 3000);
    }
    static void TypeKeys(const char* keys)
    {
        for (const char* k = keys; *k; ++k)
            uitest::Key(static_cast<WORD>(*k));
        zentest::PumpMessages(200);
    }
    static void Dial(const char* digits)
    {
        for (const char* d = digits; *d; ++d)
            TapKey(*d - '0');
        TapKey(CCeMCallControl::KEY_SEND);
    }

    // The call list screen, by the menu bar's button.
    static HWND OpenCallList()
    {
        RaiseBar();
        if (!TapBarButton(40007))
            return nullptr;
        return Screen(L"CCeMWndCallList");
    }
    static void PickFilter(HWND list, int item)
    {
        HWND drop = OpenDropDown(list, 27, 13);
        ASSERT_NE(nullptr, drop);
        const int h = static_cast<int>(SendMessageW(drop, LB_GETITEMHEIGHT, 0, 0));
        ASSERT_GT(h, 0);
        RECT rc;
        GetClientRect(drop, &rc);
        TapAt(drop, rc.right / 2, item * h + h / 2);
        zentest::PumpMessages(300);
    }
    static bool HeaderSays(const zentest::Image& img, const wchar_t* text)
    {
        return callstest::ShowsTextWithin(img, {50, 3, 200, 23}, 50, 192, text, RGB(255, 255, 255),
                                          DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    // A row of the call list in screen-window coordinates (list at 2, 25).
    static RECT Row(int r, int x0, int x1) { return {2 + x0, 45 + r * 16, 2 + x1, 45 + r * 16 + 16}; }
    static bool RowShows(const zentest::Image& img, int r, const CallItem& c)
    {
        wchar_t who[64], when[64];
        COLORREF ink = 0;
        CallRowText::Party(c, who, 64);
        CallRowText::When(c, when, 64, &ink);
        const bool party = callstest::ShowsText(img, Row(r, 40, 128), who, RGB(0, 0, 0), kLeft);
        const bool time = callstest::ShowsText(img, Row(r, 130, 220), when, ink, kLeft);
        EXPECT_TRUE(party) << "row " << r << " party";
        EXPECT_TRUE(time) << "row " << r << " time";
        return party && time;
    }

    static std::string s_before;
};

std::string CallsProgramTest::s_before;

TEST_F(CallsProgramTest, CallsMadeAndTakenAreListedUnderTheirFilters)
{
    s_before = Now();
    // Dialled and answered by the other side.
    Dial("0167778888");
    ASSERT_TRUE(WaitSent("AT$ORI", 1));
    s_card->Module().RemoteAnswer();
    ASSERT_TRUE(WaitDisplay(L"통화시간")) << Display().c_str();
    zentest::PumpMessages(1500);
    HangUp();
    // Taken: a tap on a key answers.
    s_card->Module().Ring("0105551234");
    ASSERT_TRUE(WaitDisplay(L"전화가 왔습니다.")) << Display().c_str();
    TapKey(5);
    ASSERT_TRUE(WaitSent("AT$QCCAV", 1));
    zentest::PumpMessages(2200);
    TapKey(CCeMCallControl::KEY_END);
    ASSERT_TRUE(WaitSent("AT$REL", 1));
    zentest::PumpMessages(800);
    // Rang and stopped.
    s_card->Module().Ring("0169990000");
    ASSERT_TRUE(WaitDisplay(L"전화가 왔습니다.")) << Display().c_str();
    s_card->Module().RemoteHangUp();
    ASSERT_TRUE(WaitDisplay(L"부재중 통화")) << Display().c_str();
    const std::string after = Now();

    CCeCallListDB db;
    ASSERT_EQ(1, db.Load());
    ASSERT_EQ(3, db.Count(CCeCallListDB::kAll));
    const CallItem missed = *db.Nth(CCeCallListDB::kAll, 0);
    const CallItem taken = *db.Nth(CCeCallListDB::kAll, 1);
    const CallItem dialled = *db.Nth(CCeCallListDB::kAll, 2);
    EXPECT_EQ(CCeCallListDB::kMissed, missed.nKind);
    EXPECT_EQ(CCeCallListDB::kAnswered, taken.nKind);
    EXPECT_EQ(CCeCallListDB::kOutgoing, dialled.nKind);
    EXPECT_GE(taken.nSeconds, 2);
    EXPECT_GE(dialled.nSeconds, 1);
    for (const CallItem* c : {&missed, &taken, &dialled}) {
        EXPECT_LE(s_before, std::string(c->szTimeStamp));
        EXPECT_GE(after, std::string(c->szTimeStamp));
    }

    HWND list = OpenCallList();
    ASSERT_NE(nullptr, list);
    zentest::Image img = callstest::Shot(list, L"callsprog_list_all");
    EXPECT_TRUE(HeaderSays(img, L"총 통화 : 3 개"));
    RowShows(img, 0, missed);
    RowShows(img, 1, taken);
    RowShows(img, 2, dialled);
    EXPECT_TRUE(callstest::ShowsText(img, Row(0, 130, 220), L"부재중 전화", RGB(255, 0, 0), kLeft));

    PickFilter(list, 1);
    img = callstest::Shot(list, L"callsprog_list_dialled");
    EXPECT_TRUE(HeaderSays(img, L"총 발신 : 1 개"));
    RowShows(img, 0, dialled);
    PickFilter(list, 2);
    img = callstest::Shot(list, L"callsprog_list_received");
    EXPECT_TRUE(HeaderSays(img, L"총 수신 : 1 개"));
    RowShows(img, 0, taken);
    PickFilter(list, 3);
    img = callstest::Shot(list, L"callsprog_list_missed");
    EXPECT_TRUE(HeaderSays(img, L"총 부재/거부 : 1 개"));
    EXPECT_FALSE(HeaderSays(img, L"총 부재/거부 : 2 개"));
    RowShows(img, 0, missed);
    PickFilter(list, 0);
    Back(list);
}

TEST_F(CallsProgramTest, CallingBackFromTheDetailPageDialsTheNumber)
{
    HWND list = OpenCallList();
    ASSERT_NE(nullptr, list);
    HWND rows = GetDlgItem(list, 103);
    ASSERT_NE(nullptr, rows);
    // Row 1: the call taken from 010-555-1234.
    callstest::DoubleTapAt(rows, 80, 20 + 16 + 8);
    HWND call = GetDlgItem(rows, 300);
    ASSERT_NE(nullptr, call);
    ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowVisible(call) != 0; }, 3000));
    const zentest::Image img = callstest::Shot(list, L"callsprog_detail");
    EXPECT_TRUE(callstest::ShowsText(img, {2 + 5, 25 + 65, 2 + 154, 25 + 85}, L"종류 : 수신", RGB(0, 0, 255),
                                     DT_LEFT | DT_TOP | DT_SINGLELINE));

    const size_t dialled = SentLines("AT$ORI").size();
    zentest::PumpMessages(GetDoubleClickTime() + 50);
    TapCentre(call);
    ASSERT_TRUE(WaitSent("AT$ORI", dialled + 1));
    EXPECT_EQ("AT$ORI0105551234", SentLines("AT$ORI").back());
    EXPECT_TRUE(WaitDisplay(L"전화를 걸고 있습니다...")) << Display().c_str();
    HangUp();
}

TEST_F(CallsProgramTest, TheRingToneChosenOnTheAlertScreenIsTheOneThatRings)
{
    // Two tones whose samples each carry one value: the capture tells them apart.
    ASSERT_TRUE(soundtest::WriteFile(kFirstToneFile, soundtest::MakeWav(kFirstTone, 8000 * 3)));
    ASSERT_TRUE(soundtest::WriteFile(kSecondToneFile, soundtest::MakeWav(kSecondTone, 8000 * 3)));

    auto choose = [](int item, const wchar_t* shot) {
        ASSERT_TRUE(Menu(40016));
        HWND alert = Screen(L"CCeMWndAlert");
        ASSERT_NE(nullptr, alert);
        HWND bells = GetDlgItem(alert, 103);
        ASSERT_NE(nullptr, bells);
        ASSERT_TRUE(IsWindowEnabled(bells));
        const int h = static_cast<int>(SendMessageW(bells, LB_GETITEMHEIGHT, 0, 0));
        ASSERT_GT(h, 0);
        SendMessageW(bells, LB_SETTOPINDEX, 0, 0);
        TapAt(bells, 40, item * h + h / 2);
        callstest::Shot(alert, shot);
        Back(alert);
        zentest::PumpMessages(500);
    };
    // Sorted together with the shipped tones, the two come first.
    choose(1, L"callsprog_bell_second");
    EXPECT_STREQ(L"a-second.wav", StoredSettings().szBellFile);
    choose(0, L"callsprog_bell_first");
    EXPECT_STREQ(L"a-first.wav", StoredSettings().szBellFile);

    auto ringAndMeasure = [](const char* caller, size_t* first, size_t* second) {
        const size_t f0 = Captured(kFirstTone), s0 = Captured(kSecondTone);
        s_card->Module().Ring(caller);
        EXPECT_TRUE(WaitDisplay(L"전화가 왔습니다.")) << Display().c_str();
        zentest::PumpMessages(2500);
        s_card->Module().RemoteHangUp();
        zentest::PumpMessages(800);
        *first = Captured(kFirstTone) - f0;
        *second = Captured(kSecondTone) - s0;
    };
    size_t first = 0, second = 0;
    ringAndMeasure("0162220001", &first, &second);
    EXPECT_GT(first, 8000u) << second;
    EXPECT_LT(second, 2000u) << first;

    // Chosen the other way round: the other tone rings.
    choose(1, L"callsprog_bell_second_again");
    ringAndMeasure("0162220002", &first, &second);
    EXPECT_GT(second, 8000u) << first;
    EXPECT_LT(first, 2000u) << second;

    // The alert page, for the record.
    ASSERT_TRUE(Menu(40015));
    HWND alert = Screen(L"CCeMWndAlert");
    ASSERT_NE(nullptr, alert);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(alert, 111)));
    callstest::Shot(alert, L"callsprog_alert_page");
    Back(alert);
}

TEST_F(CallsProgramTest, ANumberAddedOnTheRejectionScreenIsRejected)
{
    ASSERT_TRUE(Menu(40037));
    HWND screen = Screen(L"CCeMWndRejectCall");
    ASSERT_NE(nullptr, screen);
    HWND list = GetDlgItem(screen, 103);
    ASSERT_NE(nullptr, list);
    callstest::Shot(screen, L"callsprog_reject_empty");
    TapAt(screen, 240 - 68 + 10, 13);  // add
    HWND ok = GetDlgItem(list, 103);
    ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowVisible(ok) != 0; }, 3000));

    // "Search" fills both entries from the contact picked.
    TapCentre(GetDlgItem(list, 105));
    HWND picker = FindPhoneTopLevel(L"#32770", nullptr);
    ASSERT_NE(nullptr, picker);
    zentest::PumpMessages(300);
    HWND people = GetDlgItem(picker, 1031);
    ASSERT_NE(nullptr, people);
    TapAt(people, 60, 8);
    callstest::Shot(picker, L"callsprog_reject_picker");
    TapCentre(GetDlgItem(picker, IDOK));
    ASSERT_TRUE(zentest::WaitUntil([&] { return !IsWindow(picker) || !IsWindowVisible(picker); }, 3000));
    HWND name = FindChild(list, nullptr, L"홍길동");
    ASSERT_NE(nullptr, name);
    EXPECT_NE(nullptr, FindChild(list, nullptr, L"010-4321-8765"));

    // Typed over: the name by keys, the number after a tap on its entry.
    TapCentre(name);
    uitest::Key(VK_END);
    for (int i = 0; i < 5; ++i)
        uitest::Key(VK_BACK);
    TypeKeys("SPAM");
    TapAt(list, 145, 49);
    uitest::Key(VK_END);
    for (int i = 0; i < 15; ++i)
        uitest::Key(VK_BACK);
    TapAt(list, 145, 49);
    TypeKeys("0161234567");
    callstest::Shot(screen, L"callsprog_reject_add_page");
    TapCentre(ok);
    EXPECT_TRUE(zentest::WaitUntil([&] { return !IsWindowVisible(ok); }, 3000));
    callstest::Shot(screen, L"callsprog_reject_listed");
    {
        CCeDenyCallDB deny;
        ASSERT_EQ(1, deny.Load());
        ASSERT_EQ(1, deny.ItemCount());
        EXPECT_EQ(0, _wcsicmp(L"spam", deny.ItemAt(0)->pszName)) << deny.ItemAt(0)->pszName;
        EXPECT_STREQ(L"0161234567", deny.ItemAt(0)->pszNumber);
    }
    Back(screen);

    const size_t rejected = SentLines("AT$REJECT").size();
    s_card->Module().Ring("0161234567");
    ASSERT_TRUE(WaitSent("AT$REJECT", rejected + 1));
    // The module ends a rejected call at once and the end of the call clears
    // the display's notice, so only the ring that never came is checked here.
    zentest::PumpMessages(1500);
    EXPECT_EQ(std::wstring::npos, Display().find(L"전화가 왔습니다.")) << Display().c_str();
    CCeCallListDB db;
    ASSERT_EQ(1, db.Load());
    const CallItem* last = db.Nth(CCeCallListDB::kAll, 0);
    ASSERT_NE(nullptr, last);
    EXPECT_EQ(CCeCallListDB::kRejected, last->nKind);
    EXPECT_STREQ("016-123-4567", last->szNumber);

    // Listed with the missed calls.
    HWND calls = OpenCallList();
    ASSERT_NE(nullptr, calls);
    PickFilter(calls, 3);
    const zentest::Image img = callstest::Shot(calls, L"callsprog_list_rejected");
    EXPECT_TRUE(HeaderSays(img, L"총 부재/거부 : 4 개"));
    EXPECT_TRUE(callstest::ShowsText(img, Row(0, 130, 220), L"수신 거부/제한", RGB(255, 0, 0), kLeft));
    PickFilter(calls, 0);
    Back(calls);

    // Another caller still rings.
    s_card->Module().Ring("0161234568");
    EXPECT_TRUE(WaitDisplay(L"전화가 왔습니다.")) << Display().c_str();
    EXPECT_EQ(rejected + 1, SentLines("AT$REJECT").size());
    HangUp();
}

TEST_F(CallsProgramTest, AnAreaCodeSetOnItsScreenGoesBeforeTheNextTypedNumber)
{
    ASSERT_TRUE(Menu(40014));
    HWND screen = Screen(L"CCeMWndAutoDDD");
    ASSERT_NE(nullptr, screen);
    HWND code = GetDlgItem(screen, 104);
    ASSERT_NE(nullptr, code);
    TapCentre(code);
    uitest::Key(VK_END);
    for (int i = 0; i < 12; ++i)
        uitest::Key(VK_BACK);
    TypeKeys("031");
    TapCentre(GetDlgItem(screen, 101));  // on
    callstest::Shot(screen, L"callsprog_areacode");
    const SettingsBlock s = StoredSettings();
    EXPECT_EQ(1, s.bAutoAreaCode);
    EXPECT_STREQ(L"031", s.szAreaCode);
    Back(screen);

    const size_t dialled = SentLines("AT$ORI").size();
    Dial("1234567");
    ASSERT_TRUE(WaitSent("AT$ORI", dialled + 1));
    EXPECT_EQ("AT$ORI0311234567", SentLines("AT$ORI").back());
    HangUp();

    // A number typed with its own leading 0 is not prefixed.
    Dial("0101239876");
    ASSERT_TRUE(WaitSent("AT$ORI", dialled + 2));
    EXPECT_EQ("AT$ORI0101239876", SentLines("AT$ORI").back());
    HangUp();
}

TEST_F(CallsProgramTest, ResettingOneCounterLeavesTheOthers)
{
    const SettingsBlock before = StoredSettings();
    ASSERT_GT(before.nLastInSeconds, 0);
    ASSERT_GT(before.nTotalInSeconds, 0);
    ASSERT_GT(before.nLastOutSeconds + before.nTotalOutSeconds, 0);
    ASSERT_TRUE(Menu(40025));
    HWND info = Screen(L"CCeMWndCallInfo");
    ASSERT_NE(nullptr, info);
    callstest::Shot(info, L"callsprog_callinfo_before");
    TapAt(info, 185 + 21, 42 + 10);  // reset of the last call taken
    EXPECT_EQ(0u, AnswerBox().find(L"알림"));
    zentest::PumpMessages(300);

    const SettingsBlock after = StoredSettings();
    EXPECT_EQ(0, after.nLastInSeconds);
    EXPECT_EQ(before.nTotalInSeconds, after.nTotalInSeconds);
    EXPECT_EQ(before.nLastOutSeconds, after.nLastOutSeconds);
    EXPECT_EQ(before.nTotalOutSeconds, after.nTotalOutSeconds);
    const zentest::Image img = callstest::Shot(info, L"callsprog_callinfo_after");
    wchar_t total[32];
    swprintf(total, 32, L"%02d:%02d:%02d", after.nTotalInSeconds / 3600, after.nTotalInSeconds / 60 % 60,
             after.nTotalInSeconds % 60);
    const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    EXPECT_TRUE(callstest::ShowsText(img, {123, 40, 175, 60}, L"00:00:00", RGB(0, 0, 255), flags));
    EXPECT_TRUE(callstest::ShowsText(img, {123, 61, 175, 81}, total, RGB(0, 0, 255), flags));
    Back(info);
}

}  // namespace
