// The shell's taskbar as a program of its own: its place, the notification
// icons other programs add, taps reported to their owners, full screen.
#include <gtest/gtest.h>

#include <aygshell.h>
#include <ce_shellapi.h>

#include "Screenshot.h"
#include "ShellProcess.h"
#include "ce/shell/NotifyWire.h"

using namespace zentest;
using shelltest::IconSlot;
using shelltest::SolidIcon;

namespace {

const UINT kCallback = WM_APP + 7;

// A window of this process that owns icons and records the taps it is told of.
struct Owner {
    HWND hwnd = nullptr;
    static std::vector<std::pair<WPARAM, LPARAM>>& Taps()
    {
        static std::vector<std::pair<WPARAM, LPARAM>> taps;
        return taps;
    }
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l)
    {
        if (m == kCallback) {
            Taps().push_back({w, l});
            return 0;
        }
        return DefWindowProcW(h, m, w, l);
    }
    Owner()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ShellTestOwner";
        RegisterClassW(&wc);
        hwnd = CreateWindowW(L"ShellTestOwner", L"owner", WS_POPUP, 0, 100, 10, 10, nullptr, nullptr,
                             wc.hInstance, nullptr);
        Taps().clear();
    }
    ~Owner()
    {
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
    }
};

NOTIFYICONDATAW Icon(HWND owner, UINT id, HICON icon)
{
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = owner;
    nid.uID = id;
    nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = kCallback;
    nid.hIcon = icon;
    wcscpy(nid.szTip, L"test");
    return nid;
}

int ColourIn(const RECT& rc, uint32_t colour)
{
    PumpMessages(300);
    return CountPixels(CaptureScreen(), rc, colour, 12);
}

class ShellTaskBar : public ::testing::Test {
protected:
    shelltest::ShellProcess shell;
};

TEST_F(ShellTaskBar, SitsAlongTheTopAndRunsOnce)
{
    ASSERT_NE(nullptr, shell.Bar());
    RECT rc;
    GetWindowRect(shell.Bar(), &rc);
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(0, rc.top);
    EXPECT_EQ(240, rc.right);
    EXPECT_EQ(26, rc.bottom);
    EXPECT_TRUE(IsWindowVisible(shell.Bar()));
    EXPECT_TRUE(GetWindowLongW(shell.Bar(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    // A second shell ends at once and leaves the first alone.
    HANDLE second = StartProgram(L"zenshell.exe");
    EXPECT_EQ(0u, WaitExit(second, 5000));
    EndProcess(second);
    EXPECT_TRUE(IsWindow(shell.Bar()));
    SaveScreenshot(CaptureScreen(), L"shell_taskbar");
}

TEST_F(ShellTaskBar, IconsAreAddedChangedAndRemoved)
{
    ASSERT_NE(nullptr, shell.Bar());
    Owner owner;
    HICON red = SolidIcon(RGB(255, 0, 0)), green = SolidIcon(RGB(0, 255, 0)), blue = SolidIcon(RGB(0, 0, 255));
    const RECT slot0 = IconSlot(0), slot1 = IconSlot(1);
    const int full = 12 * 12;  // the icon's opaque middle

    NOTIFYICONDATAW a = Icon(owner.hwnd, 1, red);
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &a));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &a));  // the same icon twice
    NOTIFYICONDATAW b = Icon(owner.hwnd, 2, blue);
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &b));
    EXPECT_EQ(full, ColourIn(slot0, Rgb(255, 0, 0)));
    EXPECT_EQ(full, ColourIn(slot1, Rgb(0, 0, 255)));
    // The see-through border shows the bar, not black.
    EXPECT_EQ(0, CountPixels(CaptureScreen(), slot0, Rgb(0, 0, 0), 8));
    SaveScreenshot(CaptureScreen(), L"shell_two_icons");

    // The owner may free its icon: the shell keeps its own copy.
    DestroyIcon(red);
    a.hIcon = green;
    a.uFlags = NIF_ICON;
    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &a));
    EXPECT_EQ(full, ColourIn(slot0, Rgb(0, 255, 0)));
    EXPECT_EQ(0, ColourIn(slot0, Rgb(255, 0, 0)));

    NOTIFYICONDATAW unknown = Icon(owner.hwnd, 99, green);
    EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, &unknown));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &unknown));

    ASSERT_TRUE(Shell_NotifyIcon(NIM_DELETE, &a));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &a));
    // The remaining icon moves to the first place.
    EXPECT_EQ(full, ColourIn(slot0, Rgb(0, 0, 255)));
    EXPECT_EQ(0, ColourIn(slot1, Rgb(0, 0, 255)));
    ASSERT_TRUE(Shell_NotifyIcon(NIM_DELETE, &b));
    EXPECT_EQ(0, ColourIn(slot0, Rgb(0, 0, 255)));
    DestroyIcon(green);
    DestroyIcon(blue);
}

