#include "ce/devmgr/ActiveRegistry.h"

#include <set>

#include "ce/devmgr/DevProtocol.h"

namespace cedev {
namespace {

const wchar_t kActive[] = L"Drivers\\Active";
const wchar_t kOwnerValue[] = L"HostPid";
// 1 and 2 stand for the handheld's own serial and infrared ports.
const DWORD kIndexOrder[] = {3, 4, 5, 6, 7, 8, 9, 1, 2, 0};

// How long another process may hold the active list before we give up.
constexpr DWORD kRegistryWaitMs = 5000;

class RegistryLock {
public:
    RegistryLock() : mutex_(CreateMutexW(nullptr, FALSE, kRegistryMutex))
    {
        // An abandoned mutex is ours all the same (its holder died).
        DWORD r = mutex_ ? WaitForSingleObject(mutex_, kRegistryWaitMs) : WAIT_FAILED;
        owned_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
    ~RegistryLock()
    {
        if (owned_)
            ReleaseMutex(mutex_);
        if (mutex_)
            ::CloseHandle(mutex_);
    }
    bool Owned() const { return owned_; }

private:
    HANDLE mutex_;
    bool owned_ = false;
};

std::wstring ReadString(HKEY key, const wchar_t* value)
{
    wchar_t buf[512];
    DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    buf[size / sizeof(wchar_t)] = 0;
    return buf;
}

bool ReadDword(HKEY key, const wchar_t* value, DWORD& out)
{
    DWORD size = sizeof out, type = 0;
    return RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(&out), &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
}

void SetString(HKEY key, const wchar_t* value, const std::wstring& s)
{
    RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                   static_cast<DWORD>((s.size() + 1) * sizeof(wchar_t)));
}

void SetDword(HKEY key, const wchar_t* value, DWORD v)
{
    RegSetValueExW(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

template <typename Fn>
void ForEachActive(Fn fn)
{
    HKEY active;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kActive, 0, KEY_READ, &active) != ERROR_SUCCESS)
        return;
    wchar_t sub[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (RegEnumKeyExW(active, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY k;
        if (RegOpenKeyExW(active, sub, 0, KEY_READ, &k) == ERROR_SUCCESS) {
            fn(std::wstring(sub), k);
            RegCloseKey(k);
        }
    }
    RegCloseKey(active);
}

bool ProcessAlive(DWORD pid)
{
    if (pid == GetCurrentProcessId())
        return true;
    HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!p)
        return false;
    bool alive = WaitForSingleObject(p, 0) == WAIT_TIMEOUT;
    ::CloseHandle(p);
    return alive;
}

}  // namespace

bool ReadDriverEntry(const std::wstring& pnpId, DriverEntry& entry)
{
    entry = DriverEntry{};
    entry.key = L"Drivers\\PCMCIA\\" + pnpId;
    HKEY k;
    if (pnpId.empty() || RegOpenKeyExW(HKEY_LOCAL_MACHINE, entry.key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    entry.dll = ReadString(k, L"Dll");
    entry.prefix = ReadString(k, L"Prefix");
    entry.hasIndex = ReadDword(k, L"Index", entry.index) && entry.index <= 9;
    RegCloseKey(k);
    return !entry.dll.empty() && entry.prefix.size() == 3;
}

bool CreateActiveEntry(const DriverEntry& driver, const std::wstring& pnpId, const std::wstring& link,
                       DWORD hnd, ActiveEntry& entry)
{
    RegistryLock hold;
    if (!hold.Owned()) {
        SetLastError(ERROR_TIMEOUT);
        return false;
    }
    std::set<std::wstring> names;
    ForEachActive([&](const std::wstring&, HKEY k) {
        std::wstring n = ReadString(k, L"Name");
        CharUpperW(&n[0]);
        names.insert(n);
    });
    std::wstring prefix = driver.prefix;
    CharUpperW(&prefix[0]);
    entry.name.clear();
    for (DWORD index : kIndexOrder) {
        if (driver.hasIndex && index != driver.index)
            continue;
        std::wstring name = prefix + std::to_wstring(index) + L":";
        if (!names.count(name)) {
            entry.name = driver.prefix + std::to_wstring(index) + L":";
            break;
        }
    }
    if (entry.name.empty()) {
        SetLastError(ERROR_BUSY);
        return false;
    }
    for (int nn = 1; nn < 100; ++nn) {
        wchar_t sub[32];
        wsprintfW(sub, L"%s\\%02d", kActive, nn);
        HKEY k;
        DWORD disposition = 0;
        // Volatile, as on the device where the active list is rebuilt at boot:
        // an entry never outlives the session, even when process ids repeat.
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, sub, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &k, &disposition) != ERROR_SUCCESS)
            return false;
        if (disposition != REG_CREATED_NEW_KEY) {
            RegCloseKey(k);
            continue;
        }
        entry.path = sub;
        SetString(k, L"Key", driver.key);
        SetString(k, L"Name", entry.name);
        SetString(k, L"PnpId", pnpId);
        SetDword(k, L"Hnd", hnd);
        SetDword(k, L"Sckt", 0);
        SetString(k, L"Link", link);
        SetDword(k, kOwnerValue, GetCurrentProcessId());
        RegCloseKey(k);
        return true;
    }
    SetLastError(ERROR_BUSY);
    return false;
}

void DeleteActiveEntry(const std::wstring& path)
{
    if (!path.empty())
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
}

void RemoveStaleActiveEntries()
{
    RegistryLock hold;
    if (!hold.Owned())
        return;  // tidied up by the next start
    std::set<std::wstring> stale;
    ForEachActive([&](const std::wstring& sub, HKEY k) {
        DWORD pid = 0;
        if (ReadDword(k, kOwnerValue, pid) && !ProcessAlive(pid))
            stale.insert(sub);
    });
    for (const std::wstring& sub : stale)
        DeleteActiveEntry(std::wstring(kActive) + L"\\" + sub);
}

}  // namespace cedev
