#include "skin/kivscrollbar.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "gfx/canvas.h"
#include "gfx/picture.h"
#include "vcl/application.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kRepeatMs = 100;
constexpr int kMinThumb = 18;

} // namespace

TkivScrollBar::TkivScrollBar(TComponent* AOwner) : TCustomPanel(AOwner)
{
    SetControlStyle(ControlStyle() & ~(csAcceptsControls | csSetCaption));
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);

    lane_ = new TkivScrollTrackBar(this);
    lane_->SetParent(this);
    lane_->SetShowTick(false);
    lane_->SetTabStop(false);
    lane_->SetTransparent(false);
    lane_->SetMax(100);

    decrease_ = new TkivImageButton(this);
    increase_ = new TkivImageButton(this);
    for (TkivImageButton* b : {decrease_, increase_}) {
        const int direction = b == increase_ ? 1 : -1;
        b->SetParent(this);
        b->SetTabStop(false);
        b->SetAutoSize(true);
        b->SetMouseContinuouslyDownInterval(kRepeatMs);
        // Only the auto-repeat ticks step: every 100 ms while the arrow is held,
        // so a press let go before the first tick does not move the thumb.
        b->OnMouseContinuouslyDown = [this, direction](TObject*) { Step(direction); };
    }
    SetBounds(Left(), Top(), Width(), 185);
    // The first layout waits for the pictures: arrows without them have no size,
    // and a bar laid out with no height would hide itself.
    placing_ = false;
    uiStyle_ = GetKIVFormStyle(AOwner);
    SetUIStyle(uiStyle_);
}

TkivScrollBar::~TkivScrollBar()
{
    // The lane's change event may reach a control that is going away with us.
    if (lane_) lane_->OnChange = nullptr;
}

void TkivScrollBar::Step(int direction)
{
    if (!Enabled()) return;
    lane_->SetPosition(static_cast<int>(std::clamp<std::int64_t>(
        static_cast<std::int64_t>(lane_->Position()) + direction * static_cast<std::int64_t>(smallChange_),
        lane_->Min(), lane_->Max())));
}

void TkivScrollBar::SetPosition(int value)
{
    if (value != lane_->Position()) lane_->SetPosition(value);
}

void TkivScrollBar::SetPageSize(int value)
{
    lane_->SetPageSize(value);
    UpdateSliderPic();
}

int TkivScrollBar::LaneLength() const
{
    return orientation_ == kivHorizontal ? Width() - increase_->Width() - decrease_->Width()
                                         : Height() - increase_->Height() - decrease_->Height();
}

void TkivScrollBar::SetLineButton(int value)
{
    if (value == lineButton_ || value > LaneLength()) return;
    lineButton_ = value;
    UpdateSliderPic();
}

void TkivScrollBar::SetOrientation(TkivProgressBarOrientation value)
{
    if (value == orientation_) return;
    orientation_ = value;
    UpdatePictures();
    PlaceTrackBarAndButton();
}

void TkivScrollBar::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    lane_->SetColor(Color());
    UpdatePictures();
    PlaceTrackBarAndButton();
}

void TkivScrollBar::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

void TkivScrollBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == lane_) lane_ = nullptr;
    if (AComponent == increase_) increase_ = nullptr;
    if (AComponent == decrease_) decrease_ = nullptr;
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation) && lane_ && increase_ && decrease_) SetUIStyle(DeepBlue);
}

// Bitmap 33 holds the thumb's start, middle and end lying side by side;
// bitmap 32 the decrease arrow's normal, mouse-over and pressed pictures and
// then the increase arrow's, all upright.
void TkivScrollBar::UpdatePictures()
{
    lane_->SetBarImage(TPicture());
    SetColor(KivThemeColor(fileTheme_, uiStyle_, 31));
    TBitmap thumb, arrows;
    KivThemeBitmap(fileTheme_, uiStyle_, 33, &thumb);
    KivThemeBitmap(fileTheme_, uiStyle_, 32, &arrows);
    SpitBitmap(&thumb, &thumbStart_, 3, 1);
    SpitBitmap(&thumb, &thumbMiddle_, 3, 2);
    SpitBitmap(&thumb, &thumbEnd_, 3, 3);
    const bool horizontal = orientation_ == kivHorizontal;
    for (int part = 1; part <= 6; ++part) {
        TBitmap picture;
        SpitBitmap(&arrows, &picture, 6, part);
        if (horizontal) RoundPicture(&picture);
        TPicture p;
        p.SetGraphic(picture.Empty() ? nullptr : &picture);
        TkivImageButton* b = part <= 3 ? decrease_ : increase_;
        switch ((part - 1) % 3) {
        case 0: b->SetPicNormal(p); break;
        case 1: b->SetPicMouseOn(p); break;
        default: b->SetPicMouseDown(p); break;
        }
    }
    if (!horizontal)
        for (TBitmap* b : {&thumbStart_, &thumbMiddle_, &thumbEnd_}) RoundPicture3(b);
    // The buttons have taken their normal pictures' size (auto-size).
    Invalidate();
}

