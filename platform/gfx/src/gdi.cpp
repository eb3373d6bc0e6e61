// Block transfers with raster operations and stretching, and formatted text.
#include "gfx/gdi.h"

#include "fontengine.h"
#include "gfx/bitmap.h"
#include "painter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

bool UsesSource(std::uint8_t code) { return (((code >> 2) ^ code) & 0x33) != 0; }
bool UsesPattern(std::uint8_t code) { return (((code >> 4) ^ code) & 0x0F) != 0; }
bool UsesDest(std::uint8_t code) { return (((code >> 1) ^ code) & 0x55) != 0; }

// The ternary operation: bit (P*4 + S*2 + D) of the code is the result for
// that combination, applied bit by bit to the colour values.
std::uint32_t Rop3(std::uint8_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    switch (code) {
    case 0xCC: return s;
    case 0xF0: return p;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    case 0x33: return ~s & 0xFFFFFF;
    case 0x55: return ~d & 0xFFFFFF;
    case 0x00: return 0;
    case 0xFF: return 0xFFFFFF;
    default: break;
    }
    std::uint32_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (code & (1 << i)) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    return r & 0xFFFFFF;
}

// Source index for each destination index: centres of destination pixels
// mapped onto the source, so pixels are dropped or repeated evenly.
std::vector<int> Map(int dstCount, int srcStart, int srcCount, bool mirror)
{
    std::vector<int> m(static_cast<std::size_t>(dstCount));
    for (int i = 0; i < dstCount; ++i) {
        const int j = mirror ? dstCount - 1 - i : i;
        m[static_cast<std::size_t>(i)] =
            srcStart + static_cast<int>((2 * static_cast<std::int64_t>(j) + 1) * srcCount / (2 * static_cast<std::int64_t>(dstCount)));
    }
    return m;
}

// Averaged source colour for the halftone mode.
TColor Halftone(const TBitmap& src, double x0, double y0, double x1, double y1)
{
    const int w = src.Width(), h = src.Height();
    if (x1 - x0 < 1.0 && y1 - y0 < 1.0) {
        // Enlarging: bilinear between the four nearest source pixels.
        const double cx = (x0 + x1) / 2 - 0.5, cy = (y0 + y1) / 2 - 0.5;
        const int ix = static_cast<int>(std::floor(cx)), iy = static_cast<int>(std::floor(cy));
        const double fx = cx - ix, fy = cy - iy;
        auto at = [&](int x, int y) { return src.Pixel(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1)); };
        double acc[3] = {0, 0, 0};
        const TColor c[4] = {at(ix, iy), at(ix + 1, iy), at(ix, iy + 1), at(ix + 1, iy + 1)};
        const double wt[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
        for (int k = 0; k < 4; ++k) {
            acc[0] += GetRValue(c[k]) * wt[k];
            acc[1] += GetGValue(c[k]) * wt[k];
            acc[2] += GetBValue(c[k]) * wt[k];
        }
        return RGB(static_cast<int>(acc[0] + 0.5), static_cast<int>(acc[1] + 0.5), static_cast<int>(acc[2] + 0.5));
    }
    const int ax = std::clamp(static_cast<int>(std::floor(x0)), 0, w - 1);
    const int ay = std::clamp(static_cast<int>(std::floor(y0)), 0, h - 1);
    const int bx = std::clamp(static_cast<int>(std::ceil(x1)), ax + 1, w);
    const int by = std::clamp(static_cast<int>(std::ceil(y1)), ay + 1, h);
    std::uint64_t r = 0, g = 0, b = 0, n = 0;
    for (int y = ay; y < by; ++y)
        for (int x = ax; x < bx; ++x) {
            const TColor c = src.Pixel(x, y);
            r += static_cast<std::uint64_t>(GetRValue(c));
            g += static_cast<std::uint64_t>(GetGValue(c));
            b += static_cast<std::uint64_t>(GetBValue(c));
            ++n;
        }
    return RGB(static_cast<int>((r + n / 2) / n), static_cast<int>((g + n / 2) / n), static_cast<int>((b + n / 2) / n));
}

