// Disc-at-once burns of cue images onto a virtual recorder, through both ASPI layers.
#include "cueburnfixture.h"

#include "discrec/dkconst.h"
#include "discrec/dkcueburner.h"
#include "win32/cdsector.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace discrec_test {
namespace {

using testkit::Medium;
using testkit::MediumKind;
using testkit::RecorderFaults;

INSTANTIATE_TEST_SUITE_P(BothLayers, CueBurn, ::testing::Values(true, false), LayerName);

TEST_P(CueBurn, AVcdImageBurnedDiscAtOnceEqualsItsBin)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    TCueBurner& burner = Burner();
    EXPECT_TRUE(burner.Writable());
    EXPECT_EQ(Burn(burner), (std::vector<std::string>{""}));
    const std::vector<std::uint8_t> bin = ReadAll(VcdImage().File("disc.bin"));
    const std::vector<std::uint8_t> burned = ReadAll(folder_.File("disc0.img"));
    ASSERT_EQ(burned.size(), bin.size());
    EXPECT_TRUE(burned == bin);
    EXPECT_EQ(burner.BytesWritten, burner.BytesToWrite);
    EXPECT_EQ(burner.BytesToWrite, static_cast<std::int64_t>(bin.size() + 352800));
    EXPECT_EQ(drive.CueSheet(), burner.CueSheet());
    EXPECT_TRUE(drive.DiscComplete());
    EXPECT_FALSE(burner.Writable());
    EXPECT_EQ(burner.DiscStatus(), 2);
    EXPECT_FALSE(drive.Locked());
    EXPECT_TRUE(Said("1 STARTING WRITE PROCESS ON CD-R AT 40.0X (7,056 KB/s)"));
    EXPECT_TRUE(Said("1 >>> BURN PROCESS STARTED"));
    // Session at once, 2352-byte blocks, no test write, closed.
    const std::vector<std::uint8_t> select = drive.CommandsWithOpcode(0x55).at(drive.CommandsWithOpcode(0x55).size() - 2).data;
    EXPECT_EQ(select[10] & 0x0F, 2);
    EXPECT_EQ(select[11] & 0xCF, 0x04);
    EXPECT_EQ(select[12] & 0x0F, 0);
    // The first write starts at the pregap, and each sends 2336 bytes of each mode-2 sector.
    const auto writes = drive.CommandsWithOpcode(0x2A);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes[0].cdb, (std::vector<std::uint8_t>{0x2A, 0, 0xFF, 0xFF, 0xFF, 0x6A, 0, 0, 27, 0}));
    // The drive was this burn's alone, and is free again.
    ScsiOpenError error;
    EXPECT_NE(OpenScsiDrive(DriveNumber(), ScsiOpenMode::Exclusive, &error), nullptr) << error.text;
}

