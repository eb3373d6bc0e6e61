#pragma once
// The video renderer: presents RGB pictures at their times against the graph
// clock, keeps the last one, and hands both the picture and the window settings
// given through IVideoWindow to the framework's surface, when one is installed.
#include "dshow/dshow.h"
#include "dshow/mediafilters.h"
#include "dshow/videosurface.h"
#include "dshow_ffmpeg/streamtypes.h"

#include <memory>
#include <mutex>

namespace ffmpeg {

class CVideoRenderer : public CBaseRenderer, public IVideoWindow, public IVideoFrameAccess {
public:
    CVideoRenderer(IUnknown* outer, HRESULT* hr);
    ~CVideoRenderer() override;
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT CheckMediaType(const CMediaType* mt) override;
    HRESULT SetMediaType(const CMediaType* mt) override;
    HRESULT DoRenderSample(IMediaSample* sample) override;
    void OnReceiveFirstSample(IMediaSample* sample) override;
    HRESULT OnStopStreaming() override;
    HRESULT BreakConnect() override;

    // IVideoFrameAccess
    HRESULT STDMETHODCALLTYPE GetLastPicture(VideoPicture* picture) override;
    HRESULT STDMETHODCALLTYPE GetWindowSettings(VideoWindowSettings* settings) override;
    LONG STDMETHODCALLTYPE PicturesPresented() override;

    // IVideoWindow
    DECLARE_NO_DISPATCH
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR caption) override;
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR* caption) override;
    HRESULT STDMETHODCALLTYPE put_WindowStyle(LONG style) override;
    HRESULT STDMETHODCALLTYPE get_WindowStyle(LONG* style) override;
    HRESULT STDMETHODCALLTYPE put_WindowStyleEx(LONG style) override;
    HRESULT STDMETHODCALLTYPE get_WindowStyleEx(LONG* style) override;
    HRESULT STDMETHODCALLTYPE put_AutoShow(LONG autoShow) override;
    HRESULT STDMETHODCALLTYPE get_AutoShow(LONG* autoShow) override;
    HRESULT STDMETHODCALLTYPE put_WindowState(LONG state) override;
    HRESULT STDMETHODCALLTYPE get_WindowState(LONG* state) override;
    HRESULT STDMETHODCALLTYPE put_BackgroundPalette(LONG palette) override;
    HRESULT STDMETHODCALLTYPE get_BackgroundPalette(LONG* palette) override;
    HRESULT STDMETHODCALLTYPE put_Visible(LONG visible) override;
    HRESULT STDMETHODCALLTYPE get_Visible(LONG* visible) override;
    HRESULT STDMETHODCALLTYPE put_Left(LONG left) override;
    HRESULT STDMETHODCALLTYPE get_Left(LONG* left) override;
    HRESULT STDMETHODCALLTYPE put_Width(LONG width) override;
    HRESULT STDMETHODCALLTYPE get_Width(LONG* width) override;
    HRESULT STDMETHODCALLTYPE put_Top(LONG top) override;
    HRESULT STDMETHODCALLTYPE get_Top(LONG* top) override;
    HRESULT STDMETHODCALLTYPE put_Height(LONG height) override;
    HRESULT STDMETHODCALLTYPE get_Height(LONG* height) override;
    HRESULT STDMETHODCALLTYPE put_Owner(OAHWND owner) override;
    HRESULT STDMETHODCALLTYPE get_Owner(OAHWND* owner) override;
    HRESULT STDMETHODCALLTYPE put_MessageDrain(OAHWND drain) override;
    HRESULT STDMETHODCALLTYPE get_MessageDrain(OAHWND* drain) override;
    HRESULT STDMETHODCALLTYPE get_BorderColor(LONG* color) override;
    HRESULT STDMETHODCALLTYPE put_BorderColor(LONG color) override;
    HRESULT STDMETHODCALLTYPE get_FullScreenMode(LONG* mode) override;
    HRESULT STDMETHODCALLTYPE put_FullScreenMode(LONG mode) override;
    HRESULT STDMETHODCALLTYPE SetWindowForeground(LONG focus) override;
    HRESULT STDMETHODCALLTYPE NotifyOwnerMessage(OAHWND window, LONG message, LONG_PTR wParam,
                                                 LONG_PTR lParam) override;
    HRESULT STDMETHODCALLTYPE SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;
    HRESULT STDMETHODCALLTYPE GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
    HRESULT STDMETHODCALLTYPE GetMinIdealImageSize(LONG* width, LONG* height) override;
    HRESULT STDMETHODCALLTYPE GetMaxIdealImageSize(LONG* width, LONG* height) override;
    HRESULT STDMETHODCALLTYPE GetRestorePosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
    HRESULT STDMETHODCALLTYPE HideCursor(LONG hide) override;
    HRESULT STDMETHODCALLTYPE IsCursorHidden(LONG* hidden) override;

private:
    void Keep(IMediaSample* sample);
    // Copies the held sample and gives it back to its allocator.
    void LetGo();
    void WindowChanged();

    std::mutex mutex_;
    VideoShape shape_;
    // The picture shown last is the sample itself, held until the next one: no copy per frame.
    // When streaming stops it is copied, so the allocator gets all its buffers back.
    ComPtr<IMediaSample> last_;
    VideoPicture kept_;
    bool havePicture_ = false;
    LONG presented_ = 0;
    VideoWindowSettings window_;
    LONG messageDrain_ = 0;
    LONG autoShow_ = OATRUE;
    std::unique_ptr<VideoSurface> surface_;
};

} // namespace ffmpeg
