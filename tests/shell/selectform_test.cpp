// The disc-kind choice: what each show starts with, choosing and pointing at
// kinds, the texts of the three tasks, and what each way of closing answers.
#include "startupfixture.h"

#include "shell/qv_videodvdselectform.h"

#include "skin/kivbutton.h"
#include "vcl/stdctrls.h"
#include "vcl/stdctrls_edit.h"
#include "vcl/winuser.h"

#include <array>
#include <functional>

namespace {

const std::array<std::array<const char*, 3>, 3> kDescriptions = {{
    {"Output for DVD Disc format. The Keldara DVD Maker will convert the source video clips and the burn it to blank "
     "DVD Disc, so that you can play the DVD Disc with your home DVD player.",
     "Output for SVCD Disc format. The Keldara DVD Maker will convert the source video clips and the burn it to blank "
     "CD Disc, so that you can play the SVCD Disc with your home DVD or VCD player.",
     "Output for VCD Disc format. The Keldara DVD Maker will convert the source video clips and the burn it to blank "
     "VCD Disc, so that you can play the VCD Disc with your home DVD or VCD player."},
    {"Output for DVD format(*.VOB files). The Keldara DVD Maker will convert all the source video clips to the DVD "
     "format.",
     "Output for SVCD format(*.mpg compatible Mpeg2 files). The Keldara DVD Maker will convert all the source video "
     "clips to the SVCD format.",
     "Output for VCD format(*.mpg compatible Mpeg1 files). The Keldara DVD Maker will convert all the source video "
     "clips to the VCD format."},
    {"Burn exist VOB files to blank DVD disc, so that you can play the DVD disc with your home DVD player.",
     "Burn exist SVCD compatible Mpeg2 files to blank CD disc, so that you can play the SVCD disc with your home DVD "
     "and VCD player.",
     "Burn exist VCD compatible Mpeg1 files to blank CD disc, so that you can play the VCD disc with your home DVD "
     "and VCD player."},
}};
const std::array<std::array<const char*, 3>, 3> kCaptions = {{
    {"DVD Disc", "SVCD Disc", "VCD Disc"},
    {"VOB - DVD Files", "MPG2 - SVCD Files", "MPG1 - VCD Files"},
    {"Burn DVD Disc", "Burn SVCD Disc", "Burn VCD Disc"},
}};

class SelectFormTest : public StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        app->CreateForm(QV_Video_DVD_Select_Form);
        form = QV_Video_DVD_Select_Form;
    }
    // Shows the window in the mode, runs `step` inside it, and answers the kind.
    int Run(int mode, std::function<void(TQV_Video_DVD_Select_Form&)> step)
    {
        headless->OnNextModal([this, step](TCustomForm&) { step(*form); });
        return form->ChooseDiscKind(mode);
    }
    std::string Shown() const { return form->Memo1->Lines()->Count() ? form->Memo1->Lines()->Strings(0) : ""; }
    // The Showing flags as DVD, SVCD, VCD.
    std::array<bool, 3> Flags() const { return {form->ShowingDVD, form->ShowingSVCD, form->ShowingVCD}; }
    TPoint Marker() const { return {form->kivImageButton6->Left(), form->kivImageButton6->Top()}; }
    TkivImageButton* Big(int kind) const
    {
        return kind == 1 ? form->kivImageButton_SelectDVD : kind == 2 ? form->kivImageButton_SelectSVCD
                                                                      : form->kivImageButton_SelectVCD;
    }
    TkivImageButton* Small(int kind) const
    {
        return kind == 1 ? form->kivImageButton3 : kind == 2 ? form->kivImageButton4 : form->kivImageButton5;
    }
    void PointAt(TControl& c) { headless->MouseMove(*form, c.Left() + c.Width() / 2, c.Top() + c.Height() / 2); }

    TQV_Video_DVD_Select_Form* form = nullptr;
};

TEST_F(SelectFormTest, EveryShowStartsWithDvdInItsTasksTexts)
{
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        Run(mode, [&](TQV_Video_DVD_Select_Form& f) {
            EXPECT_EQ(f.SelectedDiscType, 1);
            EXPECT_EQ(Marker(), (TPoint{96, 192}));
            EXPECT_EQ(Shown(), kDescriptions[mode][0]);
            EXPECT_EQ(f.Memo1->Lines()->Count(), 1);
            EXPECT_EQ(Flags(), (std::array<bool, 3>{true, false, false}));
            EXPECT_EQ(f.Label_DVD->Caption(), kCaptions[mode][0]);
            EXPECT_EQ(f.Label_SVCD->Caption(), kCaptions[mode][1]);
            EXPECT_EQ(f.Label_VCD->Caption(), kCaptions[mode][2]);
            headless->ClickControl(*f.kivImageButton_SelectVCD);   // left on VCD: the next show forgets it
            headless->ClickControl(*f.kivImageButton1);
        });
    }
}

