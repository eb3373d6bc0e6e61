#include "skin/kivtrackbar.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "gfx/canvas.h"
#include "vcl/messages.h"
#include "vcl/timer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr unsigned kRepeatIntervalMs = 100;

int Saturate(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

TkivTrackBar::TkivTrackBar(TComponent* AOwner) : TCustomPanel(AOwner)
{
    SetControlStyle(ControlStyle() & ~(csAcceptsControls | csSetCaption));
    SetBevelOuter(bvNone);
    SetBounds(Left(), Top(), 150, 20);
    SetParentColor(true);
    SetTabStop(true);
    uiStyle_ = GetKIVFormStyle(AOwner);
    slider_ = new TkivImagePanel(this);
    slider_->SetBounds(0, 0, 0, 0);
    slider_->SetParent(this);
    slider_->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) { SliderMouseDown(b, s, x, y); };
    slider_->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) { SliderMouseUp(b, s, x, y); };
    SetUIStyle(uiStyle_);
    PlaceSlider();
}

TkivTrackBar::~TkivTrackBar() { timer_.reset(); }

// --- range -------------------------------------------------------------------------
void TkivTrackBar::SetMin(int value)
{
    if (value == min_) return;
    min_ = std::min(value, max_);
    if (min_ > position_) position_ = min_;
    PlaceSlider();
}

void TkivTrackBar::SetMax(int value)
{
    if (value == max_) return;
    max_ = std::max(value, min_);
    if (max_ < position_) position_ = max_;
    PlaceSlider();
}

void TkivTrackBar::SetPosition(int value) { SetPositionClamped(value); }

void TkivTrackBar::SetPositionClamped(std::int64_t value)
{
    position_ = static_cast<int>(std::clamp<std::int64_t>(value, min_, max_));
    PlaceSlider();
}

void TkivTrackBar::SetPageSize(int value)
{
    if (value >= 0 && value <= max_) pageSize_ = value;
}

void TkivTrackBar::SetLineSize(int value)
{
    if (value >= 0 && value <= max_) lineSize_ = value;
}

void TkivTrackBar::SetFrequency(int value)
{
    frequency_ = value;
    Invalidate();
}

void TkivTrackBar::SetShowTick(bool value)
{
    showTick_ = value;
    Invalidate();
}

void TkivTrackBar::SetTransparent(bool value)
{
    transparent_ = value;
    Invalidate();
}

void TkivTrackBar::SetOrientation(TkivProgressBarOrientation value)
{
    if (value == orientation_) return;
    orientation_ = value;
    UpdateControl();
}

void TkivTrackBar::SetBarImage(const TPicture& value)
{
    barImage_.Assign(value);
    UpdateControl();
}

void TkivTrackBar::SetSliderImage(const TPicture& value)
{
    slider_->SetPicture(value);
    Invalidate();
}

// --- theme -------------------------------------------------------------------------
void TkivTrackBar::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    UpdateControl();
    if (value == MacOS) SetTransparent(true);
}

void TkivTrackBar::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

void TkivTrackBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == slider_) slider_ = nullptr;
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
}

void TkivTrackBar::UpdatePicture()
{
    if (CustomPicture()) return;
    TBitmap bar;
    KivThemeBitmap(fileTheme_, uiStyle_, 28, &bar);
    barImage_.SetGraphic(bar.Empty() ? nullptr : &bar);
    TBitmap slider;
    KivThemeBitmap(fileTheme_, uiStyle_, orientation_ == kivHorizontal ? 29 : 30, &slider);
    slider_->Picture()->SetGraphic(slider.Empty() ? nullptr : &slider);
    PrepareBarBuffer();
    slider_->SetTransparent(SliderTransparent());
    slider_->SetAutoSize(true);
}

// The bar at the control's length, ends kept and middle stretched; stored upright when vertical.
void TkivTrackBar::PrepareBarBuffer()
{
    const TGraphic* g = barImage_.Graphic();
    if (!g || g->Empty()) {
        barBuffer_.SetSize(0, 0);
        return;
    }
    const int length = std::max(orientation_ == kivHorizontal ? Width() : Height(), 1);
    const int thickness = barImage_.Height();
    barBuffer_.SetSize(length, thickness);
    TCanvas* c = barBuffer_.Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(0, 0, length, thickness));
    SpitDrawHorizontal(barImage_.Bitmap(), c, Rect(0, 0, length, thickness), true, true);
    if (orientation_ == kivVertical) RoundPicture(&barBuffer_);
}

