#pragma once
// The skinned title bar: a strip of caption pictures (left end, stretched
// middle, right end), the caption and a row of picture buttons (control box,
// help, maximize/restore, minimize, close, custom) that work the bar's form,
// and a system menu. Skinned form frames place one over the client area; it
// can also stand on any form by itself.
#include "skin/kivpopupmenu.h"
#include "skin/kivskinnable.h"

#include "gfx/bitmap.h"
#include "vcl/extctrls.h"

#include <functional>
#include <memory>
#include <vector>

class TkivTitleBar;
class TCustomForm;

// Private message a skinned form frame answers with the width of its left
// border picture (0 without one).
constexpr UINT KIV_WM_LEFTBORDERWIDTH = 9923;

enum TkivTitleBarBtnType { kivMax, kivMin, kivClose, kivHelp, kivControlBox, kivCustom };
enum TkivTitleBarAlign { kivLeft, kivRight, kivClient };

// Sender and button index.
using TkivTitleBarButtonClickEvent = std::function<void(TObject* Sender, int Index)>;

// One picture of the caption strip.
class TkivTitleBarSection {
public:
    explicit TkivTitleBarSection(TkivTitleBar* bar) : bar_(bar) {}

    int Width() const { return width_; }
    void SetWidth(int value);
    // Only one section may fill the middle: a second kivClient is refused with an error box.
    TkivTitleBarAlign Align() const { return align_; }
    void SetAlign(TkivTitleBarAlign value);
    TBitmap* Picture() { return &picture_; }
    // With a picture, Width becomes the picture's.
    void SetPicture(const TBitmap& value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    void Assign(const TkivTitleBarSection& source);

private:
    void Changed();
    TkivTitleBar* bar_;
    int width_ = 10;
    TkivTitleBarAlign align_ = kivLeft;
    TBitmap picture_;
    bool stretch_ = false;
    bool autoSize_ = false;
};

// One picture button of the bar.
class TkivTitleBarButton {
public:
    // A new button takes its bar's style.
    explicit TkivTitleBarButton(TkivTitleBar* bar);

    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    // Only one button may be the control box: a second is refused with an error box.
    TkivTitleBarBtnType ButtonType() const { return type_; }
    void SetButtonType(TkivTitleBarBtnType value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    int Top() const { return top_; }
    void SetTop(int value);
    // Loads the frames of the button's type (a custom button keeps its own);
    // a maximize button shows the restore frames while its form is maximized.
    TkivUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value);
    TBitmap* PicNormal() { return &pics_[0]; }
    TBitmap* PicMouseOn() { return &pics_[1]; }
    TBitmap* PicMouseDown() { return &pics_[2]; }
    void SetPicNormal(const TBitmap& value) { SetPic(0, value); }
    void SetPicMouseOn(const TBitmap& value) { SetPic(1, value); }
    void SetPicMouseDown(const TBitmap& value) { SetPic(2, value); }
    TPopupMenu* ControlBoxMenu() const { return controlBoxMenu_; }
    void SetControlBoxMenu(TPopupMenu* value);
    void Assign(const TkivTitleBarButton& source);

private:
    friend class TkivTitleBar;
    void SetPic(int index, const TBitmap& value);
    void Changed();
    TkivTitleBar* bar_;
    bool visible_ = true;
    TkivTitleBarBtnType type_ = kivCustom;
    bool transparent_ = false;
    int top_ = 2;
    TkivUIStyle uiStyle_ = DeepBlue;
    TBitmap pics_[3]; // normal, mouse on, mouse down
    TPopupMenu* controlBoxMenu_ = nullptr;
};

// The items of a collection the bar owns; every change repaints the bar.
template <class Item>
class TkivTitleBarCollection {
public:
    explicit TkivTitleBarCollection(TkivTitleBar* bar) : bar_(bar) {}
    int Count() const { return static_cast<int>(items_.size()); }
    Item* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
    Item* operator[](int index) const { return Items(index); }
    Item* Add();
    void Delete(int index);
    void Clear();
    int IndexOf(const Item* item) const;
    void Update();

private:
    TkivTitleBar* bar_;
    std::vector<std::unique_ptr<Item>> items_;
};
using TkivTitleBarSections = TkivTitleBarCollection<TkivTitleBarSection>;
using TkivTitleBarButtons = TkivTitleBarCollection<TkivTitleBarButton>;

// The bar's system menu: minimize, maximize/restore, close, each enabled only
// while the bar shows a visible button of that kind.
class TkivTitleBarPopupMenu : public TkivPopupMenu {
public:
    TkivTitleBarPopupMenu(TComponent* AOwner, TkivTitleBar* bar);
    void Popup(int X, int Y) override;
    TMenuItem* MinimizeItem() const { return minimize_; }
    TMenuItem* MaximizeItem() const { return maximize_; }
    TMenuItem* CloseItem() const { return close_; }
    // Enables each item by the buttons the bar shows (what Popup does first).
    void UpdateItems();

private:
    TkivTitleBar* bar_;
    TMenuItem* minimize_;
    TMenuItem* maximize_;
    TMenuItem* close_;
};

class TkivTitleBar : public TCustomPanel, public ISkinnable {
public:
    explicit TkivTitleBar(TComponent* AOwner);
    ~TkivTitleBar() override;

