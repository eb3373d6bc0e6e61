// The encoding core below the entry points: which picture layout the graph
// connects for clips of every kind, the RGB24 path for a source that offers no
// YUY2, and that a whole clip keeps every picture, each in its place, as the
// ffmpeg program decodes the output.
#include "clipencoder.h"
#include "encodegraph.h"
#include "streamencoder.h"

#include "dshow/dshow.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"
#include "win32/process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <vector>

using namespace kvrencoder;

namespace {

// {5B0A4C61-9D2E-4F7A-8C31-6E0D2B7F4A19}
constexpr GUID CLSID_RgbOnlySource{0x5b0a4c61, 0x9d2e, 0x4f7a, {0x8c, 0x31, 0x6e, 0x0d, 0x2b, 0x7f, 0x4a, 0x19}};
constexpr REFERENCE_TIME kPeriod = UNITS / 25;

// Pictures drawn by testkit in bottom-up BGR rows, as a capture card or an old
// codec hands them over: RGB24 is the only type the pin offers or accepts.
class RgbOnlyStream final : public CSourceStream {
public:
    RgbOnlyStream(HRESULT* hr, CSource* filter, int width, int height, int frames)
        : CSourceStream("rgb stream", hr, filter, L"Output"), width_(width), height_(height), frames_(frames),
          drawn_(static_cast<std::size_t>(width) * height * 3)
    {
    }

    HRESULT CheckMediaType(const CMediaType* mt) override
    {
        const BITMAPINFOHEADER* bih = mt ? VideoBitmapHeader(*mt) : nullptr;
        return mt && mt->majortype == MEDIATYPE_Video && mt->subtype == MEDIASUBTYPE_RGB24 && bih &&
                       bih->biWidth == width_ && bih->biHeight == height_
                   ? S_OK
                   : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT GetMediaType(int position, CMediaType* mt) override
    {
        if (position < 0) return E_INVALIDARG;
        if (position > 0) return VFW_S_NO_MORE_ITEMS;
        *mt = CMediaType(MEDIATYPE_Video);
        mt->SetSubtype(&MEDIASUBTYPE_RGB24);
        mt->SetFormatType(&FORMAT_VideoInfo);
        mt->SetTemporalCompression(false);
        mt->SetSampleSize(static_cast<ULONG>(Bytes()));
        VIDEOINFOHEADER vih{};
        vih.rcSource = vih.rcTarget = RECT{0, 0, width_, height_};
        vih.AvgTimePerFrame = kPeriod;
        vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        vih.bmiHeader.biWidth = width_;
        vih.bmiHeader.biHeight = height_;   // bottom-up
        vih.bmiHeader.biPlanes = 1;
        vih.bmiHeader.biBitCount = 24;
        vih.bmiHeader.biCompression = BI_RGB;
        vih.bmiHeader.biSizeImage = static_cast<DWORD>(Bytes());
        mt->SetFormat(reinterpret_cast<const BYTE*>(&vih), sizeof vih);
        return S_OK;
    }
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override
    {
        request->cBuffers = 3;
        request->cbBuffer = static_cast<LONG>(Bytes());
        ALLOCATOR_PROPERTIES actual{};
        return allocator->SetProperties(request, &actual);
    }
    HRESULT FillBuffer(IMediaSample* sample) override
    {
        if (next_ >= frames_) return S_FALSE;
        BYTE* data = nullptr;
        if (FAILED(sample->GetPointer(&data)) || sample->GetSize() < static_cast<LONG>(Bytes())) return E_FAIL;
        testkit::DrawFrame(next_, width_, height_, drawn_.data(), width_ * 3);
        for (int y = 0; y < height_; ++y) {
            const std::uint8_t* from = drawn_.data() + static_cast<std::size_t>(y) * width_ * 3;
            BYTE* to = data + static_cast<std::size_t>(height_ - 1 - y) * Stride();
            for (int x = 0; x < width_; ++x) {
                to[3 * x] = from[3 * x + 2];
                to[3 * x + 1] = from[3 * x + 1];
                to[3 * x + 2] = from[3 * x];
            }
        }
        sample->SetActualDataLength(static_cast<LONG>(Bytes()));
        REFERENCE_TIME start = next_ * kPeriod, stop = start + kPeriod;
        sample->SetTime(&start, &stop);
        sample->SetSyncPoint(TRUE);
        ++next_;
        return S_OK;
    }

private:
    int Stride() const { return (width_ * 3 + 3) & ~3; }   // rows padded to 4 bytes
    std::size_t Bytes() const { return static_cast<std::size_t>(Stride()) * height_; }

    const int width_, height_, frames_;
    std::vector<std::uint8_t> drawn_;
    int next_ = 0;
};

class RgbOnlySource final : public CSource {
public:
    RgbOnlySource(int width, int height, int frames) : CSource("rgb source", nullptr, CLSID_RgbOnlySource, nullptr)
    {
        HRESULT hr = S_OK;
        new RgbOnlyStream(&hr, this, width, height, frames);   // the filter owns its pin
    }
};

// Every picture of a file as the ffmpeg program decodes it, at a small size
// that still shows the counter bars and the colour blocks.
constexpr int kCheckWidth = 192, kCheckHeight = 144;

std::vector<std::vector<std::uint8_t>> ProgramPictures(const std::string& path, const std::string& folder)
{
    const std::string raw = folder + "/pictures.rgb";
    ProcessSpec spec;
    spec.argv = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", path, "-s",
                 std::to_string(kCheckWidth) + "x" + std::to_string(kCheckHeight), "-f", "rawvideo", "-pix_fmt",
                 "rgb24", raw};
    spec.captureOutput = true;
    ProcessResult r = RunProcess(spec, 60000);
    EXPECT_TRUE(r.Succeeded()) << r.errors;
    std::vector<std::vector<std::uint8_t>> pictures;
    FILE* f = std::fopen(raw.c_str(), "rb");
    if (!f) return pictures;
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(kCheckWidth) * kCheckHeight * 3);
    while (std::fread(picture.data(), 1, picture.size(), f) == picture.size()) pictures.push_back(picture);
    std::fclose(f);
    return pictures;
}

