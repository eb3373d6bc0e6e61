#include "win32/messages.h"
#include "testkit/wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <map>
#include <set>
#include <thread>
#include <vector>

namespace {

constexpr UINT kPing = WM_USER + 1;

struct Recorder {
    std::vector<MSG> seen;
    WindowProc Proc(HWND* self)
    {
        return [this, self](UINT m, WPARAM w, LPARAM l) {
            seen.push_back(MSG{*self, m, w, l});
            return LRESULT(0);
        };
    }
};

TEST(Win32Messages, PostToNullOrDeadHandleIsDroppedAndAnswersFalse)
{
    MessageQueue queue;
    Recorder recorder;
    HWND hwnd = nullptr;
    hwnd = AllocateHWnd(queue, recorder.Proc(&hwnd));
    ASSERT_TRUE(IsWindow(hwnd));

    EXPECT_FALSE(PostMessage(nullptr, kPing, 1, 2));
    EXPECT_TRUE(PostMessage(hwnd, kPing, 3, 4));
    EXPECT_EQ(queue.Pending(), 1u);

    // Destroyed with a message still queued: the message must never arrive.
    DeallocateHWnd(hwnd);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessage(hwnd, kPing, 5, 6));
    EXPECT_EQ(PumpPending(queue), 0);
    EXPECT_TRUE(recorder.seen.empty());
    EXPECT_EQ(SendMessage(hwnd, kPing, 0, 0), 0);
    EXPECT_EQ(DispatchMessage(MSG{hwnd, kPing, 0, 0}), 0);
    DeallocateHWnd(hwnd);   // twice is harmless
}

TEST(Win32Messages, MessageRetrievedBeforeDeathIsNotDispatchedAfterIt)
{
    MessageQueue queue;
    Recorder recorder;
    HWND hwnd = nullptr;
    hwnd = AllocateHWnd(queue, recorder.Proc(&hwnd));
    PostMessage(hwnd, kPing, 0, 0);
    MSG msg;
    ASSERT_TRUE(queue.Peek(msg, true));
    DeallocateHWnd(hwnd);
    EXPECT_EQ(DispatchMessage(msg), 0);
    EXPECT_TRUE(recorder.seen.empty());
}

TEST(Win32Messages, HandlesAreNotReusedSoLatePostsMissTheNewWindow)
{
    MessageQueue queue;
    std::set<HWND> handles;
    int delivered = 0;
    for (int i = 0; i < 100; ++i) {
        HWND old = AllocateHWnd(queue, [&](UINT, WPARAM, LPARAM) { ++delivered; return LRESULT(0); });
        EXPECT_TRUE(handles.insert(old).second);
        DeallocateHWnd(old);
        EXPECT_FALSE(PostMessage(old, kPing, 0, 0));
    }
    HWND fresh = AllocateHWnd(queue, [&](UINT, WPARAM, LPARAM) { ++delivered; return LRESULT(0); });
    EXPECT_EQ(handles.count(fresh), 0u);
    EXPECT_EQ(PumpPending(queue), 0);
    EXPECT_EQ(delivered, 0);
    DeallocateHWnd(fresh);
}

TEST(Win32Messages, PostsFromSeveralThreadsKeepEachThreadsOrder)
{
    MessageQueue queue;
    std::atomic<int> wakeups{0};
    queue.SetWakeup([&] { ++wakeups; });
    std::map<WPARAM, std::vector<LPARAM>> byThread;
    HWND hwnd = AllocateHWnd(queue, [&](UINT, WPARAM w, LPARAM l) {
        byThread[w].push_back(l);
        return LRESULT(0);
    });

    constexpr int kThreads = 4, kEach = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                ASSERT_TRUE(PostMessage(hwnd, kPing, WPARAM(t), LPARAM(i)));
        });
    // The owner drains while the posters still run.
    int received = 0;
    MSG msg;
    while (received < kThreads * kEach) {
        ASSERT_EQ(queue.Get(msg, 5000), GetResult::Message);
        DispatchMessage(msg);
        ++received;
    }
    for (auto& th : threads)
        th.join();

    EXPECT_EQ(wakeups.load(), kThreads * kEach);
    ASSERT_EQ(byThread.size(), size_t(kThreads));
    for (auto& [thread, sequence] : byThread) {
        ASSERT_EQ(sequence.size(), size_t(kEach)) << "thread " << thread;
        for (int i = 0; i < kEach; ++i)
            ASSERT_EQ(sequence[i], i) << "thread " << thread;
    }
    DeallocateHWnd(hwnd);
}

