#pragma once
// The simulated module in the slot: a card whose PnP id names the module,
// served by the device manager inside this test process.
#include <windows.h>

#include <string>

#include "ce_devmgr.h"
#include "sim/SimLink.h"
#include "sim/SimModule.h"

class ModuleCard {
public:
    ModuleCard()
        : m_pnpId(L"PCMCIA\\CDMA2000_1x_Zentrika_" + std::to_wstring(GetCurrentProcessId())),
          m_link(m_module)
    {
    }
    ~ModuleCard()
    {
        CeDevMgrRemoveCard(m_pnpId.c_str());
        m_link.Stop();
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + m_pnpId).c_str());
    }

    bool Insert()
    {
        const std::wstring linkName = L"modemtest" + std::to_wstring(GetCurrentProcessId());
        if (!m_link.Start(linkName) ||
            !CeDevMgrRegisterDriver(m_pnpId.c_str(), L"Serial.dll", L"COM"))
            return false;
        wchar_t name[16] = L"";
        if (!CeDevMgrInsertCard(m_pnpId.c_str(), m_link.Link().c_str(), name, 16))
            return false;
        m_name = name;
        return true;
    }

    zen::sim::SimModule& Module() { return m_module; }
    const std::wstring& Name() const { return m_name; }

private:
    std::wstring m_pnpId;
    std::wstring m_name;
    zen::sim::SimModule m_module;
    zen::sim::SimLink m_link;
};
