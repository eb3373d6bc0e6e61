// Window helpers of the skinned library: borders, work area, focus, scroll-bar
// and combo-box information, and the animated show and hide on a test clock.
#include "skin/kivpublic.h"
#include "skin/kivresdef.h"

#include "gfx/bitmap.h"
#include "rtl/clock.h"
#include "vcl/application.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/headless.h"
#include "vcl/stdctrls_edit.h"
#include "vcl/stdctrls_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Shot {
    TRect bounds;
    std::optional<TRegion> region;
    int alpha;
    bool visible;
};

// A manual clock that notes the watched form's state at every pause.
class FrameClock : public ManualClock {
public:
    void SleepMs(std::uint32_t ms) override
    {
        ManualClock::SleepMs(ms);
        if (watched)
            shots.push_back({HeadlessBackend()->WindowBounds(*watched), watched->WindowRegion(),
                             HeadlessBackend()->WindowAlpha(*watched), HeadlessBackend()->WindowVisible(*watched)});
    }
    TCustomForm* watched = nullptr;
    std::vector<Shot> shots;
};

class KivWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scope = std::make_unique<ScopedClock>(clock);
        app = std::make_unique<TApplication>();
        app->SetBackend(std::make_unique<THeadlessBackend>());
        headless = HeadlessBackend();
        headless->SetScreenSize({800, 600});
        form = NewForm<TForm>(app.get());
        form->SetBounds(20, 30, 320, 240);
        form->SetColor(clWhite);
    }
    void TearDown() override
    {
        app.reset();
        scope.reset();
    }
    TForm* Popup(int w, int h)
    {
        auto* f = NewForm<TForm>(app.get());
        f->SetBorderStyle(bsNone);
        f->SetBounds(300, 200, w, h);
        f->HandleNeeded();
        clock.watched = f;
        return f;
    }

    FrameClock clock;
    std::unique_ptr<ScopedClock> scope;
    std::unique_ptr<TApplication> app;
    THeadlessBackend* headless = nullptr;
    TForm* form = nullptr;
};

} // namespace

TEST(KivResDef, SystemMenuTextsAreUtf8)
{
    EXPECT_EQ(std::string(KIV_TITLE_MENUITEM_MINIMIZE), "\xE6\x9C\x80\xE5\xB0\x8F\xE5\x8C\x96(&N)");
    EXPECT_EQ(std::string(KIV_TITLE_MENUITEM_MAXIMIZE),
              "\xE6\x9C\x80\xE5\xA4\xA7\xE5\x8C\x96/\xE8\xBF\x98\xE5\x8E\x9F(&X)");
    EXPECT_EQ(std::string(KIV_TITLE_MENUITEM_CLOSE), "\xE5\x85\xB3\xE9\x97\xAD(&C)");
}

TEST_F(KivWindowTest, ControlBorderFramesTheWholeControlAndKeepsTheBrush)
{
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(40, 50, 30, 20);
    panel->SetColor(clWhite);
    form->Show();
    headless->Snapshot(*form);
    TBitmap& screen = form->BackBuffer();
    const TColor below = screen.Pixel(39, 50);

    DrawControlBorder(panel, clRed, clLime, true);
    EXPECT_EQ(screen.Pixel(40, 50), clRed);
    EXPECT_EQ(screen.Pixel(69, 69), clRed);
    EXPECT_EQ(screen.Pixel(55, 69), clRed);
    EXPECT_EQ(screen.Pixel(41, 51), clLime);
    EXPECT_EQ(screen.Pixel(68, 68), clLime);
    EXPECT_NE(screen.Pixel(42, 52), clLime);
    EXPECT_EQ(screen.Pixel(39, 50), below);  // nothing outside the control
    EXPECT_EQ(screen.Pixel(70, 70), screen.Pixel(71, 71));

    panel->Canvas()->Brush()->SetColor(clBlue);
    DrawControlBorder(panel, clNavy, clLime, false);
    EXPECT_EQ(screen.Pixel(40, 50), clNavy);
    EXPECT_EQ(screen.Pixel(41, 51), clLime); // the inner frame is left as it was
    EXPECT_EQ(panel->Canvas()->Brush()->Color(), clBlue);

    auto* loose = new TPanel(nullptr);
    DrawControlBorder(loose, clRed, clRed, true); // no form: nothing to draw on
    DrawControlBorder(nullptr, clRed, clRed, true);
    delete loose;
}

