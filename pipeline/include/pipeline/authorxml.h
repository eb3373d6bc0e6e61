#pragma once
// The dvdauthor control file "RES/Author.xml" in the program folder, in the
// three disc layouts: the convert window's title menu, the disc builder's
// title menu (or no menu), and the disc builder's chapter menus. Main thread.
#include <string>
#include <vector>

// What the run window knows of its run; the writers fill the lower part.
struct AuthorXmlRun {
    int MenuLanguageIndex = 0;          // region index of the disc's language
    bool Pal = true;                    // the "PAL" check box
    bool WithMenu = false;
    int ClipCount = 0;                  // titles of the run
    bool FromMenuDesigner = false;      // convert window: the titles are existing VOB files
    std::string VolumeName = "DVD_DISC";// disc builder's volume name; "_n" is appended when taken

    bool EncodeStage = true;            // cleared once the file is written
    int AuthorTotalMB = 0;              // megabytes of the title files
    std::string Dest;                   // the DVD folder the file names
    std::string ErrorText;              // the error box to show when a writer answered false
};

std::string AuthorXmlPath();            // program folder + "RES/Author.xml"

class TQV_MovieImage;
// The VOB file of a clip's title: the menu designer's clip itself (a file
// named otherwise, its name with ".vob"), else the run's output in the working folder.
std::string TitleVob(const TQV_MovieImage& clip, bool fromMenuDesigner);

// Without WithMenu nothing is written and the answer is false with no ErrorText:
// the window then shows its Start button and hides Stop.
bool WriteConvertAuthorXml(AuthorXmlRun& run);
// True when the file is written and every title VOB exists. The file is
// written whole or not at all; when it cannot be, the answer is false and
// ErrorText names it.
bool WriteTitleMenuAuthorXml(AuthorXmlRun& run);
bool WriteChapterMenuAuthorXml(AuthorXmlRun& run);

// A title's chapter points as written: in title time (the trim start taken
// off), inside the encoded length, whole seconds, sorted, without repeats,
// the first 0. length <= 0 means the length is not known.
std::vector<int> TitleChapterSeconds(const std::vector<double>& clipTimes, double trimStart, double length);
// The chapter (1-based) a chapter-page button jumps to: the one its point
// became, or the one before it when the point could not be written.
int ChapterOfPoint(const std::vector<int>& written, double clipTime, double trimStart);
