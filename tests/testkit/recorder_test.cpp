#include "recorderlink.h"

#include "rtl/clock.h"
#include "win32/cdsector.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace testkit {
namespace {

constexpr std::uint8_t kTur = 0x00, kRequestSense = 0x03, kFormat = 0x04, kInquiry = 0x12, kStartStop = 0x1B,
                       kPrevent = 0x1E, kReadFormatCapacities = 0x23, kReadCapacity = 0x25, kRead10 = 0x28,
                       kWrite10 = 0x2A, kSync = 0x35, kReadToc = 0x43, kGetConfig = 0x46, kDiscInfo = 0x51,
                       kTrackInfo = 0x52, kModeSelect = 0x55, kModeSense = 0x5A, kCloseTrack = 0x5B,
                       kBufferCapacity = 0x5C, kCueSheet = 0x5D, kBlank = 0xA1, kGetPerformance = 0xAC,
                       kSetCdSpeed = 0xBB;

// Every test runs against both ASPI layers: true is the program's own pass-through layer.
class Recorder : public ::testing::TestWithParam<bool> {
protected:
    explicit Recorder(RecorderConfig config = {}) : recorder_(WithImage(std::move(config))), clock_(manual_)
    {
        link_ = std::make_unique<RecorderLink>(GetParam());
    }

    RecorderConfig WithImage(RecorderConfig config)
    {
        if (config.imagePath.empty())
            config.imagePath = folder_.File("disc.img");
        return config;
    }
    VirtualRecorder& Drive() { return recorder_.Recorder(); }
    Answer Send(std::vector<std::uint8_t> cdb, std::uint32_t in = 0, const std::vector<std::uint8_t>& out = {})
    {
        return link_->Send(std::move(cdb), in, out);
    }
    Answer ModeSense(std::uint8_t page, std::uint16_t length = 255)
    {
        return Send({kModeSense, 0, page, 0, 0, 0, 0, static_cast<std::uint8_t>(length >> 8),
                     static_cast<std::uint8_t>(length), 0},
                    length);
    }
    Answer ModeSelect(const std::vector<std::uint8_t>& list)
    {
        return Send({kModeSelect, 0x10, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(list.size()), 0}, 0, list);
    }
    // Page 05 with a write type and a data block type, as a MODE SELECT list.
    std::vector<std::uint8_t> Page05List(std::uint8_t writeType, std::uint8_t blockType)
    {
        const Answer sense = ModeSense(0x05);
        std::vector<std::uint8_t> list(sense.data.begin(), sense.data.begin() + 8 + 52);
        list[0] = list[1] = 0;
        list[8] &= 0x3F;
        list[10] = static_cast<std::uint8_t>((list[10] & 0xF0) | writeType);
        list[12] = static_cast<std::uint8_t>((list[12] & 0xF0) | blockType);
        return list;
    }
    Answer GetConfiguration(std::uint8_t rt, std::uint16_t feature, std::uint16_t length = 512)
    {
        return Send({kGetConfig, rt, static_cast<std::uint8_t>(feature >> 8), static_cast<std::uint8_t>(feature), 0, 0,
                     0, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), 0},
                    length);
    }
    Answer ReadToc(std::uint8_t format, std::uint16_t length = 804, bool msf = false)
    {
        return Send({kReadToc, static_cast<std::uint8_t>(msf ? 2 : 0), format, 0, 0, 0, 0,
                     static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), 0},
                    length);
    }
    Answer DiscInfo() { return Send(Cdb10(kDiscInfo, 0, 34), 34); }
    Answer TrackInfo(std::uint32_t track) { return Send(Cdb10(kTrackInfo, track, 40, 0x01), 40); }
    std::uint16_t Profile() { return static_cast<std::uint16_t>(Be16(GetConfiguration(0, 0, 8).data, 6)); }

    // A disc-at-once cue sheet for one mode-2 track of `sectors` sectors.
    static std::vector<std::uint8_t> OneTrackCueSheet(std::uint32_t sectors)
    {
        const std::int64_t end = sectors + 150;
        auto msf = [](std::int64_t frames) {
            return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(frames / 4500),
                                               static_cast<std::uint8_t>(frames / 75 % 60),
                                               static_cast<std::uint8_t>(frames % 75)};
        };
        const auto e = msf(end);
        return {0x41, 0x00, 0x00, 0x24, 0, 0, 0, 0,      0x41, 0x01, 0x00, 0x20, 0, 0, 0, 0,
                0x41, 0x01, 0x01, 0x20, 0, 0, 2, 0,      0x41, 0xAA, 0x01, 0x24, 0, e[0], e[1], e[2]};
    }
    static std::vector<std::uint8_t> CueCdb(std::size_t length)
    {
        return {kCueSheet, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
                0};
    }
    // Disc-at-once set-up: page 05 write type 2, then the cue sheet.
    Answer StartSession(std::uint32_t sectors)
    {
        EXPECT_TRUE(ModeSelect(Page05List(2, 0)).Ok());
        const std::vector<std::uint8_t> sheet = OneTrackCueSheet(sectors);
        return Send(CueCdb(sheet.size()), 0, sheet);
    }
    Answer Write(std::int32_t lba, std::uint16_t count, const std::vector<std::uint8_t>& data)
    {
        return Send(Cdb10(kWrite10, static_cast<std::uint32_t>(lba), count), 0, data);
    }
    static void ExpectSense(const Answer& a, std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, const char* text)
    {
        EXPECT_EQ(a.status, SS_ERR) << a;
        EXPECT_EQ(a.key, key) << a;
        EXPECT_EQ(a.asc, asc) << a;
        EXPECT_EQ(a.ascq, ascq) << a;
        if (text) {
            EXPECT_EQ(a.text, text);
        }
    }

    TempFolder folder_{"keldara-recorder"};
    FakeScsiSystem fake_;   // no real drives: the recorder is alone at 0:0:0
    RegisteredRecorder recorder_;
    ManualClock manual_;
    ScopedClock clock_;
    std::unique_ptr<RecorderLink> link_;
};

