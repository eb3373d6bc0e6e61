// The DVD-writing engine's callback: which events become which window
// messages, from any thread, and none to a window that is gone.
#include "base/burnpubfunction.h"
#include "dvdwrite/dvdwrite_hwe.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Got {
    UINT message;
    WPARAM w;
    LPARAM l;
    bool operator==(const Got&) const = default;
};

class Window {
public:
    Window()
        : hwnd_(AllocateHWnd(queue_, [this](UINT m, WPARAM w, LPARAM l) -> LRESULT {
              got_.push_back({m, w, l});
              return 0;
          }))
    {
    }
    ~Window() { Destroy(); }
    void Destroy()
    {
        if (hwnd_)
            DeallocateHWnd(hwnd_);
        hwnd_ = nullptr;
    }
    HWND Handle() const { return hwnd_; }
    MessageQueue& Queue() { return queue_; }
    std::vector<Got> Pump()
    {
        PumpPending(queue_);
        std::vector<Got> got;
        got.swap(got_);
        return got;
    }

private:
    MessageQueue queue_;
    HWND hwnd_;
    std::vector<Got> got_;
};

TEST(WriterEvents, EachEventPostsItsMessageWithTheValue)
{
    Window window;
    // Called from an engine thread, as the engine does.
    std::thread engine([hwnd = window.Handle()] {
        for (int event = -1; event <= 12; ++event)
            WriterEventCallback(42, event, 1000 + event, hwnd);
    });
    engine.join();
    EXPECT_EQ(window.Pump(), (std::vector<Got>{{MSG_WRITER_MEDIA, 1002, 0},
                                               {MSG_WRITER_MEDIA, 1003, 0},
                                               {MSG_WRITER_PROGRESS, 1007, 0},
                                               {MSG_WRITER_CLOSING, 1008, 0},
                                               {MSG_WRITER_STATUS, 1009, 0}}));
}

TEST(WriterEvents, OtherEventsLeaveTheQueueUntouched)
{
    Window window;
    for (int event : {0, 1, 4, 5, 6, 10, 255})
        WriterEventCallback(0, event, HWE_PROGRESS_FULL, window.Handle());
    EXPECT_EQ(window.Queue().Pending(), 0u);
}

TEST(WriterEvents, ProgressAndStatusValuesArriveUnchanged)
{
    Window window;
    WriterEventCallback(0, HWE_EVENT_PROGRESS, 0, window.Handle());
    WriterEventCallback(0, HWE_EVENT_PROGRESS, 32767, window.Handle());
    WriterEventCallback(0, HWE_EVENT_PROGRESS, HWE_PROGRESS_FULL, window.Handle());
    WriterEventCallback(0, HWE_EVENT_STATUS, HWE_WRITE_COMPLETE, window.Handle());
    const auto got = window.Pump();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[1].w, 32767u);
    EXPECT_EQ(got[1].w * 100 / HWE_PROGRESS_FULL, 49u);   // what the window shows
    EXPECT_EQ(got[2].w, static_cast<WPARAM>(HWE_PROGRESS_FULL));
    EXPECT_EQ(got[3], (Got{MSG_WRITER_STATUS, HWE_WRITE_COMPLETE, 0}));
}

TEST(WriterEvents, ADestroyedWindowGetsNothing)
{
    Window gone;
    const HWND old = gone.Handle();
    WriterEventCallback(0, 9, 0, old);   // queued, then the window goes
    gone.Destroy();
    Window next;   // handles are never reused: the late events cannot reach this one
    std::thread engine([old] {
        WriterEventCallback(0, 9, 3, old);
        WriterEventCallback(0, 2, 0, old);
    });
    engine.join();
    WriterEventCallback(0, 7, 100, nullptr);
    EXPECT_EQ(gone.Queue().Pending(), 0u);
    EXPECT_TRUE(next.Pump().empty());
}

} // namespace
