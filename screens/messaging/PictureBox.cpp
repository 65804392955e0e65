#include "screens/messaging/PictureBox.h"

void DrawPictureBox(HDC dc, HBITMAP picture, const RECT& box)
{
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    BITMAP bm = {};
    if (!picture || !GetObjectW(picture, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return;
    const int side = (box.right - box.left < box.bottom - box.top ? box.right - box.left : box.bottom - box.top) - 2;
    int w = bm.bmWidth, h = bm.bmHeight;
    if (w > side || h > side) {
        if (w >= h) {
            h = h * side / w;
            w = side;
        } else {
            w = w * side / h;
            h = side;
        }
    }
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, picture);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, box.left + 1, box.top + 1, w, h, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}
