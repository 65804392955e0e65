// Draws the pictures of the preference screens (frames, title bands, button
// strips, labels) as 24-bit BMP files.
//
//   prefsgen OUTDIR
#include <cstdio>
#include <functional>
#include <string>

#include "Canvas.h"
#include "PixelFont.h"

namespace {

const Rgb kWhite = {255, 255, 255};
const Rgb kTitleFace = {2, 84, 220};

using Glyph = std::function<void(Canvas&, Rgb)>;

void Cross(Canvas& c, Rgb ink)
{
    const double w = c.Width(), h = c.Height();
    c.Line(w * 0.30, h * 0.30, w * 0.70, h * 0.70, 2.5, ink);
    c.Line(w * 0.70, h * 0.30, w * 0.30, h * 0.70, 2.5, ink);
}

void Plus(Canvas& c, Rgb ink)
{
    const double w = c.Width(), h = c.Height();
    c.Line(w * 0.5, h * 0.25, w * 0.5, h * 0.75, 2.5, ink);
    c.Line(w * 0.25, h * 0.5, w * 0.75, h * 0.5, 2.5, ink);
}

void Minus(Canvas& c, Rgb ink)
{
    const double w = c.Width(), h = c.Height();
    c.Line(w * 0.25, h * 0.5, w * 0.75, h * 0.5, 2.5, ink);
}

void Check(Canvas& c, Rgb ink)
{
    const double w = c.Width(), h = c.Height();
    c.Line(w * 0.25, h * 0.52, w * 0.42, h * 0.72, 2.5, ink);
    c.Line(w * 0.42, h * 0.72, w * 0.75, h * 0.28, 2.5, ink);
}

void Lens(Canvas& c, Rgb ink)
{
    const double w = c.Width(), h = c.Height();
    const double cx = w * 0.45, cy = h * 0.45, r = h * 0.22;
    for (int a = 0; a < 36; ++a) {
        const double t0 = a * 3.14159265 / 18, t1 = (a + 1) * 3.14159265 / 18;
        c.Line(cx + r * std::cos(t0), cy + r * std::sin(t0), cx + r * std::cos(t1), cy + r * std::sin(t1), 2.0, ink);
    }
    c.Line(cx + r * 0.7, cy + r * 0.7, w * 0.72, h * 0.82, 2.5, ink);
}

// A two-frame button: normal (coloured face, white glyph) and pressed.
Canvas Strip(int w, int h, Rgb face, Rgb backdrop, const Glyph& glyph)
{
    Canvas strip(w * 2, h, backdrop);
    Canvas normal(w, h, backdrop);
    normal.RoundedGradient(0, 0, w, h, 4, Mix(face, kWhite, 0.35), face, Mix(face, {0, 0, 0}, 0.4));
    glyph(normal, kWhite);
    Canvas pressed(w, h, backdrop);
    pressed.RoundedGradient(0, 0, w, h, 4, kWhite, Mix(face, kWhite, 0.6), Mix(face, {0, 0, 0}, 0.4));
    glyph(pressed, face);
    strip.Paste(normal, 0);
    strip.Paste(pressed, w);
    return strip;
}

// A screen's frame: a 25-pixel title band over a plain body.
Canvas Frame(int w, int h, Rgb top, Rgb bottom, Rgb body)
{
    Canvas c(w, h, body);
    for (int y = 0; y < 25; ++y)
        c.Fill(0, y, w, y + 1, Mix(top, bottom, y / 24.0));
    c.Fill(0, 0, w, 1, Mix(top, kWhite, 0.5));
    return c;
}

// A small tile with a faint diagonal grain.
Canvas Pattern(Rgb base, Rgb grain)
{
    Canvas c(8, 8, base);
    for (int i = 0; i < 8; ++i)
        c.Set(i, (i * 3) % 8, grain);
    return c;
}

// A word in the pixel font on a rounded plate.
Canvas Label(int w, int h, const char* text, Rgb plate, Rgb ink)
{
    Canvas c(w, h, kWhite);
    c.RoundedGradient(0, 0, w, h, 4, Mix(plate, kWhite, 0.4), plate, Mix(plate, {0, 0, 0}, 0.3));
    const int scale = 2;
    const int tw = pixelfont::TextWidth(text, scale);
    pixelfont::DrawText(c, (w - tw) / 2, (h - pixelfont::kGlyphH * scale) / 2, text, scale, ink);
    return c;
}

// The volume scale drawn above each slider: 0 on the left, MAX on the right.
Canvas Scale()
{
    Canvas c(110, 14, kWhite);
    pixelfont::DrawText(c, 2, 3, "0", 1, {0, 0, 0});
    pixelfont::DrawText(c, 110 - 2 - pixelfont::TextWidth("MAX", 1), 3, "MAX", 1, {0, 0, 0});
    for (int x = 14; x < 88; x += 8)
        c.Fill(x, 9, x + 1, 13, {120, 120, 120});
    return c;
}

// A faint handset, the picture in the corner of the lists.
Canvas Handset(Rgb ink)
{
    Canvas c(100, 100, {252, 252, 255});
    c.RoundedGradient(30, 8, 70, 92, 8, Mix(ink, kWhite, 0.8), Mix(ink, kWhite, 0.7), Mix(ink, kWhite, 0.5));
    c.Fill(36, 18, 64, 48, Mix(ink, kWhite, 0.9));
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 3; ++k)
            c.Fill(38 + k * 9, 54 + r * 9, 44 + k * 9, 59 + r * 9, Mix(ink, kWhite, 0.55));
    return c;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const Rgb bodyBlue = {226, 236, 252};
    const Rgb purple = {164, 20, 120};
    const Rgb teal = {0, 139, 164};
    struct Out {
        const char* name;
        Canvas image;
    };
    const Out outputs[] = {
        // Frames and buttons the main window shares with its screens.
        {"pref_skin_frame.bmp", Frame(240, 190, {200, 70, 160}, purple, {248, 236, 246})},
        {"pref_skin_pattern.bmp", Pattern({250, 240, 248}, {236, 214, 230})},
        {"pref_skin_close.bmp", Strip(20, 20, purple, {200, 70, 160}, Cross)},
        {"pref_list_frame.bmp", Frame(240, 190, {70, 130, 240}, kTitleFace, bodyBlue)},
        {"pref_list_pattern.bmp", Pattern({250, 252, 255}, {232, 240, 252})},
        {"pref_list_close.bmp", Strip(20, 20, kTitleFace, kTitleFace, Cross)},
        {"pref_list_assign.bmp", Strip(20, 20, kTitleFace, kTitleFace, Plus)},
        {"pref_list_delete.bmp", Strip(20, 20, kTitleFace, kTitleFace, Minus)},
        // The screens' own.
        {"pref_speeddial_pic.bmp", Handset(kTitleFace)},
        {"pref_userbell_pic.bmp", Handset({120, 60, 200})},
        {"pref_groupbell_pic.bmp", Handset({40, 150, 90})},
        {"pref_search.bmp", Strip(45, 25, {40, 150, 90}, kWhite, Lens)},
        {"pref_skin_preview_label.bmp", Label(138, 16, "PREVIEW", {220, 160, 210}, purple)},
        {"pref_skin_list_label.bmp", Label(72, 16, "SKINS", {220, 160, 210}, purple)},
        {"pref_volume_title.bmp", Frame(240, 25, {60, 180, 200}, teal, teal)},
        {"pref_volume_close.bmp", Strip(20, 20, teal, teal, Cross)},
        {"pref_volume_apply.bmp", Strip(20, 20, teal, teal, Check)},
        {"pref_volume_pattern.bmp", Pattern({236, 248, 250}, {214, 236, 240})},
        {"pref_volume_scale.bmp", Scale()},
        {"pref_volume_call.bmp", Label(70, 30, "CALL", {190, 230, 236}, teal)},
        {"pref_volume_ring.bmp", Label(70, 30, "RING", {190, 230, 236}, teal)},
        {"pref_volume_pda.bmp", Label(70, 30, "PDA", {190, 230, 236}, teal)},
    };
    for (const Out& o : outputs) {
        const std::string path = dir + "/" + o.name;
        if (!o.image.SaveBmp(path)) {
            std::fprintf(stderr, "prefsgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
