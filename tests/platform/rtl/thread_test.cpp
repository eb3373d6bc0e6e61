#include "rtl/clock.h"
#include "rtl/syncobjs.h"
#include "rtl/sysutils.h"
#include "rtl/thread.h"
#include "testkit/wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <condition_variable>
#include <memory>
#include <stdexcept>

namespace {

// Polls Terminated the way the program's workers do, through the current clock.
class PollingThread : public TThread {
public:
    PollingThread() : TThread(true) {}
    ~PollingThread() override
    {
        Terminate();
        if (Started()) WaitFor();
    }
    bool Started() const { return started; }
    void Go()
    {
        started = true;
        Start();
    }
    std::atomic<int> loops{0};
    TEvent running{true, false};

protected:
    void Execute() override
    {
        running.SetEvent();
        while (!Terminated()) {
            ++loops;
            Sleep(500);
        }
        SetReturnValue(loops);
    }

private:
    bool started = false;
};

class ThrowingThread : public TThread {
public:
    explicit ThrowingThread(bool frameworkException) : TThread(true), framework_(frameworkException) {}

protected:
    void Execute() override
    {
        if (framework_) throw EConvertError("'x' is not a valid integer value");
        throw std::runtime_error("plain failure");
    }

private:
    bool framework_;
};

class SelfFreeingThread : public TThread {
public:
    SelfFreeingThread(std::atomic<int>& live, TEvent& done) : TThread(true), live_(live), done_(done)
    {
        ++live_;
        FreeOnTerminate = true;
    }
    ~SelfFreeingThread() override
    {
        --live_;
        done_.SetEvent();
    }

protected:
    void Execute() override { buffer_.assign(4096, 'x'); }   // something for ASan to see leak

private:
    std::atomic<int>& live_;
    TEvent& done_;
    std::string buffer_;
};

class CallThread : public TThread {
public:
    explicit CallThread(std::function<void(CallThread&)> body) : TThread(true), body_(std::move(body)) {}
    using TThread::SetReturnValue;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(CallThread&)> body_;
};

} // namespace

TEST(Thread, TerminateStopsAPollingWorkerWithoutRealSleeping)
{
    ManualClock clock;
    ScopedClock scoped(clock);
    PollingThread t;
    EXPECT_FALSE(t.Finished());
    t.Go();
    ASSERT_EQ(t.running.WaitFor(10000), wrSignaled);
    while (t.loops < 3) std::this_thread::yield();
    t.Terminate();
    EXPECT_TRUE(t.Terminated());
    const int result = t.WaitFor();
    EXPECT_TRUE(t.Finished());
    EXPECT_GE(result, 3);
    EXPECT_GE(clock.TotalSlept(), 1500u);
    EXPECT_EQ(t.FatalException(), nullptr);
}

TEST(Thread, AnEscapingExceptionIsKeptNotFatal)
{
    ThrowingThread framework(true);
    framework.Start();
    framework.WaitFor();
    ASSERT_NE(framework.FatalException(), nullptr);
    EXPECT_EQ(framework.FatalMessage(), "'x' is not a valid integer value");
    EXPECT_THROW(std::rethrow_exception(framework.FatalException()), EConvertError);

    ThrowingThread plain(false);
    plain.Start();
    plain.WaitFor();
    EXPECT_EQ(plain.FatalMessage(), "plain failure");
}

TEST(Thread, FreeOnTerminateDeletesItselfAfterOnTerminate)
{
    std::atomic<int> live{0};
    TEvent gone(true, false);
    std::atomic<bool> terminateCalled{false};
    auto* t = new SelfFreeingThread(live, gone);
    t->OnTerminate = [&](TObject* sender) {
        EXPECT_EQ(sender, t);
        terminateCalled = true;
    };
    EXPECT_THROW(t->WaitFor(), EThread);   // never started
    t->Start();
    ASSERT_EQ(gone.WaitFor(10000), wrSignaled);
    EXPECT_TRUE(terminateCalled);
    EXPECT_EQ(live, 0);
}

