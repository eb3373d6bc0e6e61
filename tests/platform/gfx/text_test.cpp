// Text: font resolution, metrics of a fixed font at a fixed size, drawing
// without anti-aliasing, DrawText layout flags, and concurrent use.
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/fonts.h"
#include "gfx/gdi.h"
#include "rtl/paths.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <cstring>
#include <algorithm>

namespace {

bool HaveLiberation() { return !ResolveFontFile("Liberation Sans").empty() && ResolveFontFamily("Arial") == "Liberation Sans"; }

// Bounds of the pixels that differ from white.
TRect Ink(const TBitmap& b)
{
    TRect r{b.Width(), b.Height(), 0, 0};
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Pixel(x, y) != clWhite) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r;
}

void UseArial(TCanvas* c, int points = 12)
{
    c->Font()->SetName("Arial");
    c->Font()->SetSize(points);
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
}

} // namespace

TEST(Fonts, DesktopNamesResolveToInstalledFonts)
{
    if (!HaveLiberation()) GTEST_SKIP() << "Liberation fonts not installed";
    EXPECT_EQ(ResolveFontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(ResolveFontFamily("arial"), "Liberation Sans");
    EXPECT_EQ(ResolveFontFamily("Times New Roman"), "Liberation Serif");
    const std::string tahoma = ResolveFontFamily("Tahoma");
    EXPECT_TRUE(tahoma == "Liberation Sans" || tahoma == "DejaVu Sans") << tahoma;
    EXPECT_EQ(ExtractFileName(FindFontFile("ARIAL.TTF")), "LiberationSans-Regular.ttf");
    EXPECT_EQ(ExtractFileName(FindFontFile("arialbd.ttf")), "LiberationSans-Bold.ttf");
    EXPECT_EQ(ExtractFileName(FindFontFile("C:\\x/DejaVuSans.TTF")), "DejaVuSans.ttf");
    EXPECT_EQ(FindFontFile("nosuchfont.ttf"), "");
    EXPECT_TRUE(FileExists(FindFontFile("ARIAL.TTF")));
}

TEST(Fonts, EnumerationFlagsScalableFontsAndListsDesktopNames)
{
    if (!HaveLiberation()) GTEST_SKIP() << "Liberation fonts not installed";
    const auto families = EnumFontFamilies();
    bool liberation = false, arial = false;
    for (const TFontFamily& f : families) {
        if (f.Name == "Liberation Sans") liberation = (f.FontType & TRUETYPE_FONTTYPE) != 0;
        if (f.Name == "Arial") arial = (f.FontType & TRUETYPE_FONTTYPE) != 0;
    }
    EXPECT_TRUE(liberation);
    EXPECT_TRUE(arial);
    for (std::size_t i = 1; i < families.size(); ++i)
        EXPECT_LE(CompareText(families[i - 1].Name, families[i].Name), 0);
    EXPECT_EQ(ScreenFonts().size(), families.size());
}

TEST(Fonts, FamilyFontsAndCharacterSets)
{
    if (!HaveLiberation()) GTEST_SKIP() << "Liberation fonts not installed";
    for (const TFontFamily& f : EnumFontFamilies()) {
        if (f.Name == "Liberation Sans") {
            EXPECT_EQ(f.CharSet, ANSI_CHARSET);
        }
    }
    // A scalable family is one entry whatever its styles; a desktop name stands for its family.
    const auto liberation = EnumFontFamily("liberation sans");
    ASSERT_EQ(liberation.size(), 1u);
    EXPECT_EQ(liberation[0].FontType, TRUETYPE_FONTTYPE);
    const auto arial = EnumFontFamily("Arial");
    ASSERT_EQ(arial.size(), 1u);
    EXPECT_EQ(arial[0].Name, "Arial");
    EXPECT_TRUE(EnumFontFamily("No Such Family Here").empty());
    EXPECT_TRUE(EnumFontFamily("").empty());

    // A test list replaces the installed one until it is taken away.
    struct Fake : IFontEnumerator {
        std::vector<TFontFamily> Families() override { return {{"Fake Sans", TRUETYPE_FONTTYPE}}; }
        std::vector<TFontFamily> FamilyFonts(const std::string&) override { return {}; }
    } fake;
    SetFontEnumerator(&fake);
    ASSERT_EQ(ScreenFonts().size(), 1u);
    EXPECT_EQ(ScreenFonts()[0], "Fake Sans");
    SetFontEnumerator(nullptr);
    EXPECT_GT(ScreenFonts().size(), 1u);
}

TEST(Text, MetricsOfArialTwelvePoint)
{
    if (!HaveLiberation()) GTEST_SKIP() << "Liberation fonts not installed";
    TBitmap b(10, 10);
    UseArial(b.Canvas(), 12); // 16 pixels per em at 96 dpi
    TTextMetric tm;
    b.Canvas()->GetTextMetrics(tm);
    EXPECT_EQ(tm.tmAscent, 15);
    EXPECT_EQ(tm.tmDescent, 3);
    EXPECT_EQ(tm.tmHeight, 18);
    EXPECT_EQ(tm.tmInternalLeading, 2);
    EXPECT_EQ(tm.tmAveCharWidth, 7);
    EXPECT_EQ(b.Canvas()->TextHeight("Hg"), 18);
    // No kerning: widths add up.
    const int w = b.Canvas()->TextWidth("AVAVA");
    EXPECT_EQ(w, b.Canvas()->TextWidth("AV") + b.Canvas()->TextWidth("AVA"));
    EXPECT_EQ(b.Canvas()->TextWidth(""), 0);
    EXPECT_EQ(b.Canvas()->TextExtent("Hello").cx, b.Canvas()->TextWidth("Hello"));
    // Bold is wider; a positive height is the whole cell.
    const int plain = b.Canvas()->TextWidth("Menu text");
    b.Canvas()->Font()->SetStyle({fsBold});
    EXPECT_GT(b.Canvas()->TextWidth("Menu text"), plain);
    b.Canvas()->Font()->SetStyle({});
    b.Canvas()->Font()->SetHeight(18);
    EXPECT_EQ(b.Canvas()->TextHeight("x"), 18);
}

TEST(Text, DrawnWithoutAntiAliasingByDefault)
{
    if (!HaveLiberation()) GTEST_SKIP() << "Liberation fonts not installed";
    TBitmap b(120, 30);
    UseArial(b.Canvas(), 14);
    b.Canvas()->Font()->SetColor(clBlue);
    b.Canvas()->TextOut(3, 2, "Chapter 1");
    std::set<TColor> seen;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) seen.insert(b.Pixel(x, y));
    EXPECT_EQ(seen, (std::set<TColor>{clWhite, clBlue}));
    const TRect ink = Ink(b);
    EXPECT_GE(ink.Left, 3);
    EXPECT_GE(ink.Top, 2);
    EXPECT_LE(ink.Right, 3 + b.Canvas()->TextWidth("Chapter 1") + 1);
    EXPECT_LE(ink.Bottom, 2 + b.Canvas()->TextHeight("C"));
    EXPECT_EQ(b.Canvas()->PenPos().X, 3 + b.Canvas()->TextWidth("Chapter 1"));
    // Asked for, anti-aliasing gives in-between colours.
    TBitmap a(120, 30);
    UseArial(a.Canvas(), 14);
    a.Canvas()->Font()->SetQuality(fqAntialiased);
    a.Canvas()->TextOut(3, 2, "Chapter 1");
    std::set<TColor> shades;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) shades.insert(a.Pixel(x, y));
    EXPECT_GT(shades.size(), 2u);
}