void TkivScrollBar::PlaceTrackBarAndButton()
{
    if (placing_ || !lane_ || !increase_ || !decrease_) return;
    placing_ = true;
    try {
        lane_->SetOrientation(orientation_);
        if (Width() == 0 || Height() == 0) {
            SetVisible(false);
        } else if (orientation_ == kivHorizontal) {
            PlaceControl(decrease_, Point(0, 0));
            lane_->SetBounds(decrease_->Width(), 0, std::max(0, Width() - increase_->Width() - decrease_->Width()),
                             lane_->Height());
            PlaceControl(increase_, Point(Width() - increase_->Width(), 0));
            SetHeight(decrease_->Height());
        } else {
            PlaceControl(decrease_, Point(0, 0));
            lane_->SetBounds(0, decrease_->Height(), lane_->Width(),
                             std::max(0, Height() - increase_->Height() - decrease_->Height() - 1));
            PlaceControl(increase_, Point(0, Height() - increase_->Height()));
            SetWidth(decrease_->Width());
        }
        UpdateSliderPic();
    } catch (...) {
        placing_ = false;
        throw;
    }
    placing_ = false;
}

void TkivScrollBar::UpdateSliderPic()
{
    if (!lane_ || thumbStart_.Empty()) return;
    const bool horizontal = orientation_ == kivHorizontal;
    const int thickness = horizontal ? thumbStart_.Height() : thumbStart_.Width();
    int length;
    if (lineButton_ > 0) {
        if (lineButton_ < kMinThumb) lineButton_ = kMinThumb;
        length = lineButton_;
    } else {
        int page = lane_->PageSize();
        if (page < 10 || page > 100) page = 10;
        const int lane = horizontal ? lane_->Width() : lane_->Height();
        if (lane <= 0) return; // no length to size the thumb by yet
        length = lane * page / 100;
    }
    if (length <= 0 || thickness <= 0) return;

    // The start at the beginning, the end flush with the end, the middle stretched between.
    TBitmap slider(horizontal ? length : thickness, horizontal ? thickness : length, pf24bit);
    TCanvas* c = slider.Canvas();
    const int startLength = horizontal ? thumbStart_.Width() : thumbStart_.Height();
    const int endLength = horizontal ? thumbEnd_.Width() : thumbEnd_.Height();
    if (length > startLength + endLength) {
        const TRect middle = horizontal ? Rect(startLength, 0, length - endLength, thickness)
                                        : Rect(0, startLength, thickness, length - endLength);
        c->StretchDraw(middle, thumbMiddle_);
    }
    c->Draw(0, 0, thumbStart_);
    if (horizontal) c->Draw(length - endLength, 0, thumbEnd_);
    else c->Draw(0, length - endLength, thumbEnd_);

    TPicture picture;
    picture.SetGraphic(&slider);
    lane_->SetSliderImage(picture);
    lane_->UpdateSliderSize();
}

void TkivScrollBar::Resize()
{
    TCustomPanel::Resize();
    PlaceTrackBarAndButton();
}

void TkivScrollBar::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case WM_SIZE:
        TCustomPanel::WndProc(m);
        PlaceTrackBarAndButton();
        return;
    case CM_COLORCHANGED:
        TCustomPanel::WndProc(m);
        if (lane_) lane_->SetColor(Color());
        return;
    case CM_VISIBLECHANGED:
        TCustomPanel::WndProc(m);
        for (TControl* c : {static_cast<TControl*>(lane_), static_cast<TControl*>(increase_),
                            static_cast<TControl*>(decrease_)})
            if (c) c->SetVisible(Visible());
        return;
    default:
        break;
    }
    TCustomPanel::WndProc(m);
}