TEST(Win32Messages, SendMessageOnOwnerThreadCallsDirectly)
{
    MessageQueue queue;
    HWND hwnd = AllocateHWnd(queue, [](UINT m, WPARAM w, LPARAM l) { return LRESULT(m + w + l); });
    EXPECT_EQ(SendMessage(hwnd, 10, 20, 30), 60);
    EXPECT_EQ(queue.Pending(), 0u);
    DeallocateHWnd(hwnd);
}

TEST(Win32Messages, SendMessageFromWorkerIsHandledOnOwnerThreadWhilePumping)
{
    MessageQueue queue;
    const auto owner = std::this_thread::get_id();
    std::thread::id handledOn;
    HWND hwnd = AllocateHWnd(queue, [&](UINT m, WPARAM w, LPARAM) {
        handledOn = std::this_thread::get_id();
        if (m == WM_CLOSE)
            PostQuitMessage(0);
        return LRESULT(w * 2);
    });
    std::future<LRESULT> answer = std::async(std::launch::async, [&] {
        LRESULT r = SendMessage(hwnd, kPing, 21, 0);
        PostMessage(hwnd, WM_CLOSE, 0, 0);
        return r;
    });
    // Pumps until the quit, for a minute at most.
    MSG msg;
    bool quit = false;
    if (!testkit::WaitUntil([&] { return quit; }, 60, [&] {
            const GetResult got = queue.Get(msg, 100);
            if (got == GetResult::Message) DispatchMessage(msg);
            quit = got == GetResult::Quit;
        })) {
        DeallocateHWnd(hwnd);   // lets the sender go
        FAIL() << "the quit never came";
    }
    EXPECT_EQ(answer.get(), 42);
    EXPECT_EQ(handledOn, owner);
    DeallocateHWnd(hwnd);
}

TEST(Win32Messages, SenderGetsZeroWhenTheWindowDiesBeforeHandlingIt)
{
    MessageQueue queue;
    std::atomic<bool> sendQueued{false};
    queue.SetWakeup([&] { sendQueued = true; });
    bool called = false;
    HWND hwnd = AllocateHWnd(queue, [&](UINT, WPARAM, LPARAM) { called = true; return LRESULT(7); });
    std::future<LRESULT> answer = std::async(std::launch::async, [&] { return SendMessage(hwnd, kPing, 0, 0); });
    if (!testkit::WaitUntil([&] { return sendQueued.load(); })) {
        DeallocateHWnd(hwnd);   // lets the sender go
        FAIL() << "the send never reached the queue";
    }
    EXPECT_EQ(queue.Pending(), 1u);   // an idle loop must see it is there
    DeallocateHWnd(hwnd);
    EXPECT_EQ(queue.Pending(), 0u);
    EXPECT_EQ(answer.get(), 0);
    EXPECT_FALSE(called);
}

TEST(Win32Messages, TwoGuiThreadsSendingToEachOtherDoNotLockUp)
{
    MessageQueue mainQueue;
    HWND mainWindow = AllocateHWnd(mainQueue, [](UINT, WPARAM w, LPARAM) { return LRESULT(w + 1); });
    std::promise<HWND> otherWindow;
    std::atomic<bool> stop{false};
    std::thread other([&] {
        MessageQueue queue;
        // Handling a send by sending back to a thread that is itself waiting.
        HWND hwnd = AllocateHWnd(queue, [&](UINT, WPARAM w, LPARAM) { return SendMessage(mainWindow, 0, w, 0) * 10; });
        otherWindow.set_value(hwnd);
        MSG msg;
        while (!stop) {
            if (queue.Get(msg, 50) == GetResult::Message)
                DispatchMessage(msg);
        }
    });
    HWND target = otherWindow.get_future().get();
    EXPECT_EQ(SendMessage(target, 0, 4, 0), 50);
    stop = true;
    other.join();
    EXPECT_FALSE(IsWindow(target));   // its queue went away with its thread
    DeallocateHWnd(mainWindow);
}

TEST(Win32Messages, QuitComesAfterEarlierPostsAndCarriesTheExitCode)
{
    MessageQueue queue;
    EXPECT_EQ(MessageQueue::Current(), &queue);
    HWND hwnd = AllocateHWnd(queue, [](UINT, WPARAM, LPARAM) { return LRESULT(0); });
    PostMessage(hwnd, kPing, 1, 0);
    PostQuitMessage(5);
    PostMessage(hwnd, kPing, 2, 0);
    MSG msg;
    ASSERT_TRUE(queue.Get(msg));
    EXPECT_EQ(msg.wParam, 1u);
    ASSERT_TRUE(queue.Get(msg));
    EXPECT_EQ(msg.wParam, 2u);
    // PumpPending leaves WM_QUIT for the real loop.
    EXPECT_EQ(PumpPending(queue), 0);
    EXPECT_TRUE(queue.QuitPosted());
    EXPECT_FALSE(queue.Get(msg));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_FALSE(queue.QuitPosted());
    EXPECT_EQ(queue.Get(msg, 0), GetResult::Timeout);
    DeallocateHWnd(hwnd);
}

