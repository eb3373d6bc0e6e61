#pragma once
// What the outside stand-ins share: result codes, one cancellable child
// program per library at a time, and progress read from the kernel's view of
// the files a child has open.
#include "win32/process.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace toolrun {

// Result of every stand-in entry point; the public headers repeat these numbers.
enum Code : int {
    kOk = 0,
    kBadArguments = 1,   // missing or unknown argument, an output that would overwrite an input
    kMissingInput = 2,   // an input file is missing, empty or unreadable
    kToolMissing = 3,    // the program could not be started
    kToolFailed = 4,     // non-zero exit, a signal, or a run that reported dropping data
    kBadOutput = 5,      // the program said it succeeded but left no usable output
    kCancelled = 6,      // stopped by the cancel entry
    kBusy = 7,           // another job of this library is running
};

// Runs one child program at a time and lets another thread stop it. A cancel
// stays in force for the rest of the object's life: the library holding it is
// loaded for one job and freed after it, so a cancel that arrives between two
// steps of a job also stops the later steps.
class ToolJob {
public:
    struct Outcome {
        Code code = kOk;          // kOk, kToolMissing, kToolFailed or kCancelled
        ProcessResult result;
    };

    // Runs spec to its end. Lines of each stream arrive on the reader thread;
    // watch runs on the caller's thread about every pollMs with the child's pid.
    Outcome Run(const ProcessSpec& spec, LineCallback onStdout, LineCallback onStderr,
                const std::function<void(pid_t)>& watch, std::uint32_t pollMs = 100);
    void Cancel();
    bool Cancelled() const { return cancelled_.load(); }

    // One entry call at a time: Begin answers false while another call is inside.
    bool Begin() { return !busy_.exchange(true); }
    void End() { busy_.store(false); }

private:
    std::mutex mutex_;
    std::shared_ptr<ChildProcess> child_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> busy_{false};
};

// Holds ToolJob::Begin for one entry call.
class BusyGuard {
public:
    explicit BusyGuard(ToolJob& job) : job_(job), owned_(job.Begin()) {}
    ~BusyGuard()
    {
        if (owned_)
            job_.End();
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    explicit operator bool() const { return owned_; }

private:
    ToolJob& job_;
    bool owned_;
};

// How far a running program has read its input files, taken from
// /proc/<pid>/fd and fdinfo: the file offset of every descriptor that names
// one of the inputs, its own or one it was handed as standard input.
class ReadProgress {
public:
    explicit ReadProgress(const std::vector<std::string>& inputs);
    // Bytes read so far over all inputs; an input that was open and is closed
    // again counts as read to its end.
    std::int64_t Consumed(pid_t pid);
    std::int64_t Total() const { return total_; }
    // 0..99: a child still running has not finished its work.
    int Percent(pid_t pid);

private:
    struct Input {
        std::string path;       // canonical
        std::int64_t size = 0;
        std::int64_t read = 0;
        bool seen = false;
        bool closed = false;
    };
    std::vector<Input> inputs_;
    std::int64_t total_ = 0;
};

// A progress value the host reads through a plain int pointer while the job
// runs on another thread: written and read with atomic_ref so neither side
// ever sees a torn value.
void StoreCounter(int& counter, int value);
int LoadCounter(const int& counter);

// The text of the last failure, kept for the host's log.
class LastError {
public:
    void Set(std::string text);
    void Clear() { Set({}); }
    // Valid until the next Set; the host copies it before its next call.
    const char* CStr();

private:
    std::mutex mutex_;
    std::string text_;
    std::string published_;
};

// A readable reason for a failed run: the program's last error line, or how it ended.
std::string DescribeFailure(const std::string& program, const ToolJob::Outcome& outcome,
                            const std::string& lastErrorLine);

} // namespace toolrun
