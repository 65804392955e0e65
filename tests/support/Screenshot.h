#pragma once
// Screenshots of the handheld's screen or of one window, and pixel checks on them.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zentest {

// 32-bit top-down pixels, each 0x00RRGGBB.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    bool empty() const { return pixels.empty(); }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Writes a 24-bit BMP; false when the file cannot be written.
    bool SaveBmp(const std::wstring& path) const;
};

inline uint32_t Rgb(int r, int g, int b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }
inline uint32_t FromColorRef(COLORREF c) { return Rgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// The whole desktop: under the test prefix, the 240 x 320 virtual screen.
Image CaptureScreen();
// One window with its frame and children, as it is drawn now.
Image CaptureWindow(HWND hwnd);

// A bitmap file's pixels; empty when it cannot be read as a bitmap.
Image LoadBitmapFile(const std::wstring& path);

// Pixels of `rect` (clipped to the image) within `tolerance` of `color` per channel.
int CountPixels(const Image& img, const RECT& rect, uint32_t color, int tolerance = 0);
// Number of distinct colours in `rect`.
int DistinctColors(const Image& img, const RECT& rect);
// Share (0..1) of pixels in `rect` that differ between two images of one size.
double DifferentShare(const Image& a, const Image& b, const RECT& rect);
// Saves under screenshots/<name>.bmp beside the test; returns the path used.
std::wstring SaveScreenshot(const Image& img, const std::wstring& name);

}  // namespace zentest
