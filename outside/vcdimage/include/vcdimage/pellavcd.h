#pragma once
// The VCD image library "PellaVCDDLL.dll" (libPellaVCDDLL.so beside the
// executable): builds the .cue/.bin image of an SVCD or VCD from a VCDImager
// "videocd" control file, loaded for one image and freed after it.
//
//   Library lib("PellaVCDDLL.dll");
//   auto build = lib.Symbol<TPellaBuildVCD>("PellaBuildVCD");
//   auto swp = lib.Symbol<TGetSWP>("GetSWP");
//
// PellaBuildVCD(owner, messageName, job, resultCell): runs vcdxbuild over the
//   control file of the job, writing its cue and bin files, and returns when
//   it is done with one of the VCD_ codes. A failed build leaves no cue or
//   bin file behind. The owner window and the message name are accepted for
//   the host's notifications; the library posts none. While it runs,
//   *resultCell holds the whole build's percent (scanning the MPEG files is
//   the first half, writing the image the second).
// GetSWP(&scan, &write), from any thread while a build runs: the percent of
//   the MPEG files scanned and of the image written, 0..100 each.
// PellaCancel, from any thread, kills the running vcdxbuild; the build then
//   answers VCD_CANCELLED, and so does every later call until the library is
//   freed. PellaLastError is a readable reason for the last failure (the
//   builder's own error line when it gave one; "" after a success), valid
//   until the next call into the library.
#include <atomic>
#include <cstddef>

extern "C" {

enum {
    VCD_OK = 0,
    VCD_BAD_ARGUMENTS = 1,  // a path missing, not ended within its field, or a cue equal to the bin
    VCD_MISSING_INPUT = 2,  // the control file is missing or empty
    VCD_TOOL_MISSING = 3,   // vcdxbuild could not be started
    VCD_FAILED = 4,         // vcdxbuild refused the control file or an MPEG file
    VCD_BAD_OUTPUT = 5,     // no cue or no bin file came out
    VCD_CANCELLED = 6,      // stopped by PellaCancel
    VCD_BUSY = 7,           // another build of this library is running
};

// The job record (816 bytes): the three paths NUL-terminated in fields of 260 bytes.
constexpr std::size_t kVcdJobPathSize = 260;
struct VcdImageJob {
    char XmlPath[kVcdJobPathSize];
    int Reserved0;
    char CuePath[kVcdJobPathSize];
    char BinPath[kVcdJobPathSize];
    int Reserved[8];
};

typedef int (*TPellaBuildVCD)(void* ownerWindow, const char* messageName, VcdImageJob* job, int* resultCell);
typedef void (*TGetSWP)(int* scan, int* write);
typedef void (*TPellaCancel)(void);
typedef const char* (*TPellaLastError)(void);

}

static_assert(sizeof(VcdImageJob) == 816);
static_assert(offsetof(VcdImageJob, XmlPath) == 0 && offsetof(VcdImageJob, Reserved0) == 260 &&
              offsetof(VcdImageJob, CuePath) == 264 && offsetof(VcdImageJob, BinPath) == 524 &&
              offsetof(VcdImageJob, Reserved) == 784);

// A counter of the library read while the library writes it; 0 for null.
inline int ReadVcdCounter(const int* counter)
{
    return counter ? std::atomic_ref<int>(*const_cast<int*>(counter)).load() : 0;
}
