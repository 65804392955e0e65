// The device manager against a driver that misbehaves on purpose
// (TestDriver.h): removal under blocked calls, opens during Init, resume,
// refused closes, time-outs, and clients that do not speak the protocol.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "PortHelpers.h"
#include "TestDriver.h"
#include "ce/devmgr/DevProtocol.h"
#include "ce/devmgr/PipeIo.h"
#include "ce/devmgr/PipeServer.h"
#include "ce_devmgr.h"

namespace {

class DriverCard {
public:
    explicit DriverCard(DWORD mode, const wchar_t* tag = L"")
        : pnpId_(L"ZenTest_Driver_Card" + std::wstring(tag) + L"-" + std::to_wstring(GetCurrentProcessId()))
    {
        CeDevMgrRegisterDriver(pnpId_.c_str(), L"devmgr_testdrv.dll", L"TST");
        HKEY k;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + pnpId_).c_str(), 0, KEY_ALL_ACCESS, &k) ==
            ERROR_SUCCESS) {
            RegSetValueExW(k, L"Mode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mode), sizeof mode);
            RegCloseKey(k);
        }
    }
    ~DriverCard()
    {
        CeDevMgrRemoveCard(pnpId_.c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + pnpId_).c_str());
    }
    bool Insert()
    {
        wchar_t name[16] = L"";
        if (!CeDevMgrInsertCard(pnpId_.c_str(), L"none", name, 16))
            return false;
        name_ = name;
        return true;
    }
    bool Remove() { return CeDevMgrRemoveCard(pnpId_.c_str()) != FALSE; }
    const std::wstring& PnpId() const { return pnpId_; }
    const std::wstring& Name() const { return name_; }

private:
    std::wstring pnpId_;
    std::wstring name_;
};

class DriverTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError(); }
    static void TearDownTestSuite() { CeDevMgrStopInProcess(); }

    void SetUp() override
    {
        dll = LoadLibraryW(L"devmgr_testdrv.dll");
        ASSERT_NE(dll, nullptr);
        statsFn = reinterpret_cast<testdrv::PFN_STATS>(reinterpret_cast<void*>(GetProcAddress(dll, "TST_Stats")));
        auto reset = reinterpret_cast<testdrv::PFN_RESET>(reinterpret_cast<void*>(GetProcAddress(dll, "TST_Reset")));
        ASSERT_TRUE(statsFn && reset);
        reset();
    }
    void TearDown() override { FreeLibrary(dll); }

    testdrv::Stats Stats()
    {
        testdrv::Stats s;
        statsFn(&s);
        return s;
    }

    HMODULE dll = nullptr;
    testdrv::PFN_STATS statsFn = nullptr;
};

