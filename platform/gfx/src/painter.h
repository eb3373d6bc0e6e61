#pragma once
// What every drawing call shares: the target's pixels in device coordinates,
// the clip as a list of rectangles, and "inks" that say how a pixel's new
// colour is made (pen or brush colour, hatch or pattern, and the pen's mix mode).
#include "gfx/bitmap.h"
#include "gfx/canvas.h"

#include <cstdint>
#include <string_view>
#include <vector>

// Colours inside the painter are 0x00RRGGBB-agnostic 24-bit TColor values
// (already resolved by ColorToRGB).
struct Ink {
    enum Kind { Solid, Hatch, Pattern, None };
    Kind kind = Solid;
    TColor color = 0;          // solid colour, or the hatch lines' colour
    TBrushStyle hatch = bsSolid;
    bool hatchOpaque = false;  // hatch gaps painted with background
    TColor background = 0;
    const TBitmap* pattern = nullptr;
    TPenMode mode = pmCopy;

    static Ink FromColor(TColor c, TPenMode mode = pmCopy);
};

TColor MixPen(TPenMode mode, TColor pen, TColor screen);

class TCanvasPainter {
public:
    explicit TCanvasPainter(TCanvas& canvas);

    bool Ok() const { return bitmap_ != nullptr && !clips_.empty(); }
    TBitmap& Bitmap() const { return *bitmap_; }
    const std::vector<TRect>& Clips() const { return clips_; }
    TRect ClipBounds() const;
    TPoint Origin() const { return origin_; }
    int DevX(int x) const { return x + origin_.X; }
    int DevY(int y) const { return y + origin_.Y; }

    // Inks from the canvas's tools. PenInk is None for a clear pen; BrushInk is
    // None for a clear brush. withMode applies the pen's mix mode to the brush too
    // (shape interiors); FillRect-like calls copy.
    Ink PenInk() const;
    Ink BrushInk(bool withMode) const;

    bool Visible(int x, int y) const; // device pixel inside the clip
    void Plot(int x, int y, const Ink& ink);
    void Span(int y, int x0, int x1, const Ink& ink); // [x0, x1) on device row y
    void FillRect(const TRect& r, const Ink& ink);    // device rectangle
    TColor Read(int x, int y) const { return bitmap_->Pixel(x, y); }
    void Write(int x, int y, TColor c); // raw write (no clip test)
    TColor InkColor(const Ink& ink, int x, int y, bool& skip) const;

    // Thin (one-pixel) line, end point excluded, with the pen's dash style.
    void ThinLine(int x0, int y0, int x1, int y1, const Ink& ink, TPenStyle style, int& dashPhase);
    // Blends a coverage value (0..255) of the colour over the pixel.
    void Blend(int x, int y, TColor color, int coverage);

private:
    TCanvas& canvas_;
    TBitmap* bitmap_;
    TPoint origin_;
    std::vector<TRect> clips_;
};

// A set of device pixels collected before drawing, so overlapping stamps of a
// wide pen touch each pixel once (xor modes stay right).
class TCoverage {
public:
    void Set(int x, int y);
    void Disc(int cx, int cy, int width); // a round stamp of the pen's width centred on the pixel
    void Apply(TCanvasPainter& painter, const Ink& ink) const;

private:
    std::vector<std::pair<int, int>> points_;
};

// Spans of shapes, shared by the canvas and regions: the pixels whose centres
// lie inside, [x0, x1) on row y. False when the row has none.
bool EllipseSpan(const TRect& box, int y, int& x0, int& x1);
bool RoundRectSpan(const TRect& box, int ellipseWidth, int ellipseHeight, int y, int& x0, int& x1);

// Draws one line of text with its top-left at logical (x, y):
// background box when opaque, glyphs in the font colour, underline/strike-out,
// plus an underline under bytes [underlineFrom, underlineTo) (prefix "&").
// clip (logical) further limits the pixels; null = the canvas clip only.
void PaintText(TCanvas& canvas, int x, int y, std::string_view text, const TRect* clip, bool opaque,
               std::size_t underlineFrom = 0, std::size_t underlineTo = 0);
