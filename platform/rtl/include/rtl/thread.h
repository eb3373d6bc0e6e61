#pragma once
// Worker threads. Stopping is cooperative: Terminate sets a flag that Execute
// polls; there is no Suspend.
#include "rtl/export.h"
#include "rtl/system.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Sets the calling thread's scheduling priority as far as the system lets
// this process: nice values for tpIdle to tpHighest, real-time scheduling for
// tpTimeCritical where allowed. A lower priority is taken only when the thread
// may later return to normal (an unprivileged thread could not), so asking
// never leaves a thread slower than it should be. False when nothing changed.
RTL_API bool SetCurrentThreadPriority(TThreadPriority priority);

class RTL_API TThread : public TObject {
public:
    // A suspended thread starts on Start (or Resume). A thread started from this
    // constructor may reach Execute before the derived constructor has run, so a derived
    // class that takes the flag passes true here and ends its own constructor with
    //     if (!createSuspended) Start();
    explicit TThread(bool createSuspended);
    // A thread that is not FreeOnTerminate is terminated and joined here. A derived class
    // whose Execute uses its own members should Terminate() and WaitFor() in its destructor.
    ~TThread() override;

    void Start();
    void Resume() { Start(); }
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    // Waits for Execute to end; answers ReturnValue. Must not be called on a FreeOnTerminate thread.
    int WaitFor();
    bool Finished() const { return finished_.load(); }

    // When set, the object deletes itself after Execute and OnTerminate (set it before Start).
    std::atomic<bool> FreeOnTerminate{false};
    // Called after Execute ends: on the main thread through the installed synchroniser
    // when there is one, else on the worker thread itself (set it before Start).
    TNotifyEvent OnTerminate;

    // An exception that escaped Execute (kept, never rethrown on the worker).
    std::exception_ptr FatalException() const { return fatal_; }
    std::string FatalMessage() const { return fatalMessage_; }
    int ReturnValue() const { return returnValue_; }
    std::thread::id ThreadID() const { return id_; }

    // Runs a call on the main thread and waits for it (directly when no synchroniser
    // is installed or when already on the main thread).
    static void Synchronize(const std::function<void()>& call);
    // The GUI layer installs how calls reach its thread; nullptr removes it.
    using Synchronizer = std::function<void(const std::function<void()>&)>;
    // The synchroniser must post the call and return at once (never wait for it); the
    // thread that installs it counts as the main thread.
    static void SetSynchronizer(Synchronizer synchronizer);
    // Runs the calls waiting for the main thread; answers whether there were any. WaitFor
    // on the main thread does this itself, so a worker in Synchronize cannot deadlock it.
    static bool CheckSynchronize();

protected:
    virtual void Execute() = 0;
    void SetReturnValue(int value) { returnValue_ = value; }

private:
    void Run();
    void WaitUntilFinished();
    std::thread thread_;
    std::thread::id id_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> started_{false};
    std::atomic<bool> finished_{false};
    std::mutex mutex_;
    std::condition_variable finishedCv_;
    std::exception_ptr fatal_;
    std::string fatalMessage_;
    int returnValue_ = 0;
};