INSTANTIATE_TEST_SUITE_P(BothLayers, Recorder, ::testing::Values(true, false), LayerName);

TEST_P(Recorder, InquiryNamesTheRecorder)
{
    const Answer a = Send(Cdb6(kInquiry, 96), 96);
    ASSERT_TRUE(a.Ok()) << a;
    EXPECT_EQ(a.data[0], 5);
    EXPECT_EQ(std::string(a.data.begin() + 8, a.data.begin() + 36), "KELDARA VIRTUAL RECORDER1.00");
    // A short buffer gets no more than it holds.
    const Answer shortReply = Send(Cdb6(kInquiry, 96), 12);
    EXPECT_TRUE(shortReply.Ok());
    EXPECT_EQ(shortReply.data.size(), 12u);
}

TEST_P(Recorder, NoDiscReportsTheTrayAndProfileZero)
{
    ExpectSense(Send(Cdb6(kTur)), 2, 0x3A, 0x01, "NOT READY (MEDIUM NOT PRESENT - TRAY CLOSED)");
    EXPECT_EQ(Profile(), 0);
    EXPECT_TRUE(Send(Cdb6(kStartStop, 0x02)).Ok());   // eject
    EXPECT_TRUE(Drive().TrayOpen());
    ExpectSense(Send(Cdb6(kTur)), 2, 0x3A, 0x02, "NOT READY (MEDIUM NOT PRESENT - TRAY OPEN)");
    ExpectSense(Send(Cdb10(kDiscInfo, 0, 34), 34), 2, 0x3A, 0x02, nullptr);
    // REQUEST SENSE tells the same without failing.
    const Answer sense = Send(Cdb6(kRequestSense, 18), 18);
    ASSERT_TRUE(sense.Ok());
    EXPECT_EQ(sense.data[2], 2);
    EXPECT_EQ(sense.data[12], 0x3A);
    EXPECT_EQ(sense.data[13], 0x02);

    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    EXPECT_FALSE(Drive().TrayOpen());
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());
    EXPECT_EQ(Profile(), 0x09);
}

TEST_P(Recorder, ALockedTrayStaysShut)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    EXPECT_TRUE(Send(Cdb6(kPrevent, 1)).Ok());
    EXPECT_TRUE(Drive().Locked());
    ExpectSense(Send(Cdb6(kStartStop, 0x02)), 5, 0x53, 0x02, "ILLEGAL REQUEST (MEDIUM REMOVAL PREVENTED)");
    Drive().OpenTray();   // the button does nothing either
    EXPECT_FALSE(Drive().TrayOpen());
    EXPECT_TRUE(Send(Cdb6(kPrevent, 0)).Ok());
    EXPECT_TRUE(Send(Cdb6(kStartStop, 0x02)).Ok());
    EXPECT_TRUE(Drive().TrayOpen());
    EXPECT_TRUE(Send(Cdb6(kStartStop, 0x03)).Ok());   // load
    EXPECT_FALSE(Drive().TrayOpen());
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());
}

TEST_P(Recorder, UnknownOpcodesAndPagesAreRefused)
{
    ExpectSense(Send({0x42, 0, 0, 0, 0, 0, 0, 0, 16, 0}, 16), 5, 0x20, 0x00,
                "ILLEGAL REQUEST (INVALID COMMAND OPERATION CODE)");
    ExpectSense(ModeSense(0x30), 5, 0x24, 0x00, "ILLEGAL REQUEST (INVALID FIELD IN CDB)");
}

TEST_P(Recorder, CapabilitiesPageOfAFortyTimesCdRecorder)
{
    Answer a = ModeSense(0x2A);
    ASSERT_TRUE(a.Ok()) << a;
    ASSERT_EQ(a.data[8] & 0x3F, 0x2A);
    const std::vector<std::uint8_t> page(a.data.begin() + 8, a.data.end());
    EXPECT_EQ(page[2] & 0x3F, 0x07);       // reads CD-R, CD-RW, method 2; no DVD
    EXPECT_EQ(page[3] & 0x37, 0x07);       // writes CD-R, CD-RW, test write
    EXPECT_TRUE(page[4] & 0x80);           // buffer-underrun protection
    EXPECT_EQ(Be16(page, 18), 7056u);      // maximum write speed
    EXPECT_EQ(Be16(page, 12), 2048u);      // buffer, KB

    // A DVD disc brings the DVD bits.
    Drive().InsertMedium(Medium::Blank(MediumKind::DvdR));
    a = ModeSense(0x2A);
    EXPECT_EQ(a.data[8 + 2] & 0x38, 0x38);
    EXPECT_EQ(a.data[8 + 3] & 0x30, 0x30);
}

