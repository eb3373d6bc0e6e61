#include "base/qv_loadfile.h"

#include "base/burnpubfunction.h"
#include "base/programpictures.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_movieimage.h"
#include "com/widestring.h"
#include "dshow/dshow.h"
#include "dshow/mediafilters.h"
#include "dshow/qedit.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "rtl/clock.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "win32/progfolders.h"

#include <array>

namespace {

constexpr double kShortestClip = 0.05;             // seconds
constexpr int kPictureWaits = 100;                 // per grab position
constexpr std::uint32_t kPictureWaitMs = 500;
constexpr std::uint32_t kAfterSaveMs = 100;
constexpr LONGLONG kPlayedEnough = 2'000'000;      // 0.2 s: a picture has been shown
// Whole seconds added twice between grabs: grabs at 0, 4, 10, 18, 30 and 50 s.
constexpr std::array<int, 5> kGrabSteps{2, 3, 4, 6, 10};
constexpr int kLastAttempt = static_cast<int>(kGrabSteps.size());   // the sixth grab
constexpr double kKeepClearOfEnd = 8.0;            // seconds; no grab this close to the end
constexpr int kTileWidth = 101;
constexpr int kTileHeight = 76;

// COM for one scope of the calling thread.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope()
    {
        if (ok_)
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

bool LoadPicture(TBitmap& bitmap, const std::string& path)
{
    try {
        TBitmap loaded;
        loaded.LoadFromFile(path);
        if (loaded.Empty())
            return false;
        bitmap = std::move(loaded);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

TQV_LoadFile::TQV_LoadFile(bool createSuspended, const std::string& path, int wparam, int lparam,
                           HWND ownerWindow)
    : TThread(true), OwnerWindow(ownerWindow), FilePath(path), MessageWParam(wparam), MessageLParam(lparam)
{
    FreeOnTerminate = false;
    if (!createSuspended)
        Start();
}

TQV_LoadFile::~TQV_LoadFile()
{
    // Cancels a probe still waiting for pictures; the clip it was making is freed here.
    Terminate();
    try {
        WaitFor();
    } catch (const EThread&) {
        // never started: nothing to wait for
    }
}

std::string TQV_LoadFile::SnapshotFile(int attempt) const
{
    return ProgramFolder() + "Snapshot/t-" + IntToStr(attempt) + "-" + IntToStr(MessageLParam) + "-" +
           IntToStr(MessageWParam) + ".bmp";
}

void TQV_LoadFile::Execute()
{
    UINT message = MSG_LOAD_FAILED;
    try {
        if (SUCCEEDED(ProbeClipFile()))
            message = SaveClipSnapshot() == 0 ? MSG_LOAD_READY : MSG_LOAD_GAVE_UP;
        else
            Refuse();
    } catch (...) {
        // Whatever went wrong, the owner hears of it and is never left waiting.
        Refuse();
        message = MSG_LOAD_FAILED;
    }
    PostMessage(OwnerWindow, message, static_cast<WPARAM>(MessageWParam), MessageLParam);
}

void TQV_LoadFile::Refuse()
{
    if (Clip)
        refused_ = std::move(Clip);
}

HRESULT TQV_LoadFile::ProbeClipFile()
{
    ComScope com;
    ComPtr<IMediaDet> detector;
    RegisterMediaFilters();
    HRESULT hr = CoCreateInstance(CLSID_MediaDet, nullptr, CLSCTX_INPROC_SERVER, IID_IMediaDet, detector.PutVoid());
    if (FAILED(hr))
        return hr;
    std::wstring widePath = Utf8ToWide(FilePath);
    if (FAILED(hr = detector->put_Filename(widePath.data())))
        return hr;

    Clip = ClipPtr(new TQV_MovieImage(nullptr, MessageWParam));
    TQV_MovieImage& clip = *Clip;
    clip.SourcePath = FilePath;
    clip.ClipName = ExtractFileNamePart(FilePath);
    clip.WidePath = widePath;

    LONG streams = 0;
    if (FAILED(detector->get_OutputStreams(&streams)))
        streams = 0;
    for (LONG i = 0; i < streams; ++i) {
        GUID type{};
        if (FAILED(detector->put_CurrentStream(i)) || FAILED(detector->get_StreamType(&type)))
            continue;
        if (type == MEDIATYPE_Video) {
            detector->get_StreamLength(&clip.VideoDuration);
            detector->get_FrameRate(&clip.FrameRate);
            ++clip.VideoStreamCount;
            AM_MEDIA_TYPE mt{};
            if (SUCCEEDED(detector->get_StreamMediaType(&mt))) {
                if (const BITMAPINFOHEADER* bih = VideoBitmapHeader(mt)) {
                    const bool known = bih->biWidth > 0 && bih->biHeight > 0;
                    clip.VideoWidth = known ? bih->biWidth : 0;
                    clip.VideoHeight = known ? bih->biHeight : 0;
                }
                // A picture of pixels that are not square comes with the shape it is shown at.
                if (const VIDEOINFOHEADER2* vih2 = VideoInfo2(mt);
                    vih2 && clip.VideoWidth > 0 && vih2->dwPictAspectRatioX > 0 && vih2->dwPictAspectRatioY > 0 &&
                    vih2->dwPictAspectRatioX <= 0xFFFF && vih2->dwPictAspectRatioY <= 0xFFFF) {
                    clip.PictureAspectX = static_cast<int>(vih2->dwPictAspectRatioX);
                    clip.PictureAspectY = static_cast<int>(vih2->dwPictAspectRatioY);
                }
                FreeMediaType(mt);
            }
        } else if (type == MEDIATYPE_Audio) {
            detector->get_StreamLength(&clip.AudioDuration);
            ++clip.AudioStreamCount;
        }
    }
    clip.Duration = clip.VideoDuration >= clip.AudioDuration ? clip.VideoDuration : clip.AudioDuration;
    clip.EndPoint = clip.Duration;
    detector.Reset();
    // A file without sound is refused, as is one too short to show.
    if (clip.Duration < kShortestClip || clip.AudioStreamCount < 1)
        return E_FAIL;
    return S_OK;
}

// Waits until the graph has played a little past the grab position; false
// when the probe was cancelled meanwhile.
bool TQV_LoadFile::WaitForPicture(GraphGroup& graph)
{
    for (int i = 0; i < kPictureWaits; ++i) {
        if (Terminated())
            return false;
        Sleep(kPictureWaitMs);
        if (graph.State != GraphGroup::Running)
            continue;
        LONGLONG at = 0;
        HRESULT hr = graph.GetCurrentPosition(&at);
        if (FAILED(hr)) {
            Sleep(kPictureWaitMs);
            hr = graph.GetCurrentPosition(&at);
        }
        if (SUCCEEDED(hr) && at >= kPlayedEnough)
            break;
    }
    return !Terminated();
}

int TQV_LoadFile::SaveClipSnapshot()
{
    TQV_MovieImage& clip = *Clip;
    GraphGroup graph;
    graph.GrabFrames = true;
    graph.MuteAudio = true;
    HRESULT hr = graph.BuildGraph();
    if (SUCCEEDED(hr))
        hr = graph.RenderClip(clip.WidePath);
    if (FAILED(hr)) {
        // Nothing to play: no point waiting out the grab positions.
        graph.ReleaseGraph();
        UsePlaceholderPictures();
        FinishClip();
        return 0;
    }
    clip.SupportsSeek = graph.CheckSeeking() == S_OK;
    graph.ShowVideo(false);
    graph.SetVideoWindow(OwnerWindow, TRect{});
    graph.ShowVideo(false);

    int position = 0;
    int attempt = 0;
    bool usable = false;
    std::string file = SnapshotFile(attempt);
    for (;;) {
        hr = graph.Run();
        if (SUCCEEDED(hr)) {
            if (clip.SupportsSeek)
                hr = graph.SeekTo(static_cast<LONGLONG>(position) * kGraphUnitsPerSecond);
            else
                position = 0;
        }
        if (FAILED(hr))
            break;
        if (!WaitForPicture(graph))
            break;
        graph.SaveFrameBitmap(file);
        Sleep(kAfterSaveMs);
        if (IsBitmapFileUsable(file)) {
            usable = true;
            break;
        }
        graph.Pause();
        // The limit is tested before the step table is read: the sixth grab is the last.
        if (attempt >= kLastAttempt)
            break;
        position += kGrabSteps[attempt];
        if (clip.EndPoint - kKeepClearOfEnd <= position || !clip.SupportsSeek)
            break;
        position += kGrabSteps[attempt];
        ++attempt;
        DeleteFile(file);
        file = SnapshotFile(attempt);
    }
    graph.Stop();
    graph.ReleaseGraph();

    if (attempt >= kLastAttempt && !usable)
        return 1;
    if (!FileExists(file) || !LoadPicture(*clip.Snapshot, file)) {
        UsePlaceholderPictures();
    } else {
        // The picture is squeezed into the tile; the clips window fits it later.
        clip.Tile->SetSize(kTileWidth, kTileHeight);
        TCanvas* tile = clip.Tile->Canvas();
        SetStretchBltMode(tile, COLORONCOLOR);
        StretchBlt(tile, 0, 0, kTileWidth, kTileHeight, clip.Snapshot->Canvas(), 0, 0, clip.Snapshot->Width(),
                   clip.Snapshot->Height(), SRCCOPY);
        if ((clip.VideoWidth < 1 || clip.VideoHeight < 1) && clip.Snapshot->Width() > 1 &&
            clip.Snapshot->Height() > 1) {
            clip.VideoWidth = clip.Snapshot->Width();
            clip.VideoHeight = clip.Snapshot->Height();
        }
    }
    FinishClip();
    return 0;
}

void TQV_LoadFile::UsePlaceholderPictures()
{
    // A placeholder that cannot be read leaves the blank tile and an empty snapshot.
    LoadProgramPicture("Video.bmp", *Clip->Tile);
    LoadProgramPicture("VideoP.bmp", *Clip->Snapshot);
}

void TQV_LoadFile::FinishClip()
{
    TQV_MovieImage& clip = *Clip;
    // A sound-only file still becomes a title: it counts one picture stream as long as its sound.
    if (clip.VideoStreamCount < 1) {
        clip.VideoStreamCount = 1;
        clip.VideoDuration = clip.AudioDuration;
    }
    clip.RedrawTile();
}
