#include "vcl/comctrls.h"

#include "autorepeat.h"
#include "edges.h"

#include <algorithm>
#include <charconv>

namespace {
constexpr int TrackMargin = 8;     // channel inset from each end
constexpr int TrackThumbWidth = 11; // slider size along the bar

void Triangle(TCanvas& c, const TRect& box, bool upOrRight, bool vertical, TColor ink, int shift)
{
    const int cx = (box.Left + box.Right) / 2 + shift, cy = (box.Top + box.Bottom) / 2 + shift;
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(ink);
    for (int i = 0; i < 3; ++i) {
        if (vertical) {
            int y = upOrRight ? cy - 1 + i : cy + 1 - i;
            c.FillRect(Rect(cx - i, y, cx + i + 1, y + 1));
        } else {
            int x = upOrRight ? cx + 1 - i : cx - 1 + i;
            c.FillRect(Rect(x, cy - i, x + 1, cy + i + 1));
        }
    }
}
} // namespace

// --- track bar ------------------------------------------------------------------
TTrackBar::TTrackBar(TComponent* AOwner) : TCustomControl(AOwner), repeat_(std::make_unique<TAutoRepeat>(this))
{
    SetControlStyle((ControlStyle() | csOpaque) & ~(csSetCaption | csDoubleClicks | csClickEvents));
    SetTabStop(true);
    SetBounds(0, 0, 150, 45);
}

TTrackBar::~TTrackBar() = default;

