// The rejected-number list on a real window with real pen input: the rows,
// the hold menu, the add page with its checks, delete, privacy and lock,
// and a store that cannot be written while the list is shown.
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "screens/messaging/CCeMDenyListWnd.h"
#include "toolkit/CCeMItemList.h"

namespace {

std::wstring TextOf(HWND hwnd)
{
    wchar_t buf[128] = {};
    GetWindowTextW(hwnd, buf, 128);
    return buf;
}

// What to do with the next modal window: tap a menu item (by position) or a
// message box button, noting the box's caption.
struct ModalStep {
    bool menu;
    int item;  // menu position, or IDOK / IDCANCEL
};

class DenyListTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", store.Folder().c_str());
        CCeDenyCallDB seed;
        ASSERT_EQ(1, seed.Add(L"Kim", L"010-111-2222"));
        ASSERT_EQ(1, seed.Add(L"Lee", L"0103334444"));
        ASSERT_EQ(1, seed.Add(L"Ahn", L"02-555-6666"));
        host = uitest::MakeHost(L"deny");
        uitest::Activate(host);
    }
    void TearDown() override
    {
        uitest::StopModalSteps();
        list.Destroy();
        DestroyWindow(host);
    }
    void Show()
    {
        ASSERT_EQ(1, list.Create({2, 25, 236, 293}, host, WS_VISIBLE, 7));
        zentest::PumpMessages(50);
    }
    POINT RowPoint(int row) { return uitest::ScreenPoint(list.GetHwnd(), 40, 20 + row * 20 + 10); }
    POINT ClientPoint(int x, int y) { return uitest::ScreenPoint(list.GetHwnd(), x, y); }
    POINT Centre(HWND w)
    {
        RECT rc;
        GetWindowRect(w, &rc);
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    // Answers the modal windows that come up, in order, by pen.
    void Expect(std::vector<ModalStep> steps)
    {
        pending.assign(steps.begin(), steps.end());
        captions.clear();
        uitest::WhileModal(100, [this] {
            if (pending.empty())
                return false;
            const ModalStep s = pending.front();
            if (s.menu) {
                HWND m = uitest::FindOwnVisible(L"#32768");
                RECT rc;
                if (!m || !GetMenuItemRect(nullptr, list.PopupMenu(), s.item, &rc))
                    return true;
                menuStates.push_back(GetMenuState(list.PopupMenu(), 0, MF_BYPOSITION) & MF_GRAYED);
                menuStates.push_back(GetMenuState(list.PopupMenu(), 1, MF_BYPOSITION) & MF_GRAYED);
                uitest::QueueTap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
            } else {
                HWND box = uitest::FindOwnVisible(L"#32770");
                if (!box)
                    return true;
                std::wstring c = TextOf(box);
                captions.push_back(c.substr(0, c.find(L'(')));
                uitest::QueueTap(Centre(GetDlgItem(box, s.item)));
            }
            pending.pop_front();
            return true;
        });
    }
    // Holds the pen at a point of the list until the menu is answered.
    void Hold(POINT p)
    {
        uitest::PenMove(p);
        uitest::PenDown(p);
        uitest::PenUp(p);
        zentest::PumpMessages(50);
    }
    void TapButton(int id)
    {
        uitest::Tap(Centre(GetDlgItem(list.GetHwnd(), id)));
        zentest::PumpMessages(50);
    }
    int Stored()
    {
        CCeDenyCallDB fresh;
        fresh.Load();
        return fresh.ItemCount();
    }

    cedbtest::ScopedStore store{L"denylist"};
    CCeDenyCallDB db;
    SettingsBlock settings = {};
    CCeMDenyListWnd list{&db, &settings};
    HWND host = nullptr;
    std::deque<ModalStep> pending;
    std::vector<std::wstring> captions;
    std::vector<UINT> menuStates;
};

