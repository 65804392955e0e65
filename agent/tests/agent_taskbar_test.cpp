// The agent as the port driver and a person meet it: a real ZentAgent.exe on
// a real shell taskbar, told states and traffic by posted messages, its
// counter read back from the data-usage record.
#include <gtest/gtest.h>

#include <aygshell.h>

#include <shlobj.h>

#include "CeDbTestUtil.h"
#include "InstallDirOverride.h"
#include "Screenshot.h"
#include "ShellProcess.h"
#include "stores/CCeNetDB.h"

using namespace zentest;

namespace {

const UINT kState = WM_USER + 1, kTraffic = WM_USER + 2, kShow = WM_USER + 10;
const wchar_t kOptionsKey[] = L"SOFTWARE\\Veltana\\Apps\\Kivo Phone";

// The state icon's place on the screen, left of the foreground indicator.
const RECT kStateIcon = {208, 4, 223, 20};
const uint32_t kWhite = Rgb(255, 255, 255), kGreen = Rgb(40, 200, 60), kCyan = Rgb(0, 200, 230),
               kGrey = Rgb(170, 170, 170), kRed = Rgb(230, 30, 30);

void SetTaskBarShow(DWORD value)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, kOptionsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExW(key, L"TaskBarShow", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

// "TaskBarShow" as stored; 7 when it cannot be read.
DWORD StoredTaskBarShow()
{
    HKEY key;
    DWORD show = 7, size = sizeof show;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kOptionsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return show;
    RegQueryValueExW(key, L"TaskBarShow", nullptr, nullptr, reinterpret_cast<BYTE*>(&show), &size);
    RegCloseKey(key);
    return show;
}

class Agent : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetTaskBarShow(1);
        ASSERT_NE(nullptr, shell.Bar());
    }
    void TearDown() override
    {
        Stop();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kOptionsKey);
    }

    HWND FindAgent() const { return FindWindowExW(shell.Bar(), nullptr, nullptr, L"Norvale TaskBar"); }

    // Starts the agent and waits for its window on the taskbar.
    bool Start(const wchar_t* word)
    {
        agent = StartProgram(L"ZentAgent.exe", word);
        if (!agent || !WaitUntil([this] { return (wnd = FindAgent()) && IsWindowVisible(wnd); }, 10000))
            return false;
        PumpMessages(300);
        return true;
    }
    // Ends the agent as the installer does; its exit code.
    DWORD Stop()
    {
        if (!agent)
            return 0;
        if (wnd && IsWindow(wnd))
            PostMessageW(wnd, WM_CLOSE, 0, 0);
        const DWORD code = WaitExit(agent, 10000);
        EndProcess(agent);
        wnd = nullptr;
        return code;
    }
    void Post(UINT msg, WPARAM wp, LPARAM lp)
    {
        PostMessageW(wnd, msg, wp, lp);
        // A sent message queues behind the posted ones: once it returns, they are handled.
        SendMessageW(wnd, WM_NULL, 0, 0);
        PumpMessages(200);
    }
    int StateColour(uint32_t colour) { return CountPixels(CaptureScreen(), kStateIcon, colour, 12); }
    int NotifyColour(uint32_t colour) { return CountPixels(CaptureScreen(), shelltest::IconSlot(0), colour, 12); }
    bool UsageBecomes(DWORD n)
    {
        return WaitUntil([&] { return net.ReadUsage() == n; }, 3000);
    }

    cedbtest::ScopedStore store{L"agent"};
    CCeNetDB net;
    shelltest::ShellProcess shell;
    HANDLE agent = nullptr;
    HWND wnd = nullptr;
};

