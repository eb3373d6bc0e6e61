#pragma once
// Helpers shared by the graphics tests: running the independent tools
// (ImageMagick, Python) and reading their PPM output.
#include "gfx/bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gfxtest {

// Runs a program with an argument vector; answers its exit status (-1 when it could not start).
int RunTool(const std::vector<std::string>& argv);
bool HaveTool(const std::string& name);

// A binary PPM (P6, maxval 255) as RGB triples, top row first.
struct Ppm {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    TColor At(int x, int y) const;
};
bool ReadPpm(const std::string& path, Ppm& out);
void WritePpm(const std::string& path, const Ppm& image);
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFile(const std::string& path);

// A fresh folder for one test.
std::string TempDir();

// A bitmap with every pixel set from f(x, y).
template <class F>
TBitmap Pattern(int w, int h, F f, TPixelFormat format = pf24bit)
{
    TBitmap b(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, f(x, y));
    return b;
}

} // namespace gfxtest