// ---------------------------------------------------------------------------
TkivScrollBarLink::TkivScrollBarLink(TWinControl& control, TPlacement placement)
    : control_(control), placement_(placement)
{
}

TkivScrollBarLink::~TkivScrollBarLink()
{
    // The bars outlive the control: their change events must not reach it.
    for (TkivScrollBar* bar : {vbar_, hbar_})
        if (bar) {
            bar->SetOnChange(nullptr);
            bar->RemoveFreeNotification(&control_);
        }
}

void TkivScrollBarLink::Release(TkivScrollBar* bar)
{
    bar->SetOnChange(nullptr);
    bar->SetLineButton(0);
    bar->SetMax(100);
    bar->SetEnabled(true);
    if (bar != vbar_ && bar != hbar_) bar->RemoveFreeNotification(&control_);
}

bool TkivScrollBarLink::Attach(TScrollBarKind kind, TkivScrollBar* bar)
{
    TkivScrollBar*& slot = kind == sbVertical ? vbar_ : hbar_;
    if (slot == bar) return false;
    TkivScrollBar* old = slot;
    slot = bar;
    if (old) Release(old);
    if (bar) {
        bar->SetOrientation(kind == sbVertical ? kivVertical : kivHorizontal);
        bar->SetOnChange([this, kind](TObject*) { BarChanged(kind); });
        bar->FreeNotification(&control_);
        // It lies over the control's own bar, so above the control.
        if (bar->Parent() && bar->Parent() == control_.Parent()) bar->BringToFront();
    }
    return true;
}

bool TkivScrollBarLink::Forget(TComponent* component)
{
    bool forgot = false;
    if (component && component == vbar_) vbar_ = nullptr, forgot = true;
    if (component && component == hbar_) hbar_ = nullptr, forgot = true;
    return forgot;
}

void TkivScrollBarLink::SetFileTheme(TkivFileTheme* theme)
{
    for (TkivScrollBar* bar : {vbar_, hbar_})
        if (bar) bar->SetFileTheme(theme);
}

void TkivScrollBarLink::SetUIStyle(TkivUIStyle style)
{
    for (TkivScrollBar* bar : {vbar_, hbar_})
        if (bar) bar->SetUIStyle(style);
}

// A bar moved by the user scrolls the control to the bar's position, as the
// control's own thumb would.
void TkivScrollBarLink::BarChanged(TScrollBarKind kind)
{
    TkivScrollBar* bar = Bar(kind);
    if (updating_ || !bar) return;
    const UINT msg = kind == sbVertical ? WM_VSCROLL : WM_HSCROLL;
    const WPARAM w = MakeScrollWParam(SB_THUMBPOSITION, BarPosition(kind, bar->Position()));
    switch (placement_) {
    case kpMemo: {
        TFlagScope scope(scrollingFromBar_);
        control_.Perform(msg, w, 0);
        control_.Invalidate();
        break;
    }
    case kpListBox:
        control_.Perform(msg, w, 0);
        UpdateScrollBars();
        break;
    case kpGrid:
        control_.Perform(msg, w, 0);
        control_.Invalidate();
        break;
    }
}

void TkivScrollBarLink::ScrollStateChanged()
{
    // The memo's own scrolling while a bar drives it is that bar's doing.
    if (placement_ == kpMemo && scrollingFromBar_) return;
    UpdateScrollBars();
}

void TkivScrollBarLink::ShowBar(TkivScrollBar* bar, bool visible)
{
    // Never shown beside a hidden control.
    bar->SetVisible(visible && control_.Visible());
}

void TkivScrollBarLink::UpdateBar(TScrollBarKind kind, TkivScrollBar* bar)
{
    const bool vertical = kind == sbVertical;
    const bool list = placement_ == kpListBox, memo = placement_ == kpMemo;
    SCROLLBARINFO info;
    const bool known = KIVGetScrollBarInfo(control_.Handle(), vertical ? OBJID_VSCROLL : OBJID_HSCROLL, info);
    if (!known && !list) {
        ShowBar(bar, false);
    } else if (known && !(info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE)) && control_.Enabled()) {
        bar->SetLineButton(std::abs(info.xyThumbBottom - info.xyThumbTop));
        bar->SetEnabled(true);
        if (!memo) ShowBar(bar, true);
        if (!list) bar->SetSliderVisible(true);
        if (!vertical && !list) bar->SetSmallChange(static_cast<std::uint16_t>(3 * bar->PageSize()));
    } else {
        bar->SetLineButton(0);
        bar->SetEnabled(false);
        if (!memo) ShowBar(bar, false);
        if (!list) bar->SetSliderVisible(false);
    }
    // The range as the thumb travels it: the last position is Max - Page + 1.
    TScrollBarQuery q;
    if (control_.Perform(CM_GETSCROLLBAR, vertical ? SB_VERT : SB_HORZ, reinterpret_cast<LPARAM>(&q)) != 1) return;
    bar->SetMax(q.State.MaxPos());
    bar->SetMin(q.State.Min);
    bar->SetPosition(BarPosition(kind, q.State.Pos));
}

