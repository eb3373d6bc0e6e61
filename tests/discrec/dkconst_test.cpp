#include "discrec/dkconst.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(DkConst, TheTableHoldsEveryTextOnceByName)
{
    std::set<std::string> names;
    int additional = 0;
    for (const TDkMessage& message : DkMessages()) {
        EXPECT_TRUE(names.insert(std::string(message.Name)).second) << message.Name;
        if (message.Name.starts_with("ERR_AS_")) {
            ++additional;
            EXPECT_FALSE(message.Text.empty()) << message.Name;
        }
    }
    EXPECT_EQ(DkMessages().size(), 331u);
    EXPECT_EQ(additional, 256);
    EXPECT_TRUE(names.count("ERR_NONE"));
    EXPECT_TRUE(names.count("ERR_AS_3F_11"));
    EXPECT_TRUE(names.count("MSG_IMPORTINGSESSION"));
}

TEST(DkConst, AdditionalSenseTextsFollowTheStandardList)
{
    const struct {
        std::uint8_t asc, ascq;
        const char* text;
    } rows[] = {
        {0x00, 0x00, "NO ADDITIONAL SENSE INFORMATION"},
        {0x04, 0x02, "LOGICAL UNIT NOT READY, INITIALIZING CMD. REQUIRED"},
        {0x08, 0x03, "LOGICAL UNIT COMMUNICATION CRC ERROR (ULTRA-DMA/32)"},
        {0x18, 0x01, "RECOVERED DATA WITH ERROR CORR. & RETRIES APPLIED"},
        {0x30, 0x10, "MEDIUM NOT FORMATTED"},
        {0x5D, 0xFF, "FAILURE PREDICTION THRESHOLD EXCEEDED (FALSE)"},
        {0x72, 0x04, "EMPTY OR PARTIALLY WRITTEN RESERVED TRACK"},
        {0x73, 0x06, "RMA/PMA IS ALMOST FULL"},
        {0x3A, 0x02, "MEDIUM NOT PRESENT - TRAY OPEN"},
        {0x3A, 0x01, "MEDIUM NOT PRESENT - TRAY CLOSED"},
        {0x04, 0x08, "LOGICAL UNIT NOT READY, LONG WRITE IN PROGRESS"},
        {0x2C, 0x00, "COMMAND SEQUENCE ERROR"},
        {0x21, 0x02, "INVALID ADDRESS FOR WRITE"},
        {0x53, 0x02, "MEDIUM REMOVAL PREVENTED"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AdditionalSenseText(row.asc, row.ascq), row.text) << int(row.asc) << "/" << int(row.ascq);
    EXPECT_EQ(ERR_AS_3A_02, "MEDIUM NOT PRESENT - TRAY OPEN");
    // Pairs the table leaves out have no text.
    EXPECT_TRUE(AdditionalSenseText(0x64, 0x03).empty());
    EXPECT_TRUE(AdditionalSenseText(0x3B, 0x10).empty());
    EXPECT_TRUE(AdditionalSenseText(0xFF, 0xFF).empty());
}

} // namespace
