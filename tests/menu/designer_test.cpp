// The menu designer on clips made in memory and on VOB files through the real
// probe: both modes, adding and removing titles, the layout on a background's
// points and in the overflow row, moving and resizing by the mouse with the
// design area's limits, the title text, the gauge, the background list and
// the user's own picture, where Next leads, and the chapter pages freed at exit.
#include "designerfixture.h"
#include "fakerunwindows.h"

#include "app/startup.h"
#include "shell/qv_videodvdauthorform.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivfontcombobox.h"
#include "skin/kivprogressbar.h"
#include "skin/kivtrackbar.h"
#include "vcl/timer.h"

#include <cmath>

namespace {

std::vector<std::string> Captions(const TQV_Video_DVD_Setup_DVD_Menu_Form& form)
{
    std::vector<std::string> captions;
    for (const TLabel* label : form.TitleLabels) captions.push_back(label ? label->Caption() : "<null>");
    return captions;
}

} // namespace

// --- the two modes -------------------------------------------------------------------------------
TEST_F(DesignerTest, ClipListModeTurnsTheClipsIntoTitleButtonsOnTheFirstBackground)
{
    UseBackgrounds({{"One", {{40, 90}, {183, 90}}}, {"Two", {{10, 10}}}});
    MakeDesigner();
    MakeClip("Holiday.avi", 60);
    MakeClip("Garden.party.mpg", 30);
    MakeClip("Birthday.avi", 10);
    designer->SetSelectedClipIndex(1);
    ASSERT_TRUE(designer->InitMenuDesigner(true));

    EXPECT_FALSE(designer->kivImageButton_AddVOB->Visible());
    EXPECT_FALSE(designer->kivImageButton_DeleteVOB->Visible());
    EXPECT_TRUE(designer->kivImageButton_Next->Default());
    EXPECT_EQ(designer->kivImageButton_Back->ModalResult(), 4);
    EXPECT_EQ(designer->kivImageButton_Next->ModalResult(), 0);
    EXPECT_EQ(designer->kivImageButton_Exit->ModalResult(), 3);
    for (std::int64_t i = 0; i < 3; ++i) {
        TQV_MovieImage* clip = MyMovieImage[i];
        EXPECT_EQ(clip->Parent(), designer->kivImagePanel_Preview);
        EXPECT_TRUE(clip->MenuButtonMode);
        EXPECT_EQ(clip->Cursor(), crHandPoint);
        EXPECT_TRUE(clip->OnMouseDown && clip->OnMouseMove && clip->OnMouseUp && clip->OnDblClick && clip->OnClick);
    }
    EXPECT_EQ(Captions(*designer), (std::vector<std::string>{"Holiday", "Garden.party", "Birthday"}));
    // Two points, then the overflow row.
    EXPECT_EQ(MyMovieImage[0]->BoundsRect(), Rect(40, 90, 141, 166));
    EXPECT_EQ(MyMovieImage[1]->BoundsRect(), Rect(183, 90, 284, 166));
    EXPECT_EQ(MyMovieImage[2]->BoundsRect(), Rect(20, 216, 121, 292));
    EXPECT_EQ(designer->SelectedBackground, 0);
    EXPECT_EQ(designer->Label_Title->Caption(), "My Title");
    EXPECT_EQ(designer->kivComboBox_Language->ItemIndex(), 1);

    // Back asks for the clips again, the close button ends the step; nothing is written.
    EXPECT_EQ(ShowDesigner([&] {
                  EXPECT_EQ(designer->SelectedIndex, 1);
                  EXPECT_TRUE(MyMovieImage[1]->Selected);
                  headless->ClickControl(*designer->kivImageButton_Back);
              }),
              4);
    EXPECT_EQ(ShowDesigner([&] { headless->ClickControl(*designer->kivImageButton_Exit); }), 3);
    EXPECT_FALSE(FileExists(program_ + "RES/backbitmap_P.bmp"));
}

