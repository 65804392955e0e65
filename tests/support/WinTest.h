#pragma once
// Small helpers for tests that drive real windows.
#include <windows.h>

#include <functional>

namespace zentest {

// Dispatches this thread's messages for `ms` milliseconds.
void PumpMessages(DWORD ms);
// Pumps messages until `done` holds or `timeoutMs` passes; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

}  // namespace zentest
