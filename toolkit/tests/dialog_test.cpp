// Dialogs from templates: button layouts, countdown, modal and modeless.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UiInput.h"
#include "WinTest.h"
#include "resources/toolkit_res.h"
#include "toolkit/CCeMDialog.h"
#include "toolkit/CCeMToolkit.h"
#include "toolkit/CCeMWndMap.h"

namespace {

HINSTANCE Self() { return GetModuleHandleW(nullptr); }

std::wstring Caption(HWND hwnd)
{
    wchar_t buf[128] = {};
    GetWindowTextW(hwnd, buf, 128);
    return buf;
}

RECT ChildRect(HWND dlg, int id)
{
    RECT rc = {};
    HWND child = GetDlgItem(dlg, id);
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

class TestDialog : public CCeMDialog {
public:
    void OnInitControls(HWND) override { ++initControls; }
    void OnTimeout(int modeless) override { timeouts.push_back(modeless); }
    int OnInitDialog(HWND hwnd) override
    {
        const int r = CCeMDialog::OnInitDialog(hwnd);
        boundInInit = m_hWnd == hwnd && WndMap().Lookup(hwnd) == this;
        GetClientRect(hwnd, &client);
        ok = ChildRect(hwnd, IDOK);
        cancel = ChildRect(hwnd, IDCANCEL);
        // The dialog itself is not shown yet: look at the button's own style.
        cancelVisible = (GetWindowLongW(GetDlgItem(hwnd, IDCANCEL), GWL_STYLE) & WS_VISIBLE) != 0;
        return r;
    }
    int initControls = 0;
    std::vector<int> timeouts;
    bool boundInInit = false, cancelVisible = false;
    RECT client = {}, ok = {}, cancel = {};
};

class DialogTest : public testing::Test {
protected:
    void TearDown() override { uitest::StopModalSteps(); }

    // Runs the dialog modally and presses `button` once it is up.
    INT_PTR RunAndPress(TestDialog& dlg, int layout, int button)
    {
        uitest::WhileModal(50, [&dlg, button] {
            if (!dlg.GetHwnd())
                return true;
            PostMessageW(dlg.GetHwnd(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            return false;
        });
        return dlg.DoModal(Self(), IDD_MSGBOX, nullptr, layout);
    }
};

TEST_F(DialogTest, OneButtonLayoutShowsOnlyOkAtTheBottom)
{
    TestDialog dlg;
    EXPECT_EQ(IDOK, RunAndPress(dlg, CCeMDialog::kLayoutOneButton, IDOK));
    EXPECT_TRUE(dlg.boundInInit);
    EXPECT_EQ(1, dlg.initControls);
    EXPECT_FALSE(dlg.cancelVisible);
    const int w = dlg.client.right, h = dlg.client.bottom;
    EXPECT_EQ(w / 2 - 28, dlg.ok.left);
    EXPECT_EQ(h - 30, dlg.ok.top);
    EXPECT_EQ(80, dlg.ok.right - dlg.ok.left);
    EXPECT_EQ(25, dlg.ok.bottom - dlg.ok.top);
    EXPECT_TRUE(dlg.IsModal());
    EXPECT_EQ(nullptr, dlg.GetHwnd());  // the handle is forgotten once it is gone
}

TEST_F(DialogTest, TwoButtonLayoutPlacesBothSideBySide)
{
    TestDialog dlg;
    EXPECT_EQ(IDCANCEL, RunAndPress(dlg, CCeMDialog::kLayoutTwoButtons, IDCANCEL));
    EXPECT_EQ(1, dlg.initControls);
    EXPECT_TRUE(dlg.cancelVisible);
    const int w = dlg.client.right, h = dlg.client.bottom;
    EXPECT_EQ(w / 2 - 65, dlg.ok.left);
    EXPECT_EQ(w / 2 + 5, dlg.cancel.left);
    EXPECT_EQ(h - 30, dlg.ok.top);
    EXPECT_EQ(h - 30, dlg.cancel.top);
    EXPECT_EQ(60, dlg.cancel.right - dlg.cancel.left);
}

TEST_F(DialogTest, KeepLayoutLeavesTheTemplatesButtons)
{
    TestDialog dlg;
    EXPECT_EQ(IDOK, RunAndPress(dlg, CCeMDialog::kLayoutKeep, IDOK));
    EXPECT_EQ(0, dlg.initControls);
    EXPECT_TRUE(dlg.cancelVisible);
    EXPECT_LT(dlg.ok.right, dlg.cancel.left);  // as the template has them
}

TEST_F(DialogTest, CountdownShowsSecondsAndEndsWithCancel)
{
    TestDialog dlg;
    dlg.SetCaptionText(L"확인 중");
    ASSERT_EQ(1, dlg.SetTimeout(2));
    std::vector<std::wstring> captions;
    int refused = -1;
    uitest::WhileModal(100, [&] {
        if (!dlg.GetHwnd())
            return true;
        if (refused < 0 && dlg.IsTimerRunning())
            refused = dlg.SetTimeout(9);
        const std::wstring c = Caption(dlg.GetHwnd());
        if (captions.empty() || captions.back() != c)
            captions.push_back(c);
        return true;
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(IDCANCEL, dlg.DoModal(Self(), IDD_MSGBOX, nullptr, CCeMDialog::kLayoutKeep));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 1900u);
    EXPECT_LT(took, 4000u);
    EXPECT_EQ(0, refused);  // a running countdown cannot be changed
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(L"확인 중(1)", captions.back());
    EXPECT_EQ(std::vector<int>{0}, dlg.timeouts);
    EXPECT_EQ(0, dlg.Countdown());
    EXPECT_FALSE(dlg.IsTimerRunning());
}

TEST_F(DialogTest, CloseOfAModalDialogIsCancel)
{
    TestDialog dlg;
    uitest::WhileModal(50, [&dlg] {
        if (!dlg.GetHwnd())
            return true;
        PostMessageW(dlg.GetHwnd(), WM_CLOSE, 0, 0);
        return false;
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal(Self(), IDD_MSGBOX, nullptr, CCeMDialog::kLayoutKeep));
}

TEST_F(DialogTest, MissingTemplateAndABoundWindowFail)
{
    TestDialog dlg;
    EXPECT_EQ(-1, dlg.DoModal(Self(), 4711, nullptr, 0));
    EXPECT_EQ(0, dlg.CreateModeless(Self(), 4711, nullptr));
    EXPECT_EQ(nullptr, dlg.GetHwnd());
    // Nothing was left parked for the next window.
    EXPECT_EQ(nullptr, CCeMToolkit::TakeObjectUnderCreation());

    ASSERT_EQ(1, dlg.CreateModeless(Self(), IDD_MSGBOX, nullptr));
    EXPECT_EQ(-1, dlg.DoModal(Self(), IDD_MSGBOX, nullptr, 0));
    EXPECT_EQ(0, dlg.CreateModeless(Self(), IDD_MSGBOX, nullptr));
    // A dialog's window only comes from a template.
    EXPECT_EQ(0, dlg.Create(L"x", WS_POPUP, {0, 0, 10, 10}, nullptr, 0));
    EXPECT_EQ(0, dlg.Destroy());
    EXPECT_EQ(0, dlg.Attach(GetDesktopWindow()));
    EXPECT_EQ(0, dlg.RunMessageLoop());
}

TEST_F(DialogTest, ModelessShowsHidesAndCountsDown)
{
    TestDialog dlg;
    dlg.SetCaptionText(L"알림");
    ASSERT_EQ(1, dlg.CreateModeless(Self(), IDD_MSGBOX, nullptr));
    HWND hwnd = dlg.GetHwnd();
    EXPECT_FALSE(dlg.IsModal());
    EXPECT_FALSE(IsWindowVisible(hwnd));

    dlg.ShowDialog(SW_SHOW, 1);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(L"알림", Caption(hwnd));
    EXPECT_EQ(0, dlg.ShowDialog(SW_SHOW, 1));  // already visible
    EXPECT_TRUE(zentest::WaitUntil([&] { return !IsWindowVisible(hwnd); }, 3000));
    EXPECT_EQ(L"알림(0)", Caption(hwnd));
    EXPECT_EQ(std::vector<int>{1}, dlg.timeouts);
    EXPECT_TRUE(IsWindow(hwnd));  // hidden, not destroyed

    // Showing again restores the plain caption and restarts the countdown.
    dlg.ShowDialog(SW_SHOW, 5);
    EXPECT_EQ(L"알림", Caption(hwnd));
    EXPECT_TRUE(dlg.IsTimerRunning());
    EXPECT_EQ(5, dlg.Countdown());
    // Hiding stops it.
    dlg.ShowDialog(SW_HIDE, 0);
    EXPECT_FALSE(dlg.IsTimerRunning());
    EXPECT_EQ(0, dlg.Countdown());
    zentest::PumpMessages(1200);
    EXPECT_EQ(L"알림", Caption(hwnd));
    EXPECT_EQ(1u, dlg.timeouts.size());

    // Zero seconds: no countdown at all.
    dlg.ShowDialog(SW_SHOW, 0);
    EXPECT_FALSE(dlg.IsTimerRunning());
}

TEST_F(DialogTest, ModelessDialogDiesWithItsObject)
{
    HWND hwnd;
    {
        TestDialog dlg;
        ASSERT_EQ(1, dlg.CreateModeless(Self(), IDD_MSGBOX, nullptr));
        hwnd = dlg.GetHwnd();
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, WndMap().Lookup(hwnd));
    // ShowDialog without a window, or on a modal dialog, does nothing.
    TestDialog none;
    EXPECT_EQ(0, none.ShowDialog(SW_SHOW, 1));
}

}  // namespace
