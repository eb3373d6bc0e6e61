// Makes the FFmpeg filters known to the process as the module loads:
// CoCreateInstance by class, RenderFile's file sources and automatic graph building.
#include "audiorenderer.h"
#include "dshow/mediafilters.h"
#include "mediadet.h"
#include "nullrenderer.h"
#include "samplegrabber.h"
#include "sourcefilter.h"
#include "videorenderer.h"


namespace ffmpeg {
namespace {

const AMOVIESETUP_MEDIATYPE kVideoRendererTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24},
                                                     {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32}};
const AMOVIESETUP_PIN kVideoRendererPins[] = {
    {L"Input", TRUE, FALSE, FALSE, FALSE, nullptr, nullptr, 2, kVideoRendererTypes}};
const AMOVIESETUP_FILTER kVideoRenderer = {&CLSID_VideoRenderer, L"Video Renderer", MERIT_PREFERRED, 1,
                                           kVideoRendererPins};

const AMOVIESETUP_MEDIATYPE kAudioRendererTypes[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM}};
const AMOVIESETUP_PIN kAudioRendererPins[] = {
    {L"Audio Input pin (rendered)", TRUE, FALSE, FALSE, FALSE, nullptr, nullptr, 1, kAudioRendererTypes}};
const AMOVIESETUP_FILTER kAudioRenderer = {&CLSID_DSoundRender, L"Audio Renderer", MERIT_PREFERRED, 1,
                                           kAudioRendererPins};

// Only ever added by name: never chosen by automatic graph building.
const AMOVIESETUP_MEDIATYPE kAnyType[] = {{&GUID_NULL, &GUID_NULL}};
const AMOVIESETUP_PIN kNullRendererPins[] = {{L"In", TRUE, FALSE, FALSE, FALSE, nullptr, nullptr, 1, kAnyType}};
const AMOVIESETUP_FILTER kNullRenderer = {&CLSID_NullRenderer, L"Null Renderer", MERIT_DO_NOT_USE, 1,
                                          kNullRendererPins};
const AMOVIESETUP_PIN kGrabberPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, nullptr, nullptr, 1, kAnyType},
                                        {L"Output", FALSE, TRUE, FALSE, FALSE, nullptr, nullptr, 1, kAnyType}};
const AMOVIESETUP_FILTER kSampleGrabber = {&CLSID_SampleGrabber, L"SampleGrabber", MERIT_DO_NOT_USE, 2, kGrabberPins};

// Registers every filter of the module, once, as the module loads.
const bool g_registered = [] {
    RegisterProcessFileSource(CLSID_FfmpegSource, MERIT_NORMAL, MakeClassCreator(&CFfmpegSource::CreateInstance));
    RegisterProcessFilter(kVideoRenderer, MakeClassCreator(&CVideoRenderer::CreateInstance));
    RegisterProcessFilter(kAudioRenderer, MakeClassCreator(&CAudioRenderer::CreateInstance));
    RegisterProcessFilter(kNullRenderer, MakeClassCreator(&CNullRenderer::CreateInstance));
    RegisterProcessFilter(kSampleGrabber, MakeClassCreator(&CSampleGrabber::CreateInstance));
    RegisterProcessClass(CLSID_MediaDet, &CMediaDet::Create);
    return true;
}();

} // namespace
} // namespace ffmpeg
