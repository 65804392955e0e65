#include "PortDriver.h"

#include <ppcutil.h>

#include <cstring>

#include "DriverMessages.h"
#include "PortControl.h"
#include "WakeTargets.h"

namespace zendrv {
namespace {

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareBoth = FILE_SHARE_READ | FILE_SHARE_WRITE;
// Carrier detect, break, error, ring.
constexpr DWORD kWatchMask = EV_RLSD | EV_BREAK | EV_ERR | EV_RING;
constexpr DWORD kCallEvents = EV_RING | EV_RLSD;
constexpr DWORD kStartCarrier = 0x80;
constexpr DWORD kStartCarrierOrRing = 0xC0;
// The carrier rising and the first ring of one call arrive as separate
// events: one start of the phone answers both.
constexpr DWORD kSameCallMs = 1000;
// While the port cannot be opened, how often the monitor tries again.
constexpr DWORD kReopenMs = 1000;
// How long a phone that does not answer its close request holds up an opener.
constexpr DWORD kCloseRequestMs = 10000;
// How long its window may outlive the answer before the opener goes on: the
// agent is told "Internet" only when the phone has gone.
constexpr DWORD kPhoneGoneMs = 3000;
// How long a phone that still runs without the port (its window there or
// not) holds up a start, at least: it may be ending, and a copy started
// before it has gone would hand its command line to it and end. While a
// call is on the wait goes on, so that the call reaches a phone.
constexpr DWORD kPhoneEndMs = 5000;
constexpr DWORD kPhonePollMs = 50;
// How long de-initialisation waits for the monitor before and after ending
// its calls into the serial driver; only then is the thread terminated.
constexpr DWORD kMonitorStartMs = 500;
constexpr DWORD kMonitorEndMs = 500;
constexpr DWORD kMonitorLastMs = 2500;

bool Contains(const char* text, const char* word)
{
    return std::strstr(text, word) != nullptr;
}

}  // namespace

PortDriver& Driver()
{
    static PortDriver driver;
    return driver;
}

PortDriver::PortDriver()
{
    MonitorStarted = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    PortReturned = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    MonitorArmed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    MonitorReleased = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    InitializeCriticalSection(&openLock_);
    InitializeCriticalSection(&closeLock_);
}

PortDriver::~PortDriver()
{
    for (HANDLE h : {MonitorStarted, PortReturned, MonitorArmed, MonitorReleased, wake_, thread_}) {
        if (h)
            CloseHandle(h);
    }
    DeleteCriticalSection(&openLock_);
    DeleteCriticalSection(&closeLock_);
}

void PortDriver::Attach()
{
    serial_.Load(L"Serial.dll");
}

void PortDriver::Detach()
{
    serial_.Unload();
}

bool PortDriver::Usable() const
{
    if (!serial_.Loaded() || !MonitorArmed || !wake_) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return false;
    }
    if (stop_ || !context_) {
        SetLastError(ERROR_NOT_READY);
        return false;
    }
    return true;
}

std::wstring PortDriver::InstallDir()
{
    std::lock_guard<std::mutex> hold(dirLock_);
    return installDir_;
}

DWORD_PTR PortDriver::Init(DWORD_PTR activeKey)
{
    if (!serial_.Loaded() || !MonitorArmed || !wake_) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::lock_guard<std::mutex> hold(lifecycle_);
    if (context_) {
        SetLastError(ERROR_BUSY);  // one port per driver
        return 0;
    }
    DWORD_PTR context = serial_.Init(activeKey);
    if (!context)
        return 0;
    // Starting the monitor: every flag cleared, the port to be armed at once.
    ++generation_;
    monitorHandle_ = 0;
    directHandle_ = 0;
    stop_ = handedOver_ = lentHandle_ = appHolds_ = false;
    phone_ = nullptr;
    agent_ = nullptr;
    lastStart_ = 0;
    started_ = false;
    startStatus_ = 0;
    SetEvent(PortReturned);
    ResetEvent(MonitorStarted);
    ResetEvent(MonitorArmed);
    ResetEvent(MonitorReleased);
    ResetEvent(wake_);
    context_ = context;
    if (thread_)
        CloseHandle(thread_);
    thread_ = CreateThread(nullptr, 0, MonitorThread, this, 0, nullptr);
    if (!thread_) {
        DWORD err = GetLastError();
        context_ = 0;
        serial_.Deinit(context);
        SetLastError(err);
        return 0;
    }
    PPC_SET_INTERRUPT_ENABLED(0, TRUE);
    PPC_SET_INTERRUPT_WAKEUP(0, TRUE);
    return context;
}

