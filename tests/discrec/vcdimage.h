#pragma once
// VCD images (2-second PAL clips), each made once per test program by the
// ffmpeg program, vcdxgen and vcdxbuild: disc.bin and disc.cue in its folder.
#include "testkit/tempfolder.h"
#include "win32/process.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace discrec_test {

namespace detail {

// Runs ffmpeg, vcdxgen and vcdxbuild for a VCD of the clips named.
inline std::unique_ptr<testkit::TempFolder> MakeVcdImage(const std::vector<std::string>& clips)
{
    auto made = std::make_unique<testkit::TempFolder>("keldara-vcd");
    auto run = [&](std::vector<std::string> argv) {
        ProcessSpec spec;
        spec.argv = std::move(argv);
        spec.workingFolder = made->Path();
        spec.captureOutput = true;
        const ProcessResult result = RunProcess(spec, 120000);
        EXPECT_TRUE(result.Succeeded()) << spec.argv[0] << ": " << result.errors;
    };
    const char* sources[] = {"testsrc=size=352x288:rate=25", "mandelbrot=size=352x288:rate=25"};
    const char* tones[] = {"sine=frequency=440:sample_rate=44100", "sine=frequency=660:sample_rate=44100"};
    std::vector<std::string> gen = {"vcdxgen", "-t", "vcd2"};
    for (std::size_t i = 0; i < clips.size(); ++i) {
        run({"ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", sources[i % 2], "-f", "lavfi", "-i", tones[i % 2],
             "-t", "2", "-target", "pal-vcd", clips[i]});
        gen.push_back(clips[i]);
    }
    run(gen);
    run({"vcdxbuild", "--cue-file=disc.cue", "--bin-file=disc.bin", "videocd.xml"});
    return made;
}

} // namespace detail

// A VCD image of one clip: two tracks (the disc's files, the clip).
inline const testkit::TempFolder& VcdImageOfOneClip()
{
    static const auto folder = detail::MakeVcdImage({"one.mpg"});
    return *folder;
}

// A VCD image of two clips, made once by ffmpeg, vcdxgen and vcdxbuild.
inline const testkit::TempFolder& VcdImage()
{
    static const auto folder = detail::MakeVcdImage({"one.mpg", "two.mpg"});
    return *folder;
}

} // namespace discrec_test
