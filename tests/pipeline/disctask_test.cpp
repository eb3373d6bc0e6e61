// The disc-build task as a user does it, through the program's real windows:
// the main window's task, DVD in the choice window, two clips added in one
// open dialog, clip 1 trimmed with the preview's play bar, a subtitle file on
// clip 2 through the subtitle dialog, the designer's automatic chapter pages
// and a chapter added by hand, Start in the disc builder and the DVD folder
// read back with lsdvd, dvdunauthor and spuunmux (the menus' button
// highlights); the same task without a menu; and with an authoring program
// that fails.
#include "discfixture.h"
#include "programtask.h"

#include "app/startup.h"
#include "base/burnpubfunction.h"
#include "base/dvdchapter.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "base/subripfile.h"
#include "base/taskwindows.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"
#include "pipeline/encodeparams.h"
#include "pipeline/qv_videodvdconvertprocessform.h"
#include "pipeline/qv_videodvddiscbuilderform.h"
#include "shell/qv_videodvdauthorform.h"
#include "shell/qv_videodvdclippropertyform.h"
#include "shell/qv_videodvdselectform.h"
#include "shell/qv_videodvdsetupchapterform.h"
#include "shell/qv_videodvdsetupsourceclipsform.h"
#include "shell/qv_videodvdsubtitlepropertyform.h"
#include "testkit/clips.h"
#include "taskdriver.h"

#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivradiogroup.h"
#include "skin/kivmemo.h"
#include "skin/kivtrackbar.h"
#include "vcl/dialogs.h"
#include "vcl/headless.h"
#include "win32/process.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include <png.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

// A file's FNV-1a digest, read in pieces (a person's own clips may be large).
std::uint64_t Digest(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> piece(1 << 20);
    std::uint64_t hash = 14695981039346656037ull;
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i)
            hash = (hash ^ static_cast<unsigned char>(piece[static_cast<std::size_t>(i)])) * 1099511628211ull;
        if (!in) break;
    }
    return hash;
}

// The two clips a person named in KELDARA_E2E_CLIPS ("first:second"), or none.
std::vector<std::string> OwnClips()
{
    const char* named = std::getenv("KELDARA_E2E_CLIPS");
    if (!named || !*named) return {};
    std::vector<std::string> clips;
    std::istringstream list(named);
    for (std::string clip; std::getline(list, clip, ':');)
        if (!clip.empty()) clips.push_back(clip);
    return clips;
}

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A menu's button pictures as spuunmux draws them from a menu stream dvdunauthor
// wrote back: the button rectangles and the highlight and select pictures, RGBA.
struct MenuSubpictures {
    struct Picture {
        int width = 0, height = 0;
        std::vector<std::uint8_t> rgba;
    };
    std::vector<TRect> buttons;   // frame coordinates, right and bottom included
    int xoffset = 0, yoffset = 0;   // where the pictures lie in the frame
    Picture highlight, select;
};

bool ReadRgba(const std::string& path, MenuSubpictures::Picture& picture)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGBA;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgba.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr)) return true;
    png_image_free(&image);
    return false;
}