bool Blit(TCanvas* dest, int x, int y, int w, int h, TCanvas* source, int sx, int sy, int sw, int sh,
          std::uint32_t rop, bool keyed, TColor key)
{
    if (!dest || !dest->Target()) return false;
    TCanvasPainter dp(*dest);
    const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
    const bool needSource = keyed || UsesSource(code);
    const TBitmap* src = nullptr;
    TPoint sorg;
    if (needSource) {
        if (!source || !source->Target()) return false;
        src = source->Target();
        sorg = source->ViewportOrg();
    }
    if (!dp.Ok()) return true;
    const bool mirrorX = (w < 0) != (sw < 0), mirrorY = (h < 0) != (sh < 0);
    int dx = dp.DevX(x), dy = dp.DevY(y);
    if (w < 0) {
        dx += w + 1;
        w = -w;
    }
    if (h < 0) {
        dy += h + 1;
        h = -h;
    }
    int ssx = sx + sorg.X, ssy = sy + sorg.Y;
    if (sw < 0) {
        ssx += sw + 1;
        sw = -sw;
    }
    if (sh < 0) {
        ssy += sh + 1;
        sh = -sh;
    }
    if (w == 0 || h == 0) return true;
    if (needSource && (sw == 0 || sh == 0 || src->Empty())) return true;

    TBitmap copy;
    if (needSource && src == &dp.Bitmap()) {
        // Source and destination are one bitmap: read from a snapshot.
        copy.Assign(*src);
        src = &copy;
    }
    const std::vector<int> xmap = needSource ? Map(w, ssx, sw, mirrorX) : std::vector<int>();
    const std::vector<int> ymap = needSource ? Map(h, ssy, sh, mirrorY) : std::vector<int>();
    const bool halftone = needSource && !keyed && dest->StretchBltMode() == HALFTONE && (sw != w || sh != h);
    const Ink pattern = dp.BrushInk(false);
    const bool needPattern = UsesPattern(code);
    const bool needDest = UsesDest(code);
    const TColor keyColor = ColorToRGB(key);

    TBitmap& db = dp.Bitmap();
    const int dbpp = db.BitsPerPixel();
    const int sbpp = src ? src->BitsPerPixel() : 0;
    const bool fastCopy = code == 0xCC && !keyed && !halftone && (dbpp == 24 || dbpp == 32) && (sbpp == 24 || sbpp == 32);
    const int sw0 = src ? src->Width() : 0, sh0 = src ? src->Height() : 0;

    for (const TRect& clip : dp.Clips()) {
        TRect area;
        if (!IntersectRect(area, clip, Rect(dx, dy, dx + w, dy + h))) continue;
        for (int yy = area.Top; yy < area.Bottom; ++yy) {
            int srow = 0;
            if (needSource) {
                srow = ymap[static_cast<std::size_t>(yy - dy)];
                if (srow < 0 || srow >= sh0) continue; // outside the source: left alone
            }
            if (fastCopy) {
                std::uint8_t* drow = db.ScanLine(yy);
                const std::uint8_t* srowp = src->ScanLine(srow);
                const int ds = dbpp / 8, ss = sbpp / 8;
                for (int xx = area.Left; xx < area.Right; ++xx) {
                    const int scol = xmap[static_cast<std::size_t>(xx - dx)];
                    if (scol < 0 || scol >= sw0) continue;
                    const std::uint8_t* sp = srowp + scol * ss;
                    std::uint8_t* dpx = drow + xx * ds;
                    dpx[0] = sp[0];
                    dpx[1] = sp[1];
                    dpx[2] = sp[2];
                    if (ds == 4) dpx[3] = ss == 4 ? sp[3] : 0;
                }
                continue;
            }
            for (int xx = area.Left; xx < area.Right; ++xx) {
                std::uint32_t S = 0, P = 0, D = 0;
                if (needSource) {
                    const int scol = xmap[static_cast<std::size_t>(xx - dx)];
                    if (scol < 0 || scol >= sw0) continue;
                    if (halftone) {
                        const int i = mirrorX ? w - 1 - (xx - dx) : xx - dx;
                        const int j = mirrorY ? h - 1 - (yy - dy) : yy - dy;
                        const double fx = static_cast<double>(sw) / w, fy = static_cast<double>(sh) / h;
                        S = static_cast<std::uint32_t>(
                            Halftone(*src, ssx + i * fx, ssy + j * fy, ssx + (i + 1) * fx, ssy + (j + 1) * fy));
                    } else {
                        S = static_cast<std::uint32_t>(src->Pixel(scol, srow));
                    }
                    if (keyed && static_cast<TColor>(S) == keyColor) continue;
                }
                if (needPattern) {
                    bool skip = false;
                    P = static_cast<std::uint32_t>(dp.InkColor(pattern, xx, yy, skip));
                    if (skip) {
                        if (pattern.kind == Ink::None) continue;
                        P = static_cast<std::uint32_t>(ColorToRGB(dest->BkColor()));
                    }
                }
                if (needDest) D = static_cast<std::uint32_t>(db.Pixel(xx, yy));
                const std::uint32_t r = keyed ? S : Rop3(code, P, S, D);
                db.SetPixel(xx, yy, static_cast<TColor>(r));
            }
        }
    }
    return true;
}

} // namespace

