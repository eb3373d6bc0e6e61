#include "testfilters.h"

#include "rtl/paths.h"

#include <cstring>
#include <fstream>

CMediaType TestVideoType(const GUID& subtype, WORD bits)
{
    CMediaType mt(MEDIATYPE_Video);
    mt.SetSubtype(&subtype);
    mt.SetFormatType(&FORMAT_VideoInfo);
    auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih->bmiHeader.biWidth = 4;
    vih->bmiHeader.biHeight = 4;
    vih->bmiHeader.biPlanes = 1;
    vih->bmiHeader.biBitCount = bits;
    vih->bmiHeader.biSizeImage = DibImageSize(vih->bmiHeader);
    mt.SetSampleSize(vih->bmiHeader.biSizeImage);
    return mt;
}

// ---------------------------------------------------------------------------

TestStream::TestStream(TestSource* filter, HRESULT* hr, int frames, REFERENCE_TIME period)
    : CSourceStream("test stream", hr, filter, L"Output"), CSourceSeeking(&seekLock_), period_(period), frames_(frames)
{
    m_rtDuration = m_rtStop = period * frames;
    m_dwSeekingCaps |= AM_SEEKING_CanGetCurrentPos;
}

HRESULT TestStream::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), ppv);
    return CSourceStream::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT TestStream::CheckMediaType(const CMediaType* mt)
{
    return mt->majortype == MEDIATYPE_Video && mt->subtype == MEDIASUBTYPE_RGB24 ? S_OK : S_FALSE;
}

HRESULT TestStream::GetMediaType(int position, CMediaType* mt)
{
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    *mt = TestVideoType(MEDIASUBTYPE_RGB24, 24);
    return S_OK;
}

HRESULT TestStream::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    request->cBuffers = 4;
    request->cbBuffer = 48;
    ALLOCATOR_PROPERTIES actual{};
    return allocator->SetProperties(request, &actual);
}

HRESULT TestStream::OnThreadStartPlay()
{
    {
        CAutoLock lock(&seekLock_);
        next_ = int((m_rtStart + period_ - 1) / period_);
        SetSegment(m_rtStart, m_rtStop, m_dRateSeeking);
    }
    return CSourceStream::OnThreadStartPlay();
}

HRESULT TestStream::FillBuffer(IMediaSample* sample)
{
    CAutoLock lock(&seekLock_);
    REFERENCE_TIME at = REFERENCE_TIME(next_) * period_;
    if (next_ >= frames_ || at >= m_rtStop) return S_FALSE;
    if (next_ == failAt_) return E_FAIL;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    std::memset(data, 0, 48);
    std::memcpy(data, &next_, sizeof next_);
    sample->SetActualDataLength(48);
    REFERENCE_TIME start = at - m_rtStart, end = start + period_;
    sample->SetTime(&start, &end);
    sample->SetSyncPoint(TRUE);
    ++next_;
    return S_OK;
}

HRESULT TestStream::ChangeStart()
{
    if (ThreadRunning()) {
        DeliverBeginFlush();
        StopStreamingThread();
        DeliverEndFlush();
        return StartStreamingThread();
    }
    return S_OK;
}

TestSource::TestSource(int frames, REFERENCE_TIME period, REFCLSID clsid) : CSource("test source", nullptr, clsid, nullptr)
{
    HRESULT hr = S_OK;
    stream_ = new TestStream(this, &hr, frames, period);
}

// ---------------------------------------------------------------------------

TestFileSource::TestFileSource() : TestSource(10, 10 * MILLISECONDS, CLSID_TestFileSource) {}

CUnknown* TestFileSource::CreateInstance(IUnknown*, HRESULT* hr)
{
    *hr = S_OK;
    return static_cast<CBaseFilter*>(new TestFileSource);
}

HRESULT TestFileSource::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IFileSourceFilter) return GetInterface(static_cast<IFileSourceFilter*>(this), ppv);
    return TestSource::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT TestFileSource::Load(LPCOLESTR fileName, const AM_MEDIA_TYPE*)
{
    if (!fileName) return E_POINTER;
    std::string path = WideToUtf8(fileName);
    if (!SameFileExt(path, ".tst") || !FileExists(path)) return VFW_E_INVALID_FILE_FORMAT;
    file_ = fileName;
    return S_OK;
}

HRESULT TestFileSource::GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE*)
{
    if (!fileName) return E_POINTER;
    *fileName = CoTaskMemWideString(file_);
    return S_OK;
}

// ---------------------------------------------------------------------------

TestTransform::TestTransform() : CTransformFilter("test transform", nullptr, CLSID_TestTransform) {}

CUnknown* TestTransform::CreateInstance(IUnknown*, HRESULT* hr)
{
    *hr = S_OK;
    return static_cast<CBaseFilter*>(new TestTransform);
}

