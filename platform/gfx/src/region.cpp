// Regions as bands of rectangles: rectangles sorted by top then left, every
// band (rows sharing Top and Bottom) holding disjoint, non-touching intervals.
#include "gfx/region.h"

#include "painter.h"

#include <algorithm>

namespace {

using Intervals = std::vector<std::pair<int, int>>;

// The intervals of the band covering rows [y0, y1), found by binary search:
// the rectangles of one band share Top and Bottom.
Intervals BandIntervals(const std::vector<TRect>& rects, int y0, int y1)
{
    Intervals out;
    auto end = std::upper_bound(rects.begin(), rects.end(), y0, [](int y, const TRect& r) { return y < r.Top; });
    if (end == rects.begin()) return out;
    const int top = (end - 1)->Top;
    if ((end - 1)->Bottom < y1) return out;
    auto begin = std::lower_bound(rects.begin(), end, top, [](const TRect& r, int t) { return r.Top < t; });
    for (auto it = begin; it != end; ++it) out.emplace_back(it->Left, it->Right);
    return out;
}

template <class Keep>
Intervals CombineIntervals(const Intervals& a, const Intervals& b, Keep keep)
{
    std::vector<int> xs;
    for (const auto& [l, r] : a) {
        xs.push_back(l);
        xs.push_back(r);
    }
    for (const auto& [l, r] : b) {
        xs.push_back(l);
        xs.push_back(r);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    auto inside = [](const Intervals& set, int x) {
        for (const auto& [l, r] : set)
            if (x >= l && x < r) return true;
        return false;
    };
    Intervals out;
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
        if (!keep(inside(a, xs[i]), inside(b, xs[i]))) continue;
        if (!out.empty() && out.back().second == xs[i]) out.back().second = xs[i + 1];
        else out.emplace_back(xs[i], xs[i + 1]);
    }
    return out;
}

} // namespace

TRegion::TRegion(const TRect& r)
{
    if (!r.IsEmpty()) rects_.push_back(r);
}

TRegion TRegion::Combine(const TRegion& a, const TRegion& b, Op op)
{
    std::vector<int> ys;
    for (const TRect& r : a.rects_) {
        ys.push_back(r.Top);
        ys.push_back(r.Bottom);
    }
    for (const TRect& r : b.rects_) {
        ys.push_back(r.Top);
        ys.push_back(r.Bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    auto keep = [op](bool inA, bool inB) {
        switch (op) {
        case Op::Union: return inA || inB;
        case Op::Intersect: return inA && inB;
        case Op::Subtract: return inA && !inB;
        case Op::Xor: return inA != inB;
        }
        return false;
    };
    TRegion out;
    Intervals previous;
    int previousBottom = 0;
    std::size_t bandStart = 0;
    for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
        const int y0 = ys[i], y1 = ys[i + 1];
        Intervals row = CombineIntervals(BandIntervals(a.rects_, y0, y1), BandIntervals(b.rects_, y0, y1), keep);
        if (row.empty()) {
            previous.clear();
            continue;
        }
        if (!previous.empty() && previousBottom == y0 && row == previous) {
            // Same intervals as the band above: grow it instead of adding a band.
            for (std::size_t k = bandStart; k < out.rects_.size(); ++k) out.rects_[k].Bottom = y1;
        } else {
            bandStart = out.rects_.size();
            for (const auto& [l, r] : row) out.rects_.push_back(Rect(l, y0, r, y1));
            previous = std::move(row);
        }
        previousBottom = y1;
    }
    return out;
}

TRegion TRegion::FromRects(const std::vector<TRect>& rects)
{
    // Sweep all rectangles at once rather than one union per rectangle.
    std::vector<int> ys;
    std::vector<TRect> valid;
    for (const TRect& r : rects)
        if (!r.IsEmpty()) {
            valid.push_back(r);
            ys.push_back(r.Top);
            ys.push_back(r.Bottom);
        }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::sort(valid.begin(), valid.end(), [](const TRect& a, const TRect& b) { return a.Top < b.Top; });
    TRegion out;
    Intervals previous;
    int previousBottom = 0;
    std::size_t bandStart = 0;
    std::size_t next = 0;
    std::vector<TRect> active;
    for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
        const int y0 = ys[i], y1 = ys[i + 1];
        // Active rectangles: those begun at or above y0 that reach below it.
        while (next < valid.size() && valid[next].Top <= y0) active.push_back(valid[next++]);
        std::erase_if(active, [y0](const TRect& r) { return r.Bottom <= y0; });
        Intervals row;
        for (const TRect& r : active) row.emplace_back(r.Left, r.Right);
        std::sort(row.begin(), row.end());
        Intervals merged;
        for (const auto& iv : row) {
            if (!merged.empty() && iv.first <= merged.back().second)
                merged.back().second = std::max(merged.back().second, iv.second);
            else merged.push_back(iv);
        }
        if (merged.empty()) {
            previous.clear();
            continue;
        }
        if (!previous.empty() && previousBottom == y0 && merged == previous) {
            for (std::size_t k = bandStart; k < out.rects_.size(); ++k) out.rects_[k].Bottom = y1;
        } else {
            bandStart = out.rects_.size();
            for (const auto& [l, r] : merged) out.rects_.push_back(Rect(l, y0, r, y1));
            previous = std::move(merged);
        }
        previousBottom = y1;
    }
    return out;
}

