// What forms show: z-order of windowless and windowed children, shapes,
// backgrounds painted into a child, painting of unparented controls.
#include "democontrols.h"

#include <thread>

namespace {

class VclPainted : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(200, 120);
        back = new TDemoLabel(form);
        back->SetParent(form);
        back->SetBounds(0, 0, 100, 60);
        front = new TDemoLabel(form);
        front->SetParent(form);
        front->SetBounds(50, 30, 60, 40);
        front->Ink = clRed;
        over = new TDemoButton(form);
        over->SetParent(form);
        over->SetBounds(10, 10, 20, 20);
        form->Show();
    }
    TForm* form = nullptr;
    TDemoLabel* back = nullptr;
    TDemoLabel* front = nullptr;
    TDemoButton* over = nullptr;
};

TEST_F(VclPainted, ChildrenPaintInZOrderWindowedAboveWindowless)
{
    auto shot = headless->Snapshot(*form);
    ASSERT_EQ(shot->Width(), 200);
    ASSERT_EQ(shot->Height(), 120);
    EXPECT_EQ(shot->Pixel(5, 5), clNavy);
    EXPECT_EQ(shot->Pixel(15, 15), clSilver); // windowed button over the label
    EXPECT_EQ(shot->Pixel(60, 40), clRed);    // later label above the earlier
    EXPECT_EQ(shot->Pixel(99, 59), clRed);
    EXPECT_EQ(shot->Pixel(105, 5), clWhite);  // the form's colour
    EXPECT_EQ(shot->Pixel(109, 69), clRed);
    EXPECT_EQ(shot->Pixel(110, 70), clWhite); // right and bottom edges are outside
    front->SendToBack();
    EXPECT_EQ(headless->PixelAt(*form, 60, 40), clNavy);
    over->SetParent(nullptr);
    EXPECT_EQ(headless->PixelAt(*form, 15, 15), clNavy);
}

TEST_F(VclPainted, FreedWindowedChildLeavesItsParent)
{
    headless->Snapshot(*form);
    over->Free(); // freed while shown: the form must neither paint nor free it again
    over = nullptr;
    EXPECT_EQ(form->ControlCount(), 2);
    EXPECT_EQ(headless->PixelAt(*form, 15, 15), clNavy);
}

TEST_F(VclPainted, OnlyTheInvalidatedAreaIsRepainted)
{
    headless->Snapshot(*form);
    int backPaints = back->Paints, frontPaints = front->Paints;
    over->Invalidate(); // lies over back only
    headless->Snapshot(*form);
    EXPECT_EQ(back->Paints, backPaints + 1);
    EXPECT_EQ(front->Paints, frontPaints);
    front->Ink = clLime;
    front->Repaint();
    EXPECT_EQ(form->BackBuffer().Pixel(60, 40), clLime);
}

TEST_F(VclPainted, ShapedBorderlessFormRendersOnlyInsideItsRegion)
{
    form->SetBorderStyle(bsNone);
    form->SetWindowRegion(TRegion::FromRects({Rect(0, 0, 100, 120), Rect(100, 0, 200, 10)}));
    auto shot = headless->Snapshot(*form);
    EXPECT_EQ(shot->Pixel(5, 5), clNavy);
    EXPECT_EQ(shot->Pixel(150, 5), clWhite);
    EXPECT_EQ(shot->Pixel(150, 50), headless->DesktopColor());
    EXPECT_EQ(shot->Pixel(199, 119), headless->DesktopColor());
    form->SetWindowRegion(std::nullopt);
    EXPECT_EQ(headless->PixelAt(*form, 150, 50), clWhite);
}

TEST_F(VclPainted, TransparentChildShowsItsParentAndTheControlsBelow)
{
    form->OnPaint = [&](TObject*) {
        TCanvas* c = form->Canvas();
        c->Brush()->SetColor(clGreen);
        c->FillRect(Rect(0, 80, 200, 120));
    };
    auto* t = new TDemoButton(form);
    t->SetParent(form);
    t->Transparent = true;
    t->Face = clYellow;
    t->SetBounds(90, 50, 40, 40); // over the form's paint, back, front and white
    auto shot = headless->Snapshot(*form);
    EXPECT_EQ(shot->Pixel(91, 51), clRed);      // the label below, through the margin
    EXPECT_EQ(shot->Pixel(92, 65), clRed);      // again, on the left margin
    EXPECT_EQ(shot->Pixel(110, 70), clYellow);  // the face
    EXPECT_EQ(shot->Pixel(91, 88), clGreen);    // the form's own painting
    EXPECT_EQ(shot->Pixel(128, 60), clWhite);
}

