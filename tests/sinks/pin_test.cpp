// The input pins on their own: which types each accepts and proposes, the
// pin names, samples handed over directly, a null callback, swapping
// callbacks and the detach call on destruction.
#include "sinkfixture.h"

#include <memory>

namespace {

CMediaType Wave(WORD tag, WORD channels, DWORD rate, WORD bits, ULONG formatBytes = sizeof(WAVEFORMATEX))
{
    CMediaType mt(MEDIATYPE_Audio);
    mt.SetSubtype(&MEDIASUBTYPE_PCM);
    mt.SetFormatType(&FORMAT_WaveFormatEx);
    WAVEFORMATEXTENSIBLE wave{};
    wave.Format.wFormatTag = tag;
    wave.Format.nChannels = channels;
    wave.Format.nSamplesPerSec = rate;
    wave.Format.wBitsPerSample = bits;
    wave.Format.nBlockAlign = WORD(channels * bits / 8);
    wave.Format.nAvgBytesPerSec = rate * wave.Format.nBlockAlign;
    mt.SetFormat(reinterpret_cast<const BYTE*>(&wave), formatBytes);
    mt.SetSampleSize(wave.Format.nBlockAlign);
    return mt;
}

CMediaType Picture(const GUID& subtype, bool fixedSize)
{
    CMediaType mt(MEDIATYPE_Video);
    mt.SetSubtype(&subtype);
    mt.SetFormatType(&FORMAT_VideoInfo);
    VIDEOINFOHEADER info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = 4;
    info.bmiHeader.biBitCount = 24;
    mt.SetFormat(reinterpret_cast<const BYTE*>(&info), sizeof(info));
    if (fixedSize) mt.SetSampleSize(48);
    else mt.SetVariableSize();
    return mt;
}

HRESULT Accepts(IPin* pin, const CMediaType& mt) { return pin->QueryAccept(&mt); }

std::vector<CMediaType> Proposed(IPin* pin)
{
    std::vector<CMediaType> out;
    ComPtr<IEnumMediaTypes> types;
    if (FAILED(pin->EnumMediaTypes(types.Put()))) return out;
    AM_MEDIA_TYPE* mt = nullptr;
    while (types->Next(1, &mt, nullptr) == S_OK) {
        out.emplace_back(*mt);
        DeleteMediaType(mt);
    }
    return out;
}

// One committed buffer to hand to a pin's Receive.
class OneSample {
public:
    OneSample()
    {
        HRESULT hr = S_OK;
        allocator_ = ComPtr<IMemAllocator>(new CMemAllocator("test allocator", nullptr, &hr));
        ALLOCATOR_PROPERTIES want{1, 64, 1, 0}, got{};
        allocator_->SetProperties(&want, &got);
        allocator_->Commit();
        allocator_->GetBuffer(sample.Put(), nullptr, nullptr, 0);
    }
    ~OneSample()
    {
        sample.Reset();
        allocator_->Decommit();
    }
    ComPtr<IMediaSample> sample;

private:
    ComPtr<IMemAllocator> allocator_;
};

} // namespace

using SinkPins = SinkTest;

