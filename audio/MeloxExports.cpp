#include "audio/MeloxApi.h"

#include <cwchar>

namespace {
const wchar_t kModuleName[] = L"Melox";
}

void GetVersion(int* major, int* minor)
{
    if (major)
        *major = 0;
    if (minor)
        *minor = 1;
}

int GetModuleName(wchar_t* buffer)
{
    const size_t len = wcslen(kModuleName);
    if (!buffer)
        return static_cast<int>(len);
    // The caller announces its buffer's room by the text already in it.
    if (wcslen(buffer) < len)
        return 0;
    wcscpy(buffer, kModuleName);
    return 1;
}
