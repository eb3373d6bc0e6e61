#include "skin/kivscrolled.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "vcl/dbctrls.h"
#include "vcl/dbgrids.h"
#include "vcl/filectrl.h"
#include "vcl/grids.h"
#include "vcl/stdctrls_edit.h"
#include "vcl/stdctrls_list.h"

template <class Base>
TkivScrolled<Base>::TkivScrolled(TComponent* AOwner, TkivScrollBarLink::TPlacement placement, int borderWidth)
    : Base(AOwner), link_(*this, placement)
{
    this->SetControlStyle(this->ControlStyle() | csOpaque);
    this->SetBorderStyle(bsNone);
    this->SetBorderWidth(borderWidth);
    uiStyle_ = GetKIVFormStyle(AOwner);
    SetUIStyle(uiStyle_);
}

template <class Base>
TkivScrolled<Base>::~TkivScrolled() = default;

template <class Base>
void TkivScrolled<Base>::SetBorderColor(TColor value)
{
    borderColor_ = value;
    this->Invalidate();
}

template <class Base>
void TkivScrolled<Base>::KeepOwnBars()
{
    // Memo and grids keep their own bar for each attached one; a list's own bar comes and goes by itself.
    if constexpr (requires(Base& b) { b.SetScrollBars(ssNone); }) this->SetScrollBars(link_.AttachedStyle());
}

template <class Base>
void TkivScrolled<Base>::AttachBar(TScrollBarKind kind, TkivScrollBar* bar)
{
    if (!link_.Attach(kind, bar)) return;
    KeepOwnBars();
    link_.UpdateScrollBarsPos();
}

template <class Base>
int TkivScrolled<Base>::ThemeColor(int item) const
{
    return KivThemeColor(fileTheme_, uiStyle_, item);
}

template <class Base>
void TkivScrolled<Base>::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    borderColor_ = ThemeColor(25);
    TakeThemeColors();
    link_.SetUIStyle(value);
    this->Invalidate();
}

template <class Base>
void TkivScrolled<Base>::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    link_.SetFileTheme(value);
    SetUIStyle(uiStyle_);
}

template <class Base>
void TkivScrolled<Base>::Notification(TComponent* AComponent, TOperation Operation)
{
    Base::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (link_.Forget(AComponent)) KeepOwnBars();
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
}

template <class Base>
void TkivScrolled<Base>::Paint()
{
    Base::Paint();
    DrawControlBorder(this, borderColor_, this->Color(), BorderInner());
}

template <class Base>
void TkivScrolled<Base>::ScrollStateChanged()
{
    Base::ScrollStateChanged();
    link_.ScrollStateChanged();
}

template <class Base>
void TkivScrolled<Base>::WndProc(TMessage& m)
{
    Base::WndProc(m);
    link_.AfterMessage(m);
}

template class TkivScrolled<TCustomListBox>;
template class TkivScrolled<TDirectoryListBox>;
template class TkivScrolled<TFileListBox>;
template class TkivScrolled<TCustomMemo>;
template class TkivScrolled<TDrawGrid>;
template class TkivScrolled<TStringGrid>;
template class TkivScrolled<TDBMemo>;
template class TkivScrolled<TDBListBox>;
template class TkivScrolled<TDBLookupListBox>;
template class TkivScrolled<TDBGrid>;
