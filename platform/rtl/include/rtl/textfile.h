#pragma once
// Text files as other programs write them: 8-bit text of some character set,
// UTF-8 with or without a byte-order mark, UTF-16 with one; lines ended by
// CR, LF or CR LF, mixed within one file. Read in pieces, so that a file of any
// size costs one piece and one line of memory.
#include "rtl/export.h"

#include <cstddef>
#include <memory>
#include <string>

enum class TextEncoding { Bytes, Utf8, Utf16LE, Utf16BE };

inline bool IsUnicode(TextEncoding encoding) { return encoding != TextEncoding::Bytes; }

class RTL_API TTextLineReader {
public:
    static constexpr std::size_t kDefaultMaxLine = 64 * 1024;

    explicit TTextLineReader(const std::string& path, std::size_t maxLine = kDefaultMaxLine);
    ~TTextLineReader();
    TTextLineReader(const TTextLineReader&) = delete;
    TTextLineReader& operator=(const TTextLineReader&) = delete;

    bool IsOpen() const;
    // The next line without its end. A line longer than maxLine bytes is cut
    // there and the rest of it skipped. A UTF-16 file's lines come as UTF-8,
    // the others' as their bytes (a byte-order mark left out). False at the
    // end of the file, or when a read failed (Failed tells).
    bool ReadLine(std::string& line);
    bool Failed() const;
    // The file's encoding as far as it was read: what its byte-order mark
    // names; without one UTF-8 when every byte was part of a well-formed UTF-8
    // character and some was not ASCII, else Bytes. Final once ReadLine
    // answered false.
    TextEncoding Encoding() const;

private:
    struct State;
    bool Fill();
    std::unique_ptr<State> s_;
};

// A whole file's encoding as TTextLineReader tells it; Bytes for a file that
// cannot be read.
RTL_API TextEncoding TextFileEncoding(const std::string& path);
