// Writes onto a drive: growisofs (a stand-in script first on PATH) run with
// the engine's argument vector, its output turned into events, failures
// before and after closing, abort and free killing it, and the drive let go
// while it runs. The drive is a device node of a fake system answered by
// the virtual recorder.
#include "enginefixture.h"
#include "testmedia.h"

#include "rtl/paths.h"

#include <sstream>

using namespace enginetest;
using namespace outsidetest;
using testkit::Medium;
using testkit::MediumKind;

namespace {

// Progress as growisofs prints it: each line ended by a carriage return.
const char* const kProgress =
    "printf '    0/1000 ( 0.0%%) @0x, remaining ??:?? RBU 100.0%% UBU   0.0%%\\r' >&2\n"
    "printf '  500/1000 (50.0%%) @4.0x, remaining 0:01 RBU 100.0%% UBU  99.0%%\\r' >&2\n"
    "printf ' 1000/1000 (100.0%%) @4.0x, remaining 0:00 RBU   0.0%% UBU  10.0%%\\r' >&2\n";
const char* const kClosing =
    "printf 'builtin_dd: 512*2KB out @ average 4.0x1352KBps\\n' >&2\n"
    "printf '/dev/sr0: flushing cache\\n' >&2\n"
    "printf '/dev/sr0: closing track\\n' >&2\n"
    "printf '/dev/sr0: closing disc\\n' >&2\n";

class GrowisofsTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        drive = std::make_shared<testkit::VirtualRecorder>(DvdRecorderConfig());
        drive->InsertMedium(Medium::Blank(MediumKind::DvdR));
        system.AddDrive("sr0", "2:0:0:0");
        system.Node("/dev/sr0").sgio = testkit::AnsweredBy(drive);
        ForceDirectories(disc + "/VIDEO_TS");
        WriteText(disc + "/VIDEO_TS/VIDEO_TS.IFO", "IFO");
        Open();
        ASSERT_EQ(engine.Count(handle), 1);
        ASSERT_EQ(engine.WriterName(handle, 0), "KELDARA VIRTUAL RECORDER 1.00 (/dev/sr0)");
    }
    // A growisofs that records its arguments, then runs body.
    void Growisofs(const std::string& body)
    {
        fakes.Add("growisofs", "for a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + args + "'; done\n" + body);
    }
    std::vector<std::string> Arguments() const
    {
        std::vector<std::string> lines;
        std::istringstream in(ReadText(args));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    int Write(const char* label = "MY_DISC") { return engine.StartWriting(handle, disc.c_str(), label); }

    std::shared_ptr<testkit::VirtualRecorder> drive;
    OutputFolder folder{"keldara-growisofs"};
    std::string disc = folder.File("Work & Play") + "/DVD_DISC";
    std::string args = folder.File("args");
    std::string bin = [this] {
        ForceDirectories(folder.File("bin"));
        return folder.File("bin");
    }();
    FakePrograms fakes{bin};
};

TEST_F(GrowisofsTest, AWriteRunsGrowisofsAndReportsStartProgressClosingAndCompletion)
{
    Growisofs(std::string(kProgress) + kClosing + "exit 0");
    engine.SetWriteSpeed(handle, 5540);
    EXPECT_EQ(Write(), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_COMPLETE}));
    EXPECT_EQ(events.All(), (std::vector<Event>{{9, 0}, {7, 0}, {7, 32767}, {7, 65535}, {8, 0}, {9, 17}}));
    EXPECT_EQ(Arguments(), (std::vector<std::string>{"-dvd-compat", "-speed=4", "-use-the-force-luke=notray",
                                                     "-use-the-force-luke=tty", "-Z", "/dev/sr0", "-dvd-video", "-V",
                                                     "MY_DISC", disc}));
}

TEST_F(GrowisofsTest, SpeedAndLabelAreLeftOutWhenNotGiven)
{
    Growisofs("exit 0");
    EXPECT_EQ(Write(""), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_COMPLETE}));
    // Nothing to say about progress or closing: still one start and one end.
    EXPECT_EQ(events.All(), (std::vector<Event>{{9, 0}, {9, 17}}));
    EXPECT_EQ(Arguments(), (std::vector<std::string>{"-dvd-compat", "-use-the-force-luke=notray",
                                                     "-use-the-force-luke=tty", "-Z", "/dev/sr0", "-dvd-video", disc}));
}

