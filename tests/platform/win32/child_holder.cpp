// Started by the process tests as a stand-in for the program: starts a long
// child the way the program starts its tools, tells its pid, and waits to be
// killed.
#include "win32/process.h"

#include <cstdio>
#include <unistd.h>

int main()
{
    ChildProcess child;
    ProcessSpec spec;
    spec.argv = {"sleep", "60"};
    if (!child.Start(spec))
        return 1;
    std::printf("%d\n", static_cast<int>(child.Pid()));
    std::fflush(stdout);
    for (;;)
        ::pause();
}
