// The call rejection screen on a real window with real pen input: the
// header's add and delete buttons around the rejected-number list, the
// refusals under privacy and lock, and the back request.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CCeMWndRejectCall.h"
#include "CallsTestHost.h"
#include "UiInput.h"
#include "WinTest.h"

namespace {

constexpr int kAddX = 240 - 68 + 10, kDeleteX = 240 - 46 + 10, kBackX = 240 - 24 + 10, kButtonY = 13;

std::wstring TextOf(HWND hwnd)
{
    wchar_t buf[128] = {};
    GetWindowTextW(hwnd, buf, 128);
    return buf;
}

class RejectCallScreen : public testing::Test {
protected:
    void SetUp() override
    {
        CCeDenyCallDB seed;
        ASSERT_EQ(1, seed.Add(L"Kim", L"010-111-2222"));
        ASSERT_EQ(1, seed.Add(L"Lee", L"0103334444"));
    }
    void Open()
    {
        screen = std::make_unique<CCeMWndRejectCall>(d.data);
        ASSERT_TRUE(screen->CreateScreen(host.Hwnd(), callstest::Host::ViewPlacement(), 26));
        zentest::PumpMessages(100);
    }
    CCeMDenyListWnd& List() { return screen->List(); }
    void TapRow(int row) { callstest::TapAt(List().GetHwnd(), 40, 20 + row * 20 + 10); }
    void TapHeader(int x) { callstest::TapAt(screen->GetHwnd(), x, kButtonY); }
    void TapPageButton(int id)
    {
        RECT rc;
        GetWindowRect(GetDlgItem(List().GetHwnd(), id), &rc);
        uitest::Tap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        zentest::PumpMessages(100);
    }
    // A tap on delete that brings up no box and deletes nothing.
    void DeleteAsksNothing()
    {
        std::wstring caption;
        callstest::AnswerNextBox(true, &caption);
        TapHeader(kDeleteX);
        zentest::PumpMessages(300);
        uitest::StopModalSteps();
        EXPECT_EQ(L"", caption);
        EXPECT_EQ(2, Stored());
    }
    static int Stored()
    {
        CCeDenyCallDB fresh;
        fresh.Load();
        return fresh.ItemCount();
    }

