#pragma once
// The platform's serial driver "Serial.dll", loaded by name, and the nine
// stream entry points the driver forwards to. All nine or none: a library
// that lacks one is released again, so every forwarded call fails cleanly.
#include <windows.h>

#include "ce_streamdrv.h"

namespace zendrv {

struct SerialLibrary {
    HMODULE module = nullptr;
    PFN_STREAM_INIT Init = nullptr;
    PFN_STREAM_CLOSE Close = nullptr;
    PFN_STREAM_DEINIT Deinit = nullptr;
    PFN_STREAM_OPEN Open = nullptr;
    PFN_STREAM_IOCONTROL IOControl = nullptr;
    PFN_STREAM_READ Read = nullptr;
    PFN_STREAM_WRITE Write = nullptr;
    PFN_STREAM_POWERUP PowerUp = nullptr;
    PFN_STREAM_POWERDOWN PowerDown = nullptr;
    // Not one of the nine: the device manager's notice that the card is
    // gone, passed on when the serial driver has it.
    PFN_STREAM_PREDEINIT PreDeinit = nullptr;

    // Loads `name` and resolves the entry points; FALSE (nothing kept) when
    // the library or one of the nine is missing.
    bool Load(const wchar_t* name);
    void Unload();
    bool Loaded() const { return module != nullptr; }
};

}  // namespace zendrv
