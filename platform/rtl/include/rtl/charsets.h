#pragma once
// Text of other systems turned into UTF-8 for showing: 8-bit text of a named
// character set ("ISO-8859-1", "CP1250", "GB2312"), and UTF-8 checked to be
// well-formed, since files and names come from anywhere.
#include "rtl/export.h"

#include <string>
#include <string_view>

// The text in UTF-8, always well-formed. A byte that is no character of the
// set becomes U+FFFD; a set the system does not know is read as ISO-8859-1,
// unless the text already is well-formed UTF-8.
RTL_API std::string DecodeToUtf8(std::string_view bytes, const std::string& charset);

// How many bytes the well-formed UTF-8 character at the start of `text` takes
// (1 to 4); 0 when there is none: a stray or cut sequence, an overlong form, a
// surrogate or a value past U+10FFFF.
RTL_API int Utf8CharLength(std::string_view text);
RTL_API bool IsValidUtf8(std::string_view text);
// The text with each byte that starts no well-formed character replaced by U+FFFD.
RTL_API std::string ValidUtf8(std::string_view text);
// A code point as UTF-8; surrogates and values past U+10FFFF as U+FFFD.
RTL_API void AppendUtf8(std::string& out, char32_t codePoint);

// Well-formedness of UTF-8 that arrives in pieces: a character may be split
// between two pieces.
class RTL_API TUtf8Scanner {
public:
    void Feed(std::string_view bytes);
    // Every byte so far is part of a well-formed character, none left cut.
    bool Valid() const { return valid_ && need_ == 0; }
    // Some byte so far is not ASCII.
    bool SawNonAscii() const { return nonAscii_; }

private:
    bool valid_ = true;
    bool nonAscii_ = false;
    int need_ = 0;                         // continuation bytes still to come
    unsigned char low_ = 0x80, high_ = 0xBF;   // the range of the next one
};
