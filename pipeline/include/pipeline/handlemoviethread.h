#pragma once
// The worker running a run's two long blocking steps away from the window
// thread: multiplexing one clip's encoder outputs with "Tormux.dll", and
// authoring the DVD folder (title-menu spumux, then dvdauthor) with
// "dvdauthor.dll". It reports to OwnerWindow only by posted messages
// (pipeline/runmessages.h):
//   MSG_MUX_DONE    kMuxSucceeded / kMuxFailed, LPARAM Argc (kMuxAborted after an exception)
//   MSG_AUTHOR_DONE WPARAM 0, LPARAM AUTHOR_OK when the disc was authored, else the
//                   failing step's AUTHOR_ code (kAuthorLibraryMissing when the
//                   library could not be used): nothing may be burnt or deleted
//                   after a failed author job.
// A window that stops a run clears the owner window first (ClearOwnerWindow,
// or ReleaseHandleMovieThread(true) for the global worker), then cancels and
// terminates the worker; the thread frees itself.
#include "pipeline/authorlibrary.h"
#include "pipeline/runmessages.h"
#include "rtl/thread.h"
#include "win32/messages.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

// The author job's share done for the run window's timer, 0..100: titles under
// one megabyte in all count as 0 MB, which must not divide by zero.
int AuthorProgressPercent(int vobProgressMB, int authorTotalMB);

// The worker's job code. Setting it wakes the worker at once: a job never
// waits for the worker's next look, which it takes every 100 ms besides.
class JobCodeField {
public:
    explicit JobCodeField(int code) : code_(code) {}
    JobCodeField& operator=(int code);
    int load() const { return code_.load(); }
    operator int() const { return load(); }
    // Waits until the code is one of `wanted`'s, at most `ms`; answers the code.
    template <class Wanted>
    int WaitFor(Wanted wanted, int ms)
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return wanted(code_.load()); });
        return code_.load();
    }

private:
    std::atomic<int> code_;
    std::mutex mutex_;
    std::condition_variable changed_;
};

class HandleMovieThread : public TThread {
public:
    // Callers pass true, set the job fields, Resume, then set JobCode.
    HandleMovieThread(bool createSuspended, HWND ownerWindow);
    ~HandleMovieThread() override;

    // OutputType 0, 1 DVD ("8", kMuxDvdArgc arguments), 2 SVCD ("4", kMuxCdArgc), 3 VCD ("1",
    // kMuxCdArgc); sets JobCode kJobMux.
    void StartMux(int OutputType, const std::string& output, const std::string& video, const std::string& audio);
    // Stops the multiplexer or authoring program of the running job (any thread).
    void Cancel();
    // No message is posted after this returns: the job still inside a library
    // finishes without reaching the window.
    void ClearOwnerWindow();
    // Progress for the window's timer (any thread): 0 when no such job runs.
    int MuxPosition() const;
    int VobProgress() const;

    int Argc = kMuxDvdArgc;
    std::vector<std::string> Argv;          // the multiplexer's argument vector
    std::string OutputPath, VideoPath, AudioPath;
    std::string FormatText = "8";
    std::atomic<HWND> OwnerWindow{nullptr}; // receiver of MSG_MUX_DONE and MSG_AUTHOR_DONE; null: post nothing
    JobCodeField JobCode{kJobIdle};         // kMuxJobCodes multiplex, kJobAuthor author, other: idle
    std::string MenuXmlPath;
    std::atomic<bool> MuxRunning{false};
    bool WithMenu = true;
    // The reason of the last failed job, for the run log (read after its message).
    std::string LastErrorText;

protected:
    void Execute() override;

private:
    void MuxJob();
    void AuthorJob();
    void Post(UINT message, WPARAM w, LPARAM l);

    std::mutex ownerMutex_;                  // a post and ClearOwnerWindow never overlap
    mutable std::mutex muxMutex_;            // guards the multiplexer entries below
    int (*muxGetPosition_)() = nullptr;
    void (*muxCancel_)() = nullptr;
    AuthorLibrary author_;
    std::atomic<bool> cancelled_{false};
};

// Lets the global worker go and sets handleMovieThread to null (main thread),
// before a new job's worker is made and in the MSG_AUTHOR_DONE and MSG_MUX_DONE handlers. Its
// owner window is cleared first, so no late message of it arrives; with
// stopRun (the user stopped the run) its running job is also cancelled.
void ReleaseHandleMovieThread(bool stopRun);
