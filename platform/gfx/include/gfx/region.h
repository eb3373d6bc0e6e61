#pragma once
// Regions: sets of pixels held as sorted, non-overlapping rectangles in bands.
#include "gfx/export.h"
#include "gfx/types.h"

#include <vector>

class GFX_API TRegion {
public:
    TRegion() = default;
    explicit TRegion(const TRect& r);

    static TRegion FromRect(const TRect& r) { return TRegion(r); }
    static TRegion FromRects(const std::vector<TRect>& rects); // the union of the list
    static TRegion Ellipse(const TRect& r);
    static TRegion RoundRect(const TRect& r, int ellipseWidth, int ellipseHeight);

    bool Empty() const { return rects_.empty(); }
    bool Contains(int x, int y) const;
    bool Contains(TPoint p) const { return Contains(p.X, p.Y); }
    bool IntersectsRect(const TRect& r) const;
    TRect Bounds() const;
    const std::vector<TRect>& Rects() const { return rects_; }
    void Offset(int dx, int dy);

    TRegion Union(const TRegion& other) const;
    TRegion Intersect(const TRegion& other) const;
    TRegion Subtract(const TRegion& other) const;
    TRegion Xor(const TRegion& other) const;
    // Same pixels (whatever the rectangles they are held in).
    friend bool operator==(const TRegion& a, const TRegion& b) { return a.Xor(b).Empty(); }

private:
    enum class Op { Union, Intersect, Subtract, Xor };
    static TRegion Combine(const TRegion& a, const TRegion& b, Op op);
    std::vector<TRect> rects_;
};

// The desktop's region calls over TRegion values.
enum { ERROR_REGION = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
enum { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

inline TRegion CreateRectRgn(int left, int top, int right, int bottom) { return TRegion(Rect(left, top, right, bottom)); }
inline TRegion CreateRectRgnIndirect(const TRect& r) { return TRegion(r); }
GFX_API TRegion CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
GFX_API TRegion CreateEllipticRgn(int left, int top, int right, int bottom);
// dest := a op b (b unused for RGN_COPY); answers the kind of the result.
GFX_API int CombineRgn(TRegion& dest, const TRegion& a, const TRegion& b, int mode);
inline bool PtInRegion(const TRegion& rgn, int x, int y) { return rgn.Contains(x, y); }
inline void OffsetRgn(TRegion& rgn, int dx, int dy) { rgn.Offset(dx, dy); }
GFX_API int GetRgnBox(const TRegion& rgn, TRect& box);
