#pragma once
// The editing-services interfaces the program uses: the sample grabber and the
// media detector, in slot order.
#include "dshow/interfaces.h"

inline constexpr IID IID_ISampleGrabber{0x6B652FFF, 0x11FE, 0x4FCE, {0x92, 0xAD, 0x02, 0x66, 0xB5, 0xD7, 0xC7, 0x8F}};
inline constexpr IID IID_ISampleGrabberCB{0x0579154A, 0x2B53, 0x4994, {0xB0, 0xD0, 0xE7, 0x73, 0x14, 0x8E, 0xFF, 0x85}};
inline constexpr IID IID_IMediaDet{0x65BD0710, 0x24D2, 0x4FF7, {0x93, 0x24, 0xED, 0x2E, 0x5D, 0x3A, 0xBA, 0xFA}};
// Both are made known with RegisterMediaFilters (dshow/mediafilters.h).
inline constexpr CLSID CLSID_SampleGrabber{0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
inline constexpr CLSID CLSID_MediaDet{0x65BD0711, 0x24D2, 0x4FF7, {0x93, 0x24, 0xED, 0x2E, 0x5D, 0x3A, 0xBA, 0xFA}};

class ISampleGrabberCB : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE SampleCB(double sampleTime, IMediaSample* sample) = 0;
    virtual HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, LONG length) = 0;

protected:
    ~ISampleGrabberCB() = default;
};

class ISampleGrabber : public IUnknown {
public:
    // After one sample the grabber ends the stream (and the graph then completes).
    virtual HRESULT STDMETHODCALLTYPE SetOneShot(BOOL oneShot) = 0;
    // The type the input accepts; GUID_NULL fields match anything.
    virtual HRESULT STDMETHODCALLTYPE SetMediaType(const AM_MEDIA_TYPE* mt) = 0;
    // VFW_E_NOT_CONNECTED when the input is not connected; free the format with FreeMediaType.
    virtual HRESULT STDMETHODCALLTYPE GetConnectedMediaType(AM_MEDIA_TYPE* mt) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBufferSamples(BOOL buffer) = 0;
    // buffer null: size gets the bytes needed. E_INVALIDARG when size is too small,
    // VFW_E_WRONG_STATE when no sample has been buffered.
    virtual HRESULT STDMETHODCALLTYPE GetCurrentBuffer(LONG* size, LONG* buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentSample(IMediaSample** sample) = 0;
    // which: 0 calls SampleCB, 1 BufferCB.
    virtual HRESULT STDMETHODCALLTYPE SetCallback(ISampleGrabberCB* callback, LONG which) = 0;

protected:
    ~ISampleGrabber() = default;
};

class IMediaDet : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE get_Filter(IUnknown** filter) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Filter(IUnknown* filter) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_OutputStreams(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CurrentStream(LONG* stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CurrentStream(LONG stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StreamType(GUID* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StreamTypeB(BSTR* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StreamLength(double* seconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Filename(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Filename(BSTR name) = 0;
    // buffer null: size gets the bytes needed (a BITMAPINFOHEADER and bottom-up RGB24 rows).
    virtual HRESULT STDMETHODCALLTYPE GetBitmapBits(double streamTime, LONG* size, char* buffer, LONG width,
                                                    LONG height) = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteBitmapBits(double streamTime, LONG width, LONG height, BSTR fileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StreamMediaType(AM_MEDIA_TYPE* mt) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSampleGrabber(ISampleGrabber** grabber) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FrameRate(double* rate) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnterBitmapGrabMode(double seekTime) = 0;

protected:
    ~IMediaDet() = default;
};
