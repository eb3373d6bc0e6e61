#pragma once
// Where the menu designer's and the text property dialog's pieces sit on
// their skins. The artwork generator paints the skins' boxes and each
// button's pictures over the part of the skin they cover, so the pictures and
// the windows agree.
#include "base/mainlayout.h"

namespace menulayout {

using mainlayout::Place;

// --- the menu designer ------------------------------------------------------------
constexpr int kWidth = 720, kHeight = 640;
constexpr int kBandHeight = 52;

// The design area: the menu as the disc shows it, 468 x 352.
constexpr Place kPreview = {20, 64, 468, 352};
// The disc-fill gauge beside it, and its word.
constexpr Place kGauge = {500, 64, 16, 352};
constexpr Place kGaugeLabel = {490, 420, 36, 14};
// The background column: thumbnails 101 x 76 at Left 3, Top 30 + 120 k; four show at once.
constexpr Place kBackgrounds = {536, 64, 108, 470};
constexpr Place kBackgroundsLabel = {536, 66, 108, 16};   // over the column's top
constexpr Place kBackgroundScroll = {652, 64, 18, 470};
constexpr Place kLoadImage = {536, 544, 134, 30};
// The buttons under the design area: add, remove, play, stop, previous and next chapter page.
constexpr Place kTitleButtons[6] = {{20, 426, 72, 30},  {98, 426, 72, 30},  {176, 426, 72, 30},
                                    {254, 426, 72, 30}, {332, 426, 72, 30}, {410, 426, 78, 30}};
// The user's own background picture's name, and the menu language.
constexpr Place kBackgroundName = {20, 466, 468, 16};
constexpr Place kLanguageLabel = {20, 496, 150, 16};
constexpr Place kLanguage = {172, 492, 170, 22};
// Back and Next; the close button in the title band.
constexpr Place kBack = {440, 590, 110, 34};
constexpr Place kNext = {560, 590, 110, 34};
constexpr Place kClose = {680, 14, 24, 24};
// The box shown while chapter pictures are made (the designer's own place for it).
constexpr int kProgressLeft = 255, kProgressTop = 267;
constexpr Place kProgressBox = {kProgressLeft, kProgressTop, 300, 80};
constexpr Place kProgressLabel = {16, 14, 268, 18};   // inside the box
constexpr Place kProgressBar = {16, 44, 268, 18};

constexpr unsigned kTextColor = 0xFAEEE4;

constexpr const char* kSkinFile = "MenuSkin.bmp";
constexpr const char* kTitleButtonFiles[6] = {"MenuAdd.bmp",  "MenuDelete.bmp",  "MenuPlay.bmp",
                                              "MenuStop.bmp", "MenuPrevious.bmp", "MenuNextPage.bmp"};
constexpr const char* kLoadImageFile = "MenuLoadImage.bmp";
constexpr const char* kBackFile = "MenuBack.bmp";
constexpr const char* kNextFile = "MenuNext.bmp";
constexpr const char* kCloseFile = "MenuClose.bmp";
constexpr const char* kProgressFile = "MenuProgress.bmp";

// --- the text property dialog --------------------------------------------------------
namespace text {

constexpr int kWidth = 462, kHeight = 331;
constexpr Place kBody = {12, 58, 438, 214};
constexpr int kLabelHeight = 16, kBoxHeight = 22;
constexpr Place kFontLabel = {24, 64, 200, kLabelHeight};
constexpr Place kFont = {24, 82, 200, kBoxHeight};
constexpr Place kStyleLabel = {24, 110, 120, kLabelHeight};
constexpr Place kStyle = {24, 128, 120, kBoxHeight};
constexpr Place kSizeLabel = {152, 110, 72, kLabelHeight};
constexpr Place kSize = {152, 128, 72, kBoxHeight};
constexpr Place kColorLabel = {24, 156, 200, kLabelHeight};
constexpr Place kColor = {24, 174, 200, kBoxHeight};
constexpr Place kTextLabel = {24, 202, 200, kLabelHeight};
constexpr Place kText = {24, 220, 200, kBoxHeight};
constexpr Place kEffects = {240, 64, 198, 66};
constexpr Place kStrikeout = {12, 20, 170, 18};   // inside the effects group
constexpr Place kUnderline = {12, 40, 170, 18};
constexpr Place kSample = {240, 138, 198, 122};
constexpr Place kCancel = {220, 284, 100, 32};
constexpr Place kOk = {338, 284, 100, 32};
constexpr Place kClose = {424, 14, 24, 24};

constexpr const char* kSkinFile = "TextSkin.bmp";
constexpr const char* kCancelFile = "TextCancel.bmp";
constexpr const char* kOkFile = "TextOk.bmp";
constexpr const char* kCloseFile = "TextClose.bmp";

} // namespace text

} // namespace menulayout