TEST_F(ShellTaskBar, TapsGoToTheOwnerAndDeadOwnersLoseTheirIcons)
{
    ASSERT_NE(nullptr, shell.Bar());
    HICON red = SolidIcon(RGB(255, 0, 0));
    {
        Owner owner;
        NOTIFYICONDATAW a = Icon(owner.hwnd, 42, red);
        ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, &a));
        const RECT slot = IconSlot(0);
        const LPARAM at = MAKELPARAM(slot.left + 8, 12);
        PostMessageW(shell.Bar(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(shell.Bar(), WM_LBUTTONUP, 0, at);
        ASSERT_TRUE(WaitUntil([] { return Owner::Taps().size() >= 2; }, 3000));
        EXPECT_EQ(42u, Owner::Taps()[0].first);
        EXPECT_EQ(LPARAM(WM_LBUTTONDOWN), Owner::Taps()[0].second);
        EXPECT_EQ(42u, Owner::Taps()[1].first);
        EXPECT_EQ(LPARAM(WM_LBUTTONUP), Owner::Taps()[1].second);
        // A tap right of the icons, where a program's close box sits, tells nobody.
        PostMessageW(shell.Bar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(230, 12));
        PumpMessages(300);
        EXPECT_EQ(2u, Owner::Taps().size());
        EXPECT_GT(ColourIn(slot, Rgb(255, 0, 0)), 100);
    }
    // The owner's window is gone without deleting its icon: the shell tidies it away.
    EXPECT_TRUE(WaitUntil([] { return ColourIn(IconSlot(0), Rgb(255, 0, 0)) == 0; }, 4000));
    DestroyIcon(red);
}

TEST_F(ShellTaskBar, RefusesWhatIsNotARequest)
{
    ASSERT_NE(nullptr, shell.Bar());
    Owner owner;
    ceshell::NotifyIconWire wire = {};
    wire.message = NIM_ADD;
    wire.owner = reinterpret_cast<uintptr_t>(owner.hwnd);
    COPYDATASTRUCT wrongTag = {0x1234, sizeof wire, &wire};
    COPYDATASTRUCT shortData = {ceshell::kNotifyCopyData, sizeof wire - 1, &wire};
    COPYDATASTRUCT noData = {ceshell::kNotifyCopyData, sizeof wire, nullptr};
    for (COPYDATASTRUCT* cds : {&wrongTag, &shortData, &noData})
        EXPECT_EQ(0, SendMessageW(shell.Bar(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(cds)));
    wire.message = 77;  // no such request
    COPYDATASTRUCT odd = {ceshell::kNotifyCopyData, sizeof wire, &wire};
    EXPECT_EQ(0, SendMessageW(shell.Bar(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&odd)));
    wire.message = NIM_ADD;
    wire.owner = 0x7777;  // not a window
    EXPECT_EQ(0, SendMessageW(shell.Bar(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&odd)));
    // No icon without a picture, no request with nothing to send.
    NOTIFYICONDATAW nid = Icon(owner.hwnd, 1, nullptr);
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &nid));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, nullptr));
    // The area holds eight icons; the ninth is refused.
    HICON red = SolidIcon(RGB(255, 0, 0));
    for (UINT i = 0; i < 8; ++i) {
        nid = Icon(owner.hwnd, 100 + i, red);
        EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, &nid)) << i;
    }
    nid = Icon(owner.hwnd, 200, red);
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &nid));
    DestroyIcon(red);
    EXPECT_TRUE(IsWindow(shell.Bar()));
}

