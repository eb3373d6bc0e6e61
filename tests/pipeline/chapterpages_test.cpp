// The chapter pages of a disc build: every page's background made a still,
// its buttons muxed on with spumux, read back with ffprobe and ffmpeg; the
// page steps' refusals; Stop between pages; and a whole chapter-menu disc read
// with lsdvd and dvdunauthor.
#include "builderfixture.h"
#include "discfixture.h"

#include "pipeline/chapterpages.h"

#include "menu/menuoutput.h"
#include "win32/messages.h"

#include <atomic>
#include <thread>

namespace {

using Lines = std::vector<std::string>;
using outsidetest::FakePrograms;

class ChapterPagesTest : public BuilderTest {
protected:
    void Fake(const std::string& program, const std::string& body)
    {
        if (!fakes_) {
            ForceDirectories(root_ + "/fakebin");
            fakes_ = std::make_unique<FakePrograms>(root_ + "/fakebin");
        }
        fakes_->Add(program, body);
    }
    // The menu files the designer writes for the clips and chapters of the
    // project: title menu and one page a title, each chapter a button.
    void MenuFiles()
    {
        MenuModel menu;
        menu.ResFolder = program_ + "RES/";
        auto plain = [](TColor colour) {
            auto picture = std::make_shared<TBitmap>(kDesignWidth, kDesignHeight, pf24bit);
            picture->Canvas()->Brush()->SetColor(colour);
            picture->Canvas()->FillRect(Rect(0, 0, kDesignWidth, kDesignHeight));
            return picture;
        };
        menu.Background = plain(RGB(24, 48, 96));
        for (std::int64_t i = 0; i < MyDVDChapter.Length(); ++i) {
            const auto x = static_cast<int>(40 + i * 150);
            MenuTitleButton title;
            title.Rect = Rect(x, 60, x + 120, 150);
            menu.Titles.push_back(title);
            MenuChapterPage page;
            page.Background = plain(RGB(96, 48, 24));
            const DVDChapter& chapter = MyDVDChapter[i];
            page.TrimStart = chapter.Title ? chapter.Title->StartPoint : 0;
            for (std::int64_t j = 0; j < chapter.ChapterTimes.Length(); ++j) {
                MenuChapterButton button;
                const auto left = static_cast<int>(30 + j * 140);
                button.Rect = Rect(left, 80, left + 110, 160);
                button.Time = chapter.ChapterTimes[j];
                page.Buttons.push_back(button);
            }
            menu.ChapterPages.push_back(page);
        }
        MenuOutput out;
        ASSERT_TRUE(WriteTitleMenuBackground(menu, out) && WriteTitleMenuMasks(menu, out) &&
                    WriteChapterMenuBackgrounds(menu, out) && WriteChapterMenuMasks(menu, out))
            << out.ErrorText;
        for (const char* stream : {"MainSubP.vob", "MainSubN.vob"})
            std::filesystem::copy_file(JoinPath(std::getenv("KELDARA_BIN_DIR"), stream), program_ + stream);
    }
    // Two one-second titles with two chapters each, and their menu files.
    void TwoTitlesWithPages()
    {
        AddTitleChapters(AddClipFile("first.avi", 1), {0, 1});
        AddTitleChapters(AddClipFile("second.avi", 1), {0, 1});
        MenuFiles();
    }
    void Build(bool pal)
    {
        ReadyBuilder(1, true);
        builder->Label4->SetChecked(pal);
        builder->Label5->SetChecked(!pal);
        StartBuilder();
        ASSERT_TRUE(builder->RunActive());
        ASSERT_TRUE(BuildToEnd());
    }
    static bool Holds(const Lines& lines, const std::string& line)
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    static std::string Probe(const std::string& file)
    {
        std::string out;
        outsidetest::Run({"ffprobe", "-v", "error", "-show_entries", "stream=codec_name,width,height,nb_frames",
                          "-of", "csv=p=0", file},
                         &out);
        return out;
    }
    std::unique_ptr<FakePrograms> fakes_;
};

// The first picture of a stream as 24-bit RGB rows; empty when ffmpeg cannot read it.
std::string FirstFrameRgb(const std::string& stream, int width, int height)
{
    std::string rgb;
    if (outsidetest::Run({"ffmpeg", "-nostdin", "-v", "error", "-i", stream, "-frames:v", "1", "-f", "rawvideo",
                          "-pix_fmt", "rgb24", "-"},
                         &rgb) != 0 ||
        rgb.size() != static_cast<std::size_t>(width) * height * 3)
        return {};
    return rgb;
}

// The mean of one colour channel along a row.
int RowMean(const std::string& rgb, int width, int y, int channel)
{
    long sum = 0;
    for (int x = 0; x < width; ++x)
        sum += static_cast<unsigned char>(rgb[(static_cast<std::size_t>(y) * width + x) * 3 + channel]);
    return static_cast<int>(sum / width);
}

TEST_F(ChapterPagesTest, NtscStillIsThePageStretchedToTheFrame)
{
    // A PAL page whose last 96 rows are blue over red: stretched, the blue
    // takes the last 80 of the 480 rows; cut, it would be gone.
    ForceDirectories(program_ + "RES");
    ASSERT_EQ(outsidetest::Run({"convert", "-size", "720x576", "xc:#FF0000", "-fill", "#0000FF", "-draw",
                                "rectangle 0,480 719,575", "BMP3:" + ChapterBackgroundPath(0)}),
              0);
    ForceDirectories(work_);
    std::string why;
    ASSERT_TRUE(EncodeChapterStill(0, false, work_, &why)) << why;
    const std::string still = ChapterStillPath(work_, 0);
    EXPECT_EQ(still, work_ + "Chapter_0.vob");
    EXPECT_NE(Probe(still).find("mpeg2video,720,480"), std::string::npos) << Probe(still);
    const std::string rgb = FirstFrameRgb(still, 720, 480);
    ASSERT_FALSE(rgb.empty());
    EXPECT_GT(RowMean(rgb, 720, 390, 0), 200);   // red down to the band
    EXPECT_LT(RowMean(rgb, 720, 390, 2), 60);
    EXPECT_LT(RowMean(rgb, 720, 410, 0), 60);    // blue from 400 on
    EXPECT_GT(RowMean(rgb, 720, 410, 2), 200);
    EXPECT_GT(RowMean(rgb, 720, 475, 2), 200);

    // A PAL page of another size is stretched as well, never read past.
    ASSERT_EQ(outsidetest::Run({"convert", "-size", "360x288", "xc:#00FF00", "BMP3:" + ChapterBackgroundPath(1)}), 0);
    ASSERT_TRUE(EncodeChapterStill(1, true, work_, &why)) << why;
    const std::string pal = FirstFrameRgb(ChapterStillPath(work_, 1), 720, 576);
    ASSERT_FALSE(pal.empty());
    EXPECT_GT(RowMean(pal, 720, 570, 1), 200);

    // A page without its background makes no still.
    EXPECT_FALSE(EncodeChapterStill(2, true, work_, &why));
    EXPECT_NE(why.find("Chapter_2_backbitmap.bmp"), std::string::npos) << why;
    EXPECT_FALSE(FileExists(work_ + "Chapter_2.vob"));
}

TEST_F(ChapterPagesTest, PageMuxRefusesWhatItCannotMakeWhole)
{
    AddTitleChapters(AddClip(media_ + "a.avi", 1), {0, 1});
    MenuFiles();
    ForceDirectories(work_);
    s_WorkFolderPath = work_;
    std::string why;
    ASSERT_TRUE(EncodeChapterStill(0, true, work_, &why)) << why;

    // A page the project does not have.
    builder->ChapterIndex = 1;
    EXPECT_FALSE(builder->MuxChapterPage());
    builder->ChapterIndex = 0;

    // A spumux that writes nothing: false, the reason logged, no page left behind.
    Fake("spumux", "cat >/dev/null\nexit 0\n");
    EXPECT_FALSE(builder->MuxChapterPage());
    EXPECT_FALSE(FileExists(work_ + "ChapterSub_0.vob"));
    EXPECT_TRUE(FileExists(work_ + "Chapter_0.vob"));
    ASSERT_EQ(BuilderLog().size(), 1u);
    EXPECT_EQ(BuilderLog()[0].rfind("Can not add the buttons to chapter page 0: ", 0), 0u) << BuilderLog()[0];

    // A working folder whose page path does not fit the library's buffers.
    const std::string deep = work_ + std::string(200, 'd') + "/" + std::string(200, 'e') + "/" + std::string(100, 'f') + "/";
    ASSERT_TRUE(ForceDirectories(deep));
    s_WorkFolderPath = deep;
    ASSERT_TRUE(EncodeChapterStill(0, true, deep, &why)) << why;
    EXPECT_GT(ChapterSubPath(deep, 0).size(), kAuthorPathLimit);
    EXPECT_FALSE(builder->MuxChapterPage());
    EXPECT_NE(BuilderLog().back().find("longer than 511 bytes"), std::string::npos) << BuilderLog().back();
    EXPECT_FALSE(FileExists(ChapterSubPath(deep, 0)));
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(ChapterPagesTest, NtscBuildMakesEveryStillThenEveryPageAndLeavesNoStill)
{
    Record();
    // spumux notes the working folder's files at each call; dvdauthor fails,
    // so the run keeps its pages for a look.
    const std::string calls = root_ + "/spumux-calls";
    Fake("spumux", "ls '" + work_ + "' | tr '\\n' ' ' >> '" + calls + "'\necho >> '" + calls +
                       "'\nexec /usr/bin/spumux \"$@\"\n");
    Fake("dvdauthor", "echo 'ERR: kept for a look' >&2\nexit 1\n");
    TwoTitlesWithPages();
    Build(false);
    EXPECT_EQ(BuilderLog().back(), "Process is terminated.");
    const Lines spumux = [&] {
        Lines lines;
        std::istringstream in(ReadBytes(calls));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }();
    ASSERT_GE(spumux.size(), 2u);   // the two pages, then the title menu
    EXPECT_NE(spumux[0].find("Chapter_0.vob"), std::string::npos) << spumux[0];
    EXPECT_NE(spumux[0].find("Chapter_1.vob"), std::string::npos) << spumux[0];
    EXPECT_EQ(spumux[1].find("Chapter_0.vob"), std::string::npos) << spumux[1];
    EXPECT_NE(spumux[1].find("ChapterSub_0.vob"), std::string::npos) << spumux[1];
    for (const char* page : {"Chapter_0.vob", "Chapter_1.vob"}) EXPECT_FALSE(FileExists(work_ + page));
    for (const char* page : {"ChapterSub_0.vob", "ChapterSub_1.vob"}) {
        const std::string probe = Probe(work_ + page);
        EXPECT_NE(probe.find("mpeg2video,720,480"), std::string::npos) << probe;
        EXPECT_NE(probe.find("dvd_subtitle"), std::string::npos) << probe;
    }
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(ChapterPagesTest, MissingPageDescriptionShowsItsBoxAndEndsTheRun)
{
    RecordingBurnStage& stage = Record();
    TwoTitlesWithPages();
    DeleteFile(program_ + "RES/Chapter_1_P.xml");
    Build(true);
    EXPECT_EQ(BoxTexts(), (Lines{"Can not find chapter information, skip chapter creator."}));
    const Lines log = BuilderLog();
    EXPECT_EQ(log.back(), "Process is terminated.");
    EXPECT_EQ(std::count(log.begin(), log.end(), "Process is terminated."), 1);
    EXPECT_FALSE(Holds(log, "Create DVD directory >>>"));
    EXPECT_TRUE(FileExists(work_ + "ChapterSub_0.vob"));
    EXPECT_TRUE(FileExists(work_ + "Chapter_1.vob"));
    EXPECT_FALSE(stage.Called("write"));
    EXPECT_TRUE(builder->kivImageButton_Start->Visible());
}

TEST_F(ChapterPagesTest, StopBetweenPagesMeansNoAuthoring)
{
    RecordingBurnStage& stage = Record();
    // The first page's spumux waits until Stop is pressed, which the window
    // handles before the second page.
    const std::string started = root_ + "/spumux-started", go = root_ + "/spumux-go";
    Fake("spumux", "touch '" + started + "'\nwhile [ ! -e '" + go + "' ]; do sleep 0.05; done\n"
                   "exec /usr/bin/spumux \"$@\"\n");
    constexpr UINT kPressStop = WM_USER + 77;
    HWND presser = AllocateHWnd(app->Queue(), [this](UINT message, WPARAM, LPARAM) -> LRESULT {
        if (message == kPressStop) headless->ClickControl(*builder->kivImageButton_Stop);
        return 0;
    });
    std::atomic<bool> over{false};
    std::thread watcher([&] {
        if (outsidetest::WaitUntil([&] { return over || FileExists(started); }, 240000) && !over)
            PostMessage(presser, kPressStop, 0, 0);
        outsidetest::WriteText(go, "");
    });
    TwoTitlesWithPages();
    Build(true);
    over = true;
    watcher.join();
    DeallocateHWnd(presser);
    EXPECT_EQ(BoxTexts(), (Lines{"Sure to stop?"}));
    const Lines log = BuilderLog();
    EXPECT_EQ(log.back(), "Process is terminated.");
    EXPECT_EQ(std::count(log.begin(), log.end(), "Process is terminated."), 1);
    EXPECT_FALSE(Holds(log, "Create DVD directory >>>"));
    EXPECT_FALSE(FileExists(AuthorXmlPath()));
    EXPECT_TRUE(FileExists(work_ + "ChapterSub_0.vob"));
    EXPECT_FALSE(FileExists(work_ + "ChapterSub_1.vob"));
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_FALSE(stage.Called("write"));
    EXPECT_TRUE(NoChildLeft());
}

// The menus of an authored disc as dvdunauthor describes them: the buttons of
// each menu pgc, VMGM first, then the title set's in order.
struct UnauthoredMenus {
    std::vector<int> vmgm, titleset;
    std::string xml;
};

UnauthoredMenus Unauthor(const std::string& disc, const std::string& scratch)
{
    UnauthoredMenus menus;
    ForceDirectories(scratch);
    if (outsidetest::Run({"sh", "-c", "cd '" + scratch + "' && dvdunauthor '" + disc + "' >/dev/null 2>&1"}) != 0)
        return menus;
    std::ifstream in(scratch + "/dvdauthor.xml", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    menus.xml = text.str();
    const std::string& xml = menus.xml;
    auto pgcs = [&](std::size_t from, std::size_t to, std::vector<int>& into) {
        for (std::size_t at = xml.find("<pgc", from); at < to; at = xml.find("<pgc", at + 1)) {
            const std::size_t end = std::min(xml.find("</pgc>", at), to);
            if (xml.find("<vob", at) >= end) continue;   // dvdauthor's own entry pgcs
            int n = 0;
            for (std::size_t b = xml.find("<button name", at); b < end; b = xml.find("<button name", b + 1)) ++n;
            into.push_back(n);
        }
    };
    const std::size_t titleset = xml.find("<titleset");
    if (titleset == std::string::npos) return menus;
    pgcs(xml.find("<vmgm"), titleset, menus.vmgm);
    pgcs(titleset, xml.find("<titles", titleset + 9), menus.titleset);
    return menus;
}

TEST_F(ChapterPagesTest, ChapterMenuDiscHasTheStoredChaptersAndEveryButton)
{
    // Three chapters each; the second title is trimmed to 1 s .. 4 s of its
    // clip, and its last point lies past that end.
    TQV_MovieImage* a = AddClipFile("first.avi", 4);
    TQV_MovieImage* b = AddClipFile("second.avi", 5);
    b->StartPoint = 1;
    b->EndPoint = 4;
    AddTitleChapters(a, {0, 1, 3});
    AddTitleChapters(b, {1, 3, 5});
    MenuFiles();
    Build(true);
    const Lines log = BuilderLog();
    // The folder is authored; without a writer it stays for a later burn.
    ASSERT_EQ(log[log.size() - 2], "No DVD writer: the DVD folder stays in " + work_ + "DVD_DISC/VIDEO_TS.")
        << log[log.size() - 3];
    const std::string disc = work_ + "DVD_DISC";
    const std::vector<disctest::DiscTitle> titles = disctest::ReadDisc(disc);
    ASSERT_EQ(titles.size(), 2u);
    constexpr double kGop = 0.6;   // 15 pictures at 25 a second
    ASSERT_EQ(titles[0].chapters, 3);
    EXPECT_NEAR(titles[0].starts[1], 1.0, kGop);
    EXPECT_NEAR(titles[0].starts[2], 3.0, kGop);
    EXPECT_NEAR(titles[1].length, 3.0, 0.3);
    ASSERT_EQ(titles[1].chapters, 2);   // the point past the end gives no chapter
    EXPECT_NEAR(titles[1].starts[1], 2.0, kGop);
    EXPECT_TRUE(FilesIn(work_).empty());

    const UnauthoredMenus menus = Unauthor(disc, root_ + "/unauthored");
    EXPECT_EQ(menus.vmgm, (std::vector<int>{2})) << menus.xml;
    // The root menu: the corner button and one a title; each page: the corner and one a chapter.
    EXPECT_EQ(menus.titleset, (std::vector<int>{3, 4, 4})) << menus.xml;
    // The second page's last button jumps to the chapter before the missing one.
    std::size_t page2 = menus.xml.find("<titleset");
    for (int pgc = 0; pgc < 3 && page2 != std::string::npos; ++pgc) page2 = menus.xml.find("<pgc", page2 + 1);
    ASSERT_NE(page2, std::string::npos);
    const std::size_t last = menus.xml.rfind("<button", menus.xml.find("</pgc>", page2));
    ASSERT_TRUE(last != std::string::npos && last > page2);
    const std::string command = menus.xml.substr(last, menus.xml.find("</button>", last) - last);
    EXPECT_NE(command.find("jump title 2 chapter 2"), std::string::npos) << command;
    EXPECT_TRUE(NoChildLeft());
}

} // namespace