TEST_F(Agent, RunsOnceAndASecondStartPassesItsState)
{
    ASSERT_TRUE(Start(L"PowerON"));
    EXPECT_EQ(shell.Bar(), GetParent(wnd));
    wchar_t cls[64] = {};
    GetClassNameW(wnd, cls, 64);
    EXPECT_STREQ(L"Norvale TaskBar", cls);
    RECT rc;
    GetWindowRect(wnd, &rc);
    EXPECT_EQ(208, rc.left);
    EXPECT_EQ(0, rc.top);
    EXPECT_EQ(32, rc.right - rc.left);
    EXPECT_EQ(25, rc.bottom - rc.top);
    EXPECT_GT(StateColour(kWhite), 10);
    EXPECT_GT(NotifyColour(kGreen), 10);

    HANDLE second = StartProgram(L"ZentAgent.exe", L"Phone");
    EXPECT_EQ(0u, WaitExit(second, 5000));
    EndProcess(second);
    EXPECT_TRUE(WaitUntil([&] { return StateColour(kWhite) == 0 && StateColour(kGreen) > 10; }, 3000));
    EXPECT_EQ(wnd, FindAgent());  // still the first agent's window

    // A start without a known word ends too and changes nothing.
    second = StartProgram(L"ZentAgent.exe", L"Standby");
    EXPECT_EQ(0u, WaitExit(second, 5000));
    EndProcess(second);
    PumpMessages(300);
    EXPECT_GT(StateColour(kGreen), 10);
    EXPECT_EQ(0u, Stop());
    EXPECT_EQ(nullptr, FindAgent());
    // Its notification icon went with it.
    EXPECT_TRUE(WaitUntil([&] { return NotifyColour(kGreen) == 0; }, 2000));
}

TEST_F(Agent, FirstStartWithPowerOffShowsNothing)
{
    HANDLE first = StartProgram(L"ZentAgent.exe", L"PowerOFF");
    EXPECT_EQ(0u, WaitExit(first, 5000));
    EndProcess(first);
    EXPECT_EQ(nullptr, FindAgent());
}

TEST_F(Agent, EachStateHasItsIcon)
{
    ASSERT_TRUE(Start(L"PowerON"));
    struct Look {
        uint32_t colour;
        uint32_t absent;
        const wchar_t* name;
    };
    const Look looks[4] = {{kWhite, kCyan, L"agent_state0_poweron"},
                           {kGreen, kWhite, L"agent_state1_phone"},
                           {kCyan, kGreen, L"agent_state2_internet"},
                           {kRed, kCyan, L"agent_state3_poweroff"}};
    for (int s = 0; s < 4; ++s) {
        Post(kState, s, 0);
        const Image shot = CaptureScreen();
        SaveScreenshot(shot, looks[s].name);
        EXPECT_GT(CountPixels(shot, kStateIcon, looks[s].colour, 12), 10) << s;
        EXPECT_EQ(0, CountPixels(shot, kStateIcon, looks[s].absent, 12)) << s;
    }
    EXPECT_GT(StateColour(kGrey), 10);
    // The notification icon follows "PowerON" and "PowerOFF" only.
    EXPECT_GT(NotifyColour(kRed), 5);
    Post(kState, 1, 0);
    EXPECT_GT(NotifyColour(kRed), 5);
    Post(kState, 0, 0);
    EXPECT_EQ(0, NotifyColour(kRed));
    EXPECT_GT(NotifyColour(kGreen), 10);

    // States out of range are ignored.
    for (WPARAM bad : {WPARAM(4), WPARAM(1000), WPARAM(-1), WPARAM(0x100000001ull)})
        Post(kState, bad, 0);
    EXPECT_GT(StateColour(kWhite), 10);
    EXPECT_TRUE(IsWindow(wnd));

    // Hidden and shown again on request; the taskbar's full-screen hiding takes it along.
    Post(kShow, 0, 0);
    EXPECT_FALSE(IsWindowVisible(wnd));
    Post(kShow, 1, 0);
    EXPECT_TRUE(IsWindowVisible(wnd));
    HWND self = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(SHFullScreen(self, SHFS_HIDETASKBAR));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(wnd); }, 2000));
    EXPECT_TRUE(WaitUntil([&] { return StateColour(kWhite) == 0; }, 2000));
    ASSERT_TRUE(SHFullScreen(self, SHFS_SHOWTASKBAR));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(wnd) != FALSE; }, 2000));
    EXPECT_TRUE(WaitUntil([&] { return StateColour(kWhite) > 10; }, 2000));
    DestroyWindow(self);
}

