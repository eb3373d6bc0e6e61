// The multiplexer library as the program loads it: real mplex runs on short
// encoder-like streams, failures, cancel and progress.
#include "mux/tormux.h"

#include "muxargs.h"

#include "rtl/paths.h"
#include "testmedia.h"
#include "win32/dynlib.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

using namespace outsidetest;

namespace {

// The library with its entries, loaded for one job like the program does.
struct Tormux {
    Tormux() : lib("Tormux.dll")
    {
        mplex = lib.Symbol<TMPlex>("MPlex");
        position = lib.Symbol<TMUXGetPosition>("MUXGetPosition");
        cancel = lib.Symbol<TMUXCancel>("MUXCancel");
        lastError = lib.Symbol<TMUXLastError>("MUXLastError");
    }
    bool Ready() const { return mplex && position && cancel && lastError; }

    // The program's call: argument texts in zero-filled 256-byte buffers.
    int Mux(const std::string& format, const std::string& out, const std::string& video, const std::string& audio,
            bool dvdTail)
    {
        std::vector<std::vector<char>> buffers;
        for (const std::string* path : {&out, &video, &audio}) {
            buffers.emplace_back(256, '\0');
            path->copy(buffers.back().data(), 255);
        }
        std::string name = "Keldara.exe", f = "-f", o = "-o", bigO = "-O", zero = "0";
        std::string fmt = format;
        char* argv[] = {name.data(), f.data(), fmt.data(), o.data(), buffers[0].data(), buffers[1].data(),
                        buffers[2].data(), bigO.data(), zero.data()};
        return mplex(dvdTail ? 9 : 7, argv);
    }

