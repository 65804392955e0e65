#include "setup/PlatformKind.h"

#include <ce_platform.h>

#include <cwchar>

int PlatformKind()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_CE)
        return -1;
    wchar_t type[64] = L"";
    if (!SystemParametersInfoW(SPI_GETPLATFORMTYPE, sizeof type, type, 0))
        return -1;
    type[63] = 0;
    if (wcscmp(type, L"PocketPC") == 0)
        return 1;
    if (wcscmp(type, L"Palm PC2") == 0)
        return 0;
    return -1;
}