TEST_F(Agent, ReceivedBytesGoToTheUsageRecordWhenInternetEndsAndAtExit)
{
    ASSERT_TRUE(Start(L"Internet"));
    for (int i = 0; i < 3; ++i)
        Post(kTraffic, 5000, 1000);  // bytes written are not counted
    EXPECT_EQ(0u, net.ReadUsage());
    Post(kState, 2, 0);  // staying in "Internet" stores nothing
    EXPECT_EQ(0u, net.ReadUsage());
    Post(kState, 1, 0);
    EXPECT_TRUE(UsageBecomes(3000));
    Post(kState, 0, 0);  // nothing counted since: nothing added
    EXPECT_EQ(3000u, net.ReadUsage());
    Post(kTraffic, 0, 77);
    Post(kState, 2, 0);
    Post(kTraffic, 0, 23);
    Post(kState, 3, 0);
    EXPECT_TRUE(UsageBecomes(3100));
    Post(kState, 2, 0);
    Post(kTraffic, 0, 5);
    EXPECT_EQ(0u, Stop());
    EXPECT_EQ(3105u, net.ReadUsage());
}

TEST_F(Agent, CountsNearTheLimitAreNotWrapped)
{
    ASSERT_TRUE(Start(L"Internet"));
    Post(kTraffic, 0, 0xFFFFFFF0);
    Post(kTraffic, 0xFFFFFFFF, 0x20);
    Post(kState, 0, 0);
    // A wrapped counter would have stored 0x10; the record stops at its largest value.
    EXPECT_TRUE(UsageBecomes(MAXDWORD));
    net.ResetUsage();
    Post(kState, 2, 0);
    Post(kTraffic, 0, 0x80000000u);
    Post(kTraffic, 0, 0x7FFFFFFFu);
    Post(kState, 1, 0);
    EXPECT_TRUE(UsageBecomes(0xFFFFFFFFu));
}

TEST_F(Agent, KilledWhileCountingLosesOnlyWhatItHadNotStored)
{
    ASSERT_TRUE(Start(L"Internet"));
    Post(kTraffic, 0, 100);
    Post(kState, 1, 0);
    ASSERT_TRUE(UsageBecomes(100));
    Post(kState, 2, 0);
    // A long data connection goes to the record as it runs, not only when it
    // ends: sent, so that each report has been handled before the kill.
    for (int i = 0; i < 25; ++i)
        SendMessageW(wnd, kTraffic, 0, 400);
    ASSERT_TRUE(TerminateProcess(agent, 9));
    WaitExit(agent, 5000);
    EndProcess(agent);
    const DWORD kept = net.ReadUsage();
    EXPECT_LE(kept, 100u + 10000u);
    EXPECT_GT(kept, 100u + 10000u - 4096u);  // less than eight packets lost
    // The shell drops the dead agent's icon; the next start runs as a first one.
    EXPECT_TRUE(WaitUntil([&] { return NotifyColour(kGreen) == 0 && NotifyColour(kRed) == 0; }, 3000));
    ASSERT_TRUE(Start(L"Phone"));
    EXPECT_GT(StateColour(kGreen), 10);
    Post(kTraffic, 0, 40);
    EXPECT_EQ(0u, Stop());
    EXPECT_EQ(kept + 40u, net.ReadUsage());
}

// With "TaskBarShow" off only the notification icon shows: the module there
// in every state but "PowerOFF". The hidden window still follows the state
// and shows it at once when asked to appear.
TEST_F(Agent, WithTheTaskBarWindowOffOnlyTheNotificationIconShowsTheModule)
{
    SetTaskBarShow(0);
    agent = StartProgram(L"ZentAgent.exe", L"PowerON");
    ASSERT_NE(nullptr, agent);
    ASSERT_TRUE(WaitUntil([&] { return (wnd = FindAgent()) != nullptr && NotifyColour(kGreen) > 10; }, 10000));
    const uint32_t stateColours[4] = {kWhite, kGreen, kCyan, kRed};
    for (int s : {1, 2, 3, 0}) {
        Post(kState, s, 0);
        const uint32_t shown = s == 3 ? kRed : kGreen, gone = s == 3 ? kGreen : kRed;
        EXPECT_TRUE(WaitUntil([&] { return NotifyColour(shown) > 5 && NotifyColour(gone) == 0; }, 3000)) << s;
        const Image shot = CaptureScreen();
        if (s == 2)
            SaveScreenshot(shot, L"agent_hidden_internet");
        EXPECT_FALSE(IsWindowVisible(wnd));
        for (uint32_t c : stateColours)
            EXPECT_EQ(0, CountPixels(shot, kStateIcon, c, 12)) << s;
    }
    // Shown on request, not saved: the state it shows is the current one.
    Post(kState, 2, 0);
    Post(kShow, 1, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(wnd) && StateColour(kCyan) > 10; }, 3000));
    EXPECT_EQ(0u, StoredTaskBarShow());
}

