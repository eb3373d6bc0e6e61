// The project data: a fresh clip's defaults and tile, its hover and selection
// frames, the clip list as the one owner of its clips (nothing leaks, nothing
// is freed twice), checked access, output names, and XML-safe text.
#include "base/cliplist.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "base/xmltext.h"
#include "gfx/bitmap.h"
#include "rtl/paths.h"
#include "testkit/tempfolder.h"
#include "vcl/messages.h"
#include "win32/progfolders.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// Counts the clips that went away.
class Watcher : public TComponent {
public:
    Watcher() : TComponent(nullptr) {}
    void Watch(TComponent* c) { c->FreeNotification(this); }
    int freed = 0;

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == opRemove)
            ++freed;
    }
};

class ProjectDataTest : public ::testing::Test {
protected:
    void SetUp() override { SetProgramFolder(folder_.Path() + "/"); }
    void TearDown() override
    {
        ReleaseProjectData();
        SetProgramFolder("");
    }
    ClipPtr NewClip(int index = 0) { return ClipPtr(new TQV_MovieImage(nullptr, index)); }
    testkit::TempFolder folder_{"keldara-project"};
};

TColor PictureAt(TQV_MovieImage& clip, int x, int y)
{
    return clip.Picture()->Bitmap()->Pixel(x, y);
}

} // namespace

TEST_F(ProjectDataTest, FreshClipHasItsDefaultsAndAnActiveBorderTile)
{
    ClipPtr clip = NewClip(3);
    EXPECT_EQ(clip->AspectIndex, 1);
    EXPECT_TRUE(clip->LetterBox);
    EXPECT_TRUE(clip->SupportsSeek);
    EXPECT_EQ(clip->SubtitleFontName, "Arial");
    EXPECT_EQ(clip->SubtitleFontSize, 24);
    EXPECT_EQ(clip->SubtitleLanguage, 0);
    EXPECT_EQ(clip->ClipIndex, 3);
    EXPECT_EQ(clip->Width(), 101);
    EXPECT_EQ(clip->Height(), 76);
    EXPECT_TRUE(clip->Stretch());
    EXPECT_EQ(clip->BitmapFolder, folder_.Path() + "/BMP/");
    ASSERT_EQ(clip->Tile->Width(), 101);
    ASSERT_EQ(clip->Tile->Height(), 76);
}

TEST_F(ProjectDataTest, BorderPiecesComeFromTheProgramFolderElseFromTheBuiltPictures)
{
    // None in the program folder: the pieces drawn at build time beside the executable.
    TBitmap built;
    built.LoadFromFile(ExecutableFolder() + "BMP/Left.bmp");
    ASSERT_GT(built.Width(), 1);
    ClipPtr clip = NewClip();
    EXPECT_EQ(clip->LeftBorder->Width(), built.Width());
    EXPECT_EQ(clip->LeftBorder->Height(), built.Height());
    EXPECT_GT(clip->BottomBorder->Width(), 1);

    // The program folder's own pieces win; one that cannot be read stays empty.
    ForceDirectories(folder_.Path() + "/BMP");
    TBitmap own(5, 7);
    own.SaveToFile(folder_.Path() + "/BMP/Left.bmp");
    std::ofstream(folder_.Path() + "/BMP/Right.bmp") << "not a picture";
    clip = NewClip();
    EXPECT_EQ(clip->LeftBorder->Width(), 5);
    EXPECT_EQ(clip->RightBorder->Width(), 0);
    EXPECT_GT(clip->TopBorder->Width(), 1);
}

TEST_F(ProjectDataTest, HoverDrawsABlueFrameAndLeavingRestoresTheSelection)
{
    ClipPtr clip = NewClip();
    clip->Tile->Canvas()->Brush()->SetColor(clGreen);
    clip->Tile->Canvas()->FillRect(Rect(0, 0, 101, 76));
    clip->SetSelected(true);
    EXPECT_EQ(PictureAt(*clip, 1, 38), clYellow);
    EXPECT_EQ(PictureAt(*clip, 50, 38), clGreen);
    clip->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(clip.get()));
    EXPECT_TRUE(clip->Hovered);
    EXPECT_EQ(PictureAt(*clip, 1, 38), clBlue);
    EXPECT_EQ(PictureAt(*clip, 50, 38), clGreen);
    clip->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(clip.get()));
    EXPECT_FALSE(clip->Hovered);
    EXPECT_EQ(PictureAt(*clip, 1, 38), clYellow);
    clip->SetSelected(false);
    EXPECT_EQ(PictureAt(*clip, 1, 38), clGreen);
}

