#pragma once
// Fonts through FreeType and fontconfig: the desktop's family names map to
// installed fonts ("Arial" -> Liberation Sans, "Tahoma"/"MS Sans Serif" ->
// DejaVu Sans or Liberation Sans). The engine behind it is shared and locked.
#include "gfx/export.h"
#include "gfx/graphics.h"

#include <string>
#include <vector>

struct TTextMetric {
    int tmHeight = 0;          // ascent + descent
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0; // height minus the em size in pixels
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;    // the font's own average width (OS/2 table), else the advance of 'x'
    int tmMaxCharWidth = 0;
    int tmWeight = 400;
    bool tmItalic = false;
    bool tmUnderlined = false;
    bool tmStruckOut = false;
    bool tmFixedPitch = false;
};

// Flags of a family in the enumeration, as the font combo box shows them.
constexpr int RASTER_FONTTYPE = 0x1;
constexpr int DEVICE_FONTTYPE = 0x2;
constexpr int TRUETYPE_FONTTYPE = 0x4;

// A font as the font lists report it: a whole family, or one size of a
// bitmap family. Sizes are pixels at TFont::PixelsPerInch.
struct TFontFamily {
    std::string Name;
    int FontType = 0;          // TRUETYPE_FONTTYPE for scalable outline fonts, else RASTER_FONTTYPE
    bool FixedPitch = false;
    // ANSI_CHARSET for a font covering Latin-1, SYMBOL_CHARSET for a symbol-only one, else DEFAULT_CHARSET.
    TFontCharset CharSet = ANSI_CHARSET;
    int CellHeight = 0;        // a bitmap size: the character cell's height
    int InternalLeading = 0;   // ... and the part of it above the em (size in points = (cell - leading) * 72 / dpi)
};

// Where the font lists come from: the installed fonts, or a list a test feeds.
class IFontEnumerator {
public:
    virtual ~IFontEnumerator() = default;
    // Every family once, sorted by name, with the desktop names that resolve
    // ("Arial", "Tahoma", "MS Sans Serif", "Times New Roman", "Courier New").
    virtual std::vector<TFontFamily> Families() = 0;
    // The fonts of one family (name compared ignoring case): one entry for a
    // scalable family, one per size for a bitmap family; none when not installed.
    virtual std::vector<TFontFamily> FamilyFonts(const std::string& family) = 0;
};
// The enumerator in use: fontconfig's unless a test installed another.
GFX_API IFontEnumerator& FontEnumerator();
// Installs an enumerator for the whole process (not owned); nullptr restores fontconfig's.
GFX_API void SetFontEnumerator(IFontEnumerator* enumerator);

// The enumerator's families and the fonts of one family. Printers draw with the
// same installed fonts, so a printer's list is this one too.
GFX_API std::vector<TFontFamily> EnumFontFamilies();
GFX_API std::vector<TFontFamily> EnumFontFamily(const std::string& family);
// Family names only, as Screen.Fonts lists them.
GFX_API std::vector<std::string> ScreenFonts();
// The file that draws a family with a style; "" when no font is installed at all.
GFX_API std::string ResolveFontFile(const std::string& family, TFontStyles style = {});
// The installed family a desktop name maps to ("Arial" -> "Liberation Sans").
GFX_API std::string ResolveFontFamily(const std::string& family);
// A font file by its desktop file name, case-insensitively ("ARIAL.TTF",
// "arialbd.ttf", "tahoma.ttf"): an installed file of that name, else the
// matching family's file; "" when nothing fits.
GFX_API std::string FindFontFile(const std::string& fileName);

// Metrics of a font at 96 dpi.
GFX_API TTextMetric FontMetrics(const TFont& font);
