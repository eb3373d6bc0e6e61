// Number printing (FloatToStr, FormatFloat) and the Delphi-style Format.
#include "decimal.h"
#include "rtl/sysutils.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace rtl_detail {

Decimal ToDecimal(double value, int significant)
{
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0)
        return d;
    if (significant < 1) significant = 1;
    if (significant > 17) significant = 17;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", significant - 1, std::fabs(value));
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') d.digits += *p;
    if (*p == 'e')
        d.exponent = std::atoi(p + 1) + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
    return d;
}

void RoundToFraction(Decimal& d, int fractionDigits)
{
    const long keep = static_cast<long>(d.exponent) + fractionDigits;
    if (d.digits.empty() || keep >= static_cast<long>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        d.exponent = 0;
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        long i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[static_cast<std::size_t>(i)];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
}

std::string FixedIntegerDigits(const Decimal& d)
{
    if (d.exponent <= 0)
        return "0";
    std::string s;
    for (int i = 0; i < d.exponent; ++i)
        s += static_cast<std::size_t>(i) < d.digits.size() ? d.digits[static_cast<std::size_t>(i)] : '0';
    return s;
}

std::string FixedFractionDigits(const Decimal& d, int fractionDigits)
{
    std::string s;
    for (int i = 0; i < fractionDigits; ++i) {
        const long index = static_cast<long>(d.exponent) + i;
        s += index >= 0 && index < static_cast<long>(d.digits.size()) ? d.digits[static_cast<std::size_t>(index)] : '0';
    }
    return s;
}

std::string GroupThousands(const std::string& integerDigits)
{
    std::string r;
    const std::size_t n = integerDigits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            r += ',';
        r += integerDigits[i];
    }
    return r;
}

} // namespace rtl_detail

using namespace rtl_detail;

namespace {

std::string NonFinite(double value)
{
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

// General format with `precision` significant digits: fixed unless the number
// needs more integer digits than that, or is below 0.0001.
std::string GeneralText(double value, int precision)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    const Decimal d = ToDecimal(value, precision);
    if (d.digits.empty())
        return "0";
    std::string s = d.negative ? "-" : "";
    if (d.exponent > precision || d.exponent < -3) {
        s += d.digits[0];
        if (d.digits.size() > 1) {
            s += '.';
            s += d.digits.substr(1);
        }
        s += 'E';
        s += std::to_string(d.exponent - 1);
        return s;
    }
    s += FixedIntegerDigits(d);
    const int fraction = static_cast<int>(d.digits.size()) - d.exponent;
    if (fraction > 0) {
        s += '.';
        s += FixedFractionDigits(d, fraction);
    }
    return s;
}

std::string FixedText(double value, int decimals, bool thousands)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    Decimal d = ToDecimal(value);
    RoundToFraction(d, decimals);
    std::string s = d.negative && !d.digits.empty() ? "-" : "";
    const std::string integer = FixedIntegerDigits(d);
    s += thousands ? GroupThousands(integer) : integer;
    if (decimals > 0) {
        s += '.';
        s += FixedFractionDigits(d, decimals);
    }
    return s;
}

// "%e": `precision` significant digits, exponent with its sign and at least three digits.
std::string ExponentText(double value, int precision)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    if (precision < 1) precision = 1;
    const Decimal d = ToDecimal(value, precision);
    std::string s = d.negative && !d.digits.empty() ? "-" : "";
    const std::string digits = d.digits.empty() ? std::string("0") : d.digits;
    s += digits[0];
    if (precision > 1) {
        s += '.';
        for (int i = 1; i < precision; ++i)
            s += static_cast<std::size_t>(i) < digits.size() ? digits[static_cast<std::size_t>(i)] : '0';
    }
    const int exponent = d.digits.empty() ? 0 : d.exponent - 1;
    std::string e = std::to_string(std::abs(exponent));
    while (e.size() < 3) e.insert(e.begin(), '0');
    s += exponent < 0 ? "E-" : "E+";
    s += e;
    return s;
}

// One section of a FormatFloat picture, taken apart.
struct Picture {
    std::string prefix, suffix;
    int integerZeros = 0;
    int fractionZeros = 0;
    int fractionHashes = 0;
    bool point = false;
    bool thousands = false;
    bool exponent = false;
    bool exponentPlus = false;
    char exponentChar = 'E';
    int exponentZeros = 0;
};

