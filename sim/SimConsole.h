#pragma once
// The simulator's controls as text commands: what a person types at the
// console program, and what tests call. Also inserts and removes the card
// through the device manager.
#include <string>

#include "sim/SimModule.h"

namespace zen::sim {

// The module's PC-card identity.
inline const wchar_t kModulePnpId[] = L"CDMA2000_1x_Zentrika___________-51C3";

class SimConsole {
public:
    SimConsole(SimModule& module, std::wstring link, std::wstring pnpId = kModulePnpId);

    // Runs one command line; returns what to show. "help" lists them.
    std::string Execute(const std::string& line);
    bool QuitRequested() const { return quit_; }

    // The card, through the device manager. The device name goes to `name`.
    bool InsertCard(std::wstring* name = nullptr);
    bool RemoveCard();

private:
    SimModule& module_;
    std::wstring link_;
    std::wstring pnpId_;
    bool quit_ = false;
};

}  // namespace zen::sim
