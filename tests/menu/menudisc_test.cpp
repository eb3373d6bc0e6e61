// The menu files as the disc tools take them, PAL and NTSC: every description
// muxed by Debian's spumux onto a still from the encoder library, the disc
// authored by dvdauthor from the Author.xml the disc builder writes, and its
// menu commands read back with dvdunauthor. Each layout also leaves its PAL
// still with the highlight and select masks laid over it, as pictures to look
// at (KELDARA_KEEP_TEST_OUTPUT=1 keeps them).
#include "menufixture.h"

#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "encoder/kvrencoder.h"
#include "gfx/gdi.h"
#include "pipeline/authorxml.h"
#include "png/pngimage.h"
#include "rtl/sysutils.h"
#include "testmedia.h"
#include "win32/process.h"
#include "win32/progfolders.h"

#include <filesystem>

using namespace menutest;

namespace {

struct Layout {
    const char* name;
    std::vector<int> chapters;   // one page a title with this many chapters; empty: no pages
    int titles = 1;
    bool dragged = false;        // buttons dragged past the frame
    bool noCorner = false;       // both corner pictures missing
    bool edges = false;          // buttons on the picture's very edges, written where they are
};

ProcessResult RunTool(const std::vector<std::string>& argv, bool pal, const std::string& in = {},
                      const std::string& out = {}, const std::string& cwd = {})
{
    ProcessSpec spec;
    spec.argv = argv;
    spec.stdinFile = in;
    spec.stdoutFile = out;
    spec.workingFolder = cwd;
    spec.captureOutput = true;
    spec.extraEnv = {{"VIDEO_FORMAT", pal ? "PAL" : "NTSC"}};
    return RunProcess(spec, 300000);
}

// A picture written by ImageMagick, read as the designer reads its pictures.
MenuPicture Magick(const std::string& folder, const std::string& name, const std::vector<std::string>& args)
{
    const std::string path = JoinPath(folder, name + ".bmp");
    std::vector<std::string> argv{"convert"};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back("BMP3:" + path);
    const ProcessResult r = RunTool(argv, true);
    if (!r.Succeeded())
        throw std::runtime_error("ImageMagick: " + r.errors);
    auto b = std::make_shared<TBitmap>();
    b->LoadFromFile(path);
    return b;
}

class MenuDisc : public ::testing::TestWithParam<bool> {
protected:
    bool Pal() const { return GetParam(); }
    int Height() const { return Pal() ? kPalHeight : kNtscHeight; }
    std::string Tag() const { return Pal() ? "P" : "N"; }

    void SetUp() override
    {
        LanguageCode.SetLength(1);
        LanguageCode[0] = "EN";
        titles_ = out_.File("titles");
        ForceDirectories(titles_);
        // Three 13-second titles (chapter points every second), made by the ffmpeg program.
        for (int t = 1; t <= 3; ++t) {
            const std::string vob = JoinPath(titles_, "title" + IntToStr(t) + ".vob");
            const ProcessResult r = RunTool(
                {"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                 Format("testsrc=size=%dx%d:rate=%s:duration=13", 720, Height(), Pal() ? "25" : "30000/1001"), "-f",
                 "lavfi", "-i", "sine=frequency=440:duration=13", "-target", Pal() ? "pal-dvd" : "ntsc-dvd", "-b:v",
                 "1500k", "-g", "12", "-y", vob},
                Pal());
            ASSERT_TRUE(r.Succeeded()) << r.errors;
        }
        const std::string pictures = out_.File("pictures");
        ForceDirectories(pictures);
        background_ = Magick(pictures, "background", {"-size", "800x600", "gradient:#16306a-#5a8ed0"});
        pageBackground_ = Magick(pictures, "page", {"-size", "640x480", "gradient:#f4f4ec-#b8c8dc"});
        snapshots_ = {Magick(pictures, "logo", {"logo:", "-resize", "320x240!"}),
                      Magick(pictures, "wizard", {"wizard:", "-resize", "240x320!"}),
                      Magick(pictures, "rose", {"rose:", "-resize", "320x180!"})};
    }
    void TearDown() override
    {
        ReleaseProjectData();
        SetProgramFolder("");
    }

