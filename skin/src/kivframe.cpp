#include "kivframe.h"

#include "kivthemerule.h"
#include "skin/kivpublic.h"

#include "gfx/canvas.h"
#include "gfx/region.h"

#include <algorithm>

void KivFillRect(TCanvas* c, const TRect& r, TColor color)
{
    if (r.IsEmpty()) return;
    c->Brush()->SetBitmap(nullptr);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(color);
    c->FillRect(r);
}

void TkivFrameLook::Read(TkivFileTheme* theme, TkivUIStyle style, bool hasMenu)
{
    suggested = style;
    fromFile = UsingFileTheme(theme, style, suggested);
    borderColor = static_cast<TColor>(KivThemeColor(theme, style, 16));
    borderWidth = KivThemeInt(theme, style, 17);
    color = static_cast<TColor>(KivThemeColor(theme, style, 15));
    roundCorner = KivThemeInt(theme, style, 14);
    roundCornerBottom = 0;
    leftBorder = TBitmap();
    bottomBorder = TBitmap();
    menuBarColor = color;
    if (!fromFile) return;
    roundCornerBottom = KivThemeInt(theme, style, 47);
    theme->GetBitmap(45, &leftBorder);
    if (!leftBorder.Empty()) RoundPicture2(&leftBorder);
    theme->GetBitmap(46, &bottomBorder);
    if (hasMenu) {
        int barColor = theme->GetColor(48);
        if (barColor == -1) {
            const int font = theme->GetColor(27);
            barColor = font == 0x020000 ? 0xAC5B3B : font == 0x030000 ? 0x996733 : static_cast<int>(color);
        }
        menuBarColor = static_cast<TColor>(barColor);
    }
}

void TkivFrameLook::ClientInside(TRect& r, bool useBorderWidth) const
{
    if (const int left = LeftBorderWidth()) {
        r.Left += left - 2;
        r.Right -= left - 2;
    }
    if (!bottomBorder.Empty()) r.Bottom -= bottomBorder.Height() - 2;
    else if (useBorderWidth && borderWidth != 3) r.Bottom -= borderWidth - 2;
}

void KivPaintFrame(TCanvas* c, const TCustomForm& form, const TkivFrameLook& look, TColor panelColor,
                   const TRect& menuBar, TColor menuBarColor, TkivTitleBar* bar, TPoint barOrigin)
{
    const TRect in = form.FrameInsets();
    const TRect window = form.WindowRect();
    const int W = window.Width(), H = window.Height();
    const TRect client = Bounds(in.Left, in.Top, form.Width(), form.Height());
    if (look.leftBorder.Empty()) {
        const int bw = std::max(0, look.borderWidth);
        if (bw < 4) {
            KivFillRect(c, Rect(0, 0, W, H), panelColor);
            if (!menuBar.IsEmpty()) {
                KivFillRect(c, Rect(0, menuBar.Top, client.Left, menuBar.Bottom), menuBarColor);
                KivFillRect(c, Rect(client.Right, menuBar.Top, W, menuBar.Bottom), menuBarColor);
            }
        }
        KivFillRect(c, Rect(0, 0, bw, H), look.borderColor);
        KivFillRect(c, Rect(W - bw, 0, W, H), look.borderColor);
        KivFillRect(c, Rect(0, H - bw, W, H), look.borderColor);
    } else {
        // File themes: the left picture down both sides, the bottom one along the bottom.
        TBitmap left, right, bottom;
        left.Assign(look.leftBorder);
        right.Assign(look.leftBorder);
        RoundPicture2(&right);
        bottom.Assign(look.bottomBorder);
        const int lw = left.Width();
        c->StretchDraw(Rect(0, 0, lw, H), left);
        c->StretchDraw(Rect(W - lw, 0, W, H), right);
        if (!bottom.Empty()) c->StretchDraw(Rect(lw, H - bottom.Height(), W - lw, H), bottom);
        c->Pen()->SetColor(look.borderColor);
        c->MoveTo(lw, 0);
        c->LineTo(lw, H);
        c->MoveTo(W - lw - 1, 0);
        c->LineTo(W - lw - 1, H);
    }
    // The title bar's pictures continue into the frame round it.
    bool canPaint = bar && bar->Visible() && bar->Sections()->Count() == 3;
    for (int i = 0; canPaint && i < 3; ++i) canPaint = !bar->Sections()->Items(i)->Picture()->Empty();
    if (canPaint) bar->DrawSectionsAt(c, barOrigin.X, barOrigin.Y);
    else KivFillRect(c, Rect(0, 0, W, std::min(3, in.Top)), look.borderColor);
}

void KivShapeWindow(TCustomForm* form, int top, int bottom)
{
    const TRect w = form->WindowRect();
    const int W = w.Width(), H = w.Height(), half = H / 2;
    top = std::max(0, top);
    bottom = std::max(0, bottom);
    const TRect all = Rect(0, 0, W, H);
    const TRegion upper = TRegion::RoundRect(all, top, top).Intersect(TRegion(Rect(0, 0, W, half)));
    const TRegion lower = TRegion::RoundRect(all, bottom, bottom).Intersect(TRegion(Rect(0, half, W, H)));
    form->SetWindowRegion(upper.Union(lower));
}

void KivPlaceMaximized(TCustomForm* form)
{
    TRect work = GetWorkAreaRect();
    work.Left -= 2;
    work.Top -= 2;
    work.Right += 2;
    work.Bottom -= 1;
    if (form->WindowRect() != work) form->SetWindowRect(work);
}

bool KivRunShortCut(TMenu* menu, unsigned short key)
{
    if (!menu) return false;
    TMenuItem* item = menu->FindItemByShortCut(ShortCut(key, KeyboardStateToShiftState()));
    if (!item) return false;
    item->Click();
    return true;
}
