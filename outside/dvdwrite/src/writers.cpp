#include "writers.h"

#include "dvdwrite/dvdwrite_hwe.h"
#include "pipewrite.h"
#include "rtl/paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace dvdwrite {

namespace {

// Holds a drive open for one operation: the engine never keeps a drive open
// between calls, so a burning program or a mount finds it free.
class DriveSession {
public:
    explicit DriveSession(MmcDrive& drive) : drive_(drive), open_(drive.Open()) {}
    ~DriveSession() { drive_.Close(); }
    DriveSession(const DriveSession&) = delete;
    DriveSession& operator=(const DriveSession&) = delete;
    explicit operator bool() const { return open_; }

private:
    MmcDrive& drive_;
    bool open_;
};

// Every regular file under folder.
std::vector<std::string> FilesUnder(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        if (it->is_regular_file(error))
            files.push_back(it->path().string());
    return files;
}

// A drive without a device node of its own (a virtual drive): the image
// comes through a pipe and the engine writes its sectors itself.
std::optional<WritePlan> PipeWritePlan(int number, const std::string& folder, const std::string& label,
                                       std::string& why)
{
    auto pipe = std::make_shared<PipeToDrive>(number);
    if (!pipe->Open(why))
        return std::nullopt;
    WritePlan plan;
    plan.spec.argv = GenisoimageArguments(label, pipe->PipePath(), folder);
    plan.tool = WriteTool::Genisoimage;
    plan.inputs = FilesUnder(folder);
    plan.start = [pipe] { pipe->Start(); };
    plan.end = [pipe](bool toolSucceeded, WriteProgress& progress) -> WriteEnd {
        if (!toolSucceeded) {
            // A copy that failed first is why the tool stopped (its pipe was closed).
            return {HWE_WRITE_FAILED, pipe->Stop()};
        }
        if (std::string copied = pipe->Finish(); !copied.empty())
            return {HWE_WRITE_FAILED, copied};
        progress.AllWritten();
        progress.Closing();
        if (std::string closed = pipe->Close(); !closed.empty())
            return {HWE_WRITE_FINALIZE_FAILED, closed};
        return {};
    };
    return plan;
}

class DriveWriter : public Writer {
public:
    DriveWriter(const ScsiDriveInfo& info, const InquiryText& inquiry) : info_(info), drive_(info.number)
    {
        for (const std::string& part : {inquiry.vendor, inquiry.product, inquiry.revision})
            if (!part.empty())
                name_ += (name_.empty() ? "" : " ") + part;
        name_ += " (" + info.path + ")";
    }

    std::string Name() const override { return name_; }

    MediumState Probe() override
    {
        DriveSession session(drive_);
        if (!session || !drive_.TestUnitReady())
            return {};
        const auto config = drive_.GetConfiguration();
        return {true, config ? config->currentProfile : 0};
    }

    int MediaType() override
    {
        DriveSession session(drive_);
        const auto config = session ? drive_.GetConfiguration() : std::nullopt;
        return config ? config->currentProfile : 0;
    }

    int MediaStatus() override
    {
        DriveSession session(drive_);
        if (!session || !drive_.TestUnitReady())
            return HWE_MEDIA_NONE;
        const auto config = drive_.GetConfiguration();
        const int profile = config ? config->currentProfile : 0;
        if (IsCdProfile(profile))
            return HWE_MEDIA_NOT_DVD;
        if (!IsWritableDvdProfile(profile))
            return HWE_MEDIA_NOT_WRITABLE;
        const auto disc = drive_.DiscInfo();
        if (!disc)
            return HWE_MEDIA_HAS_DATA;
        if (disc->status == 0)
            return HWE_MEDIA_BLANK;
        if (disc->status == 1)
            return HWE_MEDIA_HAS_DATA;
        // A complete disc: rewritable media are written again, closed write-once ones never.
        return IsOverwritableProfile(profile) || disc->erasable ? HWE_MEDIA_HAS_DATA : HWE_MEDIA_NOT_WRITABLE;
    }

    std::vector<int> WriteSpeeds() override
    {
        DriveSession session(drive_);
        return session ? drive_.WriteSpeeds() : std::vector<int>{};
    }

