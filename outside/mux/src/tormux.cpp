// Entry points of the multiplexer library: mplex run as a child program.
#include "mux/tormux.h"

#include "muxargs.h"
#include "toolrun/outputcheck.h"
#include "toolrun/library.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"

#include <atomic>
#include <mutex>
#include <unistd.h>

static_assert(toolrun::SameCodes(MUX_OK, MUX_BAD_ARGUMENTS, MUX_MISSING_INPUT, MUX_TOOL_MISSING, MUX_FAILED,
                                 MUX_BAD_OUTPUT, MUX_CANCELLED, MUX_BUSY));

namespace {

// The library's state lives as long as it is loaded: one job.
toolrun::Library g_library;
std::atomic<int> g_position{0};
std::atomic<unsigned> g_runNumber{0};

// Keeps the last error line mplex printed; written on the reader thread.
class ErrorLines {
public:
    void Take(const std::string& line)
    {
        if (line.find("ERROR") == std::string::npos)
            return;
        std::lock_guard<std::mutex> guard(mutex_);
        last_ = Trim(line);
    }
    std::string Last()
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return last_;
    }

private:
    std::mutex mutex_;
    std::string last_;
};

int RunMux(int argc, char** argv)
{
    MuxRequest request;
    if (std::string refused = ParseMuxArguments(argc, argv, request); !refused.empty())
        return g_library.Fail(toolrun::kBadArguments, refused);
    for (const std::string& input : request.inputs)
        if (FileSize64(input) <= 0)
            return g_library.Fail(toolrun::kMissingInput, Format("The stream \"%s\" is missing or empty", input));
    // DVD and SVCD streams are VBR: the decoder's buffer is given its time to fill before the first picture.
    if (WantsNavPacks(request.format) || request.format == 4)
        request.runIn = RunInFrames(request.inputs.front());
    const std::string folder = ExtractFileDir(request.output);
    if (!DirectoryExists(folder.empty() ? "/" : folder))
        return g_library.Fail(toolrun::kBadArguments, Format("The folder of \"%s\" does not exist", request.output));

    // mplex writes a plain name in the output's folder (it would read '%' in
    // a path as a pattern); the output takes its real name only when complete.
    const std::string partName =
        Format(".tormux-%d-%u.part", static_cast<int>(::getpid()), g_runNumber.fetch_add(1));
    const std::string partPath = JoinPath(folder.empty() ? "/" : folder, partName);
    ProcessSpec spec;
    spec.argv = MplexCommand(request, partName);
    spec.workingFolder = folder.empty() ? "/" : folder;

    ErrorLines errors;
    toolrun::ReadProgress progress(request.inputs);
    auto take = [&errors](const std::string& line) { errors.Take(line); };
    toolrun::ToolJob::Outcome outcome =
        g_library.Job().Run(spec, take, take, [&](pid_t pid) { g_position.store(progress.Percent(pid)); });
    if (outcome.code != toolrun::kOk) {
        DeleteFile(partPath);
        return g_library.Fail(outcome.code, toolrun::DescribeFailure("mplex", outcome, errors.Last()));
    }
    if (std::string bad = toolrun::CheckProgramStream(partPath, PackSizeOf(request.format), WantsNavPacks(request.format));
        !bad.empty()) {
        DeleteFile(partPath);
        return g_library.Fail(toolrun::kBadOutput, bad);
    }
    // The caller normally clears the way; an old output must not block the new one.
    DeleteFile(request.output);
    if (!RenameFile(partPath, request.output)) {
        DeleteFile(partPath);
        return g_library.Fail(toolrun::kBadOutput, Format("Cannot write \"%s\"", request.output));
    }
    g_position.store(100);
    return toolrun::kOk;
}

} // namespace

TOOLRUN_EXPORT int MPlex(int argc, char** argv)
{
    return g_library.Entry("mplex", [] { g_position.store(0); },
                          [&] { return RunMux(argc, argv); });
}

TOOLRUN_EXPORT int MUXGetPosition() { return g_position.load(); }

TOOLRUN_EXPORT void MUXCancel() { g_library.Cancel(); }

TOOLRUN_EXPORT const char* MUXLastError() { return g_library.LastErrorText(); }