    Library lib;
    TMPlex mplex = nullptr;
    TMUXGetPosition position = nullptr;
    TMUXCancel cancel = nullptr;
    TMUXLastError lastError = nullptr;
};

bool NoPartFilesIn(const std::string& folder)
{
    return ListFolder(folder, "*.part", ListKind::Files).empty();
}

TEST(Tormux, ExportsTheProgramsEntries)
{
    Tormux tormux;
    ASSERT_TRUE(tormux.lib.Loaded()) << LastLibraryError();
    EXPECT_TRUE(tormux.Ready());
    EXPECT_EQ(tormux.position(), 0);
}

TEST(Tormux, DvdStreamsBecomeAVobWithNavPacks)
{
    OutputFolder folder("keldara-mux-dvd");
    Streams in = MakeStreams(folder.Path(), Disc::DvdPal);
    Tormux tormux;
    ASSERT_TRUE(tormux.Ready());
    const std::string vob = folder.File("clip.vob");
    ASSERT_EQ(tormux.Mux("8", vob, in.video, in.audio, true), MUX_OK) << tormux.lastError();
    EXPECT_STREQ(tormux.lastError(), "");
    EXPECT_EQ(tormux.position(), 100);
    EXPECT_EQ(ProbeStreams(vob), (std::vector<std::string>{"data:dvd_nav_packet", "video:mpeg2video", "audio:ac3"}));
    EXPECT_EQ(FileSize64(vob) % 2048, 0);
    // The inputs belong to the caller.
    EXPECT_TRUE(FileExists(in.video));
    EXPECT_TRUE(FileExists(in.audio));
    EXPECT_TRUE(NoPartFilesIn(folder.Path()));
}

TEST(Tormux, GrainyDvdStreamsWhoseBufferStartsFullAreNotStarvedAtTheirFirstPictures)
{
    // mplex's own run-in lets such a stream's first pictures arrive too late
    // ("Frame data under-runs"): the buffer's fill time at the top rate is given instead.
    OutputFolder folder("keldara-mux-grain");
    Streams in = MakeStreams(folder.Path(), Disc::DvdPalGrain, 3.0);
    EXPECT_EQ(RunInFrames(in.video), 6);   // 224 KB at 9 Mbit/s: 0.204 s, at 25 pictures a second
    Tormux tormux;
    ASSERT_TRUE(tormux.Ready());
    const std::string vob = folder.File("grain.vob");
    ASSERT_EQ(tormux.Mux("8", vob, in.video, in.audio, true), MUX_OK) << tormux.lastError();
    EXPECT_EQ(ProbeStreams(vob), (std::vector<std::string>{"data:dvd_nav_packet", "video:mpeg2video", "audio:ac3"}));
}

TEST(Tormux, SvcdAndVcdStreamsBecomeCdPacks)
{
    OutputFolder folder("keldara-mux-cd");
    Tormux tormux;
    ASSERT_TRUE(tormux.Ready());
    struct Case {
        Disc disc;
        const char* format;
        const char* video;
    };
    for (const Case& c : {Case{Disc::Svcd, "4", "video:mpeg2video"}, Case{Disc::Vcd, "1", "video:mpeg1video"}}) {
        Streams in = MakeStreams(folder.Path(), c.disc, 3.0, std::string("cd") + c.format);
        const std::string out = folder.File(std::string("cd") + c.format + ".mpg");
        ASSERT_EQ(tormux.Mux(c.format, out, in.video, in.audio, false), MUX_OK) << tormux.lastError();
        EXPECT_EQ(ProbeStreams(out), (std::vector<std::string>{c.video, "audio:mp2"})) << c.format;
        EXPECT_EQ(FileSize64(out) % 2324, 0) << c.format;
    }
}

TEST(Tormux, MissingInputFailsAndWritesNothing)
{
    OutputFolder folder("keldara-mux-missing");
    Streams in = MakeStreams(folder.Path(), Disc::DvdPal, 2.0);
    DeleteFile(in.audio);
    Tormux tormux;
    ASSERT_TRUE(tormux.Ready());
    const std::string vob = folder.File("clip.vob");
    EXPECT_EQ(tormux.Mux("8", vob, in.video, in.audio, true), MUX_MISSING_INPUT);
    EXPECT_NE(std::string(tormux.lastError()).find("clip.ac3"), std::string::npos) << tormux.lastError();
    EXPECT_FALSE(FileExists(vob));
    EXPECT_TRUE(FileExists(in.video));
}

TEST(Tormux, StreamsMplexRefusesLeaveNoOutput)
{
    OutputFolder folder("keldara-mux-junk");
    Streams in = MakeStreams(folder.Path(), Disc::DvdPal, 2.0);
    WriteText(in.audio, std::string(20000, 'k'));
    Tormux tormux;
    ASSERT_TRUE(tormux.Ready());
    const std::string vob = folder.File("clip.vob");
    EXPECT_EQ(tormux.Mux("8", vob, in.video, in.audio, true), MUX_FAILED);
    EXPECT_NE(std::string(tormux.lastError()), "");
    EXPECT_FALSE(FileExists(vob));
    EXPECT_TRUE(NoPartFilesIn(folder.Path()));
    EXPECT_LT(tormux.position(), 100);
}

TEST(Tormux, OutputNamesWithPatternAndShellCharactersAreWrittenAsGiven)
{
    OutputFolder base("keldara-mux-names");
    const std::string folder = JoinPath(base.Path(), "Tom & Jerry's \"100%\" Düsseldorf %s");
    ASSERT_TRUE(ForceDirectories(folder));
    Streams in = MakeStreams(folder, Disc::Vcd, 2.0, "-dash %d");
    Tormux tormux;
    ASSERT_TRUE(tormux.Ready());
    const std::string out = JoinPath(folder, "out %d%s$(echo).mpg");
    ASSERT_EQ(tormux.Mux("1", out, in.video, in.audio, false), MUX_OK) << tormux.lastError();
    EXPECT_GT(FileSize64(out), 0);
    EXPECT_TRUE(NoPartFilesIn(folder));
}

TEST(Tormux, RefusesAnOutputThatIsAnInput)
{
    OutputFolder folder("keldara-mux-self");
    Streams in = MakeStreams(folder.Path(), Disc::DvdPal, 2.0);
    const std::int64_t size = FileSize64(in.video);
    Tormux tormux;
    ASSERT_TRUE(tormux.Ready());
    EXPECT_EQ(tormux.Mux("8", in.video, in.video, in.audio, true), MUX_BAD_ARGUMENTS);
    EXPECT_EQ(FileSize64(in.video), size);
    EXPECT_EQ(tormux.Mux("8", folder.File("no/such/folder/x.vob"), in.video, in.audio, true), MUX_BAD_ARGUMENTS);
}

TEST(Tormux, WithoutTheMplexProgramTheRunFailsToStart)
{
    OutputFolder folder("keldara-mux-noprog");
    Streams in = MakeStreams(folder.Path(), Disc::DvdPal, 2.0);
    const std::string empty = folder.File("bin");
    ASSERT_TRUE(ForceDirectories(empty));
    FakePrograms only(empty, true);
    Tormux tormux;
    ASSERT_TRUE(tormux.Ready());
    EXPECT_EQ(tormux.Mux("8", folder.File("x.vob"), in.video, in.audio, true), MUX_TOOL_MISSING);
    EXPECT_FALSE(FileExists(folder.File("x.vob")));
}

// A stand-in mplex that starts a grandchild and waits for it.
void AddHangingMplex(const FakePrograms& fakes, const std::string& folder)
{
    fakes.Add("mplex", "echo $$ > '" + folder + "/mplex.pid'\nsleep 60 &\necho $! > '" + folder +
                           "/sleep.pid'\nwait\n");
}

TEST(Tormux, CancelKillsTheMultiplexerAndStaysInForceUntilFreed)
{
    OutputFolder folder("keldara-mux-cancel");
    Streams in = MakeStreams(folder.Path(), Disc::DvdPal, 2.0);
    const std::string vob = folder.File("clip.vob");
    {
        const std::string bin = folder.File("bin");
        ASSERT_TRUE(ForceDirectories(bin));
        FakePrograms fakes(bin);
        AddHangingMplex(fakes, folder.Path());
        Tormux tormux;
        ASSERT_TRUE(tormux.Ready());
        auto run = std::async(std::launch::async, [&] { return tormux.Mux("8", vob, in.video, in.audio, true); });
        ASSERT_TRUE(WaitUntil([&] { return FileSize64(folder.File("sleep.pid")) > 0; }));
        const int mplexPid = std::stoi(ReadText(folder.File("mplex.pid")));
        const int sleepPid = std::stoi(ReadText(folder.File("sleep.pid")));
        // A second job is refused while one runs.
        EXPECT_EQ(tormux.Mux("8", vob, in.video, in.audio, true), MUX_BUSY);
        tormux.cancel();
        ASSERT_EQ(run.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_EQ(run.get(), MUX_CANCELLED);
        EXPECT_FALSE(ProcessAlive(mplexPid));
        // The whole group was signalled; a grandchild dies a moment later.
        EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(sleepPid); }, 5000));
        EXPECT_FALSE(FileExists(vob));
        EXPECT_TRUE(NoPartFilesIn(folder.Path()));
        // A cancel that came between steps still stops the next one.
        EXPECT_EQ(tormux.Mux("8", vob, in.video, in.audio, true), MUX_CANCELLED);
    }
    // Freed and loaded again, the library starts afresh with the real mplex.
    Tormux fresh;
    ASSERT_TRUE(fresh.Ready());
    EXPECT_EQ(fresh.Mux("8", vob, in.video, in.audio, true), MUX_OK) << fresh.lastError();
}

