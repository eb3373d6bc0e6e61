#include "skin/kivlistbox.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "gfx/gdi.h"

template <class Base>
TkivListBoxOf<Base>::TkivListBoxOf(TComponent* AOwner)
    : Base(AOwner), link_(*this, TkivScrollBarLink::kpListBox)
{
    this->SetControlStyle(this->ControlStyle() | csOpaque);
    this->SetBorderStyle(bsNone);
    this->SetBorderWidth(2);
    uiStyle_ = GetKIVFormStyle(AOwner);
    SetUIStyle(uiStyle_);
}

template <class Base>
TkivListBoxOf<Base>::~TkivListBoxOf() = default;

template <class Base>
void TkivListBoxOf<Base>::SetBorderColor(TColor value)
{
    borderColor_ = value;
    this->Invalidate();
}

template <class Base>
void TkivListBoxOf<Base>::SetVScrollBar(TkivScrollBar* value)
{
    if (link_.Attach(sbVertical, value)) link_.UpdateScrollBarsPos();
}

template <class Base>
void TkivListBoxOf<Base>::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    borderColor_ = KivThemeColor(fileTheme_, uiStyle_, 25);
    link_.SetUIStyle(value);
    this->Invalidate();
}

template <class Base>
void TkivListBoxOf<Base>::SetFileTheme(TkivFileTheme* value)
{
    if (fileTheme_ && fileTheme_ != value) fileTheme_->RemoveFreeNotification(this);
    fileTheme_ = value;
    if (value) value->FreeNotification(this);
    link_.SetFileTheme(value);
    SetUIStyle(uiStyle_);
}

template <class Base>
void TkivListBoxOf<Base>::Notification(TComponent* AComponent, TOperation Operation)
{
    Base::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    link_.Forget(AComponent);
    if (AComponent == fileTheme_) {
        fileTheme_ = nullptr;
        SetUIStyle(DeepBlue);
    }
}

template <class Base>
void TkivListBoxOf<Base>::Paint()
{
    Base::Paint();
    DrawControlBorder(this, borderColor_, this->Color(), true);
}

template <class Base>
void TkivListBoxOf<Base>::ScrollStateChanged()
{
    Base::ScrollStateChanged();
    link_.ScrollStateChanged();
}

template <class Base>
void TkivListBoxOf<Base>::WndProc(TMessage& m)
{
    Base::WndProc(m);
    link_.AfterMessage(m);
}

template class TkivListBoxOf<TCustomListBox>;
template class TkivListBoxOf<TDirectoryListBox>;
template class TkivListBoxOf<TFileListBox>;

// ---------------------------------------------------------------------------
TkivListBox::TkivListBox(TComponent* AOwner) : TkivListBoxOf<TCustomListBox>(AOwner)
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
