// Entry points of the authoring library: dvdauthor and spumux run as child programs.
#include "author/dvdauthorlib.h"

#include "authorlog.h"
#include "gfx/fonts.h"
#include "toolrun/outputcheck.h"
#include "toolrun/library.h"
#include "rtl/paths.h"
#include "rtl/readfile.h"
#include "rtl/sysutils.h"
#include "subfonts.h"
#include "tvstandard.h"
#include "xmlscan.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

static_assert(toolrun::SameCodes(AUTHOR_OK, AUTHOR_BAD_ARGUMENTS, AUTHOR_MISSING_INPUT, AUTHOR_TOOL_MISSING, AUTHOR_FAILED,
                                 AUTHOR_BAD_OUTPUT, AUTHOR_CANCELLED, AUTHOR_BUSY));

namespace {

// The library's state lives as long as it is loaded: one job.
toolrun::Library g_library;
int g_vobsMB = 0;
int g_subtitlePercent = 0;

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error))
        return true;
    return ExpandFileName(a) == ExpandFileName(b);
}

// A temporary folder removed with its content.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* prefix) : path_(MakeTempFolder(prefix)) {}
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// What dvdauthor makes under its destination: removed again, unless the run
// succeeds, so that a failed run leaves no half-written disc that no reader
// opens, that pushes the next run to another folder and keeps a full disk full.
// Only what was not there before the run goes.
class AuthorOutput {
public:
    explicit AuthorOutput(const std::string& dest)
    {
        if (dest.empty())
            return;
        dest_ = ExpandFileName(dest);
        if (!DirectoryExists(dest_)) {
            made_.push_back(dest_);
            return;
        }
        for (const char* sub : {"VIDEO_TS", "AUDIO_TS"})
            if (const std::string path = JoinPath(dest_, sub); !DirectoryExists(path))
                made_.push_back(path);
    }
    ~AuthorOutput()
    {
        if (kept_)
            return;
        for (const std::string& path : made_) {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    }
    AuthorOutput(const AuthorOutput&) = delete;
    AuthorOutput& operator=(const AuthorOutput&) = delete;
    void Keep() { kept_ = true; }

private:
    std::string dest_;
    std::vector<std::string> made_;
    bool kept_ = false;
};

// Whether a file starts with the given bytes.
bool StartsWith(const std::string& path, const std::string& magic)
{
    toolrun::ReadOnlyFile file(path);
    std::vector<std::uint8_t> head(magic.size());
    return file.ReadAt(0, head) && std::equal(head.begin(), head.end(), magic.begin(),
                                              [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
}

// "" when dest holds a VIDEO_TS as dvdauthor writes one: its VIDEO_TS.IFO
// and at least one title set's VTS_nn_0.IFO, each starting as a DVD player
// expects it to; else the reason.
std::string CheckVideoTs(const std::string& dest)
{
    const std::string folder = JoinPath(dest, "VIDEO_TS");
    const std::string vmg = JoinPath(folder, "VIDEO_TS.IFO");
    if (!FileExists(vmg))
        return Format("dvdauthor left no VIDEO_TS in \"%s\"", dest);
    if (!StartsWith(vmg, "DVDVIDEO-VMG"))
        return Format("dvdauthor wrote a VIDEO_TS.IFO that is not one in \"%s\"", folder);
    int titleSets = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != 12 || name.compare(0, 4, "VTS_") != 0 || name.compare(6, 6, "_0.IFO") != 0)
            continue;
        if (!StartsWith(it->path().string(), "DVDVIDEO-VTS"))
            return Format("dvdauthor wrote a %s that is not one in \"%s\"", name, folder);
        ++titleSets;
    }
    if (titleSets == 0)
        return Format("dvdauthor left no title set in \"%s\"", folder);
    return {};
}

void SetVideoFormat(ProcessSpec& spec, TvStandard standard)
{
    if (std::string name = VideoFormatName(standard); !name.empty())
        spec.extraEnv.emplace_back("VIDEO_FORMAT", name);
}

// Starts one entry call, its progress counter at 0.
template <class Body>
int Entry(const char* program, int& counter, Body body)
{
    return g_library.Entry(program, [&] { toolrun::StoreCounter(counter, 0); }, body);
}

int RunSpumux(const char* xmlArg, const char* inputArg, const char* outputArg)
{
    if (!xmlArg || !inputArg || !outputArg || !*xmlArg || !*inputArg || !*outputArg)
        return g_library.Fail(toolrun::kBadArguments, "spumux needs a description, an input and an output");
    // Absolute, so that no name can read as an option.
    const std::string xml = ExpandFileName(xmlArg), input = ExpandFileName(inputArg), output = ExpandFileName(outputArg);
    std::string description;
    if (!toolrun::ReadControlFile(xml, description))
        return g_library.Fail(toolrun::kMissingInput, Format("The spumux description \"%s\" is missing or unreadable", xml));
    if (FileSize64(input) <= 0)
        return g_library.Fail(toolrun::kMissingInput, Format("The stream \"%s\" is missing or empty", input));
    if (SameFile(input, output))
        return g_library.Fail(toolrun::kBadArguments, Format("The output \"%s\" is also the input", output));
    if (!DirectoryExists(ExtractFileDir(output)))
        return g_library.Fail(toolrun::kBadArguments, Format("The folder of \"%s\" does not exist", output));

    bool changed = false;
    const std::string mapped = MapSubtitleFonts(description, [](const std::string& font) { return FindFontFile(font); },
                                                changed);
    std::unique_ptr<ScratchFolder> scratch;
    std::string xmlToUse = xml;
    if (changed) {
        scratch = std::make_unique<ScratchFolder>("keldara-spumux");
        xmlToUse = JoinPath(scratch->Path(), "subpictures.xml");
        std::ofstream out(xmlToUse, std::ios::binary | std::ios::trunc);
        out << mapped;
        if (!out.good())
            return g_library.Fail(toolrun::kToolFailed, "Cannot write the spumux description");
    }

    ProcessSpec spec;
    spec.argv = {"spumux", "-m", "dvd", xmlToUse};
    spec.stdinFile = input;
    spec.stdoutFile = output;
    SetVideoFormat(spec, ProbeTvStandard(input));

    SpumuxLog log;
    toolrun::ReadProgress progress({input});
    toolrun::ToolJob::Outcome outcome = g_library.Job().Run(
        spec, {}, [&log](const std::string& line) { log.Take(line); },
        [&](pid_t pid) { toolrun::StoreCounter(g_subtitlePercent, progress.Percent(pid)); });
    if (outcome.code != toolrun::kOk) {
        DeleteFile(output);
        return g_library.Fail(outcome.code, toolrun::DescribeFailure("spumux", outcome, log.Problem()));
    }
    if (std::string problem = log.Problem(); !problem.empty()) {
        DeleteFile(output);
        return g_library.Fail(toolrun::kToolFailed, "spumux: " + problem);
    }
    // Only a program stream of whole DVD packs may take the input's place.
    if (std::string bad = toolrun::CheckProgramStream(output, 2048, false); !bad.empty()) {
        DeleteFile(output);
        return g_library.Fail(toolrun::kBadOutput, "spumux: " + bad);
    }
    toolrun::StoreCounter(g_subtitlePercent, 100);
    return toolrun::kOk;
}

int RunAuthor(const char* xmlArg)
{
    if (!xmlArg || !*xmlArg)
        return g_library.Fail(toolrun::kBadArguments, "dvdauthor needs a control file");
    const std::string xml = ExpandFileName(xmlArg);
    std::string text;
    if (!toolrun::ReadControlFile(xml, text))
        return g_library.Fail(toolrun::kMissingInput, Format("The control file \"%s\" is missing or unreadable", xml));
    const std::vector<XmlTag> tags = ScanStartTags(text);
    std::string dest;
    for (const XmlTag& tag : tags)
        if (tag.name == "dvdauthor")
            if (const XmlAttribute* d = tag.Find("dest"))
                dest = d->value;

    ProcessSpec spec;
    spec.argv = {"dvdauthor", "-x", xml};
    SetVideoFormat(spec, TvStandardOfAuthorXml(tags));

    AuthorLog log;
    auto take = [&log](const std::string& line) {
        log.Take(line);
        toolrun::StoreCounter(g_vobsMB, log.MegabytesWritten());
    };
    AuthorOutput output(dest);
    toolrun::ToolJob::Outcome outcome = g_library.Job().Run(spec, take, take, {});
    if (outcome.code != toolrun::kOk)
        return g_library.Fail(outcome.code, toolrun::DescribeFailure("dvdauthor", outcome, log.Problem()));
    if (std::string problem = log.Problem(); !problem.empty())
        return g_library.Fail(toolrun::kToolFailed, "dvdauthor: " + problem);
    if (!dest.empty())
        if (std::string bad = CheckVideoTs(dest); !bad.empty())
            return g_library.Fail(toolrun::kBadOutput, bad);
    output.Keep();
    return toolrun::kOk;
}

} // namespace

TOOLRUN_EXPORT int spumux_main(char* xmlPath, char* inputPath, char* outputPath)
{
    return Entry("spumux", g_subtitlePercent, [&] { return RunSpumux(xmlPath, inputPath, outputPath); });
}

TOOLRUN_EXPORT int author_main(char* xmlPath)
{
    return Entry("dvdauthor", g_vobsMB, [&] { return RunAuthor(xmlPath); });
}

TOOLRUN_EXPORT int* getVOBsMB() { return &g_vobsMB; }

TOOLRUN_EXPORT int* getSubtitleMuxPercent() { return &g_subtitlePercent; }

TOOLRUN_EXPORT void AuthorCancel() { g_library.Cancel(); }

TOOLRUN_EXPORT const char* AuthorLastError() { return g_library.LastErrorText(); }
