// The notice window: where it opens, how long it stays, its close box, its picture.
#include "skin/frmmsnpop.h"
#include "skin/kivresources.h"

#include "kivcontrols_fixture.h"

#include "vcl/stdctrls.h"
#include "vcl/timer.h"

namespace {

class NoticeTest : public KivControlsTest {
protected:
    void SetUp() override
    {
        KivControlsTest::SetUp();
        headless->SetScreenSize({800, 600});
        notice = NewForm<TfrmMSNPopForm>(app.get());
        notice->lbl_title->SetCaption("Keldara");
        notice->lbl_text->SetCaption("Done.");
    }
    // Lets test time pass in timer-sized steps.
    void Wait(std::uint64_t ms)
    {
        for (std::uint64_t t = 0; t < ms; t += 50) {
            clock.Advance(50);
            app->ProcessMessages();
        }
    }
    TfrmMSNPopForm* notice = nullptr;
};

} // namespace

TEST_F(NoticeTest, OpensAtTheWorkAreasCornerWithItsLabelsPlaced)
{
    EXPECT_EQ(notice->BoundsRect(), Bounds(800 - 195 - 18, 600 - 120, 195, 120));
    EXPECT_EQ(notice->BorderStyle(), bsNone);
    EXPECT_EQ(notice->FormStyle(), fsStayOnTop);
    EXPECT_EQ(notice->lbl_title->BoundsRect(), Bounds(10, 5, 165, 18));
    EXPECT_EQ(notice->lbl_text->BoundsRect(), Bounds(10, 40, 175, 70));
    EXPECT_FALSE(notice->Visible());
    EXPECT_FALSE(notice->Timer1->Enabled());
}

TEST_F(NoticeTest, SlidesInStaysShowTimeAndSlidesOut)
{
    notice->AnimateTime = 300;
    notice->ShowTime = 1000;
    notice->Popup();
    EXPECT_TRUE(notice->Visible());
    EXPECT_EQ(clock.TotalSlept(), 300u);
    EXPECT_EQ(headless->WindowBounds(*notice), Bounds(587, 480, 195, 120));
    Wait(900);
    EXPECT_TRUE(notice->Visible());
    Wait(200);
    EXPECT_FALSE(notice->Visible());
    EXPECT_FALSE(notice->Timer1->Enabled());
    EXPECT_EQ(clock.TotalSlept(), 600u); // the slide out too
    EXPECT_EQ(notice->BoundsRect(), Bounds(587, 480, 195, 120));

    notice->Popup(); // once gone it can come again
    EXPECT_TRUE(notice->Visible());
    EXPECT_TRUE(notice->Timer1->Enabled());
}

TEST_F(NoticeTest, CloseBoxClosesAtOnce)
{
    notice->Popup();
    const std::uint64_t slept = clock.TotalSlept();
    headless->Click(*notice, 100, 60); // elsewhere: stays without ClickClose
    EXPECT_TRUE(notice->Visible());
    headless->Click(*notice, 170, 10); // the box, under the title label
    EXPECT_FALSE(notice->Visible());
    EXPECT_FALSE(notice->Timer1->Enabled());
    EXPECT_EQ(clock.TotalSlept(), slept); // no slide out

    notice->Popup();
    headless->Click(*notice, 176, 12); // just right of the box
    EXPECT_TRUE(notice->Visible());
    headless->Click(*notice, 175, 19); // its last pixel
    EXPECT_FALSE(notice->Visible());
}

TEST_F(NoticeTest, ClickCloseClosesOnAnyPress)
{
    notice->ClickClose = true;
    notice->Popup();
    const std::uint64_t slept = clock.TotalSlept();
    headless->Click(*notice, 60, 70); // on the text
    EXPECT_FALSE(notice->Visible());
    EXPECT_EQ(clock.TotalSlept(), slept + notice->AnimateTime);
}

TEST_F(NoticeTest, ShowsItsBackgroundAndTexts)
{
    notice->Popup();
    TBitmap background;
    LoadBitmapResource("MSNPOPFORM", background);
    auto shot = headless->Snapshot(*notice);
    EXPECT_EQ(shot->Pixel(0, 0), background.Pixel(0, 0));
    EXPECT_EQ(shot->Pixel(190, 115), background.Pixel(190, 115));
    EXPECT_EQ(shot->Pixel(168, 8), background.Pixel(168, 8)); // the close box
    int navy = 0;
    for (int y = 5; y < 23; ++y)
        for (int x = 10; x < 80; ++x) navy += shot->Pixel(x, y) == clNavy;
    EXPECT_GT(navy, 20); // the title is written
}
