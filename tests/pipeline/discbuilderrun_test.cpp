// The disc builder's real runs through the encoder, the multiplexer and the
// authoring library: the DVD folder read with lsdvd and dvdunauthor, the
// picture of a mixed-aspect disc, a failed author job, the volume name that
// reaches the burn stage, an SVCD run, and Stop at each step.
#include "builderfixture.h"
#include "discfixture.h"
#include "../outside/encoder/heldreads.h"

#include "author/dvdauthorlib.h"
#include "skin/kivbutton.h"
#include "skin/kivprogressbar.h"
#include "skin/kivcombobox.h"
#include "testkit/fakescsi.h"
#include "testkit/recorder.h"

namespace {

using Lines = std::vector<std::string>;
using outsidetest::FakePrograms;

// The log without the authoring note, whose place depends on the timer.
Lines WithoutFixNote(Lines log)
{
    log.erase(std::remove(log.begin(), log.end(), "Fix VOB file>>>"), log.end());
    return log;
}

class BuilderRunTest : public BuilderTest {
protected:
    // Message boxes answer their first button: Yes to "No matched disc in
    // burner." of the stage without writer, to the stop and close questions.
    // Runs a build of the clips to its end.
    void Build(int kind, bool withMenu = false)
    {
        ReadyBuilder(kind, withMenu);
        StartBuilder();
        ASSERT_TRUE(builder->RunActive());
        ASSERT_TRUE(BuildToEnd());
    }
    void Fake(const std::string& program, const std::string& body)
    {
        if (!fakes_) {
            ForceDirectories(root_ + "/fakebin");
            fakes_ = std::make_unique<FakePrograms>(root_ + "/fakebin");
        }
        fakes_->Add(program, body);
    }
    // The title menu the designer would have written: its background and its
    // spumux description with one button a title.
    void MenuFiles(int titles)
    {
        const std::string res = program_ + "RES/";
        ASSERT_EQ(outsidetest::Run({"convert", "-size", "720x576", "gradient:#183060-#60A0E0", "BMP3:" +
                                                                                                   res + "backbitmap_P.bmp"}),
                  0);
        std::string xml;
        disctest::MakeMenu(res, "", res + "Menu_P", titles, &xml);
        ASSERT_EQ(xml, res + "Menu_P.xml");
    }
    std::unique_ptr<FakePrograms> fakes_;
};

TEST_F(BuilderRunTest, DvdWithoutMenuAuthorsTheFolderAndKeepsNothingElse)
{
    TQV_MovieImage* first = AddClipFile("Holiday.avi", 2);
    AddClipFile("Garden party.avi", 1.5);
    first->StartPoint = 0;   // an untrimmed clip of a source that cannot seek
    first->SupportsSeek = false;
    const double start = first->StartPoint, end = first->EndPoint, length = first->VideoDuration;
    Build(1);
    const std::string dest = work_ + "DVD_DISC";
    EXPECT_EQ(WithoutFixNote(BuilderLog()),
              (Lines{"Convert Holiday.avi >>> DVD_DISC_1.vob", "Mux Holiday.avi >>>",
                     "Convert Garden party.avi >>> DVD_DISC_2.vob", "Mux Garden party.avi >>>",
                     "Create DVD directory >>>", "Starting to burn...", "Getting disc type...",
                     "No DVD writer: the DVD folder stays in " + dest + "/VIDEO_TS.", "Process finished."}));
    const std::vector<disctest::DiscTitle> disc = disctest::ReadDisc(dest);
    ASSERT_EQ(disc.size(), 2u);
    EXPECT_NEAR(disc[0].length, 2.0, 0.3);
    EXPECT_NEAR(disc[1].length, 1.5, 0.3);
    EXPECT_TRUE(FilesIn(work_).empty());   // the clip VOBs are gone once the folder is authored
    EXPECT_EQ(first->StartPoint, start);
    EXPECT_EQ(first->EndPoint, end);
    EXPECT_EQ(first->VideoDuration, length);
    EXPECT_FALSE(first->SupportsSeek);
    EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "DVD_DISC");
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_TRUE(NoChildLeft());

