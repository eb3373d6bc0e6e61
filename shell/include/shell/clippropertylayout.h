#pragma once
// Where the clip property dialog's pieces sit on its skin. The artwork
// generator paints the buttons over the part of the skin they cover, so the
// pictures and the window agree.
#include "base/mainlayout.h"

namespace clippropertylayout {

using mainlayout::Place;

constexpr int kWidth = 574, kHeight = 432;

// The preview and its bar move between the two uses: left of the text
// controls while a text is edited, centred while a moment is picked.
constexpr int kPreviewLeftWithText = 40, kPreviewLeftAlone = 127;
constexpr int kPreviewTop = 86, kPreviewWidth = 320, kPreviewHeight = 240;
constexpr int kTrackBarTop = 334, kTrackBarHeight = 24;
constexpr Place kChapterStartLabel = {127, 64, 320, 18};

// The text controls right of the preview: a label over each box.
constexpr int kTextLeft = 376, kTextWidth = 158;
constexpr int kFontTop = 86, kSizeTop = 136, kColorTop = 186, kTextTop = 236;
constexpr int kLabelHeight = 16, kBoxHeight = 22, kSizeBoxWidth = 80;

// Cancel, OK and the close button in the title band.
constexpr Place kCancel = {300, 380, 110, 34};
constexpr Place kOk = {424, 380, 110, 34};
constexpr Place kClose = {534, 14, 24, 24};

// The panel behind the preview and the controls (the skin's lighter box).
constexpr Place kBody = {20, 58, 534, 310};

// Picture files in BMP/ (buttons hold their four states side by side).
constexpr const char* kSkinFile = "ClipPropertySkin.bmp";
constexpr const char* kCancelFile = "ClipPropertyCancel.bmp";
constexpr const char* kOkFile = "ClipPropertyOk.bmp";
constexpr const char* kCloseFile = "ClipPropertyClose.bmp";

} // namespace clippropertylayout
