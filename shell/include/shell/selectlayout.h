#pragma once
// Where the disc-kind choice window's pieces sit on its skin. The artwork
// generator paints each picture over the part of the skin it covers, so the
// pictures and the window agree. Kinds in order: DVD, SVCD, VCD.
#include "base/mainlayout.h"

namespace selectlayout {

using mainlayout::Place;

constexpr int kWidth = 572, kHeight = 372;

// The big kind pictures, their captions under them, and the small pictures
// under the captions, which the marker covers for the chosen kind.
constexpr Place kKind[3] = {{33, 64, 150, 104}, {211, 64, 150, 104}, {388, 64, 150, 104}};
constexpr Place kLabel[3] = {{33, 170, 150, 18}, {211, 170, 150, 18}, {388, 170, 150, 18}};
constexpr int kMarkerTop = 192, kMarkerSize = 24;
constexpr int kMarkerLeft[3] = {96, 274, 451};
// The description of the kind under the pointer or chosen, on a flat box of
// its own colour (framework colour values, red in the low byte).
constexpr Place kMemo = {40, 230, 492, 74};
constexpr unsigned kMemoColor = 0x4A2612, kMemoTextColor = 0xFAEEE4;
// Cancel, accept (Next) and the close button in the title band.
constexpr Place kCancel = {300, 320, 110, 34};
constexpr Place kAccept = {424, 320, 110, 34};
constexpr Place kClose = {532, 14, 24, 24};

// Picture files in BMP/ (button pictures hold their four states side by side:
// normal, mouse on, mouse down, disabled).
constexpr const char* kSkinFile = "SelectSkin.bmp";
constexpr const char* kKindFiles[3] = {"SelectDVD.bmp", "SelectSVCD.bmp", "SelectVCD.bmp"};
// The skin is the same along the marker's row, so one spot and one marker picture serve every kind.
constexpr const char* kSpotFile = "SelectSpot.bmp";
constexpr const char* kMarkerFile = "SelectMarker.bmp";
constexpr const char* kCancelFile = "SelectCancel.bmp";
constexpr const char* kAcceptFile = "SelectNext.bmp";
constexpr const char* kCloseFile = "SelectClose.bmp";

} // namespace selectlayout
