// ZentDrv.dll as the module card's driver in the device manager's host
// process, the simulated module behind it, and the programs it starts as
// real processes: stand-ins of the phone and the agent in an installation
// folder of the test's own.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "AgentWindows.h"
// After windows.h, which AgentWindows.h brings.
#include <tlhelp32.h>
#include "ce/devmgr/tests/PortHelpers.h"
#include "ce_devmgr.h"
#include "InstallDirOverride.h"
#include "ProgramOutput.h"
#include "sim/SimLink.h"
#include "sim/SimModule.h"
#include "WinTest.h"

namespace {

using drvtest::ReadText;

std::wstring ProgramDir()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

bool WriteText(const std::wstring& path, const std::string& text)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
    CloseHandle(f);
    return ok;
}

std::string Narrow(const std::wstring& w)
{
    return std::string(w.begin(), w.end());
}

void RemoveFolder(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((dir + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

bool Pumped(const std::function<bool()>& done, DWORD ms = 8000)
{
    return zentest::WaitUntil(done, ms);
}

// Moves a stand-in phone that ends slowly on by one step (window, then process).
bool EndStep(DWORD pid)
{
    HANDLE e = OpenEventW(EVENT_MODIFY_STATE, FALSE, (L"ZenDrvTestEnd" + std::to_wstring(pid)).c_str());
    const bool ok = e && SetEvent(e);
    if (e)
        CloseHandle(e);
    return ok;
}

HWND PhoneWindow()
{
    return FindWindowW(L"Norvale Zentrika", L"Zentrika");
}

class DriverWake : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CeDevMgrStartHost());
        static int round = 0;
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        dir_ = std::wstring(tmp) + L"zdrv" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++round);
        // The driver reads at most 128 bytes of the folder's name.
        ASSERT_LT(dir_.size(), 64u);
        RemoveFolder(dir_);  // left by an earlier run of a process with this id
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
        const std::wstring standIn = ProgramDir() + L"zendrv_standin.exe";
        ASSERT_TRUE(CopyFileW(standIn.c_str(), (dir_ + L"\\Zentrika.EXE").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(standIn.c_str(), (dir_ + L"\\ZentAgent.EXE").c_str(), FALSE));

        install_.reset(new zentest::InstallDirOverride(dir_));
        ASSERT_TRUE(install_->Set());

        const std::wstring id = std::to_wstring(GetCurrentProcessId());
        pnpId_ = L"ZenDrvTest_Card-" + id;
        ASSERT_TRUE(link_.Start(L"zendrvtest" + id));
        // The card's driver is the modem port driver, as the installer registers it.
        ASSERT_TRUE(CeDevMgrRegisterDriver(pnpId_.c_str(), L"ZentDrv.dll", L"COM"));
    }

    void TearDown() override
    {
        CeDevMgrRemoveCard(pnpId_.c_str());
        link_.Stop();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + pnpId_).c_str());
        KillStandIns();
        install_.reset();
        RemoveFolder(dir_);
    }

    bool Insert()
    {
        wchar_t name[16] = L"";
        if (!CeDevMgrInsertCard(pnpId_.c_str(), link_.Link().c_str(), name, 16))
            return false;
        name_ = name;
        return true;
    }

    // Lines of the stand-ins' log that contain `text`.
    int Count(const std::string& text) const
    {
        std::string log = ReadText(dir_ + L"\\starts.log");
        int n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++n;
        return n;
    }
    std::string Log() const { return ReadText(dir_ + L"\\starts.log"); }
    // The process id on the last line of the log that contains `text`, 0 when none.
    DWORD LastPid(const std::string& text) const
    {
        const std::string log = Log();
        size_t at = log.rfind(text);
        if (at == std::string::npos)
            return 0;
        at = log.rfind('\n', at);
        at = log.find(' ', at == std::string::npos ? 0 : at);
        return at == std::string::npos ? 0 : strtoul(log.c_str() + at + 1, nullptr, 10);
    }

    // The card in, the monitor armed, and the phone (started by the user,
    // not woken) holding the port; its process id, 0 on failure.
    DWORD PhoneHoldsThePort(drvtest::AgentWindows& agent)
    {
        if (!Insert() || !Pumped([&] { return !agent.states.empty(); }))
            return 0;
        DWORD pid = StartPhone(true);
        bool held = pid && Pumped([&] { return Count(" opened") == 1; }) &&
                    Pumped([&] { return agent.states.back() == 1; });  // "Phone"
        return held ? pid : 0;
    }

    // The stand-in phone as the user starts it; with `holdPort` it opens the port.
    DWORD StartPhone(bool holdPort)
    {
        if (holdPort && !WriteText(dir_ + L"\\port.txt", Narrow(name_)))
            return 0;
        std::wstring exe = dir_ + L"\\Zentrika.EXE";
        std::wstring cmd = L"\"" + exe + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return 0;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return pi.dwProcessId;
    }

    void KillStandIns()
    {
        std::string log = Log();
        for (size_t at = log.find("Zentrika "); at != std::string::npos; at = log.find("Zentrika ", at + 1)) {
            DWORD pid = strtoul(log.c_str() + at + 9, nullptr, 10);
            HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
            if (p) {
                TerminateProcess(p, 9);
                WaitForSingleObject(p, 2000);
                CloseHandle(p);
            }
        }
    }

    zen::sim::SimModule module_;
    zen::sim::SimLink link_{module_};
    std::wstring pnpId_;
    std::wstring name_;
    std::wstring dir_;
    std::unique_ptr<zentest::InstallDirOverride> install_;
};