TEST_F(ShellTaskBar, FullScreenHidesAndShowsIt)
{
    ASSERT_NE(nullptr, shell.Bar());
    Owner owner;
    ASSERT_TRUE(SHFullScreen(owner.hwnd, SHFS_HIDETASKBAR));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(shell.Bar()); }, 2000));
    PumpMessages(300);
    // The top of the screen no longer shows the bar's blue.
    EXPECT_EQ(0, CountPixels(CaptureScreen(), RECT{30, 0, 180, 26}, Rgb(0, 36, 104), 4));
    ASSERT_TRUE(SHFullScreen(owner.hwnd, SHFS_SHOWTASKBAR));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(shell.Bar()) != FALSE; }, 2000));
    EXPECT_GT(ColourIn(RECT{30, 0, 180, 26}, Rgb(0, 36, 104)), 150 * 20);
}

TEST_F(ShellTaskBar, StartAreaOpensTheStartMenu)
{
    ASSERT_NE(nullptr, shell.Bar());
    // The title beside the flag belongs to the start area too.
    PostMessageW(shell.Bar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(55, 10));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 3000));
    RECT rc;
    GetWindowRect(menu, &rc);
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(26, rc.top);
    PumpMessages(500);
    const Image shot = CaptureScreen();
    SaveScreenshot(shot, L"shell_start_menu");
    // The menu is drawn: its face is not the bare desktop.
    const RECT inside = {rc.left + 2, rc.top + 2, rc.right - 2, rc.bottom - 2};
    EXPECT_LT(CountPixels(shot, inside, shot.At(200, 300), 4), (inside.right - inside.left) * (inside.bottom - inside.top) / 4);
    PostMessageW(shell.Bar(), WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(WaitUntil([] { HWND m = FindWindowW(L"#32768", nullptr); return !m || !IsWindowVisible(m); }, 3000));
}

// The start menu starts what is beside the shell and says so when a program is missing.
TEST(ShellStartMenu, StartsWhatExistsAndReportsWhatIsMissing)
{
    shelltest::ScratchFolder dir(L"shell-start");
    ASSERT_TRUE(dir.Put(L"zenshell.exe", L"zenshell.exe"));
    ASSERT_TRUE(dir.Put(L"start_probe.exe", L"zencontacts.exe"));
    shelltest::ShellProcess shell(dir.File(L"zenshell.exe"));
    ASSERT_NE(nullptr, shell.Bar());
    auto choose = [&](int item) {
        PostMessageW(shell.Bar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 10));
        HWND menu = nullptr;
        if (!WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 3000))
            return false;
        for (int i = 0; i < item; ++i)
            PostMessageW(shell.Bar(), WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(shell.Bar(), WM_KEYDOWN, VK_RETURN, 0);
        return true;
    };
    ASSERT_TRUE(choose(2));  // the contacts tool
    EXPECT_TRUE(WaitUntil([&] { return dir.Started().find(L"zencontacts.exe") != std::wstring::npos; }, 5000));
    ASSERT_TRUE(dir.Put(L"start_probe.exe", L"zendial.exe"));
    ASSERT_TRUE(choose(4));  // the dial-up connection
    EXPECT_TRUE(WaitUntil([&] { return dir.Started().find(L"zendial.exe") != std::wstring::npos; }, 5000));

    ASSERT_TRUE(choose(1));  // the phone, not there
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (box = FindWindowW(L"#32770", L"Zentrika")) != nullptr; }, 5000));
    if (box) {
        PumpMessages(300);
        SaveScreenshot(CaptureScreen(), L"shell_missing_program");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([] { return !FindWindowW(L"#32770", L"Zentrika"); }, 3000));
    }
    EXPECT_TRUE(IsWindow(shell.Bar()));
}

}  // namespace
