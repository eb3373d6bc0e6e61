#pragma once
// The DVD-writing engine "dvdwrite_hwe.dll" (libdvdwrite_hwe.so beside the
// executable), as the program binds it: one engine handle per window, the
// DVD writers of the system, their media and speeds, and an asynchronous
// write of a DVD-Video folder that reports through a callback.
//
//   Library lib("dvdwrite_hwe.dll");
//   auto init = lib.Symbol<THwe_Init>("Hwe_Init");
//   int handle = 0;
//   if (init(0, 0, &handle) == HWE_OK) ...
//
// Writers are the drives of the SCSI pass-through that can write DVDs (their
// profile list names a writable DVD profile, or their capabilities page has
// DVD write bits). When KELDARA_DVD_IMAGE_WRITER names a file, the first
// writer is "Image file writer (<file>)": it always holds a blank DVD-R and
// writes the disc image into that file, so a person can burn without a drive.
// Virtual drives (the test recorder) have no device node a burning program
// could open: the engine writes the image's sectors to them itself.
//
// Events reach the registered callback on an engine thread (or, for a write
// refused at its start, on the caller's thread), never while the engine holds
// its lock, and never after Hwe_Free has returned (so the callback itself
// must not free the handle: Hwe_Free waits for the engine's threads):
//   HWE_EVENT_MEDIUM_ARRIVED / _REMOVED (value 0): the selected writer's
//       medium came or went (polled every 1.5 s on the process clock, and at
//       once after a tray call); not while a write runs.
//   HWE_EVENT_PROGRESS, value 0..HWE_PROGRESS_FULL: share of the write done.
//   HWE_EVENT_CLOSING: the writer is flushing its cache or closing the disc.
//   HWE_EVENT_STATUS, value HWE_WRITE_*: STARTED first, then exactly one of
//       COMPLETE, FINALIZE_FAILED (the write failed once closing had begun)
//       or FAILED (also for a write that could not start, or was aborted
//       before closing began).

extern "C" {

// Results: Hwe_Init answers the first three.
enum {
    HWE_OK = 0,
    HWE_CANNOT_START = 1,       // no handle could be made (a null out-parameter)
    HWE_NO_WRITER = 2,          // the system has no DVD writer; no handle is made
    HWE_BAD_HANDLE = -100,      // the handle is not open
    HWE_BUSY = -101,            // a write runs
    HWE_NOT_SUPPORTED = -102,   // the entries the program binds but never calls
};

// Events.
enum {
    HWE_EVENT_MEDIUM_ARRIVED = 2,
    HWE_EVENT_MEDIUM_REMOVED = 3,
    HWE_EVENT_PROGRESS = 7,
    HWE_EVENT_CLOSING = 8,
    HWE_EVENT_STATUS = 9,
};
// HWE_EVENT_PROGRESS's value when the whole write is done.
constexpr int HWE_PROGRESS_FULL = 65535;

// Write status codes carried by HWE_EVENT_STATUS.
enum {
    HWE_WRITE_STARTED = 0,
    HWE_WRITE_FAILED = 3,
    HWE_WRITE_FINALIZE_FAILED = 15,
    HWE_WRITE_COMPLETE = 17,
};

// Hwe_GetMediaStatus results.
enum {
    HWE_MEDIA_NO_WRITER = -1,   // no writer selected
    HWE_MEDIA_BLANK = 0,
    HWE_MEDIA_HAS_DATA = 1,     // writable, already holds data
    HWE_MEDIA_NONE = 2,         // no medium (or the tray is open)
    HWE_MEDIA_NOT_WRITABLE = 3, // DVD-ROM, a closed DVD-R or DVD+R, a DVD the drive cannot write
    HWE_MEDIA_NOT_DVD = 4,      // a CD
};

// context: the engine handle; userData: what Hwe_RegisterCallback was given.
typedef void (*THweEventCallback)(int context, int event, int value, void* userData);

// Hwe_GetMediaType answers the medium's MMC profile number as the drive
// reports it (0x11 DVD-R, 0x1B DVD+R, 0x09 CD-R, ...), 0 for none.
// Hwe_GetWriteSpeeds fills at most count - 1 speeds in kB/s, fastest first,
// ends them with 0, and answers how many (0: no list).
// Hwe_StartWriting(handle, folder, label): folder holds VIDEO_TS (with
// VIDEO_TS.IFO); the label has at most 31 bytes and may be empty. Answers 0
// when the write started, else the status it reported (or HWE_BUSY, quietly).
typedef int (*THwe_Init)(int reserved1, int reserved2, int* handle);
typedef int (*THwe_Free)(int handle);
typedef int (*THwe_GetDvdWritersCount)(int handle);
typedef int (*THwe_GetDvdWriterName)(int handle, int index, char* buffer, int size);
// Hwe_SetWriter: 1 when selected (its medium as it is now raises no event), 0 when not.
typedef int (*THwe_SetWriter)(int handle, int index);
typedef int (*THwe_GetMediaStatus)(int handle);
typedef int (*THwe_GetMediaType)(int handle);
typedef int (*THwe_StartWriting)(int handle, const char* folder, const char* label);
typedef int (*THwe_RegisterCallback)(int handle, THweEventCallback callback, void* userData);
typedef int (*THwe_AbortWrite)(int handle);
typedef int (*THwe_CloseTray)(int handle);
typedef int (*THwe_OpenTray)(int handle);
typedef int (*THwe_GetWriteSpeeds)(int handle, int* speeds, int count);
typedef int (*THwe_SetWriteSpeed)(int handle, int speed);   // kB/s; 0 lets the writer choose
// Why the handle's last write failed or was refused ("the folder holds no
// VIDEO_TS/VIDEO_TS.IFO", "genisoimage: No space left on device", ...; "" after
// a write that did not fail): copied NUL-terminated into the buffer, cut to
// size - 1 bytes. Answers the reason's full length in bytes, or HWE_BAD_HANDLE.
// Beyond the set the program binds by name: a host looks it up and does
// without it when an engine lacks it.
typedef int (*THwe_GetLastErrorText)(int handle, char* buffer, int size);
// Every other entry of the set takes the handle, does nothing and answers
// HWE_NOT_SUPPORTED.
typedef int (*THwe_Unsupported)(int handle);

}