TEST_F(DesignerTest, MenuOnlyModeStartsEmptyAndBackCloses)
{
    MakeDesigner();
    MakeClip("left over.avi", 10);
    designer->kivProgressBar->SetPosition(40);
    ASSERT_TRUE(designer->InitMenuDesigner(false));
    EXPECT_TRUE(MyMovieImage.empty());
    EXPECT_EQ(OldMovieImage, nullptr);
    EXPECT_TRUE(designer->TitleLabels.empty());
    EXPECT_TRUE(designer->kivImageButton_AddVOB->Visible());
    EXPECT_TRUE(designer->kivImageButton_AddVOB->Default());
    EXPECT_EQ(designer->kivImageButton_Back->ModalResult(), 0);
    EXPECT_EQ(designer->kivImageButton_Next->ModalResult(), 0);
    EXPECT_EQ(designer->kivProgressBar->Position(), 0);
    EXPECT_EQ(ShowDesigner([&] { headless->ClickControl(*designer->kivImageButton_Back); }), mrCancel);
}

// --- adding and removing titles -----------------------------------------------------------------
TEST_F(DesignerTest, VobFilesBecomeTitlesThroughTheProbeAndAFailureIsDropped)
{
    MakeDesigner();
    designer->InitMenuDesigner(false);
    testkit::ClipSpec spec;
    spec.video = testkit::VideoCodec::Mpeg2;
    spec.seconds = 2;
    spec.container = "vob";
    const std::string first = media() + "first.vob", second = media() + "Second.VOB", bad = media() + "bad.vob";
    testkit::WriteClip(first, spec);
    testkit::WriteClip(second, spec);
    Write(bad, "not a video");
    auto add = [&](const std::string& file) {
        ScriptedDialogs().AnswerFiles({file});
        headless->ClickControl(*designer->kivImageButton_AddVOB);
        // One probe at a time: the window is disabled while a probe runs. A probe of a
        // file that is no video may be over before the click returns.
        bool disabledWhileProbing = true;
        ASSERT_TRUE(PumpUntil([&] {
            if (designer->FileLoader) disabledWhileProbing = disabledWhileProbing && !designer->Enabled();
            return !designer->FileLoader;
        }));
        EXPECT_TRUE(disabledWhileProbing);
        EXPECT_TRUE(designer->Enabled());
    };
    ShowDesigner([&] {
        add(first);
        add(bad);
        add(second);
    });
    ASSERT_EQ(MyMovieImage.Length(), 2);
    EXPECT_EQ(Captions(*designer), (std::vector<std::string>{"first", "Second"}));
    EXPECT_EQ(MyMovieImage[1]->ClipIndex, 1);
    EXPECT_EQ(MyMovieImage[0]->Parent(), designer->kivImagePanel_Preview);
    EXPECT_EQ(OldMovieImage, MyMovieImage[0]);   // the first title is selected
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, "Can not load this file");
    ASSERT_EQ(ScriptedDialogs().Requests().back().file.Filters.size(), 1u);
    EXPECT_EQ(ScriptedDialogs().Requests().back().file.Filters[0].Text, "VOB File (*.vob,*.VOB)");

    // A probe's word after the window closed changes nothing.
    PostMessage(designer->Handle(), MSG_LOAD_READY, 2, 3);
    PostMessage(designer->Handle(), MSG_LOAD_FAILED, 1, 2);
    app->ProcessMessages();
    EXPECT_EQ(MyMovieImage.Length(), 2);
    EXPECT_EQ(headless->MessageBoxes().size(), 1u);
}

