// The burning-process window, headless, with a fake DVD-writing engine and a
// fake CD burner: the set-up's volume name, Start's refusals, the used and
// remaining time, the end of a run, and a CD write from Start to its end.
#include "../base/startupfixture.h"
#include "fakecdburner.h"

#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "pipeline/qv_videodvddiscburningprocessform.h"
#include "pipeline/qv_videodvdsetupdiscburnerform.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivmemo.h"
#include "skin/kivprogressbar.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

#include <chrono>
#include <thread>

namespace {

// The DVD engine: one writer, a writable DVD-R in it; what it was asked.
std::vector<std::string> g_engineCalls;
int g_writers = 1;
int g_mediaType = 17;
bool LoadFakeEngine(WritingEngine& engine)
{
    engine.Hwe_Init = [](int, int, int* handle) -> int { return *handle = 5, HWE_OK; };
    engine.Hwe_Free = [](int) { return 0; };
    engine.Hwe_GetDvdWritersCount = [](int) { return g_writers; };
    engine.Hwe_GetDvdWriterName = [](int, int, char* buffer, int size) {
        std::snprintf(buffer, static_cast<std::size_t>(size), "DVD writer");
        return 1;
    };
    engine.Hwe_SetWriter = [](int, int) { return 1; };
    engine.Hwe_GetMediaStatus = [](int) { return 0; };
    engine.Hwe_GetMediaType = [](int) { return g_mediaType; };
    engine.Hwe_StartWriting = [](int, const char* folder, const char* label) {
        g_engineCalls.push_back(std::string("write ") + folder + " " + label);
        return 0;
    };
    engine.Hwe_RegisterCallback = [](int, THweEventCallback, void*) { return 0; };
    engine.Hwe_AbortWrite = [](int) { return g_engineCalls.push_back("abort"), 0; };
    engine.Hwe_CloseTray = [](int) { return g_engineCalls.push_back("close tray"), 0; };
    engine.Hwe_OpenTray = [](int) { return 0; };
    engine.Hwe_GetWriteSpeeds = [](int, int* speeds, int) { return speeds[0] = 5540, 1; };
    engine.Hwe_SetWriteSpeed = [](int, int) { return 0; };
    return true;
}

class BurningWindowTest : public StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        g_engineCalls.clear();
        g_writers = 1;
        g_mediaType = 17;
        work = JoinPath(root_, "work");
        ForceDirectories(work);
        s_WorkFolderPath = IncludeTrailingPathDelimiter(work);
        ForceDirectories(program_ + "RES");
        app->CreateForm(QV_Video_DVD_Disc_Burning_Process_Form);
        form = QV_Video_DVD_Disc_Burning_Process_Form;
        auto cd = std::make_unique<FakeBurner>();
        burner = cd.get();
        form->SetBurners(LoadFakeEngine, std::move(cd));
    }
    void TearDown() override
    {
        QV_Video_DVD_Disc_Burning_Process_Form = nullptr;
        s_WorkFolderPath.clear();
        StartupTest::TearDown();
    }
    std::vector<std::string> Log() const
    {
        std::vector<std::string> lines;
        for (int i = 0; i < form->Memo1->Lines()->Count(); ++i) lines.push_back(form->Memo1->Lines()->Get(i));
        return lines;
    }
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> texts;
        for (const HeadlessMessageBox& box : headless->MessageBoxes()) texts.push_back(box.text);
        return texts;
    }
    void Send(UINT message, WPARAM wparam)
    {
        TMessage m{};
        m.Msg = message;
        m.WParam = wparam;
        form->WndProc(m);
    }
    // A DVD folder of the listed kind: disc/VIDEO_TS with its IFO, a VOB and the BUP.
    std::shared_ptr<BurnFiles> DvdFiles()
    {
        const std::string ts = JoinPath(root_, "disc/VIDEO_TS");
        ForceDirectories(ts);
        auto files = std::make_shared<BurnFiles>();
        for (const char* name : {"VIDEO_TS.IFO", "VTS_01_1.VOB", "VIDEO_TS.BUP"}) Write(JoinPath(ts, name), "x");
        files->IfoFiles = {JoinPath(ts, "VIDEO_TS.IFO")};
        files->VobFiles = {JoinPath(ts, "VTS_01_1.VOB")};
        files->BupFiles = {JoinPath(ts, "VIDEO_TS.BUP")};
        return files;
    }

    TQV_Video_DVD_Disc_Burning_Process_Form* form = nullptr;
    FakeBurner* burner = nullptr;
    std::string work;
};