testkit::PictureView View(const std::vector<std::uint8_t>& picture)
{
    return testkit::PictureView{picture.data(), kCheckWidth, kCheckHeight, kCheckWidth * 3, false, false};
}

// Each picture shows the source picture of its own number, in its colours.
void ExpectEveryPictureInPlace(const std::string& video, const std::string& folder, int frames)
{
    auto pictures = ProgramPictures(video, folder);
    ASSERT_EQ(static_cast<int>(pictures.size()), frames) << video;
    for (int n = 0; n < frames; ++n) {
        EXPECT_EQ(testkit::ReadFrameCounter(View(pictures[n])), n) << video;
        EXPECT_TRUE(testkit::RegionsMatch(View(pictures[n]))) << video << " picture " << n;
    }
}

ClipJob DvdJob(const std::string& source, const std::string& base)
{
    ClipJob job;
    job.source = source;
    job.videoOutput = base + ".mpg";
    job.audioOutput = base + ".ac3";
    job.videoBitRate = 8000000;
    return job;
}

// The ffmpeg program's own test pattern with sound, in an AVI.
std::string ProgramClip(const std::string& folder)
{
    const std::string path = folder + "/program.avi";
    ProcessSpec spec;
    spec.argv = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                 "testsrc=duration=1:size=352x288:rate=25", "-f", "lavfi", "-i", "sine=frequency=440:duration=1",
                 "-c:v", "mpeg4", "-c:a", "libmp3lame", path};
    EXPECT_TRUE(RunProcess(spec, 60000).Succeeded());
    return path;
}

