#include "discrec/dksense.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace {

// A failed execute request as a layer leaves it.
TSRB_ExecSCSICmd Failed(std::uint8_t status, std::uint8_t haStat, std::uint8_t targStat,
                        const std::vector<std::uint8_t>& sense = {})
{
    TSRB_ExecSCSICmd srb;
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_Status = status;
    srb.SRB_HaStat = haStat;
    srb.SRB_TargStat = targStat;
    srb.SRB_SenseLen = 24;
    int i = 0;
    for (std::uint8_t b : sense)
        srb.SenseArea[i++] = b;
    return srb;
}

// Fixed-format sense data: key (with its flag bits), ASC, ASCQ, and the additional length.
std::vector<std::uint8_t> Sense(std::uint8_t response, std::uint8_t key, std::uint8_t asc, std::uint8_t ascq,
                                std::uint8_t additional = 10)
{
    std::vector<std::uint8_t> bytes(18, 0);
    bytes[0] = response;
    bytes[2] = key;
    bytes[7] = additional;
    bytes[12] = asc;
    bytes[13] = ascq;
    return bytes;
}

std::string Decode(const TSRB_ExecSCSICmd& srb, TScsiErrorRecord* out = nullptr)
{
    TScsiErrorRecord record;
    record.DevicePath = "/dev/sr1";
    DecodeSense(record, srb);
    if (out)
        *out = record;
    return record.LastError;
}

TEST(DkSense, CheckConditionReadsAsSenseKeyAndAdditionalSense)
{
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0x02, 0x3A, 0x02))), "NOT READY (MEDIUM NOT PRESENT - TRAY OPEN)");
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0xF0, 0x05, 0x24, 0x00))), "ILLEGAL REQUEST (INVALID FIELD IN CDB)");
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x71, 0x03, 0x0C, 0x00))), "MEDIUM ERROR (WRITE ERROR)");
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 0, Sense(0x70, 0x06, 0x28, 0x00))),
              "UNIT ATTENTION (NOT READY TO READY CHANGE, MEDIUM MAY HAVE CHANGED)");
    // Key 0 without flags names the additional sense 00/00, and then the pair itself.
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0x00, 0x00, 0x00))),
              "NO ADDITIONAL SENSE INFORMATION (NO ADDITIONAL SENSE INFORMATION)");
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0x00, 0x00, 0x00, 0))), "NO ADDITIONAL SENSE INFORMATION");
}

TEST(DkSense, KeyZeroFlagsAreReadFilemarkFirst)
{
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0xE0, 0, 0, 0))), "FILEMARK");
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0x60, 0, 0, 0))), "END OF MEDIA");
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0x20, 0, 0, 0))), "ILLEGAL LENGTH");
    // Flags only count with key 0.
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0xE2, 0, 0, 0))), "NOT READY");
}

TEST(DkSense, ResponseCodesKeysWithoutTextAndUnknownPairs)
{
    // Response code 0: no sense data at all, so no text.
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x00, 0x02, 0x3A, 0x02, 0))), "");
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x72, 0x02, 0x3A, 0x02, 0))), "UNKNOWN");
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0x09, 0, 0, 0))), "CHECK CONDITION");
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0x0C, 0, 0, 0))), "CHECK CONDITION");
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0x0F, 0, 0, 0))), "RESERVED");
    // No text for the pair: its two numbers in decimal; codes above 0x73 are never looked up.
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0x03, 0x64, 0x03))), "MEDIUM ERROR (100,3)");
    EXPECT_EQ(Decode(Failed(SS_ERR, 0, 2, Sense(0x70, 0x05, 0x80, 0x00))), "ILLEGAL REQUEST (128,0)");
}

