#include "skin/kivskinform.h"

#include "skin/kivpublic.h"

#include "gfx/canvas.h"
#include "vcl/forms.h"
#include "vcl/messages.h"

TkivSkinForm::TkivSkinForm(TComponent* AOwner) : TGraphicControl(AOwner)
{
    form_ = dynamic_cast<TCustomForm*>(AOwner);
    if (form_) form_->SetBorderStyle(bsNone);
    SetBounds(Left(), Top(), 200, 100);
}

TkivSkinForm::~TkivSkinForm() = default;

void TkivSkinForm::SetGlyph(const TBitmap& value)
{
    glyphSource_ = nullptr;
    glyph_.Assign(value);
    ReSetWndRgn();
    Invalidate();
}

void TkivSkinForm::SetGlyphSource(std::function<bool(TBitmap&)> load)
{
    glyphSource_ = std::move(load);
    glyph_ = TBitmap();   // the memory goes too
    ReSetWndRgn();
    Invalidate();
}

void TkivSkinForm::SetTransparentColor(TColor value)
{
    transparentColor_ = value;
    ReSetWndRgn();
    Invalidate();
}

void TkivSkinForm::ReSetWndRgn()
{
    if (!glyph_.Empty()) {
        ReSetWndRgn(glyph_);
        return;
    }
    // A picture not kept is fetched for the shape and let go again.
    TBitmap picture;
    if (glyphSource_ && glyphSource_(picture) && !picture.Empty()) ReSetWndRgn(picture);
}

void TkivSkinForm::ReSetWndRgn(TBitmap& picture)
{
    if (form_) SetBitmapWindow(form_, &picture, transparentColor_);
    SetBounds(0, 0, picture.Width(), picture.Height());
    if (form_) {
        form_->SetClientHeight(Height());
        form_->SetClientWidth(Width());
    }
    if (OnRegionChanged) OnRegionChanged(this);
}

void TkivSkinForm::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    SetMouseCapture(false);
    if (form_) form_->Perform(WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void TkivSkinForm::Paint()
{
    TCanvas* c = Canvas();
    if (glyph_.Empty() && glyphSource_) {
        TBitmap picture;
        if (glyphSource_(picture)) glyph_ = std::move(picture);
    }
    if (!glyph_.Empty()) {
        c->Draw(0, 0, glyph_);
    } else {
        c->Brush()->SetColor(clBlack);
        c->FrameRect(ClientRect());
    }
    if (OnPaint) OnPaint(this);
}

void TkivSkinForm::WndProc(TMessage& Message)
{
    // The form's background is never erased under the picture.
    if (Message.Msg == WM_ERASEBKGND) {
        Message.Result = 1;
        return;
    }
    TGraphicControl::WndProc(Message);
}
