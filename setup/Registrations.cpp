#include "setup/Registrations.h"

#include <cwchar>

const wchar_t* const kModuleCardIds[4] = {
    L"CDMA2000_1X_Rev1.0_____________-07C3",
    L"CDMA2000_1x_Zentrika__Expansion-947F",
    L"CDMA2000_1x_Zentrika___________-51C3",
    L"CDMA2000_1x_Zentrika__Expansion-28D8",
};

namespace {

const wchar_t kFriendlyName[] = L"Norvale Zentrika";

struct MenuEntry {
    const wchar_t* name;
    const wchar_t* argument;
};
const MenuEntry kMenuEntries[] = {{L"Kivo Phone", L"CALL"}, {L"Kivo SMS", L"SMS"}};

bool SetString(HKEY key, LPCWSTR name, LPCWSTR text)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool SetDword(HKEY key, LPCWSTR name, DWORD value)
{
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

HKEY Create(LPCWSTR path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

void CardKey(const wchar_t* id, wchar_t* out, size_t chars)
{
    _snwprintf(out, chars, L"Drivers\\PCMCIA\\%ls", id);
    out[chars - 1] = 0;
}

void MenuKey(const wchar_t* name, wchar_t* out, size_t chars)
{
    _snwprintf(out, chars, L"Software\\Veltana\\Apps\\%ls", name);
    out[chars - 1] = 0;
}

}  // namespace

int RegisterPortDriver()
{
    int written = 0;
    for (const wchar_t* id : kModuleCardIds) {
        wchar_t path[128];
        CardKey(id, path, 128);
        HKEY key = Create(path);
        if (!key)
            continue;
        const bool ok = SetString(key, L"Tsp", L"Unimodem.dll") && SetString(key, L"dll", L"ZentDrv.dll") &&
                        SetString(key, L"Prefix", L"COM") && SetDword(key, L"DeviceArrayIndex", 1) &&
                        SetDword(key, L"DeviceType", 3) && SetString(key, L"FriendlyName", kFriendlyName);
        RegCloseKey(key);
        written += ok;
    }
    return written;
}

void UnregisterPortDriver()
{
    for (const wchar_t* id : kModuleCardIds) {
        wchar_t path[128];
        CardKey(id, path, 128);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
    }
}

int RegisterMenuEntries(LPCWSTR installDir)
{
    int written = 0;
    for (const MenuEntry& entry : kMenuEntries) {
        wchar_t path[128];
        MenuKey(entry.name, path, 128);
        HKEY key = Create(path);
        if (!key)
            continue;
        // The command line that starts the phone from the menu; a folder too
        // long for it is cut rather than overrunning.
        wchar_t command[MAX_PATH + 32];
        _snwprintf(command, MAX_PATH + 32, L"%ls\\Zentrika.exe %ls", installDir ? installDir : L"", entry.argument);
        command[MAX_PATH + 31] = 0;
        const bool ok = SetString(key, L"Ver", L"39") && SetString(key, L"InstallDir", command) &&
                        SetString(key, L"OnAppMenu", L"00") && SetString(key, L"IsOnline", L"00") &&
                        SetString(key, L"SoftReset", L"TRUE") && SetString(key, L"VendorDesc", kFriendlyName);
        RegCloseKey(key);
        written += ok;
    }
    return written;
}

void UnregisterMenuEntries()
{
    for (const MenuEntry& entry : kMenuEntries) {
        wchar_t path[128];
        MenuKey(entry.name, path, 128);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
    }
}
