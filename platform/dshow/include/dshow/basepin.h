#pragma once
// Pins: the connection protocol, and the output and input halves of sample
// delivery. Pins are owned by their filter and count references with it.
#include "dshow/export.h"
#include "dshow/basefilter.h"

#include <atomic>
#include <mutex>
#include <string>

class DSHOW_API CBasePin : public CUnknown, public IPin {
public:
    CBasePin(const char* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* hr, LPCWSTR pinName,
             PIN_DIRECTION dir);
    ~CBasePin() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;    // the filter's count
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

    // Fully specified mt: only that type. Otherwise the receiving pin's types,
    // then this pin's, each tried until one connects; VFW_E_NO_ACCEPTABLE_TYPES when none does.
    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* dir) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;   // GetMediaType(0, 1, ...)
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // What derived pins decide.
    virtual HRESULT CheckMediaType(const CMediaType* mt) = 0;   // S_OK accepts
    virtual HRESULT SetMediaType(const CMediaType* mt);         // keeps the type
    virtual HRESULT GetMediaType(int position, CMediaType* mt); // VFW_S_NO_MORE_ITEMS past the end
    virtual HRESULT CheckConnect(IPin* pin);                    // opposite direction
    virtual HRESULT BreakConnect();
    virtual HRESULT CompleteConnect(IPin* receivePin);
    virtual HRESULT Active();                                   // stopped -> paused
    virtual HRESULT Inactive();                                 // -> stopped
    virtual HRESULT Run(REFERENCE_TIME start);

    bool IsConnected() const { return m_Connected != nullptr; }
    IPin* GetConnected() const { return m_Connected; }
    const CMediaType& CurrentMediaType() const { return m_mt; }
    bool IsStopped() { return m_pFilter->IsStopped(); }
    const std::wstring& Name() const { return m_pName; }
    PIN_DIRECTION Direction() const { return m_dir; }
    CBaseFilter* Filter() const { return m_pFilter; }
    REFERENCE_TIME CurrentStartTime() const { return m_tStart; }
    REFERENCE_TIME CurrentStopTime() const { return m_tStop; }
    double CurrentRate() const { return m_dRate; }

protected:
    HRESULT AgreeMediaType(IPin* receivePin, const CMediaType* mt);
    HRESULT AttemptConnection(IPin* receivePin, const CMediaType* mt);
    HRESULT TryMediaTypes(IPin* receivePin, const CMediaType* partial, IEnumMediaTypes* types);
    HRESULT DisconnectInternal();

    std::wstring m_pName;
    IPin* m_Connected = nullptr;       // referenced
    PIN_DIRECTION m_dir;
    CCritSec* m_pLock;
    CBaseFilter* m_pFilter;
    CMediaType m_mt;
    REFERENCE_TIME m_tStart = 0;
    REFERENCE_TIME m_tStop = 0x7FFFFFFFFFFFFFFFLL;
    double m_dRate = 1.0;
    std::atomic<bool> m_bRunTimeError{false};   // set and cleared by the graph, read while streaming
};

class DSHOW_API CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(const char* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* hr, LPCWSTR pinName);

    // Output pins take no stream calls from upstream.
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return E_UNEXPECTED; }

    HRESULT CheckConnect(IPin* pin) override;          // the peer must offer IMemInputPin
    HRESULT CompleteConnect(IPin* receivePin) override; // DecideAllocator
    HRESULT BreakConnect() override;
    HRESULT Active() override;                         // commits the allocator
    HRESULT Inactive() override;                       // decommits it

    // The buffer size and count this pin needs.
    virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;
    virtual HRESULT DecideAllocator(IMemInputPin* pin, IMemAllocator** allocator);
    virtual HRESULT InitAllocator(IMemAllocator** allocator);

    HRESULT GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end, DWORD flags);
    HRESULT Deliver(IMediaSample* sample);                  // VFW_E_NOT_CONNECTED when not connected
    HRESULT DeliverEndOfStream();
    HRESULT DeliverBeginFlush();
    HRESULT DeliverEndFlush();
    HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

    IMemAllocator* Allocator() const { return m_pAllocator; }

protected:
    IMemAllocator* m_pAllocator = nullptr;   // referenced
    IMemInputPin* m_pInputPin = nullptr;     // referenced
};

class DSHOW_API CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(const char* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* hr, LPCWSTR pinName);
    ~CBaseInputPin() override;

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override;
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) override;
    // The base answers whether a sample may be taken now (CheckStreaming).
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) override;
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override;

    HRESULT STDMETHODCALLTYPE EndOfStream() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;

    HRESULT BreakConnect() override;       // decommits and releases the allocator
    HRESULT Inactive() override;

    // S_OK while samples may flow; S_FALSE while flushing; VFW_E_WRONG_STATE when
    // stopped; VFW_E_RUNTIME_ERROR after a failure; VFW_E_NOT_CONNECTED.
    virtual HRESULT CheckStreaming();
    bool IsFlushing() const { return m_bFlushing; }
    bool IsReadOnly() const { return m_bReadOnly; }

protected:
    IMemAllocator* m_pAllocator = nullptr;   // referenced
    bool m_bReadOnly = false;
    std::atomic<bool> m_bFlushing{false};       // set and cleared by the graph, read while streaming
};

// An input pin of a filter that ends a stream: the end of stream while
// running (or the first run after it) raises EC_COMPLETE once.
class DSHOW_API CRenderedInputPin : public CBaseInputPin {
public:
    CRenderedInputPin(const char* objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* hr, LPCWSTR pinName);

    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT Active() override;
    HRESULT Run(REFERENCE_TIME start) override;

protected:
    void DoCompleteHandling();
    // The end of stream arrives on the streaming thread, the run on the graph's.
    std::mutex m_completion;
    bool m_bAtEndOfStream = false;
    bool m_bCompleteNotified = false;
};
