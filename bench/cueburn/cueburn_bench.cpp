// A 650 MB VCD-style .bin burnt disc-at-once onto the virtual recorder with its
// throttle off, through each ASPI layer: how fast the burner feeds a drive
// (the goal is 4x the 52x CD rate, 36.6 MB/s) and how much resident memory a
// burn adds (the goal is CacheSize + 4 MB). Counters: MB/s of image and the
// resident growth in MB, against the limits.
//
// Loading a 6 MB cue file (the goal is under a second): one that loads, 99
// tracks of 99 indices padded with TITLE lines, and one of 150,000 tracks,
// refused at the 100th.
#include "discrec/dkaspi.h"
#include "discrec/dkcueburner.h"
#include "discrec/dkspti.h"
#include "testkit/recorder.h"
#include "testkit/tempfolder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kSectors = 650LL * 1000 * 1000 / 2352;   // 650 MB
constexpr double kGoalMBps = 4 * 52 * 176.4 / 1000;             // 36.7 MB/s

testkit::TempFolder& Folder()
{
    static testkit::TempFolder folder("keldara-bench-cueburn");
    return folder;
}

// Mode-2 sectors as vcdxbuild lays them out: sync, header at LBA + 150, then data.
const std::string& Image()
{
    static const std::string cue = [] {
        const std::string bin = Folder().File("image.bin");
        std::ofstream out(bin, std::ios::binary);
        std::vector<char> chunk(2352 * 256);
        std::uint32_t noise = 12345;
        for (std::int64_t s = 0; s < kSectors; s += 256) {
            const std::int64_t count = std::min<std::int64_t>(256, kSectors - s);
            for (std::int64_t i = 0; i < count; ++i) {
                char* sector = chunk.data() + i * 2352;
                static const unsigned char sync[12] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
                std::memcpy(sector, sync, 12);
                const std::int64_t frames = s + i + 150;
                auto bcd = [](std::int64_t v) { return static_cast<char>((v / 10) << 4 | (v % 10)); };
                sector[12] = bcd(frames / 4500), sector[13] = bcd(frames / 75 % 60), sector[14] = bcd(frames % 75);
                sector[15] = 2;
                for (int b = 16; b < 2352; b += 4) {
                    noise = noise * 1664525u + 1013904223u;
                    std::memcpy(sector + b, &noise, 4);
                }
            }
            out.write(chunk.data(), count * 2352);
        }
        const std::string path = Folder().File("image.cue");
        std::ofstream(path) << "FILE \"image.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n";
        return path;
    }();
    return cue;
}

// The ASPI library is built beside the test programs, not beside the benchmarks.
std::string AspiLibrary()
{
    const char* dir = std::getenv("KELDARA_BIN_DIR");
    const std::filesystem::path bin =
        dir ? std::filesystem::path(dir) : std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin";
    return (bin / "libWNASPI32.so").string();
}

long StatusKB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::strlen(field)));
    return 0;
}

void CueBurn(benchmark::State& state)
{
    const bool passThrough = state.range(0) == 1;
    const std::string cue = Image();
    testkit::RecorderConfig config;
    config.imagePath = Folder().File("burned.bin");
    testkit::RegisteredRecorder recorder(config);
    for (auto _ : state) {
        recorder->InsertMedium(testkit::Medium::Blank(testkit::MediumKind::CdR));
        TCueBurner burner(nullptr);
        if (!burner.InitializeASPI(passThrough, passThrough ? "" : AspiLibrary()) || burner.Devices().Count() == 0 ||
            ASPILayerName() != (passThrough ? "DKASPI32" : "WNASPI32.DLL")) {
            state.SkipWithError("no layer or no recorder");
            break;
        }
        burner.SetDeviceID(burner.Devices()[0]);
        burner.WriteMethod = wmDAO;
        std::string result = "not finished";
        burner.OnWriteDone = [&](TObject*, const std::string& error) { result = error; };
        if (!burner.LoadCueFile(cue)) {
            state.SkipWithError(burner.LastError().c_str());
            break;
        }
        { std::ofstream("/proc/self/clear_refs") << "5"; }   // the peak starts from here
        const long before = StatusKB("VmRSS:");
        const auto start = std::chrono::steady_clock::now();
        if (burner.BurnCD())
            burner.WaitForBurn();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long peak = StatusKB("VmHWM:");
        if (!result.empty()) {
            state.SkipWithError(("burn failed: " + result).c_str());
            break;
        }
        const double mb = static_cast<double>(burner.BytesWritten) / 1e6;
        state.counters["MB/s"] = mb / seconds;
        state.counters["goal MB/s"] = kGoalMBps;
        state.counters["RSS growth MB"] = static_cast<double>(peak - before) / 1024.0;
        state.counters["limit MB"] = static_cast<double>(burner.CacheSize()) / 1048576.0 + 4;
        state.SetIterationTime(seconds);
        (void)burner.DeInitializeASPI();   // the next round binds afresh either way
        SPTIDeInit();
        ASPIDLLLoaded = false;
    }
}

// A cue file of at least 6 MB: the most tracks and indices a disc takes (or 150,000
// tracks), each index followed by TITLE lines up to the size.
std::string BigCue(bool loads)
{
    constexpr std::size_t kBytes = 6 * 1024 * 1024;
    const std::string bin = Folder().File("sparse.bin");
    { std::ofstream(bin, std::ios::binary); }
    std::filesystem::resize_file(bin, std::uintmax_t{150000 + 1} * 2352);   // sparse: room for every index
    std::string text = "FILE \"sparse.bin\" BINARY\n";
    const int tracks = loads ? 99 : 150000, indices = loads ? 99 : 1;
    const std::size_t titles = loads ? kBytes / (99 * 99) / 20 + 1 : 0;
    int frame = 0;
    for (int t = 1; t <= tracks; ++t) {
        text += "  TRACK " + std::to_string(t) + " MODE2/2352\n";
        for (int i = 0; i < indices; ++i, ++frame) {
            char index[40];
            std::snprintf(index, sizeof index, "    INDEX %.2d %.2d:%.2d:%.2d\n", i + 1, frame / 4500, frame / 75 % 60,
                          frame % 75);
            text += index;
            for (std::size_t k = 0; k < titles; ++k)
                text += "    TITLE \"a title\"\n";
        }
    }
    const std::string path = Folder().File(loads ? "big.cue" : "many-tracks.cue");
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

void LoadBigCue(benchmark::State& state)
{
    const bool loads = state.range(0) == 1;
    const std::string cue = BigCue(loads);
    for (auto _ : state) {
        TCueBurner burner(nullptr);
        burner.WriteMethod = wmDAO;
        const auto start = std::chrono::steady_clock::now();
        const bool loaded = burner.LoadCueFile(cue) && burner.BuildCueSheet();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (loaded != loads) {
            state.SkipWithError((std::string(loaded ? "loaded" : "refused") + " in " + std::to_string(seconds) +
                                 " s: " + burner.LastError())
                                    .c_str());
            break;
        }
        state.counters["MB"] = static_cast<double>(std::filesystem::file_size(cue)) / 1048576.0;
        state.counters["goal s"] = 1;
    }
}

} // namespace

BENCHMARK(LoadBigCue)->Arg(1)->Arg(0)->ArgName("loads")->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(CueBurn)->Arg(1)->Arg(0)->ArgName("passthrough")->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
