// Registry values, the start-up link and the platform query of the agent.
#include "agent/AgentSettings.h"

#include <shlobj.h>

#include <cstdio>
#include <cwchar>

namespace agent {
namespace {

const wchar_t kOptionsKey[] = L"SOFTWARE\\Veltana\\Apps\\Kivo Phone";
const wchar_t kInstallKey[] = L"SOFTWARE\\Apps\\Norvale Zentrika";
const wchar_t kLinkName[] = L"\\ZentAgent.LNK";

bool StartupLinkPath(wchar_t* out)
{
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, TRUE))
        return false;
    return swprintf(out, MAX_PATH, L"%ls%ls", folder, kLinkName) > 0;
}

}  // namespace

bool ReadTaskBarShow()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kOptionsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD value = 0, type = 0, size = sizeof value;
    const LONG rc = RegQueryValueExW(key, L"TaskBarShow", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_DWORD && value == 1;
}

bool WriteTaskBarShow(bool show)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kOptionsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const DWORD value = show ? 1 : 0;
    const LONG rc =
        RegSetValueExW(key, L"TaskBarShow", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool StartupLinkExists()
{
    wchar_t path[MAX_PATH];
    return StartupLinkPath(path) && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool SetStartupLink(bool present, LPCWSTR installDir)
{
    wchar_t path[MAX_PATH];
    if (!StartupLinkPath(path))
        return false;
    if (!present)
        return DeleteFileW(path) || GetLastError() == ERROR_FILE_NOT_FOUND;
    // The handheld's shortcut: the target's length, '#', the quoted target.
    wchar_t target[MAX_PATH + 16];
    if (swprintf(target, MAX_PATH + 16, L"\"%ls\\ZentAgent.EXE\"", installDir ? installDir : L"") < 0)
        return false;
    wchar_t text[MAX_PATH + 32];
    swprintf(text, MAX_PATH + 32, L"%d#%ls", static_cast<int>(wcslen(target)), target);
    char bytes[(MAX_PATH + 32) * 2];
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    if (n <= 1)
        return false;
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(f, bytes, n - 1, &written, nullptr) && written == DWORD(n - 1);
    return CloseHandle(f) && ok;
}

bool ReadInstallDir(wchar_t* out, DWORD chars)
{
    if (!out || chars < 2)
        return false;
    out[0] = 0;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD type = 0, size = (chars - 1) * sizeof(wchar_t);
        const LONG rc = RegQueryValueExW(key, L"InstallDir", nullptr, &type, reinterpret_cast<BYTE*>(out), &size);
        RegCloseKey(key);
        if (rc == ERROR_SUCCESS && type == REG_SZ) {
            out[size / sizeof(wchar_t) < chars ? size / sizeof(wchar_t) : chars - 1] = 0;
            out[chars - 1] = 0;
            if (*out)
                return true;
        }
    }
    const DWORD n = GetModuleFileNameW(nullptr, out, chars);
    if (n == 0 || n >= chars) {
        out[0] = 0;
        return false;
    }
    wchar_t* slash = wcsrchr(out, L'\\');
    if (slash)
        *slash = 0;
    return *out != 0;
}

int PlatformFlag()
{
    OSVERSIONINFOW v = {};
    v.dwOSVersionInfoSize = sizeof v;
    // A desktop host runs the Pocket PC shell's stand-in: lay out as on a Pocket PC.
    if (!GetVersionExW(&v) || v.dwPlatformId != 3)
        return 1;
    wchar_t kind[64] = {};
    if (!SystemParametersInfoW(257, sizeof kind, kind, 0))
        return -1;
    kind[63] = 0;
    return wcscmp(kind, L"PocketPC") == 0 ? 1 : 0;
}

}  // namespace agent