void TTrackBar::SetOrientation(TTrackBarOrientation value)
{
    if (orientation_ == value) return;
    orientation_ = value;
    SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TTrackBar::SetMin(int value)
{
    if (value == min_) return;
    min_ = value;
    if (max_ < min_) max_ = min_;
    position_ = std::clamp(position_, min_, max_);
    Invalidate();
}

void TTrackBar::SetMax(int value)
{
    if (value == max_) return;
    max_ = value;
    if (min_ > max_) min_ = max_;
    position_ = std::clamp(position_, min_, max_);
    Invalidate();
}

void TTrackBar::SetPosition(int value)
{
    value = std::clamp(value, min_, max_);
    if (value == position_) return;
    position_ = value;
    Invalidate();
}

void TTrackBar::SetFrequency(int value)
{
    if (value == frequency_) return;
    frequency_ = value;
    Invalidate();
}

void TTrackBar::SetTickMarks(TTickMark value)
{
    if (value == tickMarks_) return;
    tickMarks_ = value;
    Invalidate();
}

void TTrackBar::SetTickStyle(TTickStyle value)
{
    if (value == tickStyle_) return;
    tickStyle_ = value;
    Invalidate();
}

void TTrackBar::SetThumbLength(int value)
{
    value = std::max(value, 4);
    if (value == thumbLength_) return;
    thumbLength_ = value;
    Invalidate();
}

void TTrackBar::SetSliderVisible(bool value)
{
    if (value == sliderVisible_) return;
    sliderVisible_ = value;
    Invalidate();
}

void TTrackBar::Changed()
{
    if (OnChange) OnChange(this);
}

namespace {
// A rectangle given along and across the bar, in client coordinates.
TRect Oriented(TTrackBarOrientation o, int a0, int a1, int c0, int c1)
{
    return o == trHorizontal ? Rect(a0, c0, a1, c1) : Rect(c0, a0, c1, a1);
}
} // namespace

int TTrackBar::PixelOf(int value) const
{
    const int length = orientation_ == trHorizontal ? Width() : Height();
    const int start = TrackMargin + TrackThumbWidth / 2;
    const int travel = std::max(0, length - 2 * start);
    const std::int64_t range = static_cast<std::int64_t>(max_) - min_;
    if (range <= 0) return start;
    const std::int64_t v = std::clamp<std::int64_t>(value, min_, max_) - min_;
    return start + static_cast<int>(v * travel / range);
}

int TTrackBar::ValueAt(int pixel) const
{
    const int length = orientation_ == trHorizontal ? Width() : Height();
    const int start = TrackMargin + TrackThumbWidth / 2;
    const int travel = length - 2 * start;
    const std::int64_t range = static_cast<std::int64_t>(max_) - min_;
    if (travel <= 0 || range <= 0) return min_;
    const std::int64_t off = std::clamp(pixel - start, 0, travel);
    return static_cast<int>(min_ + (off * range + travel / 2) / travel);
}

TRect TTrackBar::ThumbRect() const
{
    if (!sliderVisible_) return {};
    const int thickness = orientation_ == trHorizontal ? Height() : Width();
    const int top = (tickMarks_ == tmBottomRight) ? 4 : 10;
    const int len = std::max(4, std::min(thumbLength_, thickness - top - 4));
    const int c = PixelOf(position_);
    return Oriented(orientation_, c - TrackThumbWidth / 2, c + TrackThumbWidth / 2 + 1, top, top + len);
}

TRect TTrackBar::ChannelRect() const
{
    const int length = orientation_ == trHorizontal ? Width() : Height();
    const int thickness = orientation_ == trHorizontal ? Height() : Width();
    const int top = (tickMarks_ == tmBottomRight) ? 4 : 10;
    const int len = std::max(4, std::min(thumbLength_, thickness - top - 4));
    const int mid = top + len / 2;
    return Oriented(orientation_, TrackMargin, std::max(TrackMargin, length - TrackMargin), mid - 2, mid + 2);
}

void TTrackBar::MoveByUser(int value)
{
    value = std::clamp(value, min_, max_);
    if (value == position_) return;
    position_ = value;
    Invalidate();
    Changed();
}

void TTrackBar::KeyDown(unsigned short& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const std::int64_t p = position_;
    std::int64_t target;
    switch (Key) {
    case VK_LEFT:
    case VK_UP: target = p - lineSize_; break;
    case VK_RIGHT:
    case VK_DOWN: target = p + lineSize_; break;
    case VK_PRIOR: target = p - pageSize_; break;
    case VK_NEXT: target = p + pageSize_; break;
    case VK_HOME: target = min_; break;
    case VK_END: target = max_; break;
    default: return;
    }
    MoveByUser(static_cast<int>(std::clamp<std::int64_t>(target, min_, max_)));
    Key = 0;
}

// One page toward the held pointer, never past the value under it.
void TTrackBar::StepPage()
{
    if (!paging_) return;
    if (PtInRect(ThumbRect(), mouse_)) return;
    const int under = ValueAt(Along(mouse_));
    const std::int64_t p = position_;
    if (under < position_) MoveByUser(static_cast<int>(std::max<std::int64_t>(p - pageSize_, under)));
    else if (under > position_) MoveByUser(static_cast<int>(std::min<std::int64_t>(p + pageSize_, under)));
}

void TTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && !dragging_ && !paging_) {
        if (CanFocus() && !Focused()) SetFocus();
        mouse_ = Point(X, Y);
        if (PtInRect(ThumbRect(), mouse_)) {
            dragging_ = true;
            dragOffset_ = Along(mouse_) - PixelOf(position_);
        } else if (sliderVisible_) {
            paging_ = true;
            StepPage();
            repeat_->Start([this] { StepPage(); });
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TTrackBar::MouseMove(TShiftState Shift, int X, int Y)
{
    mouse_ = Point(X, Y);
    if (dragging_) MoveByUser(ValueAt(Along(mouse_) - dragOffset_));
    TCustomControl::MouseMove(Shift, X, Y);
}

void TTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        dragging_ = paging_ = false;
        repeat_->Stop();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TTrackBar::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    const int notches = WheelDelta / 120 != 0 ? WheelDelta / 120 : (WheelDelta > 0 ? 1 : -1);
    const std::int64_t target = static_cast<std::int64_t>(position_) - static_cast<std::int64_t>(notches) * lineSize_;
    MoveByUser(static_cast<int>(std::clamp<std::int64_t>(target, min_, max_)));
    return true;
}

void TTrackBar::WndProc(TMessage& m)
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
        dragging_ = paging_ = false;
        repeat_->Stop();
        break;
    case CM_ENTER:
    case CM_EXIT:
        Invalidate();
        break;
    }
    TCustomControl::WndProc(m);
}

