#pragma once
// Backend that carries bytes and modem lines over the simulator's link pipe.
#include <mutex>

#include "ce/serial/SerialBackend.h"

namespace zenserial {

class LoopbackBackend : public SerialBackend {
public:
    explicit LoopbackBackend(std::wstring name);
    ~LoopbackBackend() override;

    bool Start(SerialSink* sink) override;
    void Stop() override;
    bool Write(const BYTE* data, DWORD count) override;
    bool SetControlLines(bool dtr, bool rts) override;
    bool SetBreak(bool on) override;
    bool Configure(const DCB&) override { return true; }

private:
    void ReadLoop(HANDLE stop);
    bool Send(BYTE type, const BYTE* data, DWORD count);

    std::wstring pipeName_;
    SerialSink* sink_ = nullptr;
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    ReaderThread reader_;
    std::mutex writeLock_;
    bool lost_ = false;
};

}  // namespace zenserial