TEST_F(ProjectDataTest, TitleButtonHoverStampsBorderPiecesButNotTinyOnes)
{
    TBitmap canvasBitmap(101, 76);
    canvasBitmap.Canvas()->Brush()->SetColor(clWhite);
    canvasBitmap.Canvas()->FillRect(Rect(0, 0, 101, 76));
    TBitmap top(10, 4), bottom(10, 4), left(4, 10), right(1, 1);
    for (TBitmap* b : {&top, &bottom, &left}) {
        b->Canvas()->Brush()->SetColor(clRed);
        b->Canvas()->FillRect(Rect(0, 0, b->Width(), b->Height()));
        b->SetPixel(0, 0, clBlack);   // the key
    }
    right.SetPixel(0, 0, clRed);
    StampBorderPieces(*canvasBitmap.Canvas(), 101, 76, left, right, top, bottom);
    EXPECT_EQ(canvasBitmap.Pixel(50 - 5 + 1, 1), clRed);        // top piece at (W/2 - w/2 + i, j + 1)
    EXPECT_EQ(canvasBitmap.Pixel(50 - 5, 1), clWhite);           // its key pixel is not copied
    EXPECT_EQ(canvasBitmap.Pixel(50 - 5 + 1, 76 - 4 - 1), clRed); // bottom piece
    EXPECT_EQ(canvasBitmap.Pixel(1 + 1, 38 - 5), clRed);          // left piece
    EXPECT_EQ(canvasBitmap.Pixel(101 - 4 - 1, 38), clWhite);      // a 1 x 1 piece is never drawn
}

TEST_F(ProjectDataTest, ClipListOwnsItsClips)
{
    Watcher w;
    for (int i = 0; i < 4; ++i) {
        ClipPtr c = NewClip(i);
        w.Watch(c.get());
        MyMovieImage.Add(std::move(c));
    }
    TQV_MovieImage* third = MyMovieImage[2];
    OldMovieImage = MyMovieImage[1];
    MyMovieImage.Delete(1);
    EXPECT_EQ(w.freed, 1);
    EXPECT_EQ(OldMovieImage, nullptr);   // the selection never dangles
    EXPECT_EQ(MyMovieImage[1], third);
    MyMovieImage.Exchange(0, 1);
    EXPECT_EQ(MyMovieImage[0], third);
    MyMovieImage.SetLength(5);           // grows with empty slots, keeps the clips
    EXPECT_EQ(MyMovieImage[4], nullptr);
    EXPECT_EQ(MyMovieImage[0], third);
    MyMovieImage.SetLength(1);
    EXPECT_EQ(w.freed, 3);
    // A clip freed by someone else leaves the list instead of being freed twice.
    MyMovieImage[0]->Free();
    EXPECT_EQ(MyMovieImage.Length(), 0);
    EXPECT_EQ(w.freed, 4);
}

TEST_F(ProjectDataTest, ClipNeverAdoptedIsFreedWithTheHandOver)
{
    Watcher w;
    ClipPtr a = NewClip(0), b = NewClip(1);
    w.Watch(a.get());
    w.Watch(b.get());
    const auto ta = ClipHandOver.Park(std::move(a));
    ClipHandOver.Park(std::move(b));
    ClipPtr adopted = ClipHandOver.Claim(ta);
    ASSERT_NE(adopted, nullptr);
    EXPECT_EQ(ClipHandOver.Claim(ta), nullptr);   // a ticket is good once
    MyMovieImage.Add(std::move(adopted));
    EXPECT_EQ(ClipHandOver.Waiting(), 1u);
    ReleaseProjectData();
    EXPECT_EQ(w.freed, 2);
    EXPECT_EQ(ClipHandOver.Waiting(), 0u);
}

