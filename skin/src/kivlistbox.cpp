#include "skin/kivlistbox.h"

#include "gfx/gdi.h"

TkivListBox::TkivListBox(TComponent* AOwner) : TkivScrolled(AOwner, TkivScrollBarLink::kpListBox, 2)
{
    SetStyle(lbOwnerDrawFixed);
}

void TkivListBox::SetShowFocusRect(bool value)
{
    if (showFocusRect_ == value) return;
    showFocusRect_ = value;
    Invalidate();
}

void TkivListBox::SetAlignment(TAlignment value)
{
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
}

void TkivListBox::SetSelectedTextColor(TColor value)
{
    if (selectedTextColor_ == value) return;
    selectedTextColor_ = value;
    Invalidate();
}

void TkivListBox::SetSelectedColor(TColor value)
{
    if (selectedColor_ == value) return;
    selectedColor_ = value;
    Invalidate();
}

void TkivListBox::SetDisabledTextColor(TColor value)
{
    if (disabledTextColor_ == value) return;
    disabledTextColor_ = value;
    Invalidate();
}

void TkivListBox::OwnerDrawItem(int Index, TRect R, TOwnerDrawState State)
{
    TCanvas& c = *Canvas();
    c.SetFont(*Font());
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    if (Index >= 0 && Index < Count()) {
        if (State & odSelected) {
            c.Brush()->SetColor(selectedColor_);
            c.Font()->SetColor(selectedTextColor_);
        }
        if ((State & odDisabled) || !Enabled()) c.Font()->SetColor(disabledTextColor_);
        DrawItem(Index, R, State);
        return;
    }
    // No item: the empty list's focus.
    c.FillRect(R);
    if (State & odFocused) c.DrawFocusRect(R);
}

void TkivListBox::DrawItem(int Index, TRect R, TOwnerDrawState State)
{
    if (OnDrawItem) {
        OnDrawItem(this, Index, R, State);
        return;
    }
    DefaultDrawItem(Index, R, State);
    if (showFocusRect_ && (State & odFocused)) Canvas()->DrawFocusRect(R);
}

void TkivListBox::DefaultDrawItem(int Index, TRect R, TOwnerDrawState)
{
    TCanvas& c = *Canvas();
    c.FillRect(R);
    if (Index < 0 || Index >= Count()) return;
    TRect text = R;
    if (UseRightToLeftAlignment()) text.Right -= 2;
    else text.Left += 2;
    const TBrushStyle brush = c.Brush()->Style();
    c.Brush()->SetStyle(bsClear);
    DrawText(&c, Items()->Get(Index), text,
             DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | AlignmentToDrawFlags(alignment_)));
    c.Brush()->SetStyle(brush);
}
