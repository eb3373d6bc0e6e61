#pragma once
// What the source clips window's tests share: the headless program with the
// built pictures, a private registry with the media filters and silent audio,
// a clock ten times faster than real time for the probe's waits, clips made
// on the spot or written as synthetic media files, and a loop that pumps the
// window's messages until a condition holds.
#include "previewfixture.h"
#include "startupfixture.h"

#include "base/burnpubfunction.h"
#include "base/qv_loadfile.h"
#include "base/qv_movieimage.h"
#include "shell/qv_videodvdsetupsourceclipsform.h"

#include "gfx/bitmap.h"
#include "skin/kivbutton.h"
#include "vcl/dialogs.h"

#include <chrono>
#include <functional>
#include <thread>

// A clock ten times faster than real time: the probe waits for a real graph to
// play its first picture, which on a loaded machine can take a while.
class TenfoldClock : public Clock {
public:
    std::uint64_t NowMs() override { return now_.load(); }
    void SleepMs(std::uint32_t ms) override
    {
        now_ += ms;
        std::this_thread::sleep_for(std::chrono::microseconds(ms * 100));
    }

private:
    std::atomic<std::uint64_t> now_{1000};
};

class ClipsTest : public StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        setenv("KELDARA_REGISTRY", (root_ + "/registry").c_str(), 1);
        setenv("KELDARA_AUDIO", "null", 1);
        CoInitialize(nullptr);
        RegisterMediaFilters();
        CreateAppFolders();
        ForceDirectories(media());
        fast_ = std::make_unique<ScopedClock>(clock10);
        ScriptedDialogs().Reset();
        app->CreateForm(QV_Video_DVD_Setup_Source_Clips_Form);
        form = QV_Video_DVD_Setup_Source_Clips_Form;
    }
    void TearDown() override
    {
        EXPECT_TRUE(headless->UnscriptedModals().empty());
        EXPECT_TRUE(ScriptedDialogs().Unscripted().empty());
        ReleaseProjectData();
        app.reset();
        fast_.reset();
        CoUninitialize();
        StartupTest::TearDown();
    }

    std::string media() const { return root_ + "/media/"; }

    // A small synthetic clip with sound, written where asked.
    std::string WriteClip(const std::string& path, double seconds = 2, int width = 96, int height = 64)
    {
        testkit::ClipSpec spec;
        spec.width = width;
        spec.height = height;
        spec.seconds = seconds;
        spec.gop = 25;
        ForceDirectories(ExtractFileDir(path));
        testkit::WriteClip(path, spec);
        return path;
    }

    // A clip object as the probe makes it, without a file behind it.
    static TQV_MovieImage* MakeClip(const std::string& name, double seconds, TColor colour = clRed)
    {
        auto* clip = new TQV_MovieImage(nullptr, static_cast<int>(MyMovieImage.Length()));
        clip->ClipName = name;
        clip->SourcePath = "/nowhere/" + name;
        clip->AudioDuration = clip->VideoDuration = clip->Duration = clip->EndPoint = seconds;
        clip->AudioStreamCount = clip->VideoStreamCount = 1;
        clip->VideoWidth = 320;
        clip->VideoHeight = 240;
        clip->FrameRate = 25;
        clip->Snapshot->SetSize(32, 24);
        clip->Snapshot->Canvas()->Brush()->SetColor(colour);
        clip->Snapshot->Canvas()->FillRect(Rect(0, 0, 32, 24));
        MyMovieImage.Add(ClipPtr(clip));
        return clip;
    }
    // `count` clips named c0.avi, c1.avi... taken in as the menu designer hands them back.
    void MakeClips(int count, int kind = 1, double seconds = 60)
    {
        for (int i = 0; i < count; ++i) MakeClip(Format("c%d.avi", i), seconds);
        ASSERT_TRUE(form->PrepareClipsForm(1, kind));
    }

    // Runs `step` inside the window shown as a wizard page (closing it is the step's business).
    int ShowWizard(std::function<void()> step)
    {
        headless->OnNextModal([this, step](TCustomForm&) {
            step();
            // A step that stopped early must not leave the test waiting on the window.
            if (form->ModalResult() == mrNone) {
                ADD_FAILURE() << "the step left the clips window open";
                form->SetModalResult(mrCancel);
            }
        });
        return form->ShowClipsWizard();
    }

    // Handles the window's messages until `done` holds; false after a minute.
    bool PumpUntil(const std::function<bool()>& done)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < until) {
            app->ProcessMessages();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    // Chooses the files in the open dialog, presses Add and waits until they are loaded.
    void Add(const std::vector<std::string>& files)
    {
        ScriptedDialogs().AnswerFiles(files);
        headless->ClickControl(*form->kivImageButton_Add);
        ASSERT_TRUE(PumpUntil([this] { return !form->Loader; }));
    }
    // The clip names of the list, in order ("<null>" for an empty slot).
    static std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
            names.push_back(MyMovieImage[i] ? MyMovieImage[i]->ClipName : "<null>");
        return names;
    }

    TenfoldClock clock10;
    TQV_Video_DVD_Setup_Source_Clips_Form* form = nullptr;

private:
    std::unique_ptr<ScopedClock> fast_;
};
