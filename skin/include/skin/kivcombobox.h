#pragma once
// Skinned combo boxes: the framework's combo boxes (text, drives, file
// filters) keep their behaviour and get a flat frame in the skin's border
// colour and a drop-down button of their own, painted over the framework's
// after every paint: a face in ButtonColor with a border line and an arrow,
// or the MacOS and WinXP button pictures.
#include "skin/kivskinnable.h"

#include "gfx/bitmap.h"
#include "vcl/filectrl.h"
#include "vcl/stdctrls_list.h"

// The skinned look over any framework combo box. A style takes the theme's
// border colour (item 25) and button colour (item 15), from the file theme
// when it is in force; the arrow turns black.
template <class Base>
class TkivComboSkin : public Base, public ISkinnable {
public:
    explicit TkivComboSkin(TComponent* AOwner);
    ~TkivComboSkin() override;

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    TColor ButtonColor() const { return buttonColor_; }
    void SetButtonColor(TColor value);
    TColor ArrowColor() const { return arrowColor_; }
    void SetArrowColor(TColor value);

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    void SetEnabled(bool value) override;
    void WndProc(TMessage& Message) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CloseUp() override;
    // The open list is framed in BorderColor, inside the list window.
    void DrawListFrame(TCanvas& canvas, const TRect& r) override;
    // False where no skinned button belongs (a simple combo box has none).
    virtual bool HasSkinnedButton() const { return true; }

private:
    // Frame and button over what the framework painted; nothing when the
    // combo-box information cannot be had.
    void DrawButton(TCanvas& canvas);

    TColor borderColor_ = clBlack;
    TColor buttonColor_ = clBtnFace;
    TColor arrowColor_ = clBlack;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TBitmap buttonPicture_; // the MacOS or WinXP button, empty for the flat styles
};

extern template class TkivComboSkin<TCustomComboBox>;
extern template class TkivComboSkin<TDriveComboBox>;
extern template class TkivComboSkin<TFilterComboBox>;

class TkivCustomComboBox : public TkivComboSkin<TCustomComboBox> {
public:
    explicit TkivCustomComboBox(TComponent* AOwner) : TkivComboSkin<TCustomComboBox>(AOwner) {}

protected:
    bool HasSkinnedButton() const override { return Style() != csSimple; }
};

class TkivComboBox : public TkivCustomComboBox {
public:
    explicit TkivComboBox(TComponent* AOwner) : TkivCustomComboBox(AOwner) {}
};

// The framework's drive and filter combo boxes in the skin, 15 pixels an item.
class TkivDriveComboBox : public TkivComboSkin<TDriveComboBox> {
public:
    explicit TkivDriveComboBox(TComponent* AOwner);
};

class TkivFilterComboBox : public TkivComboSkin<TFilterComboBox> {
public:
    explicit TkivFilterComboBox(TComponent* AOwner);
};
