#pragma once
// What the convert window's tests share: the headless program with its own
// program folder, a data volume with room for the working folder, the test
// clock, clips written on the spot and put in the clip list, the window made
// ready for a run, an encoder stand-in for the cases the real one cannot
// make, and loops that pump the window's messages.
#include "../base/startupfixture.h"

#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "pipeline/handlemoviethread.h"
#include "pipeline/qv_videodvdconvertprocessform.h"
#include "skin/kivmemo.h"
#include "testkit/clips.h"

#include "vcl/dialogs.h"

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

// An encoder that records its calls and ends each clip with the answer given,
// writing the clip's outputs only when asked: for the cases the real encoder
// cannot make.
class FakeEncoder final : public pipeline::EncoderLibrary {
public:
    void InitEncoderDLL(HWND w) override { calls.push_back("init"), window = w; }
    void AdvSettings(const EncoderAdvSettings&) override { calls.push_back("adv"); }
    void CreateParam(const EncoderParams& p) override { calls.push_back("param"), params = p; }
    void BuildEncoder() override { calls.push_back("encoder"); }
    void BuildGraph() override { calls.push_back("graph"); }
    void InitCPU() override { calls.push_back("cpu"); }
    void SetStartEndTime(double, double) override { calls.push_back("time"); }
    void Run() override
    {
        calls.push_back("run");
        if (writeOutputs)
            for (const char* path : {params.AudioOutput, params.VideoOutput}) std::ofstream(path) << "stream";
        if (answer) PostMessage(window, MSG_ENCODER_DONE, 0, answer);
    }
    void GetInfo(EncoderInfo* info) override { *info = EncoderInfo{}; }
    void Stop() override { calls.push_back("stop"); }
    std::string LastError() override { return ""; }

    LPARAM answer = kEncoderDoneVideoAndAudio;   // 0: the clip never ends
    bool writeOutputs = false;
    std::vector<std::string> calls;
    HWND window = nullptr;
    EncoderParams params{};
};

class ConvertTest : public StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        UseVolumes({{"data", "/dev/sda1", "rw", 100000}});
        work_ = Mount("data") + "/work/";
        media_ = root_ + "/media/";
        ForceDirectories(media_);
        CreateAppFolders();
        ScriptedDialogs().Reset();
        app->CreateForm(mainForm_);   // stands for the main window, so this one is not the main form
        app->CreateForm(QV_Video_DVD_Convert_Process_Form);
        form = QV_Video_DVD_Convert_Process_Form;
    }
    void TearDown() override
    {
        EXPECT_TRUE(headless->UnscriptedModals().empty());
        EXPECT_TRUE(ScriptedDialogs().Unscripted().empty());
        ReleaseHandleMovieThread(true);
        ReleaseProjectData();
        app.reset();
        QV_Video_DVD_Convert_Process_Form = nullptr;
        StartupTest::TearDown();
    }

    // A clip object as the probe makes it for a file (which need not exist).
    static TQV_MovieImage* AddClip(const std::string& path, double seconds, int width = 320, int height = 240)
    {
        auto* clip = new TQV_MovieImage(nullptr, static_cast<int>(MyMovieImage.Length()));
        clip->ClipName = ExtractFileName(path);
        clip->SourcePath = path;
        clip->AudioDuration = clip->VideoDuration = clip->Duration = clip->EndPoint = seconds;
        clip->AudioStreamCount = clip->VideoStreamCount = 1;
        clip->VideoWidth = width;
        clip->VideoHeight = height;
        clip->FrameRate = 25;
        MyMovieImage.Add(ClipPtr(clip));
        return clip;
    }
    // A synthetic clip with sound written into the media folder, and its clip object.
    TQV_MovieImage* AddClipFile(const std::string& name, double seconds)
    {
        testkit::ClipSpec spec;
        spec.width = 160;
        spec.height = 120;
        spec.seconds = seconds;
        testkit::WriteClip(media_ + name, spec);
        return AddClip(media_ + name, seconds, spec.width, spec.height);
    }
    // The window made ready as the clips window makes it (the menu designer: withMenu, kind 0).
    void Ready(bool withMenu, int kind)
    {
        ASSERT_TRUE(form->InitConvertProcess(withMenu, kind));
        form->SetWorkingFolderText(work_);
    }
    void Start() { form->kivImageButton_StartClick(nullptr); }

    // Handles the window's messages until `done` holds, the test clock keeping
    // pace with real time so that the 500 ms timer ticks as it would; false
    // after `seconds` of real time.
    bool PumpUntil(const std::function<bool()>& done, int seconds = 300)
    {
        const auto begin = std::chrono::steady_clock::now();
        auto last = begin;
        while (std::chrono::steady_clock::now() - begin < std::chrono::seconds(seconds)) {
            app->ProcessMessages();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const auto now = std::chrono::steady_clock::now();
            clock.Advance(static_cast<std::uint64_t>(
                std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count()));
            last = now;
        }
        return false;
    }
    bool RunToEnd(int seconds = 300)
    {
        return PumpUntil([this] { return !form->RunActive(); }, seconds);
    }
    // Lets `ms` of test time pass, a timer tick at a time.
    void Wait(int ms)
    {
        for (int t = 0; t < ms; t += 500) {
            clock.Advance(500);
            app->ProcessMessages();
        }
    }
    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        for (int i = 0; i < form->Memo1->Lines()->Count(); ++i) lines.push_back(form->Memo1->Lines()->Get(i));
        return lines;
    }
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const HeadlessMessageBox& box : headless->MessageBoxes()) texts.push_back(box.text);
        return texts;
    }
    // The files directly in a folder (no subfolders), by name.
    static std::vector<std::string> FilesIn(const std::string& folder)
    {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
            if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string ReadBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    // The running processes whose parent is this test (zombies not counted).
    static std::vector<int> ChildPids()
    {
        std::vector<int> pids;
        const std::string self = std::to_string(getpid());
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            std::string stat = ReadBytes("/proc/" + name + "/stat");
            const std::size_t close = stat.rfind(')');
            if (close == std::string::npos) continue;
            std::istringstream rest(stat.substr(close + 2));
            std::string state, parent;
            rest >> state >> parent;
            if (parent == self && state != "Z") pids.push_back(std::stoi(name));
        }
        return pids;
    }
    static bool NoChildLeft()
    {
        for (int i = 0; i < 500; ++i) {
            if (ChildPids().empty()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    TQV_Video_DVD_Convert_Process_Form* form = nullptr;
    TForm* mainForm_ = nullptr;
    std::string work_, media_;
};
