// The CD burn: the speed list and the prompts with a fake burner and a
// recording view (boxes answered by the headless backend's script), the end
// of a write arriving from another thread, and a whole burn of a VCD image
// through the library's cue burner onto a virtual recorder.
#include "../base/startupfixture.h"
#include "../discrec/vcdimage.h"

#include "fakecdburner.h"
#include "pipeline/cdburnstage.h"
#include "rtl/paths.h"
#include "testkit/fakescsi.h"
#include "testkit/recorder.h"
#include "vcl/forms.h"

#include <chrono>
#include <thread>

namespace {

// The window the stage works on, recording what it shows.
class RecordingWindow final : public TForm, public CdBurnView {
public:
    explicit RecordingWindow(TComponent* owner) : TForm(owner) {}
    HWND WindowHandle() override { return Handle(); }
    void Log(const std::string& line) override { shown.push_back(line); }
    void ClearDrives() override { drives.clear(); }
    void AddDrive(const std::string& name) override { drives.push_back(name); }
    void SelectDrive(int index) override { drive = index; }
    void ClearSpeeds() override { speeds.clear(); }
    void AddSpeed(const std::string& label) override { speeds.push_back(label); }
    void SelectSpeed(int index) override { speed = index; }
    int SelectedSpeed() override { return speed; }
    void EnableSpeeds(bool enabled) override { speedsEnabled = enabled; }
    std::string VolumeName() override { return volume; }
    void CdBurnStarting() override { shown.push_back("[bars]"); }
    void SetCdProgress(int position, int maximum) override { progress = position, progressMax = maximum; }
    void Repaint() override {}
    void FinishRun(bool finished) override { shown.push_back(finished ? "[finished]" : "[terminated]"); }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == MSG_CDWRITE_DONE && stage) return stage->WriteDone(message.WParam);
        TForm::WndProc(message);
    }

    CdBurnStage* stage = nullptr;
    std::vector<std::string> shown, drives, speeds;
    int drive = -1, speed = -1, progress = -1, progressMax = -1;
    bool speedsEnabled = false;
    std::string volume = "  SVCD_DISC ";
};

class CdBurnTest : public StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        window = new RecordingWindow(app.get());
        auto owned = std::make_unique<FakeBurner>();
        burner = owned.get();
        stage = std::make_unique<CdBurnStage>(*window, std::move(owned));
        window->stage = stage.get();
        image = JoinPath(root_, "image");
        ForceDirectories(image);
        cue = JoinPath(image, "SVCD_DISC.cue");
        bin = JoinPath(image, "SVCD_DISC.bin");
        Write(cue, "FILE \"SVCD_DISC.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n");
        Write(bin, std::string(2352 * 4, 'x'));
    }
    void TearDown() override
    {
        stage.reset();
        StartupTest::TearDown();
    }
    bool PumpUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < 6000; ++i) {
            app->ProcessMessages();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> texts;
        for (const HeadlessMessageBox& box : headless->MessageBoxes()) texts.push_back(box.text);
        return texts;
    }
    bool Ended() const
    {
        const auto& s = window->shown;
        return !s.empty() && (s.back() == "[finished]" || s.back() == "[terminated]");
    }

    RecordingWindow* window = nullptr;
    FakeBurner* burner = nullptr;
    std::unique_ptr<CdBurnStage> stage;
    std::string image, cue, bin;
};

TEST(CdSpeeds, TheListStopsAtTheDrivesSpeedAndEndsWithMax)
{
    EXPECT_EQ(CdSpeedList(7056, true),
              (std::vector<std::string>{"CD-1 X", "CD-2 X", "CD-4 X", "CD-8 X", "CD-16 X", "CD-32 X", "Max."}));
    EXPECT_EQ(CdSpeedList(9152, true).at(7), "CD-52 X");
    EXPECT_EQ(CdSpeedList(352, true), (std::vector<std::string>{"CD-1 X", "CD-2 X", "Max."}));
    EXPECT_EQ(CdSpeedList(176, true), (std::vector<std::string>{"No Support!"}));
    EXPECT_EQ(CdSpeedList(7056, false), (std::vector<std::string>{"No Support!"}));
    EXPECT_EQ(CdSpeedOfLabel("CD-8 X"), 1408);
    EXPECT_EQ(CdSpeedOfLabel("Max."), 0);
}

