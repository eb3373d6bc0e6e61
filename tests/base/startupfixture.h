#pragma once
// Start-up tests: a private program folder (with the built pictures copied in
// when they are there), the headless backend, the test clock, and a launcher
// that records instead of starting programs.
#include "shellfixture.h"

#include "base/projectdata.h"

#include "rtl/clock.h"
#include "vcl/application.h"
#include "vcl/headless.h"
#include "win32/process.h"

#include <cstdlib>
#include <functional>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class RecordingLauncher : public Launcher {
public:
    bool Launch(const ProcessSpec& spec) override
    {
        launched.push_back(spec);
        return true;
    }
    ProcessResult Run(const ProcessSpec& spec, std::uint32_t) override
    {
        launched.push_back(spec);
        return {};
    }
    bool ShellOpen(const std::string& target) override
    {
        opened.push_back(target);
        return true;
    }
    std::vector<ProcessSpec> launched;
    std::vector<std::string> opened;
};

// The test clock, with a look at the world at every sleep.
class HookedClock : public ManualClock {
public:
    void SleepMs(std::uint32_t ms) override
    {
        if (onSleep) onSleep();
        ManualClock::SleepMs(ms);
    }
    std::function<void()> onSleep;
};

// from, from + step, ... up to `to` (down to it for a negative step): the splash's fade steps.
inline std::vector<int> Range(int from, int to, int step)
{
    std::vector<int> v;
    for (int a = from; step > 0 ? a <= to : a >= to; a += step) v.push_back(a);
    return v;
}

class StartupTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        scope_ = std::make_unique<ScopedClock>(clock);
        SetLauncher(&launcher);
        if (const char* bin = std::getenv("KELDARA_BIN_DIR")) {
            const std::filesystem::path pictures = std::filesystem::path(bin) / "BMP";
            if (std::filesystem::exists(pictures / "MainSkin.bmp")) {
                std::filesystem::copy(pictures, program_ + "BMP", std::filesystem::copy_options::recursive);
                havePictures = true;
            }
        }
        app = std::make_unique<TApplication>();
        app->SetBackend(MakeScreen());
        headless = HeadlessBackend();
    }
    // The screen the program's windows are made on: headless unless a test shows them.
    virtual std::unique_ptr<THeadlessBackend> MakeScreen() { return std::make_unique<THeadlessBackend>(); }
    void TearDown() override
    {
        app.reset();
        QV_Video_DVD_Author_Form = nullptr;
        QV_Video_DVD_Select_Form = nullptr;
        QV_Video_DVD_Clip_Property_Form = nullptr;
        QV_Video_DVD_Setup_Source_Clips_Form = nullptr;
        QV_Video_DVD_Setup_Chapter_Form = nullptr;
        QV_Video_DVD_Setup_DVD_Menu_Form = nullptr;
        QV_Video_DVD_Text_Property_Form = nullptr;
        Form_About = nullptr;
        Form1 = nullptr;
        SetLauncher(nullptr);
        scope_.reset();
        ShellTest::TearDown();
    }

    HookedClock clock;
    RecordingLauncher launcher;
    std::unique_ptr<TApplication> app;
    THeadlessBackend* headless = nullptr;
    bool havePictures = false;

private:
    std::unique_ptr<ScopedClock> scope_;
};
