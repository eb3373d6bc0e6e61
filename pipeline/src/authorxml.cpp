#include "pipeline/authorxml.h"
#include "pipeline/encodeparams.h"

#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "base/xmltext.h"
#include "rtl/classes.h"
#include "rtl/paths.h"
#include "rtl/savefile.h"
#include "rtl/sysutils.h"
#include "win32/progfolders.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

bool FolderExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::string Pad(int blanks, const std::string& text)
{
    return std::string(static_cast<std::size_t>(blanks), ' ') + text;
}

// Collects the lines; every value placed into them goes through Value(), which
// escapes it and remembers a text that XML cannot carry.
class XmlLines {
public:
    void Add(int blanks, const std::string& text) { lines_.push_back(Pad(blanks, text)); }
    std::string Value(const std::string& text)
    {
        if (!IsXmlSafeText(text) && bad_.empty())
            bad_ = text;
        return XmlEscape(text);
    }
    const std::string& Bad() const { return bad_; }
    std::string Text() const
    {
        std::string out;
        for (const auto& l : lines_)
            out += l + "\n";
        return out;
    }

private:
    std::vector<std::string> lines_;
    std::string bad_;
};

// The language code of a region of Language.ini. The file is the user's to
// edit, so an index outside its regions takes region 0, and a file without
// regions the code its reader defaults to.
std::string RegionCode(int region)
{
    if (region >= 0 && region < LanguageCode.Length())
        return LanguageCode[region];
    return LanguageCode.Length() > 0 ? LanguageCode[0] : "EN";
}

struct Common {
    std::string work, lang, format, resolution, aspect;
};

Common CommonValues(XmlLines& x, const AuthorXmlRun& run)
{
    Common c;
    c.work = x.Value(IncludeTrailingPathDelimiter(s_WorkFolderPath));
    c.lang = x.Value(RegionCode(run.MenuLanguageIndex));
    c.format = run.Pal ? "pal" : "ntsc";
    c.resolution = run.Pal ? "\"720x576\"" : "\"720x480\"";
    const bool wide = !MyMovieImage.empty() && MyMovieImage[0] && MyMovieImage[0]->AspectIndex == 2;
    c.aspect = wide ? "\"16:9\"" : "\"4:3\"";
    return c;
}

// The menus' stream description (always 4:3, so never "nopanscan").
void MenuStreams(XmlLines& x, const Common& c)
{
    x.Add(9, "<video format=\"" + c.format + "\" aspect=\"4:3\"");
    x.Add(16, "resolution=" + c.resolution + " />");
    x.Add(9, "<audio format=\"ac3\"");
    x.Add(16, "quant=\"16bps\" dolby=\"surround\"");
    x.Add(16, "samplerate=\"48khz\" lang=\"" + c.lang + "\"/>");
}

// The titles' stream description; dvdauthor takes "nopanscan" only for 16:9.
void TitleStreams(XmlLines& x, const Common& c)
{
    x.Add(9, "<video format=\"" + c.format + "\" aspect=" + c.aspect);
    if (c.aspect == "\"16:9\"") {
        x.Add(16, "resolution=" + c.resolution);
        x.Add(16, "widescreen=\"nopanscan\" />");
    } else {
        x.Add(16, "resolution=" + c.resolution + " />");
    }
    x.Add(9, "<audio format=\"ac3\"");
    x.Add(16, "quant=\"16bps\" dolby=\"surround\"");
    x.Add(16, "samplerate=\"48khz\" lang=\"" + c.lang + "\"/>");
}

void VmgmMenuHead(XmlLines& x, const Common& c, bool entryTitle)
{
    x.Add(6, "<menus lang=\"" + c.lang + "\">");
    MenuStreams(x, c);
    x.Add(9, "<subpicture lang=\"" + c.lang + "\"/>");
    x.Add(9, entryTitle ? "<pgc entry=\"title\">" : "<pgc>");
}

// The rest of a title menu's pgc: its picture and one button a title, then
// the end of the pgc and of the menus.
void TitleMenuButtons(XmlLines& x, const Common& c, int titles)
{
    x.Add(8, "<vob file=\"" + c.work + "TitleSub.vob\" pause=\"inf\"/>");
    for (int n = 1; n <= titles; ++n)
        x.Add(8, "<button> jump title " + IntToStr(n) + " ; </button>");
    x.Add(9, "</pgc>");
    x.Add(6, "</menus>");
}

// A whole title menu that starts on its first button.
void TitleMenu(XmlLines& x, const Common& c, bool entryTitle, int titles)
{
    VmgmMenuHead(x, c, entryTitle);
    x.Add(9, "<pre> button = 1024; </pre>");
    TitleMenuButtons(x, c, titles);
}