TEST(Text, ChineseFallsBackToTheCjkFontInsteadOfEmptyBoxes)
{
    if (!HaveLiberation() || ResolveFontFile("WenQuanYi Micro Hei").empty())
        GTEST_SKIP() << "Liberation or WenQuanYi fonts not installed";
    // Two different ideographs drawn in a Latin font: the strokes of each, not one missing-glyph box twice.
    auto draw = [](const char* text) {
        TBitmap b(40, 30);
        UseArial(b.Canvas(), 14);
        b.Canvas()->TextOut(2, 2, text);
        return b;
    };
    const TBitmap del = draw("删"), rec = draw("录");
    EXPECT_FALSE(Ink(del).IsEmpty());
    int differing = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) differing += del.Pixel(x, y) != rec.Pixel(x, y);
    EXPECT_GT(differing, 20);
    TBitmap b(10, 10);
    UseArial(b.Canvas(), 14);
    EXPECT_GT(b.Canvas()->TextWidth("删除记录？"), 4 * b.Canvas()->TextWidth("a"));
}

TEST(Text, OpaqueBackgroundAndUnderline)
{
    if (!HaveLiberation()) GTEST_SKIP() << "Liberation fonts not installed";
    TBitmap b(100, 30);
    TCanvas* c = b.Canvas();
    UseArial(c, 12);
    c->Brush()->SetColor(clYellow); // solid brush: the text box is filled
    c->TextOut(10, 5, "ab");
    EXPECT_EQ(b.Pixel(10, 5), clYellow);
    EXPECT_EQ(b.Pixel(10 + c->TextWidth("ab") - 1, 5 + 17), clYellow);
    EXPECT_EQ(b.Pixel(10 + c->TextWidth("ab"), 5), clWhite);
    TBitmap u(100, 30);
    UseArial(u.Canvas(), 12);
    u.Canvas()->Font()->SetStyle({fsUnderline});
    u.Canvas()->TextOut(0, 0, "____");
    u.Canvas()->Font()->SetStyle({});
    // An underlined blank still draws its line below the baseline.
    TBitmap s(100, 30);
    UseArial(s.Canvas(), 12);
    s.Canvas()->Font()->SetStyle({fsUnderline});
    s.Canvas()->TextOut(0, 0, "    ");
    const TRect line = Ink(s);
    EXPECT_GT(line.Top, 15 - 1);
    EXPECT_LT(line.Top, 18);
    EXPECT_EQ(line.Right, s.Canvas()->TextWidth("    "));
}

