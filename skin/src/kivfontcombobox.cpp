#include "skin/kivfontcombobox.h"

#include "skin/kivresources.h"

#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "rtl/sysutils.h"
#include "vcl/messages.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Item objects carry a number, as the font and colour lists store them.
TObject* AsObject(std::intptr_t value) { return reinterpret_cast<TObject*>(value); }
std::intptr_t FromObject(TObject* object) { return reinterpret_cast<std::intptr_t>(object); }

// Brush and font for an item in its state, as the framework sets them for owner drawing.
void PrepareItem(TCanvas& canvas, const TControl& control, TOwnerDrawState state)
{
    const bool selected = (state & odSelected) != 0;
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(selected ? clHighlight : control.Color());
    canvas.Font()->Assign(*control.Font());
    canvas.Font()->SetColor(selected ? clHighlightText : control.Font()->Color());
}

} // namespace

// --- item heights ---------------------------------------------------------------------------
TkivFontDrawComboBox::TkivFontDrawComboBox(TComponent* AOwner) : TkivCustomComboBox(AOwner)
{
    SetStyle(csDropDownList);
}

void TkivFontDrawComboBox::SetStyle(TComboBoxStyle value)
{
    TkivCustomComboBox::SetStyle(value == csOwnerDrawFixed || value == csOwnerDrawVariable ? csDropDownList : value);
}

int TkivFontDrawComboBox::MinItemHeight()
{
    int h = FontMetrics(*Font()).tmHeight + 1;
    if (h == 14) h = 15;
    return std::max(h, 9);
}

void TkivFontDrawComboBox::ResetItemHeight()
{
    TFlagScope resetting(resettingItemHeight_);
    SetItemHeight(MinItemHeight());
}

void TkivFontDrawComboBox::CreateWnd()
{
    TkivCustomComboBox::CreateWnd();
    ResetItemHeight();
}

void TkivFontDrawComboBox::WndProc(TMessage& m)
{
    TkivCustomComboBox::WndProc(m);
    if (m.Msg == CM_FONTCHANGED && !resettingItemHeight_) ResetItemHeight();
}

// --- font list ---------------------------------------------------------------------------
TkivFontComboBox::TkivFontComboBox(TComponent* AOwner) : TkivFontDrawComboBox(AOwner)
{
    SetItemHeight(15);
    LoadBitmapResource("FONTCOMBO_TRUETYPE_FNT", trueTypePicture_);
    LoadBitmapResource("FONTCOMBO_DEVICE_FNT", devicePicture_);
    trueTypePicture_.SetTransparent(true);
    devicePicture_.SetTransparent(true);
    SetSorted(true);
    SetItemHeight(MinItemHeight());
}

TkivFontComboBox::~TkivFontComboBox() = default;

int TkivFontComboBox::MinItemHeight()
{
    return std::max(TkivFontDrawComboBox::MinItemHeight(), trueTypePicture_.Height() - 1);
}

void TkivFontComboBox::SetFontName(const std::string& value)
{
    if (value == FontName()) return;
    if (Loading()) {
        SetText(value);
        return;
    }
    HandleNeeded();
    int found = -1;
    for (int i = 0; i < Items()->Count() && found < 0; ++i)
        if (SameText(Items()->Get(i), value)) found = i;
    if (found >= 0) {
        SetItemIndex(found);
    } else if (Style() == csDropDownList) {
        SetItemIndex(-1);
        TControl::SetText(value); // remembered for a list read again later
    } else {
        SetText(value);
    }
    DoChange();
}

void TkivFontComboBox::SetDevice(TFontDevice value)
{
    if (device_ == value) return;
    device_ = value;
    Reset();
}

void TkivFontComboBox::SetOptions(TFontListOptions value)
{
    if (options_ == value) return;
    options_ = value;
    Reset();
}

void TkivFontComboBox::SetUseFonts(bool value)
{
    if (useFonts_ == value) return;
    useFonts_ = value;
    Invalidate();
}

void TkivFontComboBox::Reset()
{
    if (!HandleAllocated()) return;
    const std::string name = TControl::Text();
    {
        TFlagScope creating(creating_);
        PopulateList();
        SetFontName(name);
    }
    if (FontName() != name) DoChange();
}

bool TkivFontComboBox::Accepts(const TFontFamily& font) const
{
    if ((options_ & foAnsiOnly) && font.CharSet != ANSI_CHARSET) return false;
    if ((options_ & foTrueTypeOnly) && !(font.FontType & TRUETYPE_FONTTYPE)) return false;
    if ((options_ & foFixedPitchOnly) && !font.FixedPitch) return false;
    if ((options_ & foOEMFontsOnly) && font.CharSet != OEM_CHARSET) return false;
    if ((options_ & foNoOEMFonts) && font.CharSet == OEM_CHARSET) return false;
    if ((options_ & foNoSymbolFonts) && font.CharSet == SYMBOL_CHARSET) return false;
    if ((options_ & foScalableOnly) && (font.FontType & RASTER_FONTTYPE)) return false;
    return true;
}

