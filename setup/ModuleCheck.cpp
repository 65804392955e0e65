#include "setup/ModuleCheck.h"

#include <cwchar>

namespace {

// The module's identities as the device manager lists them; a part of the
// PnP id is enough.
const wchar_t* const kModuleIds[] = {
    L"CDMA2000_1X_Rev1.0",
    L"CDMA2000 1x Zentrika",
    L"CDMA2000_1x_Zentrika_",
};

bool ReadPnpId(HKEY key, wchar_t* buf, DWORD chars)
{
    DWORD type = 0, size = (chars - 1) * sizeof(wchar_t);
    if (RegQueryValueExW(key, L"PnpId", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    buf[size / sizeof(wchar_t)] = 0;
    return true;
}

}  // namespace

bool IsModulePlugged()
{
    HKEY active;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"drivers\\active", 0, KEY_READ, &active) != ERROR_SUCCESS)
        return false;
    bool found = false;
    for (DWORD i = 0; !found; ++i) {
        wchar_t sub[257];
        DWORD len = 257;
        if (RegEnumKeyExW(active, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY key;
        if (RegOpenKeyExW(active, sub, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        wchar_t pnpId[129];
        if (ReadPnpId(key, pnpId, 129))
            for (const wchar_t* id : kModuleIds)
                found = found || wcsstr(pnpId, id) != nullptr;
        RegCloseKey(key);
    }
    RegCloseKey(active);
    return found;
}

void WaitForModuleUnplugged(HWND parent, bool installing)
{
    const wchar_t* text = installing ? L"설치를 위해\r\nZentrika을 PDA와 분리하십시오."
                                     : L"제거를 위해\r\nZentrika을 PDA와 분리하십시오.";
    while (IsModulePlugged())
        MessageBoxW(parent, text, L"알림", MB_OK | MB_ICONSTOP);
}
