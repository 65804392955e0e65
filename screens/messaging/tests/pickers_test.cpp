// The contact pickers as modal dialogs driven by real pen taps: preselection,
// toggling, the limit of 30, filters, and the single pick with its refusal.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ModalSteps.h"
#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "resources/messaging_res.h"
#include "screens/messaging/CCeMContactPicker.h"
#include "screens/messaging/CCeMDenyListWnd.h"
#include "screens/messaging/CCeMMultiPicker.h"
#include "screens/messaging/CCeMPhraseBox.h"
#include "stores/CCeSmsMsgDB.h"
#include "stores/tests/ContactFixture.h"

namespace {

using contacttest::Person;

std::wstring TextOf(HWND hwnd)
{
    wchar_t buf[128] = {};
    GetWindowTextW(hwnd, buf, 128);
    return buf;
}

POINT Centre(HWND w)
{
    RECT rc;
    GetWindowRect(w, &rc);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

class PickerTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", store.Folder().c_str());
        contacttest::CreateDatabases();
        contacttest::AddCategory(L"친구", 0);
        contacttest::AddCategory(L"회사", 1);
    }
    void TearDown() override { uitest::StopModalSteps(); }

    void Steps(std::vector<std::function<bool()>> steps)
    {
        settled = 0;
        modaltest::Steps(std::move(steps));
    }
    // The message box over `dialog`, if one is up.
    static HWND BoxOver(HWND dialog)
    {
        for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
             w = FindWindowExW(nullptr, w, L"#32770", nullptr))
            if (w != dialog && GetWindow(w, GW_OWNER) == dialog && IsWindowVisible(w))
                return w;
        return nullptr;
    }
    static bool TapAt(POINT p) { return modaltest::TapAt(p); }
    // The dialog is up, active and drawn: taps now reach it.
    template <class Picker>
    bool Ready(Picker& picker)
    {
        HWND d = picker.GetHwnd();
        if (!d || !picker.List().GetHwnd() || GetForegroundWindow() != d || !IsWindowVisible(d))
            return false;
        return ++settled > 2;  // and stays so for a few ticks
    }
    // Notes the caption of the message box over `dialog` and taps its OK.
    static bool AnswerBox(HWND dialog, std::wstring* caption)
    {
        HWND box = BoxOver(dialog);
        if (!box)
            return false;
        *caption = TextOf(box);
        return TapAt(Centre(GetDlgItem(box, IDOK)));
    }
    static POINT RowPoint(CCeMPickList& list, int row)
    {
        return uitest::ScreenPoint(list.GetHwnd(), 60, (row - list.TopIndex()) * 16 + 8);
    }

    cedbtest::ScopedStore store{L"pickers"};
    CCeCategoriesDB categories;
    CCeContactsDB contacts{&categories};
    int settled = 0;
};

TEST_F(PickerTest, PreselectedNumbersTogglingAndConfirming)
{
    contacttest::AddPerson(Person(L"가영", L"010-1111-0001"));
    contacttest::AddPerson(Person(L"나래", L"010-1111-0002"));
    contacttest::AddPerson(Person(L"다솜", nullptr, L"02-123-4567"));  // no mobile
    contacttest::AddPerson(Person(L"라희", L"010 1111 0004"));         // not a dial string
    CCeMMultiPicker picker(&contacts, &categories);
    picker.AddPreselected(L"01011110001");  // 가영's, written without dashes
    picker.AddPreselected(L"0199998888");   // nobody's
    std::wstring countAtStart, countAfter;
    bool firstShownPicked = false;
    Steps({
        [&] {
            if (!Ready(picker))
                return false;
            countAtStart = TextOf(GetDlgItem(picker.GetHwnd(), IDC_PICK_COUNT));
            firstShownPicked = picker.At(0).name == L"가영";
            zentest::SaveScreenshot(zentest::CaptureScreen(), L"multi_picker");
            return TapAt(RowPoint(picker.List(), 0));  // 가영 off
        },
        [&] { return TapAt(RowPoint(picker.List(), 1)); },  // 나래 on
        [&] { return TapAt(RowPoint(picker.List(), 2)); },  // no mobile
        [&] { return TapAt(RowPoint(picker.List(), 3)); },  // bad number
        [&] {
            countAfter = TextOf(GetDlgItem(picker.GetHwnd(), IDC_PICK_COUNT));
            return TapAt(Centre(GetDlgItem(picker.GetHwnd(), IDOK)));
        },
    });
    ASSERT_EQ(1, picker.Run(nullptr));
    EXPECT_EQ(L"총 선택된 사람 : 2 / 30", countAtStart);
    EXPECT_TRUE(firstShownPicked);  // the preselected number took over its contact
    EXPECT_EQ(L"총 선택된 사람 : 2 / 30", countAfter);
    ASSERT_EQ(2, picker.Count());
    EXPECT_STREQ(L"0199998888", picker.Number(0));
    EXPECT_STREQ(L"010-1111-0002", picker.Number(1));
    EXPECT_EQ(L"나래", picker.At(1).name);
    EXPECT_EQ(nullptr, picker.Number(2));
    EXPECT_FALSE(contacts.IsOpen());  // the picker opened it, so it closed it

    // Cancelled: the selection is what it was before.
    Steps({[&] {
        if (!Ready(picker))
            return false;
        return TapAt(RowPoint(picker.List(), 0));
    },
           [&] { return TapAt(Centre(GetDlgItem(picker.GetHwnd(), IDCANCEL))); }});
    EXPECT_EQ(IDCANCEL, picker.Run(nullptr));
    EXPECT_EQ(2, picker.Count());
}

