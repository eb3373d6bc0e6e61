#pragma once
// Wide texts (wchar_t, one code point per unit here) beside the UTF-8 texts
// the rest of the program uses.
#include "com/export.h"
#include "com/types.h"

#include <string>
#include <string_view>

// Text is UTF-8, but file names are bytes: a byte b that is not part of valid
// UTF-8 becomes the lone surrogate U+DC00 + b, which WideToUtf8 turns back
// into b, so any name comes back unchanged. Other lone surrogates become U+FFFD.
COM_API std::wstring Utf8ToWide(std::string_view text);
COM_API std::string WideToUtf8(std::wstring_view text);
COM_API std::string WideToUtf8(LPCWSTR text);                  // null gives ""
// UTF-16 code units (registry files) to and from UTF-8, by the same rules:
// bytes that are not UTF-8 travel as escaped bytes and come back as themselves.
COM_API std::string Utf16ToUtf8(std::u16string_view units);
COM_API std::u16string Utf8ToUtf16(std::string_view text);
// A copy in CoTaskMemAlloc memory, for out parameters the caller frees with CoTaskMemFree.
COM_API LPWSTR CoTaskMemWideString(std::wstring_view text);
// Copies into a fixed array of the interfaces (FILTER_INFO::achName), truncating, always terminated.
COM_API void CopyWide(LPWSTR dest, std::size_t capacity, std::wstring_view text);
