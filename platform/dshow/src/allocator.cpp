#include "dshow/allocator.h"

#include <cstring>

CMediaSample::CMediaSample(CBaseAllocator* allocator, BYTE* buffer, LONG length)
    : allocator_(allocator), buffer_(buffer), size_(length)
{
}

CMediaSample::~CMediaSample()
{
    if (type_) DeleteMediaType(type_);
}

HRESULT CMediaSample::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMediaSample) {
        *ppv = static_cast<IMediaSample*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CMediaSample::AddRef() { return ULONG(++ref_); }

ULONG CMediaSample::Release()
{
    long left = --ref_;
    if (left == 0) allocator_->ReleaseBuffer(this);
    return ULONG(left < 0 ? 0 : left);
}

HRESULT CMediaSample::GetPointer(BYTE** buffer)
{
    if (!buffer) return E_POINTER;
    *buffer = buffer_;
    return S_OK;
}

LONG CMediaSample::GetSize() { return size_; }

HRESULT CMediaSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end)
{
    if (!start || !end) return E_POINTER;
    if (!hasTime_) return VFW_E_SAMPLE_TIME_NOT_SET;
    *start = start_;
    if (!hasStop_) {
        *end = start_ + 1;
        return VFW_S_NO_STOP_TIME;
    }
    *end = end_;
    return S_OK;
}

HRESULT CMediaSample::SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end)
{
    if (!start) {
        hasTime_ = hasStop_ = false;
        return S_OK;
    }
    start_ = *start;
    hasTime_ = true;
    hasStop_ = end != nullptr;
    if (end) end_ = *end;
    return S_OK;
}

HRESULT CMediaSample::IsSyncPoint() { return sync_ ? S_OK : S_FALSE; }
HRESULT CMediaSample::SetSyncPoint(BOOL sync)
{
    sync_ = sync != 0;
    return S_OK;
}
HRESULT CMediaSample::IsPreroll() { return preroll_ ? S_OK : S_FALSE; }
HRESULT CMediaSample::SetPreroll(BOOL preroll)
{
    preroll_ = preroll != 0;
    return S_OK;
}
LONG CMediaSample::GetActualDataLength() { return actual_; }

HRESULT CMediaSample::SetActualDataLength(LONG length)
{
    if (length < 0 || length > size_) return VFW_E_BUFFER_OVERFLOW;
    actual_ = length;
    return S_OK;
}