TEST_P(Recorder, SetCdSpeedSetsTheCurrentWriteSpeed)
{
    EXPECT_TRUE(Send({kSetCdSpeed, 0, 0xFF, 0xFF, 0x0B, 0x04, 0, 0, 0, 0, 0, 0}).Ok());   // 2820 kB/s
    EXPECT_EQ(Drive().CurrentWriteSpeed(), 2820);
    EXPECT_EQ(Be16(ModeSense(0x2A).data, 8 + 28), 2820u);
    EXPECT_TRUE(Send({kSetCdSpeed, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}).Ok());   // as fast as it goes
    EXPECT_EQ(Drive().CurrentWriteSpeed(), 7056);
}

TEST_P(Recorder, ModeSelectTakesTheKnownWriteAndBlockTypes)
{
    for (std::uint8_t writeType : {1, 2, 3})
        for (std::uint8_t blockType : {0, 1, 8, 13}) {
            EXPECT_TRUE(ModeSelect(Page05List(writeType, blockType)).Ok()) << int(writeType) << "/" << int(blockType);
            EXPECT_EQ(Drive().WriteParametersPage()[2] & 0x0F, writeType);
            EXPECT_EQ(Drive().WriteParametersPage()[4] & 0x0F, blockType);
        }
    ExpectSense(ModeSelect(Page05List(4, 8)), 5, 0x26, 0x00, "ILLEGAL REQUEST (INVALID FIELD IN PARAMETER LIST)");
    ExpectSense(ModeSelect(Page05List(0, 8)), 5, 0x26, 0x00, nullptr);
    ExpectSense(ModeSelect(Page05List(2, 10)), 5, 0x26, 0x00, nullptr);
    // Page 05 reads back as last selected.
    EXPECT_EQ(ModeSense(0x05).data[8 + 2] & 0x0F, 3);
    EXPECT_EQ(ModeSense(0x05).data[8 + 4] & 0x0F, 13);
}

TEST_P(Recorder, ProfilesFollowTheDisc)
{
    const struct {
        Medium medium;
        std::uint16_t profile;
    } rows[] = {
        {Medium::Complete(MediumKind::CdRom), 0x08},     {Medium::Blank(MediumKind::CdR), 0x09},
        {Medium::Blank(MediumKind::CdRw), 0x0A},         {Medium::Complete(MediumKind::DvdRom), 0x10},
        {Medium::Blank(MediumKind::DvdR), 0x11},         {Medium::Blank(MediumKind::DvdRam), 0x12},
        {Medium::Blank(MediumKind::DvdRwRestricted), 0x13}, {Medium::Blank(MediumKind::DvdRw), 0x14},
        {Medium::Blank(MediumKind::DvdPlusRw), 0x1A},    {Medium::Blank(MediumKind::DvdPlusR), 0x1B},
    };
    for (const auto& row : rows) {
        Drive().InsertMedium(row.medium);
        const Answer a = GetConfiguration(0, 0);
        ASSERT_TRUE(a.Ok()) << a;
        EXPECT_EQ(Be16(a.data, 6), row.profile);
        // Feature 0 lists every profile; the current one is flagged.
        ASSERT_EQ(Be16(a.data, 8), 0u);
        bool flagged = false;
        for (std::size_t at = 12; at < 12u + a.data[11]; at += 4)
            if (Be16(a.data, at) == row.profile)
                flagged = a.data[at + 2] & 1;
        EXPECT_TRUE(flagged) << row.profile;
    }
}

TEST_P(Recorder, ACdRecorderHasNoDvdWriteFeatures)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    for (std::uint16_t feature : {0x2A, 0x2F}) {
        const Answer a = GetConfiguration(2, feature, 114);
        ASSERT_TRUE(a.Ok()) << a;
        EXPECT_EQ(Be32(a.data, 0), 4u) << feature;   // the bare header
    }
    const Answer mastering = GetConfiguration(2, 0x2E, 114);
    EXPECT_EQ(Be32(mastering.data, 0), 12u);
    EXPECT_EQ(Be16(mastering.data, 8), 0x2Eu);

    Drive().InsertMedium(Medium::Blank(MediumKind::DvdPlusRw));
    const Answer plus = GetConfiguration(2, 0x2A, 114);
    EXPECT_EQ(Be16(plus.data, 8), 0x2Au);
    EXPECT_EQ(plus.data[12], 0x01);   // writes DVD+RW
}

TEST_P(Recorder, AtipTellsTheDiscTypeAndItsLastLeadOut)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    Answer a = ReadToc(4, 26);
    ASSERT_TRUE(a.Ok()) << a;
    EXPECT_EQ(a.data[6], 0x80);
    EXPECT_EQ(a.data[12], 79);
    EXPECT_EQ(a.data[13], 59);
    EXPECT_EQ(a.data[14], 74);   // 359849 sectors + 150 = 79:59:74

    Drive().InsertMedium(Medium::Blank(MediumKind::CdRw, 333000));
    a = ReadToc(4, 26);
    EXPECT_EQ(a.data[6], 0xC0);
    EXPECT_EQ(a.data[12] * 4500 + a.data[13] * 75 + a.data[14], 333150);

    Drive().InsertMedium(Medium::Blank(MediumKind::DvdR));
    ExpectSense(ReadToc(4, 26), 5, 0x24, 0x00, nullptr);
}

