#pragma once
// The numbers the run windows (convert, disc builder, burning process) and
// their workers exchange. Every message a run window is posted has its number
// here or in a header included here, so two of them never share one:
//   1234 MSG_AUTHOR_DONE, 1235 MSG_MUX_DONE   the multiplex/author worker (HandleMovieThread)
//   1237 MSG_SPUMUX_DONE                      a clip's subtitle job (SpumuxJob)
//   1238 MSG_VCDIMAGE_DONE                    the image build (ThreadVCDImager)
//   1239 MSG_CDWRITE_DONE                     the CD write (CdBurnStage)
//   41657 MSG_ENCODER_DONE                    the encoder library (encoder/kvrencoder.h)
//   1137-1152 MSG_WRITER_...                  the DVD-writing engine's events (base/writermessages.h)
#include "base/writermessages.h"
#include "encoder/kvrencoder.h"
#include "win32/messages.h"

// --- the multiplex/author worker ---------------------------------------------------------------
// An author job ended: WPARAM 0, LPARAM AUTHOR_OK when the disc was authored, else
// the failing step's AUTHOR_ code.
constexpr UINT MSG_AUTHOR_DONE = 1234;
// A multiplex job ended: WPARAM kMuxSucceeded or kMuxFailed, LPARAM the job's
// argument count (kMuxDvdArgc, kMuxCdArgc), kMuxAborted after an exception, or
// kMuxTitleStill, which a window posts itself once the title still is written.
constexpr UINT MSG_MUX_DONE = 1235;
constexpr WPARAM kMuxFailed = 0;
constexpr WPARAM kMuxSucceeded = 1;
constexpr int kMuxDvdArgc = 9;   // the multiplexer's arguments for a DVD stream
constexpr int kMuxCdArgc = 7;    // for an SVCD or VCD stream
constexpr LPARAM kMuxAborted = 0;
constexpr LPARAM kMuxTitleStill = 6;

// The worker's job codes (HandleMovieThread::JobCode); every code that is no job's is idle.
constexpr int kJobIdle = 100;
constexpr int kJobAuthor = 210;
constexpr int kJobMux = 211;                              // what StartMux sets
constexpr int kMuxJobCodes[] = {201, 203, 204, kJobMux};   // each starts a multiplex job

// --- the other workers -------------------------------------------------------------------------
// A clip's subtitle job ended (WPARAM 0, LPARAM 0).
constexpr UINT MSG_SPUMUX_DONE = 1237;
// The image build of a run ended (WPARAM the build's result, LPARAM the run it belongs to).
constexpr UINT MSG_VCDIMAGE_DONE = 1238;
// A CD write ended (WPARAM the run it belongs to, LPARAM 0).
constexpr UINT MSG_CDWRITE_DONE = 1239;