    callstest::Data d{L"rejectcall"};
    callstest::Host host;
    std::unique_ptr<CCeMWndRejectCall> screen;
};

TEST_F(RejectCallScreen, ShowsTheListUnderTheTitleWithTheFocus)
{
    Open();
    HWND list = List().GetHwnd();
    EXPECT_EQ(list, GetFocus());
    RECT rc;
    GetWindowRect(list, &rc);
    MapWindowPoints(nullptr, screen->GetHwnd(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_TRUE(rc.left == 2 && rc.top == 25 && rc.right == 238 && rc.bottom == 188)
        << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
    EXPECT_EQ(2, List().ItemCount());
    const zentest::Image shot = callstest::Shot(screen->GetHwnd(), L"reject_list");
    // The title: white ink left of the header's buttons.
    EXPECT_GT(callstest::Ink(shot, {60, 3, 170, 23}, RGB(255, 255, 255), 40), 30);
    // Both rows carry ink in both columns.
    EXPECT_GT(callstest::Ink(shot, {11, 45, 92, 85}, RGB(0, 0, 0), 140), 20);
    EXPECT_GT(callstest::Ink(shot, {97, 45, 230, 85}, RGB(0, 0, 0), 140), 40);

    TapHeader(kBackX);
    const callstest::Sent* close = host.Last(WM_COMMAND);
    ASSERT_NE(nullptr, close);
    EXPECT_EQ(26u, LOWORD(close->wp));
    EXPECT_EQ(static_cast<WPARAM>(CCeMCallScreen::kCloseRequest), HIWORD(close->wp));
}

TEST_F(RejectCallScreen, TheAddButtonOpensThePageAndOkAddsWhatWasTyped)
{
    Open();
    TapHeader(kAddX);
    ASSERT_EQ(1, List().IsAddPage());
    EXPECT_EQ(List().NameEdit(), GetFocus());
    EXPECT_EQ(L"", TextOf(List().NameEdit()));
    callstest::Shot(screen->GetHwnd(), L"reject_add_page");
    for (WORD k : {'P', 'A', 'R', 'K'})
        uitest::Key(k);
    // A second tap on add keeps the page and what was typed.
    TapHeader(kAddX);
    EXPECT_EQ(0, _wcsicmp(L"park", TextOf(List().NameEdit()).c_str()));

    // No number: refused, the page stays.
    std::wstring caption;
    callstest::AnswerNextBox(true, &caption);
    TapPageButton(CCeMDenyListWnd::kOk);
    EXPECT_EQ(0u, caption.find(L"오류")) << caption.c_str();
    EXPECT_EQ(1, List().IsAddPage());

    SetFocus(List().NumberEdit());
    for (WORD k : {'0', '1', '6', '5', '5', '5', '1', '2', '3', '4'})
        uitest::Key(k);
    TapPageButton(CCeMDenyListWnd::kOk);
    EXPECT_EQ(0, List().IsAddPage());
    EXPECT_EQ(3, List().ItemCount());
    EXPECT_EQ(3, Stored());
    EXPECT_EQ(1, d.data.m_DenyCallDB.IsRejected(L"016-555-1234"));
}

TEST_F(RejectCallScreen, TheDeleteButtonAsksOnlyForASelectedEntry)
{
    Open();
    // Nothing selected: no question, nothing deleted.
    DeleteAsksNothing();
    std::wstring caption;

    TapRow(1);
    ASSERT_NE(nullptr, d.data.m_DenyCallDB.Current());
    ASSERT_STREQ(L"Lee", d.data.m_DenyCallDB.Current()->pszName);
    callstest::AnswerNextBox(false, &caption);
    TapHeader(kDeleteX);
    EXPECT_EQ(0u, caption.find(L"알림")) << caption.c_str();
    EXPECT_EQ(2, Stored());

    callstest::AnswerNextBox(true);
    TapHeader(kDeleteX);
    EXPECT_EQ(1, Stored());
    EXPECT_EQ(1, List().ItemCount());
    EXPECT_EQ(0, d.data.m_DenyCallDB.IsRejected(L"0103334444"));
    EXPECT_EQ(1, d.data.m_DenyCallDB.IsRejected(L"0101112222"));
}

TEST_F(RejectCallScreen, AddWithAnEntrySelectedShowsItAndDeleteOnThePageDoesNothing)
{
    Open();
    TapRow(0);
    TapHeader(kAddX);
    ASSERT_EQ(1, List().IsAddPage());
    EXPECT_EQ(L"Kim", TextOf(List().NameEdit()));
    EXPECT_EQ(L"010-111-2222", TextOf(List().NumberEdit()));
    DeleteAsksNothing();
    TapPageButton(CCeMDenyListWnd::kCancel);
    EXPECT_EQ(0, List().IsAddPage());
    EXPECT_EQ(2, Stored());
}

TEST_F(RejectCallScreen, PrivacyAndLockRefuseBothButtons)
{
    d.data.m_Settings.bPrivacy = 1;
    Open();
    const zentest::Image shot = callstest::Shot(screen->GetHwnd(), L"reject_privacy");
    // No rows, only the notice in the middle.
    EXPECT_EQ(0, callstest::Ink(shot, {11, 45, 92, 85}, RGB(0, 0, 0), 140));
    EXPECT_GT(callstest::Ink(shot, {60, 110, 180, 140}, RGB(0, 0, 0)), 20);
    for (int x : {kAddX, kDeleteX}) {
        std::wstring caption;
        callstest::AnswerNextBox(true, &caption);
        TapRow(0);
        TapHeader(x);
        EXPECT_EQ(0u, caption.find(L"알림")) << caption.c_str();
        EXPECT_EQ(0, List().IsAddPage());
    }
    d.data.m_Settings.bPrivacy = 0;
    d.data.m_Settings.bPhoneLocked = 1;
    for (int x : {kAddX, kDeleteX}) {
        std::wstring caption;
        callstest::AnswerNextBox(true, &caption);
        TapRow(0);
        TapHeader(x);
        EXPECT_EQ(0u, caption.find(L"알림")) << caption.c_str();
        EXPECT_EQ(0, List().IsAddPage());
    }
    EXPECT_EQ(2, Stored());
}

}  // namespace
