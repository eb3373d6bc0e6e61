#pragma once
// The "My YUV2RGB" colour converter: a filter plug-in (YUV2RGBFilter.ax,
// registered with regsvr32) that turns YUV video into bottom-up RGB24.
#include "com/guid.h"

inline constexpr CLSID CLSID_MyYUV2RGB{0xD21B37E2, 0xA943, 0x45CB, {0x9D, 0x16, 0x28, 0x3D, 0x28, 0xA7, 0x12, 0xBB}};
