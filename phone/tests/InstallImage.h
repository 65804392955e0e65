#pragma once
// The build's installation image (skins, ring tones, effect sounds) copied to
// a short folder of the handheld, as the installer would lay it out.
#include <windows.h>

#include <string>

namespace installimage {

inline std::wstring ImageFolder()
{
    std::wstring path = L"Z:" ZEN_TEST_INSTALL_IMAGE;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

inline bool CopyTree(const std::wstring& from, const std::wstring& to)
{
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((from + L"\\*").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(from + L"\\" + name, to + L"\\" + name) && ok;
        else
            ok = CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE) && ok;
    } while (FindNextFileW(f, &fd));
    FindClose(f);
    return ok;
}

// The default skin, the ring tones and the effect sounds under `folder`.
inline bool Install(const std::wstring& folder)
{
    const std::wstring image = ImageFolder();
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\Skin").c_str(), nullptr);
    return CopyTree(image + L"\\Skin\\default", folder + L"\\Skin\\default") &&
           CopyTree(image + L"\\bell", folder + L"\\bell") && CopyTree(image + L"\\Effect", folder + L"\\Effect");
}

// Names `folder` as the installation folder in the registry; false on failure.
inline bool Register(const wchar_t* folder)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Apps\\Norvale Zentrika", 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExW(key, L"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                                   static_cast<DWORD>((wcslen(folder) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

inline void Unregister()
{
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Apps\\Norvale Zentrika");
}

}  // namespace installimage
