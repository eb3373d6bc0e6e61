#pragma once
// The program's side of the authoring library "dvdauthor.dll": loaded for one
// job, its progress counter published for the window's timer while the job
// runs, and freed after it. Progress and cancel may be asked from any thread;
// they never reach into a library that is being freed.
#include "win32/dynlib.h"

#include <mutex>
#include <string>

class AuthorLibrary {
public:
    enum class Counter { VobsMB, SubtitlePercent };
    // Load answers false when the library or one of its entries is missing
    // (LastError tells which, EntryMissing whether the library itself loaded);
    // nothing is then called.
    bool Load(Counter counter);
    bool EntryMissing() const { return entryMissing_; }
    void Free();
    ~AuthorLibrary() { Free(); }

    // The entries; each path is handed in a zero-filled buffer of its own
    // length. Answer the library's AUTHOR_ code.
    int SpumuxMain(const std::string& xml, const std::string& input, const std::string& output);
    int AuthorMain(const std::string& xml);

    // The published counter: 0 when no job runs.
    int ReadProgress() const;
    void Cancel();
    // Why the last load or call failed ("" after a success).
    const std::string& LastError() const { return lastError_; }

private:
    mutable std::mutex mutex_;
    Library library_;
    const int* counter_ = nullptr;
    void (*cancel_)() = nullptr;
    int (*spumux_)(char*, char*, char*) = nullptr;
    int (*author_)(char*) = nullptr;
    const char* (*lastErrorEntry_)() = nullptr;
    std::string lastError_;
    bool entryMissing_ = false;
};

// The authoring library's result for a job that could not load it.
constexpr int kAuthorLibraryMissing = -1;
