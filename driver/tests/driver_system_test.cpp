// The modem port driver with the programs it serves, all real: the phone and
// the taskbar agent installed in an installation folder and started by the
// driver, the shell's taskbar, and the dial-up program, against the simulated
// module in this test's device manager. The cases share that set-up and run
// in order.
#include <gtest/gtest.h>

#include <aygshell.h>
// After windows.h, which aygshell.h brings.
#include <tlhelp32.h>

#include <cstdio>
#include <set>
#include <string>

#include "CeDbTestUtil.h"
#include "InstallImage.h"
#include "Screenshot.h"
#include "ShellProcess.h"
#include "ProgramOutput.h"
#include "WinTest.h"
#include "ce_devmgr.h"
#include "setup/DataConnection.h"
#include "sim/SimLink.h"
#include "sim/SimModule.h"
#include "stores/CCeDataManager.h"
#include "stores/CCeNetDB.h"

using namespace zentest;

namespace {

using drvtest::ReadText;

const wchar_t kInstall[] = L"C:\\zensys";
const wchar_t kOptionsKey[] = L"SOFTWARE\\Veltana\\Apps\\Kivo Phone";
// The agent's state icon on the taskbar and its colour in each state.
const RECT kStateIcon = {208, 4, 223, 20};
const uint32_t kStateColour[4] = {Rgb(255, 255, 255), Rgb(40, 200, 60), Rgb(0, 200, 230), Rgb(230, 30, 30)};
enum { kPowerOn, kPhone, kInternet, kPowerOff };

HWND FindPhone() { return FindWindowW(L"Norvale Zentrika", L"Zentrika"); }

// Process ids of the running programs whose file is `exe`.
std::set<DWORD> Running(const wchar_t* exe)
{
    std::set<DWORD> out;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return out;
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    for (BOOL more = Process32FirstW(snap, &e); more; more = Process32NextW(snap, &e))
        if (_wcsicmp(e.szExeFile, exe) == 0)
            out.insert(e.th32ProcessID);
    CloseHandle(snap);
    return out;
}

// The number after `label` (after `line` when given) in the dial-up program's report.
unsigned long long Figure(const std::string& report, const std::string& label, const std::string& line = "")
{
    size_t at = report.find(line);
    at = at == std::string::npos ? at : report.find(label, at);
    return at == std::string::npos ? ~0ull : strtoull(report.c_str() + at + label.size(), nullptr, 10);
}

class DriverSystemTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_store = new cedbtest::ScopedStore(L"drvsystem");
        {
            // The handheld plays the ring tone, and no key clicks.
            CCeDataManager settings;
            settings.m_EnvDB.Load();
            settings.m_Settings.nBellSource = 2;
            settings.m_Settings.bKeypadTone = 0;
            ASSERT_NE(0, settings.m_EnvDB.Save());
        }
        // The installation as the installer lays it out: the programs, the
        // folders they read, the dial-up entry and the agent shown on the taskbar.
        ASSERT_TRUE(installimage::Install(kInstall));
        for (const wchar_t* file : {L"Zentrika.exe", L"Melox.dll", L"ZentAgent.exe"})
            ASSERT_TRUE(CopyFileW((BinDir() + file).c_str(), (std::wstring(kInstall) + L"\\" + file).c_str(), FALSE))
                << file;
        ASSERT_TRUE(installimage::Register(kInstall));
        ASSERT_EQ(1, EnsureDialUpEntry());
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kOptionsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                                 &key, nullptr));
        const DWORD show = 1;
        RegSetValueExW(key, L"TaskBarShow", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&show), sizeof show);
        RegCloseKey(key);

        s_shell = new shelltest::ShellProcess;
        ASSERT_NE(nullptr, s_shell->Bar());
        s_self = CreateWindowW(L"STATIC", L"", WS_POPUP, 239, 319, 1, 1, nullptr, nullptr, nullptr, nullptr);

        ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError();
        s_module = new zen::sim::SimModule;
        s_link = new zen::sim::SimLink(*s_module);
        s_module->SetRingTiming(3000, 1000, 2);
        s_module->SetDataTiming(100, 1000);
        const std::wstring id = std::to_wstring(GetCurrentProcessId());
        s_pnpId = L"CDMA2000_1x_Zentrika_system-" + id;
        ASSERT_TRUE(s_link->Start(L"drvsystem" + id));
        // Registered as the installer does: the driver and the port's name.
        ASSERT_TRUE(CeDevMgrRegisterDriver(s_pnpId.c_str(), L"ZentDrv.dll", L"COM"));
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + s_pnpId).c_str(), 0,
                                               KEY_WRITE, &key));
        const wchar_t name[] = L"Norvale Zentrika";
        RegSetValueExW(key, L"FriendlyName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), sizeof name);
        RegCloseKey(key);
        ASSERT_TRUE(CeDevMgrInsertCard(s_pnpId.c_str(), s_link->Link().c_str(), nullptr, 0)) << GetLastError();
        // The monitor holds the port and starts the agent, which does not run yet.
        ASSERT_TRUE(WaitUntil([] { return FindAgent() != nullptr; }, 15000));
        ASSERT_TRUE(WaitState(kPowerOn));
    }

    static void TearDownTestSuite()
    {
        if (HWND phone = FindPhone())
            PostMessageW(phone, WM_CLOSE, 0, 0);
        WaitUntil([] { return FindPhone() == nullptr; }, 10000);
        if (HWND agent = FindAgent())
            PostMessageW(agent, WM_CLOSE, 0, 0);
        WaitUntil([] { return Running(L"ZentAgent.exe").empty(); }, 10000);
        if (s_link) {
            CeDevMgrRemoveCard(s_pnpId.c_str());
            s_link->Stop();
        }
        CeDevMgrStopInProcess();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + s_pnpId).c_str());
        delete s_link;
        delete s_module;
        if (s_self)
            DestroyWindow(s_self);
        delete s_shell;
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kOptionsKey);
        RemoveDialUpEntry();
        installimage::Unregister();
        delete s_store;
    }

    static HWND FindAgent()
    {
        HWND bar = FindWindowW(L"HHTaskBar", nullptr);
        return bar ? FindWindowExW(bar, nullptr, nullptr, L"Norvale TaskBar") : nullptr;
    }

    // The agent's state as its icon shows it, -1 when none shows. The phone
    // hides the taskbar while it is in front; the test brings it back.
    static int AgentState(const wchar_t* shot = nullptr)
    {
        SHFullScreen(s_self, SHFS_SHOWTASKBAR);
        // Shown anew, so that they come on top of the phone on the display too
        // (stacking the windows of other processes again is not enough there).
        for (const wchar_t* cls : {L"HHTaskBar", L"Norvale TaskBar View"}) {
            HWND w = FindWindowW(cls, nullptr);
            ShowWindow(w, SW_HIDE);
            SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        }
        PumpMessages(300);
        const Image screen = CaptureScreen();
        if (shot)
            SaveScreenshot(screen, shot);
        for (int s = 0; s < 4; ++s)
            if (CountPixels(screen, kStateIcon, kStateColour[s], 12) > 10)
                return s;
        return -1;
    }
    static bool WaitState(int state, DWORD ms = 8000)
    {
        return WaitUntil([&] { return AgentState() == state; }, ms);
    }

    // The phone's display, message line and number line.
    static std::wstring Display()
    {
        HWND lcd = FindWindowExW(FindPhone(), nullptr, L"LCD WND", nullptr);
        wchar_t text[300] = L"";
        DWORD_PTR n = 0;
        if (lcd)
            SendMessageTimeoutW(lcd, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 3000, &n);
        return text;
    }
    static bool WaitDisplay(const std::wstring& part, DWORD ms = 8000)
    {
        return WaitUntil([&] { return Display().find(part) != std::wstring::npos; }, ms);
    }
    static bool WaitIdle()
    {
        return WaitUntil([] { return s_module->Call() == zen::sim::SimModule::CallState::Idle; }, 15000);
    }
    // A ring that starts the phone: how many copies of it ran meanwhile.
    static size_t RingAndCountStarts()
    {
        std::set<DWORD> seen;
        s_module->Ring("0101234567");
        const DWORD start = GetTickCount();
        // Until the phone has the port, each carrier or ring event could start it again.
        while (GetTickCount() - start < 4000) {
            for (DWORD pid : Running(L"Zentrika.exe"))
                seen.insert(pid);
            Sleep(15);
        }
        return seen.size();
    }
    static HANDLE StartInstalled(const wchar_t* exe)
    {
        return StartProgram(std::wstring(kInstall) + L"\\" + exe);
    }

    static cedbtest::ScopedStore* s_store;
    static shelltest::ShellProcess* s_shell;
    static zen::sim::SimModule* s_module;
    static zen::sim::SimLink* s_link;
    static std::wstring s_pnpId;
    static HWND s_self;
};

