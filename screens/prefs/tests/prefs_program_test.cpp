// The preference screens in Zentrika.exe as the user runs it, reached by pen
// through the menu bar: a speed-dial slot, ring tones per person and per
// group heard at the sound device when those callers ring, the module's
// volumes on the wire, a caller saved from the call list, and a skin whose
// keys lie elsewhere. The cases share one phone process and run in order.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "ContactFixture.h"
#include "InstallImage.h"
#include "PhoneProgram.h"
#include "Screenshot.h"
#include "SoundFixture.h"
#include "UiInput.h"
#include "WinTest.h"
#include "phone/CCeMCallControl.h"
#include "phone/DialPadSkin.h"
#include "resources/prefs_res.h"
#include "stores/CCeDataManager.h"

namespace {

const wchar_t kBellFolder[] = L"C:\\zenprog\\bell\\";
const wchar_t kType40Folder[] = L"C:\\zenprog\\Skin\\type40";
// Ring tones whose samples all carry one value, so the device's capture
// tells which one played; long enough to outlast a preview's stop.
const wchar_t kPersonBell[] = L"zz_person.wav";
const wchar_t kGroupBell[] = L"zz_group.wav";
constexpr BYTE kPersonValue = 0x30;
constexpr BYTE kGroupValue = 0x58;
constexpr size_t kBellSamples = 8000 * 30;
constexpr size_t kHeard = 4000;  // half a second of one tone

constexpr short kFamilyBit = 3;
const wchar_t kFamily[] = L"가족";
const char kPersonCaller[] = "0105556666";  // in the group, with a bell of his own
const char kGroupCaller[] = "0103334444";   // in the group only
const char kNewCaller[] = "0162223333";     // nobody's yet

// The longest run of `value` the sound device received after byte `from`.
size_t LongestRun(LONGLONG from, BYTE value)
{
    wchar_t unixPath[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ZEN_WAVE_CAPTURE", unixPath, MAX_PATH);
    HANDLE h = CreateFileW((std::wstring(L"Z:") + unixPath).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    LARGE_INTEGER at;
    at.QuadPart = from;
    SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    size_t best = 0, run = 0;
    std::vector<BYTE> buf(1 << 16);
    DWORD got = 0;
    while (ReadFile(h, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got) {
        for (DWORD i = 0; i < got; ++i) {
            run = buf[i] == value ? run + 1 : 0;
            best = run > best ? run : best;
        }
    }
    CloseHandle(h);
    return best;
}

std::vector<BYTE> Mask(short bit)
{
    std::vector<BYTE> mask(static_cast<size_t>(bit / 32 + 1) * 4, 0);
    mask[static_cast<size_t>(bit / 8)] = static_cast<BYTE>(1u << (bit % 8));
    return mask;
}

std::wstring Wide(const char* s) { return std::wstring(s, s + strlen(s)); }

class PrefsProgramTest : public phoneprog::PhoneProgramTest {
protected:
    static void SetUpTestSuite()
    {
        phoneprog::Options options;
        options.storeName = L"prefsprogram";
        options.prepare = [] {
            contacttest::AddCategory(kFamily, kFamilyBit);
            contacttest::AddPerson({L"이순신", L"0105556666", nullptr, nullptr, Mask(kFamilyBit)});
            contacttest::AddPerson({L"박영희", L"0103334444", nullptr, nullptr, Mask(kFamilyBit)});
        };
        StartSession(options);
        ASSERT_TRUE(soundtest::WriteFile(std::wstring(kBellFolder) + kPersonBell, soundtest::MakeWav(kPersonValue, kBellSamples)));
        ASSERT_TRUE(soundtest::WriteFile(std::wstring(kBellFolder) + kGroupBell, soundtest::MakeWav(kGroupValue, kBellSamples)));
        ASSERT_TRUE(installimage::CopyTree(installimage::ImageFolder() + L"\\Skin\\type40", kType40Folder));
    }
    static void TearDownTestSuite()
    {
        EndSession();
        DeleteFileW((std::wstring(kBellFolder) + kPersonBell).c_str());
        DeleteFileW((std::wstring(kBellFolder) + kGroupBell).c_str());
        // The other programs install only the default skin.
        WIN32_FIND_DATAW fd;
        HANDLE f = FindFirstFileW((std::wstring(kType40Folder) + L"\\*").c_str(), &fd);
        if (f != INVALID_HANDLE_VALUE) {
            do
                DeleteFileW((std::wstring(kType40Folder) + L"\\" + fd.cFileName).c_str());
            while (FindNextFileW(f, &fd));
            FindClose(f);
        }
        RemoveDirectoryW(kType40Folder);
    }

    // The screen of a view, once the main window shows it.
    static HWND Screen(const wchar_t* className) { return FindChild(s_phone, className, nullptr); }
    // Opens a view by pen: a bar button, or an item of the bar's pop-ups.
    static HWND Open(UINT command, const wchar_t* className, bool inMenu = false)
    {
        if (!PhoneRunning())
            return nullptr;
        uitest::Activate(s_phone);
        if (!(inMenu ? TapMenuCommand(command) : TapBarButton(command)))
            return nullptr;
        return Screen(className);
    }
    // A call from `caller` rings with the tone whose samples are `value`:
    // the default tone, or another caller's, leaves no long run of it.
    static void ExpectRingsWith(const char* caller, const wchar_t* name, BYTE value, BYTE other)
    {
        const LONGLONG mark = CaptureBytes();
        s_card->Module().Ring(caller);
        ASSERT_TRUE(WaitDisplay(name)) << Display().c_str();
        EXPECT_TRUE(zentest::WaitUntil([&] { return LongestRun(mark, value) >= kHeard; }, 6000))
            << caller << ": its own tone not heard";
        EXPECT_LT(LongestRun(mark, other), 100u);
    }
    static void Close(HWND screen)
    {
        TapAt(screen, 226, 13);
        zentest::WaitUntil([&] { return !IsWindow(screen) || !IsWindowVisible(screen); }, 3000);
    }
    static void TapCentre(HWND control)
    {
        RECT rc;
        GetWindowRect(control, &rc);
        uitest::Tap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        zentest::PumpMessages(200);
    }
    static void TypeDigits(const char* digits)
    {
        for (const char* p = digits; *p; ++p)
            uitest::Key(static_cast<WORD>(*p));
        zentest::PumpMessages(150);
    }
    // Opens a drop-down list by pen and taps the item with this text.
    static bool Choose(HWND combo, const wchar_t* text)
    {
        const LRESULT index =
            SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
        if (index == CB_ERR) {
            ADD_FAILURE() << "no item " << index;
            return false;
        }
        RECT box;
        GetClientRect(combo, &box);
        HWND drop = OpenDropDown(combo, box.right / 2, box.bottom / 2);
        if (!drop) {
            ADD_FAILURE() << "the drop-down list did not open";
            return false;
        }
        const LRESULT height = SendMessageW(drop, LB_GETITEMHEIGHT, 0, 0);
        const LRESULT top = SendMessageW(drop, LB_GETTOPINDEX, 0, 0);
        RECT rc;
        GetClientRect(drop, &rc);
        TapAt(drop, rc.right / 2, static_cast<int>((index - top) * height + height / 2));
        zentest::PumpMessages(200);
        return SendMessageW(combo, CB_GETCURSEL, 0, 0) == index;
    }
    // Closes the phone's message box with this caption by its OK button;
    // false when none came up.
    static bool AnswerBox(const wchar_t* caption)
    {
        HWND box = FindPhoneTopLevel(L"#32770", caption, 4000);
        if (!box)
            return false;
        if (HWND ok = GetDlgItem(box, IDOK))
            TapCentre(ok);
        return zentest::WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 6000);
    }
    static std::wstring ContactName(const char* number)
    {
        CCeDataManager data;
        wchar_t name[64] = L"";
        if (data.m_ContactsDB.OpenDefault(static_cast<HWND>(nullptr)))
            data.m_ContactsDB.NameByNumber(Wide(number).c_str(), name, nullptr, 64);
        return name;
    }
    // Screen point of a key's centre in the default or the type-40 layout.
    static POINT KeyPoint(bool type40, int key)
    {
        const MultiButtonCellDef* cells = DialPadLayout(type40);
        for (int i = 0; i < kDialPadKeys; ++i)
            if (cells[i].id == key)
                return uitest::ScreenPoint(s_phone, cells[i].left + cells[i].width / 2,
                                           84 + cells[i].top + cells[i].height / 2);
        return {};
    }
    // Picks a ring tone by pen; its sound reaches the device at once.
    static void PreviewPlays(HWND choice, const wchar_t* file, BYTE value)
    {
        const LONGLONG mark = CaptureBytes();
        ASSERT_TRUE(Choose(choice, file));
        EXPECT_TRUE(zentest::WaitUntil([&] { return LongestRun(mark, value) >= kHeard; }, 5000))
            << "no preview of " << value;
    }
    // Nothing more reaches the sound device.
    static bool Quiet()
    {
        zentest::PumpMessages(500);
        const LONGLONG stopped = CaptureBytes();
        zentest::PumpMessages(1500);
        return CaptureBytes() - stopped < 8000;
    }
    // The menu bar's pictures stand at the bottom of the screen (soon).
    static bool MenuBarShown()
    {
        return zentest::WaitUntil(
            [] { return zentest::DistinctColors(zentest::CaptureScreen(), RECT{0, 294, 240, 320}) > 4; }, 1500);
    }
    // The pen rests on a client point for longer than a quick tap.
    static void HoldAt(HWND hwnd, int x, int y)
    {
        const POINT at = uitest::ScreenPoint(hwnd, x, y);
        uitest::PenMove(at);
        uitest::PenDown(at);
        zentest::PumpMessages(400);
        uitest::PenUp(at);
    }
    static size_t Count(const std::string& prefix) { return SentLines(prefix).size(); }
};

TEST_F(PrefsProgramTest, HoldingADigitDialsTheSlotAssignedOnTheSpeedDialScreen)
{
    HWND screen = Open(40036, L"CCeMWndSpeedDial");
    ASSERT_NE(nullptr, screen);
    HWND list = FindChild(screen, L"CCeMItemList", nullptr);
    ASSERT_NE(nullptr, list);
    TapAt(list, 60, 20 + 7 * 16 + 8);  // slot 7
    TapAt(screen, 182, 13);             // assign
    HWND name = GetDlgItem(list, 111);
    ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowVisible(name) != FALSE; }, 2000));
    EXPECT_EQ(L"7", TextOf(GetDlgItem(list, 110)));
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"홍길동"));
    TapAt(list, 140, 69);  // the number field
    TypeDigits("0167778888");
    Shot(L"prefs-speeddial-editor");
    // OK held a moment, as a person's tap often is: the editor closes on
    // the lift, after what the pen's press set off.
    HoldAt(list, 122, 93);
    ASSERT_TRUE(zentest::WaitUntil([&] { return !IsWindowVisible(name); }, 2000));
    EXPECT_TRUE(MenuBarShown());
    Shot(L"prefs-speeddial");

    CCeDataManager stored;
    ASSERT_NE(0, stored.m_EasyCallDB.Load());
    wchar_t number[64] = L"";
    ASSERT_NE(0, stored.m_EasyCallDB.Get(7, nullptr, 0, number, 64));
    EXPECT_STREQ(L"0167778888", number);

    Close(screen);
    const size_t dialled = Count("AT$ORI");
    TapKey(CCeMCallControl::KEY_END);  // an empty number line
    // The pen rests on the key before it presses, so the press is not
    // taken for one where the pen was before.
    const POINT seven = KeyPoint(false, 7);
    uitest::PenMoveUntil(seven, [&] {
        POINT at;
        GetCursorPos(&at);
        return at.x == seven.x && at.y == seven.y;
    });
    HoldKey(7, 1200);
    ASSERT_TRUE(WaitSent("AT$ORI", dialled + 1)) << Display().c_str();
    EXPECT_EQ("AT$ORI0167778888", SentLines("AT$ORI").back());
    EXPECT_EQ(dialled + 1, Count("AT$ORI"));
    HangUp();
}

