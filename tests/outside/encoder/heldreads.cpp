#include "heldreads.h"

#include "dshow_ffmpeg/mediafile.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

struct HeldReads::Gate {
    std::string path;
    int freeReads = 0;
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false, honourStop = true, hung = false;
    int reads = 0;

    void Read(const std::string& file, const std::atomic<bool>& stop)
    {
        std::unique_lock lock(mutex);
        if (file != path || ++reads <= freeReads) return;
        hung = true;
        // The stop flag is polled: nothing notifies the gate when a reader is stopped.
        while (!open && !(honourStop && stop.load())) changed.wait_for(lock, std::chrono::milliseconds(1));
    }
};

HeldReads::HeldReads(std::string path, int freeReads, bool honourStop) : gate_(std::make_shared<Gate>())
{
    gate_->path = std::move(path);
    gate_->freeReads = freeReads;
    gate_->honourStop = honourStop;
    ffmpeg::SetReadHook(
        [gate = gate_](const std::string& file, const std::atomic<bool>& stop) { gate->Read(file, stop); });
}

HeldReads::~HeldReads()
{
    Open();
    ffmpeg::SetReadHook({});
}

void HeldReads::Arm(bool honourStop)
{
    std::lock_guard lock(gate_->mutex);
    gate_->open = false;
    gate_->honourStop = honourStop;
    gate_->reads = 0;
    gate_->hung = false;
}

bool HeldReads::Hung()
{
    std::lock_guard lock(gate_->mutex);
    return gate_->hung;
}

void HeldReads::Open()
{
    std::lock_guard lock(gate_->mutex);
    gate_->open = true;
    gate_->changed.notify_all();
}
