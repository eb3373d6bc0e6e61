// The decoding engine on the synthetic clips: stream facts, frame content and
// times, accurate seeking, conversion, and broken input.
#include "dshow_ffmpeg/converters.h"
#include "dshow_ffmpeg/mediafile.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace ffmpeg;

namespace {

constexpr std::int64_t kFrame25 = kUnitsPerSecond / 25;

std::unique_ptr<MediaFile> OpenOrFail(const std::string& path)
{
    std::string error;
    auto file = MediaFile::Open(path, &error);
    EXPECT_TRUE(file) << path << ": " << error;
    return file;
}

// The frame number drawn in a decoded picture, read back through RGB24.
int CounterOf(const DecodedFrame& frame, VideoConverter& converter)
{
    std::vector<std::uint8_t> rgb(PictureBytes(PixelLayout::RGB24, frame.width, frame.height));
    if (!converter.Convert(frame, PixelLayout::RGB24, frame.width, frame.height, rgb.data(), rgb.size())) return -2;
    testkit::PictureView view{rgb.data(), frame.width, frame.height, RowBytes(PixelLayout::RGB24, frame.width), true, true};
    return testkit::ReadFrameCounter(view);
}

} // namespace

TEST(FfmpegEngine, ReportsStreamFactsOfTheClips)
{
    testkit::TempFolder folder;
    auto file = OpenOrFail(testkit::MakeStandardClip(folder.Path()));
    ASSERT_TRUE(file);
    ASSERT_EQ(file->Streams().size(), 2u);
    const StreamInfo& v = file->Streams()[file->FindStream(StreamKind::Video)];
    EXPECT_EQ(v.width, 320);
    EXPECT_EQ(v.height, 240);
    EXPECT_EQ(v.fpsNum, 25);
    EXPECT_EQ(v.fpsDen, 1);
    EXPECT_EQ(v.frameDuration, kFrame25);
    EXPECT_EQ(v.aspectX, 4);
    EXPECT_EQ(v.aspectY, 3);
    EXPECT_NEAR(static_cast<double>(v.duration) / kUnitsPerSecond, 5.0, 0.05);
    const StreamInfo& a = file->Streams()[file->FindStream(StreamKind::Audio)];
    EXPECT_EQ(a.sampleRate, 44100);
    EXPECT_EQ(a.channels, 2);
    EXPECT_NEAR(static_cast<double>(a.duration) / kUnitsPerSecond, 5.0, 0.1);
    EXPECT_TRUE(file->CanSeek());

    auto ntsc = OpenOrFail(testkit::MakeNtscClip(folder.Path()));
    ASSERT_TRUE(ntsc);
    const StreamInfo& nv = ntsc->Streams()[ntsc->FindStream(StreamKind::Video)];
    EXPECT_EQ(nv.fpsNum, 30000);
    EXPECT_EQ(nv.fpsDen, 1001);
    EXPECT_EQ(nv.width, 352);
    EXPECT_EQ(nv.height, 240);
    EXPECT_EQ(ntsc->Streams()[ntsc->FindStream(StreamKind::Audio)].sampleRate, 48000);

    auto wide = OpenOrFail(testkit::MakeWideClip(folder.Path()));
    ASSERT_TRUE(wide);
    const StreamInfo& wv = wide->Streams()[wide->FindStream(StreamKind::Video)];
    EXPECT_EQ(wv.aspectX, 16);
    EXPECT_EQ(wv.aspectY, 9);

    auto videoOnly = OpenOrFail(testkit::MakeVideoOnlyClip(folder.Path()));
    ASSERT_TRUE(videoOnly);
    EXPECT_EQ(videoOnly->Streams().size(), 1u);
    EXPECT_EQ(videoOnly->FindStream(StreamKind::Audio), -1);

    auto audioOnly = OpenOrFail(testkit::MakeAudioOnlyFile(folder.Path()));
    ASSERT_TRUE(audioOnly);
    EXPECT_EQ(audioOnly->Streams().size(), 1u);
    EXPECT_EQ(audioOnly->FindStream(StreamKind::Video), -1);
    EXPECT_NEAR(static_cast<double>(audioOnly->Duration()) / kUnitsPerSecond, 3.0, 0.01);
}

