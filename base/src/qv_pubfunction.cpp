#include "base/qv_pubfunction.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "vcl/controls.h"

#include <algorithm>
#include <cmath>
#include <utility>

std::string SimpleDvdSpeed(int kbPerSecond)
{
    static const std::pair<int, const char*> kLabels[] = {
        {1023, "DVD-0.5 X"}, {1707, "DVD-1 X"},   {2391, "DVD-1.5 X"}, {3008, "DVD-2 X"},   {4367, "DVD-2.4 X"},
        {6151, "DVD-4 X"},   {7519, "DVD-5 X"},   {9564, "DVD-6 X"},   {12301, "DVD-8 X"},  {15038, "DVD-10 X"},
        {19127, "DVD-12 X"}, {24060, "DVD-16 X"}, {30074, "DVD-20 X"},
    };
    for (const auto& [bound, label] : kLabels)
        if (kbPerSecond < bound)
            return label;
    return "DVD-24 X";
}

namespace {

int Partition(std::vector<std::int32_t>& a, int lo, int hi)
{
    const std::int32_t pivot = a[lo];
    do {
        while (hi > lo && a[hi] >= pivot)
            --hi;
        std::swap(a[lo], a[hi]);
        while (hi > lo && a[lo] <= pivot)
            ++lo;
        std::swap(a[lo], a[hi]);
    } while (hi > lo);
    return lo;
}

} // namespace

void QuickSortInts(std::vector<std::int32_t>& a, int lo, int hi)
{
    if (a.empty())
        return;
    lo = std::max(lo, 0);
    hi = std::min(hi, static_cast<int>(a.size()) - 1);
    // Recurse into the smaller side and loop over the larger, so sorted input
    // cannot exhaust the stack.
    while (hi > lo) {
        const int p = Partition(a, lo, hi);
        if (p - lo < hi - p) {
            QuickSortInts(a, lo, p - 1);
            lo = p + 1;
        } else {
            QuickSortInts(a, p + 1, hi);
            hi = p - 1;
        }
    }
}

void FitSnapshotToTile(TBitmap& tile, TBitmap& snapshot, int width, int height, double pictureRatio)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    tile = TBitmap(width, height);
    TCanvas& canvas = *tile.Canvas();
    canvas.Pen()->SetColor(clBlack);
    canvas.Brush()->SetColor(clBlack);
    canvas.FillRect(Rect(0, 0, width, height));
    if (width == 0 || height == 0 || snapshot.Width() <= 0 || snapshot.Height() <= 0)
        return;
    const double controlRatio = static_cast<double>(width) / height;
    if (!(pictureRatio > 0) || !std::isfinite(pictureRatio))
        pictureRatio = static_cast<double>(snapshot.Width()) / snapshot.Height();
    int w, h;
    if (controlRatio <= pictureRatio) {
        w = width;
        h = static_cast<int>(width / pictureRatio);
    } else {
        h = height;
        w = static_cast<int>(height * pictureRatio);
    }
    SetStretchBltMode(&canvas, COLORONCOLOR);
    const int left = (width - w) / 2, top = (height - h) / 2;
    StretchBlt(&canvas, left, top, (w + width) / 2 - left, (h + height) / 2 - top, snapshot.Canvas(), 0, 0,
               snapshot.Width(), snapshot.Height(), SRCCOPY);
}

void StampKeyedPicture(TCanvas& canvas, const TBitmap& picture, int x, int y, TColor colour)
{
    if (picture.Empty())
        return;
    const TColor key = picture.Pixel(0, 0);
    for (int py = 0; py < picture.Height(); ++py)
        for (int px = 0; px < picture.Width(); ++px) {
            const TColor c = picture.Pixel(px, py);
            if (c != key)
                canvas.SetPixels(x + px, y + py, colour == clNone ? c : colour);
        }
}

void SetControlsEnabled(bool enabled, TControl* control)
{
    if (!control)
        return;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (!windowed || windowed->ControlCount() == 0) {
        control->SetEnabled(enabled);
        return;
    }
    for (int i = 0; i < windowed->ControlCount(); ++i) {
        TControl* child = windowed->Controls(i);
        if (dynamic_cast<TWinControl*>(child))
            SetControlsEnabled(enabled, child);
        else if (child)
            child->SetEnabled(enabled);
    }
}