TEST_F(KivWindowTest, SmallHelpers)
{
    EXPECT_EQ(GetWorkAreaRect(), Rect(0, 0, 800, 600));
    EXPECT_EQ(PCharToStr(nullptr), "");
    EXPECT_EQ(PCharToStr(""), "");
    EXPECT_EQ(PCharToStr("Kivarna"), "Kivarna");

    auto* panel = new TPanel(form);
    panel->SetControlStyle(panel->ControlStyle() | csOpaque);
    SetWinControlTransparent(panel);
    EXPECT_FALSE(panel->ControlStyle() & csOpaque);
    EXPECT_TRUE(panel->ControlStyle() & csParentBackground);

    // Without a main form a form has the focus while it is active.
    EXPECT_FALSE(FormHasFocus(nullptr));
    EXPECT_FALSE(FormHasFocus(form));
    form->Show();
    EXPECT_TRUE(FormHasFocus(form));
    form->Hide();
    EXPECT_FALSE(FormHasFocus(form));
}

TEST_F(KivWindowTest, ScrollBarInfoFollowsTheListsOwnBar)
{
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 120, 100);
    for (int i = 0; i < 3; ++i) list->Items()->Add("item " + std::to_string(i));
    form->Show();

    SCROLLBARINFO info;
    ASSERT_TRUE(KIVGetScrollBarInfo(list->Handle(), OBJID_VSCROLL, info));
    EXPECT_EQ(info.rgstate[0], STATE_SYSTEM_INVISIBLE); // three items fit: no bar

    for (int i = 3; i < 40; ++i) list->Items()->Add("item " + std::to_string(i));
    info = SCROLLBARINFO{};
    ASSERT_TRUE(KIVGetScrollBarInfo(list->Handle(), OBJID_VSCROLL, info));
    EXPECT_EQ(info.rgstate[0], 0u);
    const TPoint origin = list->ClientToScreen(Point(0, 0));
    EXPECT_EQ(info.rcScrollBar.Right, origin.X + 120 - 2); // inside the sunken frame
    EXPECT_EQ(info.rcScrollBar.Width(), ScrollBarSize);
    EXPECT_EQ(info.rcScrollBar.Top, origin.Y + 2);
    EXPECT_EQ(info.dxyLineButton, ScrollBarSize);
    EXPECT_EQ(info.xyThumbTop, info.dxyLineButton); // at the top
    EXPECT_GT(info.xyThumbBottom, info.xyThumbTop);
    const int length = info.xyThumbBottom - info.xyThumbTop;

    list->SetTopIndex(1000);
    ASSERT_TRUE(KIVGetScrollBarInfo(list->Handle(), OBJID_VSCROLL, info));
    EXPECT_EQ(info.xyThumbBottom, info.rcScrollBar.Height() - info.dxyLineButton); // at the foot
    EXPECT_EQ(info.xyThumbBottom - info.xyThumbTop, length);

    list->SetEnabled(false);
    ASSERT_TRUE(KIVGetScrollBarInfo(list->Handle(), OBJID_VSCROLL, info));
    EXPECT_EQ(info.rgstate[0], STATE_SYSTEM_UNAVAILABLE);

    ASSERT_TRUE(KIVGetScrollBarInfo(list->Handle(), OBJID_HSCROLL, info));
    EXPECT_EQ(info.rgstate[0], STATE_SYSTEM_INVISIBLE);
    EXPECT_FALSE(KIVGetScrollBarInfo(list->Handle(), -4, info)); // the client area is no bar
    SCROLLBARINFO wrong;
    wrong.cbSize = 0;
    EXPECT_FALSE(KIVGetScrollBarInfo(list->Handle(), OBJID_VSCROLL, wrong));

    auto* panel = new TPanel(form);
    panel->SetParent(form);
    EXPECT_FALSE(KIVGetScrollBarInfo(panel->Handle(), OBJID_VSCROLL, info));
    EXPECT_FALSE(KIVGetScrollBarInfo(nullptr, OBJID_VSCROLL, info));
}

