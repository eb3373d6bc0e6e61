// Text helpers: trimming, ASCII case rules, comparison and replacement.
#include "rtl/sysutils.h"

#include "rtl/charsets.h"

#include <algorithm>
#include <cstdint>

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// Index of the first occurrence of what in s at or after from, npos when none.
std::size_t FindText(std::string_view s, std::string_view what, std::size_t from, bool ignoreCase)
{
    if (!ignoreCase)
        return s.find(what, from);
    if (what.size() > s.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + what.size() <= s.size(); ++i) {
        std::size_t j = 0;
        while (j < what.size() && Lower(s[i + j]) == Lower(what[j])) ++j;
        if (j == what.size())
            return i;
    }
    return std::string_view::npos;
}

} // namespace

std::string Trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s)
{
    std::size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s)
{
    std::size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(0, e));
}

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = Upper(c);
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = Lower(c);
    return r;
}

int CompareText(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Lower(a[i]));
        const auto y = static_cast<unsigned char>(Lower(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

bool StartsText(std::string_view prefix, std::string_view s)
{
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(std::string_view suffix, std::string_view s)
{
    return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

std::string QuotedStr(std::string_view s)
{
    std::string r = "'";
    for (char c : s) {
        r += c;
        if (c == '\'')
            r += '\'';
    }
    r += '\'';
    return r;
}

std::string StringReplace(std::string_view s, std::string_view from, std::string_view to, unsigned flags)
{
    if (from.empty())
        return std::string(s);
    const bool ignoreCase = (flags & rfIgnoreCase) != 0;
    std::string r;
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = FindText(s, from, pos, ignoreCase);
        if (hit == std::string_view::npos)
            break;
        r.append(s.substr(pos, hit - pos));
        r.append(to);
        pos = hit + from.size();
        if (!(flags & rfReplaceAll))
            break;
    }
    r.append(s.substr(pos));
    return r;
}

std::string XmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c; break;
        }
    }
    return out;
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
            AppendUtf8(out, cp == 0 ? 0xFFFD : cp);   // a NUL reference is no character
        } else {
            out += raw[i];
            continue;
        }
        i = semi;
    }
    return out;
}
