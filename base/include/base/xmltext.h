#pragma once
// Text written into the XML control files handed to the authoring and image
// tools: escaped, and refused when it could not be read back as it was meant.
#include "rtl/sysutils.h"   // XmlEscape

#include <string>
#include <string_view>

// True when text is well-formed UTF-8 without the control characters XML 1.0
// cannot carry (anything below 0x20 but tab, line feed and carriage return).
bool IsXmlSafeText(std::string_view text);
