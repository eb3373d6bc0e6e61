#include "vcl/stdctrls.h"

#include "gfx/gdi.h"

#include <algorithm>

// ---------------------------------------------------------------------------
TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetControlStyle(ControlStyle() | csReplicatable);
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
}

TCustomLabel::~TCustomLabel()
{
    if (focusControl_) RemoveFreeNotification(focusControl_);
}

void TCustomLabel::SetAlignment(TAlignment value)
{
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool value)
{
    if (autoSize_ == value) return;
    autoSize_ = value;
    AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout value)
{
    if (layout_ == value) return;
    layout_ = value;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool value)
{
    if (wordWrap_ == value) return;
    wordWrap_ = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool value)
{
    if (transparent_ == value) return;
    transparent_ = value;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value)
{
    if (showAccelChar_ == value) return;
    showAccelChar_ = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value)
{
    if (focusControl_ == value) return;
    if (focusControl_) RemoveFreeNotification(focusControl_);
    focusControl_ = value;
    if (focusControl_) FreeNotification(focusControl_);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

std::string TCustomLabel::GetLabelText() const { return Caption(); }

unsigned TCustomLabel::DrawFlags() const
{
    return DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u) | AlignmentToDrawFlags(alignment_);
}

void TCustomLabel::DoDrawText(TCanvas& canvas, TRect& Rect, unsigned Flags)
{
    std::string text = GetLabelText();
    // An empty label still measures one line high.
    if ((Flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
    if (!showAccelChar_) Flags |= DT_NOPREFIX;
    canvas.SetFont(*Font());
    canvas.Brush()->SetStyle(bsClear);
    if (!Enabled() && !(Flags & DT_CALCRECT)) {
        OffsetRect(Rect, 1, 1);
        canvas.Font()->SetColor(clBtnHighlight);
        DrawText(&canvas, text, Rect, Flags);
        OffsetRect(Rect, -1, -1);
        canvas.Font()->SetColor(clBtnShadow);
    }
    DrawText(&canvas, text, Rect, Flags);
}

void TCustomLabel::AdjustBounds()
{
    if (!autoSize_ || Loading() || adjusting_) return;
    adjusting_ = true;
    TCanvas measure; // no target: measuring only, nothing lands on the form
    TRect r = ClientRect();
    DoDrawText(measure, r, DrawFlags() | DT_CALCRECT);
    // Wrapped text keeps the width it was given and grows downwards.
    const int w = wordWrap_ ? Width() : r.Width();
    int x = Left();
    if (alignment_ == taRightJustify && !wordWrap_) x += Width() - w;
    SetBounds(x, Top(), w, r.Height());
    adjusting_ = false;
}

void TCustomLabel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const bool widthChanged = AWidth != Width();
    TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    // A new width reflows wrapped text, so its height follows.
    if (widthChanged && wordWrap_ && autoSize_ && !adjusting_) AdjustBounds();
}

void TCustomLabel::Paint()
{
    TCanvas* c = Canvas();
    if (!transparent_) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color());
        c->FillRect(ClientRect());
    }
    TRect r = ClientRect();
    const unsigned flags = DrawFlags();
    if (layout_ != tlTop) {
        TRect calc = r;
        DoDrawText(*c, calc, flags | DT_CALCRECT);
        const int dy = layout_ == tlBottom ? Height() - calc.Bottom : (Height() - calc.Bottom) / 2;
        OffsetRect(r, 0, dy);
    }
    DoDrawText(*c, r, flags);
}

void TCustomLabel::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TGraphicControl::WndProc(m);
        AdjustBounds();
        return;
    case CM_DIALOGCHAR:
        if (focusControl_ && Enabled() && showAccelChar_ &&
            IsAccel(static_cast<unsigned short>(m.WParam), GetLabelText()) && focusControl_->CanFocus()) {
            focusControl_->SetFocus();
            m.Result = 1;
            return;
        }
        break;
    }
    TGraphicControl::WndProc(m);
}