// The burnt disc read back through READ CD and the raw TOC, PMA and CD-TEXT formats of READ TOC.
TEST_P(CueBurn, TheBurntDiscReadsBackThroughReadCdAndItsTocFormats)
{
    AddRecorder();
    TCueBurner& burner = Burner();
    ASSERT_EQ(Burn(burner), (std::vector<std::string>{""}));
    const std::vector<std::uint8_t> bin = ReadAll(VcdImage().File("disc.bin"));
    const auto sectors = static_cast<std::uint32_t>(bin.size() / 2352);
    ASSERT_EQ(sectors, 1207u);

    // Whole sectors (sync, headers, data, EDC and ECC) of any type: the .bin itself.
    std::vector<std::uint8_t> raw(10 * 2352);
    std::uint32_t returned = 0;
    ASSERT_TRUE(burner.ReadCD(sectors - 10, 10, raw.data(), static_cast<std::uint32_t>(raw.size()), 0, 0xF8, 0,
                              &returned));
    EXPECT_EQ(returned, raw.size());
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), bin.end() - static_cast<std::ptrdiff_t>(raw.size())));
    EXPECT_EQ(Cdbs(0xBE).back(), (std::vector<std::uint8_t>{0xBE, 0, 0, 0, 0x04, 0xAD, 0, 0, 10, 0xF8, 0, 0}));
    // The user data of a form 1 sector: the ISO 9660 volume descriptor.
    std::vector<std::uint8_t> user(2048);
    ASSERT_TRUE(burner.ReadCD(16, 1, user.data(), 2048, 4 << 2, 0x10, 0));
    EXPECT_EQ(Cdbs(0xBE).back(), (std::vector<std::uint8_t>{0xBE, 0x10, 0, 0, 0, 16, 0, 0, 1, 0x10, 0, 0}));
    EXPECT_EQ(std::string(user.begin() + 1, user.begin() + 6), "CD001");
    EXPECT_TRUE(std::equal(user.begin(), user.end(), bin.begin() + 16 * 2352 + 24));
    // A form 2 sector (the second track's MPEG stream) asked for as form 1.
    EXPECT_FALSE(burner.ReadCD(600, 1, user.data(), 2048, 4 << 2, 0x10, 0));
    EXPECT_EQ(burner.LastError(), "ILLEGAL REQUEST (ILLEGAL MODE FOR THIS TRACK)");

    // The raw TOC: first track, last track, lead-out, then each track's start, as MSF.
    std::vector<std::uint8_t> toc(256);
    ASSERT_TRUE(burner.ReadTOC(2, toc.data(), 256, 1, true, 0, &returned));
    EXPECT_EQ(Cdbs(0x43).back(), (std::vector<std::uint8_t>{0x43, 0x02, 0x02, 0, 0, 0, 1, 0x01, 0x00, 0}));
    ASSERT_EQ(returned, 4u + 6 * 11);
    EXPECT_EQ((std::vector<std::uint8_t>(toc.begin(), toc.begin() + 4)), (std::vector<std::uint8_t>{0, 68, 1, 1}));
    auto descriptor = [&](int i) {
        return std::vector<std::uint8_t>(toc.begin() + 4 + 11 * i, toc.begin() + 15 + 11 * i);
    };
    EXPECT_EQ(descriptor(0), (std::vector<std::uint8_t>{1, 0x14, 0, 0xA0, 0, 0, 0, 0, 1, 0x20, 0}));   // CD-ROM XA
    EXPECT_EQ(descriptor(1), (std::vector<std::uint8_t>{1, 0x14, 0, 0xA1, 0, 0, 0, 0, 3, 0, 0}));
    EXPECT_EQ(descriptor(2), (std::vector<std::uint8_t>{1, 0x14, 0, 0xA2, 0, 0, 0, 0, 0, 18, 7}));
    EXPECT_EQ(descriptor(3), (std::vector<std::uint8_t>{1, 0x14, 0, 1, 0, 0, 0, 0, 0, 2, 0}));
    EXPECT_EQ(descriptor(4), (std::vector<std::uint8_t>{1, 0x14, 0, 2, 0, 0, 0, 0, 0, 8, 0}));
    EXPECT_EQ(descriptor(5), (std::vector<std::uint8_t>{1, 0x14, 0, 3, 0, 0, 0, 0, 0, 12, 73}));
    // A disc written at once leaves nothing in the PMA, and no CD-TEXT was written into its lead-in.
    ASSERT_TRUE(burner.ReadTOC(3, toc.data(), 256, 0, false, 0, &returned));
    EXPECT_EQ(Cdbs(0x43).back(), (std::vector<std::uint8_t>{0x43, 0, 0x03, 0, 0, 0, 0, 0x01, 0x00, 0}));
    EXPECT_EQ(returned, 4u);
    EXPECT_EQ(toc[1], 2);
    ASSERT_TRUE(burner.ReadTOC(5, toc.data(), 256, 0, false, 0, &returned));
    EXPECT_EQ(Cdbs(0x43).back(), (std::vector<std::uint8_t>{0x43, 0, 0x05, 0, 0, 0, 0, 0x01, 0x00, 0}));
    EXPECT_EQ(returned, 4u);
}

// A cue whose first index is at 00:02:00 burns the image from that index on.
TEST_P(CueBurn, AnImageWhoseFirstIndexIsAtTwoSecondsBurnsFromThatIndex)
{
    AddRecorder();
    TCueBurner& burner = Burner();
    const std::vector<std::uint8_t> vcd = ReadAll(VcdImage().File("disc.bin"));
    std::vector<std::uint8_t> image(150 * 2352, 0);   // the pregap, then the VCD
    image.insert(image.end(), vcd.begin(), vcd.end());
    std::ofstream(folder_.File("pregap.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    std::ofstream(folder_.File("pregap.cue")) << "FILE pregap.bin BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:02:00\n";
    EXPECT_EQ(Burn(burner, folder_.File("pregap.cue")), (std::vector<std::string>{""}));
    EXPECT_TRUE(ReadAll(folder_.File("disc0.img")) == vcd);
    EXPECT_EQ(burner.BytesWritten, burner.BytesToWrite);
}

TEST_P(CueBurn, BusyWritesAreRetried)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    TCueBurner& burner = Burner();
    RecorderFaults faults;
    faults.longWriteBusyWrites = 4;
    drive.SetFaults(faults);
    const std::uint64_t slept = clock_.TotalSlept();
    EXPECT_EQ(Burn(burner), (std::vector<std::string>{""}));
    EXPECT_GE(clock_.TotalSlept() - slept, 400u);   // 100 ms before each retry
    EXPECT_EQ(ReadAll(folder_.File("disc0.img")), ReadAll(VcdImage().File("disc.bin")));
    EXPECT_EQ(burner.BytesWritten, burner.BytesToWrite);
}

TEST_P(CueBurn, AHardWriteErrorEndsTheBurnWithTheDrivesReason)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    drive.SetFaults([] {
        RecorderFaults faults;
        faults.hardWriteErrorAt = 100;
        return faults;
    }());
    TCueBurner& burner = Burner();
    EXPECT_EQ(Burn(burner), (std::vector<std::string>{"WRITER ERROR [MEDIUM ERROR (WRITE ERROR)]"}));
    EXPECT_LT(burner.BytesWritten, burner.BytesToWrite);
    EXPECT_FALSE(drive.Locked());
}

