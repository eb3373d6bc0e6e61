#include "subfonts.h"

#include "rtl/paths.h"
#include "xmlscan.h"

#include <algorithm>
#include <vector>

std::string MapSubtitleFonts(const std::string& xml, const FontFileResolver& resolve, bool& changed)
{
    changed = false;
    struct Replacement {
        std::size_t begin, end;
        std::string text;
    };
    std::vector<Replacement> replacements;
    for (const XmlTag& tag : ScanStartTags(xml)) {
        if (tag.name != "textsub")
            continue;
        const XmlAttribute* font = tag.Find("font");
        if (!font || font->value.empty())
            continue;
        if (font->value.find('/') != std::string::npos && FileExists(font->value))
            continue;
        std::string file = resolve ? resolve(font->value) : std::string();
        if (file.empty() || file == font->value)
            continue;
        replacements.push_back({font->rawBegin, font->rawEnd, XmlEscape(file)});
    }
    std::string result = xml;
    // From the back, so earlier positions stay valid.
    std::sort(replacements.begin(), replacements.end(),
              [](const Replacement& a, const Replacement& b) { return a.begin > b.begin; });
    for (const Replacement& r : replacements)
        result.replace(r.begin, r.end - r.begin, r.text);
    changed = !replacements.empty();
    return result;
}
