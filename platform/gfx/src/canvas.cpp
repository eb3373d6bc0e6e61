// The canvas: tools, clip and state, and the shape and text calls.
#include "gfx/canvas.h"

#include "fontengine.h"
#include "gfx/bitmap.h"
#include "gfx/fonts.h"
#include "gfx/gdi.h"
#include "painter.h"

#include <algorithm>
#include <cmath>

struct TCanvas::State {
    TPen pen;
    TBrush brush;
    TFont font;
    TPoint penPos;
    TPoint origin;
    TCopyMode copyMode = SRCCOPY;
    bool hasClip = false;
    TRegion clip;
    int stretchMode = BLACKONWHITE;
    int bkMode = OPAQUE;
    TColor bkColor = clWhite;
};

TCanvas::TCanvas(TBitmap* target)
    : target_(target), copyMode_(SRCCOPY), stretchMode_(BLACKONWHITE), bkMode_(OPAQUE)
{
    brush_.OnChange = [this](TObject*) { BrushChanged(); };
}

TCanvas::~TCanvas() = default;

void TCanvas::SetTarget(TBitmap* target) { target_ = target; }

// The background mode and colour follow the brush, as the framework's canvas
// sets them whenever it selects its brush.
void TCanvas::BrushChanged()
{
    if (brush_.Style() == bsSolid) {
        bkColor_ = brush_.Color();
        bkMode_ = OPAQUE;
    } else {
        bkMode_ = TRANSPARENT;
    }
}

static void NotifyChange(TCanvas& canvas)
{
    if (canvas.OnChange) canvas.OnChange(&canvas);
}

// ---------------------------------------------------------------------------
// Lines

void TCanvas::MoveTo(int x, int y) { penPos_ = {x, y}; }

namespace {

void WideLine(TCanvasPainter& p, TCoverage& cover, int x0, int y0, int x1, int y1, int width)
{
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy, x = x0, y = y0;
    for (;;) {
        cover.Disc(x, y, width);
        if (x == x1 && y == y1) break;
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
    (void)p;
}

} // namespace

void TCanvas::LineTo(int x, int y)
{
    TCanvasPainter p(*this);
    if (p.Ok()) {
        Ink ink = p.PenInk();
        if (ink.kind != Ink::None) {
            const int x0 = p.DevX(penPos_.X), y0 = p.DevY(penPos_.Y), x1 = p.DevX(x), y1 = p.DevY(y);
            if (pen_.Width() <= 1) {
                int phase = 0;
                p.ThinLine(x0, y0, x1, y1, ink, pen_.Style(), phase);
            } else {
                TCoverage cover;
                WideLine(p, cover, x0, y0, x1, y1, pen_.Width());
                cover.Apply(p, ink);
            }
        }
    }
    penPos_ = {x, y};
    NotifyChange(*this);
}

void TCanvas::Polyline(std::span<const TPoint> points)
{
    if (points.empty()) return;
    TCanvasPainter p(*this);
    if (p.Ok()) {
        Ink ink = p.PenInk();
        if (ink.kind != Ink::None) {
            if (pen_.Width() <= 1) {
                int phase = 0;
                for (std::size_t i = 1; i < points.size(); ++i)
                    p.ThinLine(p.DevX(points[i - 1].X), p.DevY(points[i - 1].Y), p.DevX(points[i].X),
                               p.DevY(points[i].Y), ink, pen_.Style(), phase);
            } else {
                TCoverage cover;
                for (std::size_t i = 1; i < points.size(); ++i)
                    WideLine(p, cover, p.DevX(points[i - 1].X), p.DevY(points[i - 1].Y), p.DevX(points[i].X),
                             p.DevY(points[i].Y), pen_.Width());
                cover.Apply(p, ink);
            }
        }
    }
    NotifyChange(*this);
}

void TCanvas::Polygon(std::span<const TPoint> points)
{
    if (points.size() < 2) return;
    TCanvasPainter p(*this);
    if (!p.Ok()) return;
    // Interior by the alternate (even-odd) rule, a pixel standing for its
    // top-left corner as on the platform: left and top edges inside, right and
    // bottom ones outside. With the outline drawn over it, a small triangle
    // such as a drop-down arrow comes out solid.
    const Ink brush = p.BrushInk(true);
    if (brush.kind != Ink::None && points.size() >= 3) {
        int top = points[0].Y, bottom = points[0].Y;
        for (const TPoint& q : points) {
            top = std::min(top, q.Y);
            bottom = std::max(bottom, q.Y);
        }
        std::vector<double> xs;
        for (int y = top; y < bottom; ++y) {
            const double cy = y;
            xs.clear();
            for (std::size_t i = 0; i < points.size(); ++i) {
                const TPoint& a = points[i];
                const TPoint& b = points[(i + 1) % points.size()];
                if ((a.Y <= cy && b.Y > cy) || (b.Y <= cy && a.Y > cy))
                    xs.push_back(a.X + (cy - a.Y) * (b.X - a.X) / static_cast<double>(b.Y - a.Y));
            }
            std::sort(xs.begin(), xs.end());
            for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
                const int x0 = static_cast<int>(std::ceil(xs[i]));
                const int x1 = static_cast<int>(std::ceil(xs[i + 1]));
                p.Span(p.DevY(y), p.DevX(x0), p.DevX(x1), brush);
            }
        }
    }
    // Outline: closed, so every vertex is drawn.
    const Ink pen = p.PenInk();
    if (pen.kind != Ink::None) {
        if (pen_.Width() <= 1) {
            int phase = 0;
            for (std::size_t i = 0; i < points.size(); ++i) {
                const TPoint& a = points[i];
                const TPoint& b = points[(i + 1) % points.size()];
                p.ThinLine(p.DevX(a.X), p.DevY(a.Y), p.DevX(b.X), p.DevY(b.Y), pen, pen_.Style(), phase);
            }
        } else {
            TCoverage cover;
            for (std::size_t i = 0; i < points.size(); ++i) {
                const TPoint& a = points[i];
                const TPoint& b = points[(i + 1) % points.size()];
                WideLine(p, cover, p.DevX(a.X), p.DevY(a.Y), p.DevX(b.X), p.DevY(b.Y), pen_.Width());
            }
            cover.Apply(p, pen);
        }
    }
    NotifyChange(*this);
}

