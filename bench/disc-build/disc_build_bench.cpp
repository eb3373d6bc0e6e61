// 60 s 720x576 25 fps clips with stereo sound made into a PAL DVD folder two
// ways on the same input: through the disc builder, headless, as a user runs it
// (DVD, no menu, Start to the authored folder), and through a script of the
// ffmpeg program's DVD target and dvdauthor. Each side runs as a child process
// of its own, so its CPU time and peak memory are its own; the two alternate,
// three times, and the medians come last. Three runs: the easy bench clip, the
// grain clip (noise and motion, as a person's own), and three grain clips on
// one disc, whose per-clip figures must not grow with the clip's place.
//
//   bench_disc-build [--repetitions N] [--only bench|grain|three]
//   bench_disc-build --stand-in WORK CLIP...   (one build into WORK/DVD_DISC; used by the above)
#include "childrun.h"
#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "pipeline/qv_videodvddiscbuilderform.h"
#include "testkit/clips.h"
#include "taskdriver.h"
#include "testkit/tempfolder.h"

#include "com/com.h"
#include "dshow/mediafilters.h"
#include "rtl/paths.h"
#include "skin/kivbutton.h"
#include "skin/kivedit.h"
#include "skin/kivmemo.h"
#include "vcl/application.h"
#include "vcl/headless.h"
#include "win32/process.h"
#include "win32/progfolders.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

using benchkit::BinDir;
using benchkit::Median;
using benchkit::RegisterSinks;

constexpr double kClipSeconds = 60.0;

// ---- the stand-in's side: one build in this process ----

double ResidentMb()
{
    double kb = 0;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmRSS: %lf", &kb) == 1) break;
        std::fclose(f);
    }
    return kb / 1024;
}

