#include "skin/kivgrid.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

template <class Base>
TkivGridOf<Base>::TkivGridOf(TComponent* AOwner) : TkivGridOf(AOwner, clGreen)
{
}

template <class Base>
TkivGridOf<Base>::TkivGridOf(TComponent* AOwner, TColor focusedColor)
    : Base(AOwner), focusedColor_(focusedColor), link_(*this, TkivScrollBarLink::kpGrid)
{
    this->SetControlStyle(this->ControlStyle() | csOpaque);
    this->SetBorderStyle(bsNone);
    this->SetBorderWidth(1);
    uiStyle_ = GetKIVFormStyle(AOwner);
    SetUIStyle(uiStyle_);
}

template <class Base>
TkivGridOf<Base>::~TkivGridOf() = default;

template <class Base>
void TkivGridOf<Base>::SetBorderColor(TColor value)
{
    borderColor_ = value;
    this->Invalidate();
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
void TkivGridOf<Base>::Attach(TScrollBarKind kind, TkivScrollBar* bar)
{
    if (!link_.Attach(kind, bar)) return;
    this->SetScrollBars(link_.AttachedStyle());
    link_.UpdateScrollBarsPos();
}

template <class Base>
void TkivGridOf<Base>::SetVScrollBar(TkivScrollBar* value)
{
    Attach(sbVertical, value);
}

template <class Base>
void TkivGridOf<Base>::SetHScrollBar(TkivScrollBar* value)
{
    Attach(sbHorizontal, value);
}

template <class Base>
void TkivGridOf<Base>::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    borderColor_ = KivThemeColor(fileTheme_, uiStyle_, 25);
    this->SetFixedColor(KivThemeColor(fileTheme_, uiStyle_, 19));
    this->SetColor(KivThemeColor(fileTheme_, uiStyle_, 26));
    fixedFontColor_ = KivThemeColor(fileTheme_, uiStyle_, 20);
    // White text would vanish on the light cells: it is drawn black.
    const TColor font = KivThemeColor(fileTheme_, uiStyle_, 22);
    this->Font()->SetColor(font == clWhite ? clBlack : font);
    link_.SetUIStyle(value);
    this->Invalidate();
}

template <class Base>
void TkivGridOf<Base>::SetFileTheme(TkivFileTheme* value)
{
    if (fileTheme_ && fileTheme_ != value) fileTheme_->RemoveFreeNotification(this);
    fileTheme_ = value;
    if (value) value->FreeNotification(this);
    link_.SetFileTheme(value);
    SetUIStyle(uiStyle_);
}

template <class Base>
void TkivGridOf<Base>::Notification(TComponent* AComponent, TOperation Operation)
{
    Base::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (link_.Forget(AComponent)) this->SetScrollBars(link_.AttachedStyle());
    if (AComponent == fileTheme_) {
        fileTheme_ = nullptr;
        SetUIStyle(DeepBlue);
    }
}

template <class Base>
void TkivGridOf<Base>::Paint()
{
    Base::Paint();
    DrawControlBorder(this, borderColor_, this->Color(), BorderInner());
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

template <class Base>
void TkivGridOf<Base>::ScrollStateChanged()
{
    Base::ScrollStateChanged();
    link_.ScrollStateChanged();
}

template <class Base>
void TkivGridOf<Base>::WndProc(TMessage& m)
{
    Base::WndProc(m);
    link_.AfterMessage(m);
}

template class TkivGridOf<TDrawGrid>;
template class TkivGridOf<TStringGrid>;

// ---------------------------------------------------------------------------
TkivStringGrid::TkivStringGrid(TComponent* AOwner) : TkivGridOf<TStringGrid>(AOwner, clLime) {}

void TkivStringGrid::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState)
{
    // A fixed cell's text in FixedFontColor; the string grid draws it at (left + 2, top + 2).
    if (DefaultDrawing() && (AState & gdFixed)) Canvas()->Font()->SetColor(FixedFontColor());
    TkivGridOf<TStringGrid>::DrawCell(ACol, ARow, ARect, AState);
}
