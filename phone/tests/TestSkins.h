#pragma once
// The skins the build draws, copied to an installation folder whose paths
// stay short (bitmap records keep names of at most 64 characters).
#include <windows.h>

#include <string>

#include "phone/DialPadSkin.h"

namespace testskins {

inline const wchar_t kInstall[] = L"C:\\zentest";

inline std::wstring BuiltSkinFolder()
{
    std::wstring path = L"Z:" ZEN_TEST_INSTALL_IMAGE L"/Skin";
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

inline bool CopySkin(const wchar_t* skin, const wchar_t* as)
{
    const std::wstring from = BuiltSkinFolder() + L"\\" + skin + L"\\";
    const std::wstring to = std::wstring(kInstall) + L"\\Skin\\" + as + L"\\";
    CreateDirectoryW(kInstall, nullptr);
    CreateDirectoryW((std::wstring(kInstall) + L"\\Skin").c_str(), nullptr);
    CreateDirectoryW(to.c_str(), nullptr);
    bool ok = true;
    for (const wchar_t* f : {L"DialPad.bmp", L"DialPad_Push.bmp", L"LED.bmp"})
        ok = CopyFileW((from + f).c_str(), (to + f).c_str(), FALSE) && ok;
    if (GetFileAttributesW((from + L"SkinType40.st").c_str()) != INVALID_FILE_ATTRIBUTES)
        ok = CopyFileW((from + L"SkinType40.st").c_str(), (to + L"SkinType40.st").c_str(), FALSE) && ok;
    return ok;
}

// Screen point at the centre of a key of the standard layout.
inline POINT KeyCentre(const CCeMMultiButton& pad, int key)
{
    const MultiButtonCellDef* cells = DialPadLayout(false);
    for (int i = 0; i < kDialPadKeys; ++i)
        if (cells[i].id == key) {
            POINT p = {cells[i].left + cells[i].width / 2, cells[i].top + cells[i].height / 2};
            ClientToScreen(pad.GetHwnd(), &p);
            return p;
        }
    return {};
}

}  // namespace testskins
