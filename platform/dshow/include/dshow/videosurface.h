#pragma once
// The video renderer's window side: whoever shows pictures in its own windows
// (the framework) installs a surface factory; each renderer made afterwards
// gets a surface of its own and reports window settings and new pictures to it.
#include "dshow/export.h"
#include "dshow/interfaces.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

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
// Answers the factory it replaces.
DSHOW_API VideoSurfaceFactory SetVideoSurfaceFactory(VideoSurfaceFactory factory);
// What a video renderer calls once it is made: the installed factory's surface,
// or null when there is no factory.
DSHOW_API std::unique_ptr<VideoSurface> CreateVideoSurface(class IVideoFrameAccess* renderer);

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
