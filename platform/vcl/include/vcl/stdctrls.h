#pragma once
// Labels, push buttons, check boxes, radio buttons and group boxes, self-drawn
// in the plain look of the desktop.
#include "vcl/ctrltypes.h"

#include <string>

// ---------------------------------------------------------------------------
// A windowless text. Transparent leaves the parent's picture below the text;
// AutoSize fits the bounds to the text (keeping the width when words wrap, the
// right edge when right-aligned); "&x" marks an accelerator that focuses
// FocusControl.
class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* AOwner);
    ~TCustomLabel() override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* value);

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void WndProc(TMessage& Message) override;

protected:
    // The text shown; subclasses may show something other than Caption.
    virtual std::string GetLabelText() const;
    // Draws (or with DT_CALCRECT measures) the text in Rect with the label's
    // font; a disabled label is drawn embossed.
    virtual void DoDrawText(TCanvas& canvas, TRect& Rect, unsigned Flags);
    // Fits the bounds to the text when AutoSize is on.
    virtual void AdjustBounds();
    void Paint() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    unsigned DrawFlags() const;

    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = true;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool transparent_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
    bool adjusting_ = false;
};

class TLabel : public TCustomLabel {
public:
    explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

// ---------------------------------------------------------------------------
// What push buttons, check boxes and radio buttons share: a press by the left
// mouse button (released inside) or by the space bar (released while focused)
// ends in Pushed; "&x" in the caption presses the button from the keyboard.
class TButtonControl : public TCustomControl {
public:
    explicit TButtonControl(TComponent* AOwner);

    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // Drawn pushed in: the mouse or the space bar holds it down.
    bool Pressed() const { return pressed_; }

    void WndProc(TMessage& Message) override;

protected:
    // A completed press.
    virtual void Pushed() = 0;
    // The accelerator of the caption was typed; by default focus, then Pushed.
    virtual void AccelPressed();
    // True while a state is set without firing OnClick (loading, or on purpose).
    bool ClicksDisabled() const { return clicksDisabled_ > 0 || Loading(); }
    void DisableClicks() { ++clicksDisabled_; }
    void EnableClicks() { --clicksDisabled_; }

    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void KeyUp(unsigned short& Key, TShiftState Shift) override;

private:
    void SetPressed(bool value);
    void CancelPress();
    bool pressed_ = false;
    bool mouseTracking_ = false;
    bool spaceDown_ = false;
    bool wordWrap_ = false;
    int clicksDisabled_ = 0;
};

// ---------------------------------------------------------------------------
// A push button. Clicking it sets its form's ModalResult to its own. The
// default button takes Enter while no other button has the focus; the cancel
// button takes Escape.
class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* AOwner);

    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    // Presses the button as a click would.
    void Click() override;

    void WndProc(TMessage& Message) override;

protected:
    void Pushed() override { Click(); }
    void AccelPressed() override { Click(); }
    void Paint() override;

private:
    void UpdateActive(TWinControl* focused);
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false; // takes Enter now
    TModalResult modalResult_ = mrNone;
};

// ---------------------------------------------------------------------------

// A box with a tick and a caption. Every change of State fires OnClick (unless
// loading); a press steps Unchecked, (Grayed when allowed,) Checked, Unchecked.
class TCustomCheckBox : public TButtonControl {
public:
    explicit TCustomCheckBox(TComponent* AOwner);

    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState value);
    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value) { allowGrayed_ = value; }
    // taRightJustify: the box at the left, the caption right of it; taLeftJustify: the other way.
    TLeftRight Alignment() const { return alignment_; }
    void SetAlignment(TLeftRight value);
    virtual void Toggle();

    void WndProc(TMessage& Message) override;

protected:
    void Pushed() override { Toggle(); }
    void Paint() override;

private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    TLeftRight alignment_ = lrRight;
};

class TCheckBox : public TCustomCheckBox {
public:
    explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

// ---------------------------------------------------------------------------
// A radio button: checking one unchecks the radio buttons beside it (same
// parent). Becoming checked fires OnClick; only the checked one is a tab stop,
// and the arrow keys move to the next radio button beside it and check it.
class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* AOwner);

    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    TLeftRight Alignment() const { return alignment_; }
    void SetAlignment(TLeftRight value);

    void WndProc(TMessage& Message) override;

protected:
    void Pushed() override { SetChecked(true); }
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void Paint() override;

private:
    bool checked_ = false;
    TLeftRight alignment_ = lrRight;
};

// ---------------------------------------------------------------------------
// A captioned, etched frame around other controls. Its accelerator focuses
// the first control inside.
class TCustomGroupBox : public TCustomControl {
public:
    explicit TCustomGroupBox(TComponent* AOwner);
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    // Height of the caption row, which the frame's top edge halves.
    int CaptionHeight() const;
};

class TGroupBox : public TCustomGroupBox {
public:
    explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

// Draws a control's text with DrawText flags ("&" marks unless DT_NOPREFIX),
// embossed in the button shades when disabled.
void DrawControlText(TCanvas& c, const std::string& text, TRect r, unsigned flags, bool enabled);
