// The handheld's identity: Windows CE 3.0 on a handheld of type "PocketPC"
// (or whatever a test picks), and its "\Windows" folder.
#define CE_PLATFORM_NO_REMAP
#include "ce_platform.h"

#include <cwchar>

namespace {

const wchar_t kDefaultType[] = L"PocketPC";
wchar_t g_type[64] = L"";

}  // namespace

extern "C" void WINAPI CeSetPlatformType(LPCWSTR type)
{
    if (!type) {
        g_type[0] = 0;
        return;
    }
    wcsncpy(g_type, type, 63);
    g_type[63] = 0;
}

extern "C" BOOL WINAPI CeGetVersionExW(LPOSVERSIONINFOW info)
{
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD size = info->dwOSVersionInfoSize;
    memset(info, 0, sizeof(OSVERSIONINFOW));
    info->dwOSVersionInfoSize = size;
    info->dwMajorVersion = 3;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 11171;
    info->dwPlatformId = VER_PLATFORM_WIN32_CE;
    return TRUE;
}

extern "C" BOOL WINAPI CeSystemParametersInfoW(UINT action, UINT param, PVOID pv, UINT winIni)
{
    if (action == SPI_GETPLATFORMTYPE || action == SPI_GETOEMINFO) {
        // Unless this process picked a type, ZEN_PLATFORM_TYPE names it for
        // every module of the process (a set-up library has its own copy).
        wchar_t fromEnv[64] = L"";
        const DWORD envLen = GetEnvironmentVariableW(L"ZEN_PLATFORM_TYPE", fromEnv, 64);
        if (envLen >= 64)
            fromEnv[0] = 0;
        const wchar_t* text = action == SPI_GETOEMINFO ? L"Zentrika handheld"
                              : g_type[0]              ? g_type
                              : fromEnv[0]             ? fromEnv
                                                       : kDefaultType;
        const size_t need = wcslen(text) + 1;
        // param is the buffer's size in bytes.
        if (!pv || param < need * sizeof(wchar_t)) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        wmemcpy(static_cast<wchar_t*>(pv), text, need);
        return TRUE;
    }
    return SystemParametersInfoW(action, param, pv, winIni);
}

extern "C" BOOL WINAPI CeMapHandheldPath(LPCWSTR path, LPWSTR out, DWORD outChars)
{
    if (!path || !out || !outChars)
        return FALSE;
    const wchar_t prefix[] = L"\\Windows\\";
    const size_t plen = wcslen(prefix);
    if (_wcsicmp(path, L"\\Windows") == 0) {
        const UINT n = GetWindowsDirectoryW(out, outChars);
        return n && n < outChars;
    }
    if (_wcsnicmp(path, prefix, plen) == 0) {
        wchar_t dir[MAX_PATH];
        UINT n = GetWindowsDirectoryW(dir, MAX_PATH);
        if (!n || n >= MAX_PATH)
            return FALSE;
        const int written = _snwprintf(out, outChars, L"%ls\\%ls", dir, path + plen);
        if (written < 0 || static_cast<DWORD>(written) >= outChars) {
            out[outChars - 1] = 0;
            return FALSE;
        }
        return TRUE;
    }
    // Other handheld paths ("\Program Files\...", "\iPAQ File Store\...") lie
    // under the folder that stands for the handheld's file system: the one
    // set for tests, else the system drive (never the current one).
    wchar_t root[MAX_PATH] = L"";
    DWORD rootLen = GetEnvironmentVariableW(L"ZEN_HANDHELD_ROOT", root, MAX_PATH);
    if (!rootLen || rootLen >= MAX_PATH) {
        wchar_t dir[MAX_PATH];
        const UINT n = GetWindowsDirectoryW(dir, MAX_PATH);
        rootLen = (n >= 2 && n < MAX_PATH && dir[1] == L':') ? 2 : 0;
        wcsncpy(root, dir, rootLen);
        root[rootLen] = 0;
    }
    if (rootLen && rootLen < MAX_PATH && path[0] == L'\\' && path[1] != L'\\') {
        while (rootLen && (root[wcslen(root) - 1] == L'\\' || root[wcslen(root) - 1] == L'/'))
            root[wcslen(root) - 1] = 0;
        const int written = _snwprintf(out, outChars, L"%ls%ls", root, path);
        if (written < 0 || static_cast<DWORD>(written) >= outChars) {
            out[outChars - 1] = 0;
            return FALSE;
        }
        return TRUE;
    }
    if (wcslen(path) >= outChars)
        return FALSE;
    wcscpy(out, path);
    return TRUE;
}

extern "C" BOOL WINAPI CeCreateProcessW(LPCWSTR app, LPWSTR cmdLine, LPSECURITY_ATTRIBUTES pa,
                                        LPSECURITY_ATTRIBUTES ta, BOOL inherit, DWORD flags, LPVOID env,
                                        LPCWSTR dir, LPSTARTUPINFOW si, LPPROCESS_INFORMATION pi)
{
    // The handheld takes no start-up information; Win32 wants one.
    STARTUPINFOW local = {};
    local.cb = sizeof local;
    if (!si)
        si = &local;
    wchar_t mapped[MAX_PATH];
    if (app) {
        if (!CeMapHandheldPath(app, mapped, MAX_PATH)) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return FALSE;
        }
        app = mapped;
    }
    return CreateProcessW(app, cmdLine, pa, ta, inherit, flags, env, dir, si, pi);
}
