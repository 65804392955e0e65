#pragma once
// What installer tests look at: files, folders and registry values, and the
// folder trees they make and throw away.
#include <windows.h>

#include <string>

namespace insttest {

inline bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(dir + L"\\" + name);
            else
                DeleteFileW((dir + L"\\" + name).c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

inline std::wstring RegText(HKEY root, const std::wstring& key, const wchar_t* value)
{
    wchar_t buf[MAX_PATH] = L"<missing>";
    DWORD size = sizeof buf;
    RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, buf, &size);
    return buf;
}

inline bool KeyExists(HKEY root, const std::wstring& key)
{
    HKEY k;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

}  // namespace insttest