BOOL PortDriver::PreDeinit(DWORD_PTR device)
{
    if (!serial_.Loaded() || !context_ || device != context_)
        return FALSE;
    stop_ = true;
    if (serial_.PreDeinit)
        serial_.PreDeinit(device);
    SetEvent(MonitorArmed);
    SetEvent(MonitorReleased);
    SetEvent(wake_);
    return TRUE;
}

BOOL PortDriver::Deinit(DWORD_PTR device)
{
    if (!serial_.Loaded())
        return FALSE;
    std::lock_guard<std::mutex> hold(lifecycle_);
    if (!context_ || device != context_) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    stop_ = true;
    // The phone hears that the port goes away even when it started after the
    // monitor last looked for it.
    HWND phone = phone_;
    if (!phone || !IsWindow(phone))
        phone = FindPhoneWindow();
    if (phone)
        PostMessageW(phone, WM_MODEM_WAKE, 0, 0);
    StopMonitor();
    BOOL result = serial_.Deinit(context_);
    context_ = 0;
    TellAgent(kPowerOff);
    PPC_SET_INTERRUPT_WAKEUP(0, FALSE);
    return result;
}

void PortDriver::StopMonitor()
{
    DWORD_PTR own = monitorHandle_;
    if (own)
        PortControl(serial_, own).SetWaitMask(0);
    SetEvent(MonitorArmed);
    SetEvent(PortReturned);
    SetEvent(MonitorReleased);
    SetEvent(wake_);
    if (thread_) {
        WaitForSingleObject(MonitorStarted, kMonitorStartMs);
        if (WaitForSingleObject(thread_, kMonitorEndMs) == WAIT_TIMEOUT) {
            // Still inside the serial driver: closing its handle ends those calls.
            own = monitorHandle_.exchange(0);
            if (own)
                serial_.Close(own);
            if (WaitForSingleObject(thread_, kMonitorLastMs) == WAIT_TIMEOUT)
                TerminateThread(thread_, 1);
        }
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    own = monitorHandle_.exchange(0);
    if (own)
        serial_.Close(own);
    DWORD_PTR direct = directHandle_.exchange(0);
    if (direct)
        serial_.Close(direct);
}

DWORD WINAPI PortDriver::MonitorThread(LPVOID self)
{
    auto* driver = static_cast<PortDriver*>(self);
    return driver->Monitor(driver->generation_);
}

bool PortDriver::OpenMonitorPort()
{
    DWORD_PTR h = serial_.Open(context_, kReadWrite, kShareBoth);
    if (!h)
        return false;
    PortControl port(serial_, h);
    port.Configure();
    port.RaiseDtr();
    port.RaiseRts();
    monitorHandle_ = h;
    return true;
}

void PortDriver::CheckStartBytes()
{
    PortControl port(serial_, monitorHandle_);
    for (int i = 0; i < 20; ++i) {
        DWORD status = port.ModemStatus();
        if ((status & MS_CTS_ON) && (status & MS_DSR_ON))
            break;
        Sleep(10);
    }
    Sleep(200);
    char bytes[128 + 1] = {};
    DWORD n = port.Read(bytes, 128);
    if (n == static_cast<DWORD>(-1) || n > 128)
        n = 0;
    bytes[n] = 0;
    // A message the module announced at power-on: wake the phone at the first arming.
    for (DWORD i = 0; i < n; ++i) {
        if (bytes[i] == 0)
            bytes[i] = ' ';
    }
    if (Contains(bytes, "NEWMSG") || Contains(bytes, "REMSG") || Contains(bytes, "NEWMT") || Contains(bytes, "REMT"))
        startStatus_ = kStartCarrier;
}

DWORD PortDriver::Monitor(unsigned generation)
{
    if (!stop_ && OpenMonitorPort())
        CheckStartBytes();
    SetEvent(MonitorStarted);
    {
        std::wstring dir = ReadInstallDir();
        std::lock_guard<std::mutex> hold(dirLock_);
        installDir_ = dir;
    }
    while (!stop_ && generation == generation_) {
        if (WaitForSingleObject(PortReturned, INFINITE) != WAIT_OBJECT_0 || stop_)
            break;
        Arm();
        if (stop_)
            break;
        // A running phone is told to take the port again. A call already on
        // needs a phone even then: the window found may be that of a phone
        // that is ending, which will not come back for the port.
        const bool callOn = (startStatus_ & kStartCarrierOrRing) || CarrierOn();
        HWND phone = FindPhoneWindow();
        if (phone) {
            phone_ = phone;
            PostMessageW(phone, WM_MODEM_WAKE, 1, 1);
        }
        TellAgent(kPowerOn);
        SetEvent(MonitorArmed);
        // Once armed, so that a phone reconnecting meanwhile gets the port.
        if (callOn)
            StartPhone();
        Watch();
        // Who has the port now, told before the opener gets it, so that its
        // close cannot come before this.
        if (!stop_) {
            phone = FindPhoneWindow();
            if (phone) {
                phone_ = phone;
                appHolds_ = true;
                TellAgent(kPhone);
            } else {
                appHolds_ = false;
                TellAgent(kInternet);
            }
        }
        SetEvent(MonitorReleased);
        startStatus_ = 0;
        // A program had the port: the next event is a new call, however soon.
        started_ = false;
    }
    // No opener waits for ever.
    SetEvent(MonitorArmed);
    SetEvent(MonitorReleased);
    return 1;
}

void PortDriver::Arm()
{
    ResetEvent(wake_);
    if (!monitorHandle_ && !stop_)
        OpenMonitorPort();
    DWORD_PTR h = monitorHandle_;
    if (!h || stop_)
        return;
    PortControl port(serial_, h);
    port.SetWaitMask(0);
    port.Configure();
    port.Purge(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    for (int i = 0; i < 10 && (port.ModemStatus() & MS_RLSD_ON); ++i)
        Sleep(10);
    port.SetWaitMask(kWatchMask);
}

void PortDriver::Watch()
{
    while (!stop_ && !handedOver_) {
        DWORD_PTR h = monitorHandle_;
        if (!h) {
            WaitWithoutHandle();
            continue;
        }
        PortControl port(serial_, h);
        DWORD events = 0;
        bool ok = port.WaitOnMask(events);
        // An opener clears the mask after raising the flag: a wait that
        // failed for want of a mask is the hand-over, not a fault.
        if (stop_ || handedOver_)
            break;
        if (!ok) {
            stop_ = true;
            break;
        }
        if ((events & kCallEvents) && (port.ModemStatus() & MS_RLSD_ON)) {
            if (!StartPhone())
                port.SetWaitMask(kWatchMask);
        }
    }
}

void PortDriver::WaitWithoutHandle()
{
    WaitForSingleObject(wake_, kReopenMs);
    if (stop_ || handedOver_)
        return;
    if (OpenMonitorPort()) {
        PortControl port(serial_, monitorHandle_);
        port.Purge(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
        port.SetWaitMask(kWatchMask);
    }
}

bool PortDriver::CarrierOn()
{
    DWORD_PTR h = monitorHandle_;
    return h && (PortControl(serial_, h).ModemStatus() & MS_RLSD_ON);
}

bool PortDriver::AwaitEndingPhone()
{
    HANDLE instance = OpenPhoneInstance();
    if (!instance)
        return true;
    const HANDLE waits[2] = {instance, wake_};
    const DWORD since = GetTickCount();
    bool go = true;
    for (;;) {
        const DWORD r = WaitForMultipleObjects(2, waits, FALSE, kPhonePollMs);
        if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED_0) {
            // It has ended and the mutex came to this thread: free it for the new copy.
            ReleaseMutex(instance);
            break;
        }
        if (stop_ || handedOver_) {
            go = false;
            break;
        }
        if (r == WAIT_FAILED || (GetTickCount() - since >= kPhoneEndMs && !CarrierOn()))
            break;
    }
    CloseHandle(instance);
    return go;
}

bool PortDriver::StartPhone()
{
    DWORD now = GetTickCount();
    if (started_ && now - lastStart_ < kSameCallMs)
        return true;
    // The port went to a program meanwhile, or the driver stops: nothing to wake.
    if (!AwaitEndingPhone())
        return true;
    if (!StartProgram(InstallDir(), L"Zentrika.EXE", L"WAKEUP"))
        return false;
    lastStart_ = GetTickCount();
    started_ = true;
    return true;
}

void PortDriver::TellAgent(int state)
{
    HWND agent = agent_;
    // An agent that ended and started again has a new window.
    if (agent && !IsWindow(agent))
        agent = nullptr;
    if (!agent)
        agent = FindAgentWindow();
    agent_ = agent;
    if (agent)
        PostMessageW(agent, WM_AGENT_STATE, static_cast<WPARAM>(state), 0);
    else
        StartProgram(InstallDir(), L"ZentAgent.EXE", AgentStateWord(state));
}

void PortDriver::Traffic(WPARAM written, LPARAM read)
{
    HWND agent = agent_;
    if (agent)
        PostMessageW(agent, WM_AGENT_TRAFFIC, written, read);
}

DWORD_PTR PortDriver::Open(DWORD_PTR device, DWORD access, DWORD share)
{
    if (!Usable())
        return 0;
    if (device != context_) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (access == 0)
        return serial_.Open(device, 0, share);
    if (!TryEnterCriticalSection(&openLock_)) {
        SetLastError(ERROR_BUSY);
        return 0;
    }
    DWORD_PTR h = HandOver(access, share);
    DWORD err = GetLastError();
    LeaveCriticalSection(&openLock_);
    SetLastError(err);
    return h;
}

DWORD_PTR PortDriver::HandOver(DWORD access, DWORD share)
{
    const unsigned generation = generation_;
    auto gone = [&] {
        if (!stop_ && generation == generation_)
            return false;
        SetLastError(ERROR_NOT_READY);
        return true;
    };
    HWND phone = phone_;
    if (appHolds_ && phone) {
        // The phone lets go of the port first; the opener waits for that.
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(phone, WM_CLOSE, 1, 0, SMTO_NORMAL, kCloseRequestMs, &result)) {
            const DWORD asked = GetTickCount();
            while (IsWindow(phone) && GetTickCount() - asked < kPhoneGoneMs)
                Sleep(10);
        }
    }
    if (WaitForSingleObject(MonitorArmed, INFINITE) != WAIT_OBJECT_0 || gone())
        return 0;
    handedOver_ = true;
    DWORD_PTR own = monitorHandle_;
    if (own)
        PortControl(serial_, own).SetWaitMask(0);
    SetEvent(wake_);
    if (WaitForSingleObject(MonitorReleased, INFINITE) != WAIT_OBJECT_0 || gone())
        return 0;
    own = monitorHandle_;
    if (own) {
        lentHandle_ = true;
        return own;
    }
    // The monitor could not open the port: the opener tries for itself, and
    // never gets a handle that is not one.
    DWORD_PTR direct = serial_.Open(context_, access, share);
    if (direct) {
        directHandle_ = direct;
        return direct;
    }
    DWORD err = GetLastError();
    TakeBack();
    SetLastError(err ? err : ERROR_NOT_READY);
    return 0;
}

void PortDriver::TakeBack()
{
    handedOver_ = false;
    appHolds_ = false;
    lentHandle_ = false;
    phone_ = nullptr;
    SetEvent(PortReturned);
}

BOOL PortDriver::Close(DWORD_PTR open)
{
    if (!Usable())
        return FALSE;
    // Waits for another close: one refused here would leave the port lent for good.
    EnterCriticalSection(&closeLock_);
    BOOL result;
    if (open && open == monitorHandle_) {
        if (lentHandle_) {
            TakeBack();
            result = TRUE;
        } else {
            // The monitor's own handle is nobody else's to close.
            SetLastError(ERROR_INVALID_HANDLE);
            result = FALSE;
        }
    } else if (open && open == directHandle_) {
        result = serial_.Close(open);
        directHandle_ = 0;
        TakeBack();
    } else {
        result = serial_.Close(open);
    }
    LeaveCriticalSection(&closeLock_);
    return result;
}

DWORD PortDriver::Read(DWORD_PTR open, LPVOID buffer, DWORD count)
{
    if (!Usable())
        return static_cast<DWORD>(-1);
    DWORD n = serial_.Read(open, buffer, count);
    if (n != static_cast<DWORD>(-1) && n > 0)
        Traffic(0, static_cast<LPARAM>(n));
    return n;
}

DWORD PortDriver::Write(DWORD_PTR open, LPCVOID buffer, DWORD count)
{
    if (!Usable())
        return static_cast<DWORD>(-1);
    DWORD n = serial_.Write(open, buffer, count);
    if (n != static_cast<DWORD>(-1) && n > 0)
        Traffic(static_cast<WPARAM>(n), 0);
    return n;
}

BOOL PortDriver::IOControl(DWORD_PTR open, DWORD code, PBYTE in, DWORD inSize, PBYTE out, DWORD outSize,
                           PDWORD returned)
{
    if (!Usable())
        return FALSE;
    return serial_.IOControl(open, code, in, inSize, out, outSize, returned);
}

void PortDriver::PowerUp(DWORD_PTR device)
{
    if (!serial_.Loaded())
        return;
    stop_ = true;
    serial_.PowerUp(device);
}

void PortDriver::PowerDown(DWORD_PTR device)
{
    if (!serial_.Loaded())
        return;
    stop_ = true;
    serial_.PowerDown(device);
}

}  // namespace zendrv
