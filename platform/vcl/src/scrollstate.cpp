#include "vcl/scrollstate.h"

#include "edges.h"

#include <algorithm>

namespace {
// Every rule below is written for a vertical bar; a horizontal one is the
// same bar with x and y swapped.
TRect Swap(const TRect& r) { return Rect(r.Top, r.Left, r.Bottom, r.Right); }
TPoint Swap(TPoint p) { return Point(p.Y, p.X); }
TRect Upright(const TRect& r, TScrollBarKind kind) { return kind == sbVertical ? r : Swap(r); }
TPoint Upright(TPoint p, TScrollBarKind kind) { return kind == sbVertical ? p : Swap(p); }

TRect Lane(const TRect& r)
{
    int arrow = std::min(r.Width(), r.Height() / 2);
    return Rect(r.Left, r.Top + arrow, r.Right, r.Bottom - arrow);
}

TRect UprightThumb(const TRect& r, const TScrollState& s)
{
    TRect lane = Lane(r);
    const std::int64_t range = static_cast<std::int64_t>(s.Max) - s.Min + 1;
    if (range <= 0 || !s.Needed() || lane.Height() <= 0) return {};
    int len = static_cast<int>(std::max<std::int64_t>(8, lane.Height() * static_cast<std::int64_t>(s.Page) / range));
    len = std::min(len, lane.Height());
    const std::int64_t span = static_cast<std::int64_t>(s.MaxPos()) - s.Min;
    const std::int64_t travel = lane.Height() - len;
    int top = lane.Top + (span > 0 ? static_cast<int>(travel * (static_cast<std::int64_t>(s.Pos) - s.Min) / span) : 0);
    return Rect(r.Left, top, r.Right, top + len);
}

void RaisedBox(TCanvas& c, const TRect& box)
{
    c.Brush()->SetColor(clBtnFace);
    c.Brush()->SetStyle(bsSolid);
    c.FillRect(box);
    c.Pen()->SetColor(clBtnShadow);
    c.MoveTo(box.Left, box.Bottom - 1);
    c.LineTo(box.Right - 1, box.Bottom - 1);
    c.LineTo(box.Right - 1, box.Top - 1);
    c.Pen()->SetColor(clBtnHighlight);
    c.MoveTo(box.Left, box.Bottom - 2);
    c.LineTo(box.Left, box.Top);
    c.LineTo(box.Right - 1, box.Top);
}
} // namespace

TRect ScrollThumbRect(const TRect& r, const TScrollState& s, TScrollBarKind kind)
{
    TRect thumb = UprightThumb(Upright(r, kind), s);
    return thumb.IsEmpty() ? TRect{} : Upright(thumb, kind);
}

TScrollHit ScrollBarHitTest(const TRect& r, const TScrollState& s, TPoint p, TScrollBarKind kind)
{
    const TRect bar = Upright(r, kind);
    p = Upright(p, kind);
    if (!PtInRect(bar, p)) return shNone;
    TRect lane = Lane(bar);
    if (p.Y < lane.Top) return shLineUp;
    if (p.Y >= lane.Bottom) return shLineDown;
    TRect thumb = UprightThumb(bar, s);
    if (thumb.IsEmpty()) return shNone;
    if (p.Y < thumb.Top) return shPageUp;
    if (p.Y >= thumb.Bottom) return shPageDown;
    return shThumb;
}

int ScrollPosFromThumb(const TRect& r, const TScrollState& s, int at, TScrollBarKind kind)
{
    const TRect bar = Upright(r, kind);
    TRect lane = Lane(bar);
    TRect thumb = UprightThumb(bar, s);
    const std::int64_t travel = lane.Height() - thumb.Height();
    const std::int64_t span = static_cast<std::int64_t>(s.MaxPos()) - s.Min;
    if (travel <= 0 || span <= 0) return s.Min;
    const std::int64_t moved = at - lane.Top;
    const std::int64_t pos = s.Min + (moved * span + (moved >= 0 ? travel / 2 : -travel / 2)) / travel;
    return static_cast<int>(std::clamp<std::int64_t>(pos, s.Min, s.MaxPos()));
}

