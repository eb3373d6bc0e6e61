// A 650 MB VCD-style .bin burnt disc-at-once onto the virtual recorder with its
// throttle off, through each ASPI layer: how fast the burner feeds a drive
// (the goal is 4x the 52x CD rate, 36.6 MB/s) and how much resident memory a
// burn adds (the goal is CacheSize + 4 MB). Counters: MB/s of image and the
// resident growth in MB, against the limits.
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

} // namespace

BENCHMARK(CueBurn)->Arg(1)->Arg(0)->ArgName("passthrough")->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
