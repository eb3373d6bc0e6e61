#pragma once
// Where the run windows' pieces sit on their skins. The convert window and
// the disc builder share their pieces and each places them on its own skin;
// the artwork generator paints every skin and its buttons from the same
// places, so the pictures and the windows agree. All places are in window
// coordinates, those inside a group box too.
#include "base/mainlayout.h"

namespace runlayout {

using mainlayout::Place;

struct Layout {
    int width, height, bandHeight;
    // "Working Folder": the folder, Browse, the hidden Check and the space note.
    Place folderGroup, folderEdit, browse, check, freeSpace;
    // "Output Setup": the PAL and NTSC boxes.
    Place outputGroup, pal, ntsc;
    // The encoder choice and its label.
    Place engineLabel, engine;
    Place log;
    // The box of the four time lines (used, frames per second, current, total).
    Place status;
    Place fileName;
    // The three bars and their captions, top to bottom.
    Place barLabels[3], bars[3];
    Place start;   // Stop takes the same place
    Place close;
    // Picture files in BMP/ (buttons hold their four states side by side:
    // normal, mouse on, mouse down, disabled).
    const char* skinFile;
    const char* startFile;
    const char* stopFile;
    const char* browseFile;
    const char* checkFile;
    const char* closeFile;
    // The skin's texts.
    const char* title;
    const char* subtitle;
    const char* footer;
};

// The four time lines inside the status box: a caption, and the value under it.
constexpr int kStatusLineLeft = 14, kStatusLineTop = 12, kStatusLineStep = 56;
constexpr int kStatusCaptionHeight = 16, kStatusValueTop = 18, kStatusValueHeight = 22;

// Colours of texts on the skins (framework colour values, red in the low byte).
constexpr unsigned kTextColor = 0xFAEEE4, kDimTextColor = 0xC4A07F, kValueColor = 0x7FE0FF;

inline constexpr Layout kConvert = {
    720, 600, 52,
    {24, 66, 440, 84}, {36, 90, 320, 22}, {366, 88, 86, 26}, {366, 118, 86, 26}, {36, 122, 310, 16},
    {476, 66, 220, 84}, {494, 96, 80, 20}, {590, 96, 90, 20},
    {24, 166, 108, 16}, {134, 162, 330, 22},
    {24, 196, 440, 208},
    {476, 162, 220, 242},
    {24, 414, 672, 16},
    {{24, 442, 138, 16}, {24, 470, 138, 16}, {24, 498, 138, 16}},
    {{164, 441, 532, 18}, {164, 469, 532, 18}, {164, 497, 532, 18}},
    {586, 528, 110, 34},
    {680, 14, 24, 24},
    "ConvertSkin.bmp", "ConvertStart.bmp", "ConvertStop.bmp", "ConvertBrowse.bmp", "ConvertCheck.bmp",
    "ConvertClose.bmp",
    "Convert process",
    "Clips into DVD, SVCD or VCD files; finished VOB files into a DVD folder",
    "Stop ends the run at any time; the files made so far stay in the working folder.",
};

// The disc builder: the run window's pieces, moved down under the group of
// the burner device, with its own skin and buttons.
inline constexpr Layout kDiscBuilder = {
    720, 676, 52,
    {24, 66, 440, 84}, {36, 90, 320, 22}, {366, 88, 86, 26}, {366, 118, 86, 26}, {36, 122, 310, 16},
    {476, 66, 220, 84}, {494, 96, 80, 20}, {590, 96, 90, 20},
    {24, 238, 108, 16}, {134, 234, 330, 22},
    {24, 268, 440, 208},
    {476, 234, 220, 242},
    {24, 486, 672, 16},
    {{24, 514, 138, 16}, {24, 542, 138, 16}, {24, 570, 138, 16}},
    {{164, 513, 532, 18}, {164, 541, 532, 18}, {164, 569, 532, 18}},
    {586, 602, 110, 34},
    {680, 14, 24, 24},
    "BuilderSkin.bmp", "BuilderStart.bmp", "BuilderStop.bmp", "BuilderBrowse.bmp", "BuilderCheck.bmp",
    "BuilderClose.bmp",
    "Video DVD Disc Builder",
    "Clips encoded, authored into a DVD folder or a CD image, and written to a disc",
    "Stop ends the run while it converts; a disc being written is finished by the burner.",
};

// The disc builder's own pieces: the "Burner Device" group with its three
// lines (caption left, control right), the hidden Back and the Min button.
struct BuilderPlaces {
    Place burnerGroup;
    Place driveLabel, drive, speedLabel, speed, volumeLabel, volume;
    Place back, min;
    const char* backFile;
    const char* minFile;
};

inline constexpr BuilderPlaces kBuilderPlaces = {
    {24, 160, 672, 62},
    {36, 190, 82, 16}, {118, 186, 200, 22}, {330, 190, 78, 16}, {408, 186, 96, 22}, {516, 190, 76, 16},
    {592, 186, 96, 22},
    {466, 602, 110, 34}, {650, 14, 24, 24},
    "BuilderBack.bmp", "BuilderMin.bmp",
};

} // namespace runlayout
