// Whole burns on the virtual recorder: a disc-at-once VCD driven by hand, and
// the recorder plug-in a person gets with KELDARA_VIRTUAL_RECORDER.
#include "recorderlink.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "win32/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace testkit {
namespace {

std::vector<std::uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void RunTool(const std::vector<std::string>& argv, const std::string& folder)
{
    ProcessSpec spec;
    spec.argv = argv;
    spec.workingFolder = folder;
    spec.captureOutput = true;
    const ProcessResult result = RunProcess(spec, 120000);
    ASSERT_TRUE(result.Succeeded()) << argv[0] << ": " << result.error << result.errors;
}

// The MMC cue sheet of a single-file MODE2/2352 .cue, as a disc-at-once burner
// makes it: lead-in, each track's index 0 (track 1 gets a 2 s pregap) and
// index 1 at absolute times (file time + 2 s), lead-out after the file.
std::vector<std::uint8_t> CueSheetOf(const std::string& cueText, std::uint32_t fileSectors)
{
    std::vector<std::uint8_t> sheet;
    auto add = [&](std::uint8_t ctl, std::uint8_t tno, std::uint8_t index, std::uint8_t form, std::int64_t frames) {
        sheet.insert(sheet.end(), {ctl, tno, index, form, 0, static_cast<std::uint8_t>(frames / 4500),
                                   static_cast<std::uint8_t>(frames / 75 % 60), static_cast<std::uint8_t>(frames % 75)});
    };
    std::istringstream lines(cueText);
    std::string word;
    int track = 0;
    std::uint8_t ctl = 0x41;
    bool pendingFlags = false;
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        in >> word;
        if (word == "TRACK") {
            in >> track;
            ctl = 0x41;
            pendingFlags = true;
        } else if (word == "FLAGS") {
            if (line.find("DCP") != std::string::npos)
                ctl |= 0x20;
        } else if (word == "INDEX") {
            int index = 0;
            std::string time;
            in >> index >> time;
            const std::int64_t frames = std::stoi(time.substr(0, 2)) * 4500 + std::stoi(time.substr(3, 2)) * 75 +
                                        std::stoi(time.substr(6, 2)) + 150;
            if (sheet.empty())
                add(ctl, 0, 0, 0x24, 0);   // lead-in
            if (pendingFlags && index == 1)
                add(ctl, static_cast<std::uint8_t>(track), 0, 0x20, frames - 150);   // the track's pregap
            add(ctl, static_cast<std::uint8_t>(track), static_cast<std::uint8_t>(index), 0x20, frames);
            pendingFlags = false;
        }
    }
    add(ctl, 0xAA, 1, 0x24, fileSectors + 150);
    return sheet;
}

class RecorderBurn : public ::testing::TestWithParam<bool> {
protected:
    TempFolder folder_{"keldara-burn"};
    FakeScsiSystem fake_;
};

INSTANTIATE_TEST_SUITE_P(BothLayers, RecorderBurn, ::testing::Values(true, false), LayerName);

