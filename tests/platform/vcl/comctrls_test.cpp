// Track bar, progress bar and up-down buttons as a user drives them; holding a
// button repeats on a manual clock.
#include "democontrols.h"

#include "rtl/clock.h"
#include "vcl/comctrls.h"
#include "vcl/stdctrls_edit.h"

#include <climits>

namespace {

class ComCtrlsTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(300, 200);
    }
    void Wait(unsigned ms)
    {
        clock.Advance(ms);
        app->ProcessMessages();
    }
    ManualClock clock;
    ScopedClock scoped{clock};
    TForm* form = nullptr;
};

// --- track bar ---------------------------------------------------------------------
class TrackBarTest : public ComCtrlsTest {
protected:
    void SetUp() override
    {
        ComCtrlsTest::SetUp();
        track = new TTrackBar(form);
        track->SetParent(form);
        track->SetLeft(10);
        track->SetTop(10);
        track->OnChange = [this](TObject*) { ++changes; };
        form->Show();
    }
    TPoint Thumb() const
    {
        TRect t = track->ThumbRect();
        return Point(10 + (t.Left + t.Right) / 2, 10 + (t.Top + t.Bottom) / 2);
    }
    TTrackBar* track = nullptr;
    int changes = 0;
};

TEST_F(TrackBarTest, DraggingTheSliderFollowsThePointerWithinTheRange)
{
    // 150 wide: slider centres run from 13 to 137 for 0..10.
    EXPECT_EQ(track->PixelOf(0), 13);
    EXPECT_EQ(track->PixelOf(10), 137);
    EXPECT_EQ(track->ValueAt(75), 5);
    TPoint p = Thumb();
    headless->MouseDown(*form, p.X, p.Y);
    headless->MouseMove(*form, p.X + 62, p.Y, ssLeft);
    EXPECT_EQ(track->Position(), 5);
    headless->MouseMove(*form, p.X + 500, p.Y + 40, ssLeft);
    EXPECT_EQ(track->Position(), 10);
    headless->MouseUp(*form, p.X + 500, p.Y + 40);
    EXPECT_EQ(changes, 2);
    // Setting from code is silent.
    track->SetPosition(3);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(Thumb().X, 10 + track->PixelOf(3));
}

TEST_F(TrackBarTest, HoldingOnTheChannelPagesTowardThePointerAndStopsThere)
{
    const int x = 10 + 100, y = Thumb().Y; // the value under x is 7
    headless->MouseDown(*form, x, y);
    EXPECT_EQ(track->Position(), 2);
    Wait(400);
    EXPECT_EQ(track->Position(), 4);
    Wait(50);
    Wait(50);
    EXPECT_EQ(track->Position(), 7); // never past the pointer
    Wait(500);
    EXPECT_EQ(track->Position(), 7);
    headless->MouseUp(*form, x, y);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(app->NextTimerDelay(), -1);
}

TEST_F(TrackBarTest, KeysWheelAndClampingSetters)
{
    track->SetFocus();
    headless->PressKey(VK_RIGHT);
    headless->PressKey(VK_NEXT);
    EXPECT_EQ(track->Position(), 3);
    headless->PressKey(VK_END);
    EXPECT_EQ(track->Position(), 10);
    headless->PressKey(VK_UP);
    EXPECT_EQ(track->Position(), 9);
    headless->Wheel(*form, Thumb().X, Thumb().Y, 120); // a notch up steps down, as the keys do
    EXPECT_EQ(track->Position(), 8);
    headless->PressKey(VK_HOME);
    EXPECT_EQ(track->Position(), 0);
    EXPECT_EQ(changes, 6);

    track->SetPosition(7);
    track->SetMax(5);
    EXPECT_EQ(track->Position(), 5);
    track->SetMin(20); // Min above Max drags Max along
    EXPECT_EQ(track->Max(), 20);
    EXPECT_EQ(track->Position(), 20);
    track->SetMax(INT_MAX);
    track->SetMin(INT_MIN);
    track->SetPosition(0); // the whole int range stays in order
    EXPECT_EQ(track->PixelOf(0), 13 + 62);
    EXPECT_EQ(track->ValueAt(13), INT_MIN);
    EXPECT_EQ(track->ValueAt(137), INT_MAX);
}

