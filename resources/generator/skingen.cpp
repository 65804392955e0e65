// Draws the dial-pad skins of the installation folder: for each skin the
// pad with its keys up ("DialPad.bmp") and pressed ("DialPad_Push.bmp"), the
// display's indicator strip ("LED.bmp") and, for the type-40 key layout,
// the empty marker "SkinType40.st".
//
//   skingen SKINDIR      (writes SKINDIR/default and SKINDIR/type40)
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Canvas.h"
#include "PixelFont.h"

namespace {

using pixelfont::DrawSprite;
using pixelfont::DrawText;
using pixelfont::TextWidth;

constexpr int kWidth = 240;
constexpr int kDisplayHeight = 58;  // the display window's part of the picture
constexpr int kPadHeight = 190;     // the dial pad's view: 320 - 130

struct Rect {
    int x, y, w, h;
};

// Key rectangles inside the dial pad, by key index: 0-9 digits, 10 '*',
// 11 '#', 12 send, 13 clear, 14 end.
struct Layout {
    Rect keys[15];
};

// Digit rows hold [1][2][3] / [4][5][6] / [7][8][9] / [*][0][#].
constexpr int kRowKeys[4][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 0, 11}};

Layout StandardLayout()
{
    Layout l{};
    for (int i = 0; i < 3; ++i)
        l.keys[12 + i] = {80 * i, 1, 80, 40};
    const int rows[4] = {41, 78, 115, 152};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            l.keys[kRowKeys[r][c]] = {80 * c, rows[r], 80, 38};
    return l;
}

Layout Type40Layout()
{
    Layout l{};
    l.keys[12] = {179, 17, 57, 62};
    l.keys[13] = {179, 79, 57, 51};
    l.keys[14] = {179, 130, 57, 51};
    const int rows[4] = {17, 58, 99, 140};
    const int cols[3] = {3, 60, 117};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            l.keys[kRowKeys[r][c]] = {cols[c], rows[r], 57, 41};
    return l;
}

struct Theme {
    Rgb padTop, padBottom;      // behind the keys
    Rgb lcdTop, lcdBottom;      // the display panel
    Rgb lcdFrame;
    Rgb keyTop, keyBottom, keyBorder, keyInk;
    Rgb pushTop, pushBottom, pushInk;
    Rgb stripInk;               // indicator pieces
};

const Theme kDefaultTheme = {
    {62, 72, 96},    {28, 33, 48},
    {222, 238, 226}, {188, 214, 198}, {70, 90, 80},
    {250, 250, 252}, {196, 200, 210}, {90, 96, 112}, {24, 28, 40},
    {255, 214, 120}, {240, 150, 30},  {60, 30, 0},
    {28, 36, 32},
};

const Theme kType40Theme = {
    {36, 38, 42},    {12, 12, 14},
    {214, 228, 250}, {176, 198, 236}, {60, 76, 110},
    {206, 212, 222}, {140, 148, 162}, {40, 44, 52}, {10, 12, 20},
    {150, 210, 255}, {40, 120, 220},  {255, 255, 255},
    {16, 24, 60},
};

const char* const kLetters[12] = {"", "", "ABC", "DEF", "GHI", "JKL", "MNO", "PQRS", "TUV", "WXYZ", "", ""};
const char kKeyChars[] = "0123456789*#";

// The function keys: label and face colours (up, pressed).
struct FunctionKey {
    const char* label;
    Rgb top, bottom, pushTop, pushBottom;
};
const FunctionKey kFunctionKeys[3] = {
    {"SEND", {90, 200, 90}, {20, 120, 30}, {170, 255, 170}, {60, 190, 70}},
    {"CLR", {250, 200, 90}, {190, 120, 20}, {255, 240, 170}, {240, 170, 50}},
    {"END", {240, 90, 80}, {160, 20, 20}, {255, 180, 170}, {230, 70, 60}},
};

void DrawKey(Canvas& c, const Rect& r, int index, bool pushed, const Theme& t)
{
    const int x0 = r.x + 2, y0 = r.y + 2, x1 = r.x + r.w - 2, y1 = r.y + r.h - 2;
    if (index >= 12) {
        const FunctionKey& f = kFunctionKeys[index - 12];
        c.RoundedGradient(x0, y0, x1, y1, 6, pushed ? f.pushTop : f.top, pushed ? f.pushBottom : f.bottom,
                          Mix(f.bottom, {0, 0, 0}, 0.4));
        const int scale = 2;
        const int w = TextWidth(f.label, scale), h = pixelfont::kGlyphH * scale;
        DrawText(c, r.x + (r.w - w) / 2, r.y + (r.h - h) / 2, f.label, scale, {255, 255, 255});
        return;
    }
    c.RoundedGradient(x0, y0, x1, y1, 6, pushed ? t.pushTop : t.keyTop, pushed ? t.pushBottom : t.keyBottom,
                      t.keyBorder);
    const Rgb ink = pushed ? t.pushInk : t.keyInk;
    const char digit[2] = {kKeyChars[index], 0};
    const char* letters = kLetters[index];
    const int digitScale = 3, gap = 5;
    const int dw = TextWidth(digit, digitScale), dh = pixelfont::kGlyphH * digitScale;
    const int lw = TextWidth(letters, 1);
    const int total = dw + (lw ? gap + lw : 0);
    const int x = r.x + (r.w - total) / 2;
    DrawText(c, x, r.y + (r.h - dh) / 2, digit, digitScale, ink);
    if (lw)
        DrawText(c, x + dw + gap, r.y + (r.h - pixelfont::kGlyphH) / 2 + 1, letters, 1, Mix(ink, t.keyBorder, 0.3));
}

