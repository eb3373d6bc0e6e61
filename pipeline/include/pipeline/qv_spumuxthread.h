#pragma once
// The subtitle job of one clip: spumux run through the authoring library on a
// thread of its own, which frees itself and posts MSG_SPUMUX_DONE (0, 0) to the owner
// window in every outcome. What the window needs from it (the progress, the
// outcome, cancel) lives in a SpumuxJob that the window and the thread share,
// so the window's timer never reads through a freed thread or an unloaded
// library.
#include "pipeline/authorlibrary.h"
#include "rtl/thread.h"
#include "win32/messages.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

class SpumuxJob {
public:
    SpumuxJob(HWND ownerWindow, std::string xml, std::string input, std::string output);

    const std::string XmlPath, InputPath, OutputPath;

    // The library's percent while spumux runs, 0 otherwise (any thread).
    int Percent() const { return library_.ReadProgress(); }
    // Stops spumux, or keeps it from starting (any thread).
    void Cancel();
    // No message is posted after this returns.
    void ClearOwnerWindow();
    // Set once the job ended: then Result (an AUTHOR_ code, or
    // kAuthorLibraryMissing) and Error ("" after a success) hold.
    bool Finished() const { return finished_.load(); }
    int Result() const { return result_.load(); }
    std::string Error() const;

    // The thread's part: runs spumux, then posts MSG_SPUMUX_DONE.
    void Run();

private:
    void Finish(int result, std::string error);

    AuthorLibrary library_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::atomic<int> result_{kAuthorLibraryMissing};
    mutable std::mutex mutex_;   // the error text, and a post against ClearOwnerWindow
    std::string error_;
    HWND owner_;
};

class TQV_SpumuxThread : public TThread {
public:
    // Frees itself when Execute ends; with createSuspended false it starts at once.
    TQV_SpumuxThread(bool createSuspended, std::shared_ptr<SpumuxJob> job);

protected:
    void Execute() override;

private:
    std::shared_ptr<SpumuxJob> job_;
};
