// Writes onto a virtual recorder: it has no device node a burning program
// could open, so the image program writes into a pipe and the engine sends
// the sectors to the drive itself, then flushes and closes the disc. The
// image program is a stand-in first on PATH that writes known bytes, so that
// the recorded sectors can be compared with them byte for byte.
#include "enginefixture.h"
#include "testmedia.h"

#include "rtl/paths.h"

#include <fstream>
#include <iterator>

using namespace enginetest;
using namespace outsidetest;
using testkit::Medium;
using testkit::MediumKind;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PipeWriteTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        testkit::RecorderConfig config = DvdRecorderConfig();
        config.imagePath = recorded;
        recorder = std::make_unique<testkit::RegisteredRecorder>(config, "virtual recorder");
        (*recorder)->InsertMedium(Medium::Blank(MediumKind::DvdR));
        ForceDirectories(disc + "/VIDEO_TS");
        WriteText(disc + "/VIDEO_TS/VIDEO_TS.IFO", "IFO");
        // 1000 sectors and a half of bytes that differ from sector to sector.
        std::string image(1000 * 2048 + 1024, '\0');
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<char>((i / 2048) * 31 + i % 251);
        WriteText(reference, image);
        Open();
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        recorder.reset();
    }
    // An image program that writes the reference to its output and then runs `after`.
    void ImageProgram(const std::string& after = "exit 0")
    {
        fakes.Add("genisoimage", "while [ \"$1\" != -o ]; do shift; done\ncat '" + reference + "' > \"$2\" || exit 1\n" +
                                     after);
    }

    OutputFolder folder{"keldara-pipe-write"};
    std::string disc = folder.File("DVD_DISC");
    std::string recorded = folder.File("recorded.img");
    std::string reference = folder.File("reference.iso");
    std::string bin = [this] {
        ForceDirectories(folder.File("bin"));
        return folder.File("bin");
    }();
    FakePrograms fakes{bin};
    std::unique_ptr<testkit::RegisteredRecorder> recorder;
};

TEST_F(PipeWriteTest, TheRecordedSectorsAreTheImageByteForByte)
{
    ImageProgram();
    ASSERT_EQ(engine.StartWriting(handle, disc.c_str(), "MY_DISC"), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_COMPLETE}));
    EXPECT_EQ(WithoutProgress(events.All()), (std::vector<Event>{{9, 0}, {8, 0}, {9, 17}}));
    // The last half sector is padded with zeros to a whole one.
    std::string expected = ReadAll(reference);
    expected.resize(1001 * 2048, '\0');
    const std::string written = ReadAll(recorded);
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
    EXPECT_TRUE((*recorder)->DiscComplete());
    EXPECT_EQ(engine.LastError(handle), "");
    // Written from sector 0 in runs of 32, flushed, then the track and the session closed.
    const auto writes = (*recorder)->CommandsWithOpcode(0x2A);
    ASSERT_EQ(writes.size(), 32u);
    EXPECT_EQ(writes.front().cdb, (std::vector<std::uint8_t>{0x2A, 0, 0, 0, 0, 0, 0, 0, 32, 0}));
    EXPECT_EQ(writes.back().cdb, (std::vector<std::uint8_t>{0x2A, 0, 0, 0, 0x03, 0xE0, 0, 0, 9, 0}));
    EXPECT_EQ((*recorder)->CommandsWithOpcode(0x35).size(), 1u);
    const auto closes = (*recorder)->CommandsWithOpcode(0x5B);
    ASSERT_EQ(closes.size(), 2u);
    EXPECT_EQ(closes[0].cdb[2], 1);
    EXPECT_EQ(closes[1].cdb[2], 2);
}

// A sector the drive refuses ends the write with its reason, however the image
// program took the closed pipe; a flush that fails fails the finalisation.
TEST_F(PipeWriteTest, AFailingSectorOrFlushSaysWhy)
{
    ImageProgram();
    testkit::RecorderFaults faults;
    faults.hardWriteErrorAt = 100;
    (*recorder)->SetFaults(faults);
    ASSERT_EQ(engine.StartWriting(handle, disc.c_str(), "MY_DISC"), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FAILED}));
    EXPECT_EQ(engine.LastError(handle), "writing sector 96: virtual recorder answered sense 3/0C/00");
    int length = 0;
    EXPECT_EQ(engine.LastError(handle, 8, &length), "writing");   // cut to the buffer, the length told whole
    EXPECT_EQ(length, 58);
    EXPECT_TRUE((*recorder)->CommandsWithOpcode(0x35).empty());

    (*recorder)->InsertMedium(Medium::Blank(MediumKind::DvdR));
    (*recorder)->SetFaults(testkit::RecorderFaults::Refusing(0x35));
    events.Clear();
    ASSERT_EQ(engine.StartWriting(handle, disc.c_str(), "MY_DISC"), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FINALIZE_FAILED}));
    EXPECT_EQ(engine.LastError(handle), "flushing the drive's cache: virtual recorder answered sense 3/0C/00");
    EXPECT_FALSE((*recorder)->DiscComplete());
}

TEST_F(PipeWriteTest, AbortStopsTheImageProgramAndTheCopy)
{
    const std::string pid = folder.File("pid");
    ImageProgram("echo $$ > '" + pid + "'\nexec sleep 60");
    ASSERT_EQ(engine.StartWriting(handle, disc.c_str(), "MY_DISC"), 0);
    ASSERT_TRUE(WaitUntil([&] { return !ReadText(pid).empty(); }));
    engine.AbortWrite(handle);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FAILED}));
    EXPECT_FALSE(ProcessAlive(std::atoi(ReadText(pid).c_str())));
    EXPECT_TRUE((*recorder)->CommandsWithOpcode(0x35).empty());
    EXPECT_FALSE((*recorder)->DiscComplete());
}

// An image program that fails before it writes a byte (here: one that never opens the pipe).
TEST_F(PipeWriteTest, AnImageProgramThatWritesNothingFailsTheWrite)
{
    fakes.Add("genisoimage", "echo 'genisoimage: Unable to make a DVD-Video image.' >&2\nexit 1");
    ASSERT_EQ(engine.StartWriting(handle, disc.c_str(), "MY_DISC"), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FAILED}));
    EXPECT_EQ(engine.LastError(handle), "genisoimage: Unable to make a DVD-Video image.");
    fakes.Add("genisoimage", "exit 0");
    events.Clear();
    ASSERT_EQ(engine.StartWriting(handle, disc.c_str(), "MY_DISC"), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FAILED}));
    EXPECT_EQ(engine.LastError(handle), "the image program wrote nothing");
    EXPECT_TRUE((*recorder)->CommandsWithOpcode(0x2A).empty());
}

// A write the engine refuses says why too, through the same entry.
TEST_F(PipeWriteTest, ARefusedWriteSaysWhy)
{
    const std::string empty = folder.File("empty");
    ForceDirectories(empty);
    EXPECT_EQ(engine.StartWriting(handle, empty.c_str(), "X"), HWE_WRITE_FAILED);
    EXPECT_EQ(engine.LastError(handle), "the folder holds no VIDEO_TS/VIDEO_TS.IFO");
    EXPECT_EQ(engine.StartWriting(handle, disc.c_str(), std::string(32, 'L').c_str()), HWE_WRITE_FAILED);
    EXPECT_EQ(engine.LastError(handle), "the volume label is longer than 31 bytes");
    EXPECT_EQ(engine.LastErrorText(987654, nullptr, 0), HWE_BAD_HANDLE);
}

} // namespace
