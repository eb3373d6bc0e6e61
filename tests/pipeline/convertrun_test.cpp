// The convert window's real runs through the encoder, the multiplexer and the
// authoring library: DVD files read back with ffprobe, SVCD and VCD files
// accepted by vcdimager, the author-only DVD folder read with lsdvd, and the
// run's ends: a failed encode, a failed multiplex or author job, Stop and
// Close while the multiplexer runs.
#include "convertfixture.h"
#include "discfixture.h"
#include "../outside/encoder/heldreads.h"

#include "author/dvdauthorlib.h"
#include "skin/kivbutton.h"
#include "skin/kivprogressbar.h"

namespace {

using Lines = std::vector<std::string>;
using outsidetest::FakePrograms;

// ffprobe's view of a file: "format=...", then per stream codec, size and rate.
Lines Probe(const std::string& path)
{
    std::string text;
    outsidetest::Run({"ffprobe", "-v", "error", "-show_entries", "format=format_name", "-show_entries",
                      "stream=codec_name,width,height,sample_rate", "-of", "default=noprint_wrappers=1", path},
                     &text);
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line.find("=N/A") == std::string::npos) lines.push_back(line);
    return lines;
}

bool Contains(const Lines& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class ConvertRunTest : public ConvertTest {
protected:
    // Runs a conversion of the clips to its end.
    void Convert(int kind)
    {
        Ready(false, kind);
        Start();
        ASSERT_TRUE(form->RunActive());
        ASSERT_TRUE(RunToEnd());
    }
    // A fake multiplexer program put first in PATH for the test.
    void FakeMplex(const std::string& body)
    {
        ForceDirectories(root_ + "/fakebin");
        fakes_ = std::make_unique<FakePrograms>(root_ + "/fakebin");
        fakes_->Add("mplex", body);
    }
    std::unique_ptr<FakePrograms> fakes_;
};

TEST_F(ConvertRunTest, DvdConvertOfTwoClipsLeavesTwoVobsAndNothingElse)
{
    AddClipFile("Holiday.avi", 2);
    AddClipFile("Garden party.avi", 1.5);
    Convert(1);
    EXPECT_EQ(LogLines(), (Lines{"Data preparation. >>>", "Convert Holiday.avi >>> VOB_1.vob", "Mux Holiday.avi >>>",
                                 "Convert Garden party.avi >>> VOB_2.vob", "Mux Garden party.avi >>>",
                                 "Process finished."}));
    EXPECT_EQ(FilesIn(work_), (Lines{"VOB_1.vob", "VOB_2.vob"}));   // no elementary streams left
    for (const char* vob : {"VOB_1.vob", "VOB_2.vob"}) {
        const Lines probe = Probe(work_ + vob);
        EXPECT_TRUE(Contains(probe, "format_name=mpeg")) << vob;
        EXPECT_TRUE(Contains(probe, "codec_name=mpeg2video")) << vob;
        EXPECT_TRUE(Contains(probe, "width=720") && Contains(probe, "height=576")) << vob;
        EXPECT_TRUE(Contains(probe, "codec_name=ac3")) << vob;
        EXPECT_TRUE(Contains(probe, "sample_rate=48000")) << vob;
    }
    EXPECT_TRUE(FilesIn(program_ + "RES").empty());
    EXPECT_EQ(form->kivProgressBar->Position(), 100);
    EXPECT_EQ(form->kivProgressBar1->Position(), 0);
    EXPECT_EQ(form->Label_FileName->Caption(), "");
    EXPECT_EQ(form->Label_TotalTime->Caption(), "00:00:03");
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_TRUE(headless->MessageBoxes().empty());
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(ConvertRunTest, SvcdAndVcdConvertsAreAcceptedByVcdimager)
{
    AddClipFile("clip.avi", 2);
    for (int kind : {2, 3}) {
        std::filesystem::remove_all(work_);
        Convert(kind);
        EXPECT_EQ(LogLines().back(), "Process finished.") << kind;
        ASSERT_EQ(FilesIn(work_), (Lines{"VOB_1.mpg"})) << kind;
        const Lines probe = Probe(work_ + "VOB_1.mpg");
        EXPECT_TRUE(Contains(probe, kind == 2 ? "codec_name=mpeg2video" : "codec_name=mpeg1video")) << kind;
        EXPECT_TRUE(Contains(probe, "codec_name=mp2")) << kind;
        ASSERT_EQ(outsidetest::Run({"vcdxgen", "-t", kind == 2 ? "svcd" : "vcd2", "-o", work_ + "videocd.xml",
                                    work_ + "VOB_1.mpg"}),
                  0)
            << kind;
        EXPECT_EQ(outsidetest::Run({"vcdxbuild", "--cue-file=" + work_ + "disc.cue", "--bin-file=" + work_ + "disc.bin",
                                    work_ + "videocd.xml"}),
                  0)
            << kind;
    }
}

TEST_F(ConvertRunTest, EncodeFailureEndsTheRunAndTheLogSaysWhy)
{
    std::ofstream(media_ + "notes.avi") << "not a film at all";
    AddClip(media_ + "notes.avi", 3);
    AddClipFile("later.avi", 1);
    Convert(1);
    const Lines log = LogLines();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1], "Convert notes.avi >>> VOB_1.vob");
    EXPECT_EQ(log[2].rfind("Can not convert notes.avi: ", 0), 0u) << log[2];
    EXPECT_EQ(log[3], "Process is terminated.");
    EXPECT_FALSE(FileExists(work_ + "VOB_2.vob"));
}

