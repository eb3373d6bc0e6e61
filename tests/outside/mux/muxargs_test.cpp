// The multiplexer's argument reading and its check of finished output.
#include "muxargs.h"
#include "toolrun/outputcheck.h"

#include "rtl/paths.h"
#include "testmedia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Args {
    explicit Args(std::vector<std::string> texts) : texts_(std::move(texts))
    {
        for (std::string& t : texts_)
            pointers_.push_back(t.data());
    }
    int argc() const { return static_cast<int>(pointers_.size()); }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;
};

std::string Parse(std::vector<std::string> texts, MuxRequest& request)
{
    Args args(std::move(texts));
    return ParseMuxArguments(args.argc(), args.argv(), request);
}

TEST(MuxArguments, DvdAndCdFormsReadAsTheProgramPassesThem)
{
    MuxRequest dvd;
    ASSERT_EQ(Parse({"Keldara.exe", "-f", "8", "-o", "/w/a.vob", "/w/a.mpg", "/w/a.ac3", "-O", "0"}, dvd), "");
    EXPECT_EQ(dvd.format, 8);
    EXPECT_EQ(dvd.output, "/w/a.vob");
    EXPECT_EQ(dvd.inputs, (std::vector<std::string>{"/w/a.mpg", "/w/a.ac3"}));
    EXPECT_EQ(dvd.options, (std::vector<std::string>{"-O", "0"}));

    MuxRequest vcd;
    ASSERT_EQ(Parse({"Keldara.exe", "-f", "1", "-o", "/w/b.mpg", "/w/b_vid.mpg", "/w/b_aud.mpa"}, vcd), "");
    EXPECT_EQ(vcd.format, 1);
    EXPECT_TRUE(vcd.options.empty());
    EXPECT_EQ(PackSizeOf(1), 2324);
    EXPECT_EQ(PackSizeOf(4), 2324);
    EXPECT_EQ(PackSizeOf(8), 2048);
}

TEST(MuxArguments, CommandKeepsOneOutputAndEndsOptionsBeforeInputs)
{
    MuxRequest request;
    ASSERT_EQ(Parse({"x", "-f8", "-o", "/w/out.vob", "-O", "-100", "/w/-v.mpg", "/w/a.ac3"}, request), "");
    EXPECT_EQ(request.options, (std::vector<std::string>{"-O", "-100"}));
    std::vector<std::string> command = MplexCommand(request, ".part");
    auto at = [&](const std::string& s) { return std::find(command.begin(), command.end(), s) - command.begin(); };
    ASSERT_LT(at("--"), static_cast<long>(command.size()));
    EXPECT_LT(at("-M"), at("--"));
    EXPECT_EQ(command[at("-o") + 1], ".part");
    EXPECT_EQ(command[at("-f") + 1], "8");
    EXPECT_EQ(command.back(), "/w/a.ac3");
    EXPECT_EQ(command[command.size() - 2], "/w/-v.mpg");
}

TEST(MuxArguments, RunInGoesToMplexUnlessTheCallerGaveOne)
{
    MuxRequest request;
    ASSERT_EQ(Parse({"x", "-f", "8", "-o", "/w/out.vob", "/w/a.mpg", "/w/a.ac3", "-O", "0"}, request), "");
    request.runIn = 6;
    std::vector<std::string> command = MplexCommand(request, ".part");
    auto at = [&](const std::string& s) { return std::find(command.begin(), command.end(), s) - command.begin(); };
    ASSERT_LT(at("-R"), at("--"));
    EXPECT_EQ(command[at("-R") + 1], "6");
    ASSERT_EQ(Parse({"x", "-f", "8", "-R", "2", "-o", "/w/out.vob", "/w/a.mpg", "/w/a.ac3"}, request), "");
    request.runIn = 6;
    command = MplexCommand(request, ".part");
    EXPECT_EQ(std::count(command.begin(), command.end(), "-R"), 1);
    EXPECT_EQ(command[at("-R") + 1], "2");
    // Nothing to read: mplex decides.
    EXPECT_EQ(RunInFrames("/nonexistent/a.mpg"), 0);
}

TEST(MuxArguments, RelativePathsBecomeAbsolute)
{
    MuxRequest request;
    ASSERT_EQ(Parse({"x", "-f", "4", "-o", "out.mpg", "v.mpg", "a.mpa"}, request), "");
    EXPECT_EQ(request.output, JoinPath(GetCurrentDir(), "out.mpg"));
    EXPECT_EQ(request.inputs[0], JoinPath(GetCurrentDir(), "v.mpg"));
}

