#include "base/projectdata.h"

#include "base/burnpubfunction.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_movieimage.h"
#include "base/qv_pubfunction.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

// Destroyed in reverse order: a clip freed at exit still finds the list and the chapters.
TDynArray<DVDChapter> MyDVDChapter;
TQV_MovieImage* OldMovieImage = nullptr;
TClipList MyMovieImage;
TClipHandOver ClipHandOver;
GraphGroup* GRAPH = nullptr;
HandleMovieThread* handleMovieThread = nullptr;

TQV_Video_DVD_Author_Form* QV_Video_DVD_Author_Form = nullptr;
TQV_Video_DVD_Text_Property_Form* QV_Video_DVD_Text_Property_Form = nullptr;
TQV_Video_DVD_Disc_Builder_Form* QV_Video_DVD_Disc_Builder_Form = nullptr;
TQV_Video_DVD_Disc_Burning_Process_Form* QV_Video_DVD_Disc_Burning_Process_Form = nullptr;
TQV_Video_DVD_Setup_Source_Clips_Form* QV_Video_DVD_Setup_Source_Clips_Form = nullptr;
TQV_Video_DVD_Setup_DVD_Menu_Form* QV_Video_DVD_Setup_DVD_Menu_Form = nullptr;
TQV_Video_DVD_Setup_Disc_Burner_Form* QV_Video_DVD_Setup_Disc_Burner_Form = nullptr;
TQV_Video_DVD_Convert_Process_Form* QV_Video_DVD_Convert_Process_Form = nullptr;
TQV_Video_DVD_Clip_Property_Form* QV_Video_DVD_Clip_Property_Form = nullptr;
TQV_Video_DVD_Select_Form* QV_Video_DVD_Select_Form = nullptr;
TForm_About* Form_About = nullptr;
TQV_Video_DVD_Subtitle_Property_Form* QV_Video_DVD_Subtitle_Property_Form = nullptr;
TQV_Video_DVD_Setup_Chapter_Form* QV_Video_DVD_Setup_Chapter_Form = nullptr;
TForm1* Form1 = nullptr;

DVDChapter& ChapterListAt(std::int64_t index)
{
    return MyDVDChapter[index];
}

double ChapterTimeAt(const DVDChapter& chapter, std::int64_t index)
{
    return chapter.ChapterTimes[index];
}

int WholeTitleSeconds(double clipSeconds, double trimStart)
{
    constexpr double kHair = 1e-6;   // far below a frame
    const double inTitle = clipSeconds - trimStart;
    if (!std::isfinite(inTitle) || inTitle < -kHair) return -1;
    return static_cast<int>(std::min(std::floor(inTitle + kHair), 1e9));
}

void AssignClipOutputNames(const std::string& base, int outputType)
{
    const char* extension = outputType == 0 || outputType == 1 ? ".vob" : ".mpg";
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
        if (TQV_MovieImage* clip = MyMovieImage[i])
            clip->OutputName = base + "_" + IntToStr(i + 1) + extension;
}

void FitSnapshotToTile(TQV_MovieImage& clip)
{
    FitSnapshotToTile(*clip.Tile, *clip.Snapshot, clip.Width(), clip.Height(), ClipPictureRatio(clip, *clip.Snapshot));
    clip.RedrawTile();
}

double ClipPictureRatio(const TQV_MovieImage& clip, const TBitmap& picture)
{
    if (clip.PictureAspectX <= 0 || clip.PictureAspectY <= 0 || clip.VideoWidth <= 0 || clip.VideoHeight <= 0 ||
        picture.Width() <= 0 || picture.Height() <= 0)
        return 0;
    // A frame of the clip has its stored proportions (within a pixel's rounding
    // at thumbnail sizes); the placeholder pictures have their own.
    const double stored = static_cast<double>(clip.VideoWidth) / clip.VideoHeight;
    const double own = static_cast<double>(picture.Width()) / picture.Height();
    if (std::abs(own / stored - 1) > 0.02) return 0;
    return static_cast<double>(clip.PictureAspectX) / clip.PictureAspectY;
}

TBitmap SnapshotAsShown(const TQV_MovieImage& clip)
{
    TBitmap& snapshot = *clip.Snapshot;
    const double ratio = ClipPictureRatio(clip, snapshot);
    TBitmap still;
    if (!(ratio > 0)) {
        still.Assign(snapshot);
        return still;
    }
    // As many lines as the snapshot, as wide as they are shown.
    const int height = snapshot.Height();
    const int width = std::max(1, static_cast<int>(std::lround(height * ratio)));
    FitSnapshotToTile(still, snapshot, width, height, ratio);
    return still;
}

void FreePreviewGraph()
{
    std::unique_ptr<GraphGroup> graph(std::exchange(GRAPH, nullptr));
    if (!graph) return;
    graph->Stop();
    graph->ReleaseGraph();
}

void ReleaseProjectData()
{
    FreePreviewGraph();
    OldMovieImage = nullptr;
    MyDVDChapter.clear();
    MyMovieImage.Clear();
    ClipHandOver.Discard();
}