HANDLE OpenDevice(const std::wstring& name, DWORD access = GENERIC_READ | GENERIC_WRITE)
{
    return CreateFileW(name.c_str(), access, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST_F(DriverTest, RemovalEndsACallBlockedInTheDriverWithDeinitAndNothingAfterIt)
{
    DriverCard card(testdrv::ReadBlocksUntilDeinit);
    ASSERT_TRUE(card.Insert());
    HANDLE h = OpenDevice(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::atomic<int> result{-1};
    std::atomic<DWORD> error{0};
    std::thread reader([&] {
        char c;
        DWORD n = 0;
        BOOL ok = ReadFile(h, &c, 1, &n, nullptr);
        error = GetLastError();
        result = ok ? 1 : 0;
    });
    while (Stats().read == 0)
        Sleep(5);
    DWORD start = GetTickCount();
    ASSERT_TRUE(card.Remove());
    DWORD spent = GetTickCount() - start;
    reader.join();
    EXPECT_LT(spent, 1000u);
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(error.load(), DWORD(ERROR_DEVICE_REMOVED));
    EXPECT_EQ(porttest::FindPort(card.PnpId()), L"");
    EXPECT_TRUE(CloseHandle(h));
    Sleep(100);
    testdrv::Stats s = Stats();
    EXPECT_EQ(s.close, 1);  // the handle, once, before Deinit
    EXPECT_EQ(s.deinit, 1);
    EXPECT_EQ(s.late, 0);
    EXPECT_STREQ(s.log, "Init,Deinit,");
}

TEST_F(DriverTest, AnOpenThatWaitsForDeinitIsReleasedByRemovalAndNeverClosedLate)
{
    DriverCard card(testdrv::OpenBlocksUntilDeinit);
    ASSERT_TRUE(card.Insert());
    std::atomic<HANDLE> opened{nullptr};
    std::atomic<DWORD> error{0};
    std::thread opener([&] {
        HANDLE h = OpenDevice(card.Name());
        error = GetLastError();
        opened = h;
    });
    while (Stats().open == 0)
        Sleep(5);
    DWORD start = GetTickCount();
    ASSERT_TRUE(card.Remove());
    DWORD spent = GetTickCount() - start;
    opener.join();
    EXPECT_LT(spent, 1000u);
    EXPECT_EQ(opened.load(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(error.load(), DWORD(ERROR_DEVICE_REMOVED));
    Sleep(200);
    testdrv::Stats s = Stats();
    EXPECT_EQ(s.deinit, 1);
    EXPECT_EQ(s.close, 0);  // the handle Open gave after Deinit is not handed back to the driver
    EXPECT_EQ(s.late, 0);
}

TEST_F(DriverTest, ResumeReinitialisesTheDriverAndOldHandlesFail)
{
    DriverCard card(0);
    ASSERT_TRUE(card.Insert());
    HANDLE h = OpenDevice(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CeDevMgrSetPower(FALSE));
    EXPECT_TRUE(CeDevMgrSetPower(TRUE));
    testdrv::Stats s = Stats();
    EXPECT_STREQ(s.log, "Init,PowerDown,PowerUp,Deinit,Init,");
    EXPECT_EQ(s.late, 0);
    DWORD n = 0;
    EXPECT_FALSE(WriteFile(h, "x", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DEVICE_REMOVED));
    EXPECT_TRUE(CloseHandle(h));
    // The card is still in, under its name, and opens anew.
    EXPECT_EQ(porttest::FindPort(card.PnpId()), card.Name());
    h = OpenDevice(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteFile(h, "xy", 2, &n, nullptr));
    EXPECT_EQ(n, 2u);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(card.Insert());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
}

TEST_F(DriverTest, ADriverMayOpenItselfAndUseTheControlPipeFromInit)
{
    {
        DriverCard card(testdrv::InitOpensItself, L"Self");
        ASSERT_TRUE(card.Insert());
        HANDLE done = OpenEventW(SYNCHRONIZE, FALSE, L"ZenTestDrv.SelfOpenDone");
        ASSERT_NE(done, nullptr);
        EXPECT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
        CloseHandle(done);
        EXPECT_EQ(Stats().selfOpenError, 0u);
    }
    {
        DriverCard card(testdrv::InitCallsControl, L"Control");
        ASSERT_TRUE(card.Insert());
        testdrv::Stats s = Stats();
        EXPECT_EQ(s.controlError, DWORD(ERROR_FILE_NOT_FOUND));
        EXPECT_LT(s.controlMs, 2000u);
    }
}

TEST_F(DriverTest, ACloseTheDriverRefusesIsReportedAndTheHandleStillGoes)
{
    DriverCard card(testdrv::CloseFails);
    ASSERT_TRUE(card.Insert());
    HANDLE h = OpenDevice(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    EXPECT_FALSE(CeDevIsDeviceHandle(h));
    EXPECT_EQ(Stats().close, 1);
}

TEST_F(DriverTest, AControlRequestThatTakesTooLongFailsWithATimeOut)
{
    DriverCard card(testdrv::InitIsSlow);
    DWORD start = GetTickCount();
    EXPECT_FALSE(card.Insert());
    DWORD spent = GetTickCount() - start;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TIMEOUT));
    EXPECT_GE(spent, 7000u);
    EXPECT_LT(spent, 9400u);
    // The insertion goes on and completes; then the card is removed as usual.
    while (Stats().init == 0 || porttest::FindPort(card.PnpId()).empty()) {
        ASSERT_LT(GetTickCount() - start, 20000u);
        Sleep(50);
    }
    Sleep(1000);  // Init returns
    EXPECT_TRUE(card.Remove());
}

TEST_F(DriverTest, InsertionWaitsForTheActiveListOnlySoLong)
{
    DriverCard card(0);
    std::atomic<bool> release{false};
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HANDLE m = CreateMutexW(nullptr, FALSE, cedev::kRegistryMutex);
        WaitForSingleObject(m, INFINITE);
        SetEvent(held);
        while (!release)
            Sleep(10);
        ReleaseMutex(m);
        CloseHandle(m);
    });
    WaitForSingleObject(held, 5000);
    DWORD start = GetTickCount();
    EXPECT_FALSE(card.Insert());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TIMEOUT));
    EXPECT_GE(GetTickCount() - start, 4500u);
    EXPECT_EQ(porttest::FindPort(card.PnpId()), L"");
    release = true;
    holder.join();
    CloseHandle(held);
    EXPECT_TRUE(card.Insert());
}

