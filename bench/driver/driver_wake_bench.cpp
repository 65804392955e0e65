// From a ring on the module to the phone: with the phone not running, the
// modem port driver (in the device manager's host) starts "Zentrika.EXE"
// from the installation folder, timed until the phone's window exists; with
// a program holding the port (as the running phone does), timed until its
// WaitCommEvent reports the ring.
#include "bench/BenchClock.h"
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ce_devmgr.h"
#include "ce_serialapi.h"
#include "sim/SimLink.h"
#include "sim/SimModule.h"

namespace {

const wchar_t kAppKey[] = L"SOFTWARE\\Apps\\Norvale Zentrika";

std::wstring ProgramDir()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

void Report(const char* what, const std::vector<double>& ms)
{
    if (ms.empty()) {
        std::printf("%-44s no samples\n", what);
        return;
    }
    double worst = 0;
    for (double v : ms)
        worst = v > worst ? v : worst;
    std::printf("%-44s n=%zu  median %.1f ms  worst %.1f ms\n", what, ms.size(), bench::Median(ms), worst);
}

bool WaitIdle(zen::sim::SimModule& module)
{
    DWORD start = GetTickCount();
    while (module.Call() != zen::sim::SimModule::CallState::Idle) {
        if (GetTickCount() - start > 10000)
            return false;
        Sleep(20);
    }
    Sleep(300);
    return true;
}

void ClosePhone(HWND phone)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(phone, &pid);
    HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    PostMessageW(phone, WM_CLOSE, 0, 0);
    if (p) {
        if (WaitForSingleObject(p, 5000) != WAIT_OBJECT_0)
            TerminateProcess(p, 1);
        CloseHandle(p);
    }
}

}  // namespace

int main()
{
    if (!CeDevMgrStartHost()) {
        std::printf("the device manager's host could not be started\n");
        return 1;
    }
    // An installation folder holding the phone as built.
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring dir = std::wstring(tmp) + L"zdrvbench" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    if (!CopyFileW((ProgramDir() + L"Zentrika.exe").c_str(), (dir + L"\\Zentrika.EXE").c_str(), FALSE)) {
        std::printf("Zentrika.exe not found beside the benchmark\n");
        return 1;
    }
    HKEY key;
    std::wstring oldDir;
    bool hadDir = false;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAppKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        wchar_t old[260];
        DWORD size = sizeof old - sizeof(wchar_t);
        hadDir = RegQueryValueExW(key, L"InstallDir", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) ==
                 ERROR_SUCCESS;
        if (hadDir) {
            old[size / sizeof(wchar_t)] = 0;
            oldDir = old;
        }
        RegSetValueExW(key, L"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.c_str()),
                       static_cast<DWORD>((dir.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

    zen::sim::SimModule module;
    zen::sim::SimLink link(module);
    const std::wstring pnp = L"ZenBench_Drv-" + std::to_wstring(GetCurrentProcessId());
    wchar_t name[16] = L"";
    if (!link.Start(L"drvbench" + std::to_wstring(GetCurrentProcessId())) ||
        !CeDevMgrRegisterDriver(pnp.c_str(), L"ZentDrv.dll", L"COM") ||
        !CeDevMgrInsertCard(pnp.c_str(), link.Link().c_str(), name, 16)) {
        std::printf("the card could not be inserted (%lu)\n", GetLastError());
        return 1;
    }
    module.SetRingTiming(2000, 800, 1);
    Sleep(500);  // the monitor arms

    std::vector<double> started;
    for (int round = 0; round < 5 && !FindWindowW(L"Norvale Zentrika", L"Zentrika"); ++round) {
        double t0 = bench::NowMs();
        module.Ring("0101234567");
        HWND phone = nullptr;
        while (!(phone = FindWindowW(L"Norvale Zentrika", L"Zentrika")) && bench::NowMs() - t0 < 10000)
            Sleep(1);
        if (!phone)
            break;
        started.push_back(bench::NowMs() - t0);
        ClosePhone(phone);
        if (!WaitIdle(module))
            break;
    }
    Report("ring -> phone started, window up", started);

    std::vector<double> told;
    HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE && SetCommMask(h, EV_RING)) {
        for (int round = 0; round < 10; ++round) {
            double t0 = bench::NowMs();
            module.Ring("0101234567");
            DWORD events = 0;
            if (!WaitCommEvent(h, &events, nullptr) || !(events & EV_RING))
                break;
            told.push_back(bench::NowMs() - t0);
            if (!WaitIdle(module))
                break;
        }
    }
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    Report("ring -> ring event at the port's holder", told);

    CeDevMgrRemoveCard(pnp.c_str());
    link.Stop();
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + pnp).c_str());
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        if (hadDir)
            RegSetValueExW(key, L"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(oldDir.c_str()),
                           static_cast<DWORD>((oldDir.size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteValueW(key, L"InstallDir");
        RegCloseKey(key);
    }
    DeleteFileW((dir + L"\\Zentrika.EXE").c_str());
    RemoveDirectoryW(dir.c_str());
    CeDevMgrShutdownHost();
    return 0;
}
