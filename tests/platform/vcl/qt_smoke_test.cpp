// The Qt backend on Qt's offscreen platform: windows exist, show the form's
// pixels, carry its style, and the loop wakes for posted messages and timers.
#include "demoform.h"
#include "vcl/qtbackend.h"

#include <cstdlib>
#include <thread>

namespace {

class VclQtSmoke : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        app = std::make_unique<TApplication>();
        app->SetBackend(CreateQtBackend(argc, argv));
    }
    void TearDown() override { app.reset(); }
    int argc = 1;
    char arg0[16] = "vcl_qt_tests";
    char* argv[2] = {arg0, nullptr};
    std::unique_ptr<TApplication> app;
};

TEST_F(VclQtSmoke, WindowShowsTheBackBufferWithTheFormsStyle)
{
    auto* form = NewForm<TDemoForm>(app.get());
    form->SetFormStyle(fsStayOnTop);
    form->SetAlphaBlend(true);
    form->SetAlphaBlendValue(128);
    form->Show();
    app->ProcessMessages();
    QtWindowState st = QtWindowStateOf(*form);
    ASSERT_TRUE(st.exists);
    EXPECT_TRUE(st.visible);
    EXPECT_TRUE(st.frameless);
    EXPECT_TRUE(st.stayOnTop);
    EXPECT_TRUE(st.masked);
    EXPECT_NEAR(st.alpha, 128, 1);
    EXPECT_EQ(st.geometry, Rect(100, 100, 340, 260));

    auto shown = QtWindowPicture(*form);
    ASSERT_NE(shown, nullptr);
    TBitmap& buf = form->BackBuffer();
    ASSERT_EQ(shown->Width(), buf.Width());
    ASSERT_EQ(shown->Height(), buf.Height());
    int differ = 0;
    for (int y = 0; y < buf.Height(); ++y)
        for (int x = 0; x < buf.Width(); ++x)
            if (shown->Pixel(x, y) != buf.Pixel(x, y)) ++differ;
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(shown->Pixel(5, 5), clNavy);
    EXPECT_EQ(shown->Pixel(50, 110), clLime);

    // A change reaches the window at the next paint pass.
    form->ok->Face = clBlue;
    form->ok->Invalidate();
    app->ProcessMessages();
    EXPECT_EQ(QtWindowPicture(*form)->Pixel(50, 110), clBlue);
}

TEST_F(VclQtSmoke, ScreenPictureIsWhatTheScreenShowsThere)
{
    auto* form = NewForm<TDemoForm>(app.get());
    form->Show();
    const TRect r = form->BoundsRect();
    // The window paints on the platform's own turn (an update request): the
    // loop waits for its events a few times.
    std::unique_ptr<TBitmap> shot;
    for (int pass = 0; pass < 50 && !(shot && shot->Pixel(5, 5) == clNavy); ++pass) {
        app->ProcessMessages();
        app->GetBackend().WaitForWork(app->Queue(), 10);
        shot = QtScreenPicture(r);
    }
    ASSERT_NE(shot, nullptr);
    ASSERT_EQ(shot->Width(), r.Width());
    ASSERT_EQ(shot->Height(), r.Height());
    EXPECT_EQ(shot->Pixel(5, 5), clNavy);
    EXPECT_EQ(shot->Pixel(50, 110), clLime);
    // A part of the screen only: the button's corner at the picture's origin.
    auto part = QtScreenPicture(Rect(r.Left + 50, r.Top + 110, r.Left + 60, r.Top + 120));
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->Width(), 10);
    EXPECT_EQ(part->Pixel(0, 0), clLime);
    EXPECT_EQ(QtScreenPicture(Rect(0, 0, 0, 10)), nullptr);   // an empty rectangle
}

TEST_F(VclQtSmoke, LoopWakesForWorkerPostsAndTimers)
{
    auto* form = NewForm<TDemoForm>(app.get());
    form->Show();
    constexpr UINT kPing = WM_USER + 7;
    int pings = 0;
    form->WindowProc = [form, &pings](TMessage& m) {
        if (m.Msg == kPing) ++pings;
        else form->WndProc(m);
    };
    HWND h = form->Handle();
    std::thread worker([h] {
        for (int i = 0; i < 3; ++i) PostMessage(h, kPing, 0, 0);
    });
    worker.join();
    while (pings < 3) app->HandleMessage(); // must not sleep forever in Qt's loop

    // A modal form closed by its own timer: the Qt wait returns when the timer is due.
    form->Hide();
    bool modalWindow = false;
    form->timer->OnTimer = [form, &modalWindow](TObject*) {
        modalWindow = QtWindowStateOf(*form).modal;
        form->SetModalResult(7);
    };
    form->timer->SetInterval(30);
    EXPECT_EQ(form->ShowModal(), 7);
    EXPECT_TRUE(modalWindow);
    EXPECT_FALSE(QtWindowStateOf(*form).visible);
}
TEST_F(VclQtSmoke, NativeClicksAndKeysReachTheControls)
{
    auto* form = NewForm<TDemoForm>(app.get());
    std::vector<std::string> log;
    form->ok->OnClick = [&](TObject*) { log.push_back("ok"); };
    form->cancel->OnClick = [&](TObject*) { log.push_back("cancel"); };
    form->Show();
    app->ProcessMessages();
    ASSERT_TRUE(QtSendClick(*form, 150, 110)); // the cancel button
    ASSERT_TRUE(QtSendKey(*form, QtKeyEscape(), "\x1b"));
    form->ok->SetFocus();
    ASSERT_TRUE(QtSendKey(*form, QtKeyReturn(), "\r"));
    ASSERT_TRUE(QtSendKey(*form, QtKeyTab(), "\t"));
    app->ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"cancel", "cancel", "ok"}));
    EXPECT_TRUE(form->cancel->Focused()); // Tab moved on from ok
}

TEST_F(VclQtSmoke, AFormDrawingItsOwnFrameGetsAFramelessWindowRoundIt)
{
    auto* form = NewForm<TDemoForm>(app.get());
    form->SetBorderStyle(bsSizeable);
    form->SetWindowRegion(std::nullopt);
    form->SetHasCaption(false);
    std::vector<std::string> log;
    form->cancel->OnClick = [&](TObject*) { log.push_back("cancel"); };
    form->Show();
    app->ProcessMessages();
    QtWindowState st = QtWindowStateOf(*form);
    EXPECT_TRUE(st.frameless);
    EXPECT_EQ(st.geometry, form->WindowRect());
    EXPECT_EQ(st.geometry.Width(), form->Width() + 6);
    auto shown = QtWindowPicture(*form);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Width(), form->Width() + 6);
    EXPECT_EQ(shown->Pixel(0, 50), ColorToRGB(clBtnShadow));
    EXPECT_EQ(shown->Pixel(3 + 5, 3 + 5), clNavy);
    // Window coordinates reach the form as client ones.
    ASSERT_TRUE(QtSendClick(*form, 3 + 150, 3 + 110));
    app->ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"cancel"}));
}
} // namespace
