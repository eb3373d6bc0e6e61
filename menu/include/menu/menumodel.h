#pragma once
// The DVD menus as the designer lays them out: a plain value that the output
// writers read, with no controls in it. Every position is in the coordinates
// of the designer's 468 x 352 preview (the design area); the writers scale it
// to the 720 x 576 (PAL) and 720 x 480 (NTSC) output frames.
#include "gfx/graphics.h"
#include "gfx/types.h"

#include <memory>
#include <string>
#include <vector>

class TBitmap;

// A picture the model shares with whoever made it; the writers only read it.
// Null or empty stands for no picture.
using MenuPicture = std::shared_ptr<TBitmap>;

constexpr int kDesignWidth = 468;
constexpr int kDesignHeight = 352;
constexpr int kMenuWidth = 720;
constexpr int kPalHeight = 576;
constexpr int kNtscHeight = 480;
// The corner picture's height when "BMP/BackPng.bmp" cannot be loaded.
constexpr int kDefaultCornerPictureHeight = 10;

struct MenuFont {
    std::string Name = "Arial";
    int Size = 20;                // points; drawn at this size on the output, not scaled
    TFontStyles Style;
    TColor Color = clWhite;       // system colours allowed
};

// A text on a menu: the title text or a title button's caption.
struct MenuText {
    std::string Caption;          // empty: nothing is drawn
    MenuFont Font;
    TPoint Position;              // Left, Top
};

struct MenuTitleButton {
    TRect Rect;                   // the button's design rectangle
    MenuPicture Snapshot;         // the clip's picture, fitted into the tile with black bars
    MenuText Caption;             // the caption label under the button
    double SnapshotRatio = 0;     // the shape the picture is shown at (width / height), 0 for its own
};

struct MenuChapterButton {
    TRect Rect;
    MenuPicture Thumbnail;
    double Time = 0;              // the chapter's point in seconds from the clip's start
    double ThumbnailRatio = 0;    // as SnapshotRatio
};

// The chapter page of one title, in title order.
struct MenuChapterPage {
    MenuPicture Background;       // any size
    double TrimStart = 0;         // where the title starts in the clip, seconds
    std::vector<MenuChapterButton> Buttons;   // in page order
};

struct MenuModel {
    MenuPicture Background;                  // the title menu's, any size
    MenuText Title;                          // the title text
    std::vector<MenuTitleButton> Titles;     // in title order
    std::vector<MenuChapterPage> ChapterPages;
    MenuPicture CornerPicture;               // "BMP/BackPic.bmp", drawn on the backgrounds
    MenuPicture CornerShape;                 // "BMP/BackPng.bmp", its shape in the masks
    std::string ResFolder;                   // where the files go, with its trailing separator
};

// Loads both corner pictures from the program's BMP/ folder; one that cannot
// be loaded stays null.
void LoadCornerPictures(MenuModel& menu);
// The height the designer keeps its buttons above: the corner shape's height,
// or 10 without one.
int CornerPictureHeight(const MenuModel& menu);
// The corner button in design coordinates: (5, 352 - H - 5)-(W + 5, 347) for a
// W x H corner shape, (5, 352 - h - 5)-(45, 347) without one (h as above).
TRect CornerButtonRect(const MenuModel& menu);

// A button or text moved into the design area keeping its size: Left and Top at
// least 10, the right edge at most 458, the bottom edge at most
// 352 - cornerPictureHeight. The designer's drag clamp. A rectangle too big to
// fit is cut to the design area.
TRect ClampToDesignArea(const TRect& rect, int cornerPictureHeight);
// Where a laid-out or written button goes: where it is while it lies wholly on
// the picture (0, 0)-(468, 352), however near the edge; one that reaches past
// the picture's edge is moved in as the drag clamp moves it, since the still
// would cut it and its subpicture button would lie outside the frame.
TRect KeepOnPicture(const TRect& rect, int cornerPictureHeight);

// Design to output coordinates: the product first, then truncating division.
int MenuScaleX(int x);
int MenuScaleY(int y, int outputHeight);
TRect MenuScaleRect(const TRect& rect, int outputHeight);
