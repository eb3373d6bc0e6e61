#include "sinkfilter.h"

#include "samplesink.h"
#include "sinkkind.h"

SinkFilter::SinkFilter(SampleSink* sink, IUnknown* owner, CCritSec* lock)
    : CBaseFilter(kAudioSink ? "audio sink filter" : "video sink filter", owner, lock, kSinkClassId), sink_(sink)
{
}

CBasePin* SinkFilter::GetPin(int index) { return index == 0 ? sink_->Pin() : nullptr; }

HRESULT SinkFilter::Stop()
{
    // Raised outside the filter lock: the graph's event queue has its own.
    NotifyEvent(kAudioSink ? EC_USERABORT : EC_COMPLETE, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)),
                0);
    CAutoLock lock(m_pLock);
    return CBaseFilter::Stop();
}

HRESULT SinkFilter::Pause()
{
    CAutoLock lock(m_pLock);
    return CBaseFilter::Pause();
}

HRESULT SinkFilter::Run(REFERENCE_TIME start)
{
    CAutoLock lock(m_pLock);
    return CBaseFilter::Run(start);
}