// ---------------------------------------------------------------------------
// Closed shapes. The outline of a shape with bounds (l, t, r, b) runs through
// the pixels l, r-1, t, b-1; a pen of width w is centred on it (w/2 outside,
// the rest inside), or kept inside the bounds with psInsideFrame.

namespace {

struct Frame {
    TRect outer; // pen and interior together
    TRect inner; // interior only (may be empty)
};

Frame ShapeFrame(TRect r, const TPen& pen)
{
    if (r.Right < r.Left) std::swap(r.Left, r.Right);
    if (r.Bottom < r.Top) std::swap(r.Top, r.Bottom);
    const int w = pen.Style() == psClear ? 0 : pen.Width();
    Frame f;
    if (w == 0) {
        // Without a pen the desktop fills one pixel less to the right and bottom.
        f.outer = Rect(r.Left, r.Top, r.Right - 1, r.Bottom - 1);
        f.inner = f.outer;
    } else if (w == 1 || pen.Style() == psInsideFrame) {
        f.outer = r;
        f.inner = Rect(r.Left + w, r.Top + w, r.Right - w, r.Bottom - w);
    } else {
        const int h = w / 2;
        f.outer = Rect(r.Left - h, r.Top - h, r.Right - 1 - h + w, r.Bottom - 1 - h + w);
        f.inner = Rect(r.Left - h + w, r.Top - h + w, r.Right - 1 - h, r.Bottom - 1 - h);
    }
    return f;
}

} // namespace

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    TCanvasPainter p(*this);
    if (!p.Ok()) return;
    TRect logical = Rect(left, top, right, bottom);
    OffsetRect(logical, p.Origin().X, p.Origin().Y);
    const Frame f = ShapeFrame(logical, pen_);
    const Ink brush = p.BrushInk(true);
    const Ink pen = p.PenInk();
    if (!f.inner.IsEmpty()) p.FillRect(f.inner, brush);
    if (pen.kind == Ink::None || f.outer.IsEmpty()) {
        NotifyChange(*this);
        return;
    }
    if (pen_.Width() <= 1 && pen_.Style() != psSolid && pen_.Style() != psInsideFrame) {
        // Styled one-pixel outline, drawn as a closed path.
        const TRect& o = f.outer;
        int phase = 0;
        p.ThinLine(o.Left, o.Top, o.Right - 1, o.Top, pen, pen_.Style(), phase);
        p.ThinLine(o.Right - 1, o.Top, o.Right - 1, o.Bottom - 1, pen, pen_.Style(), phase);
        p.ThinLine(o.Right - 1, o.Bottom - 1, o.Left, o.Bottom - 1, pen, pen_.Style(), phase);
        p.ThinLine(o.Left, o.Bottom - 1, o.Left, o.Top, pen, pen_.Style(), phase);
    } else if (f.inner.IsEmpty()) {
        p.FillRect(f.outer, pen);
    } else {
        const TRect& o = f.outer;
        const TRect& i = f.inner;
        p.FillRect(Rect(o.Left, o.Top, o.Right, i.Top), pen);
        p.FillRect(Rect(o.Left, i.Bottom, o.Right, o.Bottom), pen);
        p.FillRect(Rect(o.Left, i.Top, i.Left, i.Bottom), pen);
        p.FillRect(Rect(i.Right, i.Top, o.Right, i.Bottom), pen);
    }
    NotifyChange(*this);
}

