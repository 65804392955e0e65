#include "ce/serial/LoopbackBackend.h"

#include <vector>

#include "ce/devmgr/PipeIo.h"
#include "ce/serial/LinkProtocol.h"

namespace zenserial {

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
    reader_.Stop();
    std::lock_guard<std::mutex> hold(writeLock_);
    if (pipe_ != INVALID_HANDLE_VALUE) {
        CloseHandle(pipe_);
        pipe_ = INVALID_HANDLE_VALUE;
    }
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
            std::lock_guard<std::mutex> hold(writeLock_);
            lost_ = true;
        }
        sink_->OnModemStatus(0);
    }
}

bool LoopbackBackend::Send(BYTE type, const BYTE* data, DWORD count)
{
    std::vector<BYTE> msg(1 + count);
    msg[0] = type;
    if (count)
        memcpy(msg.data() + 1, data, count);
    std::lock_guard<std::mutex> hold(writeLock_);
    if (lost_ || pipe_ == INVALID_HANDLE_VALUE)
        return false;
    return cedev::PipeWrite(pipe_, msg.data(), static_cast<DWORD>(msg.size()), reader_.StopEvent());
}

bool LoopbackBackend::Write(const BYTE* data, DWORD count)
{
    return count == 0 || Send(zenlink::kData, data, count);
}

bool LoopbackBackend::SetControlLines(bool dtr, bool rts)
{
    BYTE lines = (dtr ? zenlink::kDtr : 0) | (rts ? zenlink::kRts : 0);
    return Send(zenlink::kControlLines, &lines, 1);
}

bool LoopbackBackend::SetBreak(bool on)
{
    BYTE b = on ? 1 : 0;
    return Send(zenlink::kBreak, &b, 1);
}

}  // namespace zenserial
