#pragma once
// Where the serial driver's bytes and modem lines really go.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace zenserial {

// What a backend reports, from a thread of its own.
class SerialSink {
public:
    virtual ~SerialSink() = default;
    virtual void OnReceive(const BYTE* data, DWORD count) = 0;
    // MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON.
    virtual void OnModemStatus(DWORD status) = 0;
    virtual void OnBreak() = 0;
    // CE_* line error bits.
    virtual void OnLineError(DWORD errors) = 0;
    // The line is gone for good (an adapter pulled out); the backend's
    // reading thread ends after this.
    virtual void OnLost() = 0;
};

class SerialBackend {
public:
    virtual ~SerialBackend() = default;
    virtual bool Start(SerialSink* sink) = 0;
    virtual void Stop() = 0;
    // Sends up to `count` bytes. Stops early when `timeoutMs` (INFINITE: no
    // limit) has passed or `cancel` (may be NULL) is signalled, and on Stop.
    // Returns the bytes that went out; when short, `error` says why
    // (ERROR_TIMEOUT, ERROR_OPERATION_ABORTED, or the line failed).
    virtual DWORD Write(const BYTE* data, DWORD count, DWORD timeoutMs, HANDLE cancel, DWORD& error) = 0;
    virtual bool SetControlLines(bool dtr, bool rts) = 0;
    virtual bool SetBreak(bool on) = 0;
    virtual bool Configure(const DCB& dcb) = 0;
};

// A backend's reading thread and the event that ends it. The event stays
// valid (signalled) after Stop, so a write still under way gives up.
class ReaderThread {
public:
    ReaderThread() = default;
    ~ReaderThread();
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    bool Start(std::function<void(HANDLE stop)> loop);
    void Stop();
    HANDLE StopEvent() const { return stop_; }

private:
    static DWORD WINAPI Run(LPVOID self);

    std::function<void(HANDLE)> loop_;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
};

// L"sim:<name>": the simulator's link; anything else: a host serial port
// (L"COM5", L"\\\\.\\COM5"). Null for an empty link.
std::unique_ptr<SerialBackend> CreateBackend(const std::wstring& link);

}  // namespace zenserial
