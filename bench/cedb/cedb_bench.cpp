// Figures of the database engine: loading a 1,000-record database (in a
// fresh process and again in the same one) and single record writes.
//   wine-run.sh cedb_bench.exe
#include "bench/BenchClock.h"
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "stores/CCeDataManager.h"
#include "windbase.h"

namespace {

const wchar_t* kDb = L"Bench CALLLIST DB";
constexpr CEPROPID kTime = 0x00010040;

double Now() { return bench::NowMs(); }

using bench::Median;

HANDLE OpenDb(CEPROPID sort) {
    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    CEOID oid = 0;
    return CeOpenDatabaseEx(&guid, &oid, const_cast<LPWSTR>(kDb), sort, CEDB_AUTOINCREMENT, nullptr);
}

CEOID WriteCall(HANDLE h, int i) {
    wchar_t number[32], name[32];
    swprintf(number, 32, L"011%07d", 1000000 + i * 7919 % 9000000);
    swprintf(name, 32, L"이름 %d", i);
    CEPROPVAL v[5] = {};
    v[0].propid = kTime;
    ULONGLONG t = 0x01C3000000000000ull + static_cast<ULONGLONG>(i) * 37 * 10000000ull;
    v[0].val.filetime = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    v[1].propid = 0x0002001F;
    v[1].val.lpwstr = number;
    v[2].propid = 0x0003001F;
    v[2].val.lpwstr = name;
    v[3].propid = 0x00040003;
    v[3].val.lVal = i % 600;
    v[4].propid = 0x00050003;
    v[4].val.lVal = i % 3;
    return CeWriteRecordProps(h, 0, 5, v);
}

// Open, read every record from the first in sort order, close: a store's load.
int LoadAll() {
    HANDLE h = OpenDb(kTime);
    int n = 0;
    CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr);
    for (;;) {
        LPBYTE buf = nullptr;
        DWORD size = 0;
        WORD count = 0;
        CEOID oid = CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &count, nullptr, &buf, &size, nullptr);
        if (buf) LocalFree(buf);
        if (!oid) break;
        ++n;
    }
    CloseHandle(h);
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "--cold") == 0) {
        double t0 = Now();
        int n = LoadAll();
        printf("%.3f %d\n", Now() - t0, n);
        return 0;
    }
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    wcscat(folder, L"cedb-bench");
    SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", folder);

    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    CEOID old = 0;
    HANDLE h = CeOpenDatabaseEx(&guid, &old, const_cast<LPWSTR>(kDb), 0, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        CeDeleteDatabaseEx(&guid, old);
    }
    CEDBASEINFO info{};
    info.dwFlags = 15;
    wcscpy(info.szDbaseName, kDb);
    info.wNumSortOrder = 1;
    info.rgSortSpecs[0] = {kTime, CEDB_SORT_DESCENDING};
    CeCreateDatabaseEx(&guid, &info);

    h = OpenDb(0);
    std::vector<double> writes;
    for (int i = 0; i < 1000; ++i) {
        double t0 = Now();
        WriteCall(h, i);
        writes.push_back(Now() - t0);
    }
    CloseHandle(h);
    printf("write of one new record (1,000 writes): median %.3f ms, max %.3f ms\n", Median(writes),
           *std::max_element(writes.begin(), writes.end()));

    // A fresh process each time: the engine reads and checks the whole file.
    std::vector<double> cold;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (int run = 0; run < 5; ++run) {
        std::string cmd = std::string("\"") + self + "\" --cold";
        FILE* p = _popen(cmd.c_str(), "r");
        double ms = 0;
        int n = 0;
        if (p && fscanf(p, "%lf %d", &ms, &n) == 2 && n == 1000) cold.push_back(ms);
        if (p) _pclose(p);
    }
    if (!cold.empty()) printf("load of 1,000 records, new process: median %.3f ms (%zu runs)\n", Median(cold), cold.size());

    std::vector<double> warm;
    for (int run = 0; run < 20; ++run) {
        double t0 = Now();
        LoadAll();
        warm.push_back(Now() - t0);
    }
    printf("load of 1,000 records, again in the same process: median %.3f ms\n", Median(warm));

    // The settings store: open, rewrite the 1836-byte block, close.
    CCeDataManager manager;
    manager.SetInstallDir(L"\\Program Files\\Zentrika");
    manager.m_EnvDB.Load();
    std::vector<double> saves;
    for (int i = 0; i < 200; ++i) {
        manager.m_Settings.nTotalOutSeconds = i;
        double t0 = Now();
        manager.m_EnvDB.Save();
        saves.push_back(Now() - t0);
    }
    printf("settings Save (open, write 1836 bytes, close): median %.3f ms, max %.3f ms\n", Median(saves),
           *std::max_element(saves.begin(), saves.end()));
    return 0;
}