    MenuModel Model(const Layout& layout, const std::string& res)
    {
        MenuModel m;
        m.ResFolder = res;
        m.Background = background_;
        m.Title = {"Our Summer", {"Arial", 28, {fsBold}, clYellow}, {150, 16}};
        for (int t = 0; t < layout.titles; ++t) {
            TRect r = Bounds(40 + 140 * t, 90, 101, 76);
            if (layout.dragged && t == 0) r = Bounds(-35, 300, 101, 76);    // past the bottom left
            if (layout.dragged && t == 2) r = Bounds(430, -20, 120, 90);    // past the top right
            if (layout.edges && t == 0) r = Bounds(0, 0, 101, 76);          // the top left corner
            if (layout.edges && t == 2) r = Bounds(367, 276, 101, 76);      // the bottom right corner
            m.Titles.push_back({r, snapshots_[static_cast<std::size_t>(t)],
                                {"Clip " + IntToStr(t + 1), {"Arial", 12, {}, clWhite},
                                 {r.Left + 28, std::min<int>(r.Bottom + 3, 334)}}});
        }
        for (std::size_t t = 0; t < layout.chapters.size(); ++t) {
            MenuChapterPage page;
            page.Background = pageBackground_;
            for (int j = 0; j < layout.chapters[t]; ++j) {
                TRect r = Bounds(50 + 90 * (j % 4), 45 + 90 * (j / 4), 80, 60);
                if (layout.dragged && j == 1) r = Bounds(420, 330, 80, 60);
                if (layout.edges && j == 1) r = Bounds(388, 0, 80, 60);
                page.Buttons.push_back({r, snapshots_[(t + static_cast<std::size_t>(j)) % 3], double(j)});
            }
            m.ChapterPages.push_back(page);
        }
        if (!layout.noCorner)
            LoadCornerPictures(m);
        return m;
    }

    // The still of a background file at this standard's height, encoded by the encoder library.
    void Still(const std::string& bmp, const std::string& mpg)
    {
        TBitmap picture;
        picture.LoadFromFile(bmp);
        if (picture.Height() != Height()) {   // chapter pages are written at PAL size only
            TBitmap squeezed(kMenuWidth, Height(), pf24bit);
            SetStretchBltMode(squeezed.Canvas(), COLORONCOLOR);
            StretchBlt(squeezed.Canvas(), 0, 0, kMenuWidth, Height(), picture.Canvas(), 0, 0, picture.Width(),
                       picture.Height(), SRCCOPY);
            picture = std::move(squeezed);
        }
        std::vector<unsigned char> rows;
        for (int y = 0; y < Height(); ++y)
            rows.insert(rows.end(), picture.ScanLine(y), picture.ScanLine(y) + 3 * kMenuWidth);
        ASSERT_EQ(MPEG2StillEncode(rows.data(), 1, Pal() ? 2 : 1, mpg.c_str()), 0);
    }

    void Spumux(const std::string& xml, const std::string& still, const std::string& out)
    {
        const ProcessResult r = RunTool({"spumux", "-m", "dvd", xml}, Pal(), still, out);
        ASSERT_TRUE(r.Succeeded()) << xml << "\n" << r.errors;
        EXPECT_NE(r.errors.find("1 subtitles added, 0 subtitles skipped"), std::string::npos) << r.errors;
        EXPECT_EQ(r.errors.find("ERR"), std::string::npos) << r.errors;
    }

    // The still under its masks, as one picture: the still, the still with the
    // highlight mask, the still with the select mask.
    void Picture(const std::string& res, const std::string& prefix, const std::string& still, const std::string& to)
    {
        TBitmap back;
        back.LoadFromFile(still);
        TBitmap sheet(3 * kMenuWidth, kPalHeight, pf24bit);
        for (int k = 0; k < 3; ++k) {
            BitBlt(sheet.Canvas(), k * kMenuWidth, 0, kMenuWidth, kPalHeight, back.Canvas(), 0, 0, SRCCOPY);
            if (k == 0)
                continue;
            TPNGObject png;
            png.LoadFromFile(res + prefix + (k == 1 ? "highlight_P.png" : "select_P.png"));
            TBitmap mask;
            mask.Assign(png);
            TransparentBlt(sheet.Canvas(), k * kMenuWidth, 0, kMenuWidth, kPalHeight, mask.Canvas(), 0, 0,
                           kMenuWidth, kPalHeight, RGB(1, 1, 1));
        }
        TPNGObject png;
        png.Assign(sheet);
        png.SaveToFile(to);
    }