void TTrackBar::Paint()
{
    TCanvas& c = *Canvas();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(ClientRect());
    SunkenWell(c, ChannelRect(), clWindow);

    const TRect thumb = ThumbRect();
    const int thickness = orientation_ == trHorizontal ? Height() : Width();
    const int top = (tickMarks_ == tmBottomRight) ? 4 : 10;
    const int len = std::max(4, std::min(thumbLength_, thickness - top - 4));
    if (tickStyle_ != tsNone) {
        c.Brush()->SetColor(clBtnText);
        auto tick = [&](int value, int size) {
            const int p = PixelOf(value);
            if (tickMarks_ != tmTopLeft) c.FillRect(Oriented(orientation_, p, p + 1, top + len + 2, top + len + 2 + size));
            if (tickMarks_ != tmBottomRight) c.FillRect(Oriented(orientation_, p, p + 1, top - 2 - size, top - 2));
        };
        tick(min_, 4);
        tick(max_, 4);
        if (tickStyle_ == tsAuto) {
            // No more ticks than pixels, whatever the range and frequency.
            const std::int64_t range = static_cast<std::int64_t>(max_) - min_;
            const std::int64_t pixels = std::max(1, (orientation_ == trHorizontal ? Width() : Height()) / 2);
            const std::int64_t step = std::max<std::int64_t>({frequency_, 1, range / pixels});
            for (std::int64_t v = static_cast<std::int64_t>(min_) + step; v < max_; v += step) tick(static_cast<int>(v), 3);
        }
    }
    if (!thumb.IsEmpty()) {
        RaisedFace(c, thumb);
        if (!Enabled()) {
            TRect in = thumb;
            InflateRect(in, -3, -3);
            c.Brush()->SetColor(clBtnShadow);
            c.FrameRect(in);
        }
    }
    if (Focused()) {
        TRect f = ClientRect();
        InflateRect(f, -1, -1);
        c.Brush()->SetColor(Color());
        c.DrawFocusRect(f);
    }
}

// --- progress bar -----------------------------------------------------------------
TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle((ControlStyle() | csOpaque) & ~(csSetCaption | csClickEvents));
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::SetMin(int value)
{
    if (value == min_) return;
    min_ = value;
    if (max_ < min_) max_ = min_;
    position_ = std::clamp(position_, min_, max_);
    Invalidate();
}

void TProgressBar::SetMax(int value)
{
    if (value == max_) return;
    max_ = value;
    if (min_ > max_) min_ = max_;
    position_ = std::clamp(position_, min_, max_);
    Invalidate();
}

void TProgressBar::SetPosition(int value)
{
    value = std::clamp(value, min_, max_);
    if (value == position_) return;
    position_ = value;
    Invalidate();
}

void TProgressBar::StepIt()
{
    std::int64_t next = static_cast<std::int64_t>(position_) + step_;
    if (next > max_) next = min_;
    else if (next < min_) next = max_;
    SetPosition(static_cast<int>(next));
}

void TProgressBar::StepBy(int Delta)
{
    const std::int64_t next = static_cast<std::int64_t>(position_) + Delta;
    SetPosition(static_cast<int>(std::clamp<std::int64_t>(next, min_, max_)));
}

