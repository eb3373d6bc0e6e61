// The skinned title bar on a plain form: where its buttons and caption go, the
// frames each button shows, the refusals, the system menu, double clicks and
// the caption colour a theme file asks for.
#include "kivcontrols_fixture.h"

#include "skin/kivmgr.h"
#include "skin/kivpublic.h"
#include "skin/kivresources.h"
#include "skin/kivthemefile.h"
#include "skin/kivtitlebar.h"

#include "gfx/canvas.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "vcl/menus.h"

namespace {

class KivTitleBarTest : public KivControlsTest {
protected:
    void SetUp() override
    {
        KivControlsTest::SetUp();
        bar = new TkivTitleBar(form);
        bar->SetParent(form);
    }
    void TearDown() override
    {
        if (!folder.empty()) {
            DeleteFilesIn(folder, false);
            RemoveDir(folder);
        }
        KivControlsTest::TearDown();
    }
    // Frame `index` (1-based) of the style's title-button strip.
    static TBitmap Frame(TkivUIStyle style, int index)
    {
        TBitmap strip, frame;
        GetInsideThemeBitmap(style, 5, &strip);
        SpitBitmap(&strip, &frame, 18, index);
        return frame;
    }
    static bool SamePixels(TBitmap& a, TBitmap& b)
    {
        if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
        return true;
    }
    // A theme file with the given integers (colours are integers there).
    TkivFileTheme* Theme(std::initializer_list<std::pair<const char*, int>> integers)
    {
        if (folder.empty()) folder = MakeTempFolder("kivtitlebar");
        const std::string path = folder + "/t" + std::to_string(++themes) + ".kiv";
        {
            TkivThemeFileWriter w(path);
            for (const auto& [name, value] : integers) w.AddInteger(name, value);
        }
        auto* theme = new TkivFileTheme(form);
        theme->SetThemeFile(path);
        return theme;
    }
    TkivTitleBar* bar = nullptr;
    std::string folder;
    int themes = 0;
};

} // namespace

TEST_F(KivTitleBarTest, NewBarHoldsFourButtonsAndTakesTheStripsHeight)
{
    ASSERT_EQ(bar->Buttons()->Count(), 4);
    EXPECT_EQ(bar->Buttons()->Items(0)->ButtonType(), kivControlBox);
    EXPECT_EQ(bar->Buttons()->Items(1)->ButtonType(), kivClose);
    EXPECT_EQ(bar->Buttons()->Items(2)->ButtonType(), kivMax);
    EXPECT_EQ(bar->Buttons()->Items(3)->ButtonType(), kivMin);
    EXPECT_EQ(bar->Align(), alTop);
    EXPECT_EQ(bar->Font()->Name(), "Tahoma");
    EXPECT_TRUE(bar->Font()->Style().Contains(fsBold));
    EXPECT_EQ(bar->Font()->Color(), clWhite);
    // DeepBlue: three sections from pictures 10, 12 and 11; outside a frame the bar is the left picture's height.
    ASSERT_EQ(bar->Sections()->Count(), 3);
    TBitmap left;
    GetInsideThemeBitmap(DeepBlue, 10, &left);
    EXPECT_EQ(bar->Sections()->Items(0)->Width(), left.Width());
    EXPECT_EQ(bar->Sections()->Items(0)->Align(), kivLeft);
    EXPECT_EQ(bar->Sections()->Items(1)->Align(), kivRight);
    EXPECT_EQ(bar->Sections()->Items(2)->Align(), kivClient);
    EXPECT_TRUE(bar->Sections()->Items(2)->Stretch());
    EXPECT_EQ(bar->Height(), left.Height());
    EXPECT_EQ(bar->ButtonTop(), GetInsideThemeInt(DeepBlue, 9));
    EXPECT_EQ(form->Constraints()->MinWidth(), GetInsideThemeInt(DeepBlue, 13));
}

