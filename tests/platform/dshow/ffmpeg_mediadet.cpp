// The media detector as the probe uses it: streams, lengths, frame rate, the
// video type, and pictures of frames at a time.
#include "ffmpeg_graph_helpers.h"

#include <fstream>
#include <iterator>

namespace {

ComPtr<IMediaDet> MakeDetector()
{
    ComPtr<IMediaDet> det;
    EXPECT_EQ(CoCreateInstance(CLSID_MediaDet, nullptr, CLSCTX_INPROC_SERVER, IID_IMediaDet, det.PutVoid()), S_OK);
    return det;
}

HRESULT PutFile(IMediaDet* det, const std::string& path)
{
    std::wstring wide = Utf8ToWide(path);
    return det->put_Filename(wide.data());
}

} // namespace

TEST_F(FfmpegGraphTest, MediaDetectorReportsTheStreamsOfAClip)
{
    auto det = MakeDetector();
    ASSERT_TRUE(det);
    ASSERT_EQ(PutFile(det.Get(), testkit::MakeStandardClip(folder.Path())), S_OK);
    LONG streams = 0;
    ASSERT_EQ(det->get_OutputStreams(&streams), S_OK);
    ASSERT_EQ(streams, 2);
    int videos = 0, audios = 0;
    for (LONG i = 0; i < streams; ++i) {
        ASSERT_EQ(det->put_CurrentStream(i), S_OK);
        GUID type{};
        ASSERT_EQ(det->get_StreamType(&type), S_OK);
        double length = 0;
        ASSERT_EQ(det->get_StreamLength(&length), S_OK);
        EXPECT_NEAR(length, 5.0, 0.1);
        if (type == MEDIATYPE_Video) {
            ++videos;
            double rate = 0;
            ASSERT_EQ(det->get_FrameRate(&rate), S_OK);
            EXPECT_DOUBLE_EQ(rate, 25.0);
            AM_MEDIA_TYPE mt{};
            ASSERT_EQ(det->get_StreamMediaType(&mt), S_OK);
            EXPECT_EQ(mt.formattype, FORMAT_VideoInfo);
            const VIDEOINFOHEADER* vih = VideoInfo(mt);
            ASSERT_TRUE(vih);
            EXPECT_EQ(vih->bmiHeader.biWidth, 320);
            EXPECT_EQ(vih->bmiHeader.biHeight, 240);
            FreeMediaType(mt);
        } else if (type == MEDIATYPE_Audio) {
            ++audios;
            AM_MEDIA_TYPE mt{};
            ASSERT_EQ(det->get_StreamMediaType(&mt), S_OK);
            const WAVEFORMATEX* wfx = WaveFormat(mt);
            ASSERT_TRUE(wfx);
            EXPECT_EQ(wfx->nSamplesPerSec, 44100u);
            EXPECT_EQ(wfx->nChannels, 2);
            FreeMediaType(mt);
            double rate = 0;
            EXPECT_TRUE(FAILED(det->get_FrameRate(&rate)));
        }
    }
    EXPECT_EQ(videos, 1);
    EXPECT_EQ(audios, 1);
    EXPECT_EQ(det->put_CurrentStream(2), E_INVALIDARG);
    EXPECT_EQ(det->put_CurrentStream(-1), E_INVALIDARG);

    // A picture of pixels that are not square says the shape it is shown at.
    ASSERT_EQ(PutFile(det.Get(), testkit::MakeWideClip(folder.Path())), S_OK);
    for (LONG i = 0; i < 2; ++i) {
        det->put_CurrentStream(i);
        GUID type{};
        det->get_StreamType(&type);
        if (type != MEDIATYPE_Video) continue;
        AM_MEDIA_TYPE mt{};
        ASSERT_EQ(det->get_StreamMediaType(&mt), S_OK);
        const VIDEOINFOHEADER2* vih2 = VideoInfo2(mt);
        ASSERT_TRUE(vih2);
        EXPECT_EQ(vih2->bmiHeader.biWidth, 720);
        EXPECT_EQ(vih2->bmiHeader.biHeight, 576);
        EXPECT_EQ(vih2->dwPictAspectRatioX, 16u);
        EXPECT_EQ(vih2->dwPictAspectRatioY, 9u);
        EXPECT_EQ(vih2->AvgTimePerFrame, 400000);
        FreeMediaType(mt);
    }

    // Other clips: NTSC rate, no audio, no video.
    ASSERT_EQ(PutFile(det.Get(), testkit::MakeNtscClip(folder.Path())), S_OK);
    for (LONG i = 0; i < 2; ++i) {
        det->put_CurrentStream(i);
        GUID type{};
        det->get_StreamType(&type);
        if (type != MEDIATYPE_Video) continue;
        double rate = 0;
        det->get_FrameRate(&rate);
        EXPECT_NEAR(rate, 29.97, 0.001);
    }
    ASSERT_EQ(PutFile(det.Get(), testkit::MakeVideoOnlyClip(folder.Path())), S_OK);
    det->get_OutputStreams(&streams);
    EXPECT_EQ(streams, 1);
    ASSERT_EQ(PutFile(det.Get(), testkit::MakeAudioOnlyFile(folder.Path())), S_OK);
    det->get_OutputStreams(&streams);
    EXPECT_EQ(streams, 1);
    det->put_CurrentStream(0);
    LONG size = 0;
    EXPECT_TRUE(FAILED(det->GetBitmapBits(0.0, &size, nullptr, 32, 24)));   // no pictures in audio
}