cedbtest::ScopedStore* DriverSystemTest::s_store = nullptr;
shelltest::ShellProcess* DriverSystemTest::s_shell = nullptr;
zen::sim::SimModule* DriverSystemTest::s_module = nullptr;
zen::sim::SimLink* DriverSystemTest::s_link = nullptr;
std::wstring DriverSystemTest::s_pnpId;
HWND DriverSystemTest::s_self = nullptr;

TEST_F(DriverSystemTest, ARingStartsThePhoneOnceAndItRingsWithThePort)
{
    ASSERT_EQ(nullptr, FindPhone());
    EXPECT_EQ(kPowerOn, AgentState(L"system_agent_poweron"));
    EXPECT_EQ(1u, RingAndCountStarts());
    // Started from the installation folder, it took the port the driver held
    // and found the call already ringing.
    ASSERT_NE(nullptr, FindPhone());
    EXPECT_TRUE(WaitDisplay(L"전화가 왔습니다.")) << Display().c_str();
    DWORD pid = 0;
    GetWindowThreadProcessId(FindPhone(), &pid);
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    ASSERT_NE(nullptr, p);
    wchar_t image[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    EXPECT_TRUE(QueryFullProcessImageNameW(p, 0, image, &size));
    CloseHandle(p);
    EXPECT_EQ(0, _wcsicmp(image, (std::wstring(kInstall) + L"\\Zentrika.EXE").c_str())) << image;
    EXPECT_TRUE(WaitState(kPhone));
    AgentState(L"system_agent_phone");
    // The caller gives up; the phone stays with the port.
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(WaitDisplay(L"부재중 통화")) << Display().c_str();
    EXPECT_EQ(1u, Running(L"Zentrika.exe").size());
}

TEST_F(DriverSystemTest, ClosingThePhoneRearmsTheMonitorForTheNextCall)
{
    HWND phone = FindPhone();
    ASSERT_NE(nullptr, phone);
    PostMessageW(phone, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return Running(L"Zentrika.exe").empty(); }, 10000));
    EXPECT_TRUE(WaitState(kPowerOn));
    // Watching again: the next call starts the phone anew.
    EXPECT_EQ(1u, RingAndCountStarts());
    EXPECT_TRUE(WaitDisplay(L"전화가 왔습니다.")) << Display().c_str();
    EXPECT_TRUE(WaitState(kPhone));
    s_module->RemoteHangUp();
    ASSERT_TRUE(WaitIdle());
}

