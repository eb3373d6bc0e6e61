#pragma once
// The authoring library "dvdauthor.dll" (libdvdauthor.so beside the
// executable): dvdauthor and spumux in library form, loaded for one job and
// freed after it.
//
//   Library lib("dvdauthor.dll");
//   auto author = lib.Symbol<TAuthorMain>("author_main");
//   auto vobsMB = lib.Symbol<TGetVOBsMB>("getVOBsMB");
//
// spumux_main(xml, input, output): adds the subpictures the spumux
//   description names to the program stream `input`, writing `output`
//   (never the same file). The output exists afterwards only when the run
//   succeeded; skipped or no subtitles count as a failure. A text subtitle's
//   font file name ("ARIAL.TTF") is drawn with the font the program's
//   graphics use for it.
// author_main(xml): builds the DVD folder that the dvdauthor control file
//   names (its dest). A run that skipped a file (a titleset mixing TV
//   standards or aspects) or left no VIDEO_TS.IFO is a failure.
// Both take the TV standard for VIDEO_FORMAT from the job (the control
// file's video format, else the stream's sequence header), answer one of the
// AUTHOR_ codes, and may get paths in caller-owned buffers (512 bytes in the
// program); the texts are copied at once.
//
// getVOBsMB / getSubtitleMuxPercent: counters that this library updates while
// author_main / spumux_main run on another thread. They live in the library:
// read them only through ReadAuthorCounter, and drop the pointer before the
// library is freed.
// AuthorCancel, from any thread, kills the running dvdauthor or spumux; the
// running entry answers AUTHOR_CANCELLED, and so does every later call until
// the library is freed. AuthorLastError is a readable reason for the last
// failure ("" after a success), valid until the next call into the library.
#include <atomic>

extern "C" {

enum {
    AUTHOR_OK = 0,
    AUTHOR_BAD_ARGUMENTS = 1,  // a path missing, or the output equal to the input
    AUTHOR_MISSING_INPUT = 2,  // the control file or the input stream is missing or empty
    AUTHOR_TOOL_MISSING = 3,   // dvdauthor or spumux could not be started
    AUTHOR_FAILED = 4,         // the program failed or dropped material
    AUTHOR_BAD_OUTPUT = 5,     // no usable output came out
    AUTHOR_CANCELLED = 6,      // stopped by AuthorCancel
    AUTHOR_BUSY = 7,           // another call of this library is running
};

typedef int (*TSpumuxMain)(char* xmlPath, char* inputPath, char* outputPath);
typedef int (*TAuthorMain)(char* xmlPath);
typedef int* (*TGetVOBsMB)(void);
typedef int* (*TGetSubtitleMuxPercent)(void);
typedef void (*TAuthorCancel)(void);
typedef const char* (*TAuthorLastError)(void);

}

// A counter of the library read while the library writes it; 0 for null.
inline int ReadAuthorCounter(const int* counter)
{
    return counter ? std::atomic_ref<int>(*const_cast<int*>(counter)).load() : 0;
}
