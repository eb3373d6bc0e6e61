#include "discrec/dkspti.h"

#include "discrec/dksense.h"
#include "rtl/syncobjs.h"
#include "testkit/fakescsi.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

class DkSpti : public ::testing::Test {
protected:
    void TearDown() override
    {
        SPTIDeInit();
        CloseFH = true;
    }
    testkit::FakeScsiSystem fake_;
};

TSRB_ExecSCSICmd Command(std::uint8_t ha, std::uint8_t target, std::uint8_t opcode, std::uint8_t cdbLength = 6)
{
    TSRB_ExecSCSICmd srb;
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = ha;
    srb.SRB_Target = target;
    srb.SRB_CDBLen = cdbLength;
    srb.SRB_SenseLen = 24;
    srb.CDBByte[0] = opcode;
    return srb;
}

std::string Address(const TScsiDriveEntry& e)
{
    return e.DevicePath + " " + std::to_string(e.HostAdapter) + ":" + std::to_string(e.Target) + ":" +
           std::to_string(e.Lun) + (e.Present ? "" : " absent");
}

TEST_F(DkSpti, DrivesWithoutAnAddressShareAnExtraHostAdapterInDriveOrder)
{
    fake_.AddDrive("sr0", "1:0:0:0");
    fake_.AddDrive("sr1", "");
    fake_.AddDrive("sr2", "3:0:2:0");
    fake_.AddDrive("sr3", "");
    fake_.AddDrive("sr4", "");
    fake_.AddBlock("sr5", "1:0:1:0");           // no device node: cannot be opened
    fake_.AddDrive("sr6", "1:0:3:0");
    fake_.Node("/dev/sr6").sgio = [](sg_io_hdr_t& io) {   // does not answer INQUIRY
        io.status = SAM_STAT_CHECK_CONDITION;
        return 0;
    };

    EXPECT_EQ(SPTIInit(), 5);
    EXPECT_TRUE(SPTIAvailable);
    EXPECT_EQ(SPTIInit(), 0);   // once only
    const TScsiDrives table = SPTIDriveTable();
    EXPECT_EQ(table.HostAdapterCount, 3);
    std::vector<std::string> seen;
    for (const TScsiDriveEntry& entry : table.Drives)
        seen.push_back(Address(entry));
    EXPECT_EQ(seen, (std::vector<std::string>{"/dev/sr0 0:0:0", "/dev/sr1 2:0:0", "/dev/sr2 1:2:0", "/dev/sr3 2:1:0",
                                              "/dev/sr4 2:2:0", "/dev/sr5 0:0:0 absent", "/dev/sr6 0:0:0 absent"}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(table.Drives[0].InquiryData) + 16, 11), "SG_IO DRIVE");
    // The probe closed every drive again.
    EXPECT_EQ(fake_.OpenDescriptors(), 0);
    EXPECT_EQ(__GetASPI32SupportInfo(), 0x0103u);

    EXPECT_EQ(GetDriveLetterDKASPI(0, 0, 0), 'A');
    EXPECT_EQ(GetDriveLetterDKASPI(2, 1, 0), 'A' + 3);
    EXPECT_EQ(GetDriveLetterDKASPI(2, 3, 0), 127);
    EXPECT_EQ(GetDriveLetterDKASPI(0, 0, 250), 127);
    EXPECT_EQ(GetDevicePathDKASPI(1, 2, 0), "/dev/sr2");
    EXPECT_EQ(GetDevicePathDKASPI(1, 3, 0), "");

    EXPECT_TRUE(SPTIDeInit());
    EXPECT_FALSE(SPTIDeInit());
    EXPECT_FALSE(SPTIAvailable);
    EXPECT_EQ(__GetASPI32SupportInfo(), std::uint32_t{SS_NO_ADAPTERS} << 8);
}

