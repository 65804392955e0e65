// Serial.dll through its nine entry points, on a link whose other end the
// test holds: bytes, lines, event masks, time-outs, purge and the lifetime
// of waits.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "ce/devmgr/PipeIo.h"
#include "ce/devmgr/PipeServer.h"
#include "ce/serial/LinkProtocol.h"
#include "ce_streamdrv.h"
#include "pegdser.h"

namespace {

// The module's end of the line.
class FakeLink {
public:
    bool Start(const std::wstring& name)
    {
        return server_.Start(zenlink::LinkPipeName(name), [this](HANDLE p, HANDLE s) { Serve(p, s); }, true);
    }
    void Stop() { server_.Stop(); }

    void Send(BYTE type, const std::string& payload)
    {
        std::string msg = std::string(1, static_cast<char>(type)) + payload;
        std::lock_guard<std::mutex> hold(lock_);
        if (pipe_)
            cedev::PipeWrite(pipe_, msg.data(), static_cast<DWORD>(msg.size()), stop_);
    }
    void Status(DWORD ms) { Send(zenlink::kModemStatus, std::string(1, static_cast<char>(ms))); }
    // Stops taking bytes off the line (true) or takes them again (false), as
    // a module that is stuck does.
    void Pause(bool paused)
    {
        if (paused)
            ResetEvent(resume_);
        else
            SetEvent(resume_);
    }
    // Drops the connection, as a simulator that ends does.
    void Hang()
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (pipe_)
            DisconnectNamedPipe(pipe_);
    }

    bool WaitReceived(const std::string& text, DWORD ms = 2000)
    {
        std::unique_lock<std::mutex> hold(lock_);
        return changed_.wait_for(hold, std::chrono::milliseconds(ms),
                                 [&] { return received_.find(text) != std::string::npos; });
    }
    bool WaitLines(int lines, DWORD ms = 2000)
    {
        std::unique_lock<std::mutex> hold(lock_);
        return changed_.wait_for(hold, std::chrono::milliseconds(ms), [&] { return lines_ == lines; });
    }
    bool WaitConnected(DWORD ms = 2000)
    {
        std::unique_lock<std::mutex> hold(lock_);
        return changed_.wait_for(hold, std::chrono::milliseconds(ms), [&] { return pipe_ != nullptr; });
    }

private:
    void Serve(HANDLE pipe, HANDLE stop)
    {
        {
            std::lock_guard<std::mutex> hold(lock_);
            pipe_ = pipe;
            stop_ = stop;
        }
        changed_.notify_all();
        std::vector<BYTE> msg;
        HANDLE waits[2] = {resume_, stop};
        while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 &&
               cedev::PipeRead(pipe, msg, stop)) {
            std::lock_guard<std::mutex> hold(lock_);
            if (msg.empty())
                continue;
            if (msg[0] == zenlink::kData)
                received_.append(msg.begin() + 1, msg.end());
            else if (msg[0] == zenlink::kControlLines && msg.size() == 2)
                lines_ = msg[1];
            changed_.notify_all();
        }
        std::lock_guard<std::mutex> hold(lock_);
        pipe_ = nullptr;
    }

    cedev::PipeServer server_;
    HANDLE resume_ = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    std::mutex lock_;
    std::condition_variable changed_;
    HANDLE pipe_ = nullptr;
    HANDLE stop_ = nullptr;
    std::string received_;
    int lines_ = -1;
};

class SerialDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dll = LoadLibraryW(L"Serial.dll");
        ASSERT_NE(dll, nullptr);
        Init = reinterpret_cast<PFN_STREAM_INIT>(GetProcAddress(dll, "COM_Init"));
        Deinit = reinterpret_cast<PFN_STREAM_DEINIT>(GetProcAddress(dll, "COM_Deinit"));
        Open = reinterpret_cast<PFN_STREAM_OPEN>(GetProcAddress(dll, "COM_Open"));
        Close = reinterpret_cast<PFN_STREAM_CLOSE>(GetProcAddress(dll, "COM_Close"));
        Read = reinterpret_cast<PFN_STREAM_READ>(GetProcAddress(dll, "COM_Read"));
        Write = reinterpret_cast<PFN_STREAM_WRITE>(GetProcAddress(dll, "COM_Write"));
        IOControl = reinterpret_cast<PFN_STREAM_IOCONTROL>(GetProcAddress(dll, "COM_IOControl"));
        ASSERT_TRUE(Init && Deinit && Open && Close && Read && Write && IOControl);
        ASSERT_TRUE(GetProcAddress(dll, "COM_PowerUp") && GetProcAddress(dll, "COM_PowerDown"));

        std::wstring name = L"serialtest" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(link.Start(name));
        key = L"Software\\ZenTest\\" + name;
        HKEY k;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                                  nullptr),
                  ERROR_SUCCESS);
        std::wstring value = L"sim:" + name;
        RegSetValueExW(k, L"Link", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * 2));
        RegCloseKey(k);
        device = Init(reinterpret_cast<DWORD_PTR>(key.c_str()));
        ASSERT_NE(device, 0u);
        ASSERT_TRUE(link.WaitConnected());
        port = Open(device, GENERIC_READ | GENERIC_WRITE, 0);
        ASSERT_NE(port, 0u);
    }

    void TearDown() override
    {
        if (device)
            Deinit(device);
        link.Stop();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
        if (dll)
            FreeLibrary(dll);
    }

    BOOL Ioctl(DWORD code, const void* in = nullptr, DWORD inSize = 0, void* out = nullptr, DWORD outSize = 0,
               DWORD_PTR on = 0)
    {
        DWORD returned = 0;
        return IOControl(on ? on : port, code, static_cast<PBYTE>(const_cast<void*>(in)), inSize,
                         static_cast<PBYTE>(out), outSize, &returned);
    }
    void SetTimeouts(DWORD interval, DWORD multiplier, DWORD constant, DWORD writeMultiplier = 0,
                     DWORD writeConstant = 0)
    {
        COMMTIMEOUTS t{interval, multiplier, constant, writeMultiplier, writeConstant};
        ASSERT_TRUE(Ioctl(IOCTL_SERIAL_SET_TIMEOUTS, &t, sizeof t));
    }
    // COM_Write of `count` bytes on another thread; the result arrives in `result`.
    std::thread WriteAsync(DWORD count, std::atomic<int>& result, DWORD_PTR on = 0)
    {
        result = -2;
        return std::thread([this, count, &result, on] {
            std::string data(count, 'w');
            result = static_cast<int>(Write(on ? on : port, data.data(), count));
        });
    }
    static bool Settled(std::atomic<int>& flag, DWORD ms)
    {
        DWORD start = GetTickCount();
        while (flag == -2 && GetTickCount() - start < ms)
            Sleep(2);
        return flag != -2;
    }
    void SetMask(DWORD mask) { ASSERT_TRUE(Ioctl(IOCTL_SERIAL_SET_WAIT_MASK, &mask, sizeof mask)); }
    // WAIT_ON_MASK on another thread; the result arrives in `events`/`ok`.
    std::thread WaitAsync(std::atomic<DWORD>& events, std::atomic<int>& ok)
    {
        ok = -1;
        return std::thread([this, &events, &ok] {
            DWORD ev = 0;
            ok = Ioctl(IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &ev, sizeof ev) ? 1 : 0;
            events = ev;
        });
    }
    static bool Within(std::atomic<int>& flag, DWORD ms)
    {
        DWORD start = GetTickCount();
        while (flag < 0 && GetTickCount() - start < ms)
            Sleep(2);
        return flag >= 0;
    }
    std::string ReadAll()
    {
        char buf[256];
        DWORD n = Read(port, buf, sizeof buf);
        return n == static_cast<DWORD>(-1) ? std::string("<failed>") : std::string(buf, n);
    }

    HMODULE dll = nullptr;
    PFN_STREAM_INIT Init;
    PFN_STREAM_DEINIT Deinit;
    PFN_STREAM_OPEN Open;
    PFN_STREAM_CLOSE Close;
    PFN_STREAM_READ Read;
    PFN_STREAM_WRITE Write;
    PFN_STREAM_IOCONTROL IOControl;
    FakeLink link;
    std::wstring key;
    DWORD_PTR device = 0;
    DWORD_PTR port = 0;
};

