// The image button under real pen input: press, slide out and back, release.
#include <gtest/gtest.h>

#include <vector>

#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "test_res.h"
#include "toolkit/CCeMImageButton.h"

namespace {

// A toolkit window that records the commands its children send.
class Parent : public CCeMWnd {
public:
    int OnCommand(int code, int id, HWND control) override
    {
        commands.push_back({code, id, control});
        return 0;
    }
    struct Command {
        int code, id;
        HWND control;
    };
    std::vector<Command> commands;
};

const uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

class ImageButtonTest : public testing::Test {
protected:
    void SetUp() override
    {
        parent.RegisterWindowClass(L"ZenButtonParent", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
        ASSERT_EQ(1, parent.Create(L"", WS_POPUP | WS_VISIBLE, {0, 0, 240, 320}, nullptr, 0));
        uitest::Activate(parent.GetHwnd());
        ASSERT_EQ(1, button.Create(L"", WS_VISIBLE, {50, 60, 40, 30}, parent.GetHwnd(), 77));
        ASSERT_EQ(1, button.SetBitmap(IDB_TEST_FRAMES, 3));
        button.SizeToFrame();
        zentest::PumpMessages(50);
    }

    // Colour at the middle of the button on the screen.
    uint32_t Shown()
    {
        zentest::PumpMessages(30);
        const auto shot = zentest::CaptureScreen();
        const POINT p = uitest::ScreenPoint(button.GetHwnd(), 10, 10);
        return shot.At(p.x, p.y);
    }

    Parent parent;
    CCeMImageButton button;
};

TEST_F(ImageButtonTest, SizesToOneFrameAndShowsFrameZero)
{
    EXPECT_EQ(20, button.FrameWidth());
    EXPECT_EQ(20, button.BitmapHeight());
    RECT rc;
    GetWindowRect(button.GetHwnd(), &rc);
    EXPECT_EQ(20, rc.right - rc.left);
    EXPECT_EQ(20, rc.bottom - rc.top);
    EXPECT_EQ(50, rc.left);  // not moved
    EXPECT_EQ(kRed, Shown());
}

TEST_F(ImageButtonTest, ReleaseInsideSendsTheCommand)
{
    const POINT at = uitest::ScreenPoint(button.GetHwnd(), 10, 10);
    uitest::PenMove(at);
    uitest::PenDown(at);
    EXPECT_TRUE(button.IsTracking());
    EXPECT_TRUE(button.IsInside());
    EXPECT_EQ(button.GetHwnd(), GetCapture());
    EXPECT_EQ(button.GetHwnd(), GetFocus());
    EXPECT_TRUE(button.HasFocus());
    EXPECT_EQ(kGreen, Shown());  // pressed frame
    EXPECT_TRUE(parent.commands.empty());
    uitest::PenUp(at);
    EXPECT_FALSE(button.IsTracking());
    EXPECT_EQ(nullptr, GetCapture());
    ASSERT_EQ(1u, parent.commands.size());
    EXPECT_EQ(0, parent.commands[0].code);
    EXPECT_EQ(77, parent.commands[0].id);
    EXPECT_EQ(button.GetHwnd(), parent.commands[0].control);
    EXPECT_EQ(kRed, Shown());
}

TEST_F(ImageButtonTest, SlidingOutAndReleasingSendsNothing)
{
    const POINT at = uitest::ScreenPoint(button.GetHwnd(), 10, 10);
    const POINT away = uitest::ScreenPoint(button.GetHwnd(), 60, 70);
    uitest::PenMove(at);
    uitest::PenDown(at);
    EXPECT_TRUE(uitest::PenMoveUntil(away, [this] { return !button.IsInside(); }));
    EXPECT_TRUE(button.IsTracking());
    EXPECT_EQ(kRed, Shown());
    // Left of and above the button: negative client coordinates are outside too.
    uitest::PenMove(uitest::ScreenPoint(button.GetHwnd(), -5, -5));
    EXPECT_FALSE(button.IsInside());
    uitest::PenUp(away);
    EXPECT_TRUE(parent.commands.empty());
}

TEST_F(ImageButtonTest, SlidingBackInsideBeforeReleaseSendsTheCommand)
{
    const POINT at = uitest::ScreenPoint(button.GetHwnd(), 10, 10);
    uitest::PenMove(at);
    uitest::PenDown(at);
    EXPECT_TRUE(uitest::PenMoveUntil(uitest::ScreenPoint(button.GetHwnd(), 100, 10),
                                     [this] { return !button.IsInside(); }));
    const POINT edge = uitest::ScreenPoint(button.GetHwnd(), 19, 19);
    EXPECT_TRUE(uitest::PenMoveUntil(edge, [this] { return button.IsInside(); }));
    uitest::PenUp(edge);
    EXPECT_EQ(1u, parent.commands.size());
}

TEST_F(ImageButtonTest, AQuickSecondTapCountsAsASecondPress)
{
    // The class takes double clicks: the second of two quick taps arrives
    // as WM_LBUTTONDBLCLK, and a digit typed twice must still count twice.
    const POINT at = uitest::ScreenPoint(button.GetHwnd(), 10, 10);
    uitest::Tap(at);
    uitest::Tap(at);
    zentest::PumpMessages(30);
    ASSERT_EQ(2u, parent.commands.size());
    EXPECT_EQ(77, parent.commands[1].id);
    EXPECT_FALSE(button.IsTracking());
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(ImageButtonTest, DisabledShowsFrameTwoEvenWhilePressed)
{
    EnableWindow(button.GetHwnd(), FALSE);
    InvalidateRect(button.GetHwnd(), nullptr, FALSE);
    EXPECT_EQ(kBlue, Shown());
    // A pen press does not reach a disabled window, and nothing is sent.
    uitest::Tap(uitest::ScreenPoint(button.GetHwnd(), 10, 10));
    EXPECT_EQ(kBlue, Shown());
    EXPECT_TRUE(parent.commands.empty());
}

TEST_F(ImageButtonTest, WithoutABitmapItPaintsNothingButStillWorks)
{
    CCeMImageButton bare;
    ASSERT_EQ(1, bare.Create(L"", WS_VISIBLE, {150, 150, 30, 30}, parent.GetHwnd(), 5));
    EXPECT_EQ(0, bare.SetBitmap(4711u, 2));  // no such resource
    uitest::Tap(uitest::ScreenPoint(bare.GetHwnd(), 5, 5));
    ASSERT_EQ(1u, parent.commands.size());
    EXPECT_EQ(5, parent.commands[0].id);
}

TEST_F(ImageButtonTest, AttachTakesTheClientRectangleAsHitArea)
{
    HWND sys = CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD | WS_VISIBLE, 120, 200, 40, 30,
                               parent.GetHwnd(), reinterpret_cast<HMENU>(9), nullptr, nullptr);
    CCeMImageButton attached;
    ASSERT_EQ(1, attached.Attach(sys));
    ASSERT_EQ(1, attached.SetBitmap(IDB_TEST_FRAMES, 3));
    zentest::PumpMessages(30);
    // Released 35 pixels in: inside the 40-wide client area.
    const POINT p = uitest::ScreenPoint(sys, 35, 25);
    uitest::PenMove(p);
    uitest::PenDown(p);
    uitest::PenUp(p);
    ASSERT_EQ(1u, parent.commands.size());
    EXPECT_EQ(9, parent.commands[0].id);
}

}  // namespace
