#pragma once
// Small filters for the graph tests: a numbered-frame source (seekable, and a
// file-source variant), a transform that widens RGB24 frames to RGB32, and a
// renderer that records what reaches it.
#include "dshow/dshow.h"

#include <mutex>
#include <string>
#include <vector>

inline constexpr CLSID CLSID_TestSource{0x7A11E001, 0x5EED, 0x4C0D, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};
inline constexpr CLSID CLSID_TestTransform{0x7A11E002, 0x5EED, 0x4C0D, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02}};
inline constexpr CLSID CLSID_TestRenderer{0x7A11E003, 0x5EED, 0x4C0D, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03}};
inline constexpr CLSID CLSID_TestFileSource{0x7A11E004, 0x5EED, 0x4C0D, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04}};

// A 4 x 4 video type of the given subtype and bit count.
CMediaType TestVideoType(const GUID& subtype, WORD bits);

class TestSource;

class TestStream : public CSourceStream, public CSourceSeeking {
public:
    TestStream(TestSource* filter, HRESULT* hr, int frames, REFERENCE_TIME period);
    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT CheckMediaType(const CMediaType* mt) override;
    HRESULT GetMediaType(int position, CMediaType* mt) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT FillBuffer(IMediaSample* sample) override;
    HRESULT OnThreadStartPlay() override;
    // FillBuffer fails with E_FAIL at this frame (-1: never).
    void FailAt(int frame) { failAt_ = frame; }

protected:
    HRESULT ChangeStart() override;
    HRESULT ChangeStop() override { return S_OK; }
    HRESULT ChangeRate() override { return S_OK; }

private:
    CCritSec seekLock_;
    REFERENCE_TIME period_;
    int frames_;
    int next_ = 0;
    int failAt_ = -1;
};

// Frame i has time stamp i * period (from its segment's start) and carries i
// in its first four bytes.
class TestSource : public CSource {
public:
    TestSource(int frames, REFERENCE_TIME period, REFCLSID clsid = CLSID_TestSource);
    TestStream* Stream() { return stream_; }

private:
    TestStream* stream_;
};

// Loads "*.tst" files that exist; the file holds the frame count as text.
class TestFileSource : public TestSource, public IFileSourceFilter {
public:
    TestFileSource();
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);
    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* mt) override;

private:
    std::wstring file_;
};

// RGB24 in, RGB32 out; the frame number goes across.
class TestTransform : public CTransformFilter {
public:
    TestTransform();
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);
    HRESULT CheckInputType(const CMediaType* mt) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT GetMediaType(int position, CMediaType* mt) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
};

class TestRenderer : public CBaseRenderer {
public:
    struct Record {
        int frame;
        REFERENCE_TIME start;
        REFERENCE_TIME segment;
        bool sync;
    };
    // subtype GUID_NULL accepts any video.
    explicit TestRenderer(const GUID& subtype = GUID_NULL);
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr);   // RGB24 only

    HRESULT CheckMediaType(const CMediaType* mt) override;
    HRESULT DoRenderSample(IMediaSample* sample) override;
    HRESULT BeginFlush() override;

    std::vector<Record> Records();
    int Flushes();
    int FirstSamples();
    void OnReceiveFirstSample(IMediaSample*) override;

private:
    GUID subtype_;
    std::mutex mutex_;
    std::vector<Record> records_;
    int flushes_ = 0;
    int firstSamples_ = 0;
};

// Holds one reference to a filter made with new.
template <class T>
ComPtr<IBaseFilter> Hold(T* filter)
{
    return ComPtr<IBaseFilter>(static_cast<IBaseFilter*>(filter));
}

ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION dir);
ComPtr<IPin> Peer(IPin* pin);

// Registration data of the test filters, for automatic graph building.
extern const AMOVIESETUP_FILTER kTestTransformSetup;
extern const AMOVIESETUP_FILTER kTestRendererSetup;
