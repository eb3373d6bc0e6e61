// Engine libraries for the binding tests: every entry does nothing but say it
// was called, FakeEngineFire calls the registered callback from a thread of
// its own. Built once whole and once without an entry (FAKE_LACKS_UNUSED:
// Hwe_DmaEnabled, which the program never calls; FAKE_LACKS_USED:
// Hwe_GetMediaType, which it does).
#include "dvdwrite/dvdwrite_hwe.h"

#include <thread>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
THweEventCallback g_callback = nullptr;
void* g_userData = nullptr;
}

FAKE_EXPORT int Hwe_Init(int, int, int* handle)
{
    *handle = 7;
    return HWE_OK;
}

FAKE_EXPORT int Hwe_RegisterCallback(int handle, THweEventCallback callback, void* userData)
{
    g_callback = callback;
    g_userData = userData;
    return handle == 7 ? HWE_OK : HWE_BAD_HANDLE;
}

FAKE_EXPORT void FakeEngineFire(int event, int value)
{
    std::thread([event, value] { g_callback(7, event, value, g_userData); }).join();
}

#define FAKE_ENTRY(name)                                                                                               \
    FAKE_EXPORT int name(int) { return 1; }

FAKE_ENTRY(Hwe_Free)
FAKE_ENTRY(Hwe_GetDvdWritersCount)
FAKE_ENTRY(Hwe_GetDvdWriterName)
FAKE_ENTRY(Hwe_GetDeviceName)
FAKE_ENTRY(Hwe_GetMediaStatus)
FAKE_ENTRY(Hwe_GetWriteStatus)
#ifndef FAKE_LACKS_USED
FAKE_EXPORT int Hwe_GetMediaType(int) { return 0x11; }
#endif
FAKE_ENTRY(Hwe_SetWriter)
FAKE_ENTRY(Hwe_EmptyMediaSize)
FAKE_ENTRY(Hwe_StartWriting)
FAKE_ENTRY(Hwe_StartDataWriting)
FAKE_ENTRY(Hwe_AbortWrite)
FAKE_ENTRY(Hwe_SetMediaToRom)
FAKE_ENTRY(Hwe_GetWriterMode)
FAKE_ENTRY(Hwe_SetWriterMode)
FAKE_ENTRY(Hwe_CloseTray)
FAKE_ENTRY(Hwe_OpenTray)
FAKE_ENTRY(Hwe_GetLayerStatus)
FAKE_ENTRY(Hwe_SetLogFile)
FAKE_ENTRY(Hwe_GetDriveStatus)
FAKE_ENTRY(Hwe_GetWriteSpeeds)
FAKE_ENTRY(Hwe_SetWriteSpeed)
FAKE_ENTRY(Hwe_StartIsoWriting)
FAKE_ENTRY(Hwe_GetEnablePolling)
FAKE_ENTRY(Hwe_SetEnablePolling)
FAKE_ENTRY(Hwe_StartStreamWriting)
FAKE_ENTRY(Hwe_GetDualLayerWriteCapability)
FAKE_ENTRY(Hwe_GetSendWebStats)
FAKE_ENTRY(Hwe_SetSendWebStats)
FAKE_ENTRY(Hwe_Blank)
FAKE_ENTRY(Hwe_GetWriterSupportedMediaList)
FAKE_ENTRY(Hwe_IsDvdWriter)
FAKE_ENTRY(Hwe_GetDontAutoEject)
FAKE_ENTRY(Hwe_SetDontAutoEject)
FAKE_ENTRY(Hwe_GetPreferDVDRSao)
FAKE_ENTRY(Hwe_SetPreferDVDRSao)
FAKE_ENTRY(Hwe_GetSuitableMediaList)
#ifndef FAKE_LACKS_UNUSED
FAKE_ENTRY(Hwe_DmaEnabled)
#endif