TEST_F(SinkPins, AudioAcceptsOnly16BitPcmAtTheModesRate)
{
    auto sink = MakeSink(CLSID_AudioSink);
    auto control = Query<audiosink::ISinkControl>(sink.Get(), audiosink::IID_ISinkControl);
    ASSERT_TRUE(control);
    auto pin = InputPin(sink.Get());
    ASSERT_TRUE(pin);

    EXPECT_EQ(Accepts(pin.Get(), Wave(WAVE_FORMAT_PCM, 2, 44100, 16)), S_OK);
    EXPECT_EQ(Accepts(pin.Get(), Wave(WAVE_FORMAT_PCM, 1, 44100, 16)), S_OK);
    EXPECT_EQ(Accepts(pin.Get(), Wave(WAVE_FORMAT_EXTENSIBLE, 2, 44100, 16, sizeof(WAVEFORMATEXTENSIBLE))), S_OK);
    EXPECT_NE(Accepts(pin.Get(), Wave(WAVE_FORMAT_PCM, 2, 48000, 16)), S_OK);
    EXPECT_NE(Accepts(pin.Get(), Wave(WAVE_FORMAT_PCM, 2, 44100, 8)), S_OK);
    EXPECT_NE(Accepts(pin.Get(), Wave(WAVE_FORMAT_PCM, 3, 44100, 16)), S_OK);
    EXPECT_NE(Accepts(pin.Get(), Wave(WAVE_FORMAT_IEEE_FLOAT, 2, 44100, 16)), S_OK);
    EXPECT_NE(Accepts(pin.Get(), Wave(WAVE_FORMAT_PCM, 2, 44100, 16, 16)), S_OK);   // a bare WAVEFORMAT
    CMediaType compressed = Wave(WAVE_FORMAT_PCM, 2, 44100, 16);
    compressed.SetTemporalCompression(true);
    EXPECT_NE(Accepts(pin.Get(), compressed), S_OK);
    CMediaType noBlock = Wave(WAVE_FORMAT_PCM, 2, 44100, 16);
    noBlock.ResetFormatBuffer();
    EXPECT_NE(Accepts(pin.Get(), noBlock), S_OK);
    CMediaType otherMajor = Wave(WAVE_FORMAT_PCM, 2, 44100, 16);
    otherMajor.SetType(&MEDIATYPE_Video);
    EXPECT_NE(Accepts(pin.Get(), otherMajor), S_OK);
    // The subtype is not what decides.
    CMediaType anySub = Wave(WAVE_FORMAT_PCM, 2, 44100, 16);
    anySub.SetSubtype(&MEDIASUBTYPE_IEEE_FLOAT);
    EXPECT_EQ(Accepts(pin.Get(), anySub), S_OK);

    EXPECT_EQ(control->SetSampleRateMode(1), S_OK);
    EXPECT_EQ(Accepts(pin.Get(), Wave(WAVE_FORMAT_PCM, 2, 48000, 16)), S_OK);
    EXPECT_NE(Accepts(pin.Get(), Wave(WAVE_FORMAT_PCM, 2, 44100, 16)), S_OK);
    // The mode is the process's, not the object's.
    auto second = MakeSink(CLSID_AudioSink);
    EXPECT_EQ(Accepts(InputPin(second.Get()).Get(), Wave(WAVE_FORMAT_PCM, 2, 48000, 16)), S_OK);
    EXPECT_EQ(control->SetSampleRateMode(0), S_OK);
    EXPECT_EQ(Accepts(pin.Get(), Wave(WAVE_FORMAT_PCM, 2, 44100, 16)), S_OK);

    auto proposed = Proposed(pin.Get());
    ASSERT_EQ(proposed.size(), 1u);
    EXPECT_EQ(proposed[0].majortype, MEDIATYPE_Audio);
    EXPECT_EQ(proposed[0].subtype, MEDIASUBTYPE_PCM);
}

TEST_F(SinkPins, VideoAcceptsFixedSizeYuy2AndRgb24)
{
    auto sink = MakeSink(CLSID_VideoSink);
    auto pin = InputPin(sink.Get());
    ASSERT_TRUE(pin);
    EXPECT_EQ(Accepts(pin.Get(), Picture(MEDIASUBTYPE_YUY2, true)), S_OK);
    EXPECT_EQ(Accepts(pin.Get(), Picture(MEDIASUBTYPE_RGB24, true)), S_OK);
    EXPECT_NE(Accepts(pin.Get(), Picture(MEDIASUBTYPE_YUY2, false)), S_OK);
    EXPECT_NE(Accepts(pin.Get(), Picture(MEDIASUBTYPE_RGB32, true)), S_OK);
    EXPECT_NE(Accepts(pin.Get(), Picture(MEDIASUBTYPE_I420, true)), S_OK);
    CMediaType audio = Picture(MEDIASUBTYPE_YUY2, true);
    audio.SetType(&MEDIATYPE_Audio);
    EXPECT_NE(Accepts(pin.Get(), audio), S_OK);

    auto proposed = Proposed(pin.Get());
    ASSERT_EQ(proposed.size(), 2u);
    EXPECT_EQ(proposed[0].subtype, MEDIASUBTYPE_YUY2);
    EXPECT_EQ(proposed[1].subtype, MEDIASUBTYPE_RGB24);
    EXPECT_EQ(proposed[1].majortype, MEDIATYPE_Video);
}

