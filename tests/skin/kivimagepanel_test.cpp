// Picture panel sizing, transparency and painting; the group panel's collapse.
#include "kivcontrols_fixture.h"

#include "skin/kivimagepanel.h"
#include "skin/kivresources.h"

#include "gfx/picture.h"

namespace {

using KivPanels = KivControlsTest;

TEST_F(KivPanels, AutoSizeFollowsThePictureExceptAlongTheAlignment)
{
    auto* p = new TkivImagePanel(form);
    p->SetParent(form);
    p->SetAutoSize(true);
    TBitmap b = Solid(40, 30, clRed, clRed);
    TPicture pic;
    pic.SetGraphic(&b);
    p->SetPicture(pic);
    EXPECT_EQ(p->Width(), 40);
    EXPECT_EQ(p->Height(), 30);
    TBitmap c = Solid(50, 25, clRed, clRed);
    p->Picture()->SetGraphic(&c); // a new picture resizes at once
    EXPECT_EQ(p->Width(), 50);
    EXPECT_EQ(p->Height(), 25);
    p->SetAlign(alTop);
    TBitmap d = Solid(20, 12, clRed, clRed);
    p->Picture()->SetGraphic(&d);
    EXPECT_EQ(p->Height(), 12);
    EXPECT_EQ(p->Width(), form->ClientWidth());
}

TEST_F(KivPanels, TransparentPanelShowsTheParentAndKeysItsPicture)
{
    form->SetColor(clLime);
    auto* p = new TkivImagePanel(form);
    p->SetParent(form);
    p->SetBounds(10, 10, 60, 40);
    p->SetColor(clRed);
    form->Show();
    EXPECT_EQ(At(30, 30), clRed);
    p->SetTransparent(true);
    EXPECT_EQ(At(30, 30), clLime);
    TBitmap b = Solid(20, 20, clBlue, clBlue);
    b.SetPixel(5, 5, clWhite);
    b.SetTransparentColor(clWhite);
    p->Picture()->SetGraphic(&b);
    EXPECT_TRUE(p->Picture()->Graphic()->Transparent());
    EXPECT_EQ(At(10 + 5, 10 + 5), clLime);
    EXPECT_EQ(At(10 + 6, 10 + 6), clBlue);
    EXPECT_EQ(At(10 + 30, 10 + 30), clLime); // beyond the unstretched picture
    p->SetTransparent(false);
    EXPECT_FALSE(p->Picture()->Graphic()->Transparent());
}

TEST_F(KivPanels, DrawStylesAndFrames)
{
    auto* p = new TkivImagePanel(form);
    p->SetParent(form);
    p->SetBounds(10, 10, 40, 40);
    TBitmap b(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) b.SetPixel(x, y, x < 5 ? clRed : clBlue);
    p->Picture()->SetGraphic(&b);
    form->Show();
    EXPECT_EQ(At(10 + 7, 10 + 2), clBlue);
    EXPECT_EQ(At(10 + 12, 10 + 2), clWhite); // white buffer beyond a normal picture
    p->SetDrawStyle(kivTile);
    EXPECT_EQ(At(10 + 12, 10 + 2), clRed);
    EXPECT_EQ(At(10 + 37, 10 + 37), clBlue);
    p->SetDrawStyle(kivStretch);
    EXPECT_EQ(At(10 + 18, 10 + 30), clRed);
    EXPECT_EQ(At(10 + 22, 10 + 30), clBlue);
    TBitmap frame = Solid(4, 4, clYellow, clYellow);
    p->ShowFrame(frame, Rect(10, 10, 30, 30));
    EXPECT_EQ(At(10 + 20, 10 + 20), clYellow);
    EXPECT_EQ(At(10 + 5, 10 + 5), clRed);
    p->ClearFrame();
    EXPECT_EQ(At(10 + 20, 10 + 20), clBlue);
}

TEST_F(KivPanels, CaptionLayout)
{
    auto* p = new TkivImagePanel(form);
    p->SetParent(form);
    p->SetBounds(10, 10, 100, 30);
    p->SetColor(clWhite);
    p->Font()->SetColor(clBlack);
    form->Show();
    auto blackIn = [&](int x0, int x1) {
        int n = 0;
        for (int y = 10; y < 40; ++y)
            for (int x = x0; x < x1; ++x) n += At(x, y) == clBlack;
        return n;
    };
    p->SetCaption("   ");
    EXPECT_EQ(blackIn(10, 110), 0);
    p->SetCaptionPosY(5); // X still -1: laid out by the alignment, centred
    p->SetCaption("Hi");
    EXPECT_EQ(blackIn(10, 45), 0);
    EXPECT_GT(blackIn(45, 75), 0);
    EXPECT_EQ(p->TextRect(), Rect(0, 0, 100, 30));
    p->SetCaptionPosX(2);
    EXPECT_GT(blackIn(10, 30), 0);
    EXPECT_EQ(p->TextRect().Left, 2);
    EXPECT_EQ(p->TextRect().Top, 5);
}

TEST_F(KivPanels, GroupPanelCollapsesAndKeepsItsHeight)
{
    auto* p = new TkivPanel(form);
    p->SetParent(form);
    p->SetBounds(10, 10, 150, 120);
    EXPECT_EQ(p->ExpandedHeight(), 120);
    int pushed = 0, popped = 0;
    p->OnPush = [&](TObject*) { ++pushed; };
    p->OnPop = [&](TObject*) { ++popped; };
    form->Show();
    const int title = p->TitleImage()->Height() ? p->TitleImage()->Height() : 20;
    p->Push();
    EXPECT_TRUE(p->Pushed());
    EXPECT_EQ(p->Height(), title);
    EXPECT_EQ(pushed, 1);
    p->SetWidth(170);
    EXPECT_EQ(p->ExpandedHeight(), 120);
    p->Pop();
    EXPECT_EQ(p->Height(), 120);
    EXPECT_EQ(popped, 1);
    p->SetAlign(alClient);
    EXPECT_THROW(p->Push(), Exception);
    EXPECT_TRUE(p->Expanded());
}

TEST_F(KivPanels, GroupPanelButtonCollapsesOnClick)
{
    auto* p = new TkivPanel(form);
    p->SetParent(form);
    p->SetBounds(10, 10, 150, 120);
    form->Show();
    TBitmap strip;
    ASSERT_NO_THROW(LoadBitmapResource("PANEL_BUTTON", strip));
    const int fw = strip.Width() / 4, fh = strip.Height();
    const int th = p->TitleImage()->Height();
    const int x = 10 + 150 - 4 - fw / 2, y = 10 + (th - fh) / 2 + fh / 2;
    headless->MouseMove(*form, x, y);
    EXPECT_TRUE(p->MouseOnButton());
    headless->Click(*form, x, y);
    EXPECT_TRUE(p->Pushed());
    headless->Click(*form, x, y);
    EXPECT_TRUE(p->Expanded());
}

TEST_F(KivPanels, ChildrenSitBelowTheTitleStrip)
{
    auto* p = new TkivPanel(form);
    p->SetParent(form);
    p->SetBounds(10, 10, 150, 120);
    auto* child = new TkivImagePanel(form);
    child->SetParent(p);
    child->SetAlign(alClient);
    const int th = p->TitleImage()->Height();
    EXPECT_EQ(child->BoundsRect(), Rect(3, th + 3, 147, 117));
}

} // namespace
