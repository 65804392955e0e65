// Painting of the display: background, the two lines with their effect, and
// the indicators from the skin's image strip.
#include <aygshell.h>

#include <cwchar>

#include "phone/CCeMWndLcd.h"
#include "phone/LcdSettings.h"
#include "toolkit/WindowText.h"

namespace {

constexpr COLORREF kTransparent = RGB(255, 128, 255);
constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr LONG kStateConnected = 8;

// A piece of the strip: source x, y, width, height and where it goes.
struct Piece {
    int sx, sy, cx, cy, dx, dy;
};

Piece Antenna(int bars) { return {16 * bars, 0, 16, 11, 5, 3}; }
Piece CallVolume(int level) { return {20 * level, 11, 20, 11, 40, 3}; }
Piece Battery(int level) { return {14 * level, 22, 14, 11, 217, 2}; }
constexpr Piece kBellModule = {0, 33, 22, 11, 80, 3};
constexpr Piece kBellTone = {22, 33, 22, 11, 80, 3};
constexpr Piece kBellSilent = {44, 33, 22, 11, 79, 3};
constexpr Piece kLock = {0, 44, 14, 11, 125, 3};
constexpr Piece kInCall = {14, 44, 14, 11, 165, 3};
constexpr Piece kUnread = {28, 44, 14, 11, 190, 3};

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

LRESULT CCeMWndLcd::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_ERASEBKGND)
        return 1;  // the paint handler covers every pixel
    if (msg == WM_GETTEXT || msg == WM_GETTEXTLENGTH) {
        // The window's text is what it reads out: the message line (a
        // blinking one even while it is dark) and the number line, so
        // screen readers and other programs can follow the phone.
        wchar_t message[kLineLength], number[kLineLength], text[2 * kLineLength + 2];
        if (m_nMode == kModeBlinking)
            wcscpy(message, m_szMessage);
        else
            ShownMessageLine(message);
        ShownNumberLine(number);
        swprintf(text, 2 * kLineLength + 2, L"%ls\n%ls", message, number);
        return AnswerTextQuery(msg, wp, lp, text);
    }
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}

int CCeMWndLcd::LoadImage(LPCWSTR path)
{
    FreeImage();
    m_hImage = SHLoadDIBitmap(path);
    m_bImageLoaded = m_hImage ? 1 : 0;
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
    return m_bImageLoaded;
}

void CCeMWndLcd::FreeImage()
{
    if (m_hImage)
        DeleteObject(m_hImage);
    m_hImage = nullptr;
    m_bImageLoaded = 0;
}

void CCeMWndLcd::SetBackground(CCeMBitmap* image)
{
    m_pBackground = image;
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMWndLcd::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    // Drawn off screen first, so a blinking or ticking line does not flicker.
    HDC buffer = CreateCompatibleDC(dc);
    HBITMAP canvas = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ oldCanvas = SelectObject(buffer, canvas);
    HDC mem = CreateCompatibleDC(dc);

    FillRect(buffer, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (m_pBackground && m_pBackground->Handle())
        m_pBackground->DrawPart(buffer, mem, 0, 0, 0, 0, client.right, client.bottom);

    SetBkMode(buffer, TRANSPARENT);
    wchar_t line[kLineLength];
    ShownMessageLine(line);
    DrawLine(buffer, line, m_rcMessage, false);
    ShownNumberLine(line);
    DrawLine(buffer, line, m_rcNumber, true);
    if (m_bImageLoaded)
        DrawIndicators(buffer, mem);

    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, buffer, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    DeleteDC(mem);
    SelectObject(buffer, oldCanvas);
    DeleteObject(canvas);
    DeleteDC(buffer);
    EndPaint(hwnd, &ps);
}

void CCeMWndLcd::DrawLine(HDC dc, const wchar_t* text, const RECT& rc, bool keepEnd)
{
    const int n = static_cast<int>(wcslen(text));
    if (n == 0)
        return;
    const int width = rc.right - rc.left;
    HGDIOBJ oldFont = SelectObject(dc, m_hFont);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, n, &size);
    if (size.cx > width) {
        SelectObject(dc, m_hSmallFont);
        GetTextExtentPoint32W(dc, text, n, &size);
    }
    // Centred; what does not fit even in the small font keeps its start
    // (a message) or its end (the digits just typed).
    UINT align = DT_CENTER;
    if (size.cx > width)
        align = keepEnd ? DT_RIGHT : DT_LEFT;
    const UINT flags = align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

    const COLORREF colour = LcdSettings::TextColour();
    auto draw = [&](int dx, int dy, COLORREF c) {
        RECT r = {rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
        SetTextColor(dc, c);
        DrawTextW(dc, text, n, &r, flags);
    };
    switch (LcdSettings::TextStyle()) {
    case LcdSettings::kStyleShadow:
        draw(1, 1, kGrey);
        draw(0, 0, colour);
        break;
    case LcdSettings::kStyleNeon:
        draw(-1, 0, colour);
        draw(1, 0, colour);
        draw(0, -1, colour);
        draw(0, 1, colour);
        draw(0, 0, kGrey);
        break;
    default:
        draw(0, 0, colour);
        break;
    }
    SelectObject(dc, oldFont);
}

void CCeMWndLcd::DrawIndicators(HDC dc, HDC mem)
{
    BITMAP bm = {};
    if (!GetObjectW(m_hImage, sizeof bm, &bm))
        return;
    HGDIOBJ old = SelectObject(mem, m_hImage);
    auto put = [&](const Piece& p) {
        // A strip too small for a piece leaves that piece out.
        if (p.sx + p.cx > bm.bmWidth || p.sy + p.cy > bm.bmHeight)
            return;
        TransparentBlt(dc, p.dx, p.dy, p.cx, p.cy, mem, p.sx, p.sy, p.cx, p.cy, kTransparent);
    };
    put(Antenna(Clamp(m_nSlots[kSlotAntenna], 0, 5)));
    put(CallVolume(Clamp(m_nSlots[kSlotCallVolume], 0, 4)));
    switch (LcdSettings::BellSource()) {
    case 0:
        put(kBellSilent);
        break;
    case 1:
        put(kBellModule);
        break;
    case 2:
        put(kBellTone);
        break;
    default:
        break;
    }
    if (LcdSettings::PhoneLocked())
        put(kLock);
    if (LinkCallState() == kStateConnected)
        put(kInCall);
    if (LcdSettings::UnreadMessages())
        put(kUnread);
    put(Battery(Clamp(m_nSlots[kSlotBattery], 0, 5)));
    SelectObject(mem, old);
}
