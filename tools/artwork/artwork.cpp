// Draws every built-in theme picture and writes them as a C++ source of BMP
// images by name: artwork OUT.cpp [--sheets FOLDER] (contact sheets as BMP).
#include "paint.h"

#include "gfx/canvas.h"
#include "rtl/classes.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

struct Look {
    std::string prefix;
    bool keyed;            // rounded pictures keyed by fuchsia (ButtonTransparentBool)
    bool titleKeyed;       // title-bar buttons keyed (TitleBarButtonTransparentBool)
    Rgb form;              // FormBackgroundColor
    Rgb faceTop, faceBottom, border;
    Rgb hotTop, hotBottom, hotBorder;
    Rgb downTop, downBottom;
    Rgb accentTop, accentBottom, accentBorder;
    Rgb titleTop, titleBottom, titleLine;
    Rgb glyph, titleGlyph;
    double radius, gloss;
    int titleHeight, titleButton, titleButtonTop;
    enum { Lights, Squares, Orbs } titleButtons;
};

std::vector<Look> Looks()
{
    std::vector<Look> looks;
    // Brushed light grey with blue aqua accents and traffic-light title buttons.
    looks.push_back({"MACOS", true, false, Hex(0xE7E7E7), Hex(0xFFFFFF), Hex(0xD6D6D6), Hex(0x8A8A8A),
                     Hex(0xF2F8FF), Hex(0xBBD6F4), Hex(0x5A8CC8), Hex(0x9CC8F4), Hex(0x4A8EE0),
                     Hex(0x9ACBFA), Hex(0x2F7FD8), Hex(0x2A5E9E), Hex(0xF0F0F0), Hex(0xC4C4C4), Hex(0x8A8A8A),
                     Hex(0x404040), Hex(0x303030), 9, 0.35, 22, 14, 4, Look::Lights});
    // Beige faces, dark blue frames, bright blue caption.
    looks.push_back({"WINXP", false, false, Hex(0xEFEBDE), Hex(0xFFFFFF), Hex(0xE3E2DA), Hex(0x003C74),
                     Hex(0xFFF8EC), Hex(0xF3E3C0), Hex(0xE8A02C), Hex(0xDCDBD2), Hex(0xF4F3EE),
                     Hex(0x6CE26C), Hex(0x1FA81F), Hex(0x2E7A2E), Hex(0x3D95FF), Hex(0x0047D6), Hex(0x0033A8),
                     Hex(0x1C3F7A), Hex(0xFFFFFF), 3, 0.0, 29, 21, 5, Look::Squares});
    // Cool grey faces under a deep navy caption.
    looks.push_back({"DEEPBLUE", false, false, Hex(0xE8E8E8), Hex(0xF6F7F9), Hex(0xC9CED8), Hex(0x1E2A44),
                     Hex(0xE6EEFA), Hex(0xB6C8E6), Hex(0x2B4C8C), Hex(0x8FA3C8), Hex(0xB8C6DE),
                     Hex(0x4F74B8), Hex(0x1A3570), Hex(0x0F2048), Hex(0x2A4C8E), Hex(0x0B1A3C), Hex(0x000000),
                     Hex(0x1E2A44), Hex(0xE8EEF8), 2, 0.2, 23, 19, 2, Look::Squares});
    // Silver metal with a graphite caption and round keyed buttons.
    looks.push_back({"PROTEIN", false, true, Hex(0xFBFBFB), Hex(0xFFFFFF), Hex(0xDCDCDC), Hex(0x6B6B6B),
                     Hex(0xFFFFFF), Hex(0xD8DCF4), Hex(0x2D30C4), Hex(0xC8C8C8), Hex(0xEEEEEE),
                     Hex(0x7C80F0), Hex(0x2D30C4), Hex(0x1C1F8A), Hex(0x6A7080), Hex(0x2C3038), Hex(0x000000),
                     Hex(0x3A3A3A), Hex(0xFFFFFF), 4, 0.25, 23, 17, 3, Look::Orbs});
    // Glassy blue with glossy highlights.
    looks.push_back({"BLUEGLASS", true, true, Hex(0xE7E7E7), Hex(0xE4F0FC), Hex(0xA8CAEE), Hex(0x3A6EA5),
                     Hex(0xF0F8FF), Hex(0x8CC4F8), Hex(0x2C64B8), Hex(0x7AA8DC), Hex(0xB8D4F2),
                     Hex(0x8C8CFF), Hex(0x3C3CD8), Hex(0x2828A0), Hex(0x78B0EC), Hex(0x245EB4), Hex(0x1A3E78),
                     Hex(0x1E3E6A), Hex(0xFFFFFF), 6, 0.45, 30, 18, 6, Look::Orbs});
    return looks;
}

TBitmap Blank(int w, int h, TColor fill)
{
    TBitmap b(w, h, pf24bit);
    FillRect(b, 0, 0, w, h, fill);
    return b;
}

TColor Outside(const Look& l, bool keyed) { return keyed ? kKey : ToColor(l.form); }