TEST_P(Recorder, DiscAndTrackInformationForEachDisc)
{
    const struct {
        Medium medium;
        std::uint8_t status;    // disc status bits
        bool erasable;
        std::uint32_t freeBlocks;
    } rows[] = {
        {Medium::Blank(MediumKind::CdR), 0, false, kCdCapacity},
        {Medium::Blank(MediumKind::CdRw), 0, true, kCdCapacity},
        {Medium::Complete(MediumKind::CdR), 2, false, 0},
        {Medium::Complete(MediumKind::CdRom), 2, false, 0},
        {Medium::Blank(MediumKind::DvdR), 0, false, kDvdMinusCapacity},
        {Medium::Complete(MediumKind::DvdR), 2, false, 0},
        {Medium::Blank(MediumKind::DvdRw), 0, true, kDvdMinusCapacity},
        {Medium::Blank(MediumKind::DvdPlusR), 0, false, kDvdPlusCapacity},
        {Medium::Blank(MediumKind::DvdRam), 2, true, kDvdRamCapacity},
    };
    for (const auto& row : rows) {
        Drive().InsertMedium(row.medium);
        const Answer disc = DiscInfo();
        ASSERT_TRUE(disc.Ok()) << disc;
        EXPECT_EQ(disc.data[2] & 0x03, row.status) << int(row.medium.kind);
        EXPECT_EQ((disc.data[2] & 0x10) != 0, row.erasable) << int(row.medium.kind);
        // The last track of the last session: the open track on a blank disc.
        const Answer track = TrackInfo(disc.data[6]);
        ASSERT_TRUE(track.Ok()) << track;
        EXPECT_EQ(std::max(Be32(track.data, 16), row.status == 0 ? Be32(track.data, 24) : 0u), row.freeBlocks)
            << int(row.medium.kind);
        if (row.status == 0) {
            EXPECT_EQ(track.data[7] & 0x01, 1);   // next writable address valid
            EXPECT_EQ(Be32(track.data, 12), 0u);
        }
    }
    ExpectSense(TrackInfo(7), 5, 0x24, 0x00, nullptr);
}

TEST_P(Recorder, CapacitiesBufferAndSpeeds)
{
    Drive().InsertMedium(Medium::Complete(MediumKind::DvdRom, 5000));
    Answer a = Send(Cdb10(kReadCapacity), 8);
    EXPECT_EQ(Be32(a.data, 0), 4999u);
    EXPECT_EQ(Be32(a.data, 4), 2048u);

    Drive().InsertMedium(Medium::Blank(MediumKind::DvdPlusRw));
    a = Send(Cdb10(kReadFormatCapacities, 0, 248), 248);
    ASSERT_TRUE(a.Ok()) << a;
    EXPECT_EQ(a.data[3], 16);
    EXPECT_EQ(Be32(a.data, 4), kDvdPlusCapacity);
    EXPECT_EQ(a.data[8] & 0x03, 0x01);     // not formatted yet
    EXPECT_EQ(a.data[12 + 4] >> 2, 0x26);  // DVD+RW full format

    a = Send(Cdb10(kBufferCapacity, 0, 12), 12);
    EXPECT_EQ(Be32(a.data, 4), 2048u * 1024);
    EXPECT_EQ(Be32(a.data, 8), 2048u * 1024);

    a = Send({kGetPerformance, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0x03, 0}, 8 + 16 * 8);
    ASSERT_TRUE(a.Ok()) << a;
    ASSERT_EQ(Be32(a.data, 0), 4u + 3 * 16);
    EXPECT_EQ(Be32(a.data, 8 + 12), 11080u);   // fastest first
    EXPECT_EQ(Be32(a.data, 8 + 2 * 16 + 12), 2770u);
}

TEST_P(Recorder, CueSheetRules)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    const std::vector<std::uint8_t> good = OneTrackCueSheet(1000);
    // Write type 1 (track at once) takes no cue sheet.
    EXPECT_TRUE(ModeSelect(Page05List(1, 8)).Ok());
    ExpectSense(Send(CueCdb(good.size()), 0, good), 5, 0x26, 0x00, "ILLEGAL REQUEST (INVALID FIELD IN PARAMETER LIST)");
    EXPECT_TRUE(ModeSelect(Page05List(2, 0)).Ok());

    auto broken = [&](auto change) {
        std::vector<std::uint8_t> sheet = good;
        change(sheet);
        return Send(CueCdb(sheet.size()), 0, sheet);
    };
    ExpectSense(broken([](auto& s) { s[1] = 1; }), 5, 0x26, 0x00, nullptr);                    // no lead-in first
    ExpectSense(broken([](auto& s) { s[8 + 2] = 1; }), 5, 0x26, 0x00, nullptr);                // index not rising
    ExpectSense(broken([](auto& s) { s[29] = s[30] = s[31] = 0; }), 5, 0x26, 0x00, nullptr);   // address falls back
    ExpectSense(broken([](auto& s) { s[24 + 1] = 2; }), 5, 0x26, 0x00, nullptr);               // no lead-out last
    ExpectSense(broken([](auto& s) { s[16 + 3] = 0x30; }), 5, 0x26, 0x00, nullptr);            // unknown data form
    ExpectSense(broken([](auto& s) { s.resize(28); }), 5, 0x26, 0x00, nullptr);                // not whole entries
    EXPECT_TRUE(Drive().CueSheet().empty());

    RecorderFaults faults;
    faults.refuseCueSheet = true;
    Drive().SetFaults(faults);
    ExpectSense(Send(CueCdb(good.size()), 0, good), 5, 0x26, 0x00, nullptr);
    Drive().SetFaults({});
    EXPECT_TRUE(Send(CueCdb(good.size()), 0, good).Ok());
    EXPECT_EQ(Drive().CueSheet(), good);
    EXPECT_EQ(Drive().NextWritableAddress(), -150);
}