TEST_P(CueBurn, ARefusedCueSheetEndsTheBurnBeforeAnyWrite)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    RecorderFaults faults;
    faults.refuseCueSheet = true;
    drive.SetFaults(faults);
    TCueBurner& burner = Burner();
    const std::vector<std::string> done = Burn(burner);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].rfind("SEND CUE SHEET FAILED", 0), 0u) << done[0];
    EXPECT_EQ(done[0], "SEND CUE SHEET FAILED [ILLEGAL REQUEST (INVALID FIELD IN PARAMETER LIST)]");
    EXPECT_TRUE(drive.CommandsWithOpcode(0x2A).empty());
    EXPECT_TRUE(Said("1 >>> BURN PROCESS START FAILED"));
}

// Every step after the last WRITE counts: a disc whose cache flush fails is not
// closed, and a tray left locked keeps the disc from the user. Each ends the
// burn as an error with the drive's reason.
TEST_P(CueBurn, AFlushOrUnlockThatFailsEndsTheBurnWithTheDrivesReason)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    TCueBurner& burner = Burner();
    // A fresh disc and the burn with these faults: what OnWriteDone was told.
    auto burnWith = [&](const RecorderFaults& faults) {
        drive.InsertMedium(Medium::Blank(MediumKind::CdR));
        drive.SetFaults(faults);
        done_.clear();
        return Burn(burner);
    };
    EXPECT_EQ(burnWith(RecorderFaults::Refusing(0x35)),
              (std::vector<std::string>{"SYNCHRONIZE CACHE FAILED [MEDIUM ERROR (WRITE ERROR)]"}));
    EXPECT_EQ(burner.BytesWritten, burner.BytesToWrite);   // every sector went out
    EXPECT_FALSE(drive.DiscComplete());
    EXPECT_FALSE(drive.Locked());   // the tray is let go all the same

    RecorderFaults timeout;
    timeout.timeoutOpcode = 0x35;
    timeout.timeoutOnNth = 1;
    EXPECT_EQ(burnWith(timeout), (std::vector<std::string>{"SYNCHRONIZE CACHE FAILED [COMMAND TIMEOUT]"}));

    EXPECT_EQ(burnWith(RecorderFaults::Refusing(0x1E, 0x05, 0x24, 0x00)),
              (std::vector<std::string>{"PREVENT/ALLOW REMOVAL FAILED [ILLEGAL REQUEST (INVALID FIELD IN CDB)]"}));
    EXPECT_TRUE(drive.DiscComplete());
}

// A close the drive never finishes (it stays busy writing the lead-out).
TEST_P(CueBurn, ACloseThatNeverEndsIsAFailedBurn)
{
    testkit::RecorderConfig config;
    config.syncBusyMs = 600000;   // longer than the 240 s the burner waits
    AddRecorder(config);
    TCueBurner& burner = Burner();
    EXPECT_EQ(Burn(burner), (std::vector<std::string>{"SYNCHRONIZE CACHE FAILED [COMMAND TIMEOUT]"}));
}

TEST_P(CueBurn, AnAbortEndsTheBurnAndUnlocksTheTray)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    TCueBurner& burner = Burner();
    ASSERT_TRUE(burner.LockMedium(false));
    ASSERT_TRUE(drive.Locked());
    abortOn_ = ">>> BURN PROCESS STARTED";
    EXPECT_EQ(Burn(burner), (std::vector<std::string>{"OPERATION ABORTED BY USER"}));
    EXPECT_FALSE(drive.Locked());
    EXPECT_TRUE(drive.CommandsWithOpcode(0x2A).empty());
    EXPECT_EQ(burner.BufferProgress(), 0);
}