// States of a push picture: normal, under the pointer, pressed, and disabled.
Box FaceBox(const Look& l, int state, double x, double y, double w, double h, double radius, bool keyed)
{
    Box b{x, y, x + w, y + h, radius, l.faceTop, l.faceBottom, l.border, l.gloss, keyed};
    if (state == 1) b.top_colour = l.hotTop, b.bottom_colour = l.hotBottom, b.border = l.hotBorder;
    if (state == 2) b.top_colour = l.downTop, b.bottom_colour = l.downBottom, b.inner_light = false;
    if (state == 3) b.top_colour = Grey(l.faceTop), b.bottom_colour = Grey(l.faceBottom), b.border = Grey(l.border);
    return b;
}

// Three frames (normal, mouse-on, mouse-down) of 21 x 21: odd, so the
// nine-part draw has one-pixel centre lines to stretch.
TBitmap Button(const Look& l)
{
    const int s = 21;
    TBitmap b = Blank(3 * s, s, Outside(l, l.keyed));
    for (int f = 0; f < 3; ++f) {
        PaintBox(b, FaceBox(l, f, f * s, 0, s, s, std::min(l.radius, 8.0), l.keyed));
        if (f == 1 && l.prefix == "WINXP") // the orange hover rim inside the frame
            PaintBox(b, {f * s + 1.0, 1, f * s + s - 1.0, s - 1.0, 2, l.hotTop, l.hotBottom, Hex(0xF8B330), 0, false, true});
    }
    return b;
}

// Four frames of 13 x 13: checked, unchecked, checked disabled, unchecked disabled.
// A check box draws its picture opaque, so its corners take the form colour;
// radio buttons and the check-list frames are drawn keyed.
TBitmap Check(const Look& l, bool radio, bool flat)
{
    const int s = 13;
    const bool keyed = l.keyed && (radio || flat);
    TBitmap b = Blank(4 * s, s, Outside(l, keyed));
    for (int f = 0; f < 4; ++f) {
        const bool disabled = f >= 2, checked = f % 2 == 0;
        Box box = FaceBox(l, disabled ? 3 : 0, f * s, 0, s, s, radio ? 6.5 : (l.radius > 4 ? 3 : 1), keyed);
        if (flat) box.gloss = 0, box.top_colour = Hex(0xFFFFFF), box.bottom_colour = Hex(0xFFFFFF);
        PaintBox(b, box);
        if (!checked) continue;
        const Rgb mark = disabled ? Grey(l.accentBottom) : (l.prefix == "WINXP" ? Hex(0x21A121) : l.accentBottom);
        if (radio)
            PaintShape(b, f * s, 0, s, s, mark, [](double x, double y) { return std::hypot(x - 6.5, y - 6.5) < 3.0; });
        else
            PaintShape(b, f * s, 0, s, s, mark, [](double x, double y) {
                return SegmentDistance(x, y, 3, 6.5, 5.5, 9.2) < 1.2 || SegmentDistance(x, y, 5.5, 9.2, 10, 3.5) < 1.2;
            });
    }
    return b;
}

// The caption's colour at row y (the title-bar buttons are drawn onto it when not keyed).
Rgb TitleRow(const Look& l, int y)
{
    const double t = double(y) / std::max(1, l.titleHeight - 1);
    Rgb c = Mix(l.titleTop, l.titleBottom, t);
    if (l.gloss > 0 && t < 0.5) c = Lighter(c, l.gloss * 0.6 * (1 - t));
    return c;
}

void PaintTitleStrip(TBitmap& b, const Look& l, int left, int right)
{
    for (int y = 0; y < l.titleHeight; ++y) FillRect(b, left, y, right, y + 1, ToColor(TitleRow(l, y)));
}

