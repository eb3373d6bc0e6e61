// 60 s 720x576 25 fps clips with stereo sound (the easy bench clip and the grain
// clip, noise and motion as a person's own) each encoded for a PAL DVD two ways
// on the same input: through the encoder library (graph, sinks, encoders, as
// the run windows drive it) and through the ffmpeg program's own DVD target.
// Each encode runs as a child process of its own, so its CPU time and peak
// memory are its own; the two alternate, three times, and the medians come last.
//
//   bench_encode [--repetitions N]
//   bench_encode --stand-in CLIP BASE     (one encode to BASE.mpg and BASE.ac3; used by the above)
//   bench_encode --make-clip FOLDER [grain]   (writes a clip, for profiling one side by hand)
#include "childrun.h"
#include "encoder/kvrencoder.h"
#include "pipeline/encodeparams.h"
#include "rtl/paths.h"
#include "testkit/clips.h"
#include "testkit/reference.h"
#include "testkit/tempfolder.h"
#include "win32/process.h"

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

// ---- the stand-in's side: one encode in this process ----

int EncodeOnce(const std::string& clip, const std::string& base)
{
    MessageQueue queue;
    LPARAM result = 0;
    HWND window = AllocateHWnd(queue, [&](UINT m, WPARAM, LPARAM l) -> LRESULT {
        if (m == MSG_ENCODER_DONE) result = l;
        return 0;
    });
    pipeline::ClipEncodeInput input;
    input.sourcePath = clip;
    input.outputBase = base;
    input.videoWidth = 720;
    input.videoHeight = 576;
    input.letterBox = false;   // the pictures keep the source's geometry, so they compare line for line
    EncoderParams params{};
    EncoderAdvSettings adv{};
    if (!pipeline::FillEncoderParams(input, 1, true, &params, &adv)) return 2;
    D_InitEncoderDLL(window);
    D_AdvSettings(adv);
    D_CreateParam(params);
    D_BuildEncoder();
    D_BuildGraph();
    D_InitCPU();
    D_SetStartEndTime(0, 0);
    D_Run();
    while (result == 0) {
        MSG msg;
        if (queue.Get(msg, 500) == GetResult::Message) DispatchMessage(msg);
    }
    DeallocateHWnd(window);
    if (result != kEncoderDoneVideoAndAudio) {
        std::fprintf(stderr, "the encode failed: %s\n", D_LastError());
        return 1;
    }
    return 0;
}

// ---- the measuring side ----

struct Figures {
    double wall = 0;            // seconds
    double cpu = 0;             // user + system seconds
    double cpuPerPicture = 0;   // milliseconds
    double peakMb = 0;
    double videoBytes = 0;
    double pictures = 0;
    double psnr = 0;            // dB, Y, U and V together
    double psnrY = 0;
    double load = 0;            // 1-minute load average when the run began
};

// Runs one side and takes its times and peak memory.
bool Measure(const std::vector<std::string>& argv, const std::string& peakFile,
             const std::vector<std::pair<std::string, std::string>>& env, Figures* f)
{
    benchkit::ChildRun run;
    if (!benchkit::MeasureChild(argv, peakFile, env, &run, 600000)) return false;
    f->wall = run.wall, f->cpu = run.cpu, f->peakMb = run.peakMb, f->load = run.load;
    return true;
}

// Bytes of a file's video stream, as ffprobe counts its packets.
double VideoStreamBytes(const std::string& path)
{
    ProcessSpec spec;
    spec.argv = {"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "packet=size", "-of", "csv=p=0",
                 path};
    spec.captureOutput = true;
    ProcessResult r = RunProcess(spec, 120000);
    double total = 0;
    const char* p = r.output.c_str();
    while (*p) {
        char* end = nullptr;
        total += std::strtod(p, &end);
        if (end == p) ++p;
        else p = end;
    }
    return total;
}

// Quality and size of what an encode wrote.
bool Judge(const std::string& video, const std::string& clip, Figures* f)
{
    try {
        testkit::PictureQuality q = testkit::ComparePictures(video, clip);
        f->pictures = q.encodedFrames;
        f->psnr = q.psnr;
        f->psnrY = q.psnrY;
        if (q.encodedFrames != q.referenceFrames)
            std::fprintf(stderr, "%s holds %d pictures, the source %d\n", video.c_str(), q.encodedFrames,
                         q.referenceFrames);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", video.c_str(), e.what());
        return false;
    }
    f->videoBytes = VideoStreamBytes(video);
    f->cpuPerPicture = f->pictures > 0 ? f->cpu / f->pictures * 1000.0 : 0;
    return true;
}

