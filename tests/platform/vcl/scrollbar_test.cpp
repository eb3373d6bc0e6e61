// The stand-alone scroll bar driven by mouse and keys, with the hold-to-repeat
// timer on a manual clock.
#include "democontrols.h"

#include "rtl/clock.h"
#include "vcl/scrollbar.h"

#include <vector>

namespace {

class ScrollBarTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(240, 120);
        bar = new TScrollBar(form);
        bar->SetParent(form);
        bar->SetBounds(20, 20, 200, 16); // arrows 16 wide, lane 168
        bar->OnScroll = [this](TObject*, TScrollCode code, int& pos) { events.push_back({code, pos}); };
        bar->OnChange = [this](TObject*) { ++changes; };
        form->Show();
    }
    // Lets `ms` pass on the clock and runs what fell due.
    void Wait(unsigned ms)
    {
        clock.Advance(ms);
        app->ProcessMessages();
    }
    struct Event {
        TScrollCode code;
        int pos;
        bool operator==(const Event&) const = default;
    };
    ManualClock clock;
    ScopedClock scoped{clock};
    TForm* form = nullptr;
    TScrollBar* bar = nullptr;
    std::vector<Event> events;
    int changes = 0;
};

TEST_F(ScrollBarTest, RangeRulesAndThumbGeometry)
{
    EXPECT_EQ(bar->Kind(), sbHorizontal);
    EXPECT_EQ(bar->ArrowRect(false), Rect(0, 0, 16, 16));
    EXPECT_EQ(bar->ArrowRect(true), Rect(184, 0, 200, 16));
    EXPECT_EQ(bar->ThumbRect(), Rect(16, 0, 32, 16)); // no page: a square thumb at Min

    EXPECT_THROW(bar->SetMax(-1), EInvalidOperation);
    EXPECT_THROW(bar->SetPageSize(102), EInvalidOperation);
    bar->SetPageSize(21); // 101 units, 21 shown: thumb 168*21/101 = 34 long
    EXPECT_EQ(bar->MaxPosition(), 80);
    bar->SetPosition(500);
    EXPECT_EQ(bar->Position(), 80);
    EXPECT_EQ(changes, 1); // code changes report through OnChange, never through OnScroll
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(bar->ThumbRect(), Rect(150, 0, 184, 16));
    EXPECT_THROW(bar->SetMax(10), EInvalidOperation); // the page would not fit
    EXPECT_EQ(bar->Max(), 100);

    bar->SetKind(sbVertical); // turns in place
    EXPECT_EQ(bar->Width(), 16);
    EXPECT_EQ(bar->Height(), 200);
    EXPECT_EQ(bar->ThumbRect(), Rect(0, 150, 16, 184));
    EXPECT_EQ(bar->HitTest(Point(8, 190)), shLineDown);
    EXPECT_EQ(bar->HitTest(Point(8, 100)), shPageUp);

    bar->SetPageSize(0);
    bar->SetParams(0, 5, 5); // nothing to scroll: no thumb
    EXPECT_TRUE(bar->ThumbRect().IsEmpty());
    bar->SetEnabled(false);
    bar->SetParams(0, 0, 100);
    EXPECT_TRUE(bar->ThumbRect().IsEmpty());
}

TEST_F(ScrollBarTest, HoldingAnArrowStepsThenRepeatsUntilReleased)
{
    bar->SetSmallChange(2);
    const int x = 20 + 192, y = 28; // the increase arrow
    headless->MouseDown(*form, x, y);
    EXPECT_EQ(bar->Position(), 2);
    EXPECT_EQ(bar->PressedPart(), shLineDown);
    Wait(399);
    EXPECT_EQ(bar->Position(), 2); // the first pause
    Wait(1);
    EXPECT_EQ(bar->Position(), 4);
    Wait(50);
    Wait(50);
    EXPECT_EQ(bar->Position(), 8);

    headless->MouseMove(*form, x, 80, ssLeft); // off the arrow: the repeat pauses
    Wait(50);
    EXPECT_EQ(bar->Position(), 8);
    headless->MouseMove(*form, x, y, ssLeft);
    Wait(50);
    EXPECT_EQ(bar->Position(), 10);

    headless->MouseUp(*form, x, y);
    EXPECT_EQ(bar->PressedPart(), shNone);
    EXPECT_EQ(app->NextTimerDelay(), -1); // nothing left running
    Wait(1000);
    EXPECT_EQ(bar->Position(), 10);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), (Event{scLineDown, 2}));
    EXPECT_EQ(events.back(), (Event{scEndScroll, 10}));
    EXPECT_EQ(changes, 5);

    // The decrease arrow; the handler may move the answer (here: never below 5).
    bar->OnScroll = [](TObject*, TScrollCode code, int& pos) {
        if (code == scLineUp && pos < 5) pos = 5;
    };
    bar->SetPosition(6);
    headless->Click(*form, 28, 28);
    headless->Click(*form, 28, 28);
    headless->Click(*form, 28, 28);
    EXPECT_EQ(bar->Position(), 5);
}