TEST_F(DesignerTest, RemovingATitleMovesTheLaterOnesDownAndSelectsInItsPlace)
{
    UseBackgrounds({{"Four", {{40, 90}, {183, 90}, {326, 90}, {40, 212}}}});
    MakeDesigner();
    for (const char* name : {"a.vob", "b.vob", "c.vob", "d.vob"}) MakeClip(name, 3000);
    designer->InitMenuDesigner(true);
    designer->SelectTitle(MyMovieImage[1]);
    designer->kivImageButton_DeleteVOBClick(nullptr);
    ASSERT_EQ(MyMovieImage.Length(), 3);
    EXPECT_EQ(Captions(*designer), (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_EQ(MyMovieImage[1]->ClipIndex, 1);
    EXPECT_EQ(MyMovieImage[2]->ClipIndex, 2);
    EXPECT_EQ(designer->SelectedIndex, 1);
    EXPECT_EQ(OldMovieImage, MyMovieImage[1]);
    // Laid out again on the points: c takes b's place.
    EXPECT_EQ(MyMovieImage[1]->Left(), 183);
    // Three 3000 s titles: 4500 MB, past the disc; the box says so.
    EXPECT_EQ(designer->kivProgressBar->Position(), 100);
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, "Exceeding the DVD media limite size, can not burn to one disc!");

    designer->SelectTitle(MyMovieImage[2]);
    designer->kivImageButton_DeleteVOBClick(nullptr);
    EXPECT_EQ(OldMovieImage, MyMovieImage[1]);   // the new last one
    EXPECT_EQ(designer->kivProgressBar->Position(), 69);   // 6000 s: 3000 MB
    designer->kivImageButton_DeleteVOBClick(nullptr);
    designer->kivImageButton_DeleteVOBClick(nullptr);
    EXPECT_TRUE(MyMovieImage.empty());
    EXPECT_EQ(designer->SelectedIndex, -1);
    designer->kivImageButton_DeleteVOBClick(nullptr);   // nothing left: nothing happens
}

TEST(MenuSizeGauge, HalfMegabyteASecondAgainst4300RoundingHalvesToEven)
{
    bool full = true;
    EXPECT_EQ(MenuSizeGaugePosition({}, &full), 0);
    EXPECT_FALSE(full);
    EXPECT_EQ(MenuSizeGaugePosition({860}), 10);
    // 0.5 rounds to 0, 1.5 + 0 to 2, 2.5 + 2 = 4.5 to 4.
    EXPECT_EQ(MenuSizeGaugePosition({0.5, 1.5, 2.5, 8594}), MenuSizeGaugePosition({8598}));
    EXPECT_EQ(MenuSizeGaugePosition({8598.5}, &full), 99);   // 8598 s
    EXPECT_FALSE(full);
    EXPECT_EQ(MenuSizeGaugePosition({8599.5}, &full), 100);  // 8600 s: 4300 MB
    EXPECT_TRUE(full);
    EXPECT_EQ(MenuSizeGaugePosition(std::vector<double>{-5, std::nan(""), 1e300}, &full), 100);
}

// --- the layout and the mouse ------------------------------------------------------------------
TEST_F(DesignerTest, TitlesBeyondThePointsGoToTheOverflowRowUpToLeft360AndOffPictureOnesMoveIn)
{
    UseBackgrounds({{"Two", {{40, 90}, {500, 400}}}});
    MakeDesigner();
    for (int i = 0; i < 12; ++i) MakeClip(Format("t%d.vob", i), 10);
    designer->InitMenuDesigner(true);
    // The second point would put the button past the picture: it is moved in (a deliberate
    // deviation from placing titles on the points as they stand; on the picture they do).
    EXPECT_EQ(MyMovieImage[1]->BoundsRect(), Rect(458 - 101, 352 - designer->CornerPictureHeight - 76, 458,
                                                  352 - designer->CornerPictureHeight));
    std::vector<int> lefts;
    for (std::int64_t i = 2; i < 12; ++i) {
        EXPECT_EQ(MyMovieImage[i]->Top(), 216);
        lefts.push_back(MyMovieImage[i]->Left());
    }
    // The row's last place is 360 (the tenth and later overflow titles all sit there):
    // a 101-wide button there ends at 461, still on the 468-wide picture.
    EXPECT_EQ(lefts, (std::vector<int>{20, 60, 100, 140, 180, 220, 260, 300, 340, 360}));
    // Each caption sits 3 under its button, centred on it.
    for (std::int64_t i = 0; i < 12; ++i) {
        const TQV_MovieImage& b = *MyMovieImage[i];
        const TLabel& l = *designer->TitleLabels[static_cast<std::size_t>(i)];
        EXPECT_EQ(l.Top(), b.Top() + b.Height() + 3);
        EXPECT_EQ(l.Left(), b.Left() + (b.Width() - l.Width()) / 2);
    }
}

TEST_F(DesignerTest, TheMouseMovesAndResizesButtonsWithinTheirLimits)
{
    UseBackgrounds({{"Two", {{40, 90}, {200, 90}}}});
    MakeDesigner();
    MakeClip("a.vob", 10);
    MakeClip("b.vob", 10);
    designer->InitMenuDesigner(true);
    const int bottomLimit = 352 - designer->CornerPictureHeight;
    TQV_MovieImage& a = *MyMovieImage[0];
    TQV_MovieImage& b = *MyMovieImage[1];
    ShowDesigner([&] {
        // Hover zones: near the top or bottom edge, near a side, inside.
        Move(40 + 50, 90 + 2);
        EXPECT_EQ(a.Cursor(), crSizeNS);
        Move(40 + 50, 90 + 74);
        EXPECT_EQ(a.Cursor(), crSizeNS);
        Move(40 + 2, 90 + 30);
        EXPECT_EQ(a.Cursor(), crSizeWE);
        Move(40 + 99, 90 + 30);
        EXPECT_EQ(a.Cursor(), crSizeWE);
        Move(40 + 50, 90 + 30);
        EXPECT_EQ(a.Cursor(), crHandPoint);

        // Moving: the button and its caption follow the mouse; a click selects it after.
        Drag(90, 120, 30, 20);
        EXPECT_EQ(a.BoundsRect(), Rect(70, 110, 171, 186));
        EXPECT_EQ(designer->TitleLabels[0]->Top(), 189);
        EXPECT_EQ(OldMovieImage, &a);

        // The unselected button dragged far to the bottom right is kept in the area, not the selected one.
        Move(250, 120);
        Drag(250, 120, 400, 400);
        EXPECT_EQ(b.BoundsRect(), Rect(458 - 101, bottomLimit - 76, 458, bottomLimit));
        EXPECT_EQ(a.BoundsRect(), Rect(70, 110, 171, 186));
        // And to the top left.
        Move(b.Left() + 50, b.Top() + 30);
        Drag(b.Left() + 50, b.Top() + 30, -600, -600);
        EXPECT_EQ(b.BoundsRect().TopLeft(), (TPoint{10, 10}));

        // Resizing the bottom edge: at most 210 high; the top edge: at least 42, the bottom edge stays.
        Move(120, 110 + 74);
        ASSERT_EQ(a.Cursor(), crSizeNS);
        Drag(120, 110 + 74, 0, 300);
        EXPECT_EQ(a.Height(), 210);
        EXPECT_EQ(a.Top(), 110);
        EXPECT_EQ(a.Tile->Height(), 210);   // the tile is made again at the new size
        Move(120, 110 + 2);
        ASSERT_EQ(a.Cursor(), crSizeNS);
        Drag(120, 110 + 2, 0, 400);
        EXPECT_EQ(a.Height(), 42);
        EXPECT_EQ(a.Top() + a.Height(), 110 + 210);
        // The right edge: at most 280 wide; the left edge: at least 56, the right edge stays.
        Move(70 + 99, a.Top() + 20);
        ASSERT_EQ(a.Cursor(), crSizeWE);
        Drag(70 + 99, a.Top() + 20, 500, 0);
        EXPECT_EQ(a.Width(), 280);
        EXPECT_EQ(a.Left(), 70);
        Move(72, a.Top() + 20);
        ASSERT_EQ(a.Cursor(), crSizeWE);
        Drag(72, a.Top() + 20, 600, 0);
        EXPECT_EQ(a.Width(), 56);
        EXPECT_EQ(a.Left() + a.Width(), 350);
        // Past the area's edge the resized button is kept inside.
        Move(a.Left() + 54, a.Top() + 20);
        ASSERT_EQ(a.Cursor(), crSizeWE);
        Drag(a.Left() + 54, a.Top() + 20, 200, 0);
        EXPECT_EQ(a.Width(), 256);
        EXPECT_EQ(a.Left() + a.Width(), 458);
    });
}

TEST_F(DesignerTest, TheTitleTextIsDraggedWithinTheAreaAndSizedByItsCaption)
{
    MakeDesigner();
    designer->InitMenuDesigner(false);
    TLabel& title = *designer->Label_Title;
    EXPECT_EQ(title.Width(), 8 * title.Font()->Size());   // "My Title"
    ShowDesigner([&] {
        Drag(title.Left() + 5, title.Top() + 5, 900, 900);
        EXPECT_EQ(title.Left() + title.Width(), 458);
        EXPECT_EQ(title.Top() + title.Height(), 352 - designer->CornerPictureHeight);
        Drag(title.Left() + 5, title.Top() + 5, -900, -900);
        EXPECT_EQ(title.BoundsRect().TopLeft(), (TPoint{10, 10}));
        Drag(title.Left() + 5, title.Top() + 5, 40, 30);
        EXPECT_EQ(title.BoundsRect().TopLeft(), (TPoint{50, 40}));
    });
}

TEST_F(DesignerTest, TheTextDialogChangesTheTitleOnlyOnOk)
{
    MakeDesigner();
    designer->InitMenuDesigner(false);
    TLabel& title = *designer->Label_Title;
    TQV_Video_DVD_Text_Property_Form& dialog = *QV_Video_DVD_Text_Property_Form;
    const TPoint at = At(title.Left() + 5, title.Top() + 5);
    auto edit = [&](int button) {
        headless->OnNextModal([&, button](TCustomForm& shown) {
            EXPECT_EQ(&shown, &dialog);
            EXPECT_EQ(dialog.kivEdit_Sample->Text(), title.Caption());
            headless->ClickControl(*dialog.kivEdit_Sample);
            dialog.kivEdit_Sample->SetText("Our summer");
            dialog.kivFontSizeComboBox->SetFontSize(36);
            dialog.kivFontSizeComboBoxChange(nullptr);
            TkivImageButton* buttons[3] = {dialog.kivImageButton2, dialog.kivImageButton1, dialog.kivImageButton_Close};
            headless->ClickControl(*buttons[button]);
        });
        headless->DoubleClick(*designer, at.X, at.Y);
        headless->MouseUp(*designer, at.X, at.Y);
    };
    ShowDesigner([&] {
        edit(1);   // the second button: 7
        EXPECT_EQ(dialog.ModalResult(), 7);
        EXPECT_EQ(title.Caption(), "My Title");
        edit(2);   // the close button: 2
        EXPECT_EQ(dialog.ModalResult(), 2);
        EXPECT_EQ(title.Caption(), "My Title");
        edit(0);   // OK: 1
        EXPECT_EQ(dialog.ModalResult(), 1);
        EXPECT_EQ(title.Caption(), "Our summer");
        EXPECT_EQ(title.Font()->Size(), 36);
        EXPECT_EQ(title.Width(), 10 * 36);
        EXPECT_FALSE(designer->TitleTextDragging);
    });
}

// --- backgrounds ----------------------------------------------------------------------------
TEST(BackgroundList, NumbersAreReadFromTheirColumnsLeniently)
{
    const std::vector<std::string> lines = {
        "Background pictures =          2  junk",
        "not read",
        "  Sea  ",
        "Point count :          3",
        "Top   :   90  +91  -12x 999",
        "Left  :   40  183  326",
        "not read",
        "Hills",
        "Point count :       2",
        "Top   :  7",
        "Left  :  8   9",
    };
    const std::vector<BackgroundProperty> list = ParseBackgroundList(lines);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Name, "Sea");
    ASSERT_EQ(list[0].PointCount, 3);
    EXPECT_EQ(list[0].Points, (std::vector<TPoint>{{40, 90}, {183, 91}, {326, -12}}));
    // The second picture promises two points; its Top line holds one.
    EXPECT_EQ(list[1].Name, "Hills");
    EXPECT_EQ(list[1].Points, (std::vector<TPoint>{{8, 7}}));
    EXPECT_EQ(list[1].PointCount, 1);

    EXPECT_EQ(LenientInt("  -42abc"), -42);
    EXPECT_EQ(LenientInt("x1"), 0);
    EXPECT_EQ(LenientInt(""), 0);
    EXPECT_EQ(LenientInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(LenientInt("-99999999999999999999"), -2147483647 - 1);
}

TEST(BackgroundList, ShortFilesAndAbsurdCountsAreReadForWhatTheyHold)
{
    EXPECT_TRUE(ParseBackgroundList({}).empty());
    EXPECT_TRUE(ParseBackgroundList({"Background pictures =          5"}).empty());
    EXPECT_TRUE(ParseBackgroundList({"Background pictures =         -3", "", "Sea"}).empty());
    const auto one = ParseBackgroundList({"Background pictures = 2147483647", "", "Sea",
                                          "Point count :  999999999", "Top   :   10", "Left  :   20"});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].Points, (std::vector<TPoint>{{20, 10}}));
    // A name with nothing after it: a picture without points.
    const auto bare = ParseBackgroundList({"Background pictures =          9", "", "Sea"});
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_TRUE(bare[0].Points.empty());
}

