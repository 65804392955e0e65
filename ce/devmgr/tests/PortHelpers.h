#pragma once
// Finding and talking to the module's port the way the phone does, through
// the plain Win32 names of ce_serialapi.h.
#include <windows.h>

#include <string>

#include "ce_serialapi.h"

namespace porttest {

// The "Name" of the first active device whose "PnpId" contains `pnpId`.
inline std::wstring FindPort(const std::wstring& pnpId)
{
    HKEY active;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"drivers\\active", 0, KEY_READ, &active) != ERROR_SUCCESS)
        return std::wstring();
    std::wstring found;
    wchar_t sub[257];
    for (DWORD i = 0; found.empty(); ++i) {
        DWORD len = 257;
        if (RegEnumKeyExW(active, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY k;
        if (RegOpenKeyExW(active, sub, 0, KEY_READ, &k) != ERROR_SUCCESS)
            continue;
        wchar_t value[129] = L"";
        DWORD size = 256;
        if (RegQueryValueExW(k, L"PnpId", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
            std::wstring(value).find(pnpId) != std::wstring::npos) {
            size = 256;
            if (RegQueryValueExW(k, L"Name", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS)
                found = value;
        }
        RegCloseKey(k);
    }
    RegCloseKey(active);
    return found;
}

// Opens and configures the port as the modem link does.
inline HANDLE OpenPort(const std::wstring& name)
{
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return h;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS t{MAXDWORD, 0, 0, 0, 0};
    if (!GetCommState(h, &dcb) || (dcb.BaudRate = CBR_115200, dcb.ByteSize = 8, dcb.Parity = NOPARITY,
                                   dcb.StopBits = ONESTOPBIT, dcb.fDtrControl = DTR_CONTROL_ENABLE,
                                   dcb.fRtsControl = RTS_CONTROL_ENABLE, !SetCommState(h, &dcb)) ||
        !SetCommTimeouts(h, &t) || !SetCommMask(h, 0x21FF) || !EscapeCommFunction(h, SETDTR)) {
        CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

// Reads until `end` arrives or `ms` pass; returns everything read.
inline std::string ReadUntil(HANDLE h, const std::string& end, DWORD ms = 3000)
{
    std::string got;
    DWORD start = GetTickCount();
    while (got.find(end) == std::string::npos && GetTickCount() - start < ms) {
        char buf[256];
        DWORD n = 0;
        if (!ReadFile(h, buf, sizeof buf, &n, nullptr))
            break;
        got.append(buf, n);
        if (n == 0)
            Sleep(5);
    }
    return got;
}

// Writes one AT line and returns the reply block, echo included.
inline std::string Exchange(HANDLE h, const std::string& command)
{
    std::string line = command + "\r\n";
    DWORD written = 0;
    if (!WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) || written != line.size())
        return "<write failed>";
    return ReadUntil(h, "\r\n\n");
}

}  // namespace porttest
