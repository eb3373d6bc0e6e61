// The FFmpeg filters in real graphs on the synthetic clips: the default chain,
// playing against the clock, pausing and seeking, grabbing RGB24 frames, the
// null renderer, broken input and shutting down.
#include "ffmpeg_graph_helpers.h"

#include <atomic>
#include <chrono>
#include <mutex>

namespace {

constexpr REFERENCE_TIME kFrame = UNITS / 25;

// Counts the samples a grabber passes and checks their times go forward.
class CountingCallback : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_ISampleGrabberCB) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SampleCB(double time, IMediaSample* sample) override
    {
        std::lock_guard lock(mutex);
        if (time < lastTime) backwards = true;
        lastTime = time;
        ++samples;
        bytes += sample->GetActualDataLength();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, LONG) override { return E_NOTIMPL; }

    std::mutex mutex;
    int samples = 0;
    long long bytes = 0;
    double lastTime = -1e9;
    bool backwards = false;
};

std::string TwoSecondClip(const std::string& folder)
{
    testkit::ClipSpec spec;
    spec.seconds = 2.0;
    std::string path = folder + "/two.avi";
    testkit::WriteClip(path, spec);
    return path;
}

} // namespace

TEST_F(FfmpegGraphTest, RenderFileBuildsTheDefaultChainAndPlaysInRealTime)
{
    auto graph = MakeGraph();
    ASSERT_TRUE(graph);
    std::wstring path = Utf8ToWide(TwoSecondClip(folder.Path()));
    ASSERT_TRUE(SUCCEEDED(graph->RenderFile(path.c_str(), nullptr)));
    EXPECT_EQ(CountFilters(graph.Get()), 3);
    auto source = FindFilter(graph.Get(), CLSID_FfmpegSource);
    auto video = FindFilter(graph.Get(), CLSID_VideoRenderer);
    auto audio = FindFilter(graph.Get(), CLSID_DSoundRender);
    ASSERT_TRUE(source && video && audio);
    EXPECT_TRUE(ConnectedTo(FindPin(video.Get(), PINDIR_INPUT).Get()));
    EXPECT_TRUE(ConnectedTo(FindPin(audio.Get(), PINDIR_INPUT).Get()));

    auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
    auto events = Query<IMediaEvent>(graph.Get(), IID_IMediaEvent);
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    LONG code = 0;
    // Bounded generously: a loaded machine plays late, never early.
    ASSERT_EQ(events->WaitForCompletion(60000, &code), S_OK);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_GE(seconds, 1.8);   // paced by the clock, not as fast as it decodes
    auto frames = Query<IVideoFrameAccess>(video.Get(), IID_IVideoFrameAccess);
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames->PicturesPresented(), 50);
    VideoPicture picture;
    ASSERT_EQ(frames->GetLastPicture(&picture), S_OK);
    testkit::PictureView view{picture.bits.data(), 320, 240, 960, true, true};
    EXPECT_EQ(testkit::ReadFrameCounter(view), 49);
    EXPECT_EQ(control->Stop(), S_OK);
}

