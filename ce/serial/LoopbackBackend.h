#pragma once
// Backend that carries bytes and modem lines over the simulator's link pipe.
// Data and line changes never wait for each other's lock: a data write that
// the module does not take in time is cut short, and a line change waits a
// bounded time.
#include <condition_variable>
#include <mutex>

#include "ce/serial/SerialBackend.h"

namespace zenserial {

class LoopbackBackend : public SerialBackend {
public:
    explicit LoopbackBackend(std::wstring name);
    ~LoopbackBackend() override;

    bool Start(SerialSink* sink) override;
    void Stop() override;
    DWORD Write(const BYTE* data, DWORD count, DWORD timeoutMs, HANDLE cancel, DWORD& error) override;
    bool SetControlLines(bool dtr, bool rts) override;
    bool SetBreak(bool on) override;
    bool Configure(const DCB&) override { return true; }

private:
    void ReadLoop(HANDLE stop);
    // One message; `sent` gets the payload bytes that went out.
    bool Send(BYTE type, const BYTE* data, DWORD count, DWORD timeoutMs, HANDLE cancel, DWORD& sent);

    std::wstring pipeName_;
    SerialSink* sink_ = nullptr;
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    ReaderThread reader_;
    std::mutex dataLock_;  // keeps one write's pieces together
    std::mutex lock_;      // pipe_, lost_, users_
    std::condition_variable idle_;
    int users_ = 0;        // sends under way on pipe_
    bool lost_ = false;
};

}  // namespace zenserial
