// ZentDrv.dll in this process against a recording "Serial.dll": what it
// forwards, what it keeps for itself, and how it fails without the library.
// The program lives in a folder of its own, so "Serial.dll" is found only
// when a test loads one of the fakes first.
#include <gtest/gtest.h>

#include <pegdser.h>
#include <ppcutil.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "AgentWindows.h"
#include "ce_streamdrv.h"
#include "WinTest.h"

namespace {

std::wstring Beside(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

template <typename T>
T Proc(HMODULE m, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

struct Entries {
    PFN_STREAM_INIT Init;
    PFN_STREAM_DEINIT Deinit;
    PFN_STREAM_OPEN Open;
    PFN_STREAM_CLOSE Close;
    PFN_STREAM_READ Read;
    PFN_STREAM_WRITE Write;
    PFN_STREAM_SEEK Seek;
    PFN_STREAM_IOCONTROL IOControl;
    PFN_STREAM_POWERUP PowerUp;
    PFN_STREAM_POWERDOWN PowerDown;
};

Entries Resolve(HMODULE m)
{
    return Entries{Proc<PFN_STREAM_INIT>(m, "COM_Init"),           Proc<PFN_STREAM_DEINIT>(m, "COM_Deinit"),
                   Proc<PFN_STREAM_OPEN>(m, "COM_Open"),           Proc<PFN_STREAM_CLOSE>(m, "COM_Close"),
                   Proc<PFN_STREAM_READ>(m, "COM_Read"),           Proc<PFN_STREAM_WRITE>(m, "COM_Write"),
                   Proc<PFN_STREAM_SEEK>(m, "COM_Seek"),           Proc<PFN_STREAM_IOCONTROL>(m, "COM_IOControl"),
                   Proc<PFN_STREAM_POWERUP>(m, "COM_PowerUp"),     Proc<PFN_STREAM_POWERDOWN>(m, "COM_PowerDown")};
}

// The fake serial driver loaded from one of the sub-folders.
class FakeSerial {
public:
    explicit FakeSerial(const wchar_t* folder) : module_(LoadLibraryW(Beside(folder).c_str())) {}
    ~FakeSerial()
    {
        if (module_)
            FreeLibrary(module_);
    }
    HMODULE Module() const { return module_; }
    std::string Log() const
    {
        auto get = Proc<DWORD (*)(char*, DWORD)>(module_, "FakeSerial_Log");
        std::string s(get(nullptr, 0) + 1, '\0');
        get(&s[0], static_cast<DWORD>(s.size()));
        s.resize(s.size() - 1);
        return s;
    }
    bool Logged(const std::string& line) const { return Log().find(line + "\n") != std::string::npos; }
    int Count(const std::string& text) const
    {
        std::string log = Log();
        int n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++n;
        return n;
    }
    DWORD OpenCount() const { return Proc<DWORD (*)()>(module_, "FakeSerial_OpenCount")(); }
    void FailOpens(bool fail) const { Proc<void (*)(BOOL)>(module_, "FakeSerial_FailOpens")(fail); }

private:
    HMODULE module_;
};

bool WaitFor(const std::function<bool()>& done, DWORD ms = 3000)
{
    return zentest::WaitUntil(done, ms);
}

constexpr DWORD kRW = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD_PTR kContext = 0x5000;  // what the fake's Init returns
constexpr DWORD_PTR kMonitorHandle = 0x100;  // the fake's first open handle

class DriverForward : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The slot's interrupt state of this process only.
        SetEnvironmentVariableW(L"ZEN_DEVICE_ID", L"driver_forward_test");
        ASSERT_EQ(GetModuleHandleW(L"Serial.dll"), nullptr);
    }
};

// ZentDrv.dll loaded against the complete fake, with the agent's windows up.
class DriverOnFake : public DriverForward {
protected:
    void SetUp() override
    {
        DriverForward::SetUp();
        if (HasFatalFailure())
            return;
        fakeLib = std::make_unique<FakeSerial>(L"full\\Serial.dll");
        ASSERT_NE(fake().Module(), nullptr);
        ASSERT_TRUE(agent.Ready());
        drv = LoadLibraryW(Beside(L"ZentDrv.dll").c_str());
        ASSERT_NE(drv, nullptr);
        e = Resolve(drv);
    }
    void TearDown() override
    {
        if (drv) {
            EXPECT_TRUE(FreeLibrary(drv));
        }
    }
    FakeSerial& fake() { return *fakeLib; }

