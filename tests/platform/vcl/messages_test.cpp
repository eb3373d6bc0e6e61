// Handles, posted and sent messages, Synchronize and the application's hooks.
#include "democontrols.h"
#include "gfx/gdi.h"
#include "rtl/thread.h"
#include "testkit/wait.h"
#include "vcl/menus.h"
#include "vcl/winuser.h"
#include "win32/progfolders.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr UINT MSG_PROGRESS = WM_USER + 100;

class Receiver : public TForm {
public:
    using TForm::TForm;
    std::vector<std::pair<WPARAM, LPARAM>> got;
    void WndProc(TMessage& m) override
    {
        if (m.Msg == MSG_PROGRESS) {
            got.emplace_back(m.WParam, m.LParam);
            m.Result = static_cast<LRESULT>(m.WParam) * 2;
            return;
        }
        TForm::WndProc(m);
    }
};

using VclMessages = HeadlessTest;

// Posts an empty message to the application after a minute unless let go
// first: a loop that blocks until a post wakes it fails instead of hanging
// when the post it waits for never comes.
class Watchdog {
public:
    Watchdog()
        : thread_([this] {
              std::unique_lock lock(mutex_);
              if (!released_.wait_for(lock, std::chrono::seconds(60), [this] { return done_; })) {
                  fired = true;
                  PostMessage(Application->Handle(), WM_NULL, 0, 0);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        released_.notify_all();
        thread_.join();
    }
    std::atomic<bool> fired{false};

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool done_ = false;
    std::thread thread_;
};

TEST_F(VclMessages, HandleIsCreatedOnFirstNeed)
{
    auto* f = MakeForm<Receiver>();
    auto* b = new TDemoButton(f);
    b->SetParent(f);
    EXPECT_FALSE(f->HandleAllocated());
    EXPECT_FALSE(b->HandleAllocated());
    HWND h = b->Handle(); // asks for the parent's too
    EXPECT_TRUE(IsWindow(h));
    EXPECT_TRUE(f->HandleAllocated());
    EXPECT_EQ(FindControl(h), b);
    auto* late = new TDemoButton(f);
    late->SetParent(f); // a parent with a handle gives a visible child one at once
    EXPECT_TRUE(late->HandleAllocated());
}

TEST_F(VclMessages, PostsFromWorkerThreadsArriveInOrder)
{
    auto* f = MakeForm<Receiver>();
    HWND h = f->Handle();
    constexpr int kCount = 2000;
    std::thread worker([h] {
        for (int i = 0; i < kCount; ++i) ASSERT_TRUE(PostMessage(h, MSG_PROGRESS, static_cast<WPARAM>(i), 7));
    });
    Watchdog watchdog;
    while (static_cast<int>(f->got.size()) < kCount && !watchdog.fired)
        app->HandleMessage();   // blocks until posts wake it
    worker.join();
    ASSERT_EQ(static_cast<int>(f->got.size()), kCount);
    for (int i = 0; i < kCount; ++i) ASSERT_EQ(f->got[static_cast<std::size_t>(i)].first, static_cast<WPARAM>(i));
}

TEST_F(VclMessages, SendAndPerformAreSynchronous)
{
    auto* f = MakeForm<Receiver>();
    EXPECT_EQ(f->Perform(MSG_PROGRESS, 21, 0), 42);
    HWND h = f->Handle();
    LRESULT fromWorker = 0;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        fromWorker = SendMessage(h, MSG_PROGRESS, 5, 0);
        done = true;
        PostMessage(h, WM_NULL, 0, 0); // wakes the loop to see `done`
    });
    const bool answered = testkit::WaitUntil([&] { return done.load(); }, 60, [&] { app->ProcessMessages(); });
    worker.join();   // a send that was never handled would hang here: failed above first
    ASSERT_TRUE(answered);
    EXPECT_EQ(fromWorker, 10);
}

TEST_F(VclMessages, PostToAFreedFormIsDropped)
{
    auto* f = MakeForm<Receiver>();
    HWND h = f->Handle();
    PostMessage(h, MSG_PROGRESS, 1, 0);
    f->Free(); // the queued message must not reach the freed form (ASan would see it)
    EXPECT_FALSE(PostMessage(h, MSG_PROGRESS, 2, 0));
    app->ProcessMessages();
    SUCCEED();
}

