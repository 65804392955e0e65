// The phonebook view on a real window with real pen input: filters, the
// hold menu's call and message requests to the main window, the detail
// view and the preferred number, names only, the reload when another
// program changes the contacts, and bad contacts and databases.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "Process.h"
#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "screens/messaging/CCeMWndContacts.h"
#include "stores/tests/ContactFixture.h"

namespace {

using contacttest::Person;

// What the main window was sent: message, wParam text, lParam text.
struct Request {
    UINT msg;
    std::wstring wide;
    int code;
};
std::vector<Request> g_requests;
LRESULT g_putAnswer = 1;

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case 4124:
        g_requests.push_back({msg, lp ? reinterpret_cast<LPCWSTR>(lp) : L"", 0});
        return g_putAnswer;
    case 4126:
        g_requests.push_back({msg, wp ? reinterpret_cast<LPCWSTR>(wp) : L"", 0});
        return 0;
    case 4125:
    case 4127:
        g_requests.push_back({msg, L"", 0});
        return 0;
    case WM_COMMAND:
        g_requests.push_back({msg, L"", HIWORD(wp)});
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

HWND MakeMain()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ContactsTestMain";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&wc);
    return CreateWindowExW(0, L"ContactsTestMain", L"main", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

std::vector<BYTE> Mask(int bit)
{
    std::vector<BYTE> m(4, 0);
    m[bit / 8] = static_cast<BYTE>(1 << (bit % 8));
    return m;
}

class ContactsViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", store.Folder().c_str());
        contacttest::CreateDatabases();
        contacttest::AddCategory(L"친구", 0);
        contacttest::AddCategory(L"회사", 1);
        g_requests.clear();
        g_putAnswer = 1;
        main = MakeMain();
        uitest::Activate(main);
    }
    void TearDown() override
    {
        uitest::StopModalSteps();
        view.Destroy();
        DestroyWindow(main);
    }
    // At the main window's view rectangle.
    void Show()
    {
        ASSERT_EQ(1, view.Create({0, 84, 240, 190}, main, WS_VISIBLE, 2));
        zentest::PumpMessages(50);
    }
    CCeMContactListWnd& List() { return view.List(); }
    POINT RowPoint(int row, int x = 40)
    {
        return uitest::ScreenPoint(List().GetHwnd(), x, (row - List().TopIndex()) * 18 + 9);
    }
    static POINT Centre(HWND w)
    {
        RECT rc;
        GetWindowRect(w, &rc);
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    void TapButton(int id)
    {
        uitest::Tap(Centre(view.Button(id)));
        zentest::PumpMessages(50);
    }
    void Type(const wchar_t* keys)
    {
        uitest::Tap(Centre(view.SearchEdit()));
        for (const wchar_t* k = keys; *k; ++k)
            uitest::Key(static_cast<WORD>(*k));
    }
    // Notes the caption of the next message box and taps its OK.
    static void AnswerNextBox(std::wstring* caption)
    {
        caption->clear();
        uitest::WhileModal(100, [caption] {
            HWND box = uitest::FindOwnVisible(L"#32770");
            if (!box)
                return true;
            wchar_t t[64] = {};
            GetWindowTextW(box, t, 64);
            *caption = t;
            uitest::QueueTap(Centre(GetDlgItem(box, IDOK)));
            return false;
        });
    }
    void ChooseCategory(int entry)
    {
        SendMessageW(view.CategoryCombo(), CB_SETCURSEL, entry, 0);
        SendMessageW(view.GetHwnd(), WM_COMMAND, MAKEWPARAM(CCeMWndContacts::kCategory, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(view.CategoryCombo()));
    }
    std::vector<std::wstring> Shown()
    {
        std::vector<std::wstring> names;
        for (int i = 0; i < view.Contacts().Count(); ++i)
            names.push_back(view.Contacts().At(i)->pszDisplayName ? view.Contacts().At(i)->pszDisplayName : L"");
        return names;
    }
    // Holds the pen on a row and taps the menu item at `position`; the
    // menu's grey states are noted.
    void MenuOnRow(int row, int position)
    {
        menuGrey.clear();
        int ticks = 0;
        bool tapped = false;
        uitest::WhileModal(100, [&, position] {
            HWND m = uitest::FindOwnVisible(L"#32768");
            RECT rc;
            if (tapped) {
                // A tap on a grey item leaves the menu up: close it, or it would wait for ever.
                if (m && ++ticks > 20) {
                    ADD_FAILURE() << "the menu stayed up";
                    EndMenu();
                    return false;
                }
                return m != nullptr;
            }
            if (!m || !GetMenuItemRect(nullptr, List().PopupMenu(), position, &rc))
                return true;
            for (int i = 0; i < 3; ++i)
                menuGrey.push_back((GetMenuState(List().PopupMenu(), i, MF_BYPOSITION) & MF_GRAYED) != 0);
            uitest::QueueTap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
            tapped = true;
            return true;
        });
        const POINT p = RowPoint(row);
        uitest::PenMove(p);
        uitest::PenDown(p);
        uitest::PenUp(p);
        zentest::PumpMessages(100);
        uitest::StopModalSteps();
    }

    cedbtest::ScopedStore store{L"contactsview"};
    CCeCategoriesDB categories;
    CCeContactsDB contacts{&categories};
    SettingsBlock settings = {};
    CCeMWndContacts view{&contacts, &categories, &settings};
    HWND main = nullptr;
    std::vector<bool> menuGrey;
};

TEST_F(ContactsViewTest, CategoryAndNumberFragmentListEachContactOnce)
{
    contacttest::AddPerson(Person(L"친구하나", L"010-555-0001", nullptr, nullptr, Mask(0)));
    contacttest::AddPerson(Person(L"친구둘", L"010-777-0002", nullptr, nullptr, Mask(0)));
    contacttest::AddPerson(Person(L"동료", L"010-555-0003", nullptr, nullptr, Mask(1)));
    contacttest::AddPerson(Person(L"둘다", L"010-555-0004", L"02-555-0000", nullptr, {0x03, 0, 0, 0}));
    Show();
    EXPECT_EQ(L"주소록", [&] {
        wchar_t t[32] = {};
        GetWindowTextW(view.GetHwnd(), t, 32);
        return std::wstring(t);
    }());
    EXPECT_EQ(4, List().ItemCount());
    EXPECT_EQ(3, SendMessageW(view.CategoryCombo(), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(view.KindCombo(), CB_GETCURSEL, 0, 0));

    ChooseCategory(1);  // 친구
    EXPECT_EQ(3, List().ItemCount());
    SendMessageW(view.KindCombo(), CB_SETCURSEL, 1, 0);  // 번호
    Type(L"555");
    TapButton(CCeMWndContacts::kSearch);
    EXPECT_EQ((std::vector<std::wstring>{L"친구하나", L"둘다"}), Shown());
    EXPECT_EQ(2, List().ItemCount());
    zentest::SaveScreenshot(zentest::CaptureWindow(view.GetHwnd()), L"contacts_search");

    // Choosing the same category again changes nothing; all keeps the search.
    ChooseCategory(1);
    EXPECT_EQ(2, List().ItemCount());
    ChooseCategory(0);
    EXPECT_EQ((std::vector<std::wstring>{L"친구하나", L"동료", L"둘다"}), Shown());
    // A name search by Enter in the edit; an empty text lists everybody.
    SendMessageW(view.KindCombo(), CB_SETCURSEL, 0, 0);
    SetWindowTextW(view.SearchEdit(), L"");
    Type(L"");
    for (wchar_t c : std::wstring(L"둘"))
        SendMessageW(view.SearchEdit(), WM_CHAR, c, 0);
    uitest::Key(VK_RETURN);
    zentest::PumpMessages(50);
    EXPECT_EQ((std::vector<std::wstring>{L"친구둘", L"둘다"}), Shown());
    SetWindowTextW(view.SearchEdit(), L"");
    TapButton(CCeMWndContacts::kSearch);
    EXPECT_EQ(4, List().ItemCount());
    EXPECT_EQ(L"", List().SearchText());
}

TEST_F(ContactsViewTest, HoldMenuCallsThePreferredNumberAndWritesToTheMobile)
{
    contacttest::AddPerson(Person(L"가영", L"010-1111-0001", L"02-111-2222", nullptr, {}, 0x3A09001F));
    contacttest::AddPerson(Person(L"집만", nullptr, L"02-999-0000"));
    contacttest::AddPerson(Person(L"번호없음"));
    Show();
    ASSERT_EQ(3, List().ItemCount());

    MenuOnRow(0, 0);  // 전화 걸기
    EXPECT_EQ(0, List().SelectedIndex());
    EXPECT_EQ((std::vector<bool>{false, false, false}), menuGrey);
    ASSERT_EQ(2u, g_requests.size());
    EXPECT_EQ(4124u, g_requests[0].msg);
    EXPECT_EQ(L"02-111-2222", g_requests[0].wide);  // the home number is the preferred one
    EXPECT_EQ(4125u, g_requests[1].msg);

    g_requests.clear();
    MenuOnRow(0, 1);  // 메시지 보내기
    ASSERT_EQ(2u, g_requests.size());
    EXPECT_EQ(4126u, g_requests[0].msg);
    EXPECT_EQ(L"010-1111-0001", g_requests[0].wide);  // the mobile, whatever is preferred
    EXPECT_EQ(4127u, g_requests[1].msg);

    // The main window refuses the number (a call is on): nothing is dialled.
    g_requests.clear();
    g_putAnswer = 0;
    List().OnCommand(0, CCeMContactListWnd::kCall, nullptr);
    zentest::PumpMessages(50);
    ASSERT_EQ(1u, g_requests.size());
    EXPECT_EQ(4124u, g_requests[0].msg);

    // No mobile: no message; no number at all: neither, and the menu says so.
    g_requests.clear();
    MenuOnRow(1, 4);  // 번호 보기: the grey items cannot be tapped
    EXPECT_EQ((std::vector<bool>{false, true, false}), menuGrey);
    MenuOnRow(2, 4);
    EXPECT_EQ((std::vector<bool>{true, true, false}), menuGrey);
    List().OnCommand(0, CCeMContactListWnd::kCall, nullptr);
    List().OnCommand(0, CCeMContactListWnd::kMessage, nullptr);
    zentest::PumpMessages(50);
    EXPECT_TRUE(g_requests.empty());
}

TEST_F(ContactsViewTest, DetailViewWithPictureChoosesThePreferredNumber)
{
    const CEOID oid = contacttest::AddPerson(
        Person(L"가영", L"010-1111-0001", L"02-111-2222", L"031-333-4444", Mask(1), 0x3A1C001F));
    // A red picture, as the contacts application stores it.
    HANDLE h = cedbtest::Open(kContactsDbName);
    const std::vector<BYTE> bmp = contacttest::BitmapBytes(40, 30, 0xFF0000);
    CEPROPVAL pic = cedbtest::Blob(HIWORD(kPropPicture), bmp.data(), static_cast<DWORD>(bmp.size()));
    ASSERT_EQ(oid, CeWriteRecordProps(h, oid, 1, &pic));
    CloseHandle(h);
    Show();
    uitest::Tap(RowPoint(0));
    ASSERT_EQ(0, List().SelectedIndex());
    MenuOnRow(0, 2);  // 상세 보기
    ASSERT_EQ(1, List().IsDetail());
    EXPECT_NE(nullptr, List().Picture());
    EXPECT_EQ(L"Name : 가영", List().DetailLine(0));
    EXPECT_EQ(L"Office : 031-333-4444", List().DetailLine(3));
    EXPECT_EQ(L"Category : 회사", List().DetailLine(4));
    EXPECT_EQ(L"Bell : None", List().DetailLine(5));
    HWND numbers = List().NumbersList();
    ASSERT_TRUE(IsWindowVisible(numbers));
    ASSERT_EQ(3, SendMessageW(numbers, LB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(numbers, LB_GETCURSEL, 0, 0));
    const auto shot = zentest::CaptureWindow(view.GetHwnd());
    zentest::SaveScreenshot(shot, L"contacts_detail");
    EXPECT_GT(zentest::CountPixels(shot, {0, 48, 60, 110}, zentest::Rgb(255, 0, 0), 30), 500);
    // Every detail line is inside the view: the last one ("Bell : None") too.
    EXPECT_GT(zentest::CountPixels(shot, {0, 174, 80, 188}, zentest::Rgb(0, 0, 0), 60), 10);

    // The office line by pen: stored as the preferred number.
    RECT item;
    SendMessageW(numbers, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    uitest::Tap(uitest::ScreenPoint(numbers, 20, (item.top + item.bottom) / 2));
    zentest::PumpMessages(50);
    EXPECT_EQ(2, SendMessageW(numbers, LB_GETCURSEL, 0, 0));
    {
        CCeCategoriesDB cats;
        CCeContactsDB fresh{&cats};
        ASSERT_EQ(1, fresh.OpenDefault(static_cast<HWND>(nullptr)));
        ASSERT_EQ(1, fresh.LoadAll());
        EXPECT_STREQ(L"031-333-4444", fresh.PreferredNumber(1));
    }
    // The change notice of that write reloads the list; the contact stays
    // selected and its detail view open.
    zentest::PumpMessages(300);
    EXPECT_EQ(1, List().IsDetail());
    EXPECT_EQ(0, List().SelectedIndex());
    EXPECT_EQ(2, SendMessageW(numbers, LB_GETCURSEL, 0, 0));
    // Back closes the detail view first, then asks the parent to close us.
    TapButton(CCeMWndContacts::kBack);
    EXPECT_EQ(0, List().IsDetail());
    EXPECT_FALSE(IsWindowVisible(numbers));
    EXPECT_EQ(nullptr, List().Picture());
    EXPECT_TRUE(g_requests.empty());
    TapButton(CCeMWndContacts::kBack);
    ASSERT_EQ(1u, g_requests.size());
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), g_requests[0].msg);
    EXPECT_EQ(1000, g_requests[0].code);
}

TEST_F(ContactsViewTest, NamesOnlyHidesEveryNumberUntilTheViewIsMadeAgain)
{
    for (int i = 0; i < 5; ++i)
        contacttest::AddPerson(Person((L"사람" + std::to_wstring(i)).c_str(), L"010-8888-8888"));
    Show();
    const RECT numbers = {110, 48, 225, 48 + 5 * 18};
    const auto before = zentest::CaptureWindow(view.GetHwnd());
    EXPECT_GT(zentest::CountPixels(before, numbers, zentest::Rgb(0, 0, 0), 60), 50);
    MenuOnRow(0, 5);  // 이름만 보기
    EXPECT_EQ(1, List().NamesOnly());
    zentest::PumpMessages(50);
    const auto after = zentest::CaptureWindow(view.GetHwnd());
    zentest::SaveScreenshot(after, L"contacts_names_only");
    EXPECT_EQ(0, zentest::CountPixels(after, numbers, zentest::Rgb(0, 0, 0), 60));
    // Still so after a new search; a new view starts with numbers again.
    SetWindowTextW(view.SearchEdit(), L"사람");
    TapButton(CCeMWndContacts::kSearch);
    EXPECT_EQ(1, List().NamesOnly());
    EXPECT_TRUE(contacts.IndexInUse());
    view.Destroy();
    // Still open for the rest of the program, but no index is trusted
    // without the notices that kept it fresh.
    EXPECT_TRUE(contacts.IsOpen());
    EXPECT_EQ(nullptr, contacts.NotifyWindow());
    EXPECT_FALSE(contacts.IndexInUse());
    Show();
    EXPECT_EQ(0, List().NamesOnly());
}

TEST_F(ContactsViewTest, AnImportByTheContactsToolReloadsWithTheSameFilter)
{
    contacttest::AddPerson(Person(L"친구하나", L"010-555-0001", nullptr, nullptr, Mask(0)));
    contacttest::AddPerson(Person(L"남", L"010-555-0009"));
    Show();
    ChooseCategory(1);
    SendMessageW(view.KindCombo(), CB_SETCURSEL, 1, 0);
    SetWindowTextW(view.SearchEdit(), L"555");
    TapButton(CCeMWndContacts::kSearch);
    ASSERT_EQ((std::vector<std::wstring>{L"친구하나"}), Shown());

    const std::wstring file = store.Folder() + L"\\new.vcf";
    const char cards[] =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:새친구\r\nTEL;TYPE=CELL:010-555-7777\r\nCATEGORIES:친구\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:다른친구\r\nTEL;TYPE=CELL:010-222-7777\r\nCATEGORIES:친구\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:남남\r\nTEL;TYPE=CELL:010-555-8888\r\nEND:VCARD\r\n";
    contacttest::WriteFileBytes(file.c_str(), std::vector<BYTE>(cards, cards + sizeof cards - 1));
    const int reloads = view.Reloads();
    HANDLE tool = zentest::StartProgram(L"zencontacts.exe", L"import \"" + file + L"\"");
    ASSERT_NE(nullptr, tool);
    EXPECT_EQ(0u, zentest::WaitExit(tool, 30000));
    CloseHandle(tool);
    ASSERT_TRUE(zentest::WaitUntil([&] { return view.Reloads() > reloads && List().ItemCount() == 2; }, 10000));
    EXPECT_EQ((std::vector<std::wstring>{L"친구하나", L"새친구"}), Shown());
    EXPECT_EQ(1, List().Category());
    EXPECT_EQ(L"555", List().SearchText());
    EXPECT_EQ(1, SendMessageW(view.CategoryCombo(), CB_GETCURSEL, 0, 0));
}

TEST_F(ContactsViewTest, NoNumbersManyNumbersAndAVeryLongName)
{
    const std::wstring longName(5000, L'가');
    contacttest::AddPerson(Person(longName.c_str(), L"010-1234-5678"));
    contacttest::AddPerson(Person(L"번호없음"));
    // Forty phone-like properties: the phone reads the three it knows.
    ASSERT_NE(0u, contacttest::AddPersonWithNumbers(L"사십", 40));
    Show();
    ASSERT_EQ(3, List().ItemCount());
    zentest::SaveScreenshot(zentest::CaptureWindow(view.GetHwnd()), L"contacts_bad_input");
    uitest::Tap(RowPoint(0));
    List().OnCommand(0, CCeMContactListWnd::kDetail, nullptr);
    ASSERT_EQ(1, List().IsDetail());
    EXPECT_EQ(5007u, List().DetailLine(0).size());
    TapButton(CCeMWndContacts::kBack);
    uitest::Tap(RowPoint(2));
    List().OnCommand(0, CCeMContactListWnd::kDetail, nullptr);
    EXPECT_EQ(3, SendMessageW(List().NumbersList(), LB_GETCOUNT, 0, 0));
    TapButton(CCeMWndContacts::kBack);
    uitest::Tap(RowPoint(1));
    List().OnCommand(0, CCeMContactListWnd::kDetail, nullptr);
    EXPECT_EQ(0, SendMessageW(List().NumbersList(), LB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"Mobile : ", List().DetailLine(1));
    // A preferred number that does not exist changes nothing.
    List().OnCommand(0, CCeMContactListWnd::kPreferOffice, nullptr);
    EXPECT_EQ(nullptr, contacts.PreferredNumber(0));
    // A number search finds the fortieth-number contact by one of its three.
    TapButton(CCeMWndContacts::kBack);
    SendMessageW(view.KindCombo(), CB_SETCURSEL, 1, 0);
    SetWindowTextW(view.SearchEdit(), L"4000-1002");
    TapButton(CCeMWndContacts::kSearch);
    EXPECT_EQ((std::vector<std::wstring>{L"사십"}), Shown());
    SetWindowTextW(view.SearchEdit(), L"4000-1030");
    TapButton(CCeMWndContacts::kSearch);
    EXPECT_EQ(0, List().ItemCount());
}

TEST_F(ContactsViewTest, MissingDamagedAndRemovedDatabases)
{
    // Missing at the start: only "모두 보기", an empty list, nothing to call.
    ASSERT_TRUE(DeleteFileW(cedbtest::FileOf(kContactsDbName).c_str()));
    ASSERT_TRUE(DeleteFileW(cedbtest::FileOf(kCategoriesDbName).c_str()));
    Show();
    EXPECT_EQ(0, List().ItemCount());
    EXPECT_EQ(1, SendMessageW(view.CategoryCombo(), CB_GETCOUNT, 0, 0));
    uitest::Tap(RowPoint(0));
    MenuOnRow(0, 4);
    List().OnCommand(0, CCeMContactListWnd::kCall, nullptr);
    List().OnCommand(0, CCeMContactListWnd::kMessage, nullptr);
    zentest::PumpMessages(50);
    EXPECT_TRUE(g_requests.empty());
    zentest::SaveScreenshot(zentest::CaptureWindow(view.GetHwnd()), L"contacts_database_missing");

    // Made by the contacts tool afterwards: the next search finds it.
    contacttest::CreateDatabases();
    contacttest::AddCategory(L"친구", 0);
    contacttest::AddPerson(Person(L"가람", L"010-1111-0003", nullptr, nullptr, Mask(0)));
    SetWindowTextW(view.SearchEdit(), L"가");
    TapButton(CCeMWndContacts::kSearch);
    EXPECT_EQ((std::vector<std::wstring>{L"가람"}), Shown());
    EXPECT_EQ(2, SendMessageW(view.CategoryCombo(), CB_GETCOUNT, 0, 0));

    // The file removed under the open view: the view hears of it and shows
    // no contact any more (none of the old file's), without a search; the
    // detail closes. Searching and the menu go on.
    uitest::Tap(RowPoint(0));
    List().OnCommand(0, CCeMContactListWnd::kDetail, nullptr);
    ASSERT_EQ(1, List().IsDetail());
    const std::wstring path = cedbtest::FileOf(kContactsDbName);
    ASSERT_FALSE(path.empty());
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    EXPECT_TRUE(zentest::WaitUntil([&] { return List().ItemCount() == 0; }, 5000)) << List().ItemCount();
    EXPECT_EQ(0, List().IsDetail());
    EXPECT_EQ(nullptr, contacts.Current());
    TapButton(CCeMWndContacts::kSearch);
    EXPECT_EQ(0, List().ItemCount());
    MenuOnRow(0, 4);
    // Made again while the view is hidden: shown again, it lists the new one.
    ShowWindow(view.GetHwnd(), SW_HIDE);
    contacttest::CreateDatabases();
    contacttest::AddPerson(Person(L"가온", L"010-1111-0004"));
    ShowWindow(view.GetHwnd(), SW_SHOW);
    EXPECT_EQ((std::vector<std::wstring>{L"가온"}), Shown());

    // Damaged before the view is made: an empty list, no crash.
    view.Destroy();
    contacts.Close();
    categories.Close();
    contacttest::CreateDatabases();
    contacttest::AddPerson(Person(L"가영", L"010-1111-0001"));
    const std::wstring again = cedbtest::FileOf(kContactsDbName);
    contacttest::WriteFileBytes(again.c_str(), std::vector<BYTE>(300, 0xA5));
    Show();
    EXPECT_EQ(0, List().ItemCount());
    uitest::Tap(RowPoint(0));
    EXPECT_EQ(nullptr, contacts.Current());
    EXPECT_TRUE(IsWindow(view.GetHwnd()));
}

TEST_F(ContactsViewTest, PrivacyAndAMissingContactsApplication)
{
    contacttest::AddPerson(Person(L"가영", L"010-1111-0001"));
    settings.bPrivacy = 1;
    Show();
    const auto shot = zentest::CaptureWindow(view.GetHwnd());
    EXPECT_FALSE(IsWindowVisible(List().ScrollBar().GetHwnd()));
    uitest::Tap(RowPoint(0));
    EXPECT_EQ(-1, List().SelectedIndex());
    List().OnCommand(0, CCeMContactListWnd::kDetail, nullptr);
    EXPECT_EQ(0, List().IsDetail());
    // Nothing but the notice: the row's name is not drawn at the top left.
    EXPECT_EQ(0, zentest::CountPixels(shot, {0, 48, 60, 66}, zentest::Rgb(0, 0, 0), 60));
    EXPECT_GT(zentest::CountPixels(shot, {60, 48, 180, 190}, zentest::Rgb(0, 0, 0), 60), 20);

    int starts = 0;
    view.SetLauncher([&] {
        ++starts;
        return false;
    });
    std::wstring caption;
    AnswerNextBox(&caption);
    TapButton(CCeMWndContacts::kOpenContacts);
    EXPECT_EQ(1, starts);
    EXPECT_EQ(0u, caption.find(L"오류"));
    view.SetLauncher([&] {
        ++starts;
        return true;
    });
    TapButton(CCeMWndContacts::kOpenContacts);
    EXPECT_EQ(2, starts);
}

bool WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f)
        return false;
    const bool ok = bytes.empty() || fwrite(bytes.data(), bytes.size(), 1, f) == 1;
    return fclose(f) == 0 && ok;
}

// The picture picker by pen: the folder's bitmaps only, a preview of the
// one tapped, the chosen one stored and shown; a picture over 10000 pixels
// and a file that is no bitmap are refused with a message, and the
// contact's picture stays.
TEST_F(ContactsViewTest, PicturePickerStoresTheChosenBitmapAndRefusesBadOnes)
{
    const std::wstring pics = store.Folder() + L"\\Pic";
    // A store folder left by an earlier run may still hold them.
    auto makeDir = [](const std::wstring& d) {
        return CreateDirectoryW(d.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    };
    ASSERT_TRUE(makeDir(pics));
    const std::vector<BYTE> small = contacttest::BitmapBytes(40, 30, 0x00FF00);
    ASSERT_TRUE(WriteFileBytes(pics + L"\\small.bmp", small));
    ASSERT_TRUE(WriteFileBytes(pics + L"\\big.bmp", contacttest::BitmapBytes(101, 100)));  // 10100 pixels
    ASSERT_TRUE(WriteFileBytes(pics + L"\\broken.bmp", std::vector<BYTE>(200, 'x')));
    ASSERT_TRUE(WriteFileBytes(pics + L"\\notes.txt", std::vector<BYTE>(10, 'x')));
    ASSERT_TRUE(makeDir(pics + L"\\folder.bmp"));
    contacttest::AddPerson(Person(L"가영", L"010-1111-0001"));
    Show();
    List().SetPictureFolder(pics);
    CCeMSelPicWnd& picker = List().PicturePicker();
    auto storedPictureBytes = [] {
        CCeCategoriesDB cats;
        CCeContactsDB fresh{&cats};
        if (fresh.OpenDefault(static_cast<HWND>(nullptr)) != 1 || fresh.LoadAll() != 1)
            return static_cast<DWORD>(-1);
        return fresh.At(0)->cbPicture;
    };
    auto tapFile = [&](int index) {
        RECT item;
        SendMessageW(picker.FileList(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        uitest::Tap(uitest::ScreenPoint(picker.FileList(), 20, (item.top + item.bottom) / 2));
        zentest::PumpMessages(50);
    };
    std::wstring caption;

    // No answer counts without the picker up.
    List().OnCommand(0, CCeMContactListWnd::kPictureChosen, nullptr);
    uitest::Tap(RowPoint(0));
    MenuOnRow(0, 2);  // 상세 보기
    ASSERT_EQ(1, List().IsDetail());
    EXPECT_EQ(nullptr, List().Picture());

    // A tap on the empty picture box opens the picker.
    uitest::Tap(uitest::ScreenPoint(List().GetHwnd(), 28, 28));
    zentest::PumpMessages(50);
    ASSERT_TRUE(picker.IsOpen());
    EXPECT_TRUE(IsWindowVisible(picker.GetHwnd()));
    EXPECT_EQ((std::vector<std::wstring>{L"big.bmp", L"broken.bmp", L"small.bmp"}), picker.Files());
    EXPECT_FALSE(IsWindowEnabled(picker.Button(CCeMSelPicWnd::kOk)));  // nothing chosen yet
    tapFile(2);
    EXPECT_NE(nullptr, picker.Preview());
    EXPECT_TRUE(IsWindowEnabled(picker.Button(CCeMSelPicWnd::kOk)));
    const auto shot = zentest::CaptureWindow(view.GetHwnd());
    zentest::SaveScreenshot(shot, L"contacts_picture_picker");
    EXPECT_GT(zentest::CountPixels(shot, {150, 48, 240, 110}, zentest::Rgb(0, 255, 0), 30), 300);
    uitest::Tap(Centre(picker.Button(CCeMSelPicWnd::kOk)));
    zentest::PumpMessages(100);
    EXPECT_FALSE(picker.IsOpen());
    EXPECT_EQ(static_cast<DWORD>(small.size()), storedPictureBytes());
    // The detail view shows it at once.
    ASSERT_EQ(1, List().IsDetail());
    EXPECT_NE(nullptr, List().Picture());
    EXPECT_GT(zentest::CountPixels(zentest::CaptureWindow(view.GetHwnd()), {0, 48, 60, 110},
                                   zentest::Rgb(0, 255, 0), 30),
              300);

    // Too large, then not a bitmap: each refused with its message; the
    // stored picture stays. The second time the picker opens from the hold
    // menu of the list.
    uitest::Tap(uitest::ScreenPoint(List().GetHwnd(), 28, 28));
    zentest::PumpMessages(50);
    ASSERT_TRUE(picker.IsOpen());
    tapFile(0);
    AnswerNextBox(&caption);
    uitest::Tap(Centre(picker.Button(CCeMSelPicWnd::kOk)));
    zentest::PumpMessages(100);
    uitest::StopModalSteps();
    EXPECT_EQ(0u, caption.find(L"알림")) << caption.c_str();
    EXPECT_EQ(static_cast<DWORD>(small.size()), storedPictureBytes());
    TapButton(CCeMWndContacts::kBack);  // out of the detail view
    ASSERT_EQ(0, List().IsDetail());
    MenuOnRow(0, 7);  // 사진 지정
    ASSERT_TRUE(picker.IsOpen());
    tapFile(1);
    AnswerNextBox(&caption);
    uitest::Tap(Centre(picker.Button(CCeMSelPicWnd::kOk)));
    zentest::PumpMessages(100);
    uitest::StopModalSteps();
    EXPECT_EQ(0u, caption.find(L"오류")) << caption.c_str();
    EXPECT_EQ(static_cast<DWORD>(small.size()), storedPictureBytes());

    // Cancel leaves everything as it was.
    MenuOnRow(0, 7);
    ASSERT_TRUE(picker.IsOpen());
    tapFile(0);
    uitest::Tap(Centre(picker.Button(CCeMSelPicWnd::kCancel)));
    zentest::PumpMessages(50);
    EXPECT_FALSE(picker.IsOpen());
    EXPECT_EQ(static_cast<DWORD>(small.size()), storedPictureBytes());
}

}  // namespace
