#include "ce/serial/HostPortBackend.h"

namespace zenserial {
namespace {

// How often the modem lines are looked at: the read below returns at least
// this often. (Wine's WaitCommEvent cannot wait for line changes on a tty.)
constexpr DWORD kPollMs = 20;
// A port without modem lines (a pty) is taken as a plain three-wire line.
constexpr DWORD kNoLines = MS_CTS_ON | MS_DSR_ON;

bool WaitIo(HANDLE h, OVERLAPPED& ov, HANDLE stop, DWORD& done)
{
    HANDLE waits[2] = {ov.hEvent, stop};
    if (WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIoEx(h, &ov);
        GetOverlappedResult(h, &ov, &done, TRUE);
        return false;
    }
    return GetOverlappedResult(h, &ov, &done, FALSE) != FALSE;
}

}  // namespace

HostPortBackend::HostPortBackend(std::wstring path) : path_(std::move(path))
{
    if (path_.rfind(L"\\\\.\\", 0) != 0)
        path_ = L"\\\\.\\" + path_;
}

HostPortBackend::~HostPortBackend()
{
    Stop();
}

bool HostPortBackend::Start(SerialSink* sink)
{
    sink_ = sink;
    port_ = CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_FLAG_OVERLAPPED, nullptr);
    if (port_ == INVALID_HANDLE_VALUE)
        return false;
    // Reads return shortly after the bytes stop coming, or after the poll
    // interval. (Wine never completes an overlapped read with the
    // "first byte" time-outs, interval and multiplier MAXDWORD.)
    COMMTIMEOUTS t{5, 0, kPollMs, 0, 0};
    SetCommTimeouts(port_, &t);
    if (!reader_.Start([this](HANDLE stop) { ReadLoop(stop); })) {
        Stop();
        return false;
    }
    return true;
}

void HostPortBackend::Stop()
{
    reader_.Stop();
    std::lock_guard<std::mutex> hold(writeLock_);
    if (port_ != INVALID_HANDLE_VALUE) {
        EscapeCommFunction(port_, CLRDTR);
        CloseHandle(port_);
        port_ = INVALID_HANDLE_VALUE;
    }
}

void HostPortBackend::PollLines()
{
    DWORD status = 0;
    if (!linesKnown_ || !GetCommModemStatus(port_, &status)) {
        linesKnown_ = false;
        status = kNoLines;
    }
    if (status != lastStatus_) {
        lastStatus_ = status;
        sink_->OnModemStatus(status);
    }
    DWORD errors = 0;
    COMSTAT stat;
    if (ClearCommError(port_, &errors, &stat) && errors) {
        if (errors & CE_BREAK)
            sink_->OnBreak();
        if (errors & ~CE_BREAK)
            sink_->OnLineError(errors & ~CE_BREAK);
    }
}

void HostPortBackend::ReadLoop(HANDLE stop)
{
    BYTE buf[1024];
    HANDLE ev = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    while (WaitForSingleObject(stop, 0) != WAIT_OBJECT_0) {
        PollLines();
        OVERLAPPED ov{};
        ov.hEvent = ev;
        ResetEvent(ev);
        DWORD got = 0;
        bool ok = ReadFile(port_, buf, sizeof buf, &got, &ov) != FALSE;
        if (!ok && GetLastError() == ERROR_IO_PENDING)
            ok = WaitIo(port_, ov, stop, got);
        // Wine reports a read that timed out empty as ERROR_TIMEOUT.
        bool idle = !ok && GetLastError() == ERROR_TIMEOUT;
        if (got)
            sink_->OnReceive(buf, got);
        else if (!ok && !idle)
            Sleep(kPollMs);  // a failing port is not spun on
    }
    CloseHandle(ev);
}

bool HostPortBackend::Write(const BYTE* data, DWORD count)
{
    std::lock_guard<std::mutex> hold(writeLock_);
    if (port_ == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    while (done < count) {
        OVERLAPPED ov{};
        ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DWORD n = 0;
        bool ok = WriteFile(port_, data + done, count - done, &n, &ov) != FALSE;
        if (!ok && GetLastError() == ERROR_IO_PENDING)
            ok = WaitIo(port_, ov, reader_.StopEvent(), n);
        CloseHandle(ov.hEvent);
        if (!ok || n == 0)
            return false;
        done += n;
    }
    return true;
}

bool HostPortBackend::SetControlLines(bool dtr, bool rts)
{
    // A port without modem lines refuses these; that is no failure of the write path.
    EscapeCommFunction(port_, dtr ? SETDTR : CLRDTR);
    EscapeCommFunction(port_, rts ? SETRTS : CLRRTS);
    return true;
}

bool HostPortBackend::SetBreak(bool on)
{
    return (on ? SetCommBreak(port_) : ClearCommBreak(port_)) != FALSE;
}

bool HostPortBackend::Configure(const DCB& dcb)
{
    DCB host = dcb;
    host.DCBlength = sizeof host;
    // Handshake lines are ours to drive (SetControlLines); no flow control on the host side.
    host.fDtrControl = DTR_CONTROL_ENABLE;
    host.fRtsControl = RTS_CONTROL_ENABLE;
    host.fOutxCtsFlow = FALSE;
    host.fOutxDsrFlow = FALSE;
    return SetCommState(port_, &host) != FALSE;
}

}  // namespace zenserial
