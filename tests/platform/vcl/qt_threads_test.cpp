// Worker threads wake the Qt loop while the GUI thread opens and closes
// windows and, at the end of each round, takes the backend down: every
// message posted to a live window arrives, and nothing a wake-up touches is
// freed under it (the test is run under ThreadSanitizer too).
#include "demoform.h"
#include "vcl/qtbackend.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 8;
constexpr int kPerThread = 400;
constexpr int kRounds = 3;
constexpr int kMinWindows = 24;        // windows opened and closed per round, at the least
constexpr int kTeardownPosts = 5000;   // thread messages per worker while the backend goes
constexpr UINT kPing = WM_USER + 11;

struct RoundCount {
    int posted = 0;
    int delivered = 0;
    int windowsOpened = 0;
    int windowsClosed = 0;
};

// One application with its Qt backend on the test's own queue, which outlives
// it, so that thread messages keep waking it while it is destroyed.
RoundCount RunRound(MessageQueue& queue)
{
    int argc = 1;
    char arg0[16] = "vcl_qt_threads";
    char* argv[2] = {arg0, nullptr};
    auto app = std::make_unique<TApplication>();
    EXPECT_EQ(&app->Queue(), &queue);
    app->SetBackend(CreateQtBackend(argc, argv));

    auto* target = NewForm<TDemoForm>(app.get());
    target->Show();
    std::atomic<int> delivered{0};
    target->WindowProc = [target, &delivered](TMessage& m) {
        if (m.Msg == kPing) delivered.fetch_add(1);
        else target->WndProc(m);
    };
    const HWND h = target->Handle();

    RoundCount count;
    std::atomic<int> posted{0};
    std::atomic<bool> tearingDown{false};
    std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([&, t] {
            // In short bursts, so that the posts spread over the windows' comings and goings.
            for (int i = 0; i < kPerThread; ++i) {
                if (PostMessage(h, kPing, t, i)) posted.fetch_add(1);
                if (i % 10 == 9) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            // Thread messages go on waking the loop through the backend's teardown.
            while (!tearingDown.load() && !stop.load()) std::this_thread::yield();
            for (int i = 0; i < kTeardownPosts && !stop.load(); ++i)
                queue.Post(MSG{nullptr, kPing, static_cast<WPARAM>(t), 0});
        });

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while ((delivered.load() < kThreads * kPerThread || count.windowsClosed < kMinWindows) &&
           std::chrono::steady_clock::now() < deadline) {
        auto* passing = NewForm<TDemoForm>(app.get());
        passing->SetLeft(120 + count.windowsOpened % 50);
        passing->Show();
        if (QtWindowStateOf(*passing).exists) ++count.windowsOpened;
        app->GetBackend().WaitForWork(app->Queue(), 100);
        app->ProcessMessages();
        passing->Free();
        ++count.windowsClosed;
    }
    count.delivered = delivered.load();
    tearingDown.store(true);
    app.reset();
    stop.store(true);
    for (std::thread& w : workers) w.join();
    count.posted = posted.load();
    MSG left;
    while (queue.Peek(left)) {}
    return count;
}

TEST(VclQtThreads, EightThreadsWakeTheLoopWhileWindowsOpenAndCloseAndTheBackendGoes)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    MessageQueue queue;
    const auto start = std::chrono::steady_clock::now();
    RoundCount total;
    for (int round = 0; round < kRounds; ++round) {
        const RoundCount c = RunRound(queue);
        EXPECT_EQ(c.posted, kThreads * kPerThread) << "round " << round;
        EXPECT_EQ(c.delivered, c.posted) << "round " << round;
        EXPECT_GT(c.windowsOpened, 0) << "round " << round;
        total.posted += c.posted;
        total.delivered += c.delivered;
        total.windowsOpened += c.windowsOpened;
        total.windowsClosed += c.windowsClosed;
    }
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    std::printf("posted %d, delivered %d, windows opened %d and closed %d, %lld ms\n", total.posted,
                total.delivered, total.windowsOpened, total.windowsClosed, static_cast<long long>(ms));
}

} // namespace
