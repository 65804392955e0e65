#pragma once
// A small RGB canvas for the build-time bitmap generators: fills, gradients,
// lines, sprites and text in a built-in pixel font, saved as 24-bit BMP.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

inline Rgb Mix(Rgb a, Rgb b, double t)
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

    Rgb Get(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }

    // Pastes `other` with its top left corner at (x, y).
    void Paste(const Canvas& other, int x, int y = 0)
    {
        for (int j = 0; j < other.h_; ++j)
            for (int i = 0; i < other.w_; ++i)
                Set(x + i, y + j, other.px_[static_cast<size_t>(j) * other.w_ + i]);
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

