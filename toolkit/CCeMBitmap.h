#pragma once
// A bitmap with where it is drawn and where it came from (a resource of the
// program or a bitmap file).
#include <windows.h>

class CCeMBitmap {
public:
    static constexpr int kNameLength = 64;

    CCeMBitmap();
    virtual ~CCeMBitmap();
    CCeMBitmap(const CCeMBitmap&) = delete;
    CCeMBitmap& operator=(const CCeMBitmap&) = delete;

    void Reset();
    int LoadFromResource(HINSTANCE instance, UINT resId, int load);
    // Paths that do not fit the name field are refused (0).
    int LoadFromFile(LPCWSTR path, int load);
    int Reload(HINSTANCE instance);
    int Unload();
    void Free();

    // Each copies through `mem` and does nothing without a bitmap.
    void Draw(HDC dc, HDC mem);
    void DrawAt(HDC dc, HDC mem, int x, int y);
    void DrawFrom(HDC dc, HDC mem, int srcX, int srcY);
    void DrawPart(HDC dc, HDC mem, int x, int y, int srcX, int srcY, int cx, int cy);
    int DrawTransparent(HDC dc, HDC mem, COLORREF transparent, int x, int y, int srcX, int srcY,
                        int cx, int cy);

    HBITMAP Handle() const { return m_hBitmap; }
    int X() const { return m_x; }
    int Y() const { return m_y; }
    void SetPos(int x, int y);
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    bool IsLoaded() const { return m_bLoaded != 0; }
    bool IsFromResource() const { return m_bFromResource != 0; }
    const wchar_t* Name() const { return m_szName; }
    UINT ResourceId() const { return m_nResId; }

    // The cache key of a resource: "Res=%x".
    static void ResourceKey(UINT resId, wchar_t (&out)[kNameLength]);

private:
    bool TakeBitmap(HBITMAP bmp);
    void Blit(HDC dc, HDC mem, int x, int y, int cx, int cy, int srcX, int srcY);

    HBITMAP m_hBitmap;
    short m_x;
    short m_y;
    short m_cx;
    short m_cy;
    int m_bLoaded;
    int m_bFromResource;
    wchar_t m_szName[kNameLength];
    UINT m_nResId;
};
