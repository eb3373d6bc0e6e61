#pragma once
// Colours, drawing tools (pen, brush, font) and the graphic base class.
#include "gfx/export.h"
#include "gfx/types.h"
#include "rtl/system.h"
#include "rtl/sysutils.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

class TCanvas;
class TStream;

KELDARA_EXCEPTION(EInvalidGraphic, Exception);          // a picture file or stream that cannot be read
KELDARA_EXCEPTION(EInvalidGraphicOperation, Exception); // an operation the picture does not support

// ---------------------------------------------------------------------------
// Colours are 0x00BBGGRR. System colours have the high bit set and the
// system-colour index in the low byte; ColorToRGB resolves them.
using TColor = std::int32_t;
using COLORREF = std::uint32_t;

constexpr TColor RGB(int r, int g, int b)
{
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

// Plain colours pass unchanged (their high byte cleared); system colours come
// from a fixed table of the classic desktop scheme; clNone is white, clDefault black.
GFX_API TColor ColorToRGB(TColor color);
// The system-colour table itself: index 0..30, else 0.
GFX_API TColor GetSysColor(int index);
// One named colour of the colour table.
struct TIdentMapEntry {
    TColor Value;
    const char* Name;
};
// The named colours in their fixed order, the one colour lists show: the 16
// standard colours (clBlack .. clWhite), the 4 extended ones (clMoneyGreen,
// clSkyBlue, clCream, clMedGray), the system colours by index, then clNone and clDefault.
GFX_API std::span<const TIdentMapEntry> ColorIdents();
// "clRed" style names for the named and system colours; hex "$00BBGGRR" otherwise.
GFX_API std::string ColorToString(TColor color);
// Accepts the names above, "$00BBGGRR" hex and decimal; false when neither.
GFX_API bool IdentToColor(const std::string& text, TColor& color);
GFX_API TColor StringToColor(const std::string& text); // EConvertError when unknown

// ---------------------------------------------------------------------------
// Drawing tools. Changing a property fires OnChange.
class GFX_API TGraphicsObject : public TObject {
public:
    TNotifyEvent OnChange;

protected:
    void Changed();
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// Binary raster operations of the pen, as R2_*: each combines pen colour P and screen colour D.
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class GFX_API TPen : public TGraphicsObject {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    int Width() const { return width_; }
    void SetWidth(int value); // below 1 is taken as 1
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle value);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode value);
    void Assign(const TPen& source);

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

class TBitmap;

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class GFX_API TBrush : public TGraphicsObject {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle value);
    // A pattern bitmap, not owned (the caller keeps it alive while the brush uses
    // it); it tiles from the canvas origin and wins over Style.
    TBitmap* Bitmap() const { return bitmap_; }
    void SetBitmap(TBitmap* value);
    void Assign(const TBrush& source);

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    TBitmap* bitmap_ = nullptr;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of font styles: TFontStyles{fsBold, fsItalic}.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles)
    {
        for (TFontStyle s : styles) bits_ |= 1u << s;
    }
    constexpr bool Contains(TFontStyle s) const { return (bits_ >> s) & 1u; }
    constexpr void Include(TFontStyle s) { bits_ |= 1u << s; }
    constexpr void Exclude(TFontStyle s) { bits_ &= ~(1u << s); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr unsigned Bits() const { return bits_; }
    static constexpr TFontStyles FromBits(unsigned bits) { TFontStyles s; s.bits_ = bits & 15u; return s; }
    friend constexpr TFontStyles operator+(TFontStyles a, TFontStyles b) { return FromBits(a.bits_ | b.bits_); }
    friend constexpr TFontStyles operator-(TFontStyles a, TFontStyles b) { return FromBits(a.bits_ & ~b.bits_); }
    friend constexpr TFontStyles operator*(TFontStyles a, TFontStyles b) { return FromBits(a.bits_ & b.bits_); }
    friend constexpr bool operator==(TFontStyles a, TFontStyles b) = default;

private:
    unsigned bits_ = 0;
};

