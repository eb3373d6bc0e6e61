#include "chapterthumbnails.h"

#include "chapterpages.h"
#include "titlelayout.h"

#include "base/dvdchapter.h"
#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_movieimage.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "dshow/mediatype.h"
#include "dshow/qedit.h"
#include "gfx/bitmap.h"
#include "rtl/clock.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "skin/kivimagepanel.h"
#include "skin/kivprogressbar.h"
#include "vcl/application.h"
#include "win32/progfolders.h"

#include <atomic>
#include <cmath>

namespace {

constexpr int kRunChecks = 100, kRunCheckMs = 10, kSettleMs = 800;
// How much longer a busy machine is given for the first picture of the new place.
constexpr std::uint32_t kFirstFrameMs = 5000;
constexpr const char* kGrabFile = "Snapshot/s-chapter.bmp";

// Counts the pictures that reach the grabber.
class FrameCounter : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = riid == IID_IUnknown || riid == IID_ISampleGrabberCB ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    // Lives as long as the grab that owns it, which closes its graph first.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override
    {
        ++frames;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, LONG) override { return S_OK; }
    std::atomic<long> frames{0};
};

class GraphGroupGrab : public ChapterGrabGraph {
public:
    ~GraphGroupGrab() override { Close(); }
    bool Open(const std::wstring& path, TWinControl& window) override
    {
        graph_ = std::make_unique<GraphGroup>();
        graph_->GrabFrames = true;
        graph_->MuteAudio = true;
        if (FAILED(graph_->BuildGraph()) || FAILED(graph_->RenderClip(path))) return false;
        // Pictures are counted only where the video reaches the grabber: a file without
        // one never sends any, and is not waited for.
        AM_MEDIA_TYPE mt{};
        if (graph_->Grabber && SUCCEEDED(graph_->Grabber->GetConnectedMediaType(&mt))) {
            FreeMediaType(mt);
            counting_ = SUCCEEDED(graph_->Grabber->SetCallback(&counter_, 0));
        }
        // Only the grabber's frames are wanted; no video shows.
        graph_->SetVideoWindow(window.Handle(), Rect(0, 0, window.Width(), window.Height()));
        graph_->ShowVideo(false);
        return true;
    }
    bool Seek(double seconds) override
    {
        const bool moved = SUCCEEDED(graph_->SeekTo(static_cast<LONGLONG>(seconds * kGraphUnitsPerSecond)));
        // The seek has flushed what was on its way: pictures counted from now are of the new place.
        seekedAt_ = counter_.frames.load();
        return moved;
    }
    bool FrameSinceSeek() override { return !counting_ || counter_.frames.load() > seekedAt_; }
    bool Run() override { return SUCCEEDED(graph_->Run()); }
    bool IsRunning() override { return graph_->State == GraphGroup::Running; }
    bool SaveFrame(const std::string& path) override { return SUCCEEDED(graph_->SaveFrameBitmap(path)); }
    void Pause() override { graph_->Pause(); }
    void Close() override
    {
        if (!graph_) return;
        graph_->Stop();
        graph_->ReleaseGraph();
        graph_.reset();
    }

private:
    FrameCounter counter_;   // before the graph: it outlives the grabber that calls it
    long seekedAt_ = 0;
    bool counting_ = false;
    std::unique_ptr<GraphGroup> graph_;
};

// Closes the grab's graph however the grab ends.
struct GraphCloser {
    ChapterGrabGraph* graph;
    ~GraphCloser()
    {
        if (graph) graph->Close();
    }
};

} // namespace

std::unique_ptr<ChapterGrabGraph> NewChapterGrabGraph() { return std::make_unique<GraphGroupGrab>(); }

bool ChapterThumbnails::Stopped() const
{
    // Exit (or any close) during the grab ends it at its next wait.
    return form_.ModalResult() != mrNone;
}

void ChapterThumbnails::Grab(int t)
{
    auto& f = form_;
    TQV_MovieImage* clip = f.titles_->At(t);
    if (!clip || t >= MyDVDChapter.Length() || !f.MakeGrabGraph) return;
    std::unique_ptr<ChapterGrabGraph> graph = f.MakeGrabGraph();
    if (!graph) return;
    GraphCloser closer{graph.get()};
    // A graph that cannot be built leaves the placeholders.
    if (!graph->Open(clip->WidePath, *f.kivImagePanel_Preview)) return;
    const std::string file = JoinPath(ProgramFolder(), kGrabFile);
    ForceDirectories(ExtractFilePath(file));
    DVDChapter& page = ChapterListAt(t);
    for (std::int64_t j = 0; j < page.ChapterTimes.Length(); ++j) {
        if (Stopped()) return;
        if (clip->SupportsSeek && !graph->Seek(std::trunc(page.ChapterTimes[j]))) continue;
        if (!graph->Run()) continue;
        for (int check = 0; check < kRunChecks && !graph->IsRunning() && !Stopped(); ++check) {
            Sleep(kRunCheckMs);
            Application->ProcessMessages();
        }
        // Let a picture of the new place arrive, the window answering meanwhile.
        const std::uint32_t since = GetTickCount();
        while (GetTickCount() - since < kSettleMs && !Stopped()) {
            Sleep(kRunCheckMs);
            Application->ProcessMessages();
        }
        // A loaded machine may not have shown a picture of the new place yet: the one
        // held would be the last chapter's.
        const std::uint32_t late = GetTickCount();
        while (!graph->FrameSinceSeek() && GetTickCount() - late < kFirstFrameMs && !Stopped()) {
            Sleep(kRunCheckMs);
            Application->ProcessMessages();
        }
        if (Stopped()) return;
        DeleteFile(file);
        if (graph->SaveFrame(file)) {
            try {
                TBitmap grabbed;
                grabbed.LoadFromFile(file);
                if (!grabbed.Empty()) page.ChapterThumbnails[j]->Assign(grabbed);
            } catch (const std::exception&) {
                // An unreadable grab leaves the placeholder.
            }
        }
        graph->Pause();
        f.chapters_->RebuildPicture(t, static_cast<int>(j));
        ++f.ChaptersDone;
        if (f.TotalChapters > 0) f.kivProgressBar1->SetPosition(f.ChaptersDone * 100 / f.TotalChapters);
    }
}