TEST_F(DkSpti, HostAdapterInquiryAndDeviceType)
{
    fake_.AddDrive("sr0", "0:0:0:0");
    fake_.AddDrive("sr1", "5:0:1:0");
    ASSERT_EQ(SPTIInit(), 2);

    TSRB_HAInquiry inquiry;
    inquiry.SRB_Cmd = SC_HA_INQUIRY;
    inquiry.SRB_HaId = 1;
    EXPECT_EQ(__SendASPI32Command(&inquiry), SS_COMP);
    EXPECT_EQ(inquiry.SRB_Status, SS_COMP);
    EXPECT_EQ(inquiry.HA_Count, 2);
    EXPECT_EQ(inquiry.HA_SCSI_ID, 7);
    EXPECT_EQ(std::string(inquiry.HA_ManagerId, 16), "KELDARA DKASPI32");
    EXPECT_EQ(std::string(inquiry.HA_Identifier, 16), std::string("SPTI 1") + std::string(10, '\0'));
    EXPECT_EQ(inquiry.HA_Unique.BufferAlignMask(), 7);
    EXPECT_EQ(inquiry.HA_Unique.ResidualFlags(), 0);
    EXPECT_EQ(inquiry.HA_Unique.MaxTargets(), 8);
    EXPECT_EQ(inquiry.HA_Unique.MaxTransferLength(), 0x00FF0000u);

    TSRB_HAInquiry beyond;
    beyond.SRB_Cmd = SC_HA_INQUIRY;
    beyond.SRB_HaId = 2;
    EXPECT_EQ(__SendASPI32Command(&beyond), SS_INVALID_HA);
    EXPECT_EQ(beyond.SRB_Status, SS_INVALID_HA);
    EXPECT_EQ(beyond.HA_Count, 2);

    TSRB_GDEVBlock type;
    type.SRB_Cmd = SC_GET_DEV_TYPE;
    type.SRB_HaId = 1;
    type.SRB_Target = 1;
    EXPECT_EQ(__SendASPI32Command(&type), SS_COMP);
    EXPECT_EQ(type.SRB_DeviceType, 5);
    type.SRB_Target = 2;
    EXPECT_EQ(__SendASPI32Command(&type), SS_NO_DEVICE);
    EXPECT_EQ(type.SRB_DeviceType, 31);

    // Nothing else is served: disk information answers pending with an error result.
    TSRB_GetDiskInfo disk;
    disk.SRB_Cmd = SC_GET_DISK_INFO;
    disk.SRB_Status = 0xFF;
    EXPECT_EQ(__SendASPI32Command(&disk), SS_ERR);
    EXPECT_EQ(disk.SRB_Status, SS_PENDING);
    TSRB_BusDeviceReset reset;
    reset.SRB_Cmd = SC_RESET_DEV;
    EXPECT_EQ(__SendASPI32Command(&reset), SS_ERR);
    EXPECT_EQ(reset.SRB_Status, SS_ERR);
    EXPECT_EQ(__SendASPI32Command(nullptr), SS_ERR);
}

TEST_F(DkSpti, InquiryIsAnsweredFromTheTableWithinTheCallersBuffer)
{
    fake_.AddDrive("sr0", "0:0:0:0");
    ASSERT_EQ(SPTIInit(), 1);
    const int calls = fake_.SgIoCalls();

    std::uint8_t small[24];
    std::memset(small, 0xEE, sizeof small);
    TSRB_ExecSCSICmd srb = Command(0, 0, 0x12);
    srb.SRB_Flags = SRB_DIR_IN;
    srb.SetBufPointer(small);
    srb.SRB_BufLen = 20;
    EXPECT_EQ(__SendASPI32Command(&srb), SS_COMP);
    EXPECT_EQ(small[0], 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(small) + 8, 4), "FAKE");
    EXPECT_EQ(small[20], 0xEE);   // never past the length the caller gave

    std::uint8_t large[96];
    std::memset(large, 0xEE, sizeof large);
    srb.SetBufPointer(large);
    srb.SRB_BufLen = sizeof large;
    EXPECT_EQ(__SendASPI32Command(&srb), SS_COMP);
    EXPECT_EQ(large[32], '0');   // revision "0.1 "
    EXPECT_EQ(large[35], ' ');
    EXPECT_EQ(large[36], 0xEE);
    EXPECT_EQ(fake_.SgIoCalls(), calls);   // the drive was not asked

    srb.SRB_Target = 1;
    EXPECT_EQ(__SendASPI32Command(&srb), SS_NO_DEVICE);
    EXPECT_EQ(srb.SRB_Status, SS_NO_DEVICE);
}

TEST_F(DkSpti, AHandleLivesForOneCommandUnlessCloseFHIsCleared)
{
    fake_.AddDrive("sr0", "0:0:0:0");
    ASSERT_EQ(SPTIInit(), 1);
    const std::size_t probeOpens = fake_.Opens().size();
    TEvent done;
    EXPECT_TRUE(CloseFH);   // the default: no handle outlives its command
    for (int i = 0; i < 2; ++i) {
        TSRB_ExecSCSICmd srb = Command(0, 0, 0x00);
        srb.SRB_Flags = SRB_EVENT_NOTIFY;
        srb.SetPostProc(&done);
        EXPECT_EQ(__SendASPI32Command(&srb), SS_COMP);
        EXPECT_EQ(done.WaitFor(0), wrSignaled);   // complete on return, event set
        done.ResetEvent();
        EXPECT_EQ(fake_.OpenDescriptors(), 0);
    }
    EXPECT_EQ(fake_.Opens().size(), probeOpens + 2);
    EXPECT_EQ(fake_.Opens().back(), "/dev/sr0 rw");

    CloseFH = false;
    for (int i = 0; i < 3; ++i) {
        TSRB_ExecSCSICmd srb = Command(0, 0, 0x00);
        EXPECT_EQ(__SendASPI32Command(&srb), SS_COMP);
    }
    EXPECT_EQ(fake_.Opens().size(), probeOpens + 3);
    EXPECT_EQ(fake_.OpenDescriptors(), 1);
    SPTIDeInit();
    EXPECT_EQ(fake_.OpenDescriptors(), 0);
}

