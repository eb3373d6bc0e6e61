// The burn stage without a window: a view that records what it is shown, an
// engine whose entries answer what each test sets, and message boxes answered
// from the headless backend's script.
#include "pipeline/burnstage.h"

#include "base/burnpubfunction.h"
#include "rtl/paths.h"
#include "vcl/application.h"
#include "vcl/backend.h"
#include "vcl/headless.h"
#include "win32/progfolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines operator+(Lines a, const Lines& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// What the fake engine answers, and what it was asked.
struct FakeEngine {
    int initResult = HWE_OK;
    Lines writers{"Writer A", "Writer B"};
    int setWriterAnswer = 1;
    std::vector<int> speeds{2770, 5540, 0};
    int speedsAnswer = 1;
    int mediaType = 17;
    int mediaStatus = 0;
    Lines calls;
    std::string folder, label;
    int speedSet = -1;
    std::string lastError;
};
FakeEngine g;

int Init(int, int, int* handle)
{
    if (g.initResult == HWE_OK) *handle = 5;
    return g.initResult;
}
int Free(int) { return g.calls.push_back("free"), 0; }
int WritersCount(int) { return static_cast<int>(g.writers.size()); }
int WriterName(int, int index, char* buffer, int size)
{
    std::snprintf(buffer, static_cast<std::size_t>(size), "%s", g.writers.at(static_cast<std::size_t>(index)).c_str());
    return 1;
}
int SetWriter(int, int index) { return g.calls.push_back("writer " + std::to_string(index)), g.setWriterAnswer; }
int MediaStatus(int) { return g.mediaStatus; }
int MediaType(int) { return g.mediaType; }
int StartWriting(int, const char* folder, const char* label)
{
    g.calls.push_back("start");
    g.folder = folder;
    g.label = label;
    return 0;
}
int RegisterCallback(int, THweEventCallback, void*) { return g.calls.push_back("callback"), 0; }
int AbortWrite(int) { return g.calls.push_back("abort"), 0; }
int CloseTray(int) { return g.calls.push_back("close tray"), 0; }
int OpenTray(int) { return g.calls.push_back("open tray"), 0; }
int WriteSpeeds(int, int* speeds, int count)
{
    for (int i = 0; i < count - 1 && i < static_cast<int>(g.speeds.size()); ++i) speeds[i] = g.speeds[i];
    return g.speedsAnswer;
}
int SetWriteSpeed(int, int speed) { return g.speedSet = speed, 0; }
int LastErrorText(int, char* buffer, int size)
{
    std::snprintf(buffer, static_cast<std::size_t>(size), "%s", g.lastError.c_str());
    return static_cast<int>(g.lastError.size());
}

bool LoadFake(WritingEngine& engine)
{
    engine.Hwe_Init = Init;
    engine.Hwe_Free = Free;
    engine.Hwe_GetDvdWritersCount = WritersCount;
    engine.Hwe_GetDvdWriterName = WriterName;
    engine.Hwe_SetWriter = SetWriter;
    engine.Hwe_GetMediaStatus = MediaStatus;
    engine.Hwe_GetMediaType = MediaType;
    engine.Hwe_StartWriting = StartWriting;
    engine.Hwe_RegisterCallback = RegisterCallback;
    engine.Hwe_AbortWrite = AbortWrite;
    engine.Hwe_CloseTray = CloseTray;
    engine.Hwe_OpenTray = OpenTray;
    engine.Hwe_GetWriteSpeeds = WriteSpeeds;
    engine.Hwe_SetWriteSpeed = SetWriteSpeed;
    engine.Hwe_GetLastErrorText = LastErrorText;
    return true;
}

