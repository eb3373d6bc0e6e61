#pragma once
// Where the burning-process window's pieces sit on its skin (window
// coordinates, those inside the group box too). The artwork generator paints
// the skin and its buttons from the same places.
#include "base/mainlayout.h"

namespace burninglayout {

using mainlayout::Place;

constexpr int kWidth = 600, kHeight = 480, kBandHeight = 52;

// The panel behind the controls.
constexpr Place kBody = {12, 58, 576, 394};
// "Burner Device": caption left, control right, on two lines.
constexpr Place kGroup = {24, 66, 552, 84};
constexpr Place kDriveLabel = {36, 96, 82, 16}, kDrive = {118, 92, 300, 22};
constexpr Place kSpeedLabel = {36, 124, 82, 16}, kSpeed = {118, 120, 120, 22};
constexpr Place kVolumeLabel = {300, 124, 84, 16}, kVolume = {384, 120, 180, 22};
// The log, and the time box beside it with its two lines.
constexpr Place kLog = {24, 162, 360, 206};
constexpr Place kStatus = {396, 162, 180, 206};
constexpr Place kUsedCaption = {410, 180, 150, 16}, kUsed = {410, 200, 150, 24};
constexpr Place kRemainCaption = {410, 244, 150, 16}, kRemain = {410, 264, 150, 24};
// The burn's bar and its caption.
constexpr Place kBarLabel = {24, 382, 120, 16}, kBar = {146, 381, 430, 18};
// Start (Stop takes its place) and the close button in the title band.
constexpr Place kStart = {466, 412, 110, 34};
constexpr Place kClose = {566, 14, 24, 24};

// Picture files in BMP/ (buttons hold their four states side by side).
constexpr const char* kSkinFile = "BurningSkin.bmp";
constexpr const char* kStartFile = "BurningStart.bmp";
constexpr const char* kStopFile = "BurningStop.bmp";
constexpr const char* kCloseFile = "BurningClose.bmp";

} // namespace burninglayout
