#include "xmlscan.h"

#include <cstdint>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameChar(char c) { return !IsBlank(c) && c != '/' && c != '>' && c != '=' && c != '<' && c != '"' && c != '\''; }

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

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

std::string XmlUnescape(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            out += raw[i];
            continue;
        }
        // An entity is short: look for its end no further than its longest form,
        // so a text of many '&' is read in linear time.
        const std::size_t semiAt = raw.substr(i, 13).find(';');
        const std::size_t semi = semiAt == std::string_view::npos ? semiAt : i + semiAt;
        if (semi == std::string_view::npos || semi - i > 12) {
            out += raw[i];
            continue;
        }
        std::string_view entity = raw.substr(i + 1, semi - i - 1);
        if (entity == "amp") out += '&';
        else if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            std::uint32_t cp = 0;
            bool ok = entity.size() > (hex ? 2u : 1u);
            for (std::size_t k = hex ? 2 : 1; k < entity.size() && ok; ++k) {
                char c = entity[k];
                int digit = c >= '0' && c <= '9' ? c - '0'
                            : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                            : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                          : -1;
                if (digit < 0 || cp > 0x10FFFF)
                    ok = false;
                else
                    cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
            }
            if (!ok) {
                out += raw[i];
                continue;
            }
            AppendUtf8(out, cp);
        } else {
            out += raw[i];
            continue;
        }
        i = semi;
    }
    return out;
}