TEST_F(FfmpegGraphTest, MediaDetectorRefusesWhatIsNotMedia)
{
    auto det = MakeDetector();
    ASSERT_TRUE(det);
    EXPECT_TRUE(FAILED(PutFile(det.Get(), testkit::MakeNotMediaFile(folder.Path()))));
    LONG streams = -1;
    EXPECT_TRUE(FAILED(det->get_OutputStreams(&streams)));
    EXPECT_TRUE(FAILED(PutFile(det.Get(), folder.File("missing.mpg"))));
    EXPECT_TRUE(FAILED(PutFile(det.Get(), "")));
    EXPECT_EQ(det->put_Filename(nullptr), E_POINTER);
}

TEST_F(FfmpegGraphTest, MediaDetectorGrabsTheFrameAtATime)
{
    auto det = MakeDetector();
    ASSERT_TRUE(det);
    ASSERT_EQ(PutFile(det.Get(), testkit::MakeStandardClip(folder.Path())), S_OK);
    ASSERT_EQ(det->put_CurrentStream(0), S_OK);
    LONG size = 0;
    ASSERT_EQ(det->GetBitmapBits(2.5, &size, nullptr, 160, 120), S_OK);
    EXPECT_EQ(size, 40 + 480 * 120);
    std::vector<char> dib(static_cast<std::size_t>(size));
    LONG tooSmall = size - 1;
    EXPECT_TRUE(FAILED(det->GetBitmapBits(2.5, &tooSmall, dib.data(), 160, 120)));
    for (auto [at, frame] : {std::pair{2.5, 62}, std::pair{0.1, 2}, std::pair{4.99, 124}, std::pair{60.0, 124}}) {
        ASSERT_EQ(det->GetBitmapBits(at, &size, dib.data(), 160, 120), S_OK) << at;
        BITMAPINFOHEADER header;
        std::memcpy(&header, dib.data(), sizeof header);
        EXPECT_EQ(header.biWidth, 160);
        EXPECT_EQ(header.biHeight, 120);
        EXPECT_EQ(header.biBitCount, 24);
        testkit::PictureView view{reinterpret_cast<std::uint8_t*>(dib.data()) + 40, 160, 120, 480, true, true};
        EXPECT_TRUE(testkit::RegionsMatch(view)) << at;
        EXPECT_EQ(testkit::ReadFrameCounter(view), frame) << at;
    }
    EXPECT_EQ(det->GetBitmapBits(1.0, &size, dib.data(), 0, 120), E_INVALIDARG);

    // The same as a BMP file.
    std::string bmp = folder.File("frame.bmp");
    std::wstring wide = Utf8ToWide(bmp);
    ASSERT_EQ(det->WriteBitmapBits(1.0, 320, 240, wide.data()), S_OK);
    std::ifstream in(bmp, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 14u + 40u + 960u * 240u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    std::uint32_t offset;
    std::memcpy(&offset, bytes.data() + 10, 4);
    EXPECT_EQ(offset, 54u);
    testkit::PictureView view{reinterpret_cast<std::uint8_t*>(bytes.data()) + 54, 320, 240, 960, true, true};
    EXPECT_EQ(testkit::ReadFrameCounter(view), 25);
    std::wstring badPath = Utf8ToWide(folder.File("no/such/folder/frame.bmp"));
    EXPECT_TRUE(FAILED(det->WriteBitmapBits(1.0, 32, 24, badPath.data())));
}
