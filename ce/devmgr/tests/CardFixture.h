#pragma once
// A simulated module behind a card of its own PnP id, for device manager tests.
#include <windows.h>

#include <string>

#include "ce_devmgr.h"
#include "sim/SimLink.h"
#include "sim/SimModule.h"

namespace porttest {

class SimulatedCard {
public:
    SimulatedCard()
        : pnpId_(L"ZenTest_Serial_Card-" + std::to_wstring(GetCurrentProcessId())),
          linkName_(L"devmgrtest" + std::to_wstring(GetCurrentProcessId())),
          link_(module_)
    {
    }
    ~SimulatedCard()
    {
        CeDevMgrRemoveCard(pnpId_.c_str());
        link_.Stop();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + pnpId_).c_str());
    }

    bool Setup()
    {
        return link_.Start(linkName_) && CeDevMgrRegisterDriver(pnpId_.c_str(), L"Serial.dll", L"COM");
    }
    bool Insert()
    {
        wchar_t name[16] = L"";
        if (!CeDevMgrInsertCard(pnpId_.c_str(), link_.Link().c_str(), name, 16))
            return false;
        name_ = name;
        return true;
    }
    bool Remove() { return CeDevMgrRemoveCard(pnpId_.c_str()) != FALSE; }

    zen::sim::SimModule& Module() { return module_; }
    const std::wstring& PnpId() const { return pnpId_; }
    const std::wstring& Name() const { return name_; }
    std::wstring Link() const { return link_.Link(); }

private:
    std::wstring pnpId_;
    std::wstring linkName_;
    std::wstring name_;
    zen::sim::SimModule module_;
    zen::sim::SimLink link_;
};

}  // namespace porttest
