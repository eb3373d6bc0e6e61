#include "testkit/clips.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace testkit {
namespace {

constexpr Rgb kRegions[kRegionCount] = {{220, 30, 30}, {30, 200, 30}, {30, 30, 220}, {230, 220, 30}};
constexpr Rgb kBitOn = {235, 235, 235};
constexpr Rgb kBitOff = {16, 16, 16};

int Luma(Rgb c) { return (c.r * 77 + c.g * 150 + c.b * 29) >> 8; }

// Average of a small square, so one noisy pixel of a compressed frame does not decide.
Rgb Sample(const PictureView& p, int cx, int cy)
{
    int r = 0, g = 0, b = 0, n = 0;
    for (int y = cy - 2; y <= cy + 2; ++y)
        for (int x = cx - 2; x <= cx + 2; ++x) {
            if (x < 0 || y < 0 || x >= p.width || y >= p.height) continue;
            Rgb c = p.At(x, y);
            r += c.r;
            g += c.g;
            b += c.b;
            ++n;
        }
    if (n == 0) return {};
    return {static_cast<std::uint8_t>(r / n), static_cast<std::uint8_t>(g / n), static_cast<std::uint8_t>(b / n)};
}

} // namespace

Rgb RegionColour(int region)
{
    if (region < 0 || region >= kRegionCount) throw ClipError("no such colour region");
    return kRegions[region];
}

void DrawFrame(int index, int width, int height, std::uint8_t* rgb, int stride)
{
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = rgb + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            Rgb c;
            if (y < height / 2) {
                c = kRegions[x * kRegionCount / width];
            } else {
                int bit = kCounterBits - 1 - x * kCounterBits / width;
                c = (index >> bit) & 1 ? kBitOn : kBitOff;
            }
            row[3 * x] = c.r;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.b;
        }
    }
}

void DrawGrainFrame(int index, int width, int height, std::uint8_t* rgb, int stride)
{
    // Smooth texture from three waves, looked up rather than computed per pixel.
    static const auto wave = [] {
        std::array<int, 1024> w{};
        for (int i = 0; i < 1024; ++i) w[i] = static_cast<int>(std::lround(40 * std::sin(i * 2 * std::numbers::pi / 1024)));
        return w;
    }();
    const int panX = 3 * index, panY = index;   // the camera pans right and a little down
    struct Disc {
        int x, y, r;
        Rgb colour;
    };
    const Disc discs[3] = {{(40 + 7 * index) % (width + 120) - 60, height / 3, 50, {240, 200, 60}},
                           {width - (11 * index) % (width + 160) + 80, height * 2 / 3, 70, {60, 200, 240}},
                           {width / 2 + static_cast<int>(200 * std::sin(index / 20.0)), height / 2 +
                                static_cast<int>(150 * std::cos(index / 27.0)), 40, {230, 80, 160}}};
    // Grain: a fresh pseudo-random value per pixel and frame (xorshift), triangular.
    std::uint32_t seed = 0x9E3779B9u ^ static_cast<std::uint32_t>(index * 2654435761u);
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    };
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = rgb + static_cast<std::ptrdiff_t>(y) * stride;
        const int ty = y + panY;
        for (int x = 0; x < width; ++x) {
            const int tx = x + panX;
            const int t = wave[(tx * 5) & 1023] + wave[(ty * 7) & 1023] + wave[((tx + ty) * 3) & 1023] / 2;
            int r = 120 + t, g = 110 + t / 2 + wave[(ty * 3) & 1023] / 2, b = 100 - t / 2 + wave[(tx * 2) & 1023] / 2;
            for (const Disc& d : discs) {
                const int dx = x - d.x, dy = y - d.y;
                if (dx * dx + dy * dy <= d.r * d.r) r = d.colour.r, g = d.colour.g, b = d.colour.b;
            }
            const std::uint32_t n = next();
            const int grain = (static_cast<int>(n & 31) + static_cast<int>((n >> 5) & 31) - 31) * 7 / 8;   // -27..27
            const int chroma = (static_cast<int>((n >> 10) & 15) - 8) / 2;
            row[3 * x] = static_cast<std::uint8_t>(std::clamp(r + grain + chroma, 0, 255));
            row[3 * x + 1] = static_cast<std::uint8_t>(std::clamp(g + grain, 0, 255));
            row[3 * x + 2] = static_cast<std::uint8_t>(std::clamp(b + grain - chroma, 0, 255));
        }
    }
}

Rgb PictureView::At(int x, int y) const
{
    if (!data || x < 0 || y < 0 || x >= width || y >= height || stride < 3 * width)
        throw ClipError("picture read out of bounds");
    int row = bottomUp ? height - 1 - y : y;
    const std::uint8_t* px = data + static_cast<std::ptrdiff_t>(row) * stride + 3 * x;
    return bgr ? Rgb{px[2], px[1], px[0]} : Rgb{px[0], px[1], px[2]};
}

int ReadFrameCounter(const PictureView& picture)
{
    if (picture.width < kCounterBits || picture.height < 4) return -1;
    int cy = picture.height * 3 / 4;
    int value = 0;
    for (int i = 0; i < kCounterBits; ++i) {
        int cx = (2 * i + 1) * picture.width / (2 * kCounterBits);
        int l = Luma(Sample(picture, cx, cy));
        if (l > 170) value = (value << 1) | 1;
        else if (l < 80) value <<= 1;
        else return -1;   // neither black nor white: not our picture
    }
    return value;
}

bool RegionsMatch(const PictureView& picture, int tolerance)
{
    if (picture.width < kRegionCount || picture.height < 4) return false;
    int cy = picture.height / 4;
    for (int i = 0; i < kRegionCount; ++i) {
        int cx = (2 * i + 1) * picture.width / (2 * kRegionCount);
        Rgb got = Sample(picture, cx, cy);
        Rgb want = kRegions[i];
        if (std::abs(got.r - want.r) > tolerance || std::abs(got.g - want.g) > tolerance ||
            std::abs(got.b - want.b) > tolerance)
            return false;
    }
    return true;
}

std::int16_t SineSample(int channel, std::int64_t sampleIndex, int sampleRate)
{
    double freq = channel == 0 ? 440.0 : 660.0;
    double t = static_cast<double>(sampleIndex) / sampleRate;
    return static_cast<std::int16_t>(std::lround(12000.0 * std::sin(2.0 * std::numbers::pi * freq * t)));
}

} // namespace testkit
