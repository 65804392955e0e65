#pragma once
// A loaded stream driver DLL and its <prefix>_* entry points.
#include <windows.h>

#include <string>

#include "ce_streamdrv.h"

namespace cedev {

struct StreamDriver {
    HMODULE module = nullptr;
    PFN_STREAM_INIT Init = nullptr;
    PFN_STREAM_DEINIT Deinit = nullptr;
    PFN_STREAM_OPEN Open = nullptr;
    PFN_STREAM_CLOSE Close = nullptr;
    PFN_STREAM_READ Read = nullptr;
    PFN_STREAM_WRITE Write = nullptr;
    PFN_STREAM_SEEK Seek = nullptr;  // optional
    PFN_STREAM_IOCONTROL IOControl = nullptr;
    PFN_STREAM_POWERUP PowerUp = nullptr;      // optional
    PFN_STREAM_POWERDOWN PowerDown = nullptr;  // optional
    PFN_STREAM_PREDEINIT PreDeinit = nullptr;  // optional

    // Loads `dll` (found beside the program when not a full path) and resolves
    // the entry points; FALSE when it is missing or lacks a required one.
    bool Load(const std::wstring& dll, const std::wstring& prefix);
    void Unload();
};

}  // namespace cedev