TEST(Tormux, PositionIsTheShareOfTheInputsRead)
{
    OutputFolder folder("keldara-mux-progress");
    Streams in = MakeStreams(folder.Path(), Disc::DvdPal, 2.0);
    const std::string ready = folder.File("ready.vob");
    {
        Tormux real;
        ASSERT_EQ(real.Mux("8", ready, in.video, in.audio, true), MUX_OK) << real.lastError();
    }
    const std::string bin = folder.File("bin");
    ASSERT_TRUE(ForceDirectories(bin));
    FakePrograms fakes(bin);
    // Reads half of each stream, waits for the test, then "writes" the output.
    const std::int64_t halfVideo = FileSize64(in.video) / 2, halfAudio = FileSize64(in.audio) / 2;
    fakes.Add("mplex", "exec 3<'" + in.video + "' 4<'" + in.audio + "'\n" +
                           "head -c " + std::to_string(halfVideo) + " <&3 >/dev/null\n" +
                           "head -c " + std::to_string(halfAudio) + " <&4 >/dev/null\n" +
                           "touch '" + folder.File("halfway") + "'\n" +
                           "while [ ! -f '" + folder.File("go") + "' ]; do sleep 0.02; done\n" +
                           "while [ $# -gt 0 ]; do [ \"$1\" = -o ] && out=\"$2\"; shift; done\n" +
                           "cp '" + ready + "' \"$out\"\n");
    Tormux tormux;
    ASSERT_TRUE(tormux.Ready());
    const std::string vob = folder.File("clip.vob");
    auto run = std::async(std::launch::async, [&] { return tormux.Mux("8", vob, in.video, in.audio, true); });
    ASSERT_TRUE(WaitUntil([&] { return FileExists(folder.File("halfway")); }));
    EXPECT_TRUE(WaitUntil([&] { return tormux.position() >= 45; }));
    EXPECT_LE(tormux.position(), 55);
    WriteText(folder.File("go"), "");
    ASSERT_EQ(run.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(run.get(), MUX_OK) << tormux.lastError();
    EXPECT_EQ(tormux.position(), 100);
}

} // namespace