Picture ParsePicture(std::string_view f)
{
    Picture p;
    bool seenDigit = false;
    std::string literal;
    auto flushLiteral = [&] {
        (seenDigit ? p.suffix : p.prefix) += literal;
        literal.clear();
    };
    for (std::size_t i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (c == '"' || c == '\'') {
            std::size_t j = i + 1;
            while (j < f.size() && f[j] != c) literal += f[j++];
            i = j;
        } else if ((c == '0' || c == '#') && !p.exponent) {
            if (!p.suffix.empty() || !literal.empty()) {
                // A literal between placeholders stays after the number.
                if (seenDigit) { p.suffix += literal; literal.clear(); }
                else flushLiteral();
            }
            seenDigit = true;
            if (p.point) (c == '0' ? p.fractionZeros : p.fractionHashes)++;
            else if (c == '0') p.integerZeros++;
        } else if (c == '.' && !p.point && !p.exponent) {
            flushLiteral();
            p.point = true;
            seenDigit = true;
        } else if (c == ',' && !p.point && !p.exponent) {
            p.thousands = true;
        } else if ((c == 'E' || c == 'e') && seenDigit && !p.exponent && i + 1 < f.size() &&
                   (f[i + 1] == '+' || f[i + 1] == '-')) {
            flushLiteral();
            p.exponent = true;
            p.exponentChar = c;
            p.exponentPlus = f[i + 1] == '+';
            ++i;
            while (i + 1 < f.size() && f[i + 1] == '0') {
                ++p.exponentZeros;
                ++i;
            }
        } else {
            literal += c;
        }
    }
    (seenDigit ? p.suffix : p.prefix) += literal;
    return p;
}

std::string ApplyPicture(const Picture& p, double value, bool withSign)
{
    const int maxFraction = p.fractionZeros + p.fractionHashes;
    std::string number;
    bool zero;
    if (p.exponent) {
        Decimal d = ToDecimal(value, 1 + maxFraction);
        zero = d.digits.empty();
        const std::string digits = zero ? std::string("0") : d.digits;
        number += digits[0];
        std::string fraction = digits.substr(1);
        while (static_cast<int>(fraction.size()) < p.fractionZeros) fraction += '0';
        if (!fraction.empty()) number += "." + fraction;
        const int exponent = zero ? 0 : d.exponent - 1;
        std::string e = std::to_string(std::abs(exponent));
        while (static_cast<int>(e.size()) < p.exponentZeros) e.insert(e.begin(), '0');
        number += p.exponentChar;
        if (exponent < 0) number += '-';
        else if (p.exponentPlus) number += '+';
        number += e;
    } else {
        Decimal d = ToDecimal(value);
        RoundToFraction(d, maxFraction);
        zero = d.digits.empty();
        std::string integer = FixedIntegerDigits(d);
        if (integer == "0" && p.integerZeros == 0) integer.clear();
        while (static_cast<int>(integer.size()) < p.integerZeros) integer.insert(integer.begin(), '0');
        number = p.thousands ? GroupThousands(integer) : integer;
        std::string fraction = FixedFractionDigits(d, maxFraction);
        while (static_cast<int>(fraction.size()) > p.fractionZeros && fraction.back() == '0') fraction.pop_back();
        if (!fraction.empty()) number += "." + fraction;
    }
    std::string s = withSign && value < 0 && !zero ? "-" : "";
    return s + p.prefix + number + p.suffix;
}

