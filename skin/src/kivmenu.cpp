#include "skin/kivmenu.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivresources.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "gfx/imagelist.h"
#include "vcl/forms.h"

#include <memory>

namespace {

void StretchResource(TCanvas* canvas, const TRect& rect, const char* name, int height)
{
    TBitmap picture;
    LoadBitmapResource(name, picture);
    picture.SetSize(picture.Width(), height);
    canvas->StretchDraw(rect, picture);
}

void Fill(TCanvas* canvas, const TRect& r, TColor color)
{
    if (r.IsEmpty()) return;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FillRect(r);
}

} // namespace

void Menu_SetItemEvent(TMenuItem* item, const TMenuDrawItemEvent& drawEvent, const TMenuMeasureItemEvent& measureEvent)
{
    if (!item) return;
    item->OnDrawItem = drawEvent;
    item->OnMeasureItem = measureEvent;
    for (int i = 0; i < item->Count(); ++i) Menu_SetItemEvent(item->Items(i), drawEvent, measureEvent);
}

void Menu_DrawBorder(TCanvas* canvas, const TRect& rect, TColor color)
{
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FrameRect(rect);
}

void Menu_DrawBackGround(TCanvas* canvas, const TRect& rect, TColor color)
{
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FillRect(rect);
}

void Menu_DrawLineItem(TCanvas* canvas, const TRect& rect, TColor color, bool rightToLeft, int indent)
{
    canvas->Pen()->SetColor(color);
    const int y = rect.Top + 2;
    if (rightToLeft) {
        canvas->MoveTo(rect.Left + indent + 4, y);
        canvas->LineTo(rect.Right - 2, y);
    } else {
        canvas->MoveTo(rect.Left + 2, y);
        canvas->LineTo(rect.Right - indent - 4, y);
    }
}

void Menu_DrawMacOSLineItem(TCanvas* canvas, const TRect& rect) { StretchResource(canvas, rect, "MACOS_MENU_BAR", 12); }

void Menu_DrawMacOSSelectedItem(TCanvas* canvas, const TRect& rect)
{
    StretchResource(canvas, rect, "MACOS_MENU_SELECT", 20);
}

void Menu_DrawMacOSNonSelectedItem(TCanvas* canvas, const TRect& rect)
{
    StretchResource(canvas, rect, "MACOS_MENU_BAR", 20);
}

TCustomForm* Menu_FindWindow(const TCanvas* canvas)
{
    if (!canvas) return nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        if (dynamic_cast<TMenuWindow*>(f) && f->BackBuffer().Canvas() == canvas) return f;
    }
    return nullptr;
}

// Drawn on a canvas of its own over the window's picture, so the item being
// painted does not clip it.
void Menu_DrawWindowBorder(TCustomForm* window, TColor borderColor, TColor lineColor)
{
    if (!window) return;
    TBitmap& picture = window->BackBuffer();
    const int l = 0, t = 0, r = picture.Width(), b = picture.Height();
    if (r < 3 || b < 3) return;
    TCanvas c(&picture);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(borderColor);
    c.FrameRect(Rect(l, t + 1, r - 1, b - 1));
    c.Brush()->SetColor(clWhite);
    c.FrameRect(Rect(l + 1, t + 2, r - 2, b - 2));
    c.Pen()->SetColor(lineColor);
    c.MoveTo(l, b - 1);
    c.LineTo(r - 1, b - 1);
    c.LineTo(r - 1, t);
    c.LineTo(r, t);
    c.LineTo(l, t);
    window->MarkDrawn(Rect(l, t, r, b));
}

void Menu_GetSystemFont(TFont* font)
{
    TFont system; // the framework's menu font: "MS Sans Serif", 8 points, regular
    font->Assign(system);
    font->SetName("MS Sans Serif");
    font->SetSize(8);
    font->SetColor(clMenuText);
}

TImageList* Menu_CheckImages()
{
    static const std::unique_ptr<TImageList> list = [] {
        auto l = std::make_unique<TImageList>(16, 16);
        TBitmap mark;
        LoadBitmapResource("MENU_CHECKED", mark);
        l->AddMasked(mark, clWhite);
        return l;
    }();
    return list.get();
}

// ---------------------------------------------------------------------------
void TkivMenuLook::SetUIStyle(TkivUIStyle style)
{
    uiStyle_ = style;
    const TkivFileTheme* fileTheme = fileTheme_;
    barWidth_ = 26;
    if (style == MacOS) {
        menuItemHeight_ = 20;
        separatorHeight_ = 12;
        separatorColor_ = clBlack;
    } else {
        menuItemHeight_ = 21;
        separatorHeight_ = 5;
        separatorColor_ = 0x848284;
    }
    barColor_ = static_cast<TColor>(KivThemeColor(fileTheme, style, 23));
    color_ = static_cast<TColor>(KivThemeColor(fileTheme, style, 21));
    fontColor_ = static_cast<TColor>(KivThemeColor(fileTheme, style, 22));
    selectedBorderColor_ = static_cast<TColor>(KivThemeColor(fileTheme, style, 18));
    selectedColor_ = static_cast<TColor>(KivThemeColor(fileTheme, style, 19));
    selectedFontColor_ = static_cast<TColor>(KivThemeColor(fileTheme, style, 20));
}

