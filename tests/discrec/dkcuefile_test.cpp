// Reading cue files and the cue sheets and read queues made from them.
#include "discrec/dkconst.h"
#include "discrec/dkcueburner.h"
#include "rtl/sysutils.h"
#include "testkit/tempfolder.h"
#include "vcdimage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace discrec_test {
namespace {

using Sheet = std::vector<std::array<std::uint8_t, 8>>;

Sheet Entries(const TCueBurner& burner)
{
    Sheet entries;
    const std::vector<std::uint8_t>& sheet = burner.CueSheet();
    for (std::size_t at = 0; at + 8 <= sheet.size(); at += 8) {
        std::array<std::uint8_t, 8> e{};
        std::copy_n(sheet.begin() + static_cast<std::ptrdiff_t>(at), 8, e.begin());
        entries.push_back(e);
    }
    return entries;
}

std::array<std::uint8_t, 8> At(std::uint8_t ctl, std::uint8_t tno, std::uint8_t index, std::uint8_t form,
                               std::uint32_t frames)
{
    return {ctl, tno, index, form, 0, static_cast<std::uint8_t>(frames / 4500),
            static_cast<std::uint8_t>(frames / 75 % 60), static_cast<std::uint8_t>(frames % 75)};
}

class CueFile : public ::testing::Test {
protected:
    CueFile() { burner_.WriteMethod = wmDAO; }
    std::string Write(const std::string& name, const std::string& text)
    {
        std::ofstream(folder_.File(name), std::ios::binary) << text;
        return folder_.File(name);
    }
    // A file of `bytes` bytes, each byte its offset's low bits.
    std::string Bin(const std::string& name, std::size_t bytes)
    {
        std::string data(bytes, '\0');
        for (std::size_t i = 0; i < bytes; ++i)
            data[i] = static_cast<char>(i * 7);
        return Write(name, data);
    }
    bool Load(const std::string& cue) { return burner_.LoadCueFile(Write("disc.cue", cue)); }

