#pragma once
// Skinned list boxes: the framework's list, folder list and file list with a
// one-pixel skin border, skin colours and an optional skinned vertical bar
// (TkivScrollBar) that takes over from the list's own.
#include "skin/kivscrolled.h"

#include "vcl/ctrltypes.h"
#include "vcl/filectrl.h"
#include "vcl/stdctrls_list.h"

extern template class TkivScrolled<TCustomListBox>;
extern template class TkivScrolled<TDirectoryListBox>;
extern template class TkivScrolled<TFileListBox>;

// The owner-drawn list with its own selection, disabled-text colours and alignment.
class TkivListBox : public TkivScrolled<TCustomListBox> {
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
    // The plain look: filled, the text on one line, inset 2 pixels from the
    // leading side; in a list of measured items, wrapped as it was measured.
    virtual void DefaultDrawItem(int Index, TRect Rect, TOwnerDrawState State);
    // Without OnMeasureItem, an item's height is that of its text wrapped to
    // the client width (inside the border) less 2, at most 255.
    void MeasureItem(int Index, int& Height) override;

private:
    bool showFocusRect_ = true;
    TAlignment alignment_ = taLeftJustify;
    TColor selectedTextColor_ = clHighlightText;
    TColor selectedColor_ = clHighlight;
    TColor disabledTextColor_ = clGrayText;
};

class TkivDirectoryListBox : public TkivScrolled<TDirectoryListBox> {
public:
    explicit TkivDirectoryListBox(TComponent* AOwner) : TkivScrolled(AOwner, TkivScrollBarLink::kpListBox, 2) {}
};

class TkivFileListBox : public TkivScrolled<TFileListBox> {
public:
    explicit TkivFileListBox(TComponent* AOwner) : TkivScrolled(AOwner, TkivScrollBarLink::kpListBox, 2) {}
};
