#include "setup/DataConnection.h"

#include <ce_platform.h>
#include <unimodem.h>

#include "setup/PlatformKind.h"

#include <cwchar>
#include <initializer_list>

namespace {

// The carrier's data account and HTTP proxy; the installation may give others
// (values "DataUser" and "DataProxyHost" of the program's registry key).
const wchar_t kAppKey[] = L"SOFTWARE\\Apps\\Norvale Zentrika";
const wchar_t kDefaultUser[] = L"zentrika";
const wchar_t kDefaultProxyHost[] = L"proxy.zentrika.net";
const wchar_t kPassword[] = L"brisk407";
const wchar_t kDestination[] = L"{FEF41358-73D0-4311-8CC3-61DE25B6AA81}";

enum Platform { kOther, kPocketPC, kPalmPC2 };

Platform ThisPlatform()
{
    const int kind = PlatformKind();
    return kind == 1 ? kPocketPC : kind == 0 ? kPalmPC2 : kOther;
}

void ReadSetting(LPCWSTR value, LPCWSTR fallback, wchar_t* out, DWORD chars)
{
    DWORD size = (chars - 1) * sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kAppKey, value, RRF_RT_REG_SZ, nullptr, out, &size) != ERROR_SUCCESS ||
        !out[0]) {
        wcsncpy(out, fallback, chars - 1);
    }
    out[chars - 1] = 0;
}

void Say(LPCWSTR text)
{
    MessageBoxW(nullptr, text, L"", MB_OK);
}

