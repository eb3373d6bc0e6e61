// The image-file writer: a blank DVD-R that is always there, trays that take
// it out and put a new one in, and a write into the image file with
// genisoimage, read back with udfinfo and lsdvd. The disc is authored with
// the program's multiplexer and authoring libraries.
#include "enginefixture.h"
#include "testmedia.h"

#include "author/dvdauthorlib.h"
#include "mux/tormux.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"

#include <sstream>

using namespace enginetest;
using namespace outsidetest;

namespace {

// A one-title DVD folder (dest/VIDEO_TS) made the way the program makes it.
void AuthorDisc(const std::string& work, const std::string& dest)
{
    const Streams streams = MakeStreams(work, Disc::DvdPal, 2.0, "clip");
    const std::string vob = JoinPath(work, "clip.vob");
    {
        Library tormux("Tormux.dll");
        auto mplex = tormux.Symbol<TMPlex>("MPlex");
        ASSERT_NE(mplex, nullptr);
        std::string args[] = {"Keldara", "-f", "8", "-o", vob, streams.video, streams.audio, "-O", "0"};
        char* argv[9];
        for (int i = 0; i < 9; ++i)
            argv[i] = args[i].data();
        ASSERT_EQ(mplex(9, argv), MUX_OK);
    }
    const std::string xml = JoinPath(work, "Author.xml");
    WriteText(xml, "<dvdauthor dest=\"" + dest + "\">\n  <vmgm />\n  <titleset>\n    <titles>\n      <pgc>\n"
                   "        <vob file=\"" + vob + "\" chapters=\"0\" />\n      </pgc>\n    </titles>\n"
                   "  </titleset>\n</dvdauthor>\n");
    Library author("dvdauthor.dll");
    auto authorMain = author.Symbol<TAuthorMain>("author_main");
    ASSERT_NE(authorMain, nullptr);
    std::string path = xml;
    ASSERT_EQ(authorMain(path.data()), AUTHOR_OK);
}

// "name=value" lines of udfinfo.
std::string UdfField(const std::string& text, const std::string& name)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(name + "="))
            return line.substr(name.size() + 1);
    return {};
}

class ImageWriterTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ::setenv("KELDARA_DVD_IMAGE_WRITER", image.c_str(), 1);
        Open();
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        ::unsetenv("KELDARA_DVD_IMAGE_WRITER");
    }

    OutputFolder folder{"keldara-image-writer"};
    std::string image = folder.File("disc.iso");
};

TEST_F(ImageWriterTest, AlwaysHoldsABlankDvdRThatTheTrayTakesOutAndPutsBack)
{
    ASSERT_EQ(engine.Count(handle), 1);
    EXPECT_EQ(engine.WriterName(handle, 0), "Image file writer (" + image + ")");
    EXPECT_EQ(engine.MediaType(handle), 17);
    EXPECT_EQ(engine.MediaStatus(handle), HWE_MEDIA_BLANK);
    EXPECT_EQ(engine.Speeds(handle), (std::vector<int>{22160, 11080, 5540, 2770, 0}));
    engine.MediaType(handle);   // the poller has looked once

    engine.OpenTray(handle);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_MEDIUM_REMOVED, 0}));
    EXPECT_EQ(engine.MediaType(handle), 0);
    EXPECT_EQ(engine.MediaStatus(handle), HWE_MEDIA_NONE);
    engine.CloseTray(handle);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_MEDIUM_ARRIVED, 0}));
    EXPECT_EQ(engine.MediaType(handle), 17);
    EXPECT_EQ(events.All(), (std::vector<Event>{{3, 0}, {2, 0}}));
}

TEST_F(ImageWriterTest, ComesBeforeTheDrives)
{
    testkit::RegisteredRecorder recorder(DvdRecorderConfig(), "recorder");
    int second = 0;
    ASSERT_EQ(engine.Init(0, 0, &second), HWE_OK);
    ASSERT_EQ(engine.Count(second), 2);
    EXPECT_EQ(engine.WriterName(second, 0), "Image file writer (" + image + ")");
    EXPECT_EQ(engine.WriterName(second, 1), "KELDARA VIRTUAL RECORDER 1.00 (recorder)");
    engine.Free(second);
}

