#include "phone/Companions.h"

#include <shellapi.h>

#include <cwchar>
#include <cwctype>

namespace {

const wchar_t* const kNames[kCompanionSlots] = {L"Kivo PIMS", L"Kivo Browser", L"Kivo GameBox",
                                                L"Kivo e-Book Reader", L"Kivo Channel"};
const wchar_t* const kMissing[kCompanionSlots] = {
    L"Kivo PIMS가\r\n설치되어 있지 않습니다.",          L"Kivo Browser가\r\n설치되어 있지 않습니다.",
    L"Kivo GameBox가\r\n설치되어 있지 않습니다.",       L"Kivo e-Book Reader가\r\n설치되어 있지 않습니다.",
    L"Kivo Channel이\r\n설치되어 있지 않습니다."};

void CopyCut(LPWSTR out, int outChars, LPCWSTR from, size_t count)
{
    if (!out || outChars <= 0)
        return;
    size_t n = 0;
    for (; n < count && from[n] && n < static_cast<size_t>(outChars - 1); ++n)
        out[n] = from[n];
    out[n] = 0;
}

}  // namespace

LPCWSTR CompanionName(int slot)
{
    return slot >= 0 && slot < kCompanionSlots ? kNames[slot] : nullptr;
}

LPCWSTR CompanionMissingText(int slot)
{
    return slot >= 0 && slot < kCompanionSlots ? kMissing[slot] : nullptr;
}

bool ReadCompanionPath(int slot, LPWSTR out, HKEY root)
{
    out[0] = 0;
    LPCWSTR name = CompanionName(slot);
    if (!name)
        return false;
    wchar_t key[128];
    swprintf(key, 128, L"SOFTWARE\\Veltana\\Apps\\%ls", name);
    HKEY k;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS)
        return false;
    wchar_t value[kCompanionPathChars + 1] = {};
    DWORD type = 0, bytes = sizeof value - sizeof(wchar_t);
    const LONG rc = RegQueryValueExW(k, L"InstallDir", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    value[bytes / sizeof(wchar_t)] = 0;
    const size_t length = wcslen(value);
    if (length == 0 || length >= static_cast<size_t>(kCompanionPathChars))
        return false;
    wcscpy(out, value);
    return true;
}

void SplitCompanionPath(LPCWSTR path, LPWSTR file, int fileChars, LPWSTR params, int paramChars)
{
    CopyCut(params, paramChars, L"", 0);
    if (!path) {
        CopyCut(file, fileChars, L"", 0);
        return;
    }
    const size_t length = wcslen(path);
    size_t at = length;
    for (size_t i = 0; i + 4 <= length; ++i) {
        if (path[i] == L'.' && std::towlower(path[i + 1]) == L'e' && std::towlower(path[i + 2]) == L'x' &&
            std::towlower(path[i + 3]) == L'e') {
            at = i;
            break;
        }
    }
    if (at == length) {
        CopyCut(file, fileChars, path, length);
        return;
    }
    CopyCut(file, fileChars, path, at + 4);
    if (length - (at + 4) > 1)
        CopyCut(params, paramChars, path + at + 5, length);
}

bool LaunchCompanion(LPCWSTR path)
{
    if (!path || !path[0])
        return false;
    wchar_t file[kCompanionPathChars], params[kCompanionPathChars];
    SplitCompanionPath(path, file, kCompanionPathChars, params, kCompanionPathChars);
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"open";
    sei.lpFile = file;
    sei.lpParameters = params[0] ? params : nullptr;
    sei.nShow = SW_SHOW;
    return ShellExecuteExW(&sei) != FALSE;
}