namespace {

// Fills a rounded shape: rows of `outer` minus `inner` with the pen, `inner`
// with the brush. span(box, y, x0, x1) gives a row of a box's shape.
template <class SpanFn>
void PaintRounded(TCanvasPainter& p, const Frame& f, const Ink& pen, const Ink& brush, SpanFn outerSpan,
                  SpanFn innerSpan)
{
    for (int y = f.outer.Top; y < f.outer.Bottom; ++y) {
        int a = 0, b = 0;
        if (!outerSpan(y, a, b)) continue;
        int c = 0, d = 0;
        const bool hole = !f.inner.IsEmpty() && innerSpan(y, c, d);
        if (!hole) {
            p.Span(y, a, b, pen.kind == Ink::None ? brush : pen);
            continue;
        }
        p.Span(y, c, d, brush);
        if (pen.kind != Ink::None) {
            p.Span(y, a, std::min(c, b), pen);
            p.Span(y, std::max(d, a), b, pen);
        }
    }
}

} // namespace

void TCanvas::Ellipse(int left, int top, int right, int bottom)
{
    TCanvasPainter p(*this);
    if (!p.Ok()) return;
    TRect logical = Rect(left, top, right, bottom);
    OffsetRect(logical, p.Origin().X, p.Origin().Y);
    const Frame f = ShapeFrame(logical, pen_);
    auto outer = [&](int y, int& a, int& b) { return EllipseSpan(f.outer, y, a, b); };
    auto inner = [&](int y, int& a, int& b) { return EllipseSpan(f.inner, y, a, b); };
    PaintRounded(p, f, p.PenInk(), p.BrushInk(true), std::function<bool(int, int&, int&)>(outer),
                 std::function<bool(int, int&, int&)>(inner));
    NotifyChange(*this);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int ew, int eh)
{
    TCanvasPainter p(*this);
    if (!p.Ok()) return;
    TRect logical = Rect(left, top, right, bottom);
    OffsetRect(logical, p.Origin().X, p.Origin().Y);
    const Frame f = ShapeFrame(logical, pen_);
    const int shrink = f.outer.Width() - f.inner.Width();
    auto outer = [&](int y, int& a, int& b) { return RoundRectSpan(f.outer, ew, eh, y, a, b); };
    auto inner = [&](int y, int& a, int& b) {
        return RoundRectSpan(f.inner, std::max(0, ew - shrink), std::max(0, eh - shrink), y, a, b);
    };
    PaintRounded(p, f, p.PenInk(), p.BrushInk(true), std::function<bool(int, int&, int&)>(outer),
                 std::function<bool(int, int&, int&)>(inner));
    NotifyChange(*this);
}

void TCanvas::FillRect(const TRect& r)
{
    TCanvasPainter p(*this);
    if (!p.Ok()) return;
    TRect d = r;
    OffsetRect(d, p.Origin().X, p.Origin().Y);
    p.FillRect(d, p.BrushInk(false));
    NotifyChange(*this);
}

