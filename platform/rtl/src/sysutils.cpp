// Exceptions and number conversions.
#include "rtl/sysutils.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

Exception::Exception(std::string message) : message_(std::move(message)) {}

void Abort()
{
    throw EAbort("Operation aborted");
}

void RaiseRangeError()
{
    throw ERangeError("Range check error");
}

namespace {

// Parses [sign](digits | "$"hex | "0x"hex) with nothing around it. Hex values may
// use the full unsigned width (they wrap like the framework's); decimal must fit.
bool ParseInteger(std::string_view text, std::uint64_t unsignedMax, std::int64_t signedMin,
                  std::int64_t signedMax, std::int64_t& out)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return false;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        if (magnitude > (unsignedMax - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base))
            return false;
        magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    if (base == 16) {
        // Two's-complement view of the full width, e.g. "$FFFFFFFF" is -1 as a 32-bit integer.
        std::int64_t value;
        if (unsignedMax == std::numeric_limits<std::uint32_t>::max())
            value = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
        else
            value = static_cast<std::int64_t>(magnitude);
        out = negative ? static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(value)) : value;
        if (unsignedMax == std::numeric_limits<std::uint32_t>::max())
            out = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(out)));
        return true;
    }
    if (negative) {
        if (magnitude > static_cast<std::uint64_t>(signedMax) + 1)
            return false;
        out = magnitude == static_cast<std::uint64_t>(signedMax) + 1
                  ? signedMin
                  : -static_cast<std::int64_t>(magnitude);
    } else {
        if (magnitude > static_cast<std::uint64_t>(signedMax))
            return false;
        out = static_cast<std::int64_t>(magnitude);
    }
    return true;
}

} // namespace

std::string IntToStr(std::int64_t value)
{
    return std::to_string(value);
}

std::string IntToHex(std::uint64_t value, int digits)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), hex[value & 15]);
        value >>= 4;
    } while (value != 0);
    if (digits > 0 && s.size() < static_cast<std::size_t>(digits))
        s.insert(0, static_cast<std::size_t>(digits) - s.size(), '0');
    return s;
}

bool TryStrToInt(std::string_view text, int& value)
{
    std::int64_t v;
    if (!ParseInteger(text, std::numeric_limits<std::uint32_t>::max(), std::numeric_limits<int>::min(),
                      std::numeric_limits<int>::max(), v))
        return false;
    value = static_cast<int>(v);
    return true;
}

bool TryStrToInt64(std::string_view text, std::int64_t& value)
{
    return ParseInteger(text, std::numeric_limits<std::uint64_t>::max(),
                        std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(),
                        value);
}

int StrToInt(std::string_view text)
{
    int v;
    if (!TryStrToInt(text, v))
        throw EConvertError(Format("'%s' is not a valid integer value", text));
    return v;
}

int StrToIntDef(std::string_view text, int fallback)
{
    int v;
    return TryStrToInt(text, v) ? v : fallback;
}

std::int64_t StrToInt64Def(std::string_view text, std::int64_t fallback)
{
    std::int64_t v;
    return TryStrToInt64(text, v) ? v : fallback;
}

bool TryStrToFloat(std::string_view text, double& value)
{
    // Blanks around the number are allowed, as the framework's text-to-float is.
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    std::string_view t = text.substr(b, e - b);
    bool negative = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    // Only digits, one point and an exponent: no "inf", "nan", hex floats or a second sign.
    if (t.empty() || !(std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '.'))
        return false;
    double v = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (ec != std::errc() || ptr != t.data() + t.size())
        return false;
    value = negative ? -v : v;
    return true;
}

double StrToFloat(std::string_view text)
{
    double v;
    if (!TryStrToFloat(text, v))
        throw EConvertError(Format("'%s' is not a valid floating point value", text));
    return v;
}

double StrToFloatDef(std::string_view text, double fallback)
{
    double v;
    return TryStrToFloat(text, v) ? v : fallback;
}

std::string BoolToStr(bool value, bool asWords)
{
    if (asWords)
        return value ? "True" : "False";
    return value ? "-1" : "0";
}
