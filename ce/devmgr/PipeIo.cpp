#include "ce/devmgr/PipeIo.h"

namespace cedev {
namespace {

// Waits for an overlapped operation; cancels it when a limit is hit first.
bool Finish(HANDLE pipe, OVERLAPPED& ov, const PipeLimits& limits, DWORD& done)
{
    HANDLE waits[3] = {ov.hEvent};
    DWORD count = 1;
    if (limits.stop)
        waits[count++] = limits.stop;
    if (limits.cancel)
        waits[count++] = limits.cancel;
    DWORD r = WaitForMultipleObjects(count, waits, FALSE, limits.timeoutMs);
    if (r != WAIT_OBJECT_0) {
        CancelIoEx(pipe, &ov);
        GetOverlappedResult(pipe, &ov, &done, TRUE);
        SetLastError(r == WAIT_TIMEOUT ? ERROR_TIMEOUT : ERROR_OPERATION_ABORTED);
        return false;
    }
    return GetOverlappedResult(pipe, &ov, &done, FALSE) != FALSE;
}

struct Overlapped : OVERLAPPED {
    Overlapped() : OVERLAPPED{} { hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~Overlapped() { ::CloseHandle(hEvent); }
};

}  // namespace

HANDLE PipeConnect(const std::wstring& name, DWORD waitMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD mode = PIPE_READMODE_MESSAGE;
            if (!SetNamedPipeHandleState(h, &mode, nullptr, nullptr)) {
                DWORD err = GetLastError();
                ::CloseHandle(h);
                SetLastError(err);
                return INVALID_HANDLE_VALUE;
            }
            return h;
        }
        DWORD err = GetLastError();
        DWORD spent = GetTickCount() - start;
        if (err != ERROR_PIPE_BUSY || spent >= waitMs) {
            SetLastError(err);
            return INVALID_HANDLE_VALUE;
        }
        // Another client took the listening instance; the server makes the next one at once.
        if (!WaitNamedPipeW(name.c_str(), waitMs - spent))
            Sleep(1);
    }
}

bool PipeRead(HANDLE pipe, std::vector<BYTE>& message, const PipeLimits& limits)
{
    message.clear();
    BYTE chunk[4096];
    DWORD start = GetTickCount();
    for (;;) {
        Overlapped ov;
        DWORD got = 0;
        bool ok = ReadFile(pipe, chunk, sizeof chunk, &got, &ov) != FALSE;
        if (!ok && GetLastError() == ERROR_IO_PENDING) {
            PipeLimits left = limits;
            left.timeoutMs = TimeLeft(limits.timeoutMs, start);
            ok = Finish(pipe, ov, left, got);
        } else if (!ok && GetLastError() == ERROR_MORE_DATA) {
            GetOverlappedResult(pipe, &ov, &got, FALSE);
            SetLastError(ERROR_MORE_DATA);
        }
        DWORD err = ok ? 0 : GetLastError();
        if (!ok && err != ERROR_MORE_DATA)
            return false;
        // Never buffer more than the largest message the caller accepts.
        if (limits.maxSize && message.size() + got > limits.maxSize) {
            message.clear();
            SetLastError(ERROR_INVALID_DATA);
            return false;
        }
        message.insert(message.end(), chunk, chunk + got);
        if (ok)
            return true;
    }
}

bool PipeRead(HANDLE pipe, std::vector<BYTE>& message, HANDLE stop)
{
    PipeLimits limits;
    limits.stop = stop;
    return PipeRead(pipe, message, limits);
}

bool PipeWrite(HANDLE pipe, const void* data, DWORD size, const PipeLimits& limits, DWORD* written)
{
    Overlapped ov;
    DWORD done = 0;
    bool ok = WriteFile(pipe, data, size, &done, &ov) != FALSE;
    if (!ok && GetLastError() == ERROR_IO_PENDING)
        ok = Finish(pipe, ov, limits, done);
    if (written)
        *written = done;
    return ok && done == size;
}

bool PipeWrite(HANDLE pipe, const void* data, DWORD size, HANDLE stop)
{
    PipeLimits limits;
    limits.stop = stop;
    return PipeWrite(pipe, data, size, limits);
}

bool PipeTransact(HANDLE pipe, const void* request, DWORD size, std::vector<BYTE>& reply, const PipeLimits& limits)
{
    DWORD start = GetTickCount();
    if (!PipeWrite(pipe, request, size, limits))
        return false;
    PipeLimits left = limits;
    left.timeoutMs = TimeLeft(limits.timeoutMs, start);
    return PipeRead(pipe, reply, left);
}

HANDLE PipeCreateInstance(const std::wstring& name, bool first)
{
    DWORD open = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    return CreateNamedPipeW(name.c_str(), open, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                            PIPE_UNLIMITED_INSTANCES, 65536, 65536, 0, nullptr);
}

}  // namespace cedev
