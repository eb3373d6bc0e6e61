// Track-at-once burns onto a virtual recorder, through both ASPI layers: each
// track written at the drive's next writable address with its own write
// parameters, closed, and the session closed at the end.
#include "cueburnfixture.h"

#include "win32/cdsector.h"

#include <cstring>

namespace discrec_test {
namespace {

using testkit::Medium;
using testkit::MediumKind;

class TrackAtOnce : public CueBurn {
protected:
    TCueBurner& TaoBurner()
    {
        TCueBurner& burner = Burner();
        burner.WriteMethod = wmTAO;
        return burner;
    }
    // The write parameters pages the drive was sent, in order.
    std::vector<std::vector<std::uint8_t>> Pages()
    {
        std::vector<std::vector<std::uint8_t>> pages;
        for (const testkit::RecordedCommand& select : Drive().CommandsWithOpcode(0x55))
            pages.emplace_back(select.data.begin() + 8, select.data.end());
        return pages;
    }
    static std::int32_t Lba(const testkit::RecordedCommand& c)
    {
        return static_cast<std::int32_t>((c.cdb[2] << 24) | (c.cdb[3] << 16) | (c.cdb[4] << 8) | c.cdb[5]);
    }
};
INSTANTIATE_TEST_SUITE_P(BothLayers, TrackAtOnce, ::testing::Values(true, false), LayerName);

// vcdxbuild's image of one clip has two mode 2 tracks; the second begins with
// its 2-second pregap. Burnt track at once, the drive writes that pregap
// itself, and the disc equals the .bin.
TEST_P(TrackAtOnce, ATwoTrackVcdImageEqualsItsBin)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    TCueBurner& burner = TaoBurner();
    EXPECT_EQ(Burn(burner, VcdImageOfOneClip().File("disc.cue")), (std::vector<std::string>{""}));
    ASSERT_EQ(burner.Files().at(0).Tracks.size(), 2u);
    const std::vector<std::uint8_t> bin = ReadAll(VcdImageOfOneClip().File("disc.bin"));
    const std::vector<std::uint8_t> burnt = ReadAll(folder_.File("disc0.img"));
    ASSERT_EQ(burnt.size(), bin.size());
    EXPECT_TRUE(burnt == bin);
    EXPECT_EQ(burner.BytesWritten, burner.BytesToWrite);
    EXPECT_EQ(burner.BytesToWrite, static_cast<std::int64_t>(bin.size()));   // the 2-second lead, less the pregap the drive wrote

    // No cue sheet; each track from its next writable address, in blocks of 2332 bytes a sector.
    EXPECT_TRUE(drive.CommandsWithOpcode(0x5D).empty());
    const auto writes = drive.CommandsWithOpcode(0x2A);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(Lba(writes.front()), 0);
    const std::uint32_t track2 = burner.Files()[0].Tracks[1].Indices.at(1);   // its index 1 in the file
    bool atTrack2 = false;
    for (const testkit::RecordedCommand& w : writes)
        atTrack2 = atTrack2 || Lba(w) == static_cast<std::int32_t>(track2);
    EXPECT_TRUE(atTrack2);
    // Page 5 for each track (track at once, mode 2 with copying allowed, 2332-byte blocks), then for the session's end.
    const auto pages = Pages();
    ASSERT_GE(pages.size(), 3u);
    for (std::size_t i = pages.size() - 4; i < pages.size() - 2; ++i) {
        EXPECT_EQ(pages[i][2] & 0x0F, 1) << i;
        EXPECT_EQ(pages[i][3], 0x06) << i;
        EXPECT_EQ(pages[i][4] & 0x0F, 13) << i;
    }
    const std::vector<std::uint8_t>& closing = pages[pages.size() - 2];
    EXPECT_EQ(closing[3] & 0xC0, 0xC0);   // another session may follow: FinalizeDisc is false
    EXPECT_EQ(closing[8], 0x20);          // CD-ROM XA
    // A track closed between the two, the session at the end.
    EXPECT_EQ(drive.CommandsWithOpcode(0x35).size(), 2u);
    const auto close = drive.CommandsWithOpcode(0x5B);
    ASSERT_EQ(close.size(), 1u);
    EXPECT_EQ(close[0].cdb, (std::vector<std::uint8_t>{0x5B, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 0}));
    // An appendable disc: its PMA holds the two tracks, its TOC says CD-ROM XA.
    EXPECT_EQ(burner.DiscStatus(), 1);
    EXPECT_TRUE(burner.Writable());
    std::vector<std::uint8_t> toc(256);
    std::uint32_t returned = 0;
    ASSERT_TRUE(burner.ReadTOC(3, toc.data(), 256, 0, true, 0, &returned));
    ASSERT_EQ(returned, 4u + 2 * 11);
    EXPECT_EQ(toc[4 + 3], 1);
    EXPECT_EQ(toc[4 + 11 + 3], 2);
    EXPECT_EQ((std::vector<std::uint8_t>(toc.begin() + 4 + 11 + 8, toc.begin() + 4 + 11 + 11)),
              (std::vector<std::uint8_t>{static_cast<std::uint8_t>((track2 + 150) / 4500),
                                         static_cast<std::uint8_t>((track2 + 150) / 75 % 60),
                                         static_cast<std::uint8_t>((track2 + 150) % 75)}));
    ASSERT_TRUE(burner.ReadTOC(2, toc.data(), 256, 0, true, 0, &returned));
    EXPECT_EQ(toc[4 + 9], 0x20);
    EXPECT_FALSE(drive.Locked());
}

// The image of two clips (three tracks), with the disc closed for good.
TEST_P(TrackAtOnce, AThreeTrackVcdImageOnAFinalizedDisc)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    TCueBurner& burner = TaoBurner();
    burner.FinalizeDisc = true;
    burner.PerformOPC = true;
    EXPECT_EQ(Burn(burner), (std::vector<std::string>{""}));
    EXPECT_TRUE(ReadAll(folder_.File("disc0.img")) == ReadAll(VcdImage().File("disc.bin")));
    EXPECT_TRUE(drive.DiscComplete());
    EXPECT_EQ(burner.DiscStatus(), 2);
    EXPECT_FALSE(burner.Writable());
    EXPECT_EQ(drive.CommandsWithOpcode(0x54).size(), 3u);   // power calibration before each track
    EXPECT_EQ(drive.CommandsWithOpcode(0x35).size(), 3u);
}