TEST(Text, TextRectClips)
{
    if (!HaveLiberation()) GTEST_SKIP() << "Liberation fonts not installed";
    TBitmap b(100, 30);
    UseArial(b.Canvas(), 12);
    b.Canvas()->TextRect(Rect(0, 0, 20, 30), 0, 0, "WWWWWWWW");
    EXPECT_LE(Ink(b).Right, 20);
}

TEST(DrawTextFlags, CalcRectSingleLineAndWordBreak)
{
    if (!HaveLiberation()) GTEST_SKIP() << "Liberation fonts not installed";
    TBitmap b(200, 100);
    TCanvas* c = b.Canvas();
    UseArial(c, 12);
    TRect r = Rect(5, 5, 5, 5);
    const int h = DrawText(c, "Process finished.", r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(h, 18);
    EXPECT_EQ(r, Rect(5, 5, 5 + c->TextWidth("Process finished."), 23));
    EXPECT_EQ(Ink(b), (TRect{200, 100, 0, 0})); // nothing drawn
    // Word breaking inside 60 pixels: three short words, one per line or two.
    const int word = c->TextWidth("abc");
    const int space = c->TextWidth(" ");
    TRect w = Rect(0, 0, 2 * word + space, 0);
    DrawText(c, "abc abc abc", w, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(w.Bottom, 36);
    EXPECT_EQ(w.Right, 2 * word + space);
    // A word wider than the rectangle keeps its own line.
    TRect n = Rect(0, 0, 10, 0);
    DrawText(c, "abcdefgh ij", n, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(n.Bottom, 36);
    EXPECT_EQ(n.Right, c->TextWidth("abcdefgh"));
    // Line breaks count without word breaking too; CR LF is one break.
    TRect m = Rect(0, 0, 0, 0);
    DrawText(c, "one\r\ntwo\nthree", m, DT_CALCRECT);
    EXPECT_EQ(m.Bottom, 54);
    EXPECT_EQ(m.Right, c->TextWidth("three"));
}

TEST(DrawTextFlags, AlignmentAndVerticalCentre)
{
    if (!HaveLiberation()) GTEST_SKIP() << "Liberation fonts not installed";
    const std::string text = "Next";
    auto drawn = [&](unsigned flags) {
        TBitmap b(200, 60);
        UseArial(b.Canvas(), 12);
        TRect r = Rect(10, 10, 190, 50);
        DrawText(b.Canvas(), text, r, flags);
        return Ink(b);
    };
    TBitmap probe(1, 1);
    UseArial(probe.Canvas(), 12);
    const int tw = probe.Canvas()->TextWidth(text);
    const TRect left = drawn(DT_LEFT | DT_SINGLELINE);
    const TRect centre = drawn(DT_CENTER | DT_SINGLELINE);
    const TRect right = drawn(DT_RIGHT | DT_SINGLELINE);
    const TRect middle = drawn(DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    const TRect bottom = drawn(DT_LEFT | DT_SINGLELINE | DT_BOTTOM);
    EXPECT_NEAR(left.Left, 10, 2);
    EXPECT_EQ(centre.Left - left.Left, (180 - tw) / 2);
    EXPECT_EQ(right.Left - left.Left, 180 - tw);
    EXPECT_EQ(middle.Top - left.Top, (40 - 18) / 2);
    EXPECT_EQ(bottom.Top - left.Top, 40 - 18);
    // Vertical centring needs a single line: ignored otherwise.
    EXPECT_EQ(drawn(DT_LEFT | DT_VCENTER).Top, left.Top);
}

TEST(DrawTextFlags, PrefixesTabsAndEllipsis)
{
    if (!HaveLiberation()) GTEST_SKIP() << "Liberation fonts not installed";
    TBitmap probe(1, 1);
    TCanvas* c = probe.Canvas();
    UseArial(c, 12);
    TRect r{};
    DrawText(c, "&File", r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.Right, c->TextWidth("File"));
    r = {};
    DrawText(c, "&File", r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(r.Right, c->TextWidth("&File"));
    r = {};
    DrawText(c, "A && B", r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.Right, c->TextWidth("A & B"));
    // The prefixed letter is underlined: ink below the baseline under "F" only.
    TBitmap u(100, 30);
    UseArial(u.Canvas(), 12);
    TRect box = Rect(0, 0, 100, 30);
    DrawText(u.Canvas(), "&File", box, DT_SINGLELINE);
    TBitmap plain(100, 30);
    UseArial(plain.Canvas(), 12);
    TRect box2 = Rect(0, 0, 100, 30);
    DrawText(plain.Canvas(), "File", box2, DT_SINGLELINE);
    int extra = 0, extraRight = 0;
    for (int y = 15; y < 18; ++y)
        for (int x = 0; x < 100; ++x)
            if (u.Pixel(x, y) != plain.Pixel(x, y)) {
                ++extra;
                extraRight = std::max(extraRight, x + 1);
            }
    EXPECT_GT(extra, 0);
    EXPECT_LE(extraRight, c->TextWidth("F"));
    // Tabs expand to stops of eight average widths.
    TTextMetric tm;
    c->GetTextMetrics(tm);
    r = {};
    DrawText(c, "a\tb", r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(r.Right, 8 * tm.tmAveCharWidth + c->TextWidth("b"));
    // An end ellipsis keeps the text inside the rectangle.
    r = Rect(0, 0, 40, 20);
    DrawText(c, "A rather long caption", r, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(r.Right, 40);
}

TEST(Text, ConcurrentDrawingGivesTheSamePictures)
{
    if (!HaveLiberation()) GTEST_SKIP() << "Liberation fonts not installed";
    auto render = [](TBitmap& b, int size) {
        UseArial(b.Canvas(), size);
        for (int i = 0; i < 20; ++i) b.Canvas()->TextOut(0, i * 3, "Title " + std::to_string(i));
    };
    TBitmap expected8(160, 90), expected14(160, 90);
    render(expected8, 8);
    render(expected14, 14);
    std::vector<std::unique_ptr<TBitmap>> results;
    for (int i = 0; i < 6; ++i) results.push_back(std::make_unique<TBitmap>(160, 90));
    std::vector<std::thread> threads;
    for (int i = 0; i < 6; ++i) threads.emplace_back([&, i] { render(*results[static_cast<std::size_t>(i)], i % 2 ? 14 : 8); });
    for (auto& t : threads) t.join();
    for (int i = 0; i < 6; ++i) {
        const TBitmap& want = i % 2 ? expected14 : expected8;
        EXPECT_EQ(std::memcmp(results[static_cast<std::size_t>(i)]->Bits(), want.Bits(),
                              static_cast<std::size_t>(want.BytesPerRow()) * 90), 0) << i;
    }
}