TEST_F(PickerTest, TheThirtyFirstIsRefusedUntilOneIsTakenOff)
{
    for (int i = 0; i < 31; ++i) {
        const std::wstring n = L"이름" + std::to_wstring(10 + i);
        const std::wstring m = L"010-2222-" + std::to_wstring(1000 + i);
        contacttest::AddPerson(Person(n.c_str(), m.c_str()));
    }
    CCeMMultiPicker picker(&contacts, &categories);
    for (int i = 0; i < 30; ++i)
        picker.AddPreselected((L"0102222" + std::to_wstring(1000 + i)).c_str());
    picker.AddPreselected(L"0103333");  // a 31st recipient is not taken
    std::wstring boxCaption, count;
    Steps({
        [&] {
            if (!Ready(picker))
                return false;
            // The last contact is below the first page: scroll it into view.
            SendMessageW(picker.List().GetHwnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 30), 0);
            return true;
        },
        [&] { return TapAt(RowPoint(picker.List(), 30)); },
        [&] { return AnswerBox(picker.GetHwnd(), &boxCaption); },
        [&] { return TapAt(RowPoint(picker.List(), 29)); },  // one off
        [&] { return TapAt(RowPoint(picker.List(), 30)); },  // now taken
        [&] {
            if (BoxOver(picker.GetHwnd()))
                return false;
            count = TextOf(GetDlgItem(picker.GetHwnd(), IDC_PICK_COUNT));
            return TapAt(Centre(GetDlgItem(picker.GetHwnd(), IDOK)));
        },
    });
    ASSERT_EQ(1, picker.Run(nullptr));
    EXPECT_EQ(0u, boxCaption.find(L"알림"));
    EXPECT_EQ(L"총 선택된 사람 : 30 / 30", count);
    ASSERT_EQ(30, picker.Count());
    EXPECT_STREQ(L"010-2222-1030", picker.Number(29));
    for (int i = 0; i < 30; ++i)
        EXPECT_NE(std::wstring(L"010-2222-1029"), picker.Number(i));
}

