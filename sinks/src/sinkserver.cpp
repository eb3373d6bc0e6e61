// The server module: its one class, the filter data DllRegisterServer writes,
// and the four exports.
#include "samplesink.h"
#include "sinkkind.h"

namespace {

const AMOVIESETUP_MEDIATYPE kPinTypes[] = {
    {kAudioSink ? &MEDIATYPE_Audio : &MEDIATYPE_Video, kAudioSink ? &MEDIASUBTYPE_PCM : &MEDIASUBTYPE_YUY2}};

const AMOVIESETUP_PIN kPins[] = {{
    kAudioSink ? L"Audio Input" : L"Video Input",
    kAudioSink ? FALSE : TRUE,   // rendered
    FALSE,                       // output
    FALSE,                       // zero
    FALSE,                       // many
    nullptr,                     // connects to filter
    kAudioSink ? nullptr : L"Input",
    1,
    kPinTypes,
}};

const AMOVIESETUP_FILTER kFilterSetup = {
    &kSinkClassId,
    kAudioSink ? L"OrvaneDVD Audio Encode Filter3.0" : L"OrvaneDVD Video Encode Filter3.0",
    kAudioSink ? 0x00100000u : 0x00200000u,
    1,
    kPins,
};

const CFactoryTemplate g_Templates[] = {{
    kAudioSink ? L"Orvane Audio Encoder3.0" : L"Orvane Video Encoder3.0",
    &kSinkClassId,
    &SampleSink::CreateInstance,
    nullptr,
    &kFilterSetup,
}};

} // namespace

KELDARA_SERVER_EXPORTS(g_Templates)