TEST_F(ConvertRunTest, FailedMultiplexLogsItsLinesAndReasonTheRunGoesOnAndDoesNotEndAsASuccess)
{
    // The first clip's multiplex fails as on a full disk; the second one's is real.
    FakeMplex("case \"$*\" in *VOB_1*) echo '**ERROR: [mplex] Could not write the output: No space left on device' >&2\n"
              "exit 1;; esac\nexec /usr/bin/mplex \"$@\"\n");
    AddClipFile("first.avi", 1);
    AddClipFile("second.avi", 1);
    Convert(1);   // DVD: the multiplexer had nine arguments
    const std::string reason = "mplex: **ERROR: [mplex] Could not write the output: No space left on device";
    EXPECT_EQ(LogLines(), (Lines{"Data preparation. >>>", "Convert first.avi >>> VOB_1.vob", "Mux first.avi >>>",
                                 "Loading tormux.dll wrong.", "Can not mux first.avi!", reason,
                                 "Convert second.avi >>> VOB_2.vob", "Mux second.avi >>>",
                                 "Process finished, but 1 of 2 clips failed."}));
    EXPECT_TRUE(FileExists(work_ + "VOB_1.mpg"));   // the streams stay when the multiplex failed
    EXPECT_TRUE(FileExists(work_ + "VOB_1.ac3"));
    EXPECT_FALSE(FileExists(work_ + "VOB_1.vob"));
    EXPECT_TRUE(FileExists(work_ + "VOB_2.vob"));
    Convert(2);
    EXPECT_EQ(LogLines(), (Lines{"Data preparation. >>>", "Convert first.avi >>> VOB_1.mpg", "Mux first.avi >>>",
                                 "Loading tormux.dll wrong.", reason, "Convert second.avi >>> VOB_2.mpg",
                                 "Mux second.avi >>>", "Process finished, but 1 of 2 clips failed."}));
}

