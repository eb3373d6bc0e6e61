// Started by the process tests as a stand-in for the program: runs a
// shell-script tool the way the program runs its tools, the tool starting a
// long child of its own; prints the tool's pid and its child's, one a line,
// and waits to be ended.
#include "win32/process.h"

#include <cstdio>
#include <unistd.h>

int main()
{
    ChildProcess tool;
    ProcessSpec spec;
    spec.argv = {"sh", "-c", "sleep 60 & echo $!; wait"};
    tool.OnStdoutLine([](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    });
    if (!tool.Start(spec))
        return 1;
    std::printf("%d\n", static_cast<int>(tool.Pid()));
    std::fflush(stdout);
    for (;;)
        ::pause();
}
