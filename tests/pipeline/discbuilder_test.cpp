// The disc builder without real encodes: its set-up with the burn stage of a
// machine without a writer, the volume name's rules, Start's refusals, the
// messages that reach an idle window, the encoder block of a mixed-aspect run,
// the chapter stage's call point, Close and the window's place in the program.
#include "builderfixture.h"

#include "pipeline/discvolumename.h"
#include "testmedia.h"
#include "app/startup.h"
#include "rtl/inifiles.h"
#include "shell/qv_videodvdsetupsourceclipsform.h"
#include "skin/kivbutton.h"
#include "skin/kivgroupbox.h"
#include "skin/kivprogressbar.h"
#include "vcl/application.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

namespace {

using Lines = std::vector<std::string>;

TEST(DiscVolumeName, KeepsTheUsersTextAsOneFolderName)
{
    EXPECT_EQ(DiscVolumeName("My Disc", 1), "My Disc");
    EXPECT_EQ(DiscVolumeName("a/b", 1), "a_b");
    EXPECT_EQ(DiscVolumeName("Tab\there\x7F", 1), "Tab_here_");
    EXPECT_EQ(DiscVolumeName("Été 2026", 1), "Été 2026");
    EXPECT_EQ(DiscVolumeName(".", 1), "DVD_DISC");
    EXPECT_EQ(DiscVolumeName("..", 2), "SVCD_DISC");
    EXPECT_EQ(DiscVolumeName("", 3), "VCD_DISC");
    EXPECT_EQ(DiscVolumeName("...", 0), "...");   // an ordinary name
    EXPECT_EQ(DefaultVolumeName(0), "DVD_DISC");
}

TEST(DiscVolumeName, LabelIsCutToThirtyOneBytesBetweenCharacters)
{
    EXPECT_EQ(DiscVolumeLabel("My Disc"), "My Disc");
    EXPECT_EQ(DiscVolumeLabel(std::string(40, 'x')), std::string(31, 'x'));
    // 30 ASCII bytes and a two-byte character: the character does not fit whole.
    EXPECT_EQ(DiscVolumeLabel(std::string(30, 'x') + "é" + "yy"), std::string(30, 'x'));
}

TEST_F(BuilderTest, FreeVolumeNameSkipsFoldersAndFilesOfThatName)
{
    ForceDirectories(work_ + "DVD_DISC");
    std::ofstream(work_ + "DVD_DISC_1") << "a file of the user's";
    EXPECT_EQ(FreeVolumeName(work_, "DVD_DISC"), "DVD_DISC_2");
    EXPECT_EQ(FreeVolumeName(work_, "Other"), "Other");
}

TEST_F(BuilderTest, InitWithoutWriterLeavesTheWindowUsable)
{
    {
        TIniFile ini(Config());
        ini.WriteString("Config", "Working Folder", work_);
        ini.WriteString("Config", "Convert Engine", "2");
        ini.WriteString("Config", "Output Setup", "0");
    }
    ForceDirectories(work_ + "DVD_DISC");
    ASSERT_TRUE(builder->InitDiscBuilder(1));
    EXPECT_EQ(builder->Caption(), "Video DVD Disc Builder");
    EXPECT_EQ(builder->kivEdit_WorkingFolder->Text(), work_);
    EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "DVD_DISC_1");
    EXPECT_EQ(builder->kivEdit_VolumeName->MaxLength(), 12);
    EXPECT_EQ(builder->kivComboBox_ConvertEngine->Items()->Count(), 3);
    EXPECT_EQ(builder->kivComboBox_ConvertEngine->ItemIndex(), 2);
    EXPECT_EQ(builder->kivComboBox_ConvertEngine->Items()->Get(2), "Preference by max speed and min size");
    EXPECT_FALSE(builder->Label4->Checked());
    EXPECT_TRUE(builder->Label5->Checked());
    EXPECT_EQ(builder->BarCaptions[0]->Caption(), "Burning Process :");
    EXPECT_FALSE(builder->kivImageButton_Back->Visible());
    EXPECT_TRUE(builder->WithMenu());
    EXPECT_EQ(BuilderLog(), (Lines{"No DVD writer."}));
    EXPECT_EQ(builder->kivComboBox_Drive->Items()->Count(), 0);
    ASSERT_EQ(builder->kivComboBox_WriteSpeed->Items()->Count(), 1);
    EXPECT_EQ(builder->kivComboBox_WriteSpeed->Text(), "No Support!");
    EXPECT_FALSE(builder->kivComboBox_WriteSpeed->Enabled());

