// Draws the program's own pictures (splash, main-window skin and its buttons,
// the disc-kind choice, source clips and run windows' skins and buttons, the clip
// property and chapter dialogs' skins and buttons, About box background, clip
// border pieces, the stand-in pictures of a clip without a snapshot, the DVD
// menus' corner button) as BMP files into a folder:
// programart FOLDER. The main window's layout comes from the shell, so the
// buttons are painted over exactly the part of the skin they cover.
#include "programkit.h"

#include "base/mainlayout.h"
#include "gfx/canvas.h"
#include "shell/chapterlayout.h"
#include "shell/clippropertylayout.h"
#include "shell/selectlayout.h"
#include "shell/subtitlelayout.h"

#include <cmath>
#include <functional>
#include <iostream>
#include <string>

namespace {

using namespace mainlayout;

TBitmap Skin()
{
    // Window body: deep navy, a glassy title band and a lighter foot band.
    TBitmap b = WindowBody(kWidth, kHeight, 60);
    Disc(b, 36, 30, 19);
    Text(b, 66, 10, "Keldara DVD Maker", 17, Hex(0x08162E), true);
    Text(b, 64, 8, "Keldara DVD Maker", 17, Hex(0xFFFFFF), true);
    Text(b, 66, 37, "Video clips to DVD, SVCD and VCD discs", 8, Hex(0xCFE2FA));
    // The panel the task buttons sit on.
    BodyPanel(b, 20, 72, kWidth - 20, 372);
    Text(b, 28, 387, "Choose a task to begin.", 9, Hex(0xAFC8EA));
    Text(b, kWidth - 28 - TextWidth(b, "Version 1.0", 8, false), 389, "Version 1.0", 8, Hex(0x7F9CC4));
    return b;
}

// One task button state over the skin's pixels below it.
TBitmap TaskState(const TBitmap& skin, int task, int state)
{
    const Place& p = kTask[task];
    TBitmap b = Crop(skin, p);
    const bool hot = state == 1, down = state == 2, off = state == 3;
    const double o = down ? 1 : 0;
    Rgb top = hot ? Hex(0x5A92DE) : down ? Hex(0x244C8A) : Hex(0x3E6FB6);
    Rgb bottom = hot ? Hex(0x2A5CA6) : down ? Hex(0x1A3A6E) : Hex(0x1F4580);
    Rgb border = hot ? Hex(0xA8D0FF) : Hex(0x0E2246);
    if (off) top = Grey(top), bottom = Grey(bottom), border = Grey(border);
    PaintBox(b, {2 + o, 2 + o, p.width - 2 + o, p.height - 2 + o, 10, top, bottom, border, down ? 0.1 : 0.3, false, true});
    // The task's picture on the left.
    const double ix = 20 + o, iy = 34 + o;
    const Rgb white = off ? Hex(0xD0D0D0) : Hex(0xFFFFFF);
    switch (task) {
    case 0: // a disc with a menu card in front of it
        Disc(b, ix + 34, iy + 30, 30, off ? 0.5 : 1);
        PaintBox(b, {ix, iy + 34, ix + 40, iy + 64, 3, Hex(0xFFE28A), Hex(0xF0A830), Hex(0x7A4A08), 0.2, false, false});
        for (int r = 0; r < 3; ++r) FillRect(b, int(ix + 6), int(iy + 40 + r * 7), int(ix + 34), int(iy + 43 + r * 7), ToColor(Hex(0x7A4A08)));
        break;
    case 1: // a film strip turning into a disc
        PaintBox(b, {ix - 2, iy + 8, ix + 40, iy + 52, 4, Hex(0x3A3A44), Hex(0x1A1A20), Hex(0x000000), 0.1, false, false});
        for (int k = 0; k < 4; ++k) {
            FillRect(b, int(ix + 2 + k * 10), int(iy + 11), int(ix + 7 + k * 10), int(iy + 15), ToColor(white));
            FillRect(b, int(ix + 2 + k * 10), int(iy + 45), int(ix + 7 + k * 10), int(iy + 49), ToColor(white));
        }
        PaintBox(b, {ix + 3, iy + 18, ix + 35, iy + 42, 1, Hex(0x8CD0FF), Hex(0x2C7AD0), Hex(0x10305A), 0.2, false, false});
        PaintShape(b, int(ix + 40), int(iy + 22), 14, 16, Hex(0xFFD040),
                   [](double x, double y) { return InTriangle(x, y, 1, 1, 13, 8, 1, 15); });
        Disc(b, ix + 63, iy + 30, 12, off ? 0.5 : 1);
        break;
    case 2: // a TV screen with a menu of four thumbnails
        PaintBox(b, {ix - 2, iy + 4, ix + 66, iy + 54, 5, Hex(0x30343C), Hex(0x14161A), Hex(0x000000), 0.15, false, false});
        for (int k = 0; k < 4; ++k) {
            const double x0 = ix + 6 + (k % 2) * 30, y0 = iy + 10 + (k / 2) * 21;
            const Rgb a = k == 0 ? Hex(0xFF9A5A) : k == 1 ? Hex(0x7AD67A) : k == 2 ? Hex(0x6AB8FF) : Hex(0xE0A0F0);
            PaintBox(b, {x0, y0, x0 + 22, y0 + 16, 2, Lighter(a, 0.3), Darker(a, 0.2), Darker(a, 0.5), 0, false, false});
        }
        FillRect(b, int(ix + 22), int(iy + 54), int(ix + 42), int(iy + 60), ToColor(Hex(0x202228)));
        FillRect(b, int(ix + 14), int(iy + 60), int(ix + 50), int(iy + 63), ToColor(Hex(0x202228)));
        break;
    default: // a disc being burnt
        Disc(b, ix + 30, iy + 32, 28, off ? 0.5 : 1);
        PaintShape(b, int(ix + 34), int(iy - 4), 34, 44, off ? Hex(0xB0B0B0) : Hex(0xFF6A1A), [](double x, double y) {
            const double cx = 17, w = 15 * std::sin(std::min(1.0, y / 44.0) * kPi * 0.9);
            return y > 2 && std::abs(x - cx - 3 * std::sin(y / 7.0)) < w;
        });
        PaintShape(b, int(ix + 42), int(iy + 12), 18, 26, off ? Hex(0xD8D8D8) : Hex(0xFFD23A), [](double x, double y) {
            const double w = 7 * std::sin(std::min(1.0, y / 26.0) * kPi * 0.9);
            return y > 2 && std::abs(x - 9) < w;
        });
        break;
    }
    static const char* captions[4] = {"DVD Disc Builder", "Convert Video", "DVD Menu Creator", "Disc Burner"};
    static const char* lines[4][2] = {{"Clips, menu and chapters,", "authored and burnt in one go"},
                                      {"AVI, DivX, WMV, RM and more", "to DVD, SVCD or VCD files"},
                                      {"A menu for finished VOB files,", "combined into a DVD folder"},
                                      {"Burn a DVD folder, or SVCD", "and VCD files, to a disc"}};
    const Rgb textColour = off ? Hex(0xE6E6E6) : Hex(0xFFFFFF), subColour = off ? Hex(0xD0D0D0) : Hex(0xCFE2FA);
    const int tx = 100 + int(o), ty = 34 + int(o);
    Text(b, tx + 1, ty + 1, captions[task], 12, Hex(0x08162E), true);
    Text(b, tx, ty, captions[task], 12, textColour, true);
    Text(b, tx, ty + 30, lines[task][0], 8, subColour);
    Text(b, tx, ty + 46, lines[task][1], 8, subColour);
    return b;
}

TBitmap Splash()
{
    TBitmap b(kSplashWidth, kSplashHeight, pf24bit);
    VGradient(b, 0, 0, kSplashWidth, kSplashHeight, Hex(0x2F63AE), Hex(0x0A1A36));
    // Soft light from the top left.
    for (int y = 0; y < kSplashHeight; ++y)
        for (int x = 0; x < kSplashWidth; ++x) {
            const double d = std::hypot(x - 80.0, y - 20.0) / 320.0;
            if (d < 1) b.SetPixel(x, y, ToColor(Lighter(FromColor(b.Pixel(x, y)), 0.18 * (1 - d) * (1 - d))));
        }
    // The discs sit wholly inside the picture, clear of the text.
    Disc(b, 382, 118, 92);
    Disc(b, 298, 190, 30, 0.9);
    Text(b, 34, 52, "Keldara", 36, Hex(0x06142A), true);
    Text(b, 32, 50, "Keldara", 36, Hex(0xFFFFFF), true);
    Text(b, 36, 110, "DVD Maker", 20, Hex(0xCFE2FA), true);
    Text(b, 36, 146, "Your video clips on DVD, SVCD and VCD", 9, Hex(0xCFE2FA));
    Text(b, 36, 162, "with menus, chapters and subtitles.", 9, Hex(0xCFE2FA));
    FillRect(b, 36, 196, 236, 197, ToColor(Hex(0x7FB2F0)));
    Text(b, 36, 204, "Version 1.0   -   Starting...", 8, Hex(0xAFC8EA));
    // A dark frame of one pixel all round, with a faint glassy light just inside its top.
    for (int x = 1; x < kSplashWidth - 1; ++x) b.SetPixel(x, 1, ToColor(Lighter(FromColor(b.Pixel(x, 1)), 0.22)));
    const TColor frame = ToColor(Hex(0x06101F));
    for (int x = 0; x < kSplashWidth; ++x) b.SetPixel(x, 0, frame), b.SetPixel(x, kSplashHeight - 1, frame);
    for (int y = 0; y < kSplashHeight; ++y) b.SetPixel(0, y, frame), b.SetPixel(kSplashWidth - 1, y, frame);
    return b;
}

TBitmap About()
{
    TBitmap b(kAboutWidth, kAboutHeight, pf24bit);
    VGradient(b, 0, 0, kAboutWidth, kAboutHeight, Hex(0xF4F8FE), Hex(0xD2E2F6));
    VGradient(b, 0, 0, kAboutWidth, 64, Hex(0x4A7FC8), Hex(0x173A72), 0.2);
    Disc(b, 40, 32, 22);
    Text(b, 74, 12, "Keldara DVD Maker", 16, Hex(0xFFFFFF), true);
    Text(b, 76, 38, "Version 1.0", 9, Hex(0xCFE2FA));
    return b;
}

// The stand-in picture of a clip without a snapshot: a frame of film between
// its sprocket holes with a play mark, drawn for any size so the tile and the
// full-size picture match.
TBitmap Placeholder(int w, int h)
{
    TBitmap b(w, h, pf24bit);
    VGradient(b, 0, 0, w, h, Hex(0x30343C), Hex(0x101216));
    const double band = std::max(5.0, h * 0.13);
    const double holeW = band * 0.62, holeH = band * 0.5, pitch = band * 1.25;
    const int holes = std::max(1, int((w - holeW) / pitch) + 1);
    const double first = (w - (holes - 1) * pitch - holeW) / 2;
    for (int k = 0; k < holes; ++k) {
        const double x = first + k * pitch, r = std::max(1.0, holeH * 0.3);
        for (double y : {(band - holeH) / 2, h - band + (band - holeH) / 2})
            PaintBox(b, {x, y, x + holeW, y + holeH, r, Hex(0xE4E8EE), Hex(0xAEB4BE), Hex(0x0A0C10), 0, false, false});
    }
    // The picture area, a dim sky over a darker ground.
    const double m = std::max(2.0, band * 0.3);
    const Box frame{m, band, w - m, h - band, std::max(1.0, band * 0.25), Hex(0x6A8EBC), Hex(0x1E2E48), Hex(0x06080C),
                    0.12, false, true};
    PaintBox(b, frame);
    // A play mark in a soft round badge, centred on the picture area.
    const double cx = w / 2.0, cy = h / 2.0, r = (h - 2 * band) * 0.3;
    PaintShape(b, 0, 0, w, h, Hex(0xFFFFFF), [=](double x, double y) { return std::hypot(x - cx, y - cy) < r; }, 0.28);
    PaintShape(b, 0, 0, w, h, Hex(0xFFFFFF), [=](double x, double y) {
        return std::abs(std::hypot(x - cx, y - cy) - r) < std::max(0.7, r * 0.07);
    }, 0.85);
    PaintShape(b, 0, 0, w, h, Hex(0xFFFFFF), [=](double x, double y) {
        return InTriangle(x, y, cx - r * 0.32, cy - r * 0.5, cx + r * 0.55, cy, cx - r * 0.32, cy + r * 0.5);
    });
    return b;
}

// Border pieces stamped around a hovered title button: small inward-pointing
// gold arrows on the key colour of their pixel (0, 0).
TBitmap Piece(int direction) // 0 left, 1 right, 2 top, 3 bottom
{
    const bool across = direction >= 2;
    TBitmap b(across ? 15 : 8, across ? 8 : 15, pf24bit);
    FillRect(b, 0, 0, b.Width(), b.Height(), kKey);
    auto inside = [direction](double x, double y) {
        switch (direction) {
        case 0: return InTriangle(x, y, 1, 1, 7, 7.5, 1, 14);
        case 1: return InTriangle(x, y, 7, 1, 1, 7.5, 7, 14);
        case 2: return InTriangle(x, y, 1, 1, 14, 1, 7.5, 7);
        default: return InTriangle(x, y, 1, 7, 14, 7, 7.5, 1);
        }
    };
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (inside(x + 0.5, y + 0.5) && !(x == 0 && y == 0)) b.SetPixel(x, y, ToColor(Hex(0xFFC828)));
    return b;
}

// The corner button of the DVD menus, which leads back to the title menu: its
// picture at output scale ("BackPic.bmp", stamped on the 720 x 576 stills) and
// its shape at design scale ("BackPng.bmp", stamped on the 468 x 352 masks).
// Both place their top-left corner 5 pixels in from the left and their bottom
// 5 pixels above the bottom of their own frame, so the shape scaled to the
// still (x by 720 / 468, y by 576 / 352) covers the picture's box.
constexpr int kCornerShapeWidth = 40, kCornerShapeHeight = 24;

TBitmap CornerPicture()
{
    // The shape's rectangle on the still is (7, 528)-(69, 567); placed at
    // (5, 576 - 44 - 5) the box below fills it.
    TBitmap b(64, 44, pf24bit);
    FillRect(b, 0, 0, b.Width(), b.Height(), kKey);
    PaintBox(b, {2, 1, 64, 40, 9, Hex(0x5A92DE), Hex(0x173A72), Hex(0x06101F), 0.35, true, true});
    // A white arrow pointing left.
    PaintShape(b, 0, 0, 64, 44, Hex(0xFFFFFF), [](double x, double y) {
        return InTriangle(x, y, 15, 20.5, 30, 10, 30, 31) || (x >= 29 && x <= 50 && y >= 16.5 && y <= 24.5);
    });
    return b;
}

TBitmap CornerShape()
{
    // A ring three pixels wide round the button, crisp: masks take exact colours.
    TBitmap b(kCornerShapeWidth, kCornerShapeHeight, pf24bit);
    FillRect(b, 0, 0, b.Width(), b.Height(), kKey);
    auto inRounded = [](double x, double y, double l, double t, double r, double bt, double radius) {
        const double cx = std::clamp(x, l + radius, r - radius), cy = std::clamp(y, t + radius, bt - radius);
        return x >= l && x <= r && y >= t && y <= bt && std::hypot(x - cx, y - cy) <= radius;
    };
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const double px = x + 0.5, py = y + 0.5;
            if (inRounded(px, py, 0, 0, kCornerShapeWidth, kCornerShapeHeight, 6) &&
                !inRounded(px, py, 3, 3, kCornerShapeWidth - 3, kCornerShapeHeight - 3, 3))
                b.SetPixel(x, y, 0xFFFFFF);
        }
    // Pixel (0, 0) is the key the shape is told from.
    b.SetPixel(0, 0, kKey);
    return b;
}