TEST_F(SinkPins, PinsAndInterfacesOfEachFilter)
{
    for (const CLSID* clsid : {&CLSID_AudioSink, &CLSID_VideoSink}) {
        auto sink = MakeSink(*clsid);
        ASSERT_TRUE(sink);
        const wchar_t* name = *clsid == CLSID_AudioSink ? L"Audio" : L"Input";
        ComPtr<IPin> pin;
        ASSERT_EQ(sink->FindPin(name, pin.Put()), S_OK);
        PIN_DIRECTION dir{};
        pin->QueryDirection(&dir);
        EXPECT_EQ(dir, PINDIR_INPUT);
        ComPtr<IEnumPins> pins;
        ASSERT_EQ(sink->EnumPins(pins.Put()), S_OK);
        ComPtr<IPin> each;
        int count = 0;
        while (pins->Next(1, each.Put(), nullptr) == S_OK) ++count;
        EXPECT_EQ(count, 1);

        auto input = Query<IMemInputPin>(pin.Get(), IID_IMemInputPin);
        ASSERT_TRUE(input);
        EXPECT_EQ(input->Receive(nullptr), E_POINTER);
        EXPECT_EQ(input->ReceiveCanBlock(), S_FALSE);
        ULONG n = 0;
        EXPECT_EQ(pin->QueryInternalConnections(nullptr, &n), E_NOTIMPL);
        EXPECT_EQ(pin->NewSegment(0, UNITS, 1.0), S_OK);
        EXPECT_TRUE(Query<IMediaFilter>(sink.Get(), IID_IMediaFilter));
        EXPECT_TRUE(Query<IMediaPosition>(sink.Get(), IID_IMediaPosition));
        auto seeking = Query<IMediaSeeking>(sink.Get(), IID_IMediaSeeking);
        ASSERT_TRUE(seeking);
        LONGLONG duration = 0;
        EXPECT_EQ(seeking->GetDuration(&duration), VFW_E_NOT_CONNECTED);   // nothing upstream yet
        // Every interface leads back to the same object.
        auto a = Query<IUnknown>(seeking.Get(), IID_IUnknown);
        auto b = Query<IUnknown>(pin.Get(), IID_IUnknown);
        auto c = Query<IUnknown>(sink.Get(), IID_IUnknown);
        EXPECT_EQ(a.Get(), c.Get());
        EXPECT_EQ(b.Get(), Query<IUnknown>(Query<IPin>(pin.Get(), IID_IPin).Get(), IID_IUnknown).Get());
    }
}

TEST_F(SinkPins, SamplesReachTheCallbackInstalledAndNullDropsThem)
{
    auto sink = MakeSink(CLSID_AudioSink);
    auto control = Query<audiosink::ISinkControl>(sink.Get(), audiosink::IID_ISinkControl);
    auto input = Query<IMemInputPin>(InputPin(sink.Get()).Get(), IID_IMemInputPin);
    ASSERT_TRUE(control && input);
    OneSample one;
    ASSERT_TRUE(one.sample);

    // Nothing installed: accepted and dropped.
    EXPECT_EQ(input->Receive(one.sample.Get()), S_OK);

    AudioRecorder first, second;
    EXPECT_EQ(control->SetCallback(&first), S_OK);
    EXPECT_EQ(input->Receive(one.sample.Get()), S_OK);
    EXPECT_EQ(input->Receive(one.sample.Get()), S_OK);
    EXPECT_EQ(first.record.Count("sample"), 2);

    // A null callback must not be called through.
    EXPECT_EQ(control->SetCallback(nullptr), S_OK);
    EXPECT_EQ(input->Receive(one.sample.Get()), S_OK);
    EXPECT_EQ(first.record.Count("sample"), 2);

    EXPECT_EQ(control->SetCallback(&second), S_OK);
    EXPECT_EQ(input->Receive(one.sample.Get()), S_OK);
    EXPECT_EQ(second.record.Count("sample"), 1);

    // While a seek flushes, a stale sample goes nowhere.
    ComPtr<IPin> pin = InputPin(sink.Get());
    pin->BeginFlush();
    EXPECT_EQ(input->Receive(one.sample.Get()), S_FALSE);
    pin->EndFlush();
    EXPECT_EQ(input->Receive(one.sample.Get()), S_OK);
    EXPECT_EQ(second.record.Count("sample"), 2);

    input.Reset();
    pin.Reset();
    control.Reset();
    sink.Reset();
    // Only the callback installed at destruction is detached, exactly once.
    EXPECT_EQ(first.record.Count("detach"), 0);
    EXPECT_EQ(second.record.Count("detach"), 1);
    EXPECT_EQ(second.record.calls.back(), "detach");
}

TEST_F(SinkPins, DetachArrivesOnceWhenTheLastReferenceGoes)
{
    VideoRecorder recorder;
    {
        auto sink = MakeSink(CLSID_VideoSink);
        auto control = Query<videosink::ISinkControl>(sink.Get(), videosink::IID_ISinkControl);
        ASSERT_TRUE(control);
        control->SetCallback(&recorder);
        auto pin = InputPin(sink.Get());
        auto seeking = Query<IMediaSeeking>(sink.Get(), IID_IMediaSeeking);
        sink.Reset();
        control.Reset();
        EXPECT_EQ(recorder.record.Count("detach"), 0);   // the pin and the pass-through keep it alive
        pin.Reset();
        EXPECT_EQ(recorder.record.Count("detach"), 0);
    }
    EXPECT_EQ(recorder.record.Count("detach"), 1);
    EXPECT_EQ(recorder.record.calls.size(), 1u);
}
