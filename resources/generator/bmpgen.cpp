// Draws the program's bitmaps (button strips, title bands, the message box
// buttons) as 24-bit BMP files and the agent's icons as 16 x 16 ICO files, so
// the look is ours and every build gets the same pixels.
//
//   bmpgen OUTDIR
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rgb {
    uint8_t r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t)
{
    auto m = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(std::lround(x + (y - x) * t)); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

class Canvas {
public:
    Canvas(int w, int h, Rgb fill) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}

    int Width() const { return w_; }
    int Height() const { return h_; }

    void Set(int x, int y, Rgb c)
    {
        if (x >= 0 && y >= 0 && x < w_ && y < h_)
            px_[static_cast<size_t>(y) * w_ + x] = c;
    }

    void Fill(int x0, int y0, int x1, int y1, Rgb c)
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                Set(x, y, c);
    }

    // Top-to-bottom gradient inside a rectangle with rounded corners.
    void RoundedGradient(int x0, int y0, int x1, int y1, int radius, Rgb top, Rgb bottom, Rgb border)
    {
        for (int y = y0; y < y1; ++y) {
            const Rgb c = Mix(top, bottom, (y - y0) / double(std::max(1, y1 - y0 - 1)));
            for (int x = x0; x < x1; ++x) {
                const int d = CornerDistance(x, y, x0, y0, x1 - 1, y1 - 1, radius);
                if (d > radius)
                    continue;
                const bool edge = d >= radius - 1 || x == x0 || x == x1 - 1 || y == y0 || y == y1 - 1;
                Set(x, y, edge ? border : c);
            }
        }
    }

    // A line of the given thickness from (ax, ay) to (bx, by).
    void Line(double ax, double ay, double bx, double by, double thickness, Rgb c)
    {
        const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0);
                const double px = ax + t * dx - x, py = ay + t * dy - y;
                if (px * px + py * py <= thickness * thickness / 4)
                    Set(x, y, c);
            }
    }

    // Pastes `other` with its left edge at x.
    void Paste(const Canvas& other, int x)
    {
        for (int y = 0; y < other.h_ && y < h_; ++y)
            for (int i = 0; i < other.w_; ++i)
                Set(x + i, y, other.px_[static_cast<size_t>(y) * other.w_ + i]);
    }

    bool SaveBmp(const std::string& path) const
    {
        const int stride = (w_ * 3 + 3) & ~3;
        const uint32_t dataSize = static_cast<uint32_t>(stride) * h_;
        std::vector<uint8_t> out(54 + dataSize, 0);
        auto put16 = [&](size_t at, uint16_t v) { out[at] = v & 0xFF; out[at + 1] = v >> 8; };
        auto put32 = [&](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                out[at + i] = (v >> (8 * i)) & 0xFF;
        };
        out[0] = 'B';
        out[1] = 'M';
        put32(2, 54 + dataSize);
        put32(10, 54);
        put32(14, 40);
        put32(18, static_cast<uint32_t>(w_));
        put32(22, static_cast<uint32_t>(h_));  // bottom-up rows
        put16(26, 1);
        put16(28, 24);
        put32(34, dataSize);
        put32(38, 2835);
        put32(42, 2835);
        for (int y = 0; y < h_; ++y) {
            uint8_t* row = &out[54 + static_cast<size_t>(h_ - 1 - y) * stride];
            for (int x = 0; x < w_; ++x) {
                const Rgb c = px_[static_cast<size_t>(y) * w_ + x];
                row[x * 3] = c.b;
                row[x * 3 + 1] = c.g;
                row[x * 3 + 2] = c.r;
            }
        }
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return false;
        const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
        return std::fclose(f) == 0 && ok;
    }

    // A one-image icon file: 32-bit colour with alpha and its AND mask.
    // Pixels of `transparent` become see-through.
    bool SaveIco(const std::string& path, Rgb transparent) const
    {
        const uint32_t maskStride = ((w_ + 31) / 32) * 4;
        const uint32_t imageSize = 40 + static_cast<uint32_t>(w_ * h_ * 4) + maskStride * h_;
        std::vector<uint8_t> out(6 + 16 + imageSize, 0);
        auto put16 = [&](size_t at, uint16_t v) { out[at] = v & 0xFF; out[at + 1] = v >> 8; };
        auto put32 = [&](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                out[at + i] = (v >> (8 * i)) & 0xFF;
        };
        put16(2, 1);  // icon
        put16(4, 1);  // one image
        out[6] = static_cast<uint8_t>(w_);
        out[7] = static_cast<uint8_t>(h_);
        put16(10, 1);
        put16(12, 32);
        put32(14, imageSize);
        put32(18, 22);
        const size_t hdr = 22;
        put32(hdr, 40);
        put32(hdr + 4, static_cast<uint32_t>(w_));
        put32(hdr + 8, static_cast<uint32_t>(h_ * 2));  // colour and mask
        put16(hdr + 12, 1);
        put16(hdr + 14, 32);
        const size_t colour = hdr + 40, mask = colour + static_cast<size_t>(w_ * h_ * 4);
        for (int y = 0; y < h_; ++y) {
            const int row = h_ - 1 - y;  // bottom-up
            for (int x = 0; x < w_; ++x) {
                const Rgb c = px_[static_cast<size_t>(y) * w_ + x];
                const bool clear = c.r == transparent.r && c.g == transparent.g && c.b == transparent.b;
                uint8_t* p = &out[colour + (static_cast<size_t>(row) * w_ + x) * 4];
                p[0] = clear ? 0 : c.b;
                p[1] = clear ? 0 : c.g;
                p[2] = clear ? 0 : c.r;
                p[3] = clear ? 0 : 255;
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

private:
    static int CornerDistance(int x, int y, int x0, int y0, int x1, int y1, int r)
    {
        const int cx = x < x0 + r ? x0 + r : (x > x1 - r ? x1 - r : x);
        const int cy = y < y0 + r ? y0 + r : (y > y1 - r ? y1 - r : y);
        if (cx == x && cy == y)
            return 0;
        return static_cast<int>(std::lround(std::sqrt(double((x - cx) * (x - cx) + (y - cy) * (y - cy)))));
    }

    int w_, h_;
    std::vector<Rgb> px_;
};

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
        if (!o.image.SaveIco(path, kClear)) {
            std::fprintf(stderr, "bmpgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
