// The VCD image library as the program loads it: real vcdxbuild runs over
// MPEG files the multiplexer made, a broken MPEG, a missing builder, bad
// jobs and cancel.
#include "vcdimage/pellavcd.h"

#include "cdimage.h"
#include "mux/tormux.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "testmedia.h"
#include "win32/dynlib.h"
#include "win32/process.h"
#include "win32/progfolders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <future>
#include <string>
#include <vector>

using namespace outsidetest;

namespace {

struct Pella {
    Pella() : lib("PellaVCDDLL.dll")
    {
        build = lib.Symbol<TPellaBuildVCD>("PellaBuildVCD");
        swp = lib.Symbol<TGetSWP>("GetSWP");
        cancel = lib.Symbol<TPellaCancel>("PellaCancel");
        lastError = lib.Symbol<TPellaLastError>("PellaLastError");
    }
    bool Ready() const { return build && swp && cancel && lastError; }

    // The program's call: one zeroed job record, the paths copied in.
    int Build(const std::string& xml, const std::string& cue, const std::string& bin)
    {
        VcdImageJob job;
        std::memset(&job, 0, sizeof job);
        xml.copy(job.XmlPath, kVcdJobPathSize - 1);
        cue.copy(job.CuePath, kVcdJobPathSize - 1);
        bin.copy(job.BinPath, kVcdJobPathSize - 1);
        return build(nullptr, "msg_lkVCDimager", &job, &cell);
    }

