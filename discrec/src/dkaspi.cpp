#include "discrec/dkaspi.h"

#include "discrec/dkspti.h"

#include <mutex>
#include <shared_mutex>

std::atomic<bool> ASPIDLLLoaded{false};
std::atomic<bool> TryInternalASPIFirst{false};

namespace {

constexpr const char* kDllLayerName = "WNASPI32.DLL";
constexpr const char* kPassThroughLayerName = "DKASPI32";

// Held shared by every call into the bound layer, exclusively while binding.
// A binder holds the gate while it waits for the layer: senders pass the gate
// before they take the layer, so a stream of senders cannot keep a
// re-initialisation waiting forever (the lock itself lets readers go first).
std::shared_mutex g_layerMutex;
std::mutex g_bindingGate;
std::mutex g_loaderMutex;
TAspiLibraryLoader g_loader;

HMODULE g_module = nullptr;
std::string g_layerName;
TGetASPI32SupportInfo g_getSupportInfo = nullptr;
TSendASPI32Command g_sendCommand = nullptr;

std::shared_lock<std::shared_mutex> UseLayer()
{
    { std::lock_guard<std::mutex> pass(g_bindingGate); }
    return std::shared_lock<std::shared_mutex>(g_layerMutex);
}

std::unique_lock<std::shared_mutex> BindLayer()
{
    std::lock_guard<std::mutex> gate(g_bindingGate);
    return std::unique_lock<std::shared_mutex>(g_layerMutex);
}

TAspiLibraryLoader CurrentLoader()
{
    std::lock_guard<std::mutex> guard(g_loaderMutex);
    TAspiLibraryLoader loader = g_loader;
    if (!loader.Load)
        loader.Load = [](const std::string& name) { return LoadLibrary(name); };
    if (!loader.GetProc)
        loader.GetProc = [](HMODULE module, const char* symbol) { return GetProcAddress(module, symbol); };
    if (!loader.Free)
        loader.Free = [](HMODULE module) { return FreeLibrary(module); };
    return loader;
}

void BindPassThrough()
{
    g_getSupportInfo = __GetASPI32SupportInfo;
    g_sendCommand = __SendASPI32Command;
    g_layerName = kPassThroughLayerName;
    ASPIDLLLoaded = true;
}

// Binds the pass-through layer when its probe finds a drive. A probe that
// found none is forgotten, so that a later initialisation (a drive plugged in
// since) probes again instead of finding the layer already up and empty.
void TryPassThrough()
{
    if (SPTIInit() > 0)
        BindPassThrough();
    else if (!(ASPIDLLLoaded && g_layerName == kPassThroughLayerName))
        SPTIDeInit();
}

// Caller holds the layer exclusively.
bool DeInitializeLocked()
{
    if (!ASPIDLLLoaded || !g_module)
        return true;
    ASPIDLLLoaded = false;
    g_getSupportInfo = nullptr;
    g_sendCommand = nullptr;
    const bool freed = CurrentLoader().Free(g_module);
    g_module = nullptr;
    return freed;
}

// Frees a bound DLL when the program ends.
struct Finalization {
    ~Finalization()
    {
        std::unique_lock<std::shared_mutex> lock(g_layerMutex);
        DeInitializeLocked();
    }
} g_finalization;

} // namespace

std::string ASPILayerName()
{
    std::shared_lock<std::shared_mutex> lock(g_layerMutex);
    return g_layerName;
}

HMODULE ASPIModule()
{
    std::shared_lock<std::shared_mutex> lock(g_layerMutex);
    return g_module;
}

namespace {

// Caller holds the layer exclusively.
bool InitializeLocked(bool UseSPTI, const std::string& DllPath)
{
    if (UseSPTI)
        TryPassThrough();
    if (!ASPIDLLLoaded) {
        const TAspiLibraryLoader loader = CurrentLoader();
        g_module = nullptr;
        if (!DllPath.empty())
            g_module = loader.Load(DllPath);
        if (!g_module)
            g_module = loader.Load(".\\WNASPI32.DLL");
        if (!g_module)
            g_module = loader.Load("WNASPI32.DLL");
        if (g_module) {
            auto info = reinterpret_cast<TGetASPI32SupportInfo>(loader.GetProc(g_module, "GetASPI32SupportInfo"));
            auto send = reinterpret_cast<TSendASPI32Command>(loader.GetProc(g_module, "SendASPI32Command"));
            if (info && send) {
                g_getSupportInfo = info;
                g_sendCommand = send;
                g_layerName = kDllLayerName;
                ASPIDLLLoaded = true;
            } else {
                // A library without the entry points is no ASPI layer.
                loader.Free(g_module);
                g_module = nullptr;
            }
        }
    }
    if (!ASPIDLLLoaded)
        TryPassThrough();
    if (ASPIDLLLoaded)
        g_getSupportInfo();
    TryInternalASPIFirst = UseSPTI;
    return ASPIDLLLoaded;
}

} // namespace

bool _InitializeASPI(bool UseSPTI, const std::string& DllPath)
{
    const auto lock = BindLayer();
    return InitializeLocked(UseSPTI, DllPath);
}

bool _ReInitializeASPI()
{
    // One exclusive hold: no sender finds the layer missing in between.
    const auto lock = BindLayer();
    if (g_layerName == kPassThroughLayerName) {
        ASPIDLLLoaded = false;
        g_getSupportInfo = nullptr;
        g_sendCommand = nullptr;
        SPTIDeInit();
    } else {
        DeInitializeLocked();
    }
    InitializeLocked(TryInternalASPIFirst, "");
    return true;
}

bool _DeInitializeASPI()
{
    const auto lock = BindLayer();
    return DeInitializeLocked();
}

std::uint32_t GetASPI32SupportInfo()
{
    const auto lock = UseLayer();
    if (!ASPIDLLLoaded || !g_getSupportInfo)
        return std::uint32_t{SS_NO_LAYER} << 8;
    return g_getSupportInfo();
}

std::uint32_t SendASPI32Command(TSRB_Header* srb)
{
    const auto lock = UseLayer();
    if (!ASPIDLLLoaded || !g_sendCommand)
        return SS_NO_LAYER;
    return g_sendCommand(srb);
}

void SetAspiLibraryLoader(const TAspiLibraryLoader& loader)
{
    std::lock_guard<std::mutex> guard(g_loaderMutex);
    g_loader = loader;
}