TEST_P(RecorderBurn, AVcdBurnedDiscAtOnceEqualsItsBinAndReadsAsAVcd)
{
    // A VCD image made by the real tools from a clip made by ffmpeg.
    const std::string folder = folder_.Path();
    RunTool({"ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=352x288:rate=25", "-f", "lavfi", "-i",
         "sine=frequency=440:sample_rate=44100", "-t", "3", "-target", "pal-vcd", "clip.mpg"},
        folder);
    RunTool({"vcdxgen", "-t", "vcd2", "clip.mpg"}, folder);
    RunTool({"vcdxbuild", "--cue-file=disc.cue", "--bin-file=disc.bin", "videocd.xml"}, folder);
    const std::vector<std::uint8_t> bin = ReadAll(folder_.File("disc.bin"));
    ASSERT_GT(bin.size(), 0u);
    ASSERT_EQ(bin.size() % 2352, 0u);
    const auto sectors = static_cast<std::uint32_t>(bin.size() / 2352);
    std::ifstream cueFile(folder_.File("disc.cue"));
    const std::string cueText((std::istreambuf_iterator<char>(cueFile)), std::istreambuf_iterator<char>());
    const std::vector<std::uint8_t> sheet = CueSheetOf(cueText, sectors);

    RecorderConfig config;
    config.imagePath = folder_.File("burned.bin");
    RegisteredRecorder recorder(config);
    recorder->InsertMedium(Medium::Blank(MediumKind::CdR));
    RecorderLink link(GetParam());

    // Page 05: session at once, raw blocks.
    Answer page = link.Send({0x5A, 0, 0x05, 0, 0, 0, 0, 0, 60, 0}, 60);
    ASSERT_TRUE(page.Ok()) << page;
    page.data[0] = page.data[1] = 0;
    page.data[10] = static_cast<std::uint8_t>((page.data[10] & 0xF0) | 2);
    page.data[12] = static_cast<std::uint8_t>(page.data[12] & 0xF0);
    ASSERT_TRUE(link.Send({0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0}, 0, page.data).Ok());
    const Answer cue = link.Send({0x5D, 0, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(sheet.size()), 0}, 0, sheet);
    ASSERT_TRUE(cue.Ok()) << cue;

    // The pregap as zeros, then every sector of the image cut to its 2336 bytes after sync and header.
    constexpr int kBlock = 27;
    for (std::int64_t lba = -150; lba < sectors; lba += kBlock) {
        const auto count = static_cast<std::uint16_t>(std::min<std::int64_t>(kBlock, sectors - lba));
        std::vector<std::uint8_t> data(std::size_t{count} * 2336, 0);
        for (int i = 0; i < count; ++i)
            if (lba + i >= 0)
                std::memcpy(data.data() + i * 2336, bin.data() + (lba + i) * 2352 + 16, 2336);
        const Answer write = link.Send(Cdb10(0x2A, static_cast<std::uint32_t>(lba), count), 0, data);
        ASSERT_TRUE(write.Ok()) << lba << " " << write;
    }
    ASSERT_TRUE(link.Send(Cdb10(0x35, 0, 0, 0x02), 0).Ok());
    EXPECT_TRUE(recorder->DiscComplete());

    const std::vector<std::uint8_t> burned = ReadAll(config.imagePath);
    ASSERT_EQ(burned.size(), bin.size());
    EXPECT_TRUE(burned == bin) << "the burned image differs from the .bin";

    // vcd-info reads the burned image as a VCD.
    std::string burnedCue = cueText;
    burnedCue.replace(burnedCue.find("disc.bin"), 8, "burned.bin");
    std::ofstream(folder_.File("burned.cue")) << burnedCue;
    ProcessSpec info;
    info.argv = {"vcd-info", "--no-banner", "--cue-file=burned.cue", "--show-format"};
    info.workingFolder = folder;
    info.captureOutput = true;
    const ProcessResult result = RunProcess(info, 60000);
    ASSERT_TRUE(result.Succeeded()) << result.errors;
    EXPECT_NE(result.output.find("VCD 2.0 detected"), std::string::npos) << result.output;
}

// Runs in a child of the next test, with KELDARA_VIRTUAL_RECORDER set.
TEST(RecorderPluginChild, TheVariableBringsARecorder)
{
    const char* spec = std::getenv("KELDARA_VIRTUAL_RECORDER");
    if (!spec)
        GTEST_SKIP() << "runs only with KELDARA_VIRTUAL_RECORDER set";
    const std::string image = std::string(spec).substr(std::string(spec).find(':') + 1);
    FakeScsiSystem fake;   // no real drives beside it
    const std::vector<ScsiDriveInfo> drives = EnumerateScsiDrives();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_TRUE(drives[0].isVirtual);
    EXPECT_EQ(drives[0].path, "virtual:" + image);

    RecorderLink link(true);
    const Answer inquiry = link.Send(Cdb6(0x12, 36), 36);
    ASSERT_TRUE(inquiry.Ok()) << inquiry;
    EXPECT_EQ(std::string(inquiry.data.begin() + 8, inquiry.data.begin() + 36), "KELDARA VIRTUAL RECORDER1.00");
    const Answer disc = link.Send(Cdb10(0x51, 0, 34), 34);
    ASSERT_TRUE(disc.Ok()) << disc;
    EXPECT_EQ(disc.data[2] & 0x03, 0);   // a blank CD-R
    const Answer profile = link.Send({0x46, 0, 0, 0, 0, 0, 0, 0, 8, 0}, 8);
    EXPECT_EQ(Be16(profile.data, 6), 0x09u);
}

TEST(RecorderPlugin, TheVariableAddsARecorderAndWithoutItNothingChanges)
{
    if (std::getenv("KELDARA_VIRTUAL_RECORDER"))
        GTEST_SKIP() << "the child's own run";
    {
        FakeScsiSystem fake;
        EXPECT_TRUE(EnumerateScsiDrives().empty());
    }
    TempFolder folder("keldara-plugin");
    auto child = [&](const std::string& value) {
        ProcessSpec spec;
        spec.argv = {"/proc/self/exe", "--gtest_filter=RecorderPluginChild.*"};
        spec.extraEnv = {{"KELDARA_VIRTUAL_RECORDER", value}};
        spec.captureOutput = true;
        return RunProcess(spec, 60000);
    };
    const ProcessResult listed = child("cdr:" + folder.File("disc.bin"));
    EXPECT_TRUE(listed.Succeeded()) << listed.output << listed.errors;
    EXPECT_NE(listed.output.find("[  PASSED  ] 1 test"), std::string::npos) << listed.output;
    EXPECT_EQ(listed.output.find("SKIPPED"), std::string::npos) << listed.output;

    // A medium the plug-in does not know adds no drive, and says why.
    const ProcessResult refused = child("floppy:" + folder.File("disc.bin"));
    EXPECT_FALSE(refused.Succeeded());
    EXPECT_NE(refused.errors.find("no virtual recorder"), std::string::npos) << refused.errors;
}

} // namespace
} // namespace testkit
