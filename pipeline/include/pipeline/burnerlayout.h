#pragma once
// Where the disc-burner setup window's pieces sit on its skin. The artwork
// generator paints the skin and its buttons from the same places, so the
// pictures and the window agree.
#include "base/mainlayout.h"

namespace burnerlayout {

using mainlayout::Place;

constexpr int kWidth = 600, kHeight = 500, kBandHeight = 52;

// The panel behind the controls.
constexpr Place kBody = {16, 60, 568, 392};
// The disc kind's pictures (volume and SVCD or VCD mark) and the note beside them.
constexpr Place kVolume = {30, 68, 36, 36};
constexpr Place kKind = {72, 72, 84, 28};
constexpr Place kNote = {164, 79, 260, 16};
// Add files (SVCD, VCD) and add a folder (DVD) share one place.
constexpr Place kAdd = {440, 70, 130, 32};
// The file grid: name, type and size in megabytes.
constexpr Place kGrid = {30, 112, 540, 290};
constexpr int kRowHeight = 18;
// The disc fill under the grid.
constexpr Place kFillLabel = {30, 420, 110, 16};
constexpr Place kFill = {142, 418, 428, 18};
// Burn, and the close button in the title band.
constexpr Place kBurn = {460, 458, 110, 34};
constexpr Place kClose = {566, 14, 24, 24};

// Colours of texts on the skin (framework colour values, red in the low byte).
constexpr unsigned kTextColor = 0xFAEEE4, kDimTextColor = 0xC4A07F;

// Picture files in BMP/ (buttons hold their four states side by side).
constexpr const char* kSkinFile = "BurnerSkin.bmp";
constexpr const char* kAddFilesFile = "BurnerAddFiles.bmp";
constexpr const char* kAddFolderFile = "BurnerAddFolder.bmp";
constexpr const char* kBurnFile = "BurnerBurn.bmp";
constexpr const char* kCloseFile = "BurnerClose.bmp";
constexpr const char* kVolumeFile = "BurnerVolume.bmp";
constexpr const char* kSvcdFile = "BurnerSVCD.bmp";
constexpr const char* kVcdFile = "BurnerVCD.bmp";

} // namespace burnerlayout