// A program of this process in the foreground, recording whether it was asked to close.
struct Program {
    explicit Program(const wchar_t* cls = L"AgentTestProgram", const wchar_t* title = L"Test Program")
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = cls;
        RegisterClassW(&wc);
        hwnd = CreateWindowW(cls, title, WS_POPUP | WS_VISIBLE, 0, 26, 240, 268, nullptr, nullptr, wc.hInstance,
                             nullptr);
        Closed() = false;
        SetForegroundWindow(hwnd);
    }
    static bool& Closed()
    {
        static bool closed = false;
        return closed;
    }
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l)
    {
        if (m == WM_CLOSE) {
            Closed() = true;
            return 0;
        }
        return DefWindowProcW(h, m, w, l);
    }
    HWND hwnd = nullptr;
    ~Program() { DestroyWindow(hwnd); }
};

TEST_F(Agent, MenusOpenAndATapClosesTheForegroundProgram)
{
    ASSERT_TRUE(Start(L"PowerON"));
    Program program;
    // The foreground indicator shows an ordinary program within a timer tick.
    EXPECT_TRUE(WaitUntil([&] { return CountPixels(CaptureScreen(), RECT{225, 8, 237, 18}, Rgb(220, 40, 40), 12) > 20; },
                          3000));
    SaveScreenshot(CaptureScreen(), L"agent_foreground_program");

    // The notification icon opens the main menu in the lower right.
    const RECT slot = shelltest::IconSlot(0);
    PostMessageW(shell.Bar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(slot.left + 8, 12));
    PostMessageW(shell.Bar(), WM_LBUTTONUP, 0, MAKELPARAM(slot.left + 8, 12));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 3000));
    RECT rc;
    GetWindowRect(menu, &rc);
    EXPECT_EQ(240, rc.right);
    EXPECT_EQ(295, rc.bottom);
    PumpMessages(300);
    Image shot = CaptureScreen();
    SaveScreenshot(shot, L"agent_main_menu");
    // "Exit" is the last item, greyed unless the module is off.
    const RECT exitRow = {rc.left + 10, rc.bottom - 18, rc.right - 10, rc.bottom - 3};
    EXPECT_EQ(0, CountPixels(shot, exitRow, Rgb(0, 0, 0), 60));
    PostMessageW(wnd, WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(WaitUntil([] { HWND m = FindWindowW(L"#32768", nullptr); return !m || !IsWindowVisible(m); }, 3000));
    Post(kState, 3, 0);
    PostMessageW(shell.Bar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(slot.left + 8, 12));
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 3000));
    PumpMessages(300);
    shot = CaptureScreen();
    SaveScreenshot(shot, L"agent_main_menu_off");
    EXPECT_GT(CountPixels(shot, exitRow, Rgb(0, 0, 0), 60), 10);
    PostMessageW(wnd, WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(WaitUntil([] { HWND m = FindWindowW(L"#32768", nullptr); return !m || !IsWindowVisible(m); }, 3000));

    // The left of the agent's window opens the task menu below the taskbar.
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 10));
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, 3000));
    GetWindowRect(menu, &rc);
    EXPECT_EQ(26, rc.top);  // kept on the screen, so it may start left of the agent
    EXPECT_LE(rc.right, 240);
    PumpMessages(300);
    SaveScreenshot(CaptureScreen(), L"agent_task_menu");
    PostMessageW(wnd, WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(WaitUntil([] { HWND m = FindWindowW(L"#32768", nullptr); return !m || !IsWindowVisible(m); }, 3000));

    // Its right closes the program in the foreground.
    SetForegroundWindow(program.hwnd);
    PumpMessages(200);
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 10));
    EXPECT_TRUE(WaitUntil([] { return Program::Closed(); }, 3000));
}

using zentest::InstallDirOverride;

