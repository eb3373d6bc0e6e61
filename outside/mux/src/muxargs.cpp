#include "muxargs.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

// mplex options that take a value, and those that stand alone.
constexpr std::string_view kValued = "fobLlOdsSRpWiv";
constexpr std::string_view kFlags = "VCMh";

} // namespace

std::string ParseMuxArguments(int argc, char** argv, MuxRequest& request)
{
    request = MuxRequest{};
    if (argc < 1 || !argv)
        return "No arguments";
    for (int i = 1; i < argc; ++i)
        if (!argv[i])
            return Format("Argument %d is missing", i);

    bool optionsEnded = false;
    bool haveOutput = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (arg.empty())
                return Format("Argument %d is empty", i);
            request.inputs.push_back(ExpandFileName(arg));
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const char letter = arg[1];
        if (kFlags.find(letter) != std::string_view::npos && arg.size() == 2) {
            if (letter != 'M')   // always given, see MplexCommand
                request.options.push_back(arg);
            continue;
        }
        if (kValued.find(letter) == std::string_view::npos || arg[1] == '-')
            return Format("Unknown option \"%s\"", arg);
        std::string value;
        if (arg.size() > 2) {
            value = arg.substr(2);
        } else {
            if (i + 1 >= argc)
                return Format("Option \"%s\" needs a value", arg);
            value = argv[++i];
        }
        switch (letter) {
        case 'f': {
            int format = -1;
            if (!TryStrToInt(value, format) || format < 0 || format > 9)
                return Format("Unknown format \"%s\"", value);
            request.format = format;
            break;
        }
        case 'o':
            if (value.empty())
                return "The output file name is empty";
            request.output = ExpandFileName(value);
            haveOutput = true;
            break;
        case 'v':
            break;   // the stand-in sets the verbosity it reads
        case 'i':
            request.options.push_back("-i");
            request.options.push_back(ExpandFileName(value));
            break;
        default:
            request.options.push_back(std::string("-") + letter);
            request.options.push_back(value);
            break;
        }
    }
    if (!haveOutput)
        return "No output file (-o)";
    if (request.inputs.empty())
        return "No input streams";
    for (const std::string& input : request.inputs)
        if (input == request.output)
            return Format("The output \"%s\" is also an input", request.output);
    return {};
}

std::vector<std::string> MplexCommand(const MuxRequest& request, const std::string& outputName)
{
    std::vector<std::string> command = {"mplex", "-v", "1", "-M", "-f", IntToStr(request.format)};
    command.insert(command.end(), request.options.begin(), request.options.end());
    const bool ownRunIn = std::find(request.options.begin(), request.options.end(), "-R") != request.options.end();
    if (request.runIn > 0 && !ownRunIn) {
        command.push_back("-R");
        command.push_back(IntToStr(request.runIn));
    }
    command.push_back("-o");
    command.push_back(outputName);
    // Input names that start with '-' must not read as options.
    command.push_back("--");
    command.insert(command.end(), request.inputs.begin(), request.inputs.end());
    return command;
}

int RunInFrames(const std::string& videoPath)
{
    // The first sequence header lies at the start of an encoder's stream.
    std::ifstream in(videoPath, std::ios::binary);
    std::vector<unsigned char> head(4096);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    for (std::size_t i = 0; i + 12 <= head.size(); ++i) {
        if (head[i] != 0 || head[i + 1] != 0 || head[i + 2] != 1 || head[i + 3] != 0xB3)
            continue;
        const unsigned char* h = &head[i + 4];
        static constexpr double kRates[9] = {0, 24000.0 / 1001, 24, 25, 30000.0 / 1001, 30, 50, 60000.0 / 1001, 60};
        const int rateCode = h[3] & 0x0F;
        const long bitRate = ((long(h[4]) << 10) | (long(h[5]) << 2) | (h[6] >> 6)) * 400L;
        const long bufferBits = (((long(h[6]) & 0x1F) << 5) | (h[7] >> 3)) * 16384L;
        if (rateCode < 1 || rateCode > 8 || bitRate <= 0 || bitRate == 0x3FFFFL * 400 || bufferBits <= 0)
            return 0;
        return static_cast<int>(std::ceil(static_cast<double>(bufferBits) / bitRate * kRates[rateCode]));
    }
    return 0;
}

int PackSizeOf(int format)
{
    switch (format) {
    case 1: case 2: case 4: case 5: case 6: case 7:
        return 2324;
    case 8: case 9:
        return 2048;
    default:
        return 0;
    }
}
