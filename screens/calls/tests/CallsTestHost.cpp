#include "CallsTestHost.h"

#include <algorithm>
#include <map>
#include <cstdio>
#include <cstdlib>

#include "UiInput.h"
#include "WinTest.h"

namespace callstest {

namespace {
Host* g_host;
}

Host::Host()
{
    g_host = this;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"CallsTestHost";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, L"CallsTestHost", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 240, 320,
                            nullptr, nullptr, wc.hInstance, nullptr);
    uitest::Activate(hwnd_);
    zentest::PumpMessages(50);
}

Host::~Host()
{
    DestroyWindow(hwnd_);
    g_host = nullptr;
}

int Host::CountOf(UINT msg) const
{
    int n = 0;
    for (const Sent& s : sent)
        n += s.msg == msg;
    return n;
}

const Sent* Host::Last(UINT msg) const
{
    for (auto it = sent.rbegin(); it != sent.rend(); ++it)
        if (it->msg == msg)
            return &*it;
    return nullptr;
}

LRESULT CALLBACK Host::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (g_host && (msg == WM_COMMAND || msg == 4024 || (msg >= 4124 && msg <= 4128))) {
        Sent s{msg, wp, lp, {}, {}};
        if (msg == 4124 && lp)
            s.wide = reinterpret_cast<const wchar_t*>(lp);
        else if (msg == 4124 && wp)
            s.narrow = reinterpret_cast<const char*>(wp);
        if (msg == 4126 && wp)
            s.wide = reinterpret_cast<const wchar_t*>(wp);
        g_host->sent.push_back(s);
        if (msg == 4124)
            return g_host->numberAnswer;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

Data::Data(const wchar_t* tag) : store(tag)
{
    data.SetInstallDir(store.Folder().c_str());
    data.m_EnvDB.Load();
}

POINT At(HWND hwnd, int x, int y)
{
    return uitest::ScreenPoint(hwnd, x, y);
}

void TapAt(HWND hwnd, int x, int y)
{
    uitest::Tap(At(hwnd, x, y));
    zentest::PumpMessages(150);
}

void AnswerNextBox(bool ok, std::wstring* text)
{
    uitest::WhileModal(100, [ok, text] {
        HWND box = uitest::FindOwnVisible(L"#32770");
        if (!box)
            return true;
        if (text) {
            // The box paints its text itself; the window title holds the caption.
            wchar_t caption[128] = {};
            GetWindowTextW(box, caption, 128);
            *text = caption;
        }
        HWND button = GetDlgItem(box, ok ? IDOK : IDCANCEL);
        RECT rc;
        GetWindowRect(button, &rc);
        uitest::QueueTap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        return false;
    });
}

zentest::Image Shot(HWND hwnd, const wchar_t* name)
{
    UpdateWindow(hwnd);
    zentest::PumpMessages(100);
    zentest::Image screen = zentest::CaptureScreen();
    RECT rc;
    GetWindowRect(hwnd, &rc);
    zentest::Image img;
    img.width = rc.right - rc.left;
    img.height = rc.bottom - rc.top;
    img.pixels.resize(static_cast<size_t>(img.width) * img.height);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const int sx = rc.left + x, sy = rc.top + y;
            img.pixels[static_cast<size_t>(y) * img.width + x] =
                sx < screen.width && sy < screen.height ? screen.At(sx, sy) : 0;
        }
    zentest::SaveScreenshot(img, name);
    return img;
}

}  // namespace callstest

#include "CallScreenArt.h"

