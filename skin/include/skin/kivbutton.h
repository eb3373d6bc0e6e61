#pragma once
// Skinned push buttons (image, themed, control-frame, arrow and tool-bar
// buttons), the skinned check box and the radio button.
#include "skin/kivskinnable.h"

#include "gfx/bitmap.h"
#include "gfx/picture.h"
#include "vcl/controls.h"
#include "vcl/ctrltypes.h"
#include "vcl/forms.h"

#include <memory>
#include <string>

class TTimer;

// The common base: mouse-on, mouse-down and focus states, painting through an
// off-screen bitmap in overridable steps, Default/Cancel keys, accelerators,
// modal results and auto-repeat while the left button is held down.
class TkivCustomButton : public TCustomControl, public ISkinnable {
public:
    explicit TkivCustomButton(TComponent* AOwner);
    ~TkivCustomButton() override;

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    bool PicTransparent() const { return picTransparent_; }
    void SetPicTransparent(bool value);
    int MouseContinuouslyDownInterval() const { return repeatInterval_; }
    void SetMouseContinuouslyDownInterval(int value) { repeatInterval_ = value; }
    int FocusedRectMargin() const { return focusedRectMargin_; }
    void SetFocusedRectMargin(int value);
    bool Active() const { return active_; }
    bool MouseOn() const { return mouseOn_; }
    bool IsMouseDown() const { return mouseDown_; }
    // True while the auto-repeat timer exists (between a left press and the click or leave).
    bool Repeating() const { return repeatTimer_ != nullptr; }

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    void SetEnabled(bool value) override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnMouseExit;
    TNotifyEvent OnMouseContinuouslyDown;

protected:
    virtual void AutoSizeChanged();
    virtual void CaptionChanged() {}
    virtual void FontChanged();
    virtual void TransparentChanged();
    virtual void EnableChanged() { Invalidate(); }
    virtual void UIStyleChanged() {}
    virtual void PaintPic(TCanvas* canvas, TBitmap* bitmap);
    virtual void PaintText(TCanvas* canvas, const std::string& caption);
    virtual void PaintFocus(TCanvas* canvas);
    virtual void PaintButtonNormal(TBitmap* bitmap);
    virtual void PaintButtonMouseOn(TBitmap* bitmap);
    virtual void PaintButtonMouseDown(TBitmap* bitmap);
    virtual void PaintButtonDisabled(TBitmap* bitmap);

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateWnd() override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void Click() override;

    void FreeRepeatTimer();
    // Each expiry of the repeat timer while the left button is held; the
    // default fires OnMouseContinuouslyDown.
    virtual void RepeatTick();
    // Changes the period of the running repeat timer (the next press starts
    // with MouseContinuouslyDownInterval again).
    void SetRepeatPeriod(int ms);

    bool boldCaption_ = false;
    bool mouseOn_ = false;
    bool mouseDown_ = false;

private:
    bool autoSize_ = false;
    bool cancel_ = false;
    bool default_ = false;
    bool transparent_ = false;
    TModalResult modalResult_ = mrNone;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    bool picTransparent_ = false;
    std::unique_ptr<TTimer> repeatTimer_;
    int repeatInterval_ = 100;
    int focusedRectMargin_ = 2;
    bool active_ = false;
};

// A button drawn from four pictures of the user's; its style always reads FromThemeFile.
class TkivImageButton : public TkivCustomButton {
public:
    explicit TkivImageButton(TComponent* AOwner);
    ~TkivImageButton() override;

    TPicture* PicNormal() { return &pics_[0]; }
    TPicture* PicMouseOn() { return &pics_[1]; }
    TPicture* PicMouseDown() { return &pics_[2]; }
    TPicture* PicDisabled() { return &pics_[3]; }
    void SetPicNormal(const TPicture& value) { pics_[0].Assign(value); }
    void SetPicMouseOn(const TPicture& value) { pics_[1].Assign(value); }
    void SetPicMouseDown(const TPicture& value) { pics_[2].Assign(value); }
    void SetPicDisabled(const TPicture& value) { pics_[3].Assign(value); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool DrawFocused() const { return drawFocused_; }
    void SetDrawFocused(bool value);

    TkivUIStyle UIStyle() const override { return FromThemeFile; }

protected:
    void AutoSizeChanged() override;
    void PaintPic(TCanvas* canvas, TBitmap* bitmap) override;
    void PaintFocus(TCanvas* canvas) override;
    void PaintButtonNormal(TBitmap* bitmap) override;
    void PaintButtonMouseOn(TBitmap* bitmap) override;
    void PaintButtonMouseDown(TBitmap* bitmap) override;
    void PaintButtonDisabled(TBitmap* bitmap) override;

private:
    void PictureFor(int index, TBitmap* bitmap);
    TPicture pics_[4]; // normal, mouse on, mouse down, disabled
    bool stretch_ = false;
    bool drawFocused_ = false;
};

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The themed push button: nine-part "ButtonImage" frames and an optional glyph.
class TkivButton : public TkivCustomButton {
public:
    explicit TkivButton(TComponent* AOwner);
    ~TkivButton() override;

