#pragma once
// The skinned tool bar: the framework's flat tool bar whose hot, pressed and
// checked buttons are drawn as plain boxes in the skin's button colours.
#include "skin/kivskinnable.h"

#include "vcl/toolbar.h"

class TkivToolBar : public TToolBar, public ISkinnable {
public:
    explicit TkivToolBar(TComponent* AOwner);

    TColor ButtonColor() const { return buttonColor_; }
    void SetButtonColor(TColor value);
    TColor ButtonBorderColor() const { return buttonBorderColor_; }
    void SetButtonBorderColor(TColor value);
    TColor ButtonDownColor() const { return buttonDownColor_; }
    void SetButtonDownColor(TColor value);

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The bar's custom drawing: the parent's picture under a transparent bar.
    void DrawBar(const TRect& ARect, bool& DefaultDraw);
    // A button's custom drawing: own boxes for hot, pressed and checked buttons.
    void DrawButton(TToolButton* Button, TCustomDrawState State, bool& DefaultDraw);

private:
    void DrawHotButton(TToolButton* button, bool down);

    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TColor buttonColor_ = clBtnFace;
    TColor buttonBorderColor_ = clBlack;
    TColor buttonDownColor_ = clBtnShadow;
};
