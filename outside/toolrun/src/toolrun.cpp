#include "toolrun/toolrun.h"

#include "rtl/sysutils.h"

#include <atomic>

namespace toolrun {

ToolJob::Outcome ToolJob::Run(const ProcessSpec& spec, LineCallback onStdout, LineCallback onStderr,
                              const std::function<void(pid_t)>& watch, std::uint32_t pollMs)
{
    Outcome outcome;
    auto child = std::make_shared<ChildProcess>();
    if (onStdout)
        child->OnStdoutLine(std::move(onStdout));
    if (onStderr)
        child->OnStderrLine(std::move(onStderr));
    {
        // Checked and started under the lock that Cancel takes, so a cancel
        // either finds the child or is seen here before it starts.
        std::lock_guard<std::mutex> guard(mutex_);
        if (cancelled_.load()) {
            outcome.code = kCancelled;
            return outcome;
        }
        if (!child->Start(spec)) {
            outcome.code = kToolMissing;
            outcome.result = child->Result();
            return outcome;
        }
        child_ = child;
    }
    while (!child->Wait(pollMs)) {
        if (watch)
            watch(child->Pid());
    }
    {
        std::lock_guard<std::mutex> guard(mutex_);
        child_.reset();
    }
    outcome.result = child->Result();
    if (child->Cancelled())
        outcome.code = kCancelled;
    else if (!outcome.result.Succeeded())
        outcome.code = kToolFailed;
    return outcome;
}

void ToolJob::Cancel()
{
    cancelled_.store(true);
    std::shared_ptr<ChildProcess> child;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        child = child_;
    }
    if (child)
        child->Cancel(1000);
}

void StoreCounter(int& counter, int value) { std::atomic_ref<int>(counter).store(value); }

int LoadCounter(const int& counter) { return std::atomic_ref<int>(const_cast<int&>(counter)).load(); }

void LastError::Set(std::string text)
{
    std::lock_guard<std::mutex> guard(mutex_);
    text_ = std::move(text);
}

const char* LastError::CStr()
{
    std::lock_guard<std::mutex> guard(mutex_);
    published_ = text_;
    return published_.c_str();
}

std::string DescribeFailure(const std::string& program, const ToolJob::Outcome& outcome,
                            const std::string& lastErrorLine)
{
    switch (outcome.code) {
    case kOk:
        return {};
    case kToolMissing:
        return outcome.result.error.empty() ? Format("Cannot run %s", program) : outcome.result.error;
    case kCancelled:
        return Format("%s was stopped", program);
    default:
        break;
    }
    if (!lastErrorLine.empty())   // named once, though many a tool names itself in its lines
        return lastErrorLine.starts_with(program + ":") ? lastErrorLine : Format("%s: %s", program, lastErrorLine);
    if (outcome.result.signal != 0)
        return Format("%s was ended by signal %d", program, outcome.result.signal);
    return Format("%s ended with exit code %d", program, outcome.result.exitCode);
}

} // namespace toolrun
