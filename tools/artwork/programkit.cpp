#include "programkit.h"

#include "gfx/canvas.h"

#include <cmath>

// A compact disc: a rainbow-sheened silver face, a clear hub and a hole.
void Disc(TBitmap& b, double cx, double cy, double r, double alpha)
{
    for (int y = int(cy - r) - 1; y <= int(cy + r) + 1; ++y)
        for (int x = int(cx - r) - 1; x <= int(cx + r) + 1; ++x) {
            if (x < 0 || y < 0 || x >= b.Width() || y >= b.Height()) continue;
            int n = 0;
            for (int s = 0; s < 16; ++s) {
                const double px = x + (s % 4 + 0.5) / 4 - cx, py = y + (s / 4 + 0.5) / 4 - cy;
                const double d = std::hypot(px, py);
                if (d <= r && d >= r * 0.12) ++n;
            }
            if (!n) continue;
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = std::hypot(dx, dy);
            const double a = std::atan2(dy, dx);
            Rgb c;
            if (d < r * 0.34) {
                c = d < r * 0.30 ? Hex(0xDCE4EE) : Hex(0x9AA8BA);   // clear hub and its rim
            } else {
                // Silver with a sheen that turns through the colours around the disc.
                const double t = (std::sin(2 * a) + 1) / 2, u = (std::sin(2 * a + 2.1) + 1) / 2;
                c = Mix(Hex(0xC8D2DE), Rgb{120 + 135 * t, 140 + 110 * u, 255 - 90 * t}, 0.45);
                c = Lighter(c, 0.35 * std::pow(std::max(0.0, std::cos(a + 0.8)), 6));
                if (d > r - 1.5) c = Hex(0x7A8798);
            }
            b.SetPixel(x, y, ToColor(Mix(FromColor(b.Pixel(x, y)), c, alpha * n / 16.0)));
        }
}

void Text(TBitmap& b, int x, int y, const std::string& text, int size, Rgb colour, bool bold)
{
    TCanvas* c = b.Canvas();
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetName("Arial");
    c->Font()->SetSize(size);
    c->Font()->SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
    c->Font()->SetQuality(fqAntialiased);
    c->Font()->SetColor(ToColor(colour));
    c->TextOut(x, y, text);
}

int TextWidth(TBitmap& b, const std::string& text, int size, bool bold)
{
    TCanvas* c = b.Canvas();
    c->Font()->SetName("Arial");
    c->Font()->SetSize(size);
    c->Font()->SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
    return c->TextWidth(text);
}

TBitmap Crop(const TBitmap& src, const Place& p)
{
    TBitmap out(p.width, p.height, pf24bit);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) out.SetPixel(x, y, src.Pixel(p.left + x, p.top + y));
    return out;
}

// States side by side: normal, mouse on, mouse down, disabled.
TBitmap Strip(const TBitmap* states)
{
    const int w = states[0].Width(), h = states[0].Height();
    TBitmap out(w * 4, h, pf24bit);
    for (int i = 0; i < 4; ++i)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) out.SetPixel(i * w + x, y, states[i].Pixel(x, y));
    return out;
}

// A window body of the program's skins: deep navy with rounded, keyed
// corners and a glassy title band `band` pixels high over a light rule.
TBitmap WindowBody(int w, int h, int band)
{
    TBitmap b(w, h, pf24bit);
    FillRect(b, 0, 0, w, h, kKey);
    PaintBox(b, {0, 0, double(w), double(h), 18, Hex(0x1C3D70), Hex(0x0C1B36), Hex(0x06101F), 0, true, true});
    for (int y = 2; y < band; ++y)
        for (int x = 2; x < w - 2; ++x) {
            if (b.Pixel(x, y) == kKey) continue;
            const double t = (y - 2) / double(band - 2);
            Rgb c = Mix(Hex(0x4A7FC8), Hex(0x173A72), t);
            if (t < 0.45) c = Lighter(c, 0.22 * (1 - t / 0.45));
            b.SetPixel(x, y, ToColor(Mix(FromColor(b.Pixel(x, y)), c, 0.92)));
        }
    FillRect(b, 8, band, w - 8, band + 1, ToColor(Hex(0x7FB2F0)));
    FillRect(b, 8, band + 1, w - 8, band + 2, ToColor(Hex(0x0A1730)));
    return b;
}

// One small title-band button state: a glassy orb with its glyph
// (0 i, 1 ?, 2 house, 3 minimise bar, 4 cross).
TBitmap OrbState(const TBitmap& skin, const Place& p, int which, int state)
{
    TBitmap b = Crop(skin, p);
    const bool hot = state == 1, down = state == 2, off = state == 3;
    const bool exitButton = which == 4;
    Rgb top = exitButton ? Hex(0xF2806A) : Hex(0x8CBCF4), bottom = exitButton ? Hex(0xB02A18) : Hex(0x2A5EAE);
    if (hot) top = Lighter(top, 0.25), bottom = Lighter(bottom, 0.2);
    if (down) top = Darker(top, 0.25), bottom = Darker(bottom, 0.25);
    if (off) top = Grey(top), bottom = Grey(bottom);
    PaintBox(b, {1, 1, 23, 23, 11, top, bottom, exitButton ? Hex(0x5A1008) : Hex(0x0C2246), 0.45, false, true});
    const Rgb g = Hex(0xFFFFFF);
    auto shape = [&](auto inside) { PaintShape(b, 0, 0, 24, 24, g, inside); };
    switch (which) {
    case 0: // i
        shape([](double x, double y) { return std::hypot(x - 12, y - 7.5) < 1.7 || (std::abs(x - 12) < 1.5 && y > 10 && y < 18); });
        break;
    case 1: // ?
        shape([](double x, double y) {
            const double d = std::hypot(x - 12, y - 9.5);
            const double a = std::atan2(y - 9.5, x - 12);
            return (std::abs(d - 4) < 1.4 && (a < 1.2 || a > 2.6 || a < -0.0)) ||
                   (std::abs(x - 12) < 1.4 && y > 12.5 && y < 15.5) || std::hypot(x - 12, y - 18) < 1.6;
        });
        break;
    case 2: // house
        shape([](double x, double y) {
            return InTriangle(x, y, 12, 5, 4.5, 12, 19.5, 12) || (x > 7 && x < 17 && y >= 11.5 && y < 18.5 && !(x > 10.5 && x < 13.5 && y > 13.5));
        });
        break;
    case 3: // minimise bar
        shape([](double x, double y) { return x > 7 && x < 17 && y > 14 && y < 17; });
        break;
    default: // cross
        shape([](double x, double y) {
            return SegmentDistance(x, y, 8, 8, 16, 16) < 1.5 || SegmentDistance(x, y, 8, 16, 16, 8) < 1.5;
        });
        break;
    }
    return b;
}

