#include "authorlog.h"

#include "rtl/sysutils.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <string_view>

namespace {

bool MentionsSkipping(const std::string& line) { return LowerCase(line).find("skipping") != std::string::npos; }

constexpr std::int64_t kCountLimit = std::numeric_limits<int>::max();

// Reads a line against a pattern in which '#' stands for a whole number and a
// blank for any run of blanks (as scanf reads "%d" and " "); numbers saturate
// at kCountLimit, so no line a tool prints can overflow a sum.
bool ScanCounts(std::string_view line, std::string_view pattern, std::int64_t* values)
{
    std::size_t at = 0;
    auto blanks = [&] {
        while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    };
    for (char p : pattern) {
        if (p == ' ') {
            blanks();
        } else if (p == '#') {
            blanks();
            const bool negative = at < line.size() && line[at] == '-';
            if (at < line.size() && (line[at] == '-' || line[at] == '+')) ++at;
            const std::size_t digits = at;
            std::int64_t value = 0;
            while (at < line.size() && line[at] >= '0' && line[at] <= '9') {
                value = std::min(kCountLimit, value * 10 + (line[at] - '0'));
                ++at;
            }
            if (at == digits) return false;
            *values++ = negative ? -value : value;
        } else {
            if (at >= line.size() || line[at] != p) return false;
            ++at;
        }
    }
    return true;
}

std::int64_t SaturatedSum(std::int64_t a, std::int64_t b) { return std::min(kCountLimit, a + b); }

} // namespace

void AuthorLog::Take(const std::string& raw)
{
    const std::string line = Trim(raw);
    std::lock_guard<std::mutex> guard(mutex_);
    std::int64_t counts[3] = {};   // VOBUs, megabytes, PGCs
    if (ScanCounts(line, "STAT: VOBU # at #MB, # PGCs", counts)) {
        const std::int64_t mb = std::max<std::int64_t>(0, counts[1]);
        // Each VOB set (menus, then titles) counts again from 0 MB.
        if (mb < current_)
            finishedSets_ = SaturatedSum(finishedSets_, current_);
        current_ = mb;
        return;
    }
    if (!problem_.empty())
        return;
    if (line.starts_with("ERR:") || (line.starts_with("WARN:") && MentionsSkipping(line)))
        problem_ = line;
}

int AuthorLog::MegabytesWritten() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int>(SaturatedSum(finishedSets_, current_));
}

std::string AuthorLog::Problem() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return problem_;
}

void SpumuxLog::Take(const std::string& raw)
{
    const std::string line = Trim(raw);
    std::lock_guard<std::mutex> guard(mutex_);
    std::int64_t counts[2] = {};   // added, skipped
    if (ScanCounts(line, "INFO: # subtitles added, # subtitles skipped", counts)) {
        sawTotals_ = true;
        added_ = SaturatedSum(added_, std::max<std::int64_t>(0, counts[0]));
        skipped_ = SaturatedSum(skipped_, std::max<std::int64_t>(0, counts[1]));
        return;
    }
    if (!problem_.empty())
        return;
    if (line.starts_with("ERR:") || ((line.starts_with("WARN:") && MentionsSkipping(line))))
        problem_ = line;
}

std::string SpumuxLog::Problem() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (!problem_.empty())
        return problem_;
    if (skipped_ > 0)
        return Format("%d subtitles were skipped", static_cast<int>(skipped_));
    if (sawTotals_ && added_ == 0)
        return "No subtitles were added";
    return {};
}
