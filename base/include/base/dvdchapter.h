#pragma once
// One chapter record per title: the chapter page of the menu designer and
// the chapter start points of the title.
#include "base/dynarray.h"

class TQV_MovieImage;
class TQV_Image;
class TLabel;
class TBitmap;

struct DVDChapter {
    TQV_MovieImage* Title = nullptr;              // not owned
    TDynArray<TLabel*> ChapterLabels;             // not owned: the menu designer frees them
    TBitmap* PageBackground = nullptr;            // 468 x 352, not owned
    // Chapter starts in seconds on the clip's own time line (the one the
    // preview, StartPoint and EndPoint use); the first is the title's start,
    // StartPoint (0 for an untrimmed clip); at most 12. The disc's chapter
    // times are these less the trim start the encoder applied, made when
    // Author.xml is written.
    TDynArray<double> ChapterTimes;
    TDynArray<TQV_Image*> ChapterButtons;         // not owned
    TDynArray<TBitmap*> ChapterThumbnails;        // not owned
};

constexpr int kMaxChapterPoints = 12;

// Whole seconds from the title's start of a time on the clip's time line,
// as the chapter page, the chapter dialog and the disc count them; -1 before
// the start or for no number. A difference a rounding hair below a whole
// second (64.1 - 4.1) counts as that second, so that a point typed as 60 s
// into the title, kept as the trim start plus 60, reads back as 60.
int WholeTitleSeconds(double clipSeconds, double trimStart);

// Checked element access: ERangeError outside 0..length-1 (an empty array too).
DVDChapter& ChapterListAt(std::int64_t index);
double ChapterTimeAt(const DVDChapter& chapter, std::int64_t index);
