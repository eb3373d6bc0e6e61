#include "skin/frmmsnpop.h"

#include "skin/kivpublic.h"
#include "skin/kivresources.h"

#include "gfx/canvas.h"
#include "rtl/clock.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

#include <cstdint>

TfrmMSNPopForm::TfrmMSNPopForm(TComponent* AOwner) : TForm(AOwner)
{
    BeginLoading();
    // A pop-up without a frame: the picture carries the title band and the close box.
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetClientWidth(195);
    SetClientHeight(120);

    lbl_title = new TLabel(this);
    lbl_title->SetName("lbl_title");
    lbl_title->SetParent(this);
    lbl_title->SetAutoSize(false);
    lbl_title->SetTransparent(true);
    lbl_title->SetLayout(tlCenter);
    lbl_title->Font()->SetStyle(TFontStyles{fsBold});
    lbl_title->Font()->SetColor(clNavy);
    lbl_title->SetCaption("");
    lbl_text = new TLabel(this);
    lbl_text->SetName("lbl_text");
    lbl_text->SetParent(this);
    lbl_text->SetAutoSize(false);
    lbl_text->SetTransparent(true);
    lbl_text->SetWordWrap(true);
    lbl_text->Font()->SetColor(clNavy);
    lbl_text->SetCaption("");
    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetEnabled(false);
    Timer1->SetInterval(100);
    Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };
    auto forward = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { LabelMouseDown(s, b, sh, x, y); };
    lbl_title->OnMouseDown = forward;
    lbl_title->OnClick = [this](TObject*) {
        if (OnTitleClick) OnTitleClick(this);
    };
    lbl_text->OnMouseDown = forward;
    EndLoading();

    LoadBitmapResource("MSNPOPFORM", background_);
    SetClientWidth(background_.Width());
    SetClientHeight(background_.Height());
    const TRect work = GetWorkAreaRect();
    SetBounds(work.Right - Width() - 18, work.Bottom - Height(), Width(), Height());
    lbl_title->SetBounds(10, 5, ClientWidth() - 30, 18);
    lbl_text->SetBounds(10, 40, ClientWidth() - 20, ClientHeight() - 50);
}

TfrmMSNPopForm::~TfrmMSNPopForm() = default;

void TfrmMSNPopForm::Popup()
{
    if (Visible()) return;
    closedByButton_ = false;
    KIVAnimateWindow(Handle(), AnimateTime, AW_SLIDE | AW_VER_NEGATIVE);
    Repaint();
    startTick_ = GetTickCount();
    Timer1->SetEnabled(true);
}

void TfrmMSNPopForm::Timer1Timer(TObject*)
{
    // A tick count that went backwards (it wraps after 49 days) ends the wait too.
    const auto shown = static_cast<std::int32_t>(GetTickCount() - startTick_);
    if (shown >= static_cast<std::int64_t>(ShowTime) || shown < 0) {
        Timer1->SetEnabled(false);
        Close();
    }
}

void TfrmMSNPopForm::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TForm::MouseDown(Button, Shift, X, Y);
    const TRect box = CloseBox();
    if (Button == mbLeft && X >= box.Left && X < box.Right && Y >= box.Top && Y < box.Bottom) {
        closedByButton_ = true;
        Timer1->SetEnabled(false);
        Close();
    } else if (ClickClose) {
        Timer1->SetEnabled(false);
        Close();
    }
}

void TfrmMSNPopForm::LabelMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    auto* label = static_cast<TControl*>(Sender);
    MouseDown(Button, Shift, X + label->Left(), Y + label->Top());
}

void TfrmMSNPopForm::DoClose(TCloseAction& Action)
{
    TForm::DoClose(Action);
    if (Action != caHide || !Visible()) return;
    if (closedByButton_) {
        closedByButton_ = false; // pressed away: gone at once
        return;
    }
    KIVAnimateWindow(Handle(), AnimateTime, AW_HIDE | AW_SLIDE | AW_VER_POSITIVE);
}

void TfrmMSNPopForm::Paint()
{
    TCanvas* c = Canvas();
    if (!background_.Empty()) c->Draw(0, 0, background_);
    TForm::Paint();
}
