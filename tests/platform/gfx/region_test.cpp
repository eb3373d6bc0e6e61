// Regions: rectangle lists, set operations, rounded shapes, point tests.
#include "gfx/region.h"

#include <gtest/gtest.h>

namespace {

int Area(const TRegion& r)
{
    int a = 0;
    for (const TRect& x : r.Rects()) a += x.Width() * x.Height();
    return a;
}

} // namespace

TEST(Regions, FromARectangleListLikeAWindowShape)
{
    // Runs of opaque pixels per row, as a shaped window's picture gives them.
    std::vector<TRect> runs;
    for (int y = 0; y < 10; ++y) {
        runs.push_back(Rect(2, y, 8, y + 1));
        if (y >= 5) runs.push_back(Rect(10, y, 12, y + 1));
    }
    const TRegion rgn = TRegion::FromRects(runs);
    EXPECT_EQ(Area(rgn), 10 * 6 + 5 * 2);
    EXPECT_EQ(rgn.Bounds(), Rect(2, 0, 12, 10));
    // Rows with the same runs merge into bands.
    EXPECT_EQ(rgn.Rects().size(), 3u);
    EXPECT_TRUE(rgn.Contains(2, 0));
    EXPECT_FALSE(rgn.Contains(8, 0)); // right edge is outside
    EXPECT_FALSE(rgn.Contains(10, 4));
    EXPECT_TRUE(rgn.Contains(11, 9));
    EXPECT_FALSE(rgn.Contains(11, 10));
    // The same shape built by one union per run.
    TRegion step;
    for (const TRect& r : runs) CombineRgn(step, step, CreateRectRgnIndirect(r), RGN_OR);
    EXPECT_TRUE(step == rgn);
    EXPECT_EQ(step.Rects(), rgn.Rects());
}

TEST(Regions, OverlappingRectanglesAreCountedOnce)
{
    const TRegion r = TRegion::FromRects({Rect(0, 0, 10, 10), Rect(5, 5, 15, 15), Rect(0, 0, 10, 10)});
    EXPECT_EQ(Area(r), 100 + 100 - 25);
    for (std::size_t i = 0; i < r.Rects().size(); ++i)
        for (std::size_t j = i + 1; j < r.Rects().size(); ++j) {
            TRect c;
            EXPECT_FALSE(IntersectRect(c, r.Rects()[i], r.Rects()[j]));
        }
}

TEST(Regions, SetOperationsAndKinds)
{
    const TRegion a = CreateRectRgn(0, 0, 10, 10);
    const TRegion b = CreateRectRgn(5, 0, 15, 10);
    TRegion out;
    EXPECT_EQ(CombineRgn(out, a, b, RGN_AND), SIMPLEREGION);
    EXPECT_EQ(out.Bounds(), Rect(5, 0, 10, 10));
    EXPECT_EQ(CombineRgn(out, a, b, RGN_OR), SIMPLEREGION);
    EXPECT_EQ(out.Bounds(), Rect(0, 0, 15, 10));
    EXPECT_EQ(CombineRgn(out, a, b, RGN_DIFF), SIMPLEREGION);
    EXPECT_EQ(out.Bounds(), Rect(0, 0, 5, 10));
    EXPECT_EQ(CombineRgn(out, a, b, RGN_XOR), COMPLEXREGION);
    EXPECT_EQ(Area(out), 100);
    EXPECT_FALSE(out.Contains(7, 5));
    EXPECT_EQ(CombineRgn(out, a, a, RGN_DIFF), NULLREGION);
    EXPECT_TRUE(out.Empty());
    EXPECT_EQ(CombineRgn(out, a, b, 99), ERROR_REGION);
    // A hole in the middle.
    const TRegion frame = a.Subtract(CreateRectRgn(3, 3, 7, 7));
    EXPECT_TRUE(PtInRegion(frame, 0, 0));
    EXPECT_FALSE(PtInRegion(frame, 5, 5));
    EXPECT_EQ(Area(frame), 100 - 16);
    TRect box;
    EXPECT_EQ(GetRgnBox(frame, box), COMPLEXREGION);
    EXPECT_EQ(box, Rect(0, 0, 10, 10));
    TRegion moved = frame;
    OffsetRgn(moved, 100, 50);
    EXPECT_TRUE(moved.Contains(100, 50));
    EXPECT_FALSE(moved.Contains(105, 55));
    EXPECT_TRUE(CreateRectRgn(5, 5, 5, 9).Empty());
}

TEST(Regions, RoundedShapesCutTheirCorners)
{
    const TRegion rr = CreateRoundRectRgn(0, 0, 40, 20, 10, 10);
    EXPECT_FALSE(rr.Contains(0, 0));
    EXPECT_FALSE(rr.Contains(39, 19));
    EXPECT_TRUE(rr.Contains(20, 0));
    EXPECT_TRUE(rr.Contains(0, 10));
    EXPECT_TRUE(rr.Contains(39, 10));
    EXPECT_EQ(rr.Bounds(), Rect(0, 0, 40, 20));
    const TRegion e = CreateEllipticRgn(0, 0, 20, 20);
    EXPECT_TRUE(e.Contains(10, 10));
    EXPECT_FALSE(e.Contains(1, 1));
    EXPECT_NEAR(Area(e), 314, 20);
    // Zero-size corners are a plain rectangle.
    EXPECT_TRUE(CreateRoundRectRgn(0, 0, 5, 5, 0, 0) == CreateRectRgn(0, 0, 5, 5));
}