    Library lib;
    TPellaBuildVCD build = nullptr;
    TGetSWP swp = nullptr;
    TPellaCancel cancel = nullptr;
    TPellaLastError lastError = nullptr;
    int cell = -1;
};

// An SVCD (format "4") or VCD ("1") MPEG file as the multiplexer makes it from encoder-like streams.
std::string MakeMpeg(const OutputFolder& folder, Disc disc, const std::string& stem)
{
    const Streams in = MakeStreams(folder.Path(), disc, 1.5, stem);
    Library tormux("Tormux.dll");
    auto mplex = tormux.Symbol<TMPlex>("MPlex");
    if (!mplex) return {};
    std::string out = folder.File(stem + ".mpg");
    std::string name = "Keldara.exe", f = "-f", fmt = disc == Disc::Vcd ? "1" : "4", o = "-o";
    std::string video = in.video, audio = in.audio;
    char* argv[] = {name.data(), f.data(), fmt.data(), o.data(), out.data(), video.data(), audio.data()};
    return mplex(7, argv) == MUX_OK ? out : std::string();
}

std::string ControlFile(bool svcd, const std::vector<std::string>& mpgs)
{
    std::string text = "<?xml version=\"1.0\"?>\n"
                       "<!DOCTYPE videocd PUBLIC \"-//GNU//DTD VideoCD//EN\" "
                       "\"http://www.gnu.org/software/vcdimager/videocd.dtd\">\n"
                       "<videocd xmlns=\"http://www.gnu.org/software/vcdimager/1.0/\" class=\"" +
                       std::string(svcd ? "svcd\" version=\"1.0\">\n" : "vcd\" version=\"2.0\">\n") +
                       " <info>\n  <album-id/>\n  <volume-count>1</volume-count>\n"
                       "  <volume-number>1</volume-number>\n  <restriction>0</restriction>\n </info>\n"
                       " <pvd>\n  <volume-id>test</volume-id>\n  <system-id>CD-RTOS CD-BRIDGE</system-id>\n </pvd>\n"
                       " <sequence-items>\n";
    for (std::size_t i = 0; i < mpgs.size(); ++i)
        text += "  <sequence-item src=\"" + mpgs[i] + "\" id=\"seq" + std::to_string(i + 1) + "-movie\"/>\n";
    text += " </sequence-items>\n <pbc>\n  <playlist id=\"play-movie1\">\n   <wait>0</wait>\n";
    for (std::size_t i = 0; i < mpgs.size(); ++i)
        text += "   <play-item ref=\"seq" + std::to_string(i + 1) + "-movie\"/>\n";
    return text + "  </playlist>\n </pbc>\n</videocd>\n";
}

TEST(PellaVcd, BuildsTheImageOfMultiplexedClips)
{
    OutputFolder folder("keldara-vcdimage");
    for (Disc disc : {Disc::Svcd, Disc::Vcd}) {
        const bool svcd = disc == Disc::Svcd;
        const std::string a = MakeMpeg(folder, disc, svcd ? "sa" : "va"), b = MakeMpeg(folder, disc, svcd ? "sb" : "vb");
        ASSERT_FALSE(a.empty());
        ASSERT_FALSE(b.empty());
        const std::string xml = folder.File("Author.xml"), cue = folder.File("disc.cue"), bin = folder.File("disc.bin");
        WriteText(xml, ControlFile(svcd, {a, b}));
        Pella pella;
        ASSERT_TRUE(pella.Ready()) << LastLibraryError();
        ASSERT_EQ(pella.Build(xml, cue, bin), VCD_OK) << pella.lastError();
        EXPECT_STREQ(pella.lastError(), "");
        int scan = -1, write = -1;
        pella.swp(&scan, &write);
        EXPECT_EQ(scan, 100);
        EXPECT_EQ(write, 100);
        EXPECT_EQ(pella.cell, 100);
        // A cue of two tracks (the ISO 9660 track and the two clips) over a whole number of raw sectors.
        const std::string sheet = ReadText(cue);
        EXPECT_NE(sheet.find("MODE2/2352"), std::string::npos) << sheet;
        EXPECT_NE(sheet.find("TRACK 03"), std::string::npos) << sheet;
        EXPECT_GT(FileSize64(bin), 0);
        EXPECT_EQ(FileSize64(bin) % 2352, 0);
        // vcd-info reads the image back as the disc type asked for.
        std::string info;
        ASSERT_EQ(outsidetest::Run({"vcd-info", "--no-banner", "--cue-file", cue}, &info), 0);
        EXPECT_NE(info.find(svcd ? "SVCD" : "VCD 2.0"), std::string::npos) << info;
        DeleteFile(cue);
        DeleteFile(bin);
    }
}

TEST(PellaVcd, ABrokenMpegFailsWithTheBuildersReasonAndLeavesNoImage)
{
    OutputFolder folder("keldara-vcdimage-broken");
    const std::string broken = folder.File("broken.mpg");
    WriteText(broken, std::string(6000, 'x'));
    const std::string xml = folder.File("Author.xml"), cue = folder.File("disc.cue"), bin = folder.File("disc.bin");
    WriteText(xml, ControlFile(true, {broken}));
    WriteText(cue, "stale");   // an old image never survives a failed build
    WriteText(bin, "stale");
    Pella pella;
    ASSERT_TRUE(pella.Ready());
    EXPECT_EQ(pella.Build(xml, cue, bin), VCD_FAILED);
    EXPECT_NE(std::string(pella.lastError()).find("vcdxbuild: input mpeg stream has been deemed invalid"),
              std::string::npos)
        << pella.lastError();
    EXPECT_FALSE(FileExists(cue));
    EXPECT_FALSE(FileExists(bin));
}

TEST(PellaVcd, RefusesBadJobsAndAMissingBuilder)
{
    OutputFolder folder("keldara-vcdimage-bad");
    const std::string xml = folder.File("Author.xml");
    Pella pella;
    ASSERT_TRUE(pella.Ready());
    EXPECT_EQ(pella.Build(xml, folder.File("a.cue"), folder.File("a.bin")), VCD_MISSING_INPUT);
    // Control files the builder cannot read fail with its reason: an error
    // line, or only a warning when the file breaks the format's rules.
    std::string noInfo = ControlFile(true, {folder.File("none.mpg")});
    noInfo.erase(noInfo.find(" <info>"), noInfo.find(" <pvd>") - noInfo.find(" <info>"));
    for (const std::string& text : {std::string("<videocd/>\n"), noInfo}) {
        WriteText(xml, text);
        EXPECT_EQ(pella.Build(xml, folder.File("a.cue"), folder.File("a.bin")), VCD_FAILED);
        EXPECT_NE(std::string(pella.lastError()).find("vcdxbuild: "), std::string::npos) << pella.lastError();
        EXPECT_NE(std::string(pella.lastError()).find("parsing file"), std::string::npos) << pella.lastError();
    }
    WriteText(xml, ControlFile(true, {folder.File("none.mpg")}));
    EXPECT_EQ(pella.Build(xml, folder.File("a.cue"), folder.File("a.cue")), VCD_BAD_ARGUMENTS);
    EXPECT_EQ(pella.Build(xml, "", folder.File("a.bin")), VCD_BAD_ARGUMENTS);
    EXPECT_EQ(pella.Build(xml, folder.File("no/such/a.cue"), folder.File("a.bin")), VCD_BAD_ARGUMENTS);
    EXPECT_EQ(pella.build(nullptr, nullptr, nullptr, nullptr), VCD_BAD_ARGUMENTS);
    // A path that fills its field without an end is never read past the record.
    VcdImageJob job;
    std::memset(&job, 'a', sizeof job);
    EXPECT_EQ(pella.build(nullptr, "msg_lkVCDimager", &job, nullptr), VCD_BAD_ARGUMENTS);
    {
        const std::string fakes = folder.File("bin");
        ASSERT_TRUE(ForceDirectories(fakes));
        FakePrograms only(fakes, true);   // PATH holds no vcdxbuild
        EXPECT_EQ(pella.Build(xml, folder.File("a.cue"), folder.File("a.bin")), VCD_TOOL_MISSING);
        EXPECT_STRNE(pella.lastError(), "");
    }
}

TEST(PellaVcd, CancelKillsTheBuilder)
{
    OutputFolder folder("keldara-vcdimage-cancel");
    const std::string xml = folder.File("Author.xml"), cue = folder.File("c.cue"), bin = folder.File("c.bin");
    WriteText(xml, ControlFile(true, {folder.File("a.mpg")}));
    const std::string fakes = folder.File("bin");
    ASSERT_TRUE(ForceDirectories(fakes));
    FakePrograms programs(fakes);
    programs.Add("vcdxbuild", "echo $$ > '" + folder.File("vcdxbuild.pid") +
                                  "'\necho '<progress operation=\"scan\" id=\"seq1-movie\" position=\"1\" size=\"2\" />'\n"
                                  "exec sleep 60\n");
    Pella pella;
    ASSERT_TRUE(pella.Ready());
    auto run = std::async(std::launch::async, [&] { return pella.Build(xml, cue, bin); });
    ASSERT_TRUE(WaitUntil([&] { return FileSize64(folder.File("vcdxbuild.pid")) > 0; }));
    const int pid = std::stoi(ReadText(folder.File("vcdxbuild.pid")));
    int scan = 0;
    EXPECT_TRUE(WaitUntil([&] {
        pella.swp(&scan, nullptr);
        return scan == 50;
    }));
    EXPECT_EQ(pella.Build(xml, cue, bin), VCD_BUSY);
    pella.cancel();
    ASSERT_EQ(run.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(run.get(), VCD_CANCELLED);
    EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(pid); }, 5000));
    // The cancel holds until the library is freed.
    EXPECT_EQ(pella.Build(xml, cue, bin), VCD_CANCELLED);
}

