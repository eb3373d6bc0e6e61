#pragma once
// Self-drawn list box and combo box. Items are a string list with objects;
// owner drawing hands each item's rectangle and state to OnDrawItem.
#include "rtl/classes.h"
#include "vcl/forms.h"
#include "vcl/scrollstate.h"
#include "vcl/stdctrls_edit.h"

#include <functional>
#include <memory>
#include <vector>

// Owner-draw states (a set).
using TOwnerDrawState = unsigned;
enum : unsigned { odSelected = 1, odGrayed = 2, odDisabled = 4, odChecked = 8, odFocused = 16, odComboBoxEdit = 4096 };

using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

class TCustomListBox : public TCustomControl {
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStringList* Items() { return items_.get(); }
    const TStringList* Items() const { return items_.get(); }
    void SetItems(const TStrings& value) { items_->Assign(value); }
    int ItemIndex() const { return itemIndex_; }
    virtual void SetItemIndex(int value);
    int Count() const { return items_->Count(); }
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool value);
    bool Selected(int index) const;
    void SetSelected(int index, bool value);
    int SelCount() const;
    void ClearSelection();
    void SelectAll();
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle value);
    // The items' height (lbOwnerDrawVariable: the height each item is asked for with).
    int ItemHeight();
    void SetItemHeight(int value);
    // The height item `index` takes: its measured one in lbOwnerDrawVariable, else ItemHeight.
    int HeightOfItem(int index) const;
    bool Sorted() const { return items_->Sorted(); }
    void SetSorted(bool value) { items_->SetSorted(value); }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    void Clear() { items_->Clear(); }

    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int value);
    // The item at a client point, -1 when none (or the nearest with Existing false).
    int ItemAtPos(TPoint Pos, bool Existing) const;
    TRect ItemRect(int index) const;
    TScrollState VertScrollState() const;
    TCanvas* Canvas() { return TCustomControl::Canvas(); }

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    void WndProc(TMessage& Message) override;

protected:
    // Draws one item; without OnDrawItem (or in lbStandard) the plain look.
    virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
    void Paint() override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    // One item as the paint pass hands it over, Index -1 for the focus of an
    // empty list: DrawItem, then the focus rectangle of a focused item.
    virtual void OwnerDrawItem(int Index, TRect Rect, TOwnerDrawState State);
    // The scroll range, page or position may have changed (items, size, top index).
    virtual void ScrollStateChanged() {}
    // lbOwnerDrawVariable: the height of item Index, `Height` coming in as
    // ItemHeight; OnMeasureItem answers it when set. Items are measured when
    // the list, the style, the item height, the font or the width change.
    virtual void MeasureItem(int Index, int& Height);
    TRect InnerRect() const;
    int VisibleCount() const;
    void MakeVisible(int index);
    void ItemsChanged();
    int FixedItemHeight() const;

private:
    TRect ScrollBarRect() const;
    void SelectByUser(int index, TShiftState shift);
    void MeasureItems();
    // The items that fit whole from `top` down (at least one while there is one).
    int FittingFrom(int top) const;
    // The greatest top index: the last items fill the view from there.
    int LastTopIndex() const;
    std::unique_ptr<TStringList> items_;
    std::vector<int> heights_;     // lbOwnerDrawVariable: each item's measured height
    std::vector<bool> selected_;
    int itemIndex_ = -1;
    int anchor_ = -1;
    int topIndex_ = 0;
    bool multiSelect_ = false;
    TListBoxStyle style_ = lbStandard;
    int itemHeight_ = 0;           // 0: from the font
    TFormBorderStyle borderStyle_ = bsSingle;
    int borderWidth_ = 0;
    bool tracking_ = false;
    TScrollBarMouse vbar_{sbVertical};
};

class TListBox : public TCustomListBox {
public:
    explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};

// ---------------------------------------------------------------------------
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboListWindow;

