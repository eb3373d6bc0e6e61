// The convert window in a real window, for screenshots:
//   convertdemo [KIND [SECONDS [DELAY]]]
// (KIND 1 DVD, 2 SVCD, 3 VCD; default 1) converts three synthetic clips of
// SECONDS, 1.5 x SECONDS and 2 x SECONDS (default 8) into a temporary working
// folder, started DELAY seconds (default 1) after the window shows. KIND
// "author" is the menu designer's run instead: three finished VOB files of
// those lengths, a menu background and a title menu with a button a title
// become a DVD folder. The window stays open when the run ends.
#include "discfixture.h"

#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "pipeline/qv_videodvdconvertprocessform.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"

#include "rtl/paths.h"
#include "vcl/application.h"
#include "vcl/qtbackend.h"
#include "vcl/timer.h"
#include "win32/process.h"
#include "win32/progfolders.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// The menu designer's leavings: finished VOB files of the user's in the clip
// list, the menu background and the title menu's description in RES/.
bool MakeTitlesAndMenu(const testkit::TempFolder& folder, double seconds)
{
    const char* names[3] = {"Holiday at the sea", "Birthday", "Garden party"};
    const std::string titles = folder.File("My VOBs");
    const std::string res = ProgramFolder() + "RES/";
    ForceDirectories(titles);
    try {
        for (int i = 0; i < 3; ++i) {
            const double length = seconds * (1 + 0.5 * i);
            const std::string vob = disctest::MuxVob(titles, names[i], length);
            auto* clip = new TQV_MovieImage(nullptr, i);
            clip->ClipName = ExtractFileName(vob);
            clip->SourcePath = vob;
            clip->AudioDuration = clip->VideoDuration = clip->Duration = clip->EndPoint = length;
            clip->VideoWidth = 720;
            clip->VideoHeight = 576;
            clip->FrameRate = 25;
            clip->AudioStreamCount = clip->VideoStreamCount = 1;
            MyMovieImage.Add(ClipPtr(clip));
        }
        if (outsidetest::Run({"convert", "-size", "720x576", "gradient:#183060-#60A0E0", "-fill", "white", "-draw",
                              "rectangle 100,20 300,56", "-draw", "rectangle 100,64 300,100", "-draw",
                              "rectangle 100,108 300,144", "BMP3:" + res + "backbitmap_P.bmp"}) != 0)
            throw std::runtime_error("ImageMagick could not draw the menu background");
        std::string xml;
        disctest::MakeMenu(res, "", res + "Menu_P", 3, &xml);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "convertdemo: %s\n", e.what());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool authorOnly = argc > 1 && std::string(argv[1]) == "author";
    const int kind = authorOnly ? 0 : argc > 1 ? std::atoi(argv[1]) : 1;
    const double seconds = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 8;
    const int delayMs = argc > 3 ? std::max(0, static_cast<int>(std::atof(argv[3]) * 1000)) : 1000;
    testkit::TempFolder folder("keldara-convertdemo");
    const std::string registry = folder.File("registry");
    setenv("KELDARA_REGISTRY", registry.c_str(), 1);
    // The encoder finds its sample sinks as the program registers them at start-up.
    for (const char* server : {"audio.dll", "video.dll"}) {
        ProcessSpec spec;
        spec.argv = {ExecutableFolder() + "regsvr32", "/s", server};
        spec.extraEnv = {{"KELDARA_REGISTRY", registry}};
        RunProcess(spec, 30000);
    }
    SetProgramFolder(folder.Path() + "/");
    CreateAppFolders();
    const char* names[3] = {"Holiday at the sea.avi", "Birthday.avi", "Garden party.avi"};
    if (authorOnly && !MakeTitlesAndMenu(folder, seconds)) return 1;
    for (int i = 0; i < 3 && !authorOnly; ++i) {
        testkit::ClipSpec spec;
        spec.seconds = seconds * (1 + 0.5 * i);
        const std::string path = folder.File(names[i]);
        testkit::WriteClip(path, spec);
        auto* clip = new TQV_MovieImage(nullptr, i);
        clip->ClipName = names[i];
        clip->SourcePath = path;
        clip->AudioDuration = clip->VideoDuration = clip->Duration = clip->EndPoint = spec.seconds;
        clip->VideoWidth = spec.width;
        clip->VideoHeight = spec.height;
        clip->FrameRate = 25;
        clip->AudioStreamCount = clip->VideoStreamCount = 1;
        MyMovieImage.Add(ClipPtr(clip));
    }

    TApplication app;
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    app.CreateForm(QV_Video_DVD_Convert_Process_Form);
    TQV_Video_DVD_Convert_Process_Form& form = *QV_Video_DVD_Convert_Process_Form;
    form.InitConvertProcess(authorOnly, kind);
    form.SetWorkingFolderText(folder.File("work") + "/");
    if (authorOnly) form.SetAuthorOnly(0);
    else form.ShowClipPanels();

    TTimer start(nullptr);
    start.SetInterval(std::max(1, delayMs));
    start.OnTimer = [&](TObject*) {
        start.SetEnabled(false);
        form.kivImageButton_StartClick(nullptr);
    };
    form.ShowConvertProcess();
    ReleaseProjectData();
    return 0;
}
