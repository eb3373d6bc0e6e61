// The preview's video window on a picture panel of a headless form: the
// picture at the graph's position appears in the given rectangle, follows a
// seek, and goes when the video is hidden.
#include "previewfixture.h"

#include "base/qv_graphgroupclass.h"
#include "skin/kivimagepanel.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/headless.h"

namespace {

class PreviewSurfaceTest : public PreviewTest {
protected:
    void SetUp() override
    {
        PreviewTest::SetUp();
        app = std::make_unique<TApplication>();
        app->SetBackend(std::make_unique<THeadlessBackend>());
        form = NewForm<TForm>(app.get());
        form->SetBounds(0, 0, 200, 160);
        form->SetColor(clWhite);
        panel = new TkivImagePanel(form);
        panel->SetParent(form);
        panel->SetBounds(10, 10, 180, 140);
        panel->SetColor(clBlack);
        form->Show();
    }
    void TearDown() override
    {
        app.reset();
        PreviewTest::TearDown();
    }

    // Handles the form's messages until the panel's frame is `shown`, for at most ten seconds.
    bool PumpUntil(bool shown)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (panel->HasFrame() != shown) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            MSG msg;
            if (app->Queue().Get(msg, 100) == GetResult::Message)
                DispatchMessage(msg);
        }
        return true;
    }

    // The frame counter read off the form where the picture was put.
    int CounterOnScreen(const TRect& r)
    {
        auto shot = HeadlessBackend()->Snapshot(*form);
        const int x0 = panel->Left() + r.Left, y0 = panel->Top() + r.Top;
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(r.Width() * r.Height() * 3));
        for (int y = 0; y < r.Height(); ++y)
            for (int x = 0; x < r.Width(); ++x) {
                const TColor c = shot->Pixel(x0 + x, y0 + y);
                std::uint8_t* p = &rgb[static_cast<std::size_t>((y * r.Width() + x) * 3)];
                p[0] = c & 0xFF;
                p[1] = c >> 8 & 0xFF;
                p[2] = c >> 16 & 0xFF;
            }
        testkit::PictureView view{rgb.data(), r.Width(), r.Height(), r.Width() * 3, false, false};
        EXPECT_TRUE(testkit::RegionsMatch(view, 60));
        return testkit::ReadFrameCounter(view);
    }

    std::unique_ptr<TApplication> app;
    TForm* form = nullptr;
    TkivImagePanel* panel = nullptr;
};

} // namespace

TEST_F(PreviewSurfaceTest, PictureAppearsInTheRectangleAndGoesWhenHidden)
{
    GraphGroup graph;
    graph.MuteAudio = true;
    ASSERT_EQ(graph.BuildGraph(), S_OK);
    ASSERT_EQ(graph.RenderClip(Utf8ToWide(testkit::MakeStandardClip(folder.Path()))), S_OK);
    const TRect place{10, 10, 170, 130};   // 160 x 120 inside the panel
    ASSERT_EQ(graph.SetVideoWindow(panel->Handle(), place), S_OK);
    ASSERT_EQ(graph.Pause(), S_OK);
    ASSERT_EQ(graph.SeekTo(2 * kGraphUnitsPerSecond), S_OK);
    OAFilterState state = 0;
    ASSERT_EQ(graph.Control->GetState(10000, &state), S_OK);
    ASSERT_TRUE(PumpUntil(true));
    EXPECT_EQ(CounterOnScreen(place), 50);
    EXPECT_EQ(HeadlessBackend()->PixelAt(*form, 15, 15), clBlack);   // outside the rectangle: the panel

    // A new position shows its own picture.
    ASSERT_EQ(graph.SeekTo(4 * kGraphUnitsPerSecond), S_OK);
    ASSERT_EQ(graph.Control->GetState(10000, &state), S_OK);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int counter = -1;
    while (counter != 100 && std::chrono::steady_clock::now() < until) {
        MSG msg;
        if (app->Queue().Get(msg, 100) == GetResult::Message)
            DispatchMessage(msg);
        counter = CounterOnScreen(place);
    }
    EXPECT_EQ(counter, 100);

    ASSERT_EQ(graph.ShowVideo(false), S_OK);
    ASSERT_TRUE(PumpUntil(false));
    EXPECT_EQ(HeadlessBackend()->PixelAt(*form, 100, 60), clBlack);
    EXPECT_EQ(graph.Stop(), S_OK);
    EXPECT_EQ(graph.ReleaseGraph(), S_OK);
}

TEST_F(PreviewSurfaceTest, HiddenVideoNeverReachesThePanel)
{
    // As the probe uses its graph: the window is given, then hidden before playing.
    GraphGroup graph;
    graph.GrabFrames = true;
    graph.MuteAudio = true;
    ASSERT_EQ(graph.BuildGraph(), S_OK);
    ASSERT_EQ(graph.RenderClip(Utf8ToWide(testkit::MakeStandardClip(folder.Path()))), S_OK);
    ASSERT_EQ(graph.ShowVideo(false), S_OK);
    ASSERT_EQ(graph.SetVideoWindow(panel->Handle(), TRect{}), S_OK);
    ASSERT_EQ(graph.ShowVideo(false), S_OK);
    ASSERT_EQ(graph.Pause(), S_OK);
    OAFilterState state = 0;
    ASSERT_EQ(graph.Control->GetState(10000, &state), S_OK);
    EXPECT_EQ(PumpPending(app->Queue()), 0);
    EXPECT_FALSE(panel->HasFrame());
    EXPECT_EQ(graph.Stop(), S_OK);
}
