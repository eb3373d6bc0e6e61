#include "dshow/posthru.h"

CPosPassThru::CPosPassThru(const char* name, IUnknown* outer, HRESULT*, IPin* pin) : CUnknown(name, outer), pin_(pin)
{
}

HRESULT CPosPassThru::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), ppv);
    if (riid == IID_IMediaPosition) return GetInterface(static_cast<IMediaPosition*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CPosPassThru::GetPeerSeeking(IMediaSeeking** seeking)
{
    *seeking = nullptr;
    if (!pin_) return E_NOTIMPL;
    IPin* peer = nullptr;
    if (FAILED(pin_->ConnectedTo(&peer)) || !peer) return VFW_E_NOT_CONNECTED;
    HRESULT hr = peer->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(seeking));
    peer->Release();
    return FAILED(hr) ? E_NOTIMPL : S_OK;
}

HRESULT CPosPassThru::GetMediaTime(LONGLONG*, LONGLONG*) { return E_FAIL; }

#define FORWARD(call)                                   \
    IMediaSeeking* peer = nullptr;                      \
    HRESULT hr = GetPeerSeeking(&peer);                 \
    if (FAILED(hr)) return hr;                          \
    hr = peer->call;                                    \
    peer->Release();                                    \
    return hr

HRESULT CPosPassThru::GetCapabilities(DWORD* c) { FORWARD(GetCapabilities(c)); }
HRESULT CPosPassThru::CheckCapabilities(DWORD* c) { FORWARD(CheckCapabilities(c)); }
HRESULT CPosPassThru::IsFormatSupported(const GUID* f) { FORWARD(IsFormatSupported(f)); }
HRESULT CPosPassThru::QueryPreferredFormat(GUID* f) { FORWARD(QueryPreferredFormat(f)); }
HRESULT CPosPassThru::GetTimeFormat(GUID* f) { FORWARD(GetTimeFormat(f)); }
HRESULT CPosPassThru::IsUsingTimeFormat(const GUID* f) { FORWARD(IsUsingTimeFormat(f)); }
HRESULT CPosPassThru::SetTimeFormat(const GUID* f) { FORWARD(SetTimeFormat(f)); }
HRESULT CPosPassThru::GetDuration(LONGLONG* d) { FORWARD(GetDuration(d)); }
HRESULT CPosPassThru::GetStopPosition(LONGLONG* s) { FORWARD(GetStopPosition(s)); }
HRESULT CPosPassThru::ConvertTimeFormat(LONGLONG* t, const GUID* tf, LONGLONG s, const GUID* sf)
{
    FORWARD(ConvertTimeFormat(t, tf, s, sf));
}
HRESULT CPosPassThru::SetPositions(LONGLONG* c, DWORD cf, LONGLONG* s, DWORD sf) { FORWARD(SetPositions(c, cf, s, sf)); }
HRESULT CPosPassThru::GetAvailable(LONGLONG* e, LONGLONG* l) { FORWARD(GetAvailable(e, l)); }
HRESULT CPosPassThru::SetRate(double r) { FORWARD(SetRate(r)); }
HRESULT CPosPassThru::GetRate(double* r) { FORWARD(GetRate(r)); }
HRESULT CPosPassThru::GetPreroll(LONGLONG* p) { FORWARD(GetPreroll(p)); }

HRESULT CPosPassThru::GetCurrentPosition(LONGLONG* current)
{
    if (!current) return E_POINTER;
    LONGLONG start = 0, end = 0;
    if (SUCCEEDED(GetMediaTime(&start, &end))) {
        *current = start;
        return S_OK;
    }
    FORWARD(GetCurrentPosition(current));
}

HRESULT CPosPassThru::GetPositions(LONGLONG* current, LONGLONG* stop)
{
    IMediaSeeking* peer = nullptr;
    HRESULT hr = GetPeerSeeking(&peer);
    if (FAILED(hr)) return hr;
    hr = peer->GetPositions(current, stop);
    peer->Release();
    LONGLONG start = 0, end = 0;
    if (SUCCEEDED(hr) && current && SUCCEEDED(GetMediaTime(&start, &end))) *current = start;
    return hr;
}

#undef FORWARD

// IMediaPosition in seconds over the same calls.
HRESULT CPosPassThru::get_Duration(REFTIME* length)
{
    if (!length) return E_POINTER;
    LONGLONG d = 0;
    HRESULT hr = GetDuration(&d);
    if (SUCCEEDED(hr)) *length = double(d) / UNITS;
    return hr;
}