class RecordingView final : public BurnView {
public:
    HWND WindowHandle() override { return nullptr; }
    void Log(const std::string& line) override { log.push_back(line); }
    void ClearDrives() override { drives.clear(); }
    void AddDrive(const std::string& name) override { drives.push_back(name); }
    void SelectDrive(int index) override { drive = index; }
    void ClearSpeeds() override { speeds.clear(), speed = -1; }
    void AddSpeed(const std::string& label) override { speeds.push_back(label); }
    void SelectSpeed(int index) override { speed = index; }
    int SelectedSpeed() override { return speed; }
    void EnableSpeeds(bool enabled) override { speedsEnabled = enabled; }
    void SetWriteBar(int percent) override { writeBar = percent; }
    void SetConvertingBar(int percent) override { convertingBar = percent; }
    void ShowWriting() override { writingShown = true; }
    void Repaint() override {}
    bool TimerOn() override { return timerOn; }
    void CountTick() override { ++ticks; }
    void FinishRun(bool finished) override { ends.push_back(finished ? "finished" : "terminated"); }
    void ConvertingOver() override { convertingOver = true; }
    void ImageReady(const std::string& cue, const std::string&) override { image = cue; }

    Lines log, drives, speeds, ends;
    int drive = -1, speed = -1, writeBar = 0, convertingBar = 0, ticks = 0;
    bool speedsEnabled = true, writingShown = false, timerOn = true, convertingOver = false;
    std::string image;
};

class BurnStageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g = FakeEngine{};
        root_ = MakeTempFolder("keldara-burnstage");
        SetProgramFolder(root_ + "/program/");
        ForceDirectories(root_ + "/program/RES");
        app_ = std::make_unique<TApplication>();
        app_->SetBackend(std::make_unique<THeadlessBackend>());
        headless_ = HeadlessBackend();
        stage_ = std::make_unique<BurnStage>(view_, LoadFake);
    }
    void TearDown() override
    {
        stage_.reset();
        app_.reset();
        SetProgramFolder("");
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    Lines Boxes() const
    {
        Lines texts;
        for (const HeadlessMessageBox& box : headless_->MessageBoxes()) texts.push_back(box.text);
        return texts;
    }
    // An authored disc folder: VIDEO_TS/VIDEO_TS.IFO in root/name.
    std::string DiscFolder(const std::string& name = "DVD_DISC")
    {
        const std::string folder = root_ + "/" + name;
        ForceDirectories(folder + "/VIDEO_TS");
        std::ofstream(folder + "/VIDEO_TS/VIDEO_TS.IFO") << "ifo";
        return folder;
    }
    void Message(UINT message, WPARAM value = 0) { stage_->WriterMessage(message, value); }

    std::string root_;
    std::unique_ptr<TApplication> app_;
    THeadlessBackend* headless_ = nullptr;
    RecordingView view_;
    std::unique_ptr<BurnStage> stage_;
};

