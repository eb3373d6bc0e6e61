#include "testmedia.h"
#include "testkit/wait.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "win32/process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>

namespace outsidetest {

namespace {

struct Shape {
    int width, height;
    const char* rate;
    const char* videoCodec;
    const char* videoFormat;
    const char* videoRate;
    const char* aspect;
    const char* audioCodec;
    int sampleRate;
    const char* audioRate;
    const char* videoSuffix;
    const char* audioSuffix;
};

Shape ShapeOf(Disc disc)
{
    switch (disc) {
    case Disc::DvdPal:
        return {720, 576, "25", "mpeg2video", "mpeg2video", "4M", "4:3", "ac3", 48000, "192k", ".mpg", ".ac3"};
    case Disc::DvdNtsc:
        return {720, 480, "30000/1001", "mpeg2video", "mpeg2video", "4M", "4:3", "ac3", 48000, "192k", ".mpg", ".ac3"};
    case Disc::DvdPalWide:
        return {720, 576, "25", "mpeg2video", "mpeg2video", "4M", "16:9", "ac3", 48000, "192k", ".mpg", ".ac3"};
    case Disc::DvdPalGrain:
        return {720, 576, "25", "mpeg2video", "mpeg2video", "6M", "4:3", "ac3", 48000, "192k", ".mpg", ".ac3"};
    case Disc::Svcd:
        return {480, 576, "25", "mpeg2video", "mpeg2video", "2M", "4:3", "mp2", 44100, "224k", "_vid.mpg", "_aud.mpa"};
    case Disc::Vcd:
        return {352, 288, "25", "mpeg1video", "mpeg1video", "1150k", "4:3", "mp2", 44100, "224k", "_vid.mpg",
                "_aud.mpa"};
    }
    throw std::logic_error("unknown disc");
}

} // namespace

bool WriteRoundDiscClip(const std::string& path, int width, int height, int aspectX, int aspectY, double seconds)
{
    // How much wider than high a pixel is shown; the disc is drawn that much narrower.
    const double pixel = aspectX ? static_cast<double>(aspectX) * height / (static_cast<double>(aspectY) * width) : 1.0;
    const std::string rate = height == 480 ? "30000/1001" : "25";
    char disc[160];
    std::snprintf(disc, sizeof disc, "geq=lum='if(lte(hypot((X-W/2)*%.6f,Y-H/2),%d),235,128)'", pixel, height * 7 / 20);
    const std::string length = std::to_string(seconds);
    std::vector<std::string> argv = {
        "ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
        "nullsrc=s=" + std::to_string(width) + "x" + std::to_string(height) + ":r=" + rate + ":d=" + length +
            ",format=gray," + disc,
        "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=" + length};
    if (aspectX) argv.insert(argv.end(), {"-aspect", std::to_string(aspectX) + ":" + std::to_string(aspectY)});
    argv.insert(argv.end(), {"-c:v", "mpeg4", "-q:v", "2", "-pix_fmt", "yuv420p", "-c:a", "mp2", "-b:a", "192k", path});
    return Run(argv) == 0;
}

DiscSpread MeasureDisc(const std::function<int(int x, int y)>& grey, int width, int height)
{
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (grey(x, y) > (235 + 128) / 2) {
                n += 1, sx += x, sy += y, sxx += double(x) * x, syy += double(y) * y;
            }
    DiscSpread disc;
    disc.pixels = static_cast<int>(n);
    if (n < 1) return disc;
    const double vx = sxx / n - (sx / n) * (sx / n), vy = syy / n - (sy / n) * (sy / n);
    disc.x = sx / n;
    disc.y = sy / n;
    disc.shape = vy > 0 ? std::sqrt(vx / vy) : 0;
    return disc;
}

int Run(const std::vector<std::string>& argv, std::string* output)
{
    ProcessSpec spec;
    spec.argv = argv;
    spec.captureOutput = true;
    ProcessResult result = RunProcess(spec, 120000);
    if (output)
        *output = result.output;
    if (!result.Succeeded())
        std::cerr << argv[0] << " failed: " << result.error << "\n" << result.errors << "\n";
    return result.exitCode;
}

Streams MakeStreams(const std::string& folder, Disc disc, double seconds, const std::string& stem)
{
    const Shape s = ShapeOf(disc);
    Streams streams{JoinPath(folder, stem + s.videoSuffix), JoinPath(folder, stem + s.audioSuffix)};
    const std::string duration = FloatToStr(seconds);
    std::vector<std::string> argv = {
        "ffmpeg", "-nostdin", "-v", "error", "-y",
        "-f", "lavfi", "-i", Format("testsrc=size=%dx%d:rate=%s:duration=%s", s.width, s.height, s.rate, duration),
        "-f", "lavfi", "-i", Format("sine=frequency=440:sample_rate=%d:duration=%s", s.sampleRate, duration),
        "-map", "0:v", "-c:v", s.videoCodec, "-b:v", s.videoRate, "-g", "12", "-bf", "2", "-aspect", s.aspect,
        "-f", s.videoFormat, streams.video,
        "-map", "1:a", "-c:a", s.audioCodec, "-b:a", s.audioRate, "-ac", "2", "-f", s.audioCodec, streams.audio};
    if (disc == Disc::DvdPalGrain) {
        // The grain, and the DVD encoders' rate ceiling and buffer, in place of the B pictures.
        const auto bf = std::find(argv.begin(), argv.end(), "-bf");
        bf[1] = "0";
        argv.insert(bf, {"-vf", "noise=alls=40:allf=t", "-maxrate", "9M", "-bufsize", "1835k"});
    }
    if (Run(argv) != 0)
        throw std::runtime_error("ffmpeg could not make the test streams");
    return streams;
}

std::vector<std::string> ProbeStreams(const std::string& path)
{
    std::string text;
    if (Run({"ffprobe", "-v", "error", "-show_entries", "stream=codec_type,codec_name", "-of", "csv=p=0", path},
            &text) != 0)
        return {};
    std::vector<std::string> streams;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        line = Trim(line);
        if (line.empty())
            continue;
        // ffprobe prints "codec_name,codec_type", sometimes with empty fields after them.
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, ',');)
            if (!field.empty())
                fields.push_back(field);
        if (fields.size() < 2)
            continue;
        streams.push_back(fields[1] + ":" + fields[0]);
    }
    return streams;
}

