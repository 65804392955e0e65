// Figures of the call stores: loading 1,000 calls, a filter pass, and the
// rejected-number check against 500 entries.
//   wine-run.sh stores_bench.exe
#include "bench/BenchClock.h"
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "stores/CCeCallListDB.h"
#include "stores/CCeDenyCallDB.h"
#include "stores/CCeNetDB.h"

namespace {

double Now() { return bench::NowMs(); }

using bench::Median;

double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

void Report(const char* what, const std::vector<double>& v) {
    printf("%-58s median %8.3f ms  max %8.3f ms  (%zu runs)\n", what, Median(v), Max(v), v.size());
}

// One figure measured in a new process, where nothing is cached yet.
std::vector<double> Cold(const char* mode, int runs) {
    std::vector<double> out;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (int run = 0; run < runs; ++run) {
        std::string cmd = std::string("\"") + self + "\" " + mode;
        FILE* p = _popen(cmd.c_str(), "r");
        double ms = 0;
        if (p && fscanf(p, "%lf", &ms) == 1) out.push_back(ms);
        if (p) _pclose(p);
    }
    return out;
}

double TimeLoad() {
    CCeCallListDB calls;
    double t0 = Now();
    calls.Load();
    double ms = Now() - t0;
    return calls.Count(0) == 1000 ? ms : -1;
}

double TimeIsRejected(const wchar_t* number) {
    CCeDenyCallDB deny;
    double t0 = Now();
    deny.IsRejected(number);
    return Now() - t0;
}

const wchar_t* kUnlisted = L"010-9999-0000";

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "--cold-load") == 0) {
        printf("%.3f\n", TimeLoad());
        return 0;
    }
    if (argc > 1 && strcmp(argv[1], "--cold-deny") == 0) {
        printf("%.3f\n", TimeIsRejected(kUnlisted));
        return 0;
    }
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    wcscat(folder, L"stores-bench");
    CreateDirectoryW(folder, nullptr);
    SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", folder);

    // Start from empty databases.
    CCeCallListDB calls;
    if (calls.OpenDefault(nullptr)) calls.DeleteDatabase();
    CCeDenyCallDB deny;
    if (deny.OpenDefault(nullptr)) deny.DeleteDatabase();

    std::vector<double> adds;
    for (int i = 0; i < 1000; ++i) {
        char number[32];
        snprintf(number, sizeof number, "010%08d", 10000000 + i * 7919 % 90000000);
        wchar_t name[32];
        swprintf(name, 32, L"이름 %d", i);
        ULONGLONG t = 0x01D5000000000000ull + static_cast<ULONGLONG>(i) * 3700 * 10000000ull;
        FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
        double t0 = Now();
        calls.Add(ft, number, 1 + i % 4, i % 900, i % 3 ? name : nullptr);
        adds.push_back(Now() - t0);
    }
    Report("call list Add (1,000 calls, one record each)", adds);

    Report("call list Load of 1,000 records, new process", Cold("--cold-load", 5));
    std::vector<double> warm;
    for (int run = 0; run < 10; ++run) warm.push_back(TimeLoad());
    Report("call list Load of 1,000 records, same process", warm);

    // A filter pass: the screen's count, then every passing item in order.
    CCeCallListDB screen;
    screen.Load();
    for (int filter = 0; filter <= 3; ++filter) {
        std::vector<double> pass;
        int seen = 0;
        for (int run = 0; run < 10; ++run) {
            double t0 = Now();
            int n = screen.Count(filter);
            int index = screen.SelectNext(filter, -1);
            for (seen = index < 0 ? 0 : 1; seen < n; ++seen) index = screen.SelectNext(filter, index);
            pass.push_back(Now() - t0);
        }
        char what[96];
        snprintf(what, sizeof what, "filter %d pass: Count and SelectNext over %d items", filter, seen);
        Report(what, pass);
    }

    for (int i = 0; i < 500; ++i) {
        wchar_t number[32], name[32];
        swprintf(number, 32, L"02-%03d-%04d", i, (i * 37) % 10000);
        swprintf(name, 32, L"거부 %03d", i);
        deny.Add(name, number);
    }
    Report("IsRejected, 500 entries, unlisted number, new process", Cold("--cold-deny", 5));
    std::vector<double> miss, hit;
    for (int run = 0; run < 20; ++run) {
        miss.push_back(TimeIsRejected(kUnlisted));
        hit.push_back(TimeIsRejected(L"02 499 8463"));
    }
    Report("IsRejected, 500 entries, unlisted number (full scan)", miss);
    Report("IsRejected, 500 entries, listed number", hit);

    CCeNetDB net;
    net.ResetUsage();
    std::vector<double> usage;
    for (int run = 0; run < 50; ++run) {
        double t0 = Now();
        net.AddUsage(1500);
        usage.push_back(Now() - t0);
    }
    Report("AddUsage", usage);
    return 0;
}
