// The device manager in this process, a simulated module behind its card,
// and the port used from here and from other processes as the phone uses it.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "CardFixture.h"
#include "PortHelpers.h"
#include "ce/devmgr/PipeServer.h"
#include "ce/serial/LinkProtocol.h"

namespace {

using porttest::Exchange;
using porttest::OpenPort;

// Runs serial_client with `args`; returns its exit code and output.
int RunClient(const std::wstring& args, std::string& output, HANDLE* process = nullptr)
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path, n);
    exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"serial_client.exe";
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    BOOL started = CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    CloseHandle(pi.hThread);
    if (process) {  // the caller deals with it
        CloseHandle(readEnd);
        *process = pi.hProcess;
        return 0;
    }
    char buf[512];
    DWORD got;
    while (ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got)
        output.append(buf, got);
    CloseHandle(readEnd);
    DWORD code = 1;
    WaitForSingleObject(pi.hProcess, 20000);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

std::wstring ReadActiveValue(const std::wstring& pnpId, const wchar_t* value, DWORD* number = nullptr)
{
    HKEY active;
    std::wstring result;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Drivers\\Active", 0, KEY_READ, &active) != ERROR_SUCCESS)
        return result;
    wchar_t sub[64];
    for (DWORD i = 0;; ++i) {
        DWORD len = 64;
        if (RegEnumKeyExW(active, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY k;
        RegOpenKeyExW(active, sub, 0, KEY_READ, &k);
        wchar_t buf[260] = L"";
        DWORD size = sizeof buf - 2;
        RegQueryValueExW(k, L"PnpId", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size);
        if (pnpId == buf) {
            size = sizeof buf - 2;
            DWORD type = 0;
            if (RegQueryValueExW(k, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS) {
                if (type == REG_DWORD && number)
                    *number = *reinterpret_cast<DWORD*>(buf);
                result = type == REG_SZ ? std::wstring(buf) : std::wstring(L"#");
            }
        }
        RegCloseKey(k);
    }
    RegCloseKey(active);
    return result;
}

class DevMgrTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError(); }
    static void TearDownTestSuite() { CeDevMgrStopInProcess(); }

    void SetUp() override
    {
        ASSERT_TRUE(card.Setup());
        card.Module().SetRingTiming(200, 80, 20);
        ASSERT_TRUE(card.Insert()) << GetLastError();
    }

    porttest::SimulatedCard card;
};

TEST_F(DevMgrTest, ActiveKeyDescribesTheCardUntilItIsRemoved)
{
    const std::wstring& name = card.Name();
    ASSERT_EQ(name.size(), 5u);
    EXPECT_EQ(name.substr(0, 3), L"COM");
    EXPECT_EQ(name[4], L':');
    EXPECT_EQ(porttest::FindPort(card.PnpId()), name);
    EXPECT_EQ(ReadActiveValue(card.PnpId(), L"Name"), name);
    EXPECT_EQ(ReadActiveValue(card.PnpId(), L"Key"), L"Drivers\\PCMCIA\\" + card.PnpId());
    EXPECT_EQ(ReadActiveValue(card.PnpId(), L"Link"), card.Link());
    DWORD hnd = 0;
    EXPECT_EQ(ReadActiveValue(card.PnpId(), L"Hnd", &hnd), L"#");
    EXPECT_NE(hnd, 0u);

    EXPECT_FALSE(card.Insert());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CeDevMgrInsertCard(L"ZenTest_No_Such_Card", L"sim:x", nullptr, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));

    ASSERT_TRUE(card.Remove());
    EXPECT_EQ(porttest::FindPort(card.PnpId()), L"");
    EXPECT_FALSE(card.Remove());
}

