#include "videorenderer.h"

#include <cstring>

namespace ffmpeg {

CVideoRenderer::CVideoRenderer(IUnknown* outer, HRESULT* hr) : CBaseRenderer(CLSID_VideoRenderer, "Video Renderer", outer, hr)
{
    surface_ = CreateVideoSurface(this);
}

CVideoRenderer::~CVideoRenderer()
{
    last_.Reset();   // back to its allocator while the input pin still holds that
    surface_.reset();
}

CUnknown* CVideoRenderer::CreateInstance(IUnknown* outer, HRESULT* hr)
{
    HRESULT result = S_OK;
    auto* renderer = new CVideoRenderer(outer, &result);
    if (FAILED(result)) {
        delete renderer;
        renderer = nullptr;
    }
    if (hr) *hr = result;
    return renderer;
}

HRESULT CVideoRenderer::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IVideoWindow) return GetInterface(static_cast<IVideoWindow*>(this), ppv);
    if (riid == IID_IVideoFrameAccess) return GetInterface(static_cast<IVideoFrameAccess*>(this), ppv);
    return CBaseRenderer::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CVideoRenderer::CheckMediaType(const CMediaType* mt)
{
    if (!mt) return E_POINTER;
    VideoShape shape;
    if (!ReadVideoShape(*mt, &shape)) return VFW_E_TYPE_NOT_ACCEPTED;
    // Windows are painted from RGB.
    return shape.layout == PixelLayout::RGB24 || shape.layout == PixelLayout::RGB32 ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CVideoRenderer::SetMediaType(const CMediaType* mt)
{
    std::lock_guard lock(mutex_);
    if (!mt || !ReadVideoShape(*mt, &shape_)) return VFW_E_TYPE_NOT_ACCEPTED;
    // The window takes the picture's size until the owner says otherwise.
    if (window_.width == 0 && window_.height == 0) {
        window_.width = shape_.width;
        window_.height = shape_.height;
    }
    return S_OK;
}

void CVideoRenderer::Keep(IMediaSample* sample)
{
    if (!sample || sample->GetActualDataLength() < static_cast<LONG>(shape_.bytes)) return;
    {
        std::lock_guard lock(mutex_);
        // The picture a pause showed is rendered again when its time comes: one
        // picture, presented once.
        if (last_.Get() == sample) return;
        last_ = ComPtr<IMediaSample>(sample);
        havePicture_ = true;
        ++presented_;
    }
    if (surface_) surface_->PictureChanged();
}

void CVideoRenderer::LetGo()
{
    std::lock_guard lock(mutex_);
    if (!last_) return;
    VideoPicture picture;
    BYTE* data = nullptr;
    if (SUCCEEDED(last_->GetPointer(&data)) && data) {
        picture.bits.assign(data, data + shape_.bytes);
        REFERENCE_TIME stop = 0;
        last_->GetTime(&picture.start, &stop);
        kept_ = std::move(picture);
    }
    last_.Reset();
}

HRESULT CVideoRenderer::DoRenderSample(IMediaSample* sample)
{
    Keep(sample);
    return S_OK;
}

void CVideoRenderer::OnReceiveFirstSample(IMediaSample* sample) { Keep(sample); }

HRESULT CVideoRenderer::OnStopStreaming()
{
    LetGo();
    return S_OK;
}

HRESULT CVideoRenderer::BreakConnect()
{
    LetGo();
    return S_OK;
}

HRESULT CVideoRenderer::GetLastPicture(VideoPicture* picture)
{
    if (!picture) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (!havePicture_) return VFW_E_WRONG_STATE;
    picture->header = BITMAPINFOHEADER{};
    picture->header.biSize = sizeof(BITMAPINFOHEADER);
    picture->header.biWidth = shape_.width;
    picture->header.biHeight = shape_.height;
    picture->header.biPlanes = 1;
    picture->header.biBitCount = static_cast<WORD>(BitsPerPixel(shape_.layout));
    picture->header.biCompression = BI_RGB;
    picture->header.biSizeImage = static_cast<DWORD>(shape_.bytes);
    if (last_) {
        BYTE* data = nullptr;
        if (FAILED(last_->GetPointer(&data)) || !data) return E_FAIL;
        picture->bits.assign(data, data + shape_.bytes);
        REFERENCE_TIME stop = 0;
        picture->start = 0;
        last_->GetTime(&picture->start, &stop);
    } else {
        picture->bits = kept_.bits;
        picture->start = kept_.start;
    }
    return S_OK;
}

HRESULT CVideoRenderer::GetWindowSettings(VideoWindowSettings* settings)
{
    if (!settings) return E_POINTER;
    std::lock_guard lock(mutex_);
    *settings = window_;
    return S_OK;
}

LONG CVideoRenderer::PicturesPresented()
{
    std::lock_guard lock(mutex_);
    return presented_;
}

void CVideoRenderer::WindowChanged()
{
    VideoWindowSettings settings;
    {
        std::lock_guard lock(mutex_);
        settings = window_;
    }
    if (surface_) surface_->WindowChanged(settings);
}

// ---- IVideoWindow: the settings the program gives; painting is the surface's.

HRESULT CVideoRenderer::put_Caption(BSTR) { return S_OK; }
HRESULT CVideoRenderer::get_Caption(BSTR* caption)
{
    if (!caption) return E_POINTER;
    *caption = CoTaskMemWideString(L"");
    return S_OK;
}

HRESULT CVideoRenderer::put_WindowStyle(LONG style)
{
    {
        std::lock_guard lock(mutex_);
        window_.style = style;
    }
    WindowChanged();
    return S_OK;
}

HRESULT CVideoRenderer::get_WindowStyle(LONG* style)
{
    if (!style) return E_POINTER;
    std::lock_guard lock(mutex_);
    *style = window_.style;
    return S_OK;
}

HRESULT CVideoRenderer::put_WindowStyleEx(LONG) { return S_OK; }
HRESULT CVideoRenderer::get_WindowStyleEx(LONG* style)
{
    if (!style) return E_POINTER;
    *style = 0;
    return S_OK;
}

HRESULT CVideoRenderer::put_AutoShow(LONG autoShow)
{
    std::lock_guard lock(mutex_);
    autoShow_ = autoShow;
    return S_OK;
}

HRESULT CVideoRenderer::get_AutoShow(LONG* autoShow)
{
    if (!autoShow) return E_POINTER;
    std::lock_guard lock(mutex_);
    *autoShow = autoShow_;
    return S_OK;
}

HRESULT CVideoRenderer::put_WindowState(LONG) { return S_OK; }
HRESULT CVideoRenderer::get_WindowState(LONG* state)
{
    if (!state) return E_POINTER;
    *state = 0;
    return S_OK;
}
HRESULT CVideoRenderer::put_BackgroundPalette(LONG) { return S_OK; }
HRESULT CVideoRenderer::get_BackgroundPalette(LONG* palette)
{
    if (!palette) return E_POINTER;
    *palette = OAFALSE;
    return S_OK;
}

HRESULT CVideoRenderer::put_Visible(LONG visible)
{
    {
        std::lock_guard lock(mutex_);
        window_.visible = visible != OAFALSE;
    }
    WindowChanged();
    return S_OK;
}

HRESULT CVideoRenderer::get_Visible(LONG* visible)
{
    if (!visible) return E_POINTER;
    std::lock_guard lock(mutex_);
    *visible = window_.visible ? OATRUE : OAFALSE;
    return S_OK;
}

HRESULT CVideoRenderer::put_Left(LONG left)
{
    LONG top, width, height;
    GetWindowPosition(nullptr, &top, &width, &height);
    return SetWindowPosition(left, top, width, height);
}
HRESULT CVideoRenderer::get_Left(LONG* left) { return GetWindowPosition(left, nullptr, nullptr, nullptr); }
HRESULT CVideoRenderer::put_Width(LONG width)
{
    LONG left, top, height;
    GetWindowPosition(&left, &top, nullptr, &height);
    return SetWindowPosition(left, top, width, height);
}
HRESULT CVideoRenderer::get_Width(LONG* width) { return GetWindowPosition(nullptr, nullptr, width, nullptr); }
HRESULT CVideoRenderer::put_Top(LONG top)
{
    LONG left, width, height;
    GetWindowPosition(&left, nullptr, &width, &height);
    return SetWindowPosition(left, top, width, height);
}
HRESULT CVideoRenderer::get_Top(LONG* top) { return GetWindowPosition(nullptr, top, nullptr, nullptr); }
HRESULT CVideoRenderer::put_Height(LONG height)
{
    LONG left, top, width;
    GetWindowPosition(&left, &top, &width, nullptr);
    return SetWindowPosition(left, top, width, height);
}
HRESULT CVideoRenderer::get_Height(LONG* height) { return GetWindowPosition(nullptr, nullptr, nullptr, height); }

HRESULT CVideoRenderer::put_Owner(OAHWND owner)
{
    {
        std::lock_guard lock(mutex_);
        window_.owner = owner;
    }
    WindowChanged();
    return S_OK;
}

HRESULT CVideoRenderer::get_Owner(OAHWND* owner)
{
    if (!owner) return E_POINTER;
    std::lock_guard lock(mutex_);
    *owner = window_.owner;
    return S_OK;
}

HRESULT CVideoRenderer::put_MessageDrain(OAHWND drain)
{
    std::lock_guard lock(mutex_);
    messageDrain_ = static_cast<LONG>(drain);
    return S_OK;
}

HRESULT CVideoRenderer::get_MessageDrain(OAHWND* drain)
{
    if (!drain) return E_POINTER;
    std::lock_guard lock(mutex_);
    *drain = messageDrain_;
    return S_OK;
}

HRESULT CVideoRenderer::get_BorderColor(LONG* color)
{
    if (!color) return E_POINTER;
    *color = 0;
    return S_OK;
}
HRESULT CVideoRenderer::put_BorderColor(LONG) { return S_OK; }
HRESULT CVideoRenderer::get_FullScreenMode(LONG* mode)
{
    if (!mode) return E_POINTER;
    *mode = OAFALSE;
    return S_OK;
}
HRESULT CVideoRenderer::put_FullScreenMode(LONG mode) { return mode == OAFALSE ? S_OK : E_NOTIMPL; }
HRESULT CVideoRenderer::SetWindowForeground(LONG) { return S_OK; }
HRESULT CVideoRenderer::NotifyOwnerMessage(OAHWND, LONG, LONG_PTR, LONG_PTR) { return S_OK; }

HRESULT CVideoRenderer::SetWindowPosition(LONG left, LONG top, LONG width, LONG height)
{
    if (width < 0 || height < 0) return E_INVALIDARG;
    {
        std::lock_guard lock(mutex_);
        window_.left = left;
        window_.top = top;
        window_.width = width;
        window_.height = height;
    }
    WindowChanged();
    return S_OK;
}

HRESULT CVideoRenderer::GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height)
{
    if (!left && !top && !width && !height) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (left) *left = window_.left;
    if (top) *top = window_.top;
    if (width) *width = window_.width;
    if (height) *height = window_.height;
    return S_OK;
}

HRESULT CVideoRenderer::GetMinIdealImageSize(LONG* width, LONG* height)
{
    if (!width || !height) return E_POINTER;
    std::lock_guard lock(mutex_);
    *width = shape_.width;
    *height = shape_.height;
    return S_OK;
}

HRESULT CVideoRenderer::GetMaxIdealImageSize(LONG* width, LONG* height) { return GetMinIdealImageSize(width, height); }
HRESULT CVideoRenderer::GetRestorePosition(LONG* left, LONG* top, LONG* width, LONG* height)
{
    if (!left || !top || !width || !height) return E_POINTER;
    return GetWindowPosition(left, top, width, height);
}
HRESULT CVideoRenderer::HideCursor(LONG) { return S_OK; }
HRESULT CVideoRenderer::IsCursorHidden(LONG* hidden)
{
    if (!hidden) return E_POINTER;
    *hidden = OAFALSE;
    return S_OK;
}

} // namespace ffmpeg
