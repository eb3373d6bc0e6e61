// How the engine reads the writing programs and the drive's replies: lines
// as growisofs and genisoimage print them, argument vectors, and MMC replies
// cut short or lying about their length.
#include "mmc.h"
#include "writeprogress.h"

#include "dvdwrite/dvdwrite_hwe.h"

#include <gtest/gtest.h>

#include <vector>

using namespace dvdwrite;

namespace {

TEST(GrowisofsOutput, ProgressLinesGiveTheShareDone)
{
    EXPECT_EQ(GrowisofsProgress("   1015808/4700372992 ( 0.0%) @0x, remaining ??:?? RBU 100.0% UBU   0.0%"),
              14);   // 1015808 * 65535 / 4700372992
    EXPECT_EQ(GrowisofsProgress("  2350186496/4700372992 (50.0%) @4.0x, remaining 5:12 RBU  99.1% UBU  98.0%"),
              32767);
    EXPECT_EQ(GrowisofsProgress("4700372992/4700372992 (100.0%) @4.0x, remaining 0:00 RBU   0.0% UBU  12.0%"), 65535);
    EXPECT_EQ(GrowisofsProgress("0/0 ( 0.0%) @0x, remaining ??:??"), 0);
    // Not progress: the other lines growisofs and genisoimage print.
    EXPECT_EQ(GrowisofsProgress("Executing 'genisoimage -dvd-video -V X /disc | builtin_dd of=/dev/sr0 obs=32k'"),
              std::nullopt);
    EXPECT_EQ(GrowisofsProgress(" 45.12% done, estimate finish Tue Dec  9 14:00:00 2025"), std::nullopt);
    EXPECT_EQ(GrowisofsProgress("2130 extents written (4 MB)"), std::nullopt);
    EXPECT_EQ(GrowisofsProgress("12/"), std::nullopt);
    EXPECT_EQ(GrowisofsProgress(""), std::nullopt);
}

TEST(GrowisofsOutput, FlushingAndClosingLinesMeanTheDiscIsBeingFinalised)
{
    EXPECT_TRUE(GrowisofsClosing("/dev/sr0: flushing cache"));
    EXPECT_TRUE(GrowisofsClosing("/dev/sr0: closing track"));
    EXPECT_TRUE(GrowisofsClosing("/dev/sr0: closing session"));
    EXPECT_TRUE(GrowisofsClosing("/dev/sr0: closing disc"));
    EXPECT_FALSE(GrowisofsClosing("/dev/sr0: reloading tray"));
    EXPECT_FALSE(GrowisofsClosing("/dev/sr0: \"Current Write Speed\" is 4.1x1352KBps."));
    EXPECT_FALSE(GrowisofsClosing("flushing"));
}

TEST(GenisoimageOutput, PercentLines)
{
    EXPECT_EQ(GenisoimageProgress(" 10.00% done, estimate finish Tue Dec  9 14:00:00 2025"), 6553);
    EXPECT_EQ(GenisoimageProgress("100.00% done, estimate finish Tue Dec  9 14:00:00 2025"), 65535);
    EXPECT_EQ(GenisoimageProgress("% done"), std::nullopt);
    EXPECT_EQ(GenisoimageProgress("Total translation table size: 0"), std::nullopt);
    EXPECT_EQ(GenisoimageProgress("-5.00% done"), std::nullopt);
}

TEST(WriteArguments, GrowisofsAndGenisoimage)
{
    EXPECT_EQ(GrowisofsArguments("/dev/sr1", 5540, "MY_DISC", "/work/DVD_DISC"),
              (std::vector<std::string>{"growisofs", "-dvd-compat", "-speed=4", "-use-the-force-luke=notray",
                                        "-use-the-force-luke=tty", "-Z", "/dev/sr1", "-dvd-video", "-V", "MY_DISC",
                                        "/work/DVD_DISC"}));
    // No speed chosen: growisofs picks; no label: no -V.
    EXPECT_EQ(GrowisofsArguments("/dev/sr0", 0, "", "/d"),
              (std::vector<std::string>{"growisofs", "-dvd-compat", "-use-the-force-luke=notray",
                                        "-use-the-force-luke=tty", "-Z", "/dev/sr0", "-dvd-video", "/d"}));
    EXPECT_EQ(SpeedFactor(1000), 1);
    EXPECT_EQ(SpeedFactor(2770), 2);
    EXPECT_EQ(SpeedFactor(22160), 16);
    EXPECT_EQ(GenisoimageArguments("-V", "/out/disc.iso.part", "/d"),
              (std::vector<std::string>{"genisoimage", "-dvd-video", "-V", "-V", "-o", "/out/disc.iso.part", "/d"}));
}

TEST(WriteProgressEvents, OnceEachNeverBackwardsAndNoProgressAfterClosing)
{
    std::vector<std::pair<int, int>> sent;
    WriteProgress progress(WriteTool::Growisofs, [&](int e, int v) { sent.emplace_back(e, v); });
    progress.Line("   0/1000 ( 0.0%) @0x, remaining ??:??");
    progress.Line(" 500/1000 (50.0%) @1.0x, remaining 0:10");
    progress.Line(" 500/1000 (50.0%) @1.0x, remaining 0:10");
    progress.Line(" 400/1000 (40.0%) @1.0x, remaining 0:10");
    progress.Line(":-( write failed: Input/output error");
    EXPECT_EQ(progress.LastError(), ":-( write failed: Input/output error");
    EXPECT_FALSE(progress.ClosingBegan());
    progress.Line("/dev/sr0: flushing cache");
    progress.Line("/dev/sr0: closing track");
    progress.Line("1000/1000 (100.0%) @1.0x, remaining 0:00");
    EXPECT_TRUE(progress.ClosingBegan());
    EXPECT_EQ(sent, (std::vector<std::pair<int, int>>{{7, 0}, {7, 32767}, {8, 0}}));
    EXPECT_EQ(WriteStatus(true, true), HWE_WRITE_COMPLETE);
    EXPECT_EQ(WriteStatus(false, true), HWE_WRITE_FINALIZE_FAILED);
    EXPECT_EQ(WriteStatus(false, false), HWE_WRITE_FAILED);
}

TEST(WriteProgressEvents, MeasuredProgressOnlyWhileTheToolSaysNothing)
{
    std::vector<std::pair<int, int>> sent;
    WriteProgress progress(WriteTool::Genisoimage, [&](int e, int v) { sent.emplace_back(e, v); });
    progress.Measured(1000);
    progress.Line(" 10.00% done, estimate finish Tue Dec  9 14:00:00 2025");
    progress.Measured(30000);   // the tool's own count rules from now on
    progress.Line(" 20.00% done, estimate finish Tue Dec  9 14:00:00 2025");
    EXPECT_EQ(sent, (std::vector<std::pair<int, int>>{{7, 1000}, {7, 6553}, {7, 13107}}));
}

TEST(MmcReplies, ConfigurationProfilesWithinTheReply)
{
    // Header (current DVD-R), profile list with DVD-R and CD-R, then a feature cut short.
    std::vector<std::uint8_t> reply = {0, 0, 0, 24, 0, 0, 0x00, 0x11,   //
                                       0x00, 0x00, 0x03, 8, 0x00, 0x11, 1, 0, 0x00, 0x09, 0, 0,
                                       0x00, 0x1F, 0x00, 8};
    Configuration config = ParseConfiguration(reply);
    EXPECT_EQ(config.currentProfile, 0x11);
    EXPECT_EQ(config.profiles, (std::vector<int>{0x11, 0x09}));
    // A profile list claiming more than came back.
    reply = {0, 0, 0, 200, 0, 0, 0, 0, 0x00, 0x00, 0x03, 200, 0x00, 0x1B, 0, 0};
    EXPECT_EQ(ParseConfiguration(reply).profiles, (std::vector<int>{0x1B}));
    EXPECT_EQ(ParseConfiguration(std::vector<std::uint8_t>{0, 0, 0}).currentProfile, 0);
}

TEST(MmcReplies, CapabilitiesPageAndSpeedDescriptors)
{
    std::vector<std::uint8_t> reply(8 + 40, 0);
    reply[1] = static_cast<std::uint8_t>(reply.size() - 2);
    reply[8] = 0x2A;
    reply[9] = 38;
    reply[11] = 0x10;   // DVD-R write
    reply[8 + 31] = 2;  // two descriptors
    reply[8 + 34] = 0x15, reply[8 + 35] = 0xA4;   // 5540
    reply[8 + 38] = 0x0A, reply[8 + 39] = 0xD2;   // 2770
    auto caps = ParseCapabilities(reply);
    ASSERT_TRUE(caps);
    EXPECT_TRUE(caps->writesDvd);
    EXPECT_EQ(caps->writeSpeeds, (std::vector<int>{5540, 2770}));
    reply.resize(8 + 36);   // the second descriptor cut off
    EXPECT_EQ(ParseCapabilities(reply)->writeSpeeds, (std::vector<int>{5540}));
    reply[8] = 0x05;        // another page
    EXPECT_FALSE(ParseCapabilities(reply));
    // A block descriptor length pointing past the end.
    std::vector<std::uint8_t> bad(16, 0);
    bad[7] = 200;
    EXPECT_FALSE(ParseCapabilities(bad));

    std::vector<std::uint8_t> perf(8 + 32 + 5, 0);
    perf[3] = 36 + 5;   // claims a third descriptor that is not whole
    perf[8 + 14] = 0x15, perf[8 + 15] = 0xA4;
    perf[24 + 14] = 0x0A, perf[24 + 15] = 0xD2;
    EXPECT_EQ(ParseWriteSpeedDescriptors(perf), (std::vector<int>{5540, 2770}));
    EXPECT_EQ(SortedSpeeds({2770, 0, 5540, 2770, -3}), (std::vector<int>{5540, 2770}));
}

TEST(MmcReplies, InquiryTextAndSense)
{
    std::vector<std::uint8_t> reply(36, ' ');
    const std::string text = "HL-DT-STDVDRAM GH24NSD1 LG00";
    std::copy(text.begin(), text.end(), reply.begin() + 8);
    reply[20] = 0x01;   // a control character inside a field reads as a blank
    const InquiryText inquiry = ParseInquiry(reply);
    EXPECT_EQ(inquiry.vendor, "HL-DT-ST");
    EXPECT_EQ(inquiry.product, "DVDR M GH24NSD1");
    EXPECT_EQ(inquiry.revision, "LG00");

    ScsiResult fixed;
    fixed.status = SAM_STAT_CHECK_CONDITION;
    fixed.sense[0] = 0x70, fixed.sense[2] = 0x02, fixed.sense[12] = 0x3A, fixed.sense[13] = 0x01;
    fixed.senseLength = 18;
    EXPECT_EQ(SenseOf(fixed).key, 0x02);
    EXPECT_EQ(SenseOf(fixed).asc, 0x3A);
    ScsiResult descriptor;
    descriptor.sense[0] = 0x72, descriptor.sense[1] = 0x06, descriptor.sense[2] = 0x28;
    descriptor.senseLength = 8;
    EXPECT_EQ(SenseOf(descriptor).key, 0x06);
    EXPECT_EQ(SenseOf(descriptor).asc, 0x28);
    EXPECT_FALSE(Succeeded(fixed));
    EXPECT_TRUE(Succeeded(ScsiResult{}));
}

} // namespace
