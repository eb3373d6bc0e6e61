#include "pipeline/threadvcdimager.h"

#include "pipeline/burnstage.h"

#include <cstring>

namespace {
// The one job record of the process: the burning windows are modal while they build.
VcdImageJob g_VcdImageJob;
}

bool FitsVcdJob(const std::string& path) { return path.size() < kVcdJobPathSize; }

ThreadVCDImager::ThreadVCDImager(bool createSuspended, HMODULE module, HWND ownerWindow, std::string xmlPath,
                                 std::string cuePath, std::string binPath, int run)
    : TThread(true), Module(module), OwnerWindow(ownerWindow), XmlPath(std::move(xmlPath)),
      CuePath(std::move(cuePath)), BinPath(std::move(binPath)), run_(run)
{
    if (!createSuspended) Start();
}

ThreadVCDImager::~ThreadVCDImager()
{
    Terminate();
    if (!Finished()) WaitFor();
}

void ThreadVCDImager::Execute()
{
    const int result = Build();
    PostMessage(OwnerWindow, MSG_VCDIMAGE_DONE, static_cast<WPARAM>(result), static_cast<LPARAM>(run_));
}

int ThreadVCDImager::Build()
{
    MessageName = "msg_lkVCDimager";
    MessageNumber = RegisterWindowMessage(MessageName);
    if (MessageNumber == 0) return kVcdImagerNotStarted;
    if (!Module) return 0;
    BuildEntry = reinterpret_cast<TPellaBuildVCD>(GetProcAddress(Module, "PellaBuildVCD"));
    if (!BuildEntry) return kVcdImagerNotStarted;
    if (!FitsVcdJob(XmlPath) || !FitsVcdJob(CuePath) || !FitsVcdJob(BinPath)) return VCD_BAD_ARGUMENTS;
    std::memset(&g_VcdImageJob, 0, sizeof g_VcdImageJob);
    XmlPath.copy(g_VcdImageJob.XmlPath, kVcdJobPathSize - 1);
    CuePath.copy(g_VcdImageJob.CuePath, kVcdJobPathSize - 1);
    BinPath.copy(g_VcdImageJob.BinPath, kVcdJobPathSize - 1);
    return BuildEntry(OwnerWindow, MessageName, &g_VcdImageJob, &ResultCell);
}