TEST_F(KivTitleBarTest, ButtonsRunFromTheRightAndTheControlBoxSitsLeft)
{
    const int w = Frame(DeepBlue, 1).Width();
    const int W = bar->Width();
    ASSERT_EQ(W, 320);
    // x starts at width + 1 + right offset + (answer - 1); each button steps left by its width + 1.
    EXPECT_EQ(bar->ButtonRect(1), Bounds(W - (w + 1), 2, w, w));
    EXPECT_EQ(bar->ButtonRect(2), Bounds(W - 2 * (w + 1), 2, w, w));
    EXPECT_EQ(bar->ButtonRect(3), Bounds(W - 3 * (w + 1), 2, w, w));
    // The control box: left offset - (answer - 1), one pixel higher; the caption 5 pixels after it.
    EXPECT_EQ(bar->ButtonRect(0), Bounds(1, 1, w, w));
    EXPECT_EQ(bar->CaptionLeft(), 1 + w + 5);

    bar->SetRightBtnXOffset(-2);
    bar->SetButtonInterval(3);
    bar->SetLeftBtnXOffset(4);
    EXPECT_EQ(bar->ButtonRect(1).Left, W - 2 - (w + 4));
    EXPECT_EQ(bar->ButtonRect(2).Left, W - 2 - 2 * (w + 4));
    EXPECT_EQ(bar->ButtonRect(0).Left, 5);
    // Hidden buttons give up their place; without a control box the caption starts at 6.
    bar->Buttons()->Items(1)->SetVisible(false);
    EXPECT_TRUE(bar->ButtonRect(1).IsEmpty());
    EXPECT_EQ(bar->ButtonRect(2).Left, W - 2 - (w + 4));
    bar->Buttons()->Items(0)->SetVisible(false);
    EXPECT_EQ(bar->CaptionLeft(), 6);
    // With the program's icon the caption starts 21 pixels on.
    bar->Buttons()->Items(0)->SetVisible(true);
    bar->SetDrawAppIcon(true);
    EXPECT_EQ(bar->CaptionLeft(), 5 + 21);
    EXPECT_EQ(bar->ButtonRect(0).Width(), 16);
}

TEST_F(KivTitleBarTest, ButtonsNeverLeaveTheBar)
{
    bar->SetAlign(alNone);
    bar->SetBounds(0, 0, 30, bar->Height());
    for (int i = 1; i < 4; ++i) EXPECT_GE(bar->ButtonRect(i).Left, 0) << i;
}

TEST_F(KivTitleBarTest, LongCaptionsAreCutWithDotsAndANarrowBarShowsNone)
{
    const std::string text = "Keldara - building a video DVD from twelve clips with a menu and chapters";
    bar->SetCaption(text);
    const std::string shown = bar->ShownCaption();
    ASSERT_TRUE(EndsText("...", shown));
    EXPECT_TRUE(StartsText(shown.substr(0, shown.size() - 3), text));
    TBitmap probe(1, 1);
    probe.Canvas()->SetFont(*bar->Font());
    EXPECT_LE(bar->CaptionLeft() + probe.Canvas()->TextWidth(shown), bar->ButtonRect(3).Left);
    // One more character would not have fitted.
    const std::string longer = text.substr(0, shown.size() - 2) + "...";
    EXPECT_GT(bar->CaptionLeft() + probe.Canvas()->TextWidth(longer), bar->ButtonRect(3).Left);

    // Characters are cut whole, never halfway through one.
    bar->SetCaption("最小化最小化最小化最小化最小化最小化最小化最小化最小化最小化最小化最小化最小化最小化最小化");
    const std::string cjk = bar->ShownCaption();
    ASSERT_TRUE(EndsText("...", cjk));
    EXPECT_EQ((cjk.size() - 3) % 3, 0u);

    // A bar too narrow even for "..." shows no caption (and does not hang).
    bar->SetAlign(alNone);
    bar->SetBounds(0, 0, 70, bar->Height());
    bar->SetCaption(text);
    EXPECT_EQ(bar->ShownCaption(), "");
    form->Show();
    headless->Snapshot(*form); // painting it is fine too
    // A short caption stays whole.
    bar->SetAlign(alTop);
    bar->SetCaption("Keldara");
    EXPECT_EQ(bar->ShownCaption(), "Keldara");
}

