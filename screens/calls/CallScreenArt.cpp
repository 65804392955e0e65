#include "CallScreenArt.h"

#include "toolkit/CCeMToolkit.h"

namespace CallScreenArt {

namespace {

constexpr UINT kTitleBandBitmap = 300;  // the toolkit's header image

void DrawFrame(HDC dc, int x0, int w, int h, int state, LPCWSTR label)
{
    const COLORREF face = state == 1 ? RGB(150, 190, 235) : state == 2 ? RGB(220, 220, 220) : RGB(235, 242, 252);
    const COLORREF ink = state == 2 ? RGB(150, 150, 150) : RGB(2, 85, 220);
    HBRUSH brush = CreateSolidBrush(face);
    HPEN pen = CreatePen(PS_SOLID, 1, ink);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    RoundRect(dc, x0, 0, x0 + w, h, 6, 6);
    if (label) {
        HFONT font = MakeFont(h > 18 ? 12 : 11, false);
        HGDIOBJ oldFont = SelectObject(dc, font);
        RECT rc = {x0, 0, x0 + w, h};
        Text(dc, label, rc, ink, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, oldFont);
        DeleteObject(font);
    } else {
        // A left-pointing arrow: "back".
        HBRUSH arrow = CreateSolidBrush(ink);
        SelectObject(dc, arrow);
        const POINT pts[3] = {{x0 + w / 4, h / 2}, {x0 + w * 3 / 4, h / 4}, {x0 + w * 3 / 4, h * 3 / 4}};
        Polygon(dc, pts, 3);
        SelectObject(dc, brush);
        DeleteObject(arrow);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

}  // namespace

HFONT MakeFont(int height, bool bold)
{
    return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, L"Tahoma");
}

HBITMAP ButtonStrip(UINT resId, int width, int height, LPCWSTR label)
{
    if (HBITMAP bmp = LoadBitmapW(CCeMToolkit::Instance(), MAKEINTRESOURCEW(resId)))
        return bmp;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, width * 3, height);
    ReleaseDC(nullptr, screen);
    if (!bmp) {
        DeleteDC(mem);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT all = {0, 0, width * 3, height};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(mem, TRANSPARENT);
    for (int state = 0; state < 3; ++state)
        DrawFrame(mem, state * width, width, height, state, label);
    SelectObject(mem, old);
    DeleteDC(mem);
    return bmp;
}

void DrawTitleBand(HDC dc, int width, const RECT& titleRect, LPCWSTR title, HFONT font)
{
    RECT band = {0, 0, width, 25};
    HBITMAP bmp = LoadBitmapW(CCeMToolkit::Instance(), MAKEINTRESOURCEW(kTitleBandBitmap));
    if (bmp) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, bmp);
        BITMAP info{};
        GetObjectW(bmp, sizeof info, &info);
        StretchBlt(dc, 0, 0, width, 25, mem, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
        DeleteObject(bmp);
    } else {
        HBRUSH b = CreateSolidBrush(RGB(0, 0, 156));
        FillRect(dc, &band, b);
        DeleteObject(b);
    }
    HGDIOBJ oldFont = SelectObject(dc, font);
    Text(dc, title, titleRect, RGB(255, 255, 255), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
}

void RoundFrame(HDC dc, const RECT& rc, int radius, COLORREF colour)
{
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, radius, radius);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void Text(HDC dc, LPCWSTR text, RECT rc, COLORREF colour, UINT flags)
{
    SetBkMode(dc, TRANSPARENT);
    const COLORREF old = SetTextColor(dc, colour);
    DrawTextW(dc, text, -1, &rc, flags | DT_NOPREFIX);
    SetTextColor(dc, old);
}

}  // namespace CallScreenArt
