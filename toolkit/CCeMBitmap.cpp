#include "toolkit/CCeMBitmap.h"

#include <aygshell.h>

#include <cwchar>

CCeMBitmap::CCeMBitmap()
{
    Reset();
}

CCeMBitmap::~CCeMBitmap()
{
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
}

void CCeMBitmap::Reset()
{
    m_hBitmap = nullptr;
    m_x = m_y = m_cx = m_cy = 0;
    m_bLoaded = 0;
    m_bFromResource = 0;
    m_szName[0] = 0;
    m_nResId = 0;
}

void CCeMBitmap::ResourceKey(UINT resId, wchar_t (&out)[kNameLength])
{
    swprintf(out, kNameLength, L"Res=%x", resId);
}

void CCeMBitmap::SetPos(int x, int y)
{
    m_x = static_cast<short>(x);
    m_y = static_cast<short>(y);
}

bool CCeMBitmap::TakeBitmap(HBITMAP bmp)
{
    if (!bmp)
        return false;
    BITMAP bm = {};
    GetObjectW(bmp, sizeof bm, &bm);
    m_hBitmap = bmp;
    m_cx = static_cast<short>(bm.bmWidth);
    m_cy = static_cast<short>(bm.bmHeight);
    return true;
}

int CCeMBitmap::LoadFromResource(HINSTANCE instance, UINT resId, int load)
{
    if (load) {
        if (m_hBitmap)
            DeleteObject(m_hBitmap);
        m_hBitmap = nullptr;
        if (!TakeBitmap(LoadBitmapW(instance, MAKEINTRESOURCEW(resId))))
            return 0;
    }
    m_bLoaded = load;
    m_bFromResource = 1;
    ResourceKey(resId, m_szName);
    m_nResId = resId;
    return 1;
}

int CCeMBitmap::LoadFromFile(LPCWSTR path, int load)
{
    if (!path || wcslen(path) >= static_cast<size_t>(kNameLength))
        return 0;
    if (load) {
        if (m_hBitmap)
            DeleteObject(m_hBitmap);
        m_hBitmap = nullptr;
        if (!TakeBitmap(SHLoadDIBitmap(path)))
            return 0;
    }
    m_bLoaded = load;
    m_bFromResource = 0;
    wcscpy(m_szName, path);
    return 1;
}

int CCeMBitmap::Reload(HINSTANCE instance)
{
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
    HBITMAP bmp = m_bFromResource ? LoadBitmapW(instance, MAKEINTRESOURCEW(m_nResId))
                                  : (m_szName[0] ? SHLoadDIBitmap(m_szName) : nullptr);
    if (!TakeBitmap(bmp))
        return 0;
    m_bLoaded = 1;
    return 1;
}

int CCeMBitmap::Unload()
{
    m_bLoaded = 0;
    if (!m_hBitmap)
        return 0;
    DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
    return 1;
}

void CCeMBitmap::Free()
{
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
    m_bLoaded = 0;  // a freed record loads again when next asked for
    m_x = m_y = m_cx = m_cy = 0;
}

void CCeMBitmap::Blit(HDC dc, HDC mem, int x, int y, int cx, int cy, int srcX, int srcY)
{
    if (!m_hBitmap)
        return;
    HGDIOBJ old = SelectObject(mem, m_hBitmap);
    BitBlt(dc, x, y, cx, cy, mem, srcX, srcY, SRCCOPY);
    SelectObject(mem, old);
}

void CCeMBitmap::Draw(HDC dc, HDC mem)
{
    Blit(dc, mem, m_x, m_y, m_cx, m_cy, 0, 0);
}

void CCeMBitmap::DrawAt(HDC dc, HDC mem, int x, int y)
{
    Blit(dc, mem, x, y, m_cx, m_cy, 0, 0);
}

void CCeMBitmap::DrawFrom(HDC dc, HDC mem, int srcX, int srcY)
{
    Blit(dc, mem, 0, 0, m_cx, m_cy, srcX, srcY);
}

void CCeMBitmap::DrawPart(HDC dc, HDC mem, int x, int y, int srcX, int srcY, int cx, int cy)
{
    Blit(dc, mem, x, y, cx, cy, srcX, srcY);
}

int CCeMBitmap::DrawTransparent(HDC dc, HDC mem, COLORREF transparent, int x, int y, int srcX,
                                int srcY, int cx, int cy)
{
    if (!m_hBitmap)
        return 0;
    HGDIOBJ old = SelectObject(mem, m_hBitmap);
    const BOOL ok = TransparentBlt(dc, x, y, cx, cy, mem, srcX, srcY, cx, cy, transparent);
    SelectObject(mem, old);
    return ok;
}
