// Colours, pens, brushes, fonts and the graphic base class.
#include "gfx/graphics.h"

#include "rtl/classes.h"

#include <array>
#include <cmath>

namespace {

// The classic desktop scheme, indexed by system-colour number.
constexpr std::array<TColor, 31> kSystemColors = {
    RGB(0xC8, 0xC8, 0xC8), // 0 scroll bar
    RGB(0x00, 0x80, 0x80), // 1 desktop
    RGB(0x00, 0x00, 0x80), // 2 active caption
    RGB(0x80, 0x80, 0x80), // 3 inactive caption
    RGB(0xD4, 0xD0, 0xC8), // 4 menu
    RGB(0xFF, 0xFF, 0xFF), // 5 window
    RGB(0x00, 0x00, 0x00), // 6 window frame
    RGB(0x00, 0x00, 0x00), // 7 menu text
    RGB(0x00, 0x00, 0x00), // 8 window text
    RGB(0xFF, 0xFF, 0xFF), // 9 caption text
    RGB(0xD4, 0xD0, 0xC8), // 10 active border
    RGB(0xD4, 0xD0, 0xC8), // 11 inactive border
    RGB(0x80, 0x80, 0x80), // 12 application workspace
    RGB(0x0A, 0x24, 0x6A), // 13 highlight
    RGB(0xFF, 0xFF, 0xFF), // 14 highlight text
    RGB(0xD4, 0xD0, 0xC8), // 15 button face
    RGB(0x80, 0x80, 0x80), // 16 button shadow
    RGB(0x80, 0x80, 0x80), // 17 grey text
    RGB(0x00, 0x00, 0x00), // 18 button text
    RGB(0xD4, 0xD0, 0xC8), // 19 inactive caption text
    RGB(0xFF, 0xFF, 0xFF), // 20 button highlight
    RGB(0x40, 0x40, 0x40), // 21 3D dark shadow
    RGB(0xD4, 0xD0, 0xC8), // 22 3D light
    RGB(0x00, 0x00, 0x00), // 23 info text
    RGB(0xFF, 0xFF, 0xE1), // 24 info background
    RGB(0xB5, 0xB5, 0xB5), // 25 (unused slot)
    RGB(0x00, 0x00, 0x80), // 26 hot light
    RGB(0xA6, 0xCA, 0xF0), // 27 gradient active caption
    RGB(0xC0, 0xC0, 0xC0), // 28 gradient inactive caption
    RGB(0x31, 0x6A, 0xC5), // 29 menu highlight
    RGB(0xD4, 0xD0, 0xC8), // 30 menu bar
};

constexpr TIdentMapEntry kColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"}, {clMedGray, "clMedGray"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"}, {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"}, {clMenu, "clMenu"}, {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"}, {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"}, {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"}, {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"}, {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"}, {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"}, {clNone, "clNone"}, {clDefault, "clDefault"},
};

} // namespace

TColor GetSysColor(int index)
{
    if (index < 0 || index >= static_cast<int>(kSystemColors.size())) return 0;
    return kSystemColors[static_cast<std::size_t>(index)];
}

TColor ColorToRGB(TColor color)
{
    if (color < 0) return GetSysColor(color & 0xFF);
    if (color == clNone) return clWhite;
    if (color == clDefault) return clBlack;
    return color & 0xFFFFFF;
}

std::span<const TIdentMapEntry> ColorIdents() { return kColorNames; }

std::string ColorToString(TColor color)
{
    for (const TIdentMapEntry& n : kColorNames)
        if (n.Value == color) return n.Name;
    std::string text = "$";
    text += IntToHex(static_cast<std::uint32_t>(color), 8);
    return text;
}

bool IdentToColor(const std::string& text, TColor& color)
{
    for (const TIdentMapEntry& n : kColorNames)
        if (SameText(text, n.Name)) {
            color = n.Value;
            return true;
        }
    std::int64_t value = 0;
    if (!TryStrToInt64(text, value) || value < INT32_MIN || value > UINT32_MAX) return false;
    color = static_cast<TColor>(static_cast<std::uint32_t>(value));
    return true;
}