// A client of the device pipe that speaks the protocol by hand.
class RawClient {
public:
    explicit RawClient(const std::wstring& device) { pipe = cedev::PipeConnect(cedev::DevicePipeName(device), 2000); }
    ~RawClient()
    {
        if (pipe != INVALID_HANDLE_VALUE)
            CloseHandle(pipe);
    }
    // false when the server dropped the connection.
    bool Call(const cedev::DevRequest& rq, const std::string& data, cedev::DevReply& rp)
    {
        std::string msg(reinterpret_cast<const char*>(&rq), sizeof rq);
        msg += data;
        return CallRaw(msg, rp);
    }
    bool CallRaw(const std::string& msg, cedev::DevReply& rp)
    {
        std::vector<BYTE> reply;
        cedev::PipeLimits limits;
        limits.timeoutMs = 5000;
        if (!cedev::PipeTransact(pipe, msg.data(), static_cast<DWORD>(msg.size()), reply, limits) ||
            reply.size() < sizeof rp)
            return false;
        std::memcpy(&rp, reply.data(), sizeof rp);
        return true;
    }
    HANDLE pipe;
};

TEST_F(DriverTest, AnotherClientCannotUseAHandleItDidNotOpen)
{
    DriverCard card(0);
    ASSERT_TRUE(card.Insert());
    HANDLE h = OpenDevice(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    // Sessions are numbered from 1: a foreign client tries them with guessed keys.
    for (uint32_t session = 1; session <= 3; ++session) {
        RawClient raw(card.Name());
        ASSERT_NE(raw.pipe, INVALID_HANDLE_VALUE);
        cedev::DevRequest rq{};
        rq.op = cedev::DevAttach;
        rq.session = session;
        cedev::DevReply rp{};
        ASSERT_TRUE(raw.Call(rq, "", rp));
        EXPECT_EQ(rp.ok, 0u);
        EXPECT_EQ(rp.error, DWORD(session == 1 ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE));
        rq = cedev::DevRequest{};
        rq.op = cedev::DevWrite;
        rq.inSize = 9;
        ASSERT_TRUE(raw.Call(rq, "AT$VOL=7\r", rp));
        EXPECT_EQ(rp.ok, 0u);
    }
    EXPECT_EQ(Stats().write, 0);
    // The owner's handle works on, from several threads.
    std::vector<std::thread> writers;
    std::atomic<int> written{0};
    for (int i = 0; i < 3; ++i)
        writers.emplace_back([&] {
            DWORD n = 0;
            if (WriteFile(h, "ab", 2, &n, nullptr) && n == 2)
                ++written;
        });
    for (auto& t : writers)
        t.join();
    EXPECT_EQ(written.load(), 3);
    EXPECT_TRUE(CloseHandle(h));
}

SIZE_T PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PeakWorkingSetSize;
}