TEST_F(BurningWindowTest, TheSetUpNamesTheVolumeAfterWhatTheWorkingFolderHolds)
{
    ForceDirectories(JoinPath(work, "SVCD_DISC"));
    ForceDirectories(JoinPath(work, "SVCD_DISC_1"));
    ASSERT_TRUE(form->InitBurningProcess(2, std::make_shared<BurnFiles>()));
    EXPECT_EQ(form->kivEdit_VolumeName->Text(), "SVCD_DISC_2");
    EXPECT_EQ(form->Label_UsedTime->Caption(), "00:00:00");
    EXPECT_EQ(form->kivComboBox_Drive->Items()->Count(), 1);
    EXPECT_EQ(form->kivComboBox_WriteSpeed->Items()->Get(form->kivComboBox_WriteSpeed->ItemIndex()), "Max.");
    // The burning-process window sets the speed only when it burns.
    EXPECT_EQ(std::count_if(burner->calls.begin(), burner->calls.end(),
                            [](const std::string& c) { return c.rfind("speed", 0) == 0; }),
              0);
    ASSERT_TRUE(form->InitBurningProcess(1, std::make_shared<BurnFiles>()));
    EXPECT_EQ(form->kivEdit_VolumeName->Text(), "DVD_DISC");
    EXPECT_EQ(form->kivComboBox_Drive->Items()->Get(0), "DVD writer");
}

TEST_F(BurningWindowTest, StartWithoutADriveWarnsAndStartsNoTimer)
{
    g_writers = 0;
    EXPECT_FALSE(form->InitBurningProcess(1, DvdFiles()));
    form->kivImageButton_StartClick(nullptr);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"Can not find burning device, process is terminated."}));
    EXPECT_FALSE(form->Timer->Enabled());
    EXPECT_FALSE(form->Running());
}

TEST_F(BurningWindowTest, OnlyOneListedDvdFolderIsBurnt)
{
    std::shared_ptr<BurnFiles> files = DvdFiles();
    ASSERT_TRUE(form->InitBurningProcess(1, files));
    // A VOB of another folder is listed: it would not be on the disc.
    const std::string stray = JoinPath(root_, "other.VOB");
    Write(stray, "x");
    files->VobFiles.push_back(stray);
    form->kivImageButton_StartClick(nullptr);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"No DVD directory in working folder!\nPlease try again!"}));
    EXPECT_FALSE(form->Timer->Enabled());
    EXPECT_TRUE(g_engineCalls.empty());
    files->VobFiles.pop_back();
    form->kivImageButton_StartClick(nullptr);
    EXPECT_TRUE(form->Running());
    EXPECT_TRUE(form->Timer->Enabled());
    ASSERT_EQ(g_engineCalls.size(), 1u);
    EXPECT_EQ(g_engineCalls[0], "write " + JoinPath(root_, "disc/") + " DVD_DISC");
    EXPECT_FALSE(form->kivComboBox_Drive->Enabled());
    EXPECT_FALSE(form->kivEdit_VolumeName->Enabled());
    // Stop says no; closing asks first and No leaves the write alone.
    form->kivImageButton_StopClick(nullptr);
    headless->AnswerNextMessageBox(mrNo);
    form->kivImageButton1Click(nullptr);
    EXPECT_EQ(Boxes().end()[-2], "Can not stop burning process!");
    EXPECT_EQ(Boxes().back(), "Sure to close?\nDisc may be damaged!");
    EXPECT_TRUE(form->Running());
    EXPECT_EQ(g_engineCalls.size(), 1u);
}

