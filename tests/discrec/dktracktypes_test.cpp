// Each track type a cue file names, burnt onto a virtual recorder through both
// ASPI layers, disc at once and track at once: the cue sheet as the table of
// track types gives it, and the disc equal to its image file.
#include "cueburnfixture.h"

#include "win32/cdsector.h"

#include <cstring>

namespace discrec_test {
namespace {

using testkit::Medium;
using testkit::MediumKind;
using Entry = std::vector<std::uint8_t>;

class TrackTypes : public CueBurn {
protected:
    // Writes a one-track image of a type and burns it onto a fresh disc, disc
    // at once and then track at once onto another; the burnt disc's image,
    // the same both ways.
    std::vector<std::uint8_t> BurnOneTrack(const std::string& mode, const std::vector<std::uint8_t>& bin)
    {
        const std::string name = "track" + std::to_string(images_++);
        std::ofstream(folder_.File(name + ".bin"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bin.data()), static_cast<std::streamsize>(bin.size()));
        std::ofstream(folder_.File(name + ".cue"))
            << "FILE \"" << name << ".bin\" BINARY\n  TRACK 01 " << mode << "\n    INDEX 01 00:00:00\n";
        std::vector<std::uint8_t> images[2];
        for (const TWriteMethod method : {wmTAO, wmDAO}) {
            Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
            {
                std::lock_guard<std::mutex> guard(mutex_);
                done_.clear();
            }
            burner_->WriteMethod = method;
            EXPECT_EQ(Burn(*burner_, folder_.File(name + ".cue")), (std::vector<std::string>{""})) << mode << method;
            EXPECT_EQ(burner_->BytesWritten, burner_->BytesToWrite) << mode << method;
            images[method == wmDAO] = ReadAll(folder_.File("disc0.img"));
        }
        EXPECT_EQ(Drive().CueSheet(), burner_->CueSheet()) << mode;
        EXPECT_TRUE(images[0] == images[1]) << mode << ": track at once differs from disc at once";
        return images[1];
    }
    // The cue sheet's entries.
    std::vector<Entry> Sheet() const
    {
        std::vector<Entry> entries;
        const std::vector<std::uint8_t>& sheet = burner_->CueSheet();
        for (std::size_t at = 0; at + 8 <= sheet.size(); at += 8)
            entries.emplace_back(sheet.begin() + static_cast<std::ptrdiff_t>(at),
                                 sheet.begin() + static_cast<std::ptrdiff_t>(at + 8));
        return entries;
    }
    // Lead-in, track 1 index 0 and index 1, lead-out of a one-track disc of `sectors`.
    static std::vector<Entry> OneTrackSheet(std::uint8_t ctl, std::uint8_t form, std::uint8_t leadForm,
                                            std::uint32_t sectors)
    {
        const std::uint32_t end = 150 + sectors;
        return {{ctl, 0, 0, leadForm, 0, 0, 0, 0},
                {ctl, 1, 0, form, 0, 0, 0, 0},
                {ctl, 1, 1, form, 0, 0, 2, 0},
                {ctl, 0xAA, 1, leadForm, 0, static_cast<std::uint8_t>(end / 4500),
                 static_cast<std::uint8_t>(end / 75 % 60), static_cast<std::uint8_t>(end % 75)}};
    }
    // The user data READ (10) gives back, sector by sector.
    std::vector<std::uint8_t> ReadBack(std::uint32_t sectors)
    {
        std::vector<std::uint8_t> data(std::size_t{sectors} * 2048);
        for (std::uint32_t at = 0; at < sectors; at += 16) {
            const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(16, sectors - at));
            EXPECT_TRUE(burner_->Read10(at, count, data.data() + std::size_t{at} * 2048, count * 2048u))
                << burner_->LastError();
        }
        return data;
    }
    // Burns an image of 2048-byte sectors of user data: the drive reads the
    // data back, and the disc holds it in sectors of `mode` (2: form 1) with
    // their header and codes. The data burnt.
    std::vector<std::uint8_t> BurnUserData(const std::string& type, std::uint32_t sectors, std::uint8_t mode)
    {
        const std::vector<std::uint8_t> data = UserData(sectors);
        const std::vector<std::uint8_t> disc = BurnOneTrack(type, data);
        EXPECT_EQ(disc.size(), std::size_t{sectors} * 2352) << type;
        EXPECT_TRUE(ReadBack(sectors) == data) << type;
        std::vector<std::uint8_t> raw(std::size_t{sectors} * 2352);
        for (std::uint32_t s = 0; s < sectors; ++s) {
            std::uint8_t* sector = &raw[std::size_t{s} * 2352];
            CdSectorHeader(sector, static_cast<std::int32_t>(s), mode);
            if (mode == 2)
                std::memcpy(sector + 16, kCdForm1SubHeader, sizeof kCdForm1SubHeader);
            std::memcpy(sector + (mode == 2 ? 24 : 16), &data[std::size_t{s} * 2048], 2048);
            CdSectorCodes(sector);
        }
        EXPECT_TRUE(disc == raw) << type;
        return data;
    }
    // Sectors of user data that differ from sector to sector.
    static std::vector<std::uint8_t> UserData(std::uint32_t sectors)
    {
        std::vector<std::uint8_t> data(std::size_t{sectors} * 2048);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<std::uint8_t>((i / 2048) * 13 + i * 7);
        return data;
    }
    testkit::VirtualRecorder& Drive() { return DeviceTest::Drive(); }

