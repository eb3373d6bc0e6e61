// Entry points of the VCD image library: vcdxbuild runs as a child program.
#include "vcdimage/pellavcd.h"

#include "cdimage.h"
#include "toolrun/library.h"
#include "rtl/paths.h"
#include "rtl/readfile.h"
#include "rtl/savefile.h"
#include "rtl/sysutils.h"
#include "vcdxbuildlog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

static_assert(toolrun::SameCodes(VCD_OK, VCD_BAD_ARGUMENTS, VCD_MISSING_INPUT, VCD_TOOL_MISSING, VCD_FAILED,
                                 VCD_BAD_OUTPUT, VCD_CANCELLED, VCD_BUSY));

namespace {

// The library's state lives as long as it is loaded: one image.
toolrun::Library g_library;
int g_scan = 0;
int g_write = 0;

// A path field of the job: NUL-terminated within its 260 bytes, else "".
std::string JobPath(const char (&field)[kVcdJobPathSize])
{
    const std::size_t length = strnlen(field, kVcdJobPathSize);
    return length < kVcdJobPathSize ? std::string(field, length) : std::string();
}

// What a build writes: the image under working names beside its own, put
// in place only once it is whole and checked, so that no half-written image
// ever stands under the names a burn (or a user) looks for. Everything is
// removed again unless the build succeeds, an old image too: a failed build
// leaves nothing that could be burnt.
class ImageOutput {
public:
    ImageOutput(std::string cue, std::string bin)
        : cue_(std::move(cue)), bin_(std::move(bin)), builtCue_(cue_ + ".part"), builtBin_(bin_ + ".part")
    {
        Remove();
    }
    ~ImageOutput()
    {
        if (!kept_)
            Remove();
    }
    ImageOutput(const ImageOutput&) = delete;
    ImageOutput& operator=(const ImageOutput&) = delete;
    const std::string& BuiltCue() const { return builtCue_; }
    const std::string& BuiltBin() const { return builtBin_; }

    // Checks the built image and gives it its names: "" or the reason it failed.
    std::string PutInPlace()
    {
        std::string sheet, why;
        if (!ReadWholeFile(builtCue_, sheet, nullptr, kMaxCueFile) || sheet.empty())
            return Format("vcdxbuild left no cue sheet in \"%s\"", builtCue_);
        std::string placed;
        if (!PointCueAt(sheet, builtBin_, bin_, placed, &why))
            return "vcdxbuild: " + why;
        if (std::string bad = CheckCdImage(sheet, builtBin_); !bad.empty())
            return "vcdxbuild: " + bad;
        // The image first, then the sheet that points at it.
        if (std::rename(builtBin_.c_str(), bin_.c_str()) != 0)
            return Format("Cannot write \"%s\": %s", bin_, std::strerror(errno));
        if (!SaveFileAtomically(cue_, placed, &why))
            return Format("Cannot write \"%s\": %s", cue_, why);
        DeleteFile(builtCue_);
        kept_ = true;
        return {};
    }

private:
    // A cue sheet of 99 tracks is a few kilobytes.
    static constexpr std::int64_t kMaxCueFile = 1024 * 1024;
    void Remove()
    {
        for (const std::string* path : {&cue_, &bin_, &builtCue_, &builtBin_})
            DeleteFile(*path);
    }
    std::string cue_, bin_, builtCue_, builtBin_;
    bool kept_ = false;
};

int Build(const VcdImageJob* job, int* resultCell)
{
    if (!job) return g_library.Fail(toolrun::kBadArguments, "vcdxbuild needs a job");
    const std::string xmlArg = JobPath(job->XmlPath), cueArg = JobPath(job->CuePath), binArg = JobPath(job->BinPath);
    if (xmlArg.empty() || cueArg.empty() || binArg.empty())
        return g_library.Fail(toolrun::kBadArguments, "The image job needs a control file, a cue file and a bin file");
    // Absolute, so that no name can read as an option.
    const std::string xml = ExpandFileName(xmlArg), cue = ExpandFileName(cueArg), bin = ExpandFileName(binArg);
    if (cue == bin || cue == xml || bin == xml || cue == bin + ".part" || bin == cue + ".part")
        return g_library.Fail(toolrun::kBadArguments, "The cue file, the bin file and the control file must differ");
    std::string text;
    if (!toolrun::ReadControlFile(xml, text))
        return g_library.Fail(toolrun::kMissingInput, Format("The control file \"%s\" is missing or unreadable", xml));
    for (const std::string& out : {cue, bin})
        if (!DirectoryExists(ExtractFileDir(out)))
            return g_library.Fail(toolrun::kBadArguments, Format("The folder of \"%s\" does not exist", out));

    ImageOutput output(cue, bin);
    ProcessSpec spec;
    spec.argv = {"vcdxbuild", "--gui", "-p", "--cue-file=" + output.BuiltCue(), "--bin-file=" + output.BuiltBin(), xml};
    std::mutex logMutex;
    VcdxbuildLog log(CountSequenceItems(text));
    auto take = [&](const std::string& line) {
        std::lock_guard<std::mutex> guard(logMutex);
        log.Take(line);
        const int scan = log.ScanPercent(), write = log.WritePercent();
        toolrun::StoreCounter(g_scan, scan);
        toolrun::StoreCounter(g_write, write);
        if (resultCell) toolrun::StoreCounter(*resultCell, (scan + write) / 2);
    };
    const toolrun::ToolJob::Outcome outcome = g_library.Job().Run(spec, take, take, {});
    std::lock_guard<std::mutex> guard(logMutex);   // the readers are done; this only orders the reads
    if (outcome.code != toolrun::kOk)
        return g_library.Fail(outcome.code, toolrun::DescribeFailure("vcdxbuild", outcome,
                                                           log.Problem().empty() ? log.Warning() : log.Problem()));
    if (!log.Problem().empty()) return g_library.Fail(toolrun::kToolFailed, "vcdxbuild: " + log.Problem());
    if (std::string bad = output.PutInPlace(); !bad.empty()) return g_library.Fail(toolrun::kBadOutput, bad);
    toolrun::StoreCounter(g_scan, 100);
    toolrun::StoreCounter(g_write, 100);
    if (resultCell) toolrun::StoreCounter(*resultCell, 100);
    return toolrun::kOk;
}

} // namespace

TOOLRUN_EXPORT int PellaBuildVCD(void*, const char*, VcdImageJob* job, int* resultCell)
{
    const auto start = [&] {
        toolrun::StoreCounter(g_scan, 0);
        toolrun::StoreCounter(g_write, 0);
        if (resultCell) toolrun::StoreCounter(*resultCell, 0);
    };
    return g_library.Entry("vcdxbuild", start, [&] { return Build(job, resultCell); });
}

TOOLRUN_EXPORT void GetSWP(int* scan, int* write)
{
    if (scan) *scan = toolrun::LoadCounter(g_scan);
    if (write) *write = toolrun::LoadCounter(g_write);
}

TOOLRUN_EXPORT void PellaCancel() { g_library.Cancel(); }

TOOLRUN_EXPORT const char* PellaLastError() { return g_library.LastErrorText(); }