// Sends `size` bytes as one message; TRUE when the server answered anything.
bool SendHuge(HANDLE pipe, const std::vector<char>& data)
{
    std::vector<BYTE> reply;
    cedev::PipeLimits limits;
    limits.timeoutMs = 10000;
    return cedev::PipeTransact(pipe, data.data(), static_cast<DWORD>(data.size()), reply, limits);
}

TEST_F(DriverTest, OversizedAndMalformedRequestsDropTheConnectionWithoutBufferingThem)
{
    DriverCard card(0);
    ASSERT_TRUE(card.Insert());
    const size_t huge = 96u << 20;
    std::vector<char> data(huge, 'x');  // touched now, so it is in the baseline
    SIZE_T before = PeakWorkingSet();
    ASSERT_GT(before, huge);
    {
        RawClient raw(card.Name());
        cedev::DevRequest rq{};
        rq.op = cedev::DevOpen;
        rq.inSize = static_cast<uint32_t>(huge - sizeof rq);
        std::memcpy(data.data(), &rq, sizeof rq);
        EXPECT_FALSE(SendHuge(raw.pipe, data));
    }
    {
        HANDLE control = cedev::PipeConnect(cedev::kControlPipe, 2000);
        ASSERT_NE(control, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(SendHuge(control, data));
        CloseHandle(control);
    }
    // Wine's peak figure can dip a little below an earlier reading.
    const SIZE_T after = PeakWorkingSet();
    const SIZE_T grown = after > before ? after - before : 0;
    EXPECT_LT(grown, SIZE_T(24u << 20)) << "the device manager buffered an oversized request";
    data.clear();
    data.shrink_to_fit();

    cedev::DevReply rp{};
    {
        RawClient raw(card.Name());
        EXPECT_FALSE(raw.CallRaw("abc", rp));  // shorter than a request
    }
    {
        RawClient raw(card.Name());
        cedev::DevRequest rq{};
        rq.op = cedev::DevWrite;
        rq.inSize = 100;  // says more than follows
        EXPECT_FALSE(raw.Call(rq, "AT", rp));
    }
    {
        RawClient raw(card.Name());
        cedev::DevRequest rq{};
        rq.op = 99;
        ASSERT_TRUE(raw.Call(rq, "", rp));
        EXPECT_EQ(rp.error, DWORD(ERROR_INVALID_FUNCTION));
        rq.op = cedev::DevRead;  // no handle on this connection
        rq.outSize = 0xFFFFFFFF;
        ASSERT_TRUE(raw.Call(rq, "", rp));
        EXPECT_EQ(rp.error, DWORD(ERROR_INVALID_HANDLE));
        rq.op = cedev::DevClose;
        ASSERT_TRUE(raw.Call(rq, "", rp));
        EXPECT_EQ(rp.ok, 0u);
    }
    {
        HANDLE control = cedev::PipeConnect(cedev::kControlPipe, 2000);
        std::vector<BYTE> reply;
        cedev::PipeLimits limits;
        limits.timeoutMs = 5000;
        EXPECT_FALSE(cedev::PipeTransact(control, "short", 5, reply, limits));
        CloseHandle(control);
    }
    // Both still serve.
    EXPECT_TRUE(CeDevMgrIsRunning(0));
    HANDLE h = OpenDevice(card.Name());
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(h, "AT\r\n", 4, &n, nullptr));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(Stats().late, 0);
}

// One side of a device pipe, served by hand: answers each request with `rp`
// (and `data`) until the client goes.
void AnswerAll(HANDLE pipe, cedev::DevReply rp, const std::string& data = std::string())
{
    BYTE buf[sizeof(cedev::DevRequest) + 64];
    DWORD got = 0;
    while (ReadFile(pipe, buf, sizeof buf, &got, nullptr)) {
        cedev::DevRequest rq;
        std::memcpy(&rq, buf, sizeof rq);
        if (rq.op == cedev::DevWrite)
            rp.value = rq.inSize;
        rp.outSize = static_cast<uint32_t>(data.size());
        std::string reply(reinterpret_cast<const char*>(&rp), sizeof rp);
        reply += data;
        DWORD put = 0;
        WriteFile(pipe, reply.data(), static_cast<DWORD>(reply.size()), &put, nullptr);
    }
}