TEST_F(BurnStageTest, SetUpListsTheWritersAndTheFirstOnesSpeeds)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    EXPECT_EQ(view_.drives, (Lines{"Writer A", "Writer B"}));
    EXPECT_EQ(view_.drive, 0);
    // 2770 and 5540 kB/s, and the 0 that ends the list.
    EXPECT_EQ(view_.speeds, (Lines{"DVD-2 X", "DVD-4 X"}));
    EXPECT_EQ(view_.speed, 0);
    EXPECT_TRUE(view_.speedsEnabled);
    EXPECT_TRUE(stage_->Engine().EngineReady);
    EXPECT_EQ(g.calls, (Lines{"callback", "writer 0", "writer 0"}));
    EXPECT_TRUE(view_.log.empty());

    // Another writer without speeds, or one the engine cannot select: "No Support!".
    g.speedsAnswer = 0;
    stage_->OnDriveChange(1);
    EXPECT_EQ(view_.speeds, (Lines{"No Support!"}));
    EXPECT_FALSE(view_.speedsEnabled);
    g.speedsAnswer = 1;
    g.speeds = {0};
    stage_->OnDriveChange(1);
    EXPECT_EQ(view_.speeds, (Lines{"No Support!"}));
    g.speeds = {11080, 0};
    g.setWriterAnswer = 0;
    stage_->OnDriveChange(1);
    EXPECT_EQ(view_.speeds, (Lines{"No Support!"}));
    g.setWriterAnswer = 1;
    stage_->OnDriveChange(1);
    EXPECT_EQ(view_.speeds, (Lines{"DVD-8 X"}));
    EXPECT_TRUE(view_.speedsEnabled);
    stage_->OnDriveChange(-1);   // nothing chosen: nothing asked
    EXPECT_EQ(g.calls.back(), "writer 1");

    // A second set-up gives the first handle back before it takes another.
    g.calls.clear();
    ASSERT_TRUE(stage_->InitBurner(0));
    EXPECT_EQ(g.calls.front(), "free");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BurnStageTest, SetUpWithoutWritersOrWithABrokenEngine)
{
    g.initResult = HWE_NO_WRITER;
    EXPECT_TRUE(stage_->InitBurner(1));   // the run may go on
    EXPECT_EQ(view_.log, (Lines{"No DVD writer."}));
    EXPECT_EQ(view_.speeds, (Lines{"No Support!"}));
    EXPECT_EQ(view_.speed, 0);
    EXPECT_FALSE(view_.speedsEnabled);
    EXPECT_FALSE(stage_->Engine().EngineReady);
    // The burn stage then finds no writer: the authored folder stays, the log
    // says where, and the run has done what it could (as an SVCD run without a
    // CD writer does with its image).
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    EXPECT_EQ(view_.log.back(), "No DVD writer: the DVD folder stays in " + root_ + "/DVD_DISC/VIDEO_TS.");
    EXPECT_EQ(view_.ends, (Lines{"finished"}));
    EXPECT_TRUE(FileExists(root_ + "/DVD_DISC/VIDEO_TS/VIDEO_TS.IFO"));

    g.initResult = HWE_CANNOT_START;
    EXPECT_FALSE(stage_->InitBurner(1));
    g.initResult = HWE_OK;
    g.writers.clear();
    EXPECT_FALSE(stage_->InitBurner(0));
    EXPECT_FALSE(stage_->InitBurner(4));
    EXPECT_TRUE(stage_->InitBurner(2));   // a CD image needs no DVD writer
    EXPECT_EQ(Boxes(), (Lines{"Disc burner initialize wrong. \nPlease reinstall software to fix it!",
                              "Burning mode error!"}));
}