namespace sl = selectlayout;

// The choice window: title band, the panel the kinds stand on (plain along
// the marker's row) and the flat box of the description.
TBitmap SelectSkin()
{
    TBitmap b = WindowBody(sl::kWidth, sl::kHeight, 52);
    WindowHeading(b, "Choose the disc type", "DVD, Super Video CD or Video CD");
    BodyPanel(b, 20, 60, sl::kWidth - 20, 222);
    const sl::Place& m = sl::kMemo;
    const Rgb memo = FromColor(sl::kMemoColor);
    PaintBox(b, {m.left - 8.0, m.top - 6.0, m.left + m.width + 8.0, m.top + m.height + 6.0, 8, memo, memo,
                 Hex(0x3D6AAA), 0, false, false});
    Text(b, 30, 331, "Point at a kind to read about it.", 8, Hex(0x7F9CC4));
    return b;
}

// A kind's picture: a tile with the kind's disc, tinted in its colour, and its name.
TBitmap KindState(const TBitmap& skin, int kind, int state)
{
    const sl::Place& p = sl::kKind[kind];
    TBitmap b = Crop(skin, p);
    const bool hot = state == 1, down = state == 2, off = state == 3;
    const double o = down ? 1 : 0;
    Rgb top = hot ? Hex(0x5A92DE) : down ? Hex(0x244C8A) : Hex(0x3E6FB6);
    Rgb bottom = hot ? Hex(0x2A5CA6) : down ? Hex(0x1A3A6E) : Hex(0x1F4580);
    Rgb border = hot ? Hex(0xA8D0FF) : Hex(0x0E2246);
    Rgb accent = kind == 0 ? Hex(0xF4B23C) : kind == 1 ? Hex(0x3CD2A6) : Hex(0xF06E8C);
    if (off) top = Grey(top), bottom = Grey(bottom), border = Grey(border), accent = Grey(accent);
    PaintBox(b, {2 + o, 2 + o, p.width - 2 + o, p.height - 2 + o, 10, top, bottom, border, down ? 0.1 : 0.3, false, true});
    // A DVD is drawn a little bigger than the two CDs.
    const double cx = p.width / 2.0 + o, cy = 41 + o, r = kind == 0 ? 31 : 27;
    Disc(b, cx, cy, r, off ? 0.5 : 1);
    PaintShape(b, int(cx - r - 1), int(cy - r - 1), int(2 * r + 3), int(2 * r + 3), accent, [r](double x, double y) {
        const double d = std::hypot(x - r - 1, y - r - 1);
        return d > r * 0.36 && d < r - 1.5;
    }, 0.3);
    static const char* names[3] = {"DVD", "SVCD", "VCD"};
    CentredText(b, 76 + int(o), names[kind], 12, off ? Hex(0xE6E6E6) : Hex(0xFFFFFF), true, int(o));
    return b;
}

