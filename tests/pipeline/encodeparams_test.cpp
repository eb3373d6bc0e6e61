// The parameter block of each disc kind and the letter-box bars.
#include "pipeline/encodeparams.h"
#include "testkit/tempfolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace pipeline;

namespace {

std::int32_t DwordAt(const EncoderParams& p, std::size_t offset)
{
    std::int32_t v;
    std::memcpy(&v, reinterpret_cast<const char*>(&p) + offset, 4);
    return v;
}

// A clip of the size, letter-boxed at 4:3, its source and outputs in the folder.
ClipEncodeInput LetterBoxedClip(const testkit::TempFolder& folder, const char* source, int width, int height)
{
    ClipEncodeInput clip;
    clip.sourcePath = folder.File(source);
    clip.outputBase = folder.File("clip");
    clip.videoWidth = width;
    clip.videoHeight = height;
    clip.aspectIndex = 1;
    clip.letterBox = true;
    return clip;
}

TEST(LetterBox, WideClipIntoFourByThreeForBothStandards)
{
    Margins pal = LetterBoxMargins(1280, 720, 720, 576, 1, true);
    EXPECT_EQ(pal.top, 72);
    EXPECT_EQ(pal.bottom, 72);
    EXPECT_EQ(pal.left, 0);
    Margins ntsc = LetterBoxMargins(1280, 720, 720, 480, 1, true);
    EXPECT_EQ(ntsc.top, 60);
    EXPECT_EQ(ntsc.bottom, 60);
    // A 16:9 clip into a 16:9 frame needs no bars beyond the minimum.
    Margins same = LetterBoxMargins(1280, 720, 720, 480, 2, true);
    EXPECT_EQ(same.top, 4);
    EXPECT_EQ(same.left, 0);
}

TEST(LetterBox, NarrowClipGetsSideBarsAndSpecialCases)
{
    // 4:3 picture in a 16:9 frame: a quarter of the width is bars.
    Margins m = LetterBoxMargins(640, 480, 720, 576, 2, true);
    EXPECT_EQ(m.left, 90);
    EXPECT_EQ(m.right, 90);
    EXPECT_EQ(m.top, 4);
    // 352x288 (square pixels, 1.22) shown at 4:3 on VCD PAL.
    Margins vcd = LetterBoxMargins(352, 288, 352, 288, 1, true);
    EXPECT_EQ(vcd.left, 15);
    EXPECT_EQ(vcd.right, 15);
    // Unknown size, letter box off, 1:1.
    Margins unknown = LetterBoxMargins(0, 480, 720, 576, 1, true);
    EXPECT_EQ(unknown.top, 4);
    EXPECT_EQ(unknown.bottom, 4);
    Margins off = LetterBoxMargins(1280, 720, 720, 576, 1, false);
    EXPECT_EQ(off.top + off.bottom + off.left + off.right, 0);
    Margins square = LetterBoxMargins(1280, 720, 720, 576, 0, true);
    EXPECT_EQ(square.top, 4);
    EXPECT_EQ(square.left, 0);
}

TEST(LetterBox, PixelsThatAreNotSquareTakeTheShapeTheFileDeclares)
{
    testkit::TempFolder folder;
    ClipEncodeInput clip = LetterBoxedClip(folder, "in.mpg", 720, 576);
    EncoderParams p{};
    EncoderAdvSettings adv{};
    // Flagged 16:9 into a 4:3 frame: bars above and below, none at the sides.
    clip.pictureAspectX = 16;
    clip.pictureAspectY = 9;
    ASSERT_TRUE(FillEncoderParams(clip, 1, true, &p, &adv));
    EXPECT_EQ(DwordAt(p, 0x334), 72);
    EXPECT_EQ(DwordAt(p, 0x338), 72);
    EXPECT_EQ(DwordAt(p, 0x33C), 0);
    // Flagged 4:3 into a 4:3 frame (PAL or NTSC): the whole frame.
    clip.pictureAspectX = 4;
    clip.pictureAspectY = 3;
    for (bool pal : {true, false}) {
        ASSERT_TRUE(FillEncoderParams(clip, 1, pal, &p, &adv));
        EXPECT_EQ(DwordAt(p, 0x334), 4);
        EXPECT_EQ(DwordAt(p, 0x33C), 0);
        EXPECT_EQ(DwordAt(p, 0x340), 0);
    }
    // ... and into a 16:9 frame: bars at the sides, a quarter of the width.
    clip.aspectIndex = 2;
    ASSERT_TRUE(FillEncoderParams(clip, 1, true, &p, &adv));
    EXPECT_EQ(DwordAt(p, 0x33C), 90);
    EXPECT_EQ(DwordAt(p, 0x340), 90);
    // Nothing declared: the stored size is the shape (720x576 is 1.25, narrower than 4:3).
    clip.aspectIndex = 1;
    clip.pictureAspectX = clip.pictureAspectY = 0;
    ASSERT_TRUE(FillEncoderParams(clip, 1, true, &p, &adv));
    EXPECT_EQ(DwordAt(p, 0x33C), 22);
}

TEST(EncoderBlock, TablesOffsetsAndOldOutputsRemoved)
{
    testkit::TempFolder folder;
    ClipEncodeInput clip = LetterBoxedClip(folder, "in.avi", 1280, 720);
    clip.engineItem = 1;
    std::ofstream(clip.outputBase + "_vid.mpg") << "old";
    std::ofstream(clip.outputBase + "_aud.mpa") << "old";

    EncoderParams p{};
    EncoderAdvSettings adv{};
    ASSERT_TRUE(FillEncoderParams(clip, 2, false, &p, &adv));
    EXPECT_STREQ(p.AudioOutput, (clip.outputBase + "_aud.mpa").c_str());
    EXPECT_STREQ(reinterpret_cast<const char*>(&p) + 0x100, (clip.outputBase + "_vid.mpg").c_str());
    EXPECT_STREQ(reinterpret_cast<const char*>(&p) + 0x208, clip.sourcePath.c_str());
    EXPECT_EQ(DwordAt(p, 0x200), 44100);
    EXPECT_EQ(DwordAt(p, 0x204), 224);
    EXPECT_EQ(DwordAt(p, 0x30C), 1);
    EXPECT_EQ(DwordAt(p, 0x310), 2);
    EXPECT_EQ(DwordAt(p, 0x314), 480);
    EXPECT_EQ(DwordAt(p, 0x318), 480);
    EXPECT_EQ(DwordAt(p, 0x31C), 2040000);
    float rate;
    std::memcpy(&rate, reinterpret_cast<const char*>(&p) + 0x320, 4);
    EXPECT_FLOAT_EQ(rate, 29.97f);
    EXPECT_EQ(DwordAt(p, 0x334), 60);
    EXPECT_EQ(DwordAt(p, 0x338), 60);
    EXPECT_EQ(DwordAt(p, 0x344), 16);
    EXPECT_EQ(DwordAt(p, 0x348), 128);
    EXPECT_EQ(DwordAt(p, 0x350), 3);
    EXPECT_EQ(DwordAt(p, 0x354), 1);
    EXPECT_EQ(adv.AspectIndex, 1);
    EXPECT_EQ(adv.Value1, 18);
    EXPECT_EQ(adv.Value3, 1);
    EXPECT_FALSE(std::filesystem::exists(clip.outputBase + "_vid.mpg"));
    EXPECT_FALSE(std::filesystem::exists(clip.outputBase + "_aud.mpa"));

    ASSERT_TRUE(FillEncoderParams(clip, 0, true, &p, &adv));
    EXPECT_EQ(p.FrameWidth, 720);
    EXPECT_EQ(p.FrameHeight, 576);
    EXPECT_EQ(p.AudioFormat, 3);
    EXPECT_EQ(std::string(p.VideoOutput), clip.outputBase + ".mpg");
    ASSERT_TRUE(FillEncoderParams(clip, 3, true, &p, &adv));
    EXPECT_EQ(p.MpegVersion, 1);
    EXPECT_EQ(p.FrameHeight, 288);
    EXPECT_EQ(p.VideoBitRate, 1150000);
}

TEST(EncoderBlock, PathTooLongForItsFieldIsRefused)
{
    ClipEncodeInput clip;
    clip.sourcePath = "/tmp/" + std::string(251, 'a');   // 256 characters: no room for the zero
    clip.outputBase = "/tmp/out";
    EncoderParams p{};
    p.FrameWidth = 77;
    EncoderAdvSettings adv{};
    EXPECT_FALSE(FillEncoderParams(clip, 1, true, &p, &adv));
    EXPECT_EQ(p.FrameWidth, 77);   // untouched
    clip.sourcePath.pop_back();
    EXPECT_TRUE(FillEncoderParams(clip, 1, true, &p, &adv));
    clip.outputBase = "/tmp/" + std::string(248, 'b');   // + "_vid.mpg" overflows
    EXPECT_FALSE(FillEncoderParams(clip, 2, true, &p, &adv));
}

TEST(EncoderTrim, WholeClipUnlessTrimmedAndSeekable)
{
    EXPECT_TRUE(EncoderTrimOf(0, 12, 12.6, true).Whole());    // untrimmed: the end is the whole seconds
    EXPECT_TRUE(EncoderTrimOf(3, 8, 12.6, false).Whole());    // cannot seek: encoded whole
    const EncoderTrim t = EncoderTrimOf(3, 8, 12.6, true);
    EXPECT_EQ(t.start, 3);
    EXPECT_EQ(t.end, 8);
    EXPECT_FALSE(EncoderTrimOf(0, 8, 12.6, true).Whole());    // only the end trimmed
}

TEST(KeptSeconds, TheKeptSpanOfATrimmedClipElseItsLongerStream)
{
    EXPECT_DOUBLE_EQ(KeptSeconds(0, 12, 12.6, 12.9, true), 12.9);   // untrimmed: the longer stream
    EXPECT_DOUBLE_EQ(KeptSeconds(0, 12, 12.6, 0, true), 12.6);      // no sound
    EXPECT_DOUBLE_EQ(KeptSeconds(4, 20, 20.04, 20.0, true), 16);    // begin set at 4 s
    EXPECT_DOUBLE_EQ(KeptSeconds(0, 8, 12.6, 12.6, true), 8);       // only the end trimmed
    EXPECT_DOUBLE_EQ(KeptSeconds(3, 8, 12.6, 12.6, false), 12.6);   // cannot seek: encoded whole
    EXPECT_DOUBLE_EQ(KeptSeconds(3, 40, 12.6, 12.6, true), 9.6);    // an end past the clip counts to its end
    EXPECT_DOUBLE_EQ(KeptSeconds(9, 5, 12.6, 12.6, true), 0);       // trimmed to nothing
    EXPECT_DOUBLE_EQ(KeptSeconds(2, 7, 0, 0, true), 5);             // length unknown: the span as set

    // A record with the clip's fields, as the run windows pass the project's clips.
    struct {
        double StartPoint = 4, EndPoint = 20, VideoDuration = 20.04, AudioDuration = 20.0;
        bool SupportsSeek = true;
    } clip;
    EXPECT_DOUBLE_EQ(KeptSeconds(clip), 16);
}

} // namespace
