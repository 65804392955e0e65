#pragma once
// The handheld's phone book as CE keeps it: one registry key per entry under
// HKEY_CURRENT_USER "Comm\RasBook", with the entry, its device configuration
// and the dial parameters as values.
#include <windows.h>
#include <ras.h>

#include <string>
#include <vector>

namespace ceras {

struct StoredEntry {
    RASENTRY entry;
    std::vector<BYTE> devCfg;
    std::wstring user;
    std::wstring domain;
    std::wstring password;
    bool hasPassword = false;
};

// A string value of the key (at most UNLEN characters), or empty.
std::wstring GetString(HKEY key, LPCWSTR value);
// 1 to RAS_MaxEntryName characters, none of them a backslash or control.
bool ValidEntryName(LPCWSTR name);
DWORD WriteEntry(LPCWSTR name, const RASENTRY& entry, const BYTE* devCfg, DWORD devCfgSize);
DWORD WriteDialParams(LPCWSTR name, LPCWSTR user, LPCWSTR domain, LPCWSTR password, bool removePassword);
DWORD ReadEntry(LPCWSTR name, StoredEntry* out);
DWORD DeleteEntry(LPCWSTR name);
std::vector<std::wstring> EntryNames();

}  // namespace ceras