TEST_P(CueBurn, BurnsThatCannotStartSayWhy)
{
    testkit::VirtualRecorder& drive = AddRecorder({}, Medium::Complete(MediumKind::CdRw));
    TCueBurner& burner = Burner();
    ASSERT_TRUE(burner.LoadCueFile(VcdImage().File("disc.cue")));
    // A finished disc.
    EXPECT_FALSE(burner.BurnCD());
    EXPECT_TRUE(Said("4 >>> DISC IS NOT WRITABLE"));
    EXPECT_TRUE(Said("4 >>> BUT DISC IS ERASABLE, ERASE IT FIRST"));
    drive.InsertMedium(Medium::Blank(MediumKind::CdR));

    // Someone else holds the drive (a mounted disc): a clear reason, nothing written.
    {
        ScsiOpenError error;
        const auto held = OpenScsiDrive(DriveNumber(), ScsiOpenMode::Exclusive, &error);
        ASSERT_NE(held, nullptr) << error.text;
        EXPECT_FALSE(burner.BurnCD());
        EXPECT_EQ(burner.LastError(), "virtual recorder 0 is in use (a disc in it may be mounted)");
        std::lock_guard<std::mutex> guard(mutex_);
        EXPECT_EQ(done_, (std::vector<std::string>{"virtual recorder 0 is in use (a disc in it may be mounted)"}));
        done_.clear();
    }
    EXPECT_TRUE(drive.CommandsWithOpcode(0x5D).empty());

    // A mode 2 track of 2336-byte sectors (from code only) has no data form of its own.
    std::ofstream(folder_.File("data.bin"), std::ios::binary) << std::string(2336 * 100, 'd');
    burner.ClearAll();
    ASSERT_TRUE(burner.AddFile(folder_.File("data.bin"), ftBinary));
    ASSERT_TRUE(burner.AddTrack(ttMode2_2336));
    ASSERT_TRUE(burner.AddIndexLBA(0));
    EXPECT_FALSE(burner.BurnCD());
    EXPECT_EQ(burner.LastError(), "NOT SUPPORTED");

    // An image that went missing after loading: the cache's reason.
    std::filesystem::copy_file(VcdImage().File("disc.bin"), folder_.File("copy.bin"));
    std::ofstream(folder_.File("copy.cue")) << "FILE copy.bin BINARY\nTRACK 01 MODE2/2352\nINDEX 01 00:00:00\n";
    ASSERT_TRUE(burner.LoadCueFile(folder_.File("copy.cue")));
    std::filesystem::remove(folder_.File("copy.bin"));
    EXPECT_FALSE(burner.BurnCD());
    const std::string gone = Format(std::string(ERR_FILEINUSE), folder_.File("copy.bin"));
    std::lock_guard<std::mutex> guard(mutex_);
    EXPECT_EQ(done_, (std::vector<std::string>{gone}));
    EXPECT_TRUE(drive.CommandsWithOpcode(0x5D).empty());
}

// A mode-1 data track and an audio track in one image: each block goes out with its own track's sector size.
TEST_P(CueBurn, AMixedImageSendsEachTracksOwnSectors)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    TCueBurner& burner = Burner();
    constexpr int kData = 100, kAudio = 200;
    std::vector<std::uint8_t> bin(std::size_t{kData + kAudio} * 2352);
    for (int s = 0; s < kData; ++s) {
        std::uint8_t* sector = &bin[std::size_t(s) * 2352];
        CdSectorHeader(sector, s, 1);
        for (int i = 0; i < 2048; ++i)
            sector[16 + i] = static_cast<std::uint8_t>(s + i);
        CdSectorCodes(sector);   // the drive makes them for what it is sent
    }
    for (std::size_t i = std::size_t{kData} * 2352; i < bin.size(); ++i)
        bin[i] = static_cast<std::uint8_t>(i * 31);
    std::ofstream(folder_.File("mixed.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bin.data()), static_cast<std::streamsize>(bin.size()));
    std::ofstream(folder_.File("mixed.cue")) << "FILE \"mixed.bin\" BINARY\n"
                                                "  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n"
                                                "  TRACK 02 AUDIO\n    INDEX 00 00:01:25\n    INDEX 01 00:01:50\n";
    EXPECT_EQ(Burn(burner, folder_.File("mixed.cue")), (std::vector<std::string>{""}));
    EXPECT_TRUE(ReadAll(folder_.File("disc0.img")) == bin);
    bool sawData = false, sawAudio = false;
    for (const testkit::RecordedCommand& write : drive.CommandsWithOpcode(0x2A)) {
        const std::int32_t lba = static_cast<std::int32_t>((write.cdb[2] << 24) | (write.cdb[3] << 16) |
                                                           (write.cdb[4] << 8) | write.cdb[5]);
        sawData = sawData || (lba >= 0 && lba < kData);
        sawAudio = sawAudio || lba >= kData;
    }
    EXPECT_TRUE(sawData && sawAudio);
    EXPECT_EQ(drive.CueSheet()[8 * 2 + 3], 0x10);   // track 1, mode 1
    EXPECT_EQ(drive.CueSheet()[8 * 3 + 3], 0x00);   // track 2, audio
}

} // namespace
} // namespace discrec_test