TEST_F(SelectFormTest, ChoosingAKindByEitherPictureMovesTheMarkerAndShowsItsText)
{
    const int markerLeft[4] = {0, 96, 274, 451};
    for (int mode = 0; mode < 3; ++mode) {
        Run(mode, [&](TQV_Video_DVD_Select_Form& f) {
            for (int kind : {2, 3, 1}) {
                for (TkivImageButton* picture : {Big(kind), Small(kind)}) {
                    if (kind != 1) headless->ClickControl(*form->kivImageButton6);   // the marker keeps the choice
                    headless->ClickControl(*picture);
                    EXPECT_EQ(f.SelectedDiscType, kind) << picture->Name();
                    EXPECT_EQ(Marker(), (TPoint{markerLeft[kind], 192})) << picture->Name();
                    EXPECT_EQ(Shown(), kDescriptions[mode][kind - 1]) << picture->Name();
                    EXPECT_EQ(f.Memo1->Lines()->Count(), 1);
                    for (int k = 1; k <= 3; ++k) EXPECT_EQ(Flags()[k - 1], k == kind);
                }
            }
            headless->ClickControl(*f.kivImageButton1);
        });
    }
}

TEST_F(SelectFormTest, PointingShowsAKindsTextAndTheBackgroundBringsBackTheChosenOnes)
{
    Run(2, [&](TQV_Video_DVD_Select_Form& f) {
        headless->ClickControl(*f.kivImageButton4);   // SVCD chosen
        PointAt(*f.kivImageButton_SelectVCD);
        EXPECT_EQ(Shown(), kDescriptions[2][2]);
        EXPECT_EQ(Flags(), (std::array<bool, 3>{false, false, true}));
        EXPECT_EQ(f.SelectedDiscType, 2);             // pointing does not choose
        EXPECT_EQ(Marker().X, 274);
        headless->MouseMove(f, 10, 340);               // the window's background
        EXPECT_EQ(Shown(), kDescriptions[2][1]);
        EXPECT_EQ(Flags(), (std::array<bool, 3>{false, true, false}));

        PointAt(*f.kivImageButton3);                   // the small DVD picture
        EXPECT_EQ(Shown(), kDescriptions[2][0]);
        PointAt(*f.Label_VCD);                         // a caption is background too
        EXPECT_EQ(Shown(), kDescriptions[2][1]);
        PointAt(*f.kivImageButton5);
        EXPECT_EQ(Shown(), kDescriptions[2][2]);
        PointAt(*f.kivImageButton6);                   // the marker is the chosen kind
        EXPECT_EQ(Shown(), kDescriptions[2][1]);
        headless->ClickControl(*f.kivImageButton_Close);
    });
}

TEST_F(SelectFormTest, OnlyTheAcceptButtonAnswersTheChoice)
{
    struct Way {
        const char* what;
        std::function<void(TQV_Video_DVD_Select_Form&)> close;
        int answer;
    };
    const std::vector<Way> ways = {
        {"close button", [&](TQV_Video_DVD_Select_Form& f) { headless->ClickControl(*f.kivImageButton_Close); }, 0},
        {"cancel button", [&](TQV_Video_DVD_Select_Form& f) { headless->ClickControl(*f.kivImageButton1); }, 0},
        {"window manager", [](TQV_Video_DVD_Select_Form& f) { f.InputCloseRequest(); }, 0},
        {"Escape", [&](TQV_Video_DVD_Select_Form&) { headless->PressKey(VK_ESCAPE); }, 0},
        {"accept button", [&](TQV_Video_DVD_Select_Form& f) { headless->ClickControl(*f.kivImageButton2); }, 2},
        {"Enter", [&](TQV_Video_DVD_Select_Form&) { headless->PressKey(VK_RETURN); }, 2},
    };
    for (const Way& way : ways) {
        const int answer = Run(1, [&](TQV_Video_DVD_Select_Form& f) {
            headless->ClickControl(*f.kivImageButton_SelectSVCD);
            way.close(f);
        });
        EXPECT_EQ(answer, way.answer) << way.what;
        EXPECT_EQ(form->SelectedDiscType, way.answer) << way.what;
        EXPECT_FALSE(headless->WindowVisible(*form)) << way.what;
    }
    // Accepting the kind the window opens with.
    EXPECT_EQ(Run(0, [&](TQV_Video_DVD_Select_Form& f) { headless->ClickControl(*f.kivImageButton2); }), 1);
    EXPECT_TRUE(headless->UnscriptedModals().empty());
}

TEST_F(SelectFormTest, WindowIsLaidOutOnItsSkin)
{
    EXPECT_EQ(form->ClientWidth(), 572);
    EXPECT_EQ(form->ClientHeight(), 372);
    EXPECT_TRUE(form->Memo1->ReadOnly());
    if (!havePictures) GTEST_SKIP() << "the program's pictures are not built";
    Run(0, [&](TQV_Video_DVD_Select_Form& f) {
        // Shaped by the skin: the corner is outside, the middle inside.
        EXPECT_EQ(headless->PixelAt(f, 0, 0), headless->DesktopColor());
        EXPECT_NE(headless->PixelAt(f, 286, 30), headless->DesktopColor());
        // The description lies on its box: the memo's colour runs on past its edge.
        EXPECT_EQ(headless->PixelAt(f, 38, 260), f.Memo1->Color());
        EXPECT_EQ(headless->PixelAt(f, 60, 300), f.Memo1->Color());
        // The marker's picture differs from the spot it covers.
        EXPECT_NE(headless->PixelAt(f, 108, 204), headless->PixelAt(f, 286, 204));
        headless->ClickControl(*f.kivImageButton1);
    });
}

} // namespace
