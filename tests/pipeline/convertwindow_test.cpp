// The convert window without real encodes: its set-up from the settings, the
// working-folder check over a described volume, Start's refusals, the close
// question, messages that reach an idle window, the cases only an encoder
// stand-in can make, the author-only run without its menu, the title still's
// picture rows, and the way the convert task reaches the window.
#include "convertfixture.h"

#include "app/startup.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "pipeline/titlestill.h"
#include "rtl/inifiles.h"
#include "shell/qv_videodvdsetupsourceclipsform.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivprogressbar.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

namespace {

using Lines = std::vector<std::string>;

TEST_F(ConvertTest, InitReadsTheSettingsAndTheStandardsExcludeEachOther)
{
    {
        TIniFile ini(Config());
        ini.WriteString("Config", "Working Folder", "/srv/video/");
        ini.WriteString("Config", "Convert Engine", "0");
        ini.WriteString("Config", "Output Setup", "0");
    }
    ASSERT_TRUE(form->InitConvertProcess(false, 2));
    EXPECT_EQ(form->kivEdit_WorkingFolder->Text(), "/srv/video/");
    EXPECT_EQ(form->kivComboBox_ConvertEngine->ItemIndex(), 0);
    EXPECT_FALSE(form->Label4->Checked());
    EXPECT_TRUE(form->Label5->Checked());
    EXPECT_EQ(form->OutputType, 2);
    EXPECT_FALSE(form->WithMenu());
    EXPECT_FALSE(form->AuthorOnly());
    EXPECT_TRUE(form->kivImageButton_Start->Visible());
    EXPECT_FALSE(form->kivImageButton_Stop->Visible());
    for (TLabel* label : {form->Label_UsedTime, form->Label_TotalTime, form->Label_CurrentFame})
        EXPECT_EQ(label->Caption(), "00:00:00");
    EXPECT_EQ(form->Label_FPS->Caption(), "0");

    headless->ClickControl(*form->Label4);
    EXPECT_TRUE(form->Label4->Checked());
    EXPECT_FALSE(form->Label5->Checked());
    headless->ClickControl(*form->Label5);
    EXPECT_TRUE(form->Label5->Checked());
    EXPECT_FALSE(form->Label4->Checked());

    // The menu designer's run: author-only, its language, no encoder choice;
    // the clips window's next run is a conversion again.
    ASSERT_TRUE(form->InitConvertProcess(true, 0));
    form->SetAuthorOnly(2);
    EXPECT_TRUE(form->AuthorOnly());
    EXPECT_EQ(form->AuthorRun.MenuLanguageIndex, 2);
    EXPECT_FALSE(form->Label16->Visible());
    EXPECT_FALSE(form->kivComboBox_ConvertEngine->Visible());
    ASSERT_TRUE(form->InitConvertProcess(false, 1));
    form->ShowClipPanels();
    EXPECT_FALSE(form->AuthorOnly());
    EXPECT_TRUE(form->Label16->Visible());
    EXPECT_TRUE(form->kivComboBox_ConvertEngine->Visible());
}

TEST_F(ConvertTest, WorkFolderCheckAsksAboutTheDiscAndTheSpace)
{
    Ready(false, 1);
    form->OutputType = 1;
    // 100 minutes of DVD: 3000 MB, needing 3300.
    form->Encode().TotalSeconds = 6000;

    form->SetWorkingFolderText("DVDTemp/");
    EXPECT_FALSE(form->CheckWorkFolder(true));
    form->SetWorkingFolderText("");
    EXPECT_FALSE(form->CheckWorkFolder(false));
    EXPECT_EQ(BoxTexts(), (Lines{"Please set the working folder.", "Please set the working folder."}));
    EXPECT_EQ(headless->MessageBoxes()[0].flags & 0xF0, MB_ICONINFORMATION);

    form->SetWorkingFolderText(work_);
    UseVolumes({{"data", "/dev/sda1", "rw", 3300}});
    EXPECT_TRUE(form->CheckWorkFolder(false));
    UseVolumes({{"data", "/dev/sda1", "rw", 3299}});
    EXPECT_FALSE(form->CheckWorkFolder(true));   // silent: no question
    EXPECT_EQ(headless->MessageBoxes().size(), 2u);
    const std::string shortText = "No enough free hard disk space to work.\nDo you want to continue";
    headless->AnswerNextMessageBox(IDNO);
    EXPECT_FALSE(form->CheckWorkFolder(false));
    headless->AnswerNextMessageBox(IDYES);
    EXPECT_TRUE(form->CheckWorkFolder(false));
    EXPECT_EQ(BoxTexts().back(), shortText);
    EXPECT_EQ(headless->MessageBoxes().back().flags & 0x0F, MB_YESNO);

    // 150 minutes: 4500 MB is more than a DVD holds; asked even by the silent check.
    form->Encode().TotalSeconds = 9000;
    UseVolumes({{"data", "/dev/sda1", "rw", 100000}});
    const std::string overText = "Exceeding the disc media limite size.\nDo you want to continue?";
    headless->AnswerNextMessageBox(IDNO);
    EXPECT_FALSE(form->CheckWorkFolder(true));
    headless->AnswerNextMessageBox(IDYES);
    EXPECT_TRUE(form->CheckWorkFolder(false));
    EXPECT_EQ(BoxTexts().back(), overText);
    // SVCD holds 600 MB at 22 MB a minute: 27 minutes fit, 28 do not.
    form->OutputType = 2;
    form->Encode().TotalSeconds = 27 * 60;
    const std::size_t boxes = headless->MessageBoxes().size();
    EXPECT_TRUE(form->CheckWorkFolder(false));
    form->Encode().TotalSeconds = 28 * 60;
    headless->AnswerNextMessageBox(IDNO);
    EXPECT_FALSE(form->CheckWorkFolder(false));
    EXPECT_EQ(headless->MessageBoxes().size(), boxes + 1);
    // A volume whose space cannot be read has none.
    form->OutputType = 3;
    form->Encode().TotalSeconds = 60;
    form->SetWorkingFolderText("/nowhere/known/");
    UseVolumes({});
    EXPECT_FALSE(form->CheckWorkFolder(true));

    EXPECT_EQ(RunEstimateMB(1, 6000), 3000);
    EXPECT_EQ(RunEstimateMB(3, 61), 13);
    EXPECT_EQ(RunEstimateMB(9, 60), 13);   // a type outside 0..3 is clamped
    EXPECT_EQ(RunDiscSizeMB(0), 4300);
    EXPECT_EQ(RunDiscSizeMB(2), 600);
}

TEST_F(ConvertTest, BrowseTakesTheChosenFolderWithItsSeparator)
{
    Ready(false, 1);
    ScriptedDialogs().AnswerFolder(Mount("data") + "/films");
    headless->ClickControl(*form->kivImageButton_Browse);
    EXPECT_EQ(form->kivEdit_WorkingFolder->Text(), Mount("data") + "/films/");
    ScriptedDialogs().CancelNext();
    headless->ClickControl(*form->kivImageButton_Browse);
    EXPECT_EQ(form->kivEdit_WorkingFolder->Text(), Mount("data") + "/films/");
    EXPECT_TRUE(headless->MessageBoxes().empty());   // room enough, nothing asked
}

TEST_F(ConvertTest, NoClipsLogsOnlyThatThereIsNothingToConvert)
{
    Ready(false, 1);
    FakeEncoder encoder;
    form->SetEncoderLibrary(encoder);
    Start();
    EXPECT_EQ(LogLines(), (Lines{"No file to convert."}));
    EXPECT_FALSE(form->RunActive());
    EXPECT_TRUE(form->kivImageButton_Start->Visible());
    EXPECT_FALSE(form->Timer->Enabled());
    EXPECT_TRUE(encoder.calls.empty());
    EXPECT_TRUE(headless->MessageBoxes().empty());
    // The settings of the run are kept, and the folder is there.
    EXPECT_EQ(TIniFile(Config()).ReadString("Config", "Working Folder", ""), work_);
    EXPECT_TRUE(DirectoryExists(work_));
}

TEST_F(ConvertTest, StartRefusesFoldersItCannotUse)
{
    AddClip(media_ + "a.avi", 2);
    Ready(false, 1);
    FakeEncoder encoder;
    form->SetEncoderLibrary(encoder);
    // A file stands where the working folder would be.
    std::ofstream(Mount("data") + "/blocked") << "x";
    form->SetWorkingFolderText(Mount("data") + "/blocked/work/");
    Start();
    EXPECT_EQ(BoxTexts(), (Lines{"Can not create working folder."}));
    EXPECT_EQ(headless->MessageBoxes().back().flags & 0xF0, MB_ICONERROR);
    // RES/ cannot be made beside the program.
    std::filesystem::remove_all(program_ + "RES");
    std::ofstream(program_ + "RES") << "x";
    form->SetWorkingFolderText(work_);
    Start();
    EXPECT_EQ(BoxTexts().back(), "Can not create RES folder.");
    EXPECT_FALSE(form->RunActive());
    EXPECT_TRUE(encoder.calls.empty());
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(ConvertTest, UsersFilesInTheWorkingFolderAreNeverWrittenOver)
{
    // A DVD conversion would write VOB_1.mpg (the video stream) over this clip.
    ForceDirectories(work_);
    const std::string clipInWork = work_ + "VOB_1.mpg";
    std::ofstream(clipInWork) << "the user's film";
    AddClip(clipInWork, 2);
    Ready(false, 1);
    FakeEncoder encoder;
    form->SetEncoderLibrary(encoder);
    Start();
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_NE(BoxTexts()[0].find(clipInWork), std::string::npos);
    EXPECT_FALSE(form->RunActive());
    EXPECT_TRUE(encoder.calls.empty());
    EXPECT_EQ(ReadBytes(clipInWork), "the user's film");

    // The menu designer's titles: one is Title.vob of the working folder.
    MyMovieImage.Clear();
    const std::string title = work_ + "Title.vob";
    std::ofstream(title) << "the user's title";
    AddClip(title, 2);
    Ready(true, 0);
    form->SetAuthorOnly(0);
    Start();
    ASSERT_EQ(headless->MessageBoxes().size(), 2u);
    EXPECT_NE(BoxTexts()[1].find(title), std::string::npos);
    EXPECT_FALSE(form->RunActive());
    EXPECT_EQ(ReadBytes(title), "the user's title");
}

TEST_F(ConvertTest, IdleWindowIgnoresLateMessagesAndClosesWithoutAQuestion)
{
    AddClip(media_ + "a.avi", 2);
    Ready(false, 1);
    FakeEncoder encoder;
    form->SetEncoderLibrary(encoder);
    HWND window = form->Handle();
    PostMessage(window, MSG_ENCODER_DONE, 0, kEncoderDoneVideoAndAudio);
    PostMessage(window, MSG_MUX_DONE, kMuxSucceeded, kMuxTitleStill);
    PostMessage(window, MSG_MUX_DONE, kMuxFailed, kMuxDvdArgc);
    PostMessage(window, MSG_AUTHOR_DONE, 0, 0);
    Wait(2000);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_TRUE(encoder.calls.empty());
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_FALSE(form->Timer->Enabled());

    bool closed = false;
    headless->OnNextModal([&](TCustomForm&) {
        headless->ClickControl(*form->kivImageButton1);
        closed = form->ModalResult() != mrNone;
    });
    form->ShowConvertProcess();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(headless->MessageBoxes().empty());
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(ConvertTest, ClipWithoutEncoderOutputsIsSkippedAndTheRunGoesOn)
{
    // The encoder says done but leaves no streams behind.
    AddClip(media_ + "first.avi", 2);
    AddClip(media_ + "second.avi", 3);
    Ready(false, 1);
    FakeEncoder encoder;
    form->SetEncoderLibrary(encoder);
    Start();
    EXPECT_TRUE(form->RunActive());
    EXPECT_FALSE(form->kivImageButton_Start->Visible());
    EXPECT_TRUE(form->kivImageButton_Stop->Visible());
    EXPECT_FALSE(form->kivComboBox_ConvertEngine->Enabled());
    EXPECT_FALSE(form->kivImageButton_Browse->Enabled());
    EXPECT_FALSE(form->Label4->Enabled());
    EXPECT_EQ(form->Label_TotalTime->Caption(), "00:00:05");
    ASSERT_TRUE(PumpUntil([&] { return !form->RunActive(); }, 30));
    EXPECT_EQ(LogLines(), (Lines{"Data preparation. >>>", "Convert first.avi >>> VOB_1.vob",
                                 "Mux current file wrong, skip it...", "Convert second.avi >>> VOB_2.vob",
                                 "Mux current file wrong, skip it...", "Process finished, but 2 of 2 clips failed."}));
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_EQ(form->kivProgressBar->Position(), 100);
    EXPECT_TRUE(form->kivImageButton_Start->Visible());
    EXPECT_TRUE(form->kivComboBox_ConvertEngine->Enabled());
    EXPECT_TRUE(form->kivImageButton_Browse->Enabled());
    EXPECT_TRUE(form->Label4->Enabled());
}

TEST_F(ConvertTest, RunStoppedAfterAskingAndNothingOfItArrivesLater)
{
    AddClip(media_ + "a.avi", 2);
    AddClip(media_ + "b.avi", 2);
    Ready(false, 1);
    FakeEncoder encoder;
    encoder.answer = 0;   // the clip is still encoding
    form->SetEncoderLibrary(encoder);
    Start();
    ASSERT_TRUE(form->Encode().EncoderRunning);
    headless->AnswerNextMessageBox(IDNO);
    headless->ClickControl(*form->kivImageButton_Stop);
    EXPECT_TRUE(form->RunActive());
    EXPECT_EQ(BoxTexts(), (Lines{"Sure to stop?"}));
    headless->AnswerNextMessageBox(IDYES);
    headless->ClickControl(*form->kivImageButton_Stop);
    EXPECT_FALSE(form->RunActive());
    EXPECT_EQ(encoder.calls.back(), "stop");
    EXPECT_EQ(LogLines().back(), "Process is terminated.");
    const Lines log = LogLines();
    const std::size_t calls = encoder.calls.size();
    PostMessage(form->Handle(), MSG_ENCODER_DONE, 0, kEncoderDoneVideoAndAudio);
    PostMessage(form->Handle(), MSG_MUX_DONE, kMuxSucceeded, kMuxDvdArgc);
    Wait(6000);
    EXPECT_EQ(LogLines(), log);
    EXPECT_EQ(encoder.calls.size(), calls);
    EXPECT_FALSE(form->Timer->Enabled());
}

TEST_F(ConvertTest, CloseDuringAnEncodeAsksAndStopsIt)
{
    AddClip(media_ + "a.avi", 2);
    Ready(false, 1);
    FakeEncoder encoder;
    encoder.answer = 0;
    form->SetEncoderLibrary(encoder);
    form->Show();
    Start();
    headless->AnswerNextMessageBox(IDNO);
    headless->ClickControl(*form->kivImageButton1);
    // The window manager's close asks the same.
    headless->AnswerNextMessageBox(IDNO);
    form->InputCloseRequest();
    EXPECT_TRUE(headless->WindowVisible(*form));
    EXPECT_TRUE(form->RunActive());
    EXPECT_TRUE(LogLines().size() >= 2);
    headless->AnswerNextMessageBox(IDYES);
    headless->ClickControl(*form->kivImageButton1);
    EXPECT_FALSE(headless->WindowVisible(*form));
    EXPECT_EQ(BoxTexts(), (Lines{"Sure to close?", "Sure to close?", "Sure to close?"}));
    EXPECT_EQ(headless->MessageBoxes()[0].flags & 0xF0, MB_ICONWARNING);
    EXPECT_FALSE(form->RunActive());
    EXPECT_EQ(encoder.calls.back(), "stop");
    EXPECT_EQ(LogLines().back(), "Process is terminated.");
    EXPECT_FALSE(form->Timer->Enabled());
}

TEST_F(ConvertTest, ZeroLengthTrimEndsTheRunAsAFailedEncode)
{
    TQV_MovieImage* clip = AddClip(media_ + "a.avi", 6);
    clip->StartPoint = clip->EndPoint = 3;
    Ready(false, 1);
    FakeEncoder encoder;
    form->SetEncoderLibrary(encoder);
    Start();
    EXPECT_FALSE(form->RunActive());
    EXPECT_TRUE(encoder.calls.empty());
    EXPECT_EQ(LogLines(), (Lines{"Data preparation. >>>", "Can not convert a.avi: its begin is not before its end.",
                                 "Process is terminated."}));
}

TEST_F(ConvertTest, EncoderFailureEndsTheRunBeforeTheNextClip)
{
    AddClip(media_ + "a.avi", 2);
    AddClip(media_ + "b.avi", 2);
    Ready(false, 1);
    FakeEncoder encoder;
    encoder.answer = kEncoderFailed;
    encoder.writeOutputs = true;   // what it left is not multiplexed
    form->SetEncoderLibrary(encoder);
    Start();
    ASSERT_TRUE(PumpUntil([&] { return !form->RunActive(); }, 30));
    EXPECT_EQ(LogLines(), (Lines{"Data preparation. >>>", "Convert a.avi >>> VOB_1.vob", "Process is terminated."}));
    EXPECT_EQ(std::count(encoder.calls.begin(), encoder.calls.end(), "run"), 1);
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_FALSE(FileExists(work_ + "VOB_1.vob"));
    EXPECT_FALSE(form->Timer->Enabled());
    EXPECT_TRUE(form->kivImageButton_Start->Visible());
}

TEST_F(ConvertTest, MissingMenuXmlShowsItsBoxAndTheRunStandsStill)
{
    // The menu designer's run over two finished VOB files, without the menu's XML.
    AddClip(media_ + "one.vob", 4);
    AddClip(media_ + "two.vob", 4);
    TBitmap background(720, 576);
    background.Canvas()->Brush()->SetColor(0x804020);
    background.Canvas()->FillRect(Rect(0, 0, 720, 576));
    background.SaveToFile(TitleBackgroundPath(true));
    Ready(true, 0);
    form->SetAuthorOnly(0);
    FakeEncoder encoder;
    form->SetEncoderLibrary(encoder);
    Start();
    ASSERT_TRUE(PumpUntil([&] { return !headless->MessageBoxes().empty(); }, 60));
    EXPECT_EQ(BoxTexts(), (Lines{"Can not find menu information, skip menu creator."}));
    EXPECT_EQ(headless->MessageBoxes()[0].flags & 0xF0, MB_ICONINFORMATION);
    EXPECT_FALSE(form->WithMenu());
    EXPECT_FALSE(form->Encode().EncodeStage);
    EXPECT_FALSE(form->Timer->Enabled());
    // The run stands: Stop is shown, and ten seconds later nothing was encoded or authored.
    Wait(10000);
    EXPECT_TRUE(form->RunActive());
    EXPECT_TRUE(form->kivImageButton_Stop->Visible());
    EXPECT_TRUE(encoder.calls.empty());
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_TRUE(LogLines().empty());
    headless->AnswerNextMessageBox(IDYES);
    headless->ClickControl(*form->kivImageButton_Stop);
    EXPECT_EQ(LogLines(), (Lines{"Process is terminated."}));
    EXPECT_TRUE(FileExists(TitleBackgroundPath(true)));   // RES/ is kept after a terminated run
}

TEST(TitleStill, RowsAreTopDownBgrWithRoomToSpareAndOtherSizesAreStretched)
{
    // A quarter-size picture: red on the left, blue on the right, a green bottom row.
    TBitmap small(360, 288);
    small.Canvas()->Brush()->SetColor(clRed);
    small.Canvas()->FillRect(Rect(0, 0, 180, 288));
    small.Canvas()->Brush()->SetColor(clBlue);
    small.Canvas()->FillRect(Rect(180, 0, 360, 288));
    small.Canvas()->Brush()->SetColor(clLime);
    small.Canvas()->FillRect(Rect(0, 287, 360, 288));
    const std::vector<std::uint8_t> rows = TitleStillRows(small, 720, 576);
    ASSERT_EQ(rows.size(), 720u * 576 * 3 + 100);
    auto pixel = [&](int x, int y) {
        const std::size_t at = (static_cast<std::size_t>(y) * 720 + static_cast<std::size_t>(x)) * 3;
        return std::vector<int>{rows[at], rows[at + 1], rows[at + 2]};
    };
    EXPECT_EQ(pixel(0, 0), (std::vector<int>{0, 0, 255}));      // red, as blue-green-red
    EXPECT_EQ(pixel(359, 300), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(pixel(360, 300), (std::vector<int>{255, 0, 0}));  // blue from the stretched middle on
    EXPECT_EQ(pixel(719, 0), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(pixel(100, 575), (std::vector<int>{0, 255, 0}));  // the bottom row comes last
    EXPECT_EQ(pixel(100, 573), (std::vector<int>{0, 0, 255}));
    // A picture larger than the frame never makes the rows longer.
    EXPECT_EQ(TitleStillRows(TBitmap(1024, 768), 720, 480).size(), 720u * 480 * 3 + 100);
}

TEST_F(ConvertTest, TheConvertTaskReachesTheWindowThroughTheClipsWindow)
{
    // The start-up makes the window under the name the chains find it by.
    const auto& windows = StartupWindows();
    auto entry = std::find_if(windows.begin(), windows.end(),
                              [](const StartupWindow& w) { return w.name == kConvertProcessWindowName; });
    ASSERT_NE(entry, windows.end());
    ASSERT_TRUE(entry->create);
    EXPECT_EQ(FindTaskWindow<ConvertProcessSteps>(kConvertProcessWindowName), form);

    // The clips window's Burn (DVD) opens this window ready for the clips' run.
    app->CreateForm(QV_Video_DVD_Setup_Source_Clips_Form);
    TQV_Video_DVD_Setup_Source_Clips_Form& clips = *QV_Video_DVD_Setup_Source_Clips_Form;
    ASSERT_TRUE(clips.PrepareClipsForm(0, 1));
    bool reached = false;
    headless->OnNextModal([&](TCustomForm&) {
        headless->OnNextModal([&](TCustomForm& shown) {
            reached = &shown == form;
            EXPECT_EQ(form->OutputType, 1);
            EXPECT_FALSE(form->WithMenu());
            EXPECT_TRUE(form->kivComboBox_ConvertEngine->Visible());
            EXPECT_EQ(form->kivEdit_WorkingFolder->Text(), GetWorkingFolder());
            headless->ClickControl(*form->kivImageButton1);
        });
        headless->ClickControl(*clips.kivImageButton_Burn);
        clips.kivImageButton_ExitClick(nullptr);
    });
    clips.ShowClipsForConversion();
    EXPECT_TRUE(reached);
    QV_Video_DVD_Setup_Source_Clips_Form = nullptr;
}

} // namespace
