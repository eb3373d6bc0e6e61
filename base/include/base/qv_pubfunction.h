#pragma once
// Two helpers shared by the disc windows: the DVD write-speed label and the
// sort of chapter seconds.
#include "gfx/graphics.h"

#include <cstdint>
#include <string>
#include <vector>

class TBitmap;

// "DVD-1 X" style label of a write speed in KB/s.
std::string SimpleDvdSpeed(int kbPerSecond);
// Sorts a[lo..hi] ascending in place; bounds outside the array are clipped to it.
void QuickSortInts(std::vector<std::int32_t>& a, int lo, int hi);

// The picture part of fitting a clip's snapshot into its tile: tile becomes a
// black width x height bitmap with the snapshot stretched (colour on colour)
// into its centre, aspect ratio kept. The ratio is the shape the snapshot is
// shown at (width / height), 0 for its own: a picture of pixels that are not
// square is drawn at the shape its file declares. An empty snapshot leaves the
// tile black.
void FitSnapshotToTile(TBitmap& tile, TBitmap& snapshot, int width, int height, double pictureRatio = 0);

class TCanvas;
// Draws a picture's shape at (x, y): every pixel whose colour differs from the
// picture's own top-left pixel, in its own colour, or all in `colour` unless
// that is clNone. The other pixels leave the canvas as it was.
void StampKeyedPicture(TCanvas& canvas, const TBitmap& picture, int x, int y, TColor colour = clNone);

class TControl;
// Enables or disables every control below a windowed control with children
// (the control itself keeps its state); a control without children is set itself.
void SetControlsEnabled(bool enabled, TControl* control);
