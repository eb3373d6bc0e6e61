#include "nullrenderer.h"

namespace ffmpeg {

CNullRenderer::CNullRenderer(IUnknown* outer, HRESULT* hr) : CBaseRenderer(CLSID_NullRenderer, "Null Renderer", outer, hr) {}

CUnknown* CNullRenderer::CreateInstance(IUnknown* outer, HRESULT* hr)
{
    HRESULT result = S_OK;
    auto* renderer = new CNullRenderer(outer, &result);
    if (FAILED(result)) {
        delete renderer;
        renderer = nullptr;
    }
    if (hr) *hr = result;
    return renderer;
}

HRESULT CNullRenderer::CheckMediaType(const CMediaType* mt) { return mt ? S_OK : E_POINTER; }

HRESULT CNullRenderer::DoRenderSample(IMediaSample* sample) { return sample ? S_OK : E_POINTER; }

} // namespace ffmpeg