TEST_F(BurningWindowTest, TheClockShowsTheUsedAndTheRemainingTime)
{
    ASSERT_TRUE(form->InitBurningProcess(1, DvdFiles()));
    form->kivImageButton_StartClick(nullptr);
    for (int i = 0; i < 60; ++i) form->TimerTimer(nullptr);
    EXPECT_EQ(form->Label_UsedTime->Caption(), "00:00:59");
    Send(MSG_WRITER_PROGRESS, 32767);
    EXPECT_EQ(form->kivProgressBar->Position(), 49);
    EXPECT_EQ(form->Label_RemainTime->Caption(), "00:01:02");
    for (int i = 0; i < 3600; ++i) form->TimerTimer(nullptr);
    EXPECT_EQ(form->Label_UsedTime->Caption(), "01:00:59");
    Send(MSG_WRITER_PROGRESS, 39321);   // 60 % after an hour: a larger estimate
    EXPECT_EQ(form->kivProgressBar->Position(), 60);
    EXPECT_EQ(form->Label_RemainTime->Caption(), "00:01:02");
}

// The window's own values: 20 one-second ticks of wait for a disc after Yes,
// and Cancel at the insert prompt ends the run as terminated (the disc builder
// calls its run finished there).
TEST_F(BurningWindowTest, TheInsertPromptWaitsTwentyTicksAndCancelTerminates)
{
    ASSERT_TRUE(form->InitBurningProcess(1, DvdFiles()));
    g_mediaType = 9;   // a CD-R in the DVD writer
    headless->AnswerNextMessageBox(mrYes);      // go on without a matching disc
    headless->AnswerNextMessageBox(mrYes);      // inserted one
    headless->AnswerNextMessageBox(mrCancel);   // asked again: give up
    form->kivImageButton_StartClick(nullptr);
    ASSERT_EQ(Boxes().size(), 2u);
    for (int i = 0; i < 19; ++i) form->TimerTimer(nullptr);
    EXPECT_EQ(Boxes().size(), 2u);
    form->TimerTimer(nullptr);
    ASSERT_EQ(Boxes().size(), 3u);
    const std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "No matched disk infomation to burn.");
    EXPECT_EQ(log.back(), "Process is terminated.");
    EXPECT_FALSE(form->Running());
    EXPECT_TRUE(g_engineCalls.end() == std::find_if(g_engineCalls.begin(), g_engineCalls.end(),
                                                    [](const std::string& c) { return c.starts_with("write"); }));
}

// After "Process finished." the writer's messages add nothing to the log: the
// ejected disc is no news of the ended run.
TEST_F(BurningWindowTest, NothingIsLoggedAfterTheRunEnded)
{
    ASSERT_TRUE(form->InitBurningProcess(1, DvdFiles()));
    form->kivImageButton_StartClick(nullptr);
    ASSERT_TRUE(form->Running());
    Send(MSG_WRITER_STATUS, HWE_WRITE_STARTED);
    Send(MSG_WRITER_STATUS, HWE_WRITE_COMPLETE);
    ASSERT_EQ(Log().back(), "Process finished.");
    g_mediaType = 0;
    Send(MSG_WRITER_MEDIA, 0);
    EXPECT_EQ(Log().back(), "Process finished.");
    // The next run's are its own again.
    g_mediaType = 17;
    form->kivImageButton_StartClick(nullptr);
    Send(MSG_WRITER_MEDIA, 0);
    EXPECT_EQ(Log().end()[-2], "Inserted media : DVD-R");
    EXPECT_EQ(Log().back(), "Empty (re)writable media inserted");
}

