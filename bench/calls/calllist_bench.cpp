// The call list screen with 1,000 calls: opening it (the store loaded and
// the first page drawn) and switching the kind filter (page refilled and
// drawn), on a private object store.
// Needs the display the UI tests use:
//   scripts/wineserver-ctl.sh start build/wineprefix build/wine-state
//   build/wine-run.sh build/bin/calllist_bench.exe
#include "bench/BenchClock.h"
#include <windows.h>

#include <cstdio>
#include <vector>

#include "CeDbTestUtil.h"
#include "screens/calls/CCeMWndCallList.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMToolkit.h"

namespace {

constexpr int kCalls = 1000;
constexpr int kRuns = 30;

void Report(const char* what, const std::vector<double>& v) { bench::Report(what, v, 52); }

void Fill(CCeCallListDB& db)
{
    SYSTEMTIME t{};
    t.wYear = 2024;
    t.wMonth = 1;
    t.wDay = 1;
    FILETIME f{};
    SystemTimeToFileTime(&t, &f);
    ULARGE_INTEGER at{};
    at.LowPart = f.dwLowDateTime;
    at.HighPart = f.dwHighDateTime;
    char number[16];
    for (int i = 0; i < kCalls; ++i) {
        at.QuadPart += 37ull * 60 * 10000000;  // a call every 37 minutes
        f.dwLowDateTime = at.LowPart;
        f.dwHighDateTime = at.HighPart;
        std::snprintf(number, sizeof number, "010%07d", i);
        db.Add(f, number, 1 + i % 4, i % 5 ? 30 + i : 0, i % 3 ? nullptr : L"홍길동");
    }
}

}  // namespace

int main()
{
    ToolkitInit(GetModuleHandleW(nullptr));
    cedbtest::ScopedStore store(L"calllist-bench");
    static CCeDataManager data;
    data.SetInstallDir(store.Folder().c_str());
    data.m_EnvDB.Load();
    Fill(data.m_CallListDB);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZenCallsBenchHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                                wc.hInstance, nullptr);
    CCeMWndCallList screen(data);
    if (!screen.CreateScreen(host, {0, 84, 240, 190}, 3)) {
        std::printf("call list: no window\n");
        return 1;
    }
    HWND combo = GetDlgItem(screen.GetHwnd(), CCeMWndCallList::kFilterId);

    std::vector<double> open, filter;
    for (int run = 0; run < kRuns; ++run) {
        ShowWindow(screen.GetHwnd(), SW_HIDE);
        const double t0 = bench::NowMs();
        ShowWindow(screen.GetHwnd(), SW_SHOW);
        UpdateWindow(screen.GetHwnd());
        UpdateWindow(screen.List().GetHwnd());
        open.push_back(bench::NowMs() - t0);

        const int kind = 1 + run % 3;
        const double t1 = bench::NowMs();
        SendMessageW(combo, CB_SETCURSEL, kind, 0);
        SendMessageW(screen.GetHwnd(), WM_COMMAND, MAKEWPARAM(CCeMWndCallList::kFilterId, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        UpdateWindow(screen.GetHwnd());
        UpdateWindow(screen.List().GetHwnd());
        filter.push_back(bench::NowMs() - t1);
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
        SendMessageW(screen.GetHwnd(), WM_COMMAND, MAKEWPARAM(CCeMWndCallList::kFilterId, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }
    std::printf("call list screen with %d calls (%d in the store)\n", kCalls, data.m_CallListDB.Count(0));
    Report("open: store loaded, first page drawn", open);
    Report("switch filter: page refilled, list and header drawn", filter);
    screen.Destroy();
    DestroyWindow(host);
    ToolkitInit(nullptr);
    return 0;
}