void DrawScrollBar(TCanvas& c, const TRect& r, const TScrollState& s, TScrollBarKind kind, bool enabled)
{
    if (r.IsEmpty()) return;
    const TRect lane = Upright(Lane(Upright(r, kind)), kind);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(RGB(0xE0, 0xE0, 0xE0));
    c.FillRect(lane);
    const bool vertical = kind == sbVertical;
    const TRect dec = vertical ? Rect(r.Left, r.Top, r.Right, lane.Top) : Rect(r.Left, r.Top, lane.Left, r.Bottom);
    const TRect inc = vertical ? Rect(r.Left, lane.Bottom, r.Right, r.Bottom) : Rect(lane.Right, r.Top, r.Right, r.Bottom);
    const TColor ink = enabled && s.Needed() ? clBtnText : clGrayText;
    RaisedBox(c, dec);
    ArrowGlyph(c, dec, vertical ? 1 : 0, ink, 0);
    RaisedBox(c, inc);
    ArrowGlyph(c, inc, vertical ? 3 : 2, ink, 0);
    TRect thumb = ScrollThumbRect(r, s, kind);
    if (!thumb.IsEmpty() && enabled) RaisedBox(c, thumb);
}

void DrawScrollBars(TCanvas& c, const TRect& v, const TScrollState& vs, const TRect& h, const TScrollState& hs,
                    bool enabled)
{
    if (!v.IsEmpty()) DrawScrollBar(c, v, vs, sbVertical, enabled);
    if (!h.IsEmpty()) DrawScrollBar(c, h, hs, sbHorizontal, enabled);
    if (!v.IsEmpty() && !h.IsEmpty()) {
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(clBtnFace);
        c.FillRect(Rect(v.Left, h.Top, v.Right, h.Bottom));
    }
}

int ApplyScrollCode(const TScrollState& s, int code, int thumbPos, int line)
{
    std::int64_t pos = s.Pos;
    switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= std::max(1, s.Page); break;
    case SB_PAGEDOWN: pos += std::max(1, s.Page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: pos = thumbPos; break;
    case SB_TOP: pos = s.Min; break;
    case SB_BOTTOM: pos = s.MaxPos(); break;
    default: break;
    }
    return static_cast<int>(std::clamp<std::int64_t>(pos, s.Min, s.MaxPos()));
}

int ApplyScrollMessage(const TScrollState& s, WPARAM wParam, int line)
{
    return ApplyScrollCode(s, ScrollMessageCode(wParam), ScrollMessagePos(wParam), line);
}

int ScrollCodeForHit(TScrollHit hit)
{
    switch (hit) {
    case shLineUp: return SB_LINEUP;
    case shLineDown: return SB_LINEDOWN;
    case shPageUp: return SB_PAGEUP;
    case shPageDown: return SB_PAGEDOWN;
    default: return SB_ENDSCROLL;
    }
}

int WheelScrollLines(int wheelDelta)
{
    int notches = wheelDelta / 120;
    if (notches == 0) notches = wheelDelta > 0 ? 1 : -1;
    return 3 * notches;
}

void AnswerScrollBarQuery(TMessage& m, const TRect& bar, const TScrollState& s)
{
    if (auto* q = reinterpret_cast<TScrollBarQuery*>(m.LParam)) {
        q->Bar = bar;
        q->State = s;
        m.Result = 1;
    }
}

bool TScrollBarMouse::Press(const TRect& bar, const TScrollState& s, TPoint p, int& code)
{
    code = SB_ENDSCROLL;
    if (bar.IsEmpty() || !PtInRect(bar, p)) return false;
    TScrollHit hit = ScrollBarHitTest(bar, s, p, kind_);
    if (hit == shThumb) {
        dragging_ = true;
        offset_ = Upright(p, kind_).Y - Upright(ScrollThumbRect(bar, s, kind_), kind_).Top;
    }
    code = ScrollCodeForHit(hit);
    return true;
}

int TScrollBarMouse::DragPos(const TRect& bar, const TScrollState& s, TPoint p) const
{
    return ScrollPosFromThumb(bar, s, Upright(p, kind_).Y - offset_, kind_);
}

bool TScrollBarMouse::Release()
{
    bool was = dragging_;
    dragging_ = false;
    return was;
}
