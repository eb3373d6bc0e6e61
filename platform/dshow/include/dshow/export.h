#pragma once
// The media-graph layer is built with hidden visibility: what its public
// headers (dshow/ and its decoding engine's dshow_ffmpeg/) declare carries
// DSHOW_API and is all that libdshow.so, libdshow_ffmpeg.so and
// libdshow_filters.so export.
#define DSHOW_API __attribute__((visibility("default")))
