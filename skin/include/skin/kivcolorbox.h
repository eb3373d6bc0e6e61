#pragma once
// The skinned colour list: the framework's named colours, each item a swatch
// and its name, with an optional "Custom..." item that asks the colour dialog.
#include "skin/kivcombobox.h"

// Which colours the list holds (a set).
using TColorBoxStyles = unsigned;
enum : unsigned {
    cbStandardColors = 1u << 0,  // the 16 standard colours
    cbExtendedColors = 1u << 1,  // clMoneyGreen, clSkyBlue, clCream, clMedGray
    cbSystemColors = 1u << 2,    // the desktop's colours
    cbIncludeNone = 1u << 3,
    cbIncludeDefault = 1u << 4,
    cbCustomColor = 1u << 5,     // "Custom..." first, with the colour last picked in the dialog
    cbPrettyNames = 1u << 6,     // "Money Green" instead of "clMoneyGreen"
};

// What Selected answers while the list shows no choice.
constexpr TColor kivNoColorSelected = static_cast<TColor>(0xFF000000u);

class TkivCustomColorBox : public TkivCustomComboBox {
public:
    explicit TkivCustomColorBox(TComponent* AOwner);

    // The chosen colour. With a window: the selected item's colour, or
    // kivNoColorSelected when none is selected (callers keep the colour they
    // had); before the window exists, the colour last set. System colours,
    // clNone and clDefault come as they are: resolve them with ColorToRGB
    // before drawing or storing them.
    TColor Selected() const;
    // Selects the item of that colour; a colour the list lacks becomes the
    // "Custom..." item's when there is one, else nothing is selected. The
    // colour is kept either way.
    void SetSelected(TColor value);
    TColorBoxStyles Style() const { return style_; }
    using TkivCustomComboBox::SetStyle;   // the list's own style (simple, drop-down) stays
    // Builds the list again; the control is enabled only while a colour group
    // or "Custom..." is in the set.
    void SetStyle(TColorBoxStyles value);
    // How the clDefault and clNone items show their swatch.
    TColor DefaultColorColor() const { return defaultColorColor_; }
    void SetDefaultColorColor(TColor value);
    TColor NoneColorColor() const { return noneColorColor_; }
    void SetNoneColorColor(TColor value);
    TColor GetColor(int index) const;
    std::string GetColorName(int index) const;

    void DrawItem(TCanvas& canvas, int Index, TRect Rect, TOwnerDrawState State) override;

protected:
    // Opens the colour dialog on the "Custom..." item's colour; OK makes the
    // chosen colour that item's. True when OK was pressed.
    virtual bool PickCustomColor();
    void PopulateList();
    void CreateWnd() override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void CloseUp() override;
    void Select() override;

private:
    TColorBoxStyles style_ = cbStandardColors | cbExtendedColors | cbSystemColors;
    bool needsPopulating_ = false;
    bool listSelected_ = false; // the last choice came from the open list, not from keys
    TColor defaultColorColor_ = clBlack;
    TColor noneColorColor_ = clBlack;
    TColor selected_ = clBlack;
};

class TkivColorBox : public TkivCustomColorBox {
public:
    explicit TkivColorBox(TComponent* AOwner) : TkivCustomColorBox(AOwner) {}
};