TEST_F(Agent, RunsThePhoneFromTheInstallationFolderOrBringsItForward)
{
    shelltest::ScratchFolder dir(L"agent-install");
    ASSERT_TRUE(dir.Put(L"start_probe.exe", L"Zentrika.EXE"));
    InstallDirOverride install(dir.Path());
    ASSERT_TRUE(Start(L"PowerON"));
    Post(WM_COMMAND, 40004, 0);
    EXPECT_TRUE(WaitUntil([&] { return dir.Started().find(L"WAKEUP") != std::wstring::npos; }, 5000));
    EXPECT_NE(std::wstring::npos, dir.Started().find(L"Zentrika.EXE"));

    // With the phone's window there, it comes forward and nothing is started.
    DeleteFileW(dir.File(L"started.txt").c_str());
    HWND phone = CreateWindowW(L"STATIC", L"Zentrika", WS_POPUP | WS_VISIBLE, 0, 26, 240, 268, nullptr, nullptr,
                               nullptr, nullptr);
    HWND other = CreateWindowW(L"STATIC", L"Other", WS_POPUP | WS_VISIBLE, 0, 26, 240, 268, nullptr, nullptr,
                               nullptr, nullptr);
    SetForegroundWindow(other);
    PumpMessages(200);
    ASSERT_EQ(other, GetForegroundWindow());
    Post(WM_COMMAND, 40004, 0);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == phone; }, 3000));
    PumpMessages(500);
    EXPECT_EQ(L"", dir.Started());
    DestroyWindow(other);
    DestroyWindow(phone);
}

TEST_F(Agent, OptionsWriteTheSettingAndTheStartUpLink)
{
    shelltest::ScratchFolder dir(L"agent-options");
    InstallDirOverride install(dir.Path());
    wchar_t startup[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, startup, CSIDL_STARTUP, TRUE));
    const std::wstring link = std::wstring(startup) + L"\\ZentAgent.LNK";
    DeleteFileW(link.c_str());
    ASSERT_TRUE(Start(L"PowerON"));
    PostMessageW(wnd, WM_COMMAND, 40018, 0);
    HWND dlg = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dlg = FindWindowW(L"#32770", L"ZentAgent Option")) != nullptr; }, 5000));
    PumpMessages(300);
    SaveScreenshot(CaptureScreen(), L"agent_options");
    RECT rc;
    GetWindowRect(dlg, &rc);
    EXPECT_EQ(26, rc.top);  // full screen below the taskbar
    EXPECT_EQ(240, rc.right - rc.left);
    EXPECT_EQ(BST_CHECKED, SendDlgItemMessageW(dlg, 1004, BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_UNCHECKED, SendDlgItemMessageW(dlg, 1005, BM_GETCHECK, 0, 0));

    SendDlgItemMessageW(dlg, 1004, BM_CLICK, 0, 0);
    EXPECT_EQ(0u, StoredTaskBarShow());

    SendDlgItemMessageW(dlg, 1005, BM_CLICK, 0, 0);
    HANDLE f = CreateFileW(link.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    char text[MAX_PATH * 2] = {};
    DWORD read = 0;
    ReadFile(f, text, sizeof text - 1, &read, nullptr);
    CloseHandle(f);
    // The handheld's shortcut: the target's length, '#', the quoted target.
    std::string target(text);
    const size_t hash = target.find('#');
    ASSERT_NE(std::string::npos, hash);
    EXPECT_EQ(std::to_string(target.size() - hash - 1), target.substr(0, hash));
    EXPECT_EQ('"', target[hash + 1]);
    EXPECT_NE(std::string::npos, target.find("agent-options\\ZentAgent.EXE\""));
    SendDlgItemMessageW(dlg, 1005, BM_CLICK, 0, 0);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(link.c_str()));

    // Closing the options applies "TaskBarShow": now off, so the window hides.
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([] { return !FindWindowW(L"#32770", L"ZentAgent Option"); }, 3000));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(wnd); }, 3000));
    EXPECT_TRUE(WaitUntil([&] { return StateColour(kWhite) == 0; }, 2000));
}

