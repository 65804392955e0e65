#pragma once
// One WM_PAINT drawn into a memory picture of the client area and copied to
// the screen when the object goes, so a repaint never flickers.
#include <windows.h>

class OffscreenPaint {
public:
    explicit OffscreenPaint(HWND hwnd) : m_hwnd(hwnd)
    {
        m_screen = BeginPaint(hwnd, &m_ps);
        GetClientRect(hwnd, &m_client);
        m_dc = CreateCompatibleDC(m_screen);
        m_bmp = CreateCompatibleBitmap(m_screen, m_client.right, m_client.bottom);
        m_old = SelectObject(m_dc, m_bmp);
    }
    ~OffscreenPaint()
    {
        BitBlt(m_screen, 0, 0, m_client.right, m_client.bottom, m_dc, 0, 0, SRCCOPY);
        SelectObject(m_dc, m_old);
        DeleteObject(m_bmp);
        DeleteDC(m_dc);
        EndPaint(m_hwnd, &m_ps);
    }
    OffscreenPaint(const OffscreenPaint&) = delete;
    OffscreenPaint& operator=(const OffscreenPaint&) = delete;

    HDC Dc() const { return m_dc; }
    const RECT& Client() const { return m_client; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps;
    HDC m_screen;
    HDC m_dc;
    HBITMAP m_bmp;
    HGDIOBJ m_old;
    RECT m_client;
};
