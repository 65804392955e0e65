#pragma once
// One serial device of the platform driver: receive queue, line state, event
// masks and time-outs, shared by the device's open handles. Thread-safe: a
// blocked wait or read never holds up another call.
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "ce/serial/SerialBackend.h"

namespace zenserial {

class SerialPort : public SerialSink {
public:
    explicit SerialPort(std::unique_ptr<SerialBackend> backend);
    ~SerialPort() override;

    bool Start();
    // De-initialisation: every call under way returns, every later one fails.
    void Shutdown();

    // Open handles are ids; 0 is failure.
    DWORD_PTR Open(DWORD access, DWORD share);
    BOOL Close(DWORD_PTR open);
    DWORD Read(DWORD_PTR open, void* buffer, DWORD count);
    // Honours the write time-outs: a write that the line does not take within
    // multiplier * count + constant milliseconds returns the shorter count.
    DWORD Write(DWORD_PTR open, const void* buffer, DWORD count);
    BOOL IoControl(DWORD_PTR open, DWORD code, const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize,
                   DWORD* returned);
    void PowerUp();
    void PowerDown();

    // SerialSink
    void OnReceive(const BYTE* data, DWORD count) override;
    void OnModemStatus(DWORD status) override;
    void OnBreak() override;
    void OnLineError(DWORD errors) override;
    void OnLost() override;

    // Called (on the backend's thread) once the line is gone for good.
    void SetLostHandler(std::function<void()> handler) { lostHandler_ = std::move(handler); }

    static constexpr size_t kReceiveQueue = 4096;

private:
    struct OpenHandle {
        DWORD access = 0;
        DWORD mask = 0;
        DWORD history = 0;
        unsigned maskChanges = 0;
        bool closed = false;
    };
    using Lock = std::unique_lock<std::mutex>;

    std::shared_ptr<OpenHandle> Find(DWORD_PTR open, DWORD& error);
    void Raise(DWORD events);  // with the lock held
    void ApplyLines(Lock& lock);
    bool WaitOnMask(const std::shared_ptr<OpenHandle>& h, DWORD& events, DWORD& error);
    bool SetLines(bool dtr, bool rts);

    std::unique_ptr<SerialBackend> backend_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::map<DWORD_PTR, std::shared_ptr<OpenHandle>> opens_;
    DWORD_PTR nextOpen_ = 1;
    std::deque<BYTE> rx_;
    DCB dcb_{};
    COMMTIMEOUTS timeouts_{};
    DWORD modemStatus_ = 0;
    DWORD errors_ = 0;
    bool dtr_ = false;
    bool rts_ = false;
    unsigned readAborts_ = 0;
    // Set when the owner closes, on purge of the transmit side and on
    // de-initialisation: data writes under way give up.
    HANDLE writeAbort_ = nullptr;
    int writers_ = 0;
    bool down_ = false;     // calls fail: removed, or the line is gone
    bool stopped_ = false;  // the backend was stopped
    std::function<void()> lostHandler_;
};

}  // namespace zenserial