TEST_F(DevMgrTest, AnotherProcessFindsThePortAndExchangesAtLines)
{
    std::string output;
    EXPECT_EQ(RunClient(L"at " + card.PnpId() + L" AT$BATT?", output), 0) << output;
    EXPECT_EQ(output, "AT$BATT?\r\r\n3.85\r\n\r\nOK\r\n\n");
    // The client closed its handle, so the port is free again here.
    HANDLE h = OpenPort(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Exchange(h, "AT$PING?"), "AT$PING?\r\r\n4\r\n\r\nOK\r\n\n");
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DevMgrTest, RingAndCarrierArriveAsEventsWithTheModemStatus)
{
    HANDLE h = OpenPort(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetCommMask(h, EV_RING | EV_RLSD | EV_RXCHAR));
    card.Module().Ring("0101234567");
    DWORD seen = 0, status = 0;
    std::string text;
    for (int i = 0; i < 10 && (seen & (EV_RING | EV_RLSD)) != (EV_RING | EV_RLSD); ++i) {
        DWORD ev = 0;
        ASSERT_TRUE(WaitCommEvent(h, &ev, nullptr));
        seen |= ev;
    }
    EXPECT_EQ(seen & (EV_RING | EV_RLSD), DWORD(EV_RING | EV_RLSD));
    ASSERT_TRUE(GetCommModemStatus(h, &status));
    EXPECT_TRUE(status & MS_RLSD_ON);
    EXPECT_NE(porttest::ReadUntil(h, "0101234567\r\n").find("RING"), std::string::npos);

    // Carrier goes when the caller hangs up.
    card.Module().RemoteHangUp();
    for (int i = 0; i < 10; ++i) {
        DWORD ev = 0;
        ASSERT_TRUE(WaitCommEvent(h, &ev, nullptr));
        if (ev & EV_RLSD)
            break;
    }
    ASSERT_TRUE(GetCommModemStatus(h, &status));
    EXPECT_FALSE(status & MS_RLSD_ON);
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DevMgrTest, AnotherProcessSeesRingAndCarrierThenTheCardGoing)
{
    std::wstring eventName = L"ZenTestWatch" + std::to_wstring(GetCurrentProcessId());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    std::string output;
    int code = -1;
    std::thread child([&] { code = RunClient(L"watch " + card.PnpId() + L" " + eventName, output); });
    ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
    card.Module().Ring("0101234567");
    Sleep(500);
    ASSERT_TRUE(card.Remove());
    child.join();
    CloseHandle(ready);
    EXPECT_EQ(code, 0);
    char expected[128];
    wsprintfA(expected, "events=%lx status=%lx\nwait failed %lu\nwrite 0 %lu\nclosed 1\n",
              static_cast<DWORD>(EV_RING | EV_RLSD), static_cast<DWORD>(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON),
              static_cast<DWORD>(ERROR_DEVICE_REMOVED), static_cast<DWORD>(ERROR_DEVICE_REMOVED));
    EXPECT_EQ(output, expected);
}