TEST_F(DriverSystemTest, DialUpTakesThePortFromThePhoneAndItsBytesAreCounted)
{
    ASSERT_NE(nullptr, FindPhone());
    ASSERT_TRUE(WaitState(kPhone));
    CCeNetDB net;
    const DWORD usageBefore = net.ReadUsage();
    const zen::sim::SimDataCounts before = s_module->Data();

    const std::wstring report = BinDir() + L"zendial-report.txt";
    HANDLE dial = drvtest::StartWithOutput(BinDir() + L"zendial.exe", L"/send 5000", report);
    ASSERT_NE(nullptr, dial);

    // The phone is asked to let go and ends; the dial-up program dials the entry's number.
    EXPECT_TRUE(WaitUntil([] { return Running(L"Zentrika.exe").empty(); }, 10000));
    ASSERT_TRUE(WaitUntil([] { return s_module->Data().connected; }, 10000)) << ReadText(report);
    EXPECT_EQ("1501", s_module->Data().number);
    EXPECT_TRUE(WaitState(kInternet));
    ASSERT_TRUE(WaitUntil([&] { return s_module->Data().callFrom >= 5000; }, 10000)) << ReadText(report);
    HWND dialWnd = FindWindowW(L"ZenDialUp", nullptr);
    ASSERT_NE(nullptr, dialWnd);
    SetForegroundWindow(dialWnd);
    EXPECT_EQ(kInternet, AgentState(L"system_agent_internet"));

    // Closing it hangs up and hands the port back.
    PostMessageW(dialWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, WaitExit(dial, 15000)) << ReadText(report);
    EndProcess(dial);
    const std::string said = ReadText(report);
    EXPECT_NE(std::string::npos, said.find("connected on COM")) << said;
    EXPECT_FALSE(s_module->Data().connected);
    EXPECT_FALSE(s_module->ModemStatus() & MS_RLSD_ON);
    EXPECT_TRUE(WaitState(kPowerOn));

    // What the program moved is what the module counted, every byte echoed.
    const zen::sim::SimDataCounts after = s_module->Data();
    const unsigned long long sent = Figure(said, "data sent "), received = Figure(said, " received ", "data sent ");
    EXPECT_GE(sent, 5000u) << said;
    EXPECT_EQ(sent, received);
    EXPECT_EQ(sent, after.fromHandheld - before.fromHandheld);
    EXPECT_EQ(received, after.toHandheld - before.toHandheld);
    EXPECT_EQ(after.calls, before.calls + 1);

    // Every byte the program read went into the data-usage record, with the
    // phone's own answers that the agent counted before it.
    const unsigned long long read = Figure(said, " read ", "port written ");
    ASSERT_GE(read, received + 10) << said;  // the commands' answers too
    ASSERT_TRUE(WaitUntil([&] { return net.ReadUsage() >= usageBefore + read; }, 5000))
        << net.ReadUsage() << " " << usageBefore << " " << read;
    const DWORD added = net.ReadUsage() - usageBefore;
    EXPECT_LT(added - read, 8192u);
    printf("dial-up read %llu bytes (%llu data); usage grew by %lu, %lu packets in all\n", read, received, added,
           net.ReadUsage() >> 9);
}