TEST_F(BurnStageTest, MediaMessagesLogTheTypeAndStatusAndRefreshTheSpeeds)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    const std::vector<std::pair<int, std::string>> types = {
        {8, "Inserted media : CD-ROM"},
        {9, "Inserted media : CD-R"},
        {10, "Inserted media : CD-RW"},
        {16, "Inserted media : DVD-ROM"},
        {17, "Inserted media : DVD-R"},
        {18, "Inserted media : Dual Layer DVD-RAM"},
        {19, "Inserted media : DVD-RW Restricted Overwrite"},
        {20, "Inserted media : DVD-RW Sequential"},
        {21, "Inserted media : Dual Layer DVD-R"},
        {22, "Inserted media : Dual Layer DVD-R Jump Recording"},
        {26, "Inserted media : DVD+RW"},
        {27, "Inserted media : DVD+R"},
        {32, "Inserted media : Double Density CD-ROM"},
        {33, "Inserted media : Double Density CD-R"},
        {34, "Inserted media : Double Density CD-RW"},
        {42, "Inserted media : Dual Layer DVD+RW"},
        {43, "Inserted media : Dual Layer DVD+R"},
        {128, "Inserted media : HD Burn CD-ROM"},
        {129, "Inserted media : HD Burn CD-R"},
        {130, "Inserted media : HD Burn CD-RW"},
        {0, "Unknown type media inserted"},
        {44, "Unknown type media inserted"},
    };
    g.mediaStatus = 99;   // logs nothing
    for (const auto& [code, text] : types) {
        view_.log.clear();
        g.mediaType = code;
        Message(MSG_WRITER_MEDIA);
        EXPECT_EQ(view_.log, (Lines{text})) << code;
        const bool writable = code == 17 || code == 18 || code == 19 || code == 20 || code == 21 || code == 22 ||
                              code == 26 || code == 27 || code == 42 || code == 43;
        EXPECT_EQ(WritableDvdType(code), writable) << code;
    }
    const std::vector<std::pair<int, Lines>> statuses = {
        {-1, {"No writers selected.", "Please select a writer to continue"}},
        {0, {"Empty (re)writable media inserted"}},
        {1, {"(re)writable media already containing data inserted"}},
        {2, {"No media inserted"}},
        {3, {"Media inserted is not writable"}},
        {4, {"Media inserted is not a DVD"}},
        {5, {}},
    };
    g.mediaType = 17;
    for (const auto& [code, lines] : statuses) {
        view_.log.clear();
        g.mediaStatus = code;
        Message(MSG_WRITER_MEDIA);
        Lines expected{"Inserted media : DVD-R"};
        expected.insert(expected.end(), lines.begin(), lines.end());
        EXPECT_EQ(view_.log, expected) << code;
    }
    // The speed list is the new medium's.
    g.speeds = {11080, 0};
    Message(MSG_WRITER_MEDIA);
    EXPECT_EQ(view_.speeds, (Lines{"DVD-8 X"}));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BurnStageTest, AWriteRunsFromStartToEject)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    view_.speed = 1;   // 5540 kB/s chosen
    const std::string folder = DiscFolder();
    stage_->StartDvdWrite(folder, "DVD_DISC");
    EXPECT_EQ(view_.log, (Lines{"Loading files ...", "Setting DVD speed >>> ", "Set write speed is : 5540 Kbps.",
                                "Writing the stuff to the DVD disc >>>"}));
    EXPECT_EQ(g.speedSet, 5540);
    EXPECT_EQ(g.folder, folder + "/");
    EXPECT_EQ(g.label, "DVD_DISC");
    EXPECT_TRUE(view_.writingShown);
    view_.log.clear();
    Message(MSG_WRITER_STATUS, HWE_WRITE_STARTED);
    Message(MSG_WRITER_PROGRESS, 32767);
    EXPECT_EQ(view_.writeBar, 49);
    Message(MSG_WRITER_PROGRESS, HWE_PROGRESS_FULL);
    EXPECT_EQ(view_.writeBar, 100);
    Message(MSG_WRITER_CLOSING);
    Message(MSG_WRITER_CLOSING);
    Message(MSG_WRITER_STATUS, HWE_WRITE_COMPLETE);
    EXPECT_EQ(view_.log, (Lines{"Write init ok - write process has started.", "Closing session >>>",
                                "Write is complete and sucessful.", "Ejecting the disc >>>"}));
    EXPECT_EQ(g.calls.back(), "open tray");
    EXPECT_EQ(view_.ends, (Lines{"finished"}));
    // A late message of the write changes nothing.
    Message(MSG_WRITER_STATUS, HWE_WRITE_FAILED);
    Message(MSG_WRITER_PROGRESS, 1000);
    EXPECT_EQ(view_.ends.size(), 1u);
    EXPECT_EQ(view_.writeBar, 100);
    EXPECT_TRUE(Boxes().empty());
}

// Once a run has ended, nothing more is logged for it: the ejected disc's media
// messages only refresh the speeds. The next run logs them again.
TEST_F(BurnStageTest, NothingIsLoggedAfterTheRunEnded)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    stage_->RunBegun();
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    Message(MSG_WRITER_STATUS, HWE_WRITE_COMPLETE);
    stage_->RunEnded();   // the window's FinishRun
    const Lines log = view_.log;
    g.mediaType = 0;
    g.mediaStatus = HWE_MEDIA_NONE;
    g.speeds = {11080, 0};
    Message(MSG_WRITER_MEDIA);
    EXPECT_EQ(view_.log, log);
    EXPECT_EQ(view_.speeds, (Lines{"DVD-8 X"}));
    stage_->RunBegun();
    Message(MSG_WRITER_MEDIA);
    EXPECT_EQ(view_.log.back(), "No media inserted");
}

