#pragma once
// The shared FreeType engine: faces found through fontconfig, glyphs cached.
// Every call takes the engine's lock.
#include "gfx/graphics.h"

#include <functional>
#include <string>
#include <string_view>

struct EngineMetrics {
    int ascent = 0;
    int descent = 0;
    int height = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int underlinePosition = 0;  // rows below the baseline
    int underlineThickness = 1;
    int strikeOutPosition = 0;  // rows above the baseline
    bool fixedPitch = false;
};

namespace fontengine {
EngineMetrics Metrics(const TFont& font);
// Sum of the characters' advances in pixels (UTF-8 text).
int TextWidth(const TFont& font, std::string_view text);
// Calls plot(x, y, coverage) for glyph pixels, relative to the text's top-left
// (the top of the cell, baseline at ascent). coverage is 0..255; one-bit fonts give 255.
void Render(const TFont& font, std::string_view text, const std::function<void(int, int, int)>& plot);
bool AntiAliased(const TFont& font);
} // namespace fontengine