TEST_F(DenyListTest, ShowsEveryEntryAndTheSelectedRowIsCurrent)
{
    Show();
    ASSERT_EQ(3, list.ItemCount());
    EXPECT_EQ(0, list.RowsTop() - 20);  // only the header band
    EXPECT_STREQ(L"Ahn", db.ItemAt(0)->pszName);  // name order
    EXPECT_EQ(nullptr, db.Current());
    uitest::Tap(RowPoint(1));
    EXPECT_EQ(1, list.SelectedIndex());
    EXPECT_EQ(db.ItemAt(1), db.Current());
    const auto shot = zentest::CaptureWindow(list.GetHwnd());
    zentest::SaveScreenshot(shot, L"deny_list");
    // The selected row is drawn in the selection colour, the others are not.
    const uint32_t sel = zentest::FromColorRef(CCeMItemList::kSelectionColor);
    EXPECT_GT(zentest::CountPixels(shot, {100, 40, 200, 60}, sel, 8), 500);
    EXPECT_EQ(0, zentest::CountPixels(shot, {100, 20, 200, 40}, sel, 8));
    // Both columns carry text: dark pixels left and right of x 95.
    EXPECT_GT(zentest::CountPixels(shot, {9, 20, 90, 80}, zentest::Rgb(0, 0, 0), 60), 20);
    EXPECT_GT(zentest::CountPixels(shot, {95, 20, 220, 80}, zentest::Rgb(0, 0, 0), 60), 40);
    // Tapping below the rows clears the selection and the current entry.
    uitest::Tap(ClientPoint(40, 200));
    EXPECT_EQ(nullptr, db.Current());
}

TEST_F(DenyListTest, AddFromTheHoldMenuByPenAndKeys)
{
    Show();
    Expect({{true, 0}});
    Hold(ClientPoint(60, 200));  // below the rows: nothing selected
    ASSERT_EQ(2u, menuStates.size());
    EXPECT_EQ(0u, menuStates[0]);  // "추가" enabled
    EXPECT_NE(0u, menuStates[1]);  // "삭제" greyed
    ASSERT_EQ(1, list.IsAddPage());
    EXPECT_EQ(list.NameEdit(), GetFocus());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(list.GetHwnd(), CCeMDenyListWnd::kOk)));
    EXPECT_EQ(L"", TextOf(list.NameEdit()));
    zentest::SaveScreenshot(zentest::CaptureWindow(list.GetHwnd()), L"deny_add_page");

    for (WORD k : {'P', 'A', 'R', 'K'})
        uitest::Key(k);
    SetFocus(list.NumberEdit());
    for (WORD k : {'0', '1', '1', '9', '8', '7'})
        uitest::Key(k);
    EXPECT_EQ(L"011987", TextOf(list.NumberEdit()));
    TapButton(CCeMDenyListWnd::kOk);
    EXPECT_EQ(0, list.IsAddPage());
    EXPECT_FALSE(IsWindowVisible(list.NameEdit()));
    EXPECT_EQ(4, list.ItemCount());
    EXPECT_EQ(4, Stored());
    EXPECT_EQ(1, db.IsRejected(L"011-987"));
    EXPECT_TRUE(captions.empty());
}

TEST_F(DenyListTest, IncompleteEntriesAreRefusedAndThePageStays)
{
    Show();
    list.OnCommand(0, CCeMDenyListWnd::kAddButton, nullptr);
    ASSERT_EQ(1, list.IsAddPage());
    SetWindowTextW(list.NameEdit(), L"Choi");
    Expect({{false, IDOK}});
    TapButton(CCeMDenyListWnd::kOk);
    ASSERT_EQ(1u, captions.size());
    EXPECT_EQ(L"오류", captions[0]);
    EXPECT_EQ(1, list.IsAddPage());
    EXPECT_EQ(L"Choi", TextOf(list.NameEdit()));  // nothing typed is lost
    // A number without a digit would reject nobody: refused the same way.
    SetWindowTextW(list.NumberEdit(), L"abc");
    Expect({{false, IDOK}});
    TapButton(CCeMDenyListWnd::kOk);
    EXPECT_EQ(1u, captions.size());
    EXPECT_EQ(3, Stored());
    // The edits take 30 characters.
    SetFocus(list.NumberEdit());
    SetWindowTextW(list.NumberEdit(), L"");
    for (int i = 0; i < 35; ++i)
        uitest::Key('5');
    EXPECT_EQ(30u, TextOf(list.NumberEdit()).size());
    TapButton(CCeMDenyListWnd::kCancel);
    EXPECT_EQ(0, list.IsAddPage());
    EXPECT_EQ(3, Stored());
}

TEST_F(DenyListTest, AddWithASelectedEntryShowsItAndAddsNothingNew)
{
    Show();
    uitest::Tap(RowPoint(2));
    ASSERT_STREQ(L"Lee", db.Current()->pszName);
    list.OnCommand(0, CCeMDenyListWnd::kAddButton, nullptr);
    EXPECT_EQ(L"Lee", TextOf(list.NameEdit()));
    EXPECT_EQ(L"0103334444", TextOf(list.NumberEdit()));
    // Taps on the rows under the page leave the entry alone.
    uitest::Tap(RowPoint(5));
    EXPECT_EQ(2, list.SelectedIndex());
    SetWindowTextW(list.NameEdit(), L"Lee again");
    SetWindowTextW(list.NumberEdit(), L"010-333-4444");
    TapButton(CCeMDenyListWnd::kOk);
    EXPECT_EQ(0, list.IsAddPage());
    EXPECT_EQ(3, list.ItemCount());
    EXPECT_EQ(3, Stored());
}