TEST_F(DesignerTest, ThumbnailsScrollAndAMissingPictureLeavesItsThumbnailEmpty)
{
    UseBackgrounds({{"P0", {}, clRed, false}, {"P1", {{30, 40}}, clLime}, {"P2", {}}, {"P3", {}}, {"P4", {}},
                    {"P5", {}}});
    MakeDesigner();
    ASSERT_EQ(designer->BackgroundThumbnails.size(), 6u);
    EXPECT_EQ(designer->BackgroundCount, 6);
    EXPECT_EQ(designer->kivTrackBar_Image->Max(), 2);
    EXPECT_TRUE(designer->BackgroundThumbnails[0]->Picture()->Graphic() == nullptr ||
                designer->BackgroundThumbnails[0]->Picture()->Graphic()->Empty());
    // The first picture that loads is chosen, with no box.
    EXPECT_EQ(designer->SelectedBackground, 1);
    EXPECT_TRUE(headless->MessageBoxes().empty());
    for (int k = 0; k < 6; ++k) EXPECT_EQ(designer->BackgroundThumbnails[k]->Top(), 30 + 120 * k);
    designer->kivTrackBar_Image->SetPosition(2);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(designer->BackgroundThumbnails[k]->Top(), k < 2 ? 510 : 30 + 120 * (k - 2));

    // A click on a thumbnail chooses it and lays the titles out on its points.
    MakeClip("a.vob", 10);
    designer->InitMenuDesigner(true);
    EXPECT_EQ(MyMovieImage[0]->BoundsRect().TopLeft(), (TPoint{30, 40}));
    designer->ThumbnailClick(designer->BackgroundThumbnails[3]);
    EXPECT_EQ(designer->SelectedBackground, 3);
    EXPECT_EQ(MyMovieImage[0]->BoundsRect().TopLeft(), (TPoint{20, 216}));
    EXPECT_NE(designer->BackgroundFile.find("P3.jpg"), std::string::npos);
}