TColor StringToColor(const std::string& text)
{
    TColor c = 0;
    if (!IdentToColor(text, c)) throw EConvertError("'" + text + "' is not a valid color value");
    return c;
}

// ---------------------------------------------------------------------------
void TGraphicsObject::Changed()
{
    if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor value)
{
    if (color_ == value) return;
    color_ = value;
    Changed();
}

void TPen::SetWidth(int value)
{
    value = std::max(value, 1);
    if (width_ == value) return;
    width_ = value;
    Changed();
}

void TPen::SetStyle(TPenStyle value)
{
    if (style_ == value) return;
    style_ = value;
    Changed();
}

void TPen::SetMode(TPenMode value)
{
    if (mode_ == value) return;
    mode_ = value;
    Changed();
}

void TPen::Assign(const TPen& source)
{
    color_ = source.color_;
    width_ = source.width_;
    style_ = source.style_;
    mode_ = source.mode_;
    Changed();
}

void TBrush::SetColor(TColor value)
{
    if (color_ == value && style_ != bsClear) return;
    color_ = value;
    // Giving a clear brush a colour makes it solid, as the framework does.
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle value)
{
    if (style_ == value) return;
    style_ = value;
    Changed();
}

void TBrush::SetBitmap(TBitmap* value)
{
    if (bitmap_ == value) return;
    bitmap_ = value;
    Changed();
}

void TBrush::Assign(const TBrush& source)
{
    color_ = source.color_;
    style_ = source.style_;
    bitmap_ = source.bitmap_;
    Changed();
}

void TFont::SetName(const std::string& value)
{
    if (name_ == value || value.empty()) return;
    name_ = value;
    Changed();
}

int TFont::Size() const
{
    // Height in pixels back to points, rounded as the framework does (MulDiv).
    double points = -static_cast<double>(height_) * 72.0 / PixelsPerInch;
    return static_cast<int>(std::lround(points));
}

void TFont::SetSize(int points)
{
    SetHeight(-static_cast<int>(std::lround(static_cast<double>(points) * PixelsPerInch / 72.0)));
}

void TFont::SetHeight(int pixels)
{
    if (height_ == pixels) return;
    height_ = pixels;
    Changed();
}

void TFont::SetStyle(TFontStyles value)
{
    if (style_ == value) return;
    style_ = value;
    Changed();
}

void TFont::SetColor(TColor value)
{
    if (color_ == value) return;
    color_ = value;
    Changed();
}

void TFont::SetCharset(TFontCharset value)
{
    if (charset_ == value) return;
    charset_ = value;
    Changed();
}

void TFont::SetPitch(TFontPitch value)
{
    if (pitch_ == value) return;
    pitch_ = value;
    Changed();
}

void TFont::SetQuality(TFontQuality value)
{
    if (quality_ == value) return;
    quality_ = value;
    Changed();
}

void TFont::SetOrientation(int value)
{
    if (orientation_ == value) return;
    orientation_ = value;
    Changed();
}

void TFont::Assign(const TFont& source)
{
    name_ = source.name_;
    height_ = source.height_;
    style_ = source.style_;
    color_ = source.color_;
    charset_ = source.charset_;
    pitch_ = source.pitch_;
    quality_ = source.quality_;
    orientation_ = source.orientation_;
    Changed();
}

// ---------------------------------------------------------------------------
void TGraphic::SetModified(bool value)
{
    modified_ = value;
    if (value) Changed();
}

void TGraphic::Changed()
{
    modified_ = true;
    if (OnChange) OnChange(this);
}

void TGraphic::SetTransparentImpl(bool value)
{
    if (transparent_ == value) return;
    transparent_ = value;
    Changed();
}

void TGraphic::Assign(const TGraphic& source)
{
    if (&source == this) return;
    source.AssignTo(*this);
}

void TGraphic::AssignTo(TGraphic& dest) const
{
    throw EConvertError("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
}

void TGraphic::LoadFromFile(const std::string& path)
{
    TFileStream stream(path, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& path) const
{
    TFileStream stream(path, fmCreate);
    SaveToStream(stream);
}
