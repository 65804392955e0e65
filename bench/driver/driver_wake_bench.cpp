// From a ring on the module to the phone: with the phone not running, the
// modem port driver (in the device manager's host) starts "Zentrika.EXE"
// from the installation folder, timed until the phone's window exists and
// until its display says the call rings; with the phone running (it holds
// the port), timed until its display rings; and with a bare program holding
// the port, until its WaitCommEvent reports the ring.
#include "bench/BenchClock.h"
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "InstallDirOverride.h"
#include "InstallImage.h"
#include "ce_devmgr.h"
#include "ce_serialapi.h"
#include "sim/SimLink.h"
#include "sim/SimModule.h"

namespace {

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

void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(dir + L"\\" + name);
            else
                DeleteFileW((dir + L"\\" + name).c_str());
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
}

HWND FindPhone() { return FindWindowW(L"Norvale Zentrika", L"Zentrika"); }

// The phone's display says a call rings.
bool Ringing(HWND phone)
{
    HWND lcd = FindWindowExW(phone, nullptr, L"LCD WND", nullptr);
    wchar_t text[300] = L"";
    DWORD_PTR n = 0;
    return lcd && SendMessageTimeoutW(lcd, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000, &n) &&
           wcsstr(text, L"전화가 왔습니다.") != nullptr;
}

// Milliseconds from `t0` until the phone's display rings; negative after 10 s.
double UntilRinging(double t0)
{
    HWND phone = nullptr;
    while (bench::NowMs() - t0 < 10000) {
        if ((phone || (phone = FindPhone())) && Ringing(phone))
            return bench::NowMs() - t0;
        Sleep(2);
    }
    return -1;
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
    // An object store of its own, which the device manager's host and the
    // phone it starts inherit: settings left by other runs play no part.
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring store = std::wstring(tmp) + L"zdrvbench-store" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(store.c_str(), nullptr);
    SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", store.c_str());
    if (!CeDevMgrStartHost()) {
        std::printf("the device manager's host could not be started\n");
        return 1;
    }
    // An installation folder holding the phone as built, with its skin and sounds.
    const std::wstring dir = std::wstring(tmp) + L"zdrvbench" + std::to_wstring(GetCurrentProcessId());
    if (!installimage::Install(dir)) {
        std::printf("the installation image could not be copied\n");
        return 1;
    }
    if (!CopyFileW((ProgramDir() + L"Zentrika.exe").c_str(), (dir + L"\\Zentrika.EXE").c_str(), FALSE) ||
        !CopyFileW((ProgramDir() + L"Melox.dll").c_str(), (dir + L"\\Melox.dll").c_str(), FALSE)) {
        std::printf("Zentrika.exe or Melox.dll not found beside the benchmark\n");
        return 1;
    }
    auto install = std::make_unique<zentest::InstallDirOverride>(dir);

    zen::sim::SimModule module;
    zen::sim::SimLink link(module);
    // An identity the phone knows as the module's card.
    const std::wstring pnp = L"CDMA2000_1x_Zentrika_bench-" + std::to_wstring(GetCurrentProcessId());
    wchar_t name[16] = L"";
    if (!link.Start(L"drvbench" + std::to_wstring(GetCurrentProcessId())) ||
        !CeDevMgrRegisterDriver(pnp.c_str(), L"ZentDrv.dll", L"COM") ||
        !CeDevMgrInsertCard(pnp.c_str(), link.Link().c_str(), name, 16)) {
        std::printf("the card could not be inserted (%lu)\n", GetLastError());
        return 1;
    }
    module.SetRingTiming(2000, 800, 1);
    Sleep(500);  // the monitor arms

    std::vector<double> started, rang;
    for (int round = 0; round < 5 && !FindPhone(); ++round) {
        double t0 = bench::NowMs();
        module.Ring("0101234567");
        HWND phone = nullptr;
        while (!(phone = FindPhone()) && bench::NowMs() - t0 < 10000)
            Sleep(1);
        if (!phone)
            break;
        started.push_back(bench::NowMs() - t0);
        const double ringing = UntilRinging(t0);
        if (ringing >= 0)
            rang.push_back(ringing);
        module.RemoteHangUp();
        ClosePhone(phone);
        if (ringing < 0 || !WaitIdle(module))
            break;
    }
    Report("ring -> phone started, window up", started);
    Report("ring -> started phone's display rings", rang);

    // The phone started by the user holds the port; each call reaches it through its link.
    std::vector<double> running;
    {
        const std::wstring exe = dir + L"\\Zentrika.EXE";
        std::wstring cmd = L"\"" + exe + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            const double t0 = bench::NowMs();
            while (!FindPhone() && bench::NowMs() - t0 < 10000)
                Sleep(10);
            Sleep(3000);  // its link is open and the start-up queries are answered
            for (int round = 0; round < 10 && FindPhone(); ++round) {
                const double t1 = bench::NowMs();
                module.Ring("0101234567");
                const double ringing = UntilRinging(t1);
                if (ringing < 0)
                    break;
                running.push_back(ringing);
                module.RemoteHangUp();
                if (!WaitIdle(module))
                    break;
                Sleep(500);  // the missed call is shown
            }
            if (HWND phone = FindPhone())
                ClosePhone(phone);
            Sleep(500);  // the monitor has the port again
        }
    }
    Report("ring -> running phone's display rings", running);

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
    install.reset();
    RemoveTree(dir);
    RemoveTree(store);
    CeDevMgrShutdownHost();
    return 0;
}