TEST_F(CdBurnTest, TheSetUpListsTheDrivesAndTheirSpeeds)
{
    ASSERT_TRUE(stage->InitBurner());
    EXPECT_EQ(burner->calls.at(0), "layer system");   // the system's layer first, then the built-in one
    EXPECT_EQ(burner->calls.at(1), "layer spti");
    EXPECT_EQ(window->drives, burner->devices);
    EXPECT_EQ(window->drive, 0);
    EXPECT_EQ(window->speeds.size(), 7u);
    EXPECT_EQ(window->speed, 6);
    EXPECT_TRUE(window->speedsEnabled);
    EXPECT_EQ(burner->calls.back(), "speed 7056");

    // No writable disc yet: "No Support!", and the disc builder sets nothing.
    burner->writable = false;
    burner->calls.clear();
    stage->OnDriveChange(0);
    EXPECT_EQ(window->speeds, (std::vector<std::string>{"No Support!"}));
    EXPECT_FALSE(window->speedsEnabled);
    EXPECT_EQ(burner->calls, (std::vector<std::string>{"device 0:1,0 KELDARA RECORDER"}));
    stage->OnDriveChange(-1);   // nothing chosen: nothing happens

    burner->devices.clear();
    EXPECT_FALSE(stage->InitBurner());
    burner->sptiWorks = false;
    burner->layer = false;
    EXPECT_FALSE(stage->InitBurner());
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kCdNoDevicesText, kCdNoLayerText}));
}

// Before a DVD run on a machine without a DVD writer: a disc in the first CD
// drive will do. The drive is chosen quietly, the window's lists left alone.
TEST_F(CdBurnTest, TheDriveAnswersBeforeAnySetUp)
{
    EXPECT_TRUE(stage->DriveReady());
    EXPECT_EQ(burner->calls, (std::vector<std::string>{"layer system", "layer spti", "device 0:1,0 KELDARA RECORDER"}));
    EXPECT_TRUE(window->drives.empty());
    EXPECT_TRUE(window->speeds.empty());
    burner->ready = false;
    EXPECT_FALSE(stage->DriveReady());
    burner->devices.clear();
    burner->ready = true;
    EXPECT_FALSE(stage->DriveReady());   // no CD drive at all
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CdBurnTest, ABurnAsksForADiscChecksItAndEndsWithTheImageDeleted)
{
    ASSERT_TRUE(stage->InitBurner());
    window->speed = 3;   // "CD-8 X"
    burner->ready = false;
    burner->writableAfter = 2;
    headless->AnswerNextMessageBox(mrYes);   // the tray was empty
    headless->AnswerNextMessageBox(mrYes);   // the disc was not writable
    burner->calls.clear();
    stage->Burn(cue, bin);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kCdInsertDiscText, kCdInsertDiscText}));
    EXPECT_EQ(window->shown,
              (std::vector<std::string>{"[bars]", "Starting to burn...", "Getting disc type...", "CD-R disc..",
                                        "Check disc free space...", "Burning disc image,Please waiting..."}));
    EXPECT_EQ(burner->calls,
              (std::vector<std::string>{"eject", "load", "eject", "load", "cue " + cue, "speed 1408",
                                        "title SVCD_DISC", "load", "burn"}));
    EXPECT_EQ(window->progressMax, 716800);
    burner->written = 358400 * 1024LL;
    EXPECT_TRUE(stage->TimerTick());
    EXPECT_EQ(window->progress, 358400);

    burner->calls.clear();
    burner->Finish("");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
    EXPECT_EQ(window->shown.end()[-2], "Burn Done !");
    EXPECT_EQ(window->shown.back(), "[finished]");
    EXPECT_EQ(window->progress, 716800);
    EXPECT_EQ(burner->calls, (std::vector<std::string>{"unlock", "eject"}));
    EXPECT_FALSE(FileExists(cue));
    EXPECT_FALSE(FileExists(bin));
    EXPECT_FALSE(stage->TimerTick());
}

