#pragma once
// The null renderer: takes any stream and drops each sample at its time.
#include "dshow/dshow.h"
#include "dshow/mediafilters.h"

namespace ffmpeg {

class CNullRenderer : public CBaseRenderer {
public:
    CNullRenderer(IUnknown* outer, HRESULT* hr);
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);

    HRESULT CheckMediaType(const CMediaType* mt) override;
    HRESULT DoRenderSample(IMediaSample* sample) override;
};

} // namespace ffmpeg
