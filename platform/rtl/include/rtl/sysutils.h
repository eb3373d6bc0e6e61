#pragma once
// Exceptions, conversions and text helpers of the runtime.
#include "rtl/export.h"

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

// Base of every exception the framework and the program raise.
class RTL_API Exception : public std::exception {
public:
    explicit Exception(std::string message);
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Exported from whichever library declares one, so that every library raising
// or catching it shares one type.
#define KELDARA_EXCEPTION(Name, Base)          \
    class RTL_API Name : public Base {         \
    public:                                    \
        using Base::Base;                      \
    }

KELDARA_EXCEPTION(EAbort, Exception);            // silent: ends an operation without a message
KELDARA_EXCEPTION(EConvertError, Exception);     // text that is not a number
KELDARA_EXCEPTION(ERangeError, Exception);       // checked index out of its bounds
KELDARA_EXCEPTION(EListError, Exception);        // list index out of bounds, duplicates refused
KELDARA_EXCEPTION(EStringListError, Exception);
KELDARA_EXCEPTION(EStreamError, Exception);
KELDARA_EXCEPTION(EFOpenError, EStreamError);    // a file that cannot be opened
KELDARA_EXCEPTION(EFCreateError, EStreamError);  // a file that cannot be created
KELDARA_EXCEPTION(EReadError, EStreamError);     // short read from a stream
KELDARA_EXCEPTION(EWriteError, EStreamError);    // short write to a stream
KELDARA_EXCEPTION(EInOutError, Exception);
KELDARA_EXCEPTION(EOSError, Exception);
KELDARA_EXCEPTION(EThread, Exception);
KELDARA_EXCEPTION(EIniFileException, Exception); // a settings file that cannot be written
KELDARA_EXCEPTION(EInvalidOperation, Exception);
KELDARA_EXCEPTION(EInvalidPointer, Exception);
KELDARA_EXCEPTION(EOutOfResources, Exception);

// Raises EAbort.
[[noreturn]] RTL_API void Abort();

// Checked element access: raises ERangeError("Range check error") outside 0..size-1.
template <class C>
auto& CheckedAt(C& container, std::int64_t index);
[[noreturn]] RTL_API void RaiseRangeError();

template <class C>
auto& CheckedAt(C& container, std::int64_t index)
{
    if (index < 0 || static_cast<std::uint64_t>(index) >= container.size())
        RaiseRangeError();
    return container[static_cast<std::size_t>(index)];
}

// Numbers and texts. Integer parsing accepts optional sign, decimal, "$" hex and
// "0x" hex, surrounding blanks refused, as the framework does.
RTL_API std::string IntToStr(std::int64_t value);
RTL_API std::string IntToHex(std::uint64_t value, int digits);
RTL_API bool TryStrToInt(std::string_view text, int& value);
RTL_API bool TryStrToInt64(std::string_view text, std::int64_t& value);
RTL_API int StrToInt(std::string_view text);                       // EConvertError when not a number
RTL_API int StrToIntDef(std::string_view text, int fallback);
RTL_API std::int64_t StrToInt64Def(std::string_view text, std::int64_t fallback);
RTL_API bool TryStrToFloat(std::string_view text, double& value);   // '.' is the decimal separator
RTL_API double StrToFloat(std::string_view text);
RTL_API double StrToFloatDef(std::string_view text, double fallback);
RTL_API std::string FloatToStr(double value);                       // shortest of 15 significant digits, as the framework prints
RTL_API std::string FormatFloat(std::string_view format, double value); // "0.00", "#,##0.0" style
RTL_API std::string BoolToStr(bool value, bool asWords = false);     // "-1"/"0" or "True"/"False"

// Delphi-style Format: %d %u %x %X %s %f %g %e %n %p %%, with "index:", width, '-' and
// precision (for example "%.2f", "%5d", "%-10s", "%.3d", "%1:s", "%*d"). Hex digits are
// upper case for %x too, as the framework prints them; a '0' flag pads numbers with zeros
// ("%02d"). Widths count characters, not bytes. A mismatched or missing argument raises
// EConvertError("Format '...' invalid or incompatible with argument").
using FormatArg = std::variant<std::int64_t, std::uint64_t, double, std::string, const void*>;
RTL_API std::string FormatArgs(std::string_view format, const std::vector<FormatArg>& args);

namespace detail {
inline FormatArg ToFormatArg(const std::string& v) { return v; }
inline FormatArg ToFormatArg(std::string_view v) { return std::string(v); }
inline FormatArg ToFormatArg(const char* v) { return std::string(v ? v : ""); }
inline FormatArg ToFormatArg(char* v) { return std::string(v ? v : ""); }
inline FormatArg ToFormatArg(double v) { return v; }
inline FormatArg ToFormatArg(float v) { return static_cast<double>(v); }
inline FormatArg ToFormatArg(bool v) { return static_cast<std::int64_t>(v); }
inline FormatArg ToFormatArg(const void* v) { return v; }
template <class T>
FormatArg ToFormatArg(T v)
    requires std::is_integral_v<T>
{
    if constexpr (std::is_signed_v<T>) return static_cast<std::int64_t>(v);
    else return static_cast<std::uint64_t>(v);
}
} // namespace detail

template <class... A>
std::string Format(std::string_view format, const A&... args)
{
    return FormatArgs(format, {detail::ToFormatArg(args)...});
}

// Text helpers. Case rules are ASCII (the program's texts are English); UTF-8
// bytes above 127 pass unchanged.
RTL_API std::string Trim(std::string_view s);       // drops control characters and blanks (<= ' ') at both ends
RTL_API std::string TrimLeft(std::string_view s);
RTL_API std::string TrimRight(std::string_view s);
RTL_API std::string UpperCase(std::string_view s);
RTL_API std::string LowerCase(std::string_view s);
RTL_API int CompareText(std::string_view a, std::string_view b);   // case-insensitive, <0, 0, >0
RTL_API bool SameText(std::string_view a, std::string_view b);
RTL_API bool StartsText(std::string_view prefix, std::string_view s);
RTL_API bool EndsText(std::string_view suffix, std::string_view s);
RTL_API std::string QuotedStr(std::string_view s);                  // 'it''s'
// For XML attribute values and text: & < > " ' become entities; every other byte
// is kept (the text stays UTF-8).
RTL_API std::string XmlEscape(std::string_view text);
// The five named entities and numeric character references decoded (a
// reference to no character gives U+FFFD); anything else is kept as written.
RTL_API std::string XmlUnescape(std::string_view raw);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
RTL_API std::string StringReplace(std::string_view s, std::string_view from, std::string_view to, unsigned flags);

// Date and time as the framework holds them: days since 1899-12-30, fraction = time of day.
using TDateTime = double;
RTL_API TDateTime Now();
RTL_API TDateTime EncodeDate(int year, int month, int day);              // EConvertError on a bad date
RTL_API TDateTime EncodeTime(int hour, int minute, int second, int msec);
RTL_API void DecodeDate(TDateTime t, int& year, int& month, int& day);
RTL_API void DecodeTime(TDateTime t, int& hour, int& minute, int& second, int& msec);