TRegion TRegion::Ellipse(const TRect& r)
{
    std::vector<TRect> rows;
    for (int y = r.Top; y < r.Bottom; ++y) {
        int a = 0, b = 0;
        if (EllipseSpan(r, y, a, b)) rows.push_back(Rect(a, y, b, y + 1));
    }
    return FromRects(rows);
}

TRegion TRegion::RoundRect(const TRect& r, int ellipseWidth, int ellipseHeight)
{
    std::vector<TRect> rows;
    for (int y = r.Top; y < r.Bottom; ++y) {
        int a = 0, b = 0;
        if (RoundRectSpan(r, ellipseWidth, ellipseHeight, y, a, b)) rows.push_back(Rect(a, y, b, y + 1));
    }
    return FromRects(rows);
}

bool TRegion::Contains(int x, int y) const
{
    for (const TRect& r : rects_) {
        if (r.Top > y) break;
        if (y < r.Bottom && x >= r.Left && x < r.Right) return true;
    }
    return false;
}

bool TRegion::IntersectsRect(const TRect& rect) const
{
    TRect c;
    for (const TRect& r : rects_)
        if (IntersectRect(c, r, rect)) return true;
    return false;
}

TRect TRegion::Bounds() const
{
    TRect b{};
    for (const TRect& r : rects_) UnionRect(b, b, r);
    return b;
}

void TRegion::Offset(int dx, int dy)
{
    for (TRect& r : rects_) OffsetRect(r, dx, dy);
}

TRegion TRegion::Union(const TRegion& other) const { return Combine(*this, other, Op::Union); }
TRegion TRegion::Intersect(const TRegion& other) const { return Combine(*this, other, Op::Intersect); }
TRegion TRegion::Subtract(const TRegion& other) const { return Combine(*this, other, Op::Subtract); }
TRegion TRegion::Xor(const TRegion& other) const { return Combine(*this, other, Op::Xor); }

TRegion CreateRoundRectRgn(int l, int t, int r, int b, int w, int h)
{
    return TRegion::RoundRect(Rect(l, t, r, b), w, h);
}

TRegion CreateEllipticRgn(int l, int t, int r, int b) { return TRegion::Ellipse(Rect(l, t, r, b)); }

static int Kind(const TRegion& rgn)
{
    if (rgn.Empty()) return NULLREGION;
    return rgn.Rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int CombineRgn(TRegion& dest, const TRegion& a, const TRegion& b, int mode)
{
    switch (mode) {
    case RGN_AND: dest = a.Intersect(b); break;
    case RGN_OR: dest = a.Union(b); break;
    case RGN_XOR: dest = a.Xor(b); break;
    case RGN_DIFF: dest = a.Subtract(b); break;
    case RGN_COPY: dest = a; break;
    default: return ERROR_REGION;
    }
    return Kind(dest);
}

int GetRgnBox(const TRegion& rgn, TRect& box)
{
    box = rgn.Bounds();
    return Kind(rgn);
}
