#include "com/widestring.h"

#include "com/com.h"

#include <algorithm>
#include <cstring>

namespace {

// A byte that is not part of valid UTF-8 (a Latin-1 file name) travels as a
// lone low surrogate, which no valid text holds, and comes back as itself.
constexpr char32_t kEscapedByte = 0xDC00;

bool IsEscapedByte(char32_t cp) { return cp >= kEscapedByte + 0x80 && cp <= kEscapedByte + 0xFF; }

} // namespace

std::wstring Utf8ToWide(std::string_view s)
{
    std::wstring out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t cp;
        std::size_t extra;
        if (c < 0x80) { cp = c; extra = 0; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
        else { out.push_back(static_cast<wchar_t>(kEscapedByte + c)); ++i; continue; }
        bool ok = i + extra < s.size();
        for (std::size_t k = 1; ok && k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) ok = false;
            else cp = cp << 6 | (cc & 0x3F);
        }
        static constexpr char32_t minimum[4] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(static_cast<wchar_t>(kEscapedByte + c));
            ++i;
            continue;
        }
        out.push_back(static_cast<wchar_t>(cp));
        i += extra + 1;
    }
    return out;
}

namespace {

// One code point of a wide or UTF-16 text as UTF-8: an escaped byte as itself.
void AppendUtf8(std::string& out, char32_t cp)
{
    if (IsEscapedByte(cp)) {
        out.push_back(static_cast<char>(cp - kEscapedByte));
        return;
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

} // namespace

std::string WideToUtf8(std::wstring_view w)
{
    std::string out;
    out.reserve(w.size());
    for (wchar_t wc : w) AppendUtf8(out, static_cast<char32_t>(wc));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view units)
{
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, u);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t wc : Utf8ToWide(text)) {
        auto cp = static_cast<char32_t>(wc);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

std::string WideToUtf8(LPCWSTR text) { return text ? WideToUtf8(std::wstring_view(text)) : std::string(); }

LPWSTR CoTaskMemWideString(std::wstring_view text)
{
    auto* p = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (!p) return nullptr;
    std::memcpy(p, text.data(), text.size() * sizeof(wchar_t));
    p[text.size()] = 0;
    return p;
}

void CopyWide(LPWSTR dest, std::size_t capacity, std::wstring_view text)
{
    if (!dest || capacity == 0) return;
    std::size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(dest, text.data(), n * sizeof(wchar_t));
    dest[n] = 0;
}