TEST_F(KivWindowTest, ScrollBarInfoOfAMemoWithLittleText)
{
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 150, 120);
    memo->SetScrollBars(ssVertical);
    memo->Lines()->Add("one line");
    form->Show();
    SCROLLBARINFO info;
    ASSERT_TRUE(KIVGetScrollBarInfo(memo->Handle(), OBJID_VSCROLL, info));
    // Its bar is always shown, and out of use while the text fits.
    EXPECT_EQ(info.rgstate[0], STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(info.rcScrollBar.Height(), 120 - 4);
}

TEST_F(KivWindowTest, ScrollBarInfoOfAHorizontalBarRunsAlongItsWidth)
{
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 150, 120);
    memo->SetWordWrap(false);
    memo->SetScrollBars(ssHorizontal);
    memo->Lines()->Add(std::string(100, 'm'));
    form->Show();
    SCROLLBARINFO info;
    ASSERT_TRUE(KIVGetScrollBarInfo(memo->Handle(), OBJID_HSCROLL, info));
    EXPECT_EQ(info.rgstate[0], 0u);
    const TPoint origin = memo->ClientToScreen(Point(0, 0));
    EXPECT_EQ(info.rcScrollBar.Left, origin.X + 2);
    EXPECT_EQ(info.rcScrollBar.Bottom, origin.Y + 120 - 2);
    EXPECT_EQ(info.rcScrollBar.Width(), 150 - 4); // no vertical bar beside it
    EXPECT_EQ(info.rcScrollBar.Height(), ScrollBarSize);
    EXPECT_EQ(info.dxyLineButton, ScrollBarSize);
    EXPECT_EQ(info.xyThumbTop, info.dxyLineButton); // at the left end
    memo->Perform(WM_HSCROLL, SB_RIGHT, 0);
    ASSERT_TRUE(KIVGetScrollBarInfo(memo->Handle(), OBJID_HSCROLL, info));
    EXPECT_EQ(info.xyThumbBottom, info.rcScrollBar.Width() - info.dxyLineButton); // at the right end
    // The memo has no vertical bar now.
    ASSERT_TRUE(KIVGetScrollBarInfo(memo->Handle(), OBJID_VSCROLL, info));
    EXPECT_EQ(info.rgstate[0], STATE_SYSTEM_INVISIBLE);
}

TEST_F(KivWindowTest, ComboBoxInfoGivesButtonTextAndList)
{
    auto* combo = new TComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 150, 24);
    combo->Items()->Add("PAL");
    combo->Items()->Add("NTSC");
    form->Show();

    COMBOBOXINFO info;
    ASSERT_TRUE(KIVGetComboBoxInfo(combo->Handle(), info));
    EXPECT_EQ(info.rcButton, combo->ButtonRect());
    EXPECT_FALSE(info.rcButton.IsEmpty());
    EXPECT_EQ(info.rcItem, combo->EditRect());
    EXPECT_EQ(info.stateButton, 0u);
    EXPECT_EQ(info.hwndCombo, combo->Handle());
    EXPECT_NE(info.hwndItem, nullptr);
    EXPECT_EQ(info.hwndList, nullptr);

    COMBOBOXINFO open;
    bool answered = false;
    headless->OnNextModal([&](TCustomForm&) {
        answered = KIVGetComboBoxInfo(combo->Handle(), open);
        headless->PressKey(VK_ESCAPE);
    });
    combo->SetDroppedDown(true);
    ASSERT_TRUE(answered);
    EXPECT_EQ(open.stateButton, STATE_SYSTEM_PRESSED);
    EXPECT_NE(open.hwndList, nullptr);

    combo->SetStyle(csDropDownList);
    ASSERT_TRUE(KIVGetComboBoxInfo(combo->Handle(), info));
    EXPECT_EQ(info.hwndItem, nullptr);
    combo->SetStyle(csSimple);
    ASSERT_TRUE(KIVGetComboBoxInfo(combo->Handle(), info));
    EXPECT_EQ(info.stateButton, STATE_SYSTEM_INVISIBLE);

    COMBOBOXINFO wrong;
    wrong.cbSize = 1;
    EXPECT_FALSE(KIVGetComboBoxInfo(combo->Handle(), wrong));
    EXPECT_FALSE(KIVGetComboBoxInfo(form->Handle(), info));
}

