// The call list screen on a real window against the real call list store:
// filters and their counts, row texts, the detail page and its buttons, the
// row menu, delete, delete all, privacy, and a store damaged while shown.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CCeMWndCallList.h"
#include "CallRowText.h"
#include "CallsTestHost.h"
#include "UiInput.h"
#include "WinTest.h"

namespace {

using callstest::ShowsText;

FILETIME When(WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME t{};
    t.wYear = 2024;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    FILETIME f{};
    SystemTimeToFileTime(&t, &f);
    return f;
}

CallItem Item(const char* stamp, int kind, int seconds, const char* number = "0101", const wchar_t* name = L"")
{
    CallItem c{};
    strcpy(c.szTimeStamp, stamp);
    c.nKind = kind;
    c.nSeconds = seconds;
    strcpy(c.szNumber, number);
    wcscpy(c.szName, name);
    return c;
}

std::wstring WhenText(const CallItem& c, COLORREF* ink = nullptr)
{
    wchar_t out[64];
    CallRowText::When(c, out, 64, ink);
    return out;
}

TEST(CallRowTexts, TwelveHourTimesAndWhatBecameOfShortCalls)
{
    EXPECT_EQ(L"05/02 오후12:05", WhenText(Item("20240502120500", 2, 10)));
    EXPECT_EQ(L"05/02 오전00:30", WhenText(Item("20240502003000", 1, 10)));
    EXPECT_EQ(L"12/31 오후01:10", WhenText(Item("20241231131000", 2, 10)));
    EXPECT_EQ(L"01/09 오전11:59", WhenText(Item("20240109115900", 2, 10)));
    COLORREF ink = 0;
    EXPECT_EQ(L"05/02 오전09:00", WhenText(Item("20240502090000", 2, 0), &ink));  // answered, 0 s: its time
    EXPECT_EQ(RGB(0, 0, 0), ink);
    EXPECT_EQ(L"발신 실패", WhenText(Item("20240502090000", 1, 0), &ink));
    EXPECT_EQ(RGB(0, 0, 255), ink);
    EXPECT_EQ(L"부재중 전화", WhenText(Item("20240502090000", 3, 0), &ink));
    EXPECT_EQ(RGB(255, 0, 0), ink);
    EXPECT_EQ(L"수신 거부/제한", WhenText(Item("20240502090000", 4, 0)));
    EXPECT_EQ(L"알수 없음", WhenText(Item("20240502090000", 9, 0)));
    EXPECT_EQ(L"", WhenText(Item("2024050209", 1, 5)));  // a damaged stamp shows no time

    wchar_t who[64];
    CallRowText::Party(Item("20240502090000", 2, 1, "0123456789012345678", L""), who, 64);
    EXPECT_STREQ(L"012345678901234", who);  // 15 characters at most
    CallRowText::Party(Item("20240502090000", 2, 1, "0101", L"홍길동"), who, 64);
    EXPECT_STREQ(L"홍길동", who);

    CallRowText::Header(3, 7, who, 64);
    EXPECT_STREQ(L"총 부재/거부 : 7 개", who);
}

class CallListScreen : public testing::Test {
protected:
    void SetUp() override
    {
        CCeCallListDB& db = d.data.m_CallListDB;
        // Newest first: 05/05 rejected, 05/04 missed, 05/03 12:05 answered (name),
        // 05/02 dialled that failed, 05/01 00:30 dialled.
        ASSERT_EQ(1, db.Add(When(5, 1, 0, 30), "0101110001", CCeCallListDB::kOutgoing, 65, nullptr));
        ASSERT_EQ(1, db.Add(When(5, 2, 13, 10), "0101110002", CCeCallListDB::kOutgoing, 0, nullptr));
        ASSERT_EQ(1, db.Add(When(5, 3, 12, 5), "0101110003", CCeCallListDB::kAnswered, 3725, L"홍길동"));
        ASSERT_EQ(1, db.Add(When(5, 4, 9, 0), "0101110004", CCeCallListDB::kMissed, 0, nullptr));
        ASSERT_EQ(1, db.Add(When(5, 5, 9, 0), "0101110005", CCeCallListDB::kRejected, 0, nullptr));
    }
    void Open()
    {
        screen = std::make_unique<CCeMWndCallList>(d.data);
        ASSERT_TRUE(screen->CreateScreen(host.Hwnd(), callstest::Host::ViewPlacement(), 3));
        EXPECT_FALSE(IsWindowVisible(screen->GetHwnd()));  // created hidden
        ShowWindow(screen->GetHwnd(), SW_SHOW);
        zentest::PumpMessages(150);
    }
    HWND ListHwnd() { return screen->List().GetHwnd(); }
    // Rows start below the 20-pixel column titles; 16 pixels each.
    int RowY(int row) { return 20 + row * 16 + 8; }
    void PickFilter(int item)
    {
        callstest::TapAt(screen->GetHwnd(), 27, 13);
        HWND combo = GetDlgItem(screen->GetHwnd(), CCeMWndCallList::kFilterId);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(combo, &info));
        ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowVisible(info.hwndList) != 0; }, 2000));
        RECT rc{};
        SendMessageW(info.hwndList, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rc));
        callstest::TapAt(info.hwndList, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        zentest::PumpMessages(100);
    }
    void TapBar(int cell)
    {
        RECT rc;
        GetWindowRect(screen->List().BarButton(cell).GetHwnd(), &rc);
        uitest::Tap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        // Past the double-tap time: a second tap on one button is a tap again.
        zentest::PumpMessages(GetDoubleClickTime() + 50);
    }
    std::string PageNumber(int i) { return screen->List().PageItem(i).szNumber; }
    zentest::Image Header(const wchar_t* name) { return callstest::Shot(screen->GetHwnd(), name); }
    bool HeaderSays(const zentest::Image& img, const wchar_t* text)
    {
        // The delete-all button covers the header's right end.
        return callstest::ShowsTextWithin(img, {50, 3, 200, 23}, 50, 192, text, RGB(255, 255, 255),
                                          DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    int StoredCalls()
    {
        CCeCallListDB fresh;
        fresh.Load();
        return fresh.Count(0);
    }

    callstest::Data d{L"calllist"};
    callstest::Host host;
    std::unique_ptr<CCeMWndCallList> screen;
};

TEST_F(CallListScreen, ShowsEveryCallNewestFirstWithItsRowTexts)
{
    Open();
    CCeMCallListView& list = screen->List();
    ASSERT_EQ(5, list.PageCount());
    EXPECT_EQ("0101110005", PageNumber(0));
    EXPECT_EQ("0101110001", PageNumber(4));
    EXPECT_EQ(0, list.CurrentPosition());
    const zentest::Image img = Header(L"calllist_all");
    EXPECT_TRUE(HeaderSays(img, L"총 통화 : 5 개"));
    // Rows in screen coordinates: the list sits at (2, 25).
    const UINT left = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    auto row = [](int r, int x0, int x1) { return RECT{2 + x0, 25 + 20 + r * 16, 2 + x1, 25 + 20 + r * 16 + 16}; };
    EXPECT_TRUE(ShowsText(img, row(2, 40, 128), L"홍길동", RGB(0, 0, 0), left));
    EXPECT_TRUE(ShowsText(img, row(2, 130, 220), L"05/03 오후12:05", RGB(0, 0, 0), left));
    EXPECT_TRUE(ShowsText(img, row(3, 130, 220), L"발신 실패", RGB(0, 0, 255), left));
    EXPECT_TRUE(ShowsText(img, row(4, 130, 220), L"05/01 오전00:30", RGB(0, 0, 0), left));
    EXPECT_TRUE(ShowsText(img, row(1, 130, 220), L"부재중 전화", RGB(255, 0, 0), left));
    EXPECT_TRUE(ShowsText(img, row(0, 130, 220), L"수신 거부/제한", RGB(255, 0, 0), left));
    EXPECT_TRUE(ShowsText(img, row(1, 40, 128), L"0101110004", RGB(0, 0, 0), left));
}

TEST_F(CallListScreen, FiltersCountMissedAndRejectedTogether)
{
    Open();
    PickFilter(3);
    CCeMCallListView& list = screen->List();
    EXPECT_EQ(3, list.Filter());
    ASSERT_EQ(2, list.PageCount());
    EXPECT_EQ(CCeCallListDB::kRejected, list.PageItem(0).nKind);
    EXPECT_EQ(CCeCallListDB::kMissed, list.PageItem(1).nKind);
    EXPECT_TRUE(HeaderSays(Header(L"calllist_missed"), L"총 부재/거부 : 2 개"));
    EXPECT_EQ(ListHwnd(), GetFocus());

    PickFilter(1);
    ASSERT_EQ(2, list.PageCount());
    EXPECT_EQ("0101110002", PageNumber(0));
    EXPECT_TRUE(HeaderSays(Header(L"calllist_dialled"), L"총 발신 : 2 개"));
    PickFilter(2);
    ASSERT_EQ(1, list.PageCount());
    EXPECT_TRUE(HeaderSays(Header(L"calllist_received"), L"총 수신 : 1 개"));
    EXPECT_FALSE(HeaderSays(Header(L"calllist_received"), L"총 수신 : 2 개"));
}

TEST_F(CallListScreen, DetailPageStepsThroughTheFilterAndAsksTheMainWindow)
{
    Open();
    callstest::DoubleTapAt(ListHwnd(), 80, RowY(2));
    CCeMCallListView& list = screen->List();
    ASSERT_TRUE(list.IsDetailOpen());
    EXPECT_EQ(2, list.CurrentPosition());
    const zentest::Image img = callstest::Shot(screen->GetHwnd(), L"calllist_detail");
    const UINT flags = DT_LEFT | DT_TOP | DT_SINGLELINE;
    EXPECT_TRUE(ShowsText(img, {2 + 5, 25 + 5, 2 + 154, 25 + 25}, L"통화 세부 정보 (3/5)", RGB(0, 0, 255), flags, 13,
                          true));
    EXPECT_TRUE(ShowsText(img, {2 + 5, 25 + 65, 2 + 154, 25 + 85}, L"종류 : 수신", RGB(0, 0, 255), flags));
    EXPECT_TRUE(ShowsText(img, {2 + 5, 25 + 85, 2 + 154, 25 + 105}, L"통화시간 : 1시 2분 5초", RGB(0, 0, 0), flags));
    // Only the line's own 15 pixels: the name goes 15 lower.
    EXPECT_TRUE(
        ShowsText(img, {2 + 5, 25 + 105, 2 + 154, 25 + 120}, L"전화번호 : 0101110003", RGB(0, 0, 0), flags));
    EXPECT_TRUE(ShowsText(img, {2 + 65, 25 + 120, 2 + 154, 25 + 140}, L"(홍길동)", RGB(0, 0, 0), flags));
    EXPECT_TRUE(IsWindowEnabled(list.BarButton(CCeMCallListView::kCellPrevious).GetHwnd()));

    // Call back: the number goes to the number line, then the dial.
    TapBar(CCeMCallListView::kCellCall);
    ASSERT_EQ(1, host.CountOf(4124));
    EXPECT_EQ("0101110003", host.Last(4124)->narrow);
    EXPECT_EQ(0u, host.Last(4124)->lp);
    zentest::PumpMessages(100);
    EXPECT_EQ(1, host.CountOf(4125));
    // Not taken (a call in progress): no dial.
    host.numberAnswer = 0;
    TapBar(CCeMCallListView::kCellCall);
    EXPECT_EQ(2, host.CountOf(4124));
    EXPECT_EQ(1, host.CountOf(4125));

    TapBar(CCeMCallListView::kCellText);
    ASSERT_EQ(1, host.CountOf(4126));
    EXPECT_EQ(L"0101110003", host.Last(4126)->wide);
    EXPECT_EQ(1, host.CountOf(4127));
    TapBar(CCeMCallListView::kCellAdd);
    ASSERT_EQ(1, host.CountOf(4128));

    TapBar(CCeMCallListView::kCellNext);
    TapBar(CCeMCallListView::kCellNext);
    EXPECT_EQ(4, list.CurrentPosition());
    EXPECT_FALSE(IsWindowEnabled(list.BarButton(CCeMCallListView::kCellNext).GetHwnd()));
    EXPECT_TRUE(ShowsText(callstest::Shot(screen->GetHwnd(), L"calllist_detail_last"),
                          {2 + 5, 25 + 5, 2 + 154, 25 + 25}, L"통화 세부 정보 (5/5)", RGB(0, 0, 255), flags, 13, true));
    for (int i = 0; i < 5; ++i)
        TapBar(CCeMCallListView::kCellPrevious);
    EXPECT_EQ(0, list.CurrentPosition());
    EXPECT_FALSE(IsWindowEnabled(list.BarButton(CCeMCallListView::kCellPrevious).GetHwnd()));

    // Back closes the page first, then asks to close the screen.
    callstest::TapAt(screen->GetHwnd(), 240 - 14, 13);
    EXPECT_FALSE(list.IsDetailOpen());
    EXPECT_EQ(0, host.CountOf(WM_COMMAND));
    zentest::PumpMessages(GetDoubleClickTime() + 50);
    callstest::TapAt(screen->GetHwnd(), 240 - 14, 13);
    ASSERT_NE(nullptr, host.Last(WM_COMMAND));
    EXPECT_EQ(MAKEWPARAM(3, 1000), host.Last(WM_COMMAND)->wp);
}

TEST_F(CallListScreen, ACallEndingWhileTheDetailPageIsOpenKeepsItsEntry)
{
    Open();
    callstest::DoubleTapAt(ListHwnd(), 80, RowY(2));
    ASSERT_TRUE(screen->List().IsDetailOpen());
    ASSERT_EQ(1, d.data.m_CallListDB.Add(When(6, 1, 8, 0), "0109", CCeCallListDB::kAnswered, 5, nullptr));
    InvalidateRect(screen->GetHwnd(), nullptr, FALSE);  // what the phone core does after a call
    zentest::PumpMessages(150);
    EXPECT_TRUE(screen->List().IsDetailOpen());
    EXPECT_EQ(3, screen->List().CurrentPosition());
    ASSERT_NE(nullptr, d.data.m_CallListDB.Current());
    EXPECT_STREQ("0101110003", d.data.m_CallListDB.Current()->szNumber);
    EXPECT_TRUE(HeaderSays(Header(L"calllist_call_ended"), L"총 통화 : 6 개"));
}

TEST_F(CallListScreen, DeleteFromTheDetailPageSelectsANeighbour)
{
    Open();
    callstest::DoubleTapAt(ListHwnd(), 80, RowY(4));
    ASSERT_TRUE(screen->List().IsDetailOpen());
    callstest::AnswerNextBox(false);
    TapBar(CCeMCallListView::kCellDelete);
    EXPECT_EQ(5, StoredCalls());
    EXPECT_TRUE(screen->List().IsDetailOpen());

    callstest::AnswerNextBox(true);
    TapBar(CCeMCallListView::kCellDelete);
    EXPECT_EQ(4, StoredCalls());
    EXPECT_FALSE(screen->List().IsDetailOpen());
    EXPECT_EQ(3, screen->List().CurrentPosition());  // the last one left
    ASSERT_NE(nullptr, d.data.m_CallListDB.Current());
    EXPECT_STREQ("0101110002", d.data.m_CallListDB.Current()->szNumber);
    EXPECT_TRUE(HeaderSays(Header(L"calllist_deleted"), L"총 통화 : 4 개"));
}

TEST_F(CallListScreen, RowMenuCallsAndDeletes)
{
    Open();
    const auto items = callstest::HoldForMenu(ListHwnd(), 80, RowY(1), 1);
    const std::vector<std::wstring> want = {L"전화걸기", L"문자보내기", L"주소록추가", L"", L"삭제"};
    EXPECT_EQ(want, items);
    ASSERT_EQ(1, host.CountOf(4124));
    EXPECT_EQ("0101110004", host.Last(4124)->narrow);

    callstest::AnswerNextBox(true);
    callstest::HoldForMenu(ListHwnd(), 80, RowY(0), 4);
    EXPECT_EQ(4, StoredCalls());
    EXPECT_EQ("0101110004", PageNumber(0));
}

TEST_F(CallListScreen, DeleteAllIsRefusedUnderPrivacyOrLockAndElseEmptiesTheStore)
{
    d.data.m_Settings.bPrivacy = 1;
    Open();
    EXPECT_EQ(0, screen->List().PageCount());
    const zentest::Image img = callstest::Shot(screen->GetHwnd(), L"calllist_privacy");
    EXPECT_TRUE(ShowsText(img, {2, 25, 238, 188}, L"사생활 보호중", RGB(0, 0, 0), DT_CENTER | DT_VCENTER | DT_SINGLELINE));
    callstest::DoubleTapAt(ListHwnd(), 80, RowY(0));
    EXPECT_FALSE(screen->List().IsDetailOpen());
    std::wstring caption;
    callstest::AnswerNextBox(true, &caption);
    callstest::TapAt(screen->GetHwnd(), 240 - 36, 13);
    EXPECT_EQ(L"알림", caption);
    EXPECT_EQ(5, StoredCalls());

    d.data.m_Settings.bPrivacy = 0;
    d.data.m_Settings.bPhoneLocked = 1;
    caption.clear();
    callstest::AnswerNextBox(true, &caption);
    callstest::TapAt(screen->GetHwnd(), 240 - 36, 13);
    EXPECT_EQ(L"알림", caption);
    EXPECT_EQ(5, StoredCalls());

    d.data.m_Settings.bPhoneLocked = 0;
    callstest::AnswerNextBox(false);
    callstest::TapAt(screen->GetHwnd(), 240 - 36, 13);
    EXPECT_EQ(5, StoredCalls());
    callstest::AnswerNextBox(true);
    callstest::TapAt(screen->GetHwnd(), 240 - 36, 13);
    EXPECT_EQ(0, StoredCalls());
    EXPECT_EQ(0, screen->List().PageCount());
    EXPECT_TRUE(HeaderSays(Header(L"calllist_empty"), L"총 통화 : 0 개"));

    // The next call shows alone.
    ASSERT_EQ(1, d.data.m_CallListDB.Add(When(6, 1, 8, 0), "0109", CCeCallListDB::kAnswered, 5, nullptr));
    InvalidateRect(screen->GetHwnd(), nullptr, FALSE);  // what the phone core does after a call
    zentest::PumpMessages(150);
    ASSERT_EQ(1, screen->List().PageCount());
    EXPECT_EQ("0109", PageNumber(0));
}

TEST_F(CallListScreen, AStoreDamagedWhileShownLeavesAWorkingEmptyList)
{
    Open();
    callstest::DoubleTapAt(ListHwnd(), 80, RowY(1));
    ASSERT_TRUE(screen->List().IsDetailOpen());
    std::vector<std::wstring> files = d.store.FilesWith(L"calllist");
    ASSERT_EQ(1u, files.size());
    HANDLE f = CreateFileW(files[0].c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    SetFilePointer(f, 100, nullptr, FILE_BEGIN);
    char junk[400];
    memset(junk, 0x5A, sizeof junk);
    DWORD put = 0;
    WriteFile(f, junk, sizeof junk, &put, nullptr);
    CloseHandle(f);

    // Deleting the shown entry reaches the damaged file.
    callstest::AnswerNextBox(true);
    TapBar(CCeMCallListView::kCellDelete);
    EXPECT_FALSE(screen->List().IsDetailOpen());
    callstest::Shot(screen->GetHwnd(), L"calllist_damaged");
    // Shown again: what could be read, and nothing to act on.
    ShowWindow(screen->GetHwnd(), SW_HIDE);
    ShowWindow(screen->GetHwnd(), SW_SHOW);
    zentest::PumpMessages(150);
    EXPECT_EQ(0, screen->List().PageCount());
    EXPECT_TRUE(HeaderSays(Header(L"calllist_damaged_shown"), L"총 통화 : 0 개"));
    callstest::DoubleTapAt(ListHwnd(), 80, RowY(0));
    EXPECT_FALSE(screen->List().IsDetailOpen());
    screen->List().CallBack();
    EXPECT_EQ(0, host.CountOf(4124));
}

}  // namespace
