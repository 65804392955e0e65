#pragma once
#include <windows.h>

#include <string>

// True when every character of `text` has a real glyph in the font selected
// into `dc`: the font maps it, and it renders as ink distinct from the
// replacement box that missing characters get.
bool HasRealGlyphs(HDC dc, const std::wstring& text, std::wstring* why = nullptr);

// The same for a window's own font (WM_GETFONT, or the system font).
bool WindowFontHasGlyphs(HWND hwnd, const std::wstring& text, std::wstring* why = nullptr);
