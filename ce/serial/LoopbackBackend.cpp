#include "ce/serial/LoopbackBackend.h"

#include <cstring>
#include <vector>

#include "ce/devmgr/PipeIo.h"
#include "ce/serial/LinkProtocol.h"

namespace zenserial {
namespace {

// Data goes in pieces of this size, so a write cut short reports a count
// close to what the module took.
constexpr DWORD kPiece = 1024;
// How long a line change may wait behind data the module does not take.
constexpr DWORD kLineMs = 500;

}  // namespace

LoopbackBackend::LoopbackBackend(std::wstring name) : pipeName_(zenlink::LinkPipeName(name)) {}

LoopbackBackend::~LoopbackBackend()
{
    Stop();
}

bool LoopbackBackend::Start(SerialSink* sink)
{
    sink_ = sink;
    pipe_ = cedev::PipeConnect(pipeName_, 2000);
    if (pipe_ == INVALID_HANDLE_VALUE)
        return false;
    if (!reader_.Start([this](HANDLE stop) { ReadLoop(stop); })) {
        Stop();
        return false;
    }
    return true;
}

void LoopbackBackend::Stop()
{
    // The stop event ends the reader and every send under way.
    reader_.Stop();
    std::unique_lock<std::mutex> hold(lock_);
    idle_.wait(hold, [this] { return users_ == 0; });
    if (pipe_ != INVALID_HANDLE_VALUE) {
        CloseHandle(pipe_);
        pipe_ = INVALID_HANDLE_VALUE;
    }
    lost_ = true;
}

void LoopbackBackend::ReadLoop(HANDLE stop)
{
    std::vector<BYTE> msg;
    while (cedev::PipeRead(pipe_, msg, stop)) {
        if (msg.empty())
            continue;
        const BYTE* payload = msg.data() + 1;
        DWORD size = static_cast<DWORD>(msg.size() - 1);
        switch (msg[0]) {
        case zenlink::kData:
            if (size)
                sink_->OnReceive(payload, size);
            break;
        case zenlink::kModemStatus:
            if (size == 1)
                sink_->OnModemStatus(payload[0]);
            break;
        case zenlink::kBreak:
            if (size == 1 && payload[0])
                sink_->OnBreak();
            break;
        default:
            break;  // unknown messages are skipped
        }
    }
    if (WaitForSingleObject(stop, 0) != WAIT_OBJECT_0) {
        // The simulator went away: the line is dead, as with a pulled cable.
        {
            std::lock_guard<std::mutex> hold(lock_);
            lost_ = true;
        }
        sink_->OnModemStatus(0);
    }
}

bool LoopbackBackend::Send(BYTE type, const BYTE* data, DWORD count, DWORD timeoutMs, HANDLE cancel, DWORD& sent)
{
    sent = 0;
    HANDLE pipe;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (lost_ || pipe_ == INVALID_HANDLE_VALUE) {
            SetLastError(ERROR_DEVICE_NOT_CONNECTED);
            return false;
        }
        pipe = pipe_;
        ++users_;
    }
    std::vector<BYTE> msg(1 + count);
    msg[0] = type;
    if (count)
        std::memcpy(msg.data() + 1, data, count);
    cedev::PipeLimits limits;
    limits.stop = reader_.StopEvent();
    limits.cancel = cancel;
    limits.timeoutMs = timeoutMs;
    DWORD written = 0;
    bool ok = cedev::PipeWrite(pipe, msg.data(), static_cast<DWORD>(msg.size()), limits, &written);
    DWORD err = GetLastError();
    sent = written > 1 ? written - 1 : 0;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (--users_ == 0)
            idle_.notify_all();
    }
    SetLastError(ok ? 0 : err);
    return ok;
}

DWORD LoopbackBackend::Write(const BYTE* data, DWORD count, DWORD timeoutMs, HANDLE cancel, DWORD& error)
{
    error = 0;
    std::lock_guard<std::mutex> hold(dataLock_);
    DWORD start = GetTickCount();
    DWORD done = 0;
    while (done < count) {
        DWORD left = cedev::TimeLeft(timeoutMs, start);
        if (left == 0) {
            error = ERROR_TIMEOUT;
            break;
        }
        DWORD piece = count - done < kPiece ? count - done : kPiece;
        DWORD sent = 0;
        bool ok = Send(zenlink::kData, data + done, piece, left, cancel, sent);
        done += sent < piece ? sent : piece;
        if (!ok) {
            error = GetLastError();
            if (!error)
                error = ERROR_GEN_FAILURE;
            break;
        }
    }
    return done;
}

bool LoopbackBackend::SetControlLines(bool dtr, bool rts)
{
    BYTE lines = (dtr ? zenlink::kDtr : 0) | (rts ? zenlink::kRts : 0);
    DWORD sent;
    return Send(zenlink::kControlLines, &lines, 1, kLineMs, nullptr, sent);
}

bool LoopbackBackend::SetBreak(bool on)
{
    BYTE b = on ? 1 : 0;
    DWORD sent;
    return Send(zenlink::kBreak, &b, 1, kLineMs, nullptr, sent);
}

}  // namespace zenserial