TEST_F(KivTitleBarTest, EachButtonShowsTheFramesOfItsTypeAndRestoreWhileMaximized)
{
    const struct {
        int button, first;
    } kinds[] = {{0, 1}, {1, 16}, {2, 7}, {3, 13}};
    for (TkivUIStyle style : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
        bar->SetUIStyle(style);
        for (const auto& k : kinds) {
            TkivTitleBarButton* b = bar->Buttons()->Items(k.button);
            TBitmap normal = Frame(style, k.first), on = Frame(style, k.first + 1), down = Frame(style, k.first + 2);
            EXPECT_TRUE(SamePixels(*b->PicNormal(), normal)) << style << " " << k.button;
            EXPECT_TRUE(SamePixels(*b->PicMouseOn(), on)) << style << " " << k.button;
            EXPECT_TRUE(SamePixels(*b->PicMouseDown(), down)) << style << " " << k.button;
            EXPECT_EQ(b->Transparent(), GetInsideThemeBool(style, 6));
        }
    }
    TkivTitleBarButton* help = bar->Buttons()->Add();
    help->SetButtonType(kivHelp);
    TBitmap helpFrame = Frame(BlueGlass, 4);
    EXPECT_TRUE(SamePixels(*help->PicNormal(), helpFrame));

    // Maximize: restore frames while the form is maximized, back afterwards.
    form->Show();
    bar->SetUIStyle(DeepBlue);
    bar->ClickButton(2);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    TBitmap restore = Frame(DeepBlue, 10), maximize = Frame(DeepBlue, 7);
    EXPECT_FALSE(SamePixels(restore, maximize));
    EXPECT_TRUE(SamePixels(*bar->Buttons()->Items(2)->PicNormal(), restore));
    // A bare form is placed on the work area, 2 pixels beyond it left, top and right, 1 short at the bottom.
    EXPECT_EQ(form->WindowRect(), Rect(-2, -2, 1024 + 2, 768 - 1));
    bar->ClickButton(2);
    EXPECT_EQ(form->WindowState(), wsNormal);
    EXPECT_TRUE(SamePixels(*bar->Buttons()->Items(2)->PicNormal(), maximize));

    // A custom button keeps its own pictures.
    TkivTitleBarButton* custom = bar->Buttons()->Add();
    const TBitmap own = Solid(10, 10, clRed, clRed);
    custom->SetPicNormal(own);
    bar->SetUIStyle(WinXP);
    EXPECT_EQ(custom->PicNormal()->Pixel(5, 5), clRed);
}

TEST_F(KivTitleBarTest, OnlyOneControlBoxAndOneClientSection)
{
    TkivTitleBarButton* b = bar->Buttons()->Items(1);
    b->SetButtonType(kivControlBox);
    EXPECT_EQ(b->ButtonType(), kivClose);
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, "Sorry, only one button's ButtonType property can be \"kivControlBox\"");
    EXPECT_TRUE(headless->MessageBoxes()[0].flags & MB_ICONERROR);

    TkivTitleBarSection* s = bar->Sections()->Items(0);
    s->SetAlign(kivClient);
    EXPECT_EQ(s->Align(), kivLeft);
    ASSERT_EQ(headless->MessageBoxes().size(), 2u);
    EXPECT_EQ(headless->MessageBoxes()[1].text, "Sorry, only one section's Align property can be \"kivClient\"");
    // Once the other one leaves the middle, it may.
    bar->Sections()->Items(2)->SetAlign(kivRight);
    s->SetAlign(kivClient);
    EXPECT_EQ(s->Align(), kivClient);
    EXPECT_TRUE(s->Stretch());
    // A picture makes the section its width.
    s->SetPicture(Solid(17, 5, clRed, clRed));
    EXPECT_EQ(s->Width(), 17);
}