// The whole picture: the display panel on top, the pad below it.
Canvas DialPad(const Layout& l, const Theme& t, bool pushed)
{
    Canvas c(kWidth, kDisplayHeight + kPadHeight, t.padBottom);
    for (int y = 0; y < c.Height(); ++y)
        c.Fill(0, y, kWidth, y + 1, Mix(t.padTop, t.padBottom, y / double(c.Height() - 1)));
    c.RoundedGradient(2, 1, kWidth - 2, kDisplayHeight - 1, 5, t.lcdTop, t.lcdBottom, t.lcdFrame);
    for (int i = 0; i < 15; ++i) {
        Rect r = l.keys[i];
        r.y += kDisplayHeight;
        DrawKey(c, r, i, pushed, t);
    }
    return c;
}

// The indicator strip: rows of pieces on the transparent colour.
//   y  0: antenna with 0-5 bars, 16 x 11 each
//   y 11: call volume 0-4, 20 x 11 each
//   y 22: battery 0-5, 14 x 11 each
//   y 33: module rings / ring tone / silent, 22 x 11 each
//   y 44: lock, in a call, unread messages, 14 x 11 each
Canvas LedStrip(const Theme& t)
{
    const Rgb clear = {255, 128, 255};
    const Rgb ink = t.stripInk, faint = Mix(t.stripInk, t.lcdBottom, 0.65);
    const Rgb red = {210, 20, 20}, green = {20, 150, 40};
    Canvas c(100, 55, clear);

    for (int n = 0; n <= 5; ++n) {
        const int x = 16 * n;
        DrawSprite(c, x, 0, {"#.#.#", ".###.", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."},
                   {{'#', ink}});
        for (int i = 0; i < 5; ++i)
            c.Fill(x + 6 + 2 * i, 10 - (2 + 2 * i), x + 7 + 2 * i, 10, i < n ? ink : faint);
    }
    for (int n = 0; n <= 4; ++n) {
        const int x = 20 * n;
        DrawSprite(c, x, 11, {"", "...#", "..##", "####", "####", "####", "####", "####", "..##", "...#"},
                   {{'#', ink}});
        for (int i = 0; i < 4; ++i)
            c.Fill(x + 7 + 3 * i, 11 + 9 - (3 + 2 * i), x + 9 + 3 * i, 11 + 9, i < n ? ink : faint);
    }
    for (int n = 0; n <= 5; ++n) {
        const int x = 14 * n;
        DrawSprite(c, x, 22, {"", "", "############", "#..........###", "#..........#.#", "#..........#.#",
                              "#..........###", "############"},
                   {{'#', ink}});
        for (int i = 0; i < n; ++i)
            c.Fill(x + 2 + 2 * i, 22 + 4, x + 3 + 2 * i, 22 + 7, ink);
    }
    const std::initializer_list<const char*> bell = {"....#....", "...###...", "..#####..", "..#####..",
                                                     "..#####..", ".#######.", ".#######.", "#########",
                                                     "#########", "....#...."};
    DrawSprite(c, 1, 33, bell, {{'#', ink}});
    DrawText(c, 14, 35, "M", 1, ink);
    DrawSprite(c, 22 + 3, 33, {"...#######", "...#######", "...#.....#", "...#.....#", "...#.....#",
                                "...#.....#", ".###...###", "####..####", "####..####", ".##....##."},
               {{'#', ink}});
    DrawSprite(c, 44 + 4, 33, bell, {{'#', faint}});
    DrawSprite(c, 44 + 3, 33, {"r.........r", ".r.......r.", "..r.....r..", "...r...r...", "....r.r....",
                                ".....r.....", "....r.r....", "...r...r...", "..r.....r..", ".r.......r."},
               {{'r', red}});
    DrawSprite(c, 0, 44, {"....####", "...#....#", "...#....#", "..########", "..########", "..###..###",
                          "..###..###", "..########", "..########"},
               {{'#', ink}});
    DrawSprite(c, 14, 44, {"gg", "ggg", "ggg", ".gg", "..gg", "...gg", "....gg...gg", ".....ggggggg",
                           "......ggggg"},
               {{'g', green}});
    DrawSprite(c, 28, 45, {"##############", "##..........##", "#.#........#.#", "#..#......#..#",
                           "#...#....#...#", "#....####....#", "#............#", "##############"},
               {{'#', ink}});
    return c;
}

bool MakeDir(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    return mkdir(path.c_str(), 0755) == 0;
}

bool WriteSkin(const std::string& dir, const Layout& l, const Theme& t, bool type40)
{
    if (!MakeDir(dir))
        return false;
    bool ok = DialPad(l, t, false).SaveBmp(dir + "/DialPad.bmp") &&
              DialPad(l, t, true).SaveBmp(dir + "/DialPad_Push.bmp") && LedStrip(t).SaveBmp(dir + "/LED.bmp");
    const std::string marker = dir + "/SkinType40.st";
    if (type40) {
        FILE* f = std::fopen(marker.c_str(), "wb");
        ok = ok && f && std::fclose(f) == 0;
    } else {
        std::remove(marker.c_str());
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SKINDIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    if (!MakeDir(dir) || !WriteSkin(dir + "/default", StandardLayout(), kDefaultTheme, false) ||
        !WriteSkin(dir + "/type40", Type40Layout(), kType40Theme, true)) {
        std::fprintf(stderr, "skingen: cannot write the skins under %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
