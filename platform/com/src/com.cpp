#include "com/com.h"

#include "com/cunknown.h"
#include "com/registry.h"
#include "win32/dynlib.h"

#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

thread_local int t_initCount = 0;
std::atomic<long> g_factories{0};

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(ClassCreateFunction create) : create_(std::move(create)) { ++g_factories; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++ref_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        long left = --ref_;
        if (left == 0) delete this;
        return ULONG(left);
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
        HRESULT hr = S_OK;
        IUnknown* object = create_(outer, &hr);
        if (!object) return FAILED(hr) ? hr : E_OUTOFMEMORY;
        hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        ModuleLock(lock != 0);
        return S_OK;
    }

private:
    ~ClassFactory() { --g_factories; }
    ClassCreateFunction create_;
    std::atomic<long> ref_{1};
};

struct ClassTable {
    std::mutex mutex;
    std::map<CLSID, ClassCreateFunction> builtIn;
    struct Registered {
        CLSID clsid;
        IUnknown* factory;
    };
    std::map<DWORD, Registered> registered;
    DWORD nextCookie = 1;
    std::map<std::string, HMODULE> modules;   // loaded servers by path
};

ClassTable& Table()
{
    static ClassTable* table = new ClassTable;   // outlives every static destructor that may release objects
    return *table;
}

HRESULT LoadServerFactory(const std::string& path, REFCLSID clsid, REFIID riid, void** ppv)
{
    HMODULE module = nullptr;
    {
        auto& t = Table();
        std::lock_guard lock(t.mutex);
        auto it = t.modules.find(path);
        if (it != t.modules.end()) module = it->second;
    }
    if (!module) {
        module = LoadLibrary(path);
        if (!module) return CO_E_DLLNOTFOUND;
        auto& t = Table();
        std::lock_guard lock(t.mutex);
        auto [it, inserted] = t.modules.emplace(path, module);
        if (!inserted) {
            FreeLibrary(module);     // another thread was first; it holds one load
            module = it->second;
        }
    }
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(GetProcAddress(module, "DllGetClassObject"));
    if (!getClassObject) return CO_E_ERRORINDLL;
    return getClassObject(clsid, riid, ppv);
}

} // namespace

IClassFactory* NewClassFactory(ClassCreateFunction create) { return new ClassFactory(std::move(create)); }

long ClassFactoriesActive() { return g_factories.load(); }

HRESULT CoInitialize(void* reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

HRESULT CoInitializeEx(void*, DWORD)
{
    return t_initCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize()
{
    if (t_initCount > 0) --t_initCount;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!(context & CLSCTX_INPROC)) return REGDB_E_CLASSNOTREG;
    ClassCreateFunction builtIn;
    {
        auto& t = Table();
        std::lock_guard lock(t.mutex);
        for (auto& [cookie, entry] : t.registered)
            if (entry.clsid == clsid) return entry.factory->QueryInterface(riid, ppv);
        auto it = t.builtIn.find(clsid);
        if (it != t.builtIn.end()) builtIn = it->second;
    }
    if (builtIn) {
        IClassFactory* factory = NewClassFactory(std::move(builtIn));
        HRESULT hr = factory->QueryInterface(riid, ppv);
        factory->Release();
        return hr;
    }
    auto registry = ReadRegistry();
    const RegKey* server = registry->Find("HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(clsid) + "\\InprocServer32");
    const RegValue* path = server ? server->Value("") : nullptr;
    if (!path || path->AsString().empty()) return REGDB_E_CLASSNOTREG;
    return LoadServerFactory(path->AsString(), clsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    if (!factory) return E_UNEXPECTED;
    hr = factory->CreateInstance(outer, riid, ppv);
    factory->Release();
    return hr;
}

void CoFreeUnusedLibraries()
{
    auto& t = Table();
    std::lock_guard lock(t.mutex);
    for (auto it = t.modules.begin(); it != t.modules.end();) {
        auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(GetProcAddress(it->second, "DllCanUnloadNow"));
        if (canUnload && canUnload() == S_OK) {
            FreeLibrary(it->second);
            it = t.modules.erase(it);
        } else {
            ++it;
        }
    }
}

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD, DWORD, DWORD* cookie)
{
    if (!factory || !cookie) return E_INVALIDARG;
    auto& t = Table();
    std::lock_guard lock(t.mutex);
    factory->AddRef();
    *cookie = t.nextCookie++;
    t.registered[*cookie] = {clsid, factory};
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie)
{
    IUnknown* factory = nullptr;
    {
        auto& t = Table();
        std::lock_guard lock(t.mutex);
        auto it = t.registered.find(cookie);
        if (it == t.registered.end()) return E_INVALIDARG;
        factory = it->second.factory;
        t.registered.erase(it);
    }
    factory->Release();
    return S_OK;
}

void RegisterProcessClass(REFCLSID clsid, ClassCreateFunction create)
{
    auto& t = Table();
    std::lock_guard lock(t.mutex);
    t.builtIn[clsid] = std::move(create);
}

bool IsProcessClass(REFCLSID clsid)
{
    auto& t = Table();
    std::lock_guard lock(t.mutex);
    return t.builtIn.count(clsid) != 0;
}

void* CoTaskMemAlloc(std::size_t size) { return std::malloc(size ? size : 1); }
void* CoTaskMemRealloc(void* p, std::size_t size) { return std::realloc(p, size ? size : 1); }
void CoTaskMemFree(void* p) { std::free(p); }