// The engine's reason for a failed write goes into the log and the box.
TEST_F(BurnStageTest, AFailedWriteGivesTheWritersReason)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    g.lastError = "genisoimage: No space left on device";
    Message(MSG_WRITER_STATUS, HWE_WRITE_FAILED);
    EXPECT_EQ(view_.log.back(), "genisoimage: No space left on device");
    EXPECT_EQ(Boxes(), (Lines{"DVD disc wrong, burning process is terminated!\ngenisoimage: No space left on device"}));
    EXPECT_EQ(view_.ends, (Lines{"terminated"}));

    // A reason longer than the first buffer comes whole.
    stage_->RunEnded();
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    g.lastError = std::string(400, 'r');
    Message(MSG_WRITER_STATUS, HWE_WRITE_FINALIZE_FAILED);
    EXPECT_EQ(view_.log, (Lines(view_.log.begin(), view_.log.end() - 3) +
                          Lines{"Write maybe good but Finalization process has failed.", std::string(400, 'r'),
                                "Ejecting the disc >>>"}));

    // An engine that cannot tell: the text alone.
    stage_->RunEnded();
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    stage_->Engine().Hwe_GetLastErrorText = nullptr;
    Message(MSG_WRITER_STATUS, HWE_WRITE_FAILED);
    EXPECT_EQ(Boxes().back(), "DVD disc wrong, burning process is terminated!");
}

TEST_F(BurnStageTest, FinalizationFailureEjectsAndOtherStatusesTerminate)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    view_.log.clear();
    Message(MSG_WRITER_STATUS, HWE_WRITE_FINALIZE_FAILED);
    EXPECT_EQ(view_.log, (Lines{"Write maybe good but Finalization process has failed.", "Ejecting the disc >>>"}));
    EXPECT_EQ(view_.writeBar, 100);
    EXPECT_EQ(view_.ends, (Lines{"finished"}));

    stage_->RunEnded();
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    Message(MSG_WRITER_STATUS, HWE_WRITE_FAILED);
    EXPECT_EQ(Boxes(), (Lines{"DVD disc wrong, burning process is terminated!"}));
    EXPECT_EQ(view_.ends, (Lines{"finished", "terminated"}));

    // A folder that was never authored.
    stage_->RunEnded();
    stage_->StartDvdWrite(root_ + "/nothing", "X");
    EXPECT_EQ(Boxes().back(), "No DVD directory in working folder!\nPlease try again!");
    EXPECT_EQ(view_.ends.back(), "terminated");
}

TEST_F(BurnStageTest, AfterYesAMediumWithinTheWaitWritesWithAFreshSpeedList)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    g.mediaType = 8;   // a CD in the DVD writer
    g.calls.clear();
    headless_->AnswerNextMessageBox(IDYES);
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    EXPECT_EQ(Boxes(), (Lines{"No matched disc in burner, insert blank DVD disc and click \n\"Yes\".\nClick "
                              "\"Cancel\" to cancel progress!"}));
    EXPECT_EQ(g.calls, (Lines{"open tray", "close tray"}));
    EXPECT_TRUE(stage_->WaitingForMedium());
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(stage_->TimerTick());
    // A writable DVD arrives: no second prompt, and the speed is the new medium's fastest.
    g.mediaType = 27;
    g.speeds = {11080, 8310, 0};
    Message(MSG_WRITER_MEDIA);
    EXPECT_FALSE(stage_->WaitingForMedium());
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(view_.log, (Lines{"Inserted media : DVD+R", "Empty (re)writable media inserted", "Loading files ...",
                                "Setting DVD speed >>> ", "Set Max. writing speed. ",
                                "Writing the stuff to the DVD disc >>>"}));
    EXPECT_EQ(g.speedSet, 11080);
    EXPECT_EQ(g.calls.back(), "start");
}

