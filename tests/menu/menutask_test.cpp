// The menu designer as a user meets it in the program's tasks, through its real
// windows: in the menu-creator task a title added on the user's own background
// leaves the titles placed by hand where they are, and a long clip name's
// caption stays whole on the menu; in the disc-build task a background chosen
// while a chapter page is shown (a shipped one or the user's own picture)
// becomes that page's only, and Next writes it as that page's still; clips
// whose pixels are not square keep their shape in every thumbnail and still.
#include "programtask.h"
#include "testmedia.h"

#include "base/dvdchapter.h"
#include "base/qv_movieimage.h"
#include "menu/backgroundlist.h"
#include "menu/menumodel.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/jpeg.h"
#include "skin/kivbutton.h"
#include "skin/kivimagepanel.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

#include <fstream>
#include <iterator>

namespace {

// The user's own picture: one colour no shipped background has, kept exactly by a Windows bitmap.
constexpr TColor kOwnColour = RGB(150, 40, 90);

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Pixels of `r` in `picture` that are not `colour`.
int CountNot(const TBitmap& picture, const TRect& r, TColor colour)
{
    int n = 0;
    for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, picture.Height()); ++y)
        for (int x = std::max(r.Left, 0); x < std::min(r.Right, picture.Width()); ++x)
            n += picture.Pixel(x, y) != colour;
    return n;
}

// A picture as the designer shows it: stretched pixel for pixel onto the design area.
TBitmap AsShown(TBitmap& picture)
{
    TBitmap shown(kDesignWidth, kDesignHeight, pf24bit);
    shown.Canvas()->StretchDraw(Rect(0, 0, kDesignWidth, kDesignHeight), picture);
    return shown;
}

bool SamePicture(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); y += 7)
        for (int x = 0; x < a.Width(); x += 7)
            if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
}