    TBitmap* Glyph() { return &glyph_; }
    void SetGlyph(const TBitmap& value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    TPoint TextPos() const { return textPos_; }
    int ResHandle() const { return 0; }
    void SetResHandle(int) {}

protected:
    void UIStyleChanged() override;
    void PaintFocus(TCanvas* canvas) override;
    void PaintPic(TCanvas* canvas, TBitmap* bitmap) override;
    void PaintText(TCanvas* canvas, const std::string& caption) override;

private:
    TBitmap glyph_;
    TButtonLayout layout_ = blGlyphLeft;
    TPoint textPos_{0, 0};
    int spacing_ = 4;
};

// A button showing one frame of any theme picture (library use).
class TkivControlButton : public TkivCustomButton {
public:
    explicit TkivControlButton(TComponent* AOwner);

    int PicIndex() const { return picIndex_; }
    void SetPicIndex(int value);
    int PicCount() const { return picCount_; }
    void SetPicCount(int value);
    int ThemeID() const { return themeID_; }
    void SetThemeID(int value);

protected:
    void PaintPic(TCanvas* canvas, TBitmap* bitmap) override;
    void PaintButtonNormal(TBitmap* bitmap) override;
    void PaintButtonMouseOn(TBitmap* bitmap) override;
    void PaintButtonMouseDown(TBitmap* bitmap) override;
    void PaintButtonDisabled(TBitmap* bitmap) override;

private:
    int picIndex_ = 0;
    int picCount_ = 0;
    int themeID_ = 0;
};

enum TkivArrowButtonType { kivUp, kivDown };

// The themed button with a black arrow (spin buttons).
class TkivArrowButton : public TkivCustomButton {
public:
    explicit TkivArrowButton(TComponent* AOwner);

    TkivArrowButtonType Arrow() const { return arrow_; }
    void SetArrow(TkivArrowButtonType value);

protected:
    void UIStyleChanged() override;
    void PaintPic(TCanvas* canvas, TBitmap* bitmap) override;
    void PaintText(TCanvas*, const std::string&) override {}

private:
    TkivArrowButtonType arrow_ = kivUp;
};

// A flat tool-bar button: its glyph, framed in black while the pointer is over it.
class TkivToolBarSpeedButton : public TCustomControl {
public:
    explicit TkivToolBarSpeedButton(TComponent* AOwner);

    TBitmap* Glyph() { return &glyph_; }
    void SetGlyph(const TBitmap& value);
    bool MouseOn() const { return mouseOn_; }
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;

private:
    TBitmap glyph_;
    bool mouseOn_ = false;
};


// The skinned check box: a frame of "CheckBoxImage" and the caption beside it.
class TkivCheckBox : public TCustomControl, public ISkinnable {
public:
    explicit TkivCheckBox(TComponent* AOwner);
    ~TkivCheckBox() override;

    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    TCheckBoxState State() const { return checked_ ? cbChecked : cbUnchecked; }
    void SetState(TCheckBoxState value) { SetChecked(value == cbChecked); }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    // With AutoSize, takes the size the picture and caption need now (painting
    // does it too): for whoever lays the box out before it is painted.
    void ApplyAutoSize();

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    void SetEnabled(bool value) override;
    void WndProc(TMessage& Message) override;

    // Fired when Checked changes (by the user or the program), never while loading.
    // It stands in for the framework's click event, which the box never fires.
    TNotifyEvent OnClick;

protected:
    virtual bool NeedDrawFocus();
    virtual bool GetPicTransparent() const { return false; }
    virtual int GetPicThemeIndex() const { return 3; }
    virtual void CheckStateChanged();
    virtual void Toggle() {}
    virtual void DoClick();
    virtual bool WantKeyUp() const { return true; }

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Click() override;
    void TakeFocus();

private:
    bool checked_ = false;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    bool transparent_ = false;
    bool autoSize_ = true;
};

// A check box that unchecks its siblings of the same GroupIndex when checked.
class TkivRadioButton : public TkivCheckBox {
public:
    explicit TkivRadioButton(TComponent* AOwner);

    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value) { groupIndex_ = value; }
    // The buttons of a radio group answer true: arrow keys moving the focus
    // between them select the newly focused one.
    virtual bool IsRadioGroupButton() const { return false; }
    void WndProc(TMessage& Message) override;

protected:
    bool GetPicTransparent() const override { return true; }
    int GetPicThemeIndex() const override { return 4; }
    void CheckStateChanged() override;
    void DoClick() override;
    bool WantKeyUp() const override { return false; }

private:
    int groupIndex_ = 0;
};
