// The menu designer's dialogs in real windows, for screenshots:
//   dialogdemo moment   the clip property dialog picking a chapter start
//   dialogdemo text     the clip property dialog editing a title text
//   dialogdemo chapter  the chapter setup dialog on the clip's chapters
//   dialogdemo subtitle the subtitle dialog on an ISO-8859-1 file with accented text
//   dialogdemo subtitle-utf8 [text]
//                       the same on a UTF-8 file with a byte-order mark (old Mac line
//                       ends), on its "Text" page when asked
// The clip is a synthetic 60-second one trimmed to 10..50 s.
#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_movieimage.h"
#include "com/com.h"
#include "com/widestring.h"
#include "gfx/graphics.h"
#include "rtl/paths.h"
#include "shell/qv_videodvdclippropertyform.h"
#include "shell/qv_videodvdsetupchapterform.h"
#include "shell/qv_videodvdsubtitlepropertyform.h"
#include "skin/kivpagecontrol.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"
#include "vcl/application.h"
#include "vcl/qtbackend.h"
#include "win32/progfolders.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The clip as the probe would have made it, trimmed to [start, end].
void AddDemoClip(const std::string& path, double duration, double start, double end)
{
    ClipPtr clip(new TQV_MovieImage(nullptr, 0));
    clip->SourcePath = path;
    clip->ClipName = ExtractFileName(path);
    clip->WidePath = Utf8ToWide(path);
    clip->Duration = clip->VideoDuration = duration;
    clip->StartPoint = start;
    clip->EndPoint = end;
    MyMovieImage.Add(std::move(clip));
}

int ShowClipProperty(bool text)
{
    TQV_Video_DVD_Clip_Property_Form& form = *QV_Video_DVD_Clip_Property_Form;
    form.ShowTextControls(text);
    TFont font;
    font.SetName("DejaVu Serif");
    font.SetSize(24);
    font.SetColor(clYellow);
    if (text) form.SetFontControls(font, "My holiday");
    if (!form.OpenClipPreview(0)) std::fprintf(stderr, "dialogdemo: the clip cannot be previewed\n");
    const int result = form.ShowClipProperty();
    std::printf("result %d, picked %.2f s\n", result, form.PickedTime());
    if (text) {
        const std::string caption = form.GetFontControls(font);
        std::printf("text \"%s\" in %s %d, colour %06X\n", caption.c_str(), font.Name().c_str(), font.Size(),
                    static_cast<unsigned>(font.Color()));
    }
    form.ClosePreview();
    return 0;
}

// Chapters every ten seconds from the trim start, as the menu designer makes them.
int ShowChapterSetup()
{
    MyDVDChapter.SetLength(1);
    DVDChapter& record = MyDVDChapter[0];
    record.ChapterTimes.SetLength(4);
    for (int j = 0; j < 4; ++j) record.ChapterTimes[j] = 10.0 + 10 * j;
    TQV_Video_DVD_Setup_Chapter_Form& form = *QV_Video_DVD_Setup_Chapter_Form;
    form.LoadClipChapters(0);
    const int result = form.ShowChapterSetup();
    std::printf("result %d, chapters", result);
    for (double s : form.ChapterPoints()) std::printf(" %g", s);
    std::printf("\n");
    MyDVDChapter.clear();
    return 0;
}

// The clip's snapshot a picture ffmpeg draws, its subtitle file three cues in
// Latin-1, or in UTF-8 with a mark and CR line ends as an old Mac program saves them.
int ShowSubtitle(const testkit::TempFolder& folder, bool utf8, bool textPage)
{
    const std::string snapshot = folder.File("snapshot.bmp"), srt = folder.File("Vacances d'\xC3\xA9t\xC3\xA9.srt");
    const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i mandelbrot=size=320x240 -ss 2 -frames:v 1 "
                                "-pix_fmt bgr24 '" + snapshot + "'";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "dialogdemo: ffmpeg drew no snapshot\n");
    if (FILE* f = std::fopen(srt.c_str(), "wb")) {
        if (utf8)
            std::fputs("\xEF\xBB\xBF" "1\r00:00:01,000 --> 00:00:03,000\rBonjour, \xC3\xA7" "a va ? \xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl\r\r"
                       "2\r00:00:04,000 --> 00:00:06,000\rGr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln, \xE2\x82\xAC 5\r\r"
                       "3\r00:00:07,000 --> 00:00:09,000\r\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1\r",
                       f);
        else
            std::fputs("1\r\n00:00:01,000 --> 00:00:03,000\r\nD\xE9j\xE0 vu \xE0 la plage, \xE7" "a c'est l'\xE9t\xE9 !\r\n\r\n"
                       "2\r\n00:00:04,000 --> 00:00:06,000\r\nGr\xFC\xDF" "e aus K\xF6ln\r\n\r\n"
                       "3\r\n00:00:07,000 --> 00:00:09,000\r\nNa\xEFve \xC9l\xE8ve\r\n",
                       f);
        std::fclose(f);
    }
    RegionLanguage.SetLength(3);
    CharacterSet.SetLength(3);
    const char* names[] = {"English", "French", "German"};
    for (int i = 0; i < 3; ++i) RegionLanguage[i] = names[i], CharacterSet[i] = "ISO-8859-1";
    TQV_MovieImage& clip = *MyMovieImage[0];
    clip.Snapshot->LoadFromFile(snapshot);
    clip.SubtitleFile = srt;
    clip.SubtitleLanguage = 1;
    clip.SubtitleFontName = "Liberation Sans";
    clip.SubtitleFontSize = 28;
    TQV_Video_DVD_Subtitle_Property_Form* form = nullptr;
    Application->CreateForm(form);
    form->PrepareSubtitleDialog(&clip, 1);
    if (textPage) form->kivPageControl->SetActivePage(form->TabSheet_Text);
    form->ShowSubtitleDialog();
    std::printf("subtitle %s, %s %d, language %d\n", clip.SubtitleFile.c_str(), clip.SubtitleFontName.c_str(),
                clip.SubtitleFontSize, clip.SubtitleLanguage);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string what = argc > 1 ? argv[1] : "moment";
    if (what != "moment" && what != "text" && what != "chapter" && what != "subtitle" && what != "subtitle-utf8") {
        std::fprintf(stderr, "usage: dialogdemo moment|text|chapter|subtitle|subtitle-utf8 [text]\n");
        return 2;
    }
    testkit::TempFolder folder("keldara-dialogdemo");
    setenv("KELDARA_AUDIO", "null", 1);
    setenv("KELDARA_REGISTRY", folder.File("registry").c_str(), 1);
    constexpr double duration = 60;
    testkit::ClipSpec spec;
    spec.seconds = duration;
    const std::string clip = folder.File("demo.avi");
    testkit::WriteClip(clip, spec);
    CoInitialize(nullptr);
    TApplication app;
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    AddDemoClip(clip, duration, 10, 50);
    app.CreateForm(QV_Video_DVD_Clip_Property_Form);
    app.CreateForm(QV_Video_DVD_Setup_Chapter_Form);
    const bool textPage = argc > 2 && std::string(argv[2]) == "text";
    const int code = what.starts_with("subtitle") ? ShowSubtitle(folder, what == "subtitle-utf8", textPage)
                     : what == "chapter" ? ShowChapterSetup()
                                         : ShowClipProperty(what == "text");
    MyMovieImage.Clear();
    CoUninitialize();
    return code;
}
