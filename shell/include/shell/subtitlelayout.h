#pragma once
// Where the subtitle dialog's pieces sit on its skin; the artwork generator
// paints the buttons over the part of the skin they cover.
#include "base/mainlayout.h"

namespace subtitlelayout {

using mainlayout::Place;

constexpr int kWidth = 600, kHeight = 470;
constexpr Place kBody = {20, 58, 560, 344};

constexpr Place kFileLabel = {36, 66, 528, 18};                // "Subtitle : ..."
constexpr Place kPages = {36, 90, 344, 300};                    // "Image" and "Text"
// The right-hand column: the file button, then a label over each box.
constexpr int kColumnLeft = 396, kColumnWidth = 168;
constexpr Place kLoadButton = {kColumnLeft, 90, kColumnWidth, 26};
constexpr Place kFontLabel = {kColumnLeft, 128, kColumnWidth, 16};
constexpr Place kFont = {kColumnLeft, 146, kColumnWidth, 22};
constexpr Place kSizeLabel = {kColumnLeft, 178, kColumnWidth, 16};
constexpr Place kSize = {kColumnLeft, 196, 80, 22};
constexpr Place kLanguageLabel = {kColumnLeft, 228, kColumnWidth, 16};
constexpr Place kLanguage = {kColumnLeft, 246, kColumnWidth, 22};
constexpr Place kView = {kColumnLeft, 286, kColumnWidth, 70};

constexpr Place kCancel = {330, 416, 110, 34};
constexpr Place kOk = {454, 416, 110, 34};
constexpr Place kClose = {560, 14, 24, 24};

constexpr const char* kSkinFile = "SubtitleSkin.bmp";
constexpr const char* kCancelFile = "SubtitleCancel.bmp";
constexpr const char* kOkFile = "SubtitleOk.bmp";
constexpr const char* kCloseFile = "SubtitleClose.bmp";

} // namespace subtitlelayout
