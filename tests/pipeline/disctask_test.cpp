// The disc-build task as a user does it, through the program's real windows:
// the main window's task, DVD in the choice window, two clips added in one
// open dialog, Next, Start in the disc builder and the DVD folder read back
// with lsdvd; and the same task with an authoring program that fails.
#include "discfixture.h"
#include "shellfixture.h"

#include "menu/menuwindows.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"
#include "menu/qv_videodvdtextpropertyform.h"
#include "pipeline/handlemoviethread.h"
#include "pipeline/pipelinewindows.h"
#include "pipeline/qv_videodvdconvertprocessform.h"
#include "pipeline/qv_videodvddiscbuilderform.h"
#include "shell/burnpubfunction.h"
#include "shell/projectdata.h"
#include "shell/qv_movieimage.h"
#include "shell/aboutform.h"
#include "shell/qv_videodvdauthorform.h"
#include "shell/qv_videodvdclippropertyform.h"
#include "shell/qv_videodvdselectform.h"
#include "shell/qv_videodvdsetupchapterform.h"
#include "shell/qv_videodvdsetupsourceclipsform.h"
#include "shell/startup.h"
#include "testkit/clips.h"
#include "testkit/taskdriver.h"

#include "com/com.h"
#include "dshow/mediafilters.h"
#include "skin/kivbutton.h"
#include "skin/kivedit.h"
#include "skin/kivmemo.h"
#include "vcl/dialogs.h"
#include "vcl/headless.h"
#include "win32/process.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using Lines = std::vector<std::string>;

// Starts nothing: the registration commands and help files of the main window stay unrun.
class QuietLauncher : public Launcher {
public:
    bool Launch(const ProcessSpec&) override { return true; }
    ProcessResult Run(const ProcessSpec&, std::uint32_t) override { return {}; }
    bool ShellOpen(const std::string&) override { return true; }
};

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class DiscTaskTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        SetLauncher(&launcher_);
        if (const char* bin = std::getenv("KELDARA_BIN_DIR")) {
            const std::filesystem::path pictures = std::filesystem::path(bin) / "BMP";
            if (std::filesystem::exists(pictures / "MainSkin.bmp"))
                std::filesystem::copy(pictures, program_ + "BMP", std::filesystem::copy_options::recursive);
        }
        setenv("KELDARA_AUDIO", "null", 1);
        CoInitialize(nullptr);
        RegisterMediaFilters();
        UseVolumes({{"data", "/dev/sda1", "rw", 100000}});
        work_ = Mount("data") + "/work/";
        media_ = root_ + "/media/";
        ForceDirectories(media_);
        CreateAppFolders();
        RegisterPipelineWindows();
        RegisterMenuWindows();
        task_ = std::make_unique<testkit::TaskDriver>();
        task_->StartProgram();
        task_->WatchLog([this] { return BuilderLog(); });
    }
    void TearDown() override
    {
        EXPECT_TRUE(task_->Screen().UnscriptedModals().empty());
        EXPECT_TRUE(ScriptedDialogs().Unscripted().empty());
        ReleaseHandleMovieThread(true);
        ReleaseProjectData();
        task_.reset();
        for (auto** global : {reinterpret_cast<void**>(&QV_Video_DVD_Author_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Select_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Clip_Property_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Setup_Source_Clips_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Setup_Chapter_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Setup_DVD_Menu_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Text_Property_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Disc_Builder_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Convert_Process_Form),
                              reinterpret_cast<void**>(&Form_About)})
            *global = nullptr;
        CoUninitialize();
        SetLauncher(nullptr);
        ShellTest::TearDown();
    }

    // A synthetic clip with sound, written by the ffmpeg libraries.
    std::string Clip(const std::string& name, double seconds)
    {
        testkit::ClipSpec spec;
        spec.width = 160;
        spec.height = 120;
        spec.seconds = seconds;
        spec.gop = 25;
        testkit::WriteClip(media_ + name, spec);
        return media_ + name;
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

    // The main window's disc-build task up to the clips window's Next, with
    // DVD chosen and `clips` added in one open dialog; `inClips` runs in the
    // clips window before Next, `inBuilder` in the builder Next opens.
    void BuildTask(const std::vector<std::string>& clips, bool withMenu, const std::function<void()>& inBuilder)
    {
        auto& main = task_->Window<TQV_Video_DVD_Author_Form>("QV_Video_DVD_Author_Form");
        auto& choice = task_->Window<TQV_Video_DVD_Select_Form>(kSelectWindowName);
        auto& clipsForm = task_->Window<TQV_Video_DVD_Setup_Source_Clips_Form>(kSourceClipsWindowName);
        main.Show();
        task_->OnNextModal([&](TCustomForm& shown) {
            task_->Step("choice window");
            ASSERT_EQ(&shown, &choice);
            task_->Click(*choice.kivImageButton_SelectDVD);
            task_->Click(*choice.kivImageButton2);
        });
        task_->OnNextModal([&](TCustomForm& shown) {
            task_->Step("clips window");
            ASSERT_EQ(&shown, &clipsForm);
            task_->AnswerFiles(clips);
            task_->Click(*clipsForm.kivImageButton_Add);
            ASSERT_TRUE(task_->PumpUntil([&] { return !clipsForm.Loader; }, 120));
            ASSERT_EQ(MyMovieImage.Length(), static_cast<std::int64_t>(clips.size()));
            if (clipsForm.kivCheckBox1->Checked() != withMenu) task_->Click(*clipsForm.kivCheckBox1);
            ASSERT_EQ(clipsForm.kivCheckBox1->Checked(), withMenu);
            if (!withMenu) {
                task_->OnNextModal([&](TCustomForm& run) {
                    task_->Step("disc builder");
                    ASSERT_EQ(&run, builder());
                    inBuilder();
                    task_->Click(*builder()->kivImageButton1);
                });
            }
            task_->Step("clips window: Next");
            task_->Click(*clipsForm.kivImageButton_Burn);
            // Back from the builder the user leaves the clips window.
            if (!withMenu) task_->Click(*clipsForm.kivImageButton_Exit);
        });
        task_->Step("main window: the disc-build task");
        task_->Click(*main.Button_VideoDVDDiscBuilder);
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
        ASSERT_TRUE(task_->PumpUntil([this] { return !builder()->RunActive(); }, 480));
        task_->Step("disc builder: run ended");
    }
    void ExpectOnlyTheDiscQuestion()
    {
        const std::vector<HeadlessMessageBox>& boxes = task_->Screen().MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text.rfind("No matched disc in burner.", 0), 0u) << boxes[0].text;
    }
    static TQV_Video_DVD_Disc_Builder_Form* builder() { return QV_Video_DVD_Disc_Builder_Form; }

    QuietLauncher launcher_;
    std::unique_ptr<testkit::TaskDriver> task_;
    std::string work_, media_;
};