int TkivScrollBarLink::BarPosition(TScrollBarKind kind, int position) const
{
    if (kind != sbHorizontal || !mirrorsRightToLeft_ || !control_.UseRightToLeftReading()) return position;
    TScrollBarQuery q;
    if (control_.Perform(CM_GETSCROLLBAR, SB_HORZ, reinterpret_cast<LPARAM>(&q)) != 1) return position;
    return q.State.Min + q.State.MaxPos() - position;
}

void TkivScrollBarLink::UpdateScrollBars()
{
    if ((!vbar_ && !hbar_) || !Application) return;
    TFlagScope scope(updating_);
    if (vbar_) UpdateBar(sbVertical, vbar_);
    if (hbar_) UpdateBar(sbHorizontal, hbar_);
}

void TkivScrollBarLink::UpdateScrollBarsPos()
{
    if (!vbar_ && !hbar_) return;
    if (placement_ == kpGrid) UpdateScrollBars();
    PlaceBars();
    UpdateScrollBars();
}

// Over the control's own bars, inside the one-pixel skin border (list and
// memo also inside their second frame line). A right-to-left control on a
// Middle-East system has its vertical bar on the left.
void TkivScrollBarLink::PlaceBars()
{
    const int L = control_.Left(), T = control_.Top(), W = control_.Width(), H = control_.Height();
    const bool rtl = control_.UseRightToLeftAlignment();
    switch (placement_) {
    case kpListBox:
        if (vbar_) {
            const int bw = vbar_->Width();
            const int left = rtl ? L + 2 : (bw > W ? L : L + W - bw - 2);
            vbar_->SetBounds(left, T + 1, bw, H - 2);
        }
        break;
    case kpMemo: {
        const int vw = vbar_ ? vbar_->Width() : 0;
        if (vbar_) {
            ShowBar(vbar_, vw <= W);
            const int left = rtl ? L + 2 : L + W - vw - 2;
            vbar_->SetBounds(left, T + 1, vw, H - 2 - (hbar_ ? hbar_->Height() : 0));
        }
        if (hbar_) {
            const int bh = hbar_->Height();
            ShowBar(hbar_, bh <= H);
            if (rtl) hbar_->SetBounds(L + 1 + vw, T + H - bh - 2, W - 2 - vw, bh);
            else hbar_->SetBounds(L + 1, T + H - bh - 2, W - 1 - vw, bh);
        }
        break;
    }
    case kpGrid: {
        const bool hShown = hbar_ && hbar_->Visible();
        const bool vShown = vbar_ && vbar_->Visible();
        const int vw = vbar_ ? vbar_->Width() : 0;
        if (vbar_) {
            const int left = rtl ? L + 1 : L + W - vw - 1;
            vbar_->SetBounds(left, T + 1, vw, H - 1 - (hShown ? hbar_->Height() : 0));
        }
        if (hbar_) {
            const int bh = hbar_->Height();
            const int left = rtl ? L + 1 + vw : L + 1;
            hbar_->SetBounds(left, T + H - bh - 1, vShown ? W - 1 - vw : W - 2, bh);
        }
        break;
    }
    }
}

void TkivScrollBarLink::AfterMessage(const TMessage& m)
{
    switch (m.Msg) {
    case WM_MOVE:
    case WM_SIZE:
    case CM_BIDIMODECHANGED:
    case CM_PARENTBIDIMODECHANGED:
        UpdateScrollBarsPos();
        break;
    case CM_VISIBLECHANGED:
        if (control_.Visible()) {
            UpdateScrollBarsPos();
        } else {
            for (TkivScrollBar* bar : {vbar_, hbar_})
                if (bar) bar->SetVisible(false);
        }
        break;
    case CM_ENABLEDCHANGED:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        UpdateScrollBars();
        break;
    default:
        break;
    }
}
