#include "win32/aspi.h"
#include "win32/scsi.h"
#include "rtl/syncobjs.h"
#include "rtl/sysutils.h"

#include "testkit/fakescsi.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <scsi/scsi.h>
#include <scsi/sg.h>

namespace {

class Win32Scsi : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (int number : virtuals_)
            UnregisterVirtualScsiDrive(number);
    }
    void AddBlock(const std::string& name, const std::string& hctl) { fake_.AddBlock(name, hctl); }
    testkit::FakeScsiSystem& System() { return fake_; }

    testkit::FakeScsiSystem fake_;
    std::vector<int> virtuals_;
};

class AnsweringTarget : public ScsiTarget {
public:
    ScsiResult Execute(const ScsiCommand& command) override
    {
        ++calls;
        lastTimeout = command.timeoutMs;
        return answer;
    }
    ScsiResult answer;
    int calls = 0;
    std::uint32_t lastTimeout = 0;
};

std::string AddressText(const ScsiDriveInfo& drive)
{
    if (!drive.address)
        return drive.path + " -";
    return drive.path + " " + std::to_string(drive.address->hostAdapter) + ":" +
           std::to_string(drive.address->target) + ":" + std::to_string(drive.address->lun);
}

TEST_F(Win32Scsi, DrivesAreNumberedFromSysfsWithHostAdaptersMadeDense)
{
    AddBlock("sr0", "7:0:3:0");
    AddBlock("sr1", "2:0:1:0");
    AddBlock("sr2", "");          // no device link: the drive is asked for its address
    AddBlock("sr3", "");          // and this one cannot tell
    AddBlock("sr10", "7:1:0:2");  // a second channel counts as another adapter
    AddBlock("sda", "0:0:0:0");
    AddBlock("sr1p1", "");
    AddBlock("loop0", "");
    System().Node("/dev/sr2").idlun = (7 << 24) | (0 << 16) | (0 << 8) | 5;
    System().Node("/dev/sr3");

    std::vector<std::string> seen;
    for (const ScsiDriveInfo& drive : EnumerateScsiDrives())
        if (!drive.isVirtual)
            seen.push_back(AddressText(drive));
    EXPECT_EQ(seen, (std::vector<std::string>{"/dev/sr0 1:3:0", "/dev/sr1 0:1:0", "/dev/sr2 1:5:0",
                                              "/dev/sr3 -", "/dev/sr10 2:0:2"}));
    // Asking a drive for its address opens it read-only, non-blocking, and closes it again.
    EXPECT_EQ(System().Opens(), (std::vector<std::string>{"/dev/sr2 ro", "/dev/sr3 ro"}));
    EXPECT_TRUE(System().OpenDescriptors() == 0);
}

TEST_F(Win32Scsi, VirtualDrivesSitOnAnAdapterOfTheirOwnAfterTheRealOnes)
{
    AddBlock("sr0", "4:0:0:0");
    auto target = std::make_shared<AnsweringTarget>();
    int first = RegisterVirtualScsiDrive(target, "recorder one");
    int second = RegisterVirtualScsiDrive(target, "recorder two");
    virtuals_ = {first, second};
    EXPECT_EQ(first, 32);
    EXPECT_EQ(second, 33);

    std::vector<std::string> seen;
    for (const ScsiDriveInfo& drive : EnumerateScsiDrives())
        seen.push_back(AddressText(drive) + (drive.isVirtual ? " virtual" : ""));
    EXPECT_EQ(seen, (std::vector<std::string>{"/dev/sr0 0:0:0", "recorder one 1:0:0 virtual",
                                              "recorder two 1:1:0 virtual"}));

    // A freed number is taken again by the next drive.
    EXPECT_TRUE(UnregisterVirtualScsiDrive(first));
    EXPECT_FALSE(UnregisterVirtualScsiDrive(first));
    int third = RegisterVirtualScsiDrive(target, "recorder three");
    virtuals_ = {second, third};
    EXPECT_EQ(third, 32);
    ASSERT_TRUE(FindScsiDrive(33).has_value());
    EXPECT_EQ(FindScsiDrive(33)->address, (ScsiAddress{1, 1, 0}));
    EXPECT_FALSE(FindScsiDrive(34).has_value());
}