TEST_F(VclPainted, WindowlessChildAsksForTheBackgroundBelowIt)
{
    class Glass : public TGraphicControl {
    public:
        using TGraphicControl::TGraphicControl;

    protected:
        void Paint() override
        {
            Parent()->PaintBackgroundFor(*this, *Canvas()); // must not paint itself again
            Canvas()->Brush()->SetColor(clBlue);
            Canvas()->FillRect(Rect(0, 0, 2, 2));
        }
    };
    auto* g = new Glass(form);
    g->SetParent(form);
    g->SetBounds(40, 20, 30, 30);
    auto shot = headless->Snapshot(*form);
    EXPECT_EQ(shot->Pixel(40, 20), clBlue);
    EXPECT_EQ(shot->Pixel(45, 25), clNavy); // back below it
    EXPECT_EQ(shot->Pixel(60, 40), clRed);  // front below it too
    EXPECT_EQ(shot->Pixel(15, 15), clSilver);
}

TEST_F(VclPainted, UnparentedWindowlessControlPaintsOnAWorkerThread)
{
    TBitmap target(50, 30, pf24bit);
    std::thread worker([&] {
        TDemoLabel label(nullptr);
        label.SetBounds(0, 0, 20, 10);
        label.Ink = clMaroon;
        label.PaintTo(*target.Canvas(), 5, 5);
    });
    worker.join();
    EXPECT_EQ(target.Pixel(5, 5), clMaroon);
    EXPECT_EQ(target.Pixel(24, 14), clMaroon);
    EXPECT_NE(target.Pixel(25, 15), clMaroon);
    EXPECT_NE(target.Pixel(4, 4), clMaroon);
}

TEST_F(VclPainted, AlphaAndVisibilityReachTheWindow)
{
    form->SetAlphaBlend(true);
    for (int a : {10, 250, 255, 300}) form->SetAlphaBlendValue(a);
    EXPECT_EQ(form->AlphaBlendValue(), 255);
    form->SetAlphaBlendValue(0);
    EXPECT_EQ(headless->WindowAlpha(*form), 0);
    EXPECT_TRUE(headless->WindowVisible(*form));
    form->Hide();
    EXPECT_FALSE(headless->WindowVisible(*form));
}

TEST_F(VclPainted, CentredFormAndUpdatePaintAtOnce)
{
    headless->SetScreenSize({800, 600});
    TForm* splash = NewForm<TForm>(nullptr);
    splash->SetBorderStyle(bsNone);
    splash->SetFormStyle(fsStayOnTop);
    splash->SetPosition(poScreenCenter);
    splash->SetClientWidth(488);
    splash->SetClientHeight(241);
    splash->Show();
    EXPECT_EQ(splash->BoundsRect(), Rect(156, 179, 644, 420));
    int before = headless->Presents(*splash);
    splash->Update();
    EXPECT_EQ(headless->Presents(*splash), before + 1);
    splash->Free();
}
} // namespace

namespace {
TEST_F(VclPainted, DrawingOutsidePaintLandsWhereTheControlSitsAndIsShown)
{
    headless->Snapshot(*form);
    int before = headless->Presents(*form);
    TCanvas* c = front->Canvas(); // not painting: draws on the form's buffer
    c->Brush()->SetColor(clPurple);
    c->FillRect(Rect(-20, -20, 5, 5)); // clipped to the control
    app->ProcessMessages();
    EXPECT_EQ(headless->Presents(*form), before + 1);
    EXPECT_EQ(form->BackBuffer().Pixel(50, 30), clPurple);
    EXPECT_EQ(form->BackBuffer().Pixel(54, 34), clPurple);
    EXPECT_EQ(form->BackBuffer().Pixel(49, 29), clNavy); // outside the control: untouched
    front->Repaint(); // a repaint draws the control's own picture again
    EXPECT_EQ(form->BackBuffer().Pixel(50, 30), clRed);
}
} // namespace
