#pragma once
// Message-mode named pipes with overlapped I/O, so that a stop event can end
// any wait and reads and writes on one handle never serialise each other.
#include <windows.h>

#include <string>
#include <vector>

namespace cedev {

// Connects to a message pipe; waits up to `waitMs` while every instance is
// busy. Returns INVALID_HANDLE_VALUE with the last error set when the pipe
// does not exist (ERROR_FILE_NOT_FOUND) or stays busy (ERROR_PIPE_BUSY).
HANDLE PipeConnect(const std::wstring& name, DWORD waitMs);

// What is left of `timeoutMs` (INFINITE: no limit) since the tick count
// `start`; 0 when it has run out.
inline DWORD TimeLeft(DWORD timeoutMs, DWORD start)
{
    if (timeoutMs == INFINITE)
        return INFINITE;
    DWORD spent = GetTickCount() - start;
    return spent < timeoutMs ? timeoutMs - spent : 0;
}

// How a read or write may end early.
struct PipeLimits {
    HANDLE stop = nullptr;     // signalled: give up (ERROR_OPERATION_ABORTED)
    HANDLE cancel = nullptr;   // a second such event
    DWORD timeoutMs = INFINITE;  // then ERROR_TIMEOUT
    size_t maxSize = 0;        // reads: a longer message fails (ERROR_INVALID_DATA); 0 = any
};

// Reads one whole message. FALSE when the pipe broke, a limit was hit, or the
// message is longer than `maxSize` (then the rest of it is left unread: drop
// the connection).
bool PipeRead(HANDLE pipe, std::vector<BYTE>& message, const PipeLimits& limits);
bool PipeRead(HANDLE pipe, std::vector<BYTE>& message, HANDLE stop = nullptr);
// Writes one whole message; `written` (may be NULL) gets what went out.
bool PipeWrite(HANDLE pipe, const void* data, DWORD size, const PipeLimits& limits, DWORD* written = nullptr);
bool PipeWrite(HANDLE pipe, const void* data, DWORD size, HANDLE stop = nullptr);
// One request, one reply, within `limits`.
bool PipeTransact(HANDLE pipe, const void* request, DWORD size, std::vector<BYTE>& reply,
                  const PipeLimits& limits = PipeLimits());

// A pipe instance created for listening (overlapped). INVALID_HANDLE_VALUE on failure.
HANDLE PipeCreateInstance(const std::wstring& name, bool first);

}  // namespace cedev
