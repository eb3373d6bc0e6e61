// CD sector headers and codes against the sectors vcdxbuild wrote.
#include "vcdimage.h"

#include "win32/cdsector.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace discrec_test {
namespace {

TEST(CdSector, HeadersAndCodesEqualThoseVcdxbuildWrote)
{
    std::ifstream in(VcdImage().File("disc.bin"), std::ios::binary);
    const std::vector<std::uint8_t> bin((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bin.size() % kCdRawSectorSize, 0u);
    const std::size_t sectors = bin.size() / kCdRawSectorSize;
    ASSERT_GT(sectors, 1000u);
    int form1 = 0, form2 = 0;
    for (std::size_t s = 0; s < sectors; ++s) {
        const std::uint8_t* original = &bin[s * kCdRawSectorSize];
        std::uint8_t made[kCdRawSectorSize] = {};
        CdSectorHeader(made, static_cast<std::int32_t>(s), 2);
        ASSERT_EQ(std::memcmp(made, original, 16), 0) << "header of sector " << s;
        // Sub-header and data as written, the codes made afresh.
        const std::size_t data = CdSectorForm2(original) ? 2332 : 2056;
        std::memcpy(made + 16, original + 16, data);
        CdSectorCodes(made);
        ASSERT_EQ(std::memcmp(made, original, kCdRawSectorSize), 0) << "sector " << s;
        ++(CdSectorForm2(original) ? form2 : form1);
    }
    EXPECT_GT(form1, 100);   // the ISO 9660 area and the disc's own files
    EXPECT_GT(form2, 100);   // the MPEG streams and the pregaps
}

TEST(CdSector, AModeOneSectorCarriesItsCodes)
{
    std::uint8_t raw[kCdRawSectorSize] = {};
    CdSectorHeader(raw, -150, 1);
    EXPECT_EQ(raw[12], 0x00);
    EXPECT_EQ(raw[13], 0x00);
    EXPECT_EQ(raw[14], 0x00);
    CdSectorHeader(raw, 4500 * 12 + 75 * 34 + 56 - 150, 1);
    EXPECT_EQ(raw[12], 0x12);
    EXPECT_EQ(raw[13], 0x34);
    EXPECT_EQ(raw[14], 0x56);
    EXPECT_EQ(raw[15], 1);
    for (int i = 0; i < 2048; ++i)
        raw[16 + i] = static_cast<std::uint8_t>(i * 7);
    CdSectorCodes(raw);
    const std::uint32_t edc = CdSectorEdc(raw, 2064);
    EXPECT_EQ(raw[2064] | raw[2065] << 8 | raw[2066] << 16 | std::uint32_t{raw[2067]} << 24, edc);
    // The EDC of a whole sector with its EDC appended is zero: it is a CRC.
    EXPECT_EQ(CdSectorEdc(raw, 2068), 0u);
    // A sector's parity changes with its data.
    std::uint8_t other[kCdRawSectorSize];
    std::memcpy(other, raw, sizeof raw);
    other[100] ^= 1;
    CdSectorCodes(other);
    EXPECT_NE(std::memcmp(other + 2076, raw + 2076, 276), 0);
}

} // namespace
} // namespace discrec_test