void TCanvas::FrameRect(const TRect& r)
{
    TCanvasPainter p(*this);
    if (!p.Ok() || r.IsEmpty()) return;
    TRect d = r;
    OffsetRect(d, p.Origin().X, p.Origin().Y);
    const Ink ink = p.BrushInk(false);
    p.FillRect(Rect(d.Left, d.Top, d.Right, d.Top + 1), ink);
    if (d.Height() > 1) p.FillRect(Rect(d.Left, d.Bottom - 1, d.Right, d.Bottom), ink);
    p.FillRect(Rect(d.Left, d.Top + 1, d.Left + 1, d.Bottom - 1), ink);
    if (d.Width() > 1) p.FillRect(Rect(d.Right - 1, d.Top + 1, d.Right, d.Bottom - 1), ink);
    NotifyChange(*this);
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    TCanvasPainter p(*this);
    if (!p.Ok() || r.IsEmpty()) return;
    TRect d = r;
    OffsetRect(d, p.Origin().X, p.Origin().Y);
    // Every other pixel of a one-pixel frame is inverted (a checkerboard
    // aligned to the device), so a second call restores the picture.
    const Ink invert = Ink::FromColor(clWhite, pmXor);
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0) p.Plot(x, y, invert);
    };
    for (int x = d.Left; x < d.Right; ++x) {
        dot(x, d.Top);
        if (d.Height() > 1) dot(x, d.Bottom - 1);
    }
    for (int y = d.Top + 1; y < d.Bottom - 1; ++y) {
        dot(d.Left, y);
        if (d.Width() > 1) dot(d.Right - 1, y);
    }
    NotifyChange(*this);
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle style)
{
    TCanvasPainter p(*this);
    if (!p.Ok()) return;
    const int sx = p.DevX(x), sy = p.DevY(y);
    if (!p.Visible(sx, sy)) return;
    const TColor key = ColorToRGB(color);
    const TBitmap& b = p.Bitmap();
    const int w = b.Width(), h = b.Height();
    auto fillable = [&](int px, int py) {
        const TColor c = b.Pixel(px, py);
        return style == fsSurface ? c == key : c != key;
    };
    if (!fillable(sx, sy)) return;
    std::vector<std::uint8_t> done(static_cast<std::size_t>(w) * h, 0);
    std::vector<TPoint> stack{{sx, sy}};
    const Ink ink = p.BrushInk(false);
    std::vector<TPoint> spans;
    while (!stack.empty()) {
        const TPoint s = stack.back();
        stack.pop_back();
        if (done[static_cast<std::size_t>(s.Y) * w + s.X] || !fillable(s.X, s.Y)) continue;
        int a = s.X, e = s.X;
        while (a > 0 && !done[static_cast<std::size_t>(s.Y) * w + a - 1] && fillable(a - 1, s.Y) && p.Visible(a - 1, s.Y)) --a;
        while (e + 1 < w && !done[static_cast<std::size_t>(s.Y) * w + e + 1] && fillable(e + 1, s.Y) && p.Visible(e + 1, s.Y)) ++e;
        for (int i = a; i <= e; ++i) done[static_cast<std::size_t>(s.Y) * w + i] = 1;
        spans.push_back({a, s.Y});
        spans.push_back({e + 1, s.Y});
        for (int ny : {s.Y - 1, s.Y + 1}) {
            if (ny < 0 || ny >= h) continue;
            for (int i = a; i <= e; ++i)
                if (!done[static_cast<std::size_t>(ny) * w + i] && p.Visible(i, ny) && fillable(i, ny))
                    stack.push_back({i, ny});
        }
    }
    // Paint after the search so the fill colour cannot feed back into it.
    for (std::size_t i = 0; i + 1 < spans.size(); i += 2) p.Span(spans[i].Y, spans[i].X, spans[i + 1].X, ink);
    NotifyChange(*this);
}

TColor TCanvas::Pixels(int x, int y) const
{
    // Pixel loops over whole pictures are common: skip the clip machinery when there is none.
    if (!hasClip_) {
        if (!target_) return -1;
        const int dx = x + origin_.X, dy = y + origin_.Y;
        if (dx < 0 || dy < 0 || dx >= target_->Width() || dy >= target_->Height()) return -1;
        return target_->Pixel(dx, dy);
    }
    TCanvasPainter p(const_cast<TCanvas&>(*this));
    if (!p.Ok()) return -1;
    const int dx = p.DevX(x), dy = p.DevY(y);
    if (!p.Visible(dx, dy)) return -1;
    return p.Read(dx, dy);
}

void TCanvas::SetPixels(int x, int y, TColor color)
{
    if (!hasClip_) {
        if (target_) target_->SetPixel(x + origin_.X, y + origin_.Y, color);
        return;
    }
    TCanvasPainter p(*this);
    if (!p.Ok()) return;
    const int dx = p.DevX(x), dy = p.DevY(y);
    if (p.Visible(dx, dy)) p.Write(dx, dy, ColorToRGB(color));
}