// The phone's call information screen shows that record as packets of 512 bytes.
TEST_F(DriverSystemTest, CallInformationShowsTheCountedUsage)
{
    ASSERT_EQ(nullptr, FindPhone());
    CCeNetDB net;
    ASSERT_GE(net.ReadUsage(), 512u);  // the data call's bytes, a packet at least
    HANDLE phone = StartInstalled(L"Zentrika.exe");
    ASSERT_NE(nullptr, phone);
    ASSERT_TRUE(WaitUntil([] { return FindPhone() != nullptr; }, 15000));
    ASSERT_TRUE(WaitState(kPhone));
    // The phone's own answers are counted too: the figure lies between the
    // record before the screen opened and after.
    const DWORD before = net.ReadUsage();
    PostMessageW(FindPhone(), WM_COMMAND, 40025, 0);  // the menu's "통화 정보"
    HWND info = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (info = FindWindowExW(FindPhone(), nullptr, L"CCeMWndCallInfo", nullptr)) != nullptr; }, 8000));
    const DWORD after = net.ReadUsage();
    wchar_t text[64] = L"";
    DWORD_PTR n = 0;
    ASSERT_TRUE(SendMessageTimeoutW(info, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 3000, &n));
    int packets = -1;
    ASSERT_EQ(1, swscanf(text, L"인터넷 사용량 %d 패킷", &packets)) << n;
    EXPECT_GE(packets, static_cast<int>(before >> 9));
    EXPECT_LE(packets, static_cast<int>(after >> 9));
    SaveScreenshot(CaptureScreen(), L"system_callinfo_usage");
    printf("call information shows %d packets (record %lu to %lu bytes)\n", packets, before, after);

    PostMessageW(FindPhone(), WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, WaitExit(phone, 10000));
    EndProcess(phone);
    EXPECT_TRUE(WaitState(kPowerOn));
}

