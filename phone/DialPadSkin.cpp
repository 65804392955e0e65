#include "phone/DialPadSkin.h"

#include <cwchar>

#include "phone/CCeMWndLcd.h"

namespace {

// left, top, width, height, key, enabled, latched
const MultiButtonCellDef kStandard[kDialPadKeys] = {
    {0, 1, 80, 40, 12, 1, 0},   {80, 1, 80, 40, 13, 1, 0},   {160, 1, 80, 40, 14, 1, 0},
    {0, 41, 80, 38, 1, 1, 0},   {80, 41, 80, 38, 2, 1, 0},   {160, 41, 80, 38, 3, 1, 0},
    {0, 78, 80, 38, 4, 1, 0},   {80, 78, 80, 38, 5, 1, 0},   {160, 78, 80, 38, 6, 1, 0},
    {0, 115, 80, 38, 7, 1, 0},  {80, 115, 80, 38, 8, 1, 0},  {160, 115, 80, 38, 9, 1, 0},
    {0, 152, 80, 38, 10, 1, 0}, {80, 152, 80, 38, 0, 1, 0},  {160, 152, 80, 38, 11, 1, 0},
};

const MultiButtonCellDef kType40[kDialPadKeys] = {
    {179, 17, 57, 62, 12, 1, 0}, {179, 79, 57, 51, 13, 1, 0}, {179, 130, 57, 51, 14, 1, 0},
    {3, 17, 57, 41, 1, 1, 0},    {60, 17, 57, 41, 2, 1, 0},   {117, 17, 57, 41, 3, 1, 0},
    {3, 58, 57, 41, 4, 1, 0},    {60, 58, 57, 41, 5, 1, 0},   {117, 58, 57, 41, 6, 1, 0},
    {3, 99, 57, 41, 7, 1, 0},    {60, 99, 57, 41, 8, 1, 0},   {117, 99, 57, 41, 9, 1, 0},
    {3, 140, 57, 41, 10, 1, 0},  {60, 140, 57, 41, 0, 1, 0},  {117, 140, 57, 41, 11, 1, 0},
};

bool Readable(LPCWSTR path)
{
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

}  // namespace

const MultiButtonCellDef* DialPadLayout(bool type40) { return type40 ? kType40 : kStandard; }

bool SkinFilePath(LPCWSTR installDir, LPCWSTR skin, LPCWSTR file, LPWSTR out, int chars)
{
    const int n = swprintf(out, chars, L"%ls\\Skin\\%ls\\%ls", installDir ? installDir : L"", skin ? skin : L"",
                           file);
    if (n < 0 || n >= chars) {
        if (chars > 0)
            out[0] = 0;
        return false;
    }
    return true;
}

int LoadDialPadSkin(SettingsBlock& settings, LPCWSTR installDir, CCeMMultiButton& pad, CCeMWndLcd& lcd,
                    int (*save)(void* context), void* context)
{
    wchar_t up[MAX_PATH], push[MAX_PATH];
    const auto form = [&](LPCWSTR skin) {
        SkinFilePath(installDir, skin, L"DialPad.bmp", up, MAX_PATH);
        SkinFilePath(installDir, skin, L"DialPad_Push.bmp", push, MAX_PATH);
    };
    form(settings.szSkinName);
    pad.LoadImageFiles(up, push, nullptr);
    if (!pad.Image(CCeMMultiButton::IMAGE_NORMAL)) {
        wcscpy(settings.szSkinName, L"default");
        if (save)
            save(context);
        form(settings.szSkinName);
        pad.LoadImageFiles(up, push, nullptr);
    }
    // The picture covers the display as well: the pad shows it from 58 rows down.
    pad.SetImageOrigin(0, -CCeMWndLcd::kHeight);

    wchar_t path[MAX_PATH];
    const bool type40 =
        SkinFilePath(installDir, settings.szSkinName, L"SkinType40.st", path, MAX_PATH) && Readable(path);
    pad.SetCells(DialPadLayout(type40), kDialPadKeys);

    SkinFilePath(installDir, settings.szSkinName, L"LED.bmp", path, MAX_PATH);
    lcd.LoadImage(path);
    lcd.SetBackground(pad.Image(CCeMMultiButton::IMAGE_NORMAL));
    return pad.Image(CCeMMultiButton::IMAGE_NORMAL) != nullptr;
}