bool BitBlt(TCanvas* dest, int x, int y, int width, int height, TCanvas* source, int sx, int sy, std::uint32_t rop)
{
    return Blit(dest, x, y, width, height, source, sx, sy, width, height, rop, false, 0);
}

bool StretchBlt(TCanvas* dest, int x, int y, int width, int height, TCanvas* source, int sx, int sy, int sw, int sh,
                std::uint32_t rop)
{
    return Blit(dest, x, y, width, height, source, sx, sy, sw, sh, rop, false, 0);
}

bool PatBlt(TCanvas* dest, int x, int y, int width, int height, std::uint32_t rop)
{
    const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
    if (UsesSource(code)) return false;
    return Blit(dest, x, y, width, height, nullptr, 0, 0, width, height, rop, false, 0);
}

bool TransparentBlt(TCanvas* dest, int x, int y, int width, int height, TCanvas* source, int sx, int sy, int sw,
                    int sh, TColor key)
{
    return Blit(dest, x, y, width, height, source, sx, sy, sw, sh, SRCCOPY, true, key);
}

int SetStretchBltMode(TCanvas* canvas, int mode) { return canvas ? canvas->SetStretchBltMode(mode) : 0; }
int GetStretchBltMode(TCanvas* canvas) { return canvas ? canvas->StretchBltMode() : 0; }
int SetBkMode(TCanvas* canvas, int mode) { return canvas ? canvas->SetBkMode(mode) : 0; }
TColor SetBkColor(TCanvas* canvas, TColor color) { return canvas ? canvas->SetBkColor(color) : 0; }

TColor SetTextColor(TCanvas* canvas, TColor color)
{
    if (!canvas) return 0;
    const TColor old = canvas->Font()->Color();
    canvas->Font()->SetColor(color);
    return old;
}

bool DrawFocusRect(TCanvas* canvas, const TRect& rect)
{
    if (!canvas) return false;
    canvas->DrawFocusRect(rect);
    return true;
}

// ---------------------------------------------------------------------------
// DrawText