// A person bell and a group bell set with the pen; each caller's ring is
// the tone assigned to him, never the default one.
TEST_F(PrefsProgramTest, PersonAndGroupBellsAreWhatTheirCallersRingWith)
{
    HWND screen = Open(40038, L"CCeMWndUserBell");
    ASSERT_NE(nullptr, screen);
    HWND person = FindChild(screen, L"CCeMItemList", nullptr);
    ASSERT_NE(nullptr, person);
    Shot(L"prefs-userbell");

    TapAt(screen, 182, 13);  // add
    HWND name = GetDlgItem(person, 111);
    ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowVisible(name) != FALSE; }, 2000));
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"이순신"));
    TapCentre(GetDlgItem(person, 112));
    TypeDigits(kPersonCaller);
    // Choosing a tone plays it at once.
    PreviewPlays(GetDlgItem(person, 110), kPersonBell, kPersonValue);
    Shot(L"prefs-userbell-person-editor");
    EXPECT_TRUE(MenuBarShown());
    HoldAt(person, 122, 93);  // OK
    ASSERT_TRUE(zentest::WaitUntil([&] { return !IsWindowVisible(name); }, 2000));
    EXPECT_TRUE(MenuBarShown());

    // The group list, by the kind selector.
    ASSERT_TRUE(Choose(GetDlgItem(screen, 103), L"그룹별"));
    HWND group = nullptr;
    ASSERT_TRUE(zentest::WaitUntil(
        [&] {
            group = FindChild(screen, L"CCeMItemList", nullptr, 0);
            return group && group != person;
        },
        2000));
    TapAt(screen, 182, 13);  // add
    HWND groups = GetDlgItem(group, 113);
    ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowVisible(groups) != FALSE; }, 2000));
    ASSERT_TRUE(Choose(groups, kFamily));
    PreviewPlays(GetDlgItem(group, 110), kGroupBell, kGroupValue);
    Shot(L"prefs-userbell-group-editor");
    HoldAt(group, 122, 74);  // OK
    ASSERT_TRUE(zentest::WaitUntil([&] { return !IsWindowVisible(groups); }, 2000));
    EXPECT_TRUE(MenuBarShown());
    Shot(L"prefs-userbell-group");

    // A preview still playing stops when the lists are switched, and when
    // the screen is left. The tone chosen differs from the one shown, so
    // the choice is a change and plays.
    ASSERT_TRUE(Choose(GetDlgItem(screen, 103), L"개인별"));
    TapAt(screen, 182, 13);
    PreviewPlays(GetDlgItem(person, 110), kGroupBell, kGroupValue);
    ASSERT_TRUE(Choose(GetDlgItem(screen, 103), L"그룹별"));
    EXPECT_TRUE(Quiet()) << "the preview played on after switching lists";
    TapAt(screen, 182, 13);
    PreviewPlays(GetDlgItem(group, 110), kPersonBell, kPersonValue);
    Close(screen);
    EXPECT_TRUE(Quiet()) << "the preview played on after leaving";

    ExpectRingsWith(kPersonCaller, L"이순신", kPersonValue, kGroupValue);
    Shot(L"prefs-person-ringing");
    HangUp();
    ExpectRingsWith(kGroupCaller, L"박영희", kGroupValue, kPersonValue);
    HangUp();
}

