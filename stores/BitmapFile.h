#pragma once
// Checks of the bytes of a Windows bitmap file, as contact pictures are
// stored, and the bitmap made from them.
#include <windows.h>

struct BitmapFileLayout {
    LONG width;
    LONG height;          // as stored; negative for top-down bitmaps
    WORD bitCount;
    DWORD colourEntries;  // colour table entries (0 above 8 bits per pixel)
    DWORD colourOffset;   // where the colour table starts
    DWORD pixelOffset;    // where the pixels start
    DWORD pixelBytes;     // bytes of pixels the image needs
};

enum BitmapFileCheck {
    kBitmapOk = 0,
    kBitmapNotBitmap = 1,    // no "BM" signature or header
    kBitmapUnsupported = 2,  // compressed or an unknown pixel format
    kBitmapTruncated = 3,    // header, colour table or pixels run past the end
};

// Whether `bytes` hold a whole uncompressed bitmap file; fills `layout` when so.
BitmapFileCheck CheckBitmapFile(const BYTE* bytes, DWORD length, BitmapFileLayout* layout);
// A short English reason for a check result.
const char* BitmapCheckText(BitmapFileCheck check);
// A device-independent bitmap section made from checked bytes, or null.
HBITMAP BitmapFromFileBytes(HDC dc, const BYTE* bytes, DWORD length);