void TProgressBar::SetOrientation(TProgressBarOrientation value)
{
    if (value == orientation_) return;
    orientation_ = value;
    SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TProgressBar::SetSmooth(bool value)
{
    if (value == smooth_) return;
    smooth_ = value;
    Invalidate();
}

int TProgressBar::FilledLength(int length) const
{
    const std::int64_t range = static_cast<std::int64_t>(max_) - min_;
    if (range <= 0 || length <= 0) return 0;
    const std::int64_t done = static_cast<std::int64_t>(position_) - min_;
    return static_cast<int>(std::clamp<std::int64_t>(done * length / range, 0, length));
}

TRect TProgressBar::FilledRect() const
{
    TRect in = ClientRect();
    InflateRect(in, -1, -1);
    if (in.IsEmpty()) return {};
    if (orientation_ == pbHorizontal) return Rect(in.Left, in.Top, in.Left + FilledLength(in.Width()), in.Bottom);
    return Rect(in.Left, in.Bottom - FilledLength(in.Height()), in.Right, in.Bottom);
}

void TProgressBar::WndProc(TMessage& m)
{
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    TCustomControl::WndProc(m);
}

void TProgressBar::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    c.Brush()->SetStyle(bsSolid);
    Frame3D(&c, r, clBtnShadow, clBtnHighlight, 1);
    c.Brush()->SetColor(Color());
    c.FillRect(r);
    const TRect fill = FilledRect();
    if (fill.IsEmpty()) return;
    c.Brush()->SetColor(clHighlight);
    if (smooth_) {
        c.FillRect(fill);
        return;
    }
    // Blocks two thirds of the bar's thickness long with a gap of two pixels,
    // the last one cut at the fill's end.
    const bool horizontal = orientation_ == pbHorizontal;
    const int block = std::max(2, (horizontal ? r.Height() : r.Width()) * 2 / 3);
    if (horizontal) {
        for (int x = fill.Left; x < fill.Right; x += block + 2)
            c.FillRect(Rect(x, fill.Top, std::min(x + block, fill.Right), fill.Bottom));
    } else {
        for (int y = fill.Bottom; y > fill.Top; y -= block + 2)
            c.FillRect(Rect(fill.Left, std::max(y - block, fill.Top), fill.Right, y));
    }
}

// --- up-down ----------------------------------------------------------------------
std::string FormatUpDownValue(int value, bool thousands)
{
    std::string digits = std::to_string(value < 0 ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value));
    std::string out;
    if (value < 0) out += '-';
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (thousands && i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

TUpDown::TUpDown(TComponent* AOwner) : TCustomControl(AOwner), repeat_(std::make_unique<TAutoRepeat>(this))
{
    SetControlStyle((ControlStyle() | csOpaque) & ~(csSetCaption | csDoubleClicks | csClickEvents));
    SetBounds(0, 0, 17, 25);
}

TUpDown::~TUpDown()
{
    Unhook();
}

void TUpDown::Unhook()
{
    if (!associate_) return;
    associate_->WindowProc = savedProc_;
    savedProc_ = nullptr;
    associate_->RemoveFreeNotification(this);
    associate_ = nullptr;
}

void TUpDown::SetAssociate(TWinControl* value)
{
    if (value == associate_) return;
    if (value == this) throw EInvalidOperation("An up-down control cannot be its own associate");
    Unhook();
    associate_ = value;
    if (!associate_) return;
    associate_->FreeNotification(this);
    savedProc_ = associate_->WindowProc;
    TWinControl* buddy = associate_;
    associate_->WindowProc = [this, buddy](TMessage& m) {
        if (m.Msg == WM_KEYDOWN && arrowKeys_ && Enabled() && (m.WParam == VK_UP || m.WParam == VK_DOWN)) {
            StepBy(m.WParam == VK_UP ? btNext : btPrev);
            return;
        }
        if (savedProc_) savedProc_(m);
        else buddy->WndProc(m);
    };
    PlaceBesideAssociate();
    WriteAssociate();
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == associate_) {
        // It is going: nothing of it is touched any more.
        associate_ = nullptr;
        savedProc_ = nullptr;
    }
}

void TUpDown::PlaceBesideAssociate()
{
    if (!associate_) return;
    TWinControl* a = associate_;
    if (a->Parent()) SetParent(a->Parent());
    const int w = Width();
    if (alignButton_ == udRight) {
        a->SetWidth(std::max(0, a->Width() - w));
        SetBounds(a->Left() + a->Width(), a->Top(), w, a->Height());
    } else {
        SetBounds(a->Left(), a->Top(), w, a->Height());
        a->SetBounds(a->Left() + w, a->Top(), std::max(0, a->Width() - w), a->Height());
    }
}

void TUpDown::SetAlignButton(TUDAlignButton value)
{
    alignButton_ = value;
}