TEST_F(Win32Scsi, VirtualDrivesRunOutAfterThirtyAndHandlesKeepTheirTargetAlive)
{
    auto target = std::make_shared<AnsweringTarget>();
    for (int i = 0; i < 30; ++i)
        virtuals_.push_back(RegisterVirtualScsiDrive(target, Format("v%d", i)));
    EXPECT_EQ(virtuals_.back(), 61);
    EXPECT_EQ(RegisterVirtualScsiDrive(target, "one too many"), -1);
    EXPECT_EQ(RegisterVirtualScsiDrive(nullptr, "none"), -1);

    auto handle = OpenScsiDrive(40);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->Path(), "v8");
    UnregisterVirtualScsiDrive(40);
    target.reset();
    const std::uint8_t cdb[6] = {0x00};
    ScsiCommand command;
    command.cdb = cdb;
    command.timeoutMs = 4800000;
    EXPECT_EQ(handle->Execute(command).error, 0);
}

TEST_F(Win32Scsi, OpeningFallsBackToReadOnlyAndNamesAMissingPermission)
{
    System().Node("/dev/sr0").readWriteErrno = EACCES;
    System().Node("/dev/sr1").readWriteErrno = EACCES;
    System().Node("/dev/sr1").readOnlyErrno = EACCES;
    System().Node("/dev/sr2").readWriteErrno = EPERM;
    System().Node("/dev/sr2").readOnlyErrno = EPERM;

    ScsiOpenError error;
    auto sr0 = OpenScsiDrive(0, ScsiOpenMode::Shared, &error);
    ASSERT_NE(sr0, nullptr);
    EXPECT_EQ(error.code, 0);
    EXPECT_EQ(sr0->Path(), "/dev/sr0");
    EXPECT_EQ(OpenScsiDrive(1, ScsiOpenMode::Shared, &error), nullptr);
    EXPECT_EQ(error.code, EACCES);
    EXPECT_EQ(error.text, "no permission on /dev/sr1");
    EXPECT_EQ(OpenScsiDrive(2, ScsiOpenMode::Shared, &error), nullptr);
    EXPECT_EQ(error.text, "no permission on /dev/sr2");
    EXPECT_EQ(OpenScsiDrive(9, ScsiOpenMode::Shared, &error), nullptr);
    EXPECT_EQ(error.text, "no drive /dev/sr9");
    EXPECT_EQ(System().Opens(), (std::vector<std::string>{"/dev/sr0 rw", "/dev/sr0 ro", "/dev/sr1 rw", "/dev/sr1 ro",
                                                        "/dev/sr2 rw", "/dev/sr2 ro", "/dev/sr9 rw", "/dev/sr9 ro"}));
    sr0.reset();
    EXPECT_TRUE(System().OpenDescriptors() == 0);
}

TEST_F(Win32Scsi, ExclusiveOpeningFailsClearlyWhileTheDiscIsMounted)
{
    System().Node("/dev/sr0").exclusiveErrno = EBUSY;
    System().Node("/dev/sr1");
    ScsiOpenError error;
    EXPECT_EQ(OpenScsiDrive(0, ScsiOpenMode::Exclusive, &error), nullptr);
    EXPECT_EQ(error.code, EBUSY);
    EXPECT_EQ(error.text, "/dev/sr0 is in use (a disc in it may be mounted)");
    EXPECT_NE(OpenScsiDrive(0, ScsiOpenMode::Shared, &error), nullptr);
    EXPECT_NE(OpenScsiDrive(1, ScsiOpenMode::Exclusive, &error), nullptr);
    EXPECT_EQ(System().Opens(), (std::vector<std::string>{"/dev/sr0 rw excl", "/dev/sr0 ro excl", "/dev/sr0 rw",
                                                        "/dev/sr1 rw excl"}));

    // A virtual drive takes one exclusive claim at a time.
    int number = RegisterVirtualScsiDrive(std::make_shared<AnsweringTarget>(), "claimed");
    virtuals_ = {number};
    auto claim = OpenScsiDrive(number, ScsiOpenMode::Exclusive, &error);
    ASSERT_NE(claim, nullptr);
    EXPECT_EQ(OpenScsiDrive(number, ScsiOpenMode::Exclusive, &error), nullptr);
    EXPECT_EQ(error.text, "claimed is in use (a disc in it may be mounted)");
    EXPECT_NE(OpenScsiDrive(number, ScsiOpenMode::Shared), nullptr);
    claim.reset();
    EXPECT_NE(OpenScsiDrive(number, ScsiOpenMode::Exclusive), nullptr);
}