    void OpenTray() override
    {
        if (DriveSession session(drive_); session)
            drive_.StartStopUnit(false);
    }

    void CloseTray() override
    {
        if (DriveSession session(drive_); session)
            drive_.StartStopUnit(true);
    }

    std::optional<WritePlan> PlanWrite(const std::string& folder, const std::string& label, int speedKBs,
                                       std::string& why) override
    {
        if (info_.isVirtual)   // it has no device node a burning program could open
            return PipeWritePlan(info_.number, folder, label, why);
        WritePlan plan;
        plan.spec.argv = GrowisofsArguments(info_.path, speedKBs, label, folder);
        plan.tool = WriteTool::Growisofs;
        return plan;
    }

private:
    ScsiDriveInfo info_;
    MmcDrive drive_;
    std::string name_;
};

// Writes the disc image into a file: a blank DVD-R is always in, the tray
// calls take it out and put a fresh one in.
class ImageFileWriter : public Writer {
public:
    explicit ImageFileWriter(std::string path) : path_(std::move(path)) {}

    std::string Name() const override { return "Image file writer (" + path_ + ")"; }
    MediumState Probe() override { return {!trayOpen_, trayOpen_ ? 0 : kDvdR}; }
    int MediaType() override { return trayOpen_ ? 0 : kDvdR; }
    int MediaStatus() override { return trayOpen_ ? HWE_MEDIA_NONE : HWE_MEDIA_BLANK; }
    std::vector<int> WriteSpeeds() override { return {16 * kDvdSpeed1x, 8 * kDvdSpeed1x, 4 * kDvdSpeed1x, 2 * kDvdSpeed1x}; }
    void OpenTray() override { trayOpen_ = true; }
    void CloseTray() override { trayOpen_ = false; }

    std::optional<WritePlan> PlanWrite(const std::string& folder, const std::string& label, int,
                                       std::string&) override
    {
        // Written beside the target and renamed over it at the end, so a
        // failed or stopped write leaves the previous image as it was.
        const std::string part = path_ + ".part";
        WritePlan plan;
        plan.spec.argv = GenisoimageArguments(label, part, folder);
        plan.tool = WriteTool::Genisoimage;
        plan.inputs = FilesUnder(folder);
        plan.end = [part, target = path_](bool toolSucceeded, WriteProgress& progress) -> WriteEnd {
            if (toolSucceeded) {
                if (std::rename(part.c_str(), target.c_str()) == 0) {
                    // The image is whole and in place, even one too small for the tool to count.
                    progress.AllWritten();
                    progress.Closing();
                    return {};
                }
                // Nothing is in place, so nothing is written: a failed write, not a failed finalisation.
                const std::string why = "the image could not be put in place as " + target + ": " + std::strerror(errno);
                DeleteFile(part);
                return {HWE_WRITE_FAILED, why};
            }
            DeleteFile(part);
            return {HWE_WRITE_FAILED, ""};
        };
        return plan;
    }

private:
    static constexpr int kDvdR = 0x11;
    std::string path_;
    bool trayOpen_ = false;
};

} // namespace

std::vector<std::unique_ptr<Writer>> FindDriveWriters()
{
    std::vector<std::unique_ptr<Writer>> writers;
    for (const ScsiDriveInfo& info : EnumerateScsiDrives()) {
        MmcDrive drive(info.number);
        DriveSession session(drive);
        if (!session)
            continue;   // a drive this user may not open cannot be written either
        const auto inquiry = drive.Inquiry();
        if (!inquiry)
            continue;
        bool writesDvd = false;
        if (const auto config = drive.GetConfiguration())
            for (int profile : config->profiles)
                writesDvd = writesDvd || IsWritableDvdProfile(profile);
        if (!writesDvd)
            if (const auto caps = drive.CapabilitiesPage())
                writesDvd = caps->writesDvd;
        if (writesDvd)
            writers.push_back(std::make_unique<DriveWriter>(info, *inquiry));
    }
    return writers;
}

std::unique_ptr<Writer> ImageFileWriterFromEnvironment()
{
    const char* path = std::getenv("KELDARA_DVD_IMAGE_WRITER");
    if (!path || !*path)
        return nullptr;
    return std::make_unique<ImageFileWriter>(ExpandFileName(path));
}

} // namespace dvdwrite