TEST_F(DriverWake, MonitorHoldsThePortAndEachRingStartsThePhoneOnce)
{
    drvtest::AgentWindows agent;
    ASSERT_TRUE(agent.Ready());
    ASSERT_TRUE(WriteText(dir_ + L"\\quit.txt", "x"));
    ASSERT_TRUE(Insert());
    // No program has the port: the monitor holds it, with DTR up, and arms.
    ASSERT_TRUE(Pumped([&] { return !agent.states.empty(); }));
    EXPECT_EQ(agent.states[0], 0);
    EXPECT_TRUE(module_.Dtr());
    zentest::PumpMessages(300);
    EXPECT_EQ(Count(" start"), 0) << Log();

    module_.SetRingTiming(2000, 800, 1);
    for (int ring = 1; ring <= 2; ++ring) {
        module_.Ring("0101234567");
        ASSERT_TRUE(Pumped([&] { return Count("Zentrika ") >= ring; })) << "ring " << ring;
        // Carrier and ring of one call make one start.
        zentest::PumpMessages(1500);
        EXPECT_EQ(Count(" start WAKEUP\r\n"), ring) << Log();
        ASSERT_TRUE(Pumped([&] { return module_.Call() == zen::sim::SimModule::CallState::Idle; }));
        zentest::PumpMessages(300);
    }
    EXPECT_EQ(Count("ZentAgent"), 0);
}

TEST_F(DriverWake, PhoneThatCannotBeStartedLeavesTheMonitorWatching)
{
    drvtest::AgentWindows agent;
    ASSERT_TRUE(WriteText(dir_ + L"\\quit.txt", "x"));
    const std::wstring phone = dir_ + L"\\Zentrika.EXE";
    const std::wstring aside = dir_ + L"\\aside.exe";
    ASSERT_TRUE(MoveFileW(phone.c_str(), aside.c_str()));
    ASSERT_TRUE(Insert());
    ASSERT_TRUE(Pumped([&] { return !agent.states.empty(); }));
    module_.SetRingTiming(1500, 600, 1);
    module_.Ring("0101234567");
    ASSERT_TRUE(Pumped([&] { return module_.Call() == zen::sim::SimModule::CallState::Idle; }));
    EXPECT_EQ(Count("Zentrika "), 0);
    // Installed again: the next call starts it.
    ASSERT_TRUE(MoveFileW(aside.c_str(), phone.c_str()));
    zentest::PumpMessages(300);
    module_.Ring("0101234567");
    ASSERT_TRUE(Pumped([&] { return Count(" start WAKEUP\r\n") == 1; })) << Log();
    EXPECT_EQ(agent.states.size(), 1u);  // armed once: nothing went wrong in between
}

TEST_F(DriverWake, TextAnnouncedAtPowerOnStartsThePhone)
{
    drvtest::AgentWindows agent;
    ASSERT_TRUE(WriteText(dir_ + L"\\quit.txt", "x"));
    module_.IncomingText("0101234567", "hello");
    ASSERT_TRUE(Insert());
    ASSERT_TRUE(Pumped([&] { return Count("Zentrika ") >= 1; }));
    zentest::PumpMessages(1500);
    EXPECT_EQ(Count("Zentrika "), 1) << Log();
    EXPECT_EQ(Count(" start WAKEUP\r\n"), 1);
}