void TkivTrackBar::UpdateControl()
{
    if (updating_ || !slider_) return;
    updating_ = true;
    try {
        UpdatePicture();
        // A control with neither picture keeps its size until its owner supplies them.
        const int thickness = std::max(barImage_.Height(), orientation_ == kivHorizontal ? slider_->Height() : slider_->Width());
        if (thickness > 0) {
            if (orientation_ == kivHorizontal)
                SetHeight(thickness);
            else
                SetWidth(thickness);
        }
        PrepareBarBuffer();
        PlaceSlider();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
    Invalidate();
}

void TkivTrackBar::Loaded()
{
    TCustomPanel::Loaded();
    UpdateControl();
}

void TkivTrackBar::Resize()
{
    TCustomPanel::Resize();
    UpdateControl();
}

// --- geometry ----------------------------------------------------------------------
// 64-bit products: a lane of a few hundred pixels times a full 32-bit range overflows 32 bits.
TPoint TkivTrackBar::SliderPointFor(std::int64_t value) const
{
    const std::int64_t span = static_cast<std::int64_t>(max_) - min_;
    const std::int64_t done = value - min_;
    if (orientation_ == kivHorizontal) {
        const int y = std::max(0, (Height() - slider_->Height()) / 2);
        const std::int64_t lane = Width() - slider_->Width();
        return Point(span == 0 ? 0 : Saturate(lane * done / span), y);
    }
    const int x = std::max(0, (Width() - slider_->Width()) / 2);
    const std::int64_t lane = Height() - slider_->Height();
    return Point(x, span == 0 ? 0 : Saturate(lane * done / span));
}

std::int64_t TkivTrackBar::PositionFromPoint(int X, int Y) const
{
    const bool horizontal = orientation_ == kivHorizontal;
    const int size = horizontal ? slider_->Width() : slider_->Height();
    const int lane = (horizontal ? Width() : Height()) - size;
    if (lane == 0) return min_;
    const double span = static_cast<double>(max_) - min_;
    const double at = static_cast<double>((horizontal ? X : Y) - size / 2) * span / lane;
    return min_ + static_cast<std::int64_t>(std::nearbyint(at));
}

void TkivTrackBar::PlaceSlider()
{
    if (!slider_) return;
    const TPoint p = SliderPointFor(position_);
    slider_->SetBounds(p.X, p.Y, slider_->Width(), slider_->Height());
    Invalidate();
    if (position_ != lastPosition_) {
        lastChange_ = Saturate(static_cast<std::int64_t>(position_) - lastPosition_);
        lastPosition_ = position_;
        if (OnChange) OnChange(this);
    }
}

// --- painting ----------------------------------------------------------------------
void TkivTrackBar::Paint()
{
    const int w = std::max(Width(), 1), h = std::max(Height(), 1);
    TBitmap buffer(w, h);
    TCanvas* canvas = buffer.Canvas();
    if (transparent_) {
        DoTrans(canvas, this);
    } else {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(Rect(0, 0, w, h));
    }
    if (!barBuffer_.Empty()) {
        if (orientation_ == kivHorizontal)
            canvas->Draw(0, (h - barBuffer_.Height()) / 2, barBuffer_);
        else
            canvas->Draw((w - barBuffer_.Width()) / 2, 0, barBuffer_);
    }
    if (Focused() && TabStop()) canvas->DrawFocusRect(Rect(0, 0, w, h));
    if (showTick_) DrawTicks(canvas);
    Canvas()->CopyRect(Rect(0, 0, w, h), *canvas, Rect(0, 0, w, h));
}

// Ticks at Min, every Frequency-th value after it and Max. Ticks closer than a
// pixel merge, so a dense range ticks each pixel of the lane instead of
// visiting every value (a full 32-bit range would take minutes).
void TkivTrackBar::DrawTicks(TCanvas* canvas)
{
    if (max_ == min_) return;
    const bool horizontal = orientation_ == kivHorizontal;
    const int size = horizontal ? slider_->Width() : slider_->Height();
    const int length = horizontal ? Width() : Height();
    const std::int64_t lane = length - size;
    const std::int64_t span = static_cast<std::int64_t>(max_) - min_;
    auto tick = [&](std::int64_t offset) {
        const int at = Saturate(offset + size / 2);
        if (horizontal) {
            canvas->MoveTo(at, Height() - 3);
            canvas->LineTo(at, Height());
        } else {
            canvas->MoveTo(0, at);
            canvas->LineTo(3, at);
            canvas->MoveTo(Width() - 3, at);
            canvas->LineTo(Width(), at);
        }
    };
    auto offsetOf = [&](std::int64_t done) { return lane * done / span; };
    tick(offsetOf(0));
    if (frequency_ > 0) {
        const std::int64_t step = frequency_;
        const std::int64_t pixels = lane < 0 ? -lane : lane; // a lane shorter than the slider runs backwards
        if (step * pixels < span) {
            const std::int64_t dir = lane < 0 ? -1 : 1;
            for (std::int64_t p = 1; p < pixels; ++p) tick(dir * p);
        } else {
            for (std::int64_t done = step; done < span; done += step) tick(offsetOf(done));
        }
    }
    tick(offsetOf(span));
}

// --- mouse -------------------------------------------------------------------------
void TkivTrackBar::TakeFocus()
{
    if (!KIVCanFocus() || !CanFocus()) return;
    try {
        SetFocus();
    } catch (...) {
        // A form that refuses the focus must not lose the press.
    }
}

void TkivTrackBar::FreeTimer() { timer_.reset(); }

// One page towards the point, never past the value under it.
void TkivTrackBar::PageTowards(int X, int Y, std::int64_t step)
{
    const int click = orientation_ == kivHorizontal ? X : Y;
    const int corner = orientation_ == kivHorizontal ? slider_->Left() : slider_->Top();
    const std::int64_t target = PositionFromPoint(X, Y);
    if (click > corner)
        SetPositionClamped(std::min<std::int64_t>(position_ + step, target));
    else if (click < corner)
        SetPositionClamped(std::max<std::int64_t>(position_ - step, target));
}

void TkivTrackBar::RepeatTick()
{
    const TPoint p = ScreenToClient(Mouse->CursorPos());
    const std::int64_t step = orientation_ == kivVertical ? pageSize_ : 3 * static_cast<std::int64_t>(pageSize_);
    PageTowards(p.X, p.Y, step);
}

void TkivTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomPanel::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    PageTowards(X, Y, pageSize_);
    if (!timer_) {
        timer_ = std::make_unique<TTimer>(nullptr);
        timer_->SetInterval(kRepeatIntervalMs);
        timer_->OnTimer = [this](TObject*) { RepeatTick(); };
        timer_->SetEnabled(true);
    }
    TakeFocus();
}

