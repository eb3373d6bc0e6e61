// MDI frames and their child forms: children live in the frame's client with a
// frame of their own, activate by click, maximize into the client, minimize to
// a strip along its bottom, move and size by their frames, close, and are
// cascaded and tiled; the client hears every change as a WM_MDI* message.
#include "democontrols.h"

#include "vcl/extctrls.h"
#include "vcl/menus.h"
#include "vcl/stdctrls_edit.h"

namespace {

class VclMDI : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        headless->SetScreenSize({1024, 768});
        frame = MakeForm(600, 400);
        frame->SetFormStyle(fsMDIForm);
        client = frame->MDIClient();
        ASSERT_NE(client, nullptr);
        saved = client->WindowProc;
        client->WindowProc = [this](TMessage& m) {
            if (m.Msg >= WM_MDICREATE && m.Msg <= WM_MDIREFRESHMENU) heard.push_back(m.Msg);
            saved(m);
        };
        frame->Show();
    }
    void TearDown() override
    {
        if (client) client->WindowProc = saved;
        HeadlessTest::TearDown();
    }
    TForm* Child(const std::string& caption, int x, int y, int w = 200, int h = 120)
    {
        auto* f = NewForm<TForm>(app.get());
        f->SetCaption(caption);
        f->SetFormStyle(fsMDIChild);
        f->SetBounds(x, y, w, h);
        f->Show();
        return f;
    }
    // Where a point of a child's window (its frame's top-left at 0, 0) is in the frame's client.
    TPoint At(TCustomForm* child, int x, int y)
    {
        const TRect w = child->WindowRect();
        return Point(client->Left() + w.Left + x, client->Top() + w.Top + y);
    }
    bool Heard(UINT msg) const { return std::find(heard.begin(), heard.end(), msg) != heard.end(); }

    TForm* frame = nullptr;
    TWinControl* client = nullptr;
    TWndMethod saved;
    std::vector<UINT> heard;
};

} // namespace

TEST_F(VclMDI, ChildrenAreDrawnInsideTheFrameWithACaptionOfTheirOwn)
{
    auto* bar = new TPanel(frame);
    bar->SetParent(frame);
    bar->SetAlign(alTop);
    bar->SetHeight(30);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 600, 400));

    TForm* child = Child("Clip list", 20, 40);
    EXPECT_EQ(child->Parent(), client);
    EXPECT_TRUE(child->IsMDIChild());
    // No window of its own: the frame's picture shows it.
    EXPECT_EQ(headless->Presents(*child), 0);
    EXPECT_EQ(child->FrameInsets(), Rect(3, 22, 3, 3));
    EXPECT_EQ(child->WindowRect(), Rect(17, 18, 223, 163));
    EXPECT_EQ(frame->MDIChildCount(), 1);
    EXPECT_EQ(frame->ActiveMDIChild(), child);
    EXPECT_EQ(frame->MDIChildren(0), child);

    child->SetColor(clWhite);
    // The frame paints the child: the child itself has nothing to paint.
    EXPECT_FALSE(child->Dirty());
    EXPECT_TRUE(frame->Dirty());
    frame->PaintDirty();
    EXPECT_EQ(headless->PixelAt(*frame, 5, 100), ColorToRGB(clAppWorkSpace));       // the client round it
    EXPECT_EQ(headless->PixelAt(*frame, 60, 30 + 18 + 10), ColorToRGB(clActiveCaption)); // its caption strip
    EXPECT_EQ(headless->PixelAt(*frame, 100, 30 + 40 + 50), clWhite);  // its client area

    // A second child comes forward, active; the first one's caption turns inactive.
    TForm* second = Child("Preview", 300, 200);
    frame->PaintDirty();
    EXPECT_EQ(frame->ActiveMDIChild(), second);
    EXPECT_EQ(frame->MDIChildren(0), second);
    EXPECT_EQ(headless->PixelAt(*frame, 60, 30 + 18 + 10), ColorToRGB(clInactiveCaption));
    EXPECT_TRUE(second->Active());
    EXPECT_FALSE(child->Active());
    EXPECT_TRUE(Heard(WM_MDIREFRESHMENU));

    // Without a frame there is nowhere to put a child.
    frame->Free();
    frame = nullptr;
    client = nullptr;
    auto* lost = NewForm<TForm>(app.get());
    EXPECT_THROW(lost->SetFormStyle(fsMDIChild), EInvalidOperation);
}

