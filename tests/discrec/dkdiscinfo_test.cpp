// What TSCSIDevice tells about the disc in a virtual recorder, and the room left on it.
#include "devicefixture.h"

#include "win32/process.h"

#include <filesystem>
#include <fstream>

namespace discrec_test {
namespace {

using testkit::Medium;
using testkit::MediumKind;
using testkit::RecorderConfig;

class DiscInfo : public DeviceTest {};
INSTANTIATE_TEST_SUITE_P(BothLayers, DiscInfo, ::testing::Values(true, false), LayerName);

TEST(DiscProfiles, EachProfileHasItsKindTextAndDescription)
{
    const struct {
        std::uint16_t profile;
        std::uint8_t kind;
        const char* text;
        const char* description;
    } rows[] = {
        {0x08, 1, "CD-ROM", "CD-ROM"},
        {0x09, 2, "CD-R", "CD-R"},
        {0x0A, 3, "CD-RW", "CD-RW"},
        {0x10, 4, "DVD-ROM", "DVD-ROM"},
        {0x11, 5, "DVD-R", "DVD-R"},
        {0x12, 6, "DVD-RAM", "DVD-RAM"},
        {0x13, 8, "DVD-RW", "DVD-RW Restricted Overwrite"},
        {0x14, 9, "DVD-RW", "DVD-RW Sequential Recording"},
        {0x1A, 10, "DVD+RW", "DVD+RW"},
        {0x1B, 11, "DVD+R", "DVD+R"},
        {0x20, 12, "DDCD-ROM", "DDCD-ROM"},
        {0x21, 13, "DDCD-R", "DDCD-R"},
        {0x22, 14, "DDCD-RW", "DDCD-RW"},
        {0x02, 0, "UNKNOWN", "Removable disk"},
        {0x05, 0, "UNKNOWN", "AS-MO"},
        {0x23, 0, "UNKNOWN", "???????"},
        {0x2B, 0, "UNKNOWN", "???????"},
        {0x00, 0, "UNKNOWN", "???????"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(DiscKindOfProfile(row.profile), row.kind) << row.profile;
        EXPECT_EQ(DiscTypeString.at(row.kind), row.text) << row.profile;
        EXPECT_EQ(MediumDescription(row.profile), row.description) << row.profile;
    }
    EXPECT_EQ(DiscTypeString.at(7), "DVD-RW");
}

TEST(DiscProfiles, AnImageFitsWhenItsSectorsAreNoMoreThanTheFreeBlocks)
{
    EXPECT_EQ(CDImageSectors(0), 0u);
    EXPECT_EQ(CDImageSectors(1), 1u);
    EXPECT_EQ(CDImageSectors(2352), 1u);
    EXPECT_EQ(CDImageSectors(2353), 2u);
    const std::uint64_t free = 333000;
    EXPECT_TRUE(CDImageFits(free * 2352, free));
    EXPECT_FALSE(CDImageFits(free * 2352 + 1, free));   // a short last sector still takes one
    EXPECT_FALSE(CDImageFits((free + 1) * 2352, free));
    EXPECT_TRUE(CDImageFits(0, 0));
}

TEST_P(DiscInfo, EachMediumReadsAsItsKind)
{
    RecorderConfig config;
    config.dvdRecorder = true;
    testkit::VirtualRecorder& drive = AddRecorder(config);
    TSCSIDevice& device = OpenFirst();
    const struct {
        MediumKind medium;
        std::uint8_t kind;
        bool erasable;
        const char* description;
    } rows[] = {
        {MediumKind::CdR, dkCDR, false, "CD-R"},
        {MediumKind::CdRw, dkCDRW, true, "CD-RW"},
        {MediumKind::CdRom, dkCDROM, false, "CD-ROM"},
        {MediumKind::DvdRom, dkDVDROM, false, "DVD-ROM"},
        {MediumKind::DvdR, dkDVDR, false, "DVD-R"},
        {MediumKind::DvdRw, dkDVDRWSequential, true, "DVD-RW Sequential Recording"},
        {MediumKind::DvdRwRestricted, dkDVDRWRestricted, true, "DVD-RW Restricted Overwrite"},
        {MediumKind::DvdPlusR, dkDVDPLUSR, false, "DVD+R"},
        {MediumKind::DvdPlusRw, dkDVDPLUSRW, true, "DVD+RW"},
        {MediumKind::DvdRam, dkDVDRAM, true, "DVD-RAM"},
    };
    for (const auto& row : rows) {
        drive.InsertMedium(row.medium == MediumKind::CdRom || row.medium == MediumKind::DvdRom
                               ? Medium::Complete(row.medium)
                               : Medium::Blank(row.medium));
        EXPECT_EQ(device.DiscType(), row.kind) << row.description;
        EXPECT_EQ(device.MediumIs(), row.kind);
        EXPECT_EQ(device.Erasable(), row.erasable) << row.description;
        const TDisc disc = device.GetDiscInformation();
        EXPECT_TRUE(disc.Present);
        EXPECT_EQ(disc.Description, row.description);
        EXPECT_EQ(disc.Erasable, row.erasable) << row.description;
    }
}

TEST_P(DiscInfo, WithoutGetConfigurationACdIsToldByItsAtip)
{
    RecorderConfig config;
    config.unsupportedOpcodes = {0x46};
    testkit::VirtualRecorder& drive = AddRecorder(config, Medium::Blank(MediumKind::CdR));
    TSCSIDevice& device = OpenFirst();
    EXPECT_EQ(device.CurrentProfile(), 0);
    EXPECT_EQ(device.DiscType(), dkCDR);
    drive.InsertMedium(Medium::Blank(MediumKind::CdRw));
    EXPECT_EQ(device.DiscType(), dkCDRW);
    EXPECT_EQ(DiscTypeString.at(device.DiscType()), "CD-RW");
}

TEST_P(DiscInfo, WithoutDiscInformationOnlyRewritableDvdsCountAsErasable)
{
    RecorderConfig config;
    config.dvdRecorder = true;
    config.unsupportedOpcodes = {0x51};
    testkit::VirtualRecorder& drive = AddRecorder(config);
    TSCSIDevice& device = OpenFirst();
    for (MediumKind kind : {MediumKind::DvdRw, MediumKind::DvdRwRestricted, MediumKind::DvdPlusRw, MediumKind::DvdRam}) {
        drive.InsertMedium(Medium::Blank(kind));
        EXPECT_TRUE(device.Erasable()) << int(kind);
    }
    for (MediumKind kind : {MediumKind::CdRw, MediumKind::CdR, MediumKind::DvdR, MediumKind::DvdPlusR}) {
        drive.InsertMedium(Medium::Blank(kind));
        EXPECT_FALSE(device.Erasable()) << int(kind);
    }
    EXPECT_EQ(device.DiscStatus(), -1);
    EXPECT_EQ(device.SessionsOnDisc(), 0);
}

TEST_P(DiscInfo, StatusSessionsAndRoomOnCds)
{
    testkit::VirtualRecorder& drive = AddRecorder({}, Medium::Blank(MediumKind::CdR, 333000));
    TSCSIDevice& device = OpenFirst();
    EXPECT_EQ(device.DiscStatus(), 0);
    EXPECT_EQ(device.LastSessionStatus(), 0);
    EXPECT_EQ(device.SessionsOnDisc(), 0);
    EXPECT_EQ(device.FreeBlocksOnDisc(), 333000u);
    EXPECT_EQ(device.TotalBlocksOnDisc(), 333000u);   // the ATIP lead-out
    EXPECT_EQ(device.UsedBlocksOnDisc(), 0u);
    // Finding the room writes the page a CD burn would use.
    EXPECT_EQ(drive.WriteParametersPage()[2] & 0x0F, 1);
    EXPECT_TRUE(CDImageFits(333000ull * 2352, device.FreeBlocksOnDisc()));
    EXPECT_FALSE(CDImageFits(333000ull * 2352 + 1, device.FreeBlocksOnDisc()));

    // Closed for appending: one session and an empty one after it.
    testkit::Medium appendable = Medium::Blank(MediumKind::CdR, 333000);
    appendable.recorded = 1000;
    drive.InsertMedium(appendable);
    EXPECT_EQ(device.DiscStatus(), 1);
    EXPECT_EQ(device.LastSessionStatus(), 0);
    EXPECT_EQ(device.SessionsOnDisc(), 1);
    EXPECT_EQ(device.FreeBlocksOnDisc(), 332000u);

    // Finalised: no room at all.
    drive.InsertMedium(Medium::Complete(MediumKind::CdR, 5000));
    EXPECT_EQ(device.DiscStatus(), 2);
    EXPECT_EQ(device.LastSessionStatus(), 3);
    EXPECT_EQ(device.SessionsOnDisc(), 1);
    EXPECT_EQ(device.FreeBlocksOnDisc(), 0u);
    EXPECT_EQ(device.UsedBlocksOnDisc(), 5000u);
    const TDisc disc = device.GetDiscInformation();
    EXPECT_EQ(disc.FirstTrack, 1);
    EXPECT_EQ(disc.LastTrack, 1);
    EXPECT_EQ(disc.DiscStatus, 2);
}

TEST_P(DiscInfo, RoomOnDvds)
{
    RecorderConfig config;
    config.dvdRecorder = true;
    testkit::VirtualRecorder& drive = AddRecorder(config, Medium::Blank(MediumKind::DvdR));
    TSCSIDevice& device = OpenFirst();
    EXPECT_EQ(device.FreeBlocksOnDisc(), testkit::kDvdMinusCapacity);
    EXPECT_EQ(device.TotalBlocksOnDisc(), testkit::kDvdMinusCapacity);
    drive.InsertMedium(Medium::Blank(MediumKind::DvdPlusRw));
    EXPECT_EQ(device.FreeBlocksOnDisc(), testkit::kDvdPlusCapacity);
    std::uint32_t capacity = 0, blockLength = 0;
    ASSERT_TRUE(device.GetFormatCapacity(capacity, blockLength));
    EXPECT_EQ(capacity, testkit::kDvdPlusCapacity);
    EXPECT_EQ(blockLength, 2048u);
    drive.InsertMedium(Medium::Complete(MediumKind::DvdR, 4000));
    EXPECT_EQ(device.FreeBlocksOnDisc(), 0u);
}

TEST_P(DiscInfo, TheLastRecordedAddressIsTheSizeOfAnIsoFileSystem)
{
    // An ISO image made by genisoimage, put on a DVD+RW.
    const std::string content = folder_.File("content");
    std::filesystem::create_directories(content);
    std::ofstream(content + "/readme.txt") << std::string(300000, 'k');
    ProcessSpec spec;
    spec.argv = {"genisoimage", "-quiet", "-o", folder_.File("disc.iso"), content};
    spec.captureOutput = true;
    const ProcessResult made = RunProcess(spec, 60000);
    ASSERT_TRUE(made.Succeeded()) << made.errors;
    std::ifstream iso(folder_.File("disc.iso"), std::ios::binary | std::ios::ate);
    const auto blocks = static_cast<std::uint32_t>(iso.tellg() / 2048);

    RecorderConfig config;
    config.dvdRecorder = true;
    testkit::VirtualRecorder& drive = AddRecorder(config, Medium::FromImage(MediumKind::DvdPlusRw, folder_.File("disc.iso"), false));
    TSCSIDevice& device = OpenFirst();
    EXPECT_EQ(device.GetLastRecordedAddress(), blocks);
    drive.InsertMedium(Medium::Blank(MediumKind::DvdPlusRw));
    EXPECT_EQ(device.GetLastRecordedAddress(), 0u);
}

TEST_P(DiscInfo, WithoutADiscEveryQueryIsNeutral)
{
    testkit::VirtualRecorder& drive = AddRecorder();
    TSCSIDevice& device = OpenFirst();
    drive.RemoveMedium();
    EXPECT_EQ(device.DiscType(), dkUnknown);
    EXPECT_EQ(device.DiscStatus(), -1);
    EXPECT_EQ(device.LastSessionStatus(), -1);
    EXPECT_EQ(device.SessionsOnDisc(), 0);
    EXPECT_EQ(device.FreeBlocksOnDisc(), 0u);
    EXPECT_EQ(device.UsedBlocksOnDisc(), 0u);
    EXPECT_EQ(device.TotalBlocksOnDisc(), 0u);
    EXPECT_FALSE(device.Erasable());
    const TDisc disc = device.GetDiscInformation();
    EXPECT_FALSE(disc.Present);
    EXPECT_EQ(disc.DiscStatus, -1);
}

} // namespace
} // namespace discrec_test