class TCustomComboBox : public TCustomControl {
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TStringList* Items() { return items_.get(); }
    const TStringList* Items() const { return items_.get(); }
    void SetItems(const TStrings& value) { items_->Assign(value); }
    int ItemIndex() const { return itemIndex_; }
    virtual void SetItemIndex(int value);
    TComboBoxStyle Style() const { return style_; }
    virtual void SetStyle(TComboBoxStyle value);
    int ItemHeight() const;
    void SetItemHeight(int value);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int value) { dropDownCount_ = value < 1 ? 1 : value; }
    bool Sorted() const { return items_->Sorted(); }
    void SetSorted(bool value) { items_->SetSorted(value); }
    bool AutoComplete() const { return autoComplete_; }
    void SetAutoComplete(bool value) { autoComplete_ = value; }
    bool AutoDropDown() const { return autoDropDown_; }
    void SetAutoDropDown(bool value) { autoDropDown_ = value; }
    int MaxLength() const;
    void SetMaxLength(int value);
    void Clear();
    // The text: the edit part's for csDropDown/csSimple, the selected item's otherwise.
    std::string Text() const;
    void SetText(const std::string& value);
    // Drop-down state and geometry, what a skinned combo paints over.
    bool DroppedDown() const { return dropped_; }
    // Opening runs the list's loop until it closes (a click, Enter, Escape).
    void SetDroppedDown(bool value);
    TRect ButtonRect() const;          // client coordinates, at the left when mirrored; empty for csSimple
    TRect ListRect() const;            // screen rectangle of the open list, empty when closed
    TRect EditRect() const;            // the text area, client coordinates
    TComboListWindow* ListWindow() const { return list_; }
    // The canvas owner-draw handlers draw on (the open list's while it paints).
    TCanvas* Canvas();
    TCustomEdit* EditControl() const { return edit_; }
    bool IsOwnerDraw() const { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
    bool HasEdit() const { return style_ == csDropDown || style_ == csSimple; }

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    void WndProc(TMessage& Message) override;
    // Draws item Index into Rect on the canvas (the list window calls it too).
    virtual void DrawItem(TCanvas& canvas, int Index, TRect Rect, TOwnerDrawState State);

protected:
    virtual void Change();
    // A choice of the user's in the list or by keys: after Click, OnSelect then Change.
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    // The open list's frame, drawn by the list window round its client area.
    virtual void DrawListFrame(TCanvas& canvas, const TRect& r);
    void Paint() override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void Resize() override;
    void Loaded() override;
    void DoEnter() override;

private:
    friend class TComboListWindow;
    void PlaceEdit();
    void SelectByUser(int index);
    void EditChanged();
    std::unique_ptr<TStringList> items_;
    int itemIndex_ = -1;
    TComboBoxStyle style_ = csDropDown;
    int itemHeight_ = 0;
    int dropDownCount_ = 8;
    bool autoComplete_ = true;
    bool autoDropDown_ = false;
    bool dropped_ = false;
    bool syncing_ = false;
    TEdit* edit_ = nullptr;
    TComboListWindow* list_ = nullptr;
    TCanvas* drawCanvas_ = nullptr;
    std::string typed_;                // what was typed for auto-completion
    std::uint64_t typedAt_ = 0;
};

class TComboBox : public TCustomComboBox {
public:
    explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

// The open list of a combo box: a modal window below (or above) the combo.
class TComboListWindow : public TCustomForm {
public:
    TComboListWindow(TComponent* AOwner, TCustomComboBox& combo);
    // The item's rectangle in this window's client coordinates.
    TRect ItemRect(int index) const;
    int HotIndex() const { return hot_; }
    int TopIndex() const { return top_; }
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void Deactivate() override;

private:
    friend class TCustomComboBox;
    void Open();
    int VisibleCount() const;
    void SetHot(int index);
    TCustomComboBox& combo_;
    int hot_ = -1;
    int top_ = 0;
    int picked_ = -1;
};
