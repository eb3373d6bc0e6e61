// Forms that draw their own frame: the insets WM_NCCALCSIZE gives, painting
// them, mouse input over them, maximizing without the window manager, size
// constraints, system commands and the application's message hooks.
#include "democontrols.h"

#include "vcl/toolbar.h"

namespace {

// A form recording the non-client messages it hears; its frame can be widened.
class TFramedForm : public TForm {
public:
    explicit TFramedForm(TComponent* owner) : TForm(owner) {}
    void WndProc(TMessage& m) override
    {
        switch (m.Msg) {
        case WM_NCCALCSIZE:
            TForm::WndProc(m);
            reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0].Top += extraTop;
            return;
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONUP:
        case WM_NCMOUSEMOVE:
        case WM_NCLBUTTONDBLCLK:
            nc.push_back({m.Msg, m.WParam});
            break;
        case WM_SIZE:
            sizes.push_back(m.WParam);
            break;
        case WM_ACTIVATE:
            activations.push_back(m.WParam);
            break;
        }
        TForm::WndProc(m);
    }
    int extraTop = 0;
    std::vector<std::pair<UINT, WPARAM>> nc;
    std::vector<WPARAM> sizes;
    std::vector<WPARAM> activations;
};

// A focusable control counting the keys that reach it.
class TKeyCounter : public TCustomControl {
public:
    explicit TKeyCounter(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }
    int downs = 0;

protected:
    void KeyDown(unsigned short& key, TShiftState shift) override
    {
        ++downs;
        TCustomControl::KeyDown(key, shift);
    }
};

class VclFrame : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        headless->SetScreenSize({800, 600});
        form = MakeForm<TFramedForm>(200, 120);
        form->SetHasCaption(false);
    }
    TFramedForm* form = nullptr;
};

} // namespace

TEST_F(VclFrame, WithoutACaptionTheFormDrawsAThreePixelFrameOutsideItsClientArea)
{
    EXPECT_EQ(form->FrameInsets(), Rect(3, 3, 3, 3));
    EXPECT_EQ(form->BoundsRect(), Bounds(10, 10, 200, 120));
    EXPECT_EQ(form->WindowRect(), Rect(7, 7, 213, 133));
    form->Show();
    EXPECT_EQ(headless->WindowBounds(*form), Rect(7, 7, 213, 133));
    auto shot = headless->Snapshot(*form);
    EXPECT_EQ(shot->Width(), 206);
    EXPECT_EQ(shot->Height(), 126);
    // The plain frame: a shadow line outside, a highlight inside, button face between; the client white.
    EXPECT_EQ(shot->Pixel(0, 50), ColorToRGB(clBtnShadow));
    EXPECT_EQ(shot->Pixel(1, 50), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(shot->Pixel(2, 50), ColorToRGB(clBtnFace));
    EXPECT_EQ(shot->Pixel(3, 50), clWhite);
    EXPECT_EQ(headless->PixelAt(*form, 0, 0), clWhite);
    EXPECT_EQ(headless->PixelAt(*form, -3, 0), ColorToRGB(clBtnShadow));

    // A handler asking for more makes the frame wider; the client keeps its place.
    form->extraTop = 17;
    form->FrameChanged();
    EXPECT_EQ(form->FrameInsets(), Rect(3, 20, 3, 3));
    EXPECT_EQ(form->BoundsRect(), Bounds(10, 10, 200, 120));
    EXPECT_EQ(headless->WindowBounds(*form), Rect(7, -10, 213, 133));
    // Controls draw at their client place in the window's picture.
    EXPECT_EQ(headless->Snapshot(*form)->Height(), 143);
    EXPECT_EQ(headless->PixelAt(*form, 100, 0), clWhite);

    // bsNone, or the caption back: no frame of our own.
    form->extraTop = 0;
    form->SetHasCaption(true);
    EXPECT_EQ(form->FrameInsets(), TRect{});
    form->SetBorderStyle(bsNone);
    form->SetHasCaption(false);
    EXPECT_EQ(form->FrameInsets(), TRect{});
}

TEST_F(VclFrame, AFrameTooWideToDrawIsLoggedOnceAndTheOtherWindowsAreStillPainted)
{
    // As a theme's border of 100,000 pixels would ask: no picture of that size can be made.
    auto* other = MakeForm(100, 50);
    form->Show();
    other->Show();
    app->ProcessMessages();
    testing::internal::CaptureStderr();
    form->extraTop = 100000;
    form->FrameChanged();
    other->SetColor(clBlue);
    other->Invalidate();
    EXPECT_NO_THROW(app->ProcessMessages());
    EXPECT_NO_THROW(app->ProcessMessages());   // not drawn again until something changes
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("cannot be drawn"), log.rfind("cannot be drawn")) << log;
    EXPECT_NE(log.find("cannot be drawn: Out of system resources"), std::string::npos) << log;
    EXPECT_EQ(other->BackBuffer().Pixel(5, 5), clBlue);
    // A frame that fits again is drawn again.
    form->extraTop = 0;
    form->FrameChanged();
    app->ProcessMessages();
    EXPECT_EQ(headless->PixelAt(*form, 0, 0), clWhite);
}