    std::unique_ptr<FakeSerial> fakeLib;
    drvtest::AgentWindows agent;
    HMODULE drv = nullptr;
    Entries e{};
};

TEST_F(DriverForward, EveryEntryPointFailsCleanlyWithoutSerialDll)
{
    HMODULE drv = LoadLibraryW(Beside(L"ZentDrv.dll").c_str());
    ASSERT_NE(drv, nullptr);
    Entries e = Resolve(drv);
    EXPECT_EQ(e.Init(0x1234), 0u);
    EXPECT_FALSE(e.Deinit(kContext));
    EXPECT_EQ(e.Open(kContext, kRW, 0), 0u);
    EXPECT_EQ(e.Open(kContext, 0, 0), 0u);
    EXPECT_FALSE(e.Close(kMonitorHandle));
    char buf[8];
    EXPECT_EQ(e.Read(kMonitorHandle, buf, 8), DWORD(-1));
    EXPECT_EQ(e.Write(kMonitorHandle, "AT", 2), DWORD(-1));
    DWORD returned = 7;
    EXPECT_FALSE(e.IOControl(kMonitorHandle, IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0,
                             reinterpret_cast<PBYTE>(buf), 4, &returned));
    EXPECT_EQ(e.Seek(kMonitorHandle, 0, 0), DWORD(-1));
    e.PowerDown(kContext);
    e.PowerUp(kContext);
    EXPECT_TRUE(FreeLibrary(drv));
}

TEST_F(DriverForward, SerialDllWithoutOneEntryPointIsNotUsedAndIsReleased)
{
    {
        FakeSerial partial(L"partial\\Serial.dll");
        ASSERT_NE(partial.Module(), nullptr);
        HMODULE drv = LoadLibraryW(Beside(L"ZentDrv.dll").c_str());
        ASSERT_NE(drv, nullptr);
        Entries e = Resolve(drv);
        EXPECT_EQ(e.Init(0x1234), 0u);
        EXPECT_EQ(e.Open(kContext, kRW, 0), 0u);
        EXPECT_EQ(e.Write(0x100, "AT", 2), DWORD(-1));
        EXPECT_FALSE(e.Deinit(kContext));
        e.PowerUp(kContext);
        // Nothing reached the library.
        EXPECT_EQ(partial.Log(), "");
        EXPECT_TRUE(FreeLibrary(drv));
    }
    // The driver let go of it: with ours gone, it is unloaded.
    EXPECT_EQ(GetModuleHandleW(L"Serial.dll"), nullptr);
}

TEST_F(DriverOnFake, ForwardsEveryEntryPointAndLendsTheMonitorsHandle)
{

    ASSERT_EQ(e.Init(0x1234), kContext);
    EXPECT_TRUE(fake().Logged("Init 1234"));
    BOOL enabled = FALSE, wakeup = FALSE;
    ASSERT_TRUE(CePpcGetInterruptState(0, &enabled, &wakeup, nullptr));
    EXPECT_TRUE(enabled);
    EXPECT_TRUE(wakeup);
    // The monitor opens the port for itself and arms: the agent hears "PowerON".
    ASSERT_TRUE(WaitFor([&] { return !agent.states.empty(); }));
    EXPECT_TRUE(fake().Logged("Open c0000000 3 -> 100"));
    EXPECT_EQ(agent.states[0], 0);
    EXPECT_EQ(fake().Count("Open c0000000"), 1);

    // A reader/writer gets the monitor's own handle; no second open reaches the library.
    DWORD_PTR h = e.Open(kContext, kRW, 0);
    EXPECT_EQ(h, kMonitorHandle);
    EXPECT_EQ(fake().Count("Open c0000000"), 1);
    // No phone window: the port went to a data connection.
    ASSERT_TRUE(WaitFor([&] { return agent.states.size() >= 2; }));
    EXPECT_EQ(agent.states[1], 2);

    char buf[16] = {};
    EXPECT_EQ(e.Read(h, buf, 16), 7u);
    EXPECT_EQ(std::string(buf), "rrrrrrr");
    EXPECT_TRUE(fake().Logged("Read 100 16"));
    EXPECT_EQ(e.Write(h, "AT\r\n", 4), 4u);
    EXPECT_TRUE(fake().Logged("Write 100 4"));
    ASSERT_TRUE(WaitFor([&] { return agent.trafficPosts >= 2; }));
    EXPECT_EQ(agent.written, 4u);
    EXPECT_EQ(agent.read, 7u);

    // I/O control passes through with its buffers and its result.
    BYTE in[3] = {0x42, 1, 2};
    BYTE out[5] = {};
    DWORD returned = 0;
    EXPECT_TRUE(e.IOControl(h, 0x1B0077, in, 3, out, 5, &returned));
    EXPECT_EQ(returned, 5u);
    EXPECT_EQ(out[4], 0x5A);
    EXPECT_TRUE(fake().Logged("IOControl 100 1b0077 3 5"));
    in[0] = 0;
    EXPECT_FALSE(e.IOControl(h, 0x1B0077, in, 3, out, 5, &returned));
    EXPECT_EQ(e.Seek(h, 10, FILE_BEGIN), DWORD(-1));

    // A second reader/writer meanwhile gets nothing and does not disturb the first.
    // A status handle (no access) goes straight to the library and back.
    DWORD_PTR status = e.Open(kContext, 0, 0);
    EXPECT_NE(status, 0u);
    EXPECT_TRUE(fake().Logged("Open 0 0 -> " + [&] {
        char s[20];
        sprintf(s, "%llx", static_cast<unsigned long long>(status));
        return std::string(s);
    }()));
    EXPECT_TRUE(e.Close(status));
    EXPECT_EQ(fake().Count("Close "), 1);

    // Closing the lent handle keeps the port open and re-arms the monitor.
    EXPECT_TRUE(e.Close(h));
    EXPECT_EQ(fake().Count("Close 100"), 0);
    ASSERT_TRUE(WaitFor([&] { return agent.states.size() >= 3; }));
    EXPECT_EQ(agent.states[2], 0);
    // The monitor's handle is not anyone else's to close.
    EXPECT_FALSE(e.Close(kMonitorHandle));
    EXPECT_EQ(fake().Count("Close 100"), 0);
    EXPECT_EQ(e.Open(kContext, kRW, 0), kMonitorHandle);
    EXPECT_TRUE(e.Close(kMonitorHandle));

    // A power event stops the driver until it is initialised again.
    e.PowerDown(kContext);
    EXPECT_TRUE(fake().Logged("PowerDown 5000"));
    EXPECT_EQ(e.Open(kContext, kRW, 0), 0u);
    EXPECT_EQ(e.Read(kMonitorHandle, buf, 4), DWORD(-1));
    EXPECT_EQ(e.Write(kMonitorHandle, "A", 1), DWORD(-1));
    EXPECT_FALSE(e.IOControl(kMonitorHandle, 0x1B0077, nullptr, 0, nullptr, 0, &returned));
    e.PowerUp(kContext);
    EXPECT_TRUE(fake().Logged("PowerUp 5000"));

    EXPECT_TRUE(e.Deinit(kContext));
    EXPECT_TRUE(fake().Logged("Deinit 5000"));
    EXPECT_EQ(fake().OpenCount(), 0u);
    ASSERT_TRUE(CePpcGetInterruptState(0, &enabled, &wakeup, nullptr));
    EXPECT_TRUE(enabled);
    EXPECT_FALSE(wakeup);
    ASSERT_TRUE(WaitFor([&] { return !agent.states.empty() && agent.states.back() == 3; }));
    EXPECT_FALSE(e.Deinit(kContext));
}

// An open from its own thread: what it returned and the error it set.
struct Opener {
    std::atomic<bool> done{false};
    std::atomic<DWORD_PTR> handle{0};
    std::atomic<DWORD> error{0};
    std::thread thread;
    void Start(const Entries& e)
    {
        thread = std::thread([this, &e] {
            handle = e.Open(kContext, kRW, 0);
            error = GetLastError();
            done = true;
        });
    }
};

TEST_F(DriverOnFake, OpenersWaitForTheHolderOneAtATime)
{
    ASSERT_EQ(e.Init(0x77), kContext);
    for (bool deinit : {false, true}) {
        DWORD_PTR first = e.Open(kContext, kRW, 0);
        ASSERT_EQ(first, kMonitorHandle);
        // Two more: one waits for the holder, the other is refused at once.
        Opener a, b;
        a.Start(e);
        b.Start(e);
        ASSERT_TRUE(WaitFor([&] { return a.done || b.done; }));
        zentest::PumpMessages(200);
        Opener& refused = a.done ? a : b;
        Opener& waiting = a.done ? b : a;
        EXPECT_FALSE(waiting.done);
        EXPECT_EQ(refused.handle.load(), 0u);
        EXPECT_EQ(refused.error.load(), DWORD(ERROR_BUSY));
        if (!deinit) {
            // The holder lets go: the waiting opener gets the port.
            EXPECT_TRUE(e.Close(first));
            ASSERT_TRUE(WaitFor([&] { return waiting.done.load(); }));
            EXPECT_EQ(waiting.handle.load(), kMonitorHandle);
            EXPECT_TRUE(e.Close(waiting.handle));
        } else {
            // De-initialisation releases it with nothing.
            EXPECT_TRUE(e.Deinit(kContext));
            ASSERT_TRUE(WaitFor([&] { return waiting.done.load(); }));
            EXPECT_EQ(waiting.handle.load(), 0u);
        }
        a.thread.join();
        b.thread.join();
    }
    EXPECT_EQ(fake().OpenCount(), 0u);
}

TEST_F(DriverOnFake, MonitorWithoutAPortNeverLendsAnInvalidHandle)
{
    fake().FailOpens(true);
    ASSERT_EQ(e.Init(0x77), kContext);
    ASSERT_TRUE(WaitFor([&] { return !agent.states.empty(); }));
    EXPECT_TRUE(fake().Logged("Open c0000000 3 -> 0"));

    // The port cannot be had: the opener is told so.
    EXPECT_EQ(e.Open(kContext, kRW, 0), 0u);
    // Once the port opens again the opener gets a working handle.
    fake().FailOpens(false);
    DWORD_PTR h = 0;
    ASSERT_TRUE(WaitFor([&] { return (h = e.Open(kContext, kRW, 0)) != 0; }, 5000));
    EXPECT_EQ(e.Write(h, "AT", 2), 2u);
    EXPECT_TRUE(e.Close(h));
    // Taken back, the monitor holds the port (its own handle) and lends it.
    DWORD_PTR again = 0;
    ASSERT_TRUE(WaitFor([&] { return (again = e.Open(kContext, kRW, 0)) != 0; }, 5000));
    EXPECT_EQ(e.Write(again, "AT", 2), 2u);
    EXPECT_TRUE(e.Close(again));

    EXPECT_TRUE(e.Deinit(kContext));
    EXPECT_EQ(fake().OpenCount(), 0u);
}

}  // namespace