TEST_F(BurnStageTest, TheWaitEndsAfterFortyTicksAndAsksAgain)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    g.mediaType = 2;
    headless_->AnswerNextMessageBox(IDYES);
    headless_->AnswerNextMessageBox(IDCANCEL);
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    for (int i = 0; i < 39; ++i) stage_->TimerTick();
    EXPECT_TRUE(stage_->WaitingForMedium());
    EXPECT_EQ(Boxes().size(), 1u);
    stage_->TimerTick();
    EXPECT_EQ(Boxes().size(), 2u);   // asked again; Cancel ends the run
    EXPECT_FALSE(stage_->WaitingForMedium());
    EXPECT_EQ(view_.log.back(), "No matched disk infomation to burn.");
    EXPECT_EQ(view_.ends, (Lines{"finished"}));
    EXPECT_EQ(g.calls.back(), "close tray");
}

// The burning-process window waits 20 of its one-second ticks, logs its own
// speed lines, and a Cancel at the prompt terminates its run.
TEST_F(BurnStageTest, TheBurningWindowsOwnValues)
{
    stage_ = std::make_unique<BurnStage>(view_, LoadFake, kBurningWindowBurnValues);
    ASSERT_TRUE(stage_->InitBurner(1));
    g.mediaType = 2;
    headless_->AnswerNextMessageBox(IDYES);
    headless_->AnswerNextMessageBox(IDYES);
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    for (int i = 0; i < 19; ++i) stage_->TimerTick();
    EXPECT_TRUE(stage_->WaitingForMedium());
    EXPECT_EQ(Boxes().size(), 1u);
    stage_->TimerTick();
    EXPECT_EQ(Boxes().size(), 2u);   // asked again after 20 ticks
    g.mediaType = 17;
    Message(MSG_WRITER_MEDIA);
    EXPECT_EQ(view_.log[view_.log.size() - 2], "Set Max. write speed. ");
    stage_->RunEnded();

    g.speedsAnswer = 0;
    g.mediaType = 2;
    headless_->AnswerNextMessageBox(IDYES);
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    g.mediaType = 17;
    Message(MSG_WRITER_MEDIA);
    EXPECT_EQ(view_.log[view_.log.size() - 2], "Auto set write speed. ");
    stage_->RunEnded();

    g.mediaType = 2;
    headless_->AnswerNextMessageBox(IDCANCEL);
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    EXPECT_EQ(view_.log.back(), "No matched disk infomation to burn.");
    EXPECT_EQ(view_.ends, (Lines{"terminated"}));
}

TEST_F(BurnStageTest, AfterAPromptWithoutSpeedsTheWriterChooses)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    g.mediaType = 2;
    headless_->AnswerNextMessageBox(IDYES);
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    g.mediaType = 17;
    g.speedsAnswer = 0;
    g.speedSet = -1;
    Message(MSG_WRITER_MEDIA);
    EXPECT_EQ(view_.log[view_.log.size() - 2], "Auto set writing speed. ");
    EXPECT_EQ(g.speedSet, -1);   // no speed call
}

TEST_F(BurnStageTest, CloseDuringTheWaitEndsItForGoodAndLateMessagesAreIgnored)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    g.mediaType = 9;
    headless_->AnswerNextMessageBox(IDYES);
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    ASSERT_TRUE(stage_->WaitingForMedium());
    // The window's close: abort, tray, the run ended, the engine freed.
    stage_->AbortWrite();
    stage_->CloseTray();
    stage_->RunEnded();
    stage_->Release();
    EXPECT_FALSE(stage_->WaitingForMedium());
    g.mediaType = 17;
    Message(MSG_WRITER_MEDIA);
    Message(MSG_WRITER_STATUS, HWE_WRITE_FAILED);
    for (int i = 0; i < 50; ++i) stage_->TimerTick();
    EXPECT_EQ(Boxes().size(), 1u);   // the prompt only
    EXPECT_EQ(std::count(g.calls.begin(), g.calls.end(), "start"), 0);
    EXPECT_EQ(std::count(g.calls.begin(), g.calls.end(), "free"), 1);
    stage_->Release();   // a second release frees nothing twice
    EXPECT_EQ(std::count(g.calls.begin(), g.calls.end(), "free"), 1);
}

