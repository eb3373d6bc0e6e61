// TThread over std::thread, with calls handed to the main thread through a queue
// that the GUI's synchroniser (or WaitFor on the main thread) drains.
#include "rtl/thread.h"

#include "rtl/sysutils.h"

#include <algorithm>
#include <deque>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <system_error>
#include <unistd.h>

namespace {

struct PendingCall {
    const std::function<void()>* call = nullptr;
    bool done = false;
    std::exception_ptr error;
};

struct SyncState {
    std::mutex mutex;
    std::condition_variable cv;   // a call was queued or done, or a thread finished
    std::deque<PendingCall*> queue;
    TThread::Synchronizer synchronizer;
    std::thread::id mainThread;
};

// The thread that loads the program is the main thread until a synchroniser says otherwise.
const std::thread::id g_loadThread = std::this_thread::get_id();

SyncState& State()
{
    static SyncState state;
    return state;
}

std::thread::id MainThread()
{
    SyncState& s = State();
    std::lock_guard lock(s.mutex);
    return s.mainThread == std::thread::id() ? g_loadThread : s.mainThread;
}

std::string MessageOf(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown exception";
    }
}

} // namespace

bool SetCurrentThreadPriority(TThreadPriority priority)
{
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    if (priority == tpTimeCritical) {
        sched_param param{};
        param.sched_priority = 1;
        if (::sched_setscheduler(0, SCHED_FIFO, &param) == 0)
            return true;
        priority = tpHighest;
    } else {
        sched_param param{};
        ::sched_setscheduler(0, SCHED_OTHER, &param);   // back from real time, where it was granted
    }
    static constexpr int kNice[] = {19, 10, 5, 0, -5, -10};
    const int nice = kNice[priority];
    // Without the right to lower nice values, a thread that raised its own could not come back.
    rlimit limit{};
    const bool canReturn = ::geteuid() == 0 ||
                           (::getrlimit(RLIMIT_NICE, &limit) == 0 &&
                            (limit.rlim_cur == RLIM_INFINITY || 20 - static_cast<long>(limit.rlim_cur) <= std::min(nice, 0)));
    if (!canReturn)
        return false;
    return ::setpriority(PRIO_PROCESS, tid, nice) == 0;
}

TThread::TThread(bool createSuspended)
{
    if (!createSuspended)
        Start();
}

TThread::~TThread()
{
    if (thread_.joinable()) {
        if (std::this_thread::get_id() == thread_.get_id()) {
            thread_.detach();   // deleting itself at the end of Run
        } else {
            Terminate();
            WaitUntilFinished();
        }
    }
}

void TThread::Start()
{
    std::lock_guard lock(mutex_);
    if (started_)
        return;
    started_ = true;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error& e) {
        started_ = false;
        throw EThread(Format("Thread creation error: %s", e.what()));
    }
    id_ = thread_.get_id();
}

void TThread::Terminate()
{
    terminated_ = true;
}

int TThread::WaitFor()
{
    if (FreeOnTerminate)
        throw EThread("Cannot call WaitFor on a thread that frees itself");
    if (!started_)
        throw EThread("Cannot call WaitFor on a thread that was never started");
    if (std::this_thread::get_id() == id_)
        throw EThread("A thread cannot wait for itself");
    WaitUntilFinished();
    return returnValue_;
}

void TThread::WaitUntilFinished()
{
    SyncState& s = State();
    const bool onMain = std::this_thread::get_id() == MainThread();
    while (true) {
        if (onMain)
            CheckSynchronize();
        std::unique_lock lock(s.mutex);
        s.cv.wait(lock, [&] { return finished_.load() || (onMain && !s.queue.empty()); });
        if (finished_)
            break;
    }
    std::lock_guard lock(mutex_);
    if (thread_.joinable())
        thread_.join();
}

void TThread::Run()
{
    {
        std::lock_guard lock(mutex_);   // Start has stored the handle and id
    }
    try {
        Execute();
    } catch (...) {
        fatal_ = std::current_exception();
        fatalMessage_ = MessageOf(fatal_);
    }
    if (OnTerminate) {
        try {
            Synchronize([this] { OnTerminate(this); });
        } catch (...) {
            if (!fatal_) {
                fatal_ = std::current_exception();
                fatalMessage_ = MessageOf(fatal_);
            }
        }
    }
    const bool freeSelf = FreeOnTerminate;
    SyncState& s = State();
    {
        std::lock_guard lock(s.mutex);
        finished_ = true;
    }
    s.cv.notify_all();
    finishedCv_.notify_all();
    if (freeSelf)
        delete this;
}

void TThread::Synchronize(const std::function<void()>& call)
{
    SyncState& s = State();
    Synchronizer synchronizer;
    {
        std::lock_guard lock(s.mutex);
        synchronizer = s.synchronizer;
    }
    if (!synchronizer || std::this_thread::get_id() == MainThread()) {
        call();
        return;
    }
    PendingCall pending;
    pending.call = &call;
    {
        std::lock_guard lock(s.mutex);
        s.queue.push_back(&pending);
    }
    s.cv.notify_all();   // a WaitFor on the main thread runs it too
    // The synchroniser is told from a helper thread: one that waits for the GUI (as a
    // SendMessage does) must not keep this worker from seeing its call done by a WaitFor
    // on the main thread, or the two would wait for each other.
    auto notify = [synchronizer, p = &pending] {
        try {
            synchronizer([] { TThread::CheckSynchronize(); });
        } catch (...) {
            SyncState& state = State();
            std::lock_guard lock(state.mutex);
            auto it = std::find(state.queue.begin(), state.queue.end(), p);
            if (it != state.queue.end()) {   // still queued, so `p` is alive
                state.queue.erase(it);
                p->error = std::current_exception();
                p->done = true;
                state.cv.notify_all();
            }
        }
    };
    try {
        std::thread(notify).detach();
    } catch (const std::system_error&) {
        notify();
    }
    {
        std::unique_lock lock(s.mutex);
        s.cv.wait(lock, [&] { return pending.done; });
    }
    if (pending.error)
        std::rethrow_exception(pending.error);
}

bool TThread::CheckSynchronize()
{
    if (std::this_thread::get_id() != MainThread())
        return false;
    SyncState& s = State();
    bool any = false;
    while (true) {
        PendingCall* pending;
        {
            std::lock_guard lock(s.mutex);
            if (s.queue.empty())
                break;
            pending = s.queue.front();
            s.queue.pop_front();
        }
        std::exception_ptr error;
        try {
            (*pending->call)();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(s.mutex);
            pending->error = error;
            pending->done = true;   // the worker may free `pending` from here on
        }
        s.cv.notify_all();
        any = true;
    }
    return any;
}

void TThread::SetSynchronizer(Synchronizer synchronizer)
{
    SyncState& s = State();
    const bool removed = !synchronizer;
    {
        std::lock_guard lock(s.mutex);
        s.synchronizer = std::move(synchronizer);
        s.mainThread = std::this_thread::get_id();
    }
    // Nobody would drain calls queued for a synchroniser that is gone.
    if (removed)
        CheckSynchronize();
}
