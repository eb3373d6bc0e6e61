// The menu designer's dialogs in real windows, for screenshots:
//   dialogdemo moment [CLIP]   the clip property dialog picking a chapter start
//   dialogdemo text [CLIP]     the clip property dialog editing a title text
// A synthetic 60-second clip trimmed to 10..50 s when no clip is given.
#include "com/com.h"
#include "com/widestring.h"
#include "rtl/paths.h"
#include "shell/projectdata.h"
#include "shell/qv_graphgroupclass.h"
#include "shell/qv_movieimage.h"
#include "shell/qv_videodvdclippropertyform.h"
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
    if (!form.OpenClipPreview(0)) std::fprintf(stderr, "dialogdemo: the clip cannot be previewed\n");
    const int result = form.ShowClipProperty();
    std::printf("result %d, picked %.2f s\n", result, form.PickedTime());
    form.ClosePreview();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string what = argc > 1 ? argv[1] : "moment";
    if (what != "moment" && what != "text") {
        std::fprintf(stderr, "usage: dialogdemo moment|text [CLIP]\n");
        return 2;
    }
    testkit::TempFolder folder("keldara-dialogdemo");
    setenv("KELDARA_AUDIO", "null", 1);
    setenv("KELDARA_REGISTRY", folder.File("registry").c_str(), 1);
    std::string clip = argc > 2 ? argv[2] : "";
    double duration = 60;
    if (clip.empty()) {
        testkit::ClipSpec spec;
        spec.seconds = duration;
        clip = folder.File("demo.avi");
        testkit::WriteClip(clip, spec);
    }
    CoInitialize(nullptr);
    TApplication app;
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    AddDemoClip(clip, duration, 10, 50);
    app.CreateForm(QV_Video_DVD_Clip_Property_Form);
    const int code = ShowClipProperty(what == "text");
    MyMovieImage.Clear();
    CoUninitialize();
    return code;
}