    ASSERT_TRUE(builder->InitDiscBuilder(2));
    EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "SVCD_DISC");
    ASSERT_TRUE(builder->InitDiscBuilder(3));
    EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "VCD_DISC");
}

TEST_F(BuilderTest, BrowseNamesTheVolumeForTheChosenFolderFromTheDefaultOrTheTypedName)
{
    FakeEncoder encoder;
    encoder.answer = 0;   // the clip never ends
    builder->SetEncoderLibrary(encoder);
    Record();
    {
        TIniFile ini(Config());
        ini.WriteString("Config", "Working Folder", work_);
    }
    ForceDirectories(work_ + "DVD_DISC");
    AddClip(media_ + "a.avi", 2);
    ASSERT_TRUE(builder->InitDiscBuilder(1));
    builder->BuildWithoutMenu(0);
    EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "DVD_DISC_1");
    const auto type = [&](const std::string& name) {
        headless->ClickControl(*builder->kivEdit_VolumeName);
        headless->PressKey('A', ssCtrl);
        headless->TypeText(name);
    };
    const auto browse = [&](const std::string& folder) {
        ScriptedDialogs().AnswerFolder(folder);
        headless->ClickControl(*builder->kivImageButton_Browse);
        EXPECT_EQ(builder->kivEdit_WorkingFolder->Text(), folder + "/");
    };

    headless->OnNextModal([&](TCustomForm&) {
        // An empty folder: the default name again, not the suffixed one, and the files take it.
        const std::string other = Mount("data") + "/other", empty = Mount("data") + "/empty";
        ForceDirectories(empty);
        browse(empty);
        EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "DVD_DISC");
        headless->ClickControl(*builder->kivImageButton_Start);
        ASSERT_TRUE(builder->RunActive());
        EXPECT_EQ(MyMovieImage[0]->OutputName, "DVD_DISC_1.vob");
        headless->AnswerNextMessageBox(IDYES);
        headless->ClickControl(*builder->kivImageButton_Stop);
        EXPECT_FALSE(builder->RunActive());
        EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "DVD_DISC");

        // Each folder names the volume from the default, not from the suffix the last one needed.
        ForceDirectories(other + "/DVD_DISC");
        ForceDirectories(other + "/DVD_DISC_1");
        browse(other);
        EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "DVD_DISC_2");
        browse(empty);
        EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "DVD_DISC");

        // A name the user typed is kept, with only the suffix a clash needs.
        ForceDirectories(other + "/Holiday");
        type("Holiday");
        browse(other);
        EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "Holiday_1");
        browse(empty);
        EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "Holiday");
        // Typed with a suffix of its own, it is kept as typed.
        type("Holiday_1");
        browse(other);
        EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "Holiday_1");
        builder->SetModalResult(mrCancel);
    });
    builder->ShowDiscBuilder();
}

TEST_F(BuilderTest, StartRefusesWithoutAChosenWriterOrClips)
{
    FakeEncoder encoder;
    builder->SetEncoderLibrary(encoder);
    RecordingBurnStage& stage = Record();
    stage.selectFirst = false;
    ReadyBuilder(1);
    AddClip(media_ + "a.avi", 2);
    StartBuilder();
    EXPECT_EQ(BoxTexts(), (Lines{"Can not find burning device, process is terminated."}));
    EXPECT_FALSE(builder->RunActive());
    EXPECT_FALSE(stage.Called("check"));

    // No clips: only the log says so, and the disc is never asked for.
    ReleaseProjectData();
    builder->kivComboBox_Drive->SetItemIndex(0);
    StartBuilder();
    EXPECT_EQ(BuilderLog(), (Lines{"No file to convert."}));
    EXPECT_FALSE(stage.Called("check"));
    EXPECT_TRUE(encoder.calls.empty());
}

