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
