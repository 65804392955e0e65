#pragma once
// The phone's "InstallDir" pointed at a folder of the test's while the object
// lives, and put back as it was (or removed when there was none) afterwards.
#include <windows.h>

#include <string>

namespace zentest {

class InstallDirOverride {
public:
    explicit InstallDirOverride(const std::wstring& dir)
    {
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr) !=
            ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        wchar_t old[MAX_PATH + 1] = {};
        DWORD size = sizeof old - sizeof(wchar_t), type = 0;
        had_ = RegQueryValueExW(key_, L"InstallDir", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
                   ERROR_SUCCESS &&
               type == REG_SZ;
        if (had_)
            old_.assign(old, wcsnlen(old, size / sizeof(wchar_t)));
        set_ = Write(dir);
    }
    ~InstallDirOverride()
    {
        if (!key_)
            return;
        if (had_)
            Write(old_);
        else
            RegDeleteValueW(key_, L"InstallDir");
        RegCloseKey(key_);
    }
    InstallDirOverride(const InstallDirOverride&) = delete;
    InstallDirOverride& operator=(const InstallDirOverride&) = delete;

    // The folder is the installation folder now.
    bool Set() const { return set_; }

private:
    bool Write(const std::wstring& dir)
    {
        return RegSetValueExW(key_, L"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.c_str()),
                              static_cast<DWORD>((dir.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

    static constexpr const wchar_t* kKey = L"SOFTWARE\\Apps\\Norvale Zentrika";
    HKEY key_ = nullptr;
    bool had_ = false;
    bool set_ = false;
    std::wstring old_;
};

}  // namespace zentest
