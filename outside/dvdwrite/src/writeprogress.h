#pragma once
// How a write is run and read: the argument vectors of growisofs (onto a
// drive) and genisoimage (into an image file), and the engine events their
// output lines stand for.
#include "dvdwrite/dvdwrite_hwe.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dvdwrite {

// kB/s of 1x DVD.
constexpr int kDvdSpeed1x = 1385;
// Longest volume label, in bytes.
constexpr std::size_t kMaxLabel = 31;

// growisofs's -speed factor for a speed in kB/s: whole multiples of 1x, at least 1.
int SpeedFactor(int kbPerSecond);
// speedKBs 0 leaves the speed to growisofs; an empty label gives no -V.
std::vector<std::string> GrowisofsArguments(const std::string& device, int speedKBs, const std::string& label,
                                            const std::string& folder);
std::vector<std::string> GenisoimageArguments(const std::string& label, const std::string& output,
                                              const std::string& folder);

// done / total as 0..HWE_PROGRESS_FULL.
int ProgressValue(std::int64_t done, std::int64_t total);
// "  1015808/2295104 ( 0.0%) @0x, remaining ??:?? RBU ..." -> 0..HWE_PROGRESS_FULL.
std::optional<int> GrowisofsProgress(std::string_view line);
// "/dev/sr0: flushing cache", "/dev/sr0: closing track" and the like.
bool GrowisofsClosing(std::string_view line);
// " 45.12% done, estimate finish ..." -> 0..HWE_PROGRESS_FULL.
std::optional<int> GenisoimageProgress(std::string_view line);

enum class WriteTool { Growisofs, Genisoimage };

// Turns the output of one write into progress and closing events. Lines may
// come from two reader threads at once; each event is sent once per change.
class WriteProgress {
public:
    using Notify = std::function<void(int event, int value)>;
    WriteProgress(WriteTool tool, Notify notify) : tool_(tool), notify_(std::move(notify)) {}

    void Line(const std::string& line);
    // Progress measured from outside (how much of the input was read): used
    // only while the tool prints none of its own.
    void Measured(int value);
    // The tool ended well: every byte is written, whether or not it told so.
    void AllWritten() { Progress(HWE_PROGRESS_FULL); }
    // The writer has begun to flush and close: HWE_EVENT_CLOSING, once.
    void Closing();
    bool ClosingBegan() const { return closing_.load(); }
    // The tool's last error line, for the log.
    std::string LastError() const;

private:
    void Progress(int value);

    WriteTool tool_;
    Notify notify_;
    mutable std::mutex mutex_;
    int last_ = -1;
    bool ownLines_ = false;
    std::atomic<bool> closing_{false};
    std::string lastError_;
};

// The write status a finished run reports: complete, or failed before or
// after closing began.
int WriteStatus(bool succeeded, bool closingBegan);

} // namespace dvdwrite