// An image vcdxbuild built of one VCD clip, with its cue sheet.
struct BuiltImage {
    std::string cue, bin, sheet, bytes;
};

BuiltImage BuildWithVcdxbuild(const OutputFolder& folder)
{
    BuiltImage image;
    const std::string mpg = MakeMpeg(folder, Disc::Vcd, "good");
    if (mpg.empty()) return image;
    const std::string xml = folder.File("good.xml");
    WriteText(xml, ControlFile(false, {mpg}));
    image.cue = folder.File("good.cue");
    image.bin = folder.File("good.bin");
    if (outsidetest::Run({"vcdxbuild", "--cue-file=" + image.cue, "--bin-file=" + image.bin, xml}) != 0) return image;
    image.sheet = ReadText(image.cue);
    image.bytes = ReadText(image.bin);
    return image;
}

// Where the last INDEX 01 of a cue sheet starts, in sectors.
std::int64_t LastTrackStart(const std::string& sheet)
{
    const std::size_t at = sheet.rfind("INDEX 01 ");
    if (at == std::string::npos) return -1;
    int m = 0, s = 0, f = 0;
    if (std::sscanf(sheet.c_str() + at + 9, "%d:%d:%d", &m, &s, &f) != 3) return -1;
    return (m * 60 + s) * 75 + f;
}