TEST_F(VclMessages, SynchronizeRunsOnTheGuiThread)
{
    class Worker : public TThread {
    public:
        Worker() : TThread(true) {}
        std::thread::id ranOn;
        std::atomic<bool> done{false};

    protected:
        void Execute() override
        {
            Synchronize([this] { ranOn = std::this_thread::get_id(); });
            done = true;
            PostMessage(Application->Handle(), WM_NULL, 0, 0);
        }
    };
    Worker w;
    w.Start();
    ASSERT_TRUE(testkit::WaitUntil([&] { return w.done.load(); }, 60, [&] { app->ProcessMessages(); }));
    w.WaitFor();
    EXPECT_EQ(w.ranOn, std::this_thread::get_id());
}

TEST_F(VclMessages, OnMessageCanSwallowTheScreenSaver)
{
    auto* f = MakeForm<Receiver>();
    int seen = 0;
    class Sys : public TForm {
    public:
        using TForm::TForm;
        int* count = nullptr;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == WM_SYSCOMMAND) ++*count;
            TForm::WndProc(m);
        }
    };
    auto* s = MakeForm<Sys>();
    s->count = &seen;
    app->OnMessage = [](MSG& msg, bool& handled) {
        if (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_SCREENSAVE) handled = true;
    };
    PostMessage(s->Handle(), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    PostMessage(s->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    app->ProcessMessages();
    EXPECT_EQ(seen, 1);
    (void)f;
}

TEST_F(VclMessages, ProcessMessagesOffTheGuiThreadDoesNothing)
{
    auto* f = MakeForm<Receiver>();
    PostMessage(f->Handle(), MSG_PROGRESS, 1, 0);
    std::thread t([&] { app->ProcessMessages(); });
    t.join();
    EXPECT_TRUE(f->got.empty());
    app->ProcessMessages();
    EXPECT_EQ(f->got.size(), 1u);
}

TEST_F(VclMessages, ProcessMessagesIsReentrantFromAHandler)
{
    auto* f = MakeForm<Receiver>();
    HWND h = f->Handle();
    auto* b = new TDemoButton(f);
    b->SetParent(f);
    f->Show();
    // A long handler that pumps (as the splash fade does) still sees later posts in order.
    b->OnClick = [&](TObject*) {
        PostMessage(h, MSG_PROGRESS, 2, 0);
        app->ProcessMessages();
        PostMessage(h, MSG_PROGRESS, 3, 0);
    };
    PostMessage(h, MSG_PROGRESS, 1, 0);
    headless->ClickControl(*b);
    ASSERT_EQ(f->got.size(), 3u);
    EXPECT_EQ(f->got[0].first, 1u);
    EXPECT_EQ(f->got[1].first, 2u);
    EXPECT_EQ(f->got[2].first, 3u);
}

TEST_F(VclMessages, ControlMessagesFollowPropertyChanges)
{
    class Watch : public TDemoButton {
    public:
        using TDemoButton::TDemoButton;
        std::vector<UINT> got;
        void WndProc(TMessage& m) override
        {
            if (m.Msg >= CM_BASE && m.Msg < CM_BASE + 100) got.push_back(m.Msg);
            TDemoButton::WndProc(m);
        }
    };
    auto* f = MakeForm();
    auto* w = new Watch(f);
    w->SetParent(f);
    w->got.clear();
    w->SetCaption("Go");
    w->SetEnabled(false);
    w->SetColor(clRed);
    w->Font()->SetSize(12);
    w->SetVisible(false);
    EXPECT_EQ(w->got, (std::vector<UINT>{CM_TEXTCHANGED, CM_ENABLEDCHANGED, CM_COLORCHANGED, CM_FONTCHANGED,
                                         CM_VISIBLECHANGED}));
    EXPECT_FALSE(w->ParentFont());
    w->got.clear();
    f->Font()->SetName("Arial"); // children that follow the parent's font hear of it
    auto* kid = new Watch(f);
    kid->SetParent(f);
    EXPECT_EQ(kid->Font()->Name(), "Arial");
    EXPECT_NE(w->Font()->Name(), "Arial");
}

TEST_F(VclMessages, ReadingDirectionFollowsTheParentAndTheLocale)
{
    auto* f = MakeForm();
    auto* panel = new TDemoButton(f);
    panel->SetParent(f);
    auto* kid = new TDemoLabel(f);
    kid->SetParent(panel);
    auto* own = new TDemoLabel(f);
    own->SetParent(panel);
    own->SetParentBiDiMode(false);

    f->SetBiDiMode(bdRightToLeft); // reaches every level that follows its parent
    EXPECT_EQ(panel->BiDiMode(), bdRightToLeft);
    EXPECT_EQ(kid->BiDiMode(), bdRightToLeft);
    EXPECT_EQ(own->BiDiMode(), bdLeftToRight);
    auto* late = new TDemoLabel(f);
    late->SetParent(panel);
    EXPECT_EQ(late->BiDiMode(), bdRightToLeft);

    SetUserLocale("en_US.UTF-8"); // not a Middle-East system: everything reads left to right
    EXPECT_FALSE(kid->IsRightToLeft());
    EXPECT_FALSE(kid->UseRightToLeftAlignment());
    EXPECT_EQ(kid->DrawTextBiDiModeFlags(DT_LEFT), DT_LEFT);

    SetUserLocale("he_IL.UTF-8");
    EXPECT_TRUE(kid->IsRightToLeft());
    EXPECT_TRUE(kid->UseRightToLeftReading());
    EXPECT_TRUE(kid->UseRightToLeftAlignment());
    EXPECT_TRUE(kid->UseRightToLeftScrollBar());
    EXPECT_EQ(kid->DrawTextBiDiModeFlags(DT_LEFT), DT_RIGHT | DT_RTLREADING);
    EXPECT_EQ(kid->DrawTextBiDiModeFlags(DT_RIGHT), DT_LEFT | DT_RTLREADING);
    EXPECT_EQ(kid->DrawTextBiDiModeFlags(DT_CENTER), DT_CENTER | DT_RTLREADING);
    EXPECT_FALSE(own->IsRightToLeft());

    kid->SetBiDiMode(bdRightToLeftNoAlign); // reads right to left, keeps its layout
    EXPECT_TRUE(kid->UseRightToLeftReading());
    EXPECT_FALSE(kid->UseRightToLeftAlignment());
    EXPECT_TRUE(kid->UseRightToLeftScrollBar());
    kid->SetBiDiMode(bdRightToLeftReadingOnly);
    EXPECT_FALSE(kid->UseRightToLeftScrollBar());
    EXPECT_EQ(kid->DrawTextBiDiModeFlags(DT_LEFT), DT_RTLREADING);
    kid->SetParentBiDiMode(true);
    EXPECT_EQ(kid->BiDiMode(), bdRightToLeft);

    TPopupMenu* menu = new TPopupMenu(panel); // a menu reads as the control that owns it
    EXPECT_TRUE(menu->IsRightToLeft());
    menu->SetBiDiMode(bdLeftToRight);
    EXPECT_FALSE(menu->IsRightToLeft());
    SetUserLocale("");
}

TEST_F(VclMessages, FontChangeReachesEveryControlOfEveryFormAndBeepsAreRecorded)
{
    class Listener : public TDemoLabel {
    public:
        using TDemoLabel::TDemoLabel;
        int heard = 0;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == WM_FONTCHANGE) ++heard;
            TDemoLabel::WndProc(m);
        }
    };
    auto* f = MakeForm();
    auto* g = MakeForm();
    auto* panel = new TDemoButton(f);
    panel->SetParent(f);
    auto* deep = new Listener(f);
    deep->SetParent(panel);
    auto* other = new Listener(g);
    other->SetParent(g);
    Screen->FontsChanged();
    EXPECT_EQ(deep->heard, 1);
    EXPECT_EQ(other->heard, 1);

    EXPECT_TRUE(MessageBeep(MB_ICONERROR));
    MessageBeep(MB_OK);
    EXPECT_EQ(headless->Beeps(), (std::vector<unsigned>{MB_ICONERROR, MB_OK}));
}
} // namespace