TEST_F(KivWindowTest, SlideUpShowsTheWindowFromItsBottomEdge)
{
    TForm* f = Popup(100, 80);
    ASSERT_TRUE(KIVAnimateWindow(f->Handle(), 100, AW_SLIDE | AW_VER_NEGATIVE));
    EXPECT_EQ(clock.TotalSlept(), 100u);
    ASSERT_EQ(clock.shots.size(), 10u);
    // The first strip is the picture's top, standing on the window's bottom line.
    EXPECT_EQ(clock.shots[0].bounds, Bounds(300, 272, 100, 80));
    ASSERT_TRUE(clock.shots[0].region);
    EXPECT_EQ(clock.shots[0].region->Bounds(), Rect(0, 0, 100, 8));
    EXPECT_TRUE(clock.shots[0].visible);
    for (std::size_t k = 1; k < clock.shots.size(); ++k)
        EXPECT_LT(clock.shots[k].bounds.Top, clock.shots[k - 1].bounds.Top);
    EXPECT_EQ(clock.shots.back().bounds, Bounds(300, 200, 100, 80));
    // Afterwards the window is itself again.
    EXPECT_TRUE(f->Visible());
    EXPECT_EQ(headless->WindowBounds(*f), Bounds(300, 200, 100, 80));
    EXPECT_FALSE(f->WindowRegion());

    EXPECT_FALSE(KIVAnimateWindow(f->Handle(), 100, AW_SLIDE | AW_VER_NEGATIVE)); // already shown
}

TEST_F(KivWindowTest, SlideDownHidesAndKeepsTheWindowsShape)
{
    TForm* f = Popup(100, 80);
    const TRegion shape = TRegion::Ellipse(Rect(0, 0, 100, 80));
    f->SetWindowRegion(shape);
    EXPECT_FALSE(KIVAnimateWindow(f->Handle(), 100, AW_HIDE | AW_SLIDE | AW_VER_POSITIVE)); // not shown
    f->Show();
    ASSERT_TRUE(KIVAnimateWindow(f->Handle(), 100, AW_HIDE | AW_SLIDE | AW_VER_POSITIVE));
    ASSERT_EQ(clock.shots.size(), 10u);
    EXPECT_EQ(clock.shots[0].bounds.Top, 208);
    for (std::size_t k = 1; k < clock.shots.size(); ++k)
        EXPECT_GT(clock.shots[k].bounds.Top, clock.shots[k - 1].bounds.Top);
    // Every step shows the top of the picture, cut by the window's own shape.
    ASSERT_TRUE(clock.shots[4].region);
    EXPECT_EQ(*clock.shots[4].region, shape.Intersect(TRegion(Rect(0, 0, 100, 40))));
    EXPECT_FALSE(f->Visible());
    EXPECT_EQ(headless->WindowBounds(*f), Bounds(300, 200, 100, 80));
    ASSERT_TRUE(f->WindowRegion());
    EXPECT_EQ(*f->WindowRegion(), shape);
}

TEST_F(KivWindowTest, RollBlendAndCentre)
{
    TForm* f = Popup(100, 80);
    ASSERT_TRUE(KIVAnimateWindow(f->Handle(), 50, AW_VER_POSITIVE)); // roll down: uncovered from the top
    ASSERT_EQ(clock.shots.size(), 5u);
    EXPECT_EQ(clock.shots[0].bounds.Top, 200);
    EXPECT_EQ(clock.shots[0].region->Bounds(), Rect(0, 0, 100, 16));
    f->Hide();

    clock.shots.clear();
    f->SetAlphaBlendValue(200);
    ASSERT_TRUE(KIVAnimateWindow(f->Handle(), 40, AW_BLEND | AW_ACTIVATE));
    ASSERT_EQ(clock.shots.size(), 4u);
    EXPECT_EQ(clock.shots[0].alpha, 64);
    EXPECT_EQ(clock.shots[3].alpha, 255);
    EXPECT_EQ(clock.shots[0].bounds.Top, 200);
    EXPECT_FALSE(f->AlphaBlend());
    EXPECT_EQ(f->AlphaBlendValue(), 200);
    EXPECT_EQ(headless->WindowAlpha(*f), 255);

    clock.shots.clear();
    ASSERT_TRUE(KIVAnimateWindow(f->Handle(), 20, AW_HIDE | AW_CENTER));
    ASSERT_EQ(clock.shots.size(), 2u);
    EXPECT_EQ(clock.shots[0].region->Bounds(), Rect(25, 20, 75, 60));
    EXPECT_FALSE(f->Visible());
}

