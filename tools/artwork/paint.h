#pragma once
// Small painting kit of the artwork generator: colours as RGB, gradients,
// anti-aliased rounded shapes and glyphs, all straight into 24-bit bitmaps so
// the output is the same on every run.
#include "gfx/bitmap.h"

#include <algorithm>
#include <cmath>
#include <functional>

struct Rgb {
    double r = 0, g = 0, b = 0;
};

inline Rgb Hex(unsigned v) { return {double(v >> 16 & 255), double(v >> 8 & 255), double(v & 255)}; }
inline Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
inline Rgb Lighter(Rgb a, double t) { return Mix(a, {255, 255, 255}, t); }
inline Rgb Darker(Rgb a, double t) { return Mix(a, {0, 0, 0}, t); }
inline Rgb Grey(Rgb a) { const double l = 0.3 * a.r + 0.59 * a.g + 0.11 * a.b; return Mix({l, l, l}, {236, 236, 236}, 0.45); }

// The framework's colour value (red in the low byte).
inline TColor ToColor(Rgb c)
{
    auto q = [](double v) { return std::clamp(int(std::lround(v)), 0, 255); };
    return q(c.r) | q(c.g) << 8 | q(c.b) << 16;
}
inline Rgb FromColor(TColor c) { return {double(c & 255), double(c >> 8 & 255), double(c >> 16 & 255)}; }

constexpr TColor kKey = 0xFF00FF;

// Coverage (0..1) of a rounded rectangle at pixel (x, y), 4 x 4 samples.
inline double RoundRectCoverage(double x, double y, double left, double top, double right, double bottom, double r)
{
    int inside = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
            const double px = x + (sx + 0.5) / 4, py = y + (sy + 0.5) / 4;
            if (px < left || px > right || py < top || py > bottom) continue;
            const double cx = std::clamp(px, left + r, right - r), cy = std::clamp(py, top + r, bottom - r);
            const double dx = px - cx, dy = py - cy;
            if (dx * dx + dy * dy <= r * r) ++inside;
        }
    return inside / 16.0;
}

// A filled, outlined rounded box with a vertical gradient, blended over what
// the bitmap holds; where `keyed`, pixels mostly outside become the key colour.
struct Box {
    double left, top, right, bottom, radius;
    Rgb top_colour, bottom_colour, border;
    double gloss = 0;     // strength of the glassy upper half
    bool keyed = false;
    bool inner_light = true; // a light line inside the border
};

inline void PaintBox(TBitmap& bmp, const Box& b)
{
    const double h = b.bottom - b.top;
    for (int y = int(std::floor(b.top)); y < int(std::ceil(b.bottom)); ++y)
        for (int x = int(std::floor(b.left)); x < int(std::ceil(b.right)); ++x) {
            if (x < 0 || y < 0 || x >= bmp.Width() || y >= bmp.Height()) continue;
            const double outer = RoundRectCoverage(x, y, b.left, b.top, b.right, b.bottom, b.radius);
            if (outer <= 0) continue;
            const double inner = RoundRectCoverage(x, y, b.left + 1, b.top + 1, b.right - 1, b.bottom - 1,
                                                   std::max(0.0, b.radius - 1));
            const double lit = b.inner_light
                ? RoundRectCoverage(x, y, b.left + 2, b.top + 2, b.right - 2, b.bottom - 2, std::max(0.0, b.radius - 2))
                : inner;
            const double t = h > 1 ? (y + 0.5 - b.top) / h : 0;
            Rgb fill = Mix(b.top_colour, b.bottom_colour, t);
            if (b.gloss > 0) fill = t < 0.5 ? Lighter(fill, b.gloss * (1 - t)) : Darker(fill, b.gloss * 0.15 * (t - 0.5));
            Rgb c = Mix(Lighter(fill, 0.45), fill, inner > 0 ? lit / inner : 1);
            c = Mix(b.border, c, outer > 0 ? inner / outer : 0);
            if (b.keyed && bmp.Pixel(x, y) == kKey) {
                if (outer >= 0.5) bmp.SetPixel(x, y, ToColor(c));
                continue;
            }
            bmp.SetPixel(x, y, ToColor(Mix(FromColor(bmp.Pixel(x, y)), c, outer)));
        }
}

inline void FillRect(TBitmap& bmp, int left, int top, int right, int bottom, TColor c)
{
    for (int y = std::max(0, top); y < std::min(bottom, bmp.Height()); ++y)
        for (int x = std::max(0, left); x < std::min(right, bmp.Width()); ++x) bmp.SetPixel(x, y, c);
}

inline void VGradient(TBitmap& bmp, int left, int top, int right, int bottom, Rgb a, Rgb b, double gloss = 0)
{
    const int h = std::max(1, bottom - top - 1);
    for (int y = top; y < bottom; ++y) {
        const double t = double(y - top) / h;
        Rgb c = Mix(a, b, t);
        if (gloss > 0 && t < 0.5) c = Lighter(c, gloss * (1 - t));
        FillRect(bmp, left, y, right, y + 1, ToColor(c));
    }
}

// Anti-aliased glyph from a signed inside test, 4 x 4 samples per pixel.
inline void PaintShape(TBitmap& bmp, int ox, int oy, int w, int h, Rgb colour,
                       const std::function<bool(double, double)>& inside, double alpha = 1)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int n = 0;
            for (int s = 0; s < 16; ++s)
                if (inside(x + (s % 4 + 0.5) / 4, y + (s / 4 + 0.5) / 4)) ++n;
            if (!n) continue;
            const int px = ox + x, py = oy + y;
            const TColor under = bmp.Pixel(px, py);
            if (under == kKey) { if (n >= 8) bmp.SetPixel(px, py, ToColor(colour)); continue; }
            bmp.SetPixel(px, py, ToColor(Mix(FromColor(under), colour, alpha * n / 16.0)));
        }
}

// Distance of (x, y) from the segment (ax, ay)-(bx, by).
inline double SegmentDistance(double x, double y, double ax, double ay, double bx, double by)
{
    const double vx = bx - ax, vy = by - ay;
    const double t = std::clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
    return std::hypot(x - ax - t * vx, y - ay - t * vy);
}

inline bool InTriangle(double x, double y, double ax, double ay, double bx, double by, double cx, double cy)
{
    auto side = [](double px, double py, double qx, double qy, double rx, double ry) {
        return (qx - px) * (ry - py) - (qy - py) * (rx - px);
    };
    const double d1 = side(ax, ay, bx, by, x, y), d2 = side(bx, by, cx, cy, x, y), d3 = side(cx, cy, ax, ay, x, y);
    return !((d1 < 0 || d2 < 0 || d3 < 0) && (d1 > 0 || d2 > 0 || d3 > 0));
}