TEST(Win32Messages, PeekWithoutRemoveKeepsTheMessage)
{
    MessageQueue queue;
    HWND hwnd = AllocateHWnd(queue, [](UINT, WPARAM, LPARAM) { return LRESULT(0); });
    MSG msg;
    EXPECT_FALSE(queue.Peek(msg, false));
    PostMessage(hwnd, kPing, 9, 0);
    ASSERT_TRUE(queue.Peek(msg, false));
    EXPECT_EQ(queue.Pending(), 1u);
    ASSERT_TRUE(queue.Peek(msg, true));
    EXPECT_EQ(msg.wParam, 9u);
    EXPECT_EQ(queue.Pending(), 0u);
    // Thread messages are retrieved but reach no window.
    EXPECT_TRUE(queue.Post(MSG{nullptr, kPing, 1, 1}));
    ASSERT_TRUE(queue.Peek(msg, true));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(DispatchMessage(msg), 0);
    DeallocateHWnd(hwnd);
}

TEST(Win32Messages, PumpPendingDeliversChainsAndSurvivesSelfDestruction)
{
    MessageQueue queue;
    std::vector<WPARAM> order;
    HWND hwnd = nullptr;
    hwnd = AllocateHWnd(queue, [&](UINT m, WPARAM w, LPARAM) {
        order.push_back(w);
        if (w < 3)
            PostMessage(hwnd, m, w + 1, 0);
        else
            DeallocateHWnd(hwnd);   // from inside its own procedure
        return LRESULT(0);
    });
    PostMessage(hwnd, kPing, 0, 0);
    EXPECT_EQ(PumpPending(queue), 4);
    EXPECT_EQ(order, (std::vector<WPARAM>{0, 1, 2, 3}));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Win32Messages, SetWindowProcReplacesTheHandler)
{
    MessageQueue queue;
    HWND hwnd = AllocateHWnd(queue, [](UINT, WPARAM, LPARAM) { return LRESULT(1); });
    EXPECT_EQ(QueueOfWindow(hwnd), &queue);
    EXPECT_TRUE(SetWindowProc(hwnd, [](UINT, WPARAM, LPARAM) { return LRESULT(2); }));
    EXPECT_EQ(SendMessage(hwnd, 0, 0, 0), 2);
    DeallocateHWnd(hwnd);
    EXPECT_FALSE(SetWindowProc(hwnd, {}));
    EXPECT_EQ(QueueOfWindow(hwnd), nullptr);
}

TEST(Win32Messages, DestroyedQueueTakesItsWindowsAlong)
{
    HWND hwnd;
    {
        MessageQueue queue;
        hwnd = AllocateHWnd(queue, [](UINT, WPARAM, LPARAM) { return LRESULT(0); });
        PostMessage(hwnd, kPing, 0, 0);
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessage(hwnd, kPing, 0, 0));
}

TEST(Win32Messages, RegisteredMessagesAreStableAndCaseInsensitive)
{
    UINT a = RegisterWindowMessage("KeldaraTestMessage");
    UINT b = RegisterWindowMessage("KELDARATESTMESSAGE");
    UINT c = RegisterWindowMessage("KeldaraOtherMessage");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);

    // Many threads registering the same new name agree on its number.
    std::vector<std::future<UINT>> numbers;
    for (int i = 0; i < 8; ++i)
        numbers.push_back(std::async(std::launch::async, [] { return RegisterWindowMessage("KeldaraRaceMessage"); }));
    UINT first = numbers[0].get();
    for (size_t i = 1; i < numbers.size(); ++i)
        EXPECT_EQ(numbers[i].get(), first);
}

TEST(Win32Messages, TimedGetWakesForAPostFromAnotherThread)
{
    MessageQueue queue;
    HWND hwnd = AllocateHWnd(queue, [](UINT, WPARAM, LPARAM) { return LRESULT(0); });
    std::thread poster([&] { PostMessage(hwnd, kPing, 77, 0); });
    MSG msg;
    ASSERT_EQ(queue.Get(msg, 10000), GetResult::Message);
    EXPECT_EQ(msg.wParam, 77u);
    poster.join();
    DeallocateHWnd(hwnd);
}

} // namespace