TEST_P(Recorder, WriteRules)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    const std::vector<std::uint8_t> zeros(27 * 2336, 0);
    // Track at once (the drive's own page) writes only at the next writable address.
    ExpectSense(Write(-150, 27, std::vector<std::uint8_t>(27 * 2048)), 5, 0x21, 0x02,
                "ILLEGAL REQUEST (INVALID ADDRESS FOR WRITE)");
    // Session at once writes nothing before its cue sheet.
    ASSERT_TRUE(ModeSelect(Page05List(2, 0)).Ok());
    ExpectSense(Write(-150, 27, zeros), 5, 0x2C, 0x00, "ILLEGAL REQUEST (COMMAND SEQUENCE ERROR)");
    ASSERT_TRUE(StartSession(1000).Ok());
    ExpectSense(Write(0, 27, zeros), 5, 0x21, 0x02, "ILLEGAL REQUEST (INVALID ADDRESS FOR WRITE)");
    ExpectSense(Write(-150, 27, std::vector<std::uint8_t>(27 * 2352)), 5, 0x26, 0x00, nullptr);   // not 2336 a sector
    std::vector<std::uint8_t> noisy = zeros;
    noisy[5000] = 1;
    ExpectSense(Write(-150, 27, noisy), 5, 0x26, 0x00, nullptr);   // the pregap must be zeros
    EXPECT_TRUE(Write(-150, 27, zeros).Ok());
    EXPECT_EQ(Drive().NextWritableAddress(), -123);
    EXPECT_EQ(Drive().RecordedSectors(), 0u);   // nothing of the pregap is stored
}

// Track at once: each track from the next writable address in the page's data
// block type; SYNCHRONIZE CACHE closes it and the drive lays the next one's
// pregap; CLOSE SESSION closes the session. What a drive refuses, it refuses.
TEST_P(Recorder, TrackAtOnceRules)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    // The drive's own page: track at once, a data track of mode 1 blocks (2048 bytes).
    const std::vector<std::uint8_t> block(10 * 2048, 0x11);
    ExpectSense(Write(5, 10, block), 5, 0x21, 0x02, "ILLEGAL REQUEST (INVALID ADDRESS FOR WRITE)");
    ExpectSense(Write(0, 10, std::vector<std::uint8_t>(10 * 2352)), 5, 0x26, 0x00, nullptr);
    const std::vector<std::uint8_t> reserve = {0x53, 0, 0, 0, 0, 0, 0, 0, 15, 0, 0, 0};
    EXPECT_TRUE(Send(reserve).Ok());
    EXPECT_TRUE(Write(0, 10, block).Ok());
    ExpectSense(Write(10, 10, block), 5, 0x21, 0x00, "ILLEGAL REQUEST (LOGICAL BLOCK ADDRESS OUT OF RANGE)");   // past the reservation
    EXPECT_TRUE(Write(10, 5, std::vector<std::uint8_t>(5 * 2048, 0x22)).Ok());
    EXPECT_EQ(Drive().NextWritableAddress(), 15);
    ExpectSense(Send(reserve), 5, 0x2C, 0x00, "ILLEGAL REQUEST (COMMAND SEQUENCE ERROR)");   // the track is written already
    // An audio track of mode 1 blocks is nothing a drive can write.
    std::vector<std::uint8_t> audio = Page05List(1, 8);
    audio[8 + 3] = 0x00;
    ASSERT_TRUE(ModeSelect(audio).Ok());
    ExpectSense(Write(15, 10, block), 5, 0x64, 0x00, "ILLEGAL REQUEST (ILLEGAL MODE FOR THIS TRACK)");
    // Nor does a disc with tracks written take a cue sheet.
    ASSERT_TRUE(ModeSelect(Page05List(2, 0)).Ok());
    const std::vector<std::uint8_t> sheet = OneTrackCueSheet(100);
    ExpectSense(Send(CueCdb(sheet.size()), 0, sheet), 5, 0x2C, 0x03, "ILLEGAL REQUEST (CURRENT PROGRAM AREA IS NOT EMPTY)");

    // The flush closes track 1: track 2's data starts after a 150-sector pregap the drive lays.
    std::vector<std::uint8_t> data = Page05List(1, 8);
    data[8 + 3] = 0x04;
    ASSERT_TRUE(ModeSelect(data).Ok());
    EXPECT_TRUE(Send({kSync, 0, 0, 0, 0, 0, 0, 0, 0, 0}).Ok());
    const Answer track2 = TrackInfo(2);
    ASSERT_TRUE(track2.Ok()) << track2;
    EXPECT_EQ(Be32(track2.data, 8), 15u);     // the track begins with its pregap
    EXPECT_EQ(Be32(track2.data, 12), 165u);   // its data after it
    EXPECT_EQ(Be32(TrackInfo(1).data, 24), 15u);
    ExpectSense(Write(15, 10, block), 5, 0x21, 0x02, nullptr);
    EXPECT_TRUE(Write(165, 10, block).Ok());
    // The pregap: empty mode 1 sectors with their header and codes.
    std::ifstream in(folder_.File("disc.img"), std::ios::binary);
    std::vector<std::uint8_t> pregap(2352);
    in.seekg(20 * 2352);
    in.read(reinterpret_cast<char*>(pregap.data()), 2352);
    std::vector<std::uint8_t> empty(2352, 0);
    CdSectorHeader(empty.data(), 20, 1);
    CdSectorCodes(empty.data());
    EXPECT_EQ(pregap, empty);

    // CLOSE SESSION closes the open track and the session; the page said no other may follow.
    const std::vector<std::uint8_t> closeSession = {kCloseTrack, 0, 2, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(Send(closeSession).Ok());
    EXPECT_TRUE(Drive().DiscComplete());
    EXPECT_EQ(DiscInfo().data[2] & 0x03, 2);
    ExpectSense(Send(closeSession), 5, 0x2C, 0x00, nullptr);
    const Answer pma = ReadToc(3);
    ASSERT_TRUE(pma.Ok()) << pma;
    EXPECT_EQ(Be16(pma.data, 0), 2u + 2 * 11);
}