TEST_F(DenyListTest, DeleteFromTheHoldMenuAsksFirst)
{
    Show();
    // Cancelled: kept.
    Expect({{true, 1}, {false, IDCANCEL}});
    Hold(RowPoint(0));
    ASSERT_EQ(2u, menuStates.size());
    EXPECT_NE(0u, menuStates[0]);  // "추가" greyed with an entry selected
    EXPECT_EQ(0u, menuStates[1]);
    ASSERT_EQ(1u, captions.size());
    EXPECT_EQ(L"알림", captions[0]);
    EXPECT_EQ(3, Stored());
    // Confirmed: gone from the list and the store.
    Expect({{true, 1}, {false, IDOK}});
    Hold(RowPoint(0));
    EXPECT_EQ(2, list.ItemCount());
    EXPECT_EQ(2, Stored());
    EXPECT_EQ(0, db.IsRejected(L"02-555-6666"));
    EXPECT_EQ(-1, list.SelectedIndex());
    EXPECT_EQ(nullptr, db.Current());
    // Delete with nothing selected asks nothing.
    Expect({{false, IDOK}});
    list.OnCommand(0, CCeMDenyListWnd::kDelete, nullptr);
    zentest::PumpMessages(300);
    EXPECT_TRUE(captions.empty());
    EXPECT_EQ(2, Stored());
}

TEST_F(DenyListTest, PrivacyAndLockRefuseAndPrivacyHidesTheRows)
{
    for (int i = 0; i < 20; ++i) {
        CCeDenyCallDB more;
        more.Add(L"x", (L"0109" + std::to_wstring(1000 + i)).c_str());
    }
    settings.bPrivacy = 1;
    Show();
    EXPECT_FALSE(list.IsScrollBarVisible());
    const auto shot = zentest::CaptureWindow(list.GetHwnd());
    zentest::SaveScreenshot(shot, L"deny_privacy");
    // Only the centred notice: no ink in the left column's rows.
    EXPECT_EQ(0, zentest::CountPixels(shot, {9, 22, 60, 120}, zentest::Rgb(0, 0, 0), 60));
    EXPECT_GT(zentest::CountPixels(shot, {60, 130, 180, 175}, zentest::Rgb(0, 0, 0), 60), 20);
    Expect({{false, IDOK}});
    list.OnCommand(0, CCeMDenyListWnd::kAdd, nullptr);
    EXPECT_EQ(0, list.IsAddPage());
    settings.bPrivacy = 0;
    settings.bPhoneLocked = 1;
    Expect({{false, IDOK}});
    list.OnCommand(0, CCeMDenyListWnd::kAddButton, nullptr);
    EXPECT_EQ(0, list.IsAddPage());
    ASSERT_EQ(1u, captions.size());
    EXPECT_EQ(L"알림", captions[0]);
    settings.bPhoneLocked = 0;
    list.Refill();
    EXPECT_TRUE(list.IsScrollBarVisible());
}

TEST_F(DenyListTest, SearchFillsTheEditsFromThePickedContact)
{
    Show();
    list.OnCommand(0, CCeMDenyListWnd::kAddButton, nullptr);
    HWND search = GetDlgItem(list.GetHwnd(), CCeMDenyListWnd::kSearch);
    EXPECT_FALSE(IsWindowEnabled(search));  // no picker
    int answer = 1;
    list.SetContactPicker([&](HWND owner, std::wstring* name, std::wstring* mobile) {
        EXPECT_EQ(list.GetHwnd(), owner);
        *name = L"홍길동";
        *mobile = std::wstring(40, L'7');  // longer than the edit holds
        return answer;
    });
    ASSERT_TRUE(IsWindowEnabled(search));
    TapButton(CCeMDenyListWnd::kSearch);
    EXPECT_EQ(L"홍길동", TextOf(list.NameEdit()));
    EXPECT_EQ(std::wstring(30, L'7'), TextOf(list.NumberEdit()));
    answer = 2;  // cancelled: edits unchanged
    SetWindowTextW(list.NameEdit(), L"kept");
    TapButton(CCeMDenyListWnd::kSearch);
    EXPECT_EQ(L"kept", TextOf(list.NameEdit()));
}

