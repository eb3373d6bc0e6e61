// A 60 s 720x576 25 fps clip with stereo sound made into a PAL DVD folder two
// ways on the same input: through the disc builder, headless, as a user runs it
// (DVD, no menu, Start to the authored folder), and through a script of the
// ffmpeg program's DVD target and dvdauthor. Each side runs as a child process
// of its own, so its CPU time and peak memory are its own; the two alternate,
// three times, and the medians come last.
//
//   bench_disc-build [--repetitions N]
//   bench_disc-build --stand-in CLIP WORK   (one build into WORK/DVD_DISC; used by the above)
#include "childrun.h"
#include "pipeline/pipelinewindows.h"
#include "pipeline/qv_videodvddiscbuilderform.h"
#include "menu/menuwindows.h"
#include "shell/burnpubfunction.h"
#include "shell/projectdata.h"
#include "shell/qv_movieimage.h"
#include "testkit/clips.h"
#include "taskdriver.h"
#include "testkit/tempfolder.h"

#include "com/com.h"
#include "dshow/mediafilters.h"
#include "rtl/paths.h"
#include "skin/kivbutton.h"
#include "skin/kivedit.h"
#include "vcl/application.h"
#include "vcl/headless.h"
#include "win32/process.h"
#include "win32/progfolders.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using benchkit::BinDir;
using benchkit::Median;
using benchkit::RegisterSinks;

constexpr double kClipSeconds = 60.0;

// ---- the stand-in's side: one build in this process ----

// Prints the seconds from this process's start to Start and from Start to the
// run's end ("setup_s=... run_s=..."), for the measuring side.
int BuildOnce(const std::string& clipPath, const std::string& work)
{
    const auto began = std::chrono::steady_clock::now();
    testkit::TempFolder program("keldara-bench-program");
    SetProgramFolder(program.Path() + "/");
    const std::filesystem::path pictures = std::filesystem::path(BinDir()) / "BMP";
    if (std::filesystem::exists(pictures))
        std::filesystem::copy(pictures, program.File("BMP"), std::filesystem::copy_options::recursive);
    CoInitialize(nullptr);
    RegisterMediaFilters();
    CreateAppFolders();
    RegisterPipelineWindows();
    RegisterMenuWindows();
    int status = 1;
    {
        testkit::TaskDriver task;
        task.StartProgram();
        // The clip as the clips window's probe describes it.
        auto* clip = new TQV_MovieImage(nullptr, 0);
        clip->ClipName = ExtractFileName(clipPath);
        clip->SourcePath = clipPath;
        clip->AudioDuration = clip->VideoDuration = clip->Duration = clip->EndPoint = kClipSeconds;
        clip->AudioStreamCount = clip->VideoStreamCount = 1;
        clip->VideoWidth = 720;
        clip->VideoHeight = 576;
        clip->FrameRate = 25;
        MyMovieImage.Add(ClipPtr(clip));
        auto& builder = task.Window<TQV_Video_DVD_Disc_Builder_Form>("QV_Video_DVD_Disc_Builder_Form");
        if (builder.InitDiscBuilder(1)) {
            builder.BuildWithoutMenu(0);
            builder.kivEdit_WorkingFolder->SetText(work);
            task.AnswerNextMessageBox(mrYes);   // no disc in a burner: go on and author the folder
            const auto start = std::chrono::steady_clock::now();
            task.Click(*builder.kivImageButton_Start);
            if (task.PumpUntil([&] { return !builder.RunActive(); }, 900) &&
                std::filesystem::exists(JoinPath(work, "DVD_DISC/VIDEO_TS/VIDEO_TS.IFO")))
                status = 0;
            const auto end = std::chrono::steady_clock::now();
            std::printf("setup_s=%.3f run_s=%.3f\n", std::chrono::duration<double>(start - began).count(),
                        std::chrono::duration<double>(end - start).count());
        }
        ReleaseProjectData();
    }
    QV_Video_DVD_Disc_Builder_Form = nullptr;
    CoUninitialize();
    return status;
}

// ---- the measuring side ----

