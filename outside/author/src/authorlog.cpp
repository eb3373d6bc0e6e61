#include "authorlog.h"

#include "rtl/sysutils.h"

#include <cstdio>

namespace {

bool MentionsSkipping(const std::string& line) { return LowerCase(line).find("skipping") != std::string::npos; }

} // namespace

void AuthorLog::Take(const std::string& raw)
{
    const std::string line = Trim(raw);
    std::lock_guard<std::mutex> guard(mutex_);
    int vobu = 0, mb = 0, pgcs = 0;
    if (std::sscanf(line.c_str(), "STAT: VOBU %d at %dMB, %d PGCs", &vobu, &mb, &pgcs) == 3) {
        // Each VOB set (menus, then titles) counts again from 0 MB.
        if (mb < current_)
            finishedSets_ += current_;
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
    return finishedSets_ + current_;
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
    long added = 0, skipped = 0;
    if (std::sscanf(line.c_str(), "INFO: %ld subtitles added, %ld subtitles skipped", &added, &skipped) == 2) {
        sawTotals_ = true;
        added_ += added;
        skipped_ += skipped;
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
        return Format("%d subtitles were skipped", skipped_);
    if (sawTotals_ && added_ == 0)
        return "No subtitles were added";
    return {};
}
