// The phonebook in Zentrika.exe as the user has it: opened from the menu
// bar by pen, filtered by category and a number fragment, a call from a
// row's hold menu, imports by the contacts tool while it is shown, and bad
// contacts and a database removed under it. One phone process; the cases
// run in order and build on each other.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ContactFixture.h"
#include "PhoneProgram.h"
#include "Process.h"
#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "screens/messaging/CCeMWndContacts.h"

namespace {

using contacttest::Person;

constexpr UINT kPhonebookCommand = 40004;  // the menu bar's phonebook button
// The phonebook's controls.
constexpr int kCategoryId = CCeMWndContacts::kCategory;
constexpr int kSearchId = CCeMWndContacts::kSearch;
constexpr int kKindId = CCeMWndContacts::kSearchKind;
constexpr int kEditId = CCeMWndContacts::kSearchEdit;
constexpr int kListId = CCeMWndContacts::kList;
constexpr int kRowHeight = CCeMContactListWnd::kRowHeight;

std::vector<BYTE> Mask(int bits)
{
    return {static_cast<BYTE>(bits), 0, 0, 0};
}

class PhonebookProgramTest : public phoneprog::PhoneProgramTest {
protected:
    static void SetUpTestSuite()
    {
        phoneprog::Options options;
        options.storeName = L"phonebookprogram";
        options.prepare = [] {
            contacttest::AddCategory(L"친구", 0);
            contacttest::AddCategory(L"회사", 1);
            // The bad ones first: rows 0 to 2 of the whole list.
            const std::wstring longName = L"긴" + std::wstring(4999, L'가');
            contacttest::AddPerson(Person(longName.c_str(), L"010-1234-5678"));
            contacttest::AddPerson(Person(L"번호없음"));
            contacttest::AddPersonWithNumbers(L"사십", 40);
            contacttest::AddPerson(Person(L"친구1", L"010-555-0001", nullptr, nullptr, Mask(1)));
            contacttest::AddPerson(Person(L"친구2", L"010-777-0002", nullptr, nullptr, Mask(1)));
            contacttest::AddPerson(Person(L"동료", L"010-555-0003", nullptr, nullptr, Mask(2)));
            // The fragment in two of its numbers: still listed once.
            contacttest::AddPerson(Person(L"둘다", L"010-555-0004", L"02-555-0000", nullptr, Mask(3)));
        };
        StartSession(options);
    }
    static void TearDownTestSuite() { EndSession(); }

    static HWND Phonebook() { return FindChild(s_phone, L"CCeMWndContacts", nullptr, 3000); }
    static HWND Control(int id) { return GetDlgItem(Phonebook(), id); }

    // Whether the phone's menu bar stands above the phone's window.
    static bool BarAbovePhone()
    {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w == s_phone)
                return false;
            wchar_t cls[32] = L"";
            if (GetClassNameW(w, cls, 32) && wcscmp(cls, L"menu_worker") == 0 && GetWindow(w, GW_OWNER) == s_phone)
                return true;
        }
        return false;
    }
    static HWND PhoneFocus()
    {
        GUITHREADINFO gi = {};
        gi.cbSize = sizeof gi;
        GetGUIThreadInfo(GetWindowThreadProcessId(s_phone, nullptr), &gi);
        return gi.hwndFocus;
    }
    // Opens the phonebook from the menu bar when it is not in front.
    static HWND OpenPhonebook()
    {
        uitest::Activate(s_phone);
        HWND view = FindChild(s_phone, L"CCeMWndContacts", nullptr, 300);
        if (!view) {
            TapBarButton(kPhonebookCommand);
            view = Phonebook();
        }
        zentest::PumpMessages(200);
        return view;
    }

    static void TapCentre(HWND w)
    {
        RECT rc;
        GetClientRect(w, &rc);
        TapAt(w, rc.right / 2, rc.bottom / 2);
    }

    // Opens a drop-down combo box by pen and taps its entry.
    static bool ChooseByPen(int comboId, int entry)
    {
        HWND combo = Control(comboId);
        HWND drop = OpenDropDown(combo, 20, 10);
        if (!drop)
            return false;
        const int h = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
        const int top = static_cast<int>(SendMessageW(drop, LB_GETTOPINDEX, 0, 0));
        TapAt(drop, 20, (entry - top) * h + h / 2);
        zentest::PumpMessages(200);
        return SendMessageW(combo, CB_GETCURSEL, 0, 0) == entry;
    }

    // Types into the search edit with the keys and searches with its button.
    static void Search(const wchar_t* keys, int erase = 0)
    {
        TapCentre(Control(kEditId));
        for (int i = 0; i < erase; ++i)
            uitest::Key(VK_BACK);
        for (const wchar_t* k = keys; *k; ++k)
            uitest::Key(static_cast<WORD>(*k));
        zentest::PumpMessages(150);
        TapCentre(Control(kSearchId));
        zentest::PumpMessages(300);
    }

    // Dark pixels of the name column of a row, as the screen shows it.
    static int RowInk(int row)
    {
        HWND list = Control(kListId);
        POINT at = {4, row * kRowHeight};
        ClientToScreen(list, &at);
        const auto shot = zentest::CaptureScreen();
        return zentest::CountPixels(shot, RECT{at.x, at.y + 2, at.x + 90, at.y + kRowHeight - 2}, 0, 90);
    }
    static int ListedRows()
    {
        zentest::PumpMessages(200);
        int rows = 0;
        while (rows < 7 && RowInk(rows) > 10)
            ++rows;
        return rows;
    }

    // Holds the pen on a row until its menu comes up and taps the menu's
    // first item ("전화 걸기"). False when no menu came.
    static bool CallFromRow(int row)
    {
        HWND list = Control(kListId);
        const POINT p = uitest::ScreenPoint(list, 40, row * kRowHeight + kRowHeight / 2);
        uitest::PenMove(p);
        uitest::PenDown(p);
        HWND menu = FindPhoneTopLevel(L"#32768", nullptr, 4000);
        uitest::PenUp(p);
        if (!menu)
            return false;
        zentest::PumpMessages(200);
        RECT rc;
        GetWindowRect(menu, &rc);
        uitest::Tap({rc.left + 30, rc.top + 10});
        zentest::PumpMessages(400);
        // A greyed item leaves the menu up.
        if (IsWindowVisible(menu)) {
            uitest::Key(VK_ESCAPE);
            zentest::PumpMessages(200);
        }
        return true;
    }

    static bool Import(const char* cards)
    {
        const std::wstring file = s_store->Folder() + L"\\cards.vcf";
        contacttest::WriteFileBytes(file.c_str(), std::vector<BYTE>(cards, cards + strlen(cards)));
        HANDLE tool = zentest::StartProgram(L"zencontacts.exe", L"import \"" + file + L"\"");
        if (!tool)
            return false;
        const DWORD code = zentest::WaitExit(tool, 30000);
        CloseHandle(tool);
        return code == 0;
    }
};

