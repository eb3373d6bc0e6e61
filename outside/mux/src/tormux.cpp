// Entry points of the multiplexer library: mplex run as a child program.
#include "mux/tormux.h"

#include "muxargs.h"
#include "toolrun/outputcheck.h"
#include "toolrun/toolrun.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"

#include <atomic>
#include <mutex>
#include <unistd.h>

#define TORMUX_EXPORT extern "C" __attribute__((visibility("default")))

constexpr bool Same(int a, int b) { return a == b; }
static_assert(Same(MUX_OK, toolrun::kOk) && Same(MUX_BAD_ARGUMENTS, toolrun::kBadArguments) &&
              Same(MUX_MISSING_INPUT, toolrun::kMissingInput) && Same(MUX_TOOL_MISSING, toolrun::kToolMissing) &&
              Same(MUX_FAILED, toolrun::kToolFailed) && Same(MUX_BAD_OUTPUT, toolrun::kBadOutput) &&
              Same(MUX_CANCELLED, toolrun::kCancelled) && Same(MUX_BUSY, toolrun::kBusy));

namespace {

// The library's state lives as long as it is loaded: one job.
toolrun::ToolJob g_job;
std::atomic<int> g_position{0};
toolrun::LastError g_lastError;
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

int Fail(int code, std::string reason)
{
    g_lastError.Set(std::move(reason));
    return code;
}

int RunMux(int argc, char** argv)
{
    MuxRequest request;
    if (std::string refused = ParseMuxArguments(argc, argv, request); !refused.empty())
        return Fail(toolrun::kBadArguments, refused);
    for (const std::string& input : request.inputs)
        if (FileSize64(input) <= 0)
            return Fail(toolrun::kMissingInput, Format("The stream \"%s\" is missing or empty", input));
    // DVD and SVCD streams are VBR: the decoder's buffer is given its time to fill before the first picture.
    if (WantsNavPacks(request.format) || request.format == 4)
        request.runIn = RunInFrames(request.inputs.front());
    const std::string folder = ExtractFileDir(request.output);
    if (!DirectoryExists(folder.empty() ? "/" : folder))
        return Fail(toolrun::kBadArguments, Format("The folder of \"%s\" does not exist", request.output));

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
        g_job.Run(spec, take, take, [&](pid_t pid) { g_position.store(progress.Percent(pid)); });
    if (outcome.code != toolrun::kOk) {
        DeleteFile(partPath);
        return Fail(outcome.code, toolrun::DescribeFailure("mplex", outcome, errors.Last()));
    }
    if (std::string bad = toolrun::CheckProgramStream(partPath, PackSizeOf(request.format), WantsNavPacks(request.format));
        !bad.empty()) {
        DeleteFile(partPath);
        return Fail(toolrun::kBadOutput, bad);
    }
    // The caller normally clears the way; an old output must not block the new one.
    DeleteFile(request.output);
    if (!RenameFile(partPath, request.output)) {
        DeleteFile(partPath);
        return Fail(toolrun::kBadOutput, Format("Cannot write \"%s\"", request.output));
    }
    g_position.store(100);
    return toolrun::kOk;
}

} // namespace

TORMUX_EXPORT int MPlex(int argc, char** argv)
{
    return toolrun::Entry(g_job, g_lastError, "mplex", [] { g_position.store(0); },
                          [&] { return RunMux(argc, argv); });
}

TORMUX_EXPORT int MUXGetPosition() { return g_position.load(); }

TORMUX_EXPORT void MUXCancel() { g_job.Cancel(); }

TORMUX_EXPORT const char* MUXLastError() { return g_lastError.CStr(); }
