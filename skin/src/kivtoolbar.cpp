#include "skin/kivtoolbar.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "vcl/menus.h"

#include <string>

TkivToolBar::TkivToolBar(TComponent* AOwner) : TToolBar(AOwner)
{
    OnCustomDrawButton = [this](TToolBar*, TToolButton* button, TCustomDrawState state, bool& defaultDraw) {
        DrawButton(button, state, defaultDraw);
    };
    OnCustomDraw = [this](TToolBar*, const TRect& r, bool& defaultDraw) { DrawBar(r, defaultDraw); };
    SetFlat(true);
    SetTransparent(false);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

void TkivToolBar::SetButtonColor(TColor value)
{
    buttonColor_ = value;
    Invalidate();
}

void TkivToolBar::SetButtonBorderColor(TColor value)
{
    buttonBorderColor_ = value;
    Invalidate();
}

void TkivToolBar::SetButtonDownColor(TColor value)
{
    buttonDownColor_ = value;
    Invalidate();
}

void TkivToolBar::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    buttonBorderColor_ = static_cast<TColor>(KivThemeColor(fileTheme_, value, 35));
    buttonColor_ = static_cast<TColor>(KivThemeColor(fileTheme_, value, 36));
    buttonDownColor_ = static_cast<TColor>(KivThemeColor(fileTheme_, value, 37));
    SetTransparent(value == MacOS || value == Protein);
    SetEdgeInner(esNone);
    SetEdgeOuter(esNone);
    Invalidate();
}

void TkivToolBar::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

void TkivToolBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TToolBar::Notification(AComponent, Operation);
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
}

void TkivToolBar::DrawBar(const TRect&, bool&)
{
    if (Transparent()) DoTrans(Canvas(), this);
}

void TkivToolBar::DrawButton(TToolButton* button, TCustomDrawState state, bool& defaultDraw)
{
    const bool hot = state & cdsHot;
    const bool pressed = state & cdsSelected;
    if (hot && pressed)
        DrawHotButton(button, true);
    else if (hot || pressed || (state & cdsChecked))
        DrawHotButton(button, false);
    else
        return;
    defaultDraw = false;
    if (hot && button->Style() == tbsDropDown) {
        // The arrow of the drop-down part, and the line that sets it off.
        TCanvas* c = Canvas();
        const TRect r = button->BoundsRect();
        const int right = r.Right, y = r.Top + (r.Bottom - r.Top) / 2;
        c->Pen()->SetColor(clBlack);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clBlack);
        const TPoint big[3] = {Point(right - 9, y), Point(right - 5, y), Point(right - 7, y + 2)};
        const TPoint small[3] = {Point(right - 8, y), Point(right - 6, y), Point(right - 7, y + 1)};
        c->Polygon(big);
        c->Polygon(small);
        c->MoveTo(right - 14, r.Top);
        c->LineTo(right - 14, r.Bottom);
    }
}

void TkivToolBar::DrawHotButton(TToolButton* button, bool down)
{
    TCanvas* c = Canvas();
    const TRect r = button->BoundsRect();
    const bool dropDown = button->Style() == tbsDropDown;
    TImageList* list = HotImages() ? HotImages() : Images();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(down ? buttonDownColor_ : buttonColor_);
    c->Pen()->SetColor(buttonBorderColor_);
    c->Rectangle(r);

    const int picW = list ? list->Width() : 0, picH = list ? list->Height() : 0;
    const int width = r.Width() - (dropDown ? ToolDropDownWidth : 0);
    const int index = button->ImageIndex();
    if (list && index >= 0 && index < list->Count()) {
        if (List())
            list->Draw(c, r.Left + 5, r.Top + 3, index, button->Enabled());
        else
            list->Draw(c, r.Left + (width - picW) / 2, r.Top + 3, index, button->Enabled());
    }
    if (!ShowCaptions()) return;
    c->SetFont(*Font());
    c->Brush()->SetStyle(bsClear);
    const std::string& caption = button->Caption();
    const int textW = c->TextWidth(StripHotkey(caption));
    int x, y;
    if (list) {
        if (List()) {
            x = r.Left + picW + 7;
            y = r.Top + 4 + (picH - 16) / 2;
        } else {
            x = r.Left + (width - textW) / 2;
            y = r.Top + picH + 4;
        }
    } else if (List()) {
        x = r.Left + 8;
        y = r.Top + 3;
    } else {
        x = r.Left + (width - textW) / 2;
        y = r.Top + (down ? 5 : 4);
    }
    TRect text = Rect(x, y, r.Right, r.Bottom);
    DrawText(c, caption, text, DT_SINGLELINE | DT_NOCLIP);
}