TEST_F(DesignerTest, NoLoadablePictureGivesTheBoxButStartsTheWindow)
{
    UseBackgrounds({{"Gone", {}, clRed, false}});
    MakeDesigner();
    EXPECT_EQ(designer->SelectedBackground, -1);
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, "Can not load background picture.\nPlease reinstall software to fix it!");
}

TEST_F(DesignerTest, TheUsersOwnPictureIsCheckedBeforeItReplacesTheBackground)
{
    UseBackgrounds({{"Blue", {}, clBlue}});
    MakeDesigner();
    designer->InitMenuDesigner(false);
    ASSERT_EQ(designer->SelectedBackground, 0);
    auto choose = [&](const std::string& file) {
        ScriptedDialogs().AnswerFiles({file});
        designer->kivImageButton_LoadImageClick(nullptr);
    };
    // Written by ImageMagick, named in mixed case: read as a bitmap.
    const std::string photo = media() + "photo.Bmp";
    ASSERT_EQ(std::system(("convert -size 300x200 xc:'rgb(255,0,0)' BMP3:'" + media() + "photo.tmp' && mv '" +
                           media() + "photo.tmp' '" + photo + "'").c_str()),
              0);
    choose(photo);
    ASSERT_EQ(ScriptedDialogs().Requests().back().file.Filters.size(), 3u);
    EXPECT_EQ(ScriptedDialogs().Requests().back().file.Filters[1].Text, "Bitmap File (*.bmp,*.BMP)");
    EXPECT_EQ(designer->SelectedBackground, -1);
    EXPECT_EQ(designer->BackgroundFile, photo);
    EXPECT_EQ(designer->Label_BackGround->Caption(), photo);
    EXPECT_EQ(designer->BackgroundPicture->Width(), 300);
    EXPECT_EQ(designer->BackgroundPicture->Pixel(5, 5), clRed);

    // Damaged, a JPEG named .bmp, past the size limit: the box, and nothing changes.
    Write(media() + "broken.jpg", "\xFF\xD8\xFF garbage");
    ASSERT_EQ(std::system(("convert -size 20x10 xc:white JPEG:'" + media() + "wrong.bmp'").c_str()), 0);
    ASSERT_EQ(std::system(("convert -size 8193x2 xc:white BMP3:'" + media() + "huge.tmp' && mv '" + media() +
                           "huge.tmp' '" + media() + "huge.bmp'").c_str()),
              0);
    for (const char* bad : {"broken.jpg", "wrong.bmp", "huge.bmp"}) {
        const std::size_t boxes = headless->MessageBoxes().size();
        choose(media() + bad);
        ASSERT_EQ(headless->MessageBoxes().size(), boxes + 1) << bad;
        EXPECT_EQ(headless->MessageBoxes().back().text, "Can not load this bitmap file.Please reinstall...");
        EXPECT_EQ(designer->BackgroundFile, photo);
        EXPECT_EQ(designer->BackgroundPicture->Width(), 300);
    }
}

