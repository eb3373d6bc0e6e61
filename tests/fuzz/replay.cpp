// Replays inputs through a fuzz target's entry point in the ordinary build:
// every file named, or every file in a folder named, in name order. Each input
// must finish within a time and memory bound, so that a slow or greedy reader
// fails here as it would under the fuzzer.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr double kSecondsPerInput = 5.0;
constexpr long kPeakMegabytes = 512;

long PeakMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

std::vector<std::filesystem::path> Inputs(int argc, char** argv)
{
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg = argv[i];
        if (std::filesystem::is_directory(arg)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(arg))
                if (entry.is_regular_file()) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            inputs.insert(inputs.end(), files.begin(), files.end());
        } else if (std::filesystem::is_regular_file(arg)) {
            inputs.push_back(arg);
        }
    }
    return inputs;
}

} // namespace

int main(int argc, char** argv)
{
    int failures = 0;
    const std::vector<std::filesystem::path> inputs = Inputs(argc, argv);
    for (const auto& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        const auto start = std::chrono::steady_clock::now();
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long peak = PeakMegabytes();
        if (seconds > kSecondsPerInput || peak > kPeakMegabytes) {
            std::fprintf(stderr, "%s: %.1f s, peak %ld MB (bounds %.0f s, %ld MB)\n", path.c_str(), seconds, peak,
                         kSecondsPerInput, kPeakMegabytes);
            ++failures;
        }
    }
    std::printf("replayed %zu inputs, %d over their bounds\n", inputs.size(), failures);
    return failures == 0 && !inputs.empty() ? 0 : 1;
}