TEST_F(DevMgrTest, BlockedWaitOnOneThreadDoesNotStallWritesOnAnother)
{
    HANDLE h = OpenPort(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetCommMask(h, EV_RING));
    std::atomic<int> result{-1};
    std::atomic<DWORD> events{0xFFFF};
    std::thread reader([&] {
        DWORD ev = 0;
        result = WaitCommEvent(h, &ev, nullptr) ? 1 : 0;
        events = ev;
    });
    Sleep(50);
    DWORD start = GetTickCount();
    EXPECT_EQ(Exchange(h, "AT$VOL=5"), "AT$VOL=5\r\r\nOK\r\n\n");
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(card.Module().Volume(), 5);
    EXPECT_EQ(result.load(), -1);
    // Clearing the mask releases the wait, as the link does on close.
    ASSERT_TRUE(SetCommMask(h, 0));
    reader.join();
    EXPECT_EQ(result.load(), 1);
    EXPECT_EQ(events.load(), 0u);
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DevMgrTest, RemovalFailsOpenHandlesCleanlyAndReinsertionWorks)
{
    HANDLE h = OpenPort(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetCommMask(h, EV_RING));
    std::atomic<int> result{-1};
    std::thread reader([&] {
        DWORD ev = 0;
        result = WaitCommEvent(h, &ev, nullptr) ? 1 : 0;
    });
    Sleep(50);
    DWORD start = GetTickCount();
    ASSERT_TRUE(card.Remove());
    // Closing the handle in the driver ends the wait: nothing to wait out.
    EXPECT_LT(GetTickCount() - start, 500u);
    reader.join();
    EXPECT_EQ(result.load(), 0);

    char c;
    DWORD n = 0, status = 0;
    SetLastError(0);
    EXPECT_FALSE(WriteFile(h, "AT\r\n", 4, &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DEVICE_REMOVED));
    EXPECT_FALSE(ReadFile(h, &c, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DEVICE_REMOVED));
    EXPECT_FALSE(GetCommModemStatus(h, &status));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(porttest::FindPort(card.PnpId()), L"");
    EXPECT_EQ(CreateFileW(card.Name().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);

    ASSERT_TRUE(card.Insert());
    h = OpenPort(porttest::FindPort(card.PnpId()));
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Exchange(h, "AT$PING?"), "AT$PING?\r\r\n4\r\n\r\nOK\r\n\n");
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DevMgrTest, AProcessThatDiesWithThePortOpenDoesNotLeaveItStuck)
{
    std::wstring eventName = L"ZenTestHold" + std::to_wstring(GetCurrentProcessId());
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    HANDLE child = nullptr;
    std::string unused;
    ASSERT_EQ(RunClient(L"hold " + card.PnpId() + L" " + eventName, unused, &child), 0);
    ASSERT_EQ(WaitForSingleObject(opened, 10000), WAIT_OBJECT_0);
    // The child has it: a second reader/writer is refused.
    EXPECT_EQ(CreateFileW(card.Name().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    TerminateProcess(child, 9);
    WaitForSingleObject(child, 5000);
    DWORD killed = GetTickCount();
    CloseHandle(child);
    CloseHandle(opened);
    // Its handle is closed in the driver, which ends its blocked wait, at once.
    HANDLE h = INVALID_HANDLE_VALUE;
    while (h == INVALID_HANDLE_VALUE && GetTickCount() - killed < 3000) {
        h = OpenPort(card.Name());
        if (h == INVALID_HANDLE_VALUE)
            Sleep(10);
    }
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_LT(GetTickCount() - killed, 1000u);
    EXPECT_EQ(Exchange(h, "AT$PING?"), "AT$PING?\r\r\n4\r\n\r\nOK\r\n\n");
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DevMgrTest, AfterResumeTheCardIsInitialisedAgainAndItsPortOpensAnew)
{
    HANDLE h = OpenPort(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetCommMask(h, EV_RING));
    std::atomic<int> result{-1};
    std::thread reader([&] {
        DWORD ev = 0;
        result = WaitCommEvent(h, &ev, nullptr) ? 1 : 0;
    });
    Sleep(50);
    EXPECT_TRUE(CeDevMgrSetPower(FALSE));
    EXPECT_TRUE(CeDevMgrSetPower(TRUE));
    reader.join();
    // The driver was de-initialised: the old handle is done with.
    EXPECT_EQ(result.load(), 0);
    DWORD status = 0;
    EXPECT_FALSE(GetCommModemStatus(h, &status));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DEVICE_REMOVED));
    EXPECT_TRUE(CloseHandle(h));
    // A fresh Init: the port is there again and the module answers.
    ASSERT_EQ(porttest::FindPort(card.PnpId()), card.Name());
    h = OpenPort(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Exchange(h, "AT$PING?"), "AT$PING?\r\r\n4\r\n\r\nOK\r\n\n");
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DevMgrTest, AProcessCannotJoinAnotherProcesssHandle)
{
    HANDLE h = OpenPort(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Exchange(h, "AT$VOL=5"), "AT$VOL=5\r\r\nOK\r\n\n");
    std::string output;
    ASSERT_EQ(RunClient(L"raw " + card.PnpId() + L" 3", output), 0) << output;
    char expected[160];
    wsprintfA(expected, "session 1 attach %lu write %lu\nsession 2 attach %lu write %lu\nsession 3 attach %lu write %lu\n",
              DWORD(ERROR_ACCESS_DENIED), DWORD(ERROR_INVALID_HANDLE), DWORD(ERROR_INVALID_HANDLE),
              DWORD(ERROR_INVALID_HANDLE), DWORD(ERROR_INVALID_HANDLE), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(output, expected);
    EXPECT_EQ(card.Module().Volume(), 5);
    EXPECT_EQ(Exchange(h, "AT$PING?"), "AT$PING?\r\r\n4\r\n\r\nOK\r\n\n");
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DevMgrTest, ATextThatCameWhileTheCardWasOutIsAnnouncedToTheFirstOpener)
{
    ASSERT_TRUE(card.Remove());
    card.Module().IncomingText("0101112222", "hi");
    ASSERT_TRUE(card.Insert());
    HANDLE h = OpenPort(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(porttest::ReadUntil(h, "$NEWMT\r\n", 2000), "\r\n$NEWMT\r\n");
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DevMgrTest, SeveralProcessesUseThePortAtOnce)
{
    // Four processes watch the lines with status handles while this one
    // talks to the module.
    std::vector<std::thread> children;
    std::string outputs[4];
    int codes[4] = {-1, -1, -1, -1};
    for (int i = 0; i < 4; ++i)
        children.emplace_back([&, i] { codes[i] = RunClient(L"status " + card.PnpId() + L" 40", outputs[i]); });
    HANDLE h = OpenPort(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Exchange(h, "AT$PING?"), "AT$PING?\r\r\n4\r\n\r\nOK\r\n\n");
    for (auto& t : children)
        t.join();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(codes[i], 0) << outputs[i];
        EXPECT_EQ(outputs[i], "status 40 of 40\n");
    }
    EXPECT_EQ(Exchange(h, "AT$PING?"), "AT$PING?\r\r\n4\r\n\r\nOK\r\n\n");
    EXPECT_TRUE(CloseHandle(h));
}

// A card whose module has stopped taking bytes off the line.
class StuckCard {
public:
    StuckCard()
        : pnpId_(L"ZenTest_Stuck_Card-" + std::to_wstring(GetCurrentProcessId())),
          link_(L"devmgrstuck" + std::to_wstring(GetCurrentProcessId()))
    {
    }
    ~StuckCard()
    {
        CeDevMgrRemoveCard(pnpId_.c_str());
        server_.Stop();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + pnpId_).c_str());
    }
    bool Insert()
    {
        if (!server_.Start(zenlink::LinkPipeName(link_), [](HANDLE, HANDLE stop) { WaitForSingleObject(stop, INFINITE); },
                           true) ||
            !CeDevMgrRegisterDriver(pnpId_.c_str(), L"Serial.dll", L"COM"))
            return false;
        wchar_t name[16] = L"";
        if (!CeDevMgrInsertCard(pnpId_.c_str(), (L"sim:" + link_).c_str(), name, 16))
            return false;
        name_ = name;
        return true;
    }
    const std::wstring& PnpId() const { return pnpId_; }
    const std::wstring& Name() const { return name_; }

