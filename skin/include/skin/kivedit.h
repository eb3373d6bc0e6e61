#pragma once
// Skinned single-line edits: the framework's edit and masked edit with a flat
// one-pixel border in the skin's border colour, a floating-point edit that
// keeps its text in a number format, and an integer spin edit with skinned
// up and down buttons.
#include "skin/kivbutton.h"
#include "skin/kivskinnable.h"

#include "vcl/mask.h"
#include "vcl/stdctrls_edit.h"

#include <string>

// The skinned border over a framework edit (or the data-aware picture). A
// style takes the theme's border colour (item 25), from the file theme when it
// is in force.
template <class Base>
class TkivEditSkin : public Base, public ISkinnable {
public:
    explicit TkivEditSkin(TComponent* AOwner);
    ~TkivEditSkin() override;

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

protected:
    // After a style is set; the spin edit hands it on to its buttons.
    virtual void UIStyleChanged() {}
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;

private:
    TColor borderColor_ = clBlack;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
};

extern template class TkivEditSkin<TCustomEdit>;
extern template class TkivEditSkin<TCustomMaskEdit>;

class TkivEdit : public TkivEditSkin<TCustomEdit> {
public:
    explicit TkivEdit(TComponent* AOwner) : TkivEditSkin<TCustomEdit>(AOwner) {}
};

class TkivMaskEdit : public TkivEditSkin<TCustomMaskEdit> {
public:
    explicit TkivMaskEdit(TComponent* AOwner) : TkivEditSkin<TCustomMaskEdit>(AOwner) {}
};

// A number typed in the format of Mask ("0.00": "." the decimal separator, ","
// the thousands one), right-aligned. Leaving the edit writes Value back in the
// format; an empty text or "-" counts as 0.
class TkivNumberEdit : public TkivEdit {
public:
    explicit TkivNumberEdit(TComponent* AOwner);

    const std::string& Mask() const { return mask_; }
    void SetMask(const std::string& value) { mask_ = value; }
    double Value() const { return value_; }
    // Stores the value and shows it in the format.
    void SetValue(double value);
    // Entering the edit selects this many characters at its end (0: none).
    int AutoSelectSigns() const { return autoSelectSigns_; }
    void SetAutoSelectSigns(int value) { autoSelectSigns_ = value; }

protected:
    // Text that reads as a number becomes Value; anything else leaves Value as it was.
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    // Digits and Backspace; one decimal separator when the format has one; "-"
    // first and once when the format has one. Any other key beeps and is dropped.
    void KeyPress(char& Key) override;

private:
    bool ReadNumber(double& value) const;

    std::string mask_ = "0.00";
    double value_ = 0;
    int autoSelectSigns_ = 2;
};

// An up and a down arrow button stacked; a click, or each 400 ms tick while a
// button is held, fires OnUpClick or OnDownClick.
class TkivSpinButtons : public TWinControl, public ISkinnable {
public:
    explicit TkivSpinButtons(TComponent* AOwner);

    TkivArrowButton* UpButton() const { return up_; }
    TkivArrowButton* DownButton() const { return down_; }

    // The up button's style and theme (DeepBlue and none without it); setting sets both buttons'.
    TkivUIStyle UIStyle() const override;
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override;
    void SetFileTheme(TkivFileTheme* value) override;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;

protected:
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void Loaded() override;

private:
    // The up button takes the upper half and a pixel, the down button the rest, overlapping by one.
    void AdjustSize();
    void ButtonClick(TObject* sender);

    TkivArrowButton* up_ = nullptr;
    TkivArrowButton* down_ = nullptr;
};

// An integer edit with spin buttons at its right: the buttons and the Up and
// Down keys step Value by Increment. Value is kept within MinValue..MaxValue
// (when they differ) by the buttons and by leaving the edit; typed text stands
// until then.
class TkivSpinEdit : public TkivEdit {
public:
    explicit TkivSpinEdit(TComponent* AOwner);

    int MinValue() const { return minValue_; }
    void SetMinValue(int value) { minValue_ = value; }
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value) { maxValue_ = value; }
    int Increment() const { return increment_; }
    void SetIncrement(int value) { increment_ = value; }
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool value) { editorEnabled_ = value; }
    TkivSpinButtons* Buttons() const { return buttons_; }

    // The text as an integer; MinValue when it is none.
    int Value() const;
    void SetValue(int value);
    // The value kept within MinValue..MaxValue, unless the two are equal.
    int CheckValue(int value) const;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void WndProc(TMessage& Message) override;

protected:
    void UIStyleChanged() override;
    // "-", digits and control characters other than Enter; without the
    // editor, control characters other than Backspace only.
    virtual bool IsValidChar(char Key) const;
    // Read-only: a beep; otherwise Value + or - Increment.
    virtual void UpClick(TObject* Sender);
    virtual void DownClick(TObject* Sender);
    void KeyPress(char& Key) override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void DoExit() override;
    void CreateWnd() override;

private:
    // The buttons inside the right of the border, the text rectangle left of them.
    void PlaceButtons();
    void SetEditRectBesideButtons();

    int minValue_ = 0;
    int maxValue_ = 0;
    int increment_ = 1;
    bool editorEnabled_ = true;
    TkivSpinButtons* buttons_ = nullptr;
};
