#pragma once
// The multiplexer's argument vector, read and checked, and the mplex command
// that carries it out.
#include <string>
#include <vector>

struct MuxRequest {
    int format = 0;                       // -f, mplex's profile number 0..9
    std::string output;                   // -o, absolute
    std::vector<std::string> inputs;      // elementary streams, absolute
    std::vector<std::string> options;     // further mplex options, passed on in order
    int runIn = 0;                        // frame intervals before the first decode; 0: mplex decides
};

// Reads argv[1..argc-1]. Answers "" or why the arguments are refused.
std::string ParseMuxArguments(int argc, char** argv, MuxRequest& request);

// The mplex command writing to outputName (a plain name, without '%': mplex
// takes the output as a printf pattern). Sequence-end markers are not treated
// as split points, so one output file holds every sequence.
std::vector<std::string> MplexCommand(const MuxRequest& request, const std::string& outputName);

// The frame intervals a VBR video stream needs before its first picture is
// decoded: the time its decoder buffer takes to fill at the stream's top rate,
// both read from its first sequence header; 0 when the file does not say.
// mplex's own run-in is shorter, and a stream that starts with a nearly full
// buffer (a noisy picture) then has its first pictures arrive too late.
int RunInFrames(const std::string& videoPath);

// Pack size of a profile's output: 2048 (DVD), 2324 (VCD/SVCD), 0 when not fixed.
int PackSizeOf(int format);
// DVD profile 8 reserves NAV packs for dvdauthor.
inline bool WantsNavPacks(int format) { return format == 8; }