TEST(DkSense, HostAdapterAndTargetStatusesHaveTheirTexts)
{
    const struct {
        std::uint8_t status, haStat, targStat;
        const char* text;
    } rows[] = {
        {SS_INVALID_CMD, 0, 0, "INVALID REQUEST"},  {SS_INVALID_HA, 0, 0, "INVALID HOST ADAPTER"},
        {SS_NO_DEVICE, 0, 0, "NO DEVICE"},          {SS_INVALID_SRB, 0, 0, "INVALID SRB"},
        {SS_BUFFER_ALIGN, 0, 0, "BUFFER ALIGNMENT"}, {SS_ASPI_IS_BUSY, 0, 0, "ASPI IS BUSY"},
        {SS_BUFFER_TOO_BIG, 0, 0, "BUFFER TOO BIG"}, {SS_ERR, 9, 0, "COMMAND TIMEOUT"},
        {SS_ERR, 11, 0, "SRB TIMEOUT"},             {SS_ERR, 13, 0, "MESSAGE REJECT"},
        {SS_ERR, 14, 0, "BUS RESET"},               {SS_ERR, 15, 0, "PARITY ERROR"},
        {SS_ERR, 16, 0, "REQUEST SENSE FAILED"},    {SS_ERR, 17, 0, "SELECTION TIMEOUT"},
        {SS_ERR, 18, 0, "DATA OVERRUN"},            {SS_ERR, 19, 0, "UNEXPECTED BUS FREE"},
        {SS_ERR, 0, 24, "TARGET RESERVATION CONFLICT"}, {SS_ERR, 0, 40, "TARGET QUEUE FULL"},
        {SS_ERR, 20, 0, "UNKNOWN"},
        // The program's own refusal when no layer is bound leaves the text empty.
        {SS_NO_LAYER, 0, 0, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Decode(Failed(row.status, row.haStat, row.targStat)), row.text) << int(row.status) << "/"
                                                                                  << int(row.haStat);
}

TEST(DkSense, BusyTargetSetsTheFlagAndTheNextDecodingClearsIt)
{
    TScsiErrorRecord record;
    DecodeSense(record, Failed(SS_ERR, 0, 8));
    EXPECT_TRUE(record.TargetBusy);
    EXPECT_EQ(record.LastError, "");
    GetAspiError(record, SS_ERR, 9, 0);
    EXPECT_FALSE(record.TargetBusy);
    EXPECT_EQ(record.LastError, "COMMAND TIMEOUT");
    // A status without a text keeps the text before it.
    GetAspiError(record, 0x03, 0, 0);
    EXPECT_EQ(record.LastError, "COMMAND TIMEOUT");
}

TEST(DkSense, SenseBytesAreKeptWithTheRecord)
{
    TScsiErrorRecord record;
    TSRB_ExecSCSICmd srb = Failed(SS_ERR, 0, 2, Sense(0x70, 0x02, 0x04, 0x08));
    srb.SenseArea[32] = 0x5A;
    srb.SenseArea[33] = 0xA5;
    DecodeSense(record, srb);
    EXPECT_TRUE(record.SenseValid);
    EXPECT_EQ(record.Sense[2], 0x02);
    EXPECT_EQ(record.Sense[12], 0x04);
    EXPECT_EQ(record.Sense[13], 0x08);
    EXPECT_EQ(record.Sense[32], 0x5A);
    EXPECT_EQ(record.LastError, "NOT READY (LOGICAL UNIT NOT READY, LONG WRITE IN PROGRESS)");
    record.ClearForCommand();
    EXPECT_FALSE(record.SenseValid);
    EXPECT_EQ(record.Sense[12], 0);
    EXPECT_EQ(record.LastError, "");
}

TEST(DkSense, AFailedPassThroughCallReadsAsTheSystemReason)
{
    TSRB_ExecSCSICmd srb = Failed(SS_ERR, 0, 0);
    srb.SRB_SysError = EPERM;
    EXPECT_EQ(Decode(srb), "no permission on /dev/sr1");
    srb.SRB_SysError = EACCES;
    TScsiErrorRecord record;
    DecodeSense(record, srb);
    EXPECT_EQ(record.LastError, "no permission on the drive");
    EXPECT_FALSE(record.SenseValid);
}

} // namespace