TEST_F(FfmpegGraphTest, APictureShownWhilePausedIsPresentedOnceWhenTheGraphRuns)
{
    // Run pauses the graph on its way: on a busy machine the first picture can
    // arrive before the renderers run. Paused first, that always happens here.
    auto graph = MakeGraph();
    ASSERT_TRUE(graph);
    std::wstring path = Utf8ToWide(TwoSecondClip(folder.Path()));
    ASSERT_TRUE(SUCCEEDED(graph->RenderFile(path.c_str(), nullptr)));
    auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
    auto events = Query<IMediaEvent>(graph.Get(), IID_IMediaEvent);
    auto frames = Query<IVideoFrameAccess>(FindFilter(graph.Get(), CLSID_VideoRenderer).Get(), IID_IVideoFrameAccess);
    ASSERT_TRUE(control && events && frames);
    ASSERT_TRUE(SUCCEEDED(control->Pause()));
    OAFilterState state = 0;
    ASSERT_EQ(control->GetState(60000, &state), S_OK);
    EXPECT_EQ(frames->PicturesPresented(), 1);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    LONG code = 0;
    ASSERT_EQ(events->WaitForCompletion(60000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(frames->PicturesPresented(), 50);
    EXPECT_EQ(control->Stop(), S_OK);
}

TEST_F(FfmpegGraphTest, WithoutASoundDeviceTheAudioRendererKeepsTheClock)
{
    // No sound server to be reached: the renderer must still pace the graph and complete.
    unsetenv("KELDARA_AUDIO");
    setenv("PULSE_SERVER", ("unix:" + folder.File("no-such-socket")).c_str(), 1);
    setenv("PULSE_RUNTIME_PATH", folder.Path().c_str(), 1);
    auto graph = MakeGraph();
    ASSERT_TRUE(graph);
    std::wstring path = Utf8ToWide(TwoSecondClip(folder.Path()));
    ASSERT_TRUE(SUCCEEDED(graph->RenderFile(path.c_str(), nullptr)));
    auto audio = FindFilter(graph.Get(), CLSID_DSoundRender);
    ASSERT_TRUE(audio);
    EXPECT_TRUE(Query<IReferenceClock>(audio.Get(), IID_IReferenceClock));
    auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
    auto events = Query<IMediaEvent>(graph.Get(), IID_IMediaEvent);
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    LONG code = 0;
    ASSERT_EQ(events->WaitForCompletion(60000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), 1.8);
    EXPECT_EQ(control->Stop(), S_OK);
}

TEST_F(FfmpegGraphTest, PausedGraphShowsTheFrameAtEachSeekPosition)
{
    auto graph = MakeGraph();
    ASSERT_TRUE(graph);
    std::wstring path = Utf8ToWide(testkit::MakeStandardClip(folder.Path()));
    ASSERT_TRUE(SUCCEEDED(graph->RenderFile(path.c_str(), nullptr)));
    auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
    auto seeking = Query<IMediaSeeking>(graph.Get(), IID_IMediaSeeking);
    auto frames = Query<IVideoFrameAccess>(FindFilter(graph.Get(), CLSID_VideoRenderer).Get(), IID_IVideoFrameAccess);
    ASSERT_TRUE(control && seeking && frames);
    DWORD caps = AM_SEEKING_CanSeekAbsolute;
    EXPECT_EQ(seeking->CheckCapabilities(&caps), S_OK);
    LONGLONG duration = 0;
    EXPECT_EQ(seeking->GetDuration(&duration), S_OK);
    EXPECT_NEAR(static_cast<double>(duration) / UNITS, 5.0, 0.05);

    ASSERT_TRUE(SUCCEEDED(control->Pause()));
    OAFilterState state = 0;
    ASSERT_EQ(control->GetState(5000, &state), S_OK);
    EXPECT_EQ(state, State_Paused);
    auto counter = [&] {
        VideoPicture picture;
        if (frames->GetLastPicture(&picture) != S_OK) return -1;
        return testkit::ReadFrameCounter(testkit::PictureView{picture.bits.data(), 320, 240, 960, true, true});
    };
    EXPECT_EQ(counter(), 0);
    struct Case { LONGLONG at; int frame; };
    for (Case c : {Case{1'000'000, 2}, Case{25'000'000, 62}, Case{4'900'000, 12}}) {
        LONGLONG at = c.at;
        ASSERT_TRUE(SUCCEEDED(seeking->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning)));
        ASSERT_EQ(control->GetState(5000, &state), S_OK);
        EXPECT_EQ(counter(), c.frame) << "at " << c.at;
    }
    // Playing on from the middle reaches the end; the position follows.
    auto events = Query<IMediaEvent>(graph.Get(), IID_IMediaEvent);
    LONGLONG at = 45'000'000;
    ASSERT_TRUE(SUCCEEDED(seeking->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning)));
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    LONG code = 0;
    ASSERT_EQ(events->WaitForCompletion(10000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(counter(), 124);
    LONGLONG position = 0;
    if (seeking->GetCurrentPosition(&position) == S_OK) {
        EXPECT_GE(position, 49'000'000);
    }
    EXPECT_EQ(control->Stop(), S_OK);
}

TEST_F(FfmpegGraphTest, GrabberChainWithMutedAudioDeliversEveryFrameInRgb24)
{
    auto graph = MakeGraph();
    ASSERT_TRUE(graph);
    std::wstring path = Utf8ToWide(testkit::MakeStandardClip(folder.Path()));
    ASSERT_TRUE(SUCCEEDED(graph->RenderFile(path.c_str(), nullptr)));
    // As the preview does: the grabber takes the video renderer's place, a null renderer the audio's.
    ComPtr<IPin> videoOut = TakeFromRenderer(graph.Get(), CLSID_VideoRenderer);
    ComPtr<IPin> audioOut = TakeFromRenderer(graph.Get(), CLSID_DSoundRender);
    ASSERT_TRUE(videoOut && audioOut);
    auto grabberFilter = AddGrabber(graph.Get(), MEDIATYPE_Video, MEDIASUBTYPE_RGB24, L"Image Grabber");
    auto grabber = Query<ISampleGrabber>(grabberFilter.Get(), IID_ISampleGrabber);
    ASSERT_TRUE(grabber);
    CountingCallback counting;
    ASSERT_EQ(grabber->SetCallback(&counting, 0), S_OK);
    ASSERT_TRUE(SUCCEEDED(graph->Connect(videoOut.Get(), FindPin(grabberFilter.Get(), PINDIR_INPUT).Get())));
    ASSERT_TRUE(SUCCEEDED(graph->Render(FindPin(grabberFilter.Get(), PINDIR_OUTPUT).Get())));
    auto nullRenderer = AddFilter(graph.Get(), CLSID_NullRenderer, L"NullRenderer");
    ASSERT_TRUE(SUCCEEDED(graph->Connect(audioOut.Get(), FindPin(nullRenderer.Get(), PINDIR_INPUT).Get())));
    EXPECT_FALSE(FindFilter(graph.Get(), CLSID_DSoundRender));

    AM_MEDIA_TYPE mt{};
    ASSERT_EQ(grabber->GetConnectedMediaType(&mt), S_OK);
    EXPECT_EQ(mt.subtype, MEDIASUBTYPE_RGB24);
    const VIDEOINFOHEADER* vih = VideoInfo(mt);
    ASSERT_TRUE(vih);
    EXPECT_EQ(vih->bmiHeader.biWidth, 320);
    EXPECT_EQ(vih->bmiHeader.biHeight, 240);
    EXPECT_EQ(vih->bmiHeader.biBitCount, 24);
    EXPECT_EQ(vih->AvgTimePerFrame, kFrame);
    FreeMediaType(mt);

    // Nothing has arrived yet.
    LONG size = 0;
    EXPECT_EQ(grabber->GetCurrentBuffer(&size, nullptr), VFW_E_WRONG_STATE);

    auto filterOfGraph = Query<IMediaFilter>(graph.Get(), IID_IMediaFilter);
    ASSERT_EQ(filterOfGraph->SetSyncSource(nullptr), S_OK);   // as fast as it decodes
    auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
    auto events = Query<IMediaEvent>(graph.Get(), IID_IMediaEvent);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    LONG code = 0;
    ASSERT_EQ(events->WaitForCompletion(15000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(counting.samples, 125);
    EXPECT_FALSE(counting.backwards);
    EXPECT_EQ(counting.bytes, 125LL * 960 * 240);
    EXPECT_EQ(CounterOfBuffer(grabber.Get(), 320, 240), 124);
    // A buffer that is too small is refused, not overrun.
    ASSERT_EQ(grabber->GetCurrentBuffer(&size, nullptr), S_OK);
    EXPECT_EQ(size, 960 * 240);
    std::vector<LONG> small(10);
    LONG smallSize = 40;
    EXPECT_TRUE(FAILED(grabber->GetCurrentBuffer(&smallSize, small.data())));
    EXPECT_EQ(control->Stop(), S_OK);
    // Kept after the stop, for the snapshot written after it.
    EXPECT_EQ(CounterOfBuffer(grabber.Get(), 320, 240), 124);
}

TEST_F(FfmpegGraphTest, AudioArrivesWholeAsPcmAtTheDiscRate)
{
    auto graph = MakeGraph();
    ASSERT_TRUE(graph);
    std::wstring path = Utf8ToWide(testkit::MakeStandardClip(folder.Path()));
    ComPtr<IBaseFilter> source;
    ASSERT_EQ(graph->AddSourceFilter(path.c_str(), L"Source", source.Put()), S_OK);
    ComPtr<IPin> audioOut = FindPin(source.Get(), PINDIR_OUTPUT, &MEDIATYPE_Audio);
    ASSERT_TRUE(audioOut);
    // The encoder's sinks take 48 kHz: the source converts when asked for it.
    auto grabberFilter = AddGrabber(graph.Get(), MEDIATYPE_Audio, MEDIASUBTYPE_PCM, L"Audio Grabber");
    auto grabber = Query<ISampleGrabber>(grabberFilter.Get(), IID_ISampleGrabber);
    CMediaType pcm48(MEDIATYPE_Audio);
    pcm48.SetSubtype(&MEDIASUBTYPE_PCM);
    pcm48.SetFormatType(&FORMAT_WaveFormatEx);
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
    pcm48.SetFormat(reinterpret_cast<BYTE*>(&wfx), sizeof wfx);
    pcm48.SetSampleSize(4);
    ASSERT_EQ(graph->ConnectDirect(audioOut.Get(), FindPin(grabberFilter.Get(), PINDIR_INPUT).Get(), &pcm48), S_OK);
    auto nullRenderer = AddFilter(graph.Get(), CLSID_NullRenderer, L"NullRenderer");
    ASSERT_TRUE(SUCCEEDED(graph->Connect(FindPin(grabberFilter.Get(), PINDIR_OUTPUT).Get(),
                                         FindPin(nullRenderer.Get(), PINDIR_INPUT).Get())));
    CountingCallback counting;
    grabber->SetCallback(&counting, 0);
    Query<IMediaFilter>(graph.Get(), IID_IMediaFilter)->SetSyncSource(nullptr);
    auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
    auto events = Query<IMediaEvent>(graph.Get(), IID_IMediaEvent);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    LONG code = 0;
    ASSERT_EQ(events->WaitForCompletion(15000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_FALSE(counting.backwards);
    EXPECT_NEAR(static_cast<double>(counting.bytes), 5.0 * 48000 * 4, 48000 * 4 * 0.05);
    control->Stop();
}

TEST_F(FfmpegGraphTest, WhatIsNotMediaIsRefusedWithAFailure)
{
    auto graph = MakeGraph();
    ASSERT_TRUE(graph);
    std::wstring text = Utf8ToWide(testkit::MakeNotMediaFile(folder.Path()));
    EXPECT_TRUE(FAILED(graph->RenderFile(text.c_str(), nullptr)));
    std::wstring missing = Utf8ToWide(folder.File("missing.avi"));
    EXPECT_TRUE(FAILED(graph->RenderFile(missing.c_str(), nullptr)));
    ComPtr<IBaseFilter> source;
    ASSERT_EQ(CoCreateInstance(CLSID_FfmpegSource, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, source.PutVoid()), S_OK);
    auto load = Query<IFileSourceFilter>(source.Get(), IID_IFileSourceFilter);
    ASSERT_TRUE(load);
    EXPECT_TRUE(FAILED(load->Load(text.c_str(), nullptr)));
    EXPECT_TRUE(FAILED(load->Load(L"", nullptr)));
    EXPECT_EQ(load->Load(nullptr, nullptr), E_POINTER);
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(source->EnumPins(pins.Put()), S_OK);
    ComPtr<IPin> pin;
    EXPECT_NE(pins->Next(1, pin.Put(), nullptr), S_OK);   // no pins from a refused file
}

TEST_F(FfmpegGraphTest, BrokenFilesEndTheStreamWithoutAHang)
{
    std::string truncated = testkit::MakeTruncatedClip(folder.Path());
    std::string damaged = testkit::MakeStandardClip(folder.Path());
    {
        std::FILE* f = std::fopen(damaged.c_str(), "r+b");
        ASSERT_TRUE(f);
        std::fseek(f, 30000, SEEK_SET);
        for (int i = 0; i < 60000; ++i) std::fputc((i * 7919) & 0xFF, f);
        std::fclose(f);
    }
    for (const std::string& file : {truncated, damaged}) {
        auto graph = MakeGraph();
        ASSERT_TRUE(graph);
        std::wstring path = Utf8ToWide(file);
        HRESULT hr = graph->RenderFile(path.c_str(), nullptr);
        if (FAILED(hr)) continue;   // refusing a broken file is as good as playing what is left
        Query<IMediaFilter>(graph.Get(), IID_IMediaFilter)->SetSyncSource(nullptr);
        auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
        auto events = Query<IMediaEvent>(graph.Get(), IID_IMediaEvent);
        ASSERT_TRUE(SUCCEEDED(control->Run())) << file;
        LONG code = 0;
        ASSERT_EQ(events->WaitForCompletion(20000, &code), S_OK) << file;
        EXPECT_TRUE(code == EC_COMPLETE || code == EC_ERRORABORT) << file;
        EXPECT_EQ(control->Stop(), S_OK);
    }
}

TEST_F(FfmpegGraphTest, StopsAndShutsDownWhilePlaying)
{
    std::wstring path = Utf8ToWide(testkit::MakeStandardClip(folder.Path()));
    {
        auto graph = MakeGraph();
        ASSERT_TRUE(SUCCEEDED(graph->RenderFile(path.c_str(), nullptr)));
        auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
        auto events = Query<IMediaEvent>(graph.Get(), IID_IMediaEvent);
        ASSERT_TRUE(SUCCEEDED(control->Run()));
        LONG code = 0;
        EXPECT_EQ(events->WaitForCompletion(300, &code), E_ABORT);   // still playing
        ASSERT_EQ(control->Stop(), S_OK);
        // Again from the start, then let go of everything while it runs.
        ASSERT_TRUE(SUCCEEDED(control->Run()));
        EXPECT_EQ(events->WaitForCompletion(200, &code), E_ABORT);
    }
    {
        // A graph released while paused and one released after a seek in the middle of a run.
        auto graph = MakeGraph();
        ASSERT_TRUE(SUCCEEDED(graph->RenderFile(path.c_str(), nullptr)));
        auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
        auto seeking = Query<IMediaSeeking>(graph.Get(), IID_IMediaSeeking);
        ASSERT_TRUE(SUCCEEDED(control->Run()));
        for (LONGLONG at : {30'000'000LL, 10'000'000LL, 40'000'000LL}) {
            LONGLONG position = at;
            EXPECT_TRUE(SUCCEEDED(seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr,
                                                        AM_SEEKING_NoPositioning)));
        }
        ASSERT_TRUE(SUCCEEDED(control->Pause()));
    }
}

TEST_F(FfmpegGraphTest, PreviewRearrangementWithTheCaptureBuilderMutesAudio)
{
    // The preview's own steps: RenderFile, grabber in the video renderer's place, and the
    // capture graph builder rendering the audio pin into a null renderer.
    auto graph = MakeGraph();
    ASSERT_TRUE(graph);
    ComPtr<ICaptureGraphBuilder2> builder;
    ASSERT_EQ(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                               builder.PutVoid()),
              S_OK);
    ASSERT_EQ(builder->SetFiltergraph(graph.Get()), S_OK);
    std::wstring path = Utf8ToWide(testkit::MakeStandardClip(folder.Path()));
    ASSERT_TRUE(SUCCEEDED(graph->RenderFile(path.c_str(), nullptr)));
    ComPtr<IPin> videoOut = TakeFromRenderer(graph.Get(), CLSID_VideoRenderer);
    auto grabberFilter = AddGrabber(graph.Get(), MEDIATYPE_Video, MEDIASUBTYPE_RGB24, L"Image Grabber");
    ASSERT_TRUE(SUCCEEDED(graph->Connect(videoOut.Get(), FindPin(grabberFilter.Get(), PINDIR_INPUT).Get())));
    ASSERT_TRUE(SUCCEEDED(graph->Render(FindPin(grabberFilter.Get(), PINDIR_OUTPUT).Get())));
    ComPtr<IPin> audioOut = TakeFromRenderer(graph.Get(), CLSID_DSoundRender);
    ASSERT_TRUE(audioOut);
    auto nullRenderer = AddFilter(graph.Get(), CLSID_NullRenderer, L"NullRenderer");
    ASSERT_TRUE(SUCCEEDED(builder->RenderStream(nullptr, &MEDIATYPE_Audio, audioOut.Get(), nullptr, nullRenderer.Get())));
    EXPECT_TRUE(ConnectedTo(FindPin(nullRenderer.Get(), PINDIR_INPUT).Get()));
    EXPECT_FALSE(FindFilter(graph.Get(), CLSID_DSoundRender));
    EXPECT_TRUE(FindFilter(graph.Get(), CLSID_VideoRenderer));   // the new one after the grabber

    auto control = Query<IMediaControl>(graph.Get(), IID_IMediaControl);
    auto seeking = Query<IMediaSeeking>(graph.Get(), IID_IMediaSeeking);
    auto grabber = Query<ISampleGrabber>(grabberFilter.Get(), IID_ISampleGrabber);
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    LONGLONG at = 25'200'000;
    ASSERT_TRUE(SUCCEEDED(seeking->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning)));
    ASSERT_TRUE(SUCCEEDED(control->Pause()));
    OAFilterState state = 0;
    ASSERT_EQ(control->GetState(5000, &state), S_OK);
    int frame = CounterOfBuffer(grabber.Get(), 320, 240);
    EXPECT_GE(frame, 63);   // the picture at 2.52 s, or one shortly after it
    EXPECT_LE(frame, 75);
    LONGLONG position = 0;
    ASSERT_EQ(seeking->GetCurrentPosition(&position), S_OK);
    EXPECT_GE(position, 25'000'000);
    EXPECT_LT(position, 32'000'000);
    EXPECT_EQ(control->Stop(), S_OK);
}
