#pragma once
// A contact picture in a framed square: shrunk to fit, never enlarged, its
// aspect kept.
#include <windows.h>

void DrawPictureBox(HDC dc, HBITMAP picture, const RECT& box);