namespace {

std::size_t CharLength(unsigned char lead)
{
    if (lead < 0x80) return 1;
    if ((lead >> 5) == 6) return 2;
    if ((lead >> 4) == 14) return 3;
    if ((lead >> 3) == 30) return 4;
    return 1;
}

// One laid-out line: its text and the byte range of the prefix-underlined character.
struct Line {
    std::string text;
    std::size_t underlineFrom = 0;
    std::size_t underlineTo = 0;
};

class Layout {
public:
    Layout(TCanvas& canvas, unsigned format) : canvas_(canvas), format_(format)
    {
        const EngineMetrics m = fontengine::Metrics(*canvas.Font());
        tabWidth_ = std::max(1, 8 * m.aveCharWidth);
        lineHeight_ = m.height + ((format & DT_EXTERNALLEADING) ? m.externalLeading : 0);
    }

    // Pixel width of a line, tabs advancing to the next stop when expanded.
    int Width(std::string_view s) const
    {
        if (!(format_ & DT_EXPANDTABS) || s.find('\t') == std::string_view::npos)
            return fontengine::TextWidth(*canvas_.Font(), s);
        int x = 0;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = s.find('\t', start);
            x += fontengine::TextWidth(*canvas_.Font(), s.substr(start, tab - start));
            if (tab == std::string_view::npos) break;
            x = (x / tabWidth_ + 1) * tabWidth_;
            start = tab + 1;
        }
        return x;
    }

    void Paint(int x, int y, const Line& line, const TRect* clip, bool opaque) const
    {
        const std::string_view s = line.text;
        if (!(format_ & DT_EXPANDTABS) || s.find('\t') == std::string_view::npos) {
            PaintText(canvas_, x, y, s, clip, opaque, line.underlineFrom, line.underlineTo);
            return;
        }
        int pen = 0;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = s.find('\t', start);
            const std::size_t end = tab == std::string_view::npos ? s.size() : tab;
            std::size_t uf = 0, ut = 0;
            if (line.underlineTo > line.underlineFrom && line.underlineFrom >= start && line.underlineTo <= end) {
                uf = line.underlineFrom - start;
                ut = line.underlineTo - start;
            }
            PaintText(canvas_, x + pen, y, s.substr(start, end - start), clip, opaque, uf, ut);
            pen += fontengine::TextWidth(*canvas_.Font(), s.substr(start, end - start));
            if (tab == std::string_view::npos) break;
            pen = (pen / tabWidth_ + 1) * tabWidth_;
            start = tab + 1;
        }
    }

    int LineHeight() const { return lineHeight_; }

private:
    TCanvas& canvas_;
    unsigned format_;
    int tabWidth_ = 8;
    int lineHeight_ = 0;
};

// Strips "&" prefixes: "&&" is one "&", "&x" marks x for underlining.
Line StripPrefix(std::string_view raw, bool prefixes, bool hide)
{
    Line line;
    for (std::size_t i = 0; i < raw.size();) {
        if (prefixes && raw[i] == '&') {
            if (i + 1 < raw.size() && raw[i + 1] == '&') {
                line.text += '&';
                i += 2;
                continue;
            }
            if (i + 1 < raw.size()) {
                const std::size_t n = std::min(CharLength(static_cast<unsigned char>(raw[i + 1])), raw.size() - i - 1);
                if (!hide) {
                    line.underlineFrom = line.text.size();
                    line.underlineTo = line.text.size() + n;
                }
                line.text.append(raw.substr(i + 1, n));
                i += 1 + n;
                continue;
            }
            ++i; // a trailing "&" shows nothing
            continue;
        }
        line.text += raw[i];
        ++i;
    }
    return line;
}

// Cuts a line at a byte position, keeping the underline when it falls inside.
Line Slice(const Line& line, std::size_t from, std::size_t to)
{
    Line out;
    out.text = line.text.substr(from, to - from);
    if (line.underlineTo > line.underlineFrom && line.underlineFrom >= from && line.underlineTo <= to) {
        out.underlineFrom = line.underlineFrom - from;
        out.underlineTo = line.underlineTo - from;
    }
    return out;
}

