#pragma once
// A VCD image of two clips (2 s each, PAL), made once per test program by the
// ffmpeg program, vcdxgen and vcdxbuild: disc.bin and disc.cue in its folder.
#include "testkit/tempfolder.h"
#include "win32/process.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace discrec_test {

// A VCD image of two clips, made once by ffmpeg, vcdxgen and vcdxbuild.
inline const testkit::TempFolder& VcdImage()
{
    static const auto folder = [] {
        auto made = std::make_unique<testkit::TempFolder>("keldara-vcd");
        auto run = [&](std::vector<std::string> argv) {
            ProcessSpec spec;
            spec.argv = std::move(argv);
            spec.workingFolder = made->Path();
            spec.captureOutput = true;
            const ProcessResult result = RunProcess(spec, 120000);
            EXPECT_TRUE(result.Succeeded()) << spec.argv[0] << ": " << result.errors;
        };
        run({"ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=352x288:rate=25", "-f", "lavfi", "-i",
             "sine=frequency=440:sample_rate=44100", "-t", "2", "-target", "pal-vcd", "one.mpg"});
        run({"ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "mandelbrot=size=352x288:rate=25", "-f", "lavfi",
             "-i", "sine=frequency=660:sample_rate=44100", "-t", "2", "-target", "pal-vcd", "two.mpg"});
        run({"vcdxgen", "-t", "vcd2", "one.mpg", "two.mpg"});
        run({"vcdxbuild", "--cue-file=disc.cue", "--bin-file=disc.bin", "videocd.xml"});
        return made;
    }();
    return *folder;
}

} // namespace discrec_test