// The small round spot under a kind: an open ring; the marker is the lit one
// that covers the chosen kind's spot.
TBitmap SpotState(const TBitmap& skin, bool marker, int state)
{
    const sl::Place p{sl::kMarkerLeft[0], sl::kMarkerTop, sl::kMarkerSize, sl::kMarkerSize};
    TBitmap b = Crop(skin, p);
    const bool hot = state == 1, down = state == 2, off = state == 3;
    if (marker) {
        Rgb top = Hex(0xFFE08A), bottom = Hex(0xE08A10);
        if (hot) top = Lighter(top, 0.3), bottom = Lighter(bottom, 0.2);
        if (down) top = Darker(top, 0.2), bottom = Darker(bottom, 0.2);
        if (off) top = Grey(top), bottom = Grey(bottom);
        PaintBox(b, {2, 2, 22, 22, 10, top, bottom, Hex(0x6A3A04), 0.45, false, true});
        PaintShape(b, 0, 0, 24, 24, Hex(0xFFFFFF), [](double x, double y) {
            return SegmentDistance(x, y, 7, 12.5, 10.5, 16) < 1.6 || SegmentDistance(x, y, 10.5, 16, 17, 8.5) < 1.6;
        });
    } else {
        const Rgb ring = off ? Hex(0x8A94A4) : hot ? Hex(0xD8EAFF) : Hex(0x8CB4E6);
        PaintShape(b, 0, 0, 24, 24, Hex(0x0A1A36), [](double x, double y) { return std::hypot(x - 12, y - 12) < 8.5; }, 0.45);
        PaintShape(b, 0, 0, 24, 24, ring, [](double x, double y) { return std::abs(std::hypot(x - 12, y - 12) - 8.5) < 1.3; });
    }
    return b;
}