// spuunmux run on `vob` into `folder`; false with the reason in `why`.
bool UnmuxMenu(const std::string& vob, const std::string& folder, MenuSubpictures& menu, std::string& why)
{
    ForceDirectories(folder);
    if (outsidetest::Run({"spuunmux", "-o", folder + "/sp", vob}) != 0) return why = "spuunmux failed", false;
    std::string xml;
    {
        std::ifstream in(folder + "/sp.xml", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        xml = text.str();
    }
    // An attribute's value within [from, to), or "" without it.
    const auto attribute = [&](const std::string& name, std::size_t from, std::size_t to) {
        const std::string key = " " + name + "=\"";
        const std::size_t at = xml.find(key, from);
        if (at == std::string::npos || at >= to) return std::string();
        const std::size_t begin = at + key.size(), end = xml.find('"', begin);
        return end == std::string::npos ? std::string() : xml.substr(begin, end - begin);
    };
    const auto number = [](const std::string& text) { return text.empty() ? -1 : std::atoi(text.c_str()); };
    for (std::size_t at = xml.find("<button "); at != std::string::npos; at = xml.find("<button ", at + 1)) {
        const std::size_t end = xml.find("/>", at);
        menu.buttons.push_back(Rect(number(attribute("x0", at, end)), number(attribute("y0", at, end)),
                                    number(attribute("x1", at, end)), number(attribute("y1", at, end))));
    }
    const std::size_t spu = xml.find("<spu "), spuEnd = xml.find('>', spu);
    if (spu == std::string::npos) return why = "no subpicture in " + xml, false;
    menu.xoffset = std::max(0, number(attribute("xoffset", spu, spuEnd)));
    menu.yoffset = std::max(0, number(attribute("yoffset", spu, spuEnd)));
    for (const auto& [kind, picture] : {std::pair{"highlight", &menu.highlight}, std::pair{"select", &menu.select}}) {
        // spuunmux names the pictures with its output prefix: here a whole path.
        const std::string name = attribute(kind, spu, spuEnd);
        if (name.empty()) return why = std::string("no ") + kind + " picture in " + xml, false;
        if (!ReadRgba(name.front() == '/' ? name : folder + "/" + name, *picture))
            return why = "libpng cannot read " + name, false;
    }
    return true;
}

// Every drawn pixel of the picture lies on a button (in `colour`, when given, within
// the rounding of the disc's colour space), and every button has drawn pixels.
std::string CheckButtonPicture(const MenuSubpictures& menu, const MenuSubpictures::Picture& picture,
                               std::optional<TColor> colour)
{
    std::vector<int> drawn(menu.buttons.size(), 0);
    int astray = 0, offColour = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = &picture.rgba[(static_cast<std::size_t>(y) * picture.width + x) * 4];
            if (p[3] == 0) continue;
            if (colour && (std::abs(p[0] - GetRValue(*colour)) > 3 || std::abs(p[1] - GetGValue(*colour)) > 3 ||
                           std::abs(p[2] - GetBValue(*colour)) > 3))
                ++offColour;
            const int fx = x + menu.xoffset, fy = y + menu.yoffset;
            bool onButton = false;
            for (std::size_t b = 0; b < menu.buttons.size(); ++b) {
                const TRect& r = menu.buttons[b];
                if (fx >= r.Left && fx <= r.Right && fy >= r.Top && fy <= r.Bottom) {
                    ++drawn[b];
                    onButton = true;
                }
            }
            if (!onButton) ++astray;
        }
    std::ostringstream faults;
    if (astray) faults << astray << " drawn pixels off the buttons; ";
    if (offColour) faults << offColour << " pixels in another colour; ";
    for (std::size_t b = 0; b < drawn.size(); ++b)
        if (drawn[b] == 0) faults << "button " << b + 1 << " not drawn; ";
    return faults.str();
}

// The white disc in a grey picture of a decoded frame (PGM): its width over its
// height as shown, the frame shown at `aspect` (4/3 or 16/9).
double DiscShapeAsShown(const std::string& pgm, double aspect, std::string* why)
{
    const std::string bytes = Bytes(pgm);
    int width = 0, height = 0, depth = 0, used = 0;
    if (std::sscanf(bytes.c_str(), "P5 %d %d %d%n", &width, &height, &depth, &used) != 3 || depth != 255 ||
        bytes.size() < static_cast<std::size_t>(used + 1) + static_cast<std::size_t>(width) * height)
        return *why = "not a grey PGM: " + pgm, 0;
    const auto* pixels = reinterpret_cast<const unsigned char*>(bytes.data() + used + 1);
    const outsidetest::DiscSpread disc = outsidetest::MeasureDisc(
        [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }, width, height);
    if (disc.pixels < 1000) return *why = "no disc in " + pgm, 0;
    if (std::abs(disc.x - width / 2.0) > 4 || std::abs(disc.y - height / 2.0) > 4)
        *why = "the disc is off the centre of " + pgm;
    return disc.shape * aspect * height / width;
}

class DiscTaskTest : public ProgramTaskTest {
protected:
    void SetUp() override
    {
        ProgramTaskTest::SetUp();
        task_->WatchLog([this] { return BuilderLog(); });
    }

    Lines BuilderLog() const
    {
        Lines lines;
        if (!QV_Video_DVD_Disc_Builder_Form) return lines;
        TkivMemo& memo = *QV_Video_DVD_Disc_Builder_Form->Memo1;
        for (int i = 0; i < memo.Lines()->Count(); ++i) lines.push_back(memo.Lines()->Get(i));
        return lines;
    }
    static Lines WithoutFixNote(Lines log)
    {
        log.erase(std::remove(log.begin(), log.end(), "Fix VOB file>>>"), log.end());
        return log;
    }

