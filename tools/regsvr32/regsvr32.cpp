// regsvr32 [/s] [/u] SERVER
// Loads an in-process server and calls its DllRegisterServer (or, with /u,
// DllUnregisterServer). /s keeps it silent; the exit status tells the result:
// 0 done, 1 bad arguments, 3 the server cannot be loaded, 4 the entry point is
// missing, 5 the entry point failed.
#include "com/com.h"
#include "rtl/paths.h"
#include "win32/dynlib.h"

#include <cstdio>
#include <string>

namespace {

bool IsSwitch(const std::string& arg, char letter)
{
    return arg.size() == 2 && (arg[0] == '/' || arg[0] == '-') && (arg[1] == letter || arg[1] == letter - 'a' + 'A');
}

void Report(bool silent, bool error, const std::string& text)
{
    if (!silent) std::fprintf(error ? stderr : stdout, "%s\n", text.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    bool silent = false, unregister = false;
    std::string server;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (IsSwitch(arg, 's')) silent = true;
        else if (IsSwitch(arg, 'u')) unregister = true;
        else if (!arg.empty() && (arg[0] == '/' || arg[0] == '-') && arg.size() == 2) {
            Report(silent, true, "Unrecognized flag: " + arg);
            return 1;
        } else if (server.empty()) server = arg;
        else {
            Report(silent, true, "Only one server may be given.");
            return 1;
        }
    }
    if (server.empty()) {
        Report(silent, true, "Usage: regsvr32 [/s] [/u] server");
        return 1;
    }

    // A file named directly (an absolute or a relative path) is taken as it is.
    std::string target = server;
    if (FileExists(server)) target = ExpandFileName(server);
    HMODULE module = LoadLibrary(target);
    if (!module) {
        Report(silent, true, "LoadLibrary(\"" + server + "\") failed - " + LastLibraryError());
        return 3;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto function = reinterpret_cast<DllRegisterServerFn>(GetProcAddress(module, entry));
    if (!function) {
        Report(silent, true, "The module \"" + server + "\" was loaded but the entry-point " + entry +
                                 " was not found.");
        FreeLibrary(module);
        return 4;
    }
    HRESULT hr = function();
    FreeLibrary(module);
    if (FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08x", static_cast<unsigned>(hr));
        Report(silent, true, std::string("The module \"") + server + "\" was loaded but the call to " + entry +
                                 " failed with error code " + code + ".");
        return 5;
    }
    Report(silent, false, std::string(entry) + " in " + server + " succeeded.");
    return 0;
}
