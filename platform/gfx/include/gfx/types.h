#pragma once
// Points, sizes and rectangles with the framework's field names. A rectangle's
// right and bottom edges are exclusive, as everywhere in the canvas.
#include <algorithm>

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int x, int y) { return {x, y}; }
inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TRect Rect(TPoint topLeft, TPoint bottomRight) { return {topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y}; }
inline TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }
inline int RectWidth(const TRect& r) { return r.Right - r.Left; }
inline int RectHeight(const TRect& r) { return r.Bottom - r.Top; }

// Right and bottom are outside the rectangle.
inline bool PtInRect(const TRect& r, TPoint p)
{
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
inline bool IsRectEmpty(const TRect& r) { return r.IsEmpty(); }
inline bool EqualRect(const TRect& a, const TRect& b) { return a == b; }

// Answers whether the intersection is non-empty; an empty result is set to (0,0,0,0).
inline bool IntersectRect(TRect& dest, const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty()) {
        dest = TRect{};
        return false;
    }
    dest = r;
    return true;
}

// The smallest rectangle holding both; empty rectangles are ignored.
inline bool UnionRect(TRect& dest, const TRect& a, const TRect& b)
{
    if (a.IsEmpty()) dest = b;
    else if (b.IsEmpty()) dest = a;
    else dest = {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                 std::max(a.Bottom, b.Bottom)};
    if (dest.IsEmpty()) {
        dest = TRect{};
        return false;
    }
    return true;
}

inline bool OffsetRect(TRect& r, int dx, int dy)
{
    r.Left += dx;
    r.Right += dx;
    r.Top += dy;
    r.Bottom += dy;
    return true;
}

inline bool InflateRect(TRect& r, int dx, int dy)
{
    r.Left -= dx;
    r.Right += dx;
    r.Top -= dy;
    r.Bottom += dy;
    return true;
}

inline bool SetRect(TRect& r, int left, int top, int right, int bottom)
{
    r = {left, top, right, bottom};
    return true;
}