TEST_F(PrefsProgramTest, ApplyOnTheVolumeScreenSendsExactlyTheChangedModuleVolumes)
{
    // The module rings for now, so its ring volume can be set.
    HWND alert = Open(40016, L"CCeMWndAlert", true);
    ASSERT_NE(nullptr, alert);
    TapCentre(GetDlgItem(alert, 101));
    Close(alert);

    HWND screen = Open(40021, L"CCeMWndVolume");
    ASSERT_NE(nullptr, screen);
    HWND call = GetDlgItem(screen, 102), ring = GetDlgItem(screen, 103);
    ASSERT_TRUE(IsWindowEnabled(ring));
    zentest::PumpMessages(300);
    const size_t vol = Count("AT$VOL="), ringVol = Count("AT$RINGVOL=");

    // The pen gives a slider the focus; its arrow keys move it a step away
    // from where it stood.
    auto step = [&](HWND slider) {
        const LRESULT was = SendMessageW(slider, TBM_GETPOS, 0, 0);
        RECT rc;
        GetClientRect(slider, &rc);
        TapAt(slider, rc.right / 2, rc.bottom - 3);
        uitest::Key(SendMessageW(slider, TBM_GETPOS, 0, 0) >= was && was > 0 ? VK_LEFT : VK_RIGHT);
        zentest::PumpMessages(150);
        return std::make_pair(was, SendMessageW(slider, TBM_GETPOS, 0, 0));
    };
    const auto callMove = step(call);
    const auto ringMove = step(ring);
    ASSERT_NE(callMove.first, callMove.second);
    ASSERT_NE(ringMove.first, ringMove.second);
    const LRESULT newCall = callMove.second, newRing = ringMove.second;
    Shot(L"prefs-volume");
    EXPECT_TRUE(MenuBarShown());
    TapAt(screen, 204, 13);  // apply
    ASSERT_TRUE(WaitSent("AT$VOL=", vol + 1));
    ASSERT_TRUE(WaitSent("AT$RINGVOL=", ringVol + 1));
    zentest::PumpMessages(800);
    EXPECT_EQ(vol + 1, Count("AT$VOL="));
    EXPECT_EQ(ringVol + 1, Count("AT$RINGVOL="));
    EXPECT_EQ("AT$VOL=" + std::to_string(newCall), SentLines("AT$VOL=").back());
    EXPECT_EQ("AT$RINGVOL=" + std::to_string(newRing), SentLines("AT$RINGVOL=").back());

    // Nothing changed since: apply again sends nothing.
    TapAt(screen, 204, 13);
    zentest::PumpMessages(800);
    EXPECT_EQ(vol + 1, Count("AT$VOL="));
    EXPECT_EQ(ringVol + 1, Count("AT$RINGVOL="));
    Close(screen);

    // The handheld rings again for the cases after this one.
    alert = Open(40016, L"CCeMWndAlert", true);
    ASSERT_NE(nullptr, alert);
    TapCentre(GetDlgItem(alert, 102));
    Close(alert);
}

