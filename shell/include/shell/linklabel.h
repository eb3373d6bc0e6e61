#pragma once
// Text and link labels of the program's dialogs. A link label is the skin's:
// underlined blue, red under the pointer, and it opens its address when clicked.
#include "gfx/graphics.h"

#include <string>

class TControl;
class TWinControl;

TControl* NewTextLabel(TWinControl* parent, const char* name, int x, int y, const std::string& text, int size,
                       TColor color, bool bold = false);
TControl* NewLinkLabel(TWinControl* parent, const char* name, int x, int y, const std::string& text,
                       const std::string& address);

constexpr TColor kLinkColor = 0xFF0000;    // blue
constexpr TColor kLinkHoverColor = 0x0000FF;   // red
