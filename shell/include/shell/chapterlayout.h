#pragma once
// Where the chapter setup dialog's pieces sit on its skin. The artwork
// generator paints the buttons over the part of the skin they cover, so the
// pictures and the window agree.
#include "base/mainlayout.h"

namespace chapterlayout {

using mainlayout::Place;

constexpr int kWidth = 400, kHeight = 380;

// The chapter list on the left, twelve lines without a bar.
constexpr Place kListLabel = {30, 66, 170, 16};
constexpr Place kList = {30, 84, 170, 222};
// The time to put in on the right: a label before each spin edit, the three
// chapter buttons under them.
constexpr Place kTimeLabel = {222, 66, 156, 16};
constexpr int kFieldLabelLeft = 226, kFieldLabelWidth = 50, kSpinLeft = 282, kSpinWidth = 78, kSpinHeight = 22;
constexpr int kHourTop = 92, kMinTop = 124, kSecTop = 156;
constexpr int kButtonLeft = 226, kButtonWidth = 134, kButtonHeight = 26;
constexpr int kInsertTop = 202, kModifyTop = 236, kDeleteTop = 270;

// Cancel, OK and the close button in the title band.
constexpr Place kCancel = {148, 326, 110, 34};
constexpr Place kOk = {270, 326, 110, 34};
constexpr Place kClose = {360, 14, 24, 24};

// The panel behind the controls (the skin's lighter box).
constexpr Place kBody = {20, 58, 360, 258};

// Picture files in BMP/ (buttons hold their four states side by side).
constexpr const char* kSkinFile = "ChapterSkin.bmp";
constexpr const char* kCancelFile = "ChapterCancel.bmp";
constexpr const char* kOkFile = "ChapterOk.bmp";
constexpr const char* kCloseFile = "ChapterClose.bmp";

} // namespace chapterlayout