std::vector<std::string_view> SplitSections(std::string_view f)
{
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (quote) {
            if (f[i] == quote) quote = 0;
        } else if (f[i] == '"' || f[i] == '\'') {
            quote = f[i];
        } else if (f[i] == ';') {
            sections.push_back(f.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(f.substr(start));
    return sections;
}

[[noreturn]] void BadFormat(std::string_view format)
{
    throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

std::size_t CodePoints(const std::string& s)
{
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// At most `count` code points of s, never cutting a character in half.
std::string FirstCodePoints(const std::string& s, std::size_t count)
{
    std::size_t n = 0, i = 0;
    for (; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (n == count) break;
            ++n;
        }
    }
    return s.substr(0, i);
}

std::uint64_t AsUnsigned(std::int64_t v)
{
    // Negative 32-bit values print as the 32-bit pattern, as they would from an Integer.
    if (v < 0 && v >= INT32_MIN)
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
    return static_cast<std::uint64_t>(v);
}

std::string UnsignedDecimal(std::uint64_t v)
{
    return std::to_string(v);
}

} // namespace

std::string FloatToStr(double value)
{
    return GeneralText(value, 15);
}

std::string FormatFloat(std::string_view format, double value)
{
    if (format.empty())
        return FloatToStr(value);
    if (!std::isfinite(value))
        return NonFinite(value);
    const auto sections = SplitSections(format);
    if (value == 0 && sections.size() >= 3 && !sections[2].empty())
        return ApplyPicture(ParsePicture(sections[2]), 0, false);
    if (value < 0 && sections.size() >= 2 && !sections[1].empty())
        return ApplyPicture(ParsePicture(sections[1]), -value, false);
    return ApplyPicture(ParsePicture(sections[0]), value, true);
}

std::string FormatArgs(std::string_view format, const std::vector<FormatArg>& args)
{
    std::string out;
    std::size_t next = 0;
    auto takeArg = [&]() -> const FormatArg& {
        if (next >= args.size())
            BadFormat(format);
        return args[next++];
    };
    auto takeInt = [&]() -> std::int64_t {
        const FormatArg& a = takeArg();
        if (auto v = std::get_if<std::int64_t>(&a)) return *v;
        if (auto v = std::get_if<std::uint64_t>(&a)) return static_cast<std::int64_t>(*v);
        BadFormat(format);
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (++i >= format.size())
            BadFormat(format);
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        // Optional "index:".
        {
            std::size_t j = i;
            std::int64_t index = 0;
            bool star = false, digits = false;
            if (j < format.size() && format[j] == '*') { star = true; ++j; }
            else while (j < format.size() && format[j] >= '0' && format[j] <= '9') { index = index * 10 + (format[j] - '0'); ++j; digits = true; if (index > 1000000) BadFormat(format); }
            if ((star || digits) && j < format.size() && format[j] == ':') {
                if (star) index = takeInt();
                if (index < 0) BadFormat(format);
                next = static_cast<std::size_t>(index);
                i = j + 1;
            }
        }
        bool left = false, zeroPad = false;
        while (i < format.size() && (format[i] == '-' || format[i] == '0')) {
            (format[i] == '-' ? left : zeroPad) = true;
            ++i;
        }
        std::int64_t width = 0;
        if (i < format.size() && format[i] == '*') {
            width = takeInt();
            if (width < 0) { left = true; width = -width; }
            ++i;
        } else {
            while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                width = width * 10 + (format[i] - '0');
                if (width > 1000000) BadFormat(format);
                ++i;
            }
        }
        std::int64_t precision = -1;
        if (i < format.size() && format[i] == '.') {
            ++i;
            precision = 0;
            if (i < format.size() && format[i] == '*') {
                precision = takeInt();
                ++i;
            } else {
                while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                    precision = precision * 10 + (format[i] - '0');
                    if (precision > 1000000) BadFormat(format);
                    ++i;
                }
            }
        }
        if (i >= format.size())
            BadFormat(format);
        const char type = format[i];
        const FormatArg& arg = takeArg();
        std::string text;
        bool numeric = true;
        auto integerDigits = [&](std::string digits, bool negative) {
            if (precision > 0 && static_cast<std::int64_t>(digits.size()) < precision)
                digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
            return (negative ? "-" : "") + digits;
        };
        auto floatArg = [&]() -> double {
            if (auto v = std::get_if<double>(&arg)) return *v;
            BadFormat(format);
        };
        switch (type) {
        case 'd': case 'D': {
            if (auto v = std::get_if<std::int64_t>(&arg)) {
                const std::uint64_t magnitude = *v < 0 ? 0 - static_cast<std::uint64_t>(*v) : static_cast<std::uint64_t>(*v);
                text = integerDigits(UnsignedDecimal(magnitude), *v < 0);
            } else if (auto u = std::get_if<std::uint64_t>(&arg)) {
                text = integerDigits(UnsignedDecimal(*u), false);
            } else {
                BadFormat(format);
            }
            break;
        }
        case 'u': case 'U': {
            if (auto v = std::get_if<std::int64_t>(&arg)) text = integerDigits(UnsignedDecimal(AsUnsigned(*v)), false);
            else if (auto u = std::get_if<std::uint64_t>(&arg)) text = integerDigits(UnsignedDecimal(*u), false);
            else BadFormat(format);
            break;
        }
        case 'x': case 'X': {
            if (auto v = std::get_if<std::int64_t>(&arg)) text = integerDigits(IntToHex(AsUnsigned(*v), 1), false);
            else if (auto u = std::get_if<std::uint64_t>(&arg)) text = integerDigits(IntToHex(*u, 1), false);
            else BadFormat(format);
            break;
        }
        case 'f': case 'F':
            text = FixedText(floatArg(), precision < 0 ? 2 : static_cast<int>(std::min<std::int64_t>(precision, 18)), false);
            break;
        case 'n': case 'N': case 'm': case 'M':
            text = FixedText(floatArg(), precision < 0 ? 2 : static_cast<int>(std::min<std::int64_t>(precision, 18)), true);
            break;
        case 'g': case 'G':
            text = GeneralText(floatArg(), precision <= 0 ? 15 : static_cast<int>(std::min<std::int64_t>(precision, 17)));
            break;
        case 'e': case 'E':
            text = ExponentText(floatArg(), precision < 0 ? 15 : static_cast<int>(std::min<std::int64_t>(precision, 17)));
            break;
        case 'p': case 'P': {
            auto v = std::get_if<const void*>(&arg);
            if (!v) BadFormat(format);
            text = IntToHex(reinterpret_cast<std::uintptr_t>(*v), 2 * static_cast<int>(sizeof(void*)));
            break;
        }
        case 's': case 'S': {
            auto v = std::get_if<std::string>(&arg);
            if (!v) BadFormat(format);
            text = precision >= 0 ? FirstCodePoints(*v, static_cast<std::size_t>(precision)) : *v;
            numeric = false;
            break;
        }
        default:
            BadFormat(format);
        }
        const std::size_t length = CodePoints(text);
        if (static_cast<std::size_t>(width) > length) {
            const std::size_t pad = static_cast<std::size_t>(width) - length;
            if (left) {
                text.append(pad, ' ');
            } else if (zeroPad && numeric) {
                const std::size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
                text.insert(at, pad, '0');
            } else {
                text.insert(0, pad, ' ');
            }
        }
        out += text;
    }
    return out;
}
