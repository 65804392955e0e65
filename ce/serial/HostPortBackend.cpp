#include "ce/serial/HostPortBackend.h"

#include "ce/devmgr/PipeIo.h"

namespace zenserial {
namespace {

// How often the modem lines are looked at: the read below returns at least
// this often. (Wine's WaitCommEvent cannot wait for line changes on a tty.)
constexpr DWORD kPollMs = 20;
// A port without modem lines (a pty) is taken as a plain three-wire line.
constexpr DWORD kNoLines = MS_CTS_ON | MS_DSR_ON;
// Failures in a row after which the port counts as gone: a tty whose
// adapter was pulled out fails every request from then on.
constexpr int kGoneAfter = 3;

// Waits for overlapped I/O; cancels it on `stop`, `cancel` or the time-out.
bool WaitIo(HANDLE h, OVERLAPPED& ov, HANDLE stop, DWORD& done, HANDLE cancel = nullptr, DWORD timeoutMs = INFINITE)
{
    HANDLE waits[3] = {ov.hEvent};
    DWORD count = 1;
    if (stop)
        waits[count++] = stop;
    if (cancel)
        waits[count++] = cancel;
    DWORD r = WaitForMultipleObjects(count, waits, FALSE, timeoutMs);
    if (r != WAIT_OBJECT_0) {
        CancelIoEx(h, &ov);
        GetOverlappedResult(h, &ov, &done, TRUE);
        SetLastError(r == WAIT_TIMEOUT ? ERROR_TIMEOUT : ERROR_OPERATION_ABORTED);
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

// False when the port failed to answer for lines it had answered for before.
bool HostPortBackend::PollLines()
{
    DWORD status = 0;
    if (linesKnown_ && GetCommModemStatus(port_, &status)) {
        linesSeen_ = true;
    } else if (linesSeen_) {
        return false;
    } else {
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
    return true;
}

void HostPortBackend::ReadLoop(HANDLE stop)
{
    BYTE buf[1024];
    HANDLE ev = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    int failures = 0;
    while (WaitForSingleObject(stop, 0) != WAIT_OBJECT_0) {
        if (failures >= kGoneAfter) {
            // The lines die with the port; then the port itself goes.
            sink_->OnModemStatus(0);
            sink_->OnLost();
            break;
        }
        if (!PollLines()) {
            ++failures;
            Sleep(kPollMs);
            continue;
        }
        OVERLAPPED ov{};
        ov.hEvent = ev;
        ResetEvent(ev);
        DWORD got = 0;
        bool ok = ReadFile(port_, buf, sizeof buf, &got, &ov) != FALSE;
        if (!ok && GetLastError() == ERROR_IO_PENDING)
            ok = WaitIo(port_, ov, stop, got);
        // Wine reports a read that timed out empty as ERROR_TIMEOUT.
        DWORD err = ok ? 0 : GetLastError();
        bool idle = err == ERROR_TIMEOUT;
        if (got) {
            failures = 0;
            sink_->OnReceive(buf, got);
        } else if (!ok && !idle && err != ERROR_OPERATION_ABORTED) {
            ++failures;
            Sleep(kPollMs);  // a failing port is not spun on
        }
    }
    CloseHandle(ev);
}

DWORD HostPortBackend::Write(const BYTE* data, DWORD count, DWORD timeoutMs, HANDLE cancel, DWORD& error)
{
    error = 0;
    std::lock_guard<std::mutex> hold(writeLock_);
    if (port_ == INVALID_HANDLE_VALUE) {
        error = ERROR_DEVICE_NOT_CONNECTED;
        return 0;
    }
    DWORD start = GetTickCount();
    DWORD done = 0;
    while (done < count) {
        DWORD left = cedev::TimeLeft(timeoutMs, start);
        if (left == 0) {
            error = ERROR_TIMEOUT;
            break;
        }
        OVERLAPPED ov{};
        ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DWORD n = 0;
        bool ok = WriteFile(port_, data + done, count - done, &n, &ov) != FALSE;
        if (!ok && GetLastError() == ERROR_IO_PENDING)
            ok = WaitIo(port_, ov, reader_.StopEvent(), n, cancel, left);
        DWORD err = GetLastError();
        CloseHandle(ov.hEvent);
        done += n <= count - done ? n : count - done;
        if (!ok || n == 0) {
            error = ok ? ERROR_GEN_FAILURE : err;
            break;
        }
    }
    return done;
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
