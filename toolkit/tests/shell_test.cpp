// The shell stand-in: menu bar, tap-and-hold, dialog set-up, full screen,
// application keys, DIB loading, input panel.
#include <gtest/gtest.h>

#include <aygshell.h>
#include <sipapi.h>

#include <atomic>
#include <commctrl.h>
#include <thread>
#include <vector>

#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "test_res.h"
#include "toolkit/CCeMMenuBar.h"
#include "toolkit/CCeMWnd.h"

namespace {

// A toolkit window that records commands and keys.
class Recorder : public CCeMWnd {
public:
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_KEYDOWN)
            keys.push_back(static_cast<int>(wp));
        return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
    }
    int OnCommand(int, int id, HWND) override
    {
        commands.push_back(id);
        return 0;
    }
    std::vector<int> commands, keys;
};

class ShellTest : public testing::Test {
protected:
    void SetUp() override
    {
        main.RegisterWindowClass(L"ZenShellMain", CS_HREDRAW | CS_VREDRAW,
                                 static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), nullptr, nullptr, nullptr);
        ASSERT_EQ(1, main.Create(L"main", WS_POPUP | WS_VISIBLE, {0, 0, 240, 320}, nullptr, 0));
        uitest::Activate(main.GetHwnd());
    }
    void TearDown() override
    {
        uitest::StopModalSteps();
        main.Destroy();
    }
    Recorder main;
};

TEST_F(ShellTest, MenuBarSitsAtTheBottomAndSendsItsCommands)
{
    CCeMMenuBar bar;
    ASSERT_EQ(1, bar.Create(GetModuleHandleW(nullptr), main.GetHwnd(), IDR_TEST_BAR, 0, IDB_TEST_BAR_IMAGES, 3));
    HWND mb = bar.Hwnd();
    ASSERT_NE(nullptr, mb);
    EXPECT_EQ(sizeof(SHMENUBARINFO), bar.Info().cbSize);
    RECT rc;
    GetWindowRect(mb, &rc);
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(320 - 26, rc.top);
    EXPECT_EQ(240, rc.right);
    EXPECT_EQ(320, rc.bottom);
    EXPECT_TRUE(IsWindowVisible(mb));
    EXPECT_EQ(main.GetHwnd(), GetWindow(mb, GW_OWNER));
    zentest::PumpMessages(50);
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"menu_bar");

    // The first button is the text "새로"; tapping it sends its command.
    uitest::Tap(uitest::ScreenPoint(mb, 10, 13));
    EXPECT_TRUE(zentest::WaitUntil([&] { return !main.commands.empty(); }, 500));
    ASSERT_EQ(1u, main.commands.size());
    EXPECT_EQ(IDC_TEST_NEW, main.commands[0]);

    // A disabled button sends nothing.
    EXPECT_TRUE(SendMessageW(mb, TB_ENABLEBUTTON, IDC_TEST_NEW, FALSE));
    EXPECT_FALSE(SendMessageW(mb, TB_ISBUTTONENABLED, IDC_TEST_NEW, 0));
    uitest::Tap(uitest::ScreenPoint(mb, 10, 13));
    EXPECT_EQ(1u, main.commands.size());

    // The button's submenu comes from the menu resource.
    HMENU sub = reinterpret_cast<HMENU>(SendMessageW(mb, SHCMBM_GETMENU, 0, 0));
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ(2, GetMenuItemCount(GetSubMenu(sub, 0)));
}

TEST_F(ShellTest, MenuBarPopupOpensAboveTheBarAndReportsTheChoice)
{
    CCeMMenuBar bar;
    ASSERT_EQ(1, bar.Create(GetModuleHandleW(nullptr), main.GetHwnd(), IDR_TEST_BAR, 0, IDB_TEST_BAR_IMAGES, 3));
    // The second button ("메뉴") starts after the first; find it by scanning.
    std::atomic<bool> opened{false};
    RECT popup = {};
    std::thread watcher([&] {
        for (int i = 0; i < 200 && !opened; ++i) {
            if (HWND w = uitest::FindOwnVisible(L"#32768")) {
                GetWindowRect(w, &popup);
                opened = true;
                // Choose the first item with the keyboard.
                INPUT k[4] = {};
                for (INPUT& in : k)
                    in.type = INPUT_KEYBOARD;
                k[0].ki.wVk = k[1].ki.wVk = VK_DOWN;
                k[1].ki.dwFlags = KEYEVENTF_KEYUP;
                k[2].ki.wVk = k[3].ki.wVk = VK_RETURN;
                k[3].ki.dwFlags = KEYEVENTF_KEYUP;
                SendInput(4, k, sizeof(INPUT));
            }
            Sleep(10);
        }
    });
    for (int x = 30; x < 120 && !opened; x += 10)
        uitest::Tap(uitest::ScreenPoint(bar.Hwnd(), x, 13));
    watcher.join();
    ASSERT_TRUE(opened);
    EXPECT_LE(popup.bottom, 320 - 26 + 1);  // above the bar
    zentest::WaitUntil([&] { return !main.commands.empty(); }, 500);
    ASSERT_FALSE(main.commands.empty());
    EXPECT_EQ(IDC_TEST_ITEM1, main.commands.back());
}

