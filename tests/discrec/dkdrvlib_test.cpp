// TSCSIDevice against virtual recorders, through both ASPI layers.
#include "devicefixture.h"

#include "discrec/dkconst.h"
#include "testkit/wait.h"

#include <atomic>
#include <thread>

namespace discrec_test {
namespace {

using testkit::Medium;
using testkit::MediumKind;
using testkit::RecorderConfig;
using testkit::RecorderFaults;

class ScsiDevice : public DeviceTest {};
INSTANTIATE_TEST_SUITE_P(BothLayers, ScsiDevice, ::testing::Values(true, false), LayerName);

TEST_P(ScsiDevice, ScanListsEachRecorderWithItsAddressNameAndIdentification)
{
    AddRecorder();
    RecorderConfig writeOnce;
    writeOnce.peripheralType = 4;
    writeOnce.vendor = "WORM";
    writeOnce.product = "WRITER";
    writeOnce.revision = "2.1";
    AddRecorder(writeOnce, Medium::Blank(MediumKind::CdR), "old writer");
    TSCSIDevice& device = Open();
    ASSERT_EQ(device.Devices().Count(), 2);
    EXPECT_EQ(device.Devices()[0], "0:0:0,virtual recorder 0: KELDARA VIRTUAL RECORDER1.00");
    EXPECT_EQ(device.Devices()[1], "0:1:0,old writer: WORM    WRITER          2.1  (not supported)");
    EXPECT_FALSE(device.DeviceSelected());

    device.SetDeviceID(device.Devices()[1]);
    EXPECT_EQ(device.PeripheralType(), 4);
    EXPECT_EQ(device.GetDevicePath(), "old writer");
    EXPECT_EQ(device.GetDriveLetter(), static_cast<char>('A' + DriveNumber(1)));
    device.SetDeviceID(device.Devices()[0]);
    EXPECT_EQ(device.DeviceDescription(), "KELDARA  VIRTUAL RECORDER 1.00");
    EXPECT_EQ(device.GetDevicePath(), "virtual recorder 0");
    EXPECT_EQ(device.GetDriveLetter(), static_cast<char>('A' + DriveNumber(0)));
    EXPECT_TRUE(device.SetDeviceByDriveLetter(static_cast<char>('A' + DriveNumber(1))));
    EXPECT_EQ(device.DeviceID(), device.Devices()[1]);
}

TEST_P(ScsiDevice, DeviceStringsWithTwoDigitFieldsSelectTheirDrive)
{
    // Eleven host adapters, and a drive at target 12, LUN 13 of the first.
    for (int host = 0; host <= 10; ++host)
        fake_.AddDrive("sr" + std::to_string(host), std::to_string(host) + ":0:0:0");
    fake_.AddDrive("sr11", "0:0:12:13");
    TSCSIDevice& device = Open();
    device.SetDeviceID("10:0:0,/dev/sr10: FAKE");
    ASSERT_TRUE(device.DeviceSelected());
    EXPECT_EQ(device.Address(), (ScsiAddress{10, 0, 0}));
    EXPECT_EQ(device.GetDevicePath(), "/dev/sr10");
    EXPECT_EQ(device.DeviceID(), "10:0:0,/dev/sr10: FAKE");
    device.SetDeviceID("0:12:13,/dev/sr11: FAKE");
    ASSERT_TRUE(device.DeviceSelected());
    EXPECT_EQ(device.GetDevicePath(), "/dev/sr11");

    // Nothing there, a field that is no number, one beyond 255, a string too short.
    for (const char* bad : {"9:5:0,/dev/sr9: X", "a:0:0,x", "0:256:0,x", "0:0", "1::0,/dev/sr1"}) {
        debug_.clear();
        device.SetDeviceID(bad);
        EXPECT_FALSE(device.DeviceSelected()) << bad;
        EXPECT_EQ(device.PeripheralType(), 127);
        EXPECT_EQ(debug_, (std::vector<std::string>{"0 " + std::string(ERR_INVALIDDEVICE)})) << bad;
    }
    debug_.clear();
    device.SetDeviceID("");
    EXPECT_TRUE(debug_.empty());
}

TEST_P(ScsiDevice, ModelFlagsComeFromTheProductString)
{
    const struct {
        const char* vendor;
        const char* product;
        bool a, b, late, d;
    } models[] = {
        {"KELDARA", "CD-W512EB", true, false, false, false},
        {"KELDARA", "CRX175E", false, true, false, false},
        {"KELDARA", "CD-RW  CRX800E", false, true, false, false},
        {"MATSHITA", "UJDA750", false, false, true, false},
        {"TDK", "CDRW4800B", false, false, true, false},
        {"PIONEER", "DVD-RW  DVR-104", false, false, false, true},
        {"PIONEER", "DVD-RW  DVR-105", false, false, false, false},
    };
    for (const auto& m : models) {
        RecorderConfig config;
        config.vendor = m.vendor;
        config.product = m.product;
        AddRecorder(config);
    }
    TSCSIDevice& device = Open();
    ASSERT_EQ(device.Devices().Count(), static_cast<int>(std::size(models)));
    for (int i = 0; i < device.Devices().Count(); ++i) {
        device.SetDeviceID(device.Devices()[i]);
        EXPECT_EQ(device.FlagA(), models[i].a) << models[i].product;
        EXPECT_EQ(device.FlagB(), models[i].b) << models[i].product;
        EXPECT_EQ(device.LateReady(), models[i].late) << models[i].product;
        EXPECT_EQ(device.FlagD(), models[i].d) << models[i].product;
    }
    // Flag A counts as underrun protection even where the page does not say so.
    device.SetDeviceID(device.Devices()[0]);
    EXPECT_TRUE(device.Capabilities().Contains(dcUnderrunProtection));
}

TEST_P(ScsiDevice, CapabilitiesAndSpeedsWithThePageAfterTheHeaderOrAfterABlockDescriptor)
{
    RecorderConfig cd;
    AddRecorder(cd);
    RecorderConfig dvd;
    dvd.dvdRecorder = true;
    dvd.blockDescriptor = true;
    dvd.maxWriteSpeed = 11080;
    AddRecorder(dvd, Medium::Blank(MediumKind::DvdR));
    RecorderConfig slow;
    slow.maxWriteSpeed = 0;
    AddRecorder(slow);
    TSCSIDevice& device = Open();
    ASSERT_EQ(device.Devices().Count(), 3);

    device.SetDeviceID(device.Devices()[0]);
    const TScsiDeviceCapabilities cdCaps{dcReadCDR,  dcReadCDRW,  dcReadMethod2,       dcWriteCDR,
                                         dcWriteCDRW, dcWriteTest, dcUnderrunProtection};
    EXPECT_EQ(device.Capabilities(), cdCaps);
    EXPECT_EQ(device.MaxWriteSpeed(), 7056);
    EXPECT_EQ(device.MaxReadSpeed(), 8467);
    EXPECT_EQ(device.CurrentWriteSpeed(), 7056);
    EXPECT_EQ(device.DeviceMaxWriteSpeed(), 7056);
    EXPECT_EQ(device.DeviceMaxReadSpeed(), 8467);
    EXPECT_EQ(device.CapabilityPage().BufferSizeKB, 2048);
    EXPECT_EQ(device.CapabilityPage().Bytes.at(0), 0x2A);

    device.SetDeviceID(device.Devices()[1]);
    const TScsiDeviceCapabilities caps = device.Capabilities();
    for (TScsiDeviceCapability c : {dcReadDVD, dcReadDVDR, dcReadDVDRW, dcReadDVDRAM, dcReadDVDPLUSR, dcReadDVDPLUSRW,
                                    dcWriteDVDR, dcWriteDVDRW, dcWriteDVDRAM, dcWriteDVDPLUSR, dcWriteDVDPLUSRW})
        EXPECT_TRUE(caps.Contains(c)) << c;
    EXPECT_FALSE(caps.Contains(dcWriteISRC));
    EXPECT_EQ(device.MaxWriteSpeed(), 11080);
    EXPECT_EQ(device.CapabilityPage().Bytes.at(0), 0x2A);

    // A drive that reports a maximum write speed of 0 is taken to write at 1385 kB/s.
    device.SetDeviceID(device.Devices()[2]);
    EXPECT_EQ(device.MaxWriteSpeed(), 1385);
    EXPECT_EQ(device.DeviceMaxWriteSpeed(), 1385);

    device.SetDeviceID(device.Devices()[0]);
    device.SetWriteSpeed(2822);
    EXPECT_EQ(device.WriteSpeed(), 2822);
    EXPECT_EQ(Drive(0).CurrentWriteSpeed(), 2822);
    // Speeds go to the drive as given: 0 is 0, and the drive takes its slowest; 0xFFFF its fastest.
    device.SetWriteSpeed(0);
    EXPECT_EQ(Cdbs(0xBB, 0).back(), (std::vector<std::uint8_t>{0xBB, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Drive(0).CurrentWriteSpeed(), 176);
    device.SetReadSpeed(1411);
    device.SetWriteSpeed(0xFFFF);
    EXPECT_EQ(Cdbs(0xBB, 0).back(), (std::vector<std::uint8_t>{0xBB, 0, 0x05, 0x83, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Drive(0).CurrentWriteSpeed(), 7056);
}

TEST_P(ScsiDevice, WrappersSendTheirCommandBlocksAndTimeOuts)
{
    AddRecorder();
    TSCSIDevice& device = OpenFirst();
    Drive().ClearCommands();
    EXPECT_TRUE(device.TestUnitReady(5000));
    EXPECT_TRUE(device.TestUnitReady(60000));
    const auto tur = Drive().CommandsWithOpcode(0x00);
    ASSERT_EQ(tur.size(), 2u);
    EXPECT_EQ(tur[0].timeoutMs, 10000u);   // the floor
    EXPECT_EQ(tur[1].timeoutMs, 60000u);

    EXPECT_TRUE(device.LockMedium(false));
    EXPECT_TRUE(Drive().Locked());
    EXPECT_TRUE(device.LockMedium(true));   // true unlocks
    EXPECT_FALSE(Drive().Locked());
    EXPECT_EQ(Cdbs(0x1E), (std::vector<std::vector<std::uint8_t>>{{0x1E, 0, 0, 0, 1, 0}, {0x1E, 0, 0, 0, 0, 0}}));
    EXPECT_TRUE(device.LoadMedium(true));   // true ejects
    EXPECT_TRUE(Drive().TrayOpen());
    EXPECT_TRUE(device.LoadMedium(false));
    EXPECT_FALSE(Drive().TrayOpen());
    EXPECT_EQ(Cdbs(0x1B), (std::vector<std::vector<std::uint8_t>>{{0x1B, 0, 0, 0, 2, 0}, {0x1B, 0, 0, 0, 3, 0}}));
    EXPECT_EQ(Drive().CommandsWithOpcode(0x1B)[0].timeoutMs, 20000u);

    std::uint32_t total = 0, free = 0;
    EXPECT_TRUE(device.ReadBufferCapacity(total, free));
    EXPECT_EQ(total, 2048u * 1024);
    EXPECT_EQ(free, 2048u * 1024);
    EXPECT_EQ(device.DeviceBufferSize(), total);

    // A refused tray command leaves the decoded reason; the next command clears it.
    EXPECT_TRUE(device.LockMedium(false));
    EXPECT_FALSE(device.LoadMedium(true));
    EXPECT_EQ(device.LastError(), "ILLEGAL REQUEST (MEDIUM REMOVAL PREVENTED)");
    EXPECT_TRUE(device.LockMedium(true));
    EXPECT_EQ(device.LastError(), "");
}

TEST_P(ScsiDevice, WritePageFollowsTheDiscKind)
{
    RecorderConfig config;
    config.dvdRecorder = true;
    AddRecorder(config, Medium::Blank(MediumKind::DvdR));
    TSCSIDevice& device = OpenFirst();
    auto page = [&] { return Drive().WriteParametersPage(); };

    ASSERT_TRUE(device.SetWriteParams(false, true, dkDVDR));
    EXPECT_EQ(page()[2], 0x60);
    EXPECT_EQ(page()[3], 0xE5);
    EXPECT_EQ(page()[4] & 0x0F, 8);
    EXPECT_EQ(page()[5], 16);
    const std::vector<std::uint8_t> dvdR = page();
    EXPECT_EQ((std::vector<std::uint8_t>(dvdR.begin() + 10, dvdR.begin() + 14)), (std::vector<std::uint8_t>{0, 0, 0, 16}));
    EXPECT_EQ((page()[14] << 8) | page()[15], 150);

    ASSERT_TRUE(device.SetWriteParams(false, false, dkDVDRWSequential));
    EXPECT_EQ(page()[2], 0x20);
    EXPECT_EQ(page()[3], 0xC5);
    EXPECT_EQ(page()[5], 16);
    ASSERT_TRUE(device.SetWriteParams(false, false, dkDVDPLUSR));
    EXPECT_EQ(page()[3], 0xC4);
    ASSERT_TRUE(device.SetWriteParams(false, false, dkDVDPLUSRW));
    EXPECT_EQ(page()[3], 0x04);
    EXPECT_EQ(page()[5], 16);

    // DVD-RAM: no page is written at all.
    const std::size_t selects = Drive().CommandsWithOpcode(0x55).size();
    ASSERT_TRUE(device.SetWriteParams(false, true, dkDVDRAM));
    EXPECT_EQ(Drive().CommandsWithOpcode(0x55).size(), selects);

    // CD: track at once, data track, mode 1; test write and underrun as the drive reports them.
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    ASSERT_TRUE(device.SetWriteParams(true, true, dkCDR));
    EXPECT_EQ(page()[2], 0x01 | 0x10 | 0x40);
    EXPECT_EQ(page()[3], 0x04);
    EXPECT_EQ(page()[4] & 0x0F, 8);
    EXPECT_EQ(page()[5], 0);
    ASSERT_TRUE(device.SetWriteParams(false, false, dkCDR));
    EXPECT_EQ(page()[2], 0x01);

    // What goes out is a valid MODE SELECT list: no mode data length, no PS bit.
    const testkit::RecordedCommand select = Drive().CommandsWithOpcode(0x55).back();
    ASSERT_GE(select.data.size(), 10u);
    EXPECT_EQ(select.data[0], 0);
    EXPECT_EQ(select.data[1], 0);
    EXPECT_EQ(select.data[8] & 0xC0, 0);
    EXPECT_EQ(select.cdb[1], 0x10);
}

TEST_P(ScsiDevice, WriteMethodsRoundTripThroughPageFive)
{
    AddRecorder();
    TSCSIDevice& device = OpenFirst();
    EXPECT_EQ(device.WriteMethods(), (TWriteMethods{wmDAO, wmSAO, wmTAO}));
    auto page = [&] { return Drive().WriteParametersPage(); };
    ASSERT_TRUE(device.CheckWriteMethod(wmSAO));
    EXPECT_EQ(page()[2] & 0x0F, 2);
    EXPECT_EQ(page()[3], 0);
    EXPECT_EQ(page()[4] & 0x0F, 0);
    EXPECT_EQ(page()[8], 0);
    EXPECT_EQ((page()[14] << 8) | page()[15], 150);
    ASSERT_TRUE(device.CheckWriteMethod(wmDAO));
    EXPECT_EQ(page()[2] & 0x0F, 3);
    EXPECT_EQ(page()[4] & 0x0F, 1);
    ASSERT_TRUE(device.CheckWriteMethod(wmTAO));
    EXPECT_EQ(page()[2] & 0x0F, 1);
}

TEST_P(ScsiDevice, WaitForReadyRidesOutALateDriveAndABusyWindowOnTheClock)
{
    RecorderConfig late;
    late.product = "UJDA775";
    late.syncBusyMs = 30000;
    testkit::VirtualRecorder& recorder = AddRecorder(late);
    TSCSIDevice& device = OpenFirst();
    ASSERT_TRUE(device.LateReady());

    RecorderFaults faults;
    faults.lateReadyCommands = 3;
    recorder.SetFaults(faults);
    recorder.InsertMedium(Medium::Blank(MediumKind::CdR));
    recorder.ClearCommands();
    const std::uint64_t before = clock_.TotalSlept();
    EXPECT_TRUE(device.WaitForReady(30000, 5000));
    EXPECT_GE(clock_.TotalSlept() - before, 4500u);   // 1.5 s steps while it becomes ready
    EXPECT_TRUE(device.TestUnitReady(5000));

    // A long write in progress (an immediate SYNCHRONIZE CACHE): polled every interval until over.
    recorder.SetFaults({});
    ASSERT_TRUE(device.FlushCache(120000, true));
    EXPECT_FALSE(device.TestUnitReady(5000));
    EXPECT_EQ(device.LastError(), "NOT READY (LOGICAL UNIT NOT READY, LONG WRITE IN PROGRESS)");
    const std::uint64_t slept = clock_.TotalSlept();
    EXPECT_TRUE(device.WaitForReady(240000, 5000));
    EXPECT_GE(clock_.TotalSlept() - slept, 30000u);
    EXPECT_LT(clock_.TotalSlept() - slept, 45000u);
    EXPECT_TRUE(device.TestUnitReady(5000));

    // Not over in time: false.
    ASSERT_TRUE(device.FlushCache(120000, true));
    EXPECT_FALSE(device.WaitForReady(10000, 5000));
    // No disc is no "not ready yet": nothing to wait for.
    clock_.Advance(60000);
    recorder.RemoveMedium();
    const std::uint64_t idle = clock_.TotalSlept();
    EXPECT_TRUE(device.WaitForReady(240000, 5000));
    EXPECT_LE(clock_.TotalSlept() - idle, 1500u);
}

TEST_P(ScsiDevice, ATimedOutCommandReadsAsCommandTimeout)
{
    testkit::VirtualRecorder& recorder = AddRecorder();
    TSCSIDevice& device = OpenFirst();
    RecorderFaults faults;
    faults.timeoutOpcode = 0x00;
    faults.timeoutOnNth = 1;
    recorder.SetFaults(faults);
    EXPECT_FALSE(device.TestUnitReady(5000));
    EXPECT_EQ(device.LastError(), "COMMAND TIMEOUT");
    EXPECT_TRUE(device.TestUnitReady(5000));
}

TEST_P(ScsiDevice, TheFirstFailingCommandIsLoggedUnlessRoutine)
{
    testkit::VirtualRecorder& recorder = AddRecorder();
    TSCSIDevice& device = OpenFirst();
    RecorderFaults faults;
    faults.refuseCueSheet = true;
    recorder.SetFaults(faults);
    debug_.clear();
    const std::uint8_t sheet[8] = {0x41, 0, 0, 0x24, 0, 0, 0, 0};
    EXPECT_FALSE(device.SendCueSheet(sheet, sizeof sheet));
    ASSERT_EQ(debug_.size(), 1u);
    EXPECT_NE(debug_[0].find("(5D) {50|0A}"), std::string::npos) << debug_[0];
    EXPECT_NE(debug_[0].find("SEND CUE SHEET        | 41 00 00 24 00 00 00 00"), std::string::npos) << debug_[0];
    EXPECT_NE(debug_[0].find("ILLEGAL REQUEST (INVALID FIELD IN PARAMETER LIST)"), std::string::npos);
    // A later failure is not logged.
    EXPECT_FALSE(device.SendCueSheet(sheet, sizeof sheet));
    EXPECT_EQ(debug_.size(), 1u);

    // Selecting a drive arms the check again; a routine first failure is not logged.
    device.SetDeviceID(device.Devices()[0]);
    recorder.OpenTray();
    debug_.clear();
    EXPECT_FALSE(device.TestUnitReady(5000));
    EXPECT_FALSE(device.SendCueSheet(sheet, sizeof sheet));
    EXPECT_TRUE(debug_.empty());
}

TEST_P(ScsiDevice, WithGenerateLogsEveryCommandIsOneDebugLine)
{
    testkit::VirtualRecorder& recorder = AddRecorder();
    TSCSIDevice& device = OpenFirst();
    recorder.OpenTray();
    debug_.clear();
    GenerateLogs = true;
    EXPECT_FALSE(device.TestUnitReady(5000));
    std::uint32_t total = 0, free = 0;
    EXPECT_TRUE(device.ReadBufferCapacity(total, free));
    GenerateLogs = false;
    ASSERT_EQ(debug_.size(), 2u);
    // The manual clock stands at 1000 ms: 00:01:000.
    EXPECT_EQ(debug_[0], "0 0:0:0 <04> [00000](00) {40|06} -  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                         "TEST UNIT READY       | 00:01:000 00 02 70 02 ASC:3A,ASQ:02 "
                         "NOT READY (MEDIUM NOT PRESENT - TRAY OPEN)");
    EXPECT_EQ(debug_[1].rfind("0 0:0:0 <01> [00020](5C) {48|0A} -  00 00 00 00 00 00 00 20 00 00 00 00 00 00 00 "
                              "READ BUFFER CAPACITY  |",
                              0),
              0u)
        << debug_[1];
    EXPECT_NE(debug_[1].find("| 00 0A 00 00 00 20 00 00 00 20 00 00"), std::string::npos) << debug_[1];
}

// A drive at LUN 3 finds its LUN in bits 5-7 of byte 1 of every command, beside the command's own bits.
TEST_P(ScsiDevice, TheLunGoesIntoByteOneOfEveryCommand)
{
    RecorderConfig config;
    config.imagePath = folder_.File("lun.img");
    auto recorder = std::make_shared<testkit::VirtualRecorder>(config);
    recorder->InsertMedium(Medium::Blank(MediumKind::CdR));
    fake_.AddDrive("sr0", "0:0:2:3");
    fake_.Node("/dev/sr0").sgio = testkit::AnsweredBy(recorder);
    TSCSIDevice& device = Open();
    ASSERT_EQ(device.Devices().Count(), 1);
    EXPECT_EQ(device.Devices()[0].substr(0, 6), "0:2:3,");
    device.SetDeviceID(device.Devices()[0]);
    ASSERT_EQ(device.Address(), (ScsiAddress{0, 2, 3}));

    recorder->ClearCommands();
    EXPECT_TRUE(device.TestUnitReady(5000));
    (void)device.Rewind();   // the recorder knows no REWIND: only the bytes count
    std::uint8_t toc[12] = {};
    (void)device.ReadTOC(0, toc, sizeof toc, 1, true, 0);   // a blank disc has none: only the bytes count
    EXPECT_TRUE(device.SetCDSpeed(0xFFFF, 1411));
    EXPECT_TRUE(device.FlushCache(10000, true));
    const auto commands = recorder->Commands();
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[0].cdb, (std::vector<std::uint8_t>{0x00, 0x60, 0, 0, 0, 0}));
    EXPECT_EQ(commands[1].cdb, (std::vector<std::uint8_t>{0x01, 0x61, 0, 0, 0, 0}));
    EXPECT_EQ(commands[2].cdb, (std::vector<std::uint8_t>{0x43, 0x62, 0, 0, 0, 0, 1, 0, 12, 0}));
    EXPECT_EQ(commands[3].cdb, (std::vector<std::uint8_t>{0xBB, 0x60, 0xFF, 0xFF, 0x05, 0x83, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(commands[4].cdb, (std::vector<std::uint8_t>{0x35, 0x62, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Selecting the drive sent more commands still, every one with its LUN.
    device.SetDeviceID(device.Devices()[0]);
    for (const testkit::RecordedCommand& command : recorder->Commands())
        EXPECT_EQ(command.cdb[1] >> 5, 3) << CommandName(command.cdb[0]);
}

// RESERVE TRACK is a 12-byte command with the size in bytes 5-8. The drive
// takes it for the open track of a track-at-once disc, once, and within the disc.
TEST_P(ScsiDevice, ReserveTrackSetsTheOpenTracksSizeWhereTheDriveAllowsIt)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    TSCSIDevice& device = OpenFirst();
    ASSERT_TRUE(device.CheckWriteMethod(wmTAO));
    drive.ClearCommands();
    EXPECT_TRUE(device.ReserveTrack(1000));
    const auto reserve = drive.CommandsWithOpcode(0x53);
    ASSERT_EQ(reserve.size(), 1u);
    EXPECT_EQ(reserve[0].cdb, (std::vector<std::uint8_t>{0x53, 0, 0, 0, 0, 0, 0, 0x03, 0xE8, 0, 0, 0}));
    EXPECT_EQ(reserve[0].timeoutMs, 10000u);
    ASSERT_TRUE(device.ReadTrackInformation(1));
    EXPECT_EQ(device.TrackInfo().TrackSize, 1000u);
    EXPECT_EQ(device.TrackInfo().FreeBlocks, 1000u);
    EXPECT_EQ(device.TrackInfo().NextWritable, 0u);

    EXPECT_FALSE(device.ReserveTrack(10));   // the track is reserved already
    EXPECT_EQ(device.LastError(), "ILLEGAL REQUEST (COMMAND SEQUENCE ERROR)");
    drive.InsertMedium(Medium::Blank(MediumKind::CdR));
    EXPECT_FALSE(device.ReserveTrack(testkit::kCdCapacity + 1));
    EXPECT_EQ(device.LastError(), "ILLEGAL REQUEST (LOGICAL BLOCK ADDRESS OUT OF RANGE)");
    ASSERT_TRUE(device.CheckWriteMethod(wmSAO));   // a session at once has no open track to reserve
    EXPECT_FALSE(device.ReserveTrack(10));
    ASSERT_TRUE(device.CheckWriteMethod(wmTAO));
    drive.InsertMedium(Medium::Complete(MediumKind::CdR));
    EXPECT_FALSE(device.ReserveTrack(10));
    EXPECT_EQ(device.LastError(), "ILLEGAL REQUEST (COMMAND SEQUENCE ERROR)");
}

TEST_P(ScsiDevice, NoLayerOrNoDriveSendsNothing)
{
    AddRecorder();
    TSCSIDevice device(nullptr);
    EXPECT_FALSE(device.ASPIInitialized());
    EXPECT_EQ(device.Devices().Count(), 0);
    TSRB_ExecSCSICmd srb;
    srb.SRB_CDBLen = 6;
    EXPECT_EQ(device.ExecScsiCommand(srb, 5000), SS_NO_LAYER);
    EXPECT_EQ(srb.SRB_Status, SS_NO_LAYER);
    EXPECT_EQ(device.LastError(), "");

    // A layer, but no drive selected.
    TSCSIDevice& bound = Open();
    EXPECT_FALSE(bound.TestUnitReady(5000));
    EXPECT_EQ(bound.LastError(), "");
    EXPECT_TRUE(Drive().CommandsWithOpcode(0x00).empty());
}

TEST(ScsiDeviceBuffer, AnUnknownFreeSpaceReadsAsTheWholeBuffer)
{
    testkit::FakeScsiSystem fake;
    fake.AddDrive("sr0", "0:0:0:0");
    fake.Node("/dev/sr0").sgio = [](sg_io_hdr_t& io) {
        auto* cdb = io.cmdp;
        auto* data = static_cast<std::uint8_t*>(io.dxferp);
        if (cdb[0] == 0x12) {
            const auto reply = testkit::InquiryReply("KELDARA", "FAKE", "1.0");
            std::copy_n(reply.begin(), std::min<std::size_t>(reply.size(), io.dxfer_len), data);
        } else if (cdb[0] == 0x5C) {
            const std::uint8_t reply[12] = {0, 10, 0, 0, 0, 0x40, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
            std::copy_n(reply, std::min<std::size_t>(sizeof reply, io.dxfer_len), data);
        }
        return 0;
    };
    {
        TSCSIDevice device(nullptr);
        ASSERT_TRUE(device.InitializeASPI(true, ""));
        ASSERT_EQ(device.Devices().Count(), 1);
        device.SetDeviceID(device.Devices()[0]);
        std::uint32_t total = 0, free = 0;
        ASSERT_TRUE(device.ReadBufferCapacity(total, free));
        EXPECT_EQ(total, 0x400000u);
        EXPECT_EQ(free, 0xFFFFFFFFu);
        EXPECT_EQ(device.DeviceFreeBufferSize(), 0x400000u);
    }
    _DeInitializeASPI();
    SPTIDeInit();
    ASPIDLLLoaded = false;
}

// Through the ASPI library: a request still queued when its time runs out is
// taken back with an abort request and never reaches the drive.
class ScsiDeviceLibrary : public DeviceTest {};
INSTANTIATE_TEST_SUITE_P(Library, ScsiDeviceLibrary, ::testing::Values(false), LayerName);

TEST_P(ScsiDeviceLibrary, ARequestThatTimesOutIsTakenBack)
{
    testkit::VirtualRecorder& recorder = AddRecorder();
    TSCSIDevice& device = OpenFirst();
    RecorderFaults faults;
    faults.stallOpcode = 0x25;
    recorder.SetFaults(faults);
    recorder.ClearCommands();

    // One command hangs in the drive, the next waits behind it.
    std::thread hanging([&] {
        std::uint32_t lba = 0, length = 0;
        (void)device.ReadCapacity(lba, length);   // it is taken back: its answer does not matter
    });
    if (!testkit::WaitUntil([&] { return recorder.Stalled(); })) {
        recorder.ReleaseStall();
        hanging.join();
        FAIL() << "the first command never reached the drive";
    }
    std::atomic<bool> returned{false};
    bool ready = true;
    std::string text;
    std::thread waiting([&] {
        ready = device.TestUnitReady(5000);
        text = device.LastError();
        returned = true;
    });
    // The waiting command gives up while the first still hangs.
    const bool gaveUp = testkit::WaitUntil([&] { return returned.load(); }, 60, [this] {
        clock_.Advance(1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    recorder.ReleaseStall();
    waiting.join();
    hanging.join();
    ASSERT_TRUE(gaveUp);
    EXPECT_FALSE(ready);
    EXPECT_EQ(text, "COMMAND TIMEOUT");
    EXPECT_TRUE(recorder.CommandsWithOpcode(0x00).empty());   // taken back before it was sent
    EXPECT_TRUE(device.TestUnitReady(5000));
}

} // namespace
} // namespace discrec_test