TEST(CdImageCheck, TakesVcdxbuildsImageAndRefusesDamagedOnes)
{
    OutputFolder folder("keldara-cdimage-check");
    const BuiltImage good = BuildWithVcdxbuild(folder);
    ASSERT_FALSE(good.sheet.empty());
    ASSERT_EQ(good.bytes.size() % 2352, 0u);
    EXPECT_EQ(CheckCdImage(good.sheet, good.bin), "");

    // The sheet is pointed at the image's final name, nothing else of it changes.
    std::string placed, why;
    ASSERT_TRUE(PointCueAt(good.sheet, good.bin, "/discs/my disc.bin", placed, &why)) << why;
    EXPECT_EQ(placed, StringReplace(good.sheet, "\"" + good.bin + "\"", "\"/discs/my disc.bin\"", 0));
    EXPECT_FALSE(PointCueAt(good.sheet, folder.File("other.bin"), "/discs/x.bin", placed, &why));
    EXPECT_FALSE(PointCueAt("TRACK 01 MODE2/2352\n", good.bin, "/discs/x.bin", placed, &why));

    const std::int64_t lastStart = LastTrackStart(good.sheet);
    ASSERT_GT(lastStart, 16);
    std::string noSync = good.bytes;
    noSync[static_cast<std::size_t>(lastStart + 3) * 2352 + 5] = 0;
    std::string random = good.bytes;
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 7919u) >> 5);
    const std::string bad = folder.File("bad.bin");
    const std::vector<std::tuple<std::string, std::string, std::string>> damaged = {
        // The image ends inside the last clip, after the sheet's last index.
        {good.sheet, good.bytes.substr(0, static_cast<std::size_t>(lastStart + 1) * 2352), "ends before its file"},
        {good.sheet, good.bytes.substr(0, static_cast<std::size_t>(lastStart) * 2352), "does not hold index"},
        {good.sheet, good.bytes + std::string(100, '\0'), "whole 2352-byte sectors"},
        {good.sheet, noSync, "is not a CD sector"},
        {good.sheet, random, "Sector 0 "},
        {good.sheet, "", "whole 2352-byte sectors"},
        {StringReplace(good.sheet, "INDEX 01 00:00:00", "INDEX 01 99:00:00", 0), good.bytes, "does not hold index"},
        {"FILE \"" + good.bin + "\" BINARY\n", good.bytes, "no track"},
    };
    for (const auto& [sheet, bytes, reason] : damaged) {
        SCOPED_TRACE(reason);
        WriteText(bad, bytes);
        const std::string answer = CheckCdImage(sheet, bad);
        EXPECT_NE(answer.find(reason), std::string::npos) << answer;
    }
    EXPECT_NE(CheckCdImage(good.sheet, folder.File("none.bin")), "");
}

