// devmgr_testdrv.dll: see TestDriver.h.
#include "TestDriver.h"

#include <cstring>
#include <mutex>
#include <string>

#include "ce_devmgr.h"
#include "ce_serialapi.h"

namespace {

struct Device {
    DWORD mode = 0;
    std::wstring name;
    HANDLE deinit = nullptr;  // signalled by Deinit
    volatile LONG dead = 0;
};

struct Open {
    Device* device;
};

std::mutex g_lock;
testdrv::Stats g_stats;
HANDLE g_selfOpenDone = nullptr;

void Log(const char* what)
{
    std::lock_guard<std::mutex> hold(g_lock);
    size_t len = std::strlen(g_stats.log);
    if (len + std::strlen(what) + 2 < sizeof g_stats.log) {
        std::strcat(g_stats.log, what);
        std::strcat(g_stats.log, ",");
    }
}

// Counts a call on `d`; one after Deinit is a fault of the device manager.
void Count(Device* d, LONG& counter)
{
    InterlockedIncrement(&counter);
    if (d && d->dead)
        InterlockedIncrement(&g_stats.late);
}

std::wstring ReadString(HKEY root, const std::wstring& key, const wchar_t* value)
{
    HKEY k;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return std::wstring();
    wchar_t buf[260] = L"";
    DWORD size = sizeof buf - sizeof(wchar_t);
    RegQueryValueExW(k, value, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    return buf;
}

DWORD ReadMode(const std::wstring& driverKey)
{
    HKEY k;
    DWORD mode = 0, size = sizeof mode;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, driverKey.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS) {
        RegQueryValueExW(k, L"Mode", nullptr, nullptr, reinterpret_cast<BYTE*>(&mode), &size);
        RegCloseKey(k);
    }
    return mode;
}

DWORD WINAPI OpenItself(LPVOID arg)
{
    Device* d = static_cast<Device*>(arg);
    HANDLE h = CreateFileW(d->name.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    g_stats.selfOpenError = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    SetEvent(g_selfOpenDone);
    return 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) void TST_Stats(testdrv::Stats* out)
{
    std::lock_guard<std::mutex> hold(g_lock);
    *out = g_stats;
}

__declspec(dllexport) void TST_Reset()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_stats = testdrv::Stats{};
    if (!g_selfOpenDone)
        g_selfOpenDone = CreateEventW(nullptr, TRUE, FALSE, L"ZenTestDrv.SelfOpenDone");
    ResetEvent(g_selfOpenDone);
}

__declspec(dllexport) DWORD_PTR TST_Init(DWORD_PTR activeKey)
{
    std::wstring key = reinterpret_cast<LPCWSTR>(activeKey);
    Device* d = new Device;  // kept for ever, so late calls are seen, not crashed on
    d->mode = ReadMode(ReadString(HKEY_LOCAL_MACHINE, key, L"Key"));
    d->name = ReadString(HKEY_LOCAL_MACHINE, key, L"Name");
    d->deinit = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    InterlockedIncrement(&g_stats.init);
    Log("Init");
    if (d->mode & testdrv::InitOpensItself) {
        CloseHandle(::CreateThread(nullptr, 0, OpenItself, d, 0, nullptr));
        Sleep(300);  // the open arrives while Init still runs
    }
    if (d->mode & testdrv::InitCallsControl) {
        DWORD start = GetTickCount();
        CeDevMgrRemoveCard(L"ZenTest_No_Such_Card");
        g_stats.controlError = GetLastError();
        g_stats.controlMs = GetTickCount() - start;
    }
    if (d->mode & testdrv::InitIsSlow)
        Sleep(9500);
    return reinterpret_cast<DWORD_PTR>(d);
}

__declspec(dllexport) BOOL TST_Deinit(DWORD_PTR device)
{
    Device* d = reinterpret_cast<Device*>(device);
    Count(d, g_stats.deinit);
    Log("Deinit");
    d->dead = 1;
    SetEvent(d->deinit);
    return TRUE;
}

__declspec(dllexport) DWORD_PTR TST_Open(DWORD_PTR device, DWORD, DWORD)
{
    Device* d = reinterpret_cast<Device*>(device);
    Count(d, g_stats.open);
    if (d->mode & testdrv::OpenBlocksUntilDeinit)
        WaitForSingleObject(d->deinit, INFINITE);  // a handle all the same, as a lending driver gives
    return reinterpret_cast<DWORD_PTR>(new Open{d});
}

__declspec(dllexport) BOOL TST_Close(DWORD_PTR open)
{
    Open* o = reinterpret_cast<Open*>(open);
    Count(o->device, g_stats.close);
    if (o->device->mode & testdrv::CloseFails) {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    return TRUE;
}

__declspec(dllexport) DWORD TST_Read(DWORD_PTR open, LPVOID, DWORD)
{
    Open* o = reinterpret_cast<Open*>(open);
    Count(o->device, g_stats.read);
    if (o->device->mode & testdrv::ReadBlocksUntilDeinit) {
        WaitForSingleObject(o->device->deinit, INFINITE);
        SetLastError(ERROR_DEVICE_REMOVED);
        return static_cast<DWORD>(-1);
    }
    return 0;
}

__declspec(dllexport) DWORD TST_Write(DWORD_PTR open, LPCVOID, DWORD count)
{
    Open* o = reinterpret_cast<Open*>(open);
    Count(o->device, g_stats.write);
    return count;
}

__declspec(dllexport) BOOL TST_IOControl(DWORD_PTR open, DWORD, PBYTE, DWORD, PBYTE, DWORD, PDWORD)
{
    Open* o = reinterpret_cast<Open*>(open);
    LONG unused = 0;
    Count(o->device, unused);
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

__declspec(dllexport) void TST_PowerUp(DWORD_PTR device)
{
    LONG unused = 0;
    Count(reinterpret_cast<Device*>(device), unused);
    Log("PowerUp");
}

__declspec(dllexport) void TST_PowerDown(DWORD_PTR device)
{
    LONG unused = 0;
    Count(reinterpret_cast<Device*>(device), unused);
    Log("PowerDown");
}

}  // extern "C"