void TUpDown::SetOrientation(TUDOrientation value)
{
    if (value == orientation_) return;
    orientation_ = value;
    Invalidate();
}

void TUpDown::SetMin(int value)
{
    min_ = value;
    if (max_ < min_) max_ = min_;
    SetPosition(position_);
}

void TUpDown::SetMax(int value)
{
    max_ = value;
    if (min_ > max_) min_ = max_;
    SetPosition(position_);
}

void TUpDown::SetPosition(int value)
{
    value = std::clamp(value, min_, max_);
    const bool changed = value != position_;
    position_ = value;
    WriteAssociate();
    if (changed) Invalidate();
}

void TUpDown::SetThousands(bool value)
{
    if (value == thousands_) return;
    thousands_ = value;
    WriteAssociate();
}

void TUpDown::ReadAssociate()
{
    if (!associate_) return;
    std::string digits;
    for (char ch : associate_->Text())
        if (ch != ',' && ch != ' ') digits += ch;
    int value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    // Text that is not a whole number leaves the position as it was.
    if (ec == std::errc() && end == digits.data() + digits.size() && !digits.empty())
        position_ = std::clamp(value, min_, max_);
}

void TUpDown::WriteAssociate()
{
    if (!associate_) return;
    std::string text = FormatUpDownValue(position_, thousands_);
    if (associate_->Text() != text) associate_->SetText(text);
}

bool TUpDown::CanChange()
{
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TUpDown::Click(TUDBtnType Button)
{
    if (OnClick) OnClick(this, Button);
}

void TUpDown::StepBy(TUDBtnType button)
{
    ReadAssociate();
    if (!CanChange()) return;
    std::int64_t next = static_cast<std::int64_t>(position_) + (button == btNext ? increment_ : -increment_);
    if (next > max_) next = wrap_ ? min_ : max_;
    else if (next < min_) next = wrap_ ? max_ : min_;
    const bool changed = next != position_;
    position_ = static_cast<int>(next);
    WriteAssociate();
    if (changed) Invalidate();
    Click(button);
}

TRect TUpDown::ButtonRect(TUDBtnType button) const
{
    if (orientation_ == udVertical) {
        const int mid = Height() / 2;
        return button == btNext ? Rect(0, 0, Width(), mid) : Rect(0, mid, Width(), Height());
    }
    const int mid = Width() / 2;
    return button == btNext ? Rect(mid, 0, Width(), Height()) : Rect(0, 0, mid, Height());
}

void TUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && pressed_ < 0) {
        for (TUDBtnType b : {btNext, btPrev}) {
            if (!PtInRect(ButtonRect(b), Point(X, Y))) continue;
            pressed_ = b;
            pressInside_ = true;
            Invalidate();
            StepBy(b);
            if (pressed_ >= 0)
                repeat_->Start([this] {
                    if (pressed_ >= 0 && pressInside_) StepBy(static_cast<TUDBtnType>(pressed_));
                });
            break;
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TUpDown::MouseMove(TShiftState Shift, int X, int Y)
{
    if (pressed_ >= 0) {
        const bool inside = PtInRect(ButtonRect(static_cast<TUDBtnType>(pressed_)), Point(X, Y));
        if (inside != pressInside_) {
            pressInside_ = inside;
            Invalidate();
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && pressed_ >= 0) {
        repeat_->Stop();
        pressed_ = -1;
        pressInside_ = false;
        Invalidate();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TUpDown::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
        repeat_->Stop();
        pressed_ = -1;
        pressInside_ = false;
        Invalidate();
        break;
    }
    TCustomControl::WndProc(m);
}

void TUpDown::Paint()
{
    TCanvas& c = *Canvas();
    const bool vertical = orientation_ == udVertical;
    for (TUDBtnType b : {btNext, btPrev}) {
        TRect box = ButtonRect(b);
        const bool down = pressed_ == b && pressInside_;
        if (down) PressedFace(c, box);
        else RaisedFace(c, box);
        const TColor ink = Enabled() ? clBtnText : clGrayText;
        Triangle(c, box, b == btNext, vertical, ink, down ? 1 : 0);
    }
}