TEST_F(ConvertRunTest, StopDuringAnEncodeEndsItAndNothingArrivesLater)
{
    // The clip's reads are held back after its first packets, so the encode
    // is still running when Stop is pressed, however fast the machine.
    AddClipFile("long.avi", 10);
    HeldReads reads(media_ + "long.avi");
    Ready(false, 1);
    Start();
    ASSERT_TRUE(PumpUntil([&] { return reads.Hung() && form->Encode().TickCount >= 2; }, 60));
    ASSERT_TRUE(form->Encode().EncoderRunning);
    headless->AnswerNextMessageBox(IDYES);
    headless->ClickControl(*form->kivImageButton_Stop);
    EXPECT_FALSE(form->RunActive());
    EXPECT_FALSE(form->Encode().EncoderRunning);
    EXPECT_EQ(LogLines(), (Lines{"Data preparation. >>>", "Convert long.avi >>> VOB_1.vob", "Process is terminated."}));
    const Lines log = LogLines();
    PostMessage(form->Handle(), MSG_ENCODER_DONE, 0, kEncoderDoneVideoAndAudio);
    PumpUntil([] { return false; }, 3);
    EXPECT_EQ(LogLines(), log);
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_FALSE(FileExists(work_ + "VOB_1.vob"));
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(ConvertRunTest, StopDuringAMultiplexEndsItAndLeavesNoChild)
{
    const std::string pidFile = root_ + "/mplex.pid";
    FakeMplex("echo $$ > '" + pidFile + "'\nexec sleep 60\n");
    AddClipFile("first.avi", 1);
    AddClipFile("second.avi", 1);
    Ready(false, 2);
    Start();
    ASSERT_TRUE(PumpUntil([&] { return FileExists(pidFile) && !ReadBytes(pidFile).empty(); }, 120));
    ASSERT_TRUE(form->Encode().Muxing);
    headless->AnswerNextMessageBox(IDYES);
    headless->ClickControl(*form->kivImageButton_Stop);
    EXPECT_FALSE(form->RunActive());
    EXPECT_EQ(LogLines().back(), "Process is terminated.");
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_TRUE(NoChildLeft());
    EXPECT_FALSE(outsidetest::ProcessAlive(std::stoi(ReadBytes(pidFile))));
    // Whatever the worker or anyone still posts changes nothing.
    const Lines log = LogLines();
    PostMessage(form->Handle(), MSG_MUX_DONE, kMuxSucceeded, kMuxCdArgc);
    PostMessage(form->Handle(), MSG_ENCODER_DONE, 0, kEncoderDoneVideoAndAudio);
    PumpUntil([] { return false; }, 2);
    EXPECT_EQ(LogLines(), log);
    EXPECT_FALSE(FileExists(work_ + "VOB_2_vid.mpg"));   // the second clip was never started
}

TEST_F(ConvertRunTest, CloseDuringAMultiplexAsksAndEndsTheWorker)
{
    const std::string pidFile = root_ + "/mplex.pid";
    FakeMplex("echo $$ > '" + pidFile + "'\nexec sleep 60\n");
    AddClipFile("first.avi", 1);
    Ready(false, 1);
    form->Show();
    Start();
    ASSERT_TRUE(PumpUntil([&] { return FileExists(pidFile) && !ReadBytes(pidFile).empty(); }, 120));
    ASSERT_FALSE(form->Encode().EncoderRunning);   // multiplexing, not encoding
    headless->AnswerNextMessageBox(IDNO);
    headless->ClickControl(*form->kivImageButton1);
    EXPECT_TRUE(form->RunActive());
    EXPECT_NE(handleMovieThread, nullptr);
    headless->AnswerNextMessageBox(IDYES);
    headless->ClickControl(*form->kivImageButton1);
    EXPECT_EQ(BoxTexts(), (Lines{"Sure to close?", "Sure to close?"}));
    EXPECT_FALSE(headless->WindowVisible(*form));
    const Lines log = LogLines();
    ASSERT_GE(log.size(), 2u);
    // Once for the run, once for the worker let go.
    EXPECT_EQ(log[log.size() - 2], "Process is terminated.");
    EXPECT_EQ(log.back(), "Process is terminated.");
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_TRUE(NoChildLeft());
}

class AuthorOnlyTest : public ConvertRunTest {
protected:
    // Two finished VOB files of the user's, and the menu the designer would
    // have written: its background and its spumux XML with one button a title.
    void MakeTitlesAndMenu(bool withXml = true)
    {
        const std::string titles = root_ + "/My VOBs";
        ForceDirectories(titles);
        for (const char* name : {"First", "Second"}) {
            const std::string vob = disctest::MuxVob(titles, name, 2);
            sources_.push_back(vob);
            original_.push_back(ReadBytes(vob));
            AddClip(vob, 2, 720, 576);
        }
        const std::string res = program_ + "RES/";
        ASSERT_EQ(outsidetest::Run({"convert", "-size", "720x576", "gradient:#183060-#60A0E0", "-fill", "white",
                                    "-draw", "rectangle 100,20 300,56", "-draw", "rectangle 100,64 300,100",
                                    "BMP3:" + res + "backbitmap_P.bmp"}),
                  0);
        if (withXml) {
            std::string xml;
            disctest::MakeMenu(res, "", res + "Menu_P", 2, &xml);
            ASSERT_EQ(xml, res + "Menu_P.xml");
        }
        Ready(true, 0);
        form->SetAuthorOnly(0);
    }
    std::vector<std::string> sources_, original_;
};

TEST_F(AuthorOnlyTest, FinishedVobsBecomeADvdFolderWithATitleMenu)
{
    MakeTitlesAndMenu();
    Start();
    ASSERT_TRUE(form->RunActive());
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(LogLines(), (Lines{"Create \"TitleSub.vob\" >>>", "Create DVD directory >>>", "Process finished."}));
    const std::vector<disctest::DiscTitle> disc = disctest::ReadDisc(work_ + "DVD_DISC");
    EXPECT_EQ(disc.size(), 2u);
    EXPECT_FALSE(FileExists(work_ + "Title.vob"));
    EXPECT_FALSE(FileExists(work_ + "TitleSub.vob"));
    for (std::size_t i = 0; i < sources_.size(); ++i) EXPECT_EQ(ReadBytes(sources_[i]), original_[i]) << sources_[i];
    EXPECT_EQ(FilesIn(root_ + "/My VOBs"), (Lines{"First.vob", "Second.vob"}));
    EXPECT_TRUE(FilesIn(program_ + "RES").empty());
    EXPECT_EQ(form->kivProgressBar->Position(), 100);
    EXPECT_EQ(form->kivProgressBar1->Position(), 100);
    EXPECT_EQ(form->Label_CurrentFame->Caption(), "00:00:04");
    EXPECT_TRUE(headless->MessageBoxes().empty());
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(AuthorOnlyTest, FailedAuthorJobEndsTerminatedAndKeepsRes)
{
    MakeTitlesAndMenu();
    ForceDirectories(root_ + "/fakebin");
    FakePrograms fakes(root_ + "/fakebin");
    fakes.Add("dvdauthor", "echo 'ERR: the disc cannot be made' >&2\nexit 1\n");
    Start();
    ASSERT_TRUE(RunToEnd());
    const Lines log = LogLines();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[2].rfind("Can not create the DVD directory", 0), 0u) << log[2];
    EXPECT_EQ(log[3], "Process is terminated.");
    EXPECT_TRUE(FileExists(program_ + "RES/Author.xml"));
    EXPECT_TRUE(FileExists(program_ + "RES/Menu_P.xml"));
    EXPECT_FALSE(FileExists(work_ + "Title.vob"));
    for (std::size_t i = 0; i < sources_.size(); ++i) EXPECT_EQ(ReadBytes(sources_[i]), original_[i]);
}

TEST_F(AuthorOnlyTest, MissingBackgroundEndsTheRunAtOnce)
{
    MakeTitlesAndMenu();
    std::filesystem::remove(program_ + "RES/backbitmap_P.bmp");
    Start();
    EXPECT_FALSE(form->RunActive());
    const Lines log = LogLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].rfind("Can not make the title menu: ", 0), 0u) << log[0];
    EXPECT_EQ(log[1], "Process is terminated.");
}

} // namespace
