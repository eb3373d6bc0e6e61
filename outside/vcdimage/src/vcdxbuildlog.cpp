#include "vcdxbuildlog.h"

#include "rtl/sysutils.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

// The value of name="..." inside one tag, "" when absent.
std::string Attribute(std::string_view tag, std::string_view name)
{
    for (std::size_t at = tag.find(name); at != std::string_view::npos; at = tag.find(name, at + 1)) {
        const bool startsWord = at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\t');
        const std::size_t quote = at + name.size() + 1;
        if (!startsWord || quote >= tag.size() || tag[at + name.size()] != '=' || tag[quote] != '"') continue;
        const std::size_t end = tag.find('"', quote + 1);
        if (end == std::string_view::npos) return {};
        return std::string(tag.substr(quote + 1, end - quote - 1));
    }
    return {};
}

std::int64_t Number(const std::string& text)
{
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        if (value > (INT64_MAX - 9) / 10) return -1;
        value = value * 10 + (c - '0');
    }
    return text.empty() ? -1 : value;
}

int Percent(std::int64_t position, std::int64_t size)
{
    if (position < 0 || size <= 0) return 0;
    if (position >= size) return 100;
    return static_cast<int>(position * 100 / size);
}

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

} // namespace

VcdxbuildLog::VcdxbuildLog(int items) : items_(std::max(items, 1)) {}

void VcdxbuildLog::Take(const std::string& rawLine)
{
    const std::string_view line = Trimmed(rawLine);
    if (line.starts_with("<progress ")) {
        const std::string operation = Attribute(line, "operation");
        const int percent = Percent(Number(Attribute(line, "position")), Number(Attribute(line, "size")));
        if (operation == "scan") {
            int& item = scanned_[Attribute(line, "id")];
            item = std::max(item, percent);
        } else if (operation == "write") {
            write_ = std::max(write_, percent);
        }
        return;
    }
    for (auto [start, kept] : {std::pair<std::string_view, std::string*>{"<log level=\"error\">", &problem_},
                               std::pair<std::string_view, std::string*>{"<log level=\"warning\">", &warning_}}) {
        if (!line.starts_with(start)) continue;
        std::string_view text = line.substr(start.size());
        if (const std::size_t end = text.rfind("</log>"); end != std::string_view::npos) text = text.substr(0, end);
        if (std::string reason = XmlUnescape(Trimmed(text)); !reason.empty()) *kept = std::move(reason);
    }
}

int VcdxbuildLog::ScanPercent() const
{
    int sum = 0;
    for (const auto& [id, percent] : scanned_) sum += percent;
    return std::min(100, sum / std::max(items_, static_cast<int>(scanned_.size())));
}

int VcdxbuildLog::WritePercent() const { return write_; }

int CountSequenceItems(const std::string& controlFile)
{
    int count = 0;
    constexpr std::string_view kItem = "<sequence-item";
    for (std::size_t at = controlFile.find(kItem); at != std::string::npos; at = controlFile.find(kItem, at + 1)) {
        const std::size_t next = at + kItem.size();
        if (next < controlFile.size() && (controlFile[next] == ' ' || controlFile[next] == '\t' ||
                                           controlFile[next] == '\n' || controlFile[next] == '/'))
            ++count;
    }
    return count;
}
