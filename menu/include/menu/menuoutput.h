#pragma once
// The menu files the pipeline picks up from the RES folder: the backgrounds of
// the title menu and of every chapter page, their highlight and select masks,
// and the spumux description of each menu, for PAL ("_P") and NTSC ("_N").
// The designer runs the title writers, then, when there are chapter pages, the
// chapter writers. Each writer answers false, with the reason in ErrorText,
// when its folder cannot be made or a file cannot be written; a file is written
// whole or not at all, so the caller can refuse to go on.
#include "menu/menumodel.h"

#include <string>

// What the writers tell the designer.
struct MenuOutput {
    bool HasCornerButton = false;   // the menus carry the corner button (there are chapter pages)
    TRect CornerButtonRect;         // its design rectangle, set by the mask writers
    std::string ErrorText;
};

// "backbitmap_P.bmp", "backbitmap_N.bmp" and their JPEG copies.
bool WriteTitleMenuBackground(const MenuModel& menu, MenuOutput& out);
// "highlight_N.png", "highlight_P.png", "select_N.png", "select_P.png", "Menu_P.xml", "Menu_N.xml".
bool WriteTitleMenuMasks(const MenuModel& menu, MenuOutput& out);
// "Chapter_<n>_backbitmap.bmp" and ".jpg" of every page n (PAL size only).
bool WriteChapterMenuBackgrounds(const MenuModel& menu, MenuOutput& out);
// "Chapter_<n>_highlight_N.png" ... "Chapter_<n>_P.xml", "Chapter_<n>_N.xml" of every page n.
bool WriteChapterMenuMasks(const MenuModel& menu, MenuOutput& out);

// The text under chapter button j of a page: the chapter's point in title time
// as "HH:MM:SS", the first chapter always "00:00:00".
std::string ChapterTimeLabel(const MenuChapterPage& page, std::size_t j);
// A point of the clip (seconds) in the time of a title that starts at trimStart, as "HH:MM:SS".
std::string TitleTimeLabel(double clipSeconds, double trimStart);