TEST_F(ShellTest, MenuBarFailsWithoutItsResourceAndCanBeEmpty)
{
    CCeMMenuBar missing;
    EXPECT_EQ(0, missing.Create(GetModuleHandleW(nullptr), main.GetHwnd(), 4711, 0, 0, 0));
    EXPECT_EQ(nullptr, missing.Hwnd());
    CCeMMenuBar empty;
    EXPECT_EQ(1, empty.Create(GetModuleHandleW(nullptr), main.GetHwnd(), 0, SHCMBF_EMPTYBAR, 0, 0));
    EXPECT_NE(nullptr, empty.Hwnd());
    EXPECT_FALSE(SHCreateMenuBar(nullptr));
    SHMENUBARINFO bad = {};
    bad.cbSize = sizeof bad;
    bad.hwndParent = reinterpret_cast<HWND>(0x1234);
    EXPECT_FALSE(SHCreateMenuBar(&bad));
}

TEST_F(ShellTest, MenuBarInputPanelButtonTogglesThePanel)
{
    CCeMMenuBar bar;
    ASSERT_EQ(1, bar.Create(GetModuleHandleW(nullptr), main.GetHwnd(), 0, SHCMBF_EMPTYBAR, 0, 0));
    SIPINFO si = {};
    si.cbSize = sizeof si;
    uitest::Tap(uitest::ScreenPoint(bar.Hwnd(), 240 - 12, 13));
    ASSERT_TRUE(SipGetInfo(&si));
    EXPECT_TRUE(si.fdwFlags & SIPF_ON);
    EXPECT_EQ(si.rcSipRect.top, si.rcVisibleDesktop.bottom);
    uitest::Tap(uitest::ScreenPoint(bar.Hwnd(), 240 - 12, 13));
    ASSERT_TRUE(SipGetInfo(&si));
    EXPECT_FALSE(si.fdwFlags & SIPF_ON);
    SIPINFO small = {};
    small.cbSize = 4;
    EXPECT_FALSE(SipGetInfo(&small));
}

// Presses at a point of `hwnd` with the real pen and asks for the gesture.
DWORD PressAndRecognize(HWND hwnd, POINT client, DWORD flags, DWORD* tookMs)
{
    const POINT screen = uitest::ScreenPoint(hwnd, client.x, client.y);
    uitest::PenMove(screen);
    uitest::PenDown(screen);
    SHRGINFO rg = {sizeof rg, hwnd, client, flags};
    const DWORD start = GetTickCount();
    const DWORD r = SHRecognizeGesture(&rg);
    *tookMs = GetTickCount() - start;
    return r;
}

TEST_F(ShellTest, HoldingStillIsTheContextGestureWithADotCue)
{
    std::atomic<int> redDots{-1};
    std::thread shooter([&] {
        Sleep(420);  // the cue is drawn while the pen is held
        const auto shot = zentest::CaptureScreen();
        redDots = zentest::CountPixels(shot, {100, 100, 140, 140}, zentest::Rgb(220, 0, 0), 30);
    });
    DWORD took = 0;
    EXPECT_EQ(static_cast<DWORD>(GN_CONTEXTMENU), PressAndRecognize(main.GetHwnd(), {120, 120}, SHRG_RETURNCMD, &took));
    shooter.join();
    uitest::PenUp(uitest::ScreenPoint(main.GetHwnd(), 120, 120));
    EXPECT_GE(took, 480u);
    EXPECT_LT(took, 1500u);
    EXPECT_GT(redDots.load(), 0);
    // The cue is gone afterwards.
    zentest::PumpMessages(50);
    EXPECT_EQ(0, zentest::CountPixels(zentest::CaptureScreen(), {100, 100, 140, 140}, zentest::Rgb(220, 0, 0), 30));
}

TEST_F(ShellTest, ReleasingOrMovingIsNoGesture)
{
    // Released before the time: the release stays queued for the window.
    const POINT at = uitest::ScreenPoint(main.GetHwnd(), 50, 50);
    uitest::PenMove(at);
    uitest::PenDown(at);
    INPUT up = {};
    up.type = INPUT_MOUSE;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &up, sizeof up);
    SHRGINFO rg = {sizeof rg, main.GetHwnd(), {50, 50}, SHRG_RETURNCMD};
    const DWORD start = GetTickCount();
    EXPECT_EQ(0u, SHRecognizeGesture(&rg));
    EXPECT_LT(GetTickCount() - start, 300u);
    MSG m;
    EXPECT_TRUE(PeekMessageW(&m, main.GetHwnd(), WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE));
    zentest::PumpMessages(30);

    // Dragged away while held: a move beyond a few pixels is queued.
    uitest::PenDown(at);
    PostMessageW(main.GetHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 50));
    EXPECT_EQ(0u, SHRecognizeGesture(&rg));
    // A small wobble is still a hold.
    PostMessageW(main.GetHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(52, 51));
    EXPECT_EQ(0u, SHRecognizeGesture(&rg));  // the far move is still queued first
    zentest::PumpMessages(30);
    PostMessageW(main.GetHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(52, 51));
    EXPECT_EQ(static_cast<DWORD>(GN_CONTEXTMENU), SHRecognizeGesture(&rg));
    uitest::PenUp(at);

    // Bad requests.
    EXPECT_EQ(0u, SHRecognizeGesture(nullptr));
    SHRGINFO dead = {sizeof dead, reinterpret_cast<HWND>(0x4321), {0, 0}, SHRG_RETURNCMD};
    EXPECT_EQ(0u, SHRecognizeGesture(&dead));
}