TEST_F(DriverWake, SecondOpenerClosesThePhoneAndGetsThePort)
{
    drvtest::AgentWindows agent;
    ASSERT_NE(PhoneHoldsThePort(agent), 0u) << Log();

    // A second program (the data connection) opens: the phone is asked to
    // close with wParam 1 and the port comes to the second program.
    agent.states.clear();
    HANDLE h = porttest::OpenPort(name_);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_EQ(Count(" close 1\r\n"), 1) << Log();
    EXPECT_EQ(porttest::Exchange(h, "AT$STSREG?"), "AT$STSREG?\r\r\n1\r\n\r\nOK\r\n\n");
    // Re-armed once the phone let go, then lent to a program that is not the phone.
    ASSERT_TRUE(Pumped([&] { return agent.states.size() >= 2; }));
    EXPECT_EQ(agent.states[0], 0);
    EXPECT_EQ(agent.states[1], 2);
    ASSERT_TRUE(Pumped([&] { return agent.read > 0 && agent.written >= 12; }));

    // Closing it re-arms the monitor, which watches for calls again.
    EXPECT_TRUE(CloseHandle(h));
    ASSERT_TRUE(Pumped([&] { return agent.states.size() >= 3; }));
    EXPECT_EQ(agent.states[2], 0);
    ASSERT_TRUE(WriteText(dir_ + L"\\quit.txt", "x"));
    module_.SetRingTiming(2000, 800, 1);
    module_.Ring("0101234567");
    ASSERT_TRUE(Pumped([&] { return Count(" start WAKEUP") == 1; })) << Log();
}

TEST_F(DriverWake, PhoneKilledWhileHoldingThePortGivesItBack)
{
    drvtest::AgentWindows agent;
    DWORD pid = PhoneHoldsThePort(agent);
    ASSERT_NE(pid, 0u) << Log();
    agent.states.clear();
    HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(TerminateProcess(p, 9));
    WaitForSingleObject(p, 5000);
    CloseHandle(p);
    // The driver takes the port back and arms again.
    ASSERT_TRUE(Pumped([&] { return !agent.states.empty() && agent.states.back() == 0; }));
    HANDLE h = porttest::OpenPort(name_);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(porttest::Exchange(h, "AT$STSREG?"), "AT$STSREG?\r\r\n1\r\n\r\nOK\r\n\n");
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(Count(" close"), 0);
}

// A phone on its way out lets go of the port first; its window, then its
// process, stay a while longer. A call that comes meanwhile, ringing once,
// reaches a new phone as soon as the old one has gone, never a copy started
// beside it (which would hand itself to the old one and end).
TEST_F(DriverWake, CallWhileThePhoneIsEndingReachesTheNextPhone)
{
    drvtest::AgentWindows agent;
    const DWORD first = PhoneHoldsThePort(agent);
    ASSERT_NE(first, 0u) << Log();
    // One ring; the caller waits long enough for any phone to take the call.
    module_.SetRingTiming(60000, 800, 1);

    // The call comes while the phone still has the port but no longer answers.
    module_.Ring("0101234567");
    ASSERT_TRUE(Pumped([&] { return module_.ModemStatus() & MS_RLSD_ON; }));
    ASSERT_NE(PhoneWindow(), nullptr);
    agent.states.clear();
    PostMessageW(PhoneWindow(), WM_APP, 0, 0);
    ASSERT_TRUE(Pumped([&] { return Count(" let go") == 1 && !agent.states.empty(); })) << Log();
    EXPECT_EQ(agent.states[0], 0);  // armed, with the old phone's window still there
    zentest::PumpMessages(500);
    ASSERT_TRUE(EndStep(first));
    ASSERT_TRUE(Pumped([] { return PhoneWindow() == nullptr; }));
    zentest::PumpMessages(500);
    EXPECT_EQ(Count(" start WAKEUP"), 0) << Log();
    ASSERT_TRUE(EndStep(first));
    ASSERT_TRUE(Pumped([&] { return Count(" opened") == 2; })) << Log();
    EXPECT_EQ(Count(" start WAKEUP\r\n"), 1) << Log();
    ASSERT_TRUE(Pumped([&] { return agent.states.back() == 1; }));  // "Phone"
    EXPECT_TRUE(module_.ModemStatus() & MS_RLSD_ON);  // the call waited for it
    module_.RemoteHangUp();
    ASSERT_TRUE(Pumped([&] { return module_.Call() == zen::sim::SimModule::CallState::Idle; }));

    // This time the window has gone before the call comes; the process still ends.
    const DWORD second = LastPid(" start WAKEUP");
    ASSERT_NE(second, 0u) << Log();
    agent.states.clear();
    PostMessageW(PhoneWindow(), WM_APP, 0, 0);
    ASSERT_TRUE(Pumped([&] { return Count(" let go") == 2 && !agent.states.empty(); })) << Log();
    ASSERT_TRUE(EndStep(second));
    ASSERT_TRUE(Pumped([] { return PhoneWindow() == nullptr; }));
    module_.Ring("0101234567");
    zentest::PumpMessages(1500);
    EXPECT_EQ(Count(" start WAKEUP"), 1) << Log();
    EXPECT_EQ(Count("forwarded"), 0) << Log();
    ASSERT_TRUE(EndStep(second));
    ASSERT_TRUE(Pumped([&] { return Count(" opened") == 3; })) << Log();
    EXPECT_EQ(Count(" start WAKEUP\r\n"), 2) << Log();
    EXPECT_EQ(Count("forwarded"), 0) << Log();
    ASSERT_TRUE(Pumped([&] { return agent.states.back() == 1; }));
    module_.RemoteHangUp();
}