TEST_F(PhonebookProgramTest, TheMenuBarOpensThePhonebookByPen)
{
    ASSERT_TRUE(PhoneRunning());
    uitest::Activate(s_phone);
    ASSERT_TRUE(TapBarButton(kPhonebookCommand));
    HWND view = Phonebook();
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(L"주소록", TextOf(view));
    // "모두 보기" and the two categories; every contact listed.
    EXPECT_EQ(3, SendMessageW(Control(kCategoryId), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(Control(kCategoryId), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(7, ListedRows());
    Shot(L"phonebook-all");
}

TEST_F(PhonebookProgramTest, ANumberFragmentWithinACategoryListsEachContactOnce)
{
    ASSERT_NE(nullptr, OpenPhonebook());
    ASSERT_TRUE(ChooseByPen(kCategoryId, 1));  // 친구
    EXPECT_EQ(3, ListedRows());
    // The drop-down list took the phone's window over its menu bar; the
    // bar comes back on top by itself.
    EXPECT_TRUE(zentest::WaitUntil([] { return BarAbovePhone(); }, 2500));
    ASSERT_TRUE(ChooseByPen(kKindId, 1));  // 번호
    Search(L"555");
    EXPECT_EQ(L"555", TextOf(Control(kEditId)));
    Shot(L"phonebook-search");
    // 친구1 and 둘다, whose two numbers both hold the fragment, once.
    EXPECT_EQ(2, ListedRows());
}

TEST_F(PhonebookProgramTest, TheHoldMenuCallPutsTheExactDialLineOnTheWire)
{
    HWND view = OpenPhonebook();
    ASSERT_NE(nullptr, view);
    const size_t dialled = SentLines("AT$ORI").size();
    ASSERT_TRUE(CallFromRow(1));  // 둘다
    ASSERT_TRUE(WaitSent("AT$ORI", dialled + 1));
    EXPECT_EQ("AT$ORI0105550004", SentLines("AT$ORI").back());
    EXPECT_TRUE(WaitDisplay(L"전화를 걸고 있습니다")) << Display().c_str();
    // The hidden phonebook keeps no focus: keys go to the phone.
    const HWND focus = PhoneFocus();
    EXPECT_FALSE(focus == view || IsChild(view, focus));
    HangUp();
    // The phonebook comes back as it was left.
    ASSERT_NE(nullptr, OpenPhonebook());
    EXPECT_EQ(1, SendMessageW(Control(kCategoryId), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"555", TextOf(Control(kEditId)));
    EXPECT_EQ(2, ListedRows());
}

TEST_F(PhonebookProgramTest, AnImportWhileShownReloadsWithCategoryAndSearchKept)
{
    ASSERT_NE(nullptr, OpenPhonebook());
    ASSERT_TRUE(Import("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:새친구\r\nTEL;TYPE=CELL:010-555-7777\r\n"
                       "CATEGORIES:친구\r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:남남\r\nTEL;TYPE=CELL:010-555-8888\r\nEND:VCARD\r\n"));
    EXPECT_TRUE(zentest::WaitUntil([] { return ListedRows() == 3; }, 10000)) << ListedRows();
    EXPECT_EQ(1, SendMessageW(Control(kCategoryId), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(1, SendMessageW(Control(kKindId), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"555", TextOf(Control(kEditId)));
    Shot(L"phonebook-after-import");
    // The new row is the imported contact: its call dials its number.
    const size_t dialled = SentLines("AT$ORI").size();
    ASSERT_TRUE(CallFromRow(2));
    ASSERT_TRUE(WaitSent("AT$ORI", dialled + 1));
    EXPECT_EQ("AT$ORI0105557777", SentLines("AT$ORI").back());
    HangUp();
}

TEST_F(PhonebookProgramTest, AContactAddedWithTheToolNamesTheNextCallFromItsNumber)
{
    ASSERT_TRUE(PhoneRunning());
    s_card->Module().Ring("0169990000");
    ASSERT_TRUE(WaitDisplay(L"전화가 왔습니다.\n016-999-0000")) << Display().c_str();
    HangUp();
    ASSERT_TRUE(Import("BEGIN:VCARD\r\nVERSION:2.1\r\nFN:새사람\r\nTEL;CELL:016-999-0000\r\nEND:VCARD\r\n"));
    zentest::PumpMessages(500);
    s_card->Module().Ring("0169990000");
    EXPECT_TRUE(WaitDisplay(L"전화가 왔습니다.\n새사람")) << Display().c_str();
    Shot(L"phonebook-named-call");
    HangUp();
}

TEST_F(PhonebookProgramTest, BadContactsAndARemovedDatabaseLeaveThePhoneUsable)
{
    ASSERT_NE(nullptr, OpenPhonebook());
    ASSERT_TRUE(ChooseByPen(kCategoryId, 0));  // 모두 보기
    Search(L"", 8);
    EXPECT_EQ(L"", TextOf(Control(kEditId)));
    EXPECT_EQ(7, ListedRows());
    Shot(L"phonebook-bad-contacts");

    // The long name's row dials its number; the row without numbers dials
    // nothing; the one with forty numbers dials its mobile.
    size_t dialled = SentLines("AT$ORI").size();
    ASSERT_TRUE(CallFromRow(0));
    ASSERT_TRUE(WaitSent("AT$ORI", dialled + 1));
    EXPECT_EQ("AT$ORI01012345678", SentLines("AT$ORI").back());
    HangUp();
    ASSERT_NE(nullptr, OpenPhonebook());
    dialled = SentLines("AT$ORI").size();
    ASSERT_TRUE(CallFromRow(1));
    zentest::PumpMessages(800);
    EXPECT_EQ(dialled, SentLines("AT$ORI").size());
    ASSERT_TRUE(CallFromRow(2));
    ASSERT_TRUE(WaitSent("AT$ORI", dialled + 1));
    EXPECT_EQ("AT$ORI01040001000", SentLines("AT$ORI").back());
    HangUp();

    // The contacts database removed while the phonebook is shown: the list
    // empties by itself, the search goes on without a crash and the phone
    // still rings and calls.
    ASSERT_NE(nullptr, OpenPhonebook());
    ASSERT_GT(ListedRows(), 0);
    const std::wstring file = cedbtest::FileOf(kContactsDbName);
    ASSERT_FALSE(file.empty());
    ASSERT_TRUE(DeleteFileW(file.c_str())) << GetLastError();
    EXPECT_TRUE(zentest::WaitUntil([] { return ListedRows() == 0; }, 8000)) << ListedRows();
    Search(L"0");
    Search(L"", 1);
    EXPECT_TRUE(PhoneRunning());
    EXPECT_TRUE(IsWindowVisible(Phonebook()));
    Shot(L"phonebook-database-removed");
    s_card->Module().Ring("0107770000");
    EXPECT_TRUE(WaitDisplay(L"전화가 왔습니다.\n010-777-0000")) << Display().c_str();
    HangUp();
    // Made again by the contacts tool while the phone runs: still up, and
    // the phonebook still searches.
    ASSERT_TRUE(Import("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:돌아옴\r\nTEL;TYPE=CELL:010-321-0000\r\nEND:VCARD\r\n"));
    zentest::PumpMessages(1000);
    ASSERT_NE(nullptr, OpenPhonebook());
    ASSERT_TRUE(ChooseByPen(kKindId, 1));  // 번호
    Search(L"321", 1);
    EXPECT_TRUE(PhoneRunning());
    EXPECT_EQ(L"321", TextOf(Control(kEditId)));
    EXPECT_EQ(1, ListedRows());
    Shot(L"phonebook-database-made-again");
}

}  // namespace