// ---------------------------------------------------------------------------
// Pictures

void TCanvas::Draw(int x, int y, TGraphic& graphic)
{
    if (graphic.Empty()) return;
    graphic.Draw(*this, Rect(x, y, x + graphic.Width(), y + graphic.Height()));
    NotifyChange(*this);
}

void TCanvas::StretchDraw(const TRect& r, TGraphic& graphic)
{
    if (graphic.Empty()) return;
    graphic.Draw(*this, r);
    NotifyChange(*this);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect)
{
    StretchBlt(this, dest.Left, dest.Top, dest.Right - dest.Left, dest.Bottom - dest.Top, &source, sourceRect.Left,
               sourceRect.Top, sourceRect.Right - sourceRect.Left, sourceRect.Bottom - sourceRect.Top, copyMode_);
    NotifyChange(*this);
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap& source, const TRect& sourceRect, TColor transparent)
{
    const int w = sourceRect.Width(), h = sourceRect.Height();
    if (w <= 0 || h <= 0) return;
    TBitmap part(w, h, pf24bit);
    const TColor key = ColorToRGB(transparent);
    const TColor fill = ColorToRGB(brush_.Color());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColor c = source.Pixel(sourceRect.Left + x, sourceRect.Top + y);
            part.SetPixel(x, y, c == key ? fill : c);
        }
    StretchBlt(this, dest.Left, dest.Top, dest.Width(), dest.Height(), part.Canvas(), 0, 0, w, h, SRCCOPY);
    NotifyChange(*this);
}

// ---------------------------------------------------------------------------
// Text

void PaintText(TCanvas& canvas, int x, int y, std::string_view text, const TRect* clip, bool opaque,
               std::size_t underlineFrom, std::size_t underlineTo)
{
    TCanvasPainter p(canvas);
    if (!p.Ok()) return;
    TFont& font = *canvas.Font();
    const EngineMetrics m = fontengine::Metrics(font);
    const int width = fontengine::TextWidth(font, text);
    TRect limit{};
    const bool limited = clip != nullptr;
    if (limited) {
        limit = *clip;
        OffsetRect(limit, p.Origin().X, p.Origin().Y);
    }
    auto inside = [&](int dx, int dy) {
        return !limited || (dx >= limit.Left && dx < limit.Right && dy >= limit.Top && dy < limit.Bottom);
    };
    const int ox = p.DevX(x), oy = p.DevY(y);
    if (opaque) {
        TRect box = Rect(ox, oy, ox + width, oy + m.height);
        if (limited) IntersectRect(box, box, limit);
        p.FillRect(box, Ink::FromColor(canvas.BkColor()));
    }
    const TColor color = ColorToRGB(font.Color());
    const bool aa = fontengine::AntiAliased(font);
    fontengine::Render(font, text, [&](int gx, int gy, int coverage) {
        const int dx = ox + gx, dy = oy + gy;
        if (!inside(dx, dy)) return;
        if (aa) p.Blend(dx, dy, color, coverage);
        else if (coverage >= 128 && p.Visible(dx, dy)) p.Write(dx, dy, color);
    });
    auto line = [&](int x0, int x1, int row, int thickness) {
        for (int t = 0; t < thickness; ++t)
            for (int px = x0; px < x1; ++px)
                if (inside(px, row + t) && p.Visible(px, row + t)) p.Write(px, row + t, color);
    };
    const int baseline = oy + m.ascent;
    if (font.Style().Contains(fsUnderline)) line(ox, ox + width, baseline + m.underlinePosition, m.underlineThickness);
    if (font.Style().Contains(fsStrikeOut)) line(ox, ox + width, baseline - m.strikeOutPosition, m.underlineThickness);
    if (underlineTo > underlineFrom && underlineTo <= text.size()) {
        const int a = fontengine::TextWidth(font, text.substr(0, underlineFrom));
        const int b = fontengine::TextWidth(font, text.substr(0, underlineTo));
        line(ox + a, ox + b, baseline + m.underlinePosition, m.underlineThickness);
    }
}

void TCanvas::TextOut(int x, int y, std::string_view text)
{
    PaintText(*this, x, y, text, nullptr, bkMode_ == OPAQUE);
    penPos_ = {x + TextWidth(text), y};
    NotifyChange(*this);
}

