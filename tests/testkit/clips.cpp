// The clip generators: bounds, the picture code, and the files as ffprobe sees them.
#include "testkit/clips.h"
#include "testkit/tempfolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

using namespace testkit;

namespace {

// ffprobe's "key=value" lines for the streams of a file.
std::string Probe(const std::string& path)
{
    std::string command = "ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,r_frame_rate,"
                          "sample_rate,channels,sample_aspect_ratio -of default=noprint_wrappers=1 '" + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return {};
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
    return out;
}

} // namespace

TEST(TestkitClips, PictureCodeReadsBackInEveryOrientation)
{
    const int w = 96, h = 40;
    std::vector<std::uint8_t> top(w * h * 3);
    for (int index : {0, 1, 77, 1024, 4095}) {
        DrawFrame(index, w, h, top.data(), w * 3);
        EXPECT_EQ(ReadFrameCounter(PictureView{top.data(), w, h, w * 3, false, false}), index);
        EXPECT_TRUE(RegionsMatch(PictureView{top.data(), w, h, w * 3, false, false}));
        // The same picture as a bottom-up BGR bitmap.
        std::vector<std::uint8_t> dib(top.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c) dib[((h - 1 - y) * w + x) * 3 + (2 - c)] = top[(y * w + x) * 3 + c];
        EXPECT_EQ(ReadFrameCounter(PictureView{dib.data(), w, h, w * 3, true, true}), index);
        EXPECT_TRUE(RegionsMatch(PictureView{dib.data(), w, h, w * 3, true, true}));
        EXPECT_FALSE(RegionsMatch(PictureView{dib.data(), w, h, w * 3, true, false}));   // red and blue swapped
    }
    std::vector<std::uint8_t> grey(w * h * 3, 128);
    EXPECT_EQ(ReadFrameCounter(PictureView{grey.data(), w, h, w * 3, false, false}), -1);
    PictureView view{top.data(), w, h, w * 3};
    EXPECT_THROW(view.At(w, 0), ClipError);
}

TEST(TestkitClips, GeneratorsStayWithinTheirBounds)
{
    TempFolder folder;
    ClipSpec tooLong;
    tooLong.seconds = kMaxClipSeconds + 1;
    EXPECT_THROW(WriteClip(folder.File("long.avi"), tooLong), ClipError);
    ClipSpec tooBig;
    tooBig.width = 4096;
    EXPECT_THROW(WriteClip(folder.File("big.avi"), tooBig), ClipError);
    ClipSpec empty;
    empty.video = VideoCodec::None;
    empty.audio = AudioCodec::None;
    EXPECT_THROW(WriteClip(folder.File("empty.avi"), empty), ClipError);
    EXPECT_FALSE(std::filesystem::exists(folder.File("long.avi")));
    EXPECT_THROW(WriteClip(folder.File("nofolder/x.avi"), ClipSpec{}), ClipError);
}

TEST(TestkitClips, FilesAreWhatFfprobeReads)
{
    TempFolder folder;
    std::string standard = Probe(MakeStandardClip(folder.Path()));
    EXPECT_NE(standard.find("codec_name=mpeg4"), std::string::npos) << standard;
    EXPECT_NE(standard.find("width=320\nheight=240"), std::string::npos) << standard;
    EXPECT_NE(standard.find("r_frame_rate=25/1"), std::string::npos) << standard;
    EXPECT_NE(standard.find("codec_name=mp2"), std::string::npos) << standard;
    EXPECT_NE(standard.find("sample_rate=44100\nchannels=2"), std::string::npos) << standard;

    std::string ntsc = Probe(MakeNtscClip(folder.Path()));
    EXPECT_NE(ntsc.find("r_frame_rate=30000/1001"), std::string::npos) << ntsc;
    EXPECT_NE(ntsc.find("codec_name=mpeg2video"), std::string::npos) << ntsc;

    std::string wide = Probe(MakeWideClip(folder.Path()));
    EXPECT_NE(wide.find("sample_aspect_ratio=64:45"), std::string::npos) << wide;

    std::string videoOnly = Probe(MakeVideoOnlyClip(folder.Path()));
    EXPECT_EQ(videoOnly.find("codec_type=audio"), std::string::npos) << videoOnly;
    std::string audioOnly = Probe(MakeAudioOnlyFile(folder.Path()));
    EXPECT_EQ(audioOnly.find("codec_type=video"), std::string::npos) << audioOnly;
    EXPECT_NE(audioOnly.find("codec_name=pcm_s16le"), std::string::npos) << audioOnly;

    std::string full = MakeStandardClip(folder.Path());
    std::string cut = MakeTruncatedClip(folder.Path());
    EXPECT_LT(std::filesystem::file_size(cut), std::filesystem::file_size(full) / 2);
    EXPECT_EQ(Probe(MakeNotMediaFile(folder.Path())).find("codec_type"), std::string::npos);
}
