#pragma once
// What every outside library that drives a program shares at its C
// boundary: the export mark of its entry points, the check that its public
// result codes are ours, its one job with the text of its last failure, and
// the size limit of the control files it reads.
#include "toolrun/toolrun.h"

#include <cstdint>
#include <exception>
#include <string>

#define TOOLRUN_EXPORT extern "C" __attribute__((visibility("default")))

namespace toolrun {

// The public headers repeat the result codes as plain numbers; each library
// asserts, in the order of Code, that its own are still these.
constexpr bool SameCodes(int ok, int badArguments, int missingInput, int toolMissing, int failed, int badOutput,
                         int cancelled, int busy)
{
    return ok == kOk && badArguments == kBadArguments && missingInput == kMissingInput &&
           toolMissing == kToolMissing && failed == kToolFailed && badOutput == kBadOutput &&
           cancelled == kCancelled && busy == kBusy;
}

// Control files are small; anything larger is not one.
constexpr std::int64_t kMaxControlFile = 16 * 1024 * 1024;

// Reads a control file whole: false when it is missing, unreadable, empty or
// larger than kMaxControlFile.
bool ReadControlFile(const std::string& path, std::string& text);

// The state of a library lives as long as it is loaded: one job at a time
// and the text of its last failure for the host's log.
class Library {
public:
    ToolJob& Job() { return job_; }

    // Keeps `reason` for the host and answers `code`.
    int Fail(int code, std::string reason)
    {
        lastError_.Set(std::move(reason));
        return code;
    }

    // One call of an entry point: one at a time (kBusy while another is
    // inside), the call's progress reset by `start` and the last error
    // cleared, none after a cancel, and no exception crossing the C boundary.
    template <class Start, class Body>
    int Entry(const std::string& program, Start start, Body body)
    {
        BusyGuard busy(job_);
        if (!busy)
            return kBusy;
        start();
        lastError_.Clear();
        if (job_.Cancelled())
            return Fail(kCancelled, program + " was stopped");
        try {
            return body();
        } catch (const std::exception& e) {
            return Fail(kToolFailed, e.what());
        } catch (...) {
            return Fail(kToolFailed, program + " failed");
        }
    }

    void Cancel() { job_.Cancel(); }
    // Valid until the next failure; the host copies it before its next call.
    const char* LastErrorText() { return lastError_.CStr(); }

private:
    ToolJob job_;
    LastError lastError_;
};

} // namespace toolrun