bool SetDword(HKEY key, LPCWSTR name, DWORD value)
{
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

bool SetString(HKEY key, LPCWSTR name, LPCWSTR text)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// A dialling location: five texts in a 122-byte multi-string, zero-padded.
bool SetLocation(HKEY key, LPCWSTR name, LPCWSTR place)
{
    wchar_t value[61] = {};
    size_t at = 0;
    for (LPCWSTR part : {place, L"G", L"g", L"g", L"425"}) {
        wcscpy(value + at, part);
        at += wcslen(part) + 1;
    }
    return RegSetValueExW(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(value), sizeof value) ==
           ERROR_SUCCESS;
}

HKEY CreateKey(HKEY root, LPCWSTR path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void WriteConnectionManager()
{
    wchar_t host[128], proxy[160];
    ReadSetting(L"DataProxyHost", kDefaultProxyHost, host, 128);
    _snwprintf(proxy, 160, L"%ls:%d", host, 1850);
    proxy[159] = 0;

    if (HKEY key = CreateKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\ConnMgr\\Destinations\\Zentrika")) {
        SetString(key, nullptr, kDestination);
        RegCloseKey(key);
    }
    if (HKEY key = CreateKey(HKEY_LOCAL_MACHINE,
                             L"SOFTWARE\\Microsoft\\ConnMgr\\Providers\\{7C4B7A38-5FF7-4bc1-80F6-5DA7870BB1AA}"
                             L"\\Connections\\Zentrika")) {
        SetDword(key, L"Enabled", 1);
        SetDword(key, L"RequirePw", 1);
        SetDword(key, L"EntryType", 0);
        SetString(key, L"DestId", kDestination);
        RegCloseKey(key);
    }
    if (HKEY key = CreateKey(HKEY_LOCAL_MACHINE,
                             L"SOFTWARE\\Microsoft\\ConnMgr\\Providers\\{EF097F4C-DC4B-4c98-8FF6-AEF805DC0E8E}"
                             L"\\HTTP-{FEF41358-73D0-4311-8CC3-61DE25B6AA81}")) {
        SetDword(key, L"Enable", 1);
        SetDword(key, L"Type", 0);
        SetString(key, L"Proxy", proxy);
        SetString(key, L"DestId", L"{436EF144-B4FB-4863-A041-8F905A62C572}");
        SetString(key, L"SrcId", kDestination);
        RegCloseKey(key);
    }
}

void WriteBrowserSettings()
{
    if (HKEY key = CreateKey(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main")) {
        SetDword(key, L"EnableAutodial", 1);
        SetString(key, L"Connection", kDialUpEntryName);
        RegCloseKey(key);
    }
}

RASENTRY MakeEntry()
{
    RASENTRY e = {};
    e.dwSize = sizeof e;
    e.dwfOptions = RASEO_IpHeaderCompression | RASEO_SwCompression;  // 0x208
    e.dwCountryID = 0;
    e.dwCountryCode = 82;
    wcscpy(e.szAreaCode, L"02");
    wcscpy(e.szLocalPhoneNumber, L"1501");
    e.dwfNetProtocols = RASNP_Ip;
    e.dwFramingProtocol = RASFP_Ppp;
    wcscpy(e.szDeviceType, RASDT_Modem);
    wcscpy(e.szDeviceName, L"Norvale Zentrika");
    return e;
}

DEVMINICFG MakeDeviceConfig()
{
    DEVMINICFG c = {};
    c.wVersion = MDMCFG_VERSION;
    c.wWaitBong = 0;
    c.dwCallSetupFailTimer = 120;
    c.dwModemOptions = MDM_FLOWCONTROL_HARD;
    c.dwBaudRate = 115200;
    c.fwOptions = 0;
    c.ByteSize = 8;
    c.StopBits = ONESTOPBIT;
    c.Parity = NOPARITY;
    wcscpy(c.szDialModifier, L"+crm=150");
    return c;
}

DEVMINICFG_OLD MakeOldDeviceConfig()
{
    DEVMINICFG_OLD c = {};
    c.wVersion = 0x0010;
    c.dwCallSetupFailTimer = 120;
    c.dwModemOptions = MDM_FLOWCONTROL_HARD;
    c.dwBaudRate = 115200;
    c.ByteSize = 8;
    c.StopBits = ONESTOPBIT;
    c.Parity = NOPARITY;
    strcpy(c.szDialModifier, "AT+crm=150");
    return c;
}

}  // namespace

void PrepareDialParams(RASDIALPARAMS* params)
{
    if (!params)
        return;
    *params = RASDIALPARAMS{};
    params->dwSize = sizeof(RASDIALPARAMS);
    wcscpy(params->szEntryName, kDialUpEntryName);
    ReadSetting(L"DataUser", kDefaultUser, params->szUserName, UNLEN + 1);
    wcscpy(params->szPassword, kPassword);
}

int WriteDialUpEntry(const RASDIALPARAMS* params)
{
    const Platform platform = ThisPlatform();
    if (platform == kOther || !params)
        return 0;

    RASENTRY entry = MakeEntry();
    DEVMINICFG config = MakeDeviceConfig();
    DEVMINICFG_OLD oldConfig = MakeOldDeviceConfig();
    BYTE* device = platform == kPocketPC ? reinterpret_cast<BYTE*>(&config) : reinterpret_cast<BYTE*>(&oldConfig);
    const DWORD deviceSize = platform == kPocketPC ? sizeof config : sizeof oldConfig;
    if (RasSetEntryProperties(nullptr, kDialUpEntryName, &entry, sizeof entry, device, deviceSize) != 0) {
        Say(L"set properties error");
        return 0;
    }
    RASDIALPARAMS dial = *params;
    if (RasSetEntryDialParams(nullptr, &dial, FALSE) != 0) {
        Say(L"set dialparams error");
        return 0;
    }

    // The dialling keys are opened, or made where the platform has none yet.
    HKEY key = CreateKey(HKEY_CURRENT_USER, L"ControlPanel\\Dial");
    if (!key) {
        Say(L"Not Open");
        return 0;
    }
    if (!SetDword(key, L"CurrentLoc", 1)) {
        RegCloseKey(key);
        Say(L"Not Save");
        return 0;
    }
    if (RegCloseKey(key) != ERROR_SUCCESS) {
        Say(L"Not Close");
        return 0;
    }

    key = CreateKey(HKEY_CURRENT_USER, L"ControlPanel\\Dial\\Locations");
    if (!key)
        return 0;
    const bool located = SetLocation(key, L"0", L"Work") && SetLocation(key, L"1", L"Home");
    RegCloseKey(key);
    if (!located)
        return 0;

    if (platform == kPocketPC)
        WriteConnectionManager();
    else
        WriteBrowserSettings();
    return 1;
}

void RemoveDialUpEntry()
{
    RasDeleteEntry(nullptr, kDialUpEntryName);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\ConnMgr\\Destinations\\Zentrika");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE,
                  L"SOFTWARE\\Microsoft\\ConnMgr\\Providers\\{7C4B7A38-5FF7-4bc1-80F6-5DA7870BB1AA}"
                  L"\\Connections\\Zentrika");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE,
                  L"SOFTWARE\\Microsoft\\ConnMgr\\Providers\\{EF097F4C-DC4B-4c98-8FF6-AEF805DC0E8E}"
                  L"\\HTTP-{FEF41358-73D0-4311-8CC3-61DE25B6AA81}");
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main", 0, KEY_ALL_ACCESS,
                      &key) == ERROR_SUCCESS) {
        wchar_t name[32] = L"";
        DWORD size = sizeof name - sizeof(wchar_t), type = 0;
        if (RegQueryValueExW(key, L"Connection", nullptr, &type, reinterpret_cast<BYTE*>(name), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ && wcscmp(name, kDialUpEntryName) == 0)
            RegDeleteValueW(key, L"Connection");
        RegCloseKey(key);
    }
}

int EnsureDialUpEntry()
{
    RASDIALPARAMS params;
    PrepareDialParams(&params);
    const int written = WriteDialUpEntry(&params);
    SecureZeroMemory(params.szPassword, sizeof params.szPassword);
    return written;
}

int StartBrowser()
{
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(L"\\Windows\\iexplore.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                        &pi))
        return 0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 1;
}