void TkivFontComboBox::PopulateList()
{
    if (!HandleAllocated()) return;
    TStringsUpdate update(*Items());
    Items()->Clear();
    chosen_ = -1;
    // A printer draws with the installed fonts too: its list is the screen's.
    const int passes = device_ == fdBoth ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass)
        for (const TFontFamily& font : EnumFontFamilies()) {
            if (Items()->IndexOf(font.Name) >= 0 || !Accepts(font)) continue;
            const int flags = font.FontType | (font.CharSet != SYMBOL_CHARSET ? kivFontNotSymbol : 0);
            Items()->AddObject(font.Name, AsObject(flags));
        }
}

void TkivFontComboBox::DoChange()
{
    if (Loading() || creating_ || !OnChange) return;
    OnChange(this);
}

void TkivFontComboBox::SetItemIndex(int value)
{
    TkivFontDrawComboBox::SetItemIndex(value);
    chosen_ = ItemIndex();
}

void TkivFontComboBox::Change()
{
    TkivFontDrawComboBox::Change();
    if (!HasEdit()) return;
    // A typed name that is a family's chooses it. The framework has already
    // put the list on it; the text stays as typed, so typing goes on undisturbed.
    const int i = Items()->IndexOf(Text());
    if (i >= 0 && i != chosen_) {
        if (ItemIndex() != i) SetItemIndex(i);
        chosen_ = i;
        DoChange();
    }
}

void TkivFontComboBox::Click()
{
    TkivFontDrawComboBox::Click();
    DoChange();
}

void TkivFontComboBox::CreateWnd()
{
    const std::string name = TControl::Text();
    TkivFontDrawComboBox::CreateWnd();
    {
        TFlagScope creating(creating_);
        PopulateList();
        SetText("");
        SetFontName(name);
    }
    if (!SameText(name, FontName())) DoChange();
}

void TkivFontComboBox::WndProc(TMessage& m)
{
    TkivFontDrawComboBox::WndProc(m);
    if (m.Msg == WM_FONTCHANGE) Reset();
}

void TkivFontComboBox::DrawItem(TCanvas& canvas, int Index, TRect R, TOwnerDrawState State)
{
    PrepareItem(canvas, *this, State);
    canvas.FillRect(R);
    if (Index < 0 || Index >= Items()->Count()) return;
    const auto flags = FromObject(Items()->Objects(Index));
    TBitmap* picture = (flags & TRUETYPE_FONTTYPE) ? &trueTypePicture_
                       : (flags & DEVICE_FONTTYPE) ? &devicePicture_
                                                   : nullptr;
    const int pictureWidth = picture ? picture->Width() : 20;
    if (picture) canvas.Draw(R.Left + 2, (R.Top + R.Bottom - picture->Height()) / 2, *picture);
    const std::string name = Items()->Get(Index);
    if (useFonts_ && (flags & kivFontNotSymbol)) canvas.Font()->SetName(name);
    TRect text = Rect(R.Left + pictureWidth + 6, R.Top, R.Right, R.Bottom);
    canvas.Brush()->SetStyle(bsClear);
    DrawText(&canvas, name, text, DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX));
}

// --- font sizes --------------------------------------------------------------------------
TkivFontSizeComboBox::TkivFontSizeComboBox(TComponent* AOwner) : TkivCustomComboBox(AOwner)
{
    SetStyle(csDropDownList);
}

void TkivFontSizeComboBox::SetFontName(const std::string& value)
{
    fontName_ = value;
    Build();
}

void TkivFontSizeComboBox::Build()
{
    const std::string shown = Text(); // kept when the new family has that size too
    {
        TStringsUpdate update(*Items());
        Items()->Clear();
        if (!fontName_.empty()) {
            pixelsPerInch_ = TFont::PixelsPerInch;
            for (const TFontFamily& font : EnumFontFamily(fontName_)) {
                if (font.FontType & TRUETYPE_FONTTYPE) {
                    for (int size : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
                        Items()->Add(IntToStr(size));
                    break;
                }
                // A bitmap size in points, kept ascending and each once.
                const int size = static_cast<int>(
                    std::lround((font.CellHeight - font.InternalLeading) * 72.0 / pixelsPerInch_));
                int at = 0;
                while (at < Items()->Count() && StrToIntDef(Items()->Get(at), 0) < size) ++at;
                if (at < Items()->Count() && StrToIntDef(Items()->Get(at), 0) == size) continue;
                Items()->Insert(at, IntToStr(size));
            }
        }
        const TNotifyEvent handler = OnChange;
        OnChange = nullptr;
        SetItemIndex(Items()->IndexOf(shown));
        OnChange = handler;
    }
    Change();
}

int TkivFontSizeComboBox::FontSize() const
{
    const int i = ItemIndex();
    int size = 0;
    if (i < 0 || !TryStrToInt(Items()->Get(i), size)) return 0;
    return size;
}

void TkivFontSizeComboBox::SetFontSize(int value) { SetItemIndex(Items()->IndexOf(IntToStr(value))); }