TEST_F(DriverSystemTest, DialUpThatCannotConnectEndsAndHandsThePortBack)
{
    const std::wstring report = BinDir() + L"zendial-refused.txt";
    HANDLE dial = drvtest::StartWithOutput(BinDir() + L"zendial.exe", L"/hangup NoSuchEntry", report);
    ASSERT_NE(nullptr, dial);
    EXPECT_EQ(1u, WaitExit(dial, 10000)) << ReadText(report);
    EndProcess(dial);

    // A locked module refuses the call.
    s_module->Lock();
    const size_t calls = s_module->Data().calls;
    dial = drvtest::StartWithOutput(BinDir() + L"zendial.exe", L"/send 100 /hangup", report);
    ASSERT_NE(nullptr, dial);
    EXPECT_EQ(3u, WaitExit(dial, 15000)) << ReadText(report);
    EndProcess(dial);
    s_module->Unlock();
    EXPECT_NE(std::string::npos, ReadText(report).find("NO CARRIER")) << ReadText(report);
    EXPECT_EQ(calls, s_module->Data().calls);
    EXPECT_TRUE(WaitState(kPowerOn));
}

TEST_F(DriverSystemTest, PullingTheCardTellsThePhoneAndTheAgent)
{
    ASSERT_EQ(nullptr, FindPhone());
    HANDLE phone = StartInstalled(L"Zentrika.exe");
    ASSERT_NE(nullptr, phone);
    ASSERT_TRUE(WaitUntil([] { return FindPhone() != nullptr; }, 15000));
    ASSERT_TRUE(WaitState(kPhone));
    PumpMessages(1000);  // its start-up queries
    ASSERT_TRUE(CeDevMgrRemoveCard(s_pnpId.c_str()));
    EXPECT_TRUE(WaitDisplay(L"*** 모뎀 상태 확인 ***")) << Display().c_str();
    EXPECT_TRUE(WaitState(kPowerOff));
    AgentState(L"system_agent_poweroff");
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(phone, 0));  // it waits for the card
    CloseHandle(phone);
}

}  // namespace

namespace {

TEST_F(DriverSystemTest, CardPulledDuringADataCallEndsItAndThePersonIsTold)
{
    ASSERT_TRUE(CeDevMgrInsertCard(s_pnpId.c_str(), s_link->Link().c_str(), nullptr, 0)) << GetLastError();
    ASSERT_TRUE(WaitState(kPhone, 15000));  // the phone that waited has the port again
    const std::wstring report = BinDir() + L"zendial-pulled.txt";
    HANDLE dial = drvtest::StartWithOutput(BinDir() + L"zendial.exe", L"", report);
    ASSERT_NE(nullptr, dial);
    ASSERT_TRUE(WaitUntil([] { return s_module->Data().connected; }, 15000)) << ReadText(report);
    PumpMessages(1500);  // a link check or two
    ASSERT_TRUE(CeDevMgrRemoveCard(s_pnpId.c_str()));
    // The window stays, saying the connection is gone, until it is closed.
    HWND wnd = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            wnd = FindWindowW(L"ZenDialUp", nullptr);
            return wnd && FindWindowExW(wnd, nullptr, L"BUTTON", L"닫기") != nullptr;
        },
        10000))
        << ReadText(report);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(dial, 0));
    SaveScreenshot(CaptureScreen(), L"system_dialup_dropped");
    PostMessageW(wnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(4u, WaitExit(dial, 10000)) << ReadText(report);
    EndProcess(dial);
    EXPECT_NE(std::string::npos, ReadText(report).find("the connection dropped")) << ReadText(report);
}

}  // namespace
