#include "skin/kivcolorbox.h"

#include "gfx/canvas.h"
#include "rtl/sysutils.h"
#include "vcl/dialogs.h"

#include <cctype>
#include <cstdint>

namespace {

constexpr int kStandardCount = 16;
constexpr int kExtendedCount = 4;
const char* const kCustomCaption = "Custom...";

TObject* AsObject(TColor colour) { return reinterpret_cast<TObject*>(static_cast<std::intptr_t>(colour)); }
TColor FromObject(TObject* object) { return static_cast<TColor>(reinterpret_cast<std::intptr_t>(object)); }

// "clMoneyGreen" -> "Money Green": the prefix dropped, a blank before every later capital.
std::string PrettyName(const std::string& ident)
{
    const std::string name = ident.compare(0, 2, "cl") == 0 ? ident.substr(2) : ident;
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (i > 0 && std::isupper(static_cast<unsigned char>(name[i]))) out += ' ';
        out += name[i];
    }
    return out;
}

} // namespace

TkivCustomColorBox::TkivCustomColorBox(TComponent* AOwner) : TkivCustomComboBox(AOwner)
{
    TkivCustomComboBox::SetStyle(csOwnerDrawFixed);
    SetItemHeight(15);
    PopulateList();
}

TColor TkivCustomColorBox::Selected() const
{
    if (!HandleAllocated()) return selected_;
    return ItemIndex() >= 0 ? GetColor(ItemIndex()) : kivNoColorSelected;
}

void TkivCustomColorBox::SetSelected(TColor value)
{
    if (HandleAllocated()) {
        const int i = Items()->IndexOfObject(AsObject(value));
        if (i >= 0) {
            SetItemIndex(i);
        } else if ((style_ & cbCustomColor) && value != kivNoColorSelected && Items()->Count() > 0) {
            Items()->PutObject(0, AsObject(value));
            SetItemIndex(0);
        } else {
            SetItemIndex(-1);
        }
    }
    selected_ = value;
}

void TkivCustomColorBox::SetStyle(TColorBoxStyles value)
{
    if (style_ == value) return;
    style_ = value;
    SetEnabled((value & (cbStandardColors | cbExtendedColors | cbSystemColors | cbCustomColor)) != 0);
    PopulateList();
    if (Items()->Count() > 0 && ItemIndex() == -1) SetItemIndex(0);
}

void TkivCustomColorBox::SetDefaultColorColor(TColor value)
{
    if (defaultColorColor_ == value) return;
    defaultColorColor_ = value;
    Invalidate();
}

void TkivCustomColorBox::SetNoneColorColor(TColor value)
{
    if (noneColorColor_ == value) return;
    noneColorColor_ = value;
    Invalidate();
}

TColor TkivCustomColorBox::GetColor(int index) const { return FromObject(Items()->Objects(index)); }

std::string TkivCustomColorBox::GetColorName(int index) const { return Items()->Get(index); }

void TkivCustomColorBox::PopulateList()
{
    if (!HandleAllocated()) {
        needsPopulating_ = true;
        return;
    }
    needsPopulating_ = false;
    TStringList& items = *Items();
    TStringsUpdate update(items);
    const TColor custom = (style_ & cbCustomColor) && items.Count() > 0 ? GetColor(0) : clBlack;
    // The colour shown now, else the one set before the window was made.
    const TColor chosen = ItemIndex() >= 0 ? GetColor(ItemIndex()) : selected_;
    items.Clear();
    for (const TIdentMapEntry& e : ColorIdents())
        items.AddObject((style_ & cbPrettyNames) ? PrettyName(e.Name) : std::string(e.Name), AsObject(e.Value));
    auto deleteRange = [&](int from, int to) {
        for (int i = std::min(to, items.Count() - 1); i >= from; --i) items.Delete(i);
    };
    auto deleteColour = [&](TColor c) {
        const int i = items.IndexOfObject(AsObject(c));
        if (i >= 0) items.Delete(i);
    };
    if (!(style_ & cbIncludeNone)) deleteColour(clNone);
    if (!(style_ & cbIncludeDefault)) deleteColour(clDefault);
    if (!(style_ & cbSystemColors)) {
        // The system colours only: a none or default item asked for stays.
        int last = items.Count() - 1;
        while (last >= 0 && (GetColor(last) == clNone || GetColor(last) == clDefault)) --last;
        deleteRange(kStandardCount + kExtendedCount, last);
    }
    if (!(style_ & cbExtendedColors)) deleteRange(kStandardCount, kStandardCount + kExtendedCount - 1);
    if (!(style_ & cbStandardColors)) deleteRange(0, kStandardCount - 1);
    if (style_ & cbCustomColor) items.InsertObject(0, kCustomCaption, AsObject(custom));
    SetSelected(chosen);
}

