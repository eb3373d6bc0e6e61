// Font lookup and metrics.
#include "gfx/fonts.h"

std::vector<TFontFamily> EnumFontFamilies() { return {}; }
std::vector<std::string> ScreenFonts() { return {}; }
std::string ResolveFontFile(const std::string&, TFontStyles) { return {}; }
std::string ResolveFontFamily(const std::string& family) { return family; }
std::string FindFontFile(const std::string&) { return {}; }
TTextMetric FontMetrics(const TFont&) { return {}; }