TEST_F(ProjectDataTest, AccessPastTheEndRaisesTheRangeError)
{
    EXPECT_THROW(MyMovieImage[0], ERangeError);
    MyMovieImage.Add(NewClip());
    EXPECT_THROW(MyMovieImage[1], ERangeError);
    EXPECT_THROW(MyMovieImage[-1], ERangeError);
    EXPECT_THROW(ChapterListAt(0), ERangeError);
    MyDVDChapter.SetLength(1);
    EXPECT_THROW(ChapterTimeAt(ChapterListAt(0), 0), ERangeError);
}

TEST_F(ProjectDataTest, OutputNamesFollowTitleOrderAndOutputType)
{
    MyMovieImage.Add(NewClip());
    MyMovieImage.Add(NewClip());
    AssignClipOutputNames("/w/Movie", 1);
    EXPECT_EQ(MyMovieImage[0]->OutputName, "/w/Movie_1.vob");
    EXPECT_EQ(MyMovieImage[1]->OutputName, "/w/Movie_2.vob");
    AssignClipOutputNames("/w/Movie", 3);
    EXPECT_EQ(MyMovieImage[1]->OutputName, "/w/Movie_2.mpg");
}

TEST_F(ProjectDataTest, SnapshotIsFittedIntoTheTile)
{
    ClipPtr clip = NewClip();
    *clip->Snapshot = TBitmap(200, 50);
    clip->Snapshot->Canvas()->Brush()->SetColor(clRed);
    clip->Snapshot->Canvas()->FillRect(Rect(0, 0, 200, 50));
    FitSnapshotToTile(*clip);
    // 4:1 into 101 x 76: 101 x 25, centred, black above and below.
    EXPECT_EQ(clip->Tile->Pixel(50, 38), clRed);
    EXPECT_EQ(clip->Tile->Pixel(50, 5), clBlack);
    EXPECT_EQ(PictureAt(*clip, 50, 38), clRed);
}

// A frame of a 720x576 clip flagged 16:9 is drawn at 16:9; the placeholder
// picture a clip gets when no frame could be grabbed keeps its own shape.
TEST_F(ProjectDataTest, AFrameOfAClipWhosePixelsAreNotSquareIsFittedAtItsDeclaredShape)
{
    ClipPtr clip = NewClip();
    clip->VideoWidth = 720;
    clip->VideoHeight = 576;
    clip->PictureAspectX = 16;
    clip->PictureAspectY = 9;
    *clip->Snapshot = TBitmap(720, 576);
    clip->Snapshot->Canvas()->Brush()->SetColor(clRed);
    clip->Snapshot->Canvas()->FillRect(Rect(0, 0, 720, 576));
    FitSnapshotToTile(*clip);
    // 16:9 into 101 x 76: 101 x 56, rows 10 to 65.
    EXPECT_EQ(clip->Tile->Pixel(50, 9), clBlack);
    EXPECT_EQ(clip->Tile->Pixel(50, 10), clRed);
    EXPECT_EQ(clip->Tile->Pixel(50, 65), clRed);
    EXPECT_EQ(clip->Tile->Pixel(50, 66), clBlack);
    const TBitmap still = SnapshotAsShown(*clip);
    EXPECT_EQ(still.Width(), 1024);
    EXPECT_EQ(still.Height(), 576);

    *clip->Snapshot = TBitmap(320, 240);   // the placeholder: 4:3, not the clip's 5:4
    EXPECT_EQ(ClipPictureRatio(*clip, *clip->Snapshot), 0);
    EXPECT_EQ(SnapshotAsShown(*clip).Width(), 320);
    clip->PictureAspectX = clip->PictureAspectY = 0;   // square pixels
    EXPECT_EQ(ClipPictureRatio(*clip, TBitmap(720, 576)), 0);
}

TEST(XmlText, EscapesMarkupAndRefusesWhatXmlCannotCarry)
{
    EXPECT_EQ(XmlEscape("a&b <c> \"d\" 'e' Ü"), "a&amp;b &lt;c&gt; &quot;d&quot; &apos;e&apos; Ü");
    EXPECT_TRUE(IsXmlSafeText("Ünïcode ✓ 𝄞 tab\tok"));
    EXPECT_FALSE(IsXmlSafeText("bell\x07"));
    EXPECT_FALSE(IsXmlSafeText("cut \xC3"));
    EXPECT_FALSE(IsXmlSafeText("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(IsXmlSafeText("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(IsXmlSafeText("\xF4\x90\x80\x80"));  // past U+10FFFF
}
