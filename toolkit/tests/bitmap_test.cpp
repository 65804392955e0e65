// Bitmap records and the shared cache: resources, files, lazy loading, drawing.
#include <gtest/gtest.h>

#include <string>

#include "Screenshot.h"
#include "resources/toolkit_res.h"
#include "toolkit/CCeMBitmap.h"
#include "toolkit/CCeMBitmapCache.h"

namespace {

HINSTANCE Self() { return GetModuleHandleW(nullptr); }

// A 4 x 2 file: left half red, right half blue.
std::wstring WriteTestFile(const wchar_t* name)
{
    zentest::Image img;
    img.width = 4;
    img.height = 2;
    img.pixels = {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF, 0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF};
    EXPECT_TRUE(img.SaveBmp(name));
    return name;
}

// Pixels drawn into a white 64 x 32 memory canvas.
class Canvas {
public:
    Canvas()
    {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = 64;
        bi.bmiHeader.biHeight = -32;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        mem = CreateCompatibleDC(nullptr);
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bmp);
        RECT all = {0, 0, 64, 32};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
        DeleteDC(mem);
    }
    uint32_t At(int x, int y)
    {
        GdiFlush();
        return bits[y * 64 + x] & 0xFFFFFF;
    }
    HDC dc, mem;

private:
    HBITMAP bmp;
    HGDIOBJ old;
    uint32_t* bits = nullptr;
};

TEST(CCeMBitmap, ResourceRecordNamesAndSizes)
{
    CCeMBitmap b;
    ASSERT_EQ(1, b.LoadFromResource(Self(), IDB_MSGBOX_OK, 1));
    EXPECT_TRUE(b.IsLoaded());
    EXPECT_TRUE(b.IsFromResource());
    EXPECT_STREQ(L"Res=a2", b.Name());
    EXPECT_EQ(112, b.Width());  // two 56 x 22 frames
    EXPECT_EQ(22, b.Height());

    CCeMBitmap lazy;
    ASSERT_EQ(1, lazy.LoadFromResource(Self(), 126, 0));  // not loaded: no resource needed yet
    EXPECT_STREQ(L"Res=7e", lazy.Name());
    EXPECT_FALSE(lazy.IsLoaded());
    EXPECT_EQ(0, lazy.Width());
    EXPECT_EQ(nullptr, lazy.Handle());
}

TEST(CCeMBitmap, MissingResourceOrFileFails)
{
    CCeMBitmap b;
    EXPECT_EQ(0, b.LoadFromResource(Self(), 4711, 1));
    EXPECT_EQ(nullptr, b.Handle());
    EXPECT_EQ(0, b.LoadFromFile(L"no-such-picture.bmp", 1));
    EXPECT_EQ(0, b.Reload(Self()));  // nothing to reload from
    EXPECT_EQ(0, b.Unload());
}

TEST(CCeMBitmap, PathsLongerThanTheNameFieldAreRefused)
{
    const std::wstring path63(63, L'a');
    const std::wstring path64(64, L'a');
    CCeMBitmap b;
    EXPECT_EQ(1, b.LoadFromFile(path63.c_str(), 0));
    EXPECT_EQ(path63, b.Name());
    CCeMBitmap c;
    EXPECT_EQ(0, c.LoadFromFile(path64.c_str(), 0));
    EXPECT_STREQ(L"", c.Name());
    EXPECT_EQ(0, c.LoadFromFile(nullptr, 0));
}

TEST(CCeMBitmap, FileLoadsReloadsAndUnloads)
{
    const std::wstring path = WriteTestFile(L"bitmap_test_4x2.bmp");
    CCeMBitmap b;
    ASSERT_EQ(1, b.LoadFromFile(path.c_str(), 1));
    EXPECT_FALSE(b.IsFromResource());
    EXPECT_EQ(4, b.Width());
    EXPECT_EQ(2, b.Height());
    EXPECT_EQ(1, b.Unload());
    EXPECT_FALSE(b.IsLoaded());
    EXPECT_EQ(nullptr, b.Handle());
    EXPECT_EQ(0, b.Unload());
    EXPECT_EQ(1, b.Reload(Self()));
    EXPECT_TRUE(b.IsLoaded());
    EXPECT_NE(nullptr, b.Handle());
    b.Free();
    EXPECT_EQ(nullptr, b.Handle());
    EXPECT_EQ(0, b.Width());
}

