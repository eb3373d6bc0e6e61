// The disc-burner setup in a real window, for screenshots:
//   burnersetupdemo dvd    a DVD folder listed (sparse files of a two-title disc)
//   burnersetupdemo svcd   two SVCD MPEG files listed
#include "base/projectdata.h"
#include "pipeline/qv_videodvdsetupdiscburnerform.h"
#include "rtl/paths.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"
#include "vcl/application.h"
#include "vcl/qtbackend.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void MakeFile(const std::string& folder, const std::string& name, std::uintmax_t bytes)
{
    const std::string path = JoinPath(folder, name);
    std::ofstream(path).put('x');
    std::filesystem::resize_file(path, bytes);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string what = argc > 1 ? argv[1] : "dvd";
    if (what != "dvd" && what != "svcd") {
        std::fprintf(stderr, "usage: burnersetupdemo dvd|svcd\n");
        return 2;
    }
    testkit::TempFolder folder("keldara-burnerdemo");
    setenv("KELDARA_AUDIO", "null", 1);
    setenv("KELDARA_REGISTRY", folder.File("registry").c_str(), 1);
    TApplication app;
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    app.CreateForm(QV_Video_DVD_Setup_Disc_Burner_Form);
    TQV_Video_DVD_Setup_Disc_Burner_Form& form = *QV_Video_DVD_Setup_Disc_Burner_Form;
    if (what == "dvd") {
        const std::string ts = folder.File("Holiday/VIDEO_TS");
        ForceDirectories(ts);
        for (const char* name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP"}) MakeFile(ts, name, 14336);
        MakeFile(ts, "VIDEO_TS.VOB", 210 << 10);
        for (int t = 1; t <= 2; ++t) {
            const std::string set = "VTS_0" + std::to_string(t);
            MakeFile(ts, set + "_0.IFO", 28672);
            MakeFile(ts, set + "_0.BUP", 28672);
            for (int v = 1; v <= 2; ++v) MakeFile(ts, set + "_" + std::to_string(v) + ".VOB", std::uintmax_t(1023) << 20);
        }
        form.InitBurnFileList(1);
        form.Model.AddDvdFolder(folder.File("Holiday"));
    } else {
        form.InitBurnFileList(2);
        for (const char* name : {"Birthday.mpg", "Garden.mpg"}) {
            testkit::ClipSpec spec;
            spec.width = 480, spec.height = 576, spec.seconds = 2, spec.video = testkit::VideoCodec::Mpeg2;
            spec.container = "vob";
            testkit::WriteClip(folder.File(name), spec);
            form.Model.Files->MpgFiles.push_back(folder.File(name));
        }
    }
    form.RefreshGrid();
    form.ShowDiscBurnerSetup();
    return 0;
}
