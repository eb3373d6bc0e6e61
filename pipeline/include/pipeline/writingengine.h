#pragma once
// The program's binding of the DVD-writing engine "dvdwrite_hwe.dll": each
// burning window holds one, with the library, one pointer per entry, its
// engine handle and the speed list the engine last reported.
#include "dvdwrite/dvdwrite_hwe.h"
#include "win32/dynlib.h"

#include <array>
#include <string>
#include <string_view>

constexpr std::string_view kWritingEngineLibrary = "dvdwrite_hwe.dll";

struct WritingEngine {
    Library EngineModule;   // not loaded: no engine

    // Every entry of the engine, bound in this order. The program calls only
    // those with their own types; the others are bound and never used.
    THwe_Init Hwe_Init = nullptr;
    THwe_Free Hwe_Free = nullptr;
    THwe_GetDvdWritersCount Hwe_GetDvdWritersCount = nullptr;
    THwe_GetDvdWriterName Hwe_GetDvdWriterName = nullptr;
    THwe_Unsupported Hwe_GetDeviceName = nullptr;
    THwe_GetMediaStatus Hwe_GetMediaStatus = nullptr;
    THwe_Unsupported Hwe_GetWriteStatus = nullptr;
    THwe_GetMediaType Hwe_GetMediaType = nullptr;
    THwe_SetWriter Hwe_SetWriter = nullptr;
    THwe_Unsupported Hwe_EmptyMediaSize = nullptr;
    THwe_StartWriting Hwe_StartWriting = nullptr;
    THwe_Unsupported Hwe_StartDataWriting = nullptr;
    THwe_RegisterCallback Hwe_RegisterCallback = nullptr;
    THwe_AbortWrite Hwe_AbortWrite = nullptr;
    THwe_Unsupported Hwe_SetMediaToRom = nullptr;
    THwe_Unsupported Hwe_GetWriterMode = nullptr;
    THwe_Unsupported Hwe_SetWriterMode = nullptr;
    THwe_CloseTray Hwe_CloseTray = nullptr;
    THwe_OpenTray Hwe_OpenTray = nullptr;
    THwe_Unsupported Hwe_GetLayerStatus = nullptr;
    THwe_Unsupported Hwe_SetLogFile = nullptr;
    THwe_Unsupported Hwe_GetDriveStatus = nullptr;
    THwe_GetWriteSpeeds Hwe_GetWriteSpeeds = nullptr;
    THwe_SetWriteSpeed Hwe_SetWriteSpeed = nullptr;
    THwe_Unsupported Hwe_StartIsoWriting = nullptr;
    THwe_Unsupported Hwe_GetEnablePolling = nullptr;
    THwe_Unsupported Hwe_SetEnablePolling = nullptr;
    THwe_Unsupported Hwe_StartStreamWriting = nullptr;
    THwe_Unsupported Hwe_GetDualLayerWriteCapability = nullptr;
    THwe_Unsupported Hwe_GetSendWebStats = nullptr;
    THwe_Unsupported Hwe_SetSendWebStats = nullptr;
    THwe_Unsupported Hwe_Blank = nullptr;
    THwe_Unsupported Hwe_GetWriterSupportedMediaList = nullptr;
    THwe_Unsupported Hwe_IsDvdWriter = nullptr;
    THwe_Unsupported Hwe_GetDontAutoEject = nullptr;
    THwe_Unsupported Hwe_SetDontAutoEject = nullptr;
    THwe_Unsupported Hwe_GetPreferDVDRSao = nullptr;
    THwe_Unsupported Hwe_SetPreferDVDRSao = nullptr;
    THwe_Unsupported Hwe_GetSuitableMediaList = nullptr;
    THwe_Unsupported Hwe_DmaEnabled = nullptr;
    // Not in the set every engine has: null when the engine cannot tell why a write failed.
    THwe_GetLastErrorText Hwe_GetLastErrorText = nullptr;

    int EngineHandle = 0;                 // from Hwe_Init; 0 = none
    std::array<int, 50> WriteSpeeds{};    // kB/s, ending at the first 0
    bool EngineReady = false;             // the set-up found a DVD writer
    std::string LoadError;                // why the last load failed, for the window's log
};

// True at once when the engine is loaded. Otherwise loads the library and
// binds every entry; false when the library is missing or lacks an entry the
// program calls (LoadError names it, and nothing stays loaded).
bool LoadWritingEngine(WritingEngine& engine, std::string_view library = kWritingEngineLibrary);
// Frees the library and clears every entry pointer; an engine handle still
// open ends with the library, so it is cleared too.
void UnloadWritingEngine(WritingEngine& engine);
