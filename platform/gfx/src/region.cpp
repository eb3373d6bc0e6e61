// Regions as banded rectangle lists.
#include "gfx/region.h"

TRegion::TRegion(const TRect& r) { if (!r.IsEmpty()) rects_.push_back(r); }
TRegion TRegion::FromRects(const std::vector<TRect>&) { return {}; }
TRegion TRegion::Ellipse(const TRect&) { return {}; }
TRegion TRegion::RoundRect(const TRect&, int, int) { return {}; }
bool TRegion::Contains(int, int) const { return false; }
bool TRegion::IntersectsRect(const TRect&) const { return false; }
TRect TRegion::Bounds() const { return {}; }
void TRegion::Offset(int, int) {}
TRegion TRegion::Union(const TRegion&) const { return {}; }
TRegion TRegion::Intersect(const TRegion&) const { return {}; }
TRegion TRegion::Subtract(const TRegion&) const { return {}; }
TRegion TRegion::Xor(const TRegion&) const { return {}; }
TRegion TRegion::Combine(const TRegion&, const TRegion&, Op) { return {}; }
TRegion CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) { return TRegion::RoundRect(Rect(l, t, r, b), w, h); }
TRegion CreateEllipticRgn(int l, int t, int r, int b) { return TRegion::Ellipse(Rect(l, t, r, b)); }
int CombineRgn(TRegion&, const TRegion&, const TRegion&, int) { return ERROR_REGION; }
int GetRgnBox(const TRegion&, TRect& box) { box = {}; return NULLREGION; }
