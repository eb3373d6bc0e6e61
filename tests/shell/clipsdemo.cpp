// The source clips window in a real window, for screenshots: clipsdemo [KIND] [SCENE]
// (1 DVD, 2 SVCD, 3 VCD; default 1) prepares the disc build's clips window.
// Scenes: "clips" (default) adds six synthetic clips through its own Add button,
// selects the third and previews it; "empty" leaves the list empty; "trim" also
// sets the third clip's begin and end while it plays, then pauses it; "open"
// opens Add's own file dialog in the clips' folder and leaves it open.
#include "base/projectdata.h"
#include "base/qv_loadfile.h"
#include "base/qv_movieimage.h"
#include "com/com.h"
#include "dshow/mediafilters.h"
#include "shell/qv_videodvdsetupsourceclipsform.h"
#include "skin/kivbutton.h"
#include "skin/kivtrackbar.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"

#include "rtl/paths.h"
#include "vcl/application.h"
#include "vcl/dialogs.h"
#include "vcl/qtbackend.h"
#include "vcl/timer.h"
#include "win32/progfolders.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// Answers the Add button's dialog with the demo's clips.
class DemoDialogs : public TDialogProvider {
public:
    explicit DemoDialogs(std::vector<std::string> files) : files_(std::move(files)) {}
    bool FileDialog(const TFileDialogRequest&, TFileDialogAnswer& answer) override
    {
        answer.Files = files_;
        return true;
    }
    bool FolderDialog(const std::string&, std::string&, const TFolderDialogEvents&) override { return false; }
    bool FontDialog(TFont&) override { return false; }
    bool ColorDialog(TColor&, std::vector<TColor>&) override { return false; }

private:
    std::vector<std::string> files_;
};

} // namespace

int main(int argc, char** argv)
{
    const int kind = argc > 1 ? std::atoi(argv[1]) : 1;
    const std::string scene = argc > 2 ? argv[2] : "clips";
    if (scene != "clips" && scene != "empty" && scene != "trim" && scene != "open") {
        std::fprintf(stderr, "usage: clipsdemo [KIND] [clips|empty|trim|open]\n");
        return 2;
    }
    testkit::TempFolder folder("keldara-clipsdemo");
    setenv("KELDARA_AUDIO", "null", 1);
    setenv("KELDARA_REGISTRY", folder.File("registry").c_str(), 1);
    SetProgramFolder(folder.Path() + "/");
    ForceDirectories(folder.Path() + "/Snapshot");
    std::vector<std::string> files;
    const char* names[6] = {"Holiday at the sea.mp4", "Birthday.mpg", "Garden party.mkv", "School play.avi",
                            "Wedding dance.mpg", "First steps.avi"};
    for (int i = 0; i < 6; ++i) {
        testkit::ClipSpec spec;
        spec.seconds = 6 + 4 * i;
        spec.width = i % 2 ? 352 : 320;
        spec.height = i % 2 ? 240 : 240;
        if (i == 2) {   // a TV recording flagged 16:9, letter-boxed in the preview at that shape
            spec.width = 720, spec.height = 576;
            spec.sarNum = 64, spec.sarDen = 45;
        }
        spec.video = i % 2 ? testkit::VideoCodec::Mpeg2 : testkit::VideoCodec::Mpeg4;
        files.push_back(folder.File(names[i]));
        testkit::WriteClip(files.back(), spec);
    }
    CoInitialize(nullptr);
    RegisterMediaFilters();

    TApplication app;
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    if (scene == "open") {
        std::ofstream(folder.File("Shopping list.txt")) << "not a clip\n";
        std::filesystem::current_path(folder.Path());   // where the dialog opens
    } else {
        InstallDialogProvider(app.GetBackend().Name(), std::make_unique<DemoDialogs>(files));
    }
    app.CreateForm(QV_Video_DVD_Setup_Source_Clips_Form);
    TQV_Video_DVD_Setup_Source_Clips_Form& form = *QV_Video_DVD_Setup_Source_Clips_Form;
    form.PrepareClipsForm(0, kind);
    form.PrepareClipsForm(1, kind);

    TTimer script(nullptr);
    script.SetInterval(200);
    int step = 0;
    script.OnTimer = [&](TObject*) {
        if (step == 0) {
            if (scene == "empty") {
                step = 5;
                return;
            }
            if (scene == "open") {
                step = 6;   // the dialog runs its own loop: this timer may tick inside it
                form.kivImageButton_AddClick(nullptr);
                return;
            }
            form.kivImageButton_AddClick(nullptr);
            step = 1;
        } else if (step == 1 && !form.Loader) {
            form.ClipClick(MyMovieImage[2]);
            form.kivImageButton_PreviewClick(nullptr);
            step = 2;
            std::printf("loaded %lld clips\n", static_cast<long long>(MyMovieImage.Length()));
            std::fflush(stdout);
        } else if (step == 2 && scene == "trim" && form.CurrentPosition >= 3) {
            form.kivImageButton_SetBeginClick(form.kivImageButton_SetBegin);
            step = 3;
        } else if (step == 3 && form.CurrentPosition >= 9) {
            form.kivImageButton_SetBeginClick(form.kivImageButton_SetEnd);
            // Paused as a press on the play bar leaves it, so the picture stays on the new end.
            form.kivTrackBarMouseDown(form.kivTrackBar, mbLeft, {}, 0, 0);
            std::printf("trimmed to %.2f..%.2f s\n", MyMovieImage[2]->StartPoint, MyMovieImage[2]->EndPoint);
            std::fflush(stdout);
            step = 4;
        }
    };
    form.ShowClipsWizard();
    CoUninitialize();
    return 0;
}