TEST_F(VclMDI, AClickActivatesAChildAndFocusesItsControl)
{
    TForm* a = Child("A", 0, 0);
    auto* edit = new TEdit(a);
    edit->SetParent(a);
    edit->SetBounds(10, 60, 100, 22);
    TForm* b = Child("B", 100, 50);
    EXPECT_EQ(frame->ActiveMDIChild(), b);
    EXPECT_FALSE(edit->Focused());
    // A's client where B does not cover it.
    const TPoint p = At(a, 3 + 20, 22 + 70);
    headless->Click(*frame, p.X, p.Y);
    EXPECT_EQ(frame->ActiveMDIChild(), a);
    EXPECT_EQ(frame->MDIChildren(0), a);
    EXPECT_TRUE(edit->Focused());
    // B's frame over A's client takes the click: the top child is hit first.
    const TPoint onB = At(b, 1, 40);
    headless->Click(*frame, onB.X, onB.Y);
    EXPECT_EQ(frame->ActiveMDIChild(), a); // A is on top now and covers that point
    const TPoint bCaption = At(b, 150, 10);
    headless->Click(*frame, bCaption.X, bCaption.Y);
    EXPECT_EQ(frame->ActiveMDIChild(), b);
    EXPECT_FALSE(edit->Focused());
    // The client answers which child is active.
    EXPECT_EQ(reinterpret_cast<TCustomForm*>(client->Perform(WM_MDIGETACTIVE, 0, 0)), b);
}

TEST_F(VclMDI, MaximizeFillsTheClientMinimizeLeavesAStripAndRestoreComesBack)
{
    TForm* a = Child("A", 10, 10);
    TForm* b = Child("B", 40, 40);
    a->SetWindowState(wsMaximized);
    EXPECT_TRUE(Heard(WM_MDIMAXIMIZE));
    EXPECT_EQ(a->BoundsRect(), Rect(0, 0, 600, 400)); // the caption lies outside the client
    EXPECT_EQ(frame->ActiveMDIChild(), a);
    frame->SetBounds(frame->Left(), frame->Top(), 500, 300);
    EXPECT_EQ(a->BoundsRect(), Rect(0, 0, 500, 300));

    // Activating another child hands the maximized look on.
    client->Perform(WM_MDIACTIVATE, reinterpret_cast<WPARAM>(b), 0);
    EXPECT_EQ(b->WindowState(), wsMaximized);
    EXPECT_EQ(a->WindowState(), wsNormal);
    EXPECT_EQ(a->BoundsRect(), Bounds(10, 10, 200, 120));
    heard.clear();
    b->SetWindowState(wsNormal);
    EXPECT_TRUE(Heard(WM_MDIRESTORE));
    EXPECT_EQ(b->BoundsRect(), Bounds(40, 40, 200, 120));

    // Minimized: strips of 160 x 25 along the bottom, in the order they went down.
    a->SetWindowState(wsMinimized);
    b->SetWindowState(wsMinimized);
    EXPECT_EQ(a->WindowRect(), Bounds(0, 275, 160, 25));
    EXPECT_EQ(b->WindowRect(), Bounds(160, 275, 160, 25));
    // A double click on a strip's caption restores it; the others close up.
    const TPoint onA = At(a, 60, 10);
    headless->DoubleClick(*frame, onA.X, onA.Y);
    EXPECT_EQ(a->WindowState(), wsNormal);
    EXPECT_EQ(a->BoundsRect(), Bounds(10, 10, 200, 120));
    EXPECT_EQ(b->WindowRect(), Bounds(0, 275, 160, 25));
    // A maximized child that is minimized comes back as it was before maximizing.
    a->SetWindowState(wsMaximized);
    a->SetWindowState(wsMinimized);
    a->SetWindowState(wsNormal);
    EXPECT_EQ(a->BoundsRect(), Bounds(10, 10, 200, 120));
}