TEST_F(BurningWindowTest, TheResFolderIsEmptiedOnlyWhenTheRunFinished)
{
    ASSERT_TRUE(form->InitBurningProcess(1, DvdFiles()));
    Write(program_ + "RES/Author.xml", "x");
    form->FinishRun(false);
    EXPECT_TRUE(FileExists(program_ + "RES/Author.xml"));
    EXPECT_EQ(Log().back(), "Process is terminated.");
    form->FinishRun(true);
    EXPECT_FALSE(FileExists(program_ + "RES/Author.xml"));
    EXPECT_EQ(Log().back(), "Process finished.");
    EXPECT_FALSE(form->Timer->Enabled());
    EXPECT_TRUE(form->kivImageButton_Start->Visible());
}

TEST_F(BurningWindowTest, ACdImageIsWrittenAndTheWindowWaitsForTheWritersEnd)
{
    ASSERT_TRUE(form->InitBurningProcess(3, std::make_shared<BurnFiles>()));
    const std::string cue = JoinPath(work, "VCD_DISC.cue"), bin = JoinPath(work, "VCD_DISC.bin");
    Write(cue, "FILE \"VCD_DISC.bin\" BINARY\n");
    Write(bin, std::string(2352, 'x'));
    form->Timer->SetEnabled(true);
    form->ImageReady(cue, bin);   // as the image stage hands it over
    EXPECT_EQ(form->kivProgressBar->Max(), 716800);
    for (int i = 0; i < 29; ++i) form->TimerTimer(nullptr);   // nothing written yet: no estimate
    EXPECT_EQ(form->Label_RemainTime->Caption(), "00:00:00");
    burner->written = 716800 * 1024LL / 2;
    form->TimerTimer(nullptr);
    EXPECT_EQ(form->kivProgressBar->Position(), 358400);
    EXPECT_EQ(form->Label_RemainTime->Caption(), "00:00:30");   // half of it in 30 s
    // Closing during the write asks, aborts and waits for the writer.
    headless->AnswerNextMessageBox(mrYes);
    form->kivImageButton_Start->SetVisible(false);
    form->kivImageButton_Stop->SetVisible(true);
    form->kivImageButton1Click(nullptr);
    EXPECT_FALSE(burner->Burning());
    EXPECT_NE(std::find(burner->calls.begin(), burner->calls.end(), "abort"), burner->calls.end());
    const std::vector<std::string> log = Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "OPERATION ABORTED BY USER"), log.end());
    EXPECT_EQ(log.back(), "Process is terminated.");
    EXPECT_TRUE(FileExists(bin));   // kept for another try
}

TEST_F(BurningWindowTest, TheSetupWindowsBurnOpensItWithTheSameLists)
{
    app->CreateForm(QV_Video_DVD_Setup_Disc_Burner_Form);
    TQV_Video_DVD_Setup_Disc_Burner_Form& setup = *QV_Video_DVD_Setup_Disc_Burner_Form;
    setup.InitBurnFileList(1);
    setup.Model.Files = DvdFiles();
    setup.RefreshGrid();
    bool shown = false;
    headless->OnNextModal([&](TCustomForm& modal) {
        shown = &modal == form;
        EXPECT_EQ(form->Files, setup.Model.Files);   // shared, not copied
        EXPECT_EQ(form->DiscType, 1);
        EXPECT_EQ(form->kivComboBox_Drive->Items()->Get(0), "DVD writer");
        headless->ClickControl(*form->kivImageButton1);
    });
    setup.kivImageButton3Click(nullptr);
    EXPECT_TRUE(shown);
    // A set-up that fails says so and shows nothing.
    g_writers = 0;
    setup.kivImageButton3Click(nullptr);
    EXPECT_EQ(Boxes().back(), "Can not initialize burning system!");
    QV_Video_DVD_Setup_Disc_Burner_Form = nullptr;
}

} // namespace