TEST(FfmpegEngine, RefusesWhatIsNotMedia)
{
    testkit::TempFolder folder;
    std::string error;
    EXPECT_FALSE(MediaFile::Open(testkit::MakeNotMediaFile(folder.Path()), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(MediaFile::Open(folder.File("missing.avi"), &error));
    // An empty file and a file of one byte.
    std::filesystem::path empty = folder.File("empty.mpg");
    { std::FILE* f = std::fopen(empty.c_str(), "wb"); ASSERT_TRUE(f); std::fclose(f); }
    EXPECT_FALSE(MediaFile::Open(empty.string(), &error));
}

TEST(FfmpegEngine, DecodesEveryFrameInOrderWithItsTime)
{
    testkit::TempFolder folder;
    auto file = OpenOrFail(testkit::MakeStandardClip(folder.Path()));
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->SelectStream(file->FindStream(StreamKind::Video)));
    VideoConverter converter;
    DecodedFrame frame;
    int count = 0;
    while (file->Read(frame) == ReadResult::Frame) {
        ASSERT_EQ(frame.start, count * kFrame25) << "frame " << count;
        ASSERT_EQ(frame.stop, (count + 1) * kFrame25);
        ASSERT_EQ(CounterOf(frame, converter), count);
        ++count;
    }
    EXPECT_EQ(count, 125);
    EXPECT_EQ(file->Read(frame), ReadResult::EndOfStream);   // stays at the end
    // Read again from the start (the way back for files that cannot be positioned),
    // from the end and from the middle, by the same object.
    for (int stopAt : {125, 40}) {
        ASSERT_TRUE(file->Restart());
        for (int i = 0; i < stopAt; ++i) {
            ASSERT_EQ(file->Read(frame), ReadResult::Frame) << "frame " << i;
            ASSERT_EQ(frame.start, i * kFrame25);
            ASSERT_EQ(CounterOf(frame, converter), i);
        }
    }
}

TEST(FfmpegEngine, SeeksToTheFrameShowingThePosition)
{
    testkit::TempFolder folder;
    auto file = OpenOrFail(testkit::MakeStandardClip(folder.Path()));
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->SelectStream(file->FindStream(StreamKind::Video)));
    VideoConverter converter;
    DecodedFrame frame;
    struct Case { std::int64_t at; int frame; };
    // Key frames every 12 frames: these land between them, and backwards too.
    for (Case c : {Case{1'000'000, 2}, Case{25'000'000, 62}, Case{49'900'000, 124}, Case{0, 0}, Case{12'100'000, 30}}) {
        ASSERT_TRUE(file->Seek(c.at));
        ASSERT_EQ(file->Read(frame), ReadResult::Frame);
        EXPECT_EQ(CounterOf(frame, converter), c.frame) << "at " << c.at;
        EXPECT_EQ(frame.start, c.frame * kFrame25);
    }
    // Past the end: nothing left to show.
    ASSERT_TRUE(file->Seek(60 * kUnitsPerSecond));
    EXPECT_EQ(file->Read(frame), ReadResult::EndOfStream);

    // MPEG-2 program stream with B frames at 29.97.
    auto ntsc = OpenOrFail(testkit::MakeNtscClip(folder.Path()));
    ASSERT_TRUE(ntsc);
    ASSERT_TRUE(ntsc->SelectStream(ntsc->FindStream(StreamKind::Video)));
    ASSERT_TRUE(ntsc->Seek(14'850'000));
    ASSERT_EQ(ntsc->Read(frame), ReadResult::Frame);
    EXPECT_EQ(CounterOf(frame, converter), 44);   // 1.485 s x 29.97 = 44.5
    EXPECT_LE(frame.start, 14'850'000);
    EXPECT_GT(frame.stop, 14'850'000);
}

