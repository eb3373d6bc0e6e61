#include "pipeline/writingengine.h"

#include "base/burnpubfunction.h"

#include <cstdio>
#include <type_traits>

// The callback the windows register must be what the engine calls.
static_assert(std::is_same_v<decltype(&WriterEventCallback), THweEventCallback>);

namespace {

// Every entry in binding order, and whether the program calls it.
#define WRITING_ENGINE_ENTRIES(X)                                                                                      \
    X(Hwe_Init, true)                                                                                                  \
    X(Hwe_Free, true)                                                                                                  \
    X(Hwe_GetDvdWritersCount, true)                                                                                    \
    X(Hwe_GetDvdWriterName, true)                                                                                      \
    X(Hwe_GetDeviceName, false)                                                                                        \
    X(Hwe_GetMediaStatus, true)                                                                                        \
    X(Hwe_GetWriteStatus, false)                                                                                       \
    X(Hwe_GetMediaType, true)                                                                                          \
    X(Hwe_SetWriter, true)                                                                                             \
    X(Hwe_EmptyMediaSize, false)                                                                                       \
    X(Hwe_StartWriting, true)                                                                                          \
    X(Hwe_StartDataWriting, false)                                                                                     \
    X(Hwe_RegisterCallback, true)                                                                                      \
    X(Hwe_AbortWrite, true)                                                                                            \
    X(Hwe_SetMediaToRom, false)                                                                                        \
    X(Hwe_GetWriterMode, false)                                                                                        \
    X(Hwe_SetWriterMode, false)                                                                                        \
    X(Hwe_CloseTray, true)                                                                                             \
    X(Hwe_OpenTray, true)                                                                                              \
    X(Hwe_GetLayerStatus, false)                                                                                       \
    X(Hwe_SetLogFile, false)                                                                                           \
    X(Hwe_GetDriveStatus, false)                                                                                       \
    X(Hwe_GetWriteSpeeds, true)                                                                                        \
    X(Hwe_SetWriteSpeed, true)                                                                                         \
    X(Hwe_StartIsoWriting, false)                                                                                      \
    X(Hwe_GetEnablePolling, false)                                                                                     \
    X(Hwe_SetEnablePolling, false)                                                                                     \
    X(Hwe_StartStreamWriting, false)                                                                                   \
    X(Hwe_GetDualLayerWriteCapability, false)                                                                          \
    X(Hwe_GetSendWebStats, false)                                                                                      \
    X(Hwe_SetSendWebStats, false)                                                                                      \
    X(Hwe_Blank, false)                                                                                                \
    X(Hwe_GetWriterSupportedMediaList, false)                                                                          \
    X(Hwe_IsDvdWriter, false)                                                                                          \
    X(Hwe_GetDontAutoEject, false)                                                                                     \
    X(Hwe_SetDontAutoEject, false)                                                                                     \
    X(Hwe_GetPreferDVDRSao, false)                                                                                     \
    X(Hwe_SetPreferDVDRSao, false)                                                                                     \
    X(Hwe_GetSuitableMediaList, false)                                                                                 \
    X(Hwe_DmaEnabled, false)

void ClearEntries(WritingEngine& engine)
{
#define CLEAR_ENTRY(name, required) engine.name = nullptr;
    WRITING_ENGINE_ENTRIES(CLEAR_ENTRY)
#undef CLEAR_ENTRY
    engine.Hwe_GetLastErrorText = nullptr;
}

} // namespace

bool LoadWritingEngine(WritingEngine& engine, std::string_view library)
{
    if (engine.EngineModule.Loaded())
        return true;
    Library module(library);
    if (!module.Loaded()) {
        engine.LoadError = LastLibraryError();
        return false;
    }
    // A missing entry the program calls means a broken installation: the
    // set-up fails and says which, instead of calling through a null pointer.
    std::string missing;
#define BIND_ENTRY(name, required)                                                                                     \
    engine.name = module.Symbol<decltype(engine.name)>(#name);                                                         \
    if (required && !engine.name && missing.empty())                                                                   \
        missing = #name;
    WRITING_ENGINE_ENTRIES(BIND_ENTRY)
#undef BIND_ENTRY
    engine.Hwe_GetLastErrorText = module.Symbol<THwe_GetLastErrorText>("Hwe_GetLastErrorText");
    if (!missing.empty()) {
        ClearEntries(engine);
        engine.LoadError = std::string(kWritingEngineLibrary) + " lacks " + missing;
        std::fprintf(stderr, "keldara: %s\n", engine.LoadError.c_str());
        return false;
    }
    engine.EngineModule = std::move(module);
    engine.LoadError.clear();
    return true;
}

void UnloadWritingEngine(WritingEngine& engine)
{
    if (!engine.EngineModule.Loaded())
        return;
    ClearEntries(engine);
    engine.EngineModule.Free();
    engine.EngineHandle = 0;
}