int Compare(int repetitions)
{
    testkit::TempFolder folder("keldara-bench-disc");
    const std::string clip = testkit::MakeBenchClip(folder.Path(), kClipSeconds);
    const std::string registry = folder.File("registry");
    if (!RegisterSinks(registry)) {
        std::fprintf(stderr, "cannot register the sinks\n");
        return 1;
    }
    const std::vector<std::pair<std::string, std::string>> env = {{"KELDARA_REGISTRY", registry},
                                                                  {"KELDARA_BIN_DIR", BinDir()}};
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<double> ratios, ourWall, ourCpu, ourPeak, theirWall, theirCpu, theirPeak;
    for (int rep = 1; rep <= repetitions; ++rep) {
        const std::string ours = folder.File("ours" + std::to_string(rep));
        const std::string theirs = folder.File("theirs" + std::to_string(rep));
        std::filesystem::create_directories(ours);
        benchkit::ChildRun s, f;
        if (!benchkit::MeasureChild({self, "--stand-in", clip, ours + "/"}, folder.File("ours.peak"), env, &s)) return 1;
        // The builder's disc holds the whole clip.
        ProcessSpec lsdvd;
        lsdvd.argv = {"lsdvd", ours + "/DVD_DISC"};
        lsdvd.captureOutput = true;
        const ProcessResult read = RunProcess(lsdvd, 60000);
        const std::size_t title = read.output.find("Title: 01, Length: ");
        if (!read.Succeeded() || title == std::string::npos) {
            std::fprintf(stderr, "lsdvd cannot read the builder's disc: %s\n", read.errors.c_str());
            return 1;
        }
        std::printf("ours_title=\"%s\"\n", read.output.substr(title, 31).c_str());
        // Where the builder's time goes: the program's start (its windows) and Start to the authored folder.
        double setup = 0, run = 0;
        const std::size_t phases = s.output.find("setup_s=");
        if (phases != std::string::npos) std::sscanf(s.output.c_str() + phases, "setup_s=%lf run_s=%lf", &setup, &run);
        // The script: the DVD target with the clip's 4:3 shape, then the title and the table of contents.
        const std::string script = "ffmpeg -nostdin -v error -y -i '" + clip + "' -target pal-dvd -aspect 4:3 '" +
                                   theirs + ".mpg' >/dev/null 2>&1 && VIDEO_FORMAT=PAL dvdauthor -o '" + theirs + "' -t '" +
                                   theirs + ".mpg' >/dev/null 2>&1 && VIDEO_FORMAT=PAL dvdauthor -o '" + theirs + "' -T >/dev/null 2>&1";
        if (!benchkit::MeasureChild({"sh", "-c", script}, folder.File("theirs.peak"), {}, &f)) return 1;
        std::printf("run=%d load=%.1f ours_wall_s=%.3f (setup %.3f, Start to folder %.3f) ours_cpu_s=%.3f ours_cores=%.2f "
                    "ours_peak_mb=%.1f theirs_wall_s=%.3f theirs_cpu_s=%.3f theirs_cores=%.2f theirs_peak_mb=%.1f "
                    "ratio=%.3f start_to_folder_ratio=%.3f\n",
                    rep, s.load, s.wall, setup, run, s.cpu, s.cpu / s.wall, s.peakMb, f.wall, f.cpu, f.cpu / f.wall,
                    f.peakMb, s.wall / f.wall, run / f.wall);
        std::fflush(stdout);
        ratios.push_back(s.wall / f.wall);
        ourWall.push_back(s.wall), ourCpu.push_back(s.cpu), ourPeak.push_back(s.peakMb);
        theirWall.push_back(f.wall), theirCpu.push_back(f.cpu), theirPeak.push_back(f.peakMb);
        std::filesystem::remove_all(ours);
        std::filesystem::remove_all(theirs);
    }
    const double ratio = Median(ratios);
    std::printf("goal ratio<=1.2: %s\n", ratio <= 1.2 ? "met" : "missed");
    std::printf("median ours_wall_s=%.3f ours_cores=%.2f ours_peak_mb=%.1f theirs_wall_s=%.3f theirs_cores=%.2f "
                "theirs_peak_mb=%.1f ratio=%.3f\n",
                Median(ourWall), Median(ourCpu) / Median(ourWall), Median(ourPeak), Median(theirWall),
                Median(theirCpu) / Median(theirWall), Median(theirPeak), ratio);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "--stand-in") return BuildOnce(args[1], args[2]);
    int repetitions = 3;
    if (args.size() == 2 && args[0] == "--repetitions") repetitions = std::max(1, std::atoi(args[1].c_str()));
    return Compare(repetitions);
}