TEST_F(BurnStageTest, AbortDuringAWriteAndALateFailure)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    stage_->StartDvdWrite(DiscFolder(), "DVD_DISC");
    stage_->AbortWrite();
    stage_->RunEnded();
    EXPECT_EQ(std::count(g.calls.begin(), g.calls.end(), "abort"), 1);
    Message(MSG_WRITER_STATUS, HWE_WRITE_FAILED);   // the engine's answer to the abort
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(view_.ends.empty());
}

TEST_F(BurnStageTest, MediumCheckBeforeARun)
{
    ASSERT_TRUE(stage_->InitBurner(1));
    EXPECT_TRUE(stage_->CheckDiscBeforeRun());
    g.mediaType = 16;
    headless_->AnswerNextMessageBox(IDCANCEL);
    EXPECT_FALSE(stage_->CheckDiscBeforeRun());
    headless_->AnswerNextMessageBox(IDYES);
    EXPECT_TRUE(stage_->CheckDiscBeforeRun());
    EXPECT_EQ(Boxes(), (Lines{"No matched disc in burner.\nClick \"Yes\" to continue convert.\nClick \"Cancel\" to "
                              "cancel progress!",
                              "No matched disc in burner.\nClick \"Yes\" to continue convert.\nClick \"Cancel\" to "
                              "cancel progress!"}));

    // Without a DVD writer, a CD drive with a disc in it will do; the DVD writer's medium is not asked.
    g.initResult = HWE_NO_WRITER;
    ASSERT_TRUE(stage_->InitBurner(1));
    int asked = 0;
    bool ready = true;
    stage_->CdDriveReady = [&] { return ++asked, ready; };
    EXPECT_TRUE(stage_->CheckDiscBeforeRun());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Boxes().size(), 2u);
    ready = false;
    headless_->AnswerNextMessageBox(IDCANCEL);
    EXPECT_FALSE(stage_->CheckDiscBeforeRun());
    EXPECT_EQ(Boxes().size(), 3u);
    // With a writer, the CD drive is not asked.
    g.initResult = HWE_OK;
    g.mediaType = 17;
    ASSERT_TRUE(stage_->InitBurner(1));
    EXPECT_TRUE(stage_->CheckDiscBeforeRun());
    EXPECT_EQ(asked, 2);
}

TEST(DiscFolderOfIfo, CutsAtTheLastSeparatorAndBeforeVideoTs)
{
    EXPECT_EQ(DiscFolderOfIfo("/work/My VIDEO_TS disc/VIDEO_TS/VIDEO_TS.IFO"), "/work/My VIDEO_TS disc/");
    // Never truncated, however long.
    const std::string deep = "/" + std::string(300, 'd') + "/DVD_DISC/";
    EXPECT_EQ(DiscFolderOfIfo(deep + "VIDEO_TS/VIDEO_TS.IFO"), deep);
}

TEST_F(BurnStageTest, ImageStageStopsAtAMissingMpegOrAPathTooLong)
{
    const std::string work = root_ + "/work/";
    ForceDirectories(work);
    std::ofstream(work + "a.mpg") << "mpeg";
    stage_->StartImageStage(2, "SVCD_DISC", work, {work + "a.mpg", work + "b.mpg"});
    EXPECT_EQ(Boxes(), (Lines{"Can not find \n" + work + "b.mpg. \nProcess is terminated!"}));
    EXPECT_EQ(view_.ends, (Lines{"terminated"}));
    EXPECT_FALSE(stage_->ImageBuilding());

    // The old image goes before anything else, so that it is never burnt for the new one.
    const std::string deep = work + std::string(250, 'p') + "/";
    ForceDirectories(deep);
    std::ofstream(deep + "a.mpg") << "mpeg";
    std::ofstream(deep + "svcd_disc.bin") << "old";
    stage_->StartImageStage(2, "SVCD_DISC", deep, {deep + "a.mpg"});
    EXPECT_EQ(view_.log, (Lines{"The path of the disc image is too long: " + deep + "svcd_disc.bin"}));
    EXPECT_EQ(view_.ends, (Lines{"terminated", "terminated"}));
    EXPECT_FALSE(FileExists(deep + "svcd_disc.bin"));
    EXPECT_FALSE(stage_->ImageBuilding());
}

} // namespace
