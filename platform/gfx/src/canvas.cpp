// The canvas: tools, state and the drawing calls.
#include "gfx/canvas.h"

#include "gfx/bitmap.h"
#include "gfx/fonts.h"
#include "gfx/gdi.h"

struct TCanvas::State {};

TCanvas::TCanvas(TBitmap* target) : target_(target), copyMode_(SRCCOPY), stretchMode_(BLACKONWHITE), bkMode_(OPAQUE) {}
TCanvas::~TCanvas() = default;
void TCanvas::SetTarget(TBitmap* target) { target_ = target; }
void TCanvas::MoveTo(int x, int y) { penPos_ = {x, y}; }
void TCanvas::LineTo(int x, int y) { penPos_ = {x, y}; }
void TCanvas::Polyline(std::span<const TPoint>) {}
void TCanvas::Polygon(std::span<const TPoint>) {}
void TCanvas::Rectangle(int, int, int, int) {}
void TCanvas::RoundRect(int, int, int, int, int, int) {}
void TCanvas::Ellipse(int, int, int, int) {}
void TCanvas::FillRect(const TRect&) {}
void TCanvas::FrameRect(const TRect&) {}
void TCanvas::DrawFocusRect(const TRect&) {}
void TCanvas::FloodFill(int, int, TColor, TFillStyle) {}
TColor TCanvas::Pixels(int, int) const { return -1; }
void TCanvas::SetPixels(int, int, TColor) {}
void TCanvas::Draw(int, int, TGraphic&) {}
void TCanvas::StretchDraw(const TRect&, TGraphic&) {}
void TCanvas::CopyRect(const TRect&, TCanvas&, const TRect&) {}
void TCanvas::BrushCopy(const TRect&, TBitmap&, const TRect&, TColor) {}
void TCanvas::TextOut(int, int, std::string_view) {}
void TCanvas::TextRect(const TRect&, int, int, std::string_view) {}
int TCanvas::TextWidth(std::string_view) { return 0; }
int TCanvas::TextHeight(std::string_view) { return 0; }
TSize TCanvas::TextExtent(std::string_view) { return {}; }
void TCanvas::GetTextMetrics(TTextMetric&) {}
TRect TCanvas::ClipRect() const { return {}; }
void TCanvas::SetClipRect(const TRect&) {}
void TCanvas::IntersectClipRect(const TRect&) {}
void TCanvas::ExcludeClipRect(const TRect&) {}
void TCanvas::SelectClipRegion(const TRegion*) {}
int TCanvas::SaveDC() { return 0; }
bool TCanvas::RestoreDC(int) { return false; }
int TCanvas::SetStretchBltMode(int mode) { int old = stretchMode_; stretchMode_ = mode; return old; }
int TCanvas::SetBkMode(int mode) { int old = bkMode_; bkMode_ = mode; return old; }
TColor TCanvas::SetBkColor(TColor color) { TColor old = bkColor_; bkColor_ = color; return old; }
void TCanvas::BrushChanged() {}