void WrapLine(const Layout& layout, const Line& line, int width, std::vector<Line>& out)
{
    const std::string& s = line.text;
    std::size_t start = 0;
    while (start < s.size()) {
        // Grow the line word by word while it fits.
        std::size_t end = start;
        std::size_t best = std::string::npos;
        while (end < s.size()) {
            std::size_t wordEnd = end;
            while (wordEnd < s.size() && s[wordEnd] == ' ') ++wordEnd;
            while (wordEnd < s.size() && s[wordEnd] != ' ') ++wordEnd;
            if (layout.Width(std::string_view(s).substr(start, wordEnd - start)) > width && best != std::string::npos)
                break;
            best = wordEnd;
            end = wordEnd;
        }
        std::size_t cut = best == std::string::npos ? s.size() : best;
        std::size_t visibleEnd = cut;
        while (visibleEnd > start && s[visibleEnd - 1] == ' ') --visibleEnd;
        out.push_back(Slice(line, start, visibleEnd));
        start = cut;
        while (start < s.size() && s[start] == ' ') ++start; // blanks at a break are dropped
    }
    if (s.empty()) out.push_back(line);
}

Line Ellipsis(const Layout& layout, const Line& line, int width)
{
    if (layout.Width(line.text) <= width) return line;
    std::size_t n = line.text.size();
    while (n > 0) {
        --n;
        while (n > 0 && (static_cast<unsigned char>(line.text[n]) & 0xC0) == 0x80) --n;
        Line cut = Slice(line, 0, n);
        cut.text += "...";
        if (layout.Width(cut.text) <= width) return cut;
    }
    Line dots;
    dots.text = "...";
    return dots;
}

} // namespace

int DrawText(TCanvas* canvas, std::string_view text, TRect& rect, unsigned format)
{
    if (!canvas) return 0;
    const Layout layout(*canvas, format);
    const bool prefixes = !(format & DT_NOPREFIX);
    const bool hide = (format & DT_HIDEPREFIX) != 0;
    const int width = rect.Right - rect.Left;

    std::vector<Line> lines;
    if (format & DT_SINGLELINE) {
        std::string flat;
        for (char c : text)
            if (c != '\r' && c != '\n') flat += c;
        lines.push_back(StripPrefix(flat, prefixes, hide));
    } else {
        std::size_t start = 0;
        for (;;) {
            std::size_t end = text.find_first_of("\r\n", start);
            const std::string_view raw = text.substr(start, end == std::string_view::npos ? end : end - start);
            Line line = StripPrefix(raw, prefixes, hide);
            if (format & DT_WORDBREAK) WrapLine(layout, line, width, lines);
            else lines.push_back(line);
            if (end == std::string_view::npos) break;
            if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
            start = end + 1;
            if (start >= text.size()) break;
        }
    }
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
        for (Line& l : lines) l = Ellipsis(layout, l, width);

    const int lineHeight = layout.LineHeight();
    const int total = lineHeight * static_cast<int>(lines.size());
    int maxWidth = 0;
    for (const Line& l : lines) maxWidth = std::max(maxWidth, layout.Width(l.text));

    int top = rect.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) top = rect.Top + (rect.Bottom - rect.Top - lineHeight) / 2;
        else if (format & DT_BOTTOM) top = rect.Bottom - lineHeight;
    }
    const int answer = (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? top - rect.Top + total : total;
    if (format & DT_CALCRECT) {
        rect.Right = rect.Left + maxWidth;
        rect.Bottom = rect.Top + total;
        return answer;
    }
    const bool opaque = canvas->BkMode() == OPAQUE;
    const TRect clip = rect;
    int y = top;
    for (const Line& l : lines) {
        const int lw = layout.Width(l.text);
        int x = rect.Left;
        if (format & DT_CENTER) x = rect.Left + (width - lw) / 2;
        else if (format & DT_RIGHT) x = rect.Right - lw;
        if (!(format & DT_PREFIXONLY)) layout.Paint(x, y, l, (format & DT_NOCLIP) ? nullptr : &clip, opaque);
        y += lineHeight;
    }
    return answer;
}