TEST_F(BuilderTest, EmptyVolumeNameAsksAndTakesTheDefaultName)
{
    FakeEncoder encoder;
    encoder.answer = 0;   // the clip never ends
    builder->SetEncoderLibrary(encoder);
    Record();
    AddClip(media_ + "a.avi", 2);
    ReadyBuilder(1);
    builder->kivEdit_VolumeName->SetText("");
    headless->AnswerNextMessageBox(IDNO);
    StartBuilder();
    EXPECT_EQ(BoxTexts(), (Lines{"No valid volume for new disc. \nSure to continue?"}));
    EXPECT_FALSE(builder->RunActive());
    headless->AnswerNextMessageBox(IDYES);
    StartBuilder();
    ASSERT_TRUE(builder->RunActive());
    EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "DVD_DISC");
    EXPECT_EQ(MyMovieImage[0]->OutputName, "DVD_DISC_1.vob");
    headless->AnswerNextMessageBox(IDYES);
    headless->ClickControl(*builder->kivImageButton_Stop);
    EXPECT_FALSE(builder->RunActive());
}

TEST_F(BuilderTest, NoWriterStageAsksForADiscBeforeTheRun)
{
    FakeEncoder encoder;
    encoder.answer = 0;
    builder->SetEncoderLibrary(encoder);
    AddClip(media_ + "a.avi", 2);
    ReadyBuilder(1);
    headless->AnswerNextMessageBox(IDCANCEL);
    StartBuilder();
    EXPECT_EQ(BoxTexts(), (Lines{"No matched disc in burner.\nClick \"Yes\" to continue convert.\nClick \"Cancel\" "
                                 "to cancel progress!"}));
    EXPECT_FALSE(builder->RunActive());
    EXPECT_TRUE(encoder.calls.empty());
    headless->AnswerNextMessageBox(IDYES);
    StartBuilder();
    EXPECT_TRUE(builder->RunActive());
    EXPECT_FALSE(builder->kivGroupBox4->Enabled() && builder->kivEdit_VolumeName->Enabled());
    headless->AnswerNextMessageBox(IDYES);
    headless->ClickControl(*builder->kivImageButton_Stop);
    EXPECT_TRUE(builder->kivEdit_VolumeName->Enabled());
}

TEST_F(BuilderTest, IdleWindowIgnoresLateMessagesAndClosesWithoutAQuestion)
{
    FakeEncoder encoder;
    builder->SetEncoderLibrary(encoder);
    AddClip(media_ + "a.avi", 2);
    ReadyBuilder(1);
    const Lines log = BuilderLog();
    HWND window = builder->Handle();
    PostMessage(window, MSG_ENCODER_DONE, 0, kEncoderDoneVideoAndAudio);
    PostMessage(window, MSG_MUX_DONE, kMuxSucceeded, kMuxTitleStill);
    PostMessage(window, MSG_MUX_DONE, kMuxFailed, kMuxDvdArgc);
    PostMessage(window, MSG_AUTHOR_DONE, 0, 0);
    PostMessage(window, MSG_SPUMUX_DONE, 0, 0);
    Wait(2000);
    EXPECT_EQ(BuilderLog(), log);
    EXPECT_TRUE(encoder.calls.empty());
    EXPECT_EQ(handleMovieThread, nullptr);

    // Close empties the program's RES folder (its subfolders stay).
    std::ofstream(program_ + "RES/Menu_P.xml") << "<subpictures/>";
    ForceDirectories(program_ + "RES/keep");
    bool closed = false;
    headless->OnNextModal([&](TCustomForm&) {
        headless->ClickControl(*builder->kivImageButton1);
        closed = builder->ModalResult() != mrNone;
    });
    builder->ShowDiscBuilder();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(headless->MessageBoxes().empty());
    EXPECT_TRUE(FilesIn(program_ + "RES").empty());
    EXPECT_TRUE(DirectoryExists(program_ + "RES/keep"));
    EXPECT_EQ(BuilderLog(), log);   // an idle window's log stays as it was
}