    // The main window's disc-build task: DVD chosen, `clips` added in one
    // open dialog, "Add DVD menu." as asked, `inClips` in the clips window,
    // Next; with a menu the designer's Next, `inBuilder` in the builder, Close,
    // the designer's Exit; without, `inBuilder`, Close and the clips window's Exit.
    // `inChapterPage` runs while the designer shows clip 2's chapter page.
    void BuildTask(const std::vector<std::string>& clips, bool withMenu, const std::function<void()>& inClips,
                   const std::function<void()>& inBuilder, const std::function<void()>& inChapterPage = nullptr)
    {
        auto& main = task_->Window<TQV_Video_DVD_Author_Form>("QV_Video_DVD_Author_Form");
        auto& clipsForm = task_->Window<TQV_Video_DVD_Setup_Source_Clips_Form>(kSourceClipsWindowName);
        auto& designer = task_->Window<TQV_Video_DVD_Setup_DVD_Menu_Form>(kMenuDesignerWindowName);
        const auto builderStep = [&](TCustomForm& run) {
            task_->Step("disc builder");
            ASSERT_EQ(&run, builder());
            inBuilder();
            task_->Shoot(*builder(), "5-disc-builder");
            task_->Step("disc builder: Close");
            task_->Click(*builder()->kivImageButton1);
        };
        DvdBuildTask(clips, [&](TQV_Video_DVD_Setup_Source_Clips_Form&) {
            if (clipsForm.kivCheckBox1->Checked() != withMenu) task_->Click(*clipsForm.kivCheckBox1);
            ASSERT_EQ(clipsForm.kivCheckBox1->Checked(), withMenu);
            if (inClips) inClips();
            task_->Shoot(clipsForm, "2-clips");
            if (withMenu) {
                task_->OnNextModal([&](TCustomForm& shown2) {
                    task_->Step("menu designer");
                    ASSERT_EQ(&shown2, &designer);
                    if (clipsForm.kivCheckBox_Chapter->Checked()) {
                        // The automatic chapters appear: a page for each title.
                        ASSERT_TRUE(task_->PumpUntil([&] { return MyDVDChapter.Length() == MyMovieImage.Length(); }, 60));
                        task_->Shoot(designer, "3-designer-title-menu");
                        // Clip 2's chapter page, looked at, maybe edited, and left.
                        task_->Click(*MyMovieImage[1]);
                        task_->Click(*designer.kivImageButton_NextChapter);
                        ASSERT_EQ(designer.ChapterPage, 1);
                        if (inChapterPage) inChapterPage();
                        task_->Shoot(designer, "4-designer-chapter-page");
                        task_->Click(*designer.kivImageButton_PreviousChapter);
                        ASSERT_EQ(designer.ChapterPage, -1);
                        for (const DVDChapter& page : MyDVDChapter) {
                            chapterPoints_.emplace_back();
                            for (std::int64_t j = 0; j < page.ChapterTimes.Length(); ++j)
                                chapterPoints_.back().push_back(page.ChapterTimes[j]);
                        }
                    }
                    task_->OnNextModal(builderStep);
                    task_->Step("menu designer: Next");
                    task_->Click(*designer.kivImageButton_Next);
                    task_->Step("menu designer: Exit");
                    task_->Click(*designer.kivImageButton_Exit);
                });
            } else {
                task_->OnNextModal(builderStep);
            }
            task_->Step("clips window: Next");
            task_->Click(*clipsForm.kivImageButton_Burn);
            // Back from the builder the user leaves the clips window.
            if (!withMenu) task_->Click(*clipsForm.kivImageButton_Exit);
        });
        task_->Step("main window again");
        EXPECT_TRUE(task_->Screen().WindowVisible(main));
    }
    // In the builder: the working folder (as the folder chooser gives it),
    // Start, the burner's question answered (no writer here: Yes goes on to
    // author the disc), the run to its end.
    void StartAndRun()
    {
        builder()->kivEdit_WorkingFolder->SetText(work_);
        task_->AnswerNextMessageBox(mrYes);
        task_->Step("disc builder: Start");
        task_->Click(*builder()->kivImageButton_Start);
        ASSERT_TRUE(builder()->RunActive());
        ASSERT_TRUE(task_->PumpUntil([] { return !builder()->RunActive(); }, 480));
        task_->Step("disc builder: run ended");
    }
    void ExpectOnlyTheDiscQuestion()
    {
        const std::vector<HeadlessMessageBox>& boxes = task_->Screen().MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text.rfind("No matched disc in burner.", 0), 0u) << boxes[0].text;
    }
    static TQV_Video_DVD_Disc_Builder_Form* builder() { return QV_Video_DVD_Disc_Builder_Form; }

    // No child process of the test is running (zombies not counted), within ten seconds.
    static bool NoChildLeft()
    {
        const std::string self = std::to_string(getpid());
        return outsidetest::WaitUntil([&] {
            std::error_code ec;
            for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
                const std::string name = entry.path().filename().string();
                if (name.find_first_not_of("0123456789") != std::string::npos) continue;
                const std::string stat = Bytes("/proc/" + name + "/stat");
                const std::size_t close = stat.rfind(')');
                if (close == std::string::npos) continue;
                std::istringstream rest(stat.substr(close + 2));
                std::string state, parent;
                rest >> state >> parent;
                if (parent == self && state != "Z") return false;
            }
            return true;
        });
    }

    std::vector<std::vector<double>> chapterPoints_;   // each title's stored chapter points, when the designer made them
};