TEST_F(SerialDriverTest, OneReaderWriterAtATimeButAnyNumberOfStatusHandles)
{
    SetLastError(0);
    EXPECT_EQ(Open(device, GENERIC_READ | GENERIC_WRITE, 0), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_ACCESS));
    DWORD_PTR status = Open(device, 0, 0);
    ASSERT_NE(status, 0u);
    DWORD ms = 0;
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0, &ms, sizeof ms, status));
    char c;
    EXPECT_EQ(Read(status, &c, 1), static_cast<DWORD>(-1));
    EXPECT_TRUE(Close(port));
    EXPECT_FALSE(Close(port));
    port = Open(device, GENERIC_READ | GENERIC_WRITE, 0);
    EXPECT_NE(port, 0u);
    EXPECT_TRUE(Close(status));
}

TEST_F(SerialDriverTest, BytesTravelBothWaysAndReadReturnsAtOnceWithWhatIsBuffered)
{
    SetTimeouts(MAXDWORD, 0, 0);
    DWORD start = GetTickCount();
    EXPECT_EQ(ReadAll(), "");
    EXPECT_LT(GetTickCount() - start, 1000u);  // a blocking read would never return
    EXPECT_EQ(Write(port, "AT\r\n", 4), 4u);
    EXPECT_TRUE(link.WaitReceived("AT\r\n"));
    link.Send(zenlink::kData, "\r\nOK\r\n");
    std::string got;
    for (DWORD begin = GetTickCount(); got.size() < 6 && GetTickCount() - begin < 5000;) {
        got += ReadAll();
        Sleep(5);
    }
    EXPECT_EQ(got, "\r\nOK\r\n");
    SERIAL_DEV_STATUS st{};
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_GET_COMMSTATUS, nullptr, 0, &st, sizeof st));
    EXPECT_EQ(st.ComStat.cbInQue, 0u);
}

TEST_F(SerialDriverTest, ReadTimeoutsAndPurge)
{
    SetTimeouts(0, 0, 150);
    DWORD start = GetTickCount();
    EXPECT_EQ(ReadAll(), "");
    DWORD spent = GetTickCount() - start;
    EXPECT_GE(spent, 120u);
    EXPECT_LT(spent, 1000u);

    // Interval and multiplier MAXDWORD: back at the first byte.
    SetTimeouts(MAXDWORD, MAXDWORD, 5000);
    std::thread later([this] {
        Sleep(50);
        link.Send(zenlink::kData, "x");
    });
    start = GetTickCount();
    EXPECT_EQ(ReadAll(), "x");
    EXPECT_LT(GetTickCount() - start, 2000u);
    later.join();

    // Purge: the receive queue empties, and a waiting read is let go.
    SetMask(EV_RXCHAR);
    link.Send(zenlink::kData, "stale");
    DWORD ev = 0;
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &ev, sizeof ev));
    DWORD flags = PURGE_RXCLEAR;
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_PURGE, &flags, sizeof flags));
    SERIAL_DEV_STATUS st{};
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_GET_COMMSTATUS, nullptr, 0, &st, sizeof st));
    EXPECT_EQ(st.ComStat.cbInQue, 0u);
    SetTimeouts(0, 0, 0);  // wait for all 256 bytes, for ever
    std::atomic<int> done{-1};
    std::thread reader([this, &done, &st] { done = static_cast<int>(Read(port, &st, 8)); });
    Sleep(50);
    EXPECT_EQ(done.load(), -1);
    flags = PURGE_RXABORT;
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_PURGE, &flags, sizeof flags));
    EXPECT_TRUE(Within(done, 2000));
    reader.join();
    EXPECT_EQ(done.load(), 0);
}

