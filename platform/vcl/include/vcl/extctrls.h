#pragma once
// Pictures, panels, bevels, shapes and radio groups.
#include "gfx/picture.h"
#include "rtl/classes.h"
#include "vcl/ctrltypes.h"
#include "vcl/stdctrls.h"

#include <memory>
#include <vector>

// Draws a frame `Width` pixels wide, top and left in TopColor, bottom and right
// in BottomColor, and shrinks Rect by it.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

// ---------------------------------------------------------------------------
// A windowless picture. Canvas() draws into the picture itself: on an empty
// picture it first makes a bitmap of the control's size.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture* Picture() { return picture_.get(); }
    void SetPicture(const TPicture& value) { picture_->Assign(value); }
    // EInvalidOperation when the picture holds something other than a bitmap.
    TCanvas* Canvas();

    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool Proportional() const { return proportional_; }
    void SetProportional(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);

    // Where the picture lands in the client area under the current settings.
    TRect DestRect() const;

    TNotifyEvent OnProgress; // kept for forms that assign it; pictures load at once

protected:
    void Paint() override;
    virtual void PictureChanged(TObject* Sender);
    // The control's own canvas (the one Paint draws on).
    TCanvas* ControlCanvas() { return TGraphicControl::Canvas(); }

private:
    void ApplyPictureSize();
    std::unique_ptr<TPicture> picture_;
    TCanvas* hookedCanvas_ = nullptr;
    bool stretch_ = false, center_ = false, proportional_ = false;
    bool transparent_ = false, autoSize_ = false;
    bool drawing_ = false;
};

// ---------------------------------------------------------------------------
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape value);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle value);

protected:
    void Paint() override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

// ---------------------------------------------------------------------------
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* AOwner);
    ~TShape() override;
    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType value);
    TPen* Pen() { return &pen_; }
    TBrush* Brush() { return &brush_; }

protected:
    void Paint() override;

private:
    TShapeType shape_ = stRectangle;
    TPen pen_;
    TBrush brush_;
};

// ---------------------------------------------------------------------------
// A panel: a container with outer and inner bevels around a border, and a
// caption centred vertically. Children are aligned inside the border and bevels.
// With ParentBackground the parent's picture shows where the panel would fill.
class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* AOwner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    void SetParentBackground(bool value);
    bool FullRepaint() const { return fullRepaint_; }
    void SetFullRepaint(bool value) { fullRepaint_ = value; }
    // Width of everything drawn inside the bounds before the children's area.
    int FrameWidth() const;

    void AlignControls(TControl* AControl, TRect& Rect) override;
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;

private:
    void BordersChanged();
    TAlignment alignment_ = taCenter;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TBorderStyle borderStyle_ = bsNone;
    bool fullRepaint_ = true;
};

class TPanel : public TCustomPanel {
public:
    explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};

// ---------------------------------------------------------------------------
// A group box holding one radio button per line of Items, laid out top to
// bottom in Columns. ItemIndex is the checked line (-1: none); setting it
// checks that button, which fires OnClick as a press does.
class TCustomRadioGroup : public TCustomGroupBox {
public:
    explicit TCustomRadioGroup(TComponent* AOwner);
    ~TCustomRadioGroup() override;

    TStrings* Items() { return items_.get(); }
    void SetItems(const TStrings& value) { items_->Assign(value); }
    int ItemIndex() const { return itemIndex_; }
    // Values outside -1..count-1 are ignored.
    void SetItemIndex(int value);
    int Columns() const { return columns_; }
    void SetColumns(int value); // 1..16
    // The radio button of line `index`; nullptr outside the lines.
    TRadioButton* Buttons(int index) const;

    void WndProc(TMessage& Message) override;

protected:
    // False keeps presses from changing the choice (code still may).
    virtual bool CanModify() { return true; }
    void Loaded() override;

private:
    class TGroupButton;
    void ItemsChanged();
    void UpdateButtons();
    void ArrangeButtons();
    void UpdateTabStops();
    void ButtonClicked(TGroupButton* button);

    std::unique_ptr<TStringList> items_;
    std::vector<TGroupButton*> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
public:
    explicit TRadioGroup(TComponent* AOwner) : TCustomRadioGroup(AOwner) {}
};