TEST_F(CdBurnTest, AFailedWriteSaysWhyAndKeepsTheImage)
{
    ASSERT_TRUE(stage->InitBurner());
    stage->Burn(cue, bin);
    burner->Finish("WRITE ERROR");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
    EXPECT_EQ(window->shown.end()[-2], "WRITE ERROR");
    EXPECT_EQ(window->shown.back(), "[terminated]");
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, "WRITE ERROR");
    EXPECT_EQ(headless->MessageBoxes()[0].caption, "Error");
    EXPECT_TRUE(FileExists(cue));
    EXPECT_TRUE(FileExists(bin));
}

TEST_F(CdBurnTest, MaxAndNoSupportBothWriteAtTheDrivesSpeed)
{
    // No writable disc at set-up: "No Support!"; once one is in, the list is filled and "Max." chosen.
    burner->writable = false;
    ASSERT_TRUE(stage->InitBurner());
    EXPECT_EQ(window->speeds, (std::vector<std::string>{"No Support!"}));
    burner->writable = true;
    stage->Burn(cue, bin);
    EXPECT_EQ(window->speeds.back(), "Max.");
    EXPECT_TRUE(window->speedsEnabled);
    EXPECT_NE(std::find(burner->calls.begin(), burner->calls.end(), "speed 7056"), burner->calls.end());
    burner->Finish("");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));

    // A drive that never tells its speed still writes at its fastest, not at 1x.
    Write(cue, "FILE \"SVCD_DISC.bin\" BINARY\n");
    Write(bin, "x");
    burner->maxSpeed = 0;
    stage->OnDriveChange(0);
    burner->calls.clear();
    stage->Burn(cue, bin);
    EXPECT_NE(std::find(burner->calls.begin(), burner->calls.end(), "speed 65535"), burner->calls.end());
    burner->Finish("");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
}

TEST_F(CdBurnTest, CancelInTheFirstPromptEndsTheRunWithoutASecond)
{
    ASSERT_TRUE(stage->InitBurner());
    burner->ready = false;
    burner->writable = false;
    headless->AnswerNextMessageBox(mrCancel);
    stage->Burn(cue, bin);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kCdInsertDiscText}));
    EXPECT_EQ(window->shown, (std::vector<std::string>{"[bars]", "Starting to burn...", "[terminated]"}));
    EXPECT_EQ(std::count(burner->calls.begin(), burner->calls.end(), "burn"), 0);
}

TEST_F(CdBurnTest, TheDiscAndTheImageAreCheckedBeforeTheWrite)
{
    ASSERT_TRUE(stage->InitBurner());
    // A disc that is no CD-R or CD-RW.
    burner->discType = 5;
    stage->Burn(cue, bin);
    EXPECT_EQ(window->shown.end()[-3], "No matched disk infomation to burn.");
    EXPECT_EQ(window->shown.end()[-2], "Burning progress is terminated.");
    EXPECT_EQ(window->shown.back(), "[terminated]");
    burner->discType = 3;

    // A missing bin, a cue the burner refuses.
    window->shown.clear();
    stage->Burn(cue, JoinPath(image, "gone.bin"));
    EXPECT_EQ(window->shown.end()[-2], "CD-RW disc..");
    burner->cueLoads = false;
    stage->Burn(cue, bin);
    burner->cueLoads = true;
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"Can't find \n" + JoinPath(image, "gone.bin"), "Can't load \n" + cue}));

    // An image one sector larger than the disc's room asks; No ends the run.
    burner->freeBlocks = 3;
    headless->AnswerNextMessageBox(mrNo);
    stage->Burn(cue, bin);
    EXPECT_EQ(Boxes().back(), kCdImageTooLargeText);
    EXPECT_EQ(window->shown.back(), "[terminated]");
    burner->freeBlocks = 4;   // exactly the image: no question
    stage->Burn(cue, bin);
    EXPECT_EQ(Boxes().size(), 3u);
    EXPECT_TRUE(stage->Writing());
    burner->Finish("");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));

    // A write that cannot start.
    Write(cue, "x"), Write(bin, "x");
    burner->burnStarts = false;
    burner->calls.clear();
    stage->Burn(cue, bin);
    EXPECT_EQ(Boxes().back(), "Error,Disc is not writable.");
    EXPECT_EQ(burner->calls.back(), "eject");
    EXPECT_FALSE(stage->Writing());
    // One that failed for a reason of its own says that reason, not that the disc was not writable.
    burner->lastError = "virtual recorder 0 is in use (a disc in it may be mounted)";
    stage->Burn(cue, bin);
    EXPECT_EQ(Boxes().back(), "virtual recorder 0 is in use (a disc in it may be mounted)");
    EXPECT_EQ(window->shown.back(), "[terminated]");
    EXPECT_FALSE(stage->Writing());
}

