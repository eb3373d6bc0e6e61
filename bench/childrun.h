#pragma once
// What the benchmarks that race a side of ours against outside programs share:
// the build's program folder, the sample sinks registered as the program does,
// and a side run as a child process of its own, so that its wall time, CPU time
// and peak memory are its own.
#include "rtl/paths.h"
#include "win32/process.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace benchkit {

inline std::string BinDir()
{
    if (const char* dir = std::getenv("KELDARA_BIN_DIR")) return dir;
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin").string();
}

// The sinks are created by class identifier: registered into `registry` as the program does.
inline bool RegisterSinks(const std::string& registry)
{
    for (const char* server : {"audio.dll", "video.dll"}) {
        ProcessSpec spec;
        spec.argv = {JoinPath(BinDir(), "regsvr32"), "/s", server};
        spec.extraEnv = {{"KELDARA_REGISTRY", registry}};
        if (!RunProcess(spec, 30000).Succeeded()) return false;
    }
    return true;
}

inline double ChildrenCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

inline double LoadAverage()
{
    double load = -1;
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1) load = -1;
        std::fclose(f);
    }
    return load;
}

struct ChildRun {
    double wall = 0;     // seconds
    double cpu = 0;      // user + system seconds
    double peakMb = 0;   // the side's largest process
    double load = 0;     // 1-minute load average when the run began
    std::string output;  // what the side printed
};

// Runs a command under GNU time (for its peak memory); wall and CPU time from here.
inline bool MeasureChild(const std::vector<std::string>& argv, const std::string& peakFile,
                         const std::vector<std::pair<std::string, std::string>>& env, ChildRun* run,
                         std::uint32_t timeoutMs = 1800000)
{
    ProcessSpec spec;
    spec.argv = {"/usr/bin/time", "-f", "%M", "-o", peakFile};
    spec.argv.insert(spec.argv.end(), argv.begin(), argv.end());
    spec.extraEnv = env;
    spec.captureOutput = true;
    run->load = LoadAverage();
    const double cpu0 = ChildrenCpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    const ProcessResult r = RunProcess(spec, timeoutMs);
    run->wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    run->cpu = ChildrenCpuSeconds() - cpu0;
    run->output = r.output;
    if (!r.Succeeded()) {
        std::fprintf(stderr, "%s failed: %s%s\n", argv[0].c_str(), r.errors.c_str(), r.error.c_str());
        return false;
    }
    double peakKb = 0;
    if (std::FILE* file = std::fopen(peakFile.c_str(), "r")) {
        if (std::fscanf(file, "%lf", &peakKb) != 1) peakKb = 0;
        std::fclose(file);
    }
    run->peakMb = peakKb / 1024.0;
    return true;
}

inline double Median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace benchkit