TEST(FfmpegEngine, AudioIsExactAfterASeek)
{
    testkit::TempFolder folder;
    auto file = OpenOrFail(testkit::MakeAudioOnlyFile(folder.Path()));
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->SelectStream(0));
    ASSERT_TRUE(file->Seek(kUnitsPerSecond + 1234));   // within a block: leading samples are cut
    AudioConverter converter;
    DecodedFrame frame;
    ASSERT_EQ(file->Read(frame), ReadResult::Frame);
    EXPECT_EQ(frame.start, kUnitsPerSecond + 1234);
    std::vector<std::int16_t> pcm;
    ASSERT_TRUE(converter.Convert(frame, 44100, 2, pcm));
    ASSERT_GE(pcm.size(), 200u);
    std::int64_t first = (kUnitsPerSecond + 1234) * 44100 / kUnitsPerSecond;
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(pcm[2 * i], testkit::SineSample(0, first + i, 44100)) << i;
        ASSERT_EQ(pcm[2 * i + 1], testkit::SineSample(1, first + i, 44100)) << i;
    }
    // The whole rest, resampled to 48 kHz mono, has the length of the rest.
    std::size_t total = 0;
    AudioConverter resampler;
    std::vector<std::int16_t> out;
    ASSERT_TRUE(resampler.Convert(frame, 48000, 1, out));
    while (file->Read(frame) == ReadResult::Frame) ASSERT_TRUE(resampler.Convert(frame, 48000, 1, out));
    total = out.size();
    EXPECT_NEAR(static_cast<double>(total), 2.0 * 48000, 200);
}

TEST(FfmpegEngine, ConvertsToTheGraphLayoutsWithinBounds)
{
    testkit::TempFolder folder;
    auto file = OpenOrFail(testkit::MakeWideClip(folder.Path()));
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->SelectStream(file->FindStream(StreamKind::Video)));
    DecodedFrame frame;
    ASSERT_TRUE(file->Seek(10'200'000));   // mid-frame: the audio of a program stream may start a little earlier
    ASSERT_EQ(file->Read(frame), ReadResult::Frame);
    VideoConverter converter;
    // RGB24 scaled to a thumbnail: bottom-up, blue first, rows padded to 4 bytes.
    std::vector<std::uint8_t> rgb(PictureBytes(PixelLayout::RGB24, 101, 76));
    EXPECT_EQ(rgb.size(), 304u * 76u);
    ASSERT_TRUE(converter.Convert(frame, PixelLayout::RGB24, 101, 76, rgb.data(), rgb.size()));
    testkit::PictureView view{rgb.data(), 101, 76, 304, true, true};
    EXPECT_TRUE(testkit::RegionsMatch(view));
    EXPECT_FALSE(testkit::RegionsMatch(testkit::PictureView{rgb.data(), 101, 76, 304, false, true}));   // not top-down
    // Too small a buffer is refused, never overrun.
    EXPECT_FALSE(converter.Convert(frame, PixelLayout::RGB24, 101, 76, rgb.data(), rgb.size() - 1));
    EXPECT_FALSE(converter.Convert(frame, PixelLayout::RGB24, 0, 76, rgb.data(), rgb.size()));
    // YUY2 and back to RGB keeps the picture.
    std::vector<std::uint8_t> yuy2(PictureBytes(PixelLayout::YUY2, 720, 576));
    EXPECT_EQ(yuy2.size(), 720u * 576u * 2u);
    ASSERT_TRUE(converter.Convert(frame, PixelLayout::YUY2, 720, 576, yuy2.data(), yuy2.size()));
    std::vector<std::uint8_t> back(PictureBytes(PixelLayout::RGB24, 720, 576));
    PictureConverter raw;
    ASSERT_TRUE(raw.Convert(yuy2.data(), yuy2.size(), PixelLayout::YUY2, 720, 576, PixelLayout::RGB24, 720, 576,
                            back.data(), back.size()));
    testkit::PictureView big{back.data(), 720, 576, 2160, true, true};
    EXPECT_TRUE(testkit::RegionsMatch(big));
    EXPECT_EQ(testkit::ReadFrameCounter(big), 25);
    EXPECT_FALSE(raw.Convert(yuy2.data(), yuy2.size() - 2, PixelLayout::YUY2, 720, 576, PixelLayout::RGB24, 720, 576,
                             back.data(), back.size()));
    // YV12 and I420 differ only in the order of their chroma planes.
    std::vector<std::uint8_t> yv12(PictureBytes(PixelLayout::YV12, 720, 576)), i420(yv12.size());
    ASSERT_TRUE(converter.Convert(frame, PixelLayout::YV12, 720, 576, yv12.data(), yv12.size()));
    ASSERT_TRUE(converter.Convert(frame, PixelLayout::I420, 720, 576, i420.data(), i420.size()));
    std::size_t luma = 720u * 576u, chroma = luma / 4;
    EXPECT_TRUE(std::equal(yv12.begin(), yv12.begin() + luma, i420.begin()));
    EXPECT_TRUE(std::equal(yv12.begin() + luma, yv12.begin() + luma + chroma, i420.begin() + luma + chroma));
    // YUY2 at the decoded size: the luma exactly as decoded (the I420 copy), each
    // chroma row of the 4:2:0 picture given to the two lines it covers.
    ASSERT_EQ(frame.width, 720);
    ASSERT_EQ(frame.height, 576);
    const std::uint8_t* y = i420.data();
    const std::uint8_t* u = y + luma;
    const std::uint8_t* v = u + chroma;
    int lumaOff = 0, chromaOff = 0;
    for (int row = 0; row < 576; ++row) {
        const std::uint8_t* line = yuy2.data() + row * 1440;
        for (int x = 0; x < 720; x += 2) {
            lumaOff += line[x * 2] != y[row * 720 + x];
            lumaOff += line[x * 2 + 2] != y[row * 720 + x + 1];
            chromaOff += line[x * 2 + 1] != u[(row / 2) * 360 + x / 2];
            chromaOff += line[x * 2 + 3] != v[(row / 2) * 360 + x / 2];
        }
    }
    EXPECT_EQ(lumaOff, 0);
    EXPECT_EQ(chromaOff, 0);
    // RGB24 after a YUY2 picture is the same as from a converter that made none.
    std::vector<std::uint8_t> rgbAfter(PictureBytes(PixelLayout::RGB24, 720, 576)), rgbFresh(rgbAfter.size());
    ASSERT_TRUE(converter.Convert(frame, PixelLayout::RGB24, 720, 576, rgbAfter.data(), rgbAfter.size()));
    VideoConverter fresh;
    ASSERT_TRUE(fresh.Convert(frame, PixelLayout::RGB24, 720, 576, rgbFresh.data(), rgbFresh.size()));
    EXPECT_EQ(rgbAfter, rgbFresh);
}