OutputFolder::OutputFolder(const std::string& prefix) : path_(MakeTempFolder(prefix)) {}

OutputFolder::~OutputFolder()
{
    const char* keep = std::getenv("KELDARA_KEEP_TEST_OUTPUT");
    if (keep && std::string(keep) == "1") {
        std::cout << "Test output kept in " << path_ << "\n";
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

FakePrograms::FakePrograms(const std::string& folder, bool only) : folder_(folder)
{
    const char* path = std::getenv("PATH");
    oldPath_ = path ? path : "";
    std::string next = only ? folder_ : folder_ + ":" + oldPath_;
    ::setenv("PATH", next.c_str(), 1);
}

FakePrograms::~FakePrograms() { ::setenv("PATH", oldPath_.c_str(), 1); }

void FakePrograms::Add(const std::string& name, const std::string& body) const
{
    const std::string path = JoinPath(folder_, name);
    WriteText(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
}

bool WaitUntil(const std::function<bool()>& check, int timeoutMs)
{
    return testkit::WaitUntil(check, timeoutMs / 1000.0, [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); });
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileHolds(const std::string& path, const std::string& text)
{
    return ReadText(path).find(text) != std::string::npos;
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

bool ProcessAlive(int pid)
{
    if (pid <= 0)
        return false;
    if (::kill(pid, 0) != 0)
        return errno != ESRCH;
    // A zombie no longer runs.
    std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    std::size_t close = stat.rfind(')');
    return !(close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z');
}

} // namespace outsidetest
