// Draws the phone application's own pictures: the title band behind the
// clock, the menu bar's image strip, the three pictures of the companion
// bar, the call list's status icons and the program icon.
//
//   phonegen OUTDIR
#include <cstdio>
#include <string>
#include <vector>

#include "Canvas.h"
#include "PixelFont.h"

namespace {

using pixelfont::DrawSprite;
using pixelfont::DrawText;
using pixelfont::TextWidth;

const Rgb kKey = {255, 0, 255};  // transparent in the menu bar's strip
const Rgb kWhite = {255, 255, 255};
const Rgb kInk = {40, 40, 48};

// 240 x 26: a dark band, the program's name over the start area and a close
// mark at the right end.
Canvas TitleBand()
{
    const Rgb top = {46, 62, 98}, bottom = {14, 22, 44};
    Canvas c(240, 26, top);
    for (int y = 0; y < 26; ++y)
        c.Fill(0, y, 240, y + 1, Mix(top, bottom, y / 25.0));
    c.Fill(0, 25, 240, 26, {0, 0, 0});
    DrawText(c, 6, 10, "ZENTRIKA", 1, {190, 205, 235});
    c.Line(224, 8, 233, 17, 2.0, {235, 96, 88});
    c.Line(233, 8, 224, 17, 2.0, {235, 96, 88});
    return c;
}

// One 16 x 16 picture of the menu bar, drawn in sprite rows.
Canvas Icon16(std::initializer_list<const char*> rows, Rgb ink, Rgb fill)
{
    Canvas c(16, 16, kKey);
    DrawSprite(c, 0, 0, rows, {{'#', ink}, {'o', fill}});
    return c;
}

Canvas MenuStrip()
{
    const Rgb blue = {30, 70, 160}, light = {200, 220, 250};
    const std::vector<Canvas> icons = {
        // messages: an envelope
        Icon16({"", "", "", "################", "#oo##oooooo##oo#", "#oooo##oo##oooo#", "#oooooo##oooooo#",
                "#oooooooooooooo#", "#oooooooooooooo#", "#oooooooooooooo#", "#oooooooooooooo#", "################"},
               blue, light),
        // contacts: a person
        Icon16({"", "     ####", "    #oooo#", "    #oooo#", "    #oooo#", "     ####", "", "   ########",
                "  #oooooooo#", " #oooooooooo#", " #oooooooooo#", " #oooooooooo#", " ############"},
               blue, light),
        // call list: lines of a list
        Icon16({"", " ##############", " #oooooooooooo#", " #o##o#######o#", " #oooooooooooo#",
                " #o##o#######o#", " #oooooooooooo#", " #o##o#######o#", " #oooooooooooo#",
                " #o##o#######o#", " #oooooooooooo#", " ##############"},
               blue, light),
        // volume: a speaker
        Icon16({"", "       #", "      ##    #", "     #o#  #  #", " ####oo#   #  #", " #ooooo# # #  #",
                " #ooooo# # #  #", " #ooooo# # #  #", " ####oo#   #  #", "     #o#  #  #", "      ##    #",
                "       #"},
               blue, light),
        // speed dial: a lightning bolt
        Icon16({"        ###", "       #oo#", "      #oo#", "     #oo#", "    #oo#", "   #oooooo#",
                "    ###oo#", "      #oo#", "     #oo#", "    #oo#", "   #oo#", "   ###"},
               {200, 120, 0}, {255, 210, 80}),
        // user ring tones: a note
        Icon16({"", "      ########", "      #oooooo#", "      ########", "      #      #", "      #      #",
                "      #      #", "      #      #", "   ####   ####", "  #oooo# #oooo#", "  #oooo# #oooo#",
                "   ####   ####"},
               blue, light),
        // settings: a gear
        Icon16({"", "      ####", "   ## #oo# ##", "  #oo##oo##oo#", "   #oooooooo#", " ###ooo##ooo###",
                " #ooooo# #ooooo#", " #ooooo# #ooooo#", " ###ooo##ooo###", "   #oooooooo#", "  #oo##oo##oo#",
                "   ## #oo# ##", "      ####"},
               kInk, {170, 170, 180}),
        // lock
        Icon16({"", "     ######", "    #      #", "    #      #", "    #      #", "  ############",
                "  #oooooooooo#", "  #oooo##oooo#", "  #oooo##oooo#", "  #ooooo#oooo#", "  #oooooooooo#",
                "  ############"},
               kInk, {230, 190, 60}),
        // phone handset
        Icon16({"", "  ###", " #ooo#", " #oo#", " #oo#", " #oo#", "  #oo#", "   #oo#    ##", "    #oo###oo#",
                "     #oooooo#", "      ######"},
               kInk, {120, 200, 120}),
        // browser: a globe
        Icon16({"", "     #####", "   ##ooooo##", "  #oo#ooo#oo#", "  ###########", " #oo#ooooo#oo#",
                " #oo#ooooo#oo#", "  ###########", "  #oo#ooo#oo#", "   ##ooooo##", "     #####"},
               blue, {150, 210, 240}),
        // exit: a cross
        Icon16({"", "  ##        ##", "   ##      ##", "    ##    ##", "     ##  ##", "      ####", "       ##",
                "      ####", "     ##  ##", "    ##    ##", "   ##      ##", "  ##        ##"},
               {190, 30, 30}, kKey),
    };
    Canvas strip(16 * static_cast<int>(icons.size()), 16, kKey);
    for (size_t i = 0; i < icons.size(); ++i)
        strip.Paste(icons[i], static_cast<int>(i) * 16);
    return strip;
}

// The companion bar, 240 x 20 with five cells: normal, pressed or disabled.
Canvas CompanionBar(int look)
{
    static const char* const kLabels[5] = {"PIMS", "WEB", "GAME", "BOOK", "CH"};
    const Rgb face = {214, 211, 206};
    Canvas c(240, 20, face);
    for (int i = 0; i < 5; ++i) {
        const int x0 = i * 48;
        Rgb top = {236, 238, 244}, bottom = {176, 184, 204}, border = {110, 118, 140}, ink = {30, 50, 110};
        if (look == 1) {
            top = {60, 90, 170};
            bottom = {30, 50, 120};
            ink = kWhite;
        } else if (look == 2) {
            top = {226, 226, 226};
            bottom = {200, 200, 200};
            border = {170, 170, 170};
            ink = {150, 150, 150};
        }
        c.RoundedGradient(x0 + 1, 1, x0 + 47, 19, 3, top, bottom, border);
        const int w = TextWidth(kLabels[i], 1);
        DrawText(c, x0 + (48 - w) / 2, 7, kLabels[i], 1, ink);
    }
    return c;
}

// A 32 x 32 icon: a handset on a blue rounded square.
Canvas IconPicture()
{
    Canvas c(32, 32, kWhite);
    c.RoundedGradient(0, 0, 32, 32, 6, {70, 120, 210}, {20, 50, 130}, {10, 30, 90});
    c.Line(9, 8, 12, 22, 4.0, kWhite);
    c.Line(12, 22, 24, 25, 4.0, kWhite);
    c.Line(7, 7, 12, 6, 4.5, kWhite);
    c.Line(24, 25, 26, 20, 4.5, kWhite);
    return c;
}

// An .ico file holding one 32-bit picture; the corners outside the rounded
// square are transparent.
bool SaveIcon(const Canvas& pic, const std::string& path)
{
    const int w = pic.Width(), h = pic.Height();
    const uint32_t xorBytes = static_cast<uint32_t>(w * h * 4);
    const uint32_t andStride = ((w + 31) / 32) * 4;
    const uint32_t andBytes = andStride * h;
    const uint32_t imageBytes = 40 + xorBytes + andBytes;
    std::vector<uint8_t> out;
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(0, 2), put(1, 2), put(1, 2);                       // icon directory, one entry
    put(w, 1), put(h, 1), put(0, 1), put(0, 1), put(1, 2), put(32, 2), put(imageBytes, 4), put(22, 4);
    put(40, 4), put(w, 4), put(h * 2, 4), put(1, 2), put(32, 2), put(0, 4), put(xorBytes + andBytes, 4);
    put(0, 4), put(0, 4), put(0, 4), put(0, 4);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const Rgb c = pic.Get(x, y);
            const bool clear = c.r == 255 && c.g == 255 && c.b == 255;
            out.push_back(c.b), out.push_back(c.g), out.push_back(c.r), out.push_back(clear ? 0 : 255);
        }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(andStride, 0);
        for (int x = 0; x < w; ++x) {
            const Rgb c = pic.Get(x, y);
            if (c.r == 255 && c.g == 255 && c.b == 255)
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

// 100 x 11: the call list's status icons, 25 pixels each: dialled (an arrow
// out), received (an arrow in), missed (a red arrow in) and any other kind (a
// cross), on the list's transparent colour.
Canvas CallIcons()
{
    const Rgb clear = {255, 128, 255};
    const Rgb inks[4] = {{0, 90, 230}, {0, 160, 60}, {230, 0, 0}, {120, 120, 120}};
    Canvas c(100, 11, clear);
    for (int i = 0; i < 4; ++i) {
        const int x = i * 25 + 4;
        if (i == 3) {
            c.Line(x + 4, 1, x + 13, 10, 1.2, inks[i]);
            c.Line(x + 13, 1, x + 4, 10, 1.2, inks[i]);
            continue;
        }
        const bool out = i == 0;
        c.Fill(out ? x : x + 6, 4, out ? x + 11 : x + 17, 7, inks[i]);
        for (int step = 0; step <= 7; ++step) {  // the head: a point, 9 rows at its base
            const int half = step * 4 / 7;
            const int col = out ? x + 17 - step : x + step;
            c.Fill(col, 5 - half, col + 1, 6 + half, inks[i]);
        }
    }
    return c;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    bool ok = TitleBand().SaveBmp(dir + "phone_clock.bmp") && MenuStrip().SaveBmp(dir + "phone_menubar.bmp") &&
              CompanionBar(0).SaveBmp(dir + "phone_companion.bmp") &&
              CompanionBar(1).SaveBmp(dir + "phone_companion_push.bmp") &&
              CompanionBar(2).SaveBmp(dir + "phone_companion_off.bmp") &&
              CallIcons().SaveBmp(dir + "phone_call_icons.bmp") && SaveIcon(IconPicture(), dir + "phone.ico");
    if (!ok)
        std::fprintf(stderr, "phonegen: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
