#include "rtl/textfile.h"

#include "rtl/charsets.h"

#include "filehandle.h"

#include <cerrno>
#include <fcntl.h>
#include <vector>

namespace {

constexpr std::size_t kPiece = 64 * 1024;

} // namespace

struct TTextLineReader::State {
    explicit State(const std::string& path) : file(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

    rtl_detail::FileHandle file;
    std::size_t maxLine = 0;
    std::vector<char> raw = std::vector<char>(kPiece);
    std::string text;              // the piece being split into lines: UTF-8 for a UTF-16 file
    std::size_t at = 0;            // where the next line starts in `text`
    bool started = false;          // the byte-order mark was looked for
    bool ended = false;
    bool failed = false;
    bool skipLineFeed = false;     // a piece ended on CR: a line feed opening the next belongs to it
    TextEncoding mark = TextEncoding::Bytes;
    TUtf8Scanner utf8;
    // UTF-16 units split between pieces.
    int oddByte = -1;
    char32_t highSurrogate = 0;

    // Raw bytes, at least `want` unless the file ends first; false on a read error.
    bool Read(std::size_t want, std::size_t& got)
    {
        got = 0;
        while (got < want) {
            const ssize_t n = ::read(file.Get(), raw.data() + got, raw.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            if (n == 0) {
                ended = true;
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        return true;
    }
    void Utf16(const char* bytes, std::size_t count)
    {
        const bool little = mark == TextEncoding::Utf16LE;
        for (std::size_t i = 0; i < count; ++i) {
            if (oddByte < 0) {
                oddByte = static_cast<unsigned char>(bytes[i]);
                continue;
            }
            const auto next = static_cast<unsigned char>(bytes[i]);
            const char32_t unit = little ? (next << 8 | oddByte) : (oddByte << 8 | next);
            oddByte = -1;
            if (highSurrogate && unit >= 0xDC00 && unit <= 0xDFFF) {
                AppendUtf8(text, 0x10000 + ((highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
                highSurrogate = 0;
                continue;
            }
            if (highSurrogate) AppendUtf8(text, 0xFFFD);   // a high half without its low half
            highSurrogate = 0;
            if (unit >= 0xD800 && unit <= 0xDBFF) highSurrogate = unit;
            else AppendUtf8(text, unit);                    // a lone low half becomes U+FFFD there
        }
        if (ended && (oddByte >= 0 || highSurrogate)) AppendUtf8(text, 0xFFFD);
        if (ended) oddByte = -1, highSurrogate = 0;
    }
};

TTextLineReader::TTextLineReader(const std::string& path, std::size_t maxLine) : s_(std::make_unique<State>(path))
{
    s_->maxLine = maxLine;
    if (s_->file.Get() < 0) s_->failed = s_->ended = true;
}

TTextLineReader::~TTextLineReader() = default;

bool TTextLineReader::IsOpen() const { return s_->file.Get() >= 0; }

bool TTextLineReader::Failed() const { return s_->failed; }

TextEncoding TTextLineReader::Encoding() const
{
    if (s_->mark != TextEncoding::Bytes) return s_->mark;
    return s_->utf8.Valid() && s_->utf8.SawNonAscii() ? TextEncoding::Utf8 : TextEncoding::Bytes;
}

bool TTextLineReader::Fill()
{
    State& s = *s_;
    s.text.clear();
    s.at = 0;
    while (s.text.empty()) {
        if (s.ended) return false;
        std::size_t got = 0;
        // The first piece holds the whole mark, however the reads come.
        if (!s.Read(s.started ? 1 : 3, got)) {
            s.failed = s.ended = true;
            return false;
        }
        const char* bytes = s.raw.data();
        if (!s.started) {
            s.started = true;
            const auto at = [&](std::size_t i) { return i < got ? static_cast<unsigned char>(bytes[i]) : 0u; };
            std::size_t skip = 0;
            if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) s.mark = TextEncoding::Utf8, skip = 3;
            else if (at(0) == 0xFF && at(1) == 0xFE) s.mark = TextEncoding::Utf16LE, skip = 2;
            else if (at(0) == 0xFE && at(1) == 0xFF) s.mark = TextEncoding::Utf16BE, skip = 2;
            bytes += skip;
            got -= skip;
        }
        if (s.mark == TextEncoding::Utf16LE || s.mark == TextEncoding::Utf16BE) {
            s.Utf16(bytes, got);
        } else {
            s.utf8.Feed(std::string_view(bytes, got));
            s.text.assign(bytes, got);
        }
    }
    return true;
}

bool TTextLineReader::ReadLine(std::string& line)
{
    State& s = *s_;
    line.clear();
    bool any = false;
    for (;;) {
        if (s.at == s.text.size() && !Fill()) return any;
        if (s.skipLineFeed) {
            s.skipLineFeed = false;
            if (s.text[s.at] == '\n') {
                ++s.at;
                continue;
            }
        }
        const std::size_t end = s.text.find_first_of("\r\n", s.at);
        const std::size_t stop = end == std::string::npos ? s.text.size() : end;
        if (line.size() < s.maxLine)
            line.append(s.text, s.at, std::min(stop - s.at, s.maxLine - line.size()));
        any = true;
        s.at = stop;
        if (end != std::string::npos) {
            s.skipLineFeed = s.text[end] == '\r';
            ++s.at;
            return true;
        }
    }
}

TextEncoding TextFileEncoding(const std::string& path)
{
    TTextLineReader reader(path, 0);
    std::string line;
    while (reader.ReadLine(line)) {
    }
    return reader.Failed() ? TextEncoding::Bytes : reader.Encoding();
}