// --- Next -----------------------------------------------------------------------------------
TEST_F(DesignerTest, NextInMenuOnlyModeWritesTheTitleMenuAndHandsOverToTheConvertWindow)
{
    auto* run = new TFakeRunWindows(app.get(), kConvertProcessWindowName);
    MakeDesigner();
    designer->InitMenuDesigner(false);
    ShowDesigner([&] {
        run->initOk = false;
        headless->ClickControl(*designer->kivImageButton_Next);
        ASSERT_EQ(headless->MessageBoxes().size(), 1u);
        EXPECT_EQ(headless->MessageBoxes()[0].text, "Can not initialize convert system!");
        EXPECT_FALSE(FileExists(program_ + "RES/backbitmap_P.bmp"));
        run->initOk = true;
        designer->kivComboBox_Language->SetItemIndex(0);
        headless->ClickControl(*designer->kivImageButton_Next);   // no titles: the menu is still written
        designer->SetModalResult(mrCancel);
    });
    EXPECT_EQ(run->calls, (std::vector<std::string>{"convert init 1 0", "convert init 1 0", "convert author only 0",
                                                    "convert show"}));
    for (const char* file : {"backbitmap_P.bmp", "backbitmap_N.bmp", "highlight_P.png", "select_N.png", "Menu_P.xml"})
        EXPECT_TRUE(FileExists(program_ + "RES/" + file)) << file;
}