TEST_F(DiscTaskTest, WithoutMenuTheClipsWindowGoesStraightToTheBuilderAndTheDiscHasBothTitles)
{
    const std::string first = Clip("Holiday.mp4", 3), second = Clip("Garden party.mkv", 2);
    const std::string firstBytes = Bytes(first), secondBytes = Bytes(second);
    BuildTask({first, second}, false, nullptr, [this] { StartAndRun(); });
    const std::string dest = work_ + "DVD_DISC";
    EXPECT_EQ(WithoutFixNote(BuilderLog()),
              (Lines{"Convert Holiday.mp4 >>> DVD_DISC_1.vob", "Mux Holiday.mp4 >>>",
                     "Convert Garden party.mkv >>> DVD_DISC_2.vob", "Mux Garden party.mkv >>>",
                     "Create DVD directory >>>", "Starting to burn...", "Getting disc type...",
                     "No DVD writer: the DVD folder stays in " + dest + "/VIDEO_TS.", "Process finished."}));
    const std::vector<disctest::DiscTitle> disc = disctest::ReadDisc(dest);
    ASSERT_EQ(disc.size(), 2u);
    EXPECT_NEAR(disc[0].length, 3, 0.5);
    EXPECT_NEAR(disc[1].length, 2, 0.5);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(work_, ec))
        EXPECT_TRUE(entry.is_directory()) << entry.path();   // no clip VOB or stream is left
    EXPECT_EQ(Bytes(first), firstBytes);
    EXPECT_EQ(Bytes(second), secondBytes);
    ExpectOnlyTheDiscQuestion();
}

TEST_F(DiscTaskTest, ClipsFlaggedWideOrNarrowKeepTheirShapeOnBothKindsOfDisc)
{
    // 720x576 and 720x480 flagged 16:9 and 4:3 (their pixels not square), and a
    // square-pixel 1280x720, as the ffmpeg program writes them.
    struct Shape {
        const char* name;
        int width, height, aspectX, aspectY;
    };
    const Shape shapes[] = {{"pal-wide.avi", 720, 576, 16, 9}, {"pal-tv.avi", 720, 576, 4, 3},
                            {"ntsc-wide.avi", 720, 480, 16, 9}, {"ntsc-tv.avi", 720, 480, 4, 3},
                            {"web.avi", 1280, 720, 0, 0}};
    std::vector<std::string> clips;
    for (const Shape& shape : shapes) {
        clips.push_back(media_ + shape.name);
        ASSERT_TRUE(outsidetest::WriteRoundDiscClip(clips.back(), shape.width, shape.height, shape.aspectX,
                                                    shape.aspectY))
            << shape.name;
    }
    // A PAL disc at 4:3 (the clips window's choice as it comes), then an NTSC disc at 16:9.
    for (const bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "NTSC 16:9 disc" : "PAL 4:3 disc");
        ReleaseProjectData();
        std::filesystem::remove_all(work_);
        BuildTask(clips, false,
                  [&] {
                      auto& form = task_->Window<TQV_Video_DVD_Setup_Source_Clips_Form>(kSourceClipsWindowName);
                      for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
                          EXPECT_EQ(MyMovieImage[i]->PictureAspectX, shapes[i].aspectX) << shapes[i].name;
                          EXPECT_EQ(MyMovieImage[i]->PictureAspectY, shapes[i].aspectY) << shapes[i].name;
                      }
                      if (!wide) return;
                      task_->Click(*MyMovieImage[0]);
                      task_->Click(*form.kivRadioGroup->Buttons(2));   // 16:9 (the disc takes clip 1's)
                      ASSERT_EQ(MyMovieImage[0]->AspectIndex, 2);
                  },
                  [&] {
                      if (wide) task_->Click(*builder()->Label5);   // NTSC
                      StartAndRun();
                  });
        const std::vector<disctest::DiscTitle> disc = disctest::ReadDisc(work_ + "DVD_DISC");
        ASSERT_EQ(disc.size(), std::size(shapes));
        // The middle picture of each title (each 2 s) from the title set's VOB.
        const int perTitle = wide ? 60 : 50;
        std::string pick;
        for (std::size_t t = 0; t < disc.size(); ++t) {
            EXPECT_EQ(disc[t].aspect, wide ? "16/9" : "4/3");
            EXPECT_NEAR(disc[t].length, 2, 0.3);
            pick += (t ? "+" : "") + std::string("eq(n\\,") + std::to_string(perTitle * t + perTitle / 2) + ")";
        }
        const std::string frames = root_ + (wide ? "/wide-%d.pgm" : "/tv-%d.pgm");
        ASSERT_EQ(outsidetest::Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i",
                                    work_ + "DVD_DISC/VIDEO_TS/VTS_01_1.VOB", "-vf", "select=" + pick, "-vsync", "0",
                                    "-pix_fmt", "gray", frames}),
                  0);
        for (std::size_t t = 0; t < disc.size(); ++t) {
            char frame[64];
            std::snprintf(frame, sizeof frame, wide ? "/wide-%zu.pgm" : "/tv-%zu.pgm", t + 1);
            std::string why;
            const double shape = DiscShapeAsShown(root_ + frame, wide ? 16.0 / 9 : 4.0 / 3, &why);
            EXPECT_EQ(why, "") << shapes[t].name;
            EXPECT_NEAR(shape, 1.0, 0.02) << shapes[t].name << ": the round disc came out this much wider than high";
        }
        if (const char* keep = std::getenv("KELDARA_KEEP_TEST_OUTPUT"); keep && std::string(keep) == "1") {
            outsidetest::OutputFolder kept(wide ? "keldara-shape-wide" : "keldara-shape-tv");   // says where when it goes
            std::error_code missing;   // a frame that was never taken is reported above
            for (std::size_t t = 0; t < disc.size(); ++t)
                std::filesystem::copy_file(root_ + (wide ? "/wide-" : "/tv-") + std::to_string(t + 1) + ".pgm",
                                           kept.File(std::string(shapes[t].name) + ".pgm"), missing);
        }
        const std::vector<HeadlessMessageBox>& boxes = task_->Screen().MessageBoxes();
        ASSERT_EQ(boxes.size(), wide ? 2u : 1u);   // only the burner's question, once a build
        EXPECT_EQ(boxes.back().text.rfind("No matched disc in burner.", 0), 0u) << boxes.back().text;
    }
}

