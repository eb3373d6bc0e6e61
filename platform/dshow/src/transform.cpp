#include "dshow/transform.h"

#include "dshow/evcode.h"

#include <cstring>

CTransformInputPin::CTransformInputPin(const char* objectName, CTransformFilter* filter, HRESULT* hr,
                                       LPCWSTR pinName)
    : CBaseInputPin(objectName, filter, filter->FilterLock(), hr, pinName), m_pTransformFilter(filter)
{
}

HRESULT CTransformInputPin::CheckConnect(IPin* pin)
{
    HRESULT hr = m_pTransformFilter->CheckConnect(PINDIR_INPUT, pin);
    if (FAILED(hr)) return hr;
    return CBaseInputPin::CheckConnect(pin);
}

HRESULT CTransformInputPin::BreakConnect()
{
    m_pTransformFilter->BreakConnect(PINDIR_INPUT);
    return CBaseInputPin::BreakConnect();
}

HRESULT CTransformInputPin::CompleteConnect(IPin* receivePin)
{
    HRESULT hr = m_pTransformFilter->CompleteConnect(PINDIR_INPUT, receivePin);
    if (FAILED(hr)) return hr;
    return CBaseInputPin::CompleteConnect(receivePin);
}

HRESULT CTransformInputPin::CheckMediaType(const CMediaType* mt)
{
    HRESULT hr = m_pTransformFilter->CheckInputType(mt);
    if (hr != S_OK) return hr;
    // A connected output must still suit the new input.
    CTransformOutputPin* out = m_pTransformFilter->OutputPin();
    if (out && out->IsConnected()) return m_pTransformFilter->CheckTransform(mt, &out->CurrentMediaType());
    return S_OK;
}

HRESULT CTransformInputPin::SetMediaType(const CMediaType* mt)
{
    HRESULT hr = CBaseInputPin::SetMediaType(mt);
    if (FAILED(hr)) return hr;
    return m_pTransformFilter->SetMediaType(PINDIR_INPUT, mt);
}

HRESULT CTransformInputPin::Receive(IMediaSample* sample)
{
    if (!sample) return E_POINTER;
    HRESULT hr = CheckStreaming();
    if (hr != S_OK) return hr;
    return m_pTransformFilter->Receive(sample);
}

HRESULT CTransformInputPin::EndOfStream()
{
    HRESULT hr = CheckStreaming();
    if (hr != S_OK) return hr;
    return m_pTransformFilter->EndOfStream();
}

HRESULT CTransformInputPin::BeginFlush()
{
    HRESULT hr = CBaseInputPin::BeginFlush();
    if (FAILED(hr)) return hr;
    return m_pTransformFilter->BeginFlush();
}

HRESULT CTransformInputPin::EndFlush()
{
    HRESULT hr = m_pTransformFilter->EndFlush();
    if (FAILED(hr)) return hr;
    return CBaseInputPin::EndFlush();
}

HRESULT CTransformInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    CBasePin::NewSegment(start, stop, rate);
    return m_pTransformFilter->NewSegment(start, stop, rate);
}

// ---------------------------------------------------------------------------

CTransformOutputPin::CTransformOutputPin(const char* objectName, CTransformFilter* filter, HRESULT* hr,
                                         LPCWSTR pinName)
    : CBaseOutputPin(objectName, filter, filter->FilterLock(), hr, pinName), m_pTransformFilter(filter)
{
}

HRESULT CTransformOutputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMediaSeeking || riid == IID_IMediaPosition) {
        CAutoLock lock(m_pLock);
        if (!m_pPosition) {
            HRESULT hr = S_OK;
            // Aggregated with this pin, so it shares the filter's count.
            m_pPosition = std::make_unique<CPosPassThru>("transform seeking", GetOwner(), &hr,
                                                         static_cast<IPin*>(m_pTransformFilter->InputPin()));
            if (FAILED(hr)) {
                m_pPosition.reset();
                return hr;
            }
        }
        return m_pPosition->NonDelegatingQueryInterface(riid, ppv);
    }
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CTransformOutputPin::CheckConnect(IPin* pin)
{
    if (!m_pTransformFilter->InputPin()->IsConnected()) return E_UNEXPECTED;
    HRESULT hr = m_pTransformFilter->CheckConnect(PINDIR_OUTPUT, pin);
    if (FAILED(hr)) return hr;
    return CBaseOutputPin::CheckConnect(pin);
}

HRESULT CTransformOutputPin::BreakConnect()
{
    m_pTransformFilter->BreakConnect(PINDIR_OUTPUT);
    return CBaseOutputPin::BreakConnect();
}

HRESULT CTransformOutputPin::CompleteConnect(IPin* receivePin)
{
    HRESULT hr = m_pTransformFilter->CompleteConnect(PINDIR_OUTPUT, receivePin);
    if (FAILED(hr)) return hr;
    return CBaseOutputPin::CompleteConnect(receivePin);
}

