// Plays a clip in a picture panel the way the preview does, with the 40 ms
// position tick shown under it: previewdemo [CLIP] (a synthetic clip when none).
// With --probe the clip is probed first and its snapshot tile is shown beside it.
#include "base/qv_graphgroupclass.h"
#include "base/qv_loadfile.h"
#include "base/qv_movieimage.h"
#include "com/com.h"
#include "com/widestring.h"
#include "rtl/paths.h"
#include "skin/kivimagepanel.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/qtbackend.h"
#include "vcl/stdctrls.h"
#include "win32/progfolders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

class TPreviewDemo : public TForm {
public:
    explicit TPreviewDemo(TComponent* owner) : TForm(owner)
    {
        SetBounds(100, 100, 520, 330);
        SetCaption("Keldara preview");
        SetColor(clWhite);
        panel = new TkivImagePanel(this);
        panel->SetParent(this);
        panel->SetBounds(10, 10, 360, 270);
        panel->SetColor(clBlack);
        info = new TLabel(this);
        info->SetParent(this);
        info->SetBounds(10, 290, 360, 20);
        facts = new TLabel(this);
        facts->SetParent(this);
        facts->SetBounds(380, 100, 130, 120);
        facts->SetWordWrap(true);
    }

    void Play(const std::string& file)
    {
        graph = std::make_unique<GraphGroup>();
        graph->MuteAudio = true;
        if (FAILED(graph->BuildGraph()) || FAILED(graph->RenderClip(Utf8ToWide(file)))) {
            info->SetCaption("Cannot play " + file);
            return;
        }
        graph->SetVideoWindow(panel->Handle(), TRect{0, 0, panel->Width(), panel->Height()});
        graph->SetNotifyWindow(Handle(), MSG_GRAPH_EVENT, 0);
        graph->Run();
        graph->StartTicker();
    }

    void Probe(const std::string& file)
    {
        loader = std::make_unique<TQV_LoadFile>(false, file, 0, 0, Handle());
    }

    void WndProc(TMessage& m) override
    {
        if (m.Msg == MSG_GRAPH_TICK && graph) {
            char text[96];
            std::snprintf(text, sizeof text, "%s  %.2f s of %.2f s  (%d %%)",
                          m.WParam == 0 ? "Running" : m.WParam == 1 ? "Paused" : "Stopped", graph->Position.load(),
                          graph->Duration.load(), graph->Percent.load());
            info->SetCaption(text);
            return;
        }
        if ((m.Msg == MSG_LOAD_READY || m.Msg == MSG_LOAD_GAVE_UP || m.Msg == MSG_LOAD_FAILED) && loader) {
            loader->WaitFor();
            clip = std::move(loader->Clip);
            loader.reset();
            if (clip) {
                clip->SetParent(this);
                clip->SetBounds(395, 10, 101, 76);
                char text[160];
                std::snprintf(text, sizeof text, "%dx%d, %.2f fps, %.2f s, %d video, %d audio", clip->VideoWidth,
                              clip->VideoHeight, clip->FrameRate, clip->Duration, clip->VideoStreamCount,
                              clip->AudioStreamCount);
                facts->SetCaption(text);
            } else {
                facts->SetCaption("Refused");
            }
            return;
        }
        TForm::WndProc(m);
    }

    ~TPreviewDemo() override
    {
        if (graph) {
            graph->Stop();
            graph->ReleaseGraph();
        }
    }

private:
    TkivImagePanel* panel = nullptr;
    TLabel* info = nullptr;
    TLabel* facts = nullptr;
    std::unique_ptr<GraphGroup> graph;
    std::unique_ptr<TQV_LoadFile> loader;
    ClipPtr clip;
};

} // namespace

int main(int argc, char** argv)
{
    bool probe = false;
    std::string clip;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--probe") == 0)
            probe = true;
        else
            clip = argv[i];
    }
    testkit::TempFolder folder("keldara-previewdemo");
    setenv("KELDARA_AUDIO", "null", 1);
    setenv("KELDARA_REGISTRY", folder.File("registry").c_str(), 1);
    if (clip.empty()) {
        testkit::ClipSpec spec;
        spec.seconds = 30;
        clip = folder.File("demo.avi");
        testkit::WriteClip(clip, spec);
    }
    SetProgramFolder(folder.Path() + "/");
    ForceDirectories(folder.Path() + "/Snapshot");
    CoInitialize(nullptr);
    TApplication app;
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    TPreviewDemo* form = nullptr;
    app.CreateForm(form);
    form->Show();
    form->Play(clip);
    if (probe)
        form->Probe(clip);
    app.Run();
    CoUninitialize();
    return 0;
}
