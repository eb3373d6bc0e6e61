#pragma once
// The skinned slider: a bar picture stretched along the control with a movable
// slider picture over an integer range. Clicks on the bar page towards the
// pointer and repeat while held; the slider can be dragged; arrow, page, Home
// and End keys step it. The scroll-bar variant takes its pictures from its owner.
#include "skin/kivimagepanel.h"
#include "skin/kivprogressbar.h"
#include "skin/kivskinnable.h"

#include "gfx/bitmap.h"
#include "gfx/picture.h"
#include "vcl/extctrls.h"

#include <cstdint>
#include <memory>

class TTimer;

class TkivTrackBar : public TCustomPanel, public ISkinnable {
public:
    explicit TkivTrackBar(TComponent* AOwner);
    ~TkivTrackBar() override;

    // Min, Max and Position keep Min <= Position <= Max: the setters clamp.
    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    // Accepted only within 0..Max.
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value);
    int LineSize() const { return lineSize_; }
    void SetLineSize(int value);
    int Frequency() const { return frequency_; }
    void SetFrequency(int value);
    bool ShowTick() const { return showTick_; }
    void SetShowTick(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TkivProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TkivProgressBarOrientation value);

    // The bar is stored lying down for both orientations.
    TPicture* BarImage() { return &barImage_; }
    void SetBarImage(const TPicture& value);
    TPicture* SliderImage() { return slider_->Picture(); }
    virtual void SetSliderImage(const TPicture& value);

    // Position minus the previously reported position at the latest OnChange.
    int LastChange() const { return lastChange_; }
    bool Dragging() const { return dragging_; }
    // The auto-repeat of a press on the bar is running.
    bool Repeating() const { return timer_ != nullptr; }
    TkivImagePanel* Slider() const { return slider_; }
    const TBitmap& BarBuffer() const { return barBuffer_; }

    // The value under a client point, not clamped (Min when the slider fills the lane).
    std::int64_t PositionFromPoint(int X, int Y) const;
    // Where the slider's top-left goes for a value.
    TPoint SliderPointFor(std::int64_t value) const;

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    void WndProc(TMessage& Message) override;

    TNotifyEvent OnChange;

protected:
    // Loads the theme's bar and slider pictures and prepares the bar at the control's size.
    virtual void UpdatePicture();
    // True when the owner supplies the pictures (never the theme).
    virtual bool CustomPicture() const { return false; }
    virtual bool KIVCanFocus() const { return true; }
    // The theme's sliders have keyed corners in both orientations.
    virtual bool SliderTransparent() const { return true; }

    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Sizes set while the form was loading did not resize: the bar is prepared now.
    void Loaded() override;
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;

    // Pictures, size, slider, repaint.
    void UpdateControl();
    void PrepareBarBuffer();
    void PlaceSlider();

private:
    void SetPositionClamped(std::int64_t value);
    void PageTowards(int X, int Y, std::int64_t step);
    void RepeatTick();
    void TakeFocus();
    void FreeTimer();
    void DrawTicks(TCanvas* canvas);
    void SliderMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void SliderMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);

    TPicture barImage_;
    std::unique_ptr<TTimer> timer_;
    TkivImagePanel* slider_ = nullptr;
    int min_ = 0;
    int max_ = 10;
    int position_ = 0;
    int lastPosition_ = 0;
    TkivProgressBarOrientation orientation_ = kivHorizontal;
    TkivFileTheme* fileTheme_ = nullptr;
    TkivUIStyle uiStyle_ = DeepBlue;
    bool showTick_ = true;
    bool transparent_ = false;
    int lastChange_ = 0;
    bool dragging_ = false;
    int frequency_ = 1;
    int pageSize_ = 2;
    int lineSize_ = 1;
    TBitmap barBuffer_;
    bool updating_ = false;
};

// The thumb lane of the skinned scroll bar: never focused, pictures from its owner.
class TkivScrollTrackBar : public TkivTrackBar {
public:
    explicit TkivScrollTrackBar(TComponent* AOwner);

    bool SliderVisible() const;
    void SetSliderVisible(bool value);
    // The slider takes its picture's size and is placed again.
    void UpdateSliderSize();

protected:
    bool CustomPicture() const override { return true; }
    bool SliderTransparent() const override { return false; }
    bool KIVCanFocus() const override { return false; }
};
