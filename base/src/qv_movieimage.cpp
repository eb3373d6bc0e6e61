#include "base/qv_movieimage.h"

#include "base/projectdata.h"
#include "base/qv_pubfunction.h"
#include "gfx/bitmap.h"
#include "rtl/paths.h"
#include "vcl/messages.h"
#include "win32/progfolders.h"

namespace {

constexpr int kTileWidth = 101;
constexpr int kTileHeight = 76;

// A piece comes from the given picture folder, or else from the program's data
// folders (the pictures built beside an executable whose folder is read-only).
// A missing or unreadable piece stays empty and is then never drawn.
std::unique_ptr<TBitmap> LoadPiece(const std::string& folder, const char* name)
{
    auto piece = std::make_unique<TBitmap>();
    std::string path = folder + name;
    if (!FileExists(path))
        path = FindDataFile(std::string("BMP/") + name);
    if (path.empty())
        return piece;
    try {
        piece->LoadFromFile(path);
    } catch (const std::exception&) {
        piece->FreeImage();
    }
    return piece;
}

void StampPiece(TCanvas& canvas, TBitmap& piece, int x0, int y0)
{
    if (piece.Width() > 1 && piece.Height() > 1)
        StampKeyedPicture(canvas, piece, x0, y0);
}

} // namespace

void StampBorderPieces(TCanvas& canvas, int W, int H, TBitmap& left, TBitmap& right, TBitmap& top,
                       TBitmap& bottom)
{
    // Bottom is centred by the top piece's width and Right placed by the left
    // piece's size, so a matched set lines up around the button.
    StampPiece(canvas, top, W / 2 - top.Width() / 2, 1);
    StampPiece(canvas, bottom, W / 2 - top.Width() / 2, H - bottom.Height() - 1);
    StampPiece(canvas, left, 1, H / 2 - left.Height() / 2);
    StampPiece(canvas, right, W - left.Width() - 1, H / 2 - left.Height() / 2);
}

// ---------------------------------------------------------------------------
TQV_MovieImage::TQV_MovieImage(TComponent* AOwner, int clipIndex)
    : TImage(AOwner), BitmapFolder(ProgramFolder() + "BMP/"), ClipIndex(clipIndex),
      Tile(std::make_unique<TBitmap>(kTileWidth, kTileHeight)), Snapshot(std::make_unique<TBitmap>())
{
    SetBounds(Left(), 0, kTileWidth, kTileHeight);
    SetStretch(true);
    SavedWindowProc = WindowProc;
    WindowProc = [this](TMessage& m) { OwnWindowProc(m); };
    LeftBorder = LoadPiece(BitmapFolder, "Left.bmp");
    RightBorder = LoadPiece(BitmapFolder, "Right.bmp");
    TopBorder = LoadPiece(BitmapFolder, "Top.bmp");
    BottomBorder = LoadPiece(BitmapFolder, "Bottom.bmp");
    RedrawTile();
}

TQV_MovieImage::~TQV_MovieImage()
{
    WindowProc = SavedWindowProc;
    // Freed by a form or owner rather than by the clip list: the globals forget it.
    if (OldMovieImage == this)
        OldMovieImage = nullptr;
    MyMovieImage.Forget(this);
    for (DVDChapter& chapter : MyDVDChapter)
        if (chapter.Title == this)
            chapter.Title = nullptr;
}

void TQV_MovieImage::RedrawTile()
{
    Picture()->SetGraphic(nullptr);
    TCanvas& c = *Canvas();
    c.Pen()->SetWidth(2);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clActiveBorder);
    c.FillRect(Rect(0, 0, Width(), Height()));
    c.Brush()->SetStyle(bsClear);
    SetSelected(Selected);
}

void TQV_MovieImage::SetSelected(bool value)
{
    Selected = value;
    TCanvas& c = *Canvas();
    c.Draw(0, 0, *Tile);
    if (Selected) {
        c.Pen()->SetColor(clYellow);
        c.Rectangle(1, 1, Width(), Height());
    }
    Invalidate();
}

void TQV_MovieImage::OwnWindowProc(TMessage& Message)
{
    const bool mine = Message.LParam == 0 || Message.LParam == reinterpret_cast<LPARAM>(this);
    if (Message.Msg == CM_MOUSELEAVE && mine) {
        Hovered = false;
        SetSelected(Selected);
    } else if (Message.Msg == CM_MOUSEENTER && mine) {
        Hovered = true;
        TCanvas& c = *Canvas();
        c.Brush()->SetStyle(bsClear);
        c.Pen()->SetColor(clBlue);
        c.Rectangle(1, 1, Width(), Height());
        if (MenuButtonMode)
            StampBorderPieces(c, Width(), Height(), *LeftBorder, *RightBorder, *TopBorder, *BottomBorder);
        Invalidate();
    }
    if (SavedWindowProc)
        SavedWindowProc(Message);
}

// ---------------------------------------------------------------------------
TQV_Image::TQV_Image(TComponent* AOwner) : TImage(AOwner), SavedPicture(std::make_unique<TBitmap>())
{
    const std::string folder = ProgramFolder() + "BMP/";
    LeftBorder = LoadPiece(folder, "Left.bmp");
    RightBorder = LoadPiece(folder, "Right.bmp");
    TopBorder = LoadPiece(folder, "Top.bmp");
    BottomBorder = LoadPiece(folder, "Bottom.bmp");
    SavedWindowProc = WindowProc;
    WindowProc = [this](TMessage& m) { OwnWindowProc(m); };
}

TQV_Image::~TQV_Image()
{
    WindowProc = SavedWindowProc;
}

void TQV_Image::OwnWindowProc(TMessage& Message)
{
    const bool mine = Message.LParam == 0 || Message.LParam == reinterpret_cast<LPARAM>(this);
    if (Message.Msg == CM_MOUSEENTER && mine) {
        Hovered = true;
        TCanvas& c = *Canvas();
        TBitmap* picture = Picture()->Bitmap();
        *SavedPicture = TBitmap(picture->Width(), picture->Height());
        SavedPicture->Canvas()->CopyRect(Rect(0, 0, picture->Width(), picture->Height()), c,
                                         Rect(0, 0, picture->Width(), picture->Height()));
        StampBorderPieces(c, Width(), Height(), *LeftBorder, *RightBorder, *TopBorder, *BottomBorder);
        Invalidate();
    } else if ((Message.Msg == CM_MOUSELEAVE && mine) || Message.Msg == WM_RBUTTONDOWN) {
        Hovered = false;
        TBitmap* picture = Picture()->Bitmap();
        if (SavedPicture->Width() == picture->Width() && SavedPicture->Height() == picture->Height()) {
            Canvas()->Draw(0, 0, *SavedPicture);
            Invalidate();
        }
    }
    if (SavedWindowProc)
        SavedWindowProc(Message);
}