// 18 frames, three per kind (normal, mouse-on, mouse-down): control box, help,
// maximize, restore, minimize, close.
TBitmap TitleButtons(const Look& l)
{
    const int s = l.titleButton;
    TBitmap b(18 * s, s, pf24bit);
    for (int f = 0; f < 18; ++f) {
        const int kind = f / 3, state = f % 3, x0 = f * s;
        if (l.titleKeyed) FillRect(b, x0, 0, x0 + s, s, kKey);
        else for (int y = 0; y < s; ++y) FillRect(b, x0, y, x0 + s, y + 1, ToColor(TitleRow(l, y + l.titleButtonTop)));
        Rgb base = l.accentTop, base2 = l.accentBottom;
        if (l.titleButtons == Look::Lights) {
            const unsigned lights[6][2] = {{0xC8C8C8, 0x8C8C8C}, {0xC8C8C8, 0x8C8C8C}, {0x8AE07A, 0x2E9E2A},
                                           {0x8AE07A, 0x2E9E2A}, {0xFFD86A, 0xE09A12}, {0xFF8A80, 0xD8302A}};
            base = Hex(lights[kind][0]), base2 = Hex(lights[kind][1]);
        } else if (l.titleButtons == Look::Squares) {
            base = Lighter(l.titleTop, 0.25), base2 = l.titleBottom;
            if (kind == 5) base = Hex(0xF08A6A), base2 = Hex(0xC8401C);
        } else {
            base = Lighter(l.titleTop, 0.35), base2 = Darker(l.titleBottom, 0.1);
            if (kind == 5) base = Hex(0xF8907A), base2 = Hex(0xB82A18);
        }
        if (state == 1) base = Lighter(base, 0.35), base2 = Lighter(base2, 0.3);
        if (state == 2) std::swap(base, base2), base2 = Darker(base2, 0.15);
        const double r = l.titleButtons == Look::Squares ? 3 : s / 2.0;
        const Rgb edge = l.titleButtons == Look::Squares ? Hex(0xFFFFFF) : Darker(base2, 0.35);
        PaintBox(b, {double(x0), 0, double(x0 + s), double(s), r, base, base2, edge, 0.3, l.titleKeyed, true});
        // The glyph, light on dark buttons; the lights show theirs only under the pointer.
        if (l.titleButtons == Look::Lights && state == 0) continue;
        const Rgb g = l.titleButtons == Look::Lights ? Darker(base2, 0.55) : Hex(0xFFFFFF);
        const double c = s / 2.0, q = s * 0.22, w = std::max(1.0, s / 11.0);
        std::function<bool(double, double)> shape;
        switch (kind) {
        case 0: shape = [=](double x, double y) { return std::hypot(x - c, y - c) < q * 0.9; }; break;
        case 1: shape = [=](double x, double y) {
                return (std::abs(std::hypot(x - c, y - c + q * 0.45) - q * 0.6) < w * 0.7 && y < c + q * 0.2 &&
                        !(x < c && y > c - q * 0.4)) || std::hypot(x - c, y - c - q * 1.1) < w;
            }; break;
        case 2: shape = [=](double x, double y) {
                const bool in = x > c - q && x < c + q && y > c - q && y < c + q;
                const bool hole = x > c - q + w && x < c + q - w && y > c - q + 2 * w && y < c + q - w;
                return in && !hole;
            }; break;
        case 3: shape = [=](double x, double y) {
                auto frame = [&](double ox, double oy) {
                    const double a = q * 0.75;
                    const bool in = x > ox - a && x < ox + a && y > oy - a && y < oy + a;
                    return in && !(x > ox - a + w && x < ox + a - w && y > oy - a + 2 * w && y < oy + a - w);
                };
                return frame(c - q * 0.3, c + q * 0.3) || frame(c + q * 0.3, c - q * 0.3);
            }; break;
        case 4: shape = [=](double x, double y) { return x > c - q && x < c + q && y > c + q - 2 * w && y < c + q; }; break;
        default: shape = [=](double x, double y) {
                return SegmentDistance(x, y, c - q, c - q, c + q, c + q) < w ||
                       SegmentDistance(x, y, c - q, c + q, c + q, c - q) < w;
            }; break;
        }
        PaintShape(b, x0, 0, s, s, g, shape);
    }
    return b;
}

// Caption pieces: the left end (with the form's top-left corner), the middle to
// stretch, the right end.
TBitmap TitlePart(const Look& l, int part, int roundCorner)
{
    const int w = part == 1 ? 4 : 10;
    TBitmap b(w, l.titleHeight, pf24bit);
    PaintTitleStrip(b, l, 0, w);
    FillRect(b, 0, 0, w, 1, ToColor(Lighter(l.titleTop, 0.35)));
    FillRect(b, 0, l.titleHeight - 1, w, l.titleHeight, ToColor(l.titleLine));
    if (part != 1) {
        const int edge = part == 0 ? 0 : w - 1;
        FillRect(b, edge, 0, edge + 1, l.titleHeight, ToColor(l.titleLine));
        if (roundCorner > 0) {
            // Round the outer top corner out of the key colour.
            const double r = std::min(roundCorner / 2.0 + 1, double(w));
            for (int y = 0; y < w; ++y)
                for (int x = 0; x < w; ++x) {
                    const int px = part == 0 ? x : w - 1 - x;
                    const double d = std::hypot(r - (x + 0.5), r - (y + 0.5));
                    if (x < r && y < r && d > r) b.SetPixel(px, y, kKey);
                    else if (x < r && y < r && d > r - 1.2) b.SetPixel(px, y, ToColor(l.titleLine));
                }
        }
    }
    return b;
}

TBitmap Progress(const Look& l)
{
    TBitmap b(24, 12, pf24bit);
    VGradient(b, 0, 0, 24, 12, l.accentTop, l.accentBottom, l.gloss + 0.25);
    if (l.prefix == "WINXP") // XP's chunks: light gaps every eight pixels
        for (int x = 6; x < 24; x += 8) FillRect(b, x, 0, x + 2, 12, ToColor(Hex(0xFFFFFF)));
    return b;
}

