#include "skin/kivmemo.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

TkivMemo::TkivMemo(TComponent* AOwner) : TCustomMemo(AOwner), link_(*this, TkivScrollBarLink::kpMemo)
{
    SetControlStyle(ControlStyle() | csOpaque);
    SetBorderStyle(bsNone);
    SetBorderWidth(2);
    uiStyle_ = GetKIVFormStyle(AOwner);
    SetUIStyle(uiStyle_);
}

TkivMemo::~TkivMemo() = default;

void TkivMemo::SetBorderColor(TColor value)
{
    borderColor_ = value;
    Invalidate();
}

void TkivMemo::Attach(TScrollBarKind kind, TkivScrollBar* bar)
{
    if (!link_.Attach(kind, bar)) return;
    SetScrollBars(link_.AttachedStyle());
    link_.UpdateScrollBarsPos();
}

void TkivMemo::SetVScrollBar(TkivScrollBar* value) { Attach(sbVertical, value); }
void TkivMemo::SetHScrollBar(TkivScrollBar* value) { Attach(sbHorizontal, value); }

void TkivMemo::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    borderColor_ = KivThemeColor(fileTheme_, uiStyle_, 25);
    link_.SetUIStyle(value);
    Invalidate();
}

void TkivMemo::SetFileTheme(TkivFileTheme* value)
{
    if (fileTheme_ && fileTheme_ != value) fileTheme_->RemoveFreeNotification(this);
    fileTheme_ = value;
    if (value) value->FreeNotification(this);
    link_.SetFileTheme(value);
    SetUIStyle(uiStyle_);
}

void TkivMemo::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomMemo::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (link_.Forget(AComponent)) SetScrollBars(link_.AttachedStyle());
    if (AComponent == fileTheme_) {
        fileTheme_ = nullptr;
        SetUIStyle(DeepBlue);
    }
}

void TkivMemo::Paint()
{
    TCustomMemo::Paint();
    DrawControlBorder(this, borderColor_, Color(), true);
}

void TkivMemo::ScrollStateChanged()
{
    TCustomMemo::ScrollStateChanged();
    link_.ScrollStateChanged();
}

void TkivMemo::WndProc(TMessage& m)
{
    TCustomMemo::WndProc(m);
    link_.AfterMessage(m);
}
