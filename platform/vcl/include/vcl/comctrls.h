#pragma once
// The common controls: track bar, progress bar and up-down buttons here; tool
// bars and page and tab controls in their own headers, included below.
#include "vcl/ctrltypes.h"
#include "vcl/pagectrl.h"
#include "vcl/toolbar.h"

#include <cstdint>
#include <memory>

class TAutoRepeat;

// ---------------------------------------------------------------------------
enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

// A slider over a channel. Min is at the left (or the top). Setters clamp:
// Position stays within Min..Max, and Min and Max never cross. OnChange fires
// when the user moves the slider (mouse, keys), not when code sets Position.
class TTrackBar : public TCustomControl {
public:
    explicit TTrackBar(TComponent* AOwner);
    ~TTrackBar() override;

    TTrackBarOrientation Orientation() const { return orientation_; }
    // Turning the bar swaps its width and height.
    void SetOrientation(TTrackBarOrientation value);
    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    int Frequency() const { return frequency_; }
    void SetFrequency(int value);
    int LineSize() const { return lineSize_; }
    void SetLineSize(int value) { lineSize_ = value; }
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value) { pageSize_ = value; }
    TTickMark TickMarks() const { return tickMarks_; }
    void SetTickMarks(TTickMark value);
    TTickStyle TickStyle() const { return tickStyle_; }
    void SetTickStyle(TTickStyle value);
    int ThumbLength() const { return thumbLength_; }
    void SetThumbLength(int value);
    bool SliderVisible() const { return sliderVisible_; }
    void SetSliderVisible(bool value);

    // Geometry in client coordinates.
    TRect ChannelRect() const;
    TRect ThumbRect() const;
    // Where along the bar's length the slider's centre stands for a value.
    int PixelOf(int value) const;
    // The value whose slider centre lies nearest to a point along the length.
    int ValueAt(int pixel) const;

    TNotifyEvent OnChange;

    void WndProc(TMessage& Message) override;

protected:
    void Changed() override;
    void Paint() override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

private:
    void MoveByUser(int value);
    void StepPage();
    int Along(TPoint p) const { return orientation_ == trHorizontal ? p.X : p.Y; }

    TTrackBarOrientation orientation_ = trHorizontal;
    int min_ = 0, max_ = 10, position_ = 0, frequency_ = 1, lineSize_ = 1, pageSize_ = 2;
    TTickMark tickMarks_ = tmBottomRight;
    TTickStyle tickStyle_ = tsAuto;
    int thumbLength_ = 20;
    bool sliderVisible_ = true;
    bool dragging_ = false, paging_ = false;
    int dragOffset_ = 0;
    TPoint mouse_;
    std::unique_ptr<TAutoRepeat> repeat_;
};

// ---------------------------------------------------------------------------
enum TProgressBarOrientation { pbHorizontal, pbVertical };

// A bar filled in proportion to Position within Min..Max, from the left (or
// from the bottom). Position is clamped to the range; Min and Max never cross.
// The fill is worked out in 64 bits, so full int ranges are safe.
class TProgressBar : public TCustomControl {
public:
    explicit TProgressBar(TComponent* AOwner);

    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    int Step() const { return step_; }
    void SetStep(int value) { step_ = value; }
    // Adds Step; past Max the bar starts again from Min (below Min, from Max).
    void StepIt();
    // Adds Delta, clamped to the range.
    void StepBy(int Delta);
    TProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TProgressBarOrientation value);
    // One solid fill instead of blocks.
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool value);

    // Pixels of a bar `length` long that the fill covers, within 0..length.
    int FilledLength(int length) const;
    // The fill's rectangle in client coordinates (inside the frame).
    TRect FilledRect() const;

protected:
    void Paint() override;
    void WndProc(TMessage& Message) override;

private:
    int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
    TProgressBarOrientation orientation_ = pbHorizontal;
    bool smooth_ = false;
};

// ---------------------------------------------------------------------------
enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };
enum TUDBtnType { btNext, btPrev };

using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// Two arrow buttons stepping Position by Increment within Min..Max (the upper
// or right one steps up), repeating while held. With an associated control
// (usually an edit) the buttons sit at its side, show Position in its text,
// read back what the user typed there, and take its Up and Down keys.
class TUpDown : public TCustomControl {
public:
    explicit TUpDown(TComponent* AOwner);
    ~TUpDown() override;

    TWinControl* Associate() const { return associate_; }
    void SetAssociate(TWinControl* value);
    TUDAlignButton AlignButton() const { return alignButton_; }
    void SetAlignButton(TUDAlignButton value);
    TUDOrientation Orientation() const { return orientation_; }
    void SetOrientation(TUDOrientation value);
    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    int Increment() const { return increment_; }
    void SetIncrement(int value) { increment_ = value; }
    // Stepping past one end goes on from the other.
    bool Wrap() const { return wrap_; }
    void SetWrap(bool value) { wrap_ = value; }
    bool ArrowKeys() const { return arrowKeys_; }
    void SetArrowKeys(bool value) { arrowKeys_ = value; }
    // Thousands separators ("1,000") in the associated text.
    bool Thousands() const { return thousands_; }
    void SetThousands(bool value);

    TRect ButtonRect(TUDBtnType button) const;
    // The button held down by the mouse, or -1.
    int PressedButton() const { return pressed_; }
    // Steps once as a click on a button would.
    void StepBy(TUDBtnType button);

    TUDClickEvent OnClick;
    TUDChangingEvent OnChanging;

    void WndProc(TMessage& Message) override;

protected:
    virtual bool CanChange();
    using TCustomControl::Click;   // the control's plain click stays
    virtual void Click(TUDBtnType Button);
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void PlaceBesideAssociate();
    void ReadAssociate();
    void WriteAssociate();
    void Unhook();

    TWinControl* associate_ = nullptr;
    TWndMethod savedProc_;
    TUDAlignButton alignButton_ = udRight;
    TUDOrientation orientation_ = udVertical;
    int min_ = 0, max_ = 100, position_ = 0, increment_ = 1;
    bool wrap_ = false, arrowKeys_ = true, thousands_ = true;
    int pressed_ = -1;
    bool pressInside_ = false;
    std::unique_ptr<TAutoRepeat> repeat_;
};

// Integer text as an up-down shows it: "-1,234,567" with separators.
std::string FormatUpDownValue(int value, bool thousands);
