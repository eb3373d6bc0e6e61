#include "skin/kivgroupbox.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "gfx/canvas.h"
#include "vcl/messages.h"

#include <algorithm>
#include <cstdlib>

TkivCustomGroupBox::TkivCustomGroupBox(TComponent* AOwner) : TkivCustomPanel(AOwner)
{
    SetBounds(Left(), Top(), 185, 105);
    SetParentColor(true);
    uiStyle_ = GetKIVFormStyle(AOwner);
}

TkivCustomGroupBox::~TkivCustomGroupBox() = default;

void TkivCustomGroupBox::SetBorderColor(TColor value)
{
    borderColor_ = value;
    Invalidate();
}

void TkivCustomGroupBox::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    UpdateUIStyle(value, fileTheme_);
}

void TkivCustomGroupBox::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

void TkivCustomGroupBox::UpdateUIStyle(TkivUIStyle style, TkivFileTheme* fileTheme)
{
    ContainerApplyUIStyle(this, style, fileTheme);
    borderColor_ = static_cast<TColor>(KivThemeColor(fileTheme, style, 25));
    Font()->SetColor(static_cast<TColor>(KivThemeColor(fileTheme, style, 27)));
    Invalidate();
}

void TkivCustomGroupBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TkivCustomPanel::Notification(AComponent, Operation);
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) {
        ContainerApplyUIStyle(this, DeepBlue, nullptr);
        SetUIStyle(DeepBlue);
    }
}

int TkivCustomGroupBox::FontHeight() const { return std::abs(Font()->Height()); }

void TkivCustomGroupBox::AlignControls(TControl* AControl, TRect& Rect)
{
    Rect.Left += 3;
    Rect.Right -= 3;
    Rect.Bottom -= 3;
    Rect.Top += FontHeight() + 5;
    TkivCustomPanel::AlignControls(AControl, Rect);
}

void TkivCustomGroupBox::Paint()
{
    const int w = std::max(Width(), 1), h = std::max(Height(), 1);
    const TRect client = Rect(0, 0, w, h);
    TBitmap buffer(w, h);
    TCanvas* canvas = buffer.Canvas();
    if (Transparent()) {
        DoTrans(canvas, this);
    } else {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(client);
    }
    canvas->SetFont(*Font());
    const std::string& caption = Caption();
    const int captionWidth = caption.empty() ? 0 : canvas->TextWidth(caption);

    // The frame runs round the client area from the caption's far end back
    // to the small stub before it; its top edge halves the caption row.
    const bool mirrored = UseRightToLeftReading();
    const int top = client.Top + FontHeight() / 2 + 1;
    const int left = client.Left, right = client.Right, bottom = client.Bottom;
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetColor(borderColor_);
    if (mirrored) {
        canvas->MoveTo(right - 3, top);
        canvas->LineTo(right - 1, top);
        canvas->LineTo(right - 1, bottom - 1);
        canvas->LineTo(left + 1, bottom - 1);
        canvas->LineTo(left + 1, top);
        canvas->LineTo(caption.empty() ? right : right - captionWidth - 7, top);
    } else {
        canvas->MoveTo(left + 2, top);
        canvas->LineTo(left, top);
        canvas->LineTo(left, bottom - 1);
        canvas->LineTo(right - 1, bottom - 1);
        canvas->LineTo(right - 1, top);
        canvas->LineTo(caption.empty() ? left : left + captionWidth + 6, top);
    }

    if (!caption.empty()) {
        canvas->Brush()->SetStyle(bsClear);
        if (!Enabled()) canvas->Font()->SetColor(clGray);
        canvas->TextOut(mirrored ? Width() - 6 - captionWidth : 5, 0, caption);
    }
    Canvas()->CopyRect(client, *canvas, client);
}

void TkivCustomGroupBox::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_FONTCHANGED:
        Realign(); // the caption row's height moved the children's area
        Invalidate();
        break;
    case CM_ENABLEDCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    TkivCustomPanel::WndProc(m);
}
