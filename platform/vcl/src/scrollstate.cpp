#include "vcl/scrollstate.h"

#include <algorithm>

namespace {
TRect Lane(const TRect& r)
{
    int arrow = std::min(r.Width(), r.Height() / 2);
    return Rect(r.Left, r.Top + arrow, r.Right, r.Bottom - arrow);
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

void Arrow(TCanvas& c, const TRect& box, bool up, bool enabled)
{
    RaisedBox(c, box);
    TColor ink = enabled ? clBtnText : clGrayText;
    int cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
    for (int i = 0; i < 4; ++i) {
        int y = up ? cy - 2 + i : cy + 1 - i;
        c.Pen()->SetColor(ink);
        c.MoveTo(cx - i, y);
        c.LineTo(cx + i + 1, y);
    }
}
} // namespace

TRect ScrollThumbRect(const TRect& r, const TScrollState& s)
{
    TRect lane = Lane(r);
    int range = s.Max - s.Min + 1;
    if (range <= 0 || !s.Needed() || lane.Height() <= 0) return {};
    int len = std::max(8, static_cast<int>(static_cast<long long>(lane.Height()) * s.Page / range));
    len = std::min(len, lane.Height());
    int span = s.MaxPos() - s.Min;
    int travel = lane.Height() - len;
    int top = lane.Top + (span > 0 ? static_cast<int>(static_cast<long long>(travel) * (s.Pos - s.Min) / span) : 0);
    return Rect(r.Left, top, r.Right, top + len);
}

TScrollHit ScrollBarHitTest(const TRect& r, const TScrollState& s, TPoint p)
{
    if (!PtInRect(r, p)) return shNone;
    TRect lane = Lane(r);
    if (p.Y < lane.Top) return shLineUp;
    if (p.Y >= lane.Bottom) return shLineDown;
    TRect thumb = ScrollThumbRect(r, s);
    if (thumb.IsEmpty()) return shNone;
    if (p.Y < thumb.Top) return shPageUp;
    if (p.Y >= thumb.Bottom) return shPageDown;
    return shThumb;
}

int ScrollPosFromThumb(const TRect& r, const TScrollState& s, int thumbTop)
{
    TRect lane = Lane(r);
    TRect thumb = ScrollThumbRect(r, s);
    int travel = lane.Height() - thumb.Height();
    int span = s.MaxPos() - s.Min;
    if (travel <= 0 || span <= 0) return s.Min;
    int pos = s.Min + static_cast<int>((static_cast<long long>(thumbTop - lane.Top) * span + travel / 2) / travel);
    return std::clamp(pos, s.Min, s.MaxPos());
}

void DrawVScrollBar(TCanvas& c, const TRect& r, const TScrollState& s, bool enabled)
{
    if (r.IsEmpty()) return;
    TRect lane = Lane(r);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(RGB(0xE0, 0xE0, 0xE0));
    c.FillRect(lane);
    Arrow(c, Rect(r.Left, r.Top, r.Right, lane.Top), true, enabled && s.Needed());
    Arrow(c, Rect(r.Left, lane.Bottom, r.Right, r.Bottom), false, enabled && s.Needed());
    TRect thumb = ScrollThumbRect(r, s);
    if (!thumb.IsEmpty() && enabled) RaisedBox(c, thumb);
}

int ApplyScrollCode(const TScrollState& s, int code, int thumbPos, int line)
{
    int pos = s.Pos;
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
    return std::clamp(pos, s.Min, s.MaxPos());
}

int ApplyScrollMessage(const TScrollState& s, WPARAM wParam)
{
    return ApplyScrollCode(s, static_cast<int>(wParam & 0xFFFF), static_cast<int>((wParam >> 16) & 0xFFFF));
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

bool TVScrollBarMouse::Press(const TRect& bar, const TScrollState& s, TPoint p, int& code)
{
    code = SB_ENDSCROLL;
    if (bar.IsEmpty() || !PtInRect(bar, p)) return false;
    TScrollHit hit = ScrollBarHitTest(bar, s, p);
    if (hit == shThumb) {
        dragging_ = true;
        offset_ = p.Y - ScrollThumbRect(bar, s).Top;
    }
    code = ScrollCodeForHit(hit);
    return true;
}

int TVScrollBarMouse::DragPos(const TRect& bar, const TScrollState& s, int y) const
{
    return ScrollPosFromThumb(bar, s, y - offset_);
}

bool TVScrollBarMouse::Release()
{
    bool was = dragging_;
    dragging_ = false;
    return was;
}