TEST_F(BuilderTest, EveryDvdClipIsEncodedAtTheFirstClipsShape)
{
    FakeEncoder encoder;
    encoder.answer = 0;
    builder->SetEncoderLibrary(encoder);
    Record();
    TQV_MovieImage* first = AddClip(media_ + "a.avi", 2, 320, 240);
    TQV_MovieImage* wide = AddClip(media_ + "b.avi", 2, 320, 180);
    first->AspectIndex = 1;
    wide->AspectIndex = 2;
    wide->LetterBox = true;
    wide->StartPoint = 0.5;
    wide->EndPoint = 1.5;
    ReadyBuilder(1);
    StartBuilder();
    ASSERT_TRUE(builder->RunActive());
    // The run's length counts the kept second of the trimmed clip, not its two.
    EXPECT_EQ(builder->Label_TotalTime->Caption(), "00:00:03");
    EXPECT_DOUBLE_EQ(builder->Encode().TotalSeconds, 3);
    // The first clip's block, then the second's once the first is done.
    builder->Encode().EncoderRunning = false;
    builder->Encode().CurrentClipIndex = 1;
    builder->Encode().EncodeClip();
    EXPECT_EQ(encoder.params.MarginTop, 72);   // a 16:9 picture letter-boxed in a 4:3 frame of 576 lines
    EXPECT_EQ(encoder.params.MarginBottom, 72);
    // The clip itself is left as the user set it.
    EXPECT_EQ(wide->AspectIndex, 2);
    EXPECT_EQ(wide->StartPoint, 0.5);
    EXPECT_EQ(wide->EndPoint, 1.5);
    headless->AnswerNextMessageBox(IDYES);
    headless->ClickControl(*builder->kivImageButton_Stop);
}

TEST_F(BuilderTest, ChaptersLeadToTheChapterStageAndWithoutItTheRunEnds)
{
    FakeEncoder encoder;
    encoder.writeOutputs = true;   // streams no multiplexer takes: every clip is logged as not muxed
    builder->SetEncoderLibrary(encoder);
    RecordingBurnStage& stage = Record();
    AddClip(media_ + "a.avi", 1);
    MyDVDChapter.SetLength(1);
    ASSERT_EQ(outsidetest::Run({"convert", "-size", "720x576", "xc:#204080", "BMP3:" + program_ + "RES/backbitmap_P.bmp"}),
              0);
    ReadyBuilder(1, true);
    StartBuilder();
    ASSERT_TRUE(BuildToEnd(120));
    const Lines log = BuilderLog();
    ASSERT_GE(log.size(), 2u);
    // The page's background was never written.
    EXPECT_EQ(log[log.size() - 2].rfind("Can not make the chapter page 0: can not read the menu picture ", 0), 0u)
        << log[log.size() - 2];
    EXPECT_EQ(log.back(), "Process is terminated.");
    EXPECT_FALSE(stage.Called("write"));
}

TEST_F(BuilderTest, UsersFilesInTheWorkingFolderAreNeverWrittenOver)
{
    // The build's second title would be DVD_DISC_2.vob, and is deleted once authored.
    FakeEncoder encoder;
    builder->SetEncoderLibrary(encoder);
    ForceDirectories(work_);
    AddClip(media_ + "a.avi", 2);
    const std::string clipInWork = work_ + "DVD_DISC_2.vob";
    std::ofstream(clipInWork) << "the user's film";
    AddClip(clipInWork, 2);
    ReadyBuilder(1);
    StartBuilder();
    ASSERT_EQ(BoxTexts().size(), 2u);   // the disc question, then the refusal
    EXPECT_NE(BoxTexts()[1].find(clipInWork), std::string::npos);
    EXPECT_FALSE(builder->RunActive());
    EXPECT_TRUE(encoder.calls.empty());
    EXPECT_EQ(ReadBytes(clipInWork), "the user's film");
}

// The builder with its subtitle stage recorded: the stage starts when asked
// to, and MSG_SPUMUX_DONE ends it. Every clip is multiplexed at once, as the multiplexer
// would answer (only a clip that was multiplexed has a subtitle stage).
class SubtitleProbe final : public TQV_Video_DVD_Disc_Builder_Form {
public:
    using TQV_Video_DVD_Disc_Builder_Form::TQV_Video_DVD_Disc_Builder_Form;
    std::vector<int> started;
    int cancelled = 0;

