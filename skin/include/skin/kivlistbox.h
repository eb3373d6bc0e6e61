#pragma once
// Skinned list boxes: the framework's list, folder list and file list with a
// one-pixel skin border, skin colours and an optional skinned vertical bar
// (TkivScrollBar) that takes over from the list's own.
#include "skin/kivscrollbar.h"
#include "skin/kivskinnable.h"

#include "vcl/ctrltypes.h"
#include "vcl/filectrl.h"
#include "vcl/stdctrls_list.h"

// What every skinned list shares, over any of the framework's lists.
template <class Base>
class TkivListBoxOf : public Base, public ISkinnable {
public:
    explicit TkivListBoxOf(TComponent* AOwner);
    ~TkivListBoxOf() override;

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    // A skinned bar lying over the list's own vertical bar (nullptr: the list's own).
    TkivScrollBar* VScrollBar() const { return link_.Bar(sbVertical); }
    void SetVScrollBar(TkivScrollBar* value);
    // The skinned lists draw flat: their three-dimensional look is always off.
    bool Ctl3D() const { return false; }

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void ScrollStateChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TColor borderColor_ = clBlack;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TkivScrollBarLink link_;
};

extern template class TkivListBoxOf<TCustomListBox>;
extern template class TkivListBoxOf<TDirectoryListBox>;
extern template class TkivListBoxOf<TFileListBox>;

// The owner-drawn list with its own selection, disabled-text colours and alignment.
class TkivListBox : public TkivListBoxOf<TCustomListBox> {
public:
    explicit TkivListBox(TComponent* AOwner);

    bool ShowFocusRect() const { return showFocusRect_; }
    void SetShowFocusRect(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TColor SelectedTextColor() const { return selectedTextColor_; }
    void SetSelectedTextColor(TColor value);
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor value);
    TColor DisabledTextColor() const { return disabledTextColor_; }
    void SetDisabledTextColor(TColor value);

protected:
    // Prepares the canvas in the list's colours for the item, then draws it.
    void OwnerDrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
    void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
    // The plain look: filled, the text on one line, inset 2 pixels from the leading side.
    virtual void DefaultDrawItem(int Index, TRect Rect, TOwnerDrawState State);

private:
    bool showFocusRect_ = true;
    TAlignment alignment_ = taLeftJustify;
    TColor selectedTextColor_ = clHighlightText;
    TColor selectedColor_ = clHighlight;
    TColor disabledTextColor_ = clGrayText;
};

class TkivDirectoryListBox : public TkivListBoxOf<TDirectoryListBox> {
public:
    using TkivListBoxOf<TDirectoryListBox>::TkivListBoxOf;
};

class TkivFileListBox : public TkivListBoxOf<TFileListBox> {
public:
    using TkivListBoxOf<TFileListBox>::TkivListBoxOf;
};
