#pragma once
// Media samples and the memory allocator that lends them. A sample goes back
// to its allocator when its last reference is released; GetBuffer waits for
// one while all are lent.
#include "dshow/export.h"
#include "com/cunknown.h"
#include "dshow/interfaces.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

class CBaseAllocator;

class DSHOW_API CMediaSample : public IMediaSample {
public:
    CMediaSample(CBaseAllocator* allocator, BYTE* buffer, LONG length);
    virtual ~CMediaSample();
    CMediaSample(const CMediaSample&) = delete;
    CMediaSample& operator=(const CMediaSample&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;     // at zero: back to the allocator

    HRESULT STDMETHODCALLTYPE GetPointer(BYTE** buffer) override;
    LONG STDMETHODCALLTYPE GetSize() override;
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT STDMETHODCALLTYPE SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT STDMETHODCALLTYPE IsSyncPoint() override;
    HRESULT STDMETHODCALLTYPE SetSyncPoint(BOOL sync) override;
    HRESULT STDMETHODCALLTYPE IsPreroll() override;
    HRESULT STDMETHODCALLTYPE SetPreroll(BOOL preroll) override;
    LONG STDMETHODCALLTYPE GetActualDataLength() override;
    HRESULT STDMETHODCALLTYPE SetActualDataLength(LONG length) override;
    HRESULT STDMETHODCALLTYPE GetMediaType(AM_MEDIA_TYPE** mt) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE IsDiscontinuity() override;
    HRESULT STDMETHODCALLTYPE SetDiscontinuity(BOOL discontinuity) override;
    HRESULT STDMETHODCALLTYPE GetMediaTime(LONGLONG* start, LONGLONG* end) override;
    HRESULT STDMETHODCALLTYPE SetMediaTime(LONGLONG* start, LONGLONG* end) override;

    // Clears times, flags and type before the sample is lent again.
    void ResetProperties();

private:
    friend class CBaseAllocator;
    CBaseAllocator* allocator_;
    BYTE* buffer_;
    LONG size_;
    LONG actual_ = 0;
    REFERENCE_TIME start_ = 0, end_ = 0;
    LONGLONG mediaStart_ = 0, mediaEnd_ = 0;
    bool hasTime_ = false, hasStop_ = false, hasMediaTime_ = false;
    bool sync_ = false, preroll_ = false, discontinuity_ = false;
    AM_MEDIA_TYPE* type_ = nullptr;
    std::atomic<long> ref_{0};
};

class DSHOW_API CBaseAllocator : public CUnknown, public IMemAllocator {
public:
    CBaseAllocator(const char* name, IUnknown* outer, HRESULT* hr);
    ~CBaseAllocator() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // VFW_E_ALREADY_COMMITTED while committed, VFW_E_BUFFERS_OUTSTANDING while samples are lent.
    HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
    HRESULT STDMETHODCALLTYPE GetProperties(ALLOCATOR_PROPERTIES* props) override;
    HRESULT STDMETHODCALLTYPE Commit() override;
    // Wakes every waiting GetBuffer with VFW_E_NOT_COMMITTED; memory goes when the last sample returns.
    HRESULT STDMETHODCALLTYPE Decommit() override;
    HRESULT STDMETHODCALLTYPE GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end,
                                        DWORD flags) override;
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(IMediaSample* sample) override;

    bool IsCommitted();

protected:
    // Makes the buffers (m_lCount of m_lSize each); called by Commit.
    virtual HRESULT Alloc() = 0;
    virtual void Free() = 0;
    void AddFreeSample(CMediaSample* sample);

    std::mutex m_mutex;
    std::condition_variable m_freed;
    std::vector<CMediaSample*> m_free;
    std::vector<std::unique_ptr<CMediaSample>> m_all;
    LONG m_lCount = 0, m_lSize = 0, m_lAlignment = 1, m_lPrefix = 0;
    long m_lent = 0;
    bool m_bCommitted = false;
    bool m_bDecommitInProgress = false;
    bool m_bChanged = false;
};

// Buffers in one block of ordinary memory.
class DSHOW_API CMemAllocator : public CBaseAllocator {
public:
    CMemAllocator(const char* name, IUnknown* outer, HRESULT* hr);
    ~CMemAllocator() override;
    HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;

protected:
    HRESULT Alloc() override;
    void Free() override;

private:
    std::vector<BYTE> memory_;
};
