#include "dshow/renderer.h"

#include "dshow/evcode.h"

#include <chrono>

CRendererInputPin::CRendererInputPin(CBaseRenderer* renderer, HRESULT* hr, LPCWSTR pinName)
    : CBaseInputPin("renderer input pin", renderer, &renderer->m_InterfaceLock, hr, pinName), renderer_(renderer)
{
}

HRESULT CRendererInputPin::Receive(IMediaSample* sample)
{
    if (!sample) return E_POINTER;
    return renderer_->Receive(sample);
}

HRESULT CRendererInputPin::EndOfStream()
{
    if (!IsConnected()) return VFW_E_NOT_CONNECTED;
    if (IsStopped()) return VFW_E_WRONG_STATE;
    if (IsFlushing()) return S_OK;
    return renderer_->EndOfStream();
}

HRESULT CRendererInputPin::BeginFlush()
{
    CBaseInputPin::BeginFlush();
    return renderer_->BeginFlush();
}

HRESULT CRendererInputPin::EndFlush()
{
    HRESULT hr = renderer_->EndFlush();
    CBaseInputPin::EndFlush();
    return hr;
}

HRESULT CRendererInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    if (renderer_->m_pPosition) renderer_->m_pPosition->SetSegmentStart(start);
    return CBaseInputPin::NewSegment(start, stop, rate);
}

HRESULT CRendererInputPin::CheckMediaType(const CMediaType* mt) { return renderer_->CheckMediaType(mt); }

HRESULT CRendererInputPin::SetMediaType(const CMediaType* mt)
{
    HRESULT hr = renderer_->SetMediaType(mt);
    if (FAILED(hr)) return hr;
    return CBaseInputPin::SetMediaType(mt);
}

HRESULT CRendererInputPin::BreakConnect()
{
    {
        CAutoLock lock(&renderer_->m_RendererLock);
        renderer_->BreakConnect();
    }
    return CBaseInputPin::BreakConnect();
}

HRESULT CRendererInputPin::CompleteConnect(IPin* receivePin)
{
    HRESULT hr = renderer_->CompleteConnect(receivePin);
    if (FAILED(hr)) return hr;
    return CBaseInputPin::CompleteConnect(receivePin);
}

HRESULT CRendererInputPin::Active() { return CBaseInputPin::Active(); }
HRESULT CRendererInputPin::Inactive() { return CBaseInputPin::Inactive(); }

// ---------------------------------------------------------------------------

CBaseRenderer::CBaseRenderer(REFCLSID clsid, const char* name, IUnknown* outer, HRESULT* hr)
    : CBaseFilter(name, outer, &m_InterfaceLock, clsid)
{
    m_pInputPin = std::make_unique<CRendererInputPin>(this, hr, L"In");
    // Made here rather than at the first query, so the streaming thread (NewSegment,
    // Receive, EndOfStream) never sees the pointer change under it.
    HRESULT posHr = S_OK;
    m_pPosition = std::make_unique<CRendererPosPassThru>("renderer seeking", GetOwner(), &posHr,
                                                         static_cast<IPin*>(m_pInputPin.get()));
    if (FAILED(posHr) && hr && SUCCEEDED(*hr)) *hr = posHr;
}

CBaseRenderer::~CBaseRenderer()
{
    m_pPosition.reset();
    m_pInputPin.reset();
}

HRESULT CBaseRenderer::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMediaSeeking || riid == IID_IMediaPosition)
        return m_pPosition->NonDelegatingQueryInterface(riid, ppv);
    if (riid == IID_IAMFilterMiscFlags) return GetInterface(static_cast<IAMFilterMiscFlags*>(this), ppv);
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

CBasePin* CBaseRenderer::GetPin(int index) { return index == 0 ? m_pInputPin.get() : nullptr; }

HRESULT CBaseRenderer::Stop()
{
    HRESULT hr = CBaseFilter::Stop();
    bool wasStreaming;
    {
        std::lock_guard lock(m_mutex);
        wasStreaming = m_bStreaming;
        m_bStreaming = false;
        m_bEOS = m_bEOSDelivered = m_bHaveSample = false;
        ++m_generation;
        m_changed.notify_all();
    }
    if (wasStreaming) OnStopStreaming();
    if (m_pPosition) m_pPosition->ResetMediaTime();
    return hr;
}

HRESULT CBaseRenderer::Pause()
{
    bool starting = false;
    {
        CAutoLock lock(&m_InterfaceLock);
        if (m_State == State_Stopped) {
            std::lock_guard l(m_mutex);
            m_bEOS = m_bEOSDelivered = m_bHaveSample = false;
            starting = !m_bStreaming;
            m_bStreaming = true;
        }
    }
    if (starting) OnStartStreaming();
    HRESULT hr = CBaseFilter::Pause();
    std::lock_guard lock(m_mutex);
    ++m_generation;
    m_changed.notify_all();
    return hr;
}