TEST_F(DenyListTest, AStoreThatCannotBeWrittenWhileShown)
{
    Show();
    uitest::Tap(RowPoint(0));
    // The store's folder turns into a file: nothing can be opened any more.
    const std::wstring blocker = store.Folder() + L"\\blocker";
    HANDLE f = CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
    SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", (blocker + L"\\store").c_str());

    // Adding reports the failure and keeps the page with what was typed.
    list.OnCommand(0, CCeMDenyListWnd::kAddButton, nullptr);
    SetWindowTextW(list.NameEdit(), L"New");
    SetWindowTextW(list.NumberEdit(), L"0167778888");
    Expect({{false, IDOK}});
    TapButton(CCeMDenyListWnd::kOk);
    ASSERT_EQ(1u, captions.size());
    EXPECT_EQ(L"오류", captions[0]);
    EXPECT_EQ(1, list.IsAddPage());
    EXPECT_EQ(L"0167778888", TextOf(list.NumberEdit()));
    EXPECT_EQ(3, list.ItemCount());
    TapButton(CCeMDenyListWnd::kCancel);

    // Deleting reports the failure; the row stays.
    Expect({{false, IDOK}, {false, IDOK}});
    list.OnCommand(0, CCeMDenyListWnd::kDelete, nullptr);
    ASSERT_EQ(2u, captions.size());
    EXPECT_EQ(L"알림", captions[0]);
    EXPECT_EQ(L"오류", captions[1]);
    EXPECT_EQ(3, list.ItemCount());
    EXPECT_NE(nullptr, db.Current());

    SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", store.Folder().c_str());
    DeleteFileW(blocker.c_str());
    EXPECT_EQ(3, Stored());  // nothing stored was lost
    // Working again: the same delete now goes through.
    Expect({{false, IDOK}});
    list.OnCommand(0, CCeMDenyListWnd::kDelete, nullptr);
    EXPECT_EQ(2, Stored());
}

// The program's pictures: the patterned background, the picture under the
// rows and the add page's image buttons (Search green, OK blue, Cancel grey).
TEST_F(DenyListTest, ThePicturesOfTheProgramAreDrawn)
{
    Show();
    zentest::PumpMessages(100);
    RECT rc;
    GetClientRect(list.GetHwnd(), &rc);
    zentest::Image shot = zentest::CaptureWindow(list.GetHwnd());
    zentest::SaveScreenshot(shot, L"deny_list_pictures");
    // The no-entry ring of the picture in the bottom right corner.
    const RECT corner = {rc.right - 170, rc.bottom - 75, rc.right - 13, rc.bottom};
    EXPECT_GT(zentest::CountPixels(shot, corner, zentest::Rgb(232, 115, 115), 30), 100);
    // The pattern's grain between the rows and the picture.
    const RECT body = {0, 100, rc.right - 13, 180};
    EXPECT_GT(zentest::CountPixels(shot, body, zentest::Rgb(232, 240, 252), 0), 50);

    list.OnCommand(0, CCeMDenyListWnd::kAddButton, nullptr);
    list.SetContactPicker([](HWND, std::wstring*, std::wstring*) { return 0; });
    zentest::PumpMessages(100);
    shot = zentest::CaptureWindow(list.GetHwnd());
    zentest::SaveScreenshot(shot, L"deny_list_add_page");
    auto inButton = [&](int id, uint32_t colour) {
        RECT b;
        GetWindowRect(GetDlgItem(list.GetHwnd(), id), &b);
        MapWindowPoints(nullptr, list.GetHwnd(), reinterpret_cast<POINT*>(&b), 2);
        return zentest::CountPixels(shot, b, colour, 40);
    };
    EXPECT_GT(inButton(CCeMDenyListWnd::kSearch, zentest::Rgb(40, 150, 90)), 100);
    EXPECT_GT(inButton(CCeMDenyListWnd::kOk, zentest::Rgb(30, 100, 200)), 100);
    EXPECT_GT(inButton(CCeMDenyListWnd::kCancel, zentest::Rgb(110, 110, 120)), 100);
    // The add page covers the picture; Cancel, a picture too, closes it.
    EXPECT_LT(zentest::CountPixels(shot, corner, zentest::Rgb(232, 115, 115), 30), 10);
    TapButton(CCeMDenyListWnd::kCancel);
    EXPECT_EQ(0, list.IsAddPage());
}

}  // namespace
