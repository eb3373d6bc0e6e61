#pragma once
// What the program's pictures share: discs, texts, window bodies with a
// title band, the round title-band buttons and the word buttons, and the
// strips of four button states (normal, mouse on, mouse down, disabled).
#include "paint.h"

#include "base/mainlayout.h"

#include <functional>
#include <string>

using mainlayout::Place;

constexpr double kPi = 3.14159265358979323846;

// A compact disc: a rainbow-sheened silver face, a clear hub and a hole.
void Disc(TBitmap& b, double cx, double cy, double r, double alpha = 1);
void Text(TBitmap& b, int x, int y, const std::string& text, int size, Rgb colour, bool bold = false);
int TextWidth(TBitmap& b, const std::string& text, int size, bool bold);
// A text centred across the picture over its dark shadow.
void CentredText(TBitmap& b, int y, const std::string& text, int size, Rgb colour, bool bold, int shift = 0);
TBitmap Crop(const TBitmap& src, const Place& p);
// States side by side: normal, mouse on, mouse down, disabled.
TBitmap Strip(const TBitmap* states);
TBitmap Strip4(const std::function<TBitmap(int state)>& paint);
// A window body: deep navy with rounded, keyed corners and a glassy title band
// `band` pixels high over a light rule.
TBitmap WindowBody(int w, int h, int band);
// A window's heading in its title band: the disc, the title over its shadow and the line under it.
void WindowHeading(TBitmap& b, const std::string& title, const std::string& line);
// The lighter navy panel a window's controls stand on.
void BodyPanel(TBitmap& b, double left, double top, double right, double bottom);
void BodyPanel(TBitmap& b, const Place& p);
// One small title-band button state over the skin at `p`: a glassy orb with
// its glyph (0 i, 1 ?, 2 house, 3 minimise bar, 4 cross).
TBitmap OrbState(const TBitmap& skin, const Place& p, int which, int state);
// A rounded glassy button with its word over the skin at `p`; `accent` for the
// button that goes on, `arrow` for a pointer after the word.
TBitmap WordButtonState(const TBitmap& skin, const Place& p, const std::string& word, bool accent, bool arrow,
                        int state);
// A run window's Stop button state over the skin at `p`: a red face, a square before the word.
TBitmap StopState(const TBitmap& skin, const Place& p, int state);

// The source clips window's pictures (clipsart.cpp).
void SaveClipsPictures(const std::string& folder);
// The run windows' pictures (runart.cpp).
void SaveRunWindowPictures(const std::string& folder);
// The disc-burner setup window's pictures (burnerart.cpp).
void SaveBurnerPictures(const std::string& folder);
// The burning-process window's pictures (burningart.cpp).
void SaveBurningPictures(const std::string& folder);

// The menu designer's and the text dialog's pictures (menuart.cpp).
void SaveMenuPictures(const std::string& folder);
// The shipped menu backgrounds into dataFolder + "Background/" and their list "Background.ini".
void SaveMenuBackgrounds(const std::string& dataFolder);