HRESULT CTransformOutputPin::CheckMediaType(const CMediaType* mt)
{
    CTransformInputPin* in = m_pTransformFilter->InputPin();
    if (!in->IsConnected()) return E_INVALIDARG;
    return m_pTransformFilter->CheckTransform(&in->CurrentMediaType(), mt);
}

HRESULT CTransformOutputPin::SetMediaType(const CMediaType* mt)
{
    HRESULT hr = CBaseOutputPin::SetMediaType(mt);
    if (FAILED(hr)) return hr;
    return m_pTransformFilter->SetMediaType(PINDIR_OUTPUT, mt);
}

HRESULT CTransformOutputPin::GetMediaType(int position, CMediaType* mt)
{
    if (!m_pTransformFilter->InputPin()->IsConnected()) return E_UNEXPECTED;
    return m_pTransformFilter->GetMediaType(position, mt);
}

HRESULT CTransformOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    return m_pTransformFilter->DecideBufferSize(allocator, request);
}

// ---------------------------------------------------------------------------

CTransformFilter::CTransformFilter(const char* name, IUnknown* outer, REFCLSID clsid)
    : CBaseFilter(name, outer, &m_csFilter, clsid)
{
    HRESULT hr = S_OK;
    m_pInput = std::make_unique<CTransformInputPin>("transform input pin", this, &hr, L"XForm In");
    m_pOutput = std::make_unique<CTransformOutputPin>("transform output pin", this, &hr, L"XForm Out");
}

CTransformFilter::~CTransformFilter()
{
    m_pOutput.reset();
    m_pInput.reset();
}

CBasePin* CTransformFilter::GetPin(int index)
{
    if (index == 0) return m_pInput.get();
    if (index == 1) return m_pOutput.get();
    return nullptr;
}

HRESULT CTransformFilter::FindPin(LPCWSTR id, IPin** pin)
{
    if (!id || !pin) return E_POINTER;
    // The platform's transforms answer to "In" and "Out" too.
    if (std::wcscmp(id, L"In") == 0) id = L"XForm In";
    else if (std::wcscmp(id, L"Out") == 0) id = L"XForm Out";
    return CBaseFilter::FindPin(id, pin);
}

HRESULT CTransformFilter::Stop()
{
    CAutoLock lock(&m_csFilter);
    if (m_State == State_Stopped) return S_OK;
    // Leaves a streaming call that is under way finish first.
    HRESULT hr;
    {
        CAutoLock receive(&m_csReceive);
        hr = CBaseFilter::Stop();
        StopStreaming();
    }
    m_bEOSDelivered = false;
    return hr;
}

HRESULT CTransformFilter::Pause()
{
    CAutoLock lock(&m_csFilter);
    if (m_State == State_Stopped) {
        m_bEOSDelivered = false;
        HRESULT hr = StartStreaming();
        if (FAILED(hr)) return hr;
    }
    return CBaseFilter::Pause();
}

HRESULT CTransformFilter::Receive(IMediaSample* in)
{
    CAutoLock lock(&m_csReceive);
    if (m_State == State_Stopped) return VFW_E_WRONG_STATE;
    IMediaSample* out = nullptr;
    HRESULT hr = m_pOutput->GetDeliveryBuffer(&out, nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    REFERENCE_TIME start = 0, end = 0;
    HRESULT timed = in->GetTime(&start, &end);
    if (SUCCEEDED(timed)) out->SetTime(&start, timed == VFW_S_NO_STOP_TIME ? nullptr : &end);
    out->SetSyncPoint(in->IsSyncPoint() == S_OK);
    out->SetDiscontinuity(in->IsDiscontinuity() == S_OK);
    out->SetPreroll(in->IsPreroll() == S_OK);
    LONGLONG ms = 0, me = 0;
    if (SUCCEEDED(in->GetMediaTime(&ms, &me))) out->SetMediaTime(&ms, &me);
    hr = Transform(in, out);
    if (hr == S_OK) hr = m_pOutput->Deliver(out);
    else if (hr == S_FALSE) hr = S_OK;   // dropped on purpose
    out->Release();
    return hr;
}

HRESULT CTransformFilter::EndOfStream()
{
    CAutoLock lock(&m_csReceive);
    m_bEOSDelivered = true;
    return m_pOutput->DeliverEndOfStream();
}

HRESULT CTransformFilter::BeginFlush() { return m_pOutput->DeliverBeginFlush(); }

HRESULT CTransformFilter::EndFlush()
{
    m_bEOSDelivered = false;
    return m_pOutput->DeliverEndFlush();
}

HRESULT CTransformFilter::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    return m_pOutput->DeliverNewSegment(start, stop, rate);
}
