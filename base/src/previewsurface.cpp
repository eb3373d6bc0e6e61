#include "base/previewsurface.h"

#include "dshow/videosurface.h"
#include "gfx/bitmap.h"
#include "skin/kivimagepanel.h"
#include "vcl/controls.h"
#include "win32/messages.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

constexpr UINT kPresent = WM_APP + 0x105;

// A bottom-up 24- or 32-bit picture as a top-down 24-bit bitmap; false for anything else.
bool PictureToBitmap(const VideoPicture& picture, TBitmap& bitmap)
{
    const BITMAPINFOHEADER& h = picture.header;
    const int width = h.biWidth;
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const int bytesPerPixel = h.biBitCount / 8;
    if (width <= 0 || height <= 0 || (bytesPerPixel != 3 && bytesPerPixel != 4))
        return false;
    const std::size_t stride = (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t{3};
    if (picture.bits.size() < stride * static_cast<std::size_t>(height))
        return false;
    bitmap = TBitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y) {
        const int row = h.biHeight < 0 ? y : height - 1 - y;
        const std::uint8_t* from = picture.bits.data() + stride * static_cast<std::size_t>(row);
        std::uint8_t* to = bitmap.ScanLine(y);
        if (bytesPerPixel == 3) {
            std::memcpy(to, from, static_cast<std::size_t>(width) * 3);
        } else {
            for (int x = 0; x < width; ++x)
                std::memcpy(to + 3 * x, from + 4 * x, 3);
        }
    }
    return true;
}

// What the surface and its messages share; it outlives whichever goes last.
struct SurfaceState {
    std::mutex mutex;
    IVideoFrameAccess* renderer = nullptr;   // null once the renderer is gone
    VideoWindowSettings settings;
    bool shown = false;                      // a frame of ours is on the panel
    std::atomic<bool> pending{false};
};

// On the panel's thread: shows the renderer's last picture, or clears the panel.
void Present(SurfaceState& state)
{
    state.pending = false;
    std::lock_guard lock(state.mutex);
    if (!state.renderer)
        return;
    auto* panel = dynamic_cast<TkivCustomPanel*>(FindControl(reinterpret_cast<HWND>(state.settings.owner)));
    if (!panel)
        return;
    if (!state.settings.visible) {
        if (state.shown)
            panel->ClearFrame();
        state.shown = false;
        return;
    }
    VideoPicture picture;
    TBitmap frame;
    if (state.renderer->GetLastPicture(&picture) != S_OK || !PictureToBitmap(picture, frame))
        return;
    const VideoWindowSettings& s = state.settings;
    std::optional<TRect> dest;
    if (s.width > 0 && s.height > 0)
        dest = TRect{s.left, s.top, s.left + s.width, s.top + s.height};
    panel->ShowFrame(frame, dest);
    state.shown = true;
}

class PreviewSurface : public VideoSurface {
public:
    explicit PreviewSurface(IVideoFrameAccess* renderer) : state_(std::make_shared<SurfaceState>())
    {
        state_->renderer = renderer;
    }
    ~PreviewSurface() override
    {
        HWND relay;
        {
            std::lock_guard lock(state_->mutex);
            state_->renderer = nullptr;
            relay = relay_;
            relay_ = nullptr;
        }
        if (relay)
            DeallocateHWnd(relay);
    }

    void WindowChanged(const VideoWindowSettings& settings) override
    {
        bool repaint;
        {
            std::lock_guard lock(state_->mutex);
            state_->settings = settings;
            // A hidden window takes its frame away; a shown one puts the last picture back.
            repaint = settings.visible ? state_->renderer && state_->renderer->PicturesPresented() > 0 : state_->shown;
        }
        if (repaint)
            Post();
    }

    void PictureChanged() override
    {
        {
            std::lock_guard lock(state_->mutex);
            if (!state_->settings.visible || !state_->settings.owner)
                return;
        }
        Post();
    }

private:
    void Post()
    {
        if (state_->pending.exchange(true))
            return;   // the waiting message will show the newest picture
        HWND relay = nullptr;
        {
            std::lock_guard lock(state_->mutex);
            if (!relay_) {
                MessageQueue* queue = QueueOfWindow(reinterpret_cast<HWND>(state_->settings.owner));
                if (queue) {
                    std::weak_ptr<SurfaceState> weak = state_;
                    relay_ = AllocateHWnd(*queue, [weak](UINT message, WPARAM, LPARAM) -> LRESULT {
                        if (message == kPresent)
                            if (auto state = weak.lock())
                                Present(*state);
                        return 0;
                    });
                }
            }
            relay = relay_;
        }
        if (!relay || !PostMessage(relay, kPresent, 0, 0))
            state_->pending = false;
    }

    std::shared_ptr<SurfaceState> state_;
    HWND relay_ = nullptr;   // a handle on the owner window's thread; guarded by the state's mutex
};

} // namespace

void InstallPreviewSurfaces()
{
    static std::once_flag once;
    std::call_once(once, [] {
        SetVideoSurfaceFactory([](IVideoFrameAccess* renderer) -> std::unique_ptr<VideoSurface> {
            return std::make_unique<PreviewSurface>(renderer);
        });
    });
}
