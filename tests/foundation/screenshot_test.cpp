// The screenshot helper sees exactly what a window painted, where it painted it.
#include <gtest/gtest.h>

#include "Screenshot.h"
#include "WinTest.h"

namespace {

LRESULT CALLBACK ColourProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        auto fill = [dc](RECT r, COLORREF c) {
            HBRUSH b = CreateSolidBrush(c);
            FillRect(dc, &r, b);
            DeleteObject(b);
        };
        fill({0, 0, 240, 320}, RGB(255, 255, 255));
        fill({0, 0, 240, 40}, RGB(0, 0, 255));      // a title band
        fill({20, 100, 120, 150}, RGB(255, 0, 0));  // a key
        fill({130, 100, 230, 150}, RGB(0, 160, 0));
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND MakeWindow()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ColourProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZenShotTest";
    RegisterClassW(&wc);
    return CreateWindowExW(WS_EX_TOPMOST, L"ZenShotTest", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240,
                           320, nullptr, nullptr, wc.hInstance, nullptr);
}

TEST(Screenshot, ScreenIsTheHandheldsSize)
{
    const auto shot = zentest::CaptureScreen();
    EXPECT_EQ(240, shot.width);
    EXPECT_EQ(320, shot.height);
}

TEST(Screenshot, ScreenAndWindowCapturesShowThePaintedRegions)
{
    HWND w = MakeWindow();
    ASSERT_NE(nullptr, w);
    UpdateWindow(w);
    zentest::PumpMessages(150);

    for (const auto& shot : {zentest::CaptureScreen(), zentest::CaptureWindow(w)}) {
        ASSERT_EQ(240, shot.width);
        ASSERT_EQ(320, shot.height);
        EXPECT_EQ(240 * 40, zentest::CountPixels(shot, {0, 0, 240, 40}, zentest::Rgb(0, 0, 255)));
        EXPECT_EQ(100 * 50, zentest::CountPixels(shot, {20, 100, 120, 150}, zentest::Rgb(255, 0, 0)));
        EXPECT_EQ(0x00A000u, shot.At(180, 120));
        EXPECT_EQ(0xFFFFFFu, shot.At(10, 300));
        EXPECT_EQ(1, zentest::DistinctColors(shot, {0, 200, 240, 320}));
        // Near-colour matching tolerates small shading only.
        EXPECT_EQ(0, zentest::CountPixels(shot, {20, 100, 120, 150}, zentest::Rgb(200, 0, 0), 10));
    }
    const auto before = zentest::CaptureScreen();
    zentest::SaveScreenshot(before, L"colour_regions");

    // Repainting one key changes that key's region and nothing else.
    HDC dc = GetDC(w);
    RECT key = {20, 100, 120, 150};
    FillRect(dc, &key, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(w, dc);
    zentest::PumpMessages(100);  // the display driver flushes drawing asynchronously
    const auto after = zentest::CaptureScreen();
    EXPECT_DOUBLE_EQ(1.0, zentest::DifferentShare(before, after, key));
    EXPECT_DOUBLE_EQ(0.0, zentest::DifferentShare(before, after, {0, 160, 240, 320}));
    DestroyWindow(w);
}

TEST(Screenshot, SavedBitmapHasTheImagesSizeAndPixels)
{
    zentest::Image img;
    img.width = 3;
    img.height = 2;
    img.pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000, 0xFFFFFF, 0x123456};
    const std::wstring path = zentest::SaveScreenshot(img, L"tiny");
    ASSERT_FALSE(path.empty());
    HBITMAP bmp = static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(nullptr, bmp);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 0, 0));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc, 2, 0));
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), GetPixel(dc, 2, 1));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
}

}  // namespace
