// Makes the FFmpeg filters known to the process: CoCreateInstance by class,
// RenderFile's file sources and automatic graph building.
#include "audiorenderer.h"
#include "dshow_ffmpeg/filters.h"
#include "mediadet.h"
#include "nullrenderer.h"
#include "samplegrabber.h"
#include "sourcefilter.h"
#include "videorenderer.h"

#include <mutex>

const CLSID CLSID_FfmpegSource{0x0F27FEAB, 0x142D, 0x4829, {0x8C, 0x37, 0xF0, 0xFE, 0xB3, 0xEF, 0x29, 0xC1}};
const CLSID CLSID_VideoRenderer{0x70E102B0, 0x5556, 0x11CE, {0x97, 0xC0, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
const CLSID CLSID_DSoundRender{0x79376820, 0x07D0, 0x11CF, {0xA2, 0x4D, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x67}};
const CLSID CLSID_NullRenderer{0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
const CLSID CLSID_SampleGrabber{0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
const CLSID CLSID_MediaDet{0x65BD0711, 0x24D2, 0x4FF7, {0x93, 0x24, 0xED, 0x2E, 0x5D, 0x3A, 0xBA, 0xFA}};

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

} // namespace
} // namespace ffmpeg

void RegisterMediaFilters()
{
    using namespace ffmpeg;
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterProcessFileSource(CLSID_FfmpegSource, MERIT_NORMAL, MakeClassCreator(&CFfmpegSource::CreateInstance));
        RegisterProcessFilter(kVideoRenderer, MakeClassCreator(&CVideoRenderer::CreateInstance));
        RegisterProcessFilter(kAudioRenderer, MakeClassCreator(&CAudioRenderer::CreateInstance));
        RegisterProcessFilter(kNullRenderer, MakeClassCreator(&CNullRenderer::CreateInstance));
        RegisterProcessFilter(kSampleGrabber, MakeClassCreator(&CSampleGrabber::CreateInstance));
        RegisterProcessClass(CLSID_MediaDet, &CMediaDet::Create);
    });
}

namespace {
// A program that names one of the classes links this file, and so has them all.
const bool g_registered = (RegisterMediaFilters(), true);
} // namespace
