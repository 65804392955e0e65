#include "glyph_check.h"

#include <vector>

namespace {

// Renders one character black on white into a small DIB; returns its pixels.
std::vector<unsigned char> Render(HDC ref, wchar_t ch)
{
    const int size = 48;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(ref);
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBmp = SelectObject(mem, dib);
    HGDIOBJ oldFont = SelectObject(mem, GetCurrentObject(ref, OBJ_FONT));
    RECT r = {0, 0, size, size};
    FillRect(mem, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(mem, RGB(0, 0, 0));
    SetBkMode(mem, TRANSPARENT);
    TextOutW(mem, 4, 4, &ch, 1);
    GdiFlush();
    std::vector<unsigned char> ink(size * size);
    const unsigned* px = static_cast<const unsigned*>(bits);
    for (int i = 0; i < size * size; ++i)
        ink[i] = (px[i] & 0xFFFFFF) != 0xFFFFFF;
    SelectObject(mem, oldFont);
    SelectObject(mem, oldBmp);
    DeleteObject(dib);
    DeleteDC(mem);
    return ink;
}

bool HasInk(const std::vector<unsigned char>& v)
{
    for (unsigned char c : v)
        if (c)
            return true;
    return false;
}

}  // namespace

bool HasRealGlyphs(HDC dc, const std::wstring& text, std::wstring* why)
{
    std::vector<WORD> idx(text.size());
    if (GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), idx.data(),
                         GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
        if (why)
            *why = L"GetGlyphIndicesW failed";
        return false;
    }
    // A private-use character stands for what a missing glyph looks like.
    const auto missing = Render(dc, 0xE000);
    std::vector<std::vector<unsigned char>> seen;
    for (size_t i = 0; i < text.size(); ++i) {
        if (idx[i] == 0xFFFF) {
            if (why)
                *why = std::wstring(L"no glyph index for ") + text[i];
            return false;
        }
        const auto ink = Render(dc, text[i]);
        if (!HasInk(ink) || ink == missing) {
            if (why)
                *why = std::wstring(L"renders as a blank or a box: ") + text[i];
            return false;
        }
        for (const auto& other : seen)
            if (other == ink) {
                if (why)
                    *why = std::wstring(L"renders like another character: ") + text[i];
                return false;
            }
        seen.push_back(ink);
    }
    return true;
}

bool WindowFontHasGlyphs(HWND hwnd, const std::wstring& text, std::wstring* why)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, font);
    const bool ok = HasRealGlyphs(dc, text, why);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return ok;
}
