// Pixel access, clipping and inks shared by the drawing calls.
#include "painter.h"

#include "gfx/gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

Ink Ink::FromColor(TColor c, TPenMode mode)
{
    Ink ink;
    ink.kind = Solid;
    ink.color = ColorToRGB(c);
    ink.mode = mode;
    return ink;
}

TColor MixPen(TPenMode mode, TColor p, TColor d)
{
    std::uint32_t P = static_cast<std::uint32_t>(p), D = static_cast<std::uint32_t>(d), r = 0;
    switch (mode) {
    case pmBlack: r = 0; break;
    case pmWhite: r = ~0u; break;
    case pmNop: r = D; break;
    case pmNot: r = ~D; break;
    case pmCopy: r = P; break;
    case pmNotCopy: r = ~P; break;
    case pmMergePenNot: r = P | ~D; break;
    case pmMaskPenNot: r = P & ~D; break;
    case pmMergeNotPen: r = ~P | D; break;
    case pmMaskNotPen: r = ~P & D; break;
    case pmMerge: r = P | D; break;
    case pmNotMerge: r = ~(P | D); break;
    case pmMask: r = P & D; break;
    case pmNotMask: r = ~(P & D); break;
    case pmXor: r = P ^ D; break;
    case pmNotXor: r = ~(P ^ D); break;
    }
    return static_cast<TColor>(r & 0xFFFFFF);
}

TCanvasPainter::TCanvasPainter(TCanvas& canvas) : canvas_(canvas), bitmap_(canvas.target_), origin_(canvas.origin_)
{
    if (!bitmap_ || bitmap_->Empty()) {
        bitmap_ = nullptr;
        return;
    }
    const TRect bounds = Rect(0, 0, bitmap_->Width(), bitmap_->Height());
    if (!canvas.hasClip_) {
        clips_.push_back(bounds);
        return;
    }
    for (const TRect& r : canvas.clip_.Rects()) {
        TRect c;
        if (IntersectRect(c, r, bounds)) clips_.push_back(c);
    }
}

TRect TCanvasPainter::ClipBounds() const
{
    TRect b{};
    for (const TRect& r : clips_) UnionRect(b, b, r);
    return b;
}

Ink TCanvasPainter::PenInk() const
{
    const TPen& pen = canvas_.pen_;
    if (pen.Style() == psClear) {
        Ink none;
        none.kind = Ink::None;
        return none;
    }
    return Ink::FromColor(pen.Color(), pen.Mode());
}

Ink TCanvasPainter::BrushInk(bool withMode) const
{
    const TBrush& brush = canvas_.brush_;
    Ink ink;
    ink.mode = withMode ? canvas_.pen_.Mode() : pmCopy;
    ink.color = ColorToRGB(brush.Color());
    if (brush.Bitmap() && !brush.Bitmap()->Empty()) {
        ink.kind = Ink::Pattern;
        ink.pattern = brush.Bitmap();
    } else if (brush.Style() == bsClear) {
        ink.kind = Ink::None;
    } else if (brush.Style() == bsSolid) {
        ink.kind = Ink::Solid;
    } else {
        ink.kind = Ink::Hatch;
        ink.hatch = brush.Style();
        ink.hatchOpaque = canvas_.bkMode_ == OPAQUE;
        ink.background = ColorToRGB(canvas_.bkColor_);
    }
    return ink;
}

bool TCanvasPainter::Visible(int x, int y) const
{
    for (const TRect& r : clips_)
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return true;
    return false;
}

TColor TCanvasPainter::InkColor(const Ink& ink, int x, int y, bool& skip) const
{
    skip = false;
    switch (ink.kind) {
    case Ink::Solid: return ink.color;
    case Ink::Pattern: {
        const int w = ink.pattern->Width(), h = ink.pattern->Height();
        int px = x % w, py = y % h;
        if (px < 0) px += w;
        if (py < 0) py += h;
        return ink.pattern->Pixel(px, py);
    }
    case Ink::Hatch: {
        const int hx = x & 7, hy = y & 7;
        bool on = false;
        switch (ink.hatch) {
        case bsHorizontal: on = hy == 0; break;
        case bsVertical: on = hx == 0; break;
        case bsFDiagonal: on = hx == hy; break;
        case bsBDiagonal: on = hx == 7 - hy; break;
        case bsCross: on = hx == 0 || hy == 0; break;
        case bsDiagCross: on = hx == hy || hx == 7 - hy; break;
        default: on = true; break;
        }
        if (on) return ink.color;
        if (ink.hatchOpaque) return ink.background;
        skip = true;
        return 0;
    }
    case Ink::None: break;
    }
    skip = true;
    return 0;
}

void TCanvasPainter::Write(int x, int y, TColor c)
{
    bitmap_->SetPixel(x, y, c);
}

void TCanvasPainter::Plot(int x, int y, const Ink& ink)
{
    if (ink.kind == Ink::None || !Visible(x, y)) return;
    bool skip = false;
    TColor c = InkColor(ink, x, y, skip);
    if (skip) return;
    if (ink.mode != pmCopy) c = MixPen(ink.mode, c, Read(x, y));
    Write(x, y, c);
}

