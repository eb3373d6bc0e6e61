#include "xmlscan.h"

#include <cstdint>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameChar(char c) { return !IsBlank(c) && c != '/' && c != '>' && c != '=' && c != '<' && c != '"' && c != '\''; }

// Skips past `end` from position i; npos when it never comes.
std::size_t SkipPast(std::string_view text, std::size_t i, std::string_view end)
{
    std::size_t at = text.find(end, i);
    return at == std::string_view::npos ? at : at + end.size();
}

} // namespace

const XmlAttribute* XmlTag::Find(std::string_view attribute) const
{
    for (const XmlAttribute& a : attributes)
        if (a.name == attribute)
            return &a;
    return nullptr;
}

std::vector<XmlTag> ScanStartTags(std::string_view text)
{
    std::vector<XmlTag> tags;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t open = text.find('<', i);
        if (open == std::string_view::npos)
            break;
        std::string_view rest = text.substr(open);
        std::string_view skipTo;
        if (rest.starts_with("<!--"))
            skipTo = "-->";
        else if (rest.starts_with("<![CDATA["))
            skipTo = "]]>";
        else if (rest.starts_with("<?"))
            skipTo = "?>";
        else if (rest.starts_with("<!") || rest.starts_with("</"))
            skipTo = ">";
        if (!skipTo.empty()) {
            i = SkipPast(text, open + 2, skipTo);
            if (i == std::string_view::npos)
                break;
            continue;
        }

        XmlTag tag;
        std::size_t p = open + 1;
        while (p < text.size() && IsNameChar(text[p]))
            tag.name += text[p++];
        if (tag.name.empty())
            break;
        bool closed = false;
        while (p < text.size()) {
            while (p < text.size() && IsBlank(text[p]))
                ++p;
            if (p >= text.size())
                break;
            if (text[p] == '>') {
                closed = true;
                ++p;
                break;
            }
            if (text[p] == '/') {
                if (p + 1 < text.size() && text[p + 1] == '>') {
                    closed = true;
                    p += 2;
                }
                break;
            }
            XmlAttribute attribute;
            while (p < text.size() && IsNameChar(text[p]))
                attribute.name += text[p++];
            while (p < text.size() && IsBlank(text[p]))
                ++p;
            if (attribute.name.empty() || p >= text.size() || text[p] != '=')
                break;
            ++p;
            while (p < text.size() && IsBlank(text[p]))
                ++p;
            if (p >= text.size() || (text[p] != '"' && text[p] != '\''))
                break;
            const char quote = text[p++];
            std::size_t end = text.find(quote, p);
            if (end == std::string_view::npos)
                break;
            attribute.rawBegin = p;
            attribute.rawEnd = end;
            attribute.value = XmlUnescape(text.substr(p, end - p));
            tag.attributes.push_back(std::move(attribute));
            p = end + 1;
        }
        if (!closed)
            break;
        tags.push_back(std::move(tag));
        i = p;
    }
    return tags;
}
