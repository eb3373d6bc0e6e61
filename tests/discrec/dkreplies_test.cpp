// Replies a drive should never give: short ones, length fields that claim more
// than came, a page placed at the very end of the buffer. Nothing is read past
// what the drive returned or what its reply covers, and each query answers its
// neutral value, through both ASPI layers.
#include "devicefixture.h"

#include "discrec/dkcueburner.h"

#include <map>

namespace discrec_test {
namespace {

using testkit::Medium;
using testkit::MediumKind;

constexpr std::uint8_t kModeSense = 0x5A, kReadDiscInfo = 0x51, kReadTrackInfo = 0x52, kReadCapacity = 0x25,
                       kReadBufferCapacity = 0x5C, kGetConfiguration = 0x46, kReadToc = 0x43;

// A virtual recorder whose replies to chosen commands the test writes itself.
class TamperedRecorder : public ScsiTarget {
public:
    explicit TamperedRecorder(std::shared_ptr<testkit::VirtualRecorder> inner) : inner_(std::move(inner)) {}

    ScsiResult Execute(const ScsiCommand& command) override
    {
        const int page = command.cdb[0] == kModeSense ? command.cdb[2] & 0x3F : -1;
        std::vector<std::uint8_t> bytes;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            const auto it = replies_.find({command.cdb[0], page});
            if (it == replies_.end())
                return inner_->Execute(command);
            bytes = it->second;
        }
        // As many of the bytes as the buffer takes; the rest of the buffer is residual.
        ScsiResult result;
        const std::size_t room = command.direction == ScsiDirection::In && command.buffer ? command.length : 0;
        const std::size_t count = std::min(room, bytes.size());
        std::copy_n(bytes.begin(), count, static_cast<std::uint8_t*>(command.buffer));
        result.residual = static_cast<std::int32_t>(room - count);
        return result;
    }
    // From now on `opcode` (for MODE SENSE: of `page`) is answered with exactly these bytes.
    void Answer(std::uint8_t opcode, std::vector<std::uint8_t> bytes, int page = -1)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        replies_[{opcode, page}] = std::move(bytes);
    }

private:
    std::shared_ptr<testkit::VirtualRecorder> inner_;
    std::mutex mutex_;
    std::map<std::pair<std::uint8_t, int>, std::vector<std::uint8_t>> replies_;
};

class DriveReplies : public DeviceTest {
protected:
    DriveReplies()
    {
        testkit::RecorderConfig config;
        config.imagePath = folder_.File("disc.img");
        recorder_ = std::make_shared<testkit::VirtualRecorder>(config);
        recorder_->InsertMedium(Medium::Blank(MediumKind::CdR));
        drive_ = std::make_shared<TamperedRecorder>(recorder_);
        number_ = RegisterVirtualScsiDrive(drive_, "tampered recorder");
    }
    ~DriveReplies() override
    {
        device_.reset();
        UnregisterVirtualScsiDrive(number_);
    }

    std::shared_ptr<testkit::VirtualRecorder> recorder_;
    std::shared_ptr<TamperedRecorder> drive_;
    int number_ = -1;
};
INSTANTIATE_TEST_SUITE_P(BothLayers, DriveReplies, ::testing::Values(true, false), LayerName);

// The block descriptor length puts the capabilities page in the last two bytes
// of the 255 asked for: its speed words would lie past the buffer.
TEST_P(DriveReplies, ACapabilitiesPageAtTheEndOfTheReplyIsNotRead)
{
    std::vector<std::uint8_t> reply(255, 0);
    reply[1] = 253;   // mode data length: the whole reply
    reply[6] = 0, reply[7] = 245;   // block descriptors up to byte 252
    reply[253] = 0x2A, reply[254] = 0x1C;
    drive_->Answer(kModeSense, reply, 0x2A);
    TSCSIDevice& device = OpenFirst();
    EXPECT_FALSE(device.GetDeviceCapabilities());
    EXPECT_TRUE(device.Capabilities().Empty());
    EXPECT_EQ(device.MaxWriteSpeed(), 0);
    EXPECT_EQ(device.DeviceMaxWriteSpeed(), 0);
}

// A page whose length byte claims 28 bytes, in a reply that stops after 6 of them.
TEST_P(DriveReplies, APageCutShortByTheDriveIsNotRead)
{
    std::vector<std::uint8_t> reply(8 + 6, 0);
    reply[1] = 6 + 28;   // the header claims the whole page too
    reply[8] = 0x2A, reply[9] = 28;
    reply[10] = 0x3F, reply[11] = 0x37;   // every read and write bit
    drive_->Answer(kModeSense, reply, 0x2A);
    TSCSIDevice& device = OpenFirst();
    EXPECT_FALSE(device.GetDeviceCapabilities());
    EXPECT_FALSE(device.Capabilities().Contains(dcWriteCDR));

    // The write parameters page cut the same way is neither read nor written back.
    std::vector<std::uint8_t> page5(8 + 10, 0);
    page5[1] = 6 + 0x34, page5[8] = 0x05, page5[9] = 0x32;
    drive_->Answer(kModeSense, page5, 0x05);
    recorder_->ClearCommands();
    EXPECT_FALSE(device.SetWriteParams(false, true, dkCDR));
    EXPECT_FALSE(device.CheckWriteMethod(wmDAO));
    EXPECT_TRUE(recorder_->CommandsWithOpcode(0x55).empty());
}