TEST_F(ShellTest, BoundApplicationKeysGoToTheirWindow)
{
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, main.GetHwnd(),
                                nullptr, nullptr, nullptr);
    SetFocus(edit);
    Recorder target;
    target.RegisterWindowClass(L"ZenKeyTarget", 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(1, target.Create(L"", WS_CHILD, {0, 0, 1, 1}, main.GetHwnd(), 0));
    ASSERT_TRUE(SHSetAppKeyWndAssoc(0xC1, target.GetHwnd()));
    uitest::Key(0xC1);
    EXPECT_EQ(std::vector<int>{0xC1}, target.keys);
    EXPECT_EQ(edit, GetFocus());
    // Unbound keys go to the focus as usual.
    uitest::Key(0xC2);
    EXPECT_EQ(1u, target.keys.size());
    ASSERT_TRUE(SHSetAppKeyWndAssoc(0xC1, nullptr));
    uitest::Key(0xC1);
    EXPECT_EQ(1u, target.keys.size());
    EXPECT_FALSE(SHSetAppKeyWndAssoc(0x41, target.GetHwnd()));  // not an application key
    EXPECT_FALSE(SHSetAppKeyWndAssoc(0xC3, reinterpret_cast<HWND>(0x4321)));
}

TEST_F(ShellTest, InitDialogSizesAndMarksTheDoneButton)
{
    HWND dlg = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 40, 40, 50, 50, main.GetHwnd(),
                               nullptr, nullptr, nullptr);
    SHINITDLGINFO init = {SHIDIM_FLAGS, dlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN};
    ASSERT_TRUE(SHInitDialog(&init));
    RECT rc;
    GetWindowRect(dlg, &rc);
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(26, rc.top);
    EXPECT_EQ(240, rc.right);
    EXPECT_EQ(320 - 26, rc.bottom);
    EXPECT_NE(nullptr, GetPropW(dlg, L"ZenShDoneButton"));
    EXPECT_TRUE(SHDoneButton(dlg, SHDB_HIDE));
    EXPECT_EQ(nullptr, GetPropW(dlg, L"ZenShDoneButton"));
    SHINITDLGINFO noMask = {0, dlg, SHIDIF_DONEBUTTON};
    EXPECT_FALSE(SHInitDialog(&noMask));
    EXPECT_FALSE(SHInitDialog(nullptr));
    DestroyWindow(dlg);
}

TEST_F(ShellTest, FullScreenHidesAndShowsTheTaskbar)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HHTaskBar";
    RegisterClassW(&wc);
    HWND taskbar = CreateWindowExW(0, L"HHTaskBar", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 26, nullptr,
                                   nullptr, wc.hInstance, nullptr);
    EXPECT_TRUE(SHFullScreen(main.GetHwnd(), SHFS_HIDETASKBAR));
    EXPECT_FALSE(IsWindowVisible(taskbar));
    EXPECT_TRUE(SHFullScreen(main.GetHwnd(), SHFS_SHOWTASKBAR));
    EXPECT_TRUE(IsWindowVisible(taskbar));
    DestroyWindow(taskbar);
    EXPECT_TRUE(SHFullScreen(main.GetHwnd(), SHFS_HIDETASKBAR));  // no shell: nothing to do
    EXPECT_FALSE(SHFullScreen(nullptr, SHFS_HIDETASKBAR));
}

TEST_F(ShellTest, LoadDIBitmapReadsFilesOnly)
{
    zentest::Image img;
    img.width = 3;
    img.height = 2;
    img.pixels.assign(6, 0x00FF00);
    ASSERT_TRUE(img.SaveBmp(L"shell_test_dib.bmp"));
    HBITMAP bmp = SHLoadDIBitmap(L"shell_test_dib.bmp");
    ASSERT_NE(nullptr, bmp);
    BITMAP bm = {};
    GetObjectW(bmp, sizeof bm, &bm);
    EXPECT_EQ(3, bm.bmWidth);
    EXPECT_EQ(2, bm.bmHeight);
    DeleteObject(bmp);
    EXPECT_EQ(nullptr, SHLoadDIBitmap(L"no-such-file.bmp"));
    EXPECT_EQ(nullptr, SHLoadDIBitmap(L""));
    EXPECT_EQ(nullptr, SHLoadDIBitmap(nullptr));
}

}  // namespace