TEST(Thread, SuspendedThreadsRunOnlyOnStartAndStartTwiceIsHarmless)
{
    std::atomic<int> runs{0};
    CallThread t([&](CallThread& self) {
        ++runs;
        self.SetReturnValue(7);
    });
    EXPECT_THROW(t.WaitFor(), EThread);
    EXPECT_EQ(runs, 0);
    t.Start();
    t.Resume();
    EXPECT_EQ(t.WaitFor(), 7);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(t.WaitFor(), 7);             // waiting again answers at once
}

TEST(Thread, NeverStartedThreadIsDestroyedCleanly)
{
    auto t = std::make_unique<CallThread>([](CallThread&) {});
    t.reset();
}

// A stand-in for the GUI's message queue: the synchroniser hands it calls, the test's
// "GUI thread" pumps them. Shared, since the synchroniser's helpers may outlive a test line.
struct GuiQueue {
    struct Item {
        std::function<void()> call;
        bool done = false;
    };
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<std::shared_ptr<Item>> items;
    int delivered = 0;

    // Posts like PostMessage, or waits for the pump like SendMessage.
    TThread::Synchronizer Synchronizer(std::shared_ptr<GuiQueue> self, bool blocking)
    {
        return [self, blocking](const std::function<void()>& call) {
            auto item = std::make_shared<Item>();
            item->call = call;
            std::unique_lock lock(self->mutex);
            self->items.push_back(item);
            self->cv.notify_all();
            if (blocking) self->cv.wait(lock, [&] { return item->done; });
            ++self->delivered;
            self->cv.notify_all();
        };
    }
    void Pump()
    {
        std::unique_lock lock(mutex);
        while (!items.empty()) {
            auto item = items.front();
            items.pop_front();
            lock.unlock();
            item->call();
            lock.lock();
            item->done = true;
            cv.notify_all();
        }
    }
    // Both wait a minute at most; false when the calls were not all delivered by then.
    bool WaitDelivered(int count)
    {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, std::chrono::seconds(60), [&] { return delivered >= count; });
    }
    bool WaitDeliveredOrPump(int count)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (true) {
            Pump();
            std::unique_lock lock(mutex);
            if (!cv.wait_until(lock, deadline, [&] { return delivered >= count || !items.empty(); })) return false;
            if (delivered >= count) return true;
        }
    }
};

TEST(Thread, SynchronizeRunsCallsOnTheMainThreadThroughThePostedQueue)
{
    auto gui = std::make_shared<GuiQueue>();
    TThread::SetSynchronizer(gui->Synchronizer(gui, false));
    const auto mainId = std::this_thread::get_id();
    std::thread::id ranOn, terminateOn;
    std::atomic<bool> executed{false};
    CallThread t([&](CallThread&) {
        TThread::Synchronize([&] { ranOn = std::this_thread::get_id(); });
        EXPECT_THROW(TThread::Synchronize([] { throw EAbort("stop"); }), EAbort);
        executed = true;
    });
    t.OnTerminate = [&](TObject*) { terminateOn = std::this_thread::get_id(); };
    t.Start();
    ASSERT_TRUE(testkit::WaitUntil([&] { return t.Finished(); }, 60, [&] {
        gui->Pump();
        std::this_thread::yield();
    }));
    t.WaitFor();
    ASSERT_TRUE(gui->WaitDelivered(3));
    TThread::SetSynchronizer(nullptr);
    EXPECT_TRUE(executed);
    EXPECT_EQ(ranOn, mainId);
    EXPECT_EQ(terminateOn, mainId);
    EXPECT_EQ(t.FatalException(), nullptr);
    EXPECT_FALSE(TThread::CheckSynchronize());
}

TEST(Thread, WaitForOnTheMainThreadRunsCallsOfAWaitingSynchronizer)
{
    // The synchroniser waits like SendMessage, and the main thread sits in WaitFor
    // instead of pumping: WaitFor must run the worker's calls itself.
    auto gui = std::make_shared<GuiQueue>();
    TThread::SetSynchronizer(gui->Synchronizer(gui, true));
    const auto mainId = std::this_thread::get_id();
    std::thread::id ranOn, terminateOn;
    CallThread t([&](CallThread&) { TThread::Synchronize([&] { ranOn = std::this_thread::get_id(); }); });
    t.OnTerminate = [&](TObject*) { terminateOn = std::this_thread::get_id(); };
    t.Start();
    t.WaitFor();
    EXPECT_EQ(ranOn, mainId);
    EXPECT_EQ(terminateOn, mainId);
    // The GUI gets to its messages later; they find nothing left to do.
    ASSERT_TRUE(gui->WaitDeliveredOrPump(2));
    TThread::SetSynchronizer(nullptr);
}

