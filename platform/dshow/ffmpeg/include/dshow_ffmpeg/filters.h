#pragma once
// The filters built on FFmpeg: the file source/decoder, the video and audio
// renderers, the null renderer, the sample grabber and the media detector.
// They are known to CoCreateInstance and to automatic graph building (RenderFile
// finds the source, Render the renderers) as soon as a program names one of the
// classes below, or calls RegisterMediaFilters (any number of times).
#include "com/guid.h"
#include "dshow/interfaces.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The file source and decoder: one output pin per audio or video stream.
extern const CLSID CLSID_FfmpegSource;     // {0F27FEAB-142D-4829-8C37-F0FEB3EF29C1}
extern const CLSID CLSID_VideoRenderer;    // {70E102B0-5556-11CE-97C0-00AA0055595A}
extern const CLSID CLSID_DSoundRender;     // {79376820-07D0-11CF-A24D-0020AFD79767}, the audio renderer
extern const CLSID CLSID_NullRenderer;     // {C1F400A4-3F08-11D3-9F0B-006008039E37}

void RegisterMediaFilters();

// ---------------------------------------------------------------------------
// What the video renderer shows, for whoever paints its window: the window
// settings given through IVideoWindow and the picture last presented.
struct VideoWindowSettings {
    LONG_PTR owner = 0;        // the owner window's handle (OAHWND)
    LONG style = 0;
    LONG left = 0, top = 0, width = 0, height = 0;
    bool visible = false;
};

struct VideoPicture {
    BITMAPINFOHEADER header{};          // 24 or 32 bits, bottom-up
    std::vector<std::uint8_t> bits;
    REFERENCE_TIME start = 0;           // stream time of the picture
};

// The window side of a video renderer. The framework installs a factory that
// makes one per renderer; without one, renderers only keep their last picture.
class VideoSurface {
public:
    virtual ~VideoSurface() = default;
    virtual void WindowChanged(const VideoWindowSettings& settings) = 0;
    // A new picture is ready (called on the streaming thread; fetch it with
    // IVideoFrameAccess::GetLastPicture on any thread).
    virtual void PictureChanged() = 0;
};
using VideoSurfaceFactory = std::function<std::unique_ptr<VideoSurface>(class IVideoFrameAccess* renderer)>;
void SetVideoSurfaceFactory(VideoSurfaceFactory factory);

inline constexpr IID IID_IVideoFrameAccess{0x66BAC460, 0xBB93, 0x48E5, {0x8D, 0xA9, 0xCA, 0x9C, 0x9E, 0x0A, 0x51, 0x60}};

// Asked of the video renderer (or of a graph's video renderer filter).
class IVideoFrameAccess : public IUnknown {
public:
    // VFW_E_WRONG_STATE until a picture has arrived.
    virtual HRESULT STDMETHODCALLTYPE GetLastPicture(VideoPicture* picture) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWindowSettings(VideoWindowSettings* settings) = 0;
    virtual LONG STDMETHODCALLTYPE PicturesPresented() = 0;

protected:
    ~IVideoFrameAccess() = default;
};

// The audio renderer (CLSID_DSoundRender) plays through the sound server when
// there is one and renders silently against its clock when there is none (or
// when KELDARA_AUDIO=null is set); either way it offers the graph clock
// (IReferenceClock).