    // A second build into the same folder takes the next free name.
    Build(1);
    EXPECT_EQ(BuilderLog().back(), "Process finished.");
    EXPECT_EQ(disctest::ReadDisc(work_ + "DVD_DISC_1").size(), 2u);
    EXPECT_EQ(disctest::ReadDisc(dest).size(), 2u);
}

TEST_F(BuilderRunTest, TitleMenuGivesOneButtonPerTitleInBothMenusAndSkipsTheChapterStages)
{
    AddClipFile("first.avi", 1);
    AddClipFile("second.avi", 1);
    MenuFiles(2);
    Build(1, true);
    EXPECT_EQ(WithoutFixNote(BuilderLog()),
              (Lines{"Convert first.avi >>> DVD_DISC_1.vob", "Mux first.avi >>>", "Convert second.avi >>> DVD_DISC_2.vob",
                     "Mux second.avi >>>", "Create \"TitleSub.vob\" >>>", "Create DVD directory >>>",
                     "Starting to burn...", "Getting disc type...",
                     "No DVD writer: the DVD folder stays in " + work_ + "DVD_DISC/VIDEO_TS.", "Process finished."}));
    EXPECT_TRUE(FilesIn(work_).empty());   // Title.vob and TitleSub.vob too
    EXPECT_EQ(disctest::ReadDisc(work_ + "DVD_DISC").size(), 2u);
    // dvdunauthor's description of the disc: a menu with two buttons in the
    // VMGM and in the title set.
    const std::string back = root_ + "/unauthored";
    ForceDirectories(back);
    ASSERT_EQ(outsidetest::Run({"sh", "-c", "cd '" + back + "' && dvdunauthor '" + work_ + "DVD_DISC' >/dev/null 2>&1"}),
              0);
    const std::string xml = ReadBytes(back + "/dvdauthor.xml");
    const std::size_t vmgm = xml.find("<vmgm"), titleset = xml.find("<titleset");
    ASSERT_NE(vmgm, std::string::npos);
    ASSERT_NE(titleset, std::string::npos);
    auto buttons = [&](std::size_t from, std::size_t to) {
        int n = 0;
        for (std::size_t at = xml.find("<button name", from); at < to; at = xml.find("<button name", at + 1)) ++n;
        return n;
    };
    const std::size_t titles = xml.find("<titles>", titleset);
    EXPECT_EQ(buttons(vmgm, titleset), 2);
    EXPECT_EQ(buttons(titleset, titles), 2);
    EXPECT_NE(xml.find("<menus", titleset), std::string::npos);
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(BuilderRunTest, FailedMultiplexLogsItsReasonAndTheRunNeverEndsAsAPlainSuccess)
{
    // The first clip's multiplex fails as on a full disk; the second one's is real.
    RecordingBurnStage& stage = Record();
    Fake("mplex", "case \"$*\" in *_DISC_1[._]*) echo '**ERROR: [mplex] Could not write: No space left on device' >&2\n"
                  "exit 1;; esac\nexec /usr/bin/mplex \"$@\"\n");
    AddClipFile("Holiday.avi", 1);
    AddClipFile("Garden party.avi", 1);
    const std::string reason = "mplex: **ERROR: [mplex] Could not write: No space left on device";
    Build(1);
    EXPECT_EQ(BuilderLog(), (Lines{"Convert Holiday.avi >>> DVD_DISC_1.vob", "Mux Holiday.avi >>>",
                                   "Loading tormux.dll wrong.", "Can not mux Holiday.avi!", reason,
                                   "Convert Garden party.avi >>> DVD_DISC_2.vob", "Mux Garden party.avi >>>",
                                   "Process is terminated."}));
    EXPECT_EQ(BoxTexts(), (Lines{"Can not find \n" + work_ + "DVD_DISC_1.vob. \nProcess is terminated!"}));
    EXPECT_FALSE(stage.Called("write"));

    // An SVCD run whose image stage takes what there is still says that a clip failed.
    Build(2);
    EXPECT_EQ(BuilderLog(), (Lines{"Convert Holiday.avi >>> SVCD_DISC_1.mpg", "Mux Holiday.avi >>>",
                                   "Loading tormux.dll wrong.", reason,
                                   "Convert Garden party.avi >>> SVCD_DISC_2.mpg", "Mux Garden party.avi >>>",
                                   "Process finished, but 1 of 2 clips failed."}));
    EXPECT_TRUE(stage.Called("image"));
}

TEST_F(BuilderRunTest, FailedAuthorJobKeepsTheVobsAndNeverBurns)
{
    RecordingBurnStage& stage = Record();
    Fake("dvdauthor", "echo 'ERR: the disc cannot be made' >&2\nexit 1\n");
    AddClipFile("first.avi", 1);
    Build(1);
    const Lines log = BuilderLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].rfind("Can not create the DVD directory", 0), 0u) << log[log.size() - 2];
    EXPECT_EQ(log.back(), "Process is terminated.");
    EXPECT_TRUE(FileExists(work_ + "DVD_DISC_1.vob"));
    EXPECT_FALSE(stage.Called("write"));
    EXPECT_TRUE(builder->kivImageButton_Start->Visible());
}