TEST_F(Win32Scsi, AnExecuteRequestBecomesOneSgIoCall)
{
    System().Node("/dev/sr0").sgio = [](sg_io_hdr_t& io) {
        if (io.dxferp)
            std::memset(io.dxferp, 0xAB, io.dxfer_len);
        io.resid = 4;   // a short reply is no error
        return 0;
    };
    auto drive = OpenScsiDrive(0);
    ASSERT_NE(drive, nullptr);

    std::uint8_t reply[36] = {};
    TSRB_ExecSCSICmd srb;
    srb.SRB_Flags = SRB_DIR_IN | SRB_EVENT_NOTIFY;
    srb.SRB_BufLen = sizeof reply;
    srb.SetBufPointer(reply);
    srb.SRB_CDBLen = 6;
    srb.SRB_SenseLen = 24;
    srb.CDBByte[0] = 0x12;
    srb.CDBByte[4] = 36;
    EXPECT_EQ(ExecuteScsiSrb(drive.get(), srb), SS_COMP);
    EXPECT_EQ(srb.SRB_Status, SS_COMP);
    EXPECT_EQ(reply[35], 0xAB);
    const sg_io_hdr_t io = System().LastRequest();
    EXPECT_EQ(io.interface_id, 'S');
    EXPECT_EQ(io.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(io.dxfer_len, 36u);
    EXPECT_EQ(io.mx_sb_len, 64);
    EXPECT_EQ(io.timeout, 120000u);   // no time-out given: the default
    EXPECT_EQ(System().LastCdb(), (std::vector<unsigned char>{0x12, 0, 0, 0, 36, 0}));

    // Out, with the sender's own time-out; no direction flag sends no data at all.
    srb.SRB_Flags = SRB_DIR_OUT;
    srb.SRB_Timeout = 4800000;
    srb.SRB_CDBLen = 10;
    srb.CDBByte[0] = 0x2A;
    ExecuteScsiSrb(drive.get(), srb);
    EXPECT_EQ(System().LastRequest().dxfer_direction, SG_DXFER_TO_DEV);
    EXPECT_EQ(System().LastRequest().timeout, 4800000u);
    EXPECT_EQ(System().LastRequest().cmd_len, 10);
    srb.SRB_Flags = 0;
    ExecuteScsiSrb(drive.get(), srb);
    EXPECT_EQ(System().LastRequest().dxfer_direction, SG_DXFER_NONE);
    EXPECT_EQ(System().LastRequest().dxfer_len, 0u);
}

struct OutcomeRow {
    const char* name;
    int ioctlResult;
    unsigned char status;
    unsigned short host;
    unsigned short driver;
    std::uint8_t srbStatus, haStat, targStat;
    int sysError;
};

TEST_F(Win32Scsi, EveryPassThroughOutcomeReadsAsItsSrbStatus)
{
    const OutcomeRow rows[] = {
        {"all well", 0, 0, 0, 0, SS_COMP, 0, 0, 0},
        {"check condition", 0, 0x02, 0, DRIVER_SENSE, SS_ERR, 0, 2, 0},
        {"busy", 0, 0x08, 0, 0, SS_ERR, 0, 8, 0},
        {"reservation conflict", 0, 0x18, 0, 0, SS_ERR, 0, 24, 0},
        {"task set full", 0, 0x28, 0, 0, SS_ERR, 0, 40, 0},
        {"host time-out", 0, 0, DID_TIME_OUT, 0, SS_ERR, 9, 0, 0},
        {"driver time-out", 0, 0, 0, DRIVER_TIMEOUT, SS_ERR, 9, 0, 0},
        {"no connect", 0, 0, DID_NO_CONNECT, 0, SS_ERR, 17, 0, 0},
        {"bad target", 0, 0, DID_BAD_TARGET, 0, SS_ERR, 17, 0, 0},
        {"bus reset", 0, 0, DID_RESET, 0, SS_ERR, 14, 0, 0},
        {"parity", 0, 0, DID_PARITY, 0, SS_ERR, 15, 0, 0},
        {"bus busy", 0, 0, DID_BUS_BUSY, 0, SS_ERR, 0, 8, 0},
        {"host error", 0, 0, DID_ERROR, 0, SS_ERR, 20, 0, 0},
        {"ioctl refused", -EPERM, 0, 0, 0, SS_ERR, 0, 0, EPERM},
        {"ioctl failed", -EIO, 0, 0, 0, SS_ERR, 0, 0, EIO},
    };
    for (const OutcomeRow& row : rows) {
        System().Node("/dev/sr0").sgio = [&row](sg_io_hdr_t& io) {
            io.status = row.status;
            io.masked_status = row.status >> 1;
            io.host_status = row.host;
            io.driver_status = row.driver;
            if (row.status == 0x02) {
                const unsigned char sense[18] = {0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x3A, 0x02};
                std::memcpy(io.sbp, sense, sizeof sense);
                io.sb_len_wr = sizeof sense;
            }
            return row.ioctlResult;
        };
        auto drive = OpenScsiDrive(0);
        ASSERT_NE(drive, nullptr);
        TSRB_ExecSCSICmd srb;
        srb.SRB_CDBLen = 6;
        srb.SRB_SenseLen = 24;
        std::memset(srb.SenseArea, 0xEE, sizeof srb.SenseArea);
        ExecuteScsiSrb(drive.get(), srb);
        EXPECT_EQ(srb.SRB_Status, row.srbStatus) << row.name;
        EXPECT_EQ(srb.SRB_HaStat, row.haStat) << row.name;
        EXPECT_EQ(srb.SRB_TargStat, row.targStat) << row.name;
        EXPECT_EQ(srb.SRB_SysError, row.sysError) << row.name;
        if (row.status == 0x02) {
            // The sense bytes land in the sense area, as many as the sender asked for.
            EXPECT_EQ(srb.SenseArea[12], 0x3A);
            EXPECT_EQ(srb.SenseArea[13], 0x02);
            EXPECT_EQ(srb.SenseArea[20], 0);
            EXPECT_EQ(srb.SenseArea[24], 0xEE);
        }
    }
}

TEST_F(Win32Scsi, ARequestWithoutADriveFailsWithTheOpenError)
{
    TSRB_ExecSCSICmd srb;
    srb.SRB_CDBLen = 6;
    EXPECT_EQ(ExecuteScsiSrb(nullptr, srb, EACCES), SS_ERR);
    EXPECT_EQ(srb.SRB_SysError, EACCES);
    EXPECT_EQ(ScsiSystemErrorText(srb.SRB_SysError, "/dev/sr3"), "no permission on /dev/sr3");
    EXPECT_EQ(ScsiSystemErrorText(ENOMEDIUM, "/dev/sr3"), "no disc in /dev/sr3");

    // A request with no command bytes never reaches the drive.
    auto target = std::make_shared<AnsweringTarget>();
    virtuals_ = {RegisterVirtualScsiDrive(target, "v")};
    auto drive = OpenScsiDrive(virtuals_[0]);
    srb.SRB_CDBLen = 0;
    EXPECT_EQ(ExecuteScsiSrb(drive.get(), srb), SS_ERR);
    EXPECT_EQ(srb.SRB_SysError, EINVAL);
    EXPECT_EQ(target->calls, 0);
    srb.SRB_CDBLen = 6;
    srb.SRB_Timeout = 180000;
    EXPECT_EQ(ExecuteScsiSrb(drive.get(), srb), SS_COMP);
    EXPECT_EQ(target->lastTimeout, 180000u);
}

// The blocks are a binary interface between the program and the ASPI library:
// each field at its ASPI byte offset, little-endian, and a pointer as two
// halves whose low one sits where the ASPI layout keeps the pointer.
TEST(AspiRequestBlocks, FieldsSitAtTheirAspiOffsets)
{
    auto bytes = [](const auto& block) {
        std::vector<std::uint8_t> raw(sizeof block);
        std::memcpy(raw.data(), &block, sizeof block);
        return raw;
    };
    auto le32 = [](const std::vector<std::uint8_t>& b, std::size_t at) {
        return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
               std::uint32_t{b[at + 3]} << 24;
    };
    std::uint8_t buffer[8];
    TEvent event;
    TSRB_ExecSCSICmd exec;
    exec.SRB_Cmd = SC_EXEC_SCSI_CMD;
    exec.SRB_Status = 0x11;
    exec.SRB_HaId = 0x22;
    exec.SRB_Flags = 0x48;
    exec.SRB_Target = 0x33;
    exec.SRB_Lun = 0x44;
    exec.SRB_BufLen = 0x01020304;
    exec.SetBufPointer(buffer);
    exec.SRB_SenseLen = 24;
    exec.SRB_CDBLen = 12;
    exec.SRB_HaStat = 0x55;
    exec.SRB_TargStat = 0x66;
    exec.SetPostProc(&event);
    exec.SRB_Timeout = 0x0A0B0C0D;
    exec.SRB_Residual = 0x77;
    exec.CDBByte[0] = 0xBE;
    exec.CDBByte[15] = 0xEF;
    exec.SenseArea[0] = 0x70;
    exec.SRB_SysError = 13;
    const std::vector<std::uint8_t> b = bytes(exec);
    EXPECT_EQ((std::vector<std::uint8_t>(b.begin(), b.begin() + 4)), (std::vector<std::uint8_t>{2, 0x11, 0x22, 0x48}));
    EXPECT_EQ(b[8], 0x33);
    EXPECT_EQ(b[9], 0x44);
    EXPECT_EQ(le32(b, 12), 0x01020304u);
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(buffer));
    EXPECT_EQ(le32(b, 16), static_cast<std::uint32_t>(address));
    EXPECT_EQ(le32(b, 32), static_cast<std::uint32_t>(address >> 32));
    EXPECT_EQ(b[20], 24);
    EXPECT_EQ(b[21], 12);
    EXPECT_EQ(b[22], 0x55);
    EXPECT_EQ(b[23], 0x66);
    const auto eventAddress = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&event));
    EXPECT_EQ(le32(b, 24), static_cast<std::uint32_t>(eventAddress));
    EXPECT_EQ(le32(b, 36), static_cast<std::uint32_t>(eventAddress >> 32));
    EXPECT_EQ(le32(b, 28), 0u);   // the reserved pointer stays clear
    EXPECT_EQ(le32(b, 40), 0x0A0B0C0Du);
    EXPECT_EQ(le32(b, 44), 0x77u);
    EXPECT_EQ(b[48], 0xBE);
    EXPECT_EQ(b[63], 0xEF);
    EXPECT_EQ(b[64], 0x70);
    EXPECT_EQ(le32(b, 64 + kSrbSenseSize), 13u);
    EXPECT_EQ(exec.BufPointer(), buffer);
    EXPECT_EQ(exec.PostProc(), &event);
    exec.SetBufPointer(nullptr);
    EXPECT_EQ(exec.BufPointer(), nullptr);

    TSRB_HAInquiry inquiry;
    inquiry.HA_Count = 3;
    inquiry.HA_SCSI_ID = 7;
    std::memcpy(inquiry.HA_ManagerId, "MANAGER", 7);
    std::memcpy(inquiry.HA_Identifier, "SPTI 0", 6);
    inquiry.HA_Unique.Set(7, 1, 8, 0x00FF0000);
    const std::vector<std::uint8_t> h = bytes(inquiry);
    ASSERT_EQ(h.size(), 60u);
    EXPECT_EQ(h[8], 3);
    EXPECT_EQ(h[9], 7);
    EXPECT_EQ(std::string(h.begin() + 10, h.begin() + 17), "MANAGER");
    EXPECT_EQ(std::string(h.begin() + 26, h.begin() + 32), "SPTI 0");
    EXPECT_EQ((std::vector<std::uint8_t>(h.begin() + 42, h.begin() + 50)),
              (std::vector<std::uint8_t>{7, 0, 1, 8, 0x00, 0x00, 0xFF, 0x00}));
    EXPECT_EQ(inquiry.HA_Unique.MaxTransferLength(), 0x00FF0000u);

    TSRB_GetDiskInfo disk;
    disk.SRB_Target = 1, disk.SRB_Lun = 2, disk.SRB_DriveFlags = 3, disk.SRB_DriveNumber = 4;
    const std::vector<std::uint8_t> d = bytes(disk);
    EXPECT_EQ((std::vector<std::uint8_t>(d.begin() + 8, d.end())), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    TSRB_GDEVBlock type;
    type.SRB_DeviceType = 5;
    EXPECT_EQ(bytes(type)[10], 5);
    TSRB_BusDeviceReset reset;
    reset.SRB_HaStat = 9, reset.SRB_TargStat = 2;
    EXPECT_EQ(bytes(reset)[22], 9);
    EXPECT_EQ(bytes(reset)[23], 2);
    TSRB_Abort abort;
    abort.SRB_ToAbort = &exec;
    std::uintptr_t aborted = 0;
    std::memcpy(&aborted, bytes(abort).data() + 8, sizeof aborted);
    EXPECT_EQ(aborted, reinterpret_cast<std::uintptr_t>(&exec));
}

} // namespace