void TCanvasPainter::Span(int y, int x0, int x1, const Ink& ink)
{
    if (ink.kind == Ink::None || x0 >= x1) return;
    const int bpp = bitmap_->BitsPerPixel();
    const bool fast = ink.kind == Ink::Solid && ink.mode == pmCopy && (bpp == 24 || bpp == 32);
    for (const TRect& r : clips_) {
        if (y < r.Top || y >= r.Bottom) continue;
        const int a = std::max(x0, r.Left), b = std::min(x1, r.Right);
        if (a >= b) continue;
        if (fast) {
            std::uint8_t* row = bitmap_->ScanLine(y);
            const std::uint8_t B = static_cast<std::uint8_t>(GetBValue(ink.color));
            const std::uint8_t G = static_cast<std::uint8_t>(GetGValue(ink.color));
            const std::uint8_t R = static_cast<std::uint8_t>(GetRValue(ink.color));
            const int step = bpp / 8;
            for (std::uint8_t* p = row + a * step, *end = row + b * step; p < end; p += step) {
                p[0] = B;
                p[1] = G;
                p[2] = R;
                if (step == 4) p[3] = 0;
            }
            continue;
        }
        for (int x = a; x < b; ++x) {
            bool skip = false;
            TColor c = InkColor(ink, x, y, skip);
            if (skip) continue;
            if (ink.mode != pmCopy) c = MixPen(ink.mode, c, Read(x, y));
            Write(x, y, c);
        }
    }
}

void TCanvasPainter::FillRect(const TRect& r, const Ink& ink)
{
    for (int y = r.Top; y < r.Bottom; ++y) Span(y, r.Left, r.Right, ink);
}

void TCanvasPainter::Blend(int x, int y, TColor color, int coverage)
{
    if (coverage <= 0 || !Visible(x, y)) return;
    if (coverage >= 255) {
        Write(x, y, color);
        return;
    }
    const TColor d = Read(x, y);
    auto mix = [&](int s, int t) { return (s * coverage + t * (255 - coverage) + 127) / 255; };
    Write(x, y, RGB(mix(GetRValue(color), GetRValue(d)), mix(GetGValue(color), GetGValue(d)),
                    mix(GetBValue(color), GetBValue(d))));
}

void TCanvasPainter::ThinLine(int x0, int y0, int x1, int y1, const Ink& ink, TPenStyle style, int& phase)
{
    // Dash patterns of one-pixel pens, in pixels on/off.
    static const int dash[] = {18, 6};
    static const int dot[] = {3, 3};
    static const int dashDot[] = {9, 6, 3, 6};
    static const int dashDotDot[] = {9, 3, 3, 3, 3, 3};
    const int* pattern = nullptr;
    int count = 0, total = 0;
    switch (style) {
    case psDash: pattern = dash; count = 2; break;
    case psDot: pattern = dot; count = 2; break;
    case psDashDot: pattern = dashDot; count = 4; break;
    case psDashDotDot: pattern = dashDotDot; count = 6; break;
    default: break;
    }
    for (int i = 0; i < count; ++i) total += pattern[i];
    auto on = [&](int p) {
        if (!pattern) return true;
        p %= total;
        for (int i = 0; i < count; ++i) {
            if (p < pattern[i]) return (i & 1) == 0;
            p -= pattern[i];
        }
        return true;
    };
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (x != x1 || y != y1) {
        if (on(phase)) Plot(x, y, ink);
        ++phase;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void TCoverage::Set(int x, int y) { points_.emplace_back(y, x); }

void TCoverage::Disc(int cx, int cy, int width)
{
    const int h = width / 2;
    const double r = width / 2.0;
    const double centre = (width % 2) ? 0.0 : -0.5;
    for (int dy = -h; dy < width - h; ++dy)
        for (int dx = -h; dx < width - h; ++dx) {
            const double fx = dx - centre, fy = dy - centre;
            if (width <= 2 || fx * fx + fy * fy <= r * r + 0.25) Set(cx + dx, cy + dy);
        }
}

void TCoverage::Apply(TCanvasPainter& painter, const Ink& ink) const
{
    std::vector<std::pair<int, int>> pts = points_;
    std::sort(pts.begin(), pts.end());
    pts.erase(std::unique(pts.begin(), pts.end()), pts.end());
    for (const auto& [y, x] : pts) painter.Plot(x, y, ink);
}

bool EllipseSpan(const TRect& box, int y, int& x0, int& x1)
{
    if (box.IsEmpty() || y < box.Top || y >= box.Bottom) return false;
    const double cx = (box.Left + box.Right) / 2.0, cy = (box.Top + box.Bottom) / 2.0;
    const double rx = (box.Right - box.Left) / 2.0, ry = (box.Bottom - box.Top) / 2.0;
    const double t = (y + 0.5 - cy) / ry;
    if (t * t >= 1.0) return false;
    const double half = rx * std::sqrt(1.0 - t * t);
    x0 = static_cast<int>(std::ceil(cx - half - 0.5));
    x1 = static_cast<int>(std::floor(cx + half - 0.5)) + 1;
    // Thin rows near the poles still get one pixel so outlines stay closed.
    if (x1 <= x0) {
        x0 = static_cast<int>(std::floor(cx - 0.5));
        x1 = x0 + 1;
    }
    x0 = std::max(x0, box.Left);
    x1 = std::min(x1, box.Right);
    return x0 < x1;
}

bool RoundRectSpan(const TRect& box, int ew, int eh, int y, int& x0, int& x1)
{
    if (box.IsEmpty() || y < box.Top || y >= box.Bottom) return false;
    ew = std::clamp(ew, 0, box.Width());
    eh = std::clamp(eh, 0, box.Height());
    x0 = box.Left;
    x1 = box.Right;
    if (ew < 2 || eh < 2) return true;
    const int top = box.Top + eh / 2, bottom = box.Bottom - eh / 2;
    TRect corner;
    if (y < top) corner = Rect(box.Left, box.Top, box.Left + ew, box.Top + eh);
    else if (y >= bottom) corner = Rect(box.Left, box.Bottom - eh, box.Left + ew, box.Bottom);
    else return true;
    int a = 0, b = 0;
    if (!EllipseSpan(corner, y, a, b)) return false;
    x0 = a;
    x1 = box.Right - (a - box.Left);
    return x0 < x1;
}