HRESULT CPosPassThru::put_CurrentPosition(REFTIME time)
{
    LONGLONG t = LONGLONG(time * UNITS);
    return SetPositions(&t, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
}

HRESULT CPosPassThru::get_CurrentPosition(REFTIME* time)
{
    if (!time) return E_POINTER;
    LONGLONG t = 0;
    HRESULT hr = GetCurrentPosition(&t);
    if (SUCCEEDED(hr)) *time = double(t) / UNITS;
    return hr;
}

HRESULT CPosPassThru::get_StopTime(REFTIME* time)
{
    if (!time) return E_POINTER;
    LONGLONG t = 0;
    HRESULT hr = GetStopPosition(&t);
    if (SUCCEEDED(hr)) *time = double(t) / UNITS;
    return hr;
}

HRESULT CPosPassThru::put_StopTime(REFTIME time)
{
    LONGLONG t = LONGLONG(time * UNITS);
    return SetPositions(nullptr, AM_SEEKING_NoPositioning, &t, AM_SEEKING_AbsolutePositioning);
}

HRESULT CPosPassThru::get_PrerollTime(REFTIME* time)
{
    if (!time) return E_POINTER;
    LONGLONG t = 0;
    HRESULT hr = GetPreroll(&t);
    if (SUCCEEDED(hr)) *time = double(t) / UNITS;
    return hr;
}

HRESULT CPosPassThru::put_PrerollTime(REFTIME) { return E_NOTIMPL; }
HRESULT CPosPassThru::put_Rate(double rate) { return SetRate(rate); }
HRESULT CPosPassThru::get_Rate(double* rate) { return GetRate(rate); }

HRESULT CPosPassThru::CanSeekForward(LONG* can)
{
    if (!can) return E_POINTER;
    DWORD caps = AM_SEEKING_CanSeekForwards;
    *can = CheckCapabilities(&caps) == S_OK ? OATRUE : OAFALSE;
    return S_OK;
}

HRESULT CPosPassThru::CanSeekBackward(LONG* can)
{
    if (!can) return E_POINTER;
    DWORD caps = AM_SEEKING_CanSeekBackwards;
    *can = CheckCapabilities(&caps) == S_OK ? OATRUE : OAFALSE;
    return S_OK;
}

// ---------------------------------------------------------------------------

CRendererPosPassThru::CRendererPosPassThru(const char* name, IUnknown* outer, HRESULT* hr, IPin* pin)
    : CPosPassThru(name, outer, hr, pin)
{
}

HRESULT CRendererPosPassThru::RegisterMediaTime(IMediaSample* sample)
{
    if (!sample) return E_POINTER;
    REFERENCE_TIME start = 0, end = 0;
    if (FAILED(sample->GetTime(&start, &end))) return VFW_E_SAMPLE_TIME_NOT_SET;
    return RegisterMediaTime(start, end);
}

HRESULT CRendererPosPassThru::RegisterMediaTime(LONGLONG start, LONGLONG end)
{
    std::lock_guard lock(mutex_);
    start_ = start + segment_;
    end_ = end + segment_;
    valid_ = true;
    ended_ = false;
    return S_OK;
}

HRESULT CRendererPosPassThru::ResetMediaTime()
{
    std::lock_guard lock(mutex_);
    valid_ = false;
    ended_ = false;
    return S_OK;
}

HRESULT CRendererPosPassThru::EOS()
{
    std::lock_guard lock(mutex_);
    ended_ = true;
    return S_OK;
}

void CRendererPosPassThru::SetSegmentStart(REFERENCE_TIME start)
{
    std::lock_guard lock(mutex_);
    segment_ = start;
}

HRESULT CRendererPosPassThru::GetMediaTime(LONGLONG* start, LONGLONG* end)
{
    {
        std::lock_guard lock(mutex_);
        if (!ended_) {
            if (!valid_) return E_FAIL;
            *start = start_;
            *end = end_;
            return S_OK;
        }
    }
    LONGLONG stop = 0;
    IMediaSeeking* peer = nullptr;
    if (FAILED(GetPeerSeeking(&peer))) return E_FAIL;
    HRESULT hr = peer->GetStopPosition(&stop);
    peer->Release();
    if (FAILED(hr)) return hr;
    *start = *end = stop;
    return S_OK;
}
