#include "dshow/source.h"

#include "dshow/evcode.h"

#include <algorithm>

CSource::CSource(const char* name, IUnknown* outer, REFCLSID clsid, HRESULT*)
    : CBaseFilter(name, outer, &m_cStateLock, clsid)
{
}

CSource::~CSource()
{
    // Pins remove themselves as they go.
    while (!m_paStreams.empty()) delete m_paStreams.back();
}

int CSource::GetPinCount()
{
    CAutoLock lock(&m_cStateLock);
    return int(m_paStreams.size());
}

CBasePin* CSource::GetPin(int index)
{
    CAutoLock lock(&m_cStateLock);
    if (index < 0 || index >= int(m_paStreams.size())) return nullptr;
    return m_paStreams[std::size_t(index)];
}

HRESULT CSource::AddPin(CSourceStream* pin)
{
    CAutoLock lock(&m_cStateLock);
    m_paStreams.push_back(pin);
    return S_OK;
}

HRESULT CSource::RemovePin(CSourceStream* pin)
{
    CAutoLock lock(&m_cStateLock);
    auto it = std::find(m_paStreams.begin(), m_paStreams.end(), pin);
    if (it == m_paStreams.end()) return S_FALSE;
    m_paStreams.erase(it);
    return S_OK;
}

// ---------------------------------------------------------------------------

CSourceStream::CSourceStream(const char* objectName, HRESULT* hr, CSource* filter, LPCWSTR pinName)
    : CBaseOutputPin(objectName, filter, filter->pStateLock(), hr, pinName), m_pFilter(filter)
{
    filter->AddPin(this);
}

CSourceStream::~CSourceStream()
{
    StopStreamingThread();
    m_pFilter->RemovePin(this);
}

void CSourceStream::SetSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    segStart_ = start;
    segStop_ = stop;
    segRate_ = rate;
}

HRESULT CSourceStream::OnThreadStartPlay() { return DeliverNewSegment(segStart_, segStop_, segRate_); }

HRESULT CSourceStream::Active()
{
    if (!IsConnected()) return S_OK;
    HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr)) return hr;
    return StartStreamingThread();
}

HRESULT CSourceStream::Inactive()
{
    if (!IsConnected()) return S_OK;
    // Decommitting first releases a thread waiting for a buffer.
    HRESULT hr = CBaseOutputPin::Inactive();
    StopStreamingThread();
    return hr;
}

HRESULT CSourceStream::StartStreamingThread()
{
    if (thread_.joinable()) return S_OK;
    stop_ = false;
    HRESULT hr = OnThreadCreate();
    if (FAILED(hr)) return hr;
    thread_ = std::thread([this] { ThreadProc(); });
    return S_OK;
}

HRESULT CSourceStream::StopStreamingThread()
{
    if (!thread_.joinable()) return S_FALSE;
    stop_ = true;
    thread_.join();
    OnThreadDestroy();
    return S_OK;
}

void CSourceStream::ThreadProc()
{
    OnThreadStartPlay();
    while (!stop_) {
        IMediaSample* sample = nullptr;
        HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
        if (FAILED(hr) || !sample) {
            // Decommitted: the filter is stopping (or the buffers went away).
            return;
        }
        hr = FillBuffer(sample);
        if (hr == S_OK) {
            hr = Deliver(sample);
            sample->Release();
            if (hr != S_OK && !stop_) {
                // Downstream refused (flushing answers S_FALSE): wait for the restart or stop.
                if (FAILED(hr) && hr != VFW_E_WRONG_STATE && hr != VFW_E_NOT_COMMITTED) {
                    m_pFilter->NotifyEvent(EC_ERRORABORT, hr, 0);
                    DeliverEndOfStream();
                }
                return;
            }
        } else {
            sample->Release();
            if (stop_) return;
            if (FAILED(hr)) m_pFilter->NotifyEvent(EC_ERRORABORT, hr, 0);
            DeliverEndOfStream();
            return;
        }
    }
}

// ---------------------------------------------------------------------------

CSourceSeeking::CSourceSeeking(CCritSec* lock) : m_pLock(lock) {}

HRESULT CSourceSeeking::GetCapabilities(DWORD* capabilities)
{
    if (!capabilities) return E_POINTER;
    *capabilities = m_dwSeekingCaps;
    return S_OK;
}

HRESULT CSourceSeeking::CheckCapabilities(DWORD* capabilities)
{
    if (!capabilities) return E_POINTER;
    DWORD asked = *capabilities;
    DWORD have = asked & m_dwSeekingCaps;
    *capabilities = have;
    if (have == asked) return S_OK;
    return have ? S_FALSE : E_FAIL;
}

