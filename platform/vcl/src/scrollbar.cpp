#include "vcl/scrollbar.h"

#include "autorepeat.h"
#include "edges.h"

#include <algorithm>
#include <cstdint>

namespace {
// Geometry is worked out along the bar's long axis: `along` runs from the
// decrease arrow to the increase arrow, `across` is the bar's thickness.
struct Axis {
    int length;    // long side
    int thickness; // short side
    int Arrow() const { return std::max(0, std::min(thickness, length / 2)); }
    int LaneStart() const { return Arrow(); }
    int LaneLength() const { return std::max(0, length - 2 * Arrow()); }
};

} // namespace

TScrollBar::TScrollBar(TComponent* AOwner) : TCustomControl(AOwner), repeat_(std::make_unique<TAutoRepeat>(this))
{
    SetControlStyle((ControlStyle() | csOpaque) & ~(csSetCaption | csDoubleClicks | csClickEvents));
    SetTabStop(true);
    SetBounds(0, 0, 121, ScrollBarSize);
}

TScrollBar::~TScrollBar() = default;

void TScrollBar::SetKind(TScrollBarKind value)
{
    if (kind_ == value) return;
    kind_ = value;
    // Only the orientation changes, not the place.
    TCustomControl::SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TScrollBar::SetPageSize(int value)
{
    if (value == pageSize_) return;
    if (value < 0 || value > max_ - min_ + 1) throw EInvalidOperation("Scroll bar property out of range");
    pageSize_ = value;
    SetParams(position_, min_, max_);
    Invalidate();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax)
{
    if (AMax < AMin || static_cast<std::int64_t>(AMax) - AMin + 1 < pageSize_)
        throw EInvalidOperation("Scroll bar property out of range");
    const bool rangeChanged = AMin != min_ || AMax != max_;
    min_ = AMin;
    max_ = AMax;
    APosition = std::clamp(APosition, min_, MaxPosition());
    if (rangeChanged) Invalidate();
    if (APosition != position_) {
        position_ = APosition;
        Invalidate();
        Change();
    }
}

int TScrollBar::MaxPosition() const
{
    if (pageSize_ <= 0) return max_;
    return std::max(min_, static_cast<int>(static_cast<std::int64_t>(max_) - pageSize_ + 1));
}

void TScrollBar::Change()
{
    if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos)
{
    if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::DoScroll(TScrollCode code, int pos)
{
    int p = std::clamp(pos, min_, MaxPosition());
    Scroll(code, p);
    SetPosition(p);
}

// --- geometry ----------------------------------------------------------------
namespace {
Axis AxisOf(const TScrollBar& b)
{
    return b.Kind() == sbVertical ? Axis{b.Height(), b.Width()} : Axis{b.Width(), b.Height()};
}

// A span [from, to) along the axis as a client rectangle.
TRect Span(const TScrollBar& b, int from, int to)
{
    return b.Kind() == sbVertical ? Rect(0, from, b.Width(), to) : Rect(from, 0, to, b.Height());
}
} // namespace

TRect TScrollBar::ArrowRect(bool increase) const
{
    Axis a = AxisOf(*this);
    return increase ? Span(*this, a.length - a.Arrow(), a.length) : Span(*this, 0, a.Arrow());
}

TRect TScrollBar::ThumbRect() const
{
    Axis a = AxisOf(*this);
    const std::int64_t span = static_cast<std::int64_t>(MaxPosition()) - min_;
    const int lane = a.LaneLength();
    if (!Enabled() || span <= 0 || lane < 8) return {};
    const std::int64_t range = static_cast<std::int64_t>(max_) - min_ + 1;
    int len = pageSize_ > 0 ? static_cast<int>(std::max<std::int64_t>(8, lane * static_cast<std::int64_t>(pageSize_) / range))
                            : a.thickness;
    len = std::clamp(len, 8, lane);
    const int start = a.LaneStart() + static_cast<int>((lane - len) * (static_cast<std::int64_t>(position_) - min_) / span);
    return Span(*this, start, start + len);
}

TScrollHit TScrollBar::HitTest(TPoint p) const
{
    if (!PtInRect(ClientRect(), p)) return shNone;
    Axis a = AxisOf(*this);
    const int at = kind_ == sbVertical ? p.Y : p.X;
    if (at < a.LaneStart()) return shLineUp;
    if (at >= a.length - a.Arrow()) return shLineDown;
    TRect thumb = ThumbRect();
    if (thumb.IsEmpty()) return shNone;
    const int ts = kind_ == sbVertical ? thumb.Top : thumb.Left;
    const int te = kind_ == sbVertical ? thumb.Bottom : thumb.Right;
    if (at < ts) return shPageUp;
    if (at >= te) return shPageDown;
    return shThumb;
}

// --- input -------------------------------------------------------------------
void TScrollBar::KeyDown(unsigned short& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    TScrollCode code;
    int pos = position_;
    switch (Key) {
    case VK_UP:
    case VK_LEFT: code = scLineUp; pos -= smallChange_; break;
    case VK_DOWN:
    case VK_RIGHT: code = scLineDown; pos += smallChange_; break;
    case VK_PRIOR: code = scPageUp; pos -= largeChange_; break;
    case VK_NEXT: code = scPageDown; pos += largeChange_; break;
    case VK_HOME: code = scTop; pos = min_; break;
    case VK_END: code = scBottom; pos = MaxPosition(); break;
    default: return;
    }
    DoScroll(code, pos);
    DoScroll(scEndScroll, position_);
    Key = 0;
}

void TScrollBar::StepPressed()
{
    switch (pressed_) {
    case shLineUp:
        if (pressInside_) DoScroll(scLineUp, position_ - smallChange_);
        break;
    case shLineDown:
        if (pressInside_) DoScroll(scLineDown, position_ + smallChange_);
        break;
    case shPageUp:
    case shPageDown:
        // Paging stops once the thumb has reached the pointer.
        if (HitTest(mouse_) == pressed_) {
            if (pressed_ == shPageUp) DoScroll(scPageUp, position_ - largeChange_);
            else DoScroll(scPageDown, position_ + largeChange_);
        }
        break;
    default: break;
    }
}

void TScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && pressed_ == shNone) {
        if (CanFocus() && !Focused()) SetFocus();
        mouse_ = Point(X, Y);
        pressed_ = HitTest(mouse_);
        pressInside_ = true;
        if (pressed_ == shThumb) {
            TRect t = ThumbRect();
            dragOffset_ = kind_ == sbVertical ? Y - t.Top : X - t.Left;
        } else if (pressed_ != shNone) {
            StepPressed();
            if (pressed_ != shNone) repeat_->Start([this] { StepPressed(); });
        }
        Invalidate();
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TScrollBar::MouseMove(TShiftState Shift, int X, int Y)
{
    if (pressed_ != shNone) {
        mouse_ = Point(X, Y);
        if (pressed_ == shThumb) {
            Axis a = AxisOf(*this);
            TRect t = ThumbRect();
            const int len = kind_ == sbVertical ? t.Height() : t.Width();
            const int travel = a.LaneLength() - len;
            const std::int64_t span = static_cast<std::int64_t>(MaxPosition()) - min_;
            if (travel > 0 && span > 0) {
                const int start = (kind_ == sbVertical ? Y : X) - dragOffset_ - a.LaneStart();
                const int pos = min_ + static_cast<int>((start * span + (start >= 0 ? travel / 2 : -travel / 2)) / travel);
                const int clamped = std::clamp(pos, min_, MaxPosition());
                if (clamped != position_) DoScroll(scTrack, clamped);
            }
        } else if (pressed_ == shLineUp || pressed_ == shLineDown) {
            const bool inside = HitTest(mouse_) == pressed_;
            if (inside != pressInside_) {
                pressInside_ = inside;
                Invalidate();
            }
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TScrollBar::EndPress()
{
    repeat_->Stop();
    const TScrollHit was = pressed_;
    pressed_ = shNone;
    pressInside_ = false;
    Invalidate();
    if (was == shThumb) DoScroll(scPosition, position_);
    if (was != shNone) DoScroll(scEndScroll, position_);
}

void TScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && pressed_ != shNone) EndPress();
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TScrollBar::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS;
        return;
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
        if (pressed_ != shNone) EndPress();
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled() && pressed_ != shNone) EndPress();
        break;
    case CM_EXIT:
    case CM_ENTER:
        Invalidate();
        break;
    }
    TCustomControl::WndProc(m);
}

// --- painting ----------------------------------------------------------------
void TScrollBar::Paint()
{
    TCanvas& c = *Canvas();
    const bool vertical = kind_ == sbVertical;
    Axis a = AxisOf(*this);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(RGB(0xE0, 0xE0, 0xE0));
    c.FillRect(ClientRect());

    const TRect thumb = ThumbRect();
    // The part of the channel held down shows darker.
    if ((pressed_ == shPageUp || pressed_ == shPageDown) && HitTest(mouse_) == pressed_) {
        const int ts = thumb.IsEmpty() ? a.LaneStart() : (vertical ? thumb.Top : thumb.Left);
        const int te = thumb.IsEmpty() ? a.LaneStart() : (vertical ? thumb.Bottom : thumb.Right);
        TRect part = pressed_ == shPageUp ? Span(*this, a.LaneStart(), ts)
                                          : Span(*this, te, a.LaneStart() + a.LaneLength());
        c.Brush()->SetColor(cl3DDkShadow);
        c.FillRect(part);
    }

    const bool live = Enabled() && MaxPosition() > min_;
    const TColor ink = live ? clBtnText : clGrayText;
    for (bool increase : {false, true}) {
        TRect box = ArrowRect(increase);
        if (box.IsEmpty()) continue;
        const bool down = pressInside_ && pressed_ == (increase ? shLineDown : shLineUp);
        if (down) PressedFace(c, box);
        else RaisedFace(c, box);
        const int dir = vertical ? (increase ? 3 : 1) : (increase ? 2 : 0);
        if (!live) ArrowGlyph(c, box, dir, clBtnHighlight, 1);
        ArrowGlyph(c, box, dir, ink, down ? 1 : 0);
    }
    if (!thumb.IsEmpty()) {
        RaisedFace(c, thumb);
        if (Focused()) {
            TRect f = thumb;
            InflateRect(f, -3, -3);
            c.Brush()->SetColor(clBtnFace);
            if (!f.IsEmpty()) c.DrawFocusRect(f);
        }
    }
}
