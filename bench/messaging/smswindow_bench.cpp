// The message window with 1,000 stored messages: opening it (the store read
// from its database, the window made, shown and its first page drawn) and
// scrolling the list one page (rows refilled and drawn), on a private
// object store.
// Needs the display the UI tests use:
//   scripts/wineserver-ctl.sh start build/wineprefix build/wine-state
//   build/wine-run.sh build/bin/smswindow_bench.exe
#include "bench/BenchClock.h"
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "CeDbTestUtil.h"
#include "modem/CodePage.h"
#include "screens/messaging/CCeMWndSMS.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMToolkit.h"

namespace {

constexpr int kMessages = 1000;
constexpr int kRuns = 20;
constexpr int kPages = 30;

void Report(const char* what, const std::vector<double>& v) { bench::Report(what, v, 56); }

// Received texts in reports of five, every tenth a sent one.
void Fill(CCeSmsDB& db)
{
    ModemSmsRecord batch[5] = {};
    int n = 0;
    while (n < kMessages) {
        if (n % 10 == 9) {
            db.AddSent(L"0105550000", L"보낸 메시지입니다", kSmsSent, L"");
            ++n;
            continue;
        }
        int k = 0;
        for (; k < 5 && n + k < kMessages && (n + k) % 10 != 9; ++k) {
            ModemSmsRecord& r = batch[k];
            std::snprintf(r.timeStamp, sizeof r.timeStamp, "2026120%d%06d", 1 + (n + k) % 7, 100000 + n + k);
            std::snprintf(r.number, sizeof r.number, "010%07d", n + k);
            std::snprintf(r.teleservice, sizeof r.teleservice, "%d", (n + k) % 17 ? 4098 : 4099);
            std::snprintf(r.body, sizeof r.body, "message %d: \xC8\xAB\xB1\xE6\xB5\xBF", n + k);
        }
        db.AddReceived(batch, k);
        n += k;
    }
}

}  // namespace

int main()
{
    ToolkitInit(GetModuleHandleW(nullptr));
    UseDioHanConversion();
    cedbtest::ScopedStore store(L"smswindow-bench");
    {
        CCeSmsDB db(nullptr);
        Fill(db);
    }

    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZenSmsBenchHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                                wc.hInstance, nullptr);

    std::vector<double> open, page;
    int stored = 0;
    for (int run = 0; run < kRuns; ++run) {
        // A fresh data manager each time: the store is read from its database.
        auto data = std::make_unique<CCeDataManager>();
        data->SetInstallDir(store.Folder().c_str());
        data->m_EnvDB.Load();
        auto screen = std::make_unique<CCeMWndSMS>(*data);
        const double t0 = bench::NowMs();
        if (!screen->Create({0, 84, 240, 190}, host, 0, 4)) {
            std::printf("message window: no window\n");
            return 1;
        }
        ShowWindow(screen->GetHwnd(), SW_SHOW);
        UpdateWindow(screen->GetHwnd());
        UpdateWindow(screen->List().GetHwnd());
        open.push_back(bench::NowMs() - t0);
        stored = data->m_SmsDB.CachedCount();

        HWND list = screen->List().GetHwnd();
        for (int p = 0; p < kPages / kRuns + 1; ++p) {
            const double t1 = bench::NowMs();
            SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
            UpdateWindow(list);
            page.push_back(bench::NowMs() - t1);
        }
        screen->Destroy();
    }
    std::printf("message window with %d stored messages\n", stored);
    Report("open: store read, window made, first page drawn", open);
    Report("scroll one page: rows refilled and drawn", page);
    DestroyWindow(host);
    ToolkitInit(nullptr);
    return 0;
}