HRESULT CBaseRenderer::Run(REFERENCE_TIME start)
{
    if (IsStopped()) {
        HRESULT hr = Pause();
        if (FAILED(hr)) return hr;
    }
    HRESULT hr = CBaseFilter::Run(start);
    bool complete = false;
    {
        std::lock_guard lock(m_mutex);
        complete = m_bEOS && !m_bEOSDelivered;
        ++m_generation;
        m_changed.notify_all();
    }
    if (complete) NotifyEndOfStream();
    return hr;
}

HRESULT CBaseRenderer::GetState(DWORD timeoutMs, FILTER_STATE* state)
{
    if (!state) return E_POINTER;
    std::unique_lock lock(m_mutex);
    *state = m_State;
    if (m_State != State_Paused || !m_pInputPin->IsConnected()) return S_OK;
    auto ready = [&] { return m_bHaveSample || m_bEOS || m_bFlushing || m_State != State_Paused; };
    if (timeoutMs == INFINITE) m_changed.wait(lock, ready);
    else m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    *state = m_State;
    return ready() ? S_OK : VFW_S_STATE_INTERMEDIATE;
}

HRESULT CBaseRenderer::Receive(IMediaSample* sample)
{
    HRESULT hr = m_pInputPin->CheckStreaming();
    if (hr != S_OK) return hr;
    REFERENCE_TIME start = 0, end = 0;
    bool timed = SUCCEEDED(sample->GetTime(&start, &end));

    std::unique_lock lock(m_mutex);
    if (m_bEOS) return VFW_E_SAMPLE_REJECTED_EOS;
    if (m_State == State_Paused && !m_bHaveSample) {
        // The derived renderer takes the picture before the pause counts as complete.
        lock.unlock();
        OnReceiveFirstSample(sample);
        lock.lock();
        m_bHaveSample = true;
        m_changed.notify_all();
    }
    m_bHaveSample = true;
    while (true) {
        if (m_bFlushing) return S_FALSE;
        if (m_State == State_Stopped) return VFW_E_WRONG_STATE;
        if (m_State == State_Paused) {
            m_changed.wait(lock);
            continue;
        }
        IReferenceClock* clock = m_pClock;
        if (!clock || !timed) break;
        REFERENCE_TIME now = 0;
        if (FAILED(clock->GetTime(&now))) break;
        REFERENCE_TIME due = m_tStart + start;
        if (now >= due) break;
        // Slices, since another clock than the system's may run at its own pace.
        REFERENCE_TIME wait = std::min<REFERENCE_TIME>(due - now, 10 * MILLISECONDS);
        m_changed.wait_for(lock, std::chrono::nanoseconds(wait * 100));
    }
    lock.unlock();

    if (m_pPosition && timed) m_pPosition->RegisterMediaTime(start, end);
    {
        CAutoLock render(&m_RendererLock);
        hr = DoRenderSample(sample);
    }
    lock.lock();
    ++m_rendered;
    m_bHaveSample = false;
    return hr;
}

HRESULT CBaseRenderer::EndOfStream()
{
    bool running;
    {
        std::lock_guard lock(m_mutex);
        if (m_bFlushing) return S_OK;
        m_bEOS = true;
        running = m_State == State_Running;
        m_changed.notify_all();
    }
    if (m_pPosition) m_pPosition->EOS();
    if (running) NotifyEndOfStream();
    return S_OK;
}

void CBaseRenderer::NotifyEndOfStream()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_bEOSDelivered) return;
        m_bEOSDelivered = true;
    }
    NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
}

HRESULT CBaseRenderer::BeginFlush()
{
    std::lock_guard lock(m_mutex);
    m_bFlushing = true;
    m_bEOS = m_bEOSDelivered = false;
    ++m_generation;
    m_changed.notify_all();
    return S_OK;
}

HRESULT CBaseRenderer::EndFlush()
{
    {
        std::lock_guard lock(m_mutex);
        m_bFlushing = false;
        m_bHaveSample = false;
        ++m_generation;
        m_changed.notify_all();
    }
    if (m_pPosition) m_pPosition->ResetMediaTime();
    return S_OK;
}

bool CBaseRenderer::IsEndOfStream()
{
    std::lock_guard lock(m_mutex);
    return m_bEOS;
}

LONG CBaseRenderer::SamplesRendered()
{
    std::lock_guard lock(m_mutex);
    return m_rendered;
}