// The light disc of an ffmpeg-made round-disc clip within `r` of a picture: its
// width over its height in the picture's pixels, and its centre from the rectangle's.
outsidetest::DiscSpread DiscIn(const TBitmap& picture, const TRect& r)
{
    outsidetest::DiscSpread disc = outsidetest::MeasureDisc(
        [&](int x, int y) {
            const TColor c = picture.Pixel(r.Left + x, r.Top + y);
            return static_cast<int>((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3);
        },
        std::min(r.Width(), picture.Width() - r.Left), std::min(r.Height(), picture.Height() - r.Top));
    disc.x -= (r.Width() - 1) / 2.0;
    disc.y -= (r.Height() - 1) / 2.0;
    return disc;
}

// The disc within `r` is round within `tolerance` and in the middle.
void ExpectRound(const TBitmap& picture, const TRect& r, double tolerance, const std::string& what)
{
    const outsidetest::DiscSpread disc = DiscIn(picture, r);
    EXPECT_GT(disc.pixels, 400) << what;
    EXPECT_NEAR(disc.shape, 1.0, tolerance) << what << ": the round disc is drawn this much wider than high";
    EXPECT_LE(std::abs(disc.x), 1.5) << what;
    EXPECT_LE(std::abs(disc.y), 1.5) << what;
}

TRect Whole(const TBitmap& picture) { return Rect(0, 0, picture.Width(), picture.Height()); }

class MenuTaskTest : public ProgramTaskTest {
protected:
    TQV_Video_DVD_Setup_DVD_Menu_Form& Designer()
    {
        return task_->Window<TQV_Video_DVD_Setup_DVD_Menu_Form>(kMenuDesignerWindowName);
    }
    TQV_Video_DVD_Author_Form& MainWindow() { return task_->Window<TQV_Video_DVD_Author_Form>("QV_Video_DVD_Author_Form"); }

    std::string OwnPicture()
    {
        TBitmap picture(320, 240, pf24bit);
        picture.Canvas()->Brush()->SetColor(kOwnColour);
        picture.Canvas()->FillRect(Rect(0, 0, 320, 240));
        const std::string path = media_ + "My photo.bmp";
        picture.SaveToFile(path);
        return path;
    }
    // An MPEG-2 VOB as the menu-creator task takes its titles.
    std::string Vob(const std::string& name, double seconds)
    {
        testkit::ClipSpec spec;
        spec.video = testkit::VideoCodec::Mpeg2;
        spec.width = 160;
        spec.height = 120;
        spec.seconds = seconds;
        spec.container = "vob";
        testkit::WriteClip(media_ + name, spec);
        return media_ + name;
    }
    // Add in the menu-creator task: the file chosen, the probe waited for.
    void AddTitle(const std::string& vob)
    {
        TQV_Video_DVD_Setup_DVD_Menu_Form& designer = Designer();
        task_->Step("designer: Add " + vob);
        task_->AnswerFiles({vob});
        task_->Click(*designer.kivImageButton_AddVOB);
        ASSERT_TRUE(task_->PumpUntil([&] { return !designer.FileLoader; }, 120));
    }
    // The title's caption lies wholly on the picture.
    static void ExpectOnPicture(const TLabel& caption)
    {
        EXPECT_GE(caption.Left(), 0) << caption.Caption();
        EXPECT_LE(caption.Left() + caption.Width(), kDesignWidth) << caption.Caption();
        EXPECT_GE(caption.Top(), 0) << caption.Caption();
        EXPECT_LE(caption.Top() + caption.Height(), kDesignHeight) << caption.Caption();
    }
    std::string Res(const std::string& name) const { return program_ + "RES/" + name; }
};

TEST_F(MenuTaskTest, AddingATitleOnTheUsersOwnPictureKeepsThePlacedTitlesAndLongCaptionsStayOnTheMenu)
{
    const std::string photo = OwnPicture();
    const std::string longName = "my clip & <friends> \"quoted\" 'x'";
    const std::string first = Vob(longName + ".vob", 2), second = Vob("Second.vob", 1);
    TQV_Video_DVD_Setup_DVD_Menu_Form& designer = Designer();
    TQV_Video_DVD_Author_Form& main = MainWindow();
    int captionLeft = -1, captionTop = -1;
    main.Show();
    task_->OnNextModal([&](TCustomForm& shown) {
        ASSERT_EQ(&shown, &designer);
        task_->Step("designer: own picture");
        task_->AnswerFiles({photo});
        task_->Click(*designer.kivImageButton_LoadImage);
        ASSERT_EQ(designer.SelectedBackground, -1);

        // The first title takes the row under the menu; its long caption, centred under
        // it, would start left of the picture: it starts at the picture's edge instead (a
        // deliberate deviation from centring, which would cut its first letters).
        AddTitle(first);
        ASSERT_EQ(MyMovieImage.Length(), 1);
        TQV_MovieImage& one = *MyMovieImage[0];
        const TLabel& caption = *designer.TitleLabels[0];
        EXPECT_EQ(one.BoundsRect(), Bounds(20, 216, 101, 76));
        EXPECT_EQ(caption.Caption(), longName);
        {
            // Shown as written: "&" is one of its letters, not an accelerator mark.
            TBitmap measure(1, 1, pf24bit);
            measure.Canvas()->Font()->Assign(*caption.Font());
            EXPECT_EQ(caption.Width(), measure.Canvas()->TextWidth(longName));
        }
        ASSERT_GT(caption.Width(), 2 * 20 + one.Width());
        EXPECT_EQ(caption.Left(), 0);
        ExpectOnPicture(caption);

        // The user puts it near the top left, then adds a second title.
        task_->Step("designer: title 1 dragged");
        task_->Drag(one, *designer.kivImagePanel_Preview, 10 + one.Width() / 2, 40 + one.Height() / 2);
        ASSERT_EQ(one.BoundsRect(), Bounds(10, 40, 101, 76));
        AddTitle(second);
        ASSERT_EQ(MyMovieImage.Length(), 2);
        EXPECT_EQ(one.BoundsRect(), Bounds(10, 40, 101, 76));               // where the user put it
        EXPECT_EQ(MyMovieImage[1]->BoundsRect(), Bounds(60, 216, 101, 76)); // its own place in the row
        for (const TLabel* label : designer.TitleLabels) ExpectOnPicture(*label);
        EXPECT_EQ(caption.Top(), 40 + 76 + 3);
        captionLeft = caption.Left();
        captionTop = caption.Top();
        task_->Shoot(designer, "menu-designer-title-added-to-placed-layout");

        // Next hands over to the convert window, which is closed without a run.
        task_->OnNextModal([&](TCustomForm& run) {
            task_->Step("convert window: Close");
            ASSERT_EQ(&run, QV_Video_DVD_Convert_Process_Form);
            task_->Click(*QV_Video_DVD_Convert_Process_Form->kivImageButton1);
        });
        task_->Step("designer: Next");
        task_->Click(*designer.kivImageButton_Next);
        task_->Step("designer: Exit");
        task_->Click(*designer.kivImageButton_Exit);
    });
    task_->Step("main window: the menu-creator task");
    task_->Click(*main.Button_DVDMenuCreator);
    ASSERT_EQ(captionLeft, 0);

    // The written menu has both buttons where the designer showed them.
    const std::string xml = ReadText(Res("Menu_P.xml"));
    EXPECT_NE(xml.find("    <button x0=\"15\" y0=\"65\" x1=\"170\" y1=\"189\"/>\r\n"
                       "    <button x0=\"92\" y0=\"353\" x1=\"247\" y1=\"477\"/>\r\n"),
              std::string::npos)
        << xml;
    // Every pixel of the long caption is on the still: as many as the caption drawn alone has.
    TBitmap still;
    still.LoadFromFile(Res("backbitmap_P.bmp"));
    const int top = MenuScaleY(captionTop, kPalHeight);
    const int onStill = CountNot(still, Rect(0, top - 4, kMenuWidth, top + 30), kOwnColour);
    TBitmap alone(kMenuWidth, 40, pf24bit);
    TCanvas& canvas = *alone.Canvas();
    canvas.Brush()->SetColor(kOwnColour);
    canvas.FillRect(Rect(0, 0, kMenuWidth, 40));
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->Assign(*designer.TitleLabels[0]->Font());
    canvas.Font()->SetColor(clWhite);
    canvas.Font()->SetQuality(fqAntialiased);
    canvas.TextOut(0, 4, longName);
    const int whole = CountNot(alone, Rect(0, 0, kMenuWidth, 40), kOwnColour);
    EXPECT_GT(whole, 200);
    EXPECT_EQ(onStill, whole);
    EXPECT_GT(CountNot(still, Rect(0, top - 4, 4, top + 30), kOwnColour), 0);   // its first letter at the edge
}

TEST_F(MenuTaskTest, ABackgroundChosenOnAChapterPageChangesOnlyThatPage)
{
    const std::string photo = OwnPicture();
    const std::vector<std::string> clips = {Clip("Holiday.mp4", 4), Clip("Garden party.mkv", 3)};
    TQV_Video_DVD_Setup_DVD_Menu_Form& designer = Designer();
    TBitmap page1, page0, title;   // the stills Next writes
    DvdBuildTask(clips, [&](TQV_Video_DVD_Setup_Source_Clips_Form& clipsForm) {
        ASSERT_TRUE(clipsForm.kivCheckBox1->Checked());         // "Add DVD menu."
        ASSERT_TRUE(clipsForm.kivCheckBox_Chapter->Checked());  // automatic chapters
        task_->OnNextModal([&](TCustomForm& shown2) {
            ASSERT_EQ(&shown2, &designer);
            ASSERT_TRUE(task_->PumpUntil(
                [&] { return MyDVDChapter.Length() == 2 && !designer.Panel_Progress->Visible(); }, 120));
            ASSERT_GE(designer.BackgroundList.size(), 4u) << "the shipped backgrounds are built with the program";
            ASSERT_EQ(designer.SelectedBackground, 0);
            TBitmap titleMenu, firstPage;
            titleMenu.Assign(*designer.BackgroundPicture);
            firstPage.Assign(*MyDVDChapter[0].PageBackground);
            const std::string titleFile = designer.BackgroundFile;

            task_->Step("designer: clip 2's chapter page");
            task_->Click(*MyMovieImage[1]);
            task_->Click(*designer.kivImageButton_NextChapter);
            ASSERT_EQ(designer.ChapterPage, 1);

            // A shipped picture clicked: the page takes it, the title menu and the other page keep theirs.
            task_->Step("designer: thumbnail 3 on the page");
            task_->Click(*designer.BackgroundThumbnails[3]);
            TBitmap shipped;
            {
                TJPEGImage jpeg;
                jpeg.LoadFromFile(ShippedBackgroundFile(designer.BackgroundList[3]));
                shipped.Assign(jpeg);
            }
            ASSERT_NE(MyDVDChapter[1].PageBackground, nullptr);
            EXPECT_TRUE(SamePicture(*MyDVDChapter[1].PageBackground, shipped));
            EXPECT_TRUE(SamePicture(*designer.Image->Picture()->Bitmap(), AsShown(shipped)));
            EXPECT_EQ(designer.SelectedBackground, 0);
            EXPECT_EQ(designer.BackgroundFile, titleFile);
            EXPECT_TRUE(SamePicture(*designer.BackgroundPicture, titleMenu));
            EXPECT_TRUE(SamePicture(*MyDVDChapter[0].PageBackground, firstPage));

            // The user's own picture loaded: the same, the page only.
            task_->Step("designer: own picture on the page");
            task_->AnswerFiles({photo});
            task_->Click(*designer.kivImageButton_LoadImage);
            EXPECT_EQ(MyDVDChapter[1].PageBackground->Width(), 320);
            EXPECT_EQ(MyDVDChapter[1].PageBackground->Pixel(5, 5), kOwnColour);
            EXPECT_EQ(designer.Image->Picture()->Bitmap()->Pixel(234, 5), kOwnColour);
            EXPECT_EQ(designer.SelectedBackground, 0);
            EXPECT_EQ(designer.BackgroundFile, titleFile);
            EXPECT_EQ(designer.Label_BackGround->Caption(), "");
            EXPECT_TRUE(SamePicture(*designer.BackgroundPicture, titleMenu));
            EXPECT_TRUE(SamePicture(*MyDVDChapter[0].PageBackground, firstPage));
            task_->Shoot(designer, "menu-designer-chapter-page-own-background");

            // Back on the title menu, its own background again.
            task_->Click(*designer.kivImageButton_PreviousChapter);
            ASSERT_EQ(designer.ChapterPage, -1);
            EXPECT_TRUE(SamePicture(*designer.Image->Picture()->Bitmap(), AsShown(titleMenu)));

            // Next writes the menus and opens the disc builder, closed without a run.
            task_->OnNextModal([&](TCustomForm& run) {
                ASSERT_EQ(&run, QV_Video_DVD_Disc_Builder_Form);
                // The stills as the builder finds them (it empties the folder when it closes).
                page1.LoadFromFile(Res("Chapter_1_backbitmap.bmp"));
                page0.LoadFromFile(Res("Chapter_0_backbitmap.bmp"));
                title.LoadFromFile(Res("backbitmap_P.bmp"));
                task_->Step("disc builder: Close");
                task_->Click(*QV_Video_DVD_Disc_Builder_Form->kivImageButton1);
            });
            task_->Step("designer: Next");
            task_->Click(*designer.kivImageButton_Next);
            task_->Step("designer: Exit");
            task_->Click(*designer.kivImageButton_Exit);
        });
        task_->Step("clips window: Next");
        task_->Click(*clipsForm.kivImageButton_Burn);
    });

    // Clip 2's page still is the user's picture; the title menu's and clip 1's page's are not.
    ASSERT_FALSE(page1.Empty() || page0.Empty() || title.Empty());
    EXPECT_EQ(page1.Pixel(700, 10), kOwnColour);
    EXPECT_EQ(page1.Pixel(700, 560), kOwnColour);
    EXPECT_NE(page0.Pixel(700, 10), kOwnColour);
    EXPECT_EQ(CountNot(title, Rect(600, 0, 720, 60), kOwnColour), 120 * 60);
}

// 720x576 clips as the ffmpeg program writes them, flagged 16:9 and 4:3: a disc
// that is round as they are shown stays round in the clips window's tile and
// still, in the designer's title buttons and chapter thumbnails, and on the
// menu stills Next writes (measured in the stills' own pixels, as the designer
// shows them). Drawn at the stored shape, 5:4, the 16:9 disc was 30 % too narrow.
TEST_F(MenuTaskTest, ClipsWhosePixelsAreNotSquareKeepTheirShapeInEveryThumbnail)
{
    const std::vector<std::pair<int, int>> shapes = {{16, 9}, {4, 3}};
    std::vector<std::string> clips;
    for (const auto& [x, y] : shapes) {
        clips.push_back(media_ + "pal-" + std::to_string(x) + "x" + std::to_string(y) + ".avi");
        ASSERT_TRUE(outsidetest::WriteRoundDiscClip(clips.back(), 720, 576, x, y, 4)) << clips.back();
    }
    TQV_Video_DVD_Setup_DVD_Menu_Form& designer = Designer();
    std::vector<TRect> titleRects, chapterRects;
    TBitmap title, page0;   // the stills Next writes
    DvdBuildTask(clips, [&](TQV_Video_DVD_Setup_Source_Clips_Form& clipsForm) {
        for (std::size_t i = 0; i < shapes.size(); ++i) {
            TQV_MovieImage& clip = *MyMovieImage[static_cast<std::int64_t>(i)];
            ASSERT_EQ(clip.PictureAspectX, shapes[i].first);
            ExpectRound(*clip.Tile, Whole(*clip.Tile), 0.03, "clips window tile " + clip.ClipName);
            task_->Click(clip);
            const TBitmap* still = clipsForm.Image_Preview->Picture()->Bitmap();
            ASSERT_TRUE(still && !still->Empty());
            ExpectRound(*still, Whole(*still), 0.02, "clips window still " + clip.ClipName);
        }
        task_->Click(*MyMovieImage[0]);
        task_->Shoot(clipsForm, "clips-window-wide-clip");
        task_->OnNextModal([&](TCustomForm& shown) {
            ASSERT_EQ(&shown, &designer);
            ASSERT_TRUE(task_->PumpUntil(
                [&] { return MyDVDChapter.Length() == 2 && !designer.Panel_Progress->Visible(); }, 120));
            for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
                TQV_MovieImage& clip = *MyMovieImage[i];
                ExpectRound(*clip.Tile, Whole(*clip.Tile), 0.03, "title button " + clip.ClipName);
                titleRects.push_back(clip.BoundsRect());
            }
            const DVDChapter& page = MyDVDChapter[0];
            ASSERT_GE(page.ChapterButtons.Length(), 2);
            for (std::int64_t j = 0; j < page.ChapterButtons.Length(); ++j) {
                const TBitmap* thumbnail = page.ChapterButtons[j]->Picture()->Bitmap();
                ASSERT_TRUE(thumbnail && !thumbnail->Empty());
                ExpectRound(*thumbnail, Whole(*thumbnail), 0.03, "chapter button " + std::to_string(j));
                chapterRects.push_back(page.ChapterButtons[j]->BoundsRect());
            }
            task_->Shoot(designer, "menu-designer-wide-clip");
            task_->Click(*designer.kivImageButton_NextChapter);
            task_->Shoot(designer, "menu-designer-wide-clip-chapter-page");
            task_->Click(*designer.kivImageButton_PreviousChapter);

            task_->OnNextModal([&](TCustomForm& run) {
                ASSERT_EQ(&run, QV_Video_DVD_Disc_Builder_Form);
                title.LoadFromFile(Res("backbitmap_P.bmp"));
                page0.LoadFromFile(Res("Chapter_0_backbitmap.bmp"));
                task_->Click(*QV_Video_DVD_Disc_Builder_Form->kivImageButton1);
            });
            task_->Step("designer: Next");
            task_->Click(*designer.kivImageButton_Next);
            task_->Click(*designer.kivImageButton_Exit);
        });
        task_->Step("clips window: Next");
        task_->Click(*clipsForm.kivImageButton_Burn);
    });
    ASSERT_FALSE(title.Empty() || page0.Empty());
    // Where the writers put a button's tile: its design rectangle scaled to the PAL still.
    const auto onStill = [](const TRect& r) {
        return Bounds(MenuScaleX(r.Left), MenuScaleY(r.Top, kPalHeight), MenuScaleX(r.Width()),
                      MenuScaleY(r.Height(), kPalHeight));
    };
    ASSERT_EQ(titleRects.size(), shapes.size());
    for (std::size_t i = 0; i < titleRects.size(); ++i)
        ExpectRound(title, onStill(titleRects[i]), 0.02, "title menu still, title " + std::to_string(i + 1));
    for (std::size_t j = 0; j < chapterRects.size(); ++j)
        ExpectRound(page0, onStill(chapterRects[j]), 0.02, "chapter page still, chapter " + std::to_string(j + 1));
}

} // namespace
