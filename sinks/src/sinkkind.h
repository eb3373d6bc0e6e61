#pragma once
// Which of the two servers this build is. The one source set is compiled
// twice, once with KELDARA_SINK_AUDIO and once with KELDARA_SINK_VIDEO; every
// difference between the servers is decided here or by `kAudioSink`.
#include "sinkcontrol/sinkcontrol.h"

#if defined(KELDARA_SINK_AUDIO) == defined(KELDARA_SINK_VIDEO)
#error "build the sink sources with exactly one of KELDARA_SINK_AUDIO and KELDARA_SINK_VIDEO"
#endif

#ifdef KELDARA_SINK_AUDIO
namespace sink = audiosink;
inline constexpr bool kAudioSink = true;
#else
namespace sink = videosink;
inline constexpr bool kAudioSink = false;
#endif

using sink::IID_ISinkControl;
using sink::ISinkControl;
using sink::SampleCallback;

inline constexpr const CLSID& kSinkClassId = kAudioSink ? CLSID_AudioSink : CLSID_VideoSink;
