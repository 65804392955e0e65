#pragma once
// Starting the built programs from a test, as separate processes.
#include <windows.h>

#include <string>

namespace zentest {

// The folder of the running test program, where every program is built.
std::wstring BinDir();
// Starts BinDir()/exe (or exe, when it is a path) with `args`; the process handle, or nullptr.
HANDLE StartProgram(const std::wstring& exe, const std::wstring& args = L"");
// Waits for the process to end; its exit code, or STILL_ACTIVE on time-out.
DWORD WaitExit(HANDLE process, DWORD timeoutMs);
// Ends a process that is still running and closes the handle.
void EndProcess(HANDLE& process);

}  // namespace zentest