TEST_F(KivTitleBarTest, SystemMenuItemsFollowTheVisibleButtons)
{
    TkivTitleBarPopupMenu* menu = bar->SystemMenu();
    ASSERT_EQ(menu->Items()->Count(), 4);
    EXPECT_EQ(menu->Items()->Items(0)->Caption(), "最小化(&N)");
    EXPECT_EQ(menu->Items()->Items(1)->Caption(), "最大化/还原(&X)");
    EXPECT_EQ(menu->Items()->Items(2)->Caption(), "-");
    EXPECT_EQ(menu->Items()->Items(3)->Caption(), "关闭(&C)");
    menu->UpdateItems();
    EXPECT_TRUE(menu->MinimizeItem()->Enabled());
    EXPECT_TRUE(menu->MaximizeItem()->Enabled());
    EXPECT_TRUE(menu->CloseItem()->Enabled());
    bar->Buttons()->Items(3)->SetVisible(false);
    bar->Buttons()->Items(1)->SetButtonType(kivCustom);
    menu->UpdateItems();
    EXPECT_FALSE(menu->MinimizeItem()->Enabled());
    EXPECT_TRUE(menu->MaximizeItem()->Enabled());
    EXPECT_FALSE(menu->CloseItem()->Enabled());

    // Pressing the control box pops it at the bar's bottom-left on mouse-up; its items work the form.
    form->Show();
    TPoint at;
    headless->OnNextModal([&](TCustomForm& w) {
        at = Point(w.Left(), w.Top());
        auto& window = dynamic_cast<TMenuWindow&>(w);
        const TRect r = window.ItemRect(menu->MaximizeItem());
        headless->Click(w, r.Left + 5, r.Top + 5);
    });
    const TRect box = bar->ButtonRect(0);
    const TPoint below = bar->ClientToScreen(Point(0, bar->Height()));
    headless->Click(*form, box.Left + 3, box.Top + 3);
    EXPECT_EQ(at, below);
    EXPECT_EQ(form->WindowState(), wsMaximized);
}

TEST_F(KivTitleBarTest, ClicksWorkTheFormAndFireTheEvents)
{
    form->Show();
    int custom = -1, help = -1;
    bar->OnCustomBtnsClick = [&](TObject*, int i) { custom = i; };
    bar->OnHelpBtnClick = [&](TObject*, int i) { help = i; };
    bar->Buttons()->Add()->SetButtonType(kivHelp);
    TkivTitleBarButton* c = bar->Buttons()->Add();
    c->SetPicNormal(Solid(12, 12, clRed, clRed));
    const TRect helpRect = bar->ButtonRect(4), customRect = bar->ButtonRect(5);
    headless->Click(*form, helpRect.Left + 2, helpRect.Top + 2);
    EXPECT_EQ(help, 4);
    headless->Click(*form, customRect.Left + 2, customRect.Top + 2);
    EXPECT_EQ(custom, 5);

    // A press that leaves the button before the release clicks nothing.
    const TRect close = bar->ButtonRect(1);
    headless->MouseDown(*form, close.Left + 2, close.Top + 2);
    headless->MouseMove(*form, 100, 100, ssLeft);
    headless->MouseUp(*form, 100, 100);
    EXPECT_TRUE(form->Visible());
    // Hovering and pressing show the other frames.
    headless->MouseMove(*form, close.Left + 2, close.Top + 2);
    TBitmap on = Frame(DeepBlue, 17);
    EXPECT_EQ(headless->PixelAt(*form, close.Left + 9, close.Top + 9), on.Pixel(9, 9));
    EXPECT_EQ(bar->HotButton(), 1);

    // Dragging the bar elsewhere moves the form.
    headless->MouseDown(*form, 150, 8);
    EXPECT_EQ(headless->SystemMoves(*form), 1);
    headless->MouseUp(*form, 150, 8);

    // Minimize: a form that is not the main one is set minimized.
    bar->ClickButton(3);
    EXPECT_EQ(form->WindowState(), wsMinimized);
    form->SetWindowState(wsNormal);
    headless->Click(*form, close.Left + 2, close.Top + 2);
    EXPECT_FALSE(form->Visible());
}

TEST_F(KivTitleBarTest, MinimizeOnTheMainFormMinimizesTheProgram)
{
    TForm* main = nullptr;
    app->CreateForm(main);
    auto* mainBar = new TkivTitleBar(main);
    mainBar->SetParent(main);
    main->Show();
    mainBar->ClickButton(3);
    EXPECT_TRUE(app->Minimized());
    EXPECT_TRUE(headless->AppMinimized());
    EXPECT_EQ(main->WindowState(), wsNormal);
}

TEST_F(KivTitleBarTest, DoubleClicksMaximizeOrCloseOnTheControlBox)
{
    form->Show();
    headless->DoubleClick(*form, 150, 8);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    headless->DoubleClick(*form, 150, 8);
    EXPECT_EQ(form->WindowState(), wsNormal);
    // No visible maximize button: nothing happens.
    bar->Buttons()->Items(2)->SetVisible(false);
    headless->DoubleClick(*form, 150, 8);
    EXPECT_EQ(form->WindowState(), wsNormal);
    const TRect box = bar->ButtonRect(0);
    headless->OnNextModal([](TCustomForm& w) { w.SetModalResult(mrCancel); }); // the system menu of the first click
    headless->DoubleClick(*form, box.Left + 3, box.Top + 3);
    EXPECT_FALSE(form->Visible());
}

