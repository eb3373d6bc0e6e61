#include "com/guid.h"

#include <cstdio>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads exactly `digits` hex digits at text[pos].
bool ReadHex(std::string_view text, std::size_t pos, int digits, std::uint64_t& value)
{
    if (pos + digits > text.size()) return false;
    value = 0;
    for (int i = 0; i < digits; ++i) {
        int d = HexDigit(text[pos + i]);
        if (d < 0) return false;
        value = value << 4 | std::uint64_t(d);
    }
    return true;
}

} // namespace

std::string GuidToString(const GUID& g)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                  g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                  g.Data4[7]);
    return buffer;
}

std::optional<GUID> GuidFromString(std::string_view text)
{
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}') return std::nullopt;
        text = text.substr(1, 36);
    }
    if (text.size() != 36) return std::nullopt;
    if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return std::nullopt;
    GUID g{};
    std::uint64_t v = 0;
    if (!ReadHex(text, 0, 8, v)) return std::nullopt;
    g.Data1 = std::uint32_t(v);
    if (!ReadHex(text, 9, 4, v)) return std::nullopt;
    g.Data2 = std::uint16_t(v);
    if (!ReadHex(text, 14, 4, v)) return std::nullopt;
    g.Data3 = std::uint16_t(v);
    static constexpr std::size_t offsets[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text, offsets[i], 2, v)) return std::nullopt;
        g.Data4[i] = std::uint8_t(v);
    }
    return g;
}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int capacity)
{
    std::string text = GuidToString(guid);
    if (!buffer || capacity < int(text.size()) + 1) return 0;
    for (std::size_t i = 0; i < text.size(); ++i) buffer[i] = wchar_t(text[i]);
    buffer[text.size()] = 0;
    return int(text.size()) + 1;
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid)
{
    if (!text || !clsid) return E_INVALIDARG;
    std::string narrow;
    for (LPCOLESTR p = text; *p; ++p) {
        if (*p > 0x7F || narrow.size() > 40) return CO_E_CLASSSTRING;
        narrow.push_back(char(*p));
    }
    // Only the braced form, as the platform insists.
    if (narrow.size() != 38) return CO_E_CLASSSTRING;
    auto g = GuidFromString(narrow);
    if (!g) return CO_E_CLASSSTRING;
    *clsid = *g;
    return S_OK;
}

HRESULT IIDFromString(LPCOLESTR text, IID* iid)
{
    HRESULT hr = CLSIDFromString(text, iid);
    return hr == CO_E_CLASSSTRING ? E_INVALIDARG : hr;
}