TEST_F(PickerTest, CategoryAndNumberFragmentFilterTheList)
{
    contacttest::AddPerson(Person(L"친구1", L"010-555-0001", nullptr, nullptr, {0x01, 0, 0, 0}));
    contacttest::AddPerson(Person(L"친구2", L"010-777-0002", nullptr, nullptr, {0x01, 0, 0, 0}));
    contacttest::AddPerson(Person(L"동료", L"010-555-0003", nullptr, nullptr, {0x02, 0, 0, 0}));
    contacttest::AddPerson(Person(L"둘다", L"010-555-0004", L"02-555-0000", nullptr, {0x03, 0, 0, 0}));
    CCeMMultiPicker picker(&contacts, &categories);
    int all = -1, inCategory = -1, combos = -1;
    std::vector<std::wstring> shown;
    Steps({
        [&] {
            if (!Ready(picker))
                return false;
            all = picker.List().ItemCount();
            HWND cat = GetDlgItem(picker.GetHwnd(), IDC_PICK_CATEGORY);
            combos = static_cast<int>(SendMessageW(cat, CB_GETCOUNT, 0, 0));
            SendMessageW(cat, CB_SETCURSEL, 1, 0);  // 친구
            SendMessageW(picker.GetHwnd(), WM_COMMAND, MAKEWPARAM(IDC_PICK_CATEGORY, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(cat));
            inCategory = picker.List().ItemCount();
            SendDlgItemMessageW(picker.GetHwnd(), IDC_PICK_KIND, CB_SETCURSEL, 1, 0);  // 번호
            SetDlgItemTextW(picker.GetHwnd(), IDC_PICK_TEXT, L"555");
            return true;
        },
        [&] { return TapAt(Centre(GetDlgItem(picker.GetHwnd(), IDC_PICK_SEARCH))); },
        [&] {
            shown.clear();
            for (int i = 0; i < contacts.Count(); ++i)
                shown.push_back(contacts.At(i)->pszDisplayName);
            return TapAt(Centre(GetDlgItem(picker.GetHwnd(), IDCANCEL)));
        },
    });
    EXPECT_EQ(IDCANCEL, picker.Run(nullptr));
    EXPECT_EQ(4, all);
    EXPECT_EQ(3, combos);  // "모두 보기" and two categories
    EXPECT_EQ(3, inCategory);
    // Each contact once, though 둘다 has the fragment in two numbers.
    EXPECT_EQ((std::vector<std::wstring>{L"친구1", L"둘다"}), shown);
}

TEST_F(PickerTest, SinglePickRefusesAnEmptyChoiceAndReturnsTheContact)
{
    contacttest::AddPerson(Person(L"가영", L"010-1111-0001", L"02-111-2222", L"031-333-4444", {}, 0));
    contacttest::AddPerson(Person(L"나래", nullptr, L"02-999-8888"));
    CCeMContactPicker picker(&contacts, &categories);
    std::wstring boxCaption;
    bool stayedOpen = false;
    Steps({
        [&] {
            if (!Ready(picker))
                return false;
            return TapAt(Centre(GetDlgItem(picker.GetHwnd(), IDOK)));  // nothing chosen
        },
        [&] { return AnswerBox(picker.GetHwnd(), &boxCaption); },
        [&] {
            if (BoxOver(picker.GetHwnd()))
                return false;
            stayedOpen = IsWindowVisible(picker.GetHwnd()) != 0;
            return TapAt(RowPoint(picker.List(), 0));
        },
        [&] { return TapAt(Centre(GetDlgItem(picker.GetHwnd(), IDOK))); },
    });
    ASSERT_EQ(1, picker.Run(nullptr));
    EXPECT_EQ(0u, boxCaption.find(L"알림"));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(L"가영", picker.Name());
    EXPECT_EQ(L"010-1111-0001", picker.Mobile());
    EXPECT_EQ(L"02-111-2222", picker.Home());
    EXPECT_EQ(L"031-333-4444", picker.Office());
    EXPECT_FALSE(picker.Preferred().empty());

    // Cancelled: 2 and an empty result.
    Steps({[&] {
        if (!Ready(picker))
            return false;
        return TapAt(Centre(GetDlgItem(picker.GetHwnd(), IDCANCEL)));
    }});
    EXPECT_EQ(IDCANCEL, picker.Run(nullptr));
    EXPECT_TRUE(picker.Name().empty());
}

TEST_F(PickerTest, DenyListSearchTakesAContactWithoutAMobileNumber)
{
    contacttest::AddPerson(Person(L"나래", nullptr, L"02-999-8888"));
    HWND host = uitest::MakeHost(L"deny search");
    uitest::Activate(host);
    CCeDenyCallDB deny;
    SettingsBlock settings = {};
    CCeMDenyListWnd list(&deny, &settings);
    ASSERT_EQ(1, list.Create({2, 25, 236, 293}, host, WS_VISIBLE, 7));
    CCeMContactPicker picker(&contacts, &categories);
    list.SetContactPicker([&](HWND owner, std::wstring* name, std::wstring* mobile) {
        const INT_PTR r = picker.Run(owner);
        *name = picker.Name();
        *mobile = picker.Mobile();
        return static_cast<int>(r);
    });
    list.OnCommand(0, CCeMDenyListWnd::kAddButton, nullptr);
    SetWindowTextW(list.NumberEdit(), L"typed");
    Steps({
        [&] {
            if (!Ready(picker))
                return false;
            return TapAt(RowPoint(picker.List(), 0));
        },
        [&] { return TapAt(Centre(GetDlgItem(picker.GetHwnd(), IDOK))); },
    });
    uitest::Tap(Centre(GetDlgItem(list.GetHwnd(), CCeMDenyListWnd::kSearch)));
    zentest::PumpMessages(50);
    EXPECT_EQ(L"나래", TextOf(list.NameEdit()));
    EXPECT_EQ(L"", TextOf(list.NumberEdit()));
    list.Destroy();
    DestroyWindow(host);
}

// The phrase box's cell column: the middle of cell `i`.
POINT CellPoint(CCeMPhraseBox& box, int i)
{
    RECT rc;
    GetWindowRect(box.Cells().GetHwnd(), &rc);
    return {rc.left + 20, rc.top + i * 24 + 12};
}

bool CellEnabled(CCeMPhraseBox& box, int id)
{
    for (int i = 0; i < box.Cells().CellCount(); ++i)
        if (box.Cells().CellAt(i)->id == id)
            return box.Cells().CellAt(i)->enabled != 0;
    return false;
}

// Position, phrase and the arrows that are on, as the box shows them.
std::wstring Shown(CCeMPhraseBox& box)
{
    wchar_t text[64] = {};
    GetDlgItemTextW(box.GetHwnd(), IDC_PHRASE_TEXT, text, 64);
    return box.PositionText() + L" " + text + (CellEnabled(box, 3) ? L" <" : L"") + (CellEnabled(box, 4) ? L" >" : L"");
}

// Notes what the box shows, then taps a cell; a step tried again (the
// pointer not there yet) notes nothing twice.
bool NoteAndTap(CCeMPhraseBox& box, int cell, std::vector<std::wstring>* seen)
{
    const std::wstring now = Shown(box);
    if (!modaltest::TapAt(CellPoint(box, cell)))
        return false;
    seen->push_back(now);
    return true;
}

TEST_F(PickerTest, PhraseBoxStepsDeletesAndChooses)
{
    CCeSmsMsgDB phrases;
    for (const wchar_t* t : {L"다음에 연락", L"가는 중", L"나중에 전화"})
        ASSERT_EQ(1, phrases.Add(t));
    CCeMPhraseBox box;
    std::vector<std::wstring> seen;  // position text and phrase after each step
    // Notes what the box shows, then taps a cell; a step tried again (the
    // pointer not there yet) notes nothing twice.
    auto noteAndTap = [&](int cell) { return NoteAndTap(box, cell, &seen); };
    auto ready = [&] { return box.GetHwnd() && box.Cells().GetHwnd() && IsWindowVisible(box.GetHwnd()); };
    Steps({
        [&] {
            if (!ready() || ++settled < 3)
                return false;
            zentest::SaveScreenshot(zentest::CaptureScreen(), L"phrase_box");
            return noteAndTap(4);  // next
        },
        [&] { return noteAndTap(4); },
        [&] { return noteAndTap(4); },  // at the last: greyed, nothing
        [&] { return noteAndTap(0); },  // delete the last
        [&] { return noteAndTap(3); },  // previous
        [&] { return noteAndTap(1); },  // choose
    });
    ASSERT_EQ(1, box.Run(nullptr));
    const std::vector<std::wstring> expected = {
        L"1/3 가는 중 >", L"2/3 나중에 전화 < >", L"3/3 다음에 연락 <", L"3/3 다음에 연락 <",
        L"2/2 나중에 전화 <", L"1/2 가는 중 >"};
    EXPECT_EQ(expected, seen);
    EXPECT_EQ(L"가는 중", box.Chosen());
    phrases.Load();
    EXPECT_EQ(2, phrases.Count());  // the delete reached the store

    // Deleting every phrase leaves "0/0" with both arrows off; choose then
    // does nothing and cancel answers 2.
    seen.clear();
    Steps({
        [&] {
            if (!ready() || ++settled < 3)
                return false;
            return TapAt(CellPoint(box, 0));
        },
        [&] { return TapAt(CellPoint(box, 0)); },
        [&] { return noteAndTap(1); },
        [&] { return noteAndTap(2); },
    });
    EXPECT_EQ(IDCANCEL, box.Run(nullptr));
    EXPECT_EQ((std::vector<std::wstring>{L"0/0 ", L"0/0 "}), seen);
    EXPECT_TRUE(box.Chosen().empty());
}

// Opened on a store that was never made, and on an empty one: "0/0", both
// arrows off, no text; choose and delete do nothing and cancel answers 2.
TEST_F(PickerTest, PhraseBoxWithoutPhrases)
{
    for (int round = 0; round < 2; ++round) {
        if (round == 1) {
            CCeSmsMsgDB phrases;
            ASSERT_EQ(1, phrases.Load());  // makes the database, empty
            ASSERT_EQ(0, phrases.Count());
        }
        CCeMPhraseBox box;
        std::wstring position, text;
        bool arrows = true, open = false;
        Steps({
            [&] {
                if (!box.GetHwnd() || !IsWindowVisible(box.GetHwnd()) || ++settled < 3)
                    return false;
                return TapAt(CellPoint(box, 1));  // choose: nothing to choose
            },
            [&] { return TapAt(CellPoint(box, 0)); },  // delete: nothing to delete
            [&] {
                wchar_t t[64] = {};
                GetDlgItemTextW(box.GetHwnd(), IDC_PHRASE_TEXT, t, 64);
                text = t;
                position = box.PositionText();
                arrows = CellEnabled(box, 3) || CellEnabled(box, 4);
                open = IsWindowVisible(box.GetHwnd()) != 0;
                return TapAt(CellPoint(box, 2));
            },
        });
        EXPECT_EQ(IDCANCEL, box.Run(nullptr)) << round;
        EXPECT_EQ(L"0/0", position) << round;
        EXPECT_EQ(L"", text) << round;
        EXPECT_FALSE(arrows) << round;
        EXPECT_TRUE(open) << round;
        EXPECT_TRUE(box.Chosen().empty()) << round;
    }
}

// A thousand phrases: opened quickly at "1/1000", stepped by pen, walked to
// the last one, one deleted in the middle, and one chosen.
TEST_F(PickerTest, PhraseBoxWithAThousandPhrases)
{
    {
        CCeSmsMsgDB phrases;
        for (int i = 0; i < 1000; ++i) {
            wchar_t t[32];
            swprintf(t, 32, L"문구 %04d", i);
            ASSERT_EQ(1, phrases.Add(t)) << i;
        }
    }
    CCeMPhraseBox box;
    std::vector<std::wstring> seen;
    auto note = [&] { seen.push_back(Shown(box)); };
    auto noteAndTap = [&](int cell) { return NoteAndTap(box, cell, &seen); };
    auto press = [&](int cell) {
        SendMessageW(box.GetHwnd(), WM_COMMAND, MAKEWPARAM(CCeMPhraseBox::kCellsId, 0),
                     MAKELPARAM(cell, CCeMMultiButton::PRESS_TAP));
    };
    DWORD opened = 0;
    const DWORD start = GetTickCount();
    Steps({
        [&] {
            if (!box.GetHwnd() || !IsWindowVisible(box.GetHwnd()))
                return false;
            if (!opened)
                opened = GetTickCount() - start;
            if (++settled < 3)
                return false;
            return noteAndTap(4);
        },
        [&] { return TapAt(CellPoint(box, 4)); },
        [&] { return noteAndTap(0); },  // delete "문구 0002"
        [&] {
            note();  // the delete's outcome
            for (int i = 0; i < 1200; ++i)  // past the end: stops at the last
                press(4);
            note();
            press(0);  // delete the last: back to the one before
            note();
            return true;
        },
        [&] { return TapAt(CellPoint(box, 1)); },
    });
    ASSERT_EQ(1, box.Run(nullptr));
    EXPECT_LT(opened, 2000u);
    const std::vector<std::wstring> expected = {L"1/1000 문구 0000 >", L"3/1000 문구 0002 < >",
                                                L"3/999 문구 0003 < >", L"999/999 문구 0999 <",
                                                L"998/998 문구 0998 <"};
    EXPECT_EQ(expected, seen);
    EXPECT_EQ(L"문구 0998", box.Chosen());
    CCeSmsMsgDB phrases;
    phrases.Load();
    EXPECT_EQ(998, phrases.Count());
}

}  // namespace
