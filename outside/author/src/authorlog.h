#pragma once
// What dvdauthor and spumux print, read line by line as they run: progress,
// and the messages that mean a run dropped material although it exits 0.
// Lines arrive on the child's reader thread; the answers may be read anywhere.
#include <cstdint>
#include <mutex>
#include <string>

class AuthorLog {
public:
    void Take(const std::string& line);
    // Megabytes of VOB data written so far, over every VOB set of the run.
    int MegabytesWritten() const;
    // "" or the first message that makes the run a failure: an error, or a
    // warning that a file or sector was skipped (dvdauthor leaves a broken
    // disc and exits 0 when a titleset mixes TV standards or aspects).
    std::string Problem() const;

private:
    mutable std::mutex mutex_;
    std::int64_t finishedSets_ = 0;   // sums saturate: a line's numbers are the tool's to choose
    std::int64_t current_ = 0;
    std::string problem_;
};

class SpumuxLog {
public:
    void Take(const std::string& line);
    // "" or why the run counts as failed: subtitles skipped, none added, an error.
    std::string Problem() const;

private:
    mutable std::mutex mutex_;
    bool sawTotals_ = false;
    std::int64_t added_ = 0;
    std::int64_t skipped_ = 0;
    std::string problem_;
};
