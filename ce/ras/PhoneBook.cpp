#include "PhoneBook.h"

#include <wincrypt.h>

namespace ceras {
namespace {

const wchar_t kBook[] = L"Comm\\RasBook";

std::wstring KeyOf(LPCWSTR name) { return std::wstring(kBook) + L"\\" + name; }

DWORD SetString(HKEY key, LPCWSTR value, LPCWSTR text)
{
    const std::wstring s = text ? text : L"";
    return RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                          static_cast<DWORD>((s.size() + 1) * sizeof(wchar_t)));
}

std::vector<BYTE> GetBinary(HKEY key, LPCWSTR value, DWORD maxSize)
{
    DWORD size = 0, type = 0;
    if (RegQueryValueExW(key, value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_BINARY ||
        size > maxSize)
        return {};
    std::vector<BYTE> out(size);
    if (size && RegQueryValueExW(key, value, nullptr, &type, out.data(), &size) != ERROR_SUCCESS)
        return {};
    out.resize(size);
    return out;
}

// The password is kept sealed to this user, as the handheld does.
std::vector<BYTE> Seal(const std::wstring& password)
{
    DATA_BLOB in = {static_cast<DWORD>(password.size() * sizeof(wchar_t)),
                    reinterpret_cast<BYTE*>(const_cast<wchar_t*>(password.c_str()))};
    DATA_BLOB out = {};
    if (!CryptProtectData(&in, L"RAS", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return {};
    std::vector<BYTE> sealed(out.pbData, out.pbData + out.cbData);
    LocalFree(out.pbData);
    return sealed;
}

bool Unseal(const std::vector<BYTE>& sealed, std::wstring* password)
{
    DATA_BLOB in = {static_cast<DWORD>(sealed.size()), const_cast<BYTE*>(sealed.data())};
    DATA_BLOB out = {};
    if (sealed.empty() || !CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return false;
    password->assign(reinterpret_cast<wchar_t*>(out.pbData), out.cbData / sizeof(wchar_t));
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return true;
}

}  // namespace

std::wstring GetString(HKEY key, LPCWSTR value)
{
    wchar_t buf[UNLEN + 1] = L"";
    DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::wstring();
    buf[size / sizeof(wchar_t)] = 0;
    return buf;
}

bool ValidEntryName(LPCWSTR name)
{
    if (!name || !name[0])
        return false;
    size_t n = 0;
    for (; name[n]; ++n)
        if (n >= RAS_MaxEntryName || name[n] < 0x20 || name[n] == L'\\')
            return false;
    return true;
}

DWORD WriteEntry(LPCWSTR name, const RASENTRY& entry, const BYTE* devCfg, DWORD devCfgSize)
{
    HKEY key;
    DWORD rc = RegCreateKeyExW(HKEY_CURRENT_USER, KeyOf(name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                               nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = RegSetValueExW(key, L"Entry", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&entry), sizeof entry);
    if (rc == ERROR_SUCCESS) {
        if (devCfg && devCfgSize)
            rc = RegSetValueExW(key, L"DevCfg", 0, REG_BINARY, devCfg, devCfgSize);
        else
            RegDeleteValueW(key, L"DevCfg");
    }
    RegCloseKey(key);
    return rc;
}

DWORD WriteDialParams(LPCWSTR name, LPCWSTR user, LPCWSTR domain, LPCWSTR password, bool removePassword)
{
    HKEY key;
    DWORD rc = RegOpenKeyExW(HKEY_CURRENT_USER, KeyOf(name).c_str(), 0, KEY_ALL_ACCESS, &key);
    if (rc != ERROR_SUCCESS)
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    rc = SetString(key, L"User", user);
    if (rc == ERROR_SUCCESS)
        rc = SetString(key, L"Domain", domain);
    if (rc == ERROR_SUCCESS) {
        if (removePassword) {
            RegDeleteValueW(key, L"Password");
        } else {
            const std::vector<BYTE> sealed = Seal(password ? password : L"");
            rc = sealed.empty() ? ERROR_ENCRYPTION_FAILED
                                : RegSetValueExW(key, L"Password", 0, REG_BINARY, sealed.data(),
                                                 static_cast<DWORD>(sealed.size()));
        }
    }
    RegCloseKey(key);
    return rc;
}

DWORD ReadEntry(LPCWSTR name, StoredEntry* out)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyOf(name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    const std::vector<BYTE> entry = GetBinary(key, L"Entry", sizeof(RASENTRY));
    if (entry.size() != sizeof(RASENTRY)) {
        RegCloseKey(key);
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    }
    memcpy(&out->entry, entry.data(), sizeof(RASENTRY));
    out->devCfg = GetBinary(key, L"DevCfg", 4096);
    out->user = GetString(key, L"User");
    out->domain = GetString(key, L"Domain");
    out->password.clear();
    out->hasPassword = Unseal(GetBinary(key, L"Password", 4096), &out->password);
    RegCloseKey(key);
    return ERROR_SUCCESS;
}

DWORD DeleteEntry(LPCWSTR name)
{
    const DWORD rc = RegDeleteTreeW(HKEY_CURRENT_USER, KeyOf(name).c_str());
    if (rc == ERROR_SUCCESS)
        RegDeleteKeyW(HKEY_CURRENT_USER, KeyOf(name).c_str());
    return rc == ERROR_SUCCESS ? ERROR_SUCCESS : ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
}

std::vector<std::wstring> EntryNames()
{
    std::vector<std::wstring> names;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBook, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (ValidEntryName(name))
            names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

}  // namespace ceras
