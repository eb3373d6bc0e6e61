// Stands in for the program in the test that kills it while vcdxbuild
// builds: loads the image library the way the program does and builds the
// image of `vcdimage_host XML CUE BIN`.
#include "vcdimage/pellavcd.h"
#include "win32/dynlib.h"

#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    Library library("PellaVCDDLL.dll");
    auto build = library.Symbol<TPellaBuildVCD>("PellaBuildVCD");
    if (!build)
        return 3;
    VcdImageJob job;
    std::memset(&job, 0, sizeof job);
    std::string(argv[1]).copy(job.XmlPath, kVcdJobPathSize - 1);
    std::string(argv[2]).copy(job.CuePath, kVcdJobPathSize - 1);
    std::string(argv[3]).copy(job.BinPath, kVcdJobPathSize - 1);
    int cell = 0;
    return build(nullptr, "msg_lkVCDimager", &job, &cell);
}
