#pragma once
// The multiplexer library "Tormux.dll" (libTormux.so beside the executable),
// as the program loads it for one job and frees it after the job:
//
//   Library lib("Tormux.dll");
//   auto mplex = lib.Symbol<TMPlex>("MPlex");
//   auto position = lib.Symbol<TMUXGetPosition>("MUXGetPosition");
//
// MPlex takes the multiplexer's argument vector:
//   argv[0] program name (ignored), "-f", "8" | "4" | "1", "-o", output,
//   video input, audio input [, "-O", "0"]
// -f 8 writes a DVD program stream with NAV packs (2048-byte packs) that
// dvdauthor completes; -f 4 an SVCD and -f 1 a VCD MPEG (2324-byte packs).
// Time stamps come from the elementary streams. The output appears only when
// the whole run succeeded; the inputs are never touched. Paths may be in
// caller-owned buffers (256 bytes in the program); they are copied at once.
//
// MUXGetPosition may be called from any thread while MPlex runs (never after
// the library is freed): the share of the inputs read so far, 0..100 (100
// only once the output is complete).
// MUXCancel, from any thread, stops the running multiplexer; MPlex then
// answers MUX_CANCELLED, and so does every later call until the library is
// freed. MUXLastError is a readable reason for the last failure ("" after a
// success), valid until the next call into the library.

extern "C" {

enum {
    MUX_OK = 0,
    MUX_BAD_ARGUMENTS = 1,  // missing or unknown argument, output equal to an input
    MUX_MISSING_INPUT = 2,  // an input file is missing, empty or unreadable
    MUX_TOOL_MISSING = 3,   // the multiplexer program could not be started
    MUX_FAILED = 4,         // the multiplexer refused the streams or failed
    MUX_BAD_OUTPUT = 5,     // no usable program stream came out
    MUX_CANCELLED = 6,      // stopped by MUXCancel
    MUX_BUSY = 7,           // another MPlex call of this library is running
};

typedef int (*TMPlex)(int argc, char** argv);
typedef int (*TMUXGetPosition)(void);
typedef void (*TMUXCancel)(void);
typedef const char* (*TMUXLastError)(void);

}