// vcdxbuild that says it succeeded over an image that is not one: the build
// fails with the reason and leaves no image, under any name.
TEST(PellaVcd, ABuilderThatLiesFails)
{
    OutputFolder folder("keldara-vcdimage-liar");
    const BuiltImage good = BuildWithVcdxbuild(folder);
    ASSERT_FALSE(good.sheet.empty());
    const std::string sheet = folder.File("sheet.template"), image = folder.File("image.bytes");
    WriteText(sheet, StringReplace(good.sheet, good.bin, "@BIN@", 0));
    const std::string xml = folder.File("Author.xml"), cue = folder.File("disc.cue"), bin = folder.File("disc.bin");
    WriteText(xml, ControlFile(false, {folder.File("good.mpg")}));
    const std::string fakes = folder.File("bin");
    ASSERT_TRUE(ForceDirectories(fakes));
    FakePrograms programs(fakes);
    const std::string args = "for a in \"$@\"; do case \"$a\" in --cue-file=*) cue=${a#--cue-file=};; "
                             "--bin-file=*) bin=${a#--bin-file=};; esac; done\n"
                             "sed \"s|@BIN@|$bin|\" '" + sheet + "' > \"$cue\"\n";
    const std::string size = std::to_string(good.bytes.size());
    // Cut inside the last clip, after the sheet's last index.
    const std::string cut = std::to_string((LastTrackStart(good.sheet) + 1) * 2352);
    for (const auto& [bytes, reason] : std::vector<std::pair<std::string, std::string>>{
             {"head -c " + size + " /dev/urandom", "is not a CD sector"},
             {"head -c " + cut + " '" + good.bin + "'", "ends before"}}) {
        SCOPED_TRACE(bytes);
        programs.Add("vcdxbuild", args + bytes + " > \"$bin\"\n");
        Pella pella;
        ASSERT_TRUE(pella.Ready());
        EXPECT_EQ(pella.Build(xml, cue, bin), VCD_BAD_OUTPUT);
        EXPECT_NE(std::string(pella.lastError()).find(reason), std::string::npos) << pella.lastError();
        for (const std::string& path : {cue, bin, cue + ".part", bin + ".part"}) EXPECT_FALSE(FileExists(path)) << path;
    }
    // The same builder telling the truth: the image takes its names, its sheet pointing at its own.
    programs.Add("vcdxbuild", args + "cat '" + good.bin + "' > \"$bin\"\n");
    Pella pella;
    ASSERT_EQ(pella.Build(xml, cue, bin), VCD_OK) << pella.lastError();
    EXPECT_EQ(ReadText(bin), good.bytes);
    EXPECT_EQ(ReadText(cue), StringReplace(good.sheet, good.bin, bin, 0));
    EXPECT_FALSE(FileExists(cue + ".part"));
    EXPECT_FALSE(FileExists(bin + ".part"));
}

// The program is killed while vcdxbuild writes: what it wrote never stands
// under the names of a finished image, and the builder goes with the program.
TEST(PellaVcd, AKilledBuildLeavesNoImageUnderItsNames)
{
    OutputFolder folder("keldara-vcdimage-killed");
    const std::string xml = folder.File("Author.xml"), cue = folder.File("vcd_disc.cue"),
                      bin = folder.File("vcd_disc.bin");
    WriteText(xml, ControlFile(false, {folder.File("a.mpg")}));
    const std::string fakes = folder.File("bin"), pidFile = folder.File("vcdxbuild.pid");
    ASSERT_TRUE(ForceDirectories(fakes));
    FakePrograms programs(fakes);
    // A whole sheet and the first megabyte of the image, then it goes on writing.
    programs.Add("vcdxbuild", "for a in \"$@\"; do case \"$a\" in --cue-file=*) cue=${a#--cue-file=};; "
                              "--bin-file=*) bin=${a#--bin-file=};; esac; done\n"
                              "printf 'FILE \"%s\" BINARY\\n  TRACK 01 MODE2/2352\\n    INDEX 01 00:00:00\\n' "
                              "\"$bin\" > \"$cue\"\nhead -c 1048576 /dev/zero > \"$bin\"\n"
                              "echo $$ > '" + pidFile + ".new' && mv '" + pidFile + ".new' '" + pidFile + "'\n"
                              "exec sleep 60\n");
    ChildProcess host;
    ProcessSpec spec;
    spec.argv = {ExecutableFolder() + "vcdimage_host", xml, cue, bin};
    ASSERT_TRUE(host.Start(spec)) << host.Error();
    ASSERT_TRUE(WaitUntil([&] { return FileSize64(pidFile) > 0; }));
    const int builder = std::stoi(ReadText(pidFile));
    ::kill(host.Pid(), SIGKILL);
    ASSERT_TRUE(host.Wait(10000));
    EXPECT_EQ(host.Signal(), SIGKILL);
    EXPECT_FALSE(FileExists(cue));
    EXPECT_FALSE(FileExists(bin));
    EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(builder); }, 5000));
}

} // namespace
