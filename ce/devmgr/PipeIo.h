#pragma once
// Message-mode named pipes with overlapped I/O, so that a stop event can end
// any wait and reads and writes on one handle never serialise each other.
#include <windows.h>

#include <string>
#include <vector>

namespace cedev {

// Connects to a message pipe; waits up to `waitMs` while every instance is
// busy. Returns INVALID_HANDLE_VALUE with the last error set when the pipe
// does not exist (ERROR_FILE_NOT_FOUND) or stays busy.
HANDLE PipeConnect(const std::wstring& name, DWORD waitMs);

// Reads one whole message. FALSE when the pipe broke or `stop` (may be NULL)
// was signalled first.
bool PipeRead(HANDLE pipe, std::vector<BYTE>& message, HANDLE stop = nullptr);
// Writes one whole message.
bool PipeWrite(HANDLE pipe, const void* data, DWORD size, HANDLE stop = nullptr);
// One request, one reply.
bool PipeTransact(HANDLE pipe, const void* request, DWORD size, std::vector<BYTE>& reply);

// A pipe instance created for listening (overlapped). INVALID_HANDLE_VALUE on failure.
HANDLE PipeCreateInstance(const std::wstring& name, bool first);

}  // namespace cedev
