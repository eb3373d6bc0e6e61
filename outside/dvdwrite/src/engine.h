#pragma once
// One engine handle: its writers, the selected one, a poller that reports
// media changes, and at most one write at a time. One lock guards the
// handle's state and every command sent to its writers; events go out
// without it held.
#include "dvdwrite/dvdwrite_hwe.h"
#include "toolrun/toolrun.h"
#include "writers.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dvdwrite {

class Engine {
public:
    Engine(int handle, std::vector<std::unique_ptr<Writer>> writers);
    ~Engine();   // Shutdown
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    void RegisterCallback(THweEventCallback callback, void* userData);
    int WriterCount() const;
    bool WriterName(int index, char* buffer, int size) const;
    bool SelectWriter(int index);
    int MediaType();
    int MediaStatus();
    int WriteSpeeds(int* speeds, int count);
    void SetWriteSpeed(int speed);
    int StartWriting(const char* folder, const char* label);
    void AbortWrite();
    void OpenTray();
    void CloseTray();
    // Why the last write failed or was refused, "" when it did not.
    std::string LastError() const;
    // Stops the write and the poller and waits for both; no event follows.
    void Shutdown();

private:
    void Notify(int event, int value);
    void MoveTray(bool load);
    void PollLoop();
    void PollOnce();
    void RunWrite(WritePlan plan, std::shared_ptr<toolrun::ToolJob> job);
    void Failed(const std::string& reason);
    void JoinFinishedWrite();

    const int handle_;

    mutable std::mutex mutex_;   // the handle's lock
    std::vector<std::unique_ptr<Writer>> writers_;
    Writer* selected_ = nullptr;
    int speed_ = 0;
    bool writing_ = false;
    bool closed_ = false;
    std::shared_ptr<toolrun::ToolJob> job_;
    std::thread writeThread_;
    MediumState last_;            // the selected writer's medium as last seen
    std::string lastError_;       // why the last write failed

    std::mutex callbackMutex_;
    THweEventCallback callback_ = nullptr;
    void* userData_ = nullptr;

    std::mutex pollMutex_;
    std::condition_variable pollWake_;
    bool stop_ = false;
    bool pollNow_ = false;
    std::thread poller_;
};

} // namespace dvdwrite