// DVD-R and DVD-RW writing come from the DVD-R/-RW write feature only when its
// first data byte is 1; a feature with other bits set (buffer-underrun free,
// test write, DVD-RW) tells only that the drive reads both kinds.
TEST_P(DriveReplies, TheDvdMinusWriteFeatureGrantsWritingOnlyWhenItsDataByteIsOne)
{
    auto feature = [](std::uint16_t code, std::uint8_t data) {
        return std::vector<std::uint8_t>{0, 0, 0, 12, 0, 0, 0x00, 0x09, static_cast<std::uint8_t>(code >> 8),
                                         static_cast<std::uint8_t>(code), 0x01, 4, data, 0, 0, 0};
    };
    drive_->Answer(kGetConfiguration, feature(0x2F, 0x46));
    TSCSIDevice& device = OpenFirst();
    ASSERT_TRUE(device.GetDeviceCapabilities());
    TScsiDeviceCapabilities caps = device.Capabilities();
    EXPECT_TRUE(caps.Contains(dcReadDVDR));
    EXPECT_TRUE(caps.Contains(dcReadDVDRW));
    EXPECT_FALSE(caps.Contains(dcWriteDVDR));
    EXPECT_FALSE(caps.Contains(dcWriteDVDRW));

    drive_->Answer(kGetConfiguration, feature(0x2F, 0x01));
    ASSERT_TRUE(device.GetDeviceCapabilities());
    caps = device.Capabilities();
    EXPECT_TRUE(caps.Contains(dcWriteDVDR));
    EXPECT_TRUE(caps.Contains(dcWriteDVDRW));
    EXPECT_FALSE(caps.Contains(dcReadDVDPLUSR));   // the DVD+RW feature was not returned

    // The DVD+RW write feature: the same rule for DVD+R and DVD+RW writing.
    drive_->Answer(kGetConfiguration, feature(0x2A, 0x03));
    ASSERT_TRUE(device.GetDeviceCapabilities());
    caps = device.Capabilities();
    EXPECT_TRUE(caps.Contains(dcReadDVDPLUSRW));
    EXPECT_FALSE(caps.Contains(dcWriteDVDPLUSRW));
    EXPECT_FALSE(caps.Contains(dcWriteDVDR));
}

// Replies too short for the fields read from them, or whose own length says so.
TEST_P(DriveReplies, ShortRepliesAnswerNeutralValues)
{
    TSCSIDevice& device = OpenFirst();
    TCueBurner burner(nullptr);
    burner.SetDeviceID(device.DeviceID());

    // A configuration header whose length ends before the current profile.
    drive_->Answer(kGetConfiguration, {0, 0, 0, 2, 0, 0, 0x00, 0x0A});
    EXPECT_EQ(device.CurrentProfile(), 0);
    // An ATIP whose length ends before its disc type byte: the kind comes from
    // the disc information instead (a blank CD-R is not erasable).
    drive_->Answer(kReadToc, {0, 2, 0, 0, 0, 0, 0xC0, 0});
    EXPECT_EQ(device.DiscType(), dkCDR);

    // Two bytes of disc information: no disc status, so no blank disc to burn.
    drive_->Answer(kReadDiscInfo, {0x00, 0x20});
    EXPECT_EQ(device.DiscStatus(), -1);
    EXPECT_FALSE(device.ReadDiscInformation());
    EXPECT_FALSE(burner.Writable());

    // Track information whose length covers no more than its own header.
    std::vector<std::uint8_t> track(40, 0);
    track[1] = 6;
    track[19] = 0x50;   // free blocks, outside what the length covers
    drive_->Answer(kReadTrackInfo, track);
    EXPECT_FALSE(device.ReadTrackInformation(1));
    EXPECT_EQ(device.TrackInfo().FreeBlocks, 0u);

    std::uint32_t lba = 0, blockLength = 0;
    drive_->Answer(kReadCapacity, {0x00, 0x05, 0x7E, 0x3F});
    EXPECT_FALSE(device.ReadCapacity(lba, blockLength));

    std::uint32_t total = 0, free = 0;
    drive_->Answer(kReadBufferCapacity, {0x00, 0x0A, 0, 0, 0x00, 0x20, 0x00, 0x00});
    EXPECT_FALSE(device.ReadBufferCapacity(total, free));

}

} // namespace
} // namespace discrec_test
