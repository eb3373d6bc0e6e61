#pragma once
// The worker that builds one SVCD or VCD image through the image library's
// PellaBuildVCD, blocking its own thread until the image is done. It ends by
// posting MSG_VCDIMAGE_DONE (the build's result, the run) to its window; the
// window owns it and joins it then.
#include "rtl/thread.h"
#include "vcdimage/pellavcd.h"
#include "win32/dynlib.h"
#include "win32/messages.h"

#include <string>

// The result of a build the worker could not start: the message name could
// not be registered or the library lacks its entry.
constexpr int kVcdImagerNotStarted = 103;

class ThreadVCDImager : public TThread {
public:
    ThreadVCDImager(bool createSuspended, HMODULE module, HWND ownerWindow, std::string xmlPath, std::string cuePath,
                    std::string binPath, int run);
    ~ThreadVCDImager() override;

    const char* MessageName = nullptr;   // "msg_lkVCDimager"
    UINT MessageNumber = 0;
    int ResultCell = 0;                  // the build's percent while it runs
    HMODULE Module = nullptr;            // the library, loaded and freed by the window
    TPellaBuildVCD BuildEntry = nullptr;
    HWND OwnerWindow = nullptr;
    std::string XmlPath, CuePath, BinPath;

protected:
    void Execute() override;

private:
    int Build();
    int run_;
};

// The fitting of a path into its field of the job record: false for one of
// 260 bytes or more, which the record cannot hold.
bool FitsVcdJob(const std::string& path);
