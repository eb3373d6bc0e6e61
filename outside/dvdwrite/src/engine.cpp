#include "engine.h"

#include "rtl/clock.h"
#include "rtl/paths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace dvdwrite {

namespace {

// How often the selected writer is asked about its medium.
constexpr std::uint64_t kPollMs = 1500;
// Under a test clock time moves only when the test moves it: look that often.
constexpr std::uint64_t kManualClockSliceMs = 20;

// The length of text cut to at most limit bytes without splitting a UTF-8 character.
std::size_t CutLength(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text.size();
    std::size_t length = limit;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

} // namespace

Engine::Engine(int handle, std::vector<std::unique_ptr<Writer>> writers)
    : handle_(handle), writers_(std::move(writers))
{
    poller_ = std::thread([this] { PollLoop(); });
}

Engine::~Engine() { Shutdown(); }

void Engine::RegisterCallback(THweEventCallback callback, void* userData)
{
    std::lock_guard<std::mutex> guard(callbackMutex_);
    callback_ = callback;
    userData_ = userData;
}

void Engine::Notify(int event, int value)
{
    THweEventCallback callback = nullptr;
    void* userData = nullptr;
    {
        std::lock_guard<std::mutex> guard(callbackMutex_);
        callback = callback_;
        userData = userData_;
    }
    if (callback)
        callback(handle_, event, value, userData);
}

int Engine::WriterCount() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int>(writers_.size());
}

bool Engine::WriterName(int index, char* buffer, int size) const
{
    if (!buffer || size <= 0)
        return false;
    std::lock_guard<std::mutex> guard(mutex_);
    if (index < 0 || index >= static_cast<int>(writers_.size())) {
        buffer[0] = '\0';
        return false;
    }
    const std::string name = writers_[static_cast<std::size_t>(index)]->Name();
    const std::size_t length = CutLength(name, static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, name.data(), length);
    buffer[length] = '\0';
    return true;
}

bool Engine::SelectWriter(int index)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (writing_ || index < 0 || index >= static_cast<int>(writers_.size()))
        return false;
    selected_ = writers_[static_cast<std::size_t>(index)].get();
    speed_ = 0;
    // The medium found now is where the poller starts from: no event for it.
    last_ = selected_->Probe();
    return true;
}

int Engine::MediaType()
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (!selected_)
        return 0;
    // The burning program has the drive while a write runs: answer what the poller last saw.
    return writing_ ? last_.profile : selected_->MediaType();
}

int Engine::MediaStatus()
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (!selected_)
        return HWE_MEDIA_NO_WRITER;
    return writing_ ? HWE_MEDIA_HAS_DATA : selected_->MediaStatus();
}

int Engine::WriteSpeeds(int* speeds, int count)
{
    if (!speeds || count <= 0)
        return 0;
    std::vector<int> list;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (selected_ && !writing_)
            list = selected_->WriteSpeeds();
    }
    const std::size_t n = std::min(list.size(), static_cast<std::size_t>(count) - 1);
    std::copy_n(list.begin(), n, speeds);
    speeds[n] = 0;
    return static_cast<int>(n);
}

void Engine::SetWriteSpeed(int speed)
{
    std::lock_guard<std::mutex> guard(mutex_);
    speed_ = std::max(speed, 0);
}

void Engine::OpenTray() { MoveTray(false); }

void Engine::CloseTray() { MoveTray(true); }

void Engine::MoveTray(bool load)
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!selected_ || writing_)
            return;
        if (load)
            selected_->CloseTray();
        else
            selected_->OpenTray();
    }
    // Look at once: the change shows without waiting for the next poll.
    std::lock_guard<std::mutex> guard(pollMutex_);
    pollNow_ = true;
    pollWake_.notify_all();
}

int Engine::StartWriting(const char* folderArg, const char* labelArg)
{
    const std::string folder = folderArg ? folderArg : "";
    const std::string label = labelArg ? labelArg : "";
    std::thread finished;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (writing_ || closed_)
            return HWE_BUSY;
        writing_ = true;   // held while the checks below run
        lastError_.clear();
        finished = std::move(writeThread_);
    }
    if (finished.joinable())
        finished.join();   // the last write has sent its status and is ending

    std::string refusal;
    if (folder.empty() || !FileExists(JoinPath(JoinPath(folder, "VIDEO_TS"), "VIDEO_TS.IFO")))
        refusal = "the folder holds no VIDEO_TS/VIDEO_TS.IFO";
    else if (label.size() > kMaxLabel)
        refusal = "the volume label is longer than 31 bytes";
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (refusal.empty()) {
            std::optional<WritePlan> plan;
            std::string why;
            if (closed_)
                refusal = "the engine is closing";
            else if (!selected_)
                refusal = "no writer selected";
            // Absolute, so that no folder name can read as an option.
            else if (!(plan = selected_->PlanWrite(ExpandFileName(folder), label, speed_, why)))
                refusal = why.empty() ? "this writer cannot write" : why;
            if (plan) {
                job_ = std::make_shared<toolrun::ToolJob>();
                writeThread_ = std::thread(&Engine::RunWrite, this, std::move(*plan), job_);
                return 0;
            }
        }
        writing_ = false;
    }
    Failed(refusal);
    Notify(HWE_EVENT_STATUS, HWE_WRITE_FAILED);
    return HWE_WRITE_FAILED;
}