// Groove in three equal parts (ends and middle), keyed outside.
TBitmap TrackBar(const Look& l)
{
    TBitmap b = Blank(15, 6, kKey);
    Box groove{0.5, 0.5, 14.5, 5.5, 2.5, Darker(l.form, 0.25), Lighter(l.form, 0.3), Darker(l.border, 0.1), 0, true, false};
    PaintBox(b, groove);
    return b;
}

TBitmap Slider(const Look& l, bool vertical)
{
    const int w = vertical ? 19 : 11, h = vertical ? 11 : 19;
    TBitmap b = Blank(w, h, kKey);
    Box knob = FaceBox(l, 0, 0, 0, w, h, l.radius > 4 ? 5 : 2, true);
    if (l.prefix == "BLUEGLASS" || l.prefix == "MACOS") knob.top_colour = l.accentTop, knob.bottom_colour = l.accentBottom;
    PaintBox(b, knob);
    // Grip lines across the knob.
    for (int i = -1; i <= 1; ++i) {
        if (vertical) FillRect(b, w / 2 + 2 * i, 3, w / 2 + 2 * i + 1, h - 3, ToColor(Darker(knob.bottom_colour, 0.3)));
        else FillRect(b, 3, h / 2 + 2 * i, w - 3, h / 2 + 2 * i + 1, ToColor(Darker(knob.bottom_colour, 0.3)));
    }
    return b;
}

void Arrow(TBitmap& b, int x0, int s, int direction, Rgb colour) // 0 up, 1 down, 2 left, 3 right
{
    const double c = s / 2.0, q = s * 0.2;
    PaintShape(b, x0, 0, s, s, colour, [=](double x, double y) {
        switch (direction) {
        case 0: return InTriangle(x, y, c - q * 1.3, c + q * 0.6, c + q * 1.3, c + q * 0.6, c, c - q * 0.8);
        case 1: return InTriangle(x, y, c - q * 1.3, c - q * 0.6, c + q * 1.3, c - q * 0.6, c, c + q * 0.8);
        case 2: return InTriangle(x, y, c + q * 0.6, c - q * 1.3, c + q * 0.6, c + q * 1.3, c - q * 0.8, c);
        default: return InTriangle(x, y, c - q * 0.6, c - q * 1.3, c - q * 0.6, c + q * 1.3, c + q * 0.8, c);
        }
    });
}

// Six upright 16 x 16 parts: up arrow normal, mouse-over, pressed; down arrow the same.
TBitmap ScrollBarButtons(const Look& l)
{
    const int s = 16;
    TBitmap b = Blank(6 * s, s, ToColor(l.form));
    for (int f = 0; f < 6; ++f) {
        PaintBox(b, FaceBox(l, f % 3, f * s, 0, s, s, std::min(l.radius, 3.0), false));
        Arrow(b, f * s, s, f < 3 ? 0 : 1, l.glyph);
    }
    return b;
}

// Thumb in three lying 6 x 16 parts side by side: left cap, middle to stretch,
// right cap (the whole picture is one short lying thumb). A vertical bar turns
// each part a quarter clockwise, so its left cap becomes the top one.
TBitmap ScrollBarThumb(const Look& l)
{
    const int w = 18, h = 16;
    TBitmap b = Blank(w, h, ToColor(l.form));
    // A top-to-bottom gradient reads as a rounded rod along the lying thumb.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double t = std::abs(y - h / 2.0) / (h / 2.0);
            b.SetPixel(x, y, ToColor(Mix(l.hotTop, l.hotBottom, t)));
        }
    Box thumb{0.5, 0.5, w - 0.5, h - 0.5, std::min(l.radius, 4.0), l.faceTop, l.faceBottom, l.border, 0, true, true};
    TBitmap rim = Blank(w, h, kKey);
    PaintBox(rim, thumb);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColor c = rim.Pixel(x, y);
            const bool inside = x > 1 && x < w - 2 && y > 1 && y < h - 2;
            if (c == kKey) b.SetPixel(x, y, ToColor(l.form));
            else if (!inside) b.SetPixel(x, y, c);
        }
    // The middle part is plain: it is stretched along the thumb.
    return b;
}

// Four 15 x 15 parts: right arrow normal and under the pointer, left arrow the same.
TBitmap ScrollButtons(const Look& l)
{
    const int s = 15;
    TBitmap b = Blank(4 * s, s, ToColor(l.form));
    for (int f = 0; f < 4; ++f) {
        PaintBox(b, FaceBox(l, f % 2, f * s, 0, s, s, std::min(l.radius, 3.0), false));
        Arrow(b, f * s, s, f < 2 ? 3 : 2, l.glyph);
    }
    return b;
}

// The body a tab control frames: the control background (white for WinXP),
// closed by the control border colour. The tab pictures meet them.
Rgb TabBody(const Look& l) { return l.prefix == "WINXP" ? Hex(0xFFFFFF) : l.form; }
Rgb ControlBorder(const Look& l)
{
    if (l.prefix == "MACOS") return Hex(0x7F7F7F);
    if (l.prefix == "WINXP") return Hex(0x686868);
    return Hex(0x000000);
}