TEST_P(Recorder, FaultSwitchesGiveTheirSense)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    ASSERT_TRUE(StartSession(1000).Ok());
    const std::vector<std::uint8_t> zeros(27 * 2336, 0);

    RecorderFaults faults;
    faults.longWriteBusyWrites = 2;
    Drive().SetFaults(faults);
    for (int i = 0; i < 2; ++i)
        ExpectSense(Write(-150, 27, zeros), 2, 0x04, 0x08, "NOT READY (LOGICAL UNIT NOT READY, LONG WRITE IN PROGRESS)");
    EXPECT_TRUE(Write(-150, 27, zeros).Ok());

    faults = {};
    faults.busyCommands = 2;
    Drive().SetFaults(faults);
    for (int i = 0; i < 2; ++i) {
        const Answer busy = Send(Cdb6(kTur));
        EXPECT_EQ(busy.status, SS_ERR);
        EXPECT_EQ(busy.targStat, TARGSTAT_BUSY);
    }
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());

    faults = {};
    faults.hardWriteErrorAt = -100;
    Drive().SetFaults(faults);
    ExpectSense(Write(-123, 27, zeros), 3, 0x0C, 0x00, "MEDIUM ERROR (WRITE ERROR)");
    EXPECT_EQ(Drive().NextWritableAddress(), -123);

    faults = {};
    faults.timeoutOpcode = kTur;
    faults.timeoutOnNth = 2;
    Drive().SetFaults(faults);
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());
    const Answer late = Send(Cdb6(kTur));
    EXPECT_EQ(late.status, SS_ERR);
    EXPECT_EQ(late.haStat, HASTAT_TIMEOUT);
    EXPECT_EQ(late.text, "COMMAND TIMEOUT");
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());
}

TEST_P(Recorder, LateReadinessAndUnitAttentionAfterAChange)
{
    RecorderFaults faults;
    faults.lateReadyCommands = 3;
    faults.unitAttentionOnChange = true;
    Drive().SetFaults(faults);
    Drive().InsertMedium(Medium::Blank(MediumKind::CdRw));
    EXPECT_TRUE(Send(Cdb6(kInquiry, 36), 36).Ok());   // passes the attention by
    ExpectSense(Send(Cdb6(kTur)), 6, 0x28, 0x00,
                "UNIT ATTENTION (NOT READY TO READY CHANGE, MEDIUM MAY HAVE CHANGED)");
    for (int i = 0; i < 3; ++i)
        ExpectSense(Send(Cdb6(kTur)), 2, 0x04, 0x01, "NOT READY (LOGICAL UNIT IS IN PROCESS OF BECOMING READY)");
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());

    // Off by default: a change goes unannounced.
    Drive().SetFaults({});
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());
}

TEST_P(Recorder, SynchronizeCacheClosesTheDiscAfterItsBusyTime)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    ASSERT_TRUE(StartSession(54).Ok());
    const std::vector<std::uint8_t> zeros(27 * 2336, 0);
    std::vector<std::uint8_t> data(27 * 2336, 0x5A);
    for (std::int32_t lba = -150; lba < 54; lba += 27) {
        const std::uint16_t count = static_cast<std::uint16_t>(std::min(27, 54 - lba));
        const bool pregap = lba < 0;
        std::vector<std::uint8_t> block = pregap ? zeros : data;
        block.resize(count * 2336);
        if (lba < 0 && lba + count > 0)   // the block that crosses into the track
            std::fill(block.begin() + (-lba) * 2336, block.end(), 0x5A);
        ASSERT_TRUE(Write(lba, count, block).Ok()) << lba;
    }
    EXPECT_EQ(Drive().RecordedSectors(), 54u);
    EXPECT_FALSE(Drive().DiscComplete());
    EXPECT_EQ(DiscInfo().data[2] & 0x03, 1);   // incomplete while writing
    EXPECT_TRUE(Send(Cdb10(kSync, 0, 0, 0x02)).Ok());
    EXPECT_TRUE(Drive().DiscComplete());
    // With no busy time configured the drive is ready at once.
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());
    const Answer disc = DiscInfo();
    EXPECT_EQ(disc.data[2] & 0x03, 2);
    const Answer track = TrackInfo(1);
    EXPECT_EQ(Be32(track.data, 16), 0u);
    ExpectSense(Write(54, 1, std::vector<std::uint8_t>(2336)), 5, 0x2C, 0x00, nullptr);
    // The user data reads back; READ TOC shows the track and the lead-out.
    const Answer read = Send(Cdb10(kRead10, 10, 1), 2048);
    ASSERT_TRUE(read.Ok()) << read;
    EXPECT_EQ(read.data[0], 0x5A);
    const Answer toc = ReadToc(0);
    ASSERT_TRUE(toc.Ok());
    EXPECT_EQ(toc.data[3], 1);
    EXPECT_EQ(toc.data[4 + 8 + 2], 0xAA);
    EXPECT_EQ(Be32(toc.data, 4 + 8 + 4), 54u);
}