TEST_F(DiscTaskTest, FailingAuthoringProgramEndsTheRunKeepsTheVobsAndNeverBurns)
{
    const std::string fakes = root_ + "/fakebin";
    ForceDirectories(fakes);
    outsidetest::FakePrograms programs(fakes);
    programs.Add("dvdauthor", "echo 'ERR: the disc cannot be made' >&2\nexit 1\n");
    const std::string first = Clip("Holiday.mp4", 2), second = Clip("Garden party.mkv", 1);
    BuildTask({first, second}, false, nullptr, [this] { StartAndRun(); });
    const Lines log = BuilderLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back(), "Process is terminated.");
    EXPECT_EQ(std::find(log.begin(), log.end(), "Starting to burn..."), log.end());
    EXPECT_TRUE(FileExists(work_ + "DVD_DISC_1.vob"));
    EXPECT_TRUE(FileExists(work_ + "DVD_DISC_2.vob"));
    EXPECT_EQ(log[log.size() - 2].rfind("Can not create the DVD directory", 0), 0u) << log[log.size() - 2];
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(DiscTaskTest, WithMenusTheTrimmedClipAndItsChaptersBecomeTitlesTheMenusLeadTo)
{
    // Generated clips of 20 s and 12 s in two containers, or a person's own two.
    std::vector<std::string> clips = OwnClips();
    if (!clips.empty()) {
        ASSERT_EQ(clips.size(), 2u) << "KELDARA_E2E_CLIPS names two clips separated by ':'";
        for (const std::string& clip : clips) ASSERT_TRUE(FileExists(clip)) << clip;
    } else {
        clips = {Clip("Holiday.mp4", 20), Clip("Garden party.mkv", 12)};
    }
    // Three cues spread over clip 2, in UTF-8 as most programs save them, or a person's own file.
    std::string srt = media_ + "Garden party.srt";
    if (const char* own = std::getenv("KELDARA_E2E_SUBTITLE"); own && *own) {
        srt = own;
        ASSERT_TRUE(FileExists(srt)) << srt;
    } else {
        std::ofstream cues(srt, std::ios::binary);
        cues << "1\r\n00:00:01,000 --> 00:00:02,500\r\nBonsoir, \xC3\xA7" "a va ?\r\n\r\n"
                "2\r\n00:00:05,000 --> 00:00:06,500\r\nAu jardin, l'\xC3\xA9t\xC3\xA9\r\n\r\n"
                "3\r\n00:00:09,000 --> 00:00:10,500\r\nBonne nuit, No\xC3\xABl\r\n";
    }
    const std::string srtBytes = Bytes(srt);
    const std::uint64_t firstDigest = Digest(clips[0]), secondDigest = Digest(clips[1]);
    double begin = 0, firstLength = 0, secondLength = 0;
    std::string totalTime;
    double manual = 0;   // the chapter added by hand on clip 2
    BuildTask(clips, true,
              [&] {
                  // Clip 1 previewed, the play bar dragged to a fifth of it (4 s of 20 s), Set begin.
                  auto& form = task_->Window<TQV_Video_DVD_Setup_Source_Clips_Form>(kSourceClipsWindowName);
                  firstLength = MyMovieImage[0]->EndPoint;
                  secondLength = MyMovieImage[1]->EndPoint;
                  const double want = firstLength / 5;
                  begin = TrimBegin(form, 0, want);
                  EXPECT_NEAR(begin, want, 0.7);

                  // "Setup Subtitle" on clip 2: the .srt loaded in the subtitle dialog, region 0, OK.
                  task_->Step("clips window: subtitle on clip 2");
                  task_->Click(*MyMovieImage[1]);
                  ASSERT_EQ(form.SelectedIndex, 1);
                  auto& dialog = task_->Window<TQV_Video_DVD_Subtitle_Property_Form>(kSubtitlePropertyWindowName);
                  task_->OnNextModal([&](TCustomForm& shown) {
                      ASSERT_EQ(&shown, &dialog);
                      task_->AnswerFiles({srt});
                      task_->Click(*dialog.kivButton_LoadSubtitle);
                      EXPECT_EQ(dialog.kivComboBox_Language->ItemIndex(), 0);
                      if (srt == media_ + "Garden party.srt") {   // the UTF-8 file under an ISO-8859-1 region
                          EXPECT_EQ(dialog.kivMemo_Text->Lines()->Get(2), "Bonsoir, \xC3\xA7" "a va ?");
                      }
                      task_->Shoot(dialog, "2a-subtitle-dialog");
                      task_->Click(*dialog.kivImageButton2);
                  });
                  task_->Click(*form.kivButton_LoadSubtitle);
                  EXPECT_EQ(MyMovieImage[1]->SubtitleFile, srt);
                  EXPECT_EQ(MyMovieImage[1]->SubtitleLanguage, 0);
              },
              [&] {
                  StartAndRun();
                  totalTime = builder()->Label_TotalTime->Caption();
              },
              [&] {
                  // A chapter by hand at two thirds of clip 2 (8 s of 12 s): the first chapter's
                  // right click, "Create Chpater by Manual", the time typed into the chapter dialog, Insert, OK.
                  task_->Step("menu designer: a chapter by hand on clip 2");
                  auto& designer = task_->Window<TQV_Video_DVD_Setup_DVD_Menu_Form>(kMenuDesignerWindowName);
                  auto& dialog = task_->Window<TQV_Video_DVD_Setup_Chapter_Form>(kSetupChapterWindowName);
                  const DVDChapter& page = MyDVDChapter[1];
                  const auto holds = [&](double t) {
                      return std::find(page.ChapterTimes.begin(), page.ChapterTimes.end(), t) != page.ChapterTimes.end();
                  };
                  manual = std::round(secondLength * 2 / 3);
                  while (holds(manual)) ++manual;   // a person's clip may have an automatic chapter there
                  const std::int64_t before = page.ChapterTimes.Length();
                  ASSERT_LT(before, 12);
                  task_->OnNextModal([&](TCustomForm& menu) { task_->ChooseMenuItem(menu, *designer.CreateChpaterbyManual1); });
                  task_->OnNextModal([&](TCustomForm& shown) {
                      ASSERT_EQ(&shown, &dialog);
                      const int t = static_cast<int>(manual);
                      task_->TypeInto(*dialog.kivSpinEdit_Hour, std::to_string(t / 3600));
                      task_->TypeInto(*dialog.kivSpinEdit_Min, std::to_string(t / 60 % 60));
                      task_->TypeInto(*dialog.kivSpinEdit_Sec, std::to_string(t % 60));
                      task_->Click(*dialog.kivButton_Insert);
                      EXPECT_EQ(dialog.ChapterCount, before + 1);
                      task_->Click(*dialog.kivImageButton_Ok);
                  });
                  task_->RightClick(*page.ChapterButtons[0]);
                  ASSERT_TRUE(task_->PumpUntil([&] { return holds(manual) && !designer.Panel_Progress->Visible(); }, 120));
                  EXPECT_EQ(page.ChapterTimes.Length(), before + 1);
              });
    const std::string dest = work_ + "DVD_DISC";
    const std::string first = ExtractFileName(clips[0]), second = ExtractFileName(clips[1]);
    EXPECT_EQ(WithoutFixNote(BuilderLog()),
              (Lines{"Convert " + first + " >>> DVD_DISC_1.vob", "Mux " + first + " >>>",
                     "Convert " + second + " >>> DVD_DISC_2.vob", "Mux " + second + " >>>",
                     "Add subtitle to " + second + " >>>", "Create \"TitleSub.vob\" >>>", "Create DVD directory >>>", "Starting to burn...",
                     "Getting disc type...", "No DVD writer: the DVD folder stays in " + dest + "/VIDEO_TS.",
                     "Process finished."}));
    ExpectOnlyTheDiscQuestion();
    if (const char* keep = std::getenv("KELDARA_KEEP_TEST_OUTPUT");
        keep && std::string(keep) == "1" && std::filesystem::exists(dest)) {
        outsidetest::OutputFolder kept("keldara-disctask");   // says where when it goes
        std::error_code ec;   // a failed copy must not hide the failures above
        std::filesystem::copy(dest, kept.File("DVD_DISC"), std::filesystem::copy_options::recursive, ec);
        EXPECT_FALSE(ec) << "keeping " << dest << ": " << ec.message();
    }

    // The disc: title 1 as long as its kept span, title 2 as its clip, within a GOP; AC-3 at 48 kHz.
    const std::vector<disctest::DiscTitle> disc = disctest::ReadDisc(dest);
    ASSERT_EQ(disc.size(), 2u);
    EXPECT_NEAR(disc[0].length, firstLength - begin, 0.6);
    EXPECT_NEAR(disc[1].length, secondLength, 0.6);
    // The builder's "Total Time" is the kept spans' sum in whole seconds, as long as the disc's titles.
    const TQV_MovieImage& clip2 = *MyMovieImage[1];
    const double kept = firstLength - begin + std::max(clip2.AudioDuration, clip2.VideoDuration);
    EXPECT_EQ(totalTime, FormatSecondsHms(static_cast<int>(kept)));
    int hours = 0, minutes = 0, seconds = 0;
    ASSERT_EQ(std::sscanf(totalTime.c_str(), "%d:%d:%d", &hours, &minutes, &seconds), 3) << totalTime;
    EXPECT_NEAR(hours * 3600 + minutes * 60 + seconds, disc[0].length + disc[1].length, 1.6) << totalTime;
    // The automatic chapters: as many as the stored points, each at its point less the trim start.
    // The disc is told whole seconds (a point 7.9998 s into the title is written as 7 s), and its
    // chapter begins with the GOP that holds that second.
    ASSERT_EQ(chapterPoints_.size(), 2u);
    for (std::size_t t = 0; t < 2; ++t) {
        ASSERT_EQ(disc[t].chapters, static_cast<int>(chapterPoints_[t].size())) << "title " << t + 1;
        const double trim = t == 0 ? begin : 0;
        for (std::size_t c = 0; c < chapterPoints_[t].size(); ++c)
            EXPECT_NEAR(disc[t].starts[c], std::max(0.0, std::floor(chapterPoints_[t][c] - trim)), 0.6)
                << "title " << t + 1 << " chapter " << c + 1 << " at " << chapterPoints_[t][c] - trim << " s";
    }
    EXPECT_GT(disc[0].chapters + disc[1].chapters, 2);
    // The chapter added by hand is among title 2's chapter starts.
    EXPECT_TRUE(std::any_of(disc[1].starts.begin(), disc[1].starts.end(),
                            [&](double start) { return std::abs(start - manual) <= 0.6; }))
        << "no chapter of title 2 starts near " << manual << " s";
    // One subpicture stream, in region 0's language, on title 2 only.
    std::string streams;
    ASSERT_EQ(outsidetest::Run({"lsdvd", "-s", dest}, &streams), 0);
    const std::size_t title2 = streams.find("Title: 02");
    ASSERT_NE(title2, std::string::npos) << streams;
    const std::size_t subtitle = streams.find("Subtitle: 01, Language: en");
    EXPECT_TRUE(subtitle != std::string::npos && subtitle > title2) << streams;
    EXPECT_EQ(streams.find("Subtitle: 02"), std::string::npos) << streams;
    // Its subpictures, as spuunmux reads them from the title set: one a cue of the file that falls
    // within clip 2, at the cue's time in the title (title 2 follows title 1 in the stream).
    {
        const SubRipFile file = ReadSubRipFile(srt);
        ASSERT_TRUE(file.read);
        const std::vector<SubRipCue> cues = CuesWithin(file.cues, 0, pipeline::KeptSeconds(clip2));
        std::vector<std::string> vobs;
        for (int part = 1; FileExists(dest + "/VIDEO_TS/VTS_01_" + std::to_string(part) + ".VOB"); ++part)
            vobs.push_back(dest + "/VIDEO_TS/VTS_01_" + std::to_string(part) + ".VOB");
        const std::vector<disctest::Subpicture> pictures = disctest::ReadSubpictures(vobs, root_ + "/subtitles");
        ASSERT_EQ(pictures.size(), cues.size());
        ASSERT_FALSE(cues.empty());
        const double offset = pictures[0].start - cues[0].start;
        for (std::size_t i = 0; i < cues.size(); ++i) {
            EXPECT_NEAR(pictures[i].start - offset, cues[i].start, 0.05) << "cue " << i + 1;
            // A cue the next one overlaps is ended by spumux as it sees fit.
            if (i + 1 == cues.size() || cues[i + 1].start >= cues[i].end) {
                EXPECT_NEAR(pictures[i].end - offset, cues[i].end, 0.05) << "cue " << i + 1;
            }
            EXPECT_FALSE(pictures[i].png.empty());
        }
    }
    std::string audio;
    ASSERT_EQ(outsidetest::Run({"lsdvd", "-a", dest}, &audio), 0);
    EXPECT_NE(audio.find("Format: ac3"), std::string::npos) << audio;
    EXPECT_NE(audio.find("Frequency: 48000"), std::string::npos) << audio;

    // dvdunauthor's description: the VMGM menu with a button a title; in the title set the root menu
    // with the corner button and one a title, and each chapter page with the corner button and one a chapter.
    const std::string back = root_ + "/unauthored";
    ForceDirectories(back);
    ASSERT_EQ(outsidetest::Run({"sh", "-c", "cd '" + back + "' && dvdunauthor '" + dest + "' >/dev/null 2>&1"}), 0);
    const std::string xml = Bytes(back + "/dvdauthor.xml");
    const std::size_t vmgm = xml.find("<vmgm"), titleset = xml.find("<titleset");
    ASSERT_NE(vmgm, std::string::npos);
    ASSERT_NE(titleset, std::string::npos);
    const auto buttons = [&](std::size_t from, std::size_t to) {
        int n = 0;
        for (std::size_t at = xml.find("<button name", from); at < to; at = xml.find("<button name", at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(buttons(vmgm, titleset), 2);
    const std::size_t titles = xml.find("<titles>", titleset);
    std::vector<int> menuButtons;
    for (std::size_t pgc = xml.find("<pgc", titleset); pgc < titles; pgc = xml.find("<pgc", pgc + 1))
        menuButtons.push_back(buttons(pgc, std::min(xml.find("</pgc>", pgc), titles)));
    std::vector<int> expected{3};
    for (const std::vector<double>& points : chapterPoints_) expected.push_back(1 + static_cast<int>(points.size()));
    expected.push_back(0);   // the chapter entry
    EXPECT_EQ(menuButtons, expected) << xml;

    // The highlights: spuunmux draws each menu's highlight and select pictures from the button
    // colours dvdunauthor read back. The title set's menus show the designer's colours on every
    // button and nowhere else; the first menu (the program's own stream) shows its two buttons.
    MenuSubpictures playMenu;
    std::string why;
    ASSERT_TRUE(UnmuxMenu(back + "/vob_00m_001.vob", back + "/spu-vmgm", playMenu, why)) << why;
    EXPECT_EQ(playMenu.buttons.size(), 2u);
    EXPECT_EQ(CheckButtonPicture(playMenu, playMenu.highlight, std::nullopt), "");
    EXPECT_EQ(CheckButtonPicture(playMenu, playMenu.select, std::nullopt), "");
    for (std::size_t m = 0; m + 1 < expected.size(); ++m) {
        const std::string vob = back + "/vob_01m_00" + std::to_string(m + 1) + ".vob";
        MenuSubpictures menu;
        ASSERT_TRUE(UnmuxMenu(vob, back + "/spu-" + std::to_string(m + 1), menu, why)) << vob << ": " << why;
        EXPECT_EQ(static_cast<int>(menu.buttons.size()), expected[m]) << vob;
        EXPECT_EQ(CheckButtonPicture(menu, menu.highlight, RGB(0, 0, 255)), "") << vob << " highlight";
        EXPECT_EQ(CheckButtonPicture(menu, menu.select, RGB(255, 251, 240)), "") << vob << " select";
    }

    // Afterwards: only the disc in the working folder, nothing in RES/, the sources untouched, no child left.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(work_, ec))
        EXPECT_TRUE(entry.is_directory()) << entry.path();
    for (const auto& entry : std::filesystem::directory_iterator(program_ + "RES", ec))
        ADD_FAILURE() << "left in RES: " << entry.path();
    EXPECT_EQ(Digest(clips[0]), firstDigest);
    EXPECT_EQ(Digest(clips[1]), secondDigest);
    EXPECT_EQ(Bytes(srt), srtBytes);
    EXPECT_TRUE(NoChildLeft());
}

// The watchdog: a task that never ends fails with where the script was and what the run logged.
TEST(TaskDriverDeathTest, AHungTaskEndsTheTestWithItsStepsAndRunLog)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            testkit::TaskDriver task(1);
            task.WatchLog([] { return Lines{"Convert Holiday.mp4 >>> DVD_DISC_1.vob"}; });
            task.Step("disc builder: Start");
            for (;;) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        },
        ::testing::ExitedWithCode(1), "disc builder: Start(.|\n)*Convert Holiday.mp4 >>> DVD_DISC_1.vob");
}

} // namespace