TEST_F(SerialDriverTest, ControlBlockAndEscapesDriveDtrAndRts)
{
    DCB dcb{};
    ASSERT_TRUE(Ioctl(IOCTL_SERIAL_GET_DCB, nullptr, 0, &dcb, sizeof dcb));
    dcb.BaudRate = CBR_115200;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    ASSERT_TRUE(Ioctl(IOCTL_SERIAL_SET_DCB, &dcb, sizeof dcb));
    EXPECT_TRUE(link.WaitLines(zenlink::kDtr | zenlink::kRts));
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_CLR_DTR));
    EXPECT_TRUE(link.WaitLines(zenlink::kRts));
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_SET_DTR));
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_CLR_RTS));
    EXPECT_TRUE(link.WaitLines(zenlink::kDtr));
    DCB back{};
    ASSERT_TRUE(Ioctl(IOCTL_SERIAL_GET_DCB, nullptr, 0, &back, sizeof back));
    EXPECT_EQ(back.BaudRate, DWORD(CBR_115200));
    dcb.ByteSize = 9;
    EXPECT_FALSE(Ioctl(IOCTL_SERIAL_SET_DCB, &dcb, sizeof dcb));
    EXPECT_FALSE(Ioctl(IOCTL_SERIAL_SET_DCB, &dcb, 4));
    EXPECT_FALSE(Ioctl(0x12345678));
    // The owner letting go drops both lines.
    EXPECT_TRUE(Close(port));
    port = 0;
    EXPECT_TRUE(link.WaitLines(0));
}

TEST_F(SerialDriverTest, ModemLinesRaiseTheirEvents)
{
    SetMask(EV_RXCHAR | EV_RLSD | EV_RING | EV_DSR | EV_CTS);
    DWORD ev = 0, ms = 0;
    link.Status(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON);
    ASSERT_TRUE(Ioctl(IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &ev, sizeof ev));
    EXPECT_TRUE(ev & EV_RLSD);
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0, &ms, sizeof ms));
    EXPECT_EQ(ms, DWORD(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON));
    link.Status(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON | MS_RING_ON);
    ASSERT_TRUE(Ioctl(IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &ev, sizeof ev));
    EXPECT_EQ(ev, DWORD(EV_RING));
    // The indicator going off is no ring.
    link.Status(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON);
    link.Send(zenlink::kData, "RING");
    ev = 0;
    for (int i = 0; i < 3 && !(ev & EV_RXCHAR); ++i)
        ASSERT_TRUE(Ioctl(IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &ev, sizeof ev));
    EXPECT_EQ(ev, DWORD(EV_RXCHAR));
    // Events outside the mask are not remembered.
    SetMask(EV_RXCHAR);
    link.Status(MS_CTS_ON | MS_DSR_ON);
    link.Send(zenlink::kData, "x");
    ASSERT_TRUE(Ioctl(IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &ev, sizeof ev));
    EXPECT_EQ(ev, DWORD(EV_RXCHAR));
}

TEST_F(SerialDriverTest, BlockedWaitHoldsUpNoWriteAndANewMaskReleasesIt)
{
    SetMask(EV_RING);
    std::atomic<DWORD> events{0xFFFF};
    std::atomic<int> ok;
    std::thread waiter = WaitAsync(events, ok);
    Sleep(30);
    DWORD start = GetTickCount();
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(Write(port, "AT\r\n", 4), 4u);
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(ok.load(), -1);
    SetMask(EV_RXCHAR);
    EXPECT_TRUE(Within(ok, 2000));
    waiter.join();
    EXPECT_EQ(ok.load(), 1);
    EXPECT_EQ(events.load(), 0u);
}

