#pragma once
// Owner-draw helpers of the skinned menus, and the look the skinned main and
// popup menus share: heights, colours and font of the items, measured and
// drawn item by item inside the framework's menu window.
#include "skin/kivskinnable.h"
#include "skin/kivthemes.h"

#include "gfx/graphics.h"
#include "gfx/types.h"
#include "vcl/menus.h"

#include <string>

class TCanvas;
class TCustomForm;
class TImageList;
class TkivFileTheme;

// Sets the item's draw and measure events, and those of all its sub-items.
void Menu_SetItemEvent(TMenuItem* item, const TMenuDrawItemEvent& drawEvent, const TMenuMeasureItemEvent& measureEvent);
// Frames the rectangle in the colour (brush).
void Menu_DrawBorder(TCanvas* canvas, const TRect& rect, TColor color);
// Fills the rectangle in the colour (brush).
void Menu_DrawBackGround(TCanvas* canvas, const TRect& rect, TColor color);
// A separator line at top + 2: from left + 2 to right - indent - 4, or from
// left + indent + 4 to right - 2 when reading right to left.
void Menu_DrawLineItem(TCanvas* canvas, const TRect& rect, TColor color, bool rightToLeft, int indent);
// The MacOS look's pictures stretched over the item: separator, selected, plain.
void Menu_DrawMacOSLineItem(TCanvas* canvas, const TRect& rect);
void Menu_DrawMacOSSelectedItem(TCanvas* canvas, const TRect& rect);
void Menu_DrawMacOSNonSelectedItem(TCanvas* canvas, const TRect& rect);
// A flat border over the menu window's frame: border colour outside, white inside, line colour on top.
void Menu_DrawWindowBorder(TCustomForm* window, TColor borderColor, TColor lineColor);
// The menu window whose picture the canvas draws into, nullptr for none.
TCustomForm* Menu_FindWindow(const TCanvas* canvas);
// The system's menu font (the one the framework's own menus use), in clMenuText.
void Menu_GetSystemFont(TFont* font);
// The check-mark image list shared by the skinned menus ("MENU_CHECKED", white transparent).
TImageList* Menu_CheckImages();

// The skinned items' look, shared by the main and the popup menu: the
// properties, the style and file theme, and the drawing of every item of `menu`.
class TkivMenuLook : public ISkinnable {
public:
    explicit TkivMenuLook(TMenu& menu) : menu_(menu) {}
    ~TkivMenuLook() override = default;

    int MenuItemHeight() const { return menuItemHeight_; }
    virtual void SetMenuItemHeight(int value) { menuItemHeight_ = value; }
    int SeparatorHeight() const { return separatorHeight_; }
    virtual void SetSeparatorHeight(int value) { separatorHeight_ = value; }
    TColor BarColor() const { return barColor_; }
    void SetBarColor(TColor value) { barColor_ = value; }
    int BarWidth() const { return barWidth_; }
    void SetBarWidth(int value) { barWidth_ = value; }
    TColor Color() const { return color_; }
    void SetColor(TColor value) { color_ = value; }
    TColor SeparatorColor() const { return separatorColor_; }
    void SetSeparatorColor(TColor value) { separatorColor_ = value; }
    TColor SelectedBorderColor() const { return selectedBorderColor_; }
    void SetSelectedBorderColor(TColor value) { selectedBorderColor_ = value; }
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor value) { selectedColor_ = value; }
    TColor SelectedFontColor() const { return selectedFontColor_; }
    void SetSelectedFontColor(TColor value) { selectedFontColor_ = value; }
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor value) { fontColor_ = value; }
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value) { borderColor_ = value; }
    bool FlatMenu() const { return flatMenu_; }
    void SetFlatMenu(bool value) { flatMenu_ = value; }
    const std::string& FontName() const { return fontName_; }
    void SetFontName(const std::string& value) { fontName_ = value; }
    int FontSize() const { return fontSize_; }
    void SetFontSize(int value) { fontSize_ = value; }
    TFontCharset FontCharset() const { return fontCharset_; }
    void SetFontCharset(TFontCharset value) { fontCharset_ = value; }
    bool UseSystemFont() const { return useSystemFont_; }
    virtual void SetUseSystemFont(bool value) { useSystemFont_ = value; }

    // Setting a style takes its heights and colours, from the file theme when it is in force.
    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    // Separators are SeparatorHeight high, other items MenuItemHeight; the width
    // holds caption, shortcut, bar and margins.
    void MeasureItem(TMenuItem* item, TCanvas* canvas, int& width, int& height) const;
    // One item: background, caption, shortcut, then the check mark or the menu's picture.
    void DrawItem(TMenuItem* item, TCanvas* canvas, const TRect& rect, bool selected) const;

protected:
    // Has every item of the menu, the loaded ones and any added later, drawn by the skin.
    void MenuAdded();
    // The menu's part of a notification: a freed file theme gives way to the
    // default style, an inserted item of the menu is drawn by the skin.
    void LookNotification(TComponent* component, TOperation operation);

    int menuItemHeight_ = 21;
    int separatorHeight_ = 21;
    TColor barColor_ = clBtnFace;
    int barWidth_ = 0;
    TColor color_ = clWhite;
    TColor separatorColor_ = clGray;
    TColor selectedBorderColor_ = clHighlight;
    TColor selectedColor_ = clHighlight;
    TColor selectedFontColor_ = clWhite;
    TColor fontColor_ = clWhite;
    TColor borderColor_ = clBlack;
    bool flatMenu_ = false;
    std::string fontName_ = "MS Sans Serif";
    int fontSize_ = 8;
    TFontCharset fontCharset_ = DEFAULT_CHARSET;
    bool useSystemFont_ = true;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;

private:
    void SetItemFont(TMenuItem* item, TCanvas* canvas) const;
    TMenu& menu_;
};
