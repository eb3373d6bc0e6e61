// The burning-process window in a real window, for screenshots: two VCD clips
// made by the ffmpeg program are listed, and Start is pressed a second after
// the window opens. The CD image is built in a temporary working folder and
// written at 1x onto the virtual recorder, which throttles the write as a
// real drive would:
//   burningdemo [SECONDS-BEFORE-START]
#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "pipeline/qv_videodvddiscburningprocessform.h"
#include "rtl/paths.h"
#include "skin/kivcombobox.h"
#include "testkit/tempfolder.h"
#include "vcl/application.h"
#include "vcl/qtbackend.h"
#include "vcl/timer.h"
#include "win32/process.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    testkit::TempFolder folder("keldara-burningdemo");
    // The recorder is found at the pass-through's first look: set before anything opens a drive.
    setenv("KELDARA_VIRTUAL_RECORDER", ("cdr:" + folder.File("disc.img")).c_str(), 1);
    setenv("KELDARA_AUDIO", "null", 1);
    setenv("KELDARA_REGISTRY", folder.File("registry").c_str(), 1);
    auto files = std::make_shared<BurnFiles>();
    for (const char* name : {"Birthday.mpg", "Garden.mpg"}) {
        ProcessSpec spec;
        spec.argv = {"ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=352x288:rate=25", "-f",
                     "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", "12", "-target", "pal-vcd",
                     folder.File(name)};
        spec.captureOutput = true;
        if (!RunProcess(spec, 120000).Succeeded()) {
            std::fprintf(stderr, "burningdemo: ffmpeg failed\n");
            return 1;
        }
        files->MpgFiles.push_back(folder.File(name));
    }
    TApplication app;
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    s_WorkFolderPath = folder.File("work/");
    ForceDirectories(s_WorkFolderPath);
    app.CreateForm(QV_Video_DVD_Disc_Burning_Process_Form);
    TQV_Video_DVD_Disc_Burning_Process_Form& form = *QV_Video_DVD_Disc_Burning_Process_Form;
    if (!form.InitBurningProcess(3, files)) {
        std::fprintf(stderr, "burningdemo: no burner\n");
        return 1;
    }
    form.kivComboBox_WriteSpeed->SetItemIndex(0);   // "CD-1 X": the throttled write takes its time
    TTimer start(nullptr);
    start.SetInterval(static_cast<unsigned>((argc > 1 ? std::atof(argv[1]) : 1.0) * 1000));
    start.OnTimer = [&](TObject*) {
        start.SetEnabled(false);
        form.kivImageButton_StartClick(nullptr);
    };
    start.SetEnabled(true);
    form.ShowBurningProcess();
    return 0;
}