TEST_F(DesignerTest, NextInClipListModeHandsOverToTheDiscBuilderAndAWriterFailureStopsIt)
{
    auto* run = new TFakeRunWindows(app.get(), kDiscBuilderWindowName);
    MakeDesigner();
    MakeClip("a.avi", 10);
    designer->InitMenuDesigner(true);
    // RES cannot be made: a file stands in its place.
    DeleteFolderFiles(program_ + "RES/", false);
    std::filesystem::remove_all(program_ + "RES");
    Write(program_ + "RES", "in the way");
    ShowDesigner([&] {
        headless->ClickControl(*designer->kivImageButton_Next);
        ASSERT_EQ(headless->MessageBoxes().size(), 1u);
        EXPECT_NE(headless->MessageBoxes()[0].text.find(program_ + "RES/"), std::string::npos);
        std::filesystem::remove(program_ + "RES");
        headless->ClickControl(*designer->kivImageButton_Next);
        designer->SetModalResult(mrCancel);
    });
    EXPECT_EQ(run->calls, (std::vector<std::string>{"builder init 0", "builder init 0", "builder menu 1",
                                                    "builder show"}));
    EXPECT_TRUE(FileExists(program_ + "RES/Menu_N.xml"));
}

TEST_F(DesignerTest, WithoutARunWindowNextSaysItIsNotAvailable)
{
    MakeDesigner();
    designer->InitMenuDesigner(false);
    ShowDesigner([&] { headless->ClickControl(*designer->kivImageButton_Next); });
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, kTaskNotAvailableText);
}

TEST_F(DesignerTest, TheStartUpMakesTheDesignerAndItsTextDialogInTheirPlaces)
{
    for (const StartupWindow& window : StartupWindows())
        if (window.name == kMenuDesignerWindowName || window.name == "QV_Video_DVD_Text_Property_Form") {
            ASSERT_TRUE(window.create) << window.name;
            window.create(*app);
        }
    ASSERT_NE(QV_Video_DVD_Setup_DVD_Menu_Form, nullptr);
    ASSERT_NE(QV_Video_DVD_Text_Property_Form, nullptr);
    designer = QV_Video_DVD_Setup_DVD_Menu_Form;
    // The task chains find the designer by its name as their steps.
    EXPECT_EQ(FindTaskWindow<MenuDesignerSteps>(kMenuDesignerWindowName), designer);
}