TEST(EncodeGraph, ConnectsYuy2ForSyntheticAndProgramMadeClips)
{
    testkit::TempFolder folder;
    struct Case {
        std::string path;
        int width, height;
    };
    const Case cases[] = {{testkit::MakeStandardClip(folder.Path()), 320, 240},
                          {testkit::MakeNtscClip(folder.Path()), 352, 240},
                          {testkit::MakeWideClip(folder.Path()), 720, 576},
                          {testkit::MakeVideoOnlyClip(folder.Path()), 320, 240},
                          {ProgramClip(folder.Path()), 352, 288}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EncodeGraph graph;
        std::string why;
        ASSERT_TRUE(graph.Build(c.path, 48000, GraphSinks{}, &why)) << why;
        const PictureShape& shape = graph.Picture();
        EXPECT_EQ(shape.layout, PictureLayout::Yuy2);
        EXPECT_EQ(shape.width, c.width);
        EXPECT_EQ(shape.height, c.height);
        EXPECT_EQ(shape.stride, c.width * 2);
    }
}

TEST(EncodeGraph, ASourceWithoutYuy2IsEncodedFromRgb24InItsOwnOrientation)
{
    testkit::TempFolder folder;
    constexpr int kFrames = 20;
    auto* filter = new RgbOnlySource(352, 288, kFrames);
    ComPtr<IBaseFilter> source(static_cast<IBaseFilter*>(filter));

    ClipJob job = DvdJob("", folder.File("rgb"));
    std::unique_ptr<VideoEncoder> video;
    EncodeGraph graph;
    GraphSinks sinks;
    sinks.picture = [&](const PictureSample& s) { video->Take(graph.Picture(), s, s.start); };
    std::string why;
    ASSERT_TRUE(graph.Build(source.Get(), 48000, std::move(sinks), &why)) << why;
    EXPECT_EQ(graph.Picture().layout, PictureLayout::Rgb24);
    EXPECT_EQ(graph.Picture().stride, 352 * 3);
    EXPECT_FALSE(graph.HasSound());

    video = std::make_unique<VideoEncoder>(job);
    std::atomic<bool> cancel{false};
    ASSERT_EQ(graph.Run(cancel, {}), EncodeGraph::Outcome::Complete);
    video->Finish(kFrames / 25.0);
    video.reset();
    ExpectEveryPictureInPlace(job.videoOutput, folder.Path(), kFrames);
}

TEST(ClipEncoder, AWholeClipKeepsEveryPictureUpToTheLast)
{
    testkit::TempFolder folder;
    // At the disc's own size the pictures go from YUY2 to 4:2:0 unscaled;
    // smaller ones are scaled up; both end with their own last picture.
    struct Case {
        int width, height;
        testkit::VideoCodec codec;
        const char* name;
    };
    for (const Case& c : {Case{720, 576, testkit::VideoCodec::Mpeg2, "full.mpg"},
                          Case{320, 240, testkit::VideoCodec::Mpeg4, "small.avi"}}) {
        SCOPED_TRACE(c.name);
        testkit::ClipSpec spec;
        spec.width = c.width;
        spec.height = c.height;
        spec.seconds = 2;
        spec.video = c.codec;
        const std::string clip = folder.File(c.name);
        testkit::WriteClip(clip, spec);
        ClipJob job = DvdJob(clip, folder.File(std::string("out_") + c.name));
        ClipEncoder encoder(job);
        ClipProgress progress;
        std::atomic<bool> cancel{false};
        ASSERT_EQ(encoder.Run(0, 0, progress, cancel), ClipResult::Encoded) << encoder.Error();
        ExpectEveryPictureInPlace(job.videoOutput, folder.Path(), 50);
        // An end at the clip's length is the clip's end, too; a later run of
        // the same encoder over the whole clip gets all of it again.
        ASSERT_EQ(encoder.Run(1, 2, progress, cancel), ClipResult::Encoded) << encoder.Error();
        auto pictures = ProgramPictures(job.videoOutput, folder.Path());
        ASSERT_EQ(pictures.size(), 25u);
        EXPECT_EQ(testkit::ReadFrameCounter(View(pictures.front())), 25);
        EXPECT_EQ(testkit::ReadFrameCounter(View(pictures.back())), 49);
        ASSERT_EQ(encoder.Run(0, 0, progress, cancel), ClipResult::Encoded) << encoder.Error();
        pictures = ProgramPictures(job.videoOutput, folder.Path());
        ASSERT_EQ(pictures.size(), 50u);
        EXPECT_EQ(testkit::ReadFrameCounter(View(pictures.front())), 0);
    }
}

} // namespace
