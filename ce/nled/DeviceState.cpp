#include "ce_devicestate.h"

#include <cwchar>

void* WINAPI CeDeviceStateMap(LPCWSTR name, DWORD size, BOOL create)
{
    wchar_t full[128];
    wchar_t id[32] = L"";
    GetEnvironmentVariableW(L"ZEN_DEVICE_ID", id, 32);
    id[31] = 0;
    swprintf(full, 128, L"Local\\ZenCe%ls%ls%ls", name, id[0] ? L"." : L"", id);
    HANDLE h = create ? CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, full)
                      : OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, full);
    if (!h)
        return nullptr;
    // The handle stays open with the view: the section lives while a process uses it.
    void* view = MapViewOfFile(h, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
    if (!view)
        CloseHandle(h);
    return view;
}