TEST_F(BuilderRunTest, TheBurnStageGetsTheFolderAndTheUsersVolumeName)
{
    RecordingBurnStage& stage = Record();
    AddClipFile("first.avi", 1);
    ReadyBuilder(1);
    builder->kivEdit_VolumeName->SetText("My Disc");
    StartBuilder();
    ASSERT_TRUE(BuildToEnd());
    EXPECT_EQ(stage.discFolder, work_ + "My Disc");
    EXPECT_EQ(stage.volumeLabel, "My Disc");
    EXPECT_EQ(disctest::ReadDisc(work_ + "My Disc").size(), 1u);
    EXPECT_EQ(BuilderLog().back(), "Process finished.");
    EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "My Disc");

    ReadyBuilder(1);
    builder->kivEdit_VolumeName->SetText("a/b");
    StartBuilder();
    ASSERT_TRUE(BuildToEnd());
    EXPECT_EQ(stage.discFolder, work_ + "a_b");
    EXPECT_EQ(stage.volumeLabel, "a_b");
    EXPECT_TRUE(FileExists(work_ + "a_b/VIDEO_TS/VIDEO_TS.IFO"));
    EXPECT_FALSE(DirectoryExists(work_ + "a"));
}

TEST_F(BuilderRunTest, WideClipAfterANarrowOneIsLetterBoxedOnTheDisc)
{
    AddClipFile("narrow.avi", 1);
    testkit::ClipSpec spec;
    spec.width = 320;
    spec.height = 180;
    spec.seconds = 2;
    testkit::WriteClip(media_ + "wide.avi", spec);
    TQV_MovieImage* wide = AddClip(media_ + "wide.avi", 2, 320, 180);
    wide->AspectIndex = 2;
    wide->LetterBox = true;
    Build(1);
    // The folder authored, nothing to burn it.
    ASSERT_EQ(BuilderLog()[BuilderLog().size() - 2], "No DVD writer: the DVD folder stays in " + work_ + "DVD_DISC/VIDEO_TS.");
    const std::vector<disctest::DiscTitle> disc = disctest::ReadDisc(work_ + "DVD_DISC");
    ASSERT_EQ(disc.size(), 2u);
    EXPECT_EQ(disc[1].aspect, "4/3");
    // A frame of the second title (the title set's one VOB holds both titles, 1 s and 2 s).
    const std::string frame = root_ + "/frame.pgm";
    ASSERT_EQ(outsidetest::Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i",
                                work_ + "DVD_DISC/VIDEO_TS/VTS_01_1.VOB", "-vf", "select=gte(n\\,50)", "-vsync", "0",
                                "-frames:v", "1", "-pix_fmt", "gray", frame}),
              0);
    const std::string pgm = ReadBytes(frame);
    ASSERT_EQ(pgm.rfind("P5\n720 576\n255\n", 0), 0u);
    const std::size_t pixels = pgm.size() - 720 * 576;
    auto row = [&](int y) {
        long sum = 0;
        for (int x = 0; x < 720; ++x) sum += static_cast<unsigned char>(pgm[pixels + y * 720 + x]);
        return sum / 720;
    };
    EXPECT_LT(row(20), 24);    // the bar above the picture
    EXPECT_LT(row(555), 24);   // and below it
    EXPECT_GT(row(288), 40);   // the picture itself
}