void TkivMenuLook::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(&menu_, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

void TkivMenuLook::MenuAdded()
{
    Menu_SetItemEvent(
        menu_.Items(),
        [this](TObject* sender, TCanvas* canvas, TRect rect, bool selected) {
            DrawItem(static_cast<TMenuItem*>(sender), canvas, rect, selected);
        },
        [this](TObject* sender, TCanvas* canvas, int& width, int& height) {
            MeasureItem(static_cast<TMenuItem*>(sender), canvas, width, height);
        });
}

void TkivMenuLook::LookNotification(TComponent* component, TOperation operation)
{
    if (KivFileThemeFreed(fileTheme_, component, operation)) SetUIStyle(DeepBlue);
    if (operation == opInsert)
        if (auto* item = dynamic_cast<TMenuItem*>(component); item && item->GetParentMenu() == &menu_) MenuAdded();
}

void TkivMenuLook::SetItemFont(TMenuItem* item, TCanvas* canvas) const
{
    TFont* f = canvas->Font();
    if (useSystemFont_) {
        Menu_GetSystemFont(f);
    } else {
        f->SetName(fontName_);
        f->SetSize(fontSize_);
        f->SetCharset(fontCharset_);
        f->SetStyle({});
    }
    if (item->Default()) f->SetStyle({fsBold});
}

// Measured in the font the item is drawn in, so a bold default item fits.
void TkivMenuLook::MeasureItem(TMenuItem* item, TCanvas* canvas, int& width, int& height) const
{
    if (item->IsLine()) {
        height = separatorHeight_;
    } else {
        height = menuItemHeight_;
    }
    TFont saved;
    saved.Assign(*canvas->Font());
    SetItemFont(item, canvas);
    width = canvas->TextWidth(StripHotkey(item->Caption())) + canvas->TextWidth(ShortCutToText(item->ShortCut())) +
            barWidth_ + 40;
    canvas->SetFont(saved);
}

void TkivMenuLook::DrawItem(TMenuItem* item, TCanvas* canvas, const TRect& r, bool selected) const
{
    const TkivUIStyle style = uiStyle_;
    const TkivFileTheme* fileTheme = fileTheme_;
    TImageList* images = menu_.Images();
    // Only the built-in MacOS look paints its items with pictures.
    const bool macOS = style == MacOS;
    if (flatMenu_)
        Menu_DrawWindowBorder(Menu_FindWindow(canvas), borderColor_,
                              static_cast<TColor>(KivThemeColor(fileTheme, style, 15)));

    // Right to left, the bar strip lies at the right and the row reads from the right.
    const bool rtl = menu_.IsRightToLeft();
    const int bw = barWidth_ > 0 ? barWidth_ : 0;
    const TRect bar = rtl ? Rect(r.Right - barWidth_, r.Top, r.Right, r.Bottom) : Rect(r.Left, r.Top, r.Left + barWidth_, r.Bottom);
    const TRect rest = rtl ? Rect(r.Left, r.Top, r.Right - bw, r.Bottom) : Rect(r.Left + bw, r.Top, r.Right, r.Bottom);
    auto plainBackground = [&] {
        if (barWidth_ > 0) Fill(canvas, bar, barColor_);
        Fill(canvas, rest, color_);
    };
    if (item->IsLine()) {
        if (macOS) {
            Menu_DrawMacOSLineItem(canvas, r);
        } else {
            plainBackground();
            // The line runs beside the bar strip, not across it.
            Menu_DrawLineItem(canvas, rest, separatorColor_, rtl, 0);
        }
        return;
    }
    if (selected && item->Enabled()) {
        if (macOS) {
            Menu_DrawMacOSSelectedItem(canvas, r);
        } else {
            Menu_DrawBackGround(canvas, r, selectedColor_);
            Menu_DrawBorder(canvas, r, selectedBorderColor_);
        }
    } else if (macOS) {
        Menu_DrawMacOSNonSelectedItem(canvas, r);
    } else {
        plainBackground();
    }

    SetItemFont(item, canvas);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(!item->Enabled() ? clGray : selected ? selectedFontColor_ : fontColor_);
    TRect text = rtl ? Rect(r.Left, r.Top + 4, r.Right - barWidth_ - 4, r.Bottom)
                     : Rect(r.Left + barWidth_ + 4, r.Top + 4, r.Right, r.Bottom);
    DrawText(canvas, item->Caption(), text, rtl ? DT_SINGLELINE | DT_RIGHT : DT_SINGLELINE);
    const std::string shortCut = ShortCutToText(item->ShortCut());
    if (!shortCut.empty())
        canvas->TextOut(rtl ? r.Left + 16 : r.Right - canvas->TextWidth(shortCut) - 16, r.Top + 4, shortCut);

    const int x = rtl ? r.Right - 20 : r.Left + 4;
    const bool validImage = images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count();
    if (item->Checked()) {
        if (validImage) {
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(clBlack);
            canvas->FrameRect(Rect(x - 2, r.Top + 1, x + 17, r.Top + 20));
            canvas->Brush()->SetColor(selectedColor_);
            canvas->FillRect(Rect(x - 1, r.Top + 2, x + 16, r.Top + 19));
        } else {
            Menu_CheckImages()->Draw(canvas, x, r.Top + 3, 0, item->Enabled());
        }
    }
    if (validImage) images->Draw(canvas, x, r.Top + 3, item->ImageIndex(), item->Enabled());
}