TEST(DeviceClientTest, ADevicePipeThatStaysBusyFailsOneCallButDoesNotRemoveTheHandle)
{
    // A device whose pipe has no free instance for a while: its one
    // instance carries the handle's open, and the second comes late.
    std::wstring name = cedev::DevicePipeName(L"ZZT9:");
    auto instance = [&] {
        return CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                PIPE_UNLIMITED_INSTANCES, 65536, 65536, 0, nullptr);
    };
    HANDLE primary = instance();
    ASSERT_NE(primary, INVALID_HANDLE_VALUE);
    cedev::DevReply opened{};
    opened.ok = 1;
    opened.value = 1;
    std::thread owner([&] {
        ConnectNamedPipe(primary, nullptr);
        AnswerAll(primary, opened, std::string(cedev::kKeySize, '\0'));
    });
    HANDLE h = CreateFileW(L"ZZT9:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    SetLastError(0);
    EXPECT_FALSE(WriteFile(h, "x", 1, &n, nullptr));  // waits 5 s for an instance
    EXPECT_EQ(GetLastError(), DWORD(ERROR_BUSY));

    HANDLE second = instance();
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    cedev::DevReply fine{};
    fine.ok = 1;
    std::thread worker([&] {
        ConnectNamedPipe(second, nullptr);
        AnswerAll(second, fine);
    });
    EXPECT_TRUE(WriteFile(h, "xy", 2, &n, nullptr)) << GetLastError();
    EXPECT_EQ(n, 2u);
    EXPECT_TRUE(CloseHandle(h));
    // Should the second instance still wait for its client, this one ends it.
    HANDLE poke = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (poke != INVALID_HANDLE_VALUE)
        CloseHandle(poke);
    owner.join();
    worker.join();
    CloseHandle(primary);
    CloseHandle(second);
}

TEST(PipeServerTest, ListeningGoesOnAfterAnInstanceCouldNotBeMade)
{
    std::wstring name = L"\\\\.\\pipe\\ZenTestListen" + std::to_wstring(GetCurrentProcessId());
    cedev::PipeServer server;
    std::atomic<int> failures{3};
    server.SetInstanceFactory([&]() -> HANDLE {
        if (failures > 0) {
            --failures;
            SetLastError(ERROR_NO_SYSTEM_RESOURCES);
            return INVALID_HANDLE_VALUE;
        }
        return cedev::PipeCreateInstance(name, false);
    });
    // Handles are tied to the client's process id, which the server learns from the pipe.
    std::atomic<ULONG> clientPid{0};
    ASSERT_TRUE(server.Start(name, [&clientPid](HANDLE pipe, HANDLE stop) {
        ULONG pid = 0;
        if (GetNamedPipeClientProcessId(pipe, &pid))
            clientPid = pid;
        std::vector<BYTE> msg;
        while (cedev::PipeRead(pipe, msg, stop))
            cedev::PipeWrite(pipe, msg.data(), static_cast<DWORD>(msg.size()), stop);
    }));
    std::vector<HANDLE> clients;
    for (int i = 0; i < 3; ++i) {
        HANDLE c = cedev::PipeConnect(name, 3000);
        ASSERT_NE(c, INVALID_HANDLE_VALUE) << "client " << i << " error " << GetLastError();
        std::vector<BYTE> reply;
        ASSERT_TRUE(cedev::PipeTransact(c, "ping", 4, reply));
        EXPECT_EQ(std::string(reply.begin(), reply.end()), "ping");
        clients.push_back(c);
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(clientPid.load(), GetCurrentProcessId());
    for (HANDLE c : clients)
        CloseHandle(c);
    EXPECT_TRUE(server.Stop());
}

}  // namespace