// Two tabs side by side (active, inactive), each in three parts for the
// horizontal stretch; the rounded top corners are keyed. Both are open at the
// bottom: the active one, drawn a pixel lower, covers the line's border row
// and opens into the body; the line closes the inactive ones.
TBitmap Tabs(const Look& l)
{
    const int pw = 18, h = 22;
    const Rgb body = TabBody(l);
    TBitmap b = Blank(2 * pw, h, kKey);
    PaintBox(b, {0, 0, double(pw), h + 6.0, std::min(l.radius, 5.0) + 1, Lighter(l.faceTop, 0.2), body, l.border,
                 0, true, true});
    PaintBox(b, {double(pw), 3, 2.0 * pw, h + 6.0, std::min(l.radius, 5.0) + 1, l.faceBottom, Darker(l.faceBottom, 0.08),
                 l.border, 0, true, true});
    if (l.prefix == "WINXP") FillRect(b, 2, 0, pw - 2, 2, ToColor(Hex(0xF8B330)));
    // The active tab ends in the body's colour between its two sides; its
    // bottom-left pixel is no key, so the key test there answers "no key".
    FillRect(b, 1, h - 1, pw - 1, h, ToColor(body));
    b.SetPixel(0, h - 1, ToColor(l.border));
    b.SetPixel(pw - 1, h - 1, ToColor(l.border));
    return b;
}

// The line under a top strip: the body's top edge in the control border
// colour, then the body's colour down to where the body starts.
TBitmap TabLine(const Look& l)
{
    TBitmap b(4, 3, pf24bit);
    FillRect(b, 0, 0, 4, 1, ToColor(ControlBorder(l)));
    FillRect(b, 0, 1, 4, 3, ToColor(TabBody(l)));
    return b;
}

// Four 16 x 16 handles: collapse normal, under the pointer; expand the same.
TBitmap PanelHandles(const Look& l)
{
    const int s = 16;
    TBitmap b = Blank(4 * s, s, kKey);
    for (int f = 0; f < 4; ++f) {
        PaintBox(b, {f * s + 1.0, 1, f * s + s - 1.0, s - 1.0, 7, f % 2 ? l.hotTop : l.faceTop,
                     f % 2 ? l.hotBottom : l.faceBottom, f % 2 ? l.hotBorder : l.border, l.gloss, true, true});
        const bool up = f < 2;
        PaintShape(b, f * s, 0, s, s, l.glyph, [=](double x, double y) {
            const double c = s / 2.0, dy = up ? 1.5 : -1.5;
            return SegmentDistance(x, y, c - 3, c + dy, c, c - dy) < 1.0 || SegmentDistance(x, y, c, c - dy, c + 3, c + dy) < 1.0;
        });
    }
    return b;
}

TBitmap SideBar(const Look& l)
{
    TBitmap b(8, 24, pf24bit);
    VGradient(b, 0, 0, 8, 24, Lighter(l.accentTop, 0.3), l.accentBottom, l.gloss);
    FillRect(b, 0, 23, 8, 24, ToColor(l.accentBorder));
    return b;
}

TBitmap MenuBar()
{
    TBitmap b(8, 20, pf24bit);
    for (int y = 0; y < 20; ++y) FillRect(b, 0, y, 8, y + 1, ToColor(y % 2 ? Hex(0xF4F4F4) : Hex(0xFAFAFA)));
    return b;
}

TBitmap MenuSelect()
{
    TBitmap b(8, 20, pf24bit);
    VGradient(b, 0, 0, 8, 20, Hex(0x6AA8F4), Hex(0x1A62D0), 0.15);
    return b;
}

// The combo boxes' drop-down button, stretched over the button's rectangle:
// MacOS an aqua face under the arrow the control draws itself, WinXP a pale
// blue face that carries its own dark arrow.
TBitmap ComboButton(const Look& l)
{
    const int w = 17, h = 19;
    TBitmap b = Blank(w, h, ToColor(l.form));
    if (l.prefix == "MACOS") {
        PaintBox(b, {0, 0, double(w), double(h), 4, Hex(0xD8ECFF), l.accentTop, l.accentBorder, l.gloss, false, true});
        return b;
    }
    PaintBox(b, {0, 0, double(w), double(h), 2, Hex(0xDCE8FE), Hex(0xA8C0F4), Hex(0x98B2EC), 0.1, false, true});
    PaintShape(b, 0, 0, w, h, Hex(0x4D6185), [](double x, double y) {
        return SegmentDistance(x, y, 5, 8, 8.5, 11.5) < 1.15 || SegmentDistance(x, y, 8.5, 11.5, 12, 8) < 1.15;
    });
    return b;
}