class BusyRecorder : public Recorder {
protected:
    static RecorderConfig Config()
    {
        RecorderConfig config;
        config.syncBusyMs = 5000;
        config.blankBusyMs = 60000;
        return config;
    }
    BusyRecorder() : Recorder(Config()) {}
};
INSTANTIATE_TEST_SUITE_P(BothLayers, BusyRecorder, ::testing::Values(true, false), LayerName);

TEST_P(BusyRecorder, BusyWindowsRunOnTheClock)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    ASSERT_TRUE(StartSession(27).Ok());
    EXPECT_TRUE(Send(Cdb10(kSync, 0, 0, 0x02)).Ok());
    ExpectSense(Send(Cdb6(kTur)), 2, 0x04, 0x08, "NOT READY (LOGICAL UNIT NOT READY, LONG WRITE IN PROGRESS)");
    const Answer sense = Send(Cdb6(kRequestSense, 18), 18);
    EXPECT_EQ(sense.data[13], 0x08);
    manual_.Advance(4999);
    ExpectSense(Send(Cdb6(kTur)), 2, 0x04, 0x08, nullptr);
    manual_.Advance(1);
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());

    // Blanking a CD-RW with the immediate bit: 2/04/07 for its duration, then blank.
    Drive().InsertMedium(Medium::Complete(MediumKind::CdRw));
    EXPECT_EQ(DiscInfo().data[2] & 0x03, 2);
    EXPECT_TRUE(Send({kBlank, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).Ok());
    ExpectSense(Send(Cdb6(kTur)), 2, 0x04, 0x07, "NOT READY (LOGICAL UNIT NOT READY, OPERATION IN PROGRESS)");
    manual_.Advance(60000);
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());
    EXPECT_EQ(DiscInfo().data[2] & 0x03, 0);
    // Without the immediate bit the command itself takes the time.
    const std::uint64_t before = manual_.NowMs();
    EXPECT_TRUE(Send({kBlank, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).Ok());
    EXPECT_EQ(manual_.NowMs() - before, 60000u);
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());
}

class ThrottledRecorder : public Recorder {
protected:
    static RecorderConfig Config()
    {
        RecorderConfig config;
        config.throttle = true;
        return config;
    }
    ThrottledRecorder() : Recorder(Config()) {}
};
INSTANTIATE_TEST_SUITE_P(BothLayers, ThrottledRecorder, ::testing::Values(true, false), LayerName);

TEST_P(ThrottledRecorder, WritesWaitForRoomInADrainingBuffer)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    ASSERT_TRUE(StartSession(27 * 40).Ok());
    const std::vector<std::uint8_t> block(27 * 2336, 0);
    ASSERT_TRUE(Write(-150, 15, std::vector<std::uint8_t>(15 * 2336, 0)).Ok());
    const std::uint64_t start = manual_.NowMs();
    std::uint64_t sent = 15 * 2336;
    for (std::int32_t lba = -135; lba < 27 * 40; lba += 27) {
        ASSERT_TRUE(Write(lba, 27, block).Ok());
        sent += block.size();
    }
    // Nothing drains while the clock stands still, so every byte beyond the
    // buffer had to wait for its room at 7056 kB/s (7056 bytes a millisecond).
    const std::uint64_t waited = manual_.NowMs() - start;
    const std::uint64_t beyond = sent - 2048 * 1024;
    EXPECT_GE(waited, beyond / 7056);
    EXPECT_LE(waited, beyond / 7056 + 45);   // each write rounds its wait up
    Answer buffer = Send(Cdb10(kBufferCapacity, 0, 12), 12);
    EXPECT_LT(Be32(buffer.data, 8), 27u * 2336);   // about full
    manual_.Advance(200);
    buffer = Send(Cdb10(kBufferCapacity, 0, 12), 12);
    EXPECT_GE(Be32(buffer.data, 8), 200u * 7056 - 27 * 2336);   // drained for 200 ms
    EXPECT_LE(Be32(buffer.data, 8), 2048u * 1024);

    // Synchronizing with the immediate bit stays busy until the buffer is on the disc.
    EXPECT_TRUE(Send(Cdb10(kSync, 0, 0, 0x02)).Ok());
    ExpectSense(Send(Cdb6(kTur)), 2, 0x04, 0x08, nullptr);
    manual_.Advance(2048 * 1024 / 7056 + 1);
    EXPECT_TRUE(Send(Cdb6(kTur)).Ok());
    EXPECT_TRUE(Drive().DiscComplete());
}

