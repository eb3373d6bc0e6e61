#pragma once
// Seeking pass-through: a filter that is not a source answers IMediaSeeking
// and IMediaPosition by forwarding them to the pin upstream of its input pin.
#include "dshow/export.h"
#include "com/cunknown.h"
#include "dshow/control.h"

#include <mutex>

class DSHOW_API CPosPassThru : public CUnknown, public IMediaSeeking, public IMediaPosition {
public:
    // pin: this filter's input pin (not referenced; it lives as long as the filter).
    CPosPassThru(const char* name, IUnknown* outer, HRESULT* hr, IPin* pin);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) override;
    HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* current) override;
    HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                                const GUID* sourceFormat) override;
    HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                           DWORD stopFlags) override;
    HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT STDMETHODCALLTYPE SetRate(double rate) override;
    HRESULT STDMETHODCALLTYPE GetRate(double* rate) override;
    HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* preroll) override;

    DECLARE_NO_DISPATCH
    HRESULT STDMETHODCALLTYPE get_Duration(REFTIME* length) override;
    HRESULT STDMETHODCALLTYPE put_CurrentPosition(REFTIME time) override;
    HRESULT STDMETHODCALLTYPE get_CurrentPosition(REFTIME* time) override;
    HRESULT STDMETHODCALLTYPE get_StopTime(REFTIME* time) override;
    HRESULT STDMETHODCALLTYPE put_StopTime(REFTIME time) override;
    HRESULT STDMETHODCALLTYPE get_PrerollTime(REFTIME* time) override;
    HRESULT STDMETHODCALLTYPE put_PrerollTime(REFTIME time) override;
    HRESULT STDMETHODCALLTYPE put_Rate(double rate) override;
    HRESULT STDMETHODCALLTYPE get_Rate(double* rate) override;
    HRESULT STDMETHODCALLTYPE CanSeekForward(LONG* can) override;
    HRESULT STDMETHODCALLTYPE CanSeekBackward(LONG* can) override;

protected:
    // The upstream pin's IMediaSeeking with a reference; E_NOTIMPL / VFW_E_NOT_CONNECTED.
    HRESULT GetPeerSeeking(IMediaSeeking** seeking);
    // Where the stream presented last is, when the derived class knows it.
    virtual HRESULT GetMediaTime(LONGLONG* start, LONGLONG* end);

private:
    IPin* pin_;
};

// The pass-through of a renderer: the current position is the start time of
// the sample presented last plus its segment's start.
class DSHOW_API CRendererPosPassThru : public CPosPassThru {
public:
    CRendererPosPassThru(const char* name, IUnknown* outer, HRESULT* hr, IPin* pin);

    HRESULT RegisterMediaTime(IMediaSample* sample);
    HRESULT RegisterMediaTime(LONGLONG start, LONGLONG end);
    HRESULT ResetMediaTime();
    // The stream ended: the position is the stop position from now on.
    HRESULT EOS();
    void SetSegmentStart(REFERENCE_TIME start);

protected:
    HRESULT GetMediaTime(LONGLONG* start, LONGLONG* end) override;

private:
    std::mutex mutex_;
    bool valid_ = false;
    bool ended_ = false;
    LONGLONG start_ = 0, end_ = 0;
    REFERENCE_TIME segment_ = 0;
};
