// The disc builder in a real window, for screenshots: builderdemo [KIND
// [real]] (1 DVD, 2 SVCD, 3 VCD; default 1) builds three synthetic clips into
// a temporary working folder, started a second after the window shows, with a
// burn stage that lists one writer and takes the finished disc at once; with
// "real", the program's burn stage writes the disc (set
// KELDARA_DVD_IMAGE_WRITER to burn into an image file) or builds the CD image.
// The window stays open when the run ends.
#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "pipeline/discburnstage.h"
#include "pipeline/qv_videodvddiscbuilderform.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"

#include "rtl/paths.h"
#include "vcl/application.h"
#include "vcl/qtbackend.h"
#include "vcl/timer.h"
#include "win32/process.h"
#include "win32/progfolders.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

class DemoBurnStage final : public DiscBurnStage {
public:
    bool InitBurner(TQV_Video_DVD_Disc_Builder_Form& window, int) override
    {
        window.kivComboBox_Drive->Items()->Add("Virtual DVD writer");
        window.kivComboBox_Drive->SetItemIndex(0);
        for (const char* speed : {"DVD-4 X", "DVD-8 X", "DVD-16 X"}) window.kivComboBox_WriteSpeed->Items()->Add(speed);
        window.kivComboBox_WriteSpeed->SetItemIndex(0);
        return true;
    }
    void OnDriveChange(TQV_Video_DVD_Disc_Builder_Form&, int) override {}
    bool CheckDiscBeforeRun(TQV_Video_DVD_Disc_Builder_Form&) override { return true; }
    void StartDvdWrite(TQV_Video_DVD_Disc_Builder_Form& window, const std::string&, const std::string&) override
    {
        window.FinishRun(true);
    }
    void StartImageStage(TQV_Video_DVD_Disc_Builder_Form& window) override { window.FinishRun(true); }
    bool TimerTick(TQV_Video_DVD_Disc_Builder_Form&) override { return false; }
    void WriterMessage(TQV_Video_DVD_Disc_Builder_Form&, UINT, WPARAM, LPARAM) override {}
    void AbortWrite(TQV_Video_DVD_Disc_Builder_Form&) override {}
    void CloseTray(TQV_Video_DVD_Disc_Builder_Form&) override {}
    void Release(TQV_Video_DVD_Disc_Builder_Form&) override {}
};

} // namespace

int main(int argc, char** argv)
{
    const int kind = argc > 1 ? std::atoi(argv[1]) : 1;
    testkit::TempFolder folder("keldara-builderdemo");
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
    for (int i = 0; i < 3; ++i) {
        testkit::ClipSpec spec;
        spec.seconds = 6 + 3 * i;
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
    app.CreateForm(QV_Video_DVD_Disc_Builder_Form);
    TQV_Video_DVD_Disc_Builder_Form& form = *QV_Video_DVD_Disc_Builder_Form;
    if (argc <= 2 || std::string(argv[2]) != "real") form.SetBurnStage(std::make_unique<DemoBurnStage>());
    form.InitDiscBuilder(kind);
    form.BuildWithoutMenu(0);
    form.kivEdit_WorkingFolder->SetText(folder.File("work") + "/");

    TTimer start(nullptr);
    start.SetInterval(1000);
    start.OnTimer = [&](TObject*) {
        start.SetEnabled(false);
        form.kivImageButton_StartClick(nullptr);
    };
    form.ShowDiscBuilder();
    ReleaseProjectData();
    return 0;
}