TEST(FfmpegEngine, BrokenFilesEndWithoutHangOrCrash)
{
    testkit::TempFolder folder;
    std::string truncated = testkit::MakeTruncatedClip(folder.Path());
    auto file = MediaFile::Open(truncated);
    if (file) {
        for (int position = 0; position < static_cast<int>(file->Streams().size()); ++position) {
            ASSERT_TRUE(file->SelectStream(position));
            DecodedFrame frame;
            int frames = 0;
            ReadResult r;
            while ((r = file->Read(frame)) == ReadResult::Frame) ASSERT_LT(++frames, 1000);
            EXPECT_NE(r, ReadResult::Aborted);
            file->Seek(3 * kUnitsPerSecond);   // beyond the data that is left
            while (file->Read(frame) == ReadResult::Frame) ASSERT_LT(++frames, 2000);
        }
    }
    // Garbage after a valid start: the standard clip with its middle overwritten.
    std::string path = testkit::MakeStandardClip(folder.Path());
    {
        std::FILE* f = std::fopen(path.c_str(), "r+b");
        ASSERT_TRUE(f);
        std::fseek(f, 20000, SEEK_SET);
        std::srand(7);
        for (int i = 0; i < 40000; ++i) std::fputc(std::rand() & 0xFF, f);
        std::fclose(f);
    }
    auto damaged = MediaFile::Open(path);
    ASSERT_TRUE(damaged);
    ASSERT_TRUE(damaged->SelectStream(damaged->FindStream(StreamKind::Video)));
    DecodedFrame frame;
    VideoConverter converter;
    int frames = 0;
    while (damaged->Read(frame) == ReadResult::Frame) {
        CounterOf(frame, converter);
        ASSERT_LT(++frames, 1000);
    }
}