TEST(Thread, WithoutSynchronizerCallsRunOnTheWorker)
{
    std::thread::id ranOn;
    CallThread t([&](CallThread&) { TThread::Synchronize([&] { ranOn = std::this_thread::get_id(); }); });
    t.Start();
    const auto workerId = t.ThreadID();
    t.WaitFor();
    EXPECT_EQ(ranOn, workerId);
    EXPECT_NE(ranOn, std::this_thread::get_id());
}

TEST(Thread, DestructorTerminatesAndJoins)
{
    ManualClock clock;
    ScopedClock scoped(clock);
    std::atomic<bool> stopped{false};
    TEvent running(true, false);
    {
        CallThread t([&](CallThread& self) {
            running.SetEvent();
            while (!self.Terminated()) Sleep(100);
            stopped = true;
        });
        t.Start();
        ASSERT_EQ(running.WaitFor(10000), wrSignaled);
    }
    EXPECT_TRUE(stopped);
}

TEST(Event, ManualAndAutoResetWithTimeouts)
{
    TEvent manual(true, false);
    EXPECT_EQ(manual.WaitFor(0), wrTimeout);
    EXPECT_EQ(manual.WaitFor(20), wrTimeout);
    manual.SetEvent();
    EXPECT_EQ(manual.WaitFor(0), wrSignaled);
    EXPECT_EQ(manual.WaitFor(0), wrSignaled);   // stays set
    manual.ResetEvent();
    EXPECT_EQ(manual.WaitFor(0), wrTimeout);

    TEvent autoReset(false, true);
    EXPECT_EQ(autoReset.WaitFor(0), wrSignaled);
    EXPECT_EQ(autoReset.WaitFor(0), wrTimeout); // cleared by the wait

    TEvent wake(false, false);
    std::thread setter([&] { wake.SetEvent(); });
    EXPECT_EQ(wake.WaitFor(INFINITE), wrSignaled);
    setter.join();
}

TEST(CriticalSection, IsRecursiveAndExcludesOthers)
{
    TCriticalSection cs;
    cs.Enter();
    EXPECT_TRUE(cs.TryEnter());                  // the owner may enter again
    cs.Leave();
    bool otherGot = true;
    std::thread other([&] { otherGot = cs.TryEnter(); });
    other.join();
    EXPECT_FALSE(otherGot);
    cs.Leave();
    int counter = 0;
    std::vector<std::thread> workers;
    for (int i = 0; i < 4; ++i)
        workers.emplace_back([&] {
            for (int j = 0; j < 1000; ++j) {
                std::lock_guard lock(cs);
                ++counter;
            }
        });
    for (auto& w : workers) w.join();
    EXPECT_EQ(counter, 4000);
}

TEST(Clock, ManualClockAdvancesOnSleepAndIsProcessWide)
{
    ManualClock clock;
    {
        ScopedClock scoped(clock);
        const std::uint64_t start = GetTickCount64();
        EXPECT_EQ(start, 1000u);
        Sleep(500);
        Sleep(0);                                // only yields
        EXPECT_EQ(GetTickCount64() - start, 500u);
        clock.Advance(250);
        EXPECT_EQ(GetTickCount(), 1750u);
        std::uint64_t seenByWorker = 0;
        std::thread worker([&] { seenByWorker = GetTickCount64(); });
        worker.join();
        EXPECT_EQ(seenByWorker, 1750u);
        EXPECT_EQ(clock.TotalSlept(), 500u);
    }
    EXPECT_EQ(&CurrentClock(), &SystemClock());
    const std::uint64_t a = GetTickCount64();
    EXPECT_GE(GetTickCount64(), a);              // the system clock never runs backwards
}
