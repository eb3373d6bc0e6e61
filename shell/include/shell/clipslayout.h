#pragma once
// Where the source clips window's pieces sit on its skin. The artwork
// generator paints the skin's boxes and each button's pictures over the part
// of the skin they cover, so the pictures and the window agree.
#include "base/mainlayout.h"

namespace clipslayout {

using mainlayout::Place;

constexpr int kWidth = 860, kHeight = 612;
constexpr int kBandHeight = 52;

// The clip strip: five 101 x 76 thumbnails 100 pixels apart, each with its
// caption under it, and the scroll bar beside them.
constexpr Place kClipPanel = {20, 64, 112, 508};
constexpr int kVisibleClips = 5;
constexpr Place kClipScroll = {136, 64, 18, 508};
// Add, remove, up and down beside the strip.
constexpr Place kListButtons[4] = {{162, 64, 44, 44}, {162, 114, 44, 44}, {162, 178, 44, 44}, {162, 228, 44, 44}};

// The preview (4:3), the play-position bar under it and the row of preview
// buttons: play, stop, set begin, set end, snapshot.
constexpr Place kPreview = {216, 64, 384, 288};
constexpr Place kPlayBar = {216, 358, 384, 18};   // a width of three equal parts: the bar is drawn 1:1
constexpr Place kPreviewButtons[5] = {{216, 384, 72, 30}, {294, 384, 72, 30}, {372, 384, 72, 30},
                                      {450, 384, 72, 30}, {528, 384, 72, 30}};

// The clip's facts: twelve lines and the subtitle button.
constexpr Place kInfo = {616, 64, 224, 350};
constexpr int kInfoLineLeft = 12, kInfoLineTop = 12, kInfoLineStep = 22, kInfoLineWidth = 200, kInfoLineHeight = 16;
constexpr Place kSubtitleButton = {52, 306, 120, 28};   // inside the info panel

// Settings of the clip and the disc.
constexpr Place kRatioGroup = {216, 430, 196, 100};
constexpr Place kLetterBox = {428, 436, 172, 20};
constexpr Place kAddMenu = {428, 464, 172, 20};
constexpr Place kAutoChapter = {428, 492, 172, 20};
constexpr Place kChapterInterval = {448, 518, 120, 22};

// The disc: its kind and the space the clips take on it; Next.
constexpr Place kSpaceLabel = {616, 432, 224, 16};
constexpr Place kKindBadge = {616, 456, 72, 40};
constexpr Place kSpaceBar = {696, 467, 144, 18};
constexpr Place kNext = {730, 538, 110, 34};

// The title band's buttons: minimise and close.
constexpr Place kMin = {792, 14, 24, 24};
constexpr Place kClose = {820, 14, 24, 24};

// The box shown while files load, in front of everything.
constexpr Place kLoading = {250, 250, 360, 96};
constexpr Place kLoadingLabel = {20, 20, 320, 18};   // inside the box
constexpr Place kLoadingBar = {20, 52, 320, 18};

// Colours of texts on the skin (framework colour values, red in the low byte).
constexpr unsigned kTextColor = 0xFAEEE4, kDimTextColor = 0xC4A07F;

// Picture files in BMP/ (button pictures hold their four states side by side:
// normal, mouse on, mouse down, disabled).
constexpr const char* kSkinFile = "ClipsSkin.bmp";
constexpr const char* kListButtonFiles[4] = {"ClipsAdd.bmp", "ClipsDelete.bmp", "ClipsUp.bmp", "ClipsDown.bmp"};
constexpr const char* kPreviewButtonFiles[5] = {"ClipsPlay.bmp", "ClipsStop.bmp", "ClipsBegin.bmp", "ClipsEnd.bmp",
                                                "ClipsSnapshot.bmp"};
constexpr const char* kKindFiles[3] = {"ClipsKindDVD.bmp", "ClipsKindSVCD.bmp", "ClipsKindVCD.bmp"};
constexpr const char* kPlayBarFile = "ClipsPlayBar.bmp";
constexpr const char* kPlaySliderFile = "ClipsPlaySlider.bmp";
constexpr const char* kLoadingFile = "ClipsLoading.bmp";
constexpr const char* kNextFile = "ClipsNext.bmp";
constexpr const char* kMinFile = "ClipsMin.bmp";
constexpr const char* kCloseFile = "ClipsClose.bmp";

} // namespace clipslayout
