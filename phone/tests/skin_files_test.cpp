// The skins of the installation image: every key of both layouts carries a
// glyph of its own inside its rectangle, the pressed picture changes only
// the keys, and the display's strip holds every piece.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "LcdTestUtil.h"
#include "Screenshot.h"

namespace {

using zentest::Image;

constexpr int kDisplayHeight = 58;  // the picture's top belongs to the display

struct KeyRect {
    int x, y, w, h;
};

// Key rectangles inside the dial pad by key index (0-9, '*', '#', send,
// clear, end).
std::vector<KeyRect> StandardKeys()
{
    std::vector<KeyRect> k(15);
    const int rows[4] = {41, 78, 115, 152};
    const int order[4][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 0, 11}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            k[order[r][c]] = {80 * c, rows[r], 80, 38};
    for (int i = 0; i < 3; ++i)
        k[12 + i] = {80 * i, 1, 80, 40};
    return k;
}

std::vector<KeyRect> Type40Keys()
{
    std::vector<KeyRect> k(15);
    const int rows[4] = {17, 58, 99, 140};
    const int cols[3] = {3, 60, 117};
    const int order[4][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 0, 11}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            k[order[r][c]] = {cols[c], rows[r], 57, 41};
    k[12] = {179, 17, 57, 62};
    k[13] = {179, 79, 57, 51};
    k[14] = {179, 130, 57, 51};
    return k;
}

int Distance(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8)
        d += std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF));
    return d;
}

// The glyph of a key: pixels that stand out from the key's face in their row
// (sampled left of the glyph, clear of the key's rounded corners), over all
// but the key's edge rows.
constexpr int kEdge = 5;

struct Glyph {
    std::vector<bool> mask;  // over the key's rectangle
    int count = 0;
    long sumY = 0;
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    double CentreY() const { return count ? double(sumY) / count : -1; }
};

Glyph GlyphOf(const Image& img, const KeyRect& k)
{
    Glyph g;
    const int y0 = k.y + kDisplayHeight;
    const int span = k.w - 2 * kEdge;
    g.mask.assign(static_cast<size_t>(k.w) * k.h, false);
    for (int y = kEdge; y < k.h - kEdge; ++y) {
        const uint32_t face = img.At(k.x + 8, y0 + y);
        std::vector<int> row;
        for (int x = kEdge; x < k.w - kEdge; ++x)
            if (Distance(img.At(k.x + x, y0 + y), face) > 120)
                row.push_back(x);
        if (static_cast<int>(row.size()) * 5 > span * 4)
            continue;  // a frame line across the key, not a character
        for (int x : row) {
            g.mask[static_cast<size_t>(y) * k.w + x] = true;
            ++g.count;
            g.sumY += y;
            g.left = std::min(g.left, x);
            g.right = std::max(g.right, x);
            g.top = std::min(g.top, y);
            g.bottom = std::max(g.bottom, y);
        }
    }
    return g;
}

int MaskDifference(const Glyph& a, const KeyRect& ka, const Glyph& b, const KeyRect& kb)
{
    int d = 0;
    for (int y = 0; y < std::min(ka.h, kb.h); ++y)
        for (int x = 0; x < std::min(ka.w, kb.w); ++x)
            d += a.mask[static_cast<size_t>(y) * ka.w + x] != b.mask[static_cast<size_t>(y) * kb.w + x];
    return d;
}

uint32_t MeanFace(const Image& img, const KeyRect& k)
{
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = k.y + 6; y < k.y + k.h - 6; ++y) {
        const uint32_t p = img.At(k.x + 5, y + kDisplayHeight);
        r += (p >> 16) & 0xFF;
        g += (p >> 8) & 0xFF;
        b += p & 0xFF;
        ++n;
    }
    return zentest::Rgb(r / n, g / n, b / n);
}

bool InAnyKey(const std::vector<KeyRect>& keys, int x, int y)
{
    for (const KeyRect& k : keys)
        if (x >= k.x && x < k.x + k.w && y >= k.y + kDisplayHeight && y < k.y + k.h + kDisplayHeight)
            return true;
    return false;
}