TEST_F(BuilderRunTest, SvcdRunKeepsItsMpegFilesForTheImageStage)
{
    RecordingBurnStage& stage = Record();
    AddClipFile("clip.avi", 1);
    Build(2);
    EXPECT_EQ(BuilderLog(), (Lines{"Convert clip.avi >>> SVCD_DISC_1.mpg", "Mux clip.avi >>>", "Process finished."}));
    EXPECT_TRUE(stage.Called("image"));
    EXPECT_EQ(FilesIn(work_), (Lines{"SVCD_DISC_1.mpg"}));

    // The program's stage builds the image of the clips with vcdxbuild, named after the volume.
    builder->SetBurnStage(MakeDiscBurnStage());
    AddClipFile("second.avi", 1);
    Build(3);
    EXPECT_EQ(BuilderLog(),
              (Lines{"Convert clip.avi >>> VCD_DISC_1.mpg", "Mux clip.avi >>>", "Convert second.avi >>> VCD_DISC_2.mpg",
                     "Mux second.avi >>>", "Generating Disc Image File...",
                     "No CD writer: the disc image stays in " + work_ + "vcd_disc.cue.", "Process finished."}));
    EXPECT_EQ(builder->kivProgressBar1->Position(), 100);
    EXPECT_TRUE(FileExists(work_ + "VCD_DISC_1.mpg"));
    std::string info;
    ASSERT_EQ(outsidetest::Run({"vcd-info", "--no-banner", "--cue-file", work_ + "vcd_disc.cue"}, &info), 0);
    EXPECT_NE(info.find("VCD 2.0"), std::string::npos) << info;
    EXPECT_NE(info.find("vcd_disc"), std::string::npos) << info;
    EXPECT_EQ(FileSize64(work_ + "vcd_disc.bin") % 2352, 0);
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(BuilderRunTest, AVcdRunBurnsItsImageOntoTheRecorder)
{
    testkit::FakeScsiSystem scsi;   // the virtual recorder and no real drive
    testkit::RecorderConfig config;
    config.imagePath = root_ + "/burned.img";
    testkit::RegisteredRecorder recorder(config, "virtual recorder");
    recorder->InsertMedium(testkit::Medium::Blank(testkit::MediumKind::CdR));
    builder->SetBurnStage(MakeDiscBurnStage());
    AddClipFile("clip.avi", 1);
    Build(3);
    const Lines log = BuilderLog();
    const auto image = std::find(log.begin(), log.end(), "Generating Disc Image File...");
    ASSERT_NE(image, log.end());
    EXPECT_EQ(Lines(image, log.end()),
              (Lines{"Generating Disc Image File...", "Starting to burn...", "Getting disc type...", "CD-R disc..",
                     "Check disc free space...", "Burning disc image,Please waiting...", "Burn Done !",
                     "Process finished."}));
    EXPECT_EQ(builder->kivComboBox_WriteSpeed->Items()->Get(builder->kivComboBox_WriteSpeed->ItemIndex()), "Max.");
    EXPECT_TRUE(recorder->DiscComplete());
    EXPECT_FALSE(recorder->Locked());
    EXPECT_TRUE(recorder->TrayOpen());
    EXPECT_FALSE(FileExists(work_ + "vcd_disc.bin"));   // burnt, then deleted
    EXPECT_TRUE(FileExists(work_ + "VCD_DISC_1.mpg"));
}

TEST_F(BuilderRunTest, ImageBuildFailureEndsTheRunWithTheBuildersReasonAndStopKillsIt)
{
    AddClipFile("clip.avi", 1);
    Fake("vcdxbuild", "echo '<log level=\"error\">input mpeg stream has been deemed invalid -- aborting</log>'\n"
                      "echo partial > \"$(echo \"$3\" | cut -d= -f2)\"\nexit 1\n");
    Build(2);
    EXPECT_EQ(BuilderLog()[BuilderLog().size() - 2],
              "Can not build the disc image: vcdxbuild: input mpeg stream has been deemed invalid -- aborting.");
    EXPECT_EQ(BuilderLog().back(), "Process is terminated.");
    EXPECT_EQ(FilesIn(work_), (Lines{"SVCD_DISC_1.mpg"}));   // no image, the clip kept

    // A build that hangs: Stop ends the run and the builder with it.
    Fake("vcdxbuild", "echo $$ > '" + root_ + "/vcdxbuild.pid'\nexec sleep 60\n");
    ReadyBuilder(2);
    StartBuilder();
    ASSERT_TRUE(PumpUntil([&] { return FileSize64(root_ + "/vcdxbuild.pid") > 0; }, 300));
    EXPECT_TRUE(builder->Converting);
    builder->kivImageButton_StopClick(nullptr);
    EXPECT_FALSE(builder->RunActive());
    EXPECT_EQ(BuilderLog().back(), "Process is terminated.");
    EXPECT_TRUE(NoChildLeft());
    EXPECT_FALSE(FileExists(work_ + "svcd_disc.cue"));
    Wait(1000);   // the build's end message of the stopped run says nothing
    EXPECT_EQ(BuilderLog().back(), "Process is terminated.");
}

TEST_F(BuilderRunTest, FixNoteIsLoggedOnceWhileAuthoring)
{
    // A multiplexer whose title repeats itself 64 times (megabytes of it),
    // and a dvdauthor that reports 40 MB written for a while, then fails.
    Fake("mplex", "/usr/bin/mplex \"$@\" || exit $?\n"
                  "while [ $# -gt 0 ]; do [ \"$1\" = -o ] && out=\"$2\"; shift; done\n"
                  "for i in 1 2 3 4 5 6; do cat \"$out\" \"$out\" > \"$out.2\" && mv \"$out.2\" \"$out\"; done\n");
    Fake("dvdauthor", "for i in 1 2 3; do echo 'STAT: VOBU 10 at 40MB, 1 PGCs' >&2; sleep 1; done\nexit 1\n");
    AddClipFile("first.avi", 1);
    Build(1);
    const Lines log = BuilderLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Fix VOB file>>>"), 1);
    EXPECT_EQ(log.back(), "Process is terminated.");
}

TEST_F(BuilderRunTest, StopDuringAnEncodeLeavesNoChildAndNothingLater)
{
    // The clip's reads are held back after its first packets: the encode is
    // still running when Stop is pressed, however fast the machine.
    AddClipFile("long.avi", 10);
    HeldReads reads(media_ + "long.avi");
    ReadyBuilder(1);
    StartBuilder();
    ASSERT_TRUE(PumpUntil([&] { return reads.Hung() && builder->Encode().TickCount >= 2; }, 60));
    ASSERT_TRUE(builder->Encode().EncoderRunning);
    headless->ClickControl(*builder->kivImageButton_Stop);
    EXPECT_FALSE(builder->RunActive());
    EXPECT_EQ(BuilderLog(), (Lines{"Convert long.avi >>> DVD_DISC_1.vob", "Process is terminated."}));
    const Lines log = BuilderLog();
    PostMessage(builder->Handle(), MSG_ENCODER_DONE, 0, kEncoderDoneVideoAndAudio);
    PumpUntil([] { return false; }, 2);
    EXPECT_EQ(BuilderLog(), log);
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(BuilderRunTest, StopDuringAMultiplexLeavesNoChild)
{
    const std::string pidFile = root_ + "/mplex.pid";
    Fake("mplex", "echo $$ > '" + pidFile + "'\nexec sleep 60\n");
    AddClipFile("first.avi", 1);
    ReadyBuilder(1);
    StartBuilder();
    ASSERT_TRUE(PumpUntil([&] { return FileExists(pidFile) && !ReadBytes(pidFile).empty(); }, 120));
    headless->ClickControl(*builder->kivImageButton_Stop);
    EXPECT_FALSE(builder->RunActive());
    EXPECT_EQ(BuilderLog().back(), "Process is terminated.");
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_TRUE(NoChildLeft());
    const Lines log = BuilderLog();
    PostMessage(builder->Handle(), MSG_MUX_DONE, kMuxSucceeded, kMuxDvdArgc);
    PumpUntil([] { return false; }, 2);
    EXPECT_EQ(BuilderLog(), log);
}

TEST_F(BuilderRunTest, StopWhileAuthoringLeavesNoChildAndKeepsTheVobs)
{
    RecordingBurnStage& stage = Record();
    const std::string pidFile = root_ + "/dvdauthor.pid";
    Fake("dvdauthor", "echo $$ > '" + pidFile + "'\nexec sleep 60\n");
    AddClipFile("first.avi", 1);
    ReadyBuilder(1);
    StartBuilder();
    ASSERT_TRUE(PumpUntil([&] { return FileExists(pidFile) && !ReadBytes(pidFile).empty(); }, 120));
    headless->ClickControl(*builder->kivImageButton_Stop);
    EXPECT_FALSE(builder->RunActive());
    EXPECT_EQ(BuilderLog().back(), "Process is terminated.");
    EXPECT_TRUE(NoChildLeft());
    EXPECT_FALSE(outsidetest::ProcessAlive(std::stoi(ReadBytes(pidFile))));
    const Lines log = BuilderLog();
    PostMessage(builder->Handle(), MSG_AUTHOR_DONE, 0, 0);
    PumpUntil([] { return false; }, 2);
    EXPECT_EQ(BuilderLog(), log);
    EXPECT_TRUE(FileExists(work_ + "DVD_DISC_1.vob"));
    EXPECT_FALSE(stage.Called("write"));
}

TEST_F(BuilderRunTest, WhileBurningStopOnlySaysSoAndCloseAbortsTheWrite)
{
    RecordingBurnStage& stage = Record();
    stage.keepBurning = true;
    AddClipFile("first.avi", 1);
    ReadyBuilder(1);
    builder->Show();
    StartBuilder();
    ASSERT_TRUE(PumpUntil([&] { return stage.Called("write"); }, 120));
    ASSERT_TRUE(builder->RunActive());
    EXPECT_FALSE(builder->Converting);
    // The time goes on while the disc is written; the converting bar is done with.
    const int ticks = builder->Encode().TickCount;
    Wait(1500);
    EXPECT_GT(builder->Encode().TickCount, ticks);
    EXPECT_EQ(builder->kivProgressBar1->Position(), 0);
    headless->ClickControl(*builder->kivImageButton_Stop);
    EXPECT_EQ(BoxTexts().back(), "Can not stop burning process!");
    EXPECT_TRUE(builder->RunActive());
    headless->ClickControl(*builder->kivImageButton1);
    EXPECT_EQ(BoxTexts().back(), "Sure to close?");
    EXPECT_FALSE(builder->RunActive());
    EXPECT_TRUE(stage.Called("abort"));
    EXPECT_TRUE(stage.Called("tray"));
    EXPECT_TRUE(stage.Called("release"));
    EXPECT_EQ(BuilderLog().back(), "Process is terminated.");
    EXPECT_FALSE(headless->WindowVisible(*builder));
}

} // namespace