// The titles' streams, with the subtitle stream when `subtitleLang` is set.
void TitlesHead(XmlLines& x, const Common& c, const std::string& subtitleLang)
{
    x.Add(6, "<titles>");
    TitleStreams(x, c);
    if (!subtitleLang.empty())
        x.Add(10, "<subpicture lang=\"" + x.Value(subtitleLang) + "\"/>");
}

// Title i of `count`, one chapter, going on to the next title or back to the menu.
void PlainTitle(XmlLines& x, const std::string& vob, int i, int count, bool subtitle)
{
    x.Add(8, "<pgc>");
    if (subtitle)
        x.Add(10, "<pre> subtitle=64; </pre>");
    x.Add(10, "<vob file=\"" + x.Value(vob) + "\" chapters=\"00:00:00.00\" />");
    x.Add(10, i + 1 < count ? "<post>jump title " + IntToStr(i + 2) + ";</post>" : "<post>call vmgm menu;</post>");
    x.Add(8, "</pgc>");
}

// The base folder, or base + "_" + the smallest free n.
std::string FreeDest(const std::string& base, int& suffix)
{
    suffix = 0;
    if (!FolderExists(base))
        return base;
    for (suffix = 1;; ++suffix)
        if (!FolderExists(base + "_" + IntToStr(suffix)))
            return base + "_" + IntToStr(suffix);
}

// Title i's clip; an empty slot is refused like an index outside the list.
const TQV_MovieImage& ClipAt(std::int64_t i)
{
    const TQV_MovieImage* clip = MyMovieImage[i];
    if (!clip)
        throw ERangeError("Range check error");
    return *clip;
}


// The first subtitled clip's language code, "" when no clip has a subtitle.
std::string SubtitleLanguage()
{
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
        if (MyMovieImage[i] && !MyMovieImage[i]->SubtitleFile.empty())
            return RegionCode(MyMovieImage[i]->SubtitleLanguage);
    return "";
}

bool HasSubtitle(std::int64_t i)
{
    return MyMovieImage[i] && !MyMovieImage[i]->SubtitleFile.empty();
}

// Closes the titles, the title set and the document, then writes it.
bool Save(XmlLines& x, const std::string& path, AuthorXmlRun& run)
{
    x.Add(6, "</titles>");
    x.Add(2, "</titleset>");
    x.Add(0, "</dvdauthor>");
    if (!x.Bad().empty()) {
        run.ErrorText = "Can not write \"" + x.Bad() + "\" into the DVD description. \nProcess is terminated!";
        return false;
    }
    // Written beside and renamed into place: a full disk leaves no half file for dvdauthor to read.
    ForceDirectories(ExtractFilePath(path));
    TStringList list;
    list.SetText(x.Text());
    if (!SaveFileAtomically(path, [&](TStream& out) { list.SaveToStream(out); })) {
        run.ErrorText = "Can not write \n" + path + ". \nProcess is terminated!";
        return false;
    }
    run.EncodeStage = false;
    return true;
}

// Sums the title files' sizes; the disc builder first checks each exists.
bool TotalTitleMB(AuthorXmlRun& run, const std::vector<std::string>& files, bool check)
{
    run.AuthorTotalMB = 0;
    for (const auto& f : files) {
        if (check && !FileExists(f)) {
            run.ErrorText = "Can not find \n" + f + ". \nProcess is terminated!";
            return false;
        }
        run.AuthorTotalMB += GetFileSizeMB(f);
    }
    return true;
}

std::string StartXml(XmlLines& x, AuthorXmlRun& run, const std::string& base, bool renameVolume)
{
    int suffix = 0;
    run.Dest = FreeDest(base, suffix);
    if (renameVolume && suffix > 0)
        run.VolumeName += "_" + IntToStr(suffix);
    x.Add(0, "<dvdauthor dest=\"" + x.Value(run.Dest) + "\">");
    return AuthorXmlPath();
}

// The part of the clip the encoder was asked for, as the encode step passes
// the trim: the whole clip when it is untrimmed or cannot seek.
struct EncodedRange {
    double start = 0;
    double length = 0;   // 0: not known
};

EncodedRange EncodedRangeOf(const TQV_MovieImage* clip)
{
    if (!clip)
        return {};
    const pipeline::EncoderTrim trim = pipeline::EncoderTrimOf(clip->StartPoint, clip->EndPoint, clip->VideoDuration, clip->SupportsSeek);
    if (trim.Whole())
        return {0, clip->Duration};
    if (trim.end > trim.start)
        return {trim.start, trim.end - trim.start};
    return {trim.start, clip->Duration - trim.start};
}

} // namespace

