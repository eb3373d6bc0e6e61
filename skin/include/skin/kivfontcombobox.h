#pragma once
// Skinned font choice: a list of the installed font families, each marked by
// its kind and optionally drawn in its own font, and a list of the sizes the
// chosen family comes in.
#include "skin/kivcombobox.h"

#include "gfx/bitmap.h"
#include "gfx/fonts.h"

// A combo box whose items are at least as high as its font needs. Only the
// plain styles apply (csDropDown, csSimple, csDropDownList, the default); the
// owner-draw ones become csDropDownList, the items being drawn by the class.
using TFontDrawComboStyle = TComboBoxStyle;

class TkivFontDrawComboBox : public TkivCustomComboBox {
public:
    explicit TkivFontDrawComboBox(TComponent* AOwner);

    void SetStyle(TComboBoxStyle value) override;
    void WndProc(TMessage& Message) override;

protected:
    // The font's text height + 1 (14 counts as 15), at least 9.
    virtual int MinItemHeight();
    void ResetItemHeight();
    void CreateWnd() override;

    bool resettingItemHeight_ = false;
};

enum TFontDevice { fdScreen, fdPrinter, fdBoth };

// Filters of the font list (a set): a font is listed only when it passes each.
using TFontListOptions = unsigned;
enum : unsigned {
    foAnsiOnly = 1u << 0,       // character set ANSI
    foTrueTypeOnly = 1u << 1,   // scalable outline fonts
    foFixedPitchOnly = 1u << 2,
    foNoOEMFonts = 1u << 3,     // character set below OEM
    foOEMFontsOnly = 1u << 4,
    foScalableOnly = 1u << 5,   // no bitmap fonts
    foNoSymbolFonts = 1u << 6,
};

// Item objects hold the font's type flags, plus this when it is no symbol font.
constexpr int kivFontNotSymbol = 0x100;

// The font families, sorted, as items; FontName is the chosen one. The list is
// read when the window is made and again when the installed fonts change.
class TkivFontComboBox : public TkivFontDrawComboBox {
public:
    explicit TkivFontComboBox(TComponent* AOwner);
    ~TkivFontComboBox() override;

    std::string FontName() const { return Text(); }
    // Chooses the family of that name (case ignored) and fires OnChange. A name
    // the list lacks leaves nothing chosen in the list style (callers keep the
    // font they had) or stands as typed in the editable styles.
    void SetFontName(const std::string& value);
    TFontDevice Device() const { return device_; }
    void SetDevice(TFontDevice value);
    bool UseFonts() const { return useFonts_; }
    void SetUseFonts(bool value);
    TFontListOptions Options() const { return options_; }
    void SetOptions(TFontListOptions value);
    // Reads the font list again, keeping the chosen name.
    void Reset();

    TBitmap* TrueTypePicture() { return &trueTypePicture_; }
    TBitmap* DevicePicture() { return &devicePicture_; }

    // The chosen family changed (not while the form loads or the list is rebuilt).
    TNotifyEvent OnChange;

    void WndProc(TMessage& Message) override;
    void DrawItem(TCanvas& canvas, int Index, TRect Rect, TOwnerDrawState State) override;
    void SetItemIndex(int value) override;

protected:
    int MinItemHeight() override;
    virtual void PopulateList();
    void DoChange();
    void Change() override;
    void Click() override;
    void CreateWnd() override;

private:
    bool Accepts(const TFontFamily& font) const;

    TBitmap trueTypePicture_;
    TBitmap devicePicture_;
    TFontDevice device_ = fdScreen;
    bool creating_ = false;
    bool useFonts_ = false;
    TFontListOptions options_ = 0;
    int chosen_ = -1; // the item last chosen, which typing a name moves away from
};

// The sizes of FontName: the 16 usual ones for a scalable family, the family's
// own sizes (ascending, each once) for a bitmap family.
class TkivFontSizeComboBox : public TkivCustomComboBox {
public:
    explicit TkivFontSizeComboBox(TComponent* AOwner);

    const std::string& FontName() const { return fontName_; }
    void SetFontName(const std::string& value);
    // The chosen size; 0 when none is chosen (callers keep the size they had).
    int FontSize() const;
    // Chooses the item of that size, nothing when the list lacks it.
    void SetFontSize(int value);
    int PixelsPerInch() const { return pixelsPerInch_; }

private:
    void Build();

    int pixelsPerInch_ = 0;
    std::string fontName_;
};
