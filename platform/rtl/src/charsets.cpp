#include "rtl/charsets.h"

#include <cerrno>
#include <iconv.h>
#include <strings.h>

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";

// Each byte as the code point of the same number.
std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) AppendUtf8(out, c);
    return out;
}

bool NamesUtf8(const std::string& charset)
{
    return strcasecmp(charset.c_str(), "UTF-8") == 0 || strcasecmp(charset.c_str(), "UTF8") == 0;
}

// The length of the sequence a lead byte (0x80 and up) starts, 0 for none,
// and the range of its second byte: narrower for the leads that could start an
// overlong form (E0, F0), a surrogate (ED) or a value past U+10FFFF (F4).
int LeadLength(unsigned char lead, unsigned char& low, unsigned char& high)
{
    low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) {
        low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
        return 4;
    }
    return 0;
}

} // namespace

int Utf8CharLength(std::string_view text)
{
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return 1;
    unsigned char low = 0, high = 0;
    const int length = LeadLength(lead, low, high);
    if (length == 0) return 0;
    if (text.size() < static_cast<std::size_t>(length)) return 0;
    const auto second = static_cast<unsigned char>(text[1]);
    if (second < low || second > high) return 0;
    for (int i = 2; i < length; ++i)
        if ((static_cast<unsigned char>(text[static_cast<std::size_t>(i)]) & 0xC0) != 0x80) return 0;
    return length;
}

bool IsValidUtf8(std::string_view text)
{
    TUtf8Scanner scanner;
    scanner.Feed(text);
    return scanner.Valid();
}

void TUtf8Scanner::Feed(std::string_view bytes)
{
    for (const char byte : bytes) {
        if (!valid_) return;
        const auto c = static_cast<unsigned char>(byte);
        if (need_ > 0) {
            if (c < low_ || c > high_) valid_ = false;
            low_ = 0x80, high_ = 0xBF;
            --need_;
            continue;
        }
        if (c < 0x80) continue;
        nonAscii_ = true;
        const int length = LeadLength(c, low_, high_);
        if (length == 0) valid_ = false;
        else need_ = length - 1;
    }
}

std::string ValidUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const int n = Utf8CharLength(text.substr(i));
        if (n == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(text.substr(i, static_cast<std::size_t>(n)));
            i += static_cast<std::size_t>(n);
        }
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
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

std::string DecodeToUtf8(std::string_view bytes, const std::string& charset)
{
    // UTF-8 is checked here: the system's converter lets five- and six-byte
    // forms and values past U+10FFFF through.
    if (NamesUtf8(charset)) return ValidUtf8(bytes);
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return IsValidUtf8(bytes) ? std::string(bytes) : Latin1ToUtf8(bytes);
    std::string result;
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char buffer[4096];
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(cd, &in, &inLeft, &out, &outLeft);
        result.append(buffer, static_cast<std::size_t>(out - buffer));
        if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // EILSEQ or EINVAL (a character cut at the end): one byte is lost for the mark.
        result += kReplacement;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    // Sets of wide units ("UCS-4") can name values UTF-8 cannot hold.
    return IsValidUtf8(result) ? result : ValidUtf8(result);
}
