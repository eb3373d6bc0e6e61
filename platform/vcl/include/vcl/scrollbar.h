#pragma once
// A stand-alone scroll bar: two arrows, a page channel and a thumb to drag.
// Arrows and channel repeat while the mouse button is held. Every move goes
// through OnScroll (which may change the new position) before Position takes
// it; OnChange follows each change of Position.
#include "vcl/ctrltypes.h"
#include "vcl/scrollstate.h"

#include <memory>

class TAutoRepeat;

class TScrollBar : public TCustomControl {
public:
    explicit TScrollBar(TComponent* AOwner);
    ~TScrollBar() override;

    TScrollBarKind Kind() const { return kind_; }
    // Turning the bar swaps its width and height.
    void SetKind(TScrollBarKind value);
    int Min() const { return min_; }
    void SetMin(int value) { SetParams(position_, value, max_); }
    int Max() const { return max_; }
    void SetMax(int value) { SetParams(position_, min_, value); }
    // Units one thumb covers; 0 draws a plain square thumb.
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value);
    int Position() const { return position_; }
    void SetPosition(int value) { SetParams(value, min_, max_); }
    // EInvalidOperation for Max < Min or a page larger than the range; Position is clamped.
    void SetParams(int APosition, int AMin, int AMax);
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int value) { smallChange_ = value; }
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int value) { largeChange_ = value; }

    // Geometry in client coordinates.
    TRect ArrowRect(bool increase) const;
    TRect ThumbRect() const;
    TScrollHit HitTest(TPoint p) const;
    // The highest position the thumb reaches: Max - PageSize + 1 with a page.
    int MaxPosition() const;
    // The part held down by the mouse now, shNone when none.
    TScrollHit PressedPart() const { return pressed_; }

    TScrollEvent OnScroll;
    TNotifyEvent OnChange;

    void WndProc(TMessage& Message) override;

protected:
    // Runs OnScroll with the proposed position, then applies the answer.
    virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);
    virtual void Change();
    void Paint() override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    void DoScroll(TScrollCode code, int pos);
    void StepPressed();
    void EndPress();

    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0, max_ = 100, pageSize_ = 0, position_ = 0;
    int smallChange_ = 1, largeChange_ = 1;
    TScrollHit pressed_ = shNone;
    bool pressInside_ = false;
    TPoint mouse_;
    int dragOffset_ = 0;
    std::unique_ptr<TAutoRepeat> repeat_;
};
