// Disc-at-once burns of cue images onto a virtual recorder, through both ASPI layers.
#include "devicefixture.h"
#include "vcdimage.h"

#include "discrec/dkconst.h"
#include "discrec/dkcueburner.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace discrec_test {
namespace {

using testkit::Medium;
using testkit::MediumKind;
using testkit::RecorderFaults;

std::vector<std::uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CueBurn : public DeviceTest {
protected:
    // A burner on the first recorder, with the program's settings and a record of what it says.
    TCueBurner& Burner()
    {
        burner_ = std::make_unique<TCueBurner>(nullptr);
        burner_->OnDebugMessage = [this](TObject*, const std::string& message, std::uint8_t type) {
            std::lock_guard<std::mutex> guard(mutex_);
            lines_.push_back(std::to_string(type) + " " + message);
            if (message == abortOn_)
                burner_->Abort();
        };
        burner_->OnWriteDone = [this](TObject*, const std::string& error) {
            std::lock_guard<std::mutex> guard(mutex_);
            done_.push_back(error);
        };
        EXPECT_TRUE(burner_->InitializeASPI(GetParam(), ""));
        EXPECT_GE(burner_->Devices().Count(), 1);
        burner_->SetDeviceID(burner_->Devices()[0]);
        burner_->WriteMethod = wmDAO;
        return *burner_;
    }
    // Loads the VCD image and burns it; the texts OnWriteDone was given.
    std::vector<std::string> Burn(TCueBurner& burner, const std::string& cue = "")
    {
        EXPECT_TRUE(burner.LoadCueFile(cue.empty() ? VcdImage().File("disc.cue") : cue)) << burner.LastError();
        if (burner.BurnCD())
            burner.WaitForBurn();
        std::lock_guard<std::mutex> guard(mutex_);
        return done_;
    }
    bool Said(const std::string& line)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
    }
    ~CueBurn() override { burner_.reset(); }

    std::unique_ptr<TCueBurner> burner_;
    std::mutex mutex_;
    std::vector<std::string> lines_, done_;
    std::string abortOn_;
};
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

    // Track at once is not built.
    burner.WriteMethod = wmTAO;
    EXPECT_FALSE(burner.BurnCD());
    EXPECT_EQ(burner.LastError(), "NOT SUPPORTED");
    burner.WriteMethod = wmDAO;

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

    // A track type that is never burnt.
    std::ofstream(folder_.File("data.bin"), std::ios::binary) << std::string(2048 * 100, 'd');
    std::ofstream(folder_.File("data.cue")) << "FILE data.bin BINARY\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\n";
    ASSERT_TRUE(burner.LoadCueFile(folder_.File("data.cue")));
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
        const std::uint8_t sync[12] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
        std::memcpy(sector, sync, 12);
        const int frames = s + 150;
        auto bcd = [](int v) { return static_cast<std::uint8_t>((v / 10) << 4 | (v % 10)); };
        sector[12] = bcd(frames / 4500), sector[13] = bcd(frames / 75 % 60), sector[14] = bcd(frames % 75);
        sector[15] = 1;
        for (int i = 0; i < 2048; ++i)
            sector[16 + i] = static_cast<std::uint8_t>(s + i);
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
