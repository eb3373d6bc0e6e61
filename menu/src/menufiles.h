#pragma once
// What the menu writers share: the folder, saving each file whole, stretching
// pictures, texts on the backgrounds.
#include "menu/menuoutput.h"

#include <functional>
#include <string>

class TBitmap;
class TCanvas;
class TStream;

namespace menufiles {

// Makes sure the RES folder exists; false with ErrorText when it cannot be made.
bool PrepareFolder(const MenuModel& menu, MenuOutput& out);
// Writes one file of the RES folder whole; false with ErrorText on any failure.
bool SaveFile(const MenuModel& menu, MenuOutput& out, const std::string& name,
              const std::function<void(TStream&)>& writer);
bool SaveBitmap(const MenuModel& menu, MenuOutput& out, const std::string& name, const TBitmap& bitmap);
bool SaveJpeg(const MenuModel& menu, MenuOutput& out, const std::string& name, const TBitmap& bitmap);

// A bitmap of the given size holding the whole picture, stretched pixel for
// pixel (no smoothing); black without a picture.
TBitmap StretchedPicture(TBitmap* picture, int width, int height);

// Draws a menu text at its scaled position, moved by `offset` design pixels,
// anti-aliased, in the font's own size.
void DrawMenuText(TCanvas& canvas, const MenuText& text, TPoint offset);

} // namespace menufiles
