#pragma once
// The DVD-writing engine's events as window messages (WPARAM the event's
// value, LPARAM 0), which WriterEventCallback posts to the burning windows.
#include "win32/messages.h"

constexpr UINT MSG_WRITER_MEDIA = 1137;      // events 2 and 3: the medium came or went
constexpr UINT MSG_WRITER_STATUS = 1140;     // event 9: write status code (HWE_WRITE_...)
constexpr UINT MSG_WRITER_CLOSING = 1141;    // event 8: the disc is being finalised
constexpr UINT MSG_WRITER_PROGRESS = 1152;   // event 7: progress 0..HWE_PROGRESS_FULL
