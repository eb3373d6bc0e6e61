#pragma once
// A canvas draws on a bitmap with the desktop's pixel rules: right and bottom
// edges exclusive, a line's end point left out, wide pens centred on the
// outline, nearest-neighbour stretching unless HALFTONE is asked for.
// Coordinates are logical: device = logical + ViewportOrg. One thread at a time
// (Lock/Unlock let a worker hold it).
#include "gfx/export.h"
#include "gfx/graphics.h"
#include "gfx/region.h"
#include "gfx/types.h"

#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TBitmap;
struct TTextMetric;

// Raster operation codes (the ternary operations of BitBlt), also CopyMode.
using TCopyMode = std::uint32_t;
enum TFillStyle { fsSurface, fsBorder };

class GFX_API TCanvas : public TObject {
public:
    explicit TCanvas(TBitmap* target = nullptr);
    ~TCanvas() override;

    // The bitmap drawn on (not owned). Without one every call draws nothing.
    TBitmap* Target() const { return target_; }
    void SetTarget(TBitmap* target);

    TPen* Pen() { return &pen_; }
    TBrush* Brush() { return &brush_; }
    TFont* Font() { return &font_; }
    void SetFont(const TFont& font) { font_.Assign(font); }
    TCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TCopyMode value) { copyMode_ = value; }

    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint p) { penPos_ = p; }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);              // the end point itself is not drawn
    void Polyline(std::span<const TPoint> points);
    void Polygon(std::span<const TPoint> points); // filled with the brush (alternate rule), outlined with the pen

    // Outline with the pen, inside with the brush; covers left..right-1 x top..bottom-1
    // for a one-pixel pen, the pen centred on that outline when wider.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
    void Ellipse(int left, int top, int right, int bottom);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const TRect& r);           // brush only, right and bottom excluded
    void FrameRect(const TRect& r);          // one-pixel frame in the brush colour
    void DrawFocusRect(const TRect& r);      // dotted frame, xor: drawing it twice restores
    void FloodFill(int x, int y, TColor color, TFillStyle style);

    TColor Pixels(int x, int y) const;       // -1 (no colour) outside the clip or the bitmap
    void SetPixels(int x, int y, TColor color);

    // Pictures: Draw honours the picture's transparency; StretchDraw mirrors
    // when the rectangle is given reversed.
    void Draw(int x, int y, TGraphic& graphic);
    void StretchDraw(const TRect& r, TGraphic& graphic);
    // Copies with CopyMode, stretching in the current stretch mode.
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
    // Copies the source with pixels of colour `transparent` replaced by the brush.
    void BrushCopy(const TRect& dest, TBitmap& source, const TRect& sourceRect, TColor transparent);

    // Text in the font's colour; the background box is filled with the brush
    // unless the brush is clear (or the background mode is TRANSPARENT).
    void TextOut(int x, int y, std::string_view text);
    void TextRect(const TRect& r, int x, int y, std::string_view text); // clipped to r
    int TextWidth(std::string_view text);
    int TextHeight(std::string_view text);
    TSize TextExtent(std::string_view text);
    void GetTextMetrics(TTextMetric& metrics);

    // Clipping, in logical coordinates. ClipRect answers the bounds of what may be drawn.
    TRect ClipRect() const;
    void SetClipRect(const TRect& r);        // replaces the clip
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    void SelectClipRegion(const TRegion* region); // null removes the clip
    bool HasClip() const { return hasClip_; }

    TPoint ViewportOrg() const { return origin_; }
    void SetViewportOrg(TPoint origin) { origin_ = origin; }
    void MoveViewportOrg(int dx, int dy) { origin_.X += dx; origin_.Y += dy; }

    // Saved states of the tools, clip, origin and modes; RestoreDC(-1) pops the last.
    int SaveDC();
    bool RestoreDC(int saved);

    int StretchBltMode() const { return stretchMode_; }
    int SetStretchBltMode(int mode);         // answers the previous mode
    int BkMode() const { return bkMode_; }
    int SetBkMode(int mode);                 // TRANSPARENT or OPAQUE; the brush style sets it too
    TColor BkColor() const { return bkColor_; }
    TColor SetBkColor(TColor color);

    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }
    bool TryLock() { return lock_.try_lock(); }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

private:
    struct State;
    friend class TCanvasPainter;
    void BrushChanged();
    TBitmap* target_;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    TPoint penPos_;
    TPoint origin_;
    TCopyMode copyMode_;
    bool hasClip_ = false;
    TRegion clip_;       // device coordinates, when hasClip_
    int stretchMode_;
    int bkMode_;
    TColor bkColor_ = clWhite;
    std::vector<std::unique_ptr<State>> saved_;
    std::recursive_mutex lock_;
};
