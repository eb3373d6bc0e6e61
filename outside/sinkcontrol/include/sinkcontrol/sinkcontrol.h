#pragma once
// The contract between the sample sink servers `audio` and `video` and the
// host that creates them by class identifier: the control interface and the
// host-side sample callback. Both servers are one source set, but their
// callbacks list the same three operations in different slot orders, so each
// server has its own pair of types in its own namespace:
//
//   audiosink::SampleCallback   0 OnSample     1 OnMediaType  2 OnDetach
//   videosink::SampleCallback   0 OnMediaType  1 OnSample     2 OnDetach
//
// A host installs its callback with ISinkControl::SetCallback (asked of the
// filter with IID_ISinkControl, which equals the server's class identifier).
// OnMediaType arrives on the connecting thread when the input pin connects;
// OnSample on the streaming thread for every sample, which is valid only
// during the call; OnDetach exactly once, when the sink is destroyed. The
// host's callback must stay valid until OnDetach, or until a later
// SetCallback has returned: the sink swaps callbacks under the lock every
// sample is delivered under, so no sample in flight reaches a replaced one.
// Installing null drops samples from then on. Results of the three
// operations are ignored.
#include "com/unknown.h"
#include "dshow/interfaces.h"
#include "dshow/mediatype.h"

inline constexpr CLSID CLSID_AudioSink{0xB98DAA1A, 0x1FEC, 0x44E8, {0x89, 0xB3, 0x4C, 0x1C, 0x99, 0x68, 0x45, 0x6A}};
inline constexpr CLSID CLSID_VideoSink{0x50E1DEDD, 0xDABA, 0x4F77, {0xA3, 0xC5, 0x4D, 0x30, 0x9C, 0x97, 0xD5, 0xF4}};

namespace audiosink {

inline constexpr IID IID_ISinkControl = CLSID_AudioSink;

// No virtual destructor: it would add slots. The host frees its own object.
class SampleCallback {
public:
    virtual HRESULT OnSample(IMediaSample* sample) = 0;
    virtual HRESULT OnMediaType(const AM_MEDIA_TYPE* mt) = 0;
    virtual HRESULT OnDetach() = 0;

protected:
    ~SampleCallback() = default;
};

class ISinkControl : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE SetCallback(SampleCallback* callback) = 0;
    // 1: the pin accepts 48000 Hz PCM only; anything else: 44100 Hz only.
    // Process-wide, read when a connection is checked.
    virtual HRESULT STDMETHODCALLTYPE SetSampleRateMode(int mode) = 0;

protected:
    ~ISinkControl() = default;
};

} // namespace audiosink

namespace videosink {

inline constexpr IID IID_ISinkControl = CLSID_VideoSink;

class SampleCallback {
public:
    virtual HRESULT OnMediaType(const AM_MEDIA_TYPE* mt) = 0;
    virtual HRESULT OnSample(IMediaSample* sample) = 0;
    virtual HRESULT OnDetach() = 0;

protected:
    ~SampleCallback() = default;
};

class ISinkControl : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE SetCallback(SampleCallback* callback) = 0;

protected:
    ~ISinkControl() = default;
};

} // namespace videosink
