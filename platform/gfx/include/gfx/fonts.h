#pragma once
// Fonts through FreeType and fontconfig: the desktop's family names map to
// installed fonts ("Arial" -> Liberation Sans, "Tahoma"/"MS Sans Serif" ->
// DejaVu Sans or Liberation Sans). The engine behind it is shared and locked.
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

struct TFontFamily {
    std::string Name;
    int FontType = 0;          // TRUETYPE_FONTTYPE for scalable outline fonts
    bool FixedPitch = false;
};

// Every installed family once, sorted by name, plus the desktop names that
// resolve ("Arial", "Tahoma", "MS Sans Serif", "Times New Roman", "Courier New").
std::vector<TFontFamily> EnumFontFamilies();
// Family names only, as Screen.Fonts lists them.
std::vector<std::string> ScreenFonts();
// The file that draws a family with a style; "" when no font is installed at all.
std::string ResolveFontFile(const std::string& family, TFontStyles style = {});
// The installed family a desktop name maps to ("Arial" -> "Liberation Sans").
std::string ResolveFontFamily(const std::string& family);
// A font file by its desktop file name, case-insensitively ("ARIAL.TTF",
// "arialbd.ttf", "tahoma.ttf"): an installed file of that name, else the
// matching family's file; "" when nothing fits.
std::string FindFontFile(const std::string& fileName);

// Metrics of a font at 96 dpi.
TTextMetric FontMetrics(const TFont& font);