void Engine::Failed(const std::string& reason)
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        lastError_ = reason;
    }
    std::fprintf(stderr, "dvdwrite_hwe: %s\n", reason.c_str());
}

std::string Engine::LastError() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return lastError_;
}

void Engine::RunWrite(WritePlan plan, std::shared_ptr<toolrun::ToolJob> job)
{
    Notify(HWE_EVENT_STATUS, HWE_WRITE_STARTED);
    WriteProgress progress(plan.tool, [this](int event, int value) { Notify(event, value); });
    std::unique_ptr<toolrun::ReadProgress> measured;
    if (!plan.inputs.empty())
        measured = std::make_unique<toolrun::ReadProgress>(plan.inputs);
    const auto onLine = [&progress](const std::string& line) { progress.Line(line); };
    if (plan.start)
        plan.start();
    const toolrun::ToolJob::Outcome outcome = job->Run(plan.spec, onLine, onLine, [&](pid_t pid) {
        if (measured)
            progress.Measured(measured->Percent(pid) * HWE_PROGRESS_FULL / 100);
    });

    const bool toolSucceeded = outcome.code == toolrun::kOk;
    const std::string program = plan.spec.argv.empty() ? "" : plan.spec.argv.front();
    std::string reason = toolSucceeded ? "" : toolrun::DescribeFailure(program, outcome, progress.LastError());
    int status = WriteStatus(toolSucceeded, progress.ClosingBegan());
    if (plan.end) {
        WriteEnd end = plan.end(toolSucceeded, progress);
        if (end.status != HWE_WRITE_COMPLETE) {
            status = end.status;
            if (!end.reason.empty())
                reason = std::move(end.reason);
        }
    }
    if (status != HWE_WRITE_COMPLETE)
        Failed(reason);
    {
        std::lock_guard<std::mutex> guard(mutex_);
        writing_ = false;
        job_.reset();
    }
    Notify(HWE_EVENT_STATUS, status);
}

void Engine::AbortWrite()
{
    std::shared_ptr<toolrun::ToolJob> job;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        job = job_;
    }
    if (job)
        job->Cancel();   // the whole process group; the write reports its status as it ends
}

void Engine::PollLoop()
{
    std::unique_lock<std::mutex> lock(pollMutex_);
    std::uint64_t next = 0;
    while (!stop_) {
        const std::uint64_t now = CurrentClock().NowMs();
        if (pollNow_ || now >= next) {
            pollNow_ = false;
            next = now + kPollMs;   // counted from the look's start: a change seen now is looked for again in time
            lock.unlock();
            PollOnce();
            lock.lock();
            continue;
        }
        const std::uint64_t wait = &CurrentClock() == &SystemClock() ? next - now : kManualClockSliceMs;
        pollWake_.wait_for(lock, std::chrono::milliseconds(wait));
    }
}

void Engine::PollOnce()
{
    int event = 0;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!selected_ || writing_)
            return;
        const MediumState state = selected_->Probe();
        if (state != last_)
            event = state.present ? HWE_EVENT_MEDIUM_ARRIVED : HWE_EVENT_MEDIUM_REMOVED;
        last_ = state;
    }
    if (event)
        Notify(event, 0);
}

void Engine::Shutdown()
{
    {
        std::lock_guard<std::mutex> guard(callbackMutex_);
        callback_ = nullptr;
    }
    {
        std::lock_guard<std::mutex> guard(pollMutex_);
        stop_ = true;
    }
    pollWake_.notify_all();
    if (poller_.joinable())
        poller_.join();
    std::shared_ptr<toolrun::ToolJob> job;
    std::thread writer;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        closed_ = true;   // no write starts from now on
        job = job_;
        writer = std::move(writeThread_);
    }
    if (job)
        job->Cancel();
    if (writer.joinable())
        writer.join();
}

} // namespace dvdwrite
