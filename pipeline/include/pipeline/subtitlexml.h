#pragma once
// The spumux description of a clip's text subtitle, and what it takes from
// the subtitle's region of Language.ini.
#include <string>

struct SubtitleXmlValues {
    std::string subtitleFile;   // the copy spumux reads
    std::string characterSet;   // the file's 8-bit encoding
    int fontSize = 24;
    std::string fontFile;       // "ARIAL.TTF"
    bool pal = true;            // 25 fps and 576 lines, else 29.97 and 480
};

// The eleven lines, each ended by a line feed, the values escaped.
std::string SubtitleXmlText(const SubtitleXmlValues& values);

// The region a clip's SubtitleLanguage stands for: Language.ini is the user's
// to edit, so an index outside its regions takes region 0.
int SubtitleRegion(int subtitleLanguage);
// The region's character set ("ISO-8859-1" when the file has no regions).
std::string RegionCharacterSet(int region);
// "RegionFontFileName" of section "Region" + region; "ARIAL.TTF" when missing or empty.
std::string RegionFontFileName(int region);
