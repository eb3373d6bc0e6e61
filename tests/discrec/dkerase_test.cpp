// Erasing rewritable discs in a virtual recorder, on the process clock.
#include "devicefixture.h"

#include "discrec/dkconst.h"
#include "rtl/thread.h"
#include "testkit/wait.h"

#include <thread>

namespace discrec_test {
namespace {

using testkit::Medium;
using testkit::MediumKind;
using testkit::RecorderConfig;
using testkit::RecorderFaults;

constexpr std::uint8_t kFormatUnit = 0x04, kRewind = 0x01, kBlank = 0xA1, kWrite10 = 0x2A;

// The test's thread stands for the GUI thread: calls handed over with Synchronize run where it pumps them.
class Erase : public DeviceTest {
protected:
    Erase()
    {
        TThread::SetSynchronizer([](const std::function<void()>&) {});
        mainThread_ = std::this_thread::get_id();
    }
    ~Erase() override { TThread::SetSynchronizer(nullptr); }

    // Erases and pumps the main thread's calls until the done event.
    bool EraseAndWait(TSCSIDevice& device, std::uint8_t type)
    {
        device.OnEraseDone = [this](TObject*, bool withError) {
            doneOnMain_ = std::this_thread::get_id() == mainThread_;
            progressAtDone_ = device_->EraseProgress();
            erasingAtDone_ = device_->Erasing();
            withError_ = withError;
            done_ = true;
        };
        if (!device.EraseDisc(type))
            return false;
        return testkit::WaitUntil([this] { return done_.load(); }, 60, [] {
            TThread::CheckSynchronize();
            std::this_thread::yield();
        });
    }

