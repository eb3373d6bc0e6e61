#pragma once
// The clip object: at once the record of one source clip (path, lengths,
// stream facts, trim, aspect, letter box, subtitle) and the picture control
// showing its thumbnail in the clips window and, later, serving as a title
// button of the menu designer. And the movable chapter-button picture.
#include "vcl/extctrls.h"

#include <memory>
#include <string>

class TQV_MovieImage : public TImage {
public:
    // Owner nullptr for a clip made by the probe thread; the clip list owns it
    // once adopted (see cliplist.h).
    TQV_MovieImage(TComponent* AOwner, int clipIndex);
    ~TQV_MovieImage() override;

    // Paints Tile on a control-sized canvas filled with the active-border colour.
    void RedrawTile();
    // Stores the flag and repaints the tile, with the yellow frame when set.
    void SetSelected(bool value);

    TWndMethod SavedWindowProc;
    std::string BitmapFolder;
    std::string ClipName;
    std::string SourcePath;
    std::string OutputName;
    std::wstring WidePath;          // SourcePath for the media graph
    double FrameRate = 0;
    double AudioDuration = 0;
    double VideoDuration = 0;
    double Duration = 0;
    double StartPoint = 0;
    double EndPoint = 0;
    int AudioStreamCount = 0;
    int VideoStreamCount = 0;
    int VideoWidth = 0;
    int VideoHeight = 0;
    // The shape the picture is shown at when its file says its pixels are not
    // square (16 and 9 for a 720x576 clip flagged 16:9); 0 and 0 otherwise.
    int PictureAspectX = 0;
    int PictureAspectY = 0;
    int AspectIndex = 1;            // 0 1:1, 1 4:3, 2 16:9
    bool SupportsSeek = true;
    int ClipIndex = 0;
    bool Dragging = false;
    bool Selected = false;
    bool LetterBox = true;
    std::unique_ptr<TBitmap> Tile;
    std::unique_ptr<TBitmap> Snapshot;
    std::unique_ptr<TBitmap> LeftBorder, RightBorder, TopBorder, BottomBorder;
    std::string SubtitleFile;
    int SubtitleFontSize = 24;
    int SubtitleLanguage = 0;
    std::string SubtitleFontName = "Arial";
    bool MenuButtonMode = false;
    bool Hovered = false;

private:
    void OwnWindowProc(TMessage& Message);
};

class TQV_Image : public TImage {
public:
    explicit TQV_Image(TComponent* AOwner);
    ~TQV_Image() override;

    TWndMethod SavedWindowProc;
    std::unique_ptr<TBitmap> LeftBorder, RightBorder, TopBorder, BottomBorder;
    std::unique_ptr<TBitmap> SavedPicture;   // the picture as it was when the mouse entered
    bool Hovered = false;

private:
    void OwnWindowProc(TMessage& Message);
};

// Stamps the four border pieces around the edges of a W x H canvas: each piece's
// pixel (0, 0) is its transparent key, pieces of 1 x 1 pixel or less are skipped.
void StampBorderPieces(TCanvas& canvas, int W, int H, TBitmap& left, TBitmap& right, TBitmap& top,
                       TBitmap& bottom);
