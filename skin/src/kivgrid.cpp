#include "skin/kivgrid.h"

#include "vcl/dbgrids.h"

template <class Base>
TkivGridOf<Base>::TkivGridOf(TComponent* AOwner, TColor focusedColor)
    : TkivScrolled<Base>(AOwner, TkivScrollBarLink::kpGrid, 1), focusedColor_(focusedColor)
{
    // The base took BorderColor from the style before the grid's own colours existed.
    TakeThemeColors();
}

template <class Base>
void TkivGridOf<Base>::SetFixedFontColor(TColor value)
{
    fixedFontColor_ = value;
    this->Invalidate();
}

template <class Base>
void TkivGridOf<Base>::SetFocusedColor(TColor value)
{
    focusedColor_ = value;
    this->Invalidate();
}

template <class Base>
void TkivGridOf<Base>::SetSelectedColor(TColor value)
{
    selectedColor_ = value;
    this->Invalidate();
}

template <class Base>
void TkivGridOf<Base>::TakeThemeColors()
{
    this->SetFixedColor(this->ThemeColor(19));
    this->SetColor(this->ThemeColor(26));
    fixedFontColor_ = this->ThemeColor(20);
    // White text would vanish on the light cells: it is drawn black.
    const TColor font = this->ThemeColor(22);
    this->Font()->SetColor(font == clWhite ? clBlack : font);
}

// A scrollable cell is filled with the focused colour, else the selected
// colour, else the cells' colour; the framework's drawing (text, OnDrawCell) follows.
template <class Base>
void TkivGridOf<Base>::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState)
{
    if (this->DefaultDrawing() && !(AState & gdFixed)) {
        TColor fill = this->Color();
        if (AState & gdSelected) fill = selectedColor_;
        if (AState & gdFocused) fill = focusedColor_;
        TCanvas& c = *this->Canvas();
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(fill);
        c.FillRect(ARect);
    }
    Base::DrawCell(ACol, ARow, ARect, AState);
}

template class TkivGridOf<TDrawGrid>;
template class TkivGridOf<TStringGrid>;
template class TkivGridOf<TDBGrid>;

void TkivStringGrid::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState)
{
    // A fixed cell's text in FixedFontColor; the string grid draws it at (left + 2, top + 2).
    if (DefaultDrawing() && (AState & gdFixed)) Canvas()->Font()->SetColor(FixedFontColor());
    TkivGridOf<TStringGrid>::DrawCell(ACol, ARow, ARect, AState);
}