TEST_F(VclFrame, ABorderChangeBringsTheCaptionBackAndSaysSo)
{
    int changes = 0;
    TWndMethod old = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        if (m.Msg == CM_BORDERCHANGED) ++changes;
        old(m);
    };
    form->SetBorderStyle(bsDialog);
    EXPECT_TRUE(form->HasCaption());
    EXPECT_EQ(form->FrameInsets(), TRect{});
    EXPECT_EQ(changes, 1);
    form->WindowProc = old;
}

TEST_F(VclFrame, MouseOverTheFrameArrivesAsNonClientMessages)
{
    form->Show();
    int clicks = 0;
    form->OnClick = [&](TObject*) { ++clicks; };
    // Sizeable: the edges size the window through the window manager.
    headless->MouseMove(*form, -2, 60);
    headless->MouseDown(*form, -2, 60);
    EXPECT_EQ(headless->SystemResizeEdges(*form), unsigned(akLeft));
    EXPECT_EQ(headless->WindowCursor(*form), crSizeWE);
    headless->MouseUp(*form, -2, 60);
    headless->MouseDown(*form, 201, 121);
    EXPECT_EQ(headless->SystemResizeEdges(*form), unsigned(akRight | akBottom));
    headless->MouseUp(*form, 201, 121);
    headless->MouseDown(*form, 100, -3);
    EXPECT_EQ(headless->SystemResizeEdges(*form), unsigned(akTop));
    headless->MouseUp(*form, 100, -3);
    ASSERT_GE(form->nc.size(), 6u);
    EXPECT_EQ(form->nc[0], std::make_pair(WM_NCMOUSEMOVE, WPARAM(HTLEFT)));
    EXPECT_EQ(form->nc[1], std::make_pair(WM_NCLBUTTONDOWN, WPARAM(HTLEFT)));
    EXPECT_EQ(clicks, 0); // never client clicks
    // A dialog's frame is a border only.
    form->nc.clear();
    form->SetBorderStyle(bsDialog);
    form->SetHasCaption(false);
    headless->MouseDown(*form, -1, 60);
    ASSERT_FALSE(form->nc.empty());
    EXPECT_EQ(form->nc.back(), std::make_pair(WM_NCLBUTTONDOWN, WPARAM(HTBORDER)));
    headless->MouseUp(*form, -1, 60);
    // Inside, client input as always.
    headless->Click(*form, 50, 50);
    EXPECT_EQ(clicks, 1);
}

TEST_F(VclFrame, AFramedFormMaximizesItselfOnTheWorkArea)
{
    form->Show();
    form->SetWindowState(wsMaximized);
    EXPECT_EQ(form->WindowRect(), Rect(0, 0, 800, 600));
    EXPECT_EQ(form->BoundsRect(), Rect(3, 3, 797, 597));
    ASSERT_FALSE(form->sizes.empty());
    EXPECT_EQ(form->sizes.back(), SIZE_MAXIMIZED);
    EXPECT_EQ(headless->NativeWindowState(*form), int(wsNormal)); // the window manager is not asked
    // The work area of the screen the form is on.
    headless->SetWorkAreas({Rect(800, 0, 1600, 560)});
    form->SetWindowState(wsNormal);
    EXPECT_EQ(form->BoundsRect(), Bounds(10, 10, 200, 120));
    EXPECT_EQ(form->sizes.back(), SIZE_RESTORED);
    form->SetBounds(900, 10, 200, 120);
    form->SetWindowState(wsMaximized);
    EXPECT_EQ(form->WindowRect(), Rect(800, 0, 1600, 560));
    // Minimized: the window manager's.
    form->SetWindowState(wsMinimized);
    EXPECT_EQ(headless->NativeWindowState(*form), int(wsMinimized));
    // A captioned form leaves it all to the window manager.
    auto* plain = MakeForm<TForm>();
    plain->Show();
    plain->SetWindowState(wsMaximized);
    EXPECT_EQ(headless->NativeWindowState(*plain), int(wsMaximized));
    EXPECT_EQ(plain->BoundsRect(), Bounds(10, 10, 200, 120));
}

