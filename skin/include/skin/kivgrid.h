#pragma once
// Skinned grids: the framework's draw grid and string grid with a one-pixel
// skin border, skin colours for fixed, selected and focused cells, and
// optional skinned bars (TkivScrollBar) that take over from their own.
#include "skin/kivscrollbar.h"
#include "skin/kivskinnable.h"

#include "vcl/grids.h"

// What both skinned grids share, over either of the framework's grids.
template <class Base>
class TkivGridOf : public Base, public ISkinnable {
public:
    explicit TkivGridOf(TComponent* AOwner);
    ~TkivGridOf() override;

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
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
    // Skinned bars lying over the grid's own; attaching one keeps the grid's
    // own bar of that direction (ScrollBars follows what is attached).
    TkivScrollBar* VScrollBar() const { return link_.Bar(sbVertical); }
    void SetVScrollBar(TkivScrollBar* value);
    TkivScrollBar* HScrollBar() const { return link_.Bar(sbHorizontal); }
    void SetHScrollBar(TkivScrollBar* value);
    bool Ctl3D() const { return false; }

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    void WndProc(TMessage& Message) override;

protected:
    TkivGridOf(TComponent* AOwner, TColor focusedColor);
    void Paint() override;
    void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) override;
    void ScrollStateChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Whether the border has its second line inside in the cells' colour.
    virtual bool BorderInner() const { return true; }

private:
    void Attach(TScrollBarKind kind, TkivScrollBar* bar);

    TColor borderColor_ = clBlack;
    TColor focusedColor_ = clGreen;
    TColor selectedColor_ = clYellow;
    TColor fixedFontColor_ = clBlack;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TkivScrollBarLink link_;
};

extern template class TkivGridOf<TDrawGrid>;
extern template class TkivGridOf<TStringGrid>;

using TkivCustomDrawGrid = TkivGridOf<TDrawGrid>;

class TkivDrawGrid : public TkivCustomDrawGrid {
public:
    using TkivCustomDrawGrid::TkivCustomDrawGrid;
};

// The string grid: a lime focused cell, fixed cells' text in FixedFontColor,
// and a border of one line.
class TkivStringGrid : public TkivGridOf<TStringGrid> {
public:
    explicit TkivStringGrid(TComponent* AOwner);

protected:
    void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) override;
    bool BorderInner() const override { return false; }
};
