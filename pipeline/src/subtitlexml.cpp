#include "pipeline/subtitlexml.h"

#include "base/burnpubfunction.h"
#include "rtl/inifiles.h"
#include "rtl/sysutils.h"

std::string SubtitleXmlText(const SubtitleXmlValues& v)
{
    const std::string fps = v.pal ? "25" : "29.97";
    const std::string lines[] = {
        "<subpictures>",
        "   <stream>",
        "      <textsub filename=\"" + XmlEscape(v.subtitleFile) + "\" characterset=\"" + XmlEscape(v.characterSet) +
            "\"",
        "         fontsize=\"" + IntToStr(v.fontSize) + "\" font=\"" + XmlEscape(v.fontFile) +
            "\" horizontal-alignment=\"center\"",
        "         vertical-alignment=\"bottom\" left-margin=\"60\" right-margin=\"60\"",
        "         top-margin=\"20\" bottom-margin=\"30\"",
        "         subtitle-fps=\"" + fps + "\" movie-fps=\"" + fps + "\"",
        "         movie-width=\"720\" movie-height=\"" + std::string(v.pal ? "576" : "480") + "\"",
        "      />",
        "   </stream>",
        "</subpictures>",
    };
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

int SubtitleRegion(int subtitleLanguage)
{
    return subtitleLanguage >= 0 && subtitleLanguage < CharacterSet.Length() ? subtitleLanguage : 0;
}

std::string RegionCharacterSet(int region)
{
    return region >= 0 && region < CharacterSet.Length() ? CharacterSet[region] : "ISO-8859-1";
}

std::string RegionFontFileName(int region)
{
    const TIniFile ini(LanguageFilePath());
    const std::string font = ini.ReadString("Region" + IntToStr(region), "RegionFontFileName", "ARIAL.TTF");
    return font.empty() ? "ARIAL.TTF" : font;
}