// The font list's marks, 20 x 12 on the key colour: a scalable font's two
// overlapping letters T, and a printer for a device font.
TBitmap FontTrueType()
{
    TBitmap b = Blank(20, 12, kKey);
    auto letterT = [](double ox) {
        return [ox](double x, double y) {
            return (y >= 1 && y < 3 && x >= ox && x < ox + 9) || (x >= ox + 3.5 && x < ox + 5.5 && y >= 1 && y < 11);
        };
    };
    PaintShape(b, 0, 0, 20, 12, Hex(0x8A8A8A), letterT(1));
    PaintShape(b, 0, 0, 20, 12, Hex(0x1F4FB8), letterT(8));
    return b;
}

TBitmap FontDevice()
{
    TBitmap b = Blank(20, 12, kKey);
    FillRect(b, 5, 0, 14, 5, ToColor(Hex(0xFFFFFF)));            // the sheet
    FillRect(b, 2, 4, 18, 10, ToColor(Hex(0x5A5A5A)));           // the body
    FillRect(b, 3, 5, 17, 9, ToColor(Hex(0x9A9A9A)));
    FillRect(b, 14, 6, 16, 7, ToColor(Hex(0x3CC83C)));           // the lamp
    FillRect(b, 5, 9, 14, 11, ToColor(Hex(0xFFFFFF)));           // the printed page
    for (int x = 5; x < 14; ++x) b.SetPixel(x, 0, ToColor(Hex(0x7A7A7A)));
    return b;
}

// The menus' check mark: black on white, white being the transparent colour.
TBitmap MenuChecked()
{
    TBitmap b = Blank(16, 16, 0xFFFFFF);
    PaintShape(b, 0, 0, 16, 16, Hex(0x000000), [](double x, double y) {
        return SegmentDistance(x, y, 4, 8, 7, 11) < 1.2 || SegmentDistance(x, y, 7, 11, 12, 5) < 1.2;
    });
    return b;
}

// The notice window: a framed panel with a title band and a close box at (162..175, 6..19).
TBitmap NoticeWindow()
{
    TBitmap b(195, 120, pf24bit);
    VGradient(b, 0, 0, 195, 120, Hex(0xF4F8FE), Hex(0xC8DAF4));
    // A light title band, so that the dark title text reads well, closed by a rule.
    VGradient(b, 0, 0, 195, 27, Hex(0xE4EEFC), Hex(0xA8C4EC), 0.4);
    for (int x = 1; x < 194; ++x) b.SetPixel(x, 27, ToColor(Hex(0x6E94C8)));
    PaintBox(b, {162, 6, 176, 20, 3, Hex(0xF8907A), Hex(0xB82A18), Hex(0x7A1C10), 0.3, false, true});
    PaintShape(b, 162, 6, 14, 14, Hex(0xFFFFFF), [](double x, double y) {
        return SegmentDistance(x, y, 4, 4, 10, 10) < 1.1 || SegmentDistance(x, y, 4, 10, 10, 4) < 1.1;
    });
    for (int x = 0; x < 195; ++x) b.SetPixel(x, 0, 0x8A5A2A), b.SetPixel(x, 119, 0x8A5A2A);
    for (int y = 0; y < 120; ++y) b.SetPixel(0, y, 0x8A5A2A), b.SetPixel(194, y, 0x8A5A2A);
    return b;
}

// The data navigator's ten glyphs side by side, 16 x 16 each on the key
// colour, in its button order: first, prior, next, last, insert, delete,
// edit, post, cancel, refresh.
TBitmap NavigatorGlyphs()
{
    const int s = 16;
    TBitmap b = Blank(10 * s, s, kKey);
    const Rgb ink = Hex(0x1E2A44), ok = Hex(0x1F8A2A), no = Hex(0xC0282C), turn = Hex(0x1F5FC8);
    auto glyph = [&](int i, Rgb colour, std::function<bool(double, double)> inside) {
        PaintShape(b, i * s, 0, s, s, colour, inside);
    };
    auto left = [](double x, double y, double tip) { return InTriangle(x, y, tip, 8, tip + 6, 3, tip + 6, 13); };
    auto right = [](double x, double y, double tip) { return InTriangle(x, y, tip, 8, tip - 6, 3, tip - 6, 13); };
    glyph(0, ink, [&](double x, double y) { return left(x, y, 6) || (x >= 3 && x < 5 && y >= 3 && y < 13); });
    glyph(1, ink, [&](double x, double y) { return left(x, y, 5); });
    glyph(2, ink, [&](double x, double y) { return right(x, y, 11); });
    glyph(3, ink, [&](double x, double y) { return right(x, y, 10) || (x >= 11 && x < 13 && y >= 3 && y < 13); });
    glyph(4, ink, [](double x, double y) { return (x >= 7 && x < 9 && y >= 3 && y < 13) || (y >= 7 && y < 9 && x >= 3 && x < 13); });
    glyph(5, ink, [](double x, double y) { return y >= 7 && y < 9 && x >= 3 && x < 13; });
    glyph(6, ink, [](double x, double y) { return InTriangle(x, y, 8, 4, 2.5, 12, 13.5, 12); });
    glyph(7, ok, [](double x, double y) {
        return SegmentDistance(x, y, 3, 8.5, 6.5, 12) < 1.3 || SegmentDistance(x, y, 6.5, 12, 13, 4) < 1.3;
    });
    glyph(8, no, [](double x, double y) {
        return SegmentDistance(x, y, 4, 4, 12, 12) < 1.3 || SegmentDistance(x, y, 4, 12, 12, 4) < 1.3;
    });
    glyph(9, turn, [](double x, double y) {
        // Three quarters of a ring, ending in an arrow head at the top right.
        const double dx = x - 8, dy = y - 8.5, r = std::hypot(dx, dy);
        const bool ring = r > 3.3 && r < 5.3 && !(dx > 0 && dy < 0);
        return ring || InTriangle(x, y, 8, 1.5, 8, 7.5, 12.5, 4.5);
    });
    return b;
}

