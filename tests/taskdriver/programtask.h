#pragma once
// What the tests of whole tasks share: the program started as the start-up
// starts it, with every window of the shell, the pipeline and the menu
// designer, the task driver to act in them, the built pictures, the media
// filters, one roomy data volume, the language regions as the program ships
// them, and no outside program started for real.
#include "shellfixture.h"
#include "startupfixture.h"
#include "taskdriver.h"

#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_movieimage.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"
#include "menu/qv_videodvdtextpropertyform.h"
#include "pipeline/handlemoviethread.h"
#include "pipeline/qv_videodvdconvertprocessform.h"
#include "pipeline/qv_videodvddiscbuilderform.h"
#include "shell/aboutform.h"
#include "shell/qv_videodvdauthorform.h"
#include "shell/qv_videodvdclippropertyform.h"
#include "shell/qv_videodvdselectform.h"
#include "shell/qv_videodvdsetupchapterform.h"
#include "shell/qv_videodvdsetupsourceclipsform.h"
#include "shell/qv_videodvdsubtitlepropertyform.h"
#include "skin/kivbutton.h"
#include "skin/kivimagepanel.h"
#include "skin/kivtrackbar.h"
#include "testkit/clips.h"

#include "com/com.h"
#include "dshow/mediafilters.h"
#include "vcl/dialogs.h"
#include "vcl/headless.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ProgramTaskTest : public ShellTest {
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
        // The language regions as the program ships them.
        if (const char* source = std::getenv("KELDARA_SOURCE_DIR"))
            std::filesystem::copy_file(std::filesystem::path(source) / "assets/Language.ini", program_ + "Language.ini");
        ReadLanguageRegions();
        task_ = std::make_unique<testkit::TaskDriver>();
        task_->StartProgram();
        // A step whose assertion failed ends the run at once, with its report.
        task_->EndRunWhen([] { return ::testing::Test::HasFatalFailure(); });
    }
    void TearDown() override
    {
        // A set-up that threw (no room to copy the pictures, say) may have left no task.
        if (task_) {
            EXPECT_TRUE(task_->Screen().UnscriptedModals().empty());
            EXPECT_TRUE(ScriptedDialogs().Unscripted().empty());
        }
        ReleaseHandleMovieThread(true);
        // The windows go first: the designer frees its chapter pages with itself.
        if (task_) task_->EndProgram();
        ReleaseProjectData();
        task_.reset();
        for (auto** global : {reinterpret_cast<void**>(&QV_Video_DVD_Author_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Select_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Clip_Property_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Setup_Source_Clips_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Setup_Chapter_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Subtitle_Property_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Setup_DVD_Menu_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Text_Property_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Disc_Builder_Form),
                              reinterpret_cast<void**>(&QV_Video_DVD_Convert_Process_Form),
                              reinterpret_cast<void**>(&Form_About)})
            *global = nullptr;
        CharacterSet.SetLength(0);
        LanguageCode.SetLength(0);
        RegionLanguage.SetLength(0);
        CoUninitialize();
        SetLauncher(nullptr);
        ShellTest::TearDown();
    }

    // A synthetic clip with sound, written by the ffmpeg libraries into the media folder.
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

    // The disc-build task from the main window to the clips window: DVD in the
    // choice window, `files` added through Add; then `inClips` runs in the
    // clips window (and leaves it, by Next or Exit). Answers when the task has
    // come back to the main window.
    void DvdBuildTask(const std::vector<std::string>& files,
                      const std::function<void(TQV_Video_DVD_Setup_Source_Clips_Form&)>& inClips)
    {
        auto& main = task_->Window<TQV_Video_DVD_Author_Form>("QV_Video_DVD_Author_Form");
        auto& choice = task_->Window<TQV_Video_DVD_Select_Form>(kSelectWindowName);
        auto& clipsForm = task_->Window<TQV_Video_DVD_Setup_Source_Clips_Form>(kSourceClipsWindowName);
        main.Show();
        task_->OnNextModal([&](TCustomForm& shown) {
            task_->Step("choice window");
            ASSERT_EQ(&shown, &choice);
            task_->Click(*choice.kivImageButton_SelectDVD);
            task_->Shoot(choice, "1-choice");
            task_->Click(*choice.kivImageButton2);
        });
        task_->OnNextModal([&](TCustomForm& shown) {
            task_->Step("clips window: Add");
            ASSERT_EQ(&shown, &clipsForm);
            task_->AnswerFiles(files);
            task_->Click(*clipsForm.kivImageButton_Add);
            ASSERT_TRUE(task_->PumpUntil([&] { return !clipsForm.Loader; }, 120));
            ASSERT_EQ(MyMovieImage.Length(), static_cast<std::int64_t>(files.size()));
            inClips(clipsForm);
        });
        task_->Step("main window: the disc-build task");
        task_->Click(*main.Button_VideoDVDDiscBuilder);
    }

    // In the clips window: clip `index` previewed, the play bar dragged to
    // about `seconds`, Set begin. Answers the begin the clip took.
    double TrimBegin(TQV_Video_DVD_Setup_Source_Clips_Form& clipsForm, int index, double seconds)
    {
        task_->Step("clips window: trim clip " + std::to_string(index + 1));
        task_->Click(*MyMovieImage[index]);
        EXPECT_EQ(clipsForm.SelectedIndex, index);
        task_->Click(*clipsForm.kivImageButton_Preview);
        EXPECT_TRUE(task_->PumpUntil([&] { return GRAPH && clipsForm.CurrentPosition > 0; }, 60));
        TkivTrackBar& bar = *clipsForm.kivTrackBar;
        const int lane = bar.Width() - bar.Slider()->Width();
        task_->Drag(*bar.Slider(), bar,
                    static_cast<int>(seconds / clipsForm.PreviewDuration * lane) + bar.Slider()->Width() / 2,
                    bar.Height() / 2);
        EXPECT_TRUE(task_->PumpUntil([&] { return clipsForm.CurrentPosition >= seconds - 0.4; }, 60));
        task_->Click(*clipsForm.kivImageButton_SetBegin);
        return MyMovieImage[index]->StartPoint;
    }

    // Starts nothing: the registration commands and help files of the main window stay unrun.
    RecordingLauncher launcher_;
    std::unique_ptr<testkit::TaskDriver> task_;
    std::string work_, media_;
};