std::string TitleVob(const TQV_MovieImage& clip, bool fromMenuDesigner)
{
    // The menu designer's titles are VOB files already; their extension is
    // kept as it is spelt, since the file system tells ".VOB" from ".vob".
    if (fromMenuDesigner)
        return SameText(ExtractFileExt(clip.SourcePath), ".vob") ? clip.SourcePath
                                                                  : StripFileExt(clip.SourcePath) + ".vob";
    return IncludeTrailingPathDelimiter(s_WorkFolderPath) + StripFileExt(clip.OutputName) + ".vob";
}

std::string AuthorXmlPath()
{
    return ProgramFolder() + "RES/Author.xml";
}

std::vector<int> TitleChapterSeconds(const std::vector<double>& clipTimes, double trimStart, double length)
{
    std::vector<int> seconds{0};
    for (double t : clipTimes) {
        const double inTitle = t - trimStart;
        const int whole = WholeTitleSeconds(t, trimStart);
        if (whole < 0 || (length > 0 && inTitle >= length) || inTitle > 86400)
            continue;
        seconds.push_back(whole);
    }
    std::sort(seconds.begin(), seconds.end());
    seconds.erase(std::unique(seconds.begin(), seconds.end()), seconds.end());
    return seconds;
}

int ChapterOfPoint(const std::vector<int>& written, double clipTime, double trimStart)
{
    const int inTitle = WholeTitleSeconds(clipTime, trimStart);
    int chapter = 1;
    for (std::size_t i = 0; i < written.size(); ++i)
        if (written[i] <= inTitle)
            chapter = static_cast<int>(i) + 1;
    return chapter;
}

bool WriteConvertAuthorXml(AuthorXmlRun& run)
{
    run.ErrorText.clear();
    if (!run.WithMenu)
        return false;
    const std::string path = AuthorXmlPath();
    DeleteFile(path);
    XmlLines x;
    StartXml(x, run, IncludeTrailingPathDelimiter(s_WorkFolderPath) + "DVD_DISC", false);
    const Common c = CommonValues(x, run);
    x.Add(2, "<vmgm>");
    VmgmMenuHead(x, c, true);
    TitleMenuButtons(x, c, run.ClipCount);
    x.Add(2, "</vmgm>");
    x.Add(2, "<titleset>");
    VmgmMenuHead(x, c, false);
    for (int n = 1; n <= run.ClipCount; ++n)
        x.Add(8, "<button> jump title " + IntToStr(n) + " chapter  1; </button>");
    x.Add(7, "<vob file=\"" + c.work + "TitleSub.vob\" pause=\"inf\"/>");
    x.Add(6, "</pgc>");
    x.Add(4, "</menus>");
    TitlesHead(x, c, "");
    std::vector<std::string> sources;
    for (int i = 0; i < run.ClipCount; ++i) {
        const TQV_MovieImage& clip = ClipAt(i);
        sources.push_back(clip.SourcePath);
        PlainTitle(x, TitleVob(clip, run.FromMenuDesigner), i, run.ClipCount, false);
    }
    if (!Save(x, path, run))
        return false;
    TotalTitleMB(run, sources, false);
    return true;
}

bool WriteTitleMenuAuthorXml(AuthorXmlRun& run)
{
    run.ErrorText.clear();
    const std::string path = AuthorXmlPath();
    DeleteFile(path);
    XmlLines x;
    StartXml(x, run, IncludeTrailingPathDelimiter(s_WorkFolderPath) + run.VolumeName, true);
    const Common c = CommonValues(x, run);
    x.Add(2, "<vmgm>");
    if (run.WithMenu)
        TitleMenu(x, c, true, run.ClipCount);
    x.Add(2, "</vmgm>");
    x.Add(2, "<titleset>");
    if (run.WithMenu)
        TitleMenu(x, c, false, run.ClipCount);
    TitlesHead(x, c, SubtitleLanguage());
    std::vector<std::string> vobs;
    for (int i = 0; i < run.ClipCount; ++i) {
        vobs.push_back(TitleVob(ClipAt(i), false));
        PlainTitle(x, vobs.back(), i, run.ClipCount, HasSubtitle(i));
    }
    if (!Save(x, path, run))
        return false;
    return TotalTitleMB(run, vobs, true);
}

