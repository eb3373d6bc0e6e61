#pragma once
// Drawing, region and layout helpers shared by every skinned control.
#include "gfx/region.h"
#include "gfx/types.h"
#include "skin/kivthemes.h"

class TBitmap;
class TCanvas;
class TControl;
class TCustomForm;
class TWinControl;
class TkivFileTheme;

constexpr int kivKeyColor = 0xFF00FF; // pixels of this colour are never drawn where pictures are keyed

// Copies strip `index` (1-based) of `count` equal side-by-side strips of the
// source into the destination, which takes the strip's size. A count below 1
// copies the whole picture; the index is kept within 1..count.
void SpitBitmap(TBitmap* source, TBitmap* destination, int count, int index);

// Repeats the picture from the canvas origin over the rectangle's size.
void TileDraw(TCanvas* canvas, TBitmap* picture, const TRect& rect);

// Nine-part draw keeping the picture's corners; bands and centre are stretched
// from the picture's middle lines. Corners are keyed by 0xFF00FF when transparent.
void SpitDraw(TBitmap* bitmap, TCanvas* canvas, const TRect& rect, bool transparent);

// Three equal parts side by side (left end, middle, right end): ends unscaled,
// middle stretched. The key is the top-left pixel with keyCorner, else the
// bottom-left one; it masks when transparent, 0xFF00FF masks otherwise.
void SpitDrawHorizontal(TBitmap* bitmap, TCanvas* canvas, const TRect& rect, bool keyCorner, bool transparent);

// Row runs of the pixels that differ from the transparent colour. The last
// column never joins a run (the shape the skinned windows were drawn for).
TRegion BitmapRegion(TBitmap* bitmap, int transparentColor);
// Shapes the form by the picture (client coordinates).
void SetBitmapWindow(TCustomForm* form, TBitmap* bitmap, int transparentColor);

// Quarter turn counter-clockwise, half turn, quarter turn clockwise (in place).
void RoundPicture(TBitmap* bitmap);
void RoundPicture2(TBitmap* bitmap);
void RoundPicture3(TBitmap* bitmap);

// Both edges inclusive.
bool InRect(int x, int y, const TRect& rect);
inline bool InRect(TPoint p, const TRect& rect) { return InRect(p.X, p.Y, rect); }

void PlaceControl(TControl* control, TPoint p);
void PlaceControl(TControl* control, const TRect& rect);

// Paints what lies below the control (its parent's background and the
// windowless controls under it) into `canvas`, whose origin is the control's top-left.
void DoTrans(TCanvas* canvas, TControl* control);

// Every direct skinned child gets the file theme, then the style.
void ContainerApplyUIStyle(TWinControl* container, TkivUIStyle style, TkivFileTheme* fileTheme);