// Builds the clips (in title order) into WORK/DVD_DISC. Prints each log line
// of the run with the seconds since Start when it appeared and the process's
// resident memory then ("log t=... rss=... text"), then the seconds from this
// process's start to Start and from Start to the run's end ("setup_s=...
// run_s=..."), for the measuring side.
int BuildOnce(const std::vector<std::string>& clipPaths, const std::string& work)
{
    const auto began = std::chrono::steady_clock::now();
    testkit::TempFolder program("keldara-bench-program");
    SetProgramFolder(program.Path() + "/");
    // The program's pictures, read where the program reads them (not copied: that is no work of the program's).
    const std::filesystem::path pictures = std::filesystem::path(BinDir()) / "BMP";
    if (std::filesystem::exists(pictures)) std::filesystem::create_directory_symlink(pictures, program.File("BMP"));
    CoInitialize(nullptr);
    RegisterMediaFilters();
    CreateAppFolders();
    int status = 1;
    {
        testkit::TaskDriver task;
        task.StartProgram();
        // Each clip as the clips window's probe describes it: PAL pictures flagged 4:3.
        for (const std::string& clipPath : clipPaths) {
            auto* clip = new TQV_MovieImage(nullptr, static_cast<int>(MyMovieImage.Length()));
            clip->ClipName = ExtractFileName(clipPath);
            clip->SourcePath = clipPath;
            clip->AudioDuration = clip->VideoDuration = clip->Duration = clip->EndPoint = kClipSeconds;
            clip->AudioStreamCount = clip->VideoStreamCount = 1;
            clip->VideoWidth = 720;
            clip->VideoHeight = 576;
            clip->PictureAspectX = 4;
            clip->PictureAspectY = 3;
            clip->FrameRate = 25;
            MyMovieImage.Add(ClipPtr(clip));
        }
        auto& builder = task.Window<TQV_Video_DVD_Disc_Builder_Form>("QV_Video_DVD_Disc_Builder_Form");
        if (builder.InitDiscBuilder(1)) {
            builder.BuildWithoutMenu(0);
            builder.kivEdit_WorkingFolder->SetText(work);
            task.AnswerNextMessageBox(mrYes);   // no disc in a burner: go on and author the folder
            const auto start = std::chrono::steady_clock::now();
            task.Click(*builder.kivImageButton_Start);
            int lines = 0;
            const auto log = [&] {
                TStrings& memo = *builder.Memo1->Lines();
                for (; lines < memo.Count(); ++lines)
                    std::printf("log t=%.3f rss=%.1f %s\n",
                                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                                ResidentMb(), memo.Get(lines).c_str());
            };
            if (task.PumpUntil(
                    [&] {
                        log();
                        return !builder.RunActive();
                    },
                    900) &&
                std::filesystem::exists(JoinPath(work, "DVD_DISC/VIDEO_TS/VIDEO_TS.IFO")))
                status = 0;
            log();
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

// Where the builder's time went, read from its log lines: per clip the encode
// ("Convert" to "Mux"), the multiplex ("Mux" to the next line) and the memory
// when the clip's encode ended; then the authoring ("Create DVD directory" to
// "Starting to burn...").
struct Stages {
    double setup = 0, run = 0, author = 0;
    std::vector<double> encode, mux, rss;
};

Stages ReadStages(const std::string& output)
{
    Stages st;
    std::istringstream lines(output);
    double muxStart = -1, authorStart = -1;
    for (std::string line; std::getline(lines, line);) {
        double t = 0, rss = 0;
        int used = 0;
        if (std::sscanf(line.c_str(), "setup_s=%lf run_s=%lf", &st.setup, &st.run) == 2) continue;
        if (std::sscanf(line.c_str(), "log t=%lf rss=%lf %n", &t, &rss, &used) != 2) continue;
        const std::string text = line.substr(static_cast<std::size_t>(used));
        if (muxStart >= 0) {
            st.mux.push_back(t - muxStart);
            muxStart = -1;
        }
        if (text.rfind("Convert ", 0) == 0) {
            st.encode.push_back(-t);
        } else if (text.rfind("Mux ", 0) == 0 && !st.encode.empty()) {
            st.encode.back() += t;
            st.rss.push_back(rss);
            muxStart = t;
        } else if (text == "Create DVD directory >>>") {
            authorStart = t;
        } else if (text == "Starting to burn..." && authorStart >= 0) {
            st.author = t - authorStart;
        }
    }
    return st;
}

struct Figures {
    double wall = 0, cpu = 0, peakMb = 0, load = 0;
    Stages stages;   // the builder's only
};

struct Case {
    std::string name;
    std::vector<std::string> clips;
    std::vector<Figures> ours, theirs;
    int failed = 0;   // builds without their titles
};

std::string Quote(const std::string& path) { return "'" + path + "'"; }

// The script: each clip through the DVD target with its 4:3 shape, then the titles and the table of contents.
std::string Script(const std::vector<std::string>& clips, const std::string& out)
{
    std::string script, titles;
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const std::string mpg = out + "-" + std::to_string(i + 1) + ".mpg";
        script += "ffmpeg -nostdin -v error -y -i " + Quote(clips[i]) + " -target pal-dvd -aspect 4:3 " + Quote(mpg) +
                  " >/dev/null 2>&1 && ";
        titles.append(" ").append(Quote(mpg));
    }
    return script + "VIDEO_FORMAT=PAL dvdauthor -o " + Quote(out) + " -t" + titles +
           " >/dev/null 2>&1 && VIDEO_FORMAT=PAL dvdauthor -o " + Quote(out) + " -T >/dev/null 2>&1";
}

// Titles of an authored folder, as lsdvd reads them; 0 when it cannot.
int Titles(const std::string& folder)
{
    ProcessSpec lsdvd;
    lsdvd.argv = {"lsdvd", folder};
    lsdvd.captureOutput = true;
    const ProcessResult read = RunProcess(lsdvd, 60000);
    if (!read.Succeeded()) return 0;
    int titles = 0;   // lines "Title: 01, Length: ...", not "Disc Title: ..."
    std::istringstream lines(read.output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Title: ", 0) == 0) ++titles;
    return titles;
}

std::string List(const std::vector<double>& values, const char* format = "%.3f")
{
    std::string text;
    for (double v : values) {
        char number[32];
        std::snprintf(number, sizeof number, format, v);
        if (!text.empty()) text += ',';
        text += number;
    }
    return text;
}

bool RunOnce(Case& c, int rep, const std::string& folder, const std::string& self,
             const std::vector<std::pair<std::string, std::string>>& env)
{
    const std::string ours = folder + "/ours-" + c.name;
    const std::string theirs = folder + "/theirs-" + c.name;
    std::filesystem::create_directories(ours);
    benchkit::ChildRun s, f;
    std::vector<std::string> argv = {self, "--stand-in", ours + "/"};
    argv.insert(argv.end(), c.clips.begin(), c.clips.end());
    // A build that fails is counted (its figures kept) and told; the runs go on.
    const bool built = benchkit::MeasureChild(argv, folder + "/ours.peak", env, &s);
    // The builder's disc holds every clip.
    if (!built || Titles(ours + "/DVD_DISC") != static_cast<int>(c.clips.size())) {
        std::printf("%s run=%d: the builder's disc does not hold %zu titles lsdvd can read; its log:\n%s",
                    c.name.c_str(), rep, c.clips.size(), s.output.c_str());
        ++c.failed;
    }
    if (!benchkit::MeasureChild({"sh", "-c", Script(c.clips, theirs)}, folder + "/theirs.peak", {}, &f)) return false;
    Figures o{s.wall, s.cpu, s.peakMb, s.load, ReadStages(s.output)};
    Figures t{f.wall, f.cpu, f.peakMb, f.load, {}};
    const Stages& st = o.stages;
    std::printf("%s run=%d load=%.1f ours_wall_s=%.3f ours_cpu_s=%.3f ours_peak_mb=%.1f (setup %.3f, encode %s, mux %s, "
                "author %.3f; rss at each encode's end %s MB) theirs_wall_s=%.3f theirs_cpu_s=%.3f theirs_peak_mb=%.1f "
                "load_after=%.1f wall_ratio=%.3f cpu_ratio=%.3f\n",
                c.name.c_str(), rep, s.load, o.wall, o.cpu, o.peakMb, st.setup, List(st.encode).c_str(),
                List(st.mux).c_str(), st.author, List(st.rss, "%.1f").c_str(), t.wall, t.cpu, t.peakMb, f.load,
                o.wall / t.wall, o.cpu / t.cpu);
    std::fflush(stdout);
    c.ours.push_back(o);
    c.theirs.push_back(t);
    std::filesystem::remove_all(ours);
    std::filesystem::remove_all(theirs);
    for (std::size_t i = 0; i < c.clips.size(); ++i) std::filesystem::remove(theirs + "-" + std::to_string(i + 1) + ".mpg");
    return true;
}

double MedianOf(const std::vector<Figures>& runs, double Figures::*field)
{
    std::vector<double> v;
    for (const Figures& f : runs) v.push_back(f.*field);
    return Median(v);
}

// Medians (or the least, which a busy machine disturbs least) of each clip's place over the runs.
std::vector<double> PerClip(const std::vector<Figures>& runs, std::vector<double> Stages::*field, bool least = false)
{
    std::vector<double> values;
    for (std::size_t i = 0;; ++i) {
        std::vector<double> v;
        for (const Figures& f : runs)
            if (i < (f.stages.*field).size()) v.push_back((f.stages.*field)[i]);
        if (v.empty()) return values;
        values.push_back(least ? *std::min_element(v.begin(), v.end()) : Median(v));
    }
}

void Report(const Case& c)
{
    const double ourWall = MedianOf(c.ours, &Figures::wall), theirWall = MedianOf(c.theirs, &Figures::wall);
    const double ourCpu = MedianOf(c.ours, &Figures::cpu), theirCpu = MedianOf(c.theirs, &Figures::cpu);
    const double ourPeak = MedianOf(c.ours, &Figures::peakMb), theirPeak = MedianOf(c.theirs, &Figures::peakMb);
    std::vector<double> wallRatios;
    for (std::size_t i = 0; i < c.ours.size(); ++i) wallRatios.push_back(c.ours[i].wall / c.theirs[i].wall);
    const double ratio = Median(wallRatios);
    std::vector<double> setups;
    for (const Figures& f : c.ours) setups.push_back(f.stages.setup);
    const std::vector<double> encode = PerClip(c.ours, &Stages::encode), mux = PerClip(c.ours, &Stages::mux),
                              rss = PerClip(c.ours, &Stages::rss);
    std::printf("%s median ours_wall_s=%.3f ours_cpu_s=%.3f ours_peak_mb=%.1f (setup %.3f, encode %s, mux %s) "
                "theirs_wall_s=%.3f theirs_cpu_s=%.3f theirs_peak_mb=%.1f wall_ratio=%.3f\n",
                c.name.c_str(), ourWall, ourCpu, ourPeak, Median(setups), List(encode).c_str(), List(mux).c_str(),
                theirWall, theirCpu, theirPeak, ratio);
    if (c.failed) std::printf("%s: %d of %zu builds failed\n", c.name.c_str(), c.failed, c.ours.size());
    std::string goals = "goals " + c.name + (c.failed ? " (builds failed)" : "") + ": wall<=0.5x " + (ratio <= 0.5 ? "met" : "missed") + ", cpu<=script's " +
                        (ourCpu <= theirCpu ? "met" : "missed") + ", peak<=script's+10% " +
                        (ourPeak <= theirPeak * 1.1 ? "met" : "missed");
    if (encode.size() > 1) {
        // The later clips take no longer and hold no more memory than the first (15 % and 5 MB of
        // leeway); times by each place's best run, which the other work on the machine moves least.
        const std::vector<double> bestEncode = PerClip(c.ours, &Stages::encode, true),
                                  bestMux = PerClip(c.ours, &Stages::mux, true);
        bool steady = true;
        for (std::size_t i = 1; i < bestEncode.size(); ++i)
            steady = steady && bestEncode[i] <= bestEncode[0] * 1.15 &&
                     (i >= bestMux.size() || bestMux[i] <= bestMux[0] * 1.15 + 0.05) &&
                     (i >= rss.size() || rss[i] <= rss[0] + 5);
        std::printf("%s per clip: best encode %s, best mux %s, median rss at each encode's end %s MB\n", c.name.c_str(),
                    List(bestEncode).c_str(), List(bestMux).c_str(), List(rss, "%.1f").c_str());
        goals += std::string(", per-clip figures steady ") + (steady ? "met" : "missed");
    }
    std::printf("%s\n", goals.c_str());
    std::fflush(stdout);
}

int Compare(int repetitions, const std::string& only)
{
    testkit::TempFolder folder("keldara-bench-disc");
    const std::string bench = testkit::MakeBenchClip(folder.Path(), kClipSeconds);
    const std::string grain = testkit::MakeGrainBenchClip(folder.Path(), kClipSeconds);
    const std::string registry = folder.File("registry");
    if (!RegisterSinks(registry)) {
        std::fprintf(stderr, "cannot register the sinks\n");
        return 1;
    }
    const std::vector<std::pair<std::string, std::string>> env = {{"KELDARA_REGISTRY", registry},
                                                                  {"KELDARA_BIN_DIR", BinDir()}};
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<Case> cases = {{"bench", {bench}, {}, {}, 0}, {"grain", {grain}, {}, {}, 0}, {"three", {grain, grain, grain}, {}, {}, 0}};
    if (!only.empty())
        cases.erase(std::remove_if(cases.begin(), cases.end(), [&](const Case& c) { return c.name != only; }),
                    cases.end());
    for (int rep = 1; rep <= repetitions; ++rep)
        for (Case& c : cases)
            if (!RunOnce(c, rep, folder.Path(), self, env)) return 1;
    for (const Case& c : cases) Report(c);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 3 && args[0] == "--stand-in")
        return BuildOnce(std::vector<std::string>(args.begin() + 2, args.end()), args[1]);
    int repetitions = 3;
    std::string only;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--repetitions") repetitions = std::max(1, std::atoi(args[i + 1].c_str()));
        else if (args[i] == "--only") only = args[i + 1];
    }
    return Compare(repetitions, only);
}