TEST(CCeMBitmap, DrawingCopiesTheRightPixels)
{
    const std::wstring path = WriteTestFile(L"bitmap_test_draw.bmp");
    CCeMBitmap b;
    ASSERT_EQ(1, b.LoadFromFile(path.c_str(), 1));
    Canvas c;
    b.SetPos(10, 5);
    b.Draw(c.dc, c.mem);
    EXPECT_EQ(0xFF0000u, c.At(10, 5));
    EXPECT_EQ(0x0000FFu, c.At(13, 6));
    EXPECT_EQ(0xFFFFFFu, c.At(14, 5));
    b.DrawAt(c.dc, c.mem, 30, 20);
    EXPECT_EQ(0xFF0000u, c.At(31, 21));
    b.DrawPart(c.dc, c.mem, 40, 0, 2, 0, 2, 2);  // the blue half only
    EXPECT_EQ(0x0000FFu, c.At(40, 0));
    EXPECT_EQ(0xFFFFFFu, c.At(42, 0));
    b.DrawFrom(c.dc, c.mem, 2, 0);  // source shifted: blue lands at the origin
    EXPECT_EQ(0x0000FFu, c.At(0, 0));
    // Transparent: the red pixels are left out.
    EXPECT_NE(0, b.DrawTransparent(c.dc, c.mem, RGB(255, 0, 0), 50, 10, 0, 0, 4, 2));
    EXPECT_EQ(0xFFFFFFu, c.At(50, 10));
    EXPECT_EQ(0x0000FFu, c.At(53, 10));

    // Without a bitmap nothing is drawn.
    CCeMBitmap empty;
    empty.DrawAt(c.dc, c.mem, 60, 30);
    EXPECT_EQ(0xFFFFFFu, c.At(60, 30));
    EXPECT_EQ(0, empty.DrawTransparent(c.dc, c.mem, 0, 0, 0, 0, 0, 1, 1));
}

TEST(CCeMBitmapCache, SameResourceTwiceIsOneRecord)
{
    CCeMBitmapCache cache;
    CCeMBitmap* a = cache.AddResource(Self(), IDB_MSGBOX_OK, 0);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(a, cache.AddResource(Self(), IDB_MSGBOX_OK, 1));
    EXPECT_EQ(1, cache.Count());
    EXPECT_EQ(a, cache.Find(L"Res=a2"));
    EXPECT_EQ(nullptr, cache.Find(L"Res=A2"));  // keys are case-sensitive
}

TEST(CCeMBitmapCache, RegisteredUnloadedLoadsOnFirstGet)
{
    CCeMBitmapCache cache;
    CCeMBitmap* ok = cache.AddResource(Self(), IDB_MSGBOX_OK, 0);
    CCeMBitmap* cancel = cache.AddResource(Self(), IDB_MSGBOX_CANCEL, 0);
    ASSERT_NE(nullptr, ok);
    ASSERT_NE(nullptr, cancel);
    EXPECT_EQ(0, ok->Width());
    EXPECT_EQ(0, ok->Height());
    EXPECT_EQ(cancel, cache.Get(Self(), 1));
    EXPECT_EQ(112, cancel->Width());
    EXPECT_EQ(0, ok->Width());  // only what was asked for loads
    HBITMAP first = cancel->Handle();
    EXPECT_EQ(cancel, cache.Get(Self(), 1));
    EXPECT_EQ(first, cancel->Handle());  // later calls return the same bitmap
    EXPECT_EQ(nullptr, cache.Get(Self(), 2));
    EXPECT_EQ(nullptr, cache.Get(Self(), -1));
}

TEST(CCeMBitmapCache, FailedLoadsAddNothingButALazyFailureStillGets)
{
    CCeMBitmapCache cache;
    EXPECT_EQ(nullptr, cache.AddResource(Self(), 4711, 1));
    EXPECT_EQ(nullptr, cache.AddFile(L"missing.bmp", 1));
    EXPECT_EQ(nullptr, cache.AddFile(std::wstring(80, L'x').c_str(), 0));
    EXPECT_EQ(0, cache.Count());
    CCeMBitmap* lazy = cache.AddResource(Self(), 4711, 0);
    ASSERT_NE(nullptr, lazy);
    EXPECT_EQ(lazy, cache.Get(Self(), 0));
    EXPECT_EQ(nullptr, lazy->Handle());

    const std::wstring path = WriteTestFile(L"bitmap_test_cache.bmp");
    CCeMBitmap* file = cache.AddFile(path.c_str(), 0);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(file, cache.AddFile(path.c_str(), 1));
    EXPECT_EQ(4, cache.Get(Self(), 1)->Width());
    CCeMBitmap* empty = cache.AddEmpty();
    EXPECT_EQ(3, cache.Count());
    EXPECT_EQ(nullptr, empty->Handle());
    cache.Clear();
    EXPECT_EQ(0, cache.Count());
}

}  // namespace