TEST_F(KivWindowTest, WithoutTimeOrDirectionTheWindowJustAppears)
{
    TForm* f = Popup(100, 80);
    ASSERT_TRUE(KIVAnimateWindow(f->Handle(), 0, AW_SLIDE | AW_VER_NEGATIVE));
    EXPECT_TRUE(f->Visible());
    ASSERT_TRUE(KIVAnimateWindow(f->Handle(), 300, AW_HIDE | AW_SLIDE));
    EXPECT_FALSE(f->Visible());
    EXPECT_EQ(clock.TotalSlept(), 0u);

    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetVisible(false);
    ASSERT_TRUE(KIVAnimateWindow(panel->Handle(), 300, AW_SLIDE | AW_VER_NEGATIVE)); // controls: at once
    EXPECT_TRUE(panel->Visible());
    EXPECT_EQ(clock.TotalSlept(), 0u);
    EXPECT_FALSE(KIVAnimateWindow(nullptr, 100, AW_BLEND));
}

TEST_F(KivWindowTest, ShowingLeavesTheActiveFormActiveUnlessAsked)
{
    form->Show();
    ASSERT_EQ(Screen->ActiveForm(), form);
    TForm* f = Popup(100, 80);
    ASSERT_TRUE(KIVAnimateWindow(f->Handle(), 30, AW_SLIDE | AW_VER_NEGATIVE));
    EXPECT_EQ(Screen->ActiveForm(), form);
    EXPECT_FALSE(f->Active());
    ASSERT_TRUE(KIVAnimateWindow(f->Handle(), 30, AW_HIDE | AW_SLIDE | AW_VER_POSITIVE));
    EXPECT_EQ(Screen->ActiveForm(), form);
    ASSERT_TRUE(KIVAnimateWindow(f->Handle(), 30, AW_BLEND | AW_ACTIVATE));
    EXPECT_EQ(Screen->ActiveForm(), f);
}

TEST_F(KivWindowTest, FormFocusWithAMainForm)
{
    form->Release(); // the fixture's form is no main form; make one
    app->ProcessMessages();
    TForm* main = nullptr;
    app->CreateForm(main);
    TForm* other = NewForm<TForm>(app.get());
    main->Show();
    EXPECT_TRUE(FormHasFocus(main));
    EXPECT_TRUE(FormHasFocus(nullptr));
    EXPECT_FALSE(FormHasFocus(other)); // hidden, so not active
    other->Show();
    EXPECT_TRUE(FormHasFocus(other));
    EXPECT_TRUE(FormHasFocus(main)); // the main form counts as focused while the program is
    other->InputActivate(false);
    EXPECT_FALSE(FormHasFocus(main)); // nothing active: the program is in the background
    EXPECT_FALSE(FormHasFocus(nullptr));
}

TEST_F(KivWindowTest, WorkAreaIsTheOneOfTheMainFormsScreen)
{
    headless->SetWorkAreas({Rect(800, 0, 1600, 570), Rect(0, 0, 800, 570)});
    EXPECT_EQ(GetWorkAreaRect(), Rect(0, 0, 800, 600)); // no main form: the system's
    form->Release();
    app->ProcessMessages();
    TForm* main = nullptr;
    app->CreateForm(main);
    main->SetBounds(900, 100, 300, 200);
    EXPECT_EQ(GetWorkAreaRect(), Rect(800, 0, 1600, 570));
    main->SetBounds(100, 100, 300, 200);
    EXPECT_EQ(GetWorkAreaRect(), Rect(0, 0, 800, 570));
}
