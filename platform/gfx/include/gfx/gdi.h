#pragma once
// The desktop's drawing calls over canvases: block transfers with raster
// operations, stretching modes and formatted text. A TCanvas* stands where a
// device context would.
#include "gfx/export.h"
#include "gfx/canvas.h"

#include <cstdint>
#include <string_view>

// Ternary raster operations: bits 16..23 hold the result for each combination
// of pattern (brush), source and destination.
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t SRCPAINT = 0x00EE0086;
constexpr std::uint32_t SRCAND = 0x008800C6;
constexpr std::uint32_t SRCINVERT = 0x00660046;
constexpr std::uint32_t SRCERASE = 0x00440328;
constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
constexpr std::uint32_t NOTSRCERASE = 0x001100A6;
constexpr std::uint32_t MERGECOPY = 0x00C000CA;
constexpr std::uint32_t MERGEPAINT = 0x00BB0226;
constexpr std::uint32_t PATCOPY = 0x00F00021;
constexpr std::uint32_t PATPAINT = 0x00FB0A09;
constexpr std::uint32_t PATINVERT = 0x005A0049;
constexpr std::uint32_t DSTINVERT = 0x00550009;
constexpr std::uint32_t BLACKNESS = 0x00000042;
constexpr std::uint32_t WHITENESS = 0x00FF0062;

constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmWhiteness = WHITENESS;

// Stretch modes. COLORONCOLOR drops or repeats pixels (colours stay exact);
// HALFTONE averages the source pixels under each destination pixel.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Block transfers. Width/height of the source that differ from the
// destination's stretch; a negative destination size mirrors, covering the
// pixels from x back to x + width + 1. The pattern is the destination
// canvas's brush. Answers false without a target bitmap.
GFX_API bool BitBlt(TCanvas* dest, int x, int y, int width, int height, TCanvas* source, int sx, int sy, std::uint32_t rop);
GFX_API bool StretchBlt(TCanvas* dest, int x, int y, int width, int height, TCanvas* source, int sx, int sy, int sw, int sh,
                        std::uint32_t rop);
GFX_API bool PatBlt(TCanvas* dest, int x, int y, int width, int height, std::uint32_t rop);
// Copies (stretching) every source pixel except those of the key colour.
GFX_API bool TransparentBlt(TCanvas* dest, int x, int y, int width, int height, TCanvas* source, int sx, int sy, int sw,
                            int sh, TColor key);
GFX_API int SetStretchBltMode(TCanvas* canvas, int mode);
GFX_API int GetStretchBltMode(TCanvas* canvas);
GFX_API int SetBkMode(TCanvas* canvas, int mode);
GFX_API TColor SetBkColor(TCanvas* canvas, TColor color);
GFX_API TColor SetTextColor(TCanvas* canvas, TColor color); // sets the font colour; answers the previous one

// DrawText flags.
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_TABSTOP = 0x80;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_EXTERNALLEADING = 0x200;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_INTERNAL = 0x1000;
constexpr unsigned DT_EDITCONTROL = 0x2000;
constexpr unsigned DT_PATH_ELLIPSIS = 0x4000;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_RTLREADING = 0x20000; // accepted; lines are laid out as given
constexpr unsigned DT_WORD_ELLIPSIS = 0x40000;
constexpr unsigned DT_HIDEPREFIX = 0x100000;
constexpr unsigned DT_PREFIXONLY = 0x200000;

// Draws the text into the rectangle with the canvas's font (background as for
// TextOut). "&x" underlines x and "&&" is one "&" unless DT_NOPREFIX. Lines
// break at CR LF / LF / CR unless DT_SINGLELINE; DT_WORDBREAK breaks at blanks
// (a word wider than the rectangle keeps its own line and is clipped).
// DT_EXPANDTABS sets tab stops every eight average character widths.
// DT_VCENTER and DT_BOTTOM apply with DT_SINGLELINE only. DT_CALCRECT draws
// nothing and sets the rectangle's right to its left plus the widest line and
// its bottom to its top plus the text height. Answers the text height (with
// DT_VCENTER/DT_BOTTOM: from the rectangle's top to the text's bottom).
GFX_API int DrawText(TCanvas* canvas, std::string_view text, TRect& rect, unsigned format);
GFX_API bool DrawFocusRect(TCanvas* canvas, const TRect& rect);