void CheckDialPad(const wchar_t* skin, const std::vector<KeyRect>& keys)
{
    SCOPED_TRACE(testing::Message() << "skin " << (skin[0] == L'd' ? "default" : "type40"));
    const Image up = zentest::LoadBitmapFile(lcdtest::SkinFile(skin, L"DialPad.bmp"));
    const Image down = zentest::LoadBitmapFile(lcdtest::SkinFile(skin, L"DialPad_Push.bmp"));
    ASSERT_FALSE(up.empty());
    ASSERT_FALSE(down.empty());
    // The display's 58 rows and the pad's view of 320 - 130 rows.
    EXPECT_EQ(240, up.width);
    EXPECT_EQ(kDisplayHeight + 190, up.height);
    ASSERT_EQ(up.width, down.width);
    ASSERT_EQ(up.height, down.height);

    std::vector<Glyph> glyphs;
    for (size_t i = 0; i < keys.size(); ++i) {
        const KeyRect& k = keys[i];
        for (const Image* img : {&up, &down}) {
            const Glyph g = GlyphOf(*img, k);
            EXPECT_GT(g.count, 30) << "key " << i << " has no glyph";
            // Centred in its key, clear of its edges.
            EXPECT_NEAR(k.w / 2.0, (g.left + g.right) / 2.0, 3.0) << "key " << i;
            EXPECT_NEAR(k.h / 2.0, (g.top + g.bottom) / 2.0, 3.0) << "key " << i;
            EXPECT_NEAR(k.h / 2.0, g.CentreY(), 5.0) << "key " << i;
            EXPECT_GT(g.top, kEdge) << "key " << i;
            EXPECT_LT(g.bottom, k.h - kEdge - 1) << "key " << i;
            if (img == &up)
                glyphs.push_back(g);
        }
        // The pressed key looks pressed.
        const RECT rc = {k.x, k.y + kDisplayHeight, k.x + k.w, k.y + k.h + kDisplayHeight};
        EXPECT_GT(zentest::DifferentShare(up, down, rc), 0.4) << "key " << i;
    }
    for (size_t a = 0; a < glyphs.size(); ++a)
        for (size_t b = a + 1; b < glyphs.size(); ++b)
            EXPECT_GT(MaskDifference(glyphs[a], keys[a], glyphs[b], keys[b]), 20)
                << "keys " << a << " and " << b << " look alike";

    // Outside the keys both pictures are the same.
    int outside = 0, same = 0;
    for (int y = 0; y < up.height; ++y)
        for (int x = 0; x < up.width; ++x)
            if (!InAnyKey(keys, x, y)) {
                ++outside;
                same += up.At(x, y) == down.At(x, y);
            }
    EXPECT_EQ(outside, same);

    // Send is green, end is red, as on every phone.
    const uint32_t send = MeanFace(up, keys[12]), end = MeanFace(up, keys[14]);
    EXPECT_GT(int((send >> 8) & 0xFF), int((send >> 16) & 0xFF) + 40);
    EXPECT_GT(int((end >> 16) & 0xFF), int((end >> 8) & 0xFF) + 40);
}

TEST(Skins, DefaultKeysSitInTheStandardRectangles)
{
    CheckDialPad(L"default", StandardKeys());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(lcdtest::SkinFile(L"default", L"SkinType40.st").c_str()));
}

TEST(Skins, Type40KeysSitInTheirRectanglesAndTheMarkerIsThere)
{
    CheckDialPad(L"type40", Type40Keys());
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExW(lcdtest::SkinFile(L"type40", L"SkinType40.st").c_str(), GetFileExInfoStandard,
                                     &data));
    EXPECT_EQ(0u, data.nFileSizeLow);
}

TEST(Skins, StripsHoldEveryIndicatorPiece)
{
    const uint32_t clear = zentest::Rgb(255, 128, 255);
    struct Row {
        int y, w, h, count, x0;
    } rows[] = {{0, 16, 11, 6, 0}, {11, 20, 11, 5, 0}, {22, 14, 11, 6, 0}, {33, 22, 11, 3, 0}, {44, 14, 11, 3, 0}};
    for (const wchar_t* skin : {L"default", L"type40"}) {
        const Image strip = zentest::LoadBitmapFile(lcdtest::SkinFile(skin, L"LED.bmp"));
        ASSERT_FALSE(strip.empty());
        ASSERT_GE(strip.width, 100);
        ASSERT_GE(strip.height, 55);
        for (const Row& r : rows) {
            std::vector<std::vector<uint32_t>> pieces;
            for (int i = 0; i < r.count; ++i) {
                std::vector<uint32_t> px;
                int inked = 0, transparent = 0;
                for (int y = 0; y < r.h; ++y)
                    for (int x = 0; x < r.w; ++x) {
                        const uint32_t p = strip.At(r.x0 + i * r.w + x, r.y + y);
                        px.push_back(p);
                        (p == clear ? transparent : inked)++;
                    }
                EXPECT_GT(inked, 8) << "row " << r.y << " piece " << i;
                EXPECT_GT(transparent, 8) << "row " << r.y << " piece " << i;
                for (const auto& other : pieces)
                    EXPECT_NE(other, px) << "row " << r.y << " piece " << i << " repeats another";
                pieces.push_back(px);
            }
        }
    }
}

}  // namespace