private:
    std::wstring pnpId_, link_, name_;
    cedev::PipeServer server_;
};

// More than the line holds while no one reads it.
constexpr DWORD kStuckWrite = 256 * 1024;

TEST_F(DevMgrTest, AModuleThatStopsReadingHoldsUpNeitherWriteTimeOutsNorCloseNorRemoval)
{
    StuckCard stuck;
    ASSERT_TRUE(stuck.Insert());
    HANDLE h = OpenPort(stuck.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string data(kStuckWrite, 'w');
    // With a write time-out the write comes back short.
    COMMTIMEOUTS t{MAXDWORD, 0, 0, 0, 300};
    ASSERT_TRUE(SetCommTimeouts(h, &t));
    std::atomic<int> result{-1};
    std::atomic<DWORD> written{0};
    std::thread writer([&] {
        DWORD n = 0;
        result = WriteFile(h, data.data(), kStuckWrite, &n, nullptr) ? 1 : 0;
        written = n;
    });
    DWORD start = GetTickCount();
    while (result < 0 && GetTickCount() - start < 3000)
        Sleep(5);
    EXPECT_EQ(result.load(), 1) << "the write ignored its time-out";
    EXPECT_LT(written.load(), kStuckWrite);
    // Without one it waits, but closing the port ends it at once.
    t.WriteTotalTimeoutConstant = 0;
    ASSERT_TRUE(SetCommTimeouts(h, &t));
    std::atomic<int> second{-1};
    std::thread blocked([&] {
        DWORD n = 0;
        second = WriteFile(h, data.data(), kStuckWrite, &n, nullptr) ? 1 : 0;
    });
    Sleep(300);
    EXPECT_EQ(second.load(), -1);
    start = GetTickCount();
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_LT(GetTickCount() - start, 1000u);
    writer.join();
    blocked.join();
    EXPECT_NE(second.load(), -1);

    // The same with the card pulled instead: the driver lets go of the line first.
    h = OpenPort(stuck.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    second = -1;
    std::thread pulled([&] {
        DWORD n = 0;
        second = WriteFile(h, data.data(), kStuckWrite, &n, nullptr) ? 1 : 0;
    });
    Sleep(300);
    EXPECT_EQ(second.load(), -1);
    start = GetTickCount();
    EXPECT_TRUE(CeDevMgrRemoveCard(stuck.PnpId().c_str()));
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(porttest::FindPort(stuck.PnpId()), L"");
    pulled.join();
    EXPECT_EQ(second.load(), 0);
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DevMgrTest, OtherPathsAndHandlesGoStraightToWin32)
{
    wchar_t dir[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"zen", 0, file);
    HANDLE f = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CeDevIsDeviceHandle(f));
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(f, "hello", 5, &n, nullptr));
    SetFilePointer(f, 0, nullptr, FILE_BEGIN);
    char buf[8] = {};
    EXPECT_TRUE(ReadFile(f, buf, 5, &n, nullptr));
    EXPECT_STREQ(buf, "hello");
    DCB dcb{};
    EXPECT_FALSE(GetCommState(f, &dcb));  // kernel32's answer for a file
    EXPECT_TRUE(CloseHandle(f));
    DeleteFileW(file);

    SetLastError(0);
    EXPECT_EQ(CreateFileW(L"COM0:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    HANDLE h = OpenPort(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CeDevIsDeviceHandle(h));
    OVERLAPPED ov{};
    EXPECT_FALSE(ReadFile(h, buf, 1, &n, &ov));  // no overlapped I/O on devices
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(EscapeCommFunction(h, RESETDEV));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CeDevIsDeviceHandle(h));
}

}  // namespace
