#pragma once
// Just enough XML for the control files the authoring library is handed:
// the start tags with their attributes, where each value sits in the text,
// and escaping for values written back (XmlEscape and XmlUnescape, from rtl).
#include "rtl/sysutils.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct XmlAttribute {
    std::string name;
    std::string value;          // entities decoded
    std::size_t rawBegin = 0;   // the value's text between its quotes
    std::size_t rawEnd = 0;
};

struct XmlTag {
    std::string name;
    std::vector<XmlAttribute> attributes;
    const XmlAttribute* Find(std::string_view attribute) const;
};

// Start and empty-element tags in document order; comments, declarations,
// processing instructions, CDATA and end tags are passed over. A malformed
// tag ends the scan: what came before it is answered.
std::vector<XmlTag> ScanStartTags(std::string_view text);