// key=value pairs of one side's figures, prefixed with the side's name.
std::string Line(const char* side, const Figures& f)
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "%s_wall_s=%.3f %s_cpu_s=%.3f %s_cpu_ms_per_picture=%.3f %s_peak_mb=%.1f %s_video_bytes=%.0f "
                  "%s_pictures=%.0f %s_psnr_db=%.3f %s_psnr_y_db=%.3f",
                  side, f.wall, side, f.cpu, side, f.cpuPerPicture, side, f.peakMb, side, f.videoBytes, side,
                  f.pictures, side, f.psnr, side, f.psnrY);
    return text;
}

Figures MedianOf(const std::vector<Figures>& runs)
{
    auto pick = [&](double Figures::*field) {
        std::vector<double> v;
        for (const Figures& f : runs) v.push_back(f.*field);
        return Median(v);
    };
    Figures m;
    for (double Figures::*field : {&Figures::wall, &Figures::cpu, &Figures::cpuPerPicture, &Figures::peakMb,
                                   &Figures::videoBytes, &Figures::pictures, &Figures::psnr, &Figures::psnrY,
                                   &Figures::load})
        m.*field = pick(field);
    return m;
}

int Compare(int repetitions)
{
    testkit::TempFolder folder("keldara-bench-encode");
    struct Clip {
        const char* name;
        std::string path;
        std::vector<Figures> ours, theirs;
        std::vector<double> wallRatios, loads;
    };
    std::vector<Clip> clips = {{"bench", testkit::MakeBenchClip(folder.Path(), kClipSeconds), {}, {}, {}, {}},
                               {"grain", testkit::MakeGrainBenchClip(folder.Path(), kClipSeconds), {}, {}, {}, {}}};
    const std::string registry = folder.File("registry");
    if (!RegisterSinks(registry)) {
        std::fprintf(stderr, "cannot register the sinks\n");
        return 1;
    }
    const std::vector<std::pair<std::string, std::string>> env = {{"KELDARA_REGISTRY", registry},
                                                                  {"KELDARA_BIN_DIR", BinDir()}};
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    for (int rep = 1; rep <= repetitions; ++rep) {
        for (Clip& clip : clips) {
            Figures s, f;
            const std::string base = folder.File("standin");
            if (!Measure({self, "--stand-in", clip.path, base}, folder.File("standin.peak"), env, &s) ||
                !Judge(base + ".mpg", clip.path, &s))
                return 1;
            const std::string out = folder.File("ffmpeg.mpg");
            if (!Measure({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", clip.path, "-target", "pal-dvd", out},
                         folder.File("ffmpeg.peak"), {}, &f) ||
                !Judge(out, clip.path, &f))
                return 1;
            clip.ours.push_back(s);
            clip.theirs.push_back(f);
            clip.wallRatios.push_back(f.wall / s.wall);
            clip.loads.insert(clip.loads.end(), {s.load, f.load});
            std::printf("%s run %d load=%.2f %s\n", clip.name, rep, s.load, Line("standin", s).c_str());
            std::printf("%s run %d load=%.2f %s\n", clip.name, rep, f.load, Line("ffmpeg", f).c_str());
            std::fflush(stdout);
        }
    }
    for (const Clip& clip : clips) {
        const Figures s = MedianOf(clip.ours), f = MedianOf(clip.theirs);
        const double ratio = Median(clip.wallRatios);
        const double size = f.videoBytes > 0 ? s.videoBytes / f.videoBytes : 0;
        std::printf("%s goals: cpu_per_picture %s, wall_ratio %s, psnr %s, size %s, peak_memory %s\n", clip.name,
                    s.cpuPerPicture <= f.cpuPerPicture ? "met" : "missed", ratio >= 1.5 ? "met" : "missed",
                    s.psnr >= f.psnr - 0.3 ? "met" : "missed", size >= 0.95 && size <= 1.05 ? "met" : "missed",
                    s.peakMb <= 100 ? "met" : "missed");
        std::printf("%s median load=%.2f %s %s wall_ratio=%.3f size_ratio=%.4f psnr_delta_db=%.3f\n", clip.name,
                    Median(clip.loads), Line("standin", s).c_str(), Line("ffmpeg", f).c_str(), ratio, size,
                    s.psnr - f.psnr);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--stand-in") return EncodeOnce(argv[2], argv[3]);
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--make-clip") {
        const bool grain = argc == 4 && std::string(argv[3]) == "grain";
        std::printf("%s\n", (grain ? testkit::MakeGrainBenchClip(argv[2], kClipSeconds)
                                   : testkit::MakeBenchClip(argv[2], kClipSeconds)).c_str());
        return 0;
    }
    int repetitions = 3;
    if (argc == 3 && std::string(argv[1]) == "--repetitions") repetitions = std::max(1, std::atoi(argv[2]));
    else if (argc != 1) {
        std::fprintf(stderr, "usage: %s [--repetitions N | --stand-in CLIP BASE | --make-clip FOLDER]\n", argv[0]);
        return 2;
    }
    return Compare(repetitions);
}
