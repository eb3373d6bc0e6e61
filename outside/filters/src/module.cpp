// The plug-in module: its one class and the four server entries.
#include "dshow/dshow.h"
#include "filters/yuv2rgb.h"
#include "yuv2rgbfilter.h"

namespace {

const AMOVIESETUP_MEDIATYPE kInputTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2},
                                             {&MEDIATYPE_Video, &MEDIASUBTYPE_UYVY},
                                             {&MEDIATYPE_Video, &MEDIASUBTYPE_YV12},
                                             {&MEDIATYPE_Video, &MEDIASUBTYPE_I420}};
const AMOVIESETUP_MEDIATYPE kOutputTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24}};
const AMOVIESETUP_PIN kPins[] = {{L"XForm In", FALSE, FALSE, FALSE, FALSE, nullptr, nullptr, 4, kInputTypes},
                                 {L"XForm Out", FALSE, TRUE, FALSE, FALSE, nullptr, nullptr, 1, kOutputTypes}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_MyYUV2RGB, L"My YUV2RGB", MERIT_UNLIKELY, 2, kPins};

const CFactoryTemplate kTemplates[] = {
    {L"My YUV2RGB", &CLSID_MyYUV2RGB, &CYuvToRgbFilter::CreateInstance, nullptr, &kFilter}};

} // namespace

KELDARA_SERVER_EXPORTS(kTemplates)