TEST(FfmpegEngine, AbortStopsReadingFromAnotherThread)
{
    testkit::TempFolder folder;
    auto file = OpenOrFail(testkit::MakeStandardClip(folder.Path()));
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->SelectStream(file->FindStream(StreamKind::Video)));
    std::thread stopper([&] { file->Abort(); });
    stopper.join();
    DecodedFrame frame;
    EXPECT_EQ(file->Read(frame), ReadResult::Aborted);
    file->Resume();
    EXPECT_EQ(file->Read(frame), ReadResult::Frame);
    EXPECT_EQ(frame.start, 0);
}

TEST(FfmpegEngine, ReadsTheContainersOfTheDesktop)
{
    testkit::TempFolder folder;
    struct Case {
        const char* name;
        testkit::VideoCodec video;
        testkit::AudioCodec audio;
        int sampleRate;
        int width = 320;
        int height = 240;
    };
    const Case cases[] = {
        {"clip.wmv", testkit::VideoCodec::Wmv2, testkit::AudioCodec::Mp2, 44100},
        {"clip.asf", testkit::VideoCodec::Mpeg4, testkit::AudioCodec::Mp3, 44100},
        {"clip.flv", testkit::VideoCodec::Flv, testkit::AudioCodec::Mp3, 44100},
        {"clip.mov", testkit::VideoCodec::Mpeg4, testkit::AudioCodec::Ac3, 48000},
        {"clip.mp4", testkit::VideoCodec::Mpeg4, testkit::AudioCodec::Mp3, 48000},
        {"clip.rm", testkit::VideoCodec::Rv10, testkit::AudioCodec::Ac3, 44100},
        // Program streams at full size: tiny pictures sharing one packet lose their own time stamps.
        {"clip.mpg", testkit::VideoCodec::Mpeg1, testkit::AudioCodec::Mp2, 44100, 720, 576},
        {"clip.m2v", testkit::VideoCodec::Mpeg2, testkit::AudioCodec::None, 44100},
    };
    for (const Case& c : cases) {
        testkit::ClipSpec spec;
        spec.seconds = 2.0;
        spec.video = c.video;
        spec.audio = c.audio;
        spec.sampleRate = c.sampleRate;
        spec.width = c.width;
        spec.height = c.height;
        std::string path = folder.File(c.name);
        testkit::WriteClip(path, spec);
        auto file = OpenOrFail(path);
        ASSERT_TRUE(file) << c.name;
        int v = file->FindStream(StreamKind::Video);
        ASSERT_GE(v, 0) << c.name;
        EXPECT_EQ(file->Streams()[v].width, c.width) << c.name;
        EXPECT_EQ(file->Streams()[v].height, c.height) << c.name;
        EXPECT_NEAR(file->Streams()[v].FrameRate(), 25.0, 0.01) << c.name;
        if (c.audio != testkit::AudioCodec::None) {
            int a = file->FindStream(StreamKind::Audio);
            ASSERT_GE(a, 0) << c.name;
            EXPECT_EQ(file->Streams()[a].sampleRate, c.sampleRate) << c.name;
            EXPECT_EQ(file->Streams()[a].channels, 2) << c.name;
        }
        ASSERT_TRUE(file->SelectStream(v));
        VideoConverter converter;
        DecodedFrame frame;
        ASSERT_EQ(file->Read(frame), ReadResult::Frame) << c.name;
        EXPECT_EQ(CounterOf(frame, converter), 0) << c.name;
        if (file->CanSeek()) {
            ASSERT_TRUE(file->Seek(10'200'000)) << c.name;
            ASSERT_EQ(file->Read(frame), ReadResult::Frame) << c.name;
            int counter = CounterOf(frame, converter);
            // Containers that store time in milliseconds may land one picture either side.
            EXPECT_NEAR(counter, 25, 1) << c.name;
        }
    }
}