TEST_F(DriverWake, CardRemovalTellsThePhoneAndTheAgent)
{
    drvtest::AgentWindows agent;
    ASSERT_NE(PhoneHoldsThePort(agent), 0u) << Log();
    ASSERT_TRUE(CeDevMgrRemoveCard(pnpId_.c_str()));
    ASSERT_TRUE(Pumped([&] { return Count(" wake 0 0\r\n") == 1; })) << Log();
    ASSERT_TRUE(Pumped([&] { return agent.states.back() == 3; }));
    EXPECT_EQ(Count(" wake 1"), 0);
}

TEST_F(DriverWake, AgentThatDoesNotRunIsStartedWithTheStateWord)
{
    ASSERT_TRUE(WriteText(dir_ + L"\\quit.txt", "x"));
    ASSERT_TRUE(Insert());
    ASSERT_TRUE(Pumped([&] { return Count("ZentAgent ") >= 1; })) << Log();
    EXPECT_EQ(Count("ZentAgent "), Count(" start PowerON\r\n"));
    ASSERT_TRUE(CeDevMgrRemoveCard(pnpId_.c_str()));
    ASSERT_TRUE(Pumped([&] { return Count(" start PowerOFF\r\n") == 1; })) << Log();
}

TEST_F(DriverWake, RunningPhoneIsToldWhenTheMonitorWatchesAgain)
{
    drvtest::AgentWindows agent;
    ASSERT_TRUE(Insert());
    ASSERT_TRUE(Pumped([&] { return !agent.states.empty(); }));
    // The phone runs but has no port (its link is closed).
    ASSERT_TRUE(WriteText(dir_ + L"\\port.txt", ""));
    ASSERT_NE(StartPhone(false), 0u);
    ASSERT_TRUE(Pumped([&] { return FindWindowW(L"Norvale Zentrika", L"Zentrika") != nullptr; }));
    HANDLE h = porttest::OpenPort(name_);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(h));
    ASSERT_TRUE(Pumped([&] { return Count(" wake 1 1\r\n") == 1; })) << Log();
    EXPECT_EQ(Count(" start WAKEUP"), 0);
}

TEST_F(DriverWake, ResumeStartsTheDriverAnew)
{
    drvtest::AgentWindows agent;
    ASSERT_TRUE(WriteText(dir_ + L"\\quit.txt", "x"));
    ASSERT_TRUE(Insert());
    ASSERT_TRUE(Pumped([&] { return !agent.states.empty(); }));
    agent.states.clear();
    ASSERT_TRUE(CeDevMgrSetPower(FALSE));
    ASSERT_TRUE(CeDevMgrSetPower(TRUE));
    // De-initialised ("PowerOFF"), then initialised and armed again ("PowerON").
    ASSERT_TRUE(Pumped([&] { return agent.states.size() >= 2 && agent.states.back() == 0; }));
    EXPECT_EQ(agent.states[0], 3);
    module_.SetRingTiming(2000, 800, 1);
    module_.Ring("0101234567");
    ASSERT_TRUE(Pumped([&] { return Count(" start WAKEUP") == 1; })) << Log();
}

