// The menu designer's pictures: its skin with the design area's bezel, the
// gauge's groove and the background column; its buttons; the box shown while
// chapter pictures are made; the text dialog's skin and buttons. And the
// shipped menu backgrounds with their list, "Background.ini".
#include "programkit.h"

#include "gfx/jpeg.h"
#include "menu/menudesignerlayout.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

namespace ml = menulayout;

const Rgb kWell = Hex(0x0A1A36), kWellDeep = Hex(0x06101F);

void Recess(TBitmap& b, const Place& p, double margin, Rgb fill, double radius = 6)
{
    PaintBox(b, {p.left - margin, p.top - margin, p.left + p.width + margin, p.top + p.height + margin, radius, fill,
                 Darker(fill, 0.15), kWellDeep, 0, false, false});
}

TBitmap MenuSkin()
{
    TBitmap b = WindowBody(ml::kWidth, ml::kHeight, ml::kBandHeight);
    WindowHeading(b, "Setup DVD menu", "Choose a background, then place the title buttons and the title text");
    BodyPanel(b, 12, 58, ml::kWidth - 12, ml::kHeight - 58);
    // The design area's bezel, the gauge's groove and the background column's well.
    const Place& p = ml::kPreview;
    PaintBox(b, {p.left - 4.0, p.top - 4.0, p.left + p.width + 4.0, p.top + p.height + 4.0, 5, Hex(0x2A3646),
                 Hex(0x10161E), Hex(0x02060C), 0.15, false, true});
    Recess(b, ml::kGauge, 3, kWell, 4);
    Recess(b, ml::kBackgrounds, 3, kWell);
    Recess(b, ml::kBackgroundScroll, 2, kWell, 4);
    Recess(b, {ml::kBackgroundName.left, ml::kBackgroundName.top - 2, ml::kBackgroundName.width, 20}, 2,
           FromColor(0x3E200F), 5);
    Text(b, 20, ml::kHeight - 38, "Drag a title to move it, drag its edges to size it; double-click to edit.", 8,
         Hex(0x7F9CC4));
    return b;
}

TBitmap ProgressBox(const TBitmap& skin)
{
    const Place& p = ml::kProgressBox;
    TBitmap b = Crop(skin, p);
    PaintBox(b, {0, 0, double(p.width), double(p.height), 8, Hex(0x3A6AAE), Hex(0x173A72), Hex(0x02060C), 0.2, false,
                 true});
    return b;
}

// --- the shipped backgrounds -------------------------------------------------------------
constexpr int kBackWidth = 720, kBackHeight = 576;

// Every pixel from a function of its place (0..1 across and down).
template <class F>
TBitmap Scene(F colour)
{
    TBitmap b(kBackWidth, kBackHeight, pf24bit);
    for (int y = 0; y < kBackHeight; ++y)
        for (int x = 0; x < kBackWidth; ++x)
            b.SetPixel(x, y, ToColor(colour(double(x) / kBackWidth, double(y) / kBackHeight)));
    return b;
}