void TCanvas::TextRect(const TRect& r, int x, int y, std::string_view text)
{
    if (bkMode_ == OPAQUE) {
        TCanvasPainter p(*this);
        if (p.Ok()) {
            TRect d = r;
            OffsetRect(d, p.Origin().X, p.Origin().Y);
            p.FillRect(d, Ink::FromColor(bkColor_));
        }
    }
    PaintText(*this, x, y, text, &r, false);
    NotifyChange(*this);
}

int TCanvas::TextWidth(std::string_view text) { return fontengine::TextWidth(font_, text); }

int TCanvas::TextHeight(std::string_view text) { return TextExtent(text).cy; }

TSize TCanvas::TextExtent(std::string_view text)
{
    return {fontengine::TextWidth(font_, text), fontengine::Metrics(font_).height};
}

void TCanvas::GetTextMetrics(TTextMetric& metrics) { metrics = FontMetrics(font_); }

// ---------------------------------------------------------------------------
// Clip, origin and saved states

TRect TCanvas::ClipRect() const
{
    if (!target_) return {};
    TRect b = Rect(0, 0, target_->Width(), target_->Height());
    if (hasClip_) {
        TRect c;
        if (!IntersectRect(c, clip_.Bounds(), b)) return {};
        b = c;
    }
    OffsetRect(b, -origin_.X, -origin_.Y);
    return b;
}

void TCanvas::SetClipRect(const TRect& r)
{
    TRect d = r;
    OffsetRect(d, origin_.X, origin_.Y);
    clip_ = TRegion(d);
    hasClip_ = true;
}

void TCanvas::IntersectClipRect(const TRect& r)
{
    TRect d = r;
    OffsetRect(d, origin_.X, origin_.Y);
    if (!hasClip_) {
        clip_ = TRegion(d);
        hasClip_ = true;
        return;
    }
    clip_ = clip_.Intersect(TRegion(d));
}

void TCanvas::ExcludeClipRect(const TRect& r)
{
    TRect d = r;
    OffsetRect(d, origin_.X, origin_.Y);
    if (!hasClip_) {
        const int w = target_ ? target_->Width() : 0, h = target_ ? target_->Height() : 0;
        clip_ = TRegion(Rect(0, 0, w, h));
        hasClip_ = true;
    }
    clip_ = clip_.Subtract(TRegion(d));
}

void TCanvas::SelectClipRegion(const TRegion* region)
{
    if (!region) {
        hasClip_ = false;
        clip_ = TRegion();
        return;
    }
    clip_ = *region;
    hasClip_ = true;
}

int TCanvas::SaveDC()
{
    auto s = std::make_unique<State>();
    s->pen.Assign(pen_);
    s->brush.Assign(brush_);
    s->font.Assign(font_);
    s->penPos = penPos_;
    s->origin = origin_;
    s->copyMode = copyMode_;
    s->hasClip = hasClip_;
    s->clip = clip_;
    s->stretchMode = stretchMode_;
    s->bkMode = bkMode_;
    s->bkColor = bkColor_;
    saved_.push_back(std::move(s));
    return static_cast<int>(saved_.size());
}

bool TCanvas::RestoreDC(int saved)
{
    const int count = static_cast<int>(saved_.size());
    const int level = saved < 0 ? count + saved + 1 : saved;
    if (level < 1 || level > count) return false;
    State& s = *saved_[static_cast<std::size_t>(level - 1)];
    pen_.Assign(s.pen);
    brush_.Assign(s.brush);
    font_.Assign(s.font);
    penPos_ = s.penPos;
    origin_ = s.origin;
    copyMode_ = s.copyMode;
    hasClip_ = s.hasClip;
    clip_ = s.clip;
    stretchMode_ = s.stretchMode;
    bkMode_ = s.bkMode;
    bkColor_ = s.bkColor;
    saved_.resize(static_cast<std::size_t>(level - 1));
    return true;
}

int TCanvas::SetStretchBltMode(int mode)
{
    const int old = stretchMode_;
    if (mode >= BLACKONWHITE && mode <= HALFTONE) stretchMode_ = mode;
    return old;
}

int TCanvas::SetBkMode(int mode)
{
    const int old = bkMode_;
    if (mode == TRANSPARENT || mode == OPAQUE) bkMode_ = mode;
    return old;
}

TColor TCanvas::SetBkColor(TColor color)
{
    const TColor old = bkColor_;
    bkColor_ = color;
    return old;
}
