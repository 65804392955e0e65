#pragma once
// Serial requests the monitor makes on its own handle, straight to the
// platform's serial driver.
#include <windows.h>

#include "SerialLibrary.h"

namespace zendrv {

class PortControl {
public:
    PortControl(const SerialLibrary& serial, DWORD_PTR handle) : serial_(serial), handle_(handle) {}

    // 115200 8N1, binary, DTR and RTS enabled, no flow control; reads return
    // at once with what is buffered.
    bool Configure();
    bool SetWaitMask(DWORD mask);
    // FALSE when the wait failed; `events` is 0 when a new mask released it.
    bool WaitOnMask(DWORD& events);
    // MS_* bits; 0 when the request failed.
    DWORD ModemStatus();
    bool Purge(DWORD flags);
    bool RaiseDtr();
    bool RaiseRts();
    // Reads what is buffered (the port's time-outs return at once); -1 on failure.
    DWORD Read(void* buffer, DWORD count);

private:
    bool Request(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize);

    const SerialLibrary& serial_;
    DWORD_PTR handle_;
};

}  // namespace zendrv