TEST_F(ImageWriterTest, WritesTheDiscImageThatUdfAndDvdReadersRead)
{
    const std::string work = folder.File("work");
    const std::string dest = JoinPath(work, "DVD_DISC");
    ForceDirectories(work);
    AuthorDisc(work, dest);
    ASSERT_TRUE(FileExists(dest + "/VIDEO_TS/VIDEO_TS.IFO"));

    ASSERT_EQ(engine.StartWriting(handle, dest.c_str(), "KELDARA_DISC_1"), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_COMPLETE}, 120000));
    const std::vector<Event> all = events.All();
    ASSERT_GE(all.size(), 4u);
    EXPECT_EQ(all.front(), (Event{9, 0}));
    EXPECT_EQ(all[all.size() - 3], (Event{7, 65535}));   // all written, however small the disc
    EXPECT_EQ(all[all.size() - 2], (Event{8, 0}));
    EXPECT_EQ(all.back(), (Event{9, 17}));
    int last = -1;
    for (std::size_t i = 1; i + 2 < all.size(); ++i) {
        EXPECT_EQ(all[i].event, HWE_EVENT_PROGRESS);
        EXPECT_GT(all[i].value, last);
        EXPECT_LE(all[i].value, 65535);
        last = all[i].value;
    }
    EXPECT_FALSE(FileExists(image + ".part"));

    std::string udf;
    ASSERT_EQ(outsidetest::Run({"udfinfo", image}, &udf), 0);
    EXPECT_EQ(UdfField(udf, "udfrev"), "1.02");
    EXPECT_EQ(UdfField(udf, "label"), "KELDARA_DISC_1");
    std::string dvd;
    ASSERT_EQ(outsidetest::Run({"lsdvd", image}, &dvd), 0);
    EXPECT_NE(dvd.find("Title: 01"), std::string::npos) << dvd;
    EXPECT_EQ(dvd.find("Title: 02"), std::string::npos) << dvd;
}

TEST_F(ImageWriterTest, AFailedOrAbortedWriteLeavesThePreviousImage)
{
    const std::string dest = folder.File("DVD_DISC");
    ForceDirectories(dest + "/VIDEO_TS");
    WriteText(dest + "/VIDEO_TS/VIDEO_TS.IFO", "IFO");
    WriteText(image, "previous image");
    const std::string bin = folder.File("bin");
    ForceDirectories(bin);
    FakePrograms fakes(bin);
    // A genisoimage that writes part of its output and fails.
    fakes.Add("genisoimage", "while [ \"$1\" != -o ]; do shift; done\necho partial > \"$2\"\n"
                             "echo 'genisoimage: No space left on device. Cannot write disc image.' >&2\nexit 1");
    ASSERT_EQ(engine.StartWriting(handle, dest.c_str(), ""), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FAILED}));
    EXPECT_EQ(WithoutProgress(events.All()), (std::vector<Event>{{9, 0}, {9, 3}}));
    // The tool's reason is the write's, for the burning window's log and box.
    EXPECT_EQ(engine.LastError(handle), "genisoimage: No space left on device. Cannot write disc image.");
    EXPECT_EQ(ReadText(image), "previous image");
    EXPECT_FALSE(FileExists(image + ".part"));

    // One that runs until it is stopped.
    events.Clear();
    const std::string pid = folder.File("pid");
    fakes.Add("genisoimage", "while [ \"$1\" != -o ]; do shift; done\necho partial > \"$2\"\necho $$ > '" + pid +
                                 "'\nexec sleep 60");
    ASSERT_EQ(engine.StartWriting(handle, dest.c_str(), "X"), 0);
    ASSERT_TRUE(WaitUntil([&] { return !ReadText(pid).empty(); }));
    engine.AbortWrite(handle);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FAILED}));
    EXPECT_EQ(WithoutProgress(events.All()), (std::vector<Event>{{9, 0}, {9, 3}}));
    EXPECT_FALSE(ProcessAlive(std::atoi(ReadText(pid).c_str())));
    EXPECT_EQ(ReadText(image), "previous image");
    EXPECT_FALSE(FileExists(image + ".part"));
}

// An image that cannot be put in place (the target is a folder) is a failed
// write with the reason, not a write whose finalisation failed: nothing is written.
TEST_F(ImageWriterTest, AnImageThatCannotBePutInPlaceFailsTheWriteWithItsReason)
{
    const std::string dest = folder.File("DVD_DISC");
    ForceDirectories(dest + "/VIDEO_TS");
    WriteText(dest + "/VIDEO_TS/VIDEO_TS.IFO", "IFO");
    ForceDirectories(image);
    const std::string bin = folder.File("bin");
    ForceDirectories(bin);
    FakePrograms fakes(bin);
    fakes.Add("genisoimage", "while [ \"$1\" != -o ]; do shift; done\necho image > \"$2\"");
    ASSERT_EQ(engine.StartWriting(handle, dest.c_str(), "X"), 0);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_STATUS, HWE_WRITE_FAILED}));
    EXPECT_EQ(WithoutProgress(events.All()), (std::vector<Event>{{9, 0}, {9, 3}}));
    EXPECT_EQ(engine.LastError(handle), "the image could not be put in place as " + image + ": Is a directory");
    EXPECT_FALSE(FileExists(image + ".part"));
}

} // namespace
