#include "muxargs.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"

#include <string_view>

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
    command.push_back("-o");
    command.push_back(outputName);
    // Input names that start with '-' must not read as options.
    command.push_back("--");
    command.insert(command.end(), request.inputs.begin(), request.inputs.end());
    return command;
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