TEST_F(KivTitleBarTest, CaptionColourFollowsTheStyleAndTheThemeFile)
{
    bar->SetUIStyle(MacOS);
    EXPECT_EQ(bar->Font()->Color(), clBlack);
    bar->SetUIStyle(Protein);
    EXPECT_EQ(bar->Font()->Color(), clWhite);

    // A theme file's TitleBarFontColor wins; without it the control font colour decides.
    TkivFileTheme* own = Theme({{"TitleBarFontColor", 0x123456}});
    bar->SetFileTheme(own);
    bar->SetUIStyle(FromThemeFile);
    EXPECT_EQ(bar->Font()->Color(), static_cast<TColor>(0x123456));
    for (int dark : {0x010000, 0x030000, 0x040000, 0x050000}) {
        bar->SetFileTheme(Theme({{"ControlFontColor", dark}}));
        bar->SetUIStyle(FromThemeFile);
        EXPECT_EQ(bar->Font()->Color(), clBlack) << dark;
    }
    for (int light : {0x020000, 0x000000, 0xFFFFFF}) {
        bar->SetFileTheme(Theme({{"ControlFontColor", light}}));
        bar->SetUIStyle(FromThemeFile);
        EXPECT_EQ(bar->Font()->Color(), clWhite) << light;
    }
    // Setting the file theme alone leaves the colour the program chose.
    bar->Font()->SetColor(clRed);
    bar->SetFileTheme(own);
    EXPECT_EQ(bar->Font()->Color(), clRed);
    // A theme that goes away brings DeepBlue back.
    own->Free();
    EXPECT_EQ(bar->UIStyle(), DeepBlue);
    EXPECT_EQ(bar->FileTheme(), nullptr);
}

TEST_F(KivTitleBarTest, CustomBarsKeepTheirPictures)
{
    bar->SetCustom(true);
    bar->Sections()->Clear();
    bar->SetUIStyle(WinXP);
    EXPECT_EQ(bar->Sections()->Count(), 0);
    bar->SetCustom(false);
    bar->SetUIStyle(WinXP);
    EXPECT_EQ(bar->Sections()->Count(), 3);
    // AutoSize without sections turns itself off.
    bar->Sections()->Clear();
    bar->SetAutoSize(true);
    EXPECT_FALSE(bar->AutoSize());
}

TEST_F(KivTitleBarTest, PaintsTheStripTheButtonsAndTheCaption)
{
    bar->SetCaption("WWWW");
    form->Show();
    TBitmap left, right;
    GetInsideThemeBitmap(DeepBlue, 10, &left);
    GetInsideThemeBitmap(DeepBlue, 12, &right);
    EXPECT_EQ(headless->PixelAt(*form, 0, left.Height() - 1), left.Pixel(0, left.Height() - 1));
    EXPECT_EQ(headless->PixelAt(*form, 319, left.Height() - 1), right.Pixel(right.Width() - 1, right.Height() - 1));
    const TRect close = bar->ButtonRect(1);
    TBitmap closeFrame = Frame(DeepBlue, 16);
    EXPECT_EQ(headless->PixelAt(*form, close.Left + 9, close.Top + 9), closeFrame.Pixel(9, 9));
    // The caption in white somewhere after the control box.
    bool white = false;
    for (int x = bar->CaptionLeft(); x < bar->CaptionLeft() + 30; ++x)
        for (int y = 2; y < bar->Height() - 2; ++y) white |= headless->PixelAt(*form, x, y) == clWhite;
    EXPECT_TRUE(white);
    // An inactive form's caption is drawn in the inactive caption colour.
    bar->SetFormActive(false);
    white = false;
    for (int x = bar->CaptionLeft(); x < bar->CaptionLeft() + 30; ++x)
        for (int y = 2; y < bar->Height() - 2; ++y) white |= headless->PixelAt(*form, x, y) == clWhite;
    EXPECT_FALSE(white);
}
