#pragma once
// The program's own pictures in its BMP/ folder (drawn at build time).
class TBitmap;

// Loads picture file `name` of BMP/; false, with `bitmap` untouched, when it
// is missing or unreadable (the window then shows its plain colour).
bool LoadProgramPicture(const char* name, TBitmap& bitmap);
