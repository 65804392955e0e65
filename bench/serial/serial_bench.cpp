// How fast the module's port is through the device manager: AT round trips,
// ring event delivery and bulk writes, with the simulator in this process.
#include "bench/BenchClock.h"
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ce_devmgr.h"
#include "ce_serialapi.h"
#include "sim/SimLink.h"
#include "sim/SimModule.h"

namespace {

double Now() { return bench::NowMs(); }

std::string ReadUntil(HANDLE h, const std::string& end)
{
    std::string got;
    DWORD start = GetTickCount();
    while (got.find(end) == std::string::npos && GetTickCount() - start < 3000) {
        char buf[256];
        DWORD n = 0;
        if (!ReadFile(h, buf, sizeof buf, &n, nullptr))
            break;
        got.append(buf, n);
        if (!n) {
            DWORD ev;
            WaitCommEvent(h, &ev, nullptr);
        }
    }
    return got;
}

void Report(const char* what, std::vector<double>& ms)
{
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms)
        sum += v;
    std::printf("%-34s n=%zu  mean %.3f ms  median %.3f ms  p95 %.3f ms\n", what, ms.size(), sum / ms.size(),
                ms[ms.size() / 2], ms[ms.size() * 95 / 100]);
}

}  // namespace

int main()
{
    if (!CeDevMgrStartInProcess()) {
        std::printf("a device manager runs already in this session\n");
        return 1;
    }
    zen::sim::SimModule module;
    zen::sim::SimLink link(module);
    std::wstring pnp = L"ZenBench_Card-" + std::to_wstring(GetCurrentProcessId());
    wchar_t name[16];
    if (!link.Start(L"bench" + std::to_wstring(GetCurrentProcessId())) ||
        !CeDevMgrRegisterDriver(pnp.c_str(), L"Serial.dll", L"COM") ||
        !CeDevMgrInsertCard(pnp.c_str(), link.Link().c_str(), name, 16)) {
        std::printf("card insertion failed (%lu)\n", GetLastError());
        return 1;
    }

    double t0 = Now();
    HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    double openMs = Now() - t0;
    COMMTIMEOUTS t{MAXDWORD, 0, 0, 0, 0};
    SetCommTimeouts(h, &t);
    SetCommMask(h, EV_RXCHAR | EV_RING);
    std::printf("open %S: %.3f ms\n", name, openMs);

    std::vector<double> at;
    for (int i = 0; i < 300; ++i) {
        double s = Now();
        DWORD n;
        WriteFile(h, "AT$PING?\r\n", 10, &n, nullptr);
        ReadUntil(h, "OK\r\n\n");
        at.push_back(Now() - s);
    }
    Report("AT$PING? round trip", at);

    std::vector<double> ring;
    module.SetRingTiming(60000, 20, 1);
    for (int i = 0; i < 50; ++i) {
        PurgeComm(h, PURGE_RXCLEAR);
        SetCommMask(h, EV_RING);
        double s = Now();
        module.Ring("0101234567");
        DWORD ev = 0;
        WaitCommEvent(h, &ev, nullptr);
        ring.push_back(Now() - s);
        module.RemoteHangUp();
    }
    Report("ring to EV_RING", ring);

    std::vector<char> block(4096, ' ');
    double s = Now();
    DWORD total = 0;
    for (int i = 0; i < 256; ++i) {
        DWORD n = 0;
        WriteFile(h, block.data(), static_cast<DWORD>(block.size()), &n, nullptr);
        total += n;
    }
    double ms = Now() - s;
    std::printf("bulk write %lu bytes in 4 KB writes: %.1f ms (%.2f MB/s)\n", total, ms, total / ms / 1000.0);

    CloseHandle(h);
    CeDevMgrRemoveCard(pnp.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + pnp).c_str());
    link.Stop();
    CeDevMgrStopInProcess();
    return 0;
}