// The four states of a button, side by side, from a painter of one state.
TBitmap Strip4(const std::function<TBitmap(int state)>& paint)
{
    const TBitmap states[4] = {paint(0), paint(1), paint(2), paint(3)};
    return Strip(states);
}

void CentredText(TBitmap& b, int y, const std::string& text, int size, Rgb colour, bool bold, int shift)
{
    const int x = (b.Width() - TextWidth(b, text, size, bold)) / 2 + shift;
    Text(b, x + 1, y + 1, text, size, Hex(0x08162E), bold);
    Text(b, x, y, text, size, colour, bold);
}

// A rounded glassy button with its word (and an arrow after it), the accent
// colour for the button that goes on.
TBitmap WordButtonState(const TBitmap& skin, const Place& p, const std::string& word, bool accent, bool arrow,
                        int state)
{
    TBitmap b = Crop(skin, p);
    const bool hot = state == 1, down = state == 2, off = state == 3;
    const double o = down ? 1 : 0;
    Rgb top = accent ? Hex(0x58B4EE) : Hex(0x5E7494), bottom = accent ? Hex(0x1C5CA8) : Hex(0x2E3E5A);
    if (hot) top = Lighter(top, 0.2), bottom = Lighter(bottom, 0.15);
    if (down) top = Darker(top, 0.2), bottom = Darker(bottom, 0.15);
    Rgb border = hot ? Hex(0xA8D0FF) : Hex(0x06101F);
    if (off) top = Grey(top), bottom = Grey(bottom), border = Grey(border);
    PaintBox(b, {1 + o, 1 + o, p.width - 1 + o, p.height - 1 + o, 8, top, bottom, border, down ? 0.1 : 0.35, false, true});
    const Rgb words = off ? Hex(0xE6E6E6) : Hex(0xFFFFFF);
    const int y = (p.height - 16) / 2;
    if (!arrow) {
        CentredText(b, y + int(o), word, 10, words, true, int(o));
        return b;
    }
    const int w = TextWidth(b, word, 10, true), x = (p.width - w - 14) / 2 + int(o);
    Text(b, x + 1, y + 1 + int(o), word, 10, Hex(0x08162E), true);
    Text(b, x, y + int(o), word, 10, words, true);
    PaintShape(b, x + w + 6, y + 2 + int(o), 9, 13, words, [](double px, double py) { return InTriangle(px, py, 1, 1, 8, 6.5, 1, 12); });
    return b;
}

// Stop: a red face with a square before the word.
TBitmap StopState(const TBitmap& skin, const Place& p, int state)
{
    TBitmap b = Crop(skin, p);
    const bool hot = state == 1, down = state == 2, off = state == 3;
    const double o = down ? 1 : 0;
    Rgb top = Hex(0xF08A6E), bottom = Hex(0xA8301C), border = hot ? Hex(0xFFD0C0) : Hex(0x3A0A04);
    if (hot) top = Lighter(top, 0.2), bottom = Lighter(bottom, 0.15);
    if (down) top = Darker(top, 0.2), bottom = Darker(bottom, 0.15);
    if (off) top = Grey(top), bottom = Grey(bottom), border = Grey(border);
    PaintBox(b, {1 + o, 1 + o, p.width - 1 + o, p.height - 1 + o, 8, top, bottom, border, down ? 0.1 : 0.35, false, true});
    const Rgb white = off ? Hex(0xE6E6E6) : Hex(0xFFFFFF);
    const int w = TextWidth(b, "Stop", 10, true), x = (p.width - w - 16) / 2 + int(o), y = (p.height - 16) / 2;
    PaintShape(b, x, y + 3 + int(o), 10, 10, white, [](double px, double py) { return px > 0.5 && px < 9.5 && py > 0.5 && py < 9.5; });
    Text(b, x + 17, y + 1 + int(o), "Stop", 10, Hex(0x3A0A04), true);
    Text(b, x + 16, y + int(o), "Stop", 10, white, true);
    return b;
}

void WindowHeading(TBitmap& b, const std::string& title, const std::string& line)
{
    Disc(b, 32, 27, 17);
    Text(b, 62, 9, title, 15, Hex(0x08162E), true);
    Text(b, 60, 7, title, 15, Hex(0xFFFFFF), true);
    Text(b, 62, 32, line, 8, Hex(0xCFE2FA));
}

void BodyPanel(TBitmap& b, double left, double top, double right, double bottom)
{
    PaintBox(b, {left, top, right, bottom, 12, Hex(0x24487E), Hex(0x15305A), Hex(0x3D6AAA), 0.05, false, true});
}

void BodyPanel(TBitmap& b, const Place& p)
{
    BodyPanel(b, p.left, p.top, p.left + p.width, p.top + p.height);
}