    void Run(const Layout& layout);

    outsidetest::OutputFolder out_{"keldara-menu-disc"};
    std::string titles_;
    MenuPicture background_, pageBackground_;
    std::vector<MenuPicture> snapshots_;
};

// The contents of each element of xml that opens with open (up to its '>') and closes with close.
std::vector<std::string> Elements(const std::string& xml, const std::string& open, const std::string& close)
{
    std::vector<std::string> bodies;
    for (std::size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at)) {
        const std::size_t from = xml.find('>', at + open.size());
        const std::size_t to = from == std::string::npos ? from : xml.find(close, from + 1);
        if (to == std::string::npos)
            break;
        bodies.push_back(xml.substr(from + 1, to - from - 1));
        at = to + close.size();
    }
    return bodies;
}

// The commands of the buttons of each menu pgc of the title set, as dvdunauthor writes them back.
std::vector<std::vector<std::string>> MenuButtons(const std::string& xml)
{
    const std::size_t titleset = xml.find("<titleset>");
    const std::size_t begin = xml.find("<menus", titleset), end = xml.find("</menus>", titleset);
    if (titleset == std::string::npos || begin == std::string::npos || end == std::string::npos)
        return {};
    const std::string menus = xml.substr(begin, end - begin);
    std::vector<std::vector<std::string>> pgcs;
    for (const std::string& body : Elements(menus, "<pgc", "</pgc>")) {
        std::vector<std::string> commands;
        for (const std::string& command : Elements(body, "<button name=", "</button>"))
            commands.push_back(Trim(command));
        if (!commands.empty())
            pgcs.push_back(commands);
    }
    return pgcs;
}