void SaveSelectPictures(const std::string& folder)
{
    const TBitmap skin = SelectSkin();
    skin.SaveToFile(folder + sl::kSkinFile);
    for (int k = 0; k < 3; ++k)
        Strip4([&](int s) { return KindState(skin, k, s); }).SaveToFile(folder + sl::kKindFiles[k]);
    Strip4([&](int s) { return SpotState(skin, false, s); }).SaveToFile(folder + sl::kSpotFile);
    Strip4([&](int s) { return SpotState(skin, true, s); }).SaveToFile(folder + sl::kMarkerFile);
    Strip4([&](int s) { return WordButtonState(skin, sl::kCancel, "Cancel", false, false, s); }).SaveToFile(folder + sl::kCancelFile);
    Strip4([&](int s) { return WordButtonState(skin, sl::kAccept, "Next", true, true, s); }).SaveToFile(folder + sl::kAcceptFile);
    Strip4([&](int s) { return OrbState(skin, sl::kClose, 4, s); }).SaveToFile(folder + sl::kCloseFile);
}

namespace cl = clippropertylayout;
namespace ch = chapterlayout;
namespace st = subtitlelayout;

// A dialog's skin: the program's window body, its title and line under it,
// and the lighter panel its controls stand on.
TBitmap DialogSkin(int width, int height, const char* title, const char* line, const sl::Place& body)
{
    TBitmap b = WindowBody(width, height, 52);
    WindowHeading(b, title, line);
    BodyPanel(b, body);
    return b;
}