TEST_F(VclMDI, TheCaptionMovesTheFrameSizesAndTheCloseBoxCloses)
{
    TForm* a = Child("A", 50, 50);
    const TRect before = a->WindowRect();
    const TPoint grip = At(a, 80, 10);
    headless->MouseDown(*frame, grip.X, grip.Y);
    headless->MouseMove(*frame, grip.X + 30, grip.Y + 20);
    headless->MouseUp(*frame, grip.X + 30, grip.Y + 20);
    TRect moved = before;
    OffsetRect(moved, 30, 20);
    EXPECT_EQ(a->WindowRect(), moved);

    const TPoint corner = At(a, moved.Width() - 1, moved.Height() - 1);
    headless->MouseDown(*frame, corner.X, corner.Y);
    headless->MouseMove(*frame, corner.X + 40, corner.Y + 10);
    headless->MouseUp(*frame, corner.X + 40, corner.Y + 10);
    EXPECT_EQ(a->Width(), 240);
    EXPECT_EQ(a->Height(), 130);
    // Sizing stops at the form's constraints.
    a->Constraints()->SetMinWidth(150);
    const TPoint right = At(a, a->WindowRect().Width() - 1, 60);
    headless->MouseDown(*frame, right.X, right.Y);
    headless->MouseMove(*frame, right.X - 200, right.Y);
    headless->MouseUp(*frame, right.X - 200, right.Y);
    EXPECT_EQ(a->Width(), 150);

    TForm* b = Child("B", 300, 50);
    bool closed = false;
    b->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
    const TPoint box = At(b, b->WindowRect().Width() - 12, 10);
    headless->Click(*frame, box.X, box.Y);
    EXPECT_TRUE(closed);
    app->ProcessMessages();
    EXPECT_EQ(frame->MDIChildCount(), 1);
    EXPECT_EQ(frame->ActiveMDIChild(), a);
}

TEST_F(VclMDI, CascadeAndTileLeaveMinimizedChildrenAlone)
{
    TForm* a = Child("A", 0, 0);
    TForm* b = Child("B", 0, 0);
    TForm* c = Child("C", 0, 0);
    TForm* d = Child("D", 0, 0);
    d->SetWindowState(wsMinimized);
    frame->Cascade();
    EXPECT_TRUE(Heard(WM_MDICASCADE));
    // The bottom child at the top-left, each next a caption's height further; two thirds of the client.
    EXPECT_EQ(a->WindowRect(), Bounds(0, 0, 400, 266));
    EXPECT_EQ(b->WindowRect(), Bounds(22, 22, 400, 266));
    EXPECT_EQ(c->WindowRect(), Bounds(44, 44, 400, 266));
    EXPECT_EQ(frame->MDIChildren(0), c);
    EXPECT_EQ(d->WindowRect(), Bounds(0, 375, 160, 25));

    frame->SetTileMode(tbHorizontal);
    frame->Tile();
    EXPECT_TRUE(Heard(WM_MDITILE));
    // Rows over the height the strips leave, the top child first.
    EXPECT_EQ(c->WindowRect(), Rect(0, 0, 600, 125));
    EXPECT_EQ(b->WindowRect(), Rect(0, 125, 600, 250));
    EXPECT_EQ(a->WindowRect(), Rect(0, 250, 600, 375));
    frame->SetTileMode(tbVertical);
    frame->Tile();
    EXPECT_EQ(c->WindowRect(), Rect(0, 0, 200, 375));
    EXPECT_EQ(a->WindowRect(), Rect(400, 0, 600, 375));
    // A maximized child is tiled like the others.
    b->SetWindowState(wsMaximized);
    frame->Tile();
    EXPECT_EQ(b->WindowState(), wsNormal);
    EXPECT_EQ(d->WindowState(), wsMinimized);
}

TEST_F(VclMDI, ChildrenGoingAwayHandTheActivationOn)
{
    TForm* a = Child("A", 0, 0);
    TForm* b = Child("B", 20, 20);
    TForm* c = Child("C", 40, 40);
    c->SetWindowState(wsMaximized);
    // Freed while maximized and active: the next child comes forward maximized.
    c->Free();
    EXPECT_EQ(frame->MDIChildCount(), 2);
    EXPECT_EQ(frame->ActiveMDIChild(), b);
    EXPECT_EQ(b->WindowState(), wsMaximized);
    b->SetWindowState(wsNormal);
    // Hidden: out of the way, the next one active.
    b->Hide();
    EXPECT_EQ(frame->ActiveMDIChild(), a);
    b->Show();
    EXPECT_EQ(frame->ActiveMDIChild(), b);
    // Closing a child frees it.
    b->Close();
    app->ProcessMessages();
    EXPECT_EQ(frame->MDIChildCount(), 1);
    EXPECT_EQ(frame->ActiveMDIChild(), a);

    // The window menu is only held: freed, it is gone.
    auto* window = new TMenuItem(frame);
    frame->SetWindowMenu(window);
    EXPECT_EQ(frame->WindowMenu(), window);
    window->Free();
    EXPECT_EQ(frame->WindowMenu(), nullptr);

    // The frame going frees the children it holds.
    bool destroyed = false;
    a->OnDestroy = [&](TObject*) { destroyed = true; };
    frame->Free();
    frame = nullptr;
    client = nullptr;
    EXPECT_TRUE(destroyed);
}
