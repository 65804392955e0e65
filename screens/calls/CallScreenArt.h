#pragma once
// Drawing shared by the call screens: fonts, the title band, and button
// images taken from the program's resources or, where the program carries
// none, drawn at run time.
#include <windows.h>

namespace CallScreenArt {

// A font of the screens (Korean faces come through the system's fallback).
HFONT MakeFont(int height, bool bold);

// A three-frame button strip (normal, pressed, disabled), each frame
// width x height: the bitmap resource `resId` when the program has it,
// else a drawn frame with `label` (a back arrow when label is null).
HBITMAP ButtonStrip(UINT resId, int width, int height, LPCWSTR label);

// The header image across the top 25 pixels with the title centred in `titleRect`.
void DrawTitleBand(HDC dc, int width, const RECT& titleRect, LPCWSTR title, HFONT font);

// An unfilled rounded frame.
void RoundFrame(HDC dc, const RECT& rc, int radius, COLORREF colour);

// Text in a colour, with DrawText flags.
void Text(HDC dc, LPCWSTR text, RECT rc, COLORREF colour, UINT flags);

}  // namespace CallScreenArt