// The call list's detail page offers a missed caller for the contacts; the
// name typed there is on the display when he calls again.
TEST_F(PrefsProgramTest, ACallerSavedFromTheCallListIsShownByNameOnTheNextCall)
{
    ASSERT_TRUE(PhoneRunning());
    s_card->Module().Ring(kNewCaller);
    ASSERT_TRUE(WaitDisplay(L"전화가 왔습니다.")) << Display().c_str();
    HangUp();

    HWND calls = Open(40007, L"CCeMWndCallList");
    ASSERT_NE(nullptr, calls);
    HWND list = FindChild(calls, L"CCeMItemList", nullptr);
    ASSERT_NE(nullptr, list);
    const POINT row = uitest::ScreenPoint(list, 60, 20 + 8);
    uitest::Tap(row);
    uitest::Tap(row);  // a double tap opens the newest entry's page
    zentest::PumpMessages(400);
    Shot(L"prefs-calllist-detail");

    TapAt(list, 156 + 37, 5 + 36 + 9);  // "add to contacts"
    HWND dialog = FindPhoneTopLevel(L"#32770", L"주소록 추가");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(Wide("016-222-3333"), TextOf(GetDlgItem(dialog, IDC_NUMBER)));
    SendMessageW(GetDlgItem(dialog, IDC_FAMILY_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"김"));
    SendMessageW(GetDlgItem(dialog, IDC_GIVEN_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"철수"));
    // The pen in a name field brings the input panel up; the dialog moves
    // above it, so OK is tapped with the panel still up.
    TapCentre(GetDlgItem(dialog, IDC_GIVEN_NAME));
    HWND panel = FindPhoneTopLevel(L"SipWndClass", nullptr);
    ASSERT_NE(nullptr, panel);
    RECT panelRc, okRc;
    GetWindowRect(panel, &panelRc);
    ASSERT_TRUE(zentest::WaitUntil(
        [&] {
            GetWindowRect(GetDlgItem(dialog, IDOK), &okRc);
            return okRc.bottom <= panelRc.top;
        },
        3000))
        << okRc.bottom << " below the panel's top " << panelRc.top;
    Shot(L"prefs-addcontact");
    TapCentre(GetDlgItem(dialog, IDOK));
    EXPECT_TRUE(AnswerBox(L"알림")) << "no notice after saving";
    ASSERT_TRUE(zentest::WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 3000));
    EXPECT_EQ(L"김철수", ContactName(kNewCaller));

    // Offered again, the number is known: a notice instead of the dialog.
    TapAt(list, 156 + 37, 5 + 36 + 9);
    EXPECT_EQ(nullptr, FindPhoneTopLevel(L"#32770", L"주소록 추가", 1000));
    EXPECT_TRUE(AnswerBox(L"알림")) << "no notice for a known number";
    Close(calls);

    s_card->Module().Ring(kNewCaller);
    EXPECT_TRUE(WaitDisplay(L"전화가 왔습니다.\n김철수")) << Display().c_str();
    Shot(L"prefs-saved-caller-ringing");
    HangUp();
}