TEST_F(ScrollBarTest, PagingByTheChannelStopsWhenTheThumbReachesThePointer)
{
    bar->SetPageSize(10);
    bar->SetLargeChange(10);
    // Lane 16..184, thumb 168*10/101 = 16 long; travel 152 over positions 0..91.
    const int x = 20 + 150, y = 28;
    headless->MouseDown(*form, x, y);
    EXPECT_EQ(bar->Position(), 10);
    for (int i = 0; i < 40; ++i) Wait(i == 0 ? 400 : 50);
    // The thumb now covers the pointer: no more pages.
    TRect t = bar->ThumbRect();
    EXPECT_LE(t.Left, 150);
    EXPECT_GT(t.Right, 150);
    const int reached = bar->Position();
    EXPECT_LT(reached, bar->MaxPosition());
    Wait(500);
    EXPECT_EQ(bar->Position(), reached);
    headless->MouseUp(*form, x, y);
    for (std::size_t i = 0; i + 1 < events.size(); ++i) EXPECT_EQ(events[i].code, scPageDown);
    EXPECT_EQ(events.back().code, scEndScroll);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksAndEndsWithThePosition)
{
    TRect t = bar->ThumbRect();
    const int y = 28;
    headless->MouseDown(*form, 20 + t.Left + 5, y);
    headless->MouseMove(*form, 20 + t.Left + 5 + 76, y, ssLeft); // half the travel (152)
    EXPECT_EQ(bar->Position(), 50);
    headless->MouseMove(*form, 20 + 400, y, ssLeft); // far past the end: clamped
    EXPECT_EQ(bar->Position(), 100);
    headless->MouseMove(*form, 0, y, ssLeft);
    EXPECT_EQ(bar->Position(), 0);
    headless->MouseMove(*form, 20 + t.Left + 5 + 38, y, ssLeft);
    headless->MouseUp(*form, 20 + t.Left + 5 + 38, y);
    EXPECT_EQ(bar->Position(), 25);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], (Event{scTrack, 50}));
    EXPECT_EQ(events[events.size() - 2], (Event{scPosition, 25}));
    EXPECT_EQ(events.back(), (Event{scEndScroll, 25}));
}

TEST_F(ScrollBarTest, KeysMoveByLinePageAndToTheEnds)
{
    bar->SetLargeChange(30);
    bar->SetFocus();
    headless->PressKey(VK_RIGHT);
    EXPECT_EQ(bar->Position(), 1);
    headless->PressKey(VK_NEXT);
    EXPECT_EQ(bar->Position(), 31);
    headless->PressKey(VK_END);
    EXPECT_EQ(bar->Position(), 100);
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(bar->Position(), 100);
    headless->PressKey(VK_HOME);
    EXPECT_EQ(bar->Position(), 0);
    headless->PressKey(VK_LEFT);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(events[0], (Event{scLineDown, 1}));
    EXPECT_EQ(events[1], (Event{scEndScroll, 1}));
    EXPECT_EQ(events[4], (Event{scBottom, 100}));
}

TEST_F(ScrollBarTest, FreeingTheBarWhileHeldLeavesNoTimerBehind)
{
    headless->MouseDown(*form, 212, 28);
    delete bar;
    Wait(1000);
    EXPECT_EQ(app->NextTimerDelay(), -1);
}

TEST_F(ScrollBarTest, DrawsArrowsAndAThumbOverTheChannel)
{
    bar->SetPageSize(50);
    bar->SetPosition(51);
    auto snap = headless->Snapshot(*form);
    TRect t = bar->ThumbRect();
    EXPECT_EQ(snap->Pixel(20 + t.Left + 8, 28), ColorToRGB(clBtnFace));
    EXPECT_EQ(snap->Pixel(20 + 20, 28), RGB(0xE0, 0xE0, 0xE0)); // the channel before the thumb
    // The arrow glyph is dark on the face.
    int ink = 0;
    for (int y = 20; y < 36; ++y)
        for (int x = 20; x < 36; ++x)
            if (snap->Pixel(x, y) == ColorToRGB(clBtnText)) ++ink;
    EXPECT_GE(ink, 8);
}

} // namespace