TEST_F(TrackBarTest, VerticalBarRunsFromTheTopAndDrawsTicks)
{
    track->SetOrientation(trVertical);
    EXPECT_EQ(track->Width(), 45);
    EXPECT_EQ(track->Height(), 150);
    headless->Click(*form, Thumb().X, 10 + 140); // below the slider: pages down
    EXPECT_EQ(track->Position(), 2);
    auto snap = headless->Snapshot(*form);
    // Ticks right of the slider at every value, in the text colour.
    TRect t = track->ThumbRect();
    int x = 10 + t.Right + 2;
    EXPECT_EQ(snap->Pixel(x, 10 + track->PixelOf(5)), ColorToRGB(clBtnText));
    EXPECT_NE(snap->Pixel(x, 10 + track->PixelOf(5) + 3), ColorToRGB(clBtnText));
    track->SetTickStyle(tsNone);
    snap = headless->Snapshot(*form);
    EXPECT_NE(snap->Pixel(x, 10 + track->PixelOf(5)), ColorToRGB(clBtnText));
}

// --- progress bar ------------------------------------------------------------------
TEST_F(ComCtrlsTest, ProgressBarFillsInProportionSafelyForAnyRange)
{
    auto* bar = new TProgressBar(form);
    bar->SetParent(form);
    bar->SetBounds(10, 10, 102, 16); // 100 pixels inside the frame
    bar->SetSmooth(true);
    form->Show();
    bar->SetPosition(250);
    EXPECT_EQ(bar->Position(), 100);
    bar->SetPosition(-5);
    EXPECT_EQ(bar->Position(), 0);
    bar->SetPosition(40);
    EXPECT_EQ(bar->FilledRect(), Rect(1, 1, 41, 15));
    EXPECT_EQ(headless->PixelAt(*form, 10 + 40, 18), ColorToRGB(clHighlight));
    EXPECT_EQ(headless->PixelAt(*form, 10 + 41, 18), ColorToRGB(clBtnFace));

    bar->SetMin(INT_MIN);
    bar->SetMax(INT_MAX);
    bar->SetPosition(0);
    EXPECT_EQ(bar->FilledLength(100), 50);
    bar->SetPosition(INT_MAX);
    EXPECT_EQ(bar->FilledLength(100), 100);
    bar->SetMax(INT_MIN); // an empty range fills nothing
    EXPECT_EQ(bar->Min(), INT_MIN);
    EXPECT_EQ(bar->FilledLength(100), 0);

    bar->SetMin(0);
    bar->SetMax(100);
    bar->SetPosition(90);
    bar->SetStep(30);
    bar->StepIt(); // past the end: from the start again
    EXPECT_EQ(bar->Position(), 0);
    bar->StepIt();
    EXPECT_EQ(bar->Position(), 30);
    bar->StepBy(INT_MAX); // clamped, no overflow
    EXPECT_EQ(bar->Position(), 100);
    bar->StepBy(INT_MIN);
    EXPECT_EQ(bar->Position(), 0);

    bar->SetOrientation(pbVertical); // fills from the bottom
    bar->SetPosition(25);
    EXPECT_EQ(bar->FilledRect(), Rect(1, 101 - 25, 15, 101));
    EXPECT_EQ(headless->PixelAt(*form, 18, 10 + 100), ColorToRGB(clHighlight));
    EXPECT_EQ(headless->PixelAt(*form, 18, 10 + 20), ColorToRGB(clBtnFace));
}

TEST_F(ComCtrlsTest, BlockProgressLeavesGapsBetweenBlocks)
{
    auto* bar = new TProgressBar(form);
    bar->SetParent(form);
    bar->SetBounds(10, 10, 102, 17); // blocks 10 long with 2-pixel gaps
    bar->SetPosition(50);
    form->Show();
    EXPECT_EQ(headless->PixelAt(*form, 10 + 1, 18), ColorToRGB(clHighlight));
    EXPECT_EQ(headless->PixelAt(*form, 10 + 12, 18), ColorToRGB(clBtnFace));
    EXPECT_EQ(headless->PixelAt(*form, 10 + 14, 18), ColorToRGB(clHighlight));
    EXPECT_EQ(headless->PixelAt(*form, 10 + 60, 18), ColorToRGB(clBtnFace));
}

// --- up-down -----------------------------------------------------------------------
class UpDownTest : public ComCtrlsTest {
protected:
    void SetUp() override
    {
        ComCtrlsTest::SetUp();
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 80, 21);
        ud = new TUpDown(form);
        ud->SetMax(5000);
        ud->SetAssociate(edit);
        form->Show();
    }
    void ClickUp() { headless->Click(*form, ud->Left() + 8, ud->Top() + 4); }
    void ClickDown() { headless->Click(*form, ud->Left() + 8, ud->Top() + ud->Height() - 4); }
    TEdit* edit = nullptr;
    TUpDown* ud = nullptr;
};

