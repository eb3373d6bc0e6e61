// The source clips window's pictures: its skin with the clip strip, the
// preview's bezel, the info box and the disc box; the list and preview
// buttons; the play bar and its slider; the disc-kind badges; the loading box.
#include "programkit.h"

#include "gfx/canvas.h"
#include "shell/clipslayout.h"

#include <cmath>

namespace {

namespace cl = clipslayout;

const Rgb kWell = Hex(0x0A1A36), kWellDeep = Hex(0x06101F);

// A box sunk into the panel: darker inside, a dark rule above and a light one below.
void Recess(TBitmap& b, double left, double top, double right, double bottom, Rgb fill, double radius = 6)
{
    PaintBox(b, {left, top, right, bottom, radius, fill, Darker(fill, 0.15), kWellDeep, 0, false, false});
    for (int x = int(left + radius); x < int(right - radius); ++x)
        b.SetPixel(x, int(bottom), ToColor(Mix(FromColor(b.Pixel(x, int(bottom))), Hex(0x6A9AD8), 0.5)));
}

TBitmap ClipsSkin()
{
    TBitmap b = WindowBody(cl::kWidth, cl::kHeight, cl::kBandHeight);
    WindowHeading(b, "Setup source clips", "Add, order, preview and trim the clips of your disc");
    BodyPanel(b, 12, 58, cl::kWidth - 12, 582);

    // The clip strip: a dark well with a faint frame where each thumbnail goes.
    const Place& s = cl::kClipPanel;
    Recess(b, s.left - 3, s.top - 3, s.left + s.width + 3, s.top + s.height + 3, kWell);
    for (int k = 0; k < cl::kVisibleClips; ++k) {
        const double x = s.left + 4, y = s.top + 9 + 100 * k;
        PaintBox(b, {x, y, x + 103, y + 78, 3, Hex(0x10254A), Hex(0x0C1C3A), Hex(0x2A4A7A), 0, false, false});
        PaintShape(b, int(x), int(y), 103, 78, Hex(0x2A4A7A), [](double px, double py) {
            return InTriangle(px, py, 45, 28, 45, 50, 62, 39);
        }, 0.7);
    }
    // The preview's bezel.
    const Place& p = cl::kPreview;
    PaintBox(b, {p.left - 4.0, p.top - 4.0, p.left + p.width + 4.0, p.top + p.height + 4.0, 5, Hex(0x2A3646),
                 Hex(0x10161E), Hex(0x02060C), 0.15, false, true});
    // The clip's facts, and the disc box.
    const Place& i = cl::kInfo;
    Recess(b, i.left - 4, i.top - 4, i.left + i.width + 4, i.top + i.height + 4, FromColor(0x4A2612), 8);
    const Place& d = cl::kSpaceLabel;
    Recess(b, d.left - 4, d.top - 6, d.left + d.width + 4, 524, FromColor(0x3E200F), 8);
    Text(b, 20, 590, "Select a clip to preview it; set its begin and end while it plays.", 8, Hex(0x7F9CC4));
    return b;
}

// The glassy face every button of the window shares.
void ButtonFace(TBitmap& b, const Place& p, int state, Rgb top, Rgb bottom, double radius)
{
    const bool hot = state == 1, down = state == 2, off = state == 3;
    const double o = down ? 1 : 0;
    if (hot) top = Lighter(top, 0.2), bottom = Lighter(bottom, 0.15);
    if (down) top = Darker(top, 0.2), bottom = Darker(bottom, 0.15);
    Rgb border = hot ? Hex(0xA8D0FF) : Hex(0x06101F);
    if (off) top = Grey(top), bottom = Grey(bottom), border = Grey(border);
    PaintBox(b, {1 + o, 1 + o, p.width - 1 + o, p.height - 1 + o, radius, top, bottom, border, down ? 0.1 : 0.35, false,
                 true});
}

// A film frame with sprocket holes, centred at (cx, cy).
void FilmFrame(TBitmap& b, double cx, double cy, Rgb ink)
{
    PaintBox(b, {cx - 13, cy - 10, cx + 13, cy + 10, 2, Hex(0x30343C), Hex(0x14161A), Hex(0x000000), 0.1, false, false});
    for (int k = 0; k < 4; ++k) {
        const double x = cx - 11 + k * 6.5;
        PaintBox(b, {x, cy - 8.5, x + 3.5, cy - 6, 0.5, ink, ink, ink, 0, false, false});
        PaintBox(b, {x, cy + 6, x + 3.5, cy + 8.5, 0.5, ink, ink, ink, 0, false, false});
    }
    PaintBox(b, {cx - 10, cy - 4.5, cx + 10, cy + 4.5, 1, Hex(0x8CD0FF), Hex(0x2C7AD0), Hex(0x10305A), 0.2, false, false});
}

// Add, remove, up and down: a square tile with its glyph.
TBitmap ListButtonState(const TBitmap& skin, int which, int state)
{
    const Place& p = cl::kListButtons[which];
    TBitmap b = Crop(skin, p);
    ButtonFace(b, p, state, Hex(0x5E7494), Hex(0x2E3E5A), 8);
    const bool off = state == 3;
    const double o = state == 2 ? 1 : 0, cx = p.width / 2.0 + o, cy = p.height / 2.0 + o;
    const Rgb white = off ? Hex(0xD8D8D8) : Hex(0xFFFFFF);
    if (which <= 1) {
        FilmFrame(b, cx - 3, cy - 2, white);
        const Rgb badge = off ? Hex(0xA0A0A0) : which == 0 ? Hex(0x3CC45A) : Hex(0xE0463A);
        const double bx = cx + 9, by = cy + 8;
        PaintShape(b, 0, 0, p.width, p.height, badge, [=](double x, double y) { return std::hypot(x - bx, y - by) < 7.5; });
        PaintShape(b, 0, 0, p.width, p.height, white, [=](double x, double y) {
            const bool across = std::abs(y - by) < 1.4 && std::abs(x - bx) < 4.5;
            const bool up = std::abs(x - bx) < 1.4 && std::abs(y - by) < 4.5;
            return which == 0 ? across || up : across;
        });
    } else {
        const double dir = which == 2 ? -1 : 1;
        PaintShape(b, 0, 0, p.width, p.height, white, [=](double x, double y) {
            const double ty = cy + dir * 9, by = cy - dir * 1;
            return InTriangle(x, y, cx, ty, cx - 10, by, cx + 10, by) ||
                   (std::abs(x - cx) < 3.5 && (dir < 0 ? y >= by - 0.5 && y < cy + 10 : y <= by + 0.5 && y > cy - 10));
        });
    }
    return b;
}

// Play, stop, set begin, set end and snapshot: a glyph and the button's word.
TBitmap PreviewButtonState(const TBitmap& skin, int which, int state)
{
    const Place& p = cl::kPreviewButtons[which];
    TBitmap b = Crop(skin, p);
    const bool accent = which == 0;
    ButtonFace(b, p, state, accent ? Hex(0x58B4EE) : Hex(0x5E7494), accent ? Hex(0x1C5CA8) : Hex(0x2E3E5A), 7);
    const bool off = state == 3;
    const int o = state == 2 ? 1 : 0;
    const Rgb white = off ? Hex(0xE0E0E0) : Hex(0xFFFFFF);
    static const char* const words[5] = {"Play", "Stop", "Begin", "End", "Snap"};
    const int textWidth = TextWidth(b, words[which], 8, true);
    const int gx = (p.width - 14 - 5 - textWidth) / 2 + o, gy = 8 + o;   // a 14 x 14 glyph, then the word
    PaintShape(b, gx, gy, 14, 14, white, [which](double x, double y) {
        switch (which) {
        case 0: return InTriangle(x, y, 2, 1, 13, 7, 2, 13);
        case 1: return x > 2 && x < 12 && y > 2 && y < 12;
        case 2: return (x > 1 && x < 3.5 && y > 1 && y < 13) || InTriangle(x, y, 13, 2, 5, 7, 13, 12);
        case 3: return (x > 10.5 && x < 13 && y > 1 && y < 13) || InTriangle(x, y, 1, 2, 9, 7, 1, 12);
        default: {
            const bool body = x > 0.5 && x < 13.5 && y > 3.5 && y < 12.5;
            const bool lens = std::hypot(x - 7, y - 8) < 3.2;
            const bool top = x > 4 && x < 9 && y > 1.5 && y <= 3.5;
            return (body && !lens) || top || std::hypot(x - 7, y - 8) < 1.5;
        }
        }
    });
    const int tx = gx + 19;
    Text(b, tx + 1, 8 + o, words[which], 8, Hex(0x08162E), true);
    Text(b, tx, 7 + o, words[which], 8, white, true);
    return b;
}

// The play bar: the lane for the trim span along its top, the groove below.
// Its width is a whole number of thirds, so the track bar shows it 1:1.
TBitmap PlayBar()
{
    const Place& p = cl::kPlayBar;
    TBitmap b(p.width, 14, pf24bit);
    FillRect(b, 0, 0, b.Width(), b.Height(), kKey);
    PaintBox(b, {0, 5, double(p.width), 14, 4, Hex(0x081428), Hex(0x1C3A66), Hex(0x02060C), 0, true, false});
    return b;
}

// The play bar's knob: a small gold pointer.
TBitmap PlaySlider()
{
    TBitmap b(12, 18, pf24bit);
    FillRect(b, 0, 0, b.Width(), b.Height(), kKey);
    PaintShape(b, 0, 0, 12, 18, Hex(0x6A3A04), [](double x, double y) {
        return (x > 0.5 && x < 11.5 && y > 3 && y < 13) || InTriangle(x, y, 0.5, 12.5, 11.5, 12.5, 6, 17.5);
    });
    PaintShape(b, 0, 0, 12, 18, Hex(0xFFD26A), [](double x, double y) {
        return (x > 1.5 && x < 10.5 && y > 4 && y < 12.5) || InTriangle(x, y, 1.5, 12, 10.5, 12, 6, 16.3);
    });
    PaintShape(b, 0, 0, 12, 18, Hex(0xFFF2C8), [](double x, double y) { return x > 2.5 && x < 9.5 && y > 4.5 && y < 7; });
    // Pixel (0, 0) is the key the slider's shape is told from.
    b.SetPixel(0, 0, kKey);
    return b;
}

// The disc kind of the task: its disc and its name.
TBitmap KindBadge(const TBitmap& skin, int kind)
{
    const Place& p = cl::kKindBadge;
    TBitmap b = Crop(skin, p);
    static const Rgb accents[3] = {Hex(0xF4B23C), Hex(0x3CD2A6), Hex(0xF06E8C)};
    static const char* const names[3] = {"DVD", "SVCD", "VCD"};
    Disc(b, 19, 20, kind == 0 ? 17 : 15);
    PaintShape(b, 0, 0, p.width, p.height, accents[kind], [kind](double x, double y) {
        const double r = kind == 0 ? 17 : 15, d = std::hypot(x - 19, y - 20);
        return d > r * 0.36 && d < r - 1.5;
    }, 0.3);
    Text(b, 41, 14, names[kind], 9, Hex(0x08162E), true);
    Text(b, 40, 13, names[kind], 9, Hex(0xFFFFFF), true);
    return b;
}

// The box shown while files load.
TBitmap LoadingBox(const TBitmap& skin)
{
    TBitmap b = Crop(skin, cl::kLoading);
    PaintBox(b, {0, 0, double(cl::kLoading.width), double(cl::kLoading.height), 8, Hex(0x3A6AAE), Hex(0x173A72),
                 Hex(0x02060C), 0.2, false, true});
    return b;
}

} // namespace