// Minimize, restore and close glyphs of an MDI child's buttons in the frame's
// menu bar, 16 x 16 each, black on the key colour.
TBitmap MdiControlButtons()
{
    const int s = 16;
    TBitmap b = Blank(3 * s, s, kKey);
    const Rgb ink = Hex(0x000000);
    PaintShape(b, 0, 0, s, s, ink, [](double x, double y) { return x >= 4 && x < 12 && y >= 11 && y < 13; });
    PaintShape(b, s, 0, s, s, ink, [](double x, double y) {
        auto frame = [&](double l, double t) {
            const bool in = x >= l && x < l + 7 && y >= t && y < t + 6;
            return in && !(x >= l + 1 && x < l + 6 && y >= t + 2 && y < t + 5);
        };
        return frame(3, 7) || (frame(6, 3) && !(x >= 3 && x < 10 && y >= 7 && y < 13));
    });
    PaintShape(b, 2 * s, 0, s, s, ink, [](double x, double y) {
        return SegmentDistance(x, y, 4.5, 4.5, 11.5, 11.5) < 1.0 || SegmentDistance(x, y, 4.5, 11.5, 11.5, 4.5) < 1.0;
    });
    return b;
}

// The MacOS form's pinstripes, used as a brush.
TBitmap MacFormBackground()
{
    TBitmap b(8, 4, pf24bit);
    for (int y = 0; y < 4; ++y) FillRect(b, 0, y, 8, y + 1, ToColor(y % 2 ? Hex(0xE0E0E0) : Hex(0xEDEDED)));
    return b;
}

// The Protein form's brushed silver, used as a brush: faint streaks along the rows.
TBitmap ProteinFormBackground()
{
    TBitmap b(16, 8, pf24bit);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const int n = (x * 7 + y * 13 + (x * y) % 5) % 9;
            b.SetPixel(x, y, ToColor(Mix(Hex(0xF6F6F6), Hex(0xFFFFFF), n / 8.0)));
        }
    return b;
}

// The program's icon: a disc with a blue label, on the key colour.
TBitmap MainIcon()
{
    const int s = 32;
    TBitmap b = Blank(s, s, kKey);
    PaintShape(b, 0, 0, s, s, Hex(0xC8CCD6), [](double x, double y) { return std::hypot(x - 16, y - 16) < 15; });
    PaintShape(b, 0, 0, s, s, Hex(0xEEF2FA), [](double x, double y) {
        const double d = std::hypot(x - 16, y - 16), a = std::atan2(y - 16, x - 16);
        return d < 13.5 && d > 6 && std::sin(2 * a) > 0.2;
    }, 0.8);
    PaintShape(b, 0, 0, s, s, Hex(0x2A4C8E), [](double x, double y) {
        const double d = std::hypot(x - 16, y - 16);
        return d < 6 && d > 2.5;
    });
    PaintShape(b, 0, 0, s, s, Hex(0x6A7080), [](double x, double y) { return std::abs(std::hypot(x - 16, y - 16) - 15) < 0.6; });
    return b;
}

using Pictures = std::vector<std::pair<std::string, TBitmap>>;