    void MuxClip(int) override
    {
        Encode().Muxing = true;
        PostMessage(Handle(), MSG_MUX_DONE, kMuxSucceeded, kMuxDvdArgc);
    }

protected:
    bool StartSubtitleStage(int clipIndex) override
    {
        started.push_back(clipIndex);
        return true;
    }
    void CancelSubtitleStage() override { ++cancelled; }
};

TEST_F(BuilderTest, OnlyDvdClipsGetTheirSubtitleStageAndStopEndsIt)
{
    FakeEncoder encoder;
    SubtitleProbe probe(nullptr);
    probe.SetEncoderLibrary(encoder);
    probe.SetBurnStage(std::make_unique<RecordingBurnStage>());
    AddClip(media_ + "a.avi", 1)->SubtitleFile = media_ + "a.srt";
    AddClip(media_ + "b.avi", 1);

    ASSERT_TRUE(probe.InitDiscBuilder(2));
    probe.kivEdit_WorkingFolder->SetText(work_);
    probe.kivImageButton_StartClick(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !probe.RunActive(); }, 60));
    EXPECT_TRUE(probe.started.empty());   // an SVCD clip goes on without its subtitle

    ASSERT_TRUE(probe.InitDiscBuilder(1));
    probe.BuildWithoutMenu(0);
    probe.kivEdit_WorkingFolder->SetText(work_);
    probe.kivImageButton_StartClick(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !probe.started.empty(); }, 60));
    EXPECT_EQ(probe.started, (std::vector<int>{0}));
    EXPECT_EQ(probe.Encode().CurrentClipIndex, 0);   // the next clip waits for the subtitle
    PostMessage(probe.Handle(), MSG_SPUMUX_DONE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return probe.Encode().CurrentClipIndex >= 1; }, 60));
    // Clip b has no subtitle: the run goes on to its end (its titles were never multiplexed).
    ASSERT_TRUE(PumpUntil([&] { return !probe.RunActive(); }, 60));
    EXPECT_EQ(probe.started, (std::vector<int>{0}));

    // Stop while a subtitle job runs lets it go.
    const int before = probe.cancelled;
    probe.kivImageButton_StartClick(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return probe.started.size() == 2; }, 60));
    probe.kivImageButton_StopClick(nullptr);
    EXPECT_FALSE(probe.RunActive());
    EXPECT_GT(probe.cancelled, before);
    const int ended = probe.Memo1->Lines()->Count();
    PostMessage(probe.Handle(), MSG_SPUMUX_DONE, 0, 0);
    Wait(1000);
    EXPECT_EQ(probe.Memo1->Lines()->Count(), ended);
    EXPECT_EQ(probe.Encode().CurrentClipIndex, 0);
}

TEST_F(BuilderTest, WriterMessagesReachTheBurnStage)
{
    RecordingBurnStage& stage = Record();
    ReadyBuilder(1);
    for (UINT message : {MSG_WRITER_MEDIA, MSG_WRITER_STATUS, MSG_WRITER_CLOSING, MSG_WRITER_PROGRESS})
        PostMessage(builder->Handle(), message, 17, 0);
    Wait(500);
    EXPECT_TRUE(stage.Called("message " + std::to_string(MSG_WRITER_MEDIA)));
    EXPECT_TRUE(stage.Called("message " + std::to_string(MSG_WRITER_STATUS)));
    EXPECT_TRUE(stage.Called("message " + std::to_string(MSG_WRITER_CLOSING)));
    EXPECT_TRUE(stage.Called("message " + std::to_string(MSG_WRITER_PROGRESS)));
    builder->kivComboBox_Drive->SetItemIndex(0);
    builder->kivComboBox_DriveChange(nullptr);
    EXPECT_TRUE(stage.Called("drive 0"));
}