TEST_F(CdBurnTest, ClosingDuringAWriteAbortsItAndWaits)
{
    ASSERT_TRUE(stage->InitBurner());
    stage->Burn(cue, bin);
    ASSERT_TRUE(stage->Writing());
    stage->AbortBurn();
    EXPECT_FALSE(stage->Writing());
    EXPECT_FALSE(burner->Burning());
    EXPECT_EQ(window->shown.end()[-2], "OPERATION ABORTED BY USER");
    EXPECT_EQ(window->shown.back(), "[terminated]");
    EXPECT_TRUE(Boxes().empty());   // the user asked for it
    EXPECT_TRUE(FileExists(bin));
    // The writer's own message comes late and finds no run.
    const std::size_t lines = window->shown.size();
    for (int i = 0; i < 10; ++i) app->ProcessMessages();
    EXPECT_EQ(window->shown.size(), lines);
}

// The library's cue burner writing a VCD image made by vcdxbuild onto a virtual recorder.
class CdBurnRecorderTest : public StartupTest {
protected:
    testkit::FakeScsiSystem fake_;
};

TEST_F(CdBurnRecorderTest, AVcdImageIsBurntOntoTheRecorderAndTheTrayEjected)
{
    testkit::TempFolder folder("keldara-cdburn");
    testkit::RecorderConfig config;
    config.imagePath = folder.File("burned.img");
    testkit::RegisteredRecorder recorder(config, "virtual recorder");
    recorder->InsertMedium(testkit::Medium::Blank(testkit::MediumKind::CdR));
    const std::string made = discrec_test::VcdImage().Path();
    const std::string cue = folder.File("disc.cue"), bin = folder.File("disc.bin");
    ASSERT_TRUE(CopyFile(JoinPath(made, "disc.cue"), cue, true));
    ASSERT_TRUE(CopyFile(JoinPath(made, "disc.bin"), bin, true));
    const std::int64_t binBytes = FileSize64(bin);

    auto* window = new RecordingWindow(app.get());
    CdBurnStage stage(*window, MakeCueBurner());
    window->stage = &stage;
    ASSERT_TRUE(stage.InitBurner());
    EXPECT_EQ(window->speeds.back(), "Max.");
    stage.Burn(cue, bin);
    ASSERT_TRUE(stage.Writing()) << ::testing::PrintToString(window->shown);
    bool ended = false;
    for (int i = 0; i < 12000 && !ended; ++i) {
        app->ProcessMessages();
        stage.TimerTick();
        ended = !window->shown.empty() && window->shown.back().front() == '[';
        if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(window->shown.end()[-2], "Burn Done !") << ::testing::PrintToString(window->shown);
    EXPECT_EQ(window->shown.back(), "[finished]");
    EXPECT_TRUE(headless->MessageBoxes().empty());
    EXPECT_TRUE(recorder->DiscComplete());
    EXPECT_FALSE(recorder->Locked());
    EXPECT_TRUE(recorder->TrayOpen());
    EXPECT_EQ(FileSize64(config.imagePath), binBytes);
    EXPECT_FALSE(FileExists(cue));
    EXPECT_FALSE(FileExists(bin));
    window->stage = nullptr;
}

} // namespace
