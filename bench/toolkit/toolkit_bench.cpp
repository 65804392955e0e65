// Window map operations at several fill levels, and a full item-list repaint.
#include "bench/BenchClock.h"
#include <windows.h>

#include <cstdio>
#include <vector>

#include "toolkit/CCeMItemList.h"
#include "toolkit/CCeMToolkit.h"
#include "toolkit/CCeMWndMap.h"

namespace {

double Now() { return bench::NowSeconds(); }

HWND Fake(int i) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x10000 + 2 * i)); }

void MapFigures()
{
    CCeMWnd object;
    for (int fill : {10, 1000, 9000}) {
        CCeMWndMap map;
        for (int i = 0; i < fill; ++i)
            map.Insert(Fake(i), &object);
        const int rounds = 200000;
        volatile CCeMWnd* sink = nullptr;
        double t0 = Now();
        for (int r = 0; r < rounds; ++r)
            sink = map.Lookup(Fake(r % fill));
        const double lookup = (Now() - t0) / rounds * 1e9;
        t0 = Now();
        for (int r = 0; r < rounds; ++r) {
            map.Remove(Fake(r % fill));
            map.Insert(Fake(r % fill), &object);
        }
        const double churn = (Now() - t0) / rounds * 1e9;
        (void)sink;
        std::printf("window map with %5d windows: lookup %6.1f ns, remove+insert %6.1f ns\n", fill, lookup,
                    churn);
    }
}

class Rows : public CCeMItemList {
public:
    void DrawItems(HDC dc, const RECT&) override
    {
        for (int r = m_nTop; r < m_nCount && r < m_nTop + m_nVisible; ++r) {
            RECT row = RowRect(r);
            if (r == m_nSelected)
                FillRect(dc, &row, m_hSelection);
            wchar_t text[32];
            swprintf(text, 32, L"항목 %d", r);
            DrawTextW(dc, text, -1, &row, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        }
    }
    void Fill(int n) { SetItemCount(n, 0); }
};

void ListFigures()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZenBenchHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr,
                                nullptr, wc.hInstance, nullptr);
    Rows list;
    if (!list.Create({0, 0, 240, 320}, host, WS_VISIBLE, 0)) {
        std::printf("item list: no window\n");
        return;
    }
    list.Fill(500);
    const int frames = 200;
    const double t0 = Now();
    for (int i = 0; i < frames; ++i) {
        SendMessageW(list.GetHwnd(), WM_VSCROLL, MAKEWPARAM(i % 2 ? SB_LINEUP : SB_LINEDOWN, 0), 0);
        UpdateWindow(list.GetHwnd());
    }
    std::printf("item list 240x320, %d rows: scroll and repaint %.2f ms per frame\n", list.VisibleRows(),
                (Now() - t0) / frames * 1e3);
    list.Destroy();
    DestroyWindow(host);
}

}  // namespace

int main()
{
    ToolkitInit(GetModuleHandleW(nullptr));
    MapFigures();
    ListFigures();
    ToolkitInit(nullptr);
    return 0;
}