TEST_F(BuilderTest, TitleMenuStageWithoutItsFiles)
{
    FakeEncoder encoder;
    encoder.writeOutputs = true;   // streams no multiplexer takes: the clip's multiplex fails at once
    builder->SetEncoderLibrary(encoder);
    RecordingBurnStage& stage = Record();
    AddClip(media_ + "a.avi", 1);

    // No background: the title still cannot be made and the run ends.
    ReadyBuilder(1, true);
    StartBuilder();
    ASSERT_TRUE(BuildToEnd(60));
    Lines log = BuilderLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].rfind("Can not make the title menu: ", 0), 0u) << log[log.size() - 2];
    EXPECT_EQ(log.back(), "Process is terminated.");

    // A background without its menu description: the box, and the run stands until stopped.
    ASSERT_EQ(outsidetest::Run({"convert", "-size", "720x576", "xc:#204080", "BMP3:" + program_ + "RES/backbitmap_P.bmp"}),
              0);
    ReadyBuilder(1, true);
    StartBuilder();
    ASSERT_TRUE(PumpUntil([&] { return !BoxTexts().empty(); }, 60));
    EXPECT_EQ(BoxTexts().back(), "Can not find menu information, skip menu creator.");
    EXPECT_TRUE(builder->RunActive());
    EXPECT_FALSE(builder->Timer->Enabled());
    EXPECT_EQ(handleMovieThread, nullptr);
    headless->ClickControl(*builder->kivImageButton_Stop);
    EXPECT_FALSE(builder->RunActive());
    EXPECT_EQ(BuilderLog().back(), "Process is terminated.");
    EXPECT_FALSE(stage.Called("write"));
}

TEST_F(BuilderTest, CloseDuringAnEncodeAsksStopsTheEncoderAndLogsTheEndOnce)
{
    FakeEncoder encoder;
    encoder.answer = 0;
    builder->SetEncoderLibrary(encoder);
    RecordingBurnStage& stage = Record();
    AddClip(media_ + "a.avi", 2);
    ReadyBuilder(1);
    builder->Show();
    StartBuilder();
    ASSERT_TRUE(builder->Encode().EncoderRunning);
    headless->AnswerNextMessageBox(IDNO);
    headless->ClickControl(*builder->kivImageButton1);
    EXPECT_TRUE(builder->RunActive());
    headless->ClickControl(*builder->kivImageButton1);   // Yes
    EXPECT_EQ(BoxTexts(), (Lines{"Sure to close?", "Sure to close?"}));
    EXPECT_FALSE(builder->RunActive());
    EXPECT_EQ(encoder.calls.back(), "stop");
    EXPECT_FALSE(stage.Called("abort"));
    EXPECT_TRUE(stage.Called("tray"));
    const Lines log = BuilderLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Process is terminated."), 1);
    EXPECT_FALSE(headless->WindowVisible(*builder));
}

TEST_F(BuilderTest, TheClipsWindowOpensTheBuilderForARunWithoutMenu)
{
    const auto& windows = StartupWindows();
    auto entry = std::find_if(windows.begin(), windows.end(),
                              [](const StartupWindow& w) { return w.name == kDiscBuilderWindowName; });
    ASSERT_NE(entry, windows.end());
    ASSERT_TRUE(entry->create);
    EXPECT_EQ(FindTaskWindow<DiscBuilderSteps>(kDiscBuilderWindowName), builder);

    builder->kivImageButton_MinClick(nullptr);
    EXPECT_TRUE(app->Minimized());

    // Next of the clips window (a DVD without menu) shows the builder ready for the run.
    app->CreateForm(QV_Video_DVD_Setup_Source_Clips_Form);
    TQV_Video_DVD_Setup_Source_Clips_Form& clips = *QV_Video_DVD_Setup_Source_Clips_Form;
    ASSERT_TRUE(clips.PrepareClipsForm(0, 1));
    clips.kivCheckBox1->SetChecked(false);
    clips.kivCheckBox1Click(nullptr);
    bool reached = false;
    headless->OnNextModal([&](TCustomForm&) {
        headless->OnNextModal([&](TCustomForm& shown) {
            reached = &shown == builder;
            EXPECT_EQ(builder->OutputType, 1);
            EXPECT_FALSE(builder->WithMenu());
            EXPECT_EQ(builder->kivEdit_VolumeName->Text(), "DVD_DISC");
            headless->ClickControl(*builder->kivImageButton1);
        });
        headless->ClickControl(*clips.kivImageButton_Burn);
        clips.kivImageButton_ExitClick(nullptr);
    });
    clips.ShowClipsWizard();
    EXPECT_TRUE(reached);
    QV_Video_DVD_Setup_Source_Clips_Form = nullptr;
}

} // namespace