TEST_F(UpDownTest, SitsBesideItsEditAndStepsTheNumberShownThere)
{
    EXPECT_EQ(ud->Parent(), form);
    EXPECT_EQ(edit->Width(), 80 - 17);
    EXPECT_EQ(ud->BoundsRect(), Rect(73, 10, 90, 31));
    EXPECT_EQ(edit->Text(), "0");
    std::vector<TUDBtnType> clicks;
    ud->OnClick = [&](TObject*, TUDBtnType b) { clicks.push_back(b); };
    ClickUp();
    EXPECT_EQ(edit->Text(), "1");
    edit->SetText("1234"); // what the user typed is read back first
    ClickUp();
    EXPECT_EQ(ud->Position(), 1235);
    EXPECT_EQ(edit->Text(), "1,235");
    edit->SetText("rubbish");
    ClickDown();
    EXPECT_EQ(edit->Text(), "1,234");
    ud->SetThousands(false);
    EXPECT_EQ(edit->Text(), "1234");
    EXPECT_EQ(clicks, (std::vector<TUDBtnType>{btNext, btNext, btPrev}));

    ud->SetPosition(4999);
    ClickUp();
    ClickUp();
    EXPECT_EQ(ud->Position(), 5000); // stops at the end
    ud->SetWrap(true);
    ClickUp();
    EXPECT_EQ(ud->Position(), 0);
    ClickDown();
    EXPECT_EQ(ud->Position(), 5000);

    ud->OnChanging = [](TObject*, bool& allow) { allow = false; };
    ClickDown();
    EXPECT_EQ(ud->Position(), 5000);
    EXPECT_EQ(clicks.size(), 7u);
}

TEST_F(UpDownTest, ArrowKeysInTheEditAndHoldingAButtonRepeat)
{
    edit->SetFocus();
    headless->PressKey(VK_UP);
    headless->PressKey(VK_UP);
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(ud->Position(), 1);
    ud->SetArrowKeys(false);
    headless->PressKey(VK_UP);
    EXPECT_EQ(ud->Position(), 1);

    ud->SetIncrement(10);
    headless->MouseDown(*form, ud->Left() + 8, ud->Top() + 4);
    EXPECT_EQ(ud->PressedButton(), btNext);
    EXPECT_EQ(ud->Position(), 11);
    Wait(400);
    Wait(50);
    EXPECT_EQ(ud->Position(), 31);
    headless->MouseMove(*form, ud->Left() + 8, ud->Top() + ud->Height() - 2, ssLeft); // onto the other button
    Wait(50);
    EXPECT_EQ(ud->Position(), 31);
    headless->MouseUp(*form, ud->Left() + 8, ud->Top() + ud->Height() - 2);
    Wait(1000);
    EXPECT_EQ(ud->Position(), 31);
    EXPECT_EQ(edit->Text(), "31");
}

TEST_F(UpDownTest, LeftAlignedHorizontalButtonsStepRightForNext)
{
    auto* e2 = new TEdit(form);
    e2->SetParent(form);
    e2->SetBounds(10, 60, 80, 21);
    auto* u2 = new TUpDown(form);
    u2->SetOrientation(udHorizontal);
    u2->SetAlignButton(udLeft);
    u2->SetWidth(30);
    u2->SetAssociate(e2);
    EXPECT_EQ(u2->BoundsRect(), Rect(10, 60, 40, 81));
    EXPECT_EQ(e2->BoundsRect(), Rect(40, 60, 90, 81));
    EXPECT_EQ(u2->ButtonRect(btPrev), Rect(0, 0, 15, 21));
    headless->Click(*form, 10 + 22, 70);
    headless->Click(*form, 10 + 22, 70);
    headless->Click(*form, 10 + 5, 70);
    EXPECT_EQ(e2->Text(), "1");
    u2->SetMin(10); // the range moves the position along
    EXPECT_EQ(e2->Text(), "10");
}

TEST_F(UpDownTest, EitherMayBeFreedFirst)
{
    delete ud; // the edit gets its own key handling back
    edit->SetFocus();
    edit->SetText("7");
    headless->PressKey(VK_UP);
    EXPECT_EQ(edit->Text(), "7");

    auto* ud2 = new TUpDown(form);
    auto* edit2 = new TEdit(form);
    edit2->SetParent(form);
    ud2->SetAssociate(edit2);
    delete edit2;
    EXPECT_EQ(ud2->Associate(), nullptr);
    ud2->StepBy(btNext);
    EXPECT_EQ(ud2->Position(), 1);
}

} // namespace
