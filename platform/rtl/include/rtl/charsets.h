#pragma once
// 8-bit text of a named character set ("ISO-8859-1", "CP1250", "GB2312")
// turned into UTF-8 for showing, as files made on other systems come.
#include "rtl/export.h"

#include <string>
#include <string_view>

// The text in UTF-8. A byte that is no character of the set becomes U+FFFD;
// a set the system does not know is read as ISO-8859-1, unless the text
// already is well-formed UTF-8.
RTL_API std::string DecodeToUtf8(std::string_view bytes, const std::string& charset);
