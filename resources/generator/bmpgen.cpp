// Draws the program's bitmaps (button strips, title bands, the message box
// buttons) as 24-bit BMP files, so the look is ours and every build gets the
// same pixels.
//
//   bmpgen OUTDIR
#include <cstdio>
#include <functional>
#include <string>

#include "Canvas.h"

namespace {

const Rgb kDialogFace = {240, 240, 240};  // the dialog face the buttons sit on
const Rgb kWhite = {255, 255, 255};

using Glyph = std::function<void(Canvas&, Rgb)>;

void CheckMark(Canvas& c, Rgb ink)
{
    const double w = c.Width(), h = c.Height();
    c.Line(w * 0.36, h * 0.52, w * 0.46, h * 0.74, 3.0, ink);
    c.Line(w * 0.46, h * 0.74, w * 0.66, h * 0.26, 3.0, ink);
}

void Cross(Canvas& c, Rgb ink)
{
    const double w = c.Width(), h = c.Height();
    c.Line(w * 0.40, h * 0.27, w * 0.60, h * 0.73, 3.0, ink);
    c.Line(w * 0.60, h * 0.27, w * 0.40, h * 0.73, 3.0, ink);
}

// A two-frame push button: normal (coloured face, white glyph) and pressed
// (light face, coloured glyph).
Canvas ButtonStrip(int w, int h, Rgb top, Rgb bottom, Rgb border, const Glyph& glyph)
{
    Canvas strip(w * 2, h, kDialogFace);
    Canvas normal(w, h, kDialogFace);
    normal.RoundedGradient(0, 0, w, h, 5, top, bottom, border);
    glyph(normal, kWhite);
    Canvas pressed(w, h, kDialogFace);
    pressed.RoundedGradient(0, 0, w, h, 5, kWhite, Mix(top, kWhite, 0.7), border);
    glyph(pressed, bottom);
    strip.Paste(normal, 0);
    strip.Paste(pressed, w);
    return strip;
}

// A screen-wide title band: a soft vertical gradient with a light top edge.
Canvas TitleBand(int w, int h, Rgb top, Rgb bottom)
{
    Canvas band(w, h, top);
    for (int y = 0; y < h; ++y)
        band.Fill(0, y, w, y + 1, Mix(top, bottom, y / double(h - 1)));
    band.Fill(0, 0, w, 1, Mix(top, kWhite, 0.5));
    band.Fill(0, h - 1, w, h, Mix(bottom, {0, 0, 0}, 0.3));
    return band;
}

void Bin(Canvas& c, Rgb ink)
{
    const double w = c.Width(), h = c.Height();
    c.Line(w * 0.32, h * 0.30, w * 0.68, h * 0.30, 2.0, ink);
    c.Line(w * 0.38, h * 0.30, w * 0.42, h * 0.76, 2.0, ink);
    c.Line(w * 0.62, h * 0.30, w * 0.58, h * 0.76, 2.0, ink);
    c.Line(w * 0.42, h * 0.76, w * 0.58, h * 0.76, 2.0, ink);
}

void Arrow(Canvas& c, Rgb ink, bool up)
{
    const double w = c.Width(), h = c.Height();
    const double tip = up ? 0.28 : 0.72, base = up ? 0.68 : 0.32;
    c.Line(w * 0.36, h * base, w * 0.50, h * tip, 2.5, ink);
    c.Line(w * 0.50, h * tip, w * 0.64, h * base, 2.5, ink);
}

// The phrase box's column of five cells (delete, choose, cancel, previous,
// next) as one picture per state: 0 normal, 1 pressed, 2 disabled.
Canvas PhraseCells(int w, int cellH, int state)
{
    const Glyph glyphs[] = {Bin, CheckMark, Cross, [](Canvas& c, Rgb ink) { Arrow(c, ink, true); },
                            [](Canvas& c, Rgb ink) { Arrow(c, ink, false); }};
    const Rgb top = {60, 140, 230}, bottom = {10, 70, 170}, border = {0, 40, 110};
    Canvas column(w, cellH * 5, kDialogFace);
    for (int i = 0; i < 5; ++i) {
        Canvas cell(w, cellH, kDialogFace);
        if (state == 0) {
            cell.RoundedGradient(1, 1, w - 1, cellH - 1, 4, top, bottom, border);
            glyphs[i](cell, kWhite);
        } else if (state == 1) {
            cell.RoundedGradient(1, 1, w - 1, cellH - 1, 4, kWhite, Mix(top, kWhite, 0.7), border);
            glyphs[i](cell, bottom);
        } else {
            cell.RoundedGradient(1, 1, w - 1, cellH - 1, 4, {215, 215, 215}, {190, 190, 190}, {150, 150, 150});
            glyphs[i](cell, {235, 235, 235});
        }
        column.Paste(cell, 0, i * cellH);
    }
    return column;
}

// Frames of plain colours, for tests that check which frame is shown.
Canvas PlainFrames(int w, int h, std::initializer_list<Rgb> colours)
{
    Canvas strip(w * static_cast<int>(colours.size()), h, kWhite);
    int x = 0;
    for (Rgb c : colours) {
        strip.Fill(x, 0, x + w, h, c);
        x += w;
    }
    return strip;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    struct Out {
        const char* name;
        Canvas image;
    };
    const Out outputs[] = {
        {"msgbox_ok.bmp", ButtonStrip(56, 22, {60, 140, 230}, {10, 70, 170}, {0, 40, 110}, CheckMark)},
        {"msgbox_cancel.bmp", ButtonStrip(56, 22, {150, 150, 158}, {90, 90, 100}, {50, 50, 60}, Cross)},
        {"title_band.bmp", TitleBand(240, 20, {70, 120, 200}, {20, 60, 140})},
        {"test_frames.bmp", PlainFrames(20, 20, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}})},
        {"phrase_cells.bmp", PhraseCells(40, 24, 0)},
        {"phrase_cells_push.bmp", PhraseCells(40, 24, 1)},
        {"phrase_cells_off.bmp", PhraseCells(40, 24, 2)},
    };
    for (const Out& o : outputs) {
        const std::string path = dir + "/" + o.name;
        if (!o.image.SaveBmp(path)) {
            std::fprintf(stderr, "bmpgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