    std::thread::id mainThread_;
    std::atomic<bool> done_{false};
    bool doneOnMain_ = false, erasingAtDone_ = true, withError_ = true;
    int progressAtDone_ = -1;
};
INSTANTIATE_TEST_SUITE_P(PassThrough, Erase, ::testing::Values(true), LayerName);

TEST_P(Erase, AQuickCdRwEraseReportsProgressAgainst150SecondsAndEndsOnTheMainThread)
{
    RecorderConfig config;
    config.blankBusyMs = 200000;   // longer than the 150 s a quick erase should take
    testkit::VirtualRecorder& drive = AddRecorder(config, Medium::Complete(MediumKind::CdRw, 20000));
    TSCSIDevice& device = OpenFirst();
    EXPECT_FALSE(device.Erasing());
    EXPECT_EQ(device.EraseProgress(), 0);
    std::vector<std::pair<int, bool>> samples;   // progress and Erasing at each sleep of the erase thread
    clock_.onSleep = [&](std::uint32_t) {
        if (std::this_thread::get_id() != mainThread_)
            samples.emplace_back(device.EraseProgress(), device.Erasing());
    };
    const std::uint64_t start = clock_.NowMs();
    ASSERT_TRUE(EraseAndWait(device, 1));
    clock_.onSleep = nullptr;

    EXPECT_TRUE(doneOnMain_);
    EXPECT_FALSE(withError_);
    EXPECT_FALSE(erasingAtDone_);
    EXPECT_EQ(progressAtDone_, 100);
    EXPECT_FALSE(device.Erasing());
    EXPECT_EQ(device.EraseProgress(), 0);
    ASSERT_FALSE(samples.empty());
    int last = 0;
    for (const auto& [progress, erasing] : samples) {
        EXPECT_TRUE(erasing);
        EXPECT_GE(progress, last);
        EXPECT_LE(progress, 99);
        last = progress;
    }
    EXPECT_EQ(last, 99);   // the drive outlasted the expected 150 s
    EXPECT_GE(clock_.NowMs() - start, 200000u);

    const auto blank = drive.CommandsWithOpcode(kBlank);
    ASSERT_EQ(blank.size(), 1u);
    EXPECT_EQ(blank[0].cdb, (std::vector<std::uint8_t>{0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(blank[0].timeoutMs, 4800000u);
    EXPECT_EQ(device.DiscStatus(), 0);
    EXPECT_FALSE(drive.DiscComplete());
    EXPECT_FALSE(drive.Locked());

    // The start line: the disc and the speed as "0.0X" and "(#,##0 KB/s)". The
    // device was given no write speed: 0 goes to the drive, which takes its slowest.
    const std::string start_line = "1 >>> STARTING ERASE PROCESS ON CD-RW AT 1.0X (176 KB/s)";
    EXPECT_NE(std::find(debug_.begin(), debug_.end(), start_line), debug_.end());
}

TEST_P(Erase, ProgressFollowsTheExpectedTimeWhileTheDriveWorks)
{
    RecorderConfig config;
    config.blankBusyMs = 75000;
    AddRecorder(config, Medium::Complete(MediumKind::CdRw));
    TSCSIDevice& device = OpenFirst();
    std::vector<std::pair<std::uint64_t, int>> samples;
    std::uint64_t start = 0;
    clock_.onSleep = [&](std::uint32_t) {
        if (std::this_thread::get_id() != mainThread_ && device.Erasing())
            samples.emplace_back(clock_.NowMs() - start, device.EraseProgress());
    };
    start = clock_.NowMs();
    ASSERT_TRUE(EraseAndWait(device, 1));
    clock_.onSleep = nullptr;
    ASSERT_GE(samples.size(), 5u);
    // Each reading is the time gone against 150 s (the erase thread starts a moment after the clock was read).
    for (const auto& [elapsed, progress] : samples)
        EXPECT_NEAR(progress, elapsed / 1500.0, 4.0) << elapsed;
    EXPECT_FALSE(withError_);
}

TEST_P(Erase, AWriteOnceDiscIsNeverBlanked)
{
    testkit::VirtualRecorder& drive = AddRecorder({}, Medium::Blank(MediumKind::CdR));
    TSCSIDevice& device = OpenFirst();
    bool called = false, error = false;
    device.OnEraseDone = [&](TObject*, bool withError) {
        called = true;
        error = withError;
    };
    EXPECT_FALSE(device.EraseDisc(1));
    EXPECT_TRUE(called);
    EXPECT_TRUE(error);
    EXPECT_EQ(device.LastError(), ERR_NOTSUPPORTED);
    EXPECT_FALSE(device.Erasing());
    EXPECT_TRUE(drive.CommandsWithOpcode(kBlank).empty());
}

TEST_P(Erase, ADvdPlusRwRefusingTheFirstFormatIsFormattedOnTheSecondTry)
{
    RecorderConfig config;
    config.dvdRecorder = true;
    testkit::VirtualRecorder& drive = AddRecorder(config, Medium::Blank(MediumKind::DvdPlusRw));
    TSCSIDevice& device = OpenFirst();
    RecorderFaults faults;
    faults.refuseFirstFormat = true;
    drive.SetFaults(faults);
    drive.ClearCommands();
    const std::uint64_t slept = clock_.TotalSlept();
    ASSERT_TRUE(EraseAndWait(device, 1));
    EXPECT_FALSE(withError_);
    EXPECT_GE(clock_.TotalSlept() - slept, 1000u);

    std::vector<std::uint8_t> order;
    for (const testkit::RecordedCommand& c : drive.Commands())
        if (c.cdb[0] == kFormatUnit || c.cdb[0] == kRewind)
            order.push_back(c.cdb[0]);
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ((std::vector<std::uint8_t>(order.begin(), order.begin() + 3)),
              (std::vector<std::uint8_t>{kFormatUnit, kRewind, kFormatUnit}));
    const auto formats = drive.CommandsWithOpcode(kFormatUnit);
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_EQ(formats[1].cdb, (std::vector<std::uint8_t>{0x04, 0x11, 0, 0, 0, 0}));
    EXPECT_EQ(formats[1].data, (std::vector<std::uint8_t>{0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98, 0x00,
                                                         0x00, 0x00}));
    // A quick erase then writes 65 runs of 32 zero sectors from sector 0.
    const auto writes = drive.CommandsWithOpcode(kWrite10);
    ASSERT_EQ(writes.size(), 65u);
    EXPECT_EQ(writes.back().cdb, (std::vector<std::uint8_t>{0x2A, 0, 0, 0, 0x08, 0x00, 0, 0, 32, 0}));
    EXPECT_EQ(device.DiscType(), dkDVDPLUSRW);
}

TEST_P(Erase, AFullDvdRamEraseFormatsWithItsList)
{
    RecorderConfig config;
    config.dvdRecorder = true;
    testkit::VirtualRecorder& drive = AddRecorder(config, Medium::Blank(MediumKind::DvdRam));
    TSCSIDevice& device = OpenFirst();
    ASSERT_TRUE(EraseAndWait(device, 0));
    EXPECT_FALSE(withError_);
    const auto formats = drive.CommandsWithOpcode(kFormatUnit);
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0].data, (std::vector<std::uint8_t>{0x00, 0x82, 0x00, 0x08, 0x00, 0x22, 0x21, 0x20, 0x00, 0x00,
                                                         0x08, 0x00}));
    EXPECT_TRUE(drive.CommandsWithOpcode(kWrite10).empty());
}

TEST_P(Erase, ADvdRwIsBlankedAndWaitedFor)
{
    RecorderConfig config;
    config.dvdRecorder = true;
    config.blankBusyMs = 400000;
    testkit::VirtualRecorder& drive = AddRecorder(config, Medium::Complete(MediumKind::DvdRw, 9000));
    TSCSIDevice& device = OpenFirst();
    const std::uint64_t start = clock_.NowMs();
    ASSERT_TRUE(EraseAndWait(device, 1));
    EXPECT_FALSE(withError_);
    EXPECT_GE(clock_.NowMs() - start, 400000u);
    EXPECT_EQ(drive.CommandsWithOpcode(kBlank).size(), 1u);
    EXPECT_EQ(device.DiscStatus(), 0);
}

// An erase that fails part way says so: the done event reports the error, and
// the device keeps the step that failed with the drive's reason.
TEST_P(Erase, AnEraseThatFailsPartWaySaysSo)
{
    RecorderConfig config;
    config.dvdRecorder = true;
    testkit::VirtualRecorder& drive = AddRecorder(config, Medium::Blank(MediumKind::DvdPlusRw));
    TSCSIDevice& device = OpenFirst();

    // The zeros of a quick DVD+RW erase stop at a bad sector: nothing after them is sent.
    RecorderFaults faults;
    faults.hardWriteErrorAt = 40 * 32;
    drive.SetFaults(faults);
    drive.ClearCommands();
    ASSERT_TRUE(EraseAndWait(device, 1));
    EXPECT_TRUE(withError_);
    EXPECT_EQ(device.LastError(), "WRITER ERROR [MEDIUM ERROR (WRITE ERROR)]");
    EXPECT_EQ(drive.CommandsWithOpcode(kWrite10).size(), 41u);
    EXPECT_TRUE(drive.CommandsWithOpcode(0x35).empty());
    EXPECT_NE(std::find(debug_.begin(), debug_.end(), "0 >>> WRITER ERROR [MEDIUM ERROR (WRITE ERROR)]"), debug_.end());
    EXPECT_FALSE(device.Erasing());

    // The erase again with one command refused: what the device then says.
    auto refusing = [&](std::uint8_t opcode, std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
        done_ = false;
        drive.SetFaults(RecorderFaults::Refusing(opcode, key, asc, ascq));
        EXPECT_TRUE(EraseAndWait(device, 1));
        EXPECT_TRUE(withError_);
        return device.LastError();
    };
    // Every zero written, but the flush that puts them on the disc fails.
    EXPECT_EQ(refusing(0x35, 0x03, 0x0C, 0x00), "SYNCHRONIZE CACHE FAILED [MEDIUM ERROR (WRITE ERROR)]");
    // The closing of the format refused.
    EXPECT_EQ(refusing(0x5B, 0x05, 0x24, 0x00), "CLOSE TRACK/SESSION FAILED [ILLEGAL REQUEST (INVALID FIELD IN CDB)]");
    // All went well but the tray stays locked at the end.
    const std::string locked = refusing(0x1E, 0x05, 0x53, 0x02);
    EXPECT_EQ(locked.rfind("PREVENT/ALLOW REMOVAL FAILED [ILLEGAL REQUEST (", 0), 0u) << locked;

    // And with nothing refused, nothing is reported.
    done_ = false;
    drive.SetFaults({});
    ASSERT_TRUE(EraseAndWait(device, 1));
    EXPECT_FALSE(withError_);
}

} // namespace
} // namespace discrec_test
