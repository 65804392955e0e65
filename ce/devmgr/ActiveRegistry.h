#pragma once
// The device manager's registry: driver registrations under
// HKLM "Drivers\PCMCIA" and the active devices under HKLM "Drivers\Active".
#include <windows.h>

#include <string>

namespace cedev {

struct DriverEntry {
    std::wstring key;     // "Drivers\PCMCIA\<PnP id>"
    std::wstring dll;
    std::wstring prefix;  // three letters, "COM"
    DWORD index = 0;      // device number when hasIndex
    bool hasIndex = false;
};

// Reads the registration of the driver for cards with `pnpId`.
bool ReadDriverEntry(const std::wstring& pnpId, DriverEntry& entry);

struct ActiveEntry {
    std::wstring path;  // "Drivers\Active\NN"
    std::wstring name;  // "COM3:"
};

// Chooses a free device number and a free "Drivers\Active\NN" and writes the
// key with "Key", "Name", "PnpId", "Hnd", "Sckt", "Link" and the owning
// process. Names are unique across every process of the session. FALSE with
// ERROR_TIMEOUT when another process keeps the active list locked.
bool CreateActiveEntry(const DriverEntry& driver, const std::wstring& pnpId, const std::wstring& link,
                       DWORD hnd, ActiveEntry& entry);
void DeleteActiveEntry(const std::wstring& path);
// Deletes active keys left by a device manager whose process has ended.
void RemoveStaleActiveEntries();

}  // namespace cedev