// Threads of the device manager's host: one per connection, so a handle
// left open anywhere between a client and the driver shows here.
DWORD HostThreads()
{
    HKEY active;
    DWORD pid = 0;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Drivers\\Active", 0, KEY_READ, &active) != ERROR_SUCCESS)
        return 0;
    wchar_t sub[64];
    for (DWORD i = 0; pid == 0; ++i) {
        DWORD len = 64;
        if (RegEnumKeyExW(active, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY k;
        if (RegOpenKeyExW(active, sub, 0, KEY_READ, &k) != ERROR_SUCCESS)
            continue;
        DWORD size = sizeof pid;
        if (RegQueryValueExW(k, L"HostPid", nullptr, nullptr, reinterpret_cast<BYTE*>(&pid), &size) != ERROR_SUCCESS)
            pid = 0;
        RegCloseKey(k);
    }
    RegCloseKey(active);
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD threads = 0;
    for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry)) {
        if (pid && entry.th32ProcessID == pid)
            threads = entry.cntThreads;
    }
    CloseHandle(snap);
    return threads;
}

TEST_F(DriverWake, QuickOpensAndClosesFromTwoProcessesNeitherHangNorLeak)
{
    drvtest::AgentWindows agent;
    ASSERT_TRUE(Insert());
    ASSERT_TRUE(Pumped([&] { return !agent.states.empty(); }));
    // Once warm (every thread of one open made), the count must hold.
    HANDLE warm = porttest::OpenPort(name_);
    ASSERT_NE(warm, INVALID_HANDLE_VALUE);
    CloseHandle(warm);
    zentest::PumpMessages(500);
    const DWORD before = HostThreads();
    ASSERT_GT(before, 0u);

    const int kPairs = 500;
    HANDLE procs[2];
    std::wstring outs[2];
    for (int i = 0; i < 2; ++i) {
        outs[i] = dir_ + L"\\churn" + std::to_wstring(i) + L".txt";
        procs[i] = drvtest::StartWithOutput(ProgramDir() + L"zendrv_standin.exe",
                                            L"churn " + name_ + L" " + std::to_wstring(kPairs), outs[i]);
        ASSERT_NE(nullptr, procs[i]);
    }
    DWORD start = GetTickCount();
    bool done = Pumped([&] { return WaitForMultipleObjects(2, procs, TRUE, 0) == WAIT_OBJECT_0; }, 150000);
    DWORD spent = GetTickCount() - start;
    for (HANDLE p : procs) {
        if (!done)
            TerminateProcess(p, 9);
        CloseHandle(p);
    }
    ASSERT_TRUE(done) << "open/close pairs still running after 150 s";
    int opened = 0;
    for (int i = 0; i < 2; ++i) {
        int o = -1, refused = -1, broken = -1;
        std::string result = ReadText(outs[i]);
        ASSERT_EQ(sscanf(result.c_str(), "%d %d %d", &o, &refused, &broken), 3) << result;
        EXPECT_EQ(o + refused, kPairs);
        EXPECT_EQ(broken, 0);
        opened += o;
        DeleteFileW(outs[i].c_str());
    }
    EXPECT_GT(opened, kPairs / 2);
    printf("%d of %d opens got the port in %lu ms\n", opened, 2 * kPairs, spent);

    // The monitor has the port back and lends it again; nothing piled up in the host.
    ASSERT_TRUE(Pumped([&] { return agent.states.back() == 0; }));
    HANDLE h = porttest::OpenPort(name_);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(porttest::Exchange(h, "AT$STSREG?"), "AT$STSREG?\r\r\n1\r\n\r\nOK\r\n\n");
    EXPECT_TRUE(CloseHandle(h));
    zentest::PumpMessages(500);
    EXPECT_LE(HostThreads(), before + 2);
    printf("host threads before %lu after %lu\n", before, HostThreads());
}

// The test started the device manager's host: it ends with the test.
class HostEnvironment : public ::testing::Environment {
public:
    void TearDown() override { CeDevMgrShutdownHost(); }
};
const auto* const g_host = ::testing::AddGlobalTestEnvironment(new HostEnvironment);

}  // namespace