// A mode 1 track and an audio track: each written with its own page (2048-byte
// mode 1 blocks, then raw audio); the audio track's 2-second pregap is the drive's silence.
TEST_P(TrackAtOnce, EachTrackIsWrittenWithItsOwnPage)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    TCueBurner& burner = TaoBurner();
    constexpr int kData = 100, kPregap = 150, kAudio = 200;
    std::vector<std::uint8_t> bin(std::size_t{kData + kPregap + kAudio} * 2352, 0);
    for (int s = 0; s < kData; ++s) {
        std::uint8_t* sector = &bin[std::size_t(s) * 2352];
        CdSectorHeader(sector, s, 1);
        for (int i = 0; i < 2048; ++i)
            sector[16 + i] = static_cast<std::uint8_t>(s * 3 + i);
        CdSectorCodes(sector);
    }
    for (std::size_t i = std::size_t{kData + kPregap} * 2352; i < bin.size(); ++i)
        bin[i] = static_cast<std::uint8_t>(i * 31);
    std::ofstream(folder_.File("mixed.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bin.data()), static_cast<std::streamsize>(bin.size()));
    std::ofstream(folder_.File("mixed.cue")) << "FILE \"mixed.bin\" BINARY\n"
                                                "  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"
                                                "  TRACK 02 AUDIO\n    FLAGS PRE\n"
                                                "    INDEX 00 00:01:25\n    INDEX 01 00:03:25\n";
    EXPECT_EQ(Burn(burner, folder_.File("mixed.cue")), (std::vector<std::string>{""}));
    EXPECT_TRUE(ReadAll(folder_.File("disc0.img")) == bin);
    const auto pages = Pages();
    ASSERT_GE(pages.size(), 4u);
    const std::vector<std::uint8_t>& data = pages[pages.size() - 4];
    const std::vector<std::uint8_t>& audio = pages[pages.size() - 3];
    EXPECT_EQ(data[3], 0x04);
    EXPECT_EQ(data[4] & 0x0F, 8);
    EXPECT_EQ(audio[3], 0x01);   // audio with pre-emphasis
    EXPECT_EQ(audio[4] & 0x0F, 0);
    EXPECT_EQ(pages[pages.size() - 2][8], 0x00);   // no mode 2 track: a CD-DA / CD-ROM session
    for (const testkit::RecordedCommand& write : drive.CommandsWithOpcode(0x2A))
        EXPECT_TRUE(Lba(write) < kData || Lba(write) >= kData + kPregap) << Lba(write);
}

// A close the drive refuses for a reason other than being busy fails the burn
// with that reason; a busy drive is asked again every second.
TEST_P(TrackAtOnce, TheSessionsCloseIsRetriedWhileBusyAndItsFailureIsTheBurns)
{
    testkit::RecorderConfig config;
    config.syncBusyMs = 20000;   // the last flush keeps the drive busy for 20 s
    testkit::VirtualRecorder& drive = AddRecorder(config);
    TCueBurner& burner = TaoBurner();
    EXPECT_EQ(Burn(burner, VcdImageOfOneClip().File("disc.cue")), (std::vector<std::string>{""}));
    EXPECT_GE(drive.CommandsWithOpcode(0x5B).size(), 19u);   // refused while the drive was not ready

    drive.InsertMedium(Medium::Blank(MediumKind::CdR));
    drive.SetFaults(testkit::RecorderFaults::Refusing(0x5B, 0x03, 0x73, 0x00));
    {
        std::lock_guard<std::mutex> guard(mutex_);
        done_.clear();
    }
    EXPECT_EQ(Burn(burner, VcdImageOfOneClip().File("disc.cue")),
              (std::vector<std::string>{"CLOSE TRACK/SESSION FAILED [MEDIUM ERROR (CD CONTROL ERROR)]"}));
    EXPECT_FALSE(drive.Locked());
}

// A drive that does not say where to write: the burn ends before writing anything.
TEST_P(TrackAtOnce, NoNextWritableAddressEndsTheBurnBeforeAnyWrite)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    TCueBurner& burner = TaoBurner();
    drive.SetFaults(testkit::RecorderFaults::Refusing(0x52, 0x05, 0x24, 0x00));
    EXPECT_EQ(Burn(burner, VcdImageOfOneClip().File("disc.cue")),
              (std::vector<std::string>{"ERROR GETTING NEXT WRITABLE ADDRESS [ILLEGAL REQUEST (INVALID FIELD IN CDB)]"}));
    EXPECT_TRUE(drive.CommandsWithOpcode(0x2A).empty());
    EXPECT_FALSE(drive.Locked());
}

} // namespace
} // namespace discrec_test
