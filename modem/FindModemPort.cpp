#include "modem/CCeMModem.h"

#include <cwchar>

namespace {
const wchar_t* const kModulePnpIds[] = {
    L"CDMA2000_1X_Rev1.0",
    L"CDMA2000 1x Zentrika",
    L"CDMA2000_1x_Zentrika_",
};

bool QueryText(HKEY key, const wchar_t* name, wchar_t* buf, DWORD bytes)
{
    DWORD type = 0;
    DWORD size = bytes - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    buf[size / sizeof(wchar_t)] = 0;
    return true;
}

bool IsModuleId(const wchar_t* pnpId)
{
    for (const wchar_t* id : kModulePnpIds)
        if (wcsstr(pnpId, id))
            return true;
    return false;
}
}  // namespace

int CCeMModem::FindModemPort(HKEY root, const wchar_t* path)
{
    HKEY active;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &active) != ERROR_SUCCESS)
        return NO_PORT;
    int port = NO_PORT;
    for (DWORD i = 0;; ++i) {
        wchar_t sub[257];
        DWORD subLen = 257;
        if (RegEnumKeyExW(active, i, sub, &subLen, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY key;
        if (RegOpenKeyExW(active, sub, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        wchar_t pnpId[129];  // 256 bytes of text
        wchar_t name[129];
        const bool found = QueryText(key, L"PnpId", pnpId, 258) && IsModuleId(pnpId);
        const bool named = found && QueryText(key, L"Name", name, sizeof name);
        RegCloseKey(key);
        if (!found)
            continue;
        // "COM3:": the fourth character is the port digit.
        if (named && wcslen(name) >= 4)
            port = name[3] - L'0';
        break;
    }
    RegCloseKey(active);
    return port;
}