TEST_F(SerialDriverTest, CloseAndDeinitReleaseWaitsAndLaterCallsFail)
{
    SetMask(EV_RING);
    std::atomic<DWORD> events{0};
    std::atomic<int> ok;
    std::thread waiter = WaitAsync(events, ok);
    Sleep(30);
    EXPECT_TRUE(Close(port));
    EXPECT_TRUE(Within(ok, 2000));
    waiter.join();
    EXPECT_EQ(ok.load(), 0);
    EXPECT_EQ(Write(port, "x", 1), static_cast<DWORD>(-1));

    port = Open(device, GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_NE(port, 0u);
    SetMask(EV_RING);
    std::thread waiter2 = WaitAsync(events, ok);
    Sleep(30);
    EXPECT_TRUE(Deinit(device));
    device = 0;
    EXPECT_TRUE(Within(ok, 2000));
    waiter2.join();
    EXPECT_EQ(ok.load(), 0);
    EXPECT_EQ(Read(port, &events, 1), static_cast<DWORD>(-1));
    EXPECT_FALSE(Ioctl(IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0, &events, 4));
}

TEST_F(SerialDriverTest, PowerUpIsAnEvent)
{
    auto PowerUp = reinterpret_cast<PFN_STREAM_POWERUP>(GetProcAddress(dll, "COM_PowerUp"));
    SetMask(EV_POWER | EV_RXCHAR);
    PowerUp(device);
    DWORD ev = 0;
    ASSERT_TRUE(Ioctl(IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &ev, sizeof ev));
    EXPECT_EQ(ev, DWORD(EV_POWER));
}

TEST_F(SerialDriverTest, LostLinkDropsTheLinesAndFailsWrites)
{
    SetMask(EV_DSR);
    link.Status(MS_CTS_ON | MS_DSR_ON);
    DWORD ev = 0, ms = 0;
    ASSERT_TRUE(Ioctl(IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &ev, sizeof ev));
    link.Hang();
    ASSERT_TRUE(Ioctl(IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &ev, sizeof ev));
    EXPECT_EQ(ev, DWORD(EV_DSR));
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0, &ms, sizeof ms));
    EXPECT_EQ(ms, 0u);
    EXPECT_EQ(Write(port, "AT\r\n", 4), static_cast<DWORD>(-1));
}

// A module that stops taking bytes: the pipe between driver and module holds
// at most 64 KB, so a write of 256 KB cannot complete.
constexpr DWORD kStuckWrite = 256 * 1024;

TEST_F(SerialDriverTest, WriteTimeoutsCutAStuckWriteShort)
{
    link.Pause(true);
    SetTimeouts(MAXDWORD, 0, 0, 0, 300);
    std::atomic<int> result;
    DWORD start = GetTickCount();
    std::thread writer = WriteAsync(kStuckWrite, result);
    bool settled = Settled(result, 3000);
    DWORD spent = GetTickCount() - start;
    link.Pause(false);  // lets a write that ignored its time-out finish
    writer.join();
    ASSERT_TRUE(settled) << "the write ignored its time-out";
    EXPECT_GE(spent, 250u);
    EXPECT_GT(result.load(), 0);
    EXPECT_LT(result.load(), static_cast<int>(kStuckWrite));

    // With the line full, the multiplier counts per byte: 1 ms x 1500 bytes.
    link.Pause(true);
    SetTimeouts(MAXDWORD, 0, 0, 0, 200);
    std::string fill(kStuckWrite, 'f');
    EXPECT_LT(Write(port, fill.data(), kStuckWrite), kStuckWrite);
    SetTimeouts(MAXDWORD, 0, 0, 1, 0);
    start = GetTickCount();
    writer = WriteAsync(1500, result);
    settled = Settled(result, 4000);
    spent = GetTickCount() - start;
    link.Pause(false);
    writer.join();
    ASSERT_TRUE(settled);
    EXPECT_GE(spent, 1400u);
    EXPECT_LT(spent, 3000u);
    EXPECT_LT(result.load(), 1500);
    // Once the module reads again, writes go through whole.
    EXPECT_EQ(Write(port, "AT\r\n", 4), 4u);
    EXPECT_TRUE(link.WaitReceived("AT\r\n"));
}