    TkivTitleBarSections* Sections() { return &sections_; }
    TkivTitleBarButtons* Buttons() { return &buttons_; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    int ButtonInterval() const { return buttonInterval_; }
    void SetButtonInterval(int value);
    bool FormActive() const { return formActive_; }
    void SetFormActive(bool value);
    int LeftBtnXOffset() const { return leftBtnXOffset_; }
    void SetLeftBtnXOffset(int value);
    int RightBtnXOffset() const { return rightBtnXOffset_; }
    void SetRightBtnXOffset(int value);
    int RoundCorner() const { return roundCorner_; }
    void SetRoundCorner(int value) { roundCorner_ = value; }
    int RoundCornerBottom() const { return roundCornerBottom_; }
    void SetRoundCornerBottom(int value) { roundCornerBottom_ = value; }
    bool DrawAppIcon() const { return drawAppIcon_; }
    void SetDrawAppIcon(bool value);
    // While set, the style leaves the bar's pictures and buttons alone.
    bool Custom() const { return custom_; }
    void SetCustom(bool value) { custom_ = value; }
    TkivTitleBarPopupMenu* SystemMenu() const { return systemMenu_; }
    // Index of the button under the pointer, -1 for none.
    int HotButton() const { return hotButton_; }
    int ButtonTop() const { return buttonTop_; }
    int ButtonRowHeight() const { return rowHeight_; }
    TColor BorderColor() const { return borderColor_; }

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    // The form the bar works (its skinned frame's form, else the form it sits on).
    TCustomForm* Form() const;
    // Set by a skinned form frame the bar belongs to: its pictures then begin
    // in the frame round the client area. MDI frames reach one pixel further.
    void SetFrameForm(TCustomForm* form, bool mdi);
    bool InForm() const { return frameForm_ != nullptr; }

    // Where each visible button sits now (empty for hidden ones), in bar coordinates.
    TRect ButtonRect(int index) const;
    // The caption as drawn (cut with "...") and its left edge.
    std::string ShownCaption() const;
    int CaptionLeft() const;
    // Clicks a button as its mouse-up does.
    void ClickButton(int index);
    // Pops the system menu at the bar's bottom-left on the screen.
    void PopupSystemMenu();
    // True when a visible button of that type exists.
    bool HasVisibleButton(TkivTitleBarBtnType type) const;
    // Maximize buttons show their restore frames while the form is maximized.
    void UpdateMaximizeFrames();

    // The caption strip's pictures with the bar's top-left at (X, Y) of the canvas
    // (a form frame continues the strip this way round the bar).
    void DrawSectionsAt(TCanvas* canvas, int X, int Y);

    void WndProc(TMessage& Message) override;

    TkivTitleBarButtonClickEvent OnCustomBtnsClick;
    TkivTitleBarButtonClickEvent OnHelpBtnClick;

protected:
    virtual void DrawSectionsTo(TBitmap* bitmap);
    virtual void DrawButtons(TBitmap* bitmap);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void DblClick() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    friend class TkivTitleBarSection;
    friend class TkivTitleBarButton;
    template <class> friend class TkivTitleBarCollection;
    struct Layout {
        std::vector<TRect> buttons; // per button, empty when not shown
        TRect icon;                 // the application icon, empty when not drawn
        int captionLeft = 0;
        int captionRight = 0;       // where the first right-hand button begins
    };
    Layout ComputeLayout() const;
    int LeftBorderWidth() const; // the frame's answer to KIV_WM_LEFTBORDERWIDTH
    TPoint SectionOrigin() const;
    int ButtonAt(TPoint p) const;
    TBitmap* ButtonPicture(int index) const;
    // Sections, offsets, border colour, button row and corners from the file theme or the built-in one.
    void UpdateTheme(TkivUIStyle style);
    void ApplyAutoSize();
    void MouseOut();
    void BarChanged() { Invalidate(); }

    TkivTitleBarSections sections_;
    TkivTitleBarButtons buttons_;
    bool autoSize_ = false;
    int buttonInterval_ = 0;
    bool formActive_ = true;
    int leftBtnXOffset_ = 0;
    int rightBtnXOffset_ = 0;
    int roundCorner_ = 0;
    int roundCornerBottom_ = 0;
    bool drawAppIcon_ = false;
    bool applyingFileTheme_ = false;
    TkivTitleBarPopupMenu* systemMenu_ = nullptr;
    bool custom_ = false;
    bool mouseDownOnButton_ = false;
    int hotButton_ = -1;
    int pressedButton_ = -1;
    TPoint mouse_{-1, -1};
    int rowHeight_ = 0;
    int buttonTop_ = 2;
    TColor borderColor_ = clBlack;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TCustomForm* frameForm_ = nullptr;
    bool mdi_ = false;
};
