#include "skin/kivscrollbar.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "gfx/canvas.h"
#include "gfx/picture.h"

#include <algorithm>

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
        b->OnMouseContinuouslyDown = [this, direction](TObject*) { Step(direction); };
        // A press steps at once, so a quick click moves the thumb too; the
        // auto-repeat ticks add a step every 100 ms while the button stays down.
        b->OnMouseDown = [this, direction](TObject*, TMouseButton button, TShiftState, int, int) {
            if (button == mbLeft) Step(direction);
        };
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
    if (fileTheme_ && fileTheme_ != value) fileTheme_->RemoveFreeNotification(this);
    fileTheme_ = value;
    if (value) value->FreeNotification(this);
    SetUIStyle(uiStyle_);
}

void TkivScrollBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == lane_) lane_ = nullptr;
    if (AComponent == increase_) increase_ = nullptr;
    if (AComponent == decrease_) decrease_ = nullptr;
    if (AComponent == fileTheme_) {
        fileTheme_ = nullptr;
        if (lane_ && increase_ && decrease_) SetUIStyle(DeepBlue);
    }
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