TEST_P(Recorder, BlankAndFormatOnlyWhereTheDiscAllows)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    ExpectSense(Send({kBlank, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 5, 0x30, 0x00,
                "ILLEGAL REQUEST (INCOMPATIBLE MEDIUM INSTALLED)");
    Drive().InsertMedium(Medium::Blank(MediumKind::DvdPlusR));
    const std::vector<std::uint8_t> plusList = {0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98, 0, 0, 0};
    ExpectSense(Send(Cdb6(kFormat, 0, 0x11), 0, plusList), 5, 0x30, 0x00, nullptr);

    Drive().InsertMedium(Medium::Complete(MediumKind::DvdPlusRw));
    RecorderFaults faults;
    faults.refuseFirstFormat = true;
    Drive().SetFaults(faults);
    ExpectSense(Send(Cdb6(kFormat, 0, 0x11), 0, plusList), 3, 0x31, 0x01, "MEDIUM ERROR (FORMAT COMMAND FAILED)");
    EXPECT_TRUE(Send(Cdb6(kFormat, 0, 0x11), 0, plusList).Ok());
    EXPECT_EQ(Drive().RecordedSectors(), 0u);

    Drive().InsertMedium(Medium::Blank(MediumKind::DvdRam));
    const std::vector<std::uint8_t> ramList = {0x00, 0x82, 0x00, 0x08, 0x00, 0x22, 0x21, 0x20, 0, 0, 0x08, 0};
    EXPECT_TRUE(Send(Cdb6(kFormat, 0, 0x11), 0, ramList).Ok());
    // The parameter lists and the senders' time-outs are kept with the commands.
    EXPECT_EQ(Drive().CommandsWithOpcode(kFormat).back().data, ramList);
    EXPECT_EQ(Drive().CommandsWithOpcode(kFormat).back().timeoutMs, 10000u);
}

TEST_P(Recorder, DvdSectorsLandAtTheirAddressWithZeroRunsLeftSparse)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::DvdR));
    std::vector<std::uint8_t> data(16 * 2048, 0);
    data[0] = 0x11;
    ExpectSense(Write(16, 16, data), 5, 0x21, 0x02, nullptr);   // write-once: only at the next writable address
    EXPECT_TRUE(Write(0, 16, data).Ok());
    const std::vector<std::uint8_t> zeros(16 * 2048, 0);
    for (int block = 1; block < 64; ++block)
        ASSERT_TRUE(Write(block * 16, 16, zeros).Ok());
    data[0] = 0x22;
    EXPECT_TRUE(Write(64 * 16, 16, data).Ok());
    ExpectSense(Write(65 * 16, 15, data), 5, 0x26, 0x00, nullptr);   // 16 sectors sent, 15 announced
    EXPECT_EQ(Drive().NextWritableAddress(), 65 * 16);

    struct stat info{};
    ASSERT_EQ(::stat(folder_.File("disc.img").c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 65 * 16 * 2048);
    EXPECT_LT(info.st_blocks * 512, 16 * 16 * 2048);   // the zero run holds no blocks
    const Answer read = Send(Cdb10(kRead10, 64 * 16, 1), 2048);
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read.data[0], 0x22);
    ExpectSense(Send(Cdb10(kRead10, 65 * 16, 1), 2048), 5, 0x21, 0x00, nullptr);

    // Closing the session completes a DVD-R.
    EXPECT_TRUE(Send({kCloseTrack, 0, 0x02, 0, 0, 0, 0, 0, 0, 0}).Ok());
    EXPECT_TRUE(Drive().DiscComplete());
    EXPECT_EQ(DiscInfo().data[2] & 0x03, 2);

    // A DVD+RW takes sectors anywhere.
    Drive().InsertMedium(Medium::Blank(MediumKind::DvdPlusRw));
    EXPECT_TRUE(Write(1000, 16, data).Ok());
    EXPECT_TRUE(Write(16, 16, data).Ok());
    ExpectSense(Write(static_cast<std::int32_t>(kDvdPlusCapacity) - 8, 16, data), 5, 0x21, 0x00, nullptr);
}

TEST_P(Recorder, ThreeThreadsSendingAtOnce)
{
    Drive().InsertMedium(Medium::Blank(MediumKind::CdR));
    ASSERT_TRUE(StartSession(27 * 40).Ok());
    std::atomic<int> failures{0};
    std::thread writer([&] {
        const std::vector<std::uint8_t> block(27 * 2336, 0);
        for (std::int32_t lba = -150 + 15; lba < 27 * 40; lba += 27) {
            if (lba == -135) {   // first the 15 odd sectors of the pregap
                if (!link_->Send(Cdb10(kWrite10, static_cast<std::uint32_t>(-150), 15), 0,
                                 std::vector<std::uint8_t>(15 * 2336, 0)).Ok())
                    ++failures;
            }
            if (!link_->Send(Cdb10(kWrite10, static_cast<std::uint32_t>(lba), 27), 0, block).Ok())
                ++failures;
        }
    });
    std::thread poller([&] {
        for (int i = 0; i < 200; ++i)
            if (!link_->Send(Cdb10(kBufferCapacity, 0, 12), 12).Ok())
                ++failures;
    });
    std::thread gui([&] {
        for (int i = 0; i < 200; ++i)
            if (!link_->Send(Cdb6(kTur)).Ok() || !link_->Send(Cdb10(kDiscInfo, 0, 34), 34).Ok())
                ++failures;
    });
    writer.join();
    poller.join();
    gui.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(Drive().RecordedSectors(), 27u * 40);
}

} // namespace
} // namespace testkit