void MenuDisc::Run(const Layout& layout)
{
    SCOPED_TRACE(layout.name);
    ReleaseProjectData();
    const std::string root = out_.File(std::string(layout.name) + "_" + Tag());
    const std::string program = root + "/program/";
    const std::string work = root + "/Work & \"Play\" 'Ünï'/";
    ForceDirectories(program + "RES");
    ForceDirectories(work);
    SetProgramFolder(program);
    s_WorkFolderPath = work;
    // The main-menu streams are made beside the program (the test runs there too).
    for (const char* stream : {"MainSubP.vob", "MainSubN.vob"})
        ASSERT_TRUE(CopyFile(ExecutableFolder() + stream, program + stream, false));

    // The designer's Next: the title files, then the chapter files.
    const MenuModel menu = Model(layout, program + "RES/");
    MenuOutput out;
    ASSERT_TRUE(WriteTitleMenuBackground(menu, out)) << out.ErrorText;
    ASSERT_TRUE(WriteTitleMenuMasks(menu, out)) << out.ErrorText;
    if (!menu.ChapterPages.empty()) {
        ASSERT_TRUE(WriteChapterMenuBackgrounds(menu, out)) << out.ErrorText;
        ASSERT_TRUE(WriteChapterMenuMasks(menu, out)) << out.ErrorText;
    }
    const bool corner = !layout.chapters.empty();
    EXPECT_EQ(out.HasCornerButton, corner);

    // The menu streams as the disc builder makes them.
    const std::string res = menu.ResFolder;
    Still(res + "backbitmap_" + Tag() + ".bmp", work + "title_still.mpg");
    Spumux(res + "Menu_" + Tag() + ".xml", work + "title_still.mpg", work + "TitleSub.vob");
    Picture(res, "", res + "backbitmap_P.bmp", root + "/title_menu.png");
    for (std::size_t k = 0; k < layout.chapters.size(); ++k) {
        const std::string n = IntToStr(static_cast<std::int64_t>(k));
        Still(res + "Chapter_" + n + "_backbitmap.bmp", work + "chapter_still.mpg");
        Spumux(res + "Chapter_" + n + "_" + Tag() + ".xml", work + "chapter_still.mpg",
               work + "ChapterSub_" + n + ".vob");
        Picture(res, "Chapter_" + n + "_", res + "Chapter_" + n + "_backbitmap.bmp", root + "/page_" + n + ".png");
    }

    // The titles and their chapters, and the disc builder's Author.xml.
    for (int t = 0; t < layout.titles; ++t) {
        const std::string name = "title" + IntToStr(t + 1);
        std::filesystem::create_hard_link(JoinPath(titles_, name + ".vob"), work + name + ".vob");
        ClipPtr clip(new TQV_MovieImage(nullptr, t));
        clip->SourcePath = work + name + ".avi";
        clip->OutputName = name + ".vob";
        clip->Duration = clip->VideoDuration = clip->EndPoint = 13;
        TQV_MovieImage* raw = clip.get();
        MyMovieImage.Add(std::move(clip));
        if (static_cast<std::size_t>(t) < layout.chapters.size()) {
            DVDChapter chapter;
            chapter.Title = raw;
            chapter.ChapterTimes.SetLength(layout.chapters[static_cast<std::size_t>(t)]);
            for (std::int64_t j = 0; j < chapter.ChapterTimes.Length(); ++j)
                chapter.ChapterTimes[j] = menu.ChapterPages[static_cast<std::size_t>(t)].Buttons[j].Time;
            MyDVDChapter.SetLength(MyDVDChapter.Length() + 1);
            MyDVDChapter[MyDVDChapter.Length() - 1] = chapter;
        }
    }
    AuthorXmlRun run;
    run.Pal = Pal();
    run.WithMenu = true;
    run.ClipCount = layout.titles;
    const bool written = corner ? WriteChapterMenuAuthorXml(run) : WriteTitleMenuAuthorXml(run);
    ASSERT_TRUE(written) << run.ErrorText;
    const ProcessResult authored = RunTool({"dvdauthor", "-x", AuthorXmlPath()}, Pal());
    ASSERT_TRUE(authored.Succeeded()) << authored.errors;
    EXPECT_EQ(authored.errors.find("ERR:"), std::string::npos) << authored.errors;

    // The menu commands on the disc.
    const std::string back = root + "/unauthored";
    ForceDirectories(back);
    const ProcessResult unauthored = RunTool({"dvdunauthor", run.Dest}, Pal(), {}, {}, back);
    ASSERT_TRUE(unauthored.Succeeded()) << unauthored.errors;
    // One button a line of the descriptions: the root menu leads back to the
    // main menu (the corner) and to each title's page, each page back to the root
    // (its corner) and to each of its chapters.
    std::vector<std::vector<std::string>> expected;
    if (corner) {
        expected.push_back({"jump vmgm menu entry title;"});
        for (int t = 0; t < layout.titles; ++t)
            expected[0].push_back("jump pgc " + IntToStr(t + 2) + ";");
        for (std::size_t k = 0; k < layout.chapters.size(); ++k) {
            expected.push_back({"jump pgc 1;"});
            for (int j = 1; j <= layout.chapters[k]; ++j)
                expected.back().push_back(Format("jump title %d chapter %d;", int(k) + 1, j));
        }
    } else {
        expected.push_back({});
        for (int t = 0; t < layout.titles; ++t)
            expected[0].push_back("jump title " + IntToStr(t + 1) + ";");
    }
    EXPECT_EQ(MenuButtons(ReadFile(back + "/dvdauthor.xml")), expected);
}

TEST_P(MenuDisc, EveryLayoutIsMuxedAuthoredAndNavigable)
{
    Run({"one_title", {}, 1});
    Run({"three_titles", {12, 5, 1}, 3});
    Run({"dragged", {12, 5, 1}, 3, true});
    Run({"no_corner_pictures", {12, 5, 1}, 3, false, true});
    Run({"at_the_edges", {12, 5, 1}, 3, false, false, true});
}

INSTANTIATE_TEST_SUITE_P(Standards, MenuDisc, ::testing::Values(true, false),
                         [](const auto& standard) { return standard.param ? "Pal" : "Ntsc"; });

} // namespace
