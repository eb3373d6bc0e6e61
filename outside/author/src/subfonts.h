#pragma once
// Text subtitles name their font the desktop way, by file name ("ARIAL.TTF").
// spumux would ask fontconfig for such a name and get whatever it likes best;
// the font is put in as the installed file the graphics layer draws that font
// with, so the subtitles and the menus look alike.
#include <functional>
#include <string>

using FontFileResolver = std::function<std::string(const std::string& fontName)>;

// The spumux description with the font of every <textsub> that is not an
// existing file replaced by resolve(font) (escaped); a font that resolves to
// "" stays as it is. changed tells whether anything was replaced.
std::string MapSubtitleFonts(const std::string& xml, const FontFileResolver& resolve, bool& changed);
