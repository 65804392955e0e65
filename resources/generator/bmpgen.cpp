// Draws the program's bitmaps (button strips, title bands, the message box
// buttons) as 24-bit BMP files and the agent's icons as 16 x 16 ICO files, so
// the look is ours and every build gets the same pixels.
//
//   bmpgen OUTDIR
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

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

// The deny list's picture under its rows: a faint handset crossed by a
// no-entry sign, pale enough for the rows' text to stay readable over it.
Canvas DenyPicture()
{
    const Rgb paper = {250, 252, 255};  // the lists' background pattern
    const Rgb ink = {2, 84, 220};
    const Rgb red = {220, 40, 40};
    Canvas c(140, 66, paper);
    // The handset, standing.
    c.RoundedGradient(22, 4, 52, 62, 6, Mix(ink, kWhite, 0.82), Mix(ink, kWhite, 0.72), Mix(ink, kWhite, 0.5));
    c.Fill(27, 10, 47, 28, Mix(ink, kWhite, 0.92));
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            c.Fill(28 + k * 7, 33 + r * 8, 33 + k * 7, 38 + r * 8, Mix(ink, kWhite, 0.55));
    // The sign: a ring and its bar, over the handset's right side.
    const double cx = 88, cy = 33, r = 24;
    const Rgb ring = Mix(red, kWhite, 0.35);
    for (int a = 0; a < 72; ++a) {
        const double t0 = a * 3.14159265 / 36, t1 = (a + 1) * 3.14159265 / 36;
        c.Line(cx + r * std::cos(t0), cy + r * std::sin(t0), cx + r * std::cos(t1), cy + r * std::sin(t1), 4.0,
               ring);
    }
    c.Line(cx - r * 0.7, cy - r * 0.7, cx + r * 0.7, cy + r * 0.7, 4.0, ring);
    return c;
}

// The agent's 16 x 16 icons, drawn on a see-through key colour.
const Rgb kClear = {255, 0, 255};

// A telephone handset: a curved grip with the ear and mouth pieces.
void Handset(Canvas& c, Rgb ink)
{
    const double pi = 3.14159265358979;
    const int steps = 12;
    for (int i = 0; i < steps; ++i) {
        const double a0 = (0.62 + 0.76 * i / steps) * pi, a1 = (0.62 + 0.76 * (i + 1) / steps) * pi;
        c.Line(9.5 + 6.0 * std::cos(a0), 7.5 + 6.0 * std::sin(a0), 9.5 + 6.0 * std::cos(a1),
               7.5 + 6.0 * std::sin(a1), 2.8, ink);
    }
    c.Line(6.0, 2.2, 9.0, 1.6, 3.2, ink);
    c.Line(6.0, 12.8, 9.0, 13.4, 3.2, ink);
}

Canvas PhoneIcon(Rgb ink, Rgb dot)
{
    Canvas c(16, 16, kClear);
    Handset(c, ink);
    c.Fill(11, 6, 15, 10, dot);
    return c;
}

Canvas OffIcon()
{
    Canvas c(16, 16, kClear);
    Handset(c, {170, 170, 170});
    c.Line(2, 14, 14, 2, 2.4, {230, 30, 30});
    return c;
}

Canvas GlobeIcon()
{
    Canvas c(16, 16, kClear);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const double d = std::hypot(x - 7.5, y - 7.5);
            if (d <= 7.0)
                c.Set(x, y, d >= 6.0 ? Rgb{0, 90, 160} : Rgb{0, 200, 230});
        }
    c.Line(1.5, 7.5, 13.5, 7.5, 1.2, {0, 90, 160});
    c.Line(7.5, 1.5, 7.5, 13.5, 1.2, {0, 90, 160});
    return c;
}

// Foreground indicators: a system window (yellow box) or a program the tap closes (red box).
Canvas BoxIcon(Rgb face, bool cross)
{
    Canvas c(16, 16, kClear);
    c.Fill(2, 3, 14, 15, {40, 40, 40});
    c.Fill(3, 4, 13, 14, face);
    if (cross) {
        c.Line(5, 6, 11, 12, 1.8, kWhite);
        c.Line(11, 6, 5, 12, 1.8, kWhite);
    }
    return c;
}

// A one-image icon file: 32-bit colour with alpha and its AND mask. Pixels
// of `transparent` become see-through.
bool SaveIco(const Canvas& c, const std::string& path, Rgb transparent)
{
    const int w = c.Width(), h = c.Height();
    const uint32_t maskStride = ((w + 31) / 32) * 4;
    const uint32_t imageSize = 40 + static_cast<uint32_t>(w * h * 4) + maskStride * h;
    std::vector<uint8_t> out(6 + 16 + imageSize, 0);
    auto put16 = [&](size_t at, uint16_t v) { out[at] = v & 0xFF; out[at + 1] = v >> 8; };
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + i] = (v >> (8 * i)) & 0xFF;
    };
    put16(2, 1);  // icon
    put16(4, 1);  // one image
    out[6] = static_cast<uint8_t>(w);
    out[7] = static_cast<uint8_t>(h);
    put16(10, 1);
    put16(12, 32);
    put32(14, imageSize);
    put32(18, 22);
    const size_t hdr = 22;
    put32(hdr, 40);
    put32(hdr + 4, static_cast<uint32_t>(w));
    put32(hdr + 8, static_cast<uint32_t>(h * 2));  // colour and mask
    put16(hdr + 12, 1);
    put16(hdr + 14, 32);
    const size_t colour = hdr + 40, mask = colour + static_cast<size_t>(w * h * 4);
    for (int y = 0; y < h; ++y) {
        const int row = h - 1 - y;  // bottom-up
        for (int x = 0; x < w; ++x) {
            const Rgb p = c.Get(x, y);
            const bool clear = p.r == transparent.r && p.g == transparent.g && p.b == transparent.b;
            uint8_t* q = &out[colour + (static_cast<size_t>(row) * w + x) * 4];
            q[0] = clear ? 0 : p.b;
            q[1] = clear ? 0 : p.g;
            q[2] = clear ? 0 : p.r;
            q[3] = clear ? 0 : 255;
            if (clear)
                out[mask + row * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
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
        {"deny_pic.bmp", DenyPicture()},
    };
    for (const Out& o : outputs) {
        const std::string path = dir + "/" + o.name;
        if (!o.image.SaveBmp(path)) {
            std::fprintf(stderr, "bmpgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    const Out icons[] = {
        {"agent_phone.ico", PhoneIcon({40, 200, 60}, {40, 200, 60})},
        {"agent_off.ico", OffIcon()},
        {"agent_net.ico", GlobeIcon()},
        {"agent_system.ico", BoxIcon({250, 210, 0}, false)},
        {"agent_program.ico", BoxIcon({220, 40, 40}, true)},
        {"agent_on.ico", PhoneIcon(kWhite, {40, 200, 60})},
    };
    for (const Out& o : icons) {
        const std::string path = dir + "/" + o.name;
        if (!SaveIco(o.image, path, kClear)) {
            std::fprintf(stderr, "bmpgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
