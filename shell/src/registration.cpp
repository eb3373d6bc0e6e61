#include "shell/registration.h"

#include "rtl/sysutils.h"
#include "win32/process.h"
#include "win32/progfolders.h"

#include <utility>

const std::vector<std::string>& RegistrationCommands()
{
    static const std::vector<std::string> commands = {
        "regsvr32.exe /s audio.dll",   "regsvr32.exe /s video.dll", "regsvr32.exe /s YUV2RGBFilter.ax",
        "regsvr32.exe /s RMSP.DLL",    "regsvr32.exe /s QT.dll",    "regsvr32.exe /s KVMADec.ax",
        "regsvr32.exe /s KVMVDec.ax",  "reg import audio1.reg",     "reg import audio2.reg",
        "reg import video.reg",
    };
    return commands;
}

std::vector<ProcessSpec> RegistrationSpecs()
{
    const std::string folder = ExecutableFolder();
    std::vector<ProcessSpec> specs;
    for (const std::string& command : RegistrationCommands()) {
        ProcessSpec spec;
        spec.argv = SplitCommandLine(command);
        if (SameText(spec.argv[0], "regsvr32.exe")) spec.argv[0] = folder + "regsvr32";
        else if (SameText(spec.argv[0], "reg")) spec.argv[0] = folder + "reg";
        spec.workingFolder = folder;
        specs.push_back(std::move(spec));
    }
    return specs;
}

void RunRegistrationCommands()
{
    for (const ProcessSpec& spec : RegistrationSpecs())
        LaunchHidden(spec);   // a component missing here fails on its own, unseen
}