namespace callstest {

namespace {
bool ShowsTextIn(const zentest::Image& shot, const RECT& rect, int left, int right, const wchar_t* text,
                 COLORREF colour, UINT flags, int fontHeight, bool bold);
}  // namespace

int Ink(const zentest::Image& shot, const RECT& rect, COLORREF colour, int tolerance)
{
    return zentest::CountPixels(shot, rect, zentest::FromColorRef(colour), tolerance);
}

bool ShowsText(const zentest::Image& shot, const RECT& rect, const wchar_t* text, COLORREF colour, UINT flags,
               int fontHeight, bool bold)
{
    return ShowsTextIn(shot, rect, rect.left, rect.right, text, colour, flags, fontHeight, bold);
}

bool ShowsTextWithin(const zentest::Image& shot, const RECT& rect, int left, int right, const wchar_t* text,
                     COLORREF colour, UINT flags)
{
    return ShowsTextIn(shot, rect, left, right, text, colour, flags, 13, false);
}

namespace {

bool ShowsTextIn(const zentest::Image& shot, const RECT& rect, int left, int right, const wchar_t* text,
                 COLORREF colour, UINT flags, int fontHeight, bool bold)
{
    // Drawn on a canvas with room around the rectangle, as on the screen,
    // where text wider than its rectangle runs past it.
    constexpr int kMargin = 60;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    const int cw = w + 2 * kMargin, ch = h + 2 * kMargin;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, cw, ch);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    // On the ground the screen shows there (each row's commonest colour: the
    // header band is a gradient), so that smoothed glyph edges blend alike.
    for (int y = 0; y < ch; ++y) {
        const int sy = std::min(std::max(rect.top + y - kMargin, rect.top), rect.bottom - 1);
        std::map<uint32_t, int> seen;
        for (int x = left; x < right; ++x)
            ++seen[shot.At(x, sy)];
        uint32_t g = 0xFFFFFF;
        int best = 0;
        for (const auto& [c, n] : seen)
            if (n > best) {
                best = n;
                g = c;
            }
        HBRUSH ground = CreateSolidBrush(RGB((g >> 16) & 0xFF, (g >> 8) & 0xFF, g & 0xFF));
        RECT line = {0, y, cw, y + 1};
        FillRect(mem, &line, ground);
        DeleteObject(ground);
    }
    HFONT font = CallScreenArt::MakeFont(fontHeight, bold);
    HGDIOBJ oldFont = SelectObject(mem, font);
    CallScreenArt::Text(mem, text, {kMargin, kMargin, kMargin + w, kMargin + h}, colour, flags);
    // Ink: near the text's colour, channel by channel (a selection or band
    // behind the text is not).
    const uint32_t want = zentest::FromColorRef(colour);
    auto inkOf = [want](uint32_t p) {
        for (int s = 0; s < 24; s += 8)
            if (std::abs(int((p >> s) & 0xFF) - int((want >> s) & 0xFF)) > 100)
                return false;
        return true;
    };
    int mismatched = 0, inked = 0;
    for (int y = 0; y < h; ++y)
        for (int x = left - rect.left; x < right - rect.left && x < w; ++x) {
            const bool expected = inkOf(zentest::FromColorRef(GetPixel(mem, kMargin + x, kMargin + y)));
            const bool shown = inkOf(shot.At(rect.left + x, rect.top + y));
            inked += expected;
            mismatched += expected != shown;
        }
    SelectObject(mem, oldFont);
    SelectObject(mem, oldBmp);
    DeleteObject(font);
    DeleteObject(bmp);
    DeleteDC(mem);
    if (getenv("CALLS_TEST_DEBUG"))
        fprintf(stderr, "ShowsText %d chars: ink %d mismatched %d\n", static_cast<int>(wcslen(text)), inked, mismatched);
    // The same glyphs in the same place, in the asked colour.
    RECT within = {left, rect.top, right, rect.bottom};
    return inked > 0 && mismatched * 20 <= inked && Ink(shot, within, colour, 100) > 0;
}

}  // namespace

std::vector<std::wstring> HoldForMenu(HWND hwnd, int x, int y, int downs)
{
    std::vector<std::wstring> items;
    uitest::HoldForMenu(uitest::ScreenPoint(hwnd, x, y), downs, [&](HMENU menu) {
        for (int pos = 0; pos < GetMenuItemCount(menu); ++pos) {
            wchar_t text[64] = L"";
            GetMenuStringW(menu, pos, text, 64, MF_BYPOSITION);
            items.push_back(text);
        }
    });
    zentest::PumpMessages(150);
    return items;
}

void DoubleTapAt(HWND hwnd, int x, int y)
{
    const POINT p = At(hwnd, x, y);
    uitest::Tap(p);
    uitest::Tap(p);
    zentest::PumpMessages(200);
}

}  // namespace callstest
