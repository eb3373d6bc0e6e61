// The menu writers' files: the spumux descriptions byte for byte, the masks as
// libpng reads them, the stills' sizes and contents, and the failures that
// must leave nothing half written.
#include "menufixture.h"
#include "../png/pngtestutil.h"

#include "base/xmltext.h"
#include "gfx/jpeg.h"
#include "rtl/sysutils.h"
#include "win32/process.h"

#include <csignal>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace menutest;
using namespace pngtest;

namespace {

// A mask file as libpng reads it.
struct Mask {
    RawImage image;
    bool trns = false;
    TColor At(int x, int y) const
    {
        const Bytes& row = image.rows.at(static_cast<std::size_t>(y));
        return RGB(row.at(3 * x), row.at(3 * x + 1), row.at(3 * x + 2));
    }
    // The output pixel under the centre of design pixel (dx, dy).
    TColor AtDesign(int dx, int dy) const
    {
        return At(static_cast<int>((dx + 0.5) * 720 / 468), static_cast<int>((dy + 0.5) * image.height / 352));
    }
};

Mask ReadMask(const std::string& path)
{
    const std::string text = ReadFile(path);
    const Bytes file(text.begin(), text.end());
    Mask m;
    for (const RawChunk& c : SplitChunks(file))
        m.trns = m.trns || c.name == "tRNS";
    std::string error;
    EXPECT_TRUE(ReadWithLibpng(file, m.image, error)) << path << ": " << error;
    return m;
}

constexpr TColor kKey = RGB(1, 1, 1);
constexpr TColor kBlue = RGB(0, 0, 255);
constexpr TColor kCream = RGB(255, 251, 240);

const char* const kTitleXmlP =
    "<subpictures>\r\n"
    "  <stream>\r\n"
    "    <spu start=\"00:00:00.0\" end=\"00:00:00.0\"\r\n"
    "         highlight=\"{RES}highlight_P.png\"\r\n"
    "         select=\"{RES}select_P.png\"\r\n"
    "         transparent=\"010101\" force=\"yes\"\r\n"
    "         autoorder=\"rows\">\r\n"
    "{CORNER}"
    "    <button x0=\"75\" y0=\"129\" x1=\"230\" y1=\"253\"/>\r\n"
    "    <button x0=\"383\" y0=\"129\" x1=\"538\" y1=\"253\"/>\r\n"
    "    </spu>\r\n"
    "  </stream>\r\n"
    "</subpictures>\r\n";

const char* const kTitleXmlN =
    "<subpictures>\r\n"
    "  <stream>\r\n"
    "    <spu start=\"00:00:00.0\" end=\"00:00:00.0\"\r\n"
    "         highlight=\"{RES}highlight_N.png\"\r\n"
    "         select=\"{RES}select_N.png\"\r\n"
    "         transparent=\"010101\" force=\"yes\"\r\n"
    "         autoorder=\"rows\">\r\n"
    "{CORNER}"
    "    <button x0=\"75\" y0=\"107\" x1=\"230\" y1=\"211\"/>\r\n"
    "    <button x0=\"383\" y0=\"107\" x1=\"538\" y1=\"211\"/>\r\n"
    "    </spu>\r\n"
    "  </stream>\r\n"
    "</subpictures>\r\n";

std::string Expected(const char* golden, const std::string& res, const std::string& corner)
{
    std::string s = StringReplace(golden, "{RES}", XmlEscape(res), rfReplaceAll);
    return StringReplace(s, "{CORNER}", corner, rfReplaceAll);
}

TEST(MenuModel, ScalesProductFirstAndClampsLikeTheDesigner)
{
    // The worked numbers: 101 x 76 at (0, 0).
    EXPECT_EQ(MenuScaleRect(Rect(0, 0, 101, 76), 576), Rect(0, 0, 155, 124));
    EXPECT_EQ(MenuScaleRect(Rect(0, 0, 101, 76), 480), Rect(0, 0, 155, 103));
    EXPECT_EQ(MenuScaleX(468), 720);
    EXPECT_EQ(MenuScaleY(352, 576), 576);

    EXPECT_EQ(ClampToDesignArea(Rect(0, 0, 101, 76), 24), Rect(10, 10, 111, 86));
    EXPECT_EQ(ClampToDesignArea(Rect(430, 300, 531, 376), 24), Rect(357, 252, 458, 328));
    EXPECT_EQ(ClampToDesignArea(Rect(-90, -50, 11, 26), 10), Rect(10, 10, 111, 86));
    EXPECT_EQ(ClampToDesignArea(Rect(100, 100, 201, 176), 24), Rect(100, 100, 201, 176));
    // Too big for the area: cut to it rather than pushed out of the frame.
    EXPECT_EQ(ClampToDesignArea(Rect(0, 0, 600, 400), 24), Rect(0, 0, 458, 328));

    // Whatever comes in, what goes out lies in both frames, and keeps its size when it fits.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pos(-2000, 2000), size(0, 500), corner(0, 120);
    for (int i = 0; i < 20000; ++i) {
        const TRect in = Bounds(pos(random), pos(random), size(random), size(random));
        const int h = corner(random);
        const TRect out = ClampToDesignArea(in, h);
        for (int height : {576, 480}) {
            const TRect s = MenuScaleRect(out, height);
            ASSERT_TRUE(s.Left >= 0 && s.Top >= 0 && s.Right <= 720 && s.Bottom <= height && s.Left <= s.Right &&
                        s.Top <= s.Bottom)
                << in.Left << "," << in.Top << " " << in.Width() << "x" << in.Height() << " h " << h;
        }
        if (in.Width() <= 448 && in.Height() <= 352 - h - 10) {
            ASSERT_TRUE(out.Width() == in.Width() && out.Height() == in.Height());
        }
    }
}

TEST(MenuModel, ButtonsOnThePictureStayWhereTheyAreOnlyOnesPastItsEdgeMoveIn)
{
    // On the picture, however near its edges: as they are.
    EXPECT_EQ(KeepOnPicture(Rect(0, 0, 101, 76), 24), Rect(0, 0, 101, 76));
    EXPECT_EQ(KeepOnPicture(Rect(367, 276, 468, 352), 24), Rect(367, 276, 468, 352));
    EXPECT_EQ(KeepOnPicture(Rect(360, 216, 461, 292), 24), Rect(360, 216, 461, 292));
    // One pixel past an edge: moved in as the drag clamp moves it (a deviation kept on
    // purpose: written where it is, the button would lie partly outside the output frame).
    EXPECT_EQ(KeepOnPicture(Rect(368, 100, 469, 176), 24), Rect(357, 100, 458, 176));
    EXPECT_EQ(KeepOnPicture(Rect(-1, 100, 100, 176), 24), Rect(10, 100, 111, 176));
    EXPECT_EQ(KeepOnPicture(Rect(100, 277, 201, 353), 24), Rect(100, 252, 201, 328));
    EXPECT_EQ(KeepOnPicture(Rect(0, 0, 600, 400), 24), Rect(0, 0, 458, 328));
}

TEST(MenuModel, CornerRectangleFollowsTheShapeOrFallsBack)
{
    MenuModel m;
    EXPECT_EQ(CornerPictureHeight(m), 10);
    EXPECT_EQ(CornerButtonRect(m), Rect(5, 337, 45, 347));
    m.CornerShape = RingShape();
    EXPECT_EQ(CornerPictureHeight(m), 24);
    EXPECT_EQ(CornerButtonRect(m), Rect(5, 323, 45, 347));

    // The pictures the program ships line up: the picture's box lies under the
    // shape's rectangle scaled to the still.
    LoadCornerPictures(m);
    ASSERT_TRUE(m.CornerPicture && m.CornerShape) << "BMP/BackPic.bmp and BMP/BackPng.bmp are built with the program";
    const TRect shape = MenuScaleRect(CornerButtonRect(m), 576);
    const TBitmap& pic = *m.CornerPicture;
    const int left = 5, top = 576 - pic.Height() - 5;
    const TColor key = pic.Pixel(0, 0);
    int inside = 0, outside = 0;
    for (int y = 0; y < pic.Height(); ++y)
        for (int x = 0; x < pic.Width(); ++x)
            if (pic.Pixel(x, y) != key)
                (PtInRect(shape, Point(left + x, top + y)) ? inside : outside)++;
    EXPECT_GT(inside, shape.Width() * shape.Height() * 9 / 10);
    EXPECT_EQ(outside, 0);
}

// The labels count from the title's start, as the disc's chapters do, not in the
// clip's own seconds: a deliberate deviation for trimmed clips.
TEST(ChapterTimeLabel, ShowsTitleTimeAndTheFirstAsZero)
{
    MenuChapterPage page;
    page.TrimStart = 30.5;
    for (double t : {35.0, 95.9, 3630.5, 20.0})
        page.Buttons.push_back({Bounds(0, 0, 80, 60), nullptr, t});
    EXPECT_EQ(ChapterTimeLabel(page, 0), "00:00:00");   // not 00:00:04: the first chapter starts the title
    EXPECT_EQ(ChapterTimeLabel(page, 1), "00:01:05");
    EXPECT_EQ(ChapterTimeLabel(page, 2), "01:00:00");
    EXPECT_EQ(ChapterTimeLabel(page, 3), "00:00:00");   // before the trim
    page.Buttons[1].Time = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(ChapterTimeLabel(page, 1), "00:00:00");
}

using MenuWriters = MenuTest;

TEST_F(MenuWriters, TitleDescriptionsWithoutAndWithTheCorner)
{
    MenuModel m = TwoTitles(res_, false);
    MenuOutput out;
    ASSERT_TRUE(WriteTitleMenuMasks(m, out)) << out.ErrorText;
    EXPECT_FALSE(out.HasCornerButton);
    EXPECT_EQ(ReadFile(File("Menu_P.xml")), Expected(kTitleXmlP, res_, ""));
    EXPECT_EQ(ReadFile(File("Menu_N.xml")), Expected(kTitleXmlN, res_, ""));

    m = TwoTitles(res_, true);
    ASSERT_TRUE(WriteTitleMenuMasks(m, out)) << out.ErrorText;
    EXPECT_TRUE(out.HasCornerButton);
    EXPECT_EQ(out.CornerButtonRect, Rect(5, 323, 45, 347));
    EXPECT_EQ(ReadFile(File("Menu_P.xml")),
              Expected(kTitleXmlP, res_, "    <button x0=\"7\" y0=\"528\" x1=\"69\" y1=\"567\"/>\r\n"));
    EXPECT_EQ(ReadFile(File("Menu_N.xml")),
              Expected(kTitleXmlN, res_, "    <button x0=\"7\" y0=\"440\" x1=\"69\" y1=\"473\"/>\r\n"));

    // Both corner pictures missing: the rectangle is still written (the disc's
    // menu commands count on button 1 being the corner).
    m.CornerShape = nullptr;
    ASSERT_TRUE(WriteTitleMenuMasks(m, out)) << out.ErrorText;
    EXPECT_EQ(out.CornerButtonRect, Rect(5, 337, 45, 347));
    EXPECT_EQ(ReadFile(File("Menu_P.xml")),
              Expected(kTitleXmlP, res_, "    <button x0=\"7\" y0=\"551\" x1=\"69\" y1=\"567\"/>\r\n"));
}

TEST_F(MenuWriters, AButtonAtTheCornerOfThePictureIsWrittenWhereItIs)
{
    MenuModel m = TwoTitles(res_, false);
    m.Titles[0].Rect = Rect(0, 0, 101, 76);
    m.Titles[0].Caption.Position = {20, 79};
    MenuOutput out;
    ASSERT_TRUE(WriteTitleMenuBackground(m, out)) << out.ErrorText;
    ASSERT_TRUE(WriteTitleMenuMasks(m, out)) << out.ErrorText;
    EXPECT_NE(ReadFile(File("Menu_P.xml")).find("\r\n    <button x0=\"0\" y0=\"0\" x1=\"155\" y1=\"124\"/>\r\n"),
              std::string::npos);
    EXPECT_NE(ReadFile(File("Menu_N.xml")).find("\r\n    <button x0=\"0\" y0=\"0\" x1=\"155\" y1=\"103\"/>\r\n"),
              std::string::npos);
    // Its 4:3 red picture fills the tile (0, 0)-(155, 124) from the still's first column.
    TBitmap pal;
    pal.LoadFromFile(File("backbitmap_P.bmp"));
    EXPECT_EQ(pal.Pixel(0, 62), clRed);
    EXPECT_EQ(pal.Pixel(154, 62), clRed);
    EXPECT_EQ(pal.Pixel(155, 62), RGB(40, 80, 160));
    // Its frame in the mask is cut by the picture's edge, the rest drawn.
    const Mask highlight = ReadMask(File("highlight_P.png"));
    EXPECT_EQ(highlight.AtDesign(1, 40), kBlue);
    EXPECT_EQ(highlight.AtDesign(40, 1), kBlue);
    EXPECT_EQ(highlight.AtDesign(40, 40), kKey);
    EXPECT_EQ(highlight.AtDesign(101, 40), kBlue);
}

TEST_F(MenuWriters, PageDescriptionsNameTheirMasksAndCarryTheCorner)
{
    MenuModel m = TwoTitles(res_, true);
    m.ChapterPages[1].Buttons.resize(1);
    MenuOutput out;
    ASSERT_TRUE(WriteChapterMenuMasks(m, out)) << out.ErrorText;
    const std::string head = "<subpictures>\r\n  <stream>\r\n    <spu start=\"00:00:00.0\" end=\"00:00:00.0\"\r\n";
    const std::string res = XmlEscape(res_);
    EXPECT_EQ(ReadFile(File("Chapter_1_N.xml")),
              head + "         highlight=\"" + res + "Chapter_1_highlight_N.png\"\r\n" + "         select=\"" + res +
                  "Chapter_1_select_N.png\"\r\n" +
                  "         transparent=\"010101\" force=\"yes\"\r\n         autoorder=\"rows\">\r\n"
                  "    <button x0=\"7\" y0=\"440\" x1=\"69\" y1=\"473\"/>\r\n"
                  "    <button x0=\"76\" y0=\"61\" x1=\"200\" y1=\"143\"/>\r\n"
                  "    </spu>\r\n  </stream>\r\n</subpictures>\r\n");
    const std::string page0 = ReadFile(File("Chapter_0_P.xml"));
    EXPECT_NE(page0.find("highlight=\"" + res + "Chapter_0_highlight_P.png\""), std::string::npos);
    EXPECT_NE(page0.find("    <button x0=\"7\" y0=\"528\" x1=\"69\" y1=\"567\"/>\r\n"
                         "    <button x0=\"76\" y0=\"73\" x1=\"200\" y1=\"171\"/>\r\n"
                         "    <button x0=\"215\" y0=\"73\" x1=\"338\" y1=\"171\"/>\r\n"
                         "    <button x0=\"353\" y0=\"73\" x1=\"476\" y1=\"171\"/>\r\n    </spu>"),
              std::string::npos)
        << page0;
}

TEST_F(MenuWriters, EachWriterWritesItsOwnFiles)
{
    const MenuModel m = TwoTitles(res_, true);
    MenuOutput out;
    auto written = [&] { return ListFolder(res_, "*", ListKind::All); };
    using Names = std::vector<std::string>;
    ASSERT_TRUE(WriteTitleMenuBackground(m, out)) << out.ErrorText;
    EXPECT_EQ(written(), (Names{"backbitmap_N.bmp", "backbitmap_N.jpg", "backbitmap_P.bmp", "backbitmap_P.jpg"}));
    DeleteFilesIn(res_, false);
    ASSERT_TRUE(WriteTitleMenuMasks(m, out)) << out.ErrorText;
    EXPECT_EQ(written(), (Names{"highlight_N.png", "highlight_P.png", "Menu_N.xml", "Menu_P.xml", "select_N.png",
                                "select_P.png"}));
    DeleteFilesIn(res_, false);
    ASSERT_TRUE(WriteChapterMenuBackgrounds(m, out)) << out.ErrorText;
    EXPECT_EQ(written(), (Names{"Chapter_0_backbitmap.bmp", "Chapter_0_backbitmap.jpg", "Chapter_1_backbitmap.bmp",
                                "Chapter_1_backbitmap.jpg"}));
    DeleteFilesIn(res_, false);
    ASSERT_TRUE(WriteChapterMenuMasks(m, out)) << out.ErrorText;
    Names masks;
    for (const char* n : {"0", "1"})
        for (const char* f : {"_highlight_N.png", "_highlight_P.png", "_N.xml", "_P.xml", "_select_N.png",
                              "_select_P.png"})
            masks.push_back(std::string("Chapter_") + n + f);
    EXPECT_EQ(written(), masks);

    // The stills at their sizes, as our reader and ImageMagick see them.
    ASSERT_TRUE(WriteTitleMenuBackground(m, out) && WriteChapterMenuBackgrounds(m, out));
    for (auto [name, w, h] : {std::tuple{"backbitmap_P", 720, 576}, std::tuple{"backbitmap_N", 720, 480},
                              std::tuple{"Chapter_1_backbitmap", 720, 576}}) {
        TBitmap b;
        b.LoadFromFile(File(std::string(name) + ".bmp"));
        EXPECT_EQ(b.Width(), w);
        EXPECT_EQ(b.Height(), h);
        EXPECT_EQ(b.BitsPerPixel(), 24);
        ProcessSpec identify;
        identify.argv = {"identify", "-format", "%m %w %h", File(std::string(name) + ".jpg")};
        identify.captureOutput = true;
        const ProcessResult r = RunProcess(identify, 60000);
        ASSERT_TRUE(r.Succeeded()) << r.errors;
        EXPECT_EQ(r.output, Format("JPEG %d %d", w, h));
    }
}

TEST_F(MenuWriters, MasksAreExactPlainRgbWithFramesBorderAndCorner)
{
    const MenuModel m = TwoTitles(res_, true);
    MenuOutput out;
    ASSERT_TRUE(WriteTitleMenuMasks(m, out)) << out.ErrorText;
    for (const char* standard : {"P", "N"}) {
        SCOPED_TRACE(standard);
        const Mask highlight = ReadMask(File(std::string("highlight_") + standard + ".png"));
        const Mask select = ReadMask(File(std::string("select_") + standard + ".png"));
        for (const Mask* mask : {&highlight, &select}) {
            EXPECT_EQ(mask->image.width, 720);
            EXPECT_EQ(mask->image.height, *standard == 'P' ? 576 : 480);
            EXPECT_EQ(mask->image.colorType, 2);
            EXPECT_EQ(mask->image.bitDepth, 8);
            EXPECT_FALSE(mask->trns);
        }
        // Nothing but the key, the border and the button colour: no smoothing anywhere.
        std::set<TColor> colours;
        for (int y = 0; y < highlight.image.height; ++y)
            for (int x = 0; x < 720; ++x)
                colours.insert(highlight.At(x, y));
        EXPECT_EQ(colours, (std::set<TColor>{kKey, clBlack, kBlue}));

        // Button 0 is (49, 79)-(150, 155): the 5-pixel pen is centred one pixel
        // outside it, so it covers 46..50 on the left, two pixels inside the button.
        for (const Mask* mask : {&highlight, &select}) {
            const TColor frame = mask == &highlight ? kBlue : kCream;
            EXPECT_EQ(mask->AtDesign(45, 100), kKey);
            EXPECT_EQ(mask->AtDesign(46, 100), frame);
            EXPECT_EQ(mask->AtDesign(50, 100), frame);
            EXPECT_EQ(mask->AtDesign(51, 100), kKey);      // the inside stays clear
            EXPECT_EQ(mask->AtDesign(100, 120), kKey);
            EXPECT_EQ(mask->AtDesign(100, 78), frame);     // top edge
            EXPECT_EQ(mask->AtDesign(100, 157), frame);    // bottom edge, Bottom + 1 + 1
            EXPECT_EQ(mask->AtDesign(100, 159), kKey);
            EXPECT_EQ(mask->AtDesign(300, 100), kKey);     // between the buttons
            // The corner ring at (5, 323): its pixels in the button colour, its key ones clear.
            EXPECT_EQ(mask->AtDesign(5 + 1, 323 + 10), frame);
            EXPECT_EQ(mask->AtDesign(5 + 20, 323 + 1), frame);
            EXPECT_EQ(mask->AtDesign(5, 323), kKey);
            EXPECT_EQ(mask->AtDesign(5 + 20, 323 + 10), kKey);
        }
        // The border: one pixel of the thin pen in the highlight pass, three of the wide one in the select pass.
        EXPECT_EQ(highlight.At(0, 0), clBlack);
        EXPECT_EQ(highlight.AtDesign(1, 200), kKey);
        EXPECT_EQ(select.AtDesign(2, 200), clBlack);
        EXPECT_EQ(select.AtDesign(3, 200), kKey);
        EXPECT_EQ(select.AtDesign(467, 351), clBlack);
    }

    // Without chapter pages the corner stays clear.
    ASSERT_TRUE(WriteTitleMenuMasks(TwoTitles(res_, false), out));
    EXPECT_EQ(ReadMask(File("highlight_P.png")).AtDesign(6, 345), kKey);
    // Without a corner shape the corner rectangle is filled.
    MenuModel noShape = TwoTitles(res_, true);
    noShape.CornerShape = nullptr;
    ASSERT_TRUE(WriteTitleMenuMasks(noShape, out));
    const Mask filled = ReadMask(File("highlight_P.png"));
    EXPECT_EQ(filled.AtDesign(5, 337), kBlue);
    EXPECT_EQ(filled.AtDesign(44, 346), kBlue);
    EXPECT_EQ(filled.AtDesign(45, 346), kKey);
    EXPECT_EQ(filled.AtDesign(20, 336), kKey);
}

TEST_F(MenuWriters, StillsCarryBackgroundTilesTextsAndCorner)
{
    MenuModel m = TwoTitles(res_, true);
    m.Titles.push_back({Rect(49, 200, 150, 276), nullptr, {"", {}, {70, 279}}});   // no picture, no caption
    m.Titles.push_back({Rect(420, 300, 521, 376), Solid(64, 48, clAqua), {"Moved", {}, {440, 379}}});
    auto picture = Solid(30, 20, clFuchsia);
    picture->SetPixel(3, 4, clWhite);
    picture->SetPixel(0, 0, clBlack);   // the key: black pixels stay off the still
    picture->SetPixel(10, 10, clBlack);
    m.CornerPicture = picture;
    MenuOutput out;
    ASSERT_TRUE(WriteTitleMenuBackground(m, out)) << out.ErrorText;
    EXPECT_TRUE(out.HasCornerButton);
    TBitmap pal;
    pal.LoadFromFile(File("backbitmap_P.bmp"));
    const TColor back = RGB(40, 80, 160);
    EXPECT_EQ(pal.Pixel(700, 300), back);
    // Title 0, a 4:3 red picture in a 155 x 124 tile at (75, 129): red to the
    // tile's edges across, black bars above and below.
    EXPECT_EQ(pal.Pixel(75 + 77, 129 + 62), clRed);
    EXPECT_EQ(pal.Pixel(75, 129 + 62), clRed);
    EXPECT_EQ(pal.Pixel(75 + 77, 129), clBlack);
    EXPECT_EQ(pal.Pixel(74, 129 + 62), back);
    // Title 1, 16:9: red has no place in it, green fills the middle.
    EXPECT_EQ(pal.Pixel(383 + 77, 129 + 62), clLime);
    // Title 2 without a picture: a black tile.
    EXPECT_EQ(pal.Pixel(75 + 77, 327 + 62), clBlack);
    // Title 3 dragged past the frame sits at (357, 252) with its caption moved along (a
    // deliberate deviation from writing every button as it stands: see KeepOnPicture).
    EXPECT_EQ(pal.Pixel(MenuScaleX(357) + 5, MenuScaleY(252, 576) + 5), clAqua);
    auto countNot = [&](const TRect& r, TColor colour) {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += pal.Pixel(x, y) != colour;
        return n;
    };
    const TPoint moved = {MenuScaleX(440 - 63), MenuScaleY(379 - 48, 576)};
    EXPECT_GT(countNot(Bounds(moved.X, moved.Y, 80, 20), back), 20);
    // The title text in yellow, the captions in the label font's colour; an empty caption draws nothing.
    EXPECT_GT(countNot(Bounds(MenuScaleX(150), MenuScaleY(20, 576), 150, 30), back), 100);
    EXPECT_EQ(countNot(Bounds(MenuScaleX(70), MenuScaleY(279, 576), 100, 20), back), 0);
    // The corner picture at (5, 576 - 20 - 5), its key pixels left out.
    EXPECT_EQ(pal.Pixel(5 + 3, 551 + 4), clWhite);
    EXPECT_EQ(pal.Pixel(5 + 1, 551 + 1), clFuchsia);
    EXPECT_EQ(pal.Pixel(5 + 10, 551 + 10), back);
    // The NTSC still is the PAL one squeezed.
    TBitmap ntsc;
    ntsc.LoadFromFile(File("backbitmap_N.bmp"));
    EXPECT_EQ(ntsc.Pixel(75 + 77, (129 + 62) * 480 / 576), clRed);

    // Without a corner picture: a plain patch over the corner rectangle, edged in white.
    m.CornerPicture = nullptr;
    ASSERT_TRUE(WriteTitleMenuBackground(m, out));
    pal.LoadFromFile(File("backbitmap_P.bmp"));
    const TRect patch = MenuScaleRect(Rect(5, 323, 45, 347), 576);
    EXPECT_EQ(pal.Pixel(patch.Left, patch.Top), clWhite);
    EXPECT_EQ(pal.Pixel(patch.Right - 1, patch.Bottom - 1), clWhite);
    EXPECT_EQ(pal.Pixel(patch.Left + 1, patch.Bottom - 2), RGB(64, 64, 64));
    EXPECT_EQ(pal.Pixel(patch.Right, patch.Bottom - 1), back);
    // No chapter pages, no corner.
    ASSERT_TRUE(WriteTitleMenuBackground(TwoTitles(res_, false), out));
    EXPECT_FALSE(out.HasCornerButton);
    pal.LoadFromFile(File("backbitmap_P.bmp"));
    EXPECT_EQ(pal.Pixel(patch.Left + 2, patch.Top + 2), back);
}

TEST_F(MenuWriters, PageStillsCarryThumbnailsAndTimeLabels)
{
    MenuModel m = TwoTitles(res_, true);
    m.ChapterPages[0].TrimStart = 5;
    MenuOutput out;
    ASSERT_TRUE(WriteChapterMenuBackgrounds(m, out)) << out.ErrorText;
    TBitmap page;
    page.LoadFromFile(File("Chapter_0_backbitmap.bmp"));
    ASSERT_EQ(page.Width(), 720);
    const TColor back = RGB(230, 230, 210);
    // Chapter 1 at (140, 45) 80 x 60: its blue thumbnail fills the 123 x 98 tile.
    const TRect tile = Rect(MenuScaleX(140), MenuScaleY(45, 576), MenuScaleX(140) + MenuScaleX(80),
                            MenuScaleY(45, 576) + MenuScaleY(60, 576));
    EXPECT_EQ(page.Pixel(tile.Left + 60, tile.Top + 48), clBlue);
    EXPECT_EQ(page.Pixel(tile.Left - 1, tile.Top + 48), back);
    // Its time label, dark text five pixels under the tile.
    int dark = 0;
    for (int y = tile.Bottom + 5; y < tile.Bottom + 25; ++y)
        for (int x = tile.Left; x < tile.Left + 60; ++x)
            dark += GetRValue(page.Pixel(x, y)) < 100;
    EXPECT_GT(dark, 20);
    EXPECT_FALSE(FileExists(File("Chapter_0_backbitmap_N.bmp")));
}

TEST_F(MenuWriters, FailuresLeaveNoHalfWrittenFile)
{
    // The RES folder cannot be made.
    std::ofstream(folder_.File("file")) << "x";
    MenuModel blocked = TwoTitles(folder_.File("file") + "/RES/", true);
    MenuOutput out;
    EXPECT_FALSE(WriteTitleMenuBackground(blocked, out));
    EXPECT_NE(out.ErrorText.find("Can not create the folder"), std::string::npos) << out.ErrorText;
    EXPECT_FALSE(WriteTitleMenuMasks(blocked, out));
    EXPECT_FALSE(WriteChapterMenuBackgrounds(blocked, out));
    EXPECT_FALSE(WriteChapterMenuMasks(blocked, out));

    // A file that cannot be replaced stops the writer before its description.
    const MenuModel m = TwoTitles(res_, true);
    ForceDirectories(File("select_P.png"));
    EXPECT_FALSE(WriteTitleMenuMasks(m, out));
    EXPECT_NE(out.ErrorText.find("select_P.png"), std::string::npos) << out.ErrorText;
    EXPECT_FALSE(FileExists(File("Menu_P.xml")));
    EXPECT_EQ(ListFolder(res_, "*", ListKind::All),
              (std::vector<std::string>{"highlight_N.png", "highlight_P.png", "select_N.png", "select_P.png"}));

    // A folder name that is not text XML can carry.
    MenuModel bad = TwoTitles(folder_.File("bad\xff") + "/", true);
    EXPECT_FALSE(WriteTitleMenuMasks(bad, out));
    EXPECT_FALSE(FileExists(bad.ResFolder + "Menu_P.xml"));
    EXPECT_FALSE(out.ErrorText.empty());
}

TEST_F(MenuWriters, AFullDiskKeepsTheOldStill)
{
    const MenuModel m = TwoTitles(res_, true);
    ForceDirectories(res_);
    std::ofstream(File("backbitmap_P.bmp")) << "the old still";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100000, 100000};   // smaller than a 720 x 576 still
        ::setrlimit(RLIMIT_FSIZE, &limit);
        MenuOutput out;
        const bool written = WriteTitleMenuBackground(m, out);
        _exit(!written && out.ErrorText.find("backbitmap_P.bmp") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFile(File("backbitmap_P.bmp")), "the old still");
    EXPECT_EQ(ListFolder(res_, "*", ListKind::All), (std::vector<std::string>{"backbitmap_P.bmp"}));
}

} // namespace