bool WriteChapterMenuAuthorXml(AuthorXmlRun& run)
{
    run.ErrorText.clear();
    const std::string path = AuthorXmlPath();
    DeleteFile(path);
    XmlLines x;
    StartXml(x, run, IncludeTrailingPathDelimiter(s_WorkFolderPath) + run.VolumeName, true);
    const Common c = CommonValues(x, run);
    x.Add(2, "<vmgm>");
    VmgmMenuHead(x, c, true);
    x.Add(9, "<pre> button = 1024; </pre>");
    // A stream delivered with the program: the program folder's own first, then the installed one.
    const char* mainMenuName = run.Pal ? "MainSubP.vob" : "MainSubN.vob";
    const std::string mainMenu = FindDataFile(mainMenuName);
    if (mainMenu.empty() || !FileExists(mainMenu)) {
        run.ErrorText = "Can not find \"" + ProgramFolder() + mainMenuName + "\".";
        return false;
    }
    x.Add(8, "<vob file=\"" + x.Value(mainMenu) + "\" pause=\"10\"/>");
    x.Add(10, "<post> jump titleset 1 menu ; </post>");
    x.Add(8, "<button> jump title 1 ;</button>");
    x.Add(8, "<button> jump titleset 1 menu ;</button>");
    x.Add(9, "</pgc>");
    x.Add(6, "</menus>");
    x.Add(2, "</vmgm>");
    x.Add(2, "<titleset>");
    x.Add(6, "<menus lang=\"" + c.lang + "\">");
    x.Add(9, "<subpicture lang=\"" + c.lang + "\"/>");
    x.Add(9, "<pgc entry=\"root\">");
    x.Add(9, "<pre> button = 2048; </pre>");
    x.Add(8, "<vob file=\"" + c.work + "TitleSub.vob\" pause=\"inf\"/>");
    x.Add(10, "<button> jump vmgm menu ; </button>");
    for (int n = 1; n <= run.ClipCount; ++n)
        x.Add(8, "<button> jump menu " + IntToStr(n + 1) + "; </button>");
    x.Add(9, "</pgc>");

    // Chapter points in title time, per title; each page's buttons map onto them.
    const std::int64_t titles = MyDVDChapter.Length();
    std::vector<std::vector<int>> written(static_cast<std::size_t>(titles));
    for (std::int64_t k = 0; k < titles; ++k) {
        const DVDChapter& chapter = ChapterListAt(k);
        const EncodedRange range = EncodedRangeOf(chapter.Title ? chapter.Title : MyMovieImage[k]);
        std::vector<double> times(chapter.ChapterTimes.begin(), chapter.ChapterTimes.end());
        written[static_cast<std::size_t>(k)] = TitleChapterSeconds(times, range.start, range.length);
        x.Add(9, "<pgc>");
        x.Add(10, "<pre> button = 2048; </pre>");
        x.Add(8, "<vob file=\"" + c.work + "ChapterSub_" + IntToStr(k) + ".vob\" pause=\"inf\"/>");
        x.Add(10, "<button> jump menu 1 ; </button>");
        for (std::int64_t j = 0; j < chapter.ChapterTimes.Length(); ++j) {
            const int target = ChapterOfPoint(written[static_cast<std::size_t>(k)], ChapterTimeAt(chapter, j),
                                              range.start);
            x.Add(8, "<button> jump title " + IntToStr(k + 1) + " chapter " + IntToStr(target) + " ; </button>");
        }
        x.Add(9, "</pgc>");
    }
    x.Add(6, "</menus>");
    TitlesHead(x, c, SubtitleLanguage());
    std::vector<std::string> vobs;
    for (std::int64_t i = 0; i < titles; ++i) {
        const DVDChapter& chapter = ChapterListAt(i);
        vobs.push_back(TitleVob(ClipAt(i), false));
        x.Add(8, "<pgc>");
        if (HasSubtitle(i))
            x.Add(10, "<pre> subtitle=64; </pre>");
        const std::vector<int>& points = written[static_cast<std::size_t>(i)];
        if (chapter.ChapterTimes.empty()) {
            x.Add(10, "<vob file=\"" + x.Value(vobs.back()) + "\" chapters=\"0\" />");
        } else if (points.size() == 1) {
            x.Add(10, "<vob file=\"" + x.Value(vobs.back()) + "\" chapters=\"00:00:00.00\" />");
        } else {
            std::string times;
            for (std::size_t j = 1; j < points.size(); ++j)
                times += ", " + FormatSecondsHms(points[j]) + ".00";
            x.Add(10, "<vob file=\"" + x.Value(vobs.back()) + "\" chapters=\"0" + times + "\" />");
        }
        x.Add(10, i < run.ClipCount - 1 ? "<post>jump title " + IntToStr(i + 2) + " ;</post>"
                                        : "<post>call vmgm menu;</post>");
        x.Add(8, "</pgc>");
    }
    if (!Save(x, path, run))
        return false;
    return TotalTitleMB(run, vobs, true);
}
