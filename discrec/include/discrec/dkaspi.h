#pragma once
// The two ASPI entry points every SCSI command of the library goes through,
// bound either to the outside ASPI library (WNASPI32.DLL) or to the library's
// own pass-through layer (Dkspti, named "DKASPI32").
//
// _InitializeASPI(UseSPTI, DllPath) binds one layer for the whole process:
//   UseSPTI false: the DLL from DllPath, then ".\WNASPI32.DLL", then
//                  "WNASPI32.DLL" (beside the executable, then on the search
//                  path), then the pass-through layer;
//   UseSPTI true:  the pass-through layer first.
// The pass-through layer is bound only when it found a drive. A DLL without
// both entry points counts as not found.
//
// Thread-safe: senders may run on several threads while another thread
// re-initialises the layer; a re-initialisation waits for the calls in flight.
#include "win32/aspi.h"
#include "win32/dynlib.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// An ASPI layer is bound.
extern std::atomic<bool> ASPIDLLLoaded;
// The UseSPTI argument of the last initialisation; re-initialisation reuses it.
extern std::atomic<bool> TryInternalASPIFirst;
// "WNASPI32.DLL" when the DLL is bound (whichever path it came from),
// "DKASPI32" for the pass-through layer, "" before the first binding.
std::string ASPILayerName();
// The loaded DLL, nullptr when none.
HMODULE ASPIModule();

bool _InitializeASPI(bool UseSPTI, const std::string& DllPath);
// Drops the bound layer and binds again as last time; always true.
bool _ReInitializeASPI();
// Frees a bound DLL (false when freeing failed); true otherwise.
bool _DeInitializeASPI();

// The bound entry points. Without a bound layer they touch nothing and answer
// SS_NO_LAYER (226) in the status byte.
std::uint32_t GetASPI32SupportInfo();
std::uint32_t SendASPI32Command(TSRB_Header* srb);

// How the DLL is loaded; empty members mean LoadLibrary, GetProcAddress and
// FreeLibrary. Tests install their own.
struct TAspiLibraryLoader {
    std::function<HMODULE(const std::string& name)> Load;
    std::function<void*(HMODULE module, const char* symbol)> GetProc;
    std::function<bool(HMODULE module)> Free;
};
void SetAspiLibraryLoader(const TAspiLibraryLoader& loader);
