#pragma once
// Skinned grids: the framework's draw grid and string grid with a one-pixel
// skin border, skin colours for fixed, selected and focused cells, and
// optional skinned bars (TkivScrollBar) that take over from their own.
#include "skin/kivscrolled.h"

#include "vcl/grids.h"

extern template class TkivScrolled<TDrawGrid>;
extern template class TkivScrolled<TStringGrid>;

// What both skinned grids share, over either of the framework's grids.
template <class Base>
class TkivGridOf : public TkivScrolled<Base> {
public:
    // The cells' colour, the fixed cells' colour and the text colours.
    TColor BGColor() const { return this->Color(); }
    void SetBGColor(TColor value) { this->SetColor(value); }
    TColor FixedBGColor() const { return this->FixedColor(); }
    void SetFixedBGColor(TColor value) { this->SetFixedColor(value); }
    TColor FontColor() const { return this->Font()->Color(); }
    void SetFontColor(TColor value) { this->Font()->SetColor(value); }
    TColor FixedFontColor() const { return fixedFontColor_; }
    void SetFixedFontColor(TColor value);
    // The fill of the focused cell, and of a selected one that has not the focus.
    TColor FocusedColor() const { return focusedColor_; }
    void SetFocusedColor(TColor value);
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor value);
    // Attaching a skinned bar keeps the grid's own bar of that direction
    // (ScrollBars follows what is attached).
    TkivScrollBar* HScrollBar() const { return this->AttachedBar(sbHorizontal); }
    void SetHScrollBar(TkivScrollBar* value) { this->AttachBar(sbHorizontal, value); }

protected:
    TkivGridOf(TComponent* AOwner, TColor focusedColor);
    // Border 25, fixed cells 19, cells 26, fixed text 20, text 22 (white drawn black).
    void TakeThemeColors() override;
    void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) override;

private:
    TColor focusedColor_;
    TColor selectedColor_ = clYellow;
    TColor fixedFontColor_ = clBlack;
};

extern template class TkivGridOf<TDrawGrid>;
extern template class TkivGridOf<TStringGrid>;

class TkivCustomDrawGrid : public TkivGridOf<TDrawGrid> {
public:
    explicit TkivCustomDrawGrid(TComponent* AOwner) : TkivGridOf(AOwner, clGreen) {}
};

class TkivDrawGrid : public TkivCustomDrawGrid {
public:
    using TkivCustomDrawGrid::TkivCustomDrawGrid;
};

// The string grid: a lime focused cell, fixed cells' text in FixedFontColor,
// a border of one line, and read right to left, its horizontal bar mirrored
// (the first columns at the bar's right end).
class TkivStringGrid : public TkivGridOf<TStringGrid> {
public:
    explicit TkivStringGrid(TComponent* AOwner) : TkivGridOf(AOwner, clLime) { MirrorHorizontalBarRightToLeft(); }

protected:
    void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) override;
    bool BorderInner() const override { return false; }
};
