#include "skin/kivform_msnpop.h"

#include "skin/kivpublic.h"

#include "vcl/stdctrls.h"
#include "vcl/timer.h"

#include <algorithm>

TkivMSNPopForm::TkivMSNPopForm(TComponent* AOwner) : TComponent(AOwner)
{
    titleFont_.SetColor(clNavy);
    messageFont_.SetColor(clNavy);
    window_ = NewForm<TfrmMSNPopForm>(this);
    window_->FreeNotification(this);
    window_->OnClick = [this](TObject*) {
        if (OnClick) OnClick(this);
    };
    window_->OnClose = [this](TObject*, TCloseAction&) {
        if (OnClose) OnClose(this);
    };
    window_->OnTitleClick = [this](TObject*) {
        if (OnTitleClick) OnTitleClick(this);
    };
}

TkivMSNPopForm::~TkivMSNPopForm() = default;

void TkivMSNPopForm::Popup()
{
    if (!window_) return;
    window_->AnimateTime = static_cast<std::uint32_t>(std::max(0, animateTime_));
    window_->ShowTime = static_cast<std::uint32_t>(std::max(0, stayTime_));
    window_->ClickClose = clickHide_;
    window_->lbl_title->SetCaption(title_);
    window_->lbl_title->Font()->Assign(titleFont_);
    window_->lbl_text->SetCaption(messageText_);
    window_->lbl_text->Font()->Assign(messageFont_);
    if (OnShow) OnShow(this);
    const int w = window_->Width(), h = window_->Height();
    if (autoPosition_) {
        const TRect work = GetWorkAreaRect();
        window_->SetBounds(work.Right - w - 18, work.Bottom - h, w, h);
    } else {
        window_->SetBounds(positionX_, positionY_, w, h);
    }
    window_->Popup();
}

void TkivMSNPopForm::Close()
{
    if (!window_) return;
    window_->Timer1->SetEnabled(false);
    window_->Hide();
}

void TkivMSNPopForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == window_) window_ = nullptr;
}
