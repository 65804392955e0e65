#include "Screenshot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace zentest {
namespace {

Image Grab(HDC source, int width, int height)
{
    Image img;
    if (width <= 0 || height <= 0)
        return img;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(source);
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = SelectObject(mem, dib);
        if (BitBlt(mem, 0, 0, width, height, source, 0, 0, SRCCOPY)) {
            GdiFlush();
            const uint32_t* p = static_cast<const uint32_t*>(bits);
            img.width = width;
            img.height = height;
            img.pixels.assign(p, p + static_cast<size_t>(width) * height);
            for (auto& px : img.pixels)
                px &= 0x00FFFFFF;
        }
        SelectObject(mem, old);
    }
    if (dib)
        DeleteObject(dib);
    DeleteDC(mem);
    return img;
}

RECT Clip(const Image& img, const RECT& r)
{
    RECT c;
    c.left = std::max<LONG>(0, r.left);
    c.top = std::max<LONG>(0, r.top);
    c.right = std::min<LONG>(img.width, r.right);
    c.bottom = std::min<LONG>(img.height, r.bottom);
    return c;
}

}  // namespace

bool Image::SaveBmp(const std::wstring& path) const
{
    if (empty())
        return false;
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + stride * height;
    ih.biSize = sizeof(ih);
    ih.biWidth = width;
    ih.biHeight = height;  // bottom-up rows
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f)
        return false;
    bool ok = fwrite(&fh, sizeof(fh), 1, f) == 1 && fwrite(&ih, sizeof(ih), 1, f) == 1;
    std::vector<unsigned char> row(stride, 0);
    for (int y = height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t px = At(x, y);
            row[x * 3 + 0] = px & 0xFF;
            row[x * 3 + 1] = (px >> 8) & 0xFF;
            row[x * 3 + 2] = (px >> 16) & 0xFF;
        }
        ok = fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    return fclose(f) == 0 && ok;
}

Image CaptureScreen()
{
    HDC screen = GetDC(nullptr);
    Image img = Grab(screen, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    ReleaseDC(nullptr, screen);
    return img;
}

Image CaptureWindow(HWND hwnd)
{
    RECT r;
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &r))
        return {};
    HDC dc = GetWindowDC(hwnd);
    Image img = Grab(dc, r.right - r.left, r.bottom - r.top);
    ReleaseDC(hwnd, dc);
    return img;
}

Image LoadBitmapFile(const std::wstring& path)
{
    HBITMAP bmp = static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bmp)
        return {};
    BITMAP bm = {};
    GetObjectW(bmp, sizeof bm, &bm);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    Image img = Grab(dc, bm.bmWidth, bm.bmHeight);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    return img;
}

int CountPixels(const Image& img, const RECT& rect, uint32_t color, int tolerance)
{
    const RECT c = Clip(img, rect);
    int n = 0;
    for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.right; ++x) {
            const uint32_t px = img.At(x, y);
            bool close = true;
            for (int shift = 0; shift <= 16; shift += 8) {
                const int d = int((px >> shift) & 0xFF) - int((color >> shift) & 0xFF);
                close = close && std::abs(d) <= tolerance;
            }
            n += close ? 1 : 0;
        }
    return n;
}

int DistinctColors(const Image& img, const RECT& rect)
{
    const RECT c = Clip(img, rect);
    std::set<uint32_t> colors;
    for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.right; ++x)
            colors.insert(img.At(x, y));
    return static_cast<int>(colors.size());
}

double DifferentShare(const Image& a, const Image& b, const RECT& rect)
{
    if (a.width != b.width || a.height != b.height)
        return 1.0;
    const RECT c = Clip(a, rect);
    const long total = long(c.right - c.left) * long(c.bottom - c.top);
    if (total <= 0)
        return 0.0;
    long diff = 0;
    for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.right; ++x)
            diff += a.At(x, y) != b.At(x, y) ? 1 : 0;
    return double(diff) / double(total);
}

std::wstring SaveScreenshot(const Image& img, const std::wstring& name)
{
    CreateDirectoryW(L"screenshots", nullptr);
    const std::wstring path = L"screenshots\\" + name + L".bmp";
    return img.SaveBmp(path) ? path : std::wstring();
}

}  // namespace zentest