using TFontCharset = std::uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset SHIFTJIS_CHARSET = 128;
constexpr TFontCharset HANGEUL_CHARSET = 129;
constexpr TFontCharset GB2312_CHARSET = 134;
constexpr TFontCharset CHINESEBIG5_CHARSET = 136;
constexpr TFontCharset OEM_CHARSET = 255;

enum TFontPitch { fpDefault, fpVariable, fpFixed };
// fqDefault and fqNonAntialiased draw one-bit glyphs (exact colours, as masks
// need); the others anti-alias against what lies below.
enum TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType, fqClearTypeNatural };

// Fonts at 96 pixels per inch: Size in points, Height in pixels (negative = the
// character height without internal leading, as the framework keeps it).
class GFX_API TFont : public TGraphicsObject {
public:
    static constexpr int PixelsPerInch = 96;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& value);
    int Size() const;
    void SetSize(int points);
    int Height() const { return height_; }
    void SetHeight(int pixels);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset value);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch value);
    TFontQuality Quality() const { return quality_; }
    void SetQuality(TFontQuality value);
    int Orientation() const { return orientation_; } // tenths of a degree; kept, drawn upright
    void SetOrientation(int value);
    void Assign(const TFont& source);

private:
    std::string name_ = "MS Sans Serif";
    int height_ = -11; // 8 points
    TFontStyles style_;
    TColor color_ = clWindowText;
    TFontCharset charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = fpDefault;
    TFontQuality quality_ = fqDefault;
    int orientation_ = 0;
};

// ---------------------------------------------------------------------------
// A palette entry / DIB colour-table entry, blue first as stored in files.
struct TRGBQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};
struct TRGBTriple {
    std::uint8_t rgbtBlue = 0;
    std::uint8_t rgbtGreen = 0;
    std::uint8_t rgbtRed = 0;
};
static_assert(sizeof(TRGBQuad) == 4 && sizeof(TRGBTriple) == 3);

inline TColor QuadToColor(TRGBQuad q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }
inline TRGBQuad ColorToQuad(TColor c)
{
    c = ColorToRGB(c);
    return {static_cast<std::uint8_t>(GetBValue(c)), static_cast<std::uint8_t>(GetGValue(c)),
            static_cast<std::uint8_t>(GetRValue(c)), 0};
}

// ---------------------------------------------------------------------------
// Base of every picture kind (bitmap, JPEG, icon, PNG). Pictures are drawn on a
// canvas into a rectangle (stretching) and read from / written to streams.
class GFX_API TGraphic : public TObject {
public:
    int Width() const { return GetWidth(); }
    int Height() const { return GetHeight(); }
    void SetWidth(int value) { SetWidthImpl(value); }
    void SetHeight(int value) { SetHeightImpl(value); }
    bool Empty() const { return GetEmpty(); }
    bool Transparent() const { return GetTransparent(); }
    void SetTransparent(bool value) { SetTransparentImpl(value); }
    bool Modified() const { return modified_; }
    void SetModified(bool value);

    // dest.Assign(source): a kind that does not know the source asks
    // source.AssignTo(dest); neither knowing raises EConvertError.
    virtual void Assign(const TGraphic& source);
    virtual void AssignTo(TGraphic& dest) const;

    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) const = 0;
    virtual void LoadFromFile(const std::string& path);     // EFOpenError, EInvalidGraphic
    virtual void SaveToFile(const std::string& path) const; // EFCreateError
    // The colour table of a palette picture; empty for true-colour ones.
    virtual std::vector<TRGBQuad> GetPalette() const { return {}; }
    // Kind name for messages ("TBitmap").
    virtual std::string ClassName() const = 0;

    TNotifyEvent OnChange;

protected:
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual bool GetEmpty() const = 0;
    virtual bool GetTransparent() const { return transparent_; }
    virtual void SetWidthImpl(int value) = 0;
    virtual void SetHeightImpl(int value) = 0;
    virtual void SetTransparentImpl(bool value);
    virtual void Changed();

    bool transparent_ = false;

private:
    bool modified_ = false;
};
