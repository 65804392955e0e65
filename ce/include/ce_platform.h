#pragma once
// The handheld's identity and its "\Windows" folder.
//
// Code written for the handheld asks GetVersionExW for the Windows CE
// platform and SystemParametersInfoW(SPI_GETPLATFORMTYPE) for the handheld's
// type ("PocketPC", "Palm PC2", ...), and starts programs by their handheld
// paths ("\Windows\iexplore.exe"). Under Wine those answer for the desktop,
// so such code includes this header: the three calls go to the Ce* functions
// below, which answer as the handheld does and map a path under "\Windows\"
// to the system folder (other handheld paths lie under the folder named by
// the environment variable ZEN_HANDHELD_ROOT, when set). Every other
// request goes to Win32 unchanged. With
// CE_PLATFORM_NO_REMAP defined only the Ce* functions are declared.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef VER_PLATFORM_WIN32_CE
#define VER_PLATFORM_WIN32_CE 3
#endif
#ifndef SPI_GETPLATFORMTYPE
#define SPI_GETPLATFORMTYPE 257
#endif
#ifndef SPI_GETOEMINFO
#define SPI_GETOEMINFO 258
#endif

BOOL WINAPI CeGetVersionExW(LPOSVERSIONINFOW info);
BOOL WINAPI CeSystemParametersInfoW(UINT action, UINT param, PVOID pv, UINT winIni);
BOOL WINAPI CeCreateProcessW(LPCWSTR app, LPWSTR cmdLine, LPSECURITY_ATTRIBUTES pa, LPSECURITY_ATTRIBUTES ta,
                             BOOL inherit, DWORD flags, LPVOID env, LPCWSTR dir, LPSTARTUPINFOW si,
                             LPPROCESS_INFORMATION pi);

// Not on the handheld: the type this process reports ("PocketPC" unless
// set here or by the environment variable ZEN_PLATFORM_TYPE; tests and tools
// pick another). Null restores the default.
void WINAPI CeSetPlatformType(LPCWSTR type);
// Not on the handheld: a handheld path ("\Windows\x.exe") as a path of this
// system; "\x" goes under ZEN_HANDHELD_ROOT when set; other paths are copied.
// FALSE when it does not fit.
BOOL WINAPI CeMapHandheldPath(LPCWSTR path, LPWSTR out, DWORD outChars);

#ifdef __cplusplus
}
#endif

#ifndef CE_PLATFORM_NO_REMAP
#undef GetVersionExW
#define GetVersionExW CeGetVersionExW
#undef SystemParametersInfoW
#define SystemParametersInfoW CeSystemParametersInfoW
#undef CreateProcessW
#define CreateProcessW CeCreateProcessW
#endif