Pictures DrawAll()
{
    Pictures out;
    const int roundCorners[5] = {0, 13, 0, 0, 11};
    int i = 0;
    for (const Look& l : Looks()) {
        const std::string p = l.prefix + "_";
        out.emplace_back(p + "BUTTON", Button(l));
        out.emplace_back(p + "CHECKBOX", Check(l, false, false));
        out.emplace_back(p + "RADIOBUTTON", Check(l, true, false));
        out.emplace_back(p + "TITLEBTN", TitleButtons(l));
        out.emplace_back(p + "TITLE_LEFT", TitlePart(l, 0, roundCorners[i]));
        out.emplace_back(p + "TITLE_CLIENT", TitlePart(l, 1, 0));
        out.emplace_back(p + "TITLE_RIGHT", TitlePart(l, 2, roundCorners[i]));
        out.emplace_back(p + "PROGRESSBAR", Progress(l));
        out.emplace_back(p + "TRACKBAR_BAR", TrackBar(l));
        out.emplace_back(p + "TRACKBAR_SLIDER", Slider(l, false));
        out.emplace_back(p + "TRACKBAR_SLIDER_V", Slider(l, true));
        out.emplace_back(p + "SCROLLBAR_BUTTON", ScrollBarButtons(l));
        out.emplace_back(p + "SCROLLBAR_TRACK", ScrollBarThumb(l));
        out.emplace_back(p + "CHECKLIST", Check(l, false, true));
        if (l.prefix == "MACOS" || l.prefix == "WINXP") out.emplace_back(p + "SCROLLBUTTON", ScrollButtons(l));
        if (l.prefix == "DEEPBLUE") out.emplace_back("MORE_SCROLLBUTTON", ScrollButtons(l));
        out.emplace_back(p + "TAB", Tabs(l));
        out.emplace_back(p + "TAB_LINE", TabLine(l));
        out.emplace_back(p + "SIDECHENNEL_HANDLE", PanelHandles(l));
        out.emplace_back(p + "SIDECHENNEL_BAR", SideBar(l));
        if (l.prefix == "DEEPBLUE") out.emplace_back("PANEL_BUTTON", PanelHandles(l));
        if (l.prefix == "MACOS" || l.prefix == "WINXP") out.emplace_back(p + "COMBOBOX_BUTTON", ComboButton(l));
        ++i;
    }
    out.emplace_back("MACOS_MENU_BAR", MenuBar());
    out.emplace_back("MACOS_MENU_SELECT", MenuSelect());
    out.emplace_back("MENU_CHECKED", MenuChecked());
    out.emplace_back("FONTCOMBO_TRUETYPE_FNT", FontTrueType());
    out.emplace_back("FONTCOMBO_DEVICE_FNT", FontDevice());
    out.emplace_back("MSNPOPFORM", NoticeWindow());
    out.emplace_back("DBNAV_BUTTON", NavigatorGlyphs());
    out.emplace_back("MDI_CONTROL_BUTTON", MdiControlButtons());
    out.emplace_back("MACOS_FORM_BACKGROUND", MacFormBackground());
    out.emplace_back("PROTEIN_FORM_BACKGROUND", ProteinFormBackground());
    out.emplace_back("MAINICON", MainIcon());
    return out;
}

void WriteSource(const Pictures& pictures, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "// Generated by tools/artwork: the built-in theme pictures as BMP files.\n"
           "#include \"kivresourcedata.h\"\n\nnamespace {\n";
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        TMemoryStream s;
        pictures[i].second.SaveToStream(s);
        out << "const unsigned char k" << i << "[] = {";
        for (std::int64_t n = 0; n < s.Size(); ++n) out << (n % 24 ? "" : "\n") << int(s.Memory()[n]) << ",";
        out << "};\n";
    }
    out << "} // namespace\n\nconst KivResourceBlob kKivResources[] = {\n";
    for (std::size_t i = 0; i < pictures.size(); ++i)
        out << "    {\"" << pictures[i].first << "\", k" << i << ", sizeof k" << i << "},\n";
    out << "};\nconst int kKivResourceCount = " << pictures.size() << ";\n";
    if (!out) throw std::runtime_error("cannot write " + path);
}

// One sheet per look: every picture enlarged three times on the form colour, with its name.
void WriteSheets(const Pictures& pictures, const std::string& folder)
{
    for (const Look& l : Looks()) {
        std::vector<const std::pair<std::string, TBitmap>*> mine;
        for (const auto& p : pictures)
            if (p.first.rfind(l.prefix + "_", 0) == 0 || (l.prefix == "DEEPBLUE" && p.first.find('_') == std::string::npos) ||
                (l.prefix == "DEEPBLUE" && p.first.rfind("MORE_", 0) == 0))
                mine.push_back(&p);
        const int zoom = 3, width = 1200;
        int height = 10;
        for (auto* p : mine) height += p->second.Height() * zoom + 26;
        TBitmap sheet(width, height, pf24bit);
        FillRect(sheet, 0, 0, width, height, ToColor(l.form));
        TCanvas* c = sheet.Canvas();
        c->Font()->SetName("Arial");
        c->Font()->SetSize(9);
        c->Brush()->SetStyle(bsClear);
        int y = 6;
        for (auto* p : mine) {
            c->TextOut(6, y, p->first + " " + std::to_string(p->second.Width()) + "x" + std::to_string(p->second.Height()));
            y += 16;
            TBitmap copy;
            copy.Assign(p->second);
            c->StretchDraw(Bounds(6, y, copy.Width() * zoom, copy.Height() * zoom), copy);
            y += copy.Height() * zoom + 10;
        }
        sheet.SaveToFile(folder + "/" + l.prefix + ".bmp");
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: artwork OUT.cpp [--sheets FOLDER]\n";
        return 2;
    }
    try {
        const Pictures pictures = DrawAll();
        WriteSource(pictures, argv[1]);
        if (argc == 4 && std::string(argv[2]) == "--sheets") WriteSheets(pictures, argv[3]);
    } catch (const std::exception& e) {
        std::cerr << "artwork: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
