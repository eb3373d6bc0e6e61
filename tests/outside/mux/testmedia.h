#pragma once
// What the stand-in tests share: elementary streams made with the ffmpeg
// program, stream listings from ffprobe, output folders that can be kept for a
// person to look at, and fake programs put in front of PATH.
#include <functional>
#include <string>
#include <vector>

namespace outsidetest {

// DvdPalGrain: film grain, coded at the DVD rates (6 Mbit/s, at most 9 in a
// 224 KB buffer, I and P pictures), so that the buffer starts nearly full.
enum class Disc { DvdPal, DvdNtsc, DvdPalWide, DvdPalGrain, Svcd, Vcd };

struct Streams {
    std::string video;
    std::string audio;
};

// Encoder-like outputs for one clip: DVD stem.mpg + stem.ac3, SVCD/VCD
// stem_vid.mpg + stem_aud.mpa. GOPs of 12 frames.
Streams MakeStreams(const std::string& folder, Disc disc, double seconds = 3.0, const std::string& stem = "clip");

// A clip as the ffmpeg program writes it (MPEG-4 video and MPEG audio in AVI,
// 25 frames a second, 29.97 at 480 lines): a white disc on grey, round as the
// picture is shown, in `width` x `height` pixels flagged aspectX:aspectY (0, 0:
// square pixels). False when ffmpeg failed.
bool WriteRoundDiscClip(const std::string& path, int width, int height, int aspectX, int aspectY,
                        double seconds = 2);

// The light disc of such a picture, from the grey levels of its `width` x
// `height` pixels: its width over its height in those pixels, from the spread
// of its pixels (for a filled ellipse a quarter of each squared half-axis),
// and its centre.
struct DiscSpread {
    double shape = 0;
    double x = 0, y = 0;
    int pixels = 0;
};
DiscSpread MeasureDisc(const std::function<int(int x, int y)>& grey, int width, int height);

// "codec_type:codec_name" of every stream, in file order.
std::vector<std::string> ProbeStreams(const std::string& path);

// Runs a program and answers its exit code (its stdout in *output when given).
int Run(const std::vector<std::string>& argv, std::string* output = nullptr);

// A fresh folder removed at the end, unless KELDARA_KEEP_TEST_OUTPUT=1 is set:
// then it stays under $TMPDIR and its path is printed.
class OutputFolder {
public:
    explicit OutputFolder(const std::string& prefix);
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Puts a folder of fake programs first in PATH for the life of the object.
class FakePrograms {
public:
    explicit FakePrograms(const std::string& folder, bool only = false);
    ~FakePrograms();
    FakePrograms(const FakePrograms&) = delete;
    FakePrograms& operator=(const FakePrograms&) = delete;
    // Writes an executable sh script called name.
    void Add(const std::string& name, const std::string& body) const;

private:
    std::string folder_;
    std::string oldPath_;
};

// Waits (really: the children are real processes) until check() holds or
// about timeoutMs passed; answers check().
bool WaitUntil(const std::function<bool()>& check, int timeoutMs = 10000);

bool FileHolds(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
bool ProcessAlive(int pid);

} // namespace outsidetest