TEST_F(DesignerTest, AtExitTheDesignerFreesItsChapterPagesBeforeTheProjectDataGoes)
{
    // A page background that counts its own freeing.
    struct CountedBitmap : TBitmap {
        explicit CountedBitmap(int& freed) : TBitmap(8, 8, pf24bit), freed_(freed) {}
        ~CountedBitmap() override { ++freed_; }
        int& freed_;
    };
    int freed = 0;
    // The start-up makes every window itself, the source clips window too.
    form->Free();
    form = nullptr;
    QV_Video_DVD_Setup_Source_Clips_Form = nullptr;
    TTimer exitLater(nullptr);
    exitLater.SetInterval(3000);
    exitLater.OnTimer = [&](TObject*) {
        exitLater.SetEnabled(false);
        ASSERT_NE(QV_Video_DVD_Setup_DVD_Menu_Form, nullptr);
        MyDVDChapter.SetLength(1);
        MyDVDChapter[0].PageBackground = new CountedBitmap(freed);
        ASSERT_NE(QV_Video_DVD_Author_Form, nullptr);
        QV_Video_DVD_Author_Form->Button_ExitClick(nullptr);
    };
    EXPECT_EQ(RunStartup(*app), 0);
    for (const auto& box : headless->MessageBoxes()) ADD_FAILURE() << box.text;
    EXPECT_EQ(freed, 1);
}

TEST_F(DesignerTest, ATitleIsPlayedAndEditedInTheClipPropertyDialog)
{
    MakeDesigner();
    designer->InitMenuDesigner(false);
    const std::string vob = WriteVob("Holiday.vob", 3);
    TQV_Video_DVD_Clip_Property_Form& dialog = *QV_Video_DVD_Clip_Property_Form;
    ShowDesigner([&] {
        AddVobTitle(vob);
        ASSERT_EQ(MyMovieImage.Length(), 1);
        TQV_MovieImage& title = *MyMovieImage[0];

        // Play runs the selected title's preview over the design area; Stop ends it.
        headless->ClickControl(*designer->kivImageButton_Preview);
        ASSERT_NE(GRAPH, nullptr);
        EXPECT_TRUE(PumpUntil([&] { return designer->kivImagePanel_Preview->HasFrame(); }));
        EXPECT_FALSE(title.Visible());   // the video has the whole area
        EXPECT_FALSE(designer->Label_Title->Visible());
        headless->ClickControl(*designer->kivImageButton_Stop);
        EXPECT_EQ(GRAPH, nullptr);
        EXPECT_TRUE(title.Visible());
        EXPECT_TRUE(designer->Label_Title->Visible());
        EXPECT_FALSE(designer->kivImagePanel_Preview->HasFrame());

        // A double click opens the dialog on the title's clip with its caption; OK takes the new caption.
        const TPoint at = At(title.Left() + 50, title.Top() + 38);
        headless->OnNextModal([&](TCustomForm& shown) {
            EXPECT_EQ(&shown, &dialog);
            EXPECT_TRUE(dialog.PreviewOpen);
            EXPECT_TRUE(dialog.kivEdit_Text->Visible());
            EXPECT_EQ(dialog.kivEdit_Text->Text(), "Holiday");
            dialog.kivEdit_Text->SetText("Our holiday");
            headless->ClickControl(*dialog.kivImageButton_Ok);
        });
        headless->MouseMove(*designer, at.X, at.Y);
        headless->DoubleClick(*designer, at.X, at.Y);
        headless->MouseUp(*designer, at.X, at.Y);
        EXPECT_EQ(designer->TitleLabels[0]->Caption(), "Our holiday");
        EXPECT_FALSE(dialog.PreviewOpen);   // closed in every case
        EXPECT_EQ(GRAPH, nullptr);
        // The double click's own press starts no drag; the next press does.
        const TRect before = title.BoundsRect();
        EXPECT_FALSE(title.Dragging);
        Move(title.Left() + 80, title.Top() + 60);
        EXPECT_EQ(title.BoundsRect(), before);
        Drag(title.Left() + 50, title.Top() + 38, 30, 30);
        EXPECT_EQ(title.Left(), before.Left + 30);
    });
}