void TkivTrackBar::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomPanel::MouseMove(Shift, X, Y);
    if (dragging_) {
        SetPositionClamped(PositionFromPoint(X, Y));
        return;
    }
    if (X < 0 || X > Width() || Y < 0 || Y > Height()) FreeTimer();
}

void TkivTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    FreeTimer();
    dragging_ = false;
    SetMouseCapture(false);
    TCustomPanel::MouseUp(Button, Shift, X, Y);
}

void TkivTrackBar::SliderMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        dragging_ = true;
        TakeFocus();
        SetMouseCapture(true);
    }
    if (OnMouseDown) OnMouseDown(this, Button, Shift, slider_->Left() + X, slider_->Top() + Y);
}

void TkivTrackBar::SliderMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp) OnMouseUp(this, Button, Shift, slider_->Left() + X, slider_->Top() + Y);
}

// --- keys and messages --------------------------------------------------------------
void TkivTrackBar::KeyDown(unsigned short& Key, TShiftState Shift)
{
    TCustomPanel::KeyDown(Key, Shift);
    const std::int64_t p = position_;
    switch (Key) {
    case VK_PRIOR: SetPositionClamped(p - pageSize_); break;
    case VK_NEXT: SetPositionClamped(p + pageSize_); break;
    case VK_END: SetPositionClamped(max_); break;
    case VK_HOME: SetPositionClamped(min_); break;
    case VK_LEFT:
    case VK_UP: SetPositionClamped(p - lineSize_); break;
    case VK_RIGHT:
    case VK_DOWN: SetPositionClamped(p + lineSize_); break;
    default: break;
    }
}

void TkivTrackBar::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS;
        return;
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    case CM_COLORCHANGED:
    case CM_PARENTCOLORCHANGED:
        // The bar's ends are keyed onto the control's colour.
        TCustomPanel::WndProc(m);
        PrepareBarBuffer();
        Invalidate();
        return;
    default:
        break;
    }
    TCustomPanel::WndProc(m);
}

// ---------------------------------------------------------------------------
TkivScrollTrackBar::TkivScrollTrackBar(TComponent* AOwner) : TkivTrackBar(AOwner)
{
    SetTabStop(false);
    Slider()->SetTabStop(false);
    Slider()->SetControlStyle(ControlStyle());
    // The base loaded the theme's pictures before this class took over; its owner supplies them.
    Slider()->SetBounds(0, 0, 0, 0);
    SetSliderImage(TPicture());
    SetBarImage(TPicture());
    Slider()->SetTransparent(SliderTransparent());
}

bool TkivScrollTrackBar::SliderVisible() const { return Slider()->Visible(); }

void TkivScrollTrackBar::SetSliderVisible(bool value)
{
    if (Slider()->Visible() != value) Slider()->SetVisible(value);
}

void TkivScrollTrackBar::UpdateSliderSize()
{
    Slider()->SetAutoSize(true);
    // The lane takes the slider's thickness, and the slider its place for the new length.
    UpdateControl();
}