HRESULT CSourceSeeking::IsFormatSupported(const GUID* format)
{
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

HRESULT CSourceSeeking::QueryPreferredFormat(GUID* format)
{
    if (!format) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT CSourceSeeking::GetTimeFormat(GUID* format) { return QueryPreferredFormat(format); }

HRESULT CSourceSeeking::IsUsingTimeFormat(const GUID* format)
{
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

HRESULT CSourceSeeking::SetTimeFormat(const GUID* format)
{
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

HRESULT CSourceSeeking::GetDuration(LONGLONG* duration)
{
    if (!duration) return E_POINTER;
    CAutoLock lock(m_pLock);
    *duration = m_rtDuration;
    return S_OK;
}

HRESULT CSourceSeeking::GetStopPosition(LONGLONG* stop)
{
    if (!stop) return E_POINTER;
    CAutoLock lock(m_pLock);
    *stop = m_rtStop;
    return S_OK;
}

HRESULT CSourceSeeking::GetCurrentPosition(LONGLONG*) { return E_NOTIMPL; }

HRESULT CSourceSeeking::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                          const GUID* sourceFormat)
{
    if (!target) return E_POINTER;
    bool targetOk = !targetFormat || *targetFormat == TIME_FORMAT_MEDIA_TIME;
    bool sourceOk = !sourceFormat || *sourceFormat == TIME_FORMAT_MEDIA_TIME;
    if (!targetOk || !sourceOk) return E_INVALIDARG;
    *target = source;
    return S_OK;
}

HRESULT CSourceSeeking::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags)
{
    DWORD curBits = currentFlags & AM_SEEKING_PositioningBitsMask;
    DWORD stopBits = stopFlags & AM_SEEKING_PositioningBitsMask;
    if ((curBits && !current) || (stopBits && !stop)) return E_POINTER;
    bool startChanged = false, stopChanged = false;
    {
        CAutoLock lock(m_pLock);
        REFERENCE_TIME newStart = m_rtStart, newStop = m_rtStop;
        if (curBits == AM_SEEKING_AbsolutePositioning) newStart = *current;
        else if (curBits == AM_SEEKING_RelativePositioning) newStart += *current;
        if (stopBits == AM_SEEKING_AbsolutePositioning) newStop = *stop;
        else if (stopBits == AM_SEEKING_RelativePositioning) newStop += *stop;
        else if (stopBits == AM_SEEKING_IncrementalPositioning) newStop = newStart + *stop;
        if (newStart < 0) newStart = 0;
        if (newStart > m_rtDuration) newStart = m_rtDuration;
        if (newStop > m_rtDuration) newStop = m_rtDuration;
        if (newStop < newStart) newStop = newStart;
        startChanged = curBits != AM_SEEKING_NoPositioning;
        stopChanged = newStop != m_rtStop;
        m_rtStart = newStart;
        m_rtStop = newStop;
        if ((currentFlags & AM_SEEKING_ReturnTime) && current) *current = m_rtStart;
        if ((stopFlags & AM_SEEKING_ReturnTime) && stop) *stop = m_rtStop;
    }
    HRESULT hr = S_OK;
    if (startChanged) hr = ChangeStart();
    if (SUCCEEDED(hr) && stopChanged) hr = ChangeStop();
    return hr;
}

HRESULT CSourceSeeking::GetPositions(LONGLONG* current, LONGLONG* stop)
{
    CAutoLock lock(m_pLock);
    if (current) *current = m_rtStart;
    if (stop) *stop = m_rtStop;
    return S_OK;
}

HRESULT CSourceSeeking::GetAvailable(LONGLONG* earliest, LONGLONG* latest)
{
    CAutoLock lock(m_pLock);
    if (earliest) *earliest = 0;
    if (latest) *latest = m_rtDuration;
    return S_OK;
}

HRESULT CSourceSeeking::SetRate(double rate)
{
    if (rate <= 0) return E_INVALIDARG;
    {
        CAutoLock lock(m_pLock);
        m_dRateSeeking = rate;
    }
    return ChangeRate();
}

HRESULT CSourceSeeking::GetRate(double* rate)
{
    if (!rate) return E_POINTER;
    CAutoLock lock(m_pLock);
    *rate = m_dRateSeeking;
    return S_OK;
}

HRESULT CSourceSeeking::GetPreroll(LONGLONG* preroll)
{
    if (!preroll) return E_POINTER;
    *preroll = 0;
    return S_OK;
}
