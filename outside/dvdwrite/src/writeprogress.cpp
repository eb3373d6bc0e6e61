#include "writeprogress.h"

#include "dvdwrite/dvdwrite_hwe.h"
#include "rtl/sysutils.h"

#include <algorithm>
#include <charconv>

namespace dvdwrite {

namespace {

std::string_view SkipBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return text;
}

// A run of digits at the front of text, taken off it.
std::optional<std::int64_t> TakeNumber(std::string_view& text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool IsErrorLine(std::string_view line)
{
    return StartsWith(line, ":-(") || StartsWith(line, "genisoimage: ") ||
           LowerCase(std::string(line)).find("error") != std::string::npos;
}

} // namespace

int SpeedFactor(int kbPerSecond) { return std::max(1, kbPerSecond / kDvdSpeed1x); }

std::vector<std::string> GrowisofsArguments(const std::string& device, int speedKBs, const std::string& label,
                                            const std::string& folder)
{
    std::vector<std::string> args = {"growisofs", "-dvd-compat"};
    if (speedKBs > 0)
        args.push_back("-speed=" + std::to_string(SpeedFactor(speedKBs)));
    // The engine never moves the tray by itself, and runs without a terminal.
    args.insert(args.end(), {"-use-the-force-luke=notray", "-use-the-force-luke=tty", "-Z", device, "-dvd-video"});
    if (!label.empty())
        args.insert(args.end(), {"-V", label});
    args.push_back(folder);
    return args;
}

std::vector<std::string> GenisoimageArguments(const std::string& label, const std::string& output,
                                              const std::string& folder)
{
    std::vector<std::string> args = {"genisoimage", "-dvd-video"};
    if (!label.empty())
        args.insert(args.end(), {"-V", label});
    args.insert(args.end(), {"-o", output, folder});
    return args;
}

int ProgressValue(std::int64_t done, std::int64_t total)
{
    if (total <= 0 || done <= 0)
        return 0;
    if (done >= total)
        return HWE_PROGRESS_FULL;
    // done < total, so done * HWE_PROGRESS_FULL fits for any total below 2^47 bytes; scale larger ones down first.
    while (total > (std::int64_t{1} << 47)) {
        done >>= 1;
        total >>= 1;
    }
    return static_cast<int>(done * HWE_PROGRESS_FULL / total);
}

std::optional<int> GrowisofsProgress(std::string_view line)
{
    std::string_view text = SkipBlanks(line);
    const auto done = TakeNumber(text);
    if (!done || text.empty() || text.front() != '/')
        return std::nullopt;
    text.remove_prefix(1);
    const auto total = TakeNumber(text);
    if (!total || !StartsWith(text, " (") || text.find("%)") == std::string_view::npos)
        return std::nullopt;
    return ProgressValue(*done, *total);
}

bool GrowisofsClosing(std::string_view line)
{
    const std::size_t colon = line.find(": ");
    if (colon == std::string_view::npos)
        return false;
    const std::string_view what = line.substr(colon + 2);
    return StartsWith(what, "flushing cache") || StartsWith(what, "closing ");
}

std::optional<int> GenisoimageProgress(std::string_view line)
{
    std::string_view text = SkipBlanks(line);
    const std::size_t percent = text.find("% done");
    if (percent == std::string_view::npos || percent == 0)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + percent, value);
    if (error != std::errc() || end != text.data() + percent || !(value >= 0))
        return std::nullopt;
    return static_cast<int>(std::min(value, 100.0) * HWE_PROGRESS_FULL / 100);
}

void WriteProgress::Line(const std::string& line)
{
    if (tool_ == WriteTool::Growisofs) {
        if (auto value = GrowisofsProgress(line)) {
            Progress(*value);
            return;
        }
        if (GrowisofsClosing(line)) {
            Closing();
            return;
        }
    } else if (auto value = GenisoimageProgress(line)) {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            ownLines_ = true;
        }
        Progress(*value);
        return;
    }
    if (IsErrorLine(line)) {
        std::lock_guard<std::mutex> guard(mutex_);
        lastError_ = Trim(line);
    }
}

void WriteProgress::Measured(int value)
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (ownLines_)
            return;
    }
    Progress(value);
}

void WriteProgress::Progress(int value)
{
    value = std::clamp(value, 0, HWE_PROGRESS_FULL);
    {
        // Never backwards: two sources, or a tool that starts its count again, would make it jump.
        std::lock_guard<std::mutex> guard(mutex_);
        if (value <= last_ || closing_.load())
            return;
        last_ = value;
    }
    notify_(HWE_EVENT_PROGRESS, value);
}

void WriteProgress::Closing()
{
    if (!closing_.exchange(true))
        notify_(HWE_EVENT_CLOSING, 0);
}

std::string WriteProgress::LastError() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return lastError_;
}

int WriteStatus(bool succeeded, bool closingBegan)
{
    if (succeeded)
        return HWE_WRITE_COMPLETE;
    return closingBegan ? HWE_WRITE_FINALIZE_FAILED : HWE_WRITE_FAILED;
}

} // namespace dvdwrite