TEST_F(DiscTaskTest, WithoutMenuTheClipsWindowGoesStraightToTheBuilderAndTheDiscHasBothTitles)
{
    const std::string first = Clip("Holiday.mp4", 3), second = Clip("Garden party.mkv", 2);
    const std::string firstBytes = Bytes(first), secondBytes = Bytes(second);
    BuildTask({first, second}, false, [this] { StartAndRun(); });
    const std::string dest = work_ + "DVD_DISC";
    EXPECT_EQ(WithoutFixNote(BuilderLog()),
              (Lines{"Convert Holiday.mp4 >>> DVD_DISC_1.vob", "Mux Holiday.mp4 >>>",
                     "Convert Garden party.mkv >>> DVD_DISC_2.vob", "Mux Garden party.mkv >>>",
                     "Create DVD directory >>>", "Starting to burn...", "Getting disc type...",
                     "No DVD writer: the DVD folder stays in " + dest + ".", "Process finished."}));
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

TEST_F(DiscTaskTest, FailingAuthoringProgramEndsTheRunKeepsTheVobsAndNeverBurns)
{
    const std::string fakes = root_ + "/fakebin";
    ForceDirectories(fakes);
    outsidetest::FakePrograms programs(fakes);
    programs.Add("dvdauthor", "echo 'ERR: the disc cannot be made' >&2\nexit 1\n");
    const std::string first = Clip("Holiday.mp4", 2), second = Clip("Garden party.mkv", 1);
    BuildTask({first, second}, false, [this] { StartAndRun(); });
    const Lines log = BuilderLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back(), "Process is terminated.");
    EXPECT_EQ(std::find(log.begin(), log.end(), "Starting to burn..."), log.end());
    EXPECT_TRUE(FileExists(work_ + "DVD_DISC_1.vob"));
    EXPECT_TRUE(FileExists(work_ + "DVD_DISC_2.vob"));
}

} // namespace