TEST_F(Agent, SoftResetAsksAndClosesThePrograms)
{
    ASSERT_TRUE(Start(L"PowerON"));
    Program program;
    auto answer = [&](UINT button) {
        PostMessageW(wnd, WM_COMMAND, 40007, 0);
        HWND box = nullptr;
        if (!WaitUntil([&] { return (box = FindWindowW(L"#32770", L"ZentAgent")) != nullptr; }, 5000))
            return false;
        PostMessageW(box, WM_COMMAND, button, 0);
        return WaitUntil([] { return !FindWindowW(L"#32770", L"ZentAgent"); }, 3000);
    };
    ASSERT_TRUE(answer(IDCANCEL));
    PumpMessages(300);
    EXPECT_FALSE(Program::Closed());
    ASSERT_TRUE(answer(IDOK));
    EXPECT_TRUE(WaitUntil([] { return Program::Closed(); }, 3000));
    EXPECT_TRUE(IsWindow(wnd));  // the agent itself stays, as after a restart
}

TEST_F(Agent, TaskMenuEntryBringsItsProgramForward)
{
    ASSERT_TRUE(Start(L"PowerON"));
    Program program;
    PumpMessages(300);
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 10));
    ASSERT_TRUE(WaitUntil([] { HWND m = FindWindowW(L"#32768", nullptr); return m && IsWindowVisible(m); }, 3000));
    PostMessageW(wnd, WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(WaitUntil([] { HWND m = FindWindowW(L"#32768", nullptr); return !m || !IsWindowVisible(m); }, 3000));
    // An untitled window is not listed; the program is the only entry.
    HWND untitled = CreateWindowW(L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 26, 240, 268, nullptr, nullptr, nullptr,
                                  nullptr);
    SetForegroundWindow(untitled);
    PumpMessages(200);
    Post(WM_COMMAND, 40009, 0);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == program.hwnd; }, 3000));
    Post(WM_COMMAND, 40010, 0);  // past the list: nothing happens
    EXPECT_TRUE(IsWindow(wnd));
    DestroyWindow(untitled);
}

TEST_F(Agent, SystemWindowsShowTheirOwnIndicatorAndAreClosedToo)
{
    ASSERT_TRUE(Start(L"PowerON"));
    Program settings(L"CPL_Clock", L"Clock");
    const RECT indicator = {225, 8, 237, 18};
    EXPECT_TRUE(WaitUntil([&] { return CountPixels(CaptureScreen(), indicator, Rgb(250, 210, 0), 12) > 20; }, 3000));
    SaveScreenshot(CaptureScreen(), L"agent_foreground_system");
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 10));
    EXPECT_TRUE(WaitUntil([] { return Program::Closed(); }, 3000));
    // Nothing in front that a person could close: no indicator.
    DestroyWindow(settings.hwnd);
    HWND untitled = CreateWindowW(L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 26, 240, 268, nullptr, nullptr, nullptr,
                                  nullptr);
    SetForegroundWindow(untitled);
    EXPECT_TRUE(WaitUntil([&] {
        const Image shot = CaptureScreen();
        return CountPixels(shot, indicator, Rgb(250, 210, 0), 12) == 0 && CountPixels(shot, indicator, Rgb(220, 40, 40), 12) == 0;
    }, 3000));
    DestroyWindow(untitled);
}

// Without a shell the agent stands alone; a shell started later gets its icon.
TEST(AgentWithoutShell, StandsAloneAndAddsItsIconWhenTheShellComes)
{
    ASSERT_EQ(nullptr, FindWindowW(L"HHTaskBar", nullptr));
    SetTaskBarShow(1);
    HANDLE agent = StartProgram(L"ZentAgent.exe", L"Phone");
    HWND wnd = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (wnd = FindWindowW(L"Norvale TaskBar", L"Norvale TaskBar")) != nullptr; }, 10000));
    EXPECT_EQ(nullptr, GetParent(wnd));
    // A second start still finds it and passes its state.
    HANDLE second = StartProgram(L"ZentAgent.exe", L"PowerOFF");
    EXPECT_EQ(0u, WaitExit(second, 5000));
    EndProcess(second);
    {
        shelltest::ShellProcess shell;
        ASSERT_NE(nullptr, shell.Bar());
        EXPECT_TRUE(WaitUntil([&] {
            return CountPixels(CaptureScreen(), shelltest::IconSlot(0), kRed, 12) > 5;  // "PowerOFF"'s icon
        }, 3000));
        PostMessageW(wnd, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, WaitExit(agent, 10000));
    }
    EndProcess(agent);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kOptionsKey);
}

}  // namespace
