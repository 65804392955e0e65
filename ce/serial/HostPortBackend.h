#pragma once
// Backend on a serial port of the host (under Wine a Linux tty), for a real
// module in the slot.
#include <mutex>

#include "ce/serial/SerialBackend.h"

namespace zenserial {

class HostPortBackend : public SerialBackend {
public:
    explicit HostPortBackend(std::wstring path);
    ~HostPortBackend() override;

    bool Start(SerialSink* sink) override;
    void Stop() override;
    DWORD Write(const BYTE* data, DWORD count, DWORD timeoutMs, HANDLE cancel, DWORD& error) override;
    bool SetControlLines(bool dtr, bool rts) override;
    bool SetBreak(bool on) override;
    bool Configure(const DCB& dcb) override;

private:
    void ReadLoop(HANDLE stop);
    bool PollLines();

    std::wstring path_;
    SerialSink* sink_ = nullptr;
    HANDLE port_ = INVALID_HANDLE_VALUE;
    ReaderThread reader_;
    std::mutex writeLock_;
    DWORD lastStatus_ = 0;
    bool linesKnown_ = true;
    bool linesSeen_ = false;  // the port has answered for its lines once
};

}  // namespace zenserial