TEST_F(SerialDriverTest, CloseAndPurgeAreNotHeldUpByAStuckWrite)
{
    link.Pause(true);
    SetTimeouts(MAXDWORD, 0, 0);  // no write time-out: only a close or purge ends it
    std::atomic<int> result;
    std::thread writer = WriteAsync(kStuckWrite, result);
    Sleep(200);
    EXPECT_EQ(result.load(), -2);
    DWORD flags = PURGE_TXABORT;
    EXPECT_TRUE(Ioctl(IOCTL_SERIAL_PURGE, &flags, sizeof flags));
    bool settled = Settled(result, 2000);
    link.Pause(false);
    writer.join();
    EXPECT_TRUE(settled) << "purge did not end the write";
    EXPECT_LT(result.load(), static_cast<int>(kStuckWrite));

    link.Pause(true);
    writer = WriteAsync(kStuckWrite, result);
    Sleep(200);
    DWORD start = GetTickCount();
    EXPECT_TRUE(Close(port));
    DWORD spent = GetTickCount() - start;
    port = 0;
    settled = Settled(result, 2000);
    link.Pause(false);
    writer.join();
    EXPECT_LT(spent, 1000u);
    EXPECT_TRUE(settled) << "closing the port did not end its write";
    // The next owner writes as usual.
    port = Open(device, GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_NE(port, 0u);
    EXPECT_EQ(Write(port, "AT\r\n", 4), 4u);
}

TEST_F(SerialDriverTest, DeinitEndsAStuckWriteAtOnce)
{
    link.Pause(true);
    SetTimeouts(MAXDWORD, 0, 0);
    std::atomic<int> result;
    std::thread writer = WriteAsync(kStuckWrite, result);
    Sleep(200);
    DWORD start = GetTickCount();
    EXPECT_TRUE(Deinit(device));
    DWORD spent = GetTickCount() - start;
    device = 0;
    bool settled = Settled(result, 2000);
    link.Pause(false);
    writer.join();
    EXPECT_LT(spent, 1000u);
    EXPECT_TRUE(settled);
}

TEST_F(SerialDriverTest, PreDeinitLetsGoOfTheLineBeforeTheHandlesClose)
{
    auto PreDeinit = reinterpret_cast<PFN_STREAM_PREDEINIT>(reinterpret_cast<void*>(GetProcAddress(dll, "COM_PreDeinit")));
    ASSERT_NE(PreDeinit, nullptr);
    ASSERT_TRUE(link.WaitLines(zenlink::kDtr | zenlink::kRts));
    SetMask(EV_RING);
    std::atomic<DWORD> events{0};
    std::atomic<int> ok;
    std::thread waiter = WaitAsync(events, ok);
    Sleep(30);
    EXPECT_TRUE(PreDeinit(device));
    EXPECT_TRUE(Within(ok, 2000));
    waiter.join();
    EXPECT_EQ(ok.load(), 0);
    EXPECT_EQ(Write(port, "AT\r\n", 4), static_cast<DWORD>(-1));
    // The handle still closes, and no line change goes down a line that is gone.
    EXPECT_TRUE(Close(port));
    port = 0;
    Sleep(100);
    EXPECT_TRUE(link.WaitLines(zenlink::kDtr | zenlink::kRts, 0));
    EXPECT_TRUE(Deinit(device));
    device = 0;
}

TEST(SerialDriverInit, NoLinkOrNoSimulatorFailsInit)
{
    HMODULE dll = LoadLibraryW(L"Serial.dll");
    ASSERT_NE(dll, nullptr);
    auto Init = reinterpret_cast<PFN_STREAM_INIT>(GetProcAddress(dll, "COM_Init"));
    EXPECT_EQ(Init(reinterpret_cast<DWORD_PTR>(L"Software\\ZenTest\\NoSuchKey")), 0u);
    const wchar_t key[] = L"Software\\ZenTest\\NoSimulator";
    HKEY k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    const wchar_t link[] = L"sim:nobody-serves-this";
    RegSetValueExW(k, L"Link", 0, REG_SZ, reinterpret_cast<const BYTE*>(link), sizeof link);
    RegCloseKey(k);
    EXPECT_EQ(Init(reinterpret_cast<DWORD_PTR>(key)), 0u);
    // A host port that is not there fails the same way.
    const wchar_t port[] = L"\\\\.\\COM97";
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    RegSetValueExW(k, L"Link", 0, REG_SZ, reinterpret_cast<const BYTE*>(port), sizeof port);
    RegCloseKey(k);
    EXPECT_EQ(Init(reinterpret_cast<DWORD_PTR>(key)), 0u);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);
    FreeLibrary(dll);
}

}  // namespace