HRESULT TestTransform::CheckInputType(const CMediaType* mt)
{
    return mt->majortype == MEDIATYPE_Video && mt->subtype == MEDIASUBTYPE_RGB24 && VideoInfo(*mt) ? S_OK
                                                                                                     : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestTransform::CheckTransform(const CMediaType* in, const CMediaType* out)
{
    return in->subtype == MEDIASUBTYPE_RGB24 && out->subtype == MEDIASUBTYPE_RGB32 ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestTransform::GetMediaType(int position, CMediaType* mt)
{
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    *mt = TestVideoType(MEDIASUBTYPE_RGB32, 32);
    return S_OK;
}

HRESULT TestTransform::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    request->cBuffers = 2;
    request->cbBuffer = 64;
    ALLOCATOR_PROPERTIES actual{};
    return allocator->SetProperties(request, &actual);
}

HRESULT TestTransform::Transform(IMediaSample* in, IMediaSample* out)
{
    BYTE* src = nullptr;
    BYTE* dst = nullptr;
    in->GetPointer(&src);
    out->GetPointer(&dst);
    std::memset(dst, 0, 64);
    std::memcpy(dst, src, 4);
    return out->SetActualDataLength(64);
}

// ---------------------------------------------------------------------------

TestRenderer::TestRenderer(const GUID& subtype)
    : CBaseRenderer(CLSID_TestRenderer, "test renderer", nullptr, nullptr), subtype_(subtype)
{
}

CUnknown* TestRenderer::CreateInstance(IUnknown*, HRESULT* hr)
{
    *hr = S_OK;
    return static_cast<CBaseFilter*>(new TestRenderer(MEDIASUBTYPE_RGB24));
}

HRESULT TestRenderer::CheckMediaType(const CMediaType* mt)
{
    if (mt->majortype != MEDIATYPE_Video) return VFW_E_TYPE_NOT_ACCEPTED;
    if (subtype_ != GUID_NULL && mt->subtype != subtype_) return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT TestRenderer::DoRenderSample(IMediaSample* sample)
{
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    Record r{};
    std::memcpy(&r.frame, data, sizeof r.frame);
    REFERENCE_TIME end = 0;
    sample->GetTime(&r.start, &end);
    r.segment = InputPin()->CurrentStartTime();
    r.sync = sample->IsSyncPoint() == S_OK;
    std::lock_guard lock(mutex_);
    records_.push_back(r);
    return S_OK;
}

HRESULT TestRenderer::BeginFlush()
{
    {
        std::lock_guard lock(mutex_);
        ++flushes_;
    }
    return CBaseRenderer::BeginFlush();
}

void TestRenderer::OnReceiveFirstSample(IMediaSample*)
{
    std::lock_guard lock(mutex_);
    ++firstSamples_;
}

std::vector<TestRenderer::Record> TestRenderer::Records()
{
    std::lock_guard lock(mutex_);
    return records_;
}

int TestRenderer::Flushes()
{
    std::lock_guard lock(mutex_);
    return flushes_;
}

int TestRenderer::FirstSamples()
{
    std::lock_guard lock(mutex_);
    return firstSamples_;
}

// ---------------------------------------------------------------------------

ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION dir)
{
    ComPtr<IEnumPins> e;
    filter->EnumPins(e.Put());
    IPin* pin = nullptr;
    ULONG n = 0;
    while (e->Next(1, &pin, &n) == S_OK) {
        auto held = ComPtr<IPin>::Attach(pin);
        PIN_DIRECTION d;
        pin->QueryDirection(&d);
        if (d == dir) return held;
    }
    return {};
}

ComPtr<IPin> Peer(IPin* pin)
{
    ComPtr<IPin> peer;
    pin->ConnectedTo(peer.Put());
    return peer;
}

namespace {
const AMOVIESETUP_MEDIATYPE kRgb24[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24}};
const AMOVIESETUP_MEDIATYPE kRgb32[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32}};
const AMOVIESETUP_PIN kTransformPins[] = {
    {L"XForm In", FALSE, FALSE, FALSE, FALSE, nullptr, nullptr, 1, kRgb24},
    {L"XForm Out", FALSE, TRUE, FALSE, FALSE, nullptr, nullptr, 1, kRgb32},
};
const AMOVIESETUP_PIN kRendererPins[] = {
    {L"In", TRUE, FALSE, FALSE, FALSE, nullptr, nullptr, 1, kRgb24},
};
} // namespace

const AMOVIESETUP_FILTER kTestTransformSetup = {&CLSID_TestTransform, L"Test Transform", MERIT_NORMAL, 2,
                                                kTransformPins};
const AMOVIESETUP_FILTER kTestRendererSetup = {&CLSID_TestRenderer, L"Test Renderer", MERIT_NORMAL, 1, kRendererPins};
