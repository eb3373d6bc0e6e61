#include "skin/kivlistbox.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"

#include <algorithm>

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
    // An item measured for its wrapped text is drawn wrapped: on one line it
    // would be cut at the edge with empty room below.
    const unsigned lines = Style() == lbOwnerDrawVariable ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER;
    DrawText(&c, Items()->Get(Index), text,
             DrawTextBiDiModeFlags(lines | DT_NOPREFIX | AlignmentToDrawFlags(alignment_)));
    c.Brush()->SetStyle(brush);
}

void TkivListBox::MeasureItem(int Index, int& Height)
{
    if (OnMeasureItem || Index < 0 || Index >= Count()) {
        TCustomListBox::MeasureItem(Index, Height);
        return;
    }
    TBitmap probe(1, 1, pf24bit);
    TCanvas& c = *probe.Canvas();
    c.SetFont(*Font());
    // The client area as the items see it (inside the border), less the text's inset.
    TRect r = Rect(0, 0, InnerRect().Width() - 2, 0);
    DrawText(&c, Items()->Get(Index), r, DrawTextBiDiModeFlags(DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX));
    Height = std::min(r.Height(), 255);
}
