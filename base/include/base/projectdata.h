#pragma once
// The project of one run: the clip list, the selected clip, the chapter
// records, the live preview graph, the multiplex/author worker and the
// windows' globals. Main thread only (the settings globals are in
// burnpubfunction.h).
#include "base/cliplist.h"
#include "base/dvdchapter.h"
#include "base/dynarray.h"

#include <string>

class TBitmap;
class TQV_MovieImage;
class GraphGroup;
class HandleMovieThread;

extern TClipList MyMovieImage;               // title order
extern TQV_MovieImage* OldMovieImage;        // the selected clip, nullptr when none
extern TDynArray<DVDChapter> MyDVDChapter;   // one record per title, same order
extern TClipHandOver ClipHandOver;           // clips made by the probe thread, not yet adopted
extern GraphGroup* GRAPH;                    // the one live preview graph, nullptr when none
extern HandleMovieThread* handleMovieThread; // the multiplex/author worker, nullptr when none

class TQV_Video_DVD_Author_Form;
class TQV_Video_DVD_Text_Property_Form;
class TQV_Video_DVD_Disc_Builder_Form;
class TQV_Video_DVD_Disc_Burning_Process_Form;
class TQV_Video_DVD_Setup_Source_Clips_Form;
class TQV_Video_DVD_Setup_DVD_Menu_Form;
class TQV_Video_DVD_Setup_Disc_Burner_Form;
class TQV_Video_DVD_Convert_Process_Form;
class TQV_Video_DVD_Clip_Property_Form;
class TQV_Video_DVD_Select_Form;
class TForm_About;
class TQV_Video_DVD_Subtitle_Property_Form;
class TQV_Video_DVD_Setup_Chapter_Form;
class TForm1;
extern TQV_Video_DVD_Author_Form* QV_Video_DVD_Author_Form;
extern TQV_Video_DVD_Text_Property_Form* QV_Video_DVD_Text_Property_Form;
extern TQV_Video_DVD_Disc_Builder_Form* QV_Video_DVD_Disc_Builder_Form;
extern TQV_Video_DVD_Disc_Burning_Process_Form* QV_Video_DVD_Disc_Burning_Process_Form;
extern TQV_Video_DVD_Setup_Source_Clips_Form* QV_Video_DVD_Setup_Source_Clips_Form;
extern TQV_Video_DVD_Setup_DVD_Menu_Form* QV_Video_DVD_Setup_DVD_Menu_Form;
extern TQV_Video_DVD_Setup_Disc_Burner_Form* QV_Video_DVD_Setup_Disc_Burner_Form;
extern TQV_Video_DVD_Convert_Process_Form* QV_Video_DVD_Convert_Process_Form;
extern TQV_Video_DVD_Clip_Property_Form* QV_Video_DVD_Clip_Property_Form;
extern TQV_Video_DVD_Select_Form* QV_Video_DVD_Select_Form;
extern TForm_About* Form_About;
extern TQV_Video_DVD_Subtitle_Property_Form* QV_Video_DVD_Subtitle_Property_Form;
extern TQV_Video_DVD_Setup_Chapter_Form* QV_Video_DVD_Setup_Chapter_Form;
extern TForm1* Form1;

// Output type of a run: 0, 1 DVD, 2 SVCD, 3 VCD.
// Every clip's OutputName becomes base + "_" + (i + 1) + ".vob" (DVD) or ".mpg".
void AssignClipOutputNames(const std::string& base, int outputType);
// Rebuilds the clip's Tile from its Snapshot (at the shape it is shown at,
// centred) and redraws it.
void FitSnapshotToTile(TQV_MovieImage& clip);
// The shape (width / height) a picture of the clip is shown at: the shape the
// clip's file declares when the picture has the proportions of the clip's
// stored frame (a frame of it, at any size); 0, the picture's own shape,
// otherwise (square pixels, or a placeholder picture).
double ClipPictureRatio(const TQV_MovieImage& clip, const TBitmap& picture);
// The clip's snapshot at the shape it is shown at, for a still of the clip.
TBitmap SnapshotAsShown(const TQV_MovieImage& clip);
// Stops, releases and frees the preview graph GRAPH, if any (every user of the
// preview does this before making a new one).
void FreePreviewGraph();
// Frees the project at the end of the program: clips, chapter records, waiting clips.
void ReleaseProjectData();