TEST_F(PrefsProgramTest, TheType40SkinMovesTheKeysAtOnce)
{
    ASSERT_TRUE(PhoneRunning());
    uitest::Activate(s_phone);
    const RECT pad = {0, 84, 240, 274};
    const zentest::Image before = zentest::CaptureScreen();
    HWND screen = Open(40020, L"CCeMWndSkin", true);
    ASSERT_NE(nullptr, screen);
    HWND folders = FindChild(screen, L"ListBox", nullptr);
    ASSERT_NE(nullptr, folders);
    const LRESULT index =
        SendMessageW(folders, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"type40"));
    ASSERT_NE(LB_ERR, index) << SendMessageW(folders, LB_GETCOUNT, 0, 0) << " folders";
    const LRESULT height = SendMessageW(folders, LB_GETITEMHEIGHT, 0, 0);
    const LRESULT top = SendMessageW(folders, LB_GETTOPINDEX, 0, 0);
    TapAt(folders, 40, static_cast<int>((index - top) * height + height / 2));
    EXPECT_EQ(index, SendMessageW(folders, LB_GETCURSEL, 0, 0));
    Shot(L"prefs-skin");
    EXPECT_TRUE(MenuBarShown());
    Close(screen);
    zentest::PumpMessages(300);

    const zentest::Image after = zentest::CaptureScreen();
    Shot(L"prefs-type40");
    EXPECT_GT(zentest::DifferentShare(before, after, pad), 0.2);

    // Keys 5 and 1 where the second layout has them, then send.
    auto tap = [&](int key) {
        uitest::Tap(KeyPoint(true, key));
        zentest::PumpMessages(150);
    };
    tap(5);
    tap(1);
    EXPECT_TRUE(WaitDisplay(L"\n51")) << Display().c_str();
    const size_t dialled = Count("AT$ORI");
    tap(CCeMCallControl::KEY_SEND);
    ASSERT_TRUE(WaitSent("AT$ORI", dialled + 1));
    EXPECT_EQ("AT$ORI51", SentLines("AT$ORI").back());
    HangUp();
}

}  // namespace