void SaveClipsPictures(const std::string& folder)
{
    const TBitmap skin = ClipsSkin();
    skin.SaveToFile(folder + cl::kSkinFile);
    for (int k = 0; k < 4; ++k)
        Strip4([&](int s) { return ListButtonState(skin, k, s); }).SaveToFile(folder + cl::kListButtonFiles[k]);
    for (int k = 0; k < 5; ++k)
        Strip4([&](int s) { return PreviewButtonState(skin, k, s); }).SaveToFile(folder + cl::kPreviewButtonFiles[k]);
    for (int k = 0; k < 3; ++k) KindBadge(skin, k).SaveToFile(folder + cl::kKindFiles[k]);
    PlayBar().SaveToFile(folder + cl::kPlayBarFile);
    PlaySlider().SaveToFile(folder + cl::kPlaySliderFile);
    LoadingBox(skin).SaveToFile(folder + cl::kLoadingFile);
    Strip4([&](int s) { return WordButtonState(skin, cl::kNext, "Next", true, true, s); })
        .SaveToFile(folder + cl::kNextFile);
    Strip4([&](int s) { return OrbState(skin, cl::kMin, 3, s); }).SaveToFile(folder + cl::kMinFile);
    Strip4([&](int s) { return OrbState(skin, cl::kClose, 4, s); }).SaveToFile(folder + cl::kCloseFile);
}
