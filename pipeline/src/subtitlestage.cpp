// The disc builder's subtitle stage: a DVD clip with a subtitle file gets a
// text-subtitle stream right after it is multiplexed. Only a stream spumux
// really wrote takes the clip's place; otherwise the clip goes on without.
#include "pipeline/encodeparams.h"
#include "pipeline/qv_spumuxthread.h"
#include "pipeline/qv_videodvddiscbuilderform.h"
#include "pipeline/subtitlexml.h"

#include "author/dvdauthorlib.h"
#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "base/subripfile.h"
#include "base/xmltext.h"
#include "rtl/charsets.h"
#include "rtl/paths.h"
#include "rtl/savefile.h"
#include "rtl/sysutils.h"
#include "skin/kivbutton.h"
#include "skin/kivprogressbar.h"
#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"
#include "win32/progfolders.h"

#include <filesystem>

namespace {

// The file's lines ended by line feeds, a UTF-16 file's in UTF-8.
std::string PlainText(const std::string& path)
{
    std::string text;
    TTextLineReader reader(path);
    for (std::string line; reader.ReadLine(line);) text.append(line).append("\n");
    return text;
}

} // namespace

bool TQV_Video_DVD_Disc_Builder_Form::StartSubtitleStage(int clipIndex)
{
    if (clipIndex < 0 || clipIndex >= MyMovieImage.Length() || !MyMovieImage[clipIndex]) return false;
    const TQV_MovieImage& clip = *MyMovieImage[clipIndex];
    const std::string res = ProgramFolder() + "RES/";
    const std::string xml = res + "subtitle.xml";
    DeleteFile(xml);
    const std::string base = s_WorkFolderPath + StripFileExt(clip.OutputName);
    const std::string input = base + ".vob", output = base + "subtitle.vob";
    DeleteFile(output);
    if (!FileExists(clip.SubtitleFile)) {
        MessageDlg("Can not find Subtitle file, progress is skiped.", mtWarning, MsgButtons({mbOK}));
        return false;
    }
    const auto skip = [&](const std::string& why) {
        Log("The subtitle of " + clip.ClipName + " is skipped: " + why + ".");
        return false;
    };
    // spumux reads a copy with a plain name; the file itself is the user's. The
    // copy holds the cues of the clip's kept part in that part's time, its lines
    // end with line feeds, and a UTF-8 or UTF-16 file's text is in UTF-8.
    const SubRipFile file = ReadSubRipFile(clip.SubtitleFile);
    if (!file.read) return skip("it could not be read");
    std::string subrip;
    if (file.cues.empty()) {
        // No SubRip cue: spumux knows other forms, and it gets this one as it is.
        subrip = PlainText(clip.SubtitleFile);
    } else {
        // The part the encoder was asked for, as long as the title it became.
        const pipeline::EncoderTrim trim =
            pipeline::EncoderTrimOf(clip.StartPoint, clip.EndPoint, clip.VideoDuration, clip.SupportsSeek);
        const std::vector<SubRipCue> cues =
            CuesWithin(file.cues, trim.start, trim.start + pipeline::KeptSeconds(clip));
        if (cues.empty()) return skip("none of its cues falls within the part of the clip that is kept");
        subrip = SubRipText(cues);
    }
    if (IsUnicode(file.encoding)) subrip = ValidUtf8(subrip);
    const std::string copy = res + "Subtitle" + ExtractFileExt(clip.SubtitleFile);
    std::string why;
    if (!SaveFileAtomically(copy, subrip, &why)) return skip(why);
    const int region = SubtitleRegion(clip.SubtitleLanguage);
    SubtitleXmlValues values;
    values.subtitleFile = copy;
    values.characterSet = IsUnicode(file.encoding) ? "UTF-8" : RegionCharacterSet(region);
    values.fontSize = clip.SubtitleFontSize;
    values.fontFile = RegionFontFileName(region);
    values.pal = Label4->Checked();
    for (const std::string* text : {&values.subtitleFile, &values.characterSet, &values.fontFile})
        if (!IsXmlSafeText(*text)) return skip("\"" + *text + "\" cannot be written into its description");
    if (!SaveFileAtomically(xml, SubtitleXmlText(values), &why)) return skip(why);
    Log("Add subtitle to " + clip.ClipName + " >>>");
    spumuxJob_ = std::make_shared<SpumuxJob>(Handle(), xml, input, output);
    new TQV_SpumuxThread(false, spumuxJob_);
    return true;
}

void TQV_Video_DVD_Disc_Builder_Form::SubtitleStageDone()
{
    if (!spumuxJob_) {   // a stage of a derived window that runs no job of ours
        NextClip();
        return;
    }
    if (!spumuxJob_->Finished()) return;   // a late MSG_SPUMUX_DONE of a job that was let go
    const std::shared_ptr<SpumuxJob> job = std::move(spumuxJob_);
    const int index = Encode().CurrentClipIndex;
    const TQV_MovieImage* clip = index >= 0 && index < MyMovieImage.Length() ? MyMovieImage[index] : nullptr;
    const std::string name = clip ? clip->ClipName : ExtractFileName(job->InputPath);
    std::string why;
    if (job->Result() != AUTHOR_OK) {
        why = job->Error().empty() ? "spumux failed (" + IntToStr(job->Result()) + ")" : job->Error();
    } else if (FileSize64(job->OutputPath) <= 0) {
        why = "spumux wrote nothing";
    } else {
        // Renamed over the clip's stream in one step: the clip is never without one.
        std::error_code ec;
        std::filesystem::rename(job->OutputPath, job->InputPath, ec);
        if (ec) why = "the subtitled stream could not take the clip's place (" + ec.message() + ")";
    }
    if (!why.empty()) {
        DeleteFile(job->OutputPath);
        Log("The subtitle of " + name + " is skipped: " + why + ".");
    }
    kivProgressBar2->SetPosition(0);
    NextClip();
}

void TQV_Video_DVD_Disc_Builder_Form::CancelSubtitleStage()
{
    if (!spumuxJob_) return;
    const std::shared_ptr<SpumuxJob> job = std::move(spumuxJob_);
    job->ClearOwnerWindow();
    job->Cancel();
}

int TQV_Video_DVD_Disc_Builder_Form::SubtitlePercent() const
{
    return spumuxJob_ ? spumuxJob_->Percent() : -1;
}
