#pragma once
// A stream driver for device manager tests ("devmgr_testdrv.dll", prefix
// TST). Its behaviour comes from the DWORD "Mode" of its Drivers\PCMCIA key;
// what the device manager did to it is read back with TST_Stats (the driver
// runs inside the test's process with the in-process device manager).
#include <windows.h>

namespace testdrv {

enum Mode : DWORD {
    OpenBlocksUntilDeinit = 1,  // Open waits for Deinit, then returns a handle
    ReadBlocksUntilDeinit = 2,  // Read waits for Deinit; Close does not end it
    InitOpensItself = 4,        // Init opens its own device from another thread
    InitCallsControl = 8,       // Init asks the device manager to remove another card
    CloseFails = 16,            // Close returns FALSE with ERROR_NOT_READY
    InitIsSlow = 32,            // Init takes 9.5 s
};

struct Stats {
    LONG init, deinit, open, close, read, write;
    LONG late;               // calls on a device after its Deinit
    DWORD selfOpenError;     // InitOpensItself: 0 when the open worked
    DWORD controlError;      // InitCallsControl: the error of the request
    DWORD controlMs;         // and how long it took
    char log[512];           // "Init,PowerDown,..." in order
};

using PFN_STATS = void (*)(Stats*);
using PFN_RESET = void (*)();

}  // namespace testdrv