struct Row {
    const char* name;
    int ioctlResult;
    unsigned char status;
    unsigned short host, driver;
    std::uint8_t srbStatus;
    const char* text;
    bool busy;
};

TEST_F(DkSpti, EveryPassThroughOutcomeDecodesToItsText)
{
    fake_.AddDrive("sr0", "0:0:0:0");
    ASSERT_EQ(SPTIInit(), 1);
    const Row rows[] = {
        {"good", 0, 0, 0, 0, SS_COMP, "", false},
        {"check condition", 0, 0x02, 0, DRIVER_SENSE, SS_ERR, "NOT READY (MEDIUM NOT PRESENT - TRAY OPEN)", false},
        {"busy", 0, 0x08, 0, 0, SS_ERR, "", true},
        {"reservation conflict", 0, 0x18, 0, 0, SS_ERR, "TARGET RESERVATION CONFLICT", false},
        {"task set full", 0, 0x28, 0, 0, SS_ERR, "TARGET QUEUE FULL", false},
        {"host time-out", 0, 0, DID_TIME_OUT, 0, SS_ERR, "COMMAND TIMEOUT", false},
        {"driver time-out", 0, 0, 0, DRIVER_TIMEOUT, SS_ERR, "COMMAND TIMEOUT", false},
        {"no connect", 0, 0, DID_NO_CONNECT, 0, SS_ERR, "SELECTION TIMEOUT", false},
        {"bad target", 0, 0, DID_BAD_TARGET, 0, SS_ERR, "SELECTION TIMEOUT", false},
        {"reset", 0, 0, DID_RESET, 0, SS_ERR, "BUS RESET", false},
        {"parity", 0, 0, DID_PARITY, 0, SS_ERR, "PARITY ERROR", false},
        {"bus busy", 0, 0, DID_BUS_BUSY, 0, SS_ERR, "", true},
        {"host error", 0, 0, DID_ERROR, 0, SS_ERR, "UNKNOWN", false},
        {"refused", -EPERM, 0, 0, 0, SS_ERR, "no permission on /dev/sr0", false},
        {"gone", -ENODEV, 0, 0, 0, SS_ERR, "no drive /dev/sr0", false},
    };
    for (const Row& row : rows) {
        fake_.Node("/dev/sr0").sgio = [&row](sg_io_hdr_t& io) {
            io.status = row.status;
            io.host_status = row.host;
            io.driver_status = row.driver;
            if (row.status == 0x02) {
                const unsigned char sense[18] = {0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x3A, 0x02};
                std::memcpy(io.sbp, sense, sizeof sense);
                io.sb_len_wr = sizeof sense;
            }
            return row.ioctlResult;
        };
        TSRB_ExecSCSICmd srb = Command(0, 0, 0x00);
        EXPECT_EQ(__SendASPI32Command(&srb), row.srbStatus) << row.name;
        TScsiErrorRecord record;
        record.DevicePath = GetDevicePathDKASPI(0, 0, 0);
        if (srb.SRB_Status != SS_COMP)
            DecodeSense(record, srb);
        EXPECT_EQ(record.LastError, row.text) << row.name;
        EXPECT_EQ(record.TargetBusy, row.busy) << row.name;
    }
}

TEST_F(DkSpti, ADriveThatCannotBeOpenedLaterFailsWithItsReason)
{
    fake_.AddDrive("sr0", "0:0:0:0");
    ASSERT_EQ(SPTIInit(), 1);
    fake_.Node("/dev/sr0").readWriteErrno = EACCES;
    fake_.Node("/dev/sr0").readOnlyErrno = EACCES;
    TSRB_ExecSCSICmd srb = Command(0, 0, 0x2A, 10);
    srb.SRB_Flags = SRB_DIR_OUT;
    EXPECT_EQ(__SendASPI32Command(&srb), SS_ERR);
    TScsiErrorRecord record;
    record.DevicePath = "/dev/sr0";
    DecodeSense(record, srb);
    EXPECT_EQ(record.LastError, "no permission on /dev/sr0");
}

} // namespace