void SaveDialogPictures(const std::string& folder)
{
    const TBitmap clip = DialogSkin(cl::kWidth, cl::kHeight, "Clip property", "A moment of the clip, and a text's look",
                                    cl::kBody);
    clip.SaveToFile(folder + cl::kSkinFile);
    Strip4([&](int s) { return WordButtonState(clip, cl::kCancel, "Cancel", false, false, s); }).SaveToFile(folder + cl::kCancelFile);
    Strip4([&](int s) { return WordButtonState(clip, cl::kOk, "OK", true, false, s); }).SaveToFile(folder + cl::kOkFile);
    Strip4([&](int s) { return OrbState(clip, cl::kClose, 4, s); }).SaveToFile(folder + cl::kCloseFile);

    const TBitmap chapter = DialogSkin(ch::kWidth, ch::kHeight, "Chapter setup", "The chapter start points of a title",
                                       ch::kBody);
    chapter.SaveToFile(folder + ch::kSkinFile);
    Strip4([&](int s) { return WordButtonState(chapter, ch::kCancel, "Cancel", false, false, s); }).SaveToFile(folder + ch::kCancelFile);
    Strip4([&](int s) { return WordButtonState(chapter, ch::kOk, "OK", true, false, s); }).SaveToFile(folder + ch::kOkFile);
    Strip4([&](int s) { return OrbState(chapter, ch::kClose, 4, s); }).SaveToFile(folder + ch::kCloseFile);

    const TBitmap subtitle = DialogSkin(st::kWidth, st::kHeight, "Subtitle property",
                                        "A subtitle file for the clip, its font and language", st::kBody);
    subtitle.SaveToFile(folder + st::kSkinFile);
    Strip4([&](int s) { return WordButtonState(subtitle, st::kCancel, "Cancel", false, false, s); })
        .SaveToFile(folder + st::kCancelFile);
    Strip4([&](int s) { return WordButtonState(subtitle, st::kOk, "OK", true, false, s); }).SaveToFile(folder + st::kOkFile);
    Strip4([&](int s) { return OrbState(subtitle, st::kClose, 4, s); }).SaveToFile(folder + st::kCloseFile);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: programart FOLDER [DATA-FOLDER]\n";
        return 2;
    }
    try {
        const std::string folder = std::string(argv[1]) + "/";
        const TBitmap skin = Skin();
        skin.SaveToFile(folder + kSkinFile);
        for (int t = 0; t < 4; ++t) {
            TBitmap states[4] = {TaskState(skin, t, 0), TaskState(skin, t, 1), TaskState(skin, t, 2), TaskState(skin, t, 3)};
            Strip(states).SaveToFile(folder + kTaskFiles[t]);
        }
        for (int s = 0; s < 5; ++s) {
            TBitmap states[4] = {OrbState(skin, kSmall[s], s, 0), OrbState(skin, kSmall[s], s, 1),
                                 OrbState(skin, kSmall[s], s, 2), OrbState(skin, kSmall[s], s, 3)};
            Strip(states).SaveToFile(folder + kSmallFiles[s]);
        }
        Splash().SaveToFile(folder + kSplashFile);
        About().SaveToFile(folder + kAboutFile);
        const char* pieces[4] = {"Left.bmp", "Right.bmp", "Top.bmp", "Bottom.bmp"};
        for (int i = 0; i < 4; ++i) Piece(i).SaveToFile(folder + pieces[i]);
        // The clip tile's size and a full-size picture of the same shape.
        Placeholder(101, 76).SaveToFile(folder + "Video.bmp");
        Placeholder(320, 240).SaveToFile(folder + "VideoP.bmp");
        CornerPicture().SaveToFile(folder + "BackPic.bmp");
        CornerShape().SaveToFile(folder + "BackPng.bmp");
        SaveSelectPictures(folder);
        SaveDialogPictures(folder);
        SaveClipsPictures(folder);
        SaveRunWindowPictures(folder);
        SaveBurnerPictures(folder);
        SaveBurningPictures(folder);
        SaveMenuPictures(folder);
        if (argc == 3) SaveMenuBackgrounds(std::string(argv[2]) + "/");
    } catch (const std::exception& e) {
        std::cerr << "programart: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