TEST(MuxArguments, RefusesWhatCannotBeMultiplexed)
{
    MuxRequest r;
    EXPECT_NE(Parse({"x", "-f", "8", "/w/v.mpg", "/w/a.ac3"}, r), "");                  // no output
    EXPECT_NE(Parse({"x", "-f", "8", "-o", "/w/o.vob"}, r), "");                        // no inputs
    EXPECT_NE(Parse({"x", "-f", "12", "-o", "/w/o.vob", "/w/v.mpg"}, r), "");           // no such profile
    EXPECT_NE(Parse({"x", "-f", "dvd", "-o", "/w/o.vob", "/w/v.mpg"}, r), "");
    EXPECT_NE(Parse({"x", "-Q", "-o", "/w/o.vob", "/w/v.mpg"}, r), "");                 // unknown option
    EXPECT_NE(Parse({"x", "--format=8", "-o", "/w/o.vob", "/w/v.mpg"}, r), "");
    EXPECT_NE(Parse({"x", "-o", "/w/o.vob", "/w/v.mpg", "-O"}, r), "");                 // value missing
    EXPECT_NE(Parse({"x", "-o", "/w/v.mpg", "/w/v.mpg", "/w/a.ac3"}, r), "");           // would overwrite an input
    EXPECT_NE(Parse({"x", "-o", "", "/w/v.mpg"}, r), "");
    EXPECT_NE(ParseMuxArguments(0, nullptr, r), "");
    char name[] = "x";
    char* withHole[] = {name, nullptr, nullptr};
    EXPECT_NE(ParseMuxArguments(3, withHole, r), "");
}

class ProgramStreamCheck : public ::testing::Test {
protected:
    std::string Write(const std::string& name, std::string bytes)
    {
        std::string path = folder_.File(name);
        outsidetest::WriteText(path, bytes);
        return path;
    }
    static std::string Pack(int size, bool nav = false)
    {
        std::string pack(static_cast<std::size_t>(size), '\xff');
        pack.replace(0, 4, std::string("\x00\x00\x01\xba", 4));
        if (nav)
            pack.replace(40, 4, std::string("\x00\x00\x01\xbf", 4));
        return pack;
    }
    outsidetest::OutputFolder folder_{"keldara-muxcheck"};
};

TEST_F(ProgramStreamCheck, AcceptsWholePacksAndRefusesTheRest)
{
    EXPECT_EQ(toolrun::CheckProgramStream(Write("good.vob", Pack(2048, true) + Pack(2048)), 2048, true), "");
    EXPECT_EQ(toolrun::CheckProgramStream(Write("good.mpg", Pack(2324) + Pack(2324)), 2324, false), "");
    EXPECT_NE(toolrun::CheckProgramStream(folder_.File("none.vob"), 2048, false), "");
    EXPECT_NE(toolrun::CheckProgramStream(Write("empty.vob", ""), 2048, false), "");
    EXPECT_NE(toolrun::CheckProgramStream(Write("short.vob", Pack(2048) + std::string(2, '\0')), 2048, false), "");
    EXPECT_NE(toolrun::CheckProgramStream(Write("es.vob", std::string("\x00\x00\x01\xb3", 4) + Pack(2044)), 2048, false), "");
    EXPECT_NE(toolrun::CheckProgramStream(Write("nonav.vob", Pack(2048) + Pack(2048)), 2048, true), "");
    std::string brokenTail = Pack(2048) + std::string(2048, '\0');
    EXPECT_NE(toolrun::CheckProgramStream(Write("tail.vob", brokenTail), 2048, false), "");
    EXPECT_NE(toolrun::CheckProgramStream(Write("tiny.mpg", std::string("\x00\x00\x01", 3)), 0, false), "");
    // Good packs at both ends around other bytes are not a stream.
    std::string middle = Pack(2048, true);
    for (int i = 0; i < 200; ++i)
        middle += Pack(2048);
    EXPECT_EQ(toolrun::CheckProgramStream(Write("whole.vob", middle), 2048, true), "") << "every pack a pack";
    for (std::size_t i = 2048; i + 2048 < middle.size(); i += 2048)
        middle.replace(i, 4, "\x5a\x5a\x5a\x5a");
    EXPECT_NE(toolrun::CheckProgramStream(Write("middle.vob", middle), 2048, true), "");
}

} // namespace
