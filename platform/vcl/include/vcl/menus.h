#pragma once
// Menus: items with captions ("&" marks the accelerator, "-" is a separator),
// shortcuts, check marks, images and sub-items; the main menu and the popup
// menu. A popup opens as our own window (every open level drawn in one shaped
// window) and runs a modal loop until an item is picked or the menu is closed.
#include "gfx/imagelist.h"
#include "vcl/forms.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

using TShortCut = unsigned short; // virtual key | scShift | scCtrl | scAlt
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
TShortCut ShortCut(unsigned short key, TShiftState shift);
// "Ctrl+S", "Shift+Del", "F5"; "" for 0.
std::string ShortCutToText(TShortCut shortCut);
// The caption without its "&" marks ("&&" stays one "&").
std::string StripHotkey(const std::string& caption);

class TMenu;
class TMenuItem;

using TMenuDrawItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)>;
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    bool IsLine() const { return caption_ == "-"; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Default() const { return default_; }
    void SetDefault(bool value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool value) { radioItem_ = value; }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value) { groupIndex_ = value; }
    std::string Hint;

    // Sub-items (owned through the component tree of the item's owner).
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const; // EListError outside 0..Count-1
    TMenuItem* operator[](int index) const { return Items(index); }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Delete(int index);            // takes the item off, frees it
    void Remove(TMenuItem* item);      // takes the item off, keeps it
    void Clear();                      // frees every sub-item
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Find(const std::string& caption) const; // by caption without "&", ignoring case
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
    TMenu* GetParentMenu() const;

    // Fires OnClick (enabled items only).
    virtual void Click();

    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;     // owner drawing of this item
    TMenuMeasureItemEvent OnMeasureItem;

private:
    friend class TMenu;
    void Changed();
    std::string caption_;
    TShortCut shortCut_ = 0;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    bool default_ = false;
    bool radioItem_ = false;
    int groupIndex_ = 0;
    int imageIndex_ = -1;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;             // set on a menu's root item
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;

    TMenuItem* Items() const { return items_; }
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* value);
    // Owner drawing: items are drawn and measured by their OnDrawItem/OnMeasureItem.
    bool OwnerDraw() const { return ownerDraw_; }
    virtual void SetOwnerDraw(bool value);
    // Finds the enabled item with this shortcut, among every level.
    TMenuItem* FindItemByShortCut(TShortCut shortCut) const;
    // The item's size as shown (asks OnMeasureItem when it is set).
    TSize MeasureItem(TMenuItem* item, TCanvas& canvas);
    // Draws one item (OnDrawItem when set, else the plain look).
    void DrawItem(TMenuItem* item, TCanvas& canvas, const TRect& r, bool selected);
    // Reading direction; with ParentBiDiMode (the default) the owning control's.
    TBiDiMode BiDiMode() const;
    void SetBiDiMode(TBiDiMode value);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool value) { parentBiDiMode_ = value; }
    // Any right-to-left mode on a Middle-East system.
    bool IsRightToLeft() const { return BiDiMode() != bdLeftToRight && SysLocaleMiddleEast(); }

    TNotifyEvent OnChange;

protected:
    // Any item of this menu changed (caption, state, sub-items).
    virtual void MenuChanged(TMenuItem* item);
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TMenuItem;
    TMenuItem* items_;
    TImageList* images_ = nullptr;
    bool ownerDraw_ = false;
    TBiDiMode biDiMode_ = bdLeftToRight;
    bool parentBiDiMode_ = true;
};

class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
    // Drops the sub-items of a top-level item down at a screen point (what a menu bar does);
    // answers the item picked, nullptr when closed.
    TMenuItem* DropDown(TMenuItem* topItem, int X, int Y);
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // Shows the menu with its top-left at the screen point (kept on the screen) and
    // runs until closed; a picked item's OnClick runs after the menu is gone.
    virtual void Popup(int X, int Y);
    // The control whose right click opened the menu (nullptr from code).
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* value) { popupComponent_ = value; }
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool value) { autoPopup_ = value; }
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment value) { alignment_ = value; }
    // The item picked in the last Popup, nullptr when it was closed.
    TMenuItem* LastPicked() const { return lastPicked_; }

    TNotifyEvent OnPopup;
    TNotifyEvent OnClose;

private:
    TComponent* popupComponent_ = nullptr;
    bool autoPopup_ = true;
    TPopupAlignment alignment_ = paLeft;
    TMenuItem* lastPicked_ = nullptr;
};

// The window an open menu shows in: one level per open sub-menu, each a column
// of items. Public so tests and skins can find items on it.
class TMenuWindow : public TCustomForm {
public:
    TMenuWindow(TComponent* AOwner, TMenu& menu, TMenuItem& root);
    ~TMenuWindow() override;

    // Opens the root level at the screen point and runs the loop; the picked item or nullptr.
    TMenuItem* Run(int X, int Y);
    int LevelCount() const { return static_cast<int>(levels_.size()); }
    // An item's rectangle in this window's client coordinates (empty when not shown).
    TRect ItemRect(const TMenuItem* item) const;
    // The item under the selection bar in the deepest level, nullptr for none.
    TMenuItem* HotItem() const;

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void Deactivate() override;

private:
    struct Level {
        TMenuItem* parent = nullptr;
        TRect screen;                  // the level's rectangle on the screen
        std::vector<TMenuItem*> items; // visible items
        std::vector<TRect> rects;      // their rectangles inside the level
        int hot = -1;
    };
    void OpenLevel(TMenuItem* parent, int X, int Y, int alternativeX);
    void CloseLevelsAfter(int level);
    void Relayout();
    bool HitTest(TPoint screen, int& level, int& index) const;
    void Pick(TMenuItem* item);
    void HandleKey(unsigned short key);
    void MoveHot(int step);

    TMenu& menu_;
    TMenuItem& root_;
    std::vector<Level> levels_;
    TRect bounds_;                     // union of the levels, screen coordinates
    TMenuItem* picked_ = nullptr;
    bool pressed_ = false;
};