    testkit::TempFolder folder_{"keldara-cue"};
    TCueBurner burner_{nullptr};
};

TEST_F(CueFile, EveryCommandFillsTheModel)
{
    Bin("disc.bin", 2352 * 600);
    ASSERT_TRUE(Load("TITLE \"My disc\"\r\n"
                     "PERFORMER Someone\r\n"
                     "FILE \"disc.bin\" BINARY\r\n"
                     "  TRACK 01 MODE2/2352\r\n"
                     "    FLAGS DCP\r\n"
                     "    INDEX 01 00:00:00\r\n"
                     "  TRACK 02 AUDIO\r\n"
                     "    songwriter \"x y\"\r\n"
                     "    ISRC ABCDE1234567\r\n"
                     "    FLAGS 4CH PRE DCP\r\n"
                     "    PREGAP 00:01:10\r\n"
                     "    INDEX 01 00:04:00\r\n"
                     "    INDEX 02 00:06:50\r\n"
                     "    POSTGAP 00:02:00\r\n"))
        << burner_.LastError();
    ASSERT_EQ(burner_.Files().size(), 1u);
    const TFiles& file = burner_.Files()[0];
    EXPECT_EQ(file.FileName, folder_.File("disc.bin"));
    EXPECT_EQ(file.FileType, ftBinary);
    EXPECT_EQ(file.Size, 600);
    ASSERT_EQ(file.Tracks.size(), 2u);
    EXPECT_EQ(file.Tracks[0].TrackType, ttMode2_2352);
    EXPECT_TRUE(file.Tracks[0].DCP);
    EXPECT_FALSE(file.Tracks[0].PreEmphasis);
    const TTrack& audio = file.Tracks[1];
    EXPECT_EQ(audio.TrackType, ttAudio);
    EXPECT_TRUE(audio.DCP && audio.PreEmphasis && audio.FourCh);
    EXPECT_EQ(audio.PreGap, 85u);
    EXPECT_EQ(audio.PostGap, 150u);
    EXPECT_EQ(audio.Indices, (std::vector<std::uint32_t>{300, 500}));
    // The last index runs to the end of the file.
    EXPECT_EQ(file.IndexLength, (std::vector<std::uint32_t>{300, 200, 100}));

    ASSERT_TRUE(burner_.BuildCueSheet()) << burner_.LastError();
    const Sheet sheet = Entries(burner_);
    // Track 2: its pregap (index 0, zeros), its two indices, its postgap; CTL/ADR 0x01 + 0x10 + 0x20 + 0x80.
    ASSERT_EQ(sheet.size(), 7u);
    EXPECT_EQ(sheet[3], At(0xB1, 2, 0, 0x00, 150 + 300));
    EXPECT_EQ(sheet[4], At(0xB1, 2, 1, 0x00, 150 + 300 + 85));
    EXPECT_EQ(sheet[5], At(0xB1, 2, 2, 0x00, 150 + 500 + 85));
    EXPECT_EQ(sheet[6], At(0xB1, 0xAA, 1, 0x24, 150 + 600 + 85 + 150));
    EXPECT_EQ(burner_.BytesToWrite, (150 + 600 + 85 + 150) * 2352);
    std::int64_t queued = 0;
    for (const TQueEntry& entry : burner_.Que())
        queued += entry.Count;
    EXPECT_EQ(queued, burner_.BytesToWrite);
}

TEST_F(CueFile, ErrorsAreTheLibrarysTexts)
{
    Bin("disc.bin", 2352 * 100);
    const struct {
        const char* cue;
        const char* error;
    } cases[] = {
        {"REM a comment\n", "INVALID COMMAND \"REM\""},
        {"CATALOG 0000000000000\n", "INVALID COMMAND \"CATALOG\""},
        {"FILE \"disc.bin BINARY\n", "UNEXPECTED END OF LINE"},
        {"FILE \"none.bin\" BINARY\n", "FILE NOT FOUND"},
        {"FILE \"disc.bin\" MOTOROLA\n", "INVALID FIELD \"MOTOROLA\" IN PARAMETER LIST"},
        {"FILE disc.bin BINARY\nTRACK 01 MODE2/2336\n", "INVALID FIELD \"MODE2/2336\" IN PARAMETER LIST"},
        {"FILE disc.bin BINARY\nTRACK 01 MODE2/2352\nINDEX 01 00:60:00\n", "INVALID FIELD \"00:60:00\" IN PARAMETER LIST"},
        {"FILE disc.bin BINARY\nTRACK 01 MODE2/2352\nINDEX 01 00:00:75\n", "INVALID FIELD \"00:00:75\" IN PARAMETER LIST"},
        {"FILE disc.bin BINARY\nTRACK 01 MODE2/2352\nINDEX 01 0:00:00\n", "INVALID FIELD \"0:00:00\" IN PARAMETER LIST"},
        {"FILE disc.bin BINARY\nTRACK 01 MODE2/2352\nINDEX 01\n", "UNEXPECTED END OF LINE"},
        // Indices must grow, and stay inside the file.
        {"FILE disc.bin BINARY\nTRACK 01 MODE2/2352\nINDEX 01 00:00:10\nTRACK 02 MODE2/2352\nINDEX 01 00:00:10\n",
         "INVALID FIELD \"00:00:10\" IN PARAMETER LIST"},
        {"FILE disc.bin BINARY\nTRACK 01 MODE2/2352\nINDEX 01 00:02:00\n", "INVALID FIELD \"00:02:00\" IN PARAMETER LIST"},
        // Nothing that could be burnt: no track, no index, a track before any file.
        {"FILE disc.bin BINARY\n", "UNEXPECTED END OF LINE"},
        {"FILE disc.bin BINARY\nTRACK 01 MODE2/2352\n", "UNEXPECTED END OF LINE"},
        {"TRACK 01 MODE2/2352\nFILE disc.bin BINARY\n", "INVALID FIELD \"01 MODE2/2352\" IN PARAMETER LIST"},
        {"FILE disc.bin BINARY\nFLAGS DCP\n", "INVALID FIELD \"DCP\" IN PARAMETER LIST"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Load(c.cue)) << c.cue;
        EXPECT_EQ(burner_.LastError(), c.error) << c.cue;
    }
    // A WAVE file that is no CD audio cannot be added.
    Bin("noise.wav", 1000);
    EXPECT_FALSE(Load("FILE noise.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"));
    EXPECT_EQ(burner_.LastError(), Format(std::string(ERR_FILEINUSE), folder_.File("noise.wav")));
    // A cue file that is not there.
    EXPECT_FALSE(burner_.LoadCueFile(folder_.File("missing.cue")));
    // An empty model builds no cue sheet.
    burner_.ClearAll();
    EXPECT_FALSE(burner_.BuildCueSheet());
}

// A disc holds tracks 1 to 99. Beyond them the cue sheet would carry track
// 170 as the lead-out's 0xAA and track 256 as 0: such a cue is refused with
// the loader's error. 99 tracks load and each is numbered as it stands.
TEST_F(CueFile, MoreThanNinetyNineTracksAreRefused)
{
    Bin("disc.bin", 2352 * 300);
    auto cue = [](int tracks) {
        std::string text = "FILE \"disc.bin\" BINARY\n";
        for (int t = 1; t <= tracks; ++t)
            text += Format("  TRACK %.2d MODE2/2352\n    INDEX 01 00:%.2d:%.2d\n", t, (t - 1) * 2 / 75, (t - 1) * 2 % 75);
        return text;
    };
    for (int tracks : {100, 257}) {
        EXPECT_FALSE(Load(cue(tracks))) << tracks;
        EXPECT_EQ(burner_.LastError(), "INVALID FIELD \"100 MODE2/2352\" IN PARAMETER LIST") << tracks;
    }
    ASSERT_TRUE(Load(cue(99))) << burner_.LastError();
    ASSERT_TRUE(burner_.BuildCueSheet()) << burner_.LastError();
    const Sheet sheet = Entries(burner_);
    ASSERT_EQ(sheet.size(), 2u + 99 + 1);   // lead-in, track 1 index 0, each track's index 1, lead-out
    EXPECT_EQ(sheet[sheet.size() - 2][1], 99);
    EXPECT_EQ(sheet.back()[1], 0xAA);
    // A model filled from code stops at 99 tracks too.
    EXPECT_FALSE(burner_.AddTrack(ttMode2_2352));
    burner_.ClearAll();
    ASSERT_TRUE(burner_.AddFile(folder_.File("disc.bin"), ftBinary));
    EXPECT_TRUE(burner_.AddTrack(ttMode2_2352));
}

// A file that cannot be added (a WAVE file that is no CD audio) or has a type
// the library does not burn is left out with its tracks, and the load goes on
// with the next file; a cue that leaves nothing to burn fails with the first reason.
TEST_F(CueFile, AFileThatCannotBeAddedIsLeftOutWithItsTracksAndTheLoadGoesOn)
{
    std::vector<std::string> lines;
    burner_.OnDebugMessage = [&](TObject*, const std::string& message, std::uint8_t type) {
        lines.push_back(std::to_string(type) + " " + message);
    };
    Bin("one.bin", 2352 * 100);
    Bin("two.bin", 2352 * 50);
    Bin("noise.wav", 1000);
    ASSERT_TRUE(Load("FILE \"one.bin\" BINARY\n"
                     "  TRACK 01 MODE2/2352\n"
                     "    INDEX 01 00:00:00\n"
                     "FILE \"noise.wav\" WAVE\n"
                     "  TRACK 02 AUDIO\n"
                     "    PREGAP 00:02:00\n"
                     "    INDEX 01 00:00:00\n"
                     "FILE \"two.bin\" MP3\n"
                     "  TRACK 03 AUDIO\n"
                     "    FLAGS DCP\n"
                     "    INDEX 01 00:00:00\n"
                     "FILE \"two.bin\" BINARY\n"
                     "  TRACK 04 MODE2/2352\n"
                     "    INDEX 00 00:00:00\n"
                     "    INDEX 01 00:00:10\n"))
        << burner_.LastError();
    ASSERT_EQ(burner_.Files().size(), 2u);
    EXPECT_EQ(burner_.Files()[0].FileName, folder_.File("one.bin"));
    EXPECT_EQ(burner_.Files()[1].FileName, folder_.File("two.bin"));
    // The tracks of the files left out went with them: none landed on another file.
    ASSERT_EQ(burner_.Files()[0].Tracks.size(), 1u);
    EXPECT_FALSE(burner_.Files()[0].Tracks[0].DCP);
    EXPECT_EQ(burner_.Files()[0].Tracks[0].PreGap, 0u);
    ASSERT_EQ(burner_.Files()[1].Tracks.size(), 1u);
    EXPECT_EQ(burner_.Files()[1].Tracks[0].Indices, (std::vector<std::uint32_t>{0, 10}));
    EXPECT_EQ(lines, (std::vector<std::string>{"0 >>> ERROR: GETTING FILE INFO \"" + folder_.File("noise.wav") + "\"",
                                               "0 >>> INVALID FIELD \"MP3\" IN PARAMETER LIST"}));
    ASSERT_TRUE(burner_.BuildCueSheet()) << burner_.LastError();
    const Sheet sheet = Entries(burner_);
    ASSERT_EQ(sheet.size(), 6u);   // the disc's tracks are 1 and 2
    EXPECT_EQ(sheet[3], At(0x41, 2, 0, 0x20, 150 + 100));
    EXPECT_EQ(sheet[4], At(0x41, 2, 1, 0x20, 150 + 110));
    EXPECT_EQ(sheet[5], At(0x41, 0xAA, 1, 0x24, 150 + 150));

    // Nothing left to burn: the first file's reason.
    EXPECT_FALSE(Load("FILE noise.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                      "FILE two.bin AIFF\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n"));
    EXPECT_EQ(burner_.LastError(), Format(std::string(ERR_FILEINUSE), folder_.File("noise.wav")));
    EXPECT_FALSE(Load("TITLE \"No files\"\n"));
    EXPECT_EQ(burner_.LastError(), "FILE NOT FOUND");
}

// A cue whose first index is at 00:02:00 (an image that begins with its
// 2-second pregap): track 1's index 1 is at 00:02:00 on the disc and holds the
// file's data from its 150th sector; the sectors before it are no track's and
// are not written, so the lead-out follows the file's last sector.
TEST_F(CueFile, AFirstIndexAtTwoSecondsStartsTheTrackThere)
{
    Bin("disc.bin", 2352 * 1000);
    ASSERT_TRUE(Load("FILE \"disc.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:02:00\n"))
        << burner_.LastError();
    ASSERT_TRUE(burner_.BuildCueSheet()) << burner_.LastError();
    EXPECT_EQ(Entries(burner_), (Sheet{At(0x41, 0, 0, 0x24, 0), At(0x41, 1, 0, 0x20, 0), At(0x41, 1, 1, 0x20, 150),
                                       At(0x41, 0xAA, 1, 0x24, 1000)}));
    EXPECT_EQ(burner_.BytesToWrite, 1000 * 2352);
    ASSERT_EQ(burner_.Que().size(), 2u);
    EXPECT_EQ(burner_.Que()[0].Count, 352800);   // the pregap the drive gets is zeros
    EXPECT_EQ(burner_.Que()[1].Offset, 150 * 2352);
    EXPECT_EQ(burner_.Que()[1].Count, 850 * 2352);
}

TEST_F(CueFile, AFileNameIsFoundNextToTheCue)
{
    std::filesystem::create_directories(folder_.File("images"));
    Bin("images/disc.bin", 2352 * 10);
    const std::string cue = "FILE \"%s\" BINARY\nTRACK 01 MODE2/2352\nINDEX 01 00:00:00\n";
    for (const char* name : {"disc.bin", "C:\\Burn\\disc.bin", "/elsewhere/disc.bin"}) {
        std::ofstream(folder_.File("images/disc.cue")) << Format(cue, name);
        ASSERT_TRUE(burner_.LoadCueFile(folder_.File("images/disc.cue"))) << name << burner_.LastError();
        EXPECT_EQ(burner_.Files().at(0).FileName, folder_.File("images/disc.bin")) << name;
    }
}

TEST_F(CueFile, ASingleTrackImageGivesLeadInTwoIndicesAndLeadOut)
{
    Bin("disc.bin", 2352 * 1000);
    ASSERT_TRUE(Load("FILE \"disc.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n"));
    ASSERT_TRUE(burner_.BuildCueSheet()) << burner_.LastError();
    EXPECT_EQ(Entries(burner_), (Sheet{At(0x41, 0, 0, 0x24, 0), At(0x41, 1, 0, 0x20, 0), At(0x41, 1, 1, 0x20, 150),
                                       At(0x41, 0xAA, 1, 0x24, 1150)}));
    EXPECT_EQ(burner_.CueIndex(), 4);
    EXPECT_EQ(burner_.BytesToWrite, 1150 * 2352);
    ASSERT_EQ(burner_.Que().size(), 2u);
    EXPECT_TRUE(burner_.Que()[0].FileName.empty());   // the 2-second pregap, zeros
    EXPECT_EQ(burner_.Que()[0].Count, 352800);
    EXPECT_EQ(burner_.Que()[1].FileName, folder_.File("disc.bin"));
    EXPECT_EQ(burner_.Que()[1].Offset, 0);
    EXPECT_EQ(burner_.Que()[1].Count, 1000 * 2352);
    EXPECT_EQ(TCueBurner::LBA2MSFStr(1150), "00:15:25");
}

TEST_F(CueFile, AVcdxbuildCueOfTwoClipsGivesItsGoldenCueSheet)
{
    const auto binSectors = static_cast<std::uint32_t>(std::filesystem::file_size(VcdImage().File("disc.bin")) / 2352);

    // The cue's own index times.
    std::ifstream in(VcdImage().File("disc.cue"));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::uint32_t> times;
    for (std::size_t at = text.find("INDEX "); at != std::string::npos; at = text.find("INDEX ", at + 1)) {
        const std::string time = text.substr(at + 9, 8);   // "INDEX 01 mm:ss:ff"
        times.push_back(std::stoi(time.substr(0, 2)) * 4500 + std::stoi(time.substr(3, 2)) * 75 +
                        std::stoi(time.substr(6, 2)));
    }
    ASSERT_EQ(times.size(), 5u) << text;   // track 1: index 1; tracks 2 and 3: indices 0 and 1
    ASSERT_NE(text.find("FLAGS DCP"), std::string::npos);

    ASSERT_TRUE(burner_.LoadCueFile(VcdImage().File("disc.cue"))) << burner_.LastError();
    ASSERT_TRUE(burner_.BuildCueSheet()) << burner_.LastError();
    EXPECT_EQ(Entries(burner_), (Sheet{
                                    At(0x61, 0, 0, 0x24, 0),
                                    At(0x61, 1, 0, 0x20, 0),
                                    At(0x61, 1, 1, 0x20, 150 + times[0]),
                                    At(0x61, 2, 0, 0x20, 150 + times[1]),
                                    At(0x61, 2, 1, 0x20, 150 + times[2]),
                                    At(0x61, 3, 0, 0x20, 150 + times[3]),
                                    At(0x61, 3, 1, 0x20, 150 + times[4]),
                                    At(0x61, 0xAA, 1, 0x24, 150 + binSectors),
                                }));
    EXPECT_EQ(burner_.BytesToWrite, std::int64_t{150 + binSectors} * 2352);
}

// Track at once the drive writes the lead-in's 2 seconds and each later
// track's 2-second pregap itself: nothing of them is queued, and of a track's
// own pregap in the file (its index 0) the 150 sectors before its index 1 are
// left out. Deviation: the rule cuts index 0 data only, never a track's index 1.
TEST_F(CueFile, TrackAtOnceQueuesNoGapsAndLeavesTheDrivesPregapsOut)
{
    Bin("disc.bin", 2352 * 1000);
    burner_.WriteMethod = wmTAO;
    ASSERT_TRUE(Load("FILE \"disc.bin\" BINARY\n"
                     "  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n"
                     "  TRACK 02 MODE2/2352\n    INDEX 00 00:04:00\n    INDEX 01 00:07:00\n"
                     "  TRACK 03 MODE2/2352\n    INDEX 01 00:10:00\n"))
        << burner_.LastError();
    ASSERT_TRUE(burner_.BuildCueSheet()) << burner_.LastError();
    const std::vector<TQueEntry>& que = burner_.Que();
    ASSERT_EQ(que.size(), 4u);
    for (const TQueEntry& entry : que)
        EXPECT_FALSE(entry.FileName.empty());
    EXPECT_EQ(que[0].Offset, 0);
    EXPECT_EQ(que[0].Count, 300 * 2352);
    EXPECT_EQ(que[0].Track, 1);
    // Track 2's 225 sectors of index 0: the last 75 go out, after the drive's own 150.
    EXPECT_EQ(que[1].Offset, (300 + 150) * 2352);
    EXPECT_EQ(que[1].Count, 75 * 2352);
    EXPECT_EQ(que[1].Track, 2);
    EXPECT_EQ(que[2].Offset, 525 * 2352);
    EXPECT_EQ(que[2].Count, 225 * 2352);
    // Track 3 has no index 0 in the file: none of its data is left out.
    EXPECT_EQ(que[3].Offset, 750 * 2352);
    EXPECT_EQ(que[3].Count, 250 * 2352);
    EXPECT_EQ(que[3].Track, 3);
    EXPECT_EQ(burner_.BytesToWrite, 352800 + (1000 - 150) * 2352);
}

TEST_F(CueFile, WaveFilesTakeTheirSizeFromTheDataChunk)
{
    // 44-byte header (16-byte format chunk), then 10 sectors and a bit of audio.
    std::string wave = "RIFF0000WAVEfmt ";
    const std::uint8_t format[20] = {16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0};
    wave.append(reinterpret_cast<const char*>(format), sizeof format);
    const std::uint32_t bytes = 2352 * 10 + 100;
    wave += "data";
    for (int i = 0; i < 4; ++i)
        wave += static_cast<char>((bytes >> (8 * i)) & 0xFF);
    wave += std::string(bytes, '\x01');
    Write("song.wav", wave);
    std::int64_t header = 0;
    EXPECT_TRUE(TCueBurner::ValidWave(folder_.File("song.wav")));
    EXPECT_EQ(TCueBurner::AudioFileSize(folder_.File("song.wav"), header), bytes);
    EXPECT_EQ(header, 44);
    ASSERT_TRUE(Load("FILE song.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n")) << burner_.LastError();
    EXPECT_EQ(burner_.Files()[0].Size, 11);
    ASSERT_TRUE(burner_.BuildCueSheet()) << burner_.LastError();
    EXPECT_EQ(burner_.Que().back().Offset, 44);
    EXPECT_EQ(burner_.Que().back().Count, 11 * 2352);
    EXPECT_EQ(Entries(burner_).front(), At(0x01, 0, 0, 0x01, 0));
}

TEST(CueBurnerProperties, CacheSizeHasAFloorAndTheVersionIsFixed)
{
    TCueBurner burner(nullptr);
    EXPECT_EQ(burner.CacheSize(), 4194304);
    burner.SetCacheSize(1000);
    EXPECT_EQ(burner.CacheSize(), 2097152);
    burner.SetCacheSize(8388608);
    EXPECT_EQ(burner.CacheSize(), 8388608);
    burner.SetDKBVersion("2.0");
    EXPECT_EQ(burner.Version(), "1.20.0");
    EXPECT_EQ(burner.WriteMethod, wmTAO);
    EXPECT_TRUE(burner.UnderrunProtection);
    EXPECT_EQ(burner.BufferProgress(), 0);
}

} // namespace
} // namespace discrec_test