double Smooth(double edge0, double edge1, double v)
{
    const double t = std::clamp((v - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// A fixed scatter of stars.
double Star(double u, double v, unsigned seed)
{
    const int cx = int(u * 180), cy = int(v * 144);
    unsigned h = unsigned(cx) * 73856093u ^ unsigned(cy) * 19349663u ^ seed;
    h = (h ^ (h >> 13)) * 1274126177u;
    if ((h & 63) != 0) return 0;
    const double sx = (cx + ((h >> 8) & 255) / 255.0) / 180, sy = (cy + ((h >> 16) & 255) / 255.0) / 144;
    const double d = std::hypot((u - sx) * kBackWidth, (v - sy) * kBackHeight);
    return std::max(0.0, 1 - d / 1.6);
}

TBitmap Aurora()
{
    return Scene([](double u, double v) {
        Rgb c = Mix(Hex(0x040B1E), Hex(0x0C3A4A), v);
        for (int k = 0; k < 3; ++k) {
            const double centre = 0.25 + 0.12 * k + 0.06 * std::sin(u * 7 + k * 1.7);
            const double band = std::exp(-std::pow((v - centre) / (0.035 + 0.01 * k), 2));
            c = Mix(c, k == 1 ? Hex(0x5AF0B4) : Hex(0x3CC8A0), band * (0.55 - 0.12 * k));
        }
        c = Mix(c, Hex(0xFFFFFF), Star(u, v, 11) * (1 - v));
        const double ridge = 0.82 + 0.05 * std::sin(u * 9) + 0.03 * std::sin(u * 23);
        return v > ridge ? Mix(Hex(0x050A12), Hex(0x0A1420), (v - ridge) * 4) : c;
    });
}

TBitmap Harbour()
{
    return Scene([](double u, double v) {
        const double horizon = 0.62;
        if (v < horizon) {
            Rgb c = Mix(Hex(0x2A3C7A), Hex(0xF0A050), Smooth(0, horizon, v));
            const double sun = std::hypot((u - 0.7) * 1.25, v - 0.5);
            c = Mix(c, Hex(0xFFE4A0), Smooth(0.09, 0.06, sun));
            const double hills = horizon - 0.06 - 0.04 * std::sin(u * 5 + 1) - 0.02 * std::sin(u * 17);
            return v > hills ? Mix(Hex(0x1C2240), Hex(0x2A2A50), u) : c;
        }
        const double shimmer = 0.5 + 0.5 * std::sin(v * 260 + std::sin(u * 40) * 2);
        Rgb sea = Mix(Hex(0x3A3A6A), Hex(0x10183A), Smooth(horizon, 1, v));
        const double path = std::exp(-std::pow((u - 0.7) * 6, 2));
        return Mix(sea, Hex(0xFFC878), path * shimmer * 0.6 * (1 - Smooth(horizon, 1, v)));
    });
}

TBitmap Meadow()
{
    return Scene([](double u, double v) {
        Rgb c = Mix(Hex(0x4A90E0), Hex(0xCFE8FA), Smooth(0, 0.6, v));
        const double sun = std::hypot((u - 0.18) * 1.25, v - 0.16);
        c = Mix(c, Hex(0xFFF6C8), Smooth(0.11, 0.07, sun));
        for (int k = 0; k < 3; ++k) {
            const double crest = 0.55 + 0.12 * k + 0.05 * std::sin(u * (4 + k) + k * 2.1);
            if (v > crest) c = Mix(Hex(0x6CC04A), Hex(0x2E7A2A), std::min(1.0, (v - crest) * 3 + k * 0.25));
        }
        return c;
    });
}

TBitmap Sunset()
{
    return Scene([](double u, double v) {
        Rgb c = Mix(Mix(Hex(0x2A1050), Hex(0xC03A6A), Smooth(0, 0.5, v)), Hex(0xF8A040), Smooth(0.45, 0.8, v));
        const double d = std::hypot((u - 0.5) * 1.25, v - 0.66);
        if (d < 0.2) {
            const bool stripe = v > 0.62 && std::fmod(v * 60, 1.0) < 0.35 + (v - 0.62) * 6;
            if (!stripe) c = Mix(Hex(0xFFE070), Hex(0xFF7A3A), Smooth(0.46, 0.86, v));
        }
        return v > 0.84 ? Mix(Hex(0x24103A), Hex(0x100620), (v - 0.84) * 6) : c;
    });
}

TBitmap Starfield()
{
    return Scene([](double u, double v) {
        Rgb c = Mix(Hex(0x02030C), Hex(0x0A1436), std::hypot(u - 0.3, v - 0.7));
        c = Mix(c, Hex(0x3A2A6A), 0.35 * std::exp(-std::pow((v - 0.3 - 0.4 * u) * 5, 2)));
        c = Mix(c, Hex(0xFFFFFF), Star(u, v, 5));
        const double px = (u - 0.78) * 1.25, py = v - 0.26;
        const double planet = std::hypot(px, py);
        const double ring = std::abs(std::hypot(px, py * 3.2) - 0.16);
        if (planet < 0.09) c = Mix(Hex(0xE8B070), Hex(0x8A4A2A), Smooth(-0.09, 0.09, px + py));
        if (ring < 0.008 && (py > 0 || planet > 0.09)) c = Mix(c, Hex(0xF0D8A8), 0.85);
        return c;
    });
}

TBitmap Ocean()
{
    return Scene([](double u, double v) {
        Rgb c = Mix(Hex(0x0A5A9A), Hex(0x02203E), v);
        const double wave = std::sin(u * 14 + v * 30 + std::sin(v * 9) * 2);
        c = Mix(c, Hex(0x5AC8F0), std::max(0.0, wave - 0.85) * 2.5 * (1 - v));
        const double light = std::exp(-std::pow((u - 0.3 - 0.3 * v) * 5, 2)) * (1 - v);
        return Mix(c, Hex(0x9AE0FF), light * 0.25);
    });
}

TBitmap Velvet()
{
    return Scene([](double u, double v) {
        const double fold = 0.5 + 0.5 * std::sin(u * 46 + std::sin(v * 3) * 0.6);
        Rgb c = Mix(Hex(0x3A0610), Hex(0x9A1A2A), fold * (0.6 + 0.4 * v));
        const double drape = 0.08 + 0.06 * std::cos((u - 0.5) * 12);
        if (v < drape) c = Mix(Hex(0x6A0A18), Hex(0xB8283A), std::sin(u * 80) * 0.5 + 0.5);
        if (std::abs(v - drape) < 0.006) c = Hex(0xE8C060);
        return Mix(c, Hex(0x000000), Smooth(0.35, 0.75, std::hypot(u - 0.5, v - 0.55)) * 0.6);
    });
}

struct ShippedBackground {
    const char* name;
    TBitmap (*paint)();
    std::vector<TPoint> points;   // (Left, Top) in the design area
};

// "Background.ini": every number in its fixed columns (see menu/backgroundlist.h).
std::string BackgroundIni(const std::vector<ShippedBackground>& list)
{
    auto padded = [](std::string text, std::size_t width) {
        text.resize(width, ' ');
        return text;
    };
    auto number = [](int value, int width) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%*d", width, value);
        return std::string(buffer);
    };
    std::string ini = padded("Background pictures =", 22) + number(int(list.size()), 10) + "\n";
    ini += "; each picture: its name, its point count, the Top values, the Left values\n";
    for (const ShippedBackground& background : list) {
        std::string tops = padded("Top   :", 9), lefts = padded("Left  :", 9);
        for (const TPoint& p : background.points) {
            tops += number(p.Y, 3) + "  ";
            lefts += number(p.X, 3) + "  ";
        }
        ini += std::string(background.name) + "\n";
        ini += padded("Point count :", 14) + number(int(background.points.size()), 10) + "\n";
        ini += tops + "\n" + lefts + "\n\n";
    }
    return ini;
}

} // namespace

void SaveMenuPictures(const std::string& folder)
{
    const TBitmap skin = MenuSkin();
    skin.SaveToFile(folder + ml::kSkinFile);
    static const char* const words[6] = {"Add", "Remove", "Play", "Stop", "Titles", "Chapters"};
    for (int k = 0; k < 6; ++k)
        Strip4([&](int s) { return WordButtonState(skin, ml::kTitleButtons[k], words[k], k == 2, false, s); })
            .SaveToFile(folder + ml::kTitleButtonFiles[k]);
    Strip4([&](int s) { return WordButtonState(skin, ml::kLoadImage, "Own picture", false, false, s); })
        .SaveToFile(folder + ml::kLoadImageFile);
    Strip4([&](int s) { return WordButtonState(skin, ml::kBack, "Back", false, false, s); })
        .SaveToFile(folder + ml::kBackFile);
    Strip4([&](int s) { return WordButtonState(skin, ml::kNext, "Next", true, true, s); })
        .SaveToFile(folder + ml::kNextFile);
    Strip4([&](int s) { return OrbState(skin, ml::kClose, 4, s); }).SaveToFile(folder + ml::kCloseFile);
    ProgressBox(skin).SaveToFile(folder + ml::kProgressFile);

    namespace tl = ml::text;
    TBitmap text = WindowBody(tl::kWidth, tl::kHeight, 52);
    WindowHeading(text, "Text property", "The menu title's words and look");
    BodyPanel(text, tl::kBody);
    text.SaveToFile(folder + tl::kSkinFile);
    Strip4([&](int s) { return WordButtonState(text, tl::kCancel, "Cancel", false, false, s); })
        .SaveToFile(folder + tl::kCancelFile);
    Strip4([&](int s) { return WordButtonState(text, tl::kOk, "OK", true, false, s); }).SaveToFile(folder + tl::kOkFile);
    Strip4([&](int s) { return OrbState(text, tl::kClose, 4, s); }).SaveToFile(folder + tl::kCloseFile);
}

void SaveMenuBackgrounds(const std::string& dataFolder)
{
    const std::vector<TPoint> sixUp = {{40, 90}, {183, 90}, {326, 90}, {40, 212}, {183, 212}, {326, 212}};
    const std::vector<TPoint> fourUp = {{80, 84}, {287, 84}, {80, 206}, {287, 206}};
    const std::vector<TPoint> row = {{30, 150}, {183, 150}, {336, 150}};
    const std::vector<TPoint> column = {{300, 70}, {300, 160}, {300, 250}, {40, 70}, {40, 160}};
    const std::vector<ShippedBackground> list = {
        {"Aurora", Aurora, sixUp},   {"Harbour", Harbour, fourUp}, {"Meadow", Meadow, row},
        {"Sunset", Sunset, sixUp},   {"Starfield", Starfield, column}, {"Ocean", Ocean, fourUp},
        {"Velvet", Velvet, sixUp},
    };
    for (const ShippedBackground& background : list) {
        const TBitmap picture = background.paint();
        TJPEGImage jpeg;
        jpeg.SetCompressionQuality(90);
        jpeg.Assign(picture);
        jpeg.SaveToFile(dataFolder + "Background/" + background.name + ".jpg");
    }
    std::ofstream(dataFolder + "Background.ini", std::ios::binary) << BackgroundIni(list);
}