void TkivCustomColorBox::CreateWnd()
{
    TkivCustomComboBox::CreateWnd();
    if (needsPopulating_) PopulateList();
}

void TkivCustomColorBox::KeyDown(unsigned short& Key, TShiftState Shift)
{
    listSelected_ = false;
    TkivCustomComboBox::KeyDown(Key, Shift);
}

void TkivCustomColorBox::KeyPress(char& Key)
{
    TkivCustomComboBox::KeyPress(Key);
    if ((style_ & cbCustomColor) && Key == '\r' && ItemIndex() == 0) {
        PickCustomColor();
        Key = 0;
    }
}

void TkivCustomColorBox::CloseUp()
{
    TkivCustomComboBox::CloseUp();
    listSelected_ = true;
}

void TkivCustomColorBox::Select()
{
    if (listSelected_) {
        listSelected_ = false;
        // Choosing "Custom..." from the list asks for the colour; a cancelled dialog chooses nothing.
        if ((style_ & cbCustomColor) && ItemIndex() == 0 && !PickCustomColor()) return;
    }
    TkivCustomComboBox::Select();
}

bool TkivCustomColorBox::PickCustomColor()
{
    TColorDialog dialog(nullptr);
    const TColor colour = GetColor(0);
    dialog.Color = colour;
    dialog.CustomColors()->SetText(Format("ColorA=%.8x", static_cast<unsigned>(colour)));
    if (!dialog.Execute()) return false;
    Items()->PutObject(0, AsObject(dialog.Color));
    Invalidate();
    return true;
}

void TkivCustomColorBox::DrawItem(TCanvas& c, int Index, TRect R, TOwnerDrawState State)
{
    const bool selected = (State & odSelected) != 0;
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(selected ? clHighlight : Color());
    c.FillRect(R);
    if (Index < 0 || Index >= Items()->Count()) return;
    TColor shown = GetColor(Index);
    if (shown == clDefault) shown = defaultColorColor_;
    else if (shown == clNone) shown = noneColorColor_;
    const TColor rgb = ColorToRGB(shown);

    TRect swatch = Rect(R.Left, R.Top, R.Left + R.Height(), R.Bottom);
    InflateRect(swatch, -1, -1);
    c.Brush()->SetColor(shown);
    c.FillRect(swatch);
    // A light swatch gets a black frame; a dark one a white frame when selected, so it stands out.
    const bool light = GetRValue(rgb) > 192 || GetGValue(rgb) > 192 || GetBValue(rgb) > 192;
    c.Brush()->SetColor(light ? clBlack : selected ? clWhite : shown);
    c.FrameRect(swatch);

    c.Font()->Assign(*Font());
    c.Font()->SetColor(selected ? clHighlightText : Font()->Color());
    c.Brush()->SetStyle(bsClear);
    const std::string name = Items()->Get(Index);
    c.TextOut(swatch.Right + 5, R.Top + (R.Height() - c.TextHeight(name)) / 2, name);
}