HRESULT CMediaSample::GetMediaType(AM_MEDIA_TYPE** mt)
{
    if (!mt) return E_POINTER;
    if (!type_) {
        *mt = nullptr;
        return S_FALSE;
    }
    *mt = CreateMediaType(type_);
    return *mt ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMediaSample::SetMediaType(AM_MEDIA_TYPE* mt)
{
    if (type_) {
        DeleteMediaType(type_);
        type_ = nullptr;
    }
    if (!mt) return S_OK;
    type_ = CreateMediaType(mt);
    return type_ ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMediaSample::IsDiscontinuity() { return discontinuity_ ? S_OK : S_FALSE; }
HRESULT CMediaSample::SetDiscontinuity(BOOL discontinuity)
{
    discontinuity_ = discontinuity != 0;
    return S_OK;
}

HRESULT CMediaSample::GetMediaTime(LONGLONG* start, LONGLONG* end)
{
    if (!start || !end) return E_POINTER;
    if (!hasMediaTime_) return VFW_E_MEDIA_TIME_NOT_SET;
    *start = mediaStart_;
    *end = mediaEnd_;
    return S_OK;
}

HRESULT CMediaSample::SetMediaTime(LONGLONG* start, LONGLONG* end)
{
    if (!start || !end) {
        hasMediaTime_ = false;
        return S_OK;
    }
    mediaStart_ = *start;
    mediaEnd_ = *end;
    hasMediaTime_ = true;
    return S_OK;
}

void CMediaSample::ResetProperties()
{
    actual_ = size_;
    hasTime_ = hasStop_ = hasMediaTime_ = false;
    sync_ = preroll_ = discontinuity_ = false;
    if (type_) {
        DeleteMediaType(type_);
        type_ = nullptr;
    }
}

// ---------------------------------------------------------------------------

CBaseAllocator::CBaseAllocator(const char* name, IUnknown* outer, HRESULT*) : CUnknown(name, outer) {}

CBaseAllocator::~CBaseAllocator() = default;

HRESULT CBaseAllocator::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMemAllocator) return GetInterface(static_cast<IMemAllocator*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CBaseAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual)
{
    if (!request || !actual) return E_POINTER;
    std::lock_guard lock(m_mutex);
    if (m_bCommitted) return VFW_E_ALREADY_COMMITTED;
    if (m_lent > 0) return VFW_E_BUFFERS_OUTSTANDING;
    if (request->cBuffers < 0 || request->cbBuffer < 0 || request->cbPrefix < 0) return E_INVALIDARG;
    m_lCount = request->cBuffers;
    m_lSize = request->cbBuffer;
    m_lAlignment = request->cbAlign > 0 ? request->cbAlign : 1;
    m_lPrefix = request->cbPrefix;
    m_bChanged = true;
    *actual = {m_lCount, m_lSize, m_lAlignment, m_lPrefix};
    return S_OK;
}

HRESULT CBaseAllocator::GetProperties(ALLOCATOR_PROPERTIES* props)
{
    if (!props) return E_POINTER;
    std::lock_guard lock(m_mutex);
    *props = {m_lCount, m_lSize, m_lAlignment, m_lPrefix};
    return S_OK;
}

HRESULT CBaseAllocator::Commit()
{
    std::lock_guard lock(m_mutex);
    if (m_bCommitted) return S_OK;
    if (m_lCount <= 0 || m_lSize <= 0) return VFW_E_SIZENOTSET;
    m_bDecommitInProgress = false;
    // Buffers kept from an earlier commit are reused when nothing changed.
    if (m_all.empty() || m_bChanged) {
        if (m_lent > 0) return VFW_E_BUFFERS_OUTSTANDING;
        Free();
        HRESULT hr = Alloc();
        if (FAILED(hr)) return hr;
        m_bChanged = false;
    }
    m_bCommitted = true;
    return S_OK;
}

HRESULT CBaseAllocator::Decommit()
{
    std::lock_guard lock(m_mutex);
    if (!m_bCommitted) return S_OK;
    m_bCommitted = false;
    m_bDecommitInProgress = m_lent > 0;
    if (!m_bDecommitInProgress) Free();
    m_freed.notify_all();
    return S_OK;
}

bool CBaseAllocator::IsCommitted()
{
    std::lock_guard lock(m_mutex);
    return m_bCommitted;
}

HRESULT CBaseAllocator::GetBuffer(IMediaSample** sample, REFERENCE_TIME*, REFERENCE_TIME*, DWORD flags)
{
    if (!sample) return E_POINTER;
    *sample = nullptr;
    CMediaSample* s = nullptr;
    {
        std::unique_lock lock(m_mutex);
        while (true) {
            if (!m_bCommitted) return VFW_E_NOT_COMMITTED;
            if (!m_free.empty()) break;
            if (flags & AM_GBF_NOWAIT) return VFW_E_TIMEOUT;
            m_freed.wait(lock);
        }
        s = m_free.back();
        m_free.pop_back();
        ++m_lent;
    }
    // A lent sample keeps its allocator alive.
    AddRef();
    s->ResetProperties();
    s->ref_ = 1;
    *sample = s;
    return S_OK;
}

HRESULT CBaseAllocator::ReleaseBuffer(IMediaSample* sample)
{
    if (!sample) return E_POINTER;
    {
        std::lock_guard lock(m_mutex);
        auto* s = static_cast<CMediaSample*>(sample);
        s->ResetProperties();
        m_free.push_back(s);
        --m_lent;
        if (m_bDecommitInProgress && m_lent == 0) {
            m_bDecommitInProgress = false;
            Free();
        }
        m_freed.notify_one();
    }
    Release();
    return S_OK;
}

void CBaseAllocator::AddFreeSample(CMediaSample* sample) { m_free.push_back(sample); }

// ---------------------------------------------------------------------------

CMemAllocator::CMemAllocator(const char* name, IUnknown* outer, HRESULT* hr) : CBaseAllocator(name, outer, hr) {}

CMemAllocator::~CMemAllocator()
{
    std::lock_guard lock(m_mutex);
    Free();
}

HRESULT CMemAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual)
{
    if (!request || !actual) return E_POINTER;
    // Alignment must be a power of two.
    if (request->cbAlign > 0 && (request->cbAlign & (request->cbAlign - 1)) != 0) return VFW_E_BADALIGN;
    return CBaseAllocator::SetProperties(request, actual);
}

HRESULT CMemAllocator::Alloc()
{
    std::int64_t align = m_lAlignment > 0 ? m_lAlignment : 1;
    std::int64_t each = ((std::int64_t(m_lSize) + m_lPrefix + align - 1) / align) * align;
    std::int64_t total = each * m_lCount;
    if (total <= 0 || total > (std::int64_t(1) << 32)) return E_OUTOFMEMORY;
    // libswscale's vector code may read a few bytes past the end of a picture it
    // converts; the slack keeps that inside the block for the last buffer too.
    constexpr std::int64_t kReadSlack = 64;
    try {
        memory_.assign(std::size_t(total + align + kReadSlack), 0);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    auto base = reinterpret_cast<std::uintptr_t>(memory_.data());
    std::uintptr_t aligned = (base + std::uintptr_t(align) - 1) / std::uintptr_t(align) * std::uintptr_t(align);
    for (LONG i = 0; i < m_lCount; ++i) {
        BYTE* buffer = reinterpret_cast<BYTE*>(aligned + std::uintptr_t(each * i + m_lPrefix));
        m_all.push_back(std::make_unique<CMediaSample>(this, buffer, m_lSize));
        AddFreeSample(m_all.back().get());
    }
    return S_OK;
}

void CMemAllocator::Free()
{
    m_free.clear();
    m_all.clear();
    memory_.clear();
    memory_.shrink_to_fit();
}
