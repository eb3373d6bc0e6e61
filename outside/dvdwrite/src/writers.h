#pragma once
// The writers an engine handle offers: DVD writers of the pass-through, and
// the image-file writer a person can ask for with KELDARA_DVD_IMAGE_WRITER.
// Callers hold the engine's lock around every call.
#include "mmc.h"
#include "win32/process.h"
#include "writeprogress.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dvdwrite {

// What the poller compares: is a medium there, and which.
struct MediumState {
    bool present = false;
    int profile = 0;
    bool operator==(const MediumState&) const = default;
};

// How a write ended: a HWE_WRITE_* status, and why when it failed ("" leaves the tool's reason).
struct WriteEnd {
    int status = 17;   // HWE_WRITE_COMPLETE
    std::string reason;
};

// One write as the engine runs it.
struct WritePlan {
    ProcessSpec spec;
    WriteTool tool = WriteTool::Growisofs;
    std::vector<std::string> inputs;       // files the tool reads, for progress measured from outside
    std::function<void()> start;           // just before the tool runs
    // After the tool (its exit was clean or not): what the writer does to
    // finish the write or clear up after it, and how the write ended.
    std::function<WriteEnd(bool toolSucceeded, WriteProgress& progress)> end;
};

class Writer {
public:
    virtual ~Writer() = default;
    virtual std::string Name() const = 0;
    virtual MediumState Probe() = 0;
    virtual int MediaType() = 0;
    virtual int MediaStatus() = 0;
    virtual std::vector<int> WriteSpeeds() = 0;
    virtual void OpenTray() = 0;
    virtual void CloseTray() = 0;
    // The write of folder (holding VIDEO_TS) with label at speedKBs (0: the
    // writer's choice); nullopt, with the reason in `why`, when it cannot be written.
    virtual std::optional<WritePlan> PlanWrite(const std::string& folder, const std::string& label, int speedKBs,
                                               std::string& why) = 0;
};

// The DVD writers among the pass-through's drives, in drive order.
std::vector<std::unique_ptr<Writer>> FindDriveWriters();
// The image-file writer for the file KELDARA_DVD_IMAGE_WRITER names; nullptr when it is not set.
std::unique_ptr<Writer> ImageFileWriterFromEnvironment();

} // namespace dvdwrite