    int images_ = 0;
};
INSTANTIATE_TEST_SUITE_P(BothLayers, TrackTypes, ::testing::Values(true, false), LayerName);

// MODE1/2048: the file holds the user data; the disc gets mode 1 sectors around it.
TEST_P(TrackTypes, ModeOneOf2048ByteSectors)
{
    AddRecorder();
    Burner();
    BurnUserData("MODE1/2048", 100, 1);
    EXPECT_EQ(Sheet(), OneTrackSheet(0x41, 0x10, 0x14, 100));
    // Each WRITE of the disc at once sends 2048 bytes of each sector, 27 sectors at most.
    const auto writes = Drive().CommandsWithOpcode(0x2A);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back().cdb[8], 100 % 27);
}

// CDG: audio sectors with their graphics, 2352 bytes each, written as they are.
TEST_P(TrackTypes, CdgOf2352ByteSectors)
{
    AddRecorder();
    Burner();
    constexpr std::uint32_t kSectors = 80;
    std::vector<std::uint8_t> bin(std::size_t{kSectors} * 2352);
    for (std::size_t i = 0; i < bin.size(); ++i)
        bin[i] = static_cast<std::uint8_t>(i * 31 + i / 2352);
    const std::vector<std::uint8_t> disc = BurnOneTrack("CDG", bin);
    EXPECT_EQ(Sheet(), OneTrackSheet(0x01, 0x00, 0x01, kSectors));
    EXPECT_TRUE(disc == bin);
}

// CDI/2336: the sectors of the VCD image without their sync and header; the
// drive adds them back, and the disc equals the VCD image vcdxbuild wrote.
TEST_P(TrackTypes, CdiOf2336ByteSectors)
{
    AddRecorder();
    Burner();
    const std::vector<std::uint8_t> vcd = ReadAll(VcdImage().File("disc.bin"));
    const std::size_t sectors = vcd.size() / 2352;
    std::vector<std::uint8_t> bin;
    for (std::size_t s = 0; s < sectors; ++s)
        bin.insert(bin.end(), vcd.begin() + static_cast<std::ptrdiff_t>(s * 2352 + 16),
                   vcd.begin() + static_cast<std::ptrdiff_t>((s + 1) * 2352));
    const std::vector<std::uint8_t> disc = BurnOneTrack("CDI/2336", bin);
    EXPECT_EQ(Sheet(), OneTrackSheet(0x41, 0x20, 0x24, static_cast<std::uint32_t>(sectors)));
    ASSERT_EQ(disc.size(), vcd.size());
    EXPECT_TRUE(disc == vcd);
}

// CDI/2352: raw mode 2 sectors, sent whole; the disc equals the image.
TEST_P(TrackTypes, CdiOf2352ByteSectors)
{
    AddRecorder();
    Burner();
    const std::vector<std::uint8_t> vcd = ReadAll(VcdImage().File("disc.bin"));
    const std::vector<std::uint8_t> disc = BurnOneTrack("CDI/2352", vcd);
    EXPECT_EQ(Sheet(), OneTrackSheet(0x41, 0x21, 0x24, static_cast<std::uint32_t>(vcd.size() / 2352)));
    EXPECT_TRUE(disc == vcd);
}

// MODE2/2048: the user data of mode 2 form 1 sectors. It burns as a MODE2/2352
// track: the library makes each sector's sub-header, EDC and ECC.
TEST_P(TrackTypes, ModeTwoOf2048ByteSectors)
{
    AddRecorder();
    Burner();
    const std::vector<std::uint8_t> data = BurnUserData("MODE2/2048", 60, 2);
    EXPECT_EQ(Sheet(), OneTrackSheet(0x41, 0x20, 0x24, 60));
    EXPECT_EQ(burner_->Files().at(0).Tracks.at(0).TrackType, ttMode2_2352);
    // The form 1 sectors read back as such through READ CD.
    std::vector<std::uint8_t> user(2048);
    ASSERT_TRUE(burner_->ReadCD(7, 1, user.data(), 2048, 4 << 2, 0x10, 0)) << burner_->LastError();
    EXPECT_TRUE(std::equal(user.begin(), user.end(), data.begin() + 7 * 2048));
}

} // namespace
} // namespace discrec_test
