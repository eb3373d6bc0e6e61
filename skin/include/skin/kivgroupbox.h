#pragma once
// The skinned group box: a captioned frame round its child controls, drawn in
// the theme's control border and font colours.
#include "skin/kivimagepanel.h"
#include "skin/kivskinnable.h"

class TkivCustomGroupBox : public TkivCustomPanel, public ISkinnable {
public:
    // 185 x 105, no caption, the owner form's style, the parent's colour, opaque.
    explicit TkivCustomGroupBox(TComponent* AOwner);
    ~TkivCustomGroupBox() override;

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    // Children are laid out below the caption row, 3 pixels in from the frame.
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void WndProc(TMessage& Message) override;

protected:
    // Gives every skinned child the style and file theme, and takes the
    // theme's border (item 25) and font (item 27) colours.
    virtual void UpdateUIStyle(TkivUIStyle style, TkivFileTheme* fileTheme);
    // The caption row's height: the absolute font height.
    int FontHeight() const;

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;

private:
    TColor borderColor_ = clBlack;
    TkivFileTheme* fileTheme_ = nullptr;
    TkivUIStyle uiStyle_ = DeepBlue;
};

class TkivGroupBox : public TkivCustomGroupBox {
public:
    using TkivCustomGroupBox::TkivCustomGroupBox;
};