TEST_F(GrowisofsTest, AFailureBeforeClosingFailsTheWriteAndOneAfterFailsItsFinalisation)
{
    Growisofs(std::string(kProgress) + "echo ':-( write failed: Input/output error' >&2\nexit 1");
    EXPECT_EQ(Write(), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FAILED}));
    EXPECT_EQ(WithoutProgress(events.All()), (std::vector<Event>{{9, 0}, {9, 3}}));

    events.Clear();
    Growisofs(std::string(kProgress) + "printf '/dev/sr0: flushing cache\\n' >&2\nexit 1");
    EXPECT_EQ(Write(), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FINALIZE_FAILED}));
    EXPECT_EQ(WithoutProgress(events.All()), (std::vector<Event>{{9, 0}, {8, 0}, {9, 15}}));

    events.Clear();
    Growisofs("kill -SEGV $$");
    EXPECT_EQ(Write(), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FAILED}));
}

TEST_F(GrowisofsTest, NoGrowisofsFailsTheWrite)
{
    FakePrograms only(bin, true);   // PATH holds nothing else
    EXPECT_EQ(Write(), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FAILED}));
    EXPECT_EQ(events.All(), (std::vector<Event>{{9, 0}, {9, 3}}));
}

TEST_F(GrowisofsTest, AWriteThatCannotBeginReportsFailureAlone)
{
    Growisofs("exit 0");
    const std::string label31(31, 'L');
    const std::string label32(32, 'L');
    EXPECT_EQ(Write(label32.c_str()), HWE_WRITE_FAILED);
    EXPECT_EQ(engine.StartWriting(handle, folder.Path().c_str(), "X"), HWE_WRITE_FAILED);   // no VIDEO_TS
    EXPECT_EQ(engine.StartWriting(handle, nullptr, "X"), HWE_WRITE_FAILED);
    EXPECT_EQ(events.All(), (std::vector<Event>{{9, 3}, {9, 3}, {9, 3}}));
    EXPECT_FALSE(FileExists(args));   // growisofs never ran
    events.Clear();
    EXPECT_EQ(Write(label31.c_str()), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_COMPLETE}));
    EXPECT_EQ(Arguments()[7], label31);
}

TEST_F(GrowisofsTest, AbortKillsGrowisofsAndWhatItStartedAndTheDriveIsLetGoMeanwhile)
{
    const std::string pids = folder.File("pids");
    Growisofs(std::string(kProgress) + "sleep 60 & echo $! >> '" + pids + "'\necho $$ >> '" + pids +
              "'\nwait\nexit 0");
    EXPECT_EQ(Write(), 0);
    // Counted once the write has begun: the poller's first look may land just before it.
    const std::size_t before = drive->Commands().size();
    ASSERT_TRUE(WaitUntil([&] { return ReadText(pids).find('\n') != ReadText(pids).rfind('\n'); }));
    // A second write while this one runs is refused quietly.
    EXPECT_EQ(Write(), HWE_BUSY);
    EXPECT_EQ(engine.SetWriter(handle, 0), 0);
    // The drive belongs to growisofs: no poll, no query, nothing held open.
    clock.Advance(6000);
    EXPECT_EQ(engine.MediaType(handle), 0x11);
    EXPECT_EQ(engine.MediaStatus(handle), HWE_MEDIA_HAS_DATA);
    engine.OpenTray(handle);
    EXPECT_EQ(drive->Commands().size(), before);
    EXPECT_EQ(system.OpenDescriptors(), 0);

    engine.AbortWrite(handle);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FAILED}));
    EXPECT_EQ(WithoutProgress(events.All()), (std::vector<Event>{{9, 0}, {9, 3}}));
    std::istringstream in(ReadText(pids));
    for (int pid = 0; in >> pid;)
        EXPECT_TRUE(WaitUntil([pid] { return !ProcessAlive(pid); })) << pid;
    // The drive is the engine's again.
    EXPECT_EQ(engine.MediaStatus(handle), HWE_MEDIA_BLANK);
}

TEST_F(GrowisofsTest, FreeDuringAWriteKillsItAndSendsNothingMore)
{
    const std::string pid = folder.File("pid");
    Growisofs("echo $$ > '" + pid + "'\nexec sleep 60");
    EXPECT_EQ(Write(), 0);
    ASSERT_TRUE(WaitUntil([&] { return !ReadText(pid).empty(); }));
    EXPECT_EQ(engine.Free(handle), HWE_OK);
    const int child = std::atoi(ReadText(pid).c_str());
    EXPECT_FALSE(ProcessAlive(child));
    const std::vector<Event> seen = events.All();
    EXPECT_EQ(seen, (std::vector<Event>{{9, 0}}));
    handle = 0;
}

} // namespace
