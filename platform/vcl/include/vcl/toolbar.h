#pragma once
// A tool bar: a row of tool buttons laid out left to right (wrapping when
// asked), raised or flat, with pictures from image lists and optional
// captions. Custom-draw events let a skinned bar paint the bar and each button
// itself on the bar's canvas, in the bar's coordinates.
#include "gfx/imagelist.h"
#include "vcl/ctrltypes.h"

#include <functional>
#include <memory>
#include <vector>

class TPopupMenu;
class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// What a button looks like at the moment it is drawn (a set).
using TCustomDrawState = unsigned;
enum : unsigned {
    cdsSelected = 1u << 0,      // held down under the mouse
    cdsGrayed = 1u << 1,
    cdsDisabled = 1u << 2,
    cdsChecked = 1u << 3,       // Down
    cdsFocused = 1u << 4,
    cdsDefault = 1u << 5,
    cdsHot = 1u << 6,           // under the mouse on a flat bar
    cdsMarked = 1u << 7,
    cdsIndeterminate = 1u << 8,
};

// Sides of a bar that carry an edge (a set), and the look of each edge line.
using TEdgeBorders = unsigned;
enum : unsigned { ebLeft = 1, ebTop = 2, ebRight = 4, ebBottom = 8 };
enum TEdgeStyle { esNone, esRaised, esLowered };

// ARect is the bar's client rectangle. Clearing DefaultDraw leaves the buttons undrawn.
using TTBCustomDrawEvent = std::function<void(TToolBar* Sender, const TRect& ARect, bool& DefaultDraw)>;
// Called for each button before its default drawing; clearing DefaultDraw skips that.
using TTBCustomDrawBtnEvent =
    std::function<void(TToolBar* Sender, class TToolButton* Button, TCustomDrawState State, bool& DefaultDraw)>;

// Width of the arrow part of a drop-down button.
constexpr int ToolDropDownWidth = 14;

// ---------------------------------------------------------------------------
// One button of a tool bar. Its bounds are set by the bar; only a separator's
// width is its own.
class TToolButton : public TGraphicControl {
public:
    explicit TToolButton(TComponent* AOwner);
    ~TToolButton() override;

    TToolBar* ToolBar() const { return toolBar_; }
    // Position among the bar's buttons, -1 when on none.
    int Index() const;

    TToolButtonStyle Style() const { return style_; }
    void SetStyle(TToolButtonStyle value);
    // Checked (tbsCheck) or held (tbsButton set from code).
    bool Down() const { return down_; }
    void SetDown(bool value);
    // Adjacent grouped check buttons act as radio buttons.
    bool Grouped() const { return grouped_; }
    void SetGrouped(bool value);
    // A grouped button may be released so that none of its group is down.
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    bool Indeterminate() const { return indeterminate_; }
    void SetIndeterminate(bool value);
    bool Marked() const { return marked_; }
    void SetMarked(bool value);
    // On a bar showing captions the button is as wide as its own caption needs.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    // The next button starts a new row.
    bool Wrap() const { return wrap_; }
    void SetWrap(bool value);
    // Shown below the button when its arrow part (tbsDropDown) is pressed.
    TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
    void SetDropdownMenu(TPopupMenu* value);

    // The mouse holds the button down with the pointer on it.
    bool Pressed() const { return pressing_ && pressInside_; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void WndProc(TMessage& Message) override;

protected:
    void Click() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TToolBar;
    void ReleaseGroup();
    void ButtonChanged();

    TToolBar* toolBar_ = nullptr;
    TToolButtonStyle style_ = tbsButton;
    bool down_ = false, grouped_ = false, allowAllUp_ = false;
    int imageIndex_ = -1;
    bool indeterminate_ = false, marked_ = false, wrap_ = false, autoSize_ = false;
    TPopupMenu* dropdownMenu_ = nullptr;
    bool pressing_ = false, pressInside_ = false;
    int separatorWidth_ = 8;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// ---------------------------------------------------------------------------
class TToolBar : public TCustomControl {
public:
    explicit TToolBar(TComponent* AOwner);
    ~TToolBar() override;

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TToolButton* Buttons(int index) const;

    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int value);
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(int value);
    // The size every non-separator button gets now (captions and pictures may widen it).
    TSize ButtonSize() const;
    int Indent() const { return indent_; }
    void SetIndent(int value);

    TImageList* Images() const { return images_; }
    void SetImages(TImageList* value);
    TImageList* HotImages() const { return hotImages_; }
    void SetHotImages(TImageList* value);
    TImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(TImageList* value);

    bool ShowCaptions() const { return showCaptions_; }
    void SetShowCaptions(bool value);
    // Captions right of the pictures instead of below.
    bool List() const { return list_; }
    void SetList(bool value);
    // Buttons show an edge only under the mouse.
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    // The parent's picture shows through the bar.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool Wrapable() const { return wrapable_; }
    void SetWrapable(bool value);

    TEdgeBorders EdgeBorders() const { return edgeBorders_; }
    void SetEdgeBorders(TEdgeBorders value);
    TEdgeStyle EdgeInner() const { return edgeInner_; }
    void SetEdgeInner(TEdgeStyle value);
    TEdgeStyle EdgeOuter() const { return edgeOuter_; }
    void SetEdgeOuter(TEdgeStyle value);

    // The button under the mouse on a flat bar, nullptr when none.
    TToolButton* HotButton() const { return hot_; }
    // The drawing state a button is in now.
    TCustomDrawState ButtonState(const TToolButton& button) const;
    // The button at a client point, nullptr for none.
    TToolButton* ButtonAtPos(TPoint pos) const;

    TCanvas* Canvas() { return TCustomControl::Canvas(); }

    TTBCustomDrawEvent OnCustomDraw;
    TTBCustomDrawBtnEvent OnCustomDrawButton;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    // The framework's own look of a button in a state (in bar coordinates).
    virtual void DefaultDrawButton(TToolButton& button, TCustomDrawState state);
    void DrawEdges(TCanvas& c);

private:
    friend class TToolButton;
    void AddButton(TToolButton* button);
    void RemoveButton(TToolButton* button);
    void ArrangeButtons();
    // Width of a button holding a caption `textW` wide (and the bar's picture).
    int CaptionButtonWidth(int textW) const;
    void SetHot(TToolButton* button);
    int EdgeWidth(unsigned side) const;

    std::vector<TToolButton*> buttons_;
    int buttonWidth_ = 23, buttonHeight_ = 22, indent_ = 0;
    TImageList* images_ = nullptr;
    TImageList* hotImages_ = nullptr;
    TImageList* disabledImages_ = nullptr;
    bool showCaptions_ = false, list_ = false, flat_ = false, transparent_ = false, wrapable_ = true;
    TEdgeBorders edgeBorders_ = ebTop;
    TEdgeStyle edgeInner_ = esRaised, edgeOuter_ = esLowered;
    TToolButton* hot_ = nullptr;
    bool arranging_ = false;
};
