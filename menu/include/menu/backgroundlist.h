#pragma once
// The shipped menu backgrounds: "Background.ini" beside the program names each
// picture of the Background/ folder and the design-area positions at which it
// expects its title buttons.
//
// The file is read as plain lines (0-based) with numbers in fixed 1-based
// column ranges, each trimmed and read leniently (LenientInt):
//   line 0        the number of pictures N in columns 23-32
//   line 5i + 2   the name of picture i (the whole line, trimmed)
//   line 5i + 3   its point count in columns 15-24
//   line 5i + 4   the Top values: point k in columns 10 + 5k to 12 + 5k
//   line 5i + 5   the Left values, in the same columns
// A file that promises more pictures or points than it holds is read for what
// it holds: a picture needs its name line, a point its two values.
#include "gfx/types.h"

#include <cstdint>
#include <string>
#include <vector>

struct BackgroundProperty {
    std::vector<TPoint> Points;   // (Left, Top) of title button 0, 1, 2, ...
    std::int32_t PointCount = 0;  // as many as Points holds
    std::string Name;             // the picture is "Background/" + Name + ".jpg"
};

// Leading blanks skipped, an optional sign, then the digits up to the first
// other character; no digits give 0, and a number past the 32-bit range
// stops at its end.
std::int32_t LenientInt(const std::string& text);

std::vector<BackgroundProperty> ParseBackgroundList(const std::vector<std::string>& lines);
// The shipped list, through the program's data folders; empty when there is none.
std::vector<BackgroundProperty> LoadShippedBackgroundList();
// The picture file of a shipped background, through the data folders; empty when missing.
std::string ShippedBackgroundFile(const BackgroundProperty& background);
