// Calls by window handle, the wheel, suppressed erasing and the clipboard.
#include "democontrols.h"
#include "vcl/clipbrd.h"
#include "vcl/winuser.h"

namespace {

using VclWinUser = HeadlessTest;

TEST_F(VclWinUser, RegionAndAlphaByHandleReachTheForm)
{
    TForm* f = MakeForm(100, 50);
    f->Show();
    ASSERT_EQ(SetWindowRgn(f->Handle(), TRegion(Rect(0, 0, 50, 50)), true), 1);
    EXPECT_EQ(headless->PixelAt(*f, 75, 25), headless->DesktopColor());
    EXPECT_EQ(headless->PixelAt(*f, 25, 25), clWhite);
    EXPECT_TRUE(SetLayeredWindowAttributes(f->Handle(), 0, 40, LWA_ALPHA));
    EXPECT_EQ(headless->WindowAlpha(*f), 40);
    auto* b = new TDemoButton(f);
    b->SetParent(f);
    EXPECT_EQ(SetWindowRgn(b->Handle(), std::nullopt, false), 0); // not a form
    EXPECT_EQ(SetWindowRgn(nullptr, std::nullopt, false), 0);
}

TEST_F(VclWinUser, CaptureFocusAndRectsByHandle)
{
    TForm* f = MakeForm(100, 50);
    f->SetBounds(30, 40, 100, 50);
    auto* b = new TDemoButton(f);
    b->SetParent(f);
    b->SetBounds(10, 5, 20, 10);
    f->Show();
    EXPECT_EQ(GetFocus(), b->Handle());
    SetCapture(b->Handle());
    EXPECT_EQ(GetCaptureControl(), b);
    EXPECT_EQ(GetCapture(), b->Handle());
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    TRect r;
    ASSERT_TRUE(GetWindowRect(b->Handle(), r));
    EXPECT_EQ(r, Rect(40, 45, 60, 55));
    ASSERT_TRUE(GetClientRect(b->Handle(), r));
    EXPECT_EQ(r, Rect(0, 0, 20, 10));
    EXPECT_TRUE(IsWindowVisible(b->Handle()));
    EnableWindow(b->Handle(), false);
    EXPECT_FALSE(IsWindowEnabled(b->Handle()));
    EXPECT_NE(GetFocus(), b->Handle()); // a disabled control loses the focus
    ShowWindow(f->Handle(), SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(b->Handle()));
    EXPECT_FALSE(GetWindowRect(nullptr, r));
}

TEST_F(VclWinUser, KeyStateFollowsTheLastInput)
{
    TForm* f = MakeForm();
    f->Show();
    headless->KeyDown(VK_SHIFT, ssShift);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_EQ(GetKeyState(VK_CONTROL), 0);
    headless->KeyUp(VK_SHIFT, 0);
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
}

TEST_F(VclWinUser, WheelGoesToTheFocusedControlThenUpTheParents)
{
    TForm* f = MakeForm();
    auto* b = new TDemoButton(f);
    b->SetParent(f);
    f->Show();
    int formDelta = 0, buttonDelta = 0;
    bool buttonTakes = false;
    b->OnMouseWheel = [&](TObject*, TShiftState, int d, TPoint, bool& handled) {
        buttonDelta += d;
        handled = buttonTakes;
    };
    f->OnMouseWheel = [&](TObject*, TShiftState, int d, TPoint, bool& handled) {
        formDelta += d;
        handled = true;
    };
    headless->Wheel(*f, 100, 100, -120);
    EXPECT_EQ(buttonDelta, -120);
    EXPECT_EQ(formDelta, -120); // not handled by the button: its parent gets it
    buttonTakes = true;
    headless->Wheel(*f, 100, 100, 240);
    EXPECT_EQ(buttonDelta, 120);
    EXPECT_EQ(formDelta, -120);
}

TEST_F(VclWinUser, SuppressedEraseLeavesWhatLiesBelow)
{
    class Clear : public TCustomControl {
    public:
        using TCustomControl::TCustomControl;
        bool suppress = true;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == WM_ERASEBKGND && suppress) {
                m.Result = 1; // nothing erased
                return;
            }
            TCustomControl::WndProc(m);
        }
    };
    TForm* f = MakeForm(100, 50);
    auto* c = new Clear(f);
    c->SetParent(f);
    c->SetBounds(0, 0, 50, 50);
    c->SetColor(clRed);
    f->Show();
    EXPECT_EQ(headless->PixelAt(*f, 10, 10), clWhite);
    c->suppress = false;
    c->Invalidate();
    EXPECT_EQ(headless->PixelAt(*f, 10, 10), clRed);
}

TEST_F(VclWinUser, ClipboardTextGoesThroughTheBackend)
{
    Clipboard()->SetAsText("C:\\Movies");
    EXPECT_EQ(Clipboard()->AsText(), "C:\\Movies");
    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasText());
}
} // namespace
