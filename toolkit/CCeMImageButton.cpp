#include "toolkit/CCeMImageButton.h"

#include "toolkit/CCeMToolkit.h"

CCeMImageButton::CCeMImageButton()
    : m_rcHit{}, m_bTracking(0), m_bInside(0), m_hBitmap(nullptr), m_nBitmapWidth(0),
      m_nBitmapHeight(0), m_bFocus(0), m_nFrames(0), m_nFrameWidth(0), m_bOwnsBitmap(1)
{
}

CCeMImageButton::~CCeMImageButton()
{
    // Destroy here so OnDestroy still runs as this class.
    if (m_hWnd)
        Destroy();
    DropBitmap();
}

void CCeMImageButton::DropBitmap()
{
    if (m_hBitmap && m_bOwnsBitmap)
        DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
}

int CCeMImageButton::Create(LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    m_rcHit = {0, 0, pl.cx, pl.cy};
    m_bTracking = m_bInside = 0;
    RegisterWindowClass(L"CCeMImageButton", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, nullptr, nullptr,
                        nullptr, nullptr);
    return CCeMWnd::Create(title, style | WS_CHILD, pl, parent, id);
}

int CCeMImageButton::Attach(HWND hwnd)
{
    const int r = CCeMWnd::Attach(hwnd);
    if (r)
        GetClientRect(hwnd, &m_rcHit);
    return r;
}

LRESULT CCeMImageButton::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        m_bFocus = msg == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, FALSE);
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDBLCLK:
        // The class takes double clicks, so a quick second tap arrives as
        // one: it is a press like any other (a digit typed twice counts twice).
        return OnLButtonDown(wp, LOWORD(lp), HIWORD(lp));
    default:
        break;
    }
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}

int CCeMImageButton::OnDestroy(HWND hwnd)
{
    DropBitmap();
    return CCeMWnd::OnDestroy(hwnd);
}

int CCeMImageButton::SetBitmap(UINT resId, int frames)
{
    DropBitmap();
    HBITMAP bmp = LoadBitmapW(CCeMToolkit::Instance(), MAKEINTRESOURCEW(resId));
    return SetBitmap(bmp, frames, 1);
}

int CCeMImageButton::SetBitmap(HBITMAP bitmap, int frames, int owns)
{
    if (bitmap != m_hBitmap)
        DropBitmap();
    m_hBitmap = bitmap;
    m_bOwnsBitmap = owns;
    m_nBitmapWidth = m_nBitmapHeight = 0;
    if (bitmap) {
        BITMAP bm = {};
        GetObjectW(bitmap, sizeof bm, &bm);
        m_nBitmapWidth = bm.bmWidth;
        m_nBitmapHeight = bm.bmHeight;
    }
    m_nFrames = frames;
    m_nFrameWidth = frames > 0 ? m_nBitmapWidth / frames : 0;
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
    return bitmap != nullptr;
}

void CCeMImageButton::SizeToFrame()
{
    if (m_hWnd)
        SetWindowPos(m_hWnd, nullptr, 0, 0, m_nFrameWidth, m_nBitmapHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CCeMImageButton::OnLButtonDown(WPARAM, int, int)
{
    SetFocus(m_hWnd);
    SetCapture(m_hWnd);
    m_bTracking = 1;
    m_bInside = 1;
    InvalidateRect(m_hWnd, nullptr, FALSE);
    return 0;
}

int CCeMImageButton::OnMouseMove(WPARAM, int x, int y)
{
    if (!m_bTracking)
        return 0;
    // Coordinates left of or above the button arrive as large unsigned values.
    const int sx = static_cast<short>(x), sy = static_cast<short>(y);
    const int inside = sx >= m_rcHit.left && sx <= m_rcHit.right && sy >= m_rcHit.top && sy <= m_rcHit.bottom;
    if (inside != m_bInside) {
        m_bInside = inside;
        InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    return 0;
}

int CCeMImageButton::OnLButtonUp(WPARAM, int, int)
{
    HWND self = m_hWnd;
    ReleaseCapture();
    m_bTracking = 0;
    if (m_bInside) {
        m_bInside = 0;
        SendMessageW(GetParent(self), WM_COMMAND, MAKEWPARAM(m_nId, 0), reinterpret_cast<LPARAM>(self));
    }
    // The parent may have destroyed the button in its command handler.
    if (IsWindow(self))
        InvalidateRect(self, nullptr, FALSE);
    return 0;
}

void CCeMImageButton::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const bool disabled = (GetWindowLongW(hwnd, GWL_STYLE) & WS_DISABLED) != 0;
    if (m_hBitmap) {
        int frame = 0;
        if (disabled)
            frame = 2;
        else if (m_bInside)
            frame = 1;
        // A strip without the frame asked for shows its first.
        if (frame >= m_nFrames)
            frame = 0;
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, m_hBitmap);
        BitBlt(dc, 0, 0, m_nFrameWidth, m_nBitmapHeight, mem, m_nFrameWidth * frame, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    } else {
        // No picture (a program without that resource): a plain button with
        // the window's text, so it can still be seen and used.
        RECT rc;
        GetClientRect(hwnd, &rc);
        DrawFrameControl(dc, &rc, DFC_BUTTON,
                         DFCS_BUTTONPUSH | (m_bInside ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0));
        wchar_t text[64] = L"";
        GetWindowTextW(hwnd, text, 64);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, oldFont);
    }
    EndPaint(hwnd, &ps);
}
