#pragma once
// Small JPEG, PNG and GIF pictures made with the imaging component's own
// encoders, so the tests carry no binary files.
#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <functional>
#include <vector>

namespace picturetest {

// Colour of a pixel as 0xAARRGGBB.
using Paint = std::function<DWORD(UINT x, UINT y)>;

enum class Kind { Png, Jpeg, Gif };

// The file bytes of a picture; empty when the encoder failed. GIF pictures
// get a palette of the first 16 colours painted (alpha 0 is transparent).
std::vector<BYTE> Encode(Kind kind, UINT width, UINT height, const Paint& paint);

// The colour (0xRRGGBB) of pixel (x, y) of a 24-bit bottom-up bitmap file,
// with the bitmap's width and height.
DWORD BitmapPixel(const std::vector<BYTE>& bmp, int x, int y);
int BitmapWidth(const std::vector<BYTE>& bmp);
int BitmapHeight(const std::vector<BYTE>& bmp);

}  // namespace picturetest