TEST_F(VclFrame, ConstraintsKeepTheSizeWithinLimits)
{
    form->Constraints()->SetMinWidth(150);
    EXPECT_EQ(form->Width(), 200);
    form->Constraints()->SetMinHeight(130);
    EXPECT_EQ(form->Height(), 130); // grows at once
    form->SetBounds(0, 0, 10, 10);
    EXPECT_EQ(form->BoundsRect(), Bounds(0, 0, 150, 130));
    form->Constraints()->SetMaxWidth(300);
    form->SetWidth(1000);
    EXPECT_EQ(form->Width(), 300);
    // A maximum below the minimum yields to it.
    form->Constraints()->SetMaxWidth(100);
    EXPECT_EQ(form->Width(), 150);
}

TEST_F(VclFrame, SystemCommandsMinimizeMaximizeRestoreAndClose)
{
    form->Show();
    form->Perform(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    form->Perform(WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(form->WindowState(), wsNormal);
    form->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(form->WindowState(), wsMinimized);
    EXPECT_FALSE(app->Minimized());
    form->Perform(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(form->Visible());
    // The main form's minimize minimizes the program.
    TForm* main = nullptr;
    app->CreateForm(main);
    main->Show();
    main->Perform(WM_SYSCOMMAND, SC_MINIMIZE | 2, 0);
    EXPECT_TRUE(app->Minimized());
    main->Perform(WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(app->Minimized());
}

TEST_F(VclFrame, ActivationIsToldAndRepaintsTheFrame)
{
    form->Show();
    headless->Snapshot(*form);
    ASSERT_FALSE(form->activations.empty());
    EXPECT_EQ(form->activations.back(), WA_ACTIVE);
    auto* other = MakeForm<TForm>();
    other->Show();
    EXPECT_EQ(form->activations.back(), WA_INACTIVE);
    EXPECT_TRUE(form->Dirty()); // the frame is painted again
}

TEST_F(VclFrame, MessageHooksSeeKeysAndQueuedMessagesFirst)
{
    auto* edit = new TKeyCounter(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 100, 20);
    form->Show();
    edit->SetFocus();
    std::vector<std::string> seen;
    int a = 0, b = 0;
    app->HookMessages(&a, [&](MSG& msg) {
        if (msg.message == WM_KEYDOWN) seen.push_back(Format("a%d", msg.wParam));
        return msg.message == WM_KEYDOWN && msg.wParam == 'X';
    });
    app->HookMessages(&b, [&](MSG& msg) {
        if (msg.message == WM_KEYDOWN) seen.push_back(Format("b%d", msg.wParam));
        if (msg.message == WM_USER + 7) {
            app->UnhookMessages(&a); // hooks may leave while they run
            return true;
        }
        return false;
    });
    headless->KeyDown('X');
    headless->KeyDown('Y');
    EXPECT_EQ(seen, (std::vector<std::string>{"a88", "a89", "b89"}));
    EXPECT_EQ(edit->downs, 1); // X was swallowed
    bool reached = false;
    app->OnMessage = [&](MSG& msg, bool&) { reached |= msg.message == WM_USER + 7; };
    PostMessage(form->Handle(), WM_USER + 7, 0, 0);
    app->ProcessMessages();
    EXPECT_FALSE(reached);
    headless->KeyDown('Z');
    EXPECT_EQ(seen.back(), "b90");
    app->UnhookMessages(&b);
    app->OnMessage = nullptr;
}

TEST_F(VclFrame, AutoSizedToolButtonsTakeTheirCaptionsWidth)
{
    auto* bar = new TToolBar(form);
    bar->SetParent(form);
    bar->SetShowCaptions(true);
    bar->SetList(true);
    auto add = [&](const char* caption) {
        auto* b = new TToolButton(form);
        b->SetCaption(caption);
        b->SetAutoSize(true);
        b->SetParent(bar);
        return b;
    };
    TToolButton* file = add("&File");
    TToolButton* window = add("&Window");
    EXPECT_LT(file->Width(), window->Width());
    EXPECT_EQ(window->Left(), file->Left() + file->Width());
    file->SetAutoSize(false);
    EXPECT_EQ(file->Width(), bar->ButtonSize().cx);
}
