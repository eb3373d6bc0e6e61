#include "dshow/setup.h"

#include "com/registry.h"
#include "com/widestring.h"
#include "dshow/uuids.h"
#include "rtl/paths.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <map>
#include <mutex>

namespace {

const std::string kFilterInstances =
    "HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(CLSID_LegacyAmFilterCategory) + "\\Instance";

std::string ClassKey(REFCLSID clsid) { return "HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(clsid); }
std::string InstanceKey(REFCLSID clsid) { return kFilterInstances + "\\" + GuidToString(clsid); }

void WriteFilterData(RegistryTree& tree, const AMOVIESETUP_FILTER& f)
{
    std::string base = InstanceKey(*f.clsID);
    tree.Delete(base);
    RegKey* key = tree.Create(base);
    key->SetValue(RegValue::String("FriendlyName", WideToUtf8(f.strName)));
    key->SetValue(RegValue::String("CLSID", GuidToString(*f.clsID)));
    key->SetValue(RegValue::Dword("Merit", f.dwMerit));
    RegKey& pins = key->CreateChild("Pins");
    for (UINT i = 0; i < f.nPins; ++i) {
        const AMOVIESETUP_PIN& p = f.lpPin[i];
        std::string name = WideToUtf8(p.strName);
        if (name.empty()) name = "Pin " + std::to_string(i);
        RegKey& pin = pins.CreateChild(name);
        pin.SetValue(RegValue::Dword("Direction", p.bOutput ? 1 : 0));
        pin.SetValue(RegValue::Dword("IsRendered", p.bRendered ? 1 : 0));
        pin.SetValue(RegValue::Dword("AllowedZero", p.bZero ? 1 : 0));
        pin.SetValue(RegValue::Dword("AllowedMany", p.bMany ? 1 : 0));
        pin.SetValue(RegValue::String("ConnectsToFilter",
                                      p.clsConnectsToFilter ? GuidToString(*p.clsConnectsToFilter) : ""));
        pin.SetValue(RegValue::String("ConnectsToPin", WideToUtf8(p.strConnectsToPin)));
        RegKey& types = pin.CreateChild("Types");
        for (UINT t = 0; t < p.nMediaTypes; ++t) {
            const AMOVIESETUP_MEDIATYPE& mt = p.lpMediaType[t];
            types.CreateChild(GuidToString(mt.clsMajorType ? *mt.clsMajorType : GUID_NULL))
                .CreateChild(GuidToString(mt.clsMinorType ? *mt.clsMinorType : GUID_NULL));
        }
    }
}

void WriteComClass(RegistryTree& tree, REFCLSID clsid, const std::string& name, const std::string& path,
                   const std::string& threading)
{
    RegKey* key = tree.Create(ClassKey(clsid));
    key->SetValue(RegValue::String("", name));
    RegKey& server = key->CreateChild("InprocServer32");
    server.SetValue(RegValue::String("", path));
    server.SetValue(RegValue::String("ThreadingModel", threading));
}

RegFilterInfo ToInfo(const AMOVIESETUP_FILTER& f)
{
    RegFilterInfo info;
    info.clsid = *f.clsID;
    info.name = f.strName ? f.strName : L"";
    info.merit = f.dwMerit;
    for (UINT i = 0; i < f.nPins; ++i) {
        const AMOVIESETUP_PIN& p = f.lpPin[i];
        RegPinInfo pin;
        pin.name = p.strName ? p.strName : L"";
        pin.output = p.bOutput;
        pin.rendered = p.bRendered;
        pin.zero = p.bZero;
        pin.many = p.bMany;
        for (UINT t = 0; t < p.nMediaTypes; ++t)
            pin.types.emplace_back(p.lpMediaType[t].clsMajorType ? *p.lpMediaType[t].clsMajorType : GUID_NULL,
                                   p.lpMediaType[t].clsMinorType ? *p.lpMediaType[t].clsMinorType : GUID_NULL);
        info.pins.push_back(std::move(pin));
    }
    return info;
}

struct ProcessFilters {
    std::mutex mutex;
    std::map<CLSID, RegFilterInfo> filters;
    std::vector<std::pair<CLSID, DWORD>> sources;
};

ProcessFilters& Process()
{
    static ProcessFilters* p = new ProcessFilters;
    return *p;
}

std::string ModulePath(const void* address)
{
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname) return {};
    char* real = realpath(info.dli_fname, nullptr);
    std::string path = real ? real : info.dli_fname;
    std::free(real);
    return path;
}

} // namespace

HRESULT ServerGetClassObject(const CFactoryTemplate* templates, int count, REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    for (int i = 0; i < count; ++i) {
        if (templates[i].m_ClsID && *templates[i].m_ClsID == clsid && templates[i].m_lpfnNew) {
            IClassFactory* factory = NewClassFactory(MakeClassCreator(templates[i].m_lpfnNew));
            HRESULT hr = factory->QueryInterface(riid, ppv);
            factory->Release();
            return hr;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT ServerCanUnloadNow()
{
    return CUnknown::ObjectsActive() == 0 && ModuleLocks() == 0 && ClassFactoriesActive() == 0 ? S_OK : S_FALSE;
}

HRESULT ServerRegister(const CFactoryTemplate* templates, int count, const void* module, bool doRegister)
{
    std::string path = ModulePath(module);
    if (doRegister && path.empty()) return SELFREG_E_CLASS;
    bool ok = UpdateRegistry([&](RegistryTree& tree) {
        for (int i = 0; i < count; ++i) {
            const CFactoryTemplate& t = templates[i];
            if (!t.m_ClsID) continue;
            if (doRegister) {
                WriteComClass(tree, *t.m_ClsID, WideToUtf8(t.m_Name), path, "Both");
                if (t.m_pAMovieSetup_Filter) WriteFilterData(tree, *t.m_pAMovieSetup_Filter);
            } else {
                tree.Delete(InstanceKey(*t.m_ClsID));
                tree.Delete(ClassKey(*t.m_ClsID));
            }
        }
        return true;
    });
    return ok ? S_OK : (doRegister ? SELFREG_E_CLASS : REGDB_E_WRITEREGDB);
}

HRESULT RegisterFilterData(const AMOVIESETUP_FILTER& filter)
{
    if (!filter.clsID) return E_POINTER;
    return UpdateRegistry([&](RegistryTree& tree) {
               WriteFilterData(tree, filter);
               return true;
           })
               ? S_OK
               : REGDB_E_WRITEREGDB;
}

HRESULT UnregisterFilterData(REFCLSID clsid)
{
    return UpdateRegistry([&](RegistryTree& tree) { return tree.Delete(InstanceKey(clsid)); }) ? S_OK
                                                                                                : REGDB_E_WRITEREGDB;
}

HRESULT RegisterComClass(REFCLSID clsid, const std::string& name, const std::string& modulePath,
                         const std::string& threadingModel)
{
    return UpdateRegistry([&](RegistryTree& tree) {
               WriteComClass(tree, clsid, name, modulePath, threadingModel);
               return true;
           })
               ? S_OK
               : REGDB_E_WRITEREGDB;
}

HRESULT UnregisterComClass(REFCLSID clsid)
{
    return UpdateRegistry([&](RegistryTree& tree) { return tree.Delete(ClassKey(clsid)); }) ? S_OK
                                                                                             : REGDB_E_WRITEREGDB;
}

ClassCreateFunction MakeClassCreator(LPFNNewCOMObject create)
{
    return [create](IUnknown* outer, HRESULT* hr) -> IUnknown* {
        HRESULT local = S_OK;
        CUnknown* object = create(outer, &local);
        if (hr) *hr = local;
        if (!object) {
            if (hr && SUCCEEDED(local)) *hr = E_OUTOFMEMORY;
            return nullptr;
        }
        IUnknown* unknown = object->NonDelegatingUnknown();
        unknown->AddRef();
        if (FAILED(local)) {
            unknown->Release();
            return nullptr;
        }
        return unknown;
    };
}

void RegisterProcessFilter(const AMOVIESETUP_FILTER& filter, ClassCreateFunction create)
{
    if (!filter.clsID) return;
    RegisterProcessClass(*filter.clsID, std::move(create));
    auto& p = Process();
    std::lock_guard lock(p.mutex);
    p.filters[*filter.clsID] = ToInfo(filter);
}

void RegisterProcessFileSource(REFCLSID clsid, DWORD merit, ClassCreateFunction create)
{
    RegisterProcessClass(clsid, std::move(create));
    auto& p = Process();
    std::lock_guard lock(p.mutex);
    auto it = std::find_if(p.sources.begin(), p.sources.end(), [&](auto& s) { return s.first == clsid; });
    if (it != p.sources.end()) it->second = merit;
    else p.sources.emplace_back(clsid, merit);
}

std::vector<RegFilterInfo> EnumerateRegisteredFilters()
{
    std::map<CLSID, RegFilterInfo> all;
    auto tree = ReadRegistry();
    if (const RegKey* instances = tree->Find(kFilterInstances)) {
        for (const auto& key : instances->Children()) {
            auto clsid = GuidFromString(key->Name());
            if (const RegValue* v = key->Value("CLSID")) {
                if (auto c = GuidFromString(v->AsString())) clsid = c;
            }
            if (!clsid) continue;
            RegFilterInfo info;
            info.clsid = *clsid;
            if (const RegValue* v = key->Value("FriendlyName")) info.name = Utf8ToWide(v->AsString());
            if (const RegValue* v = key->Value("Merit")) info.merit = v->AsDword();
            if (const RegKey* pins = key->Child("Pins")) {
                for (const auto& pk : pins->Children()) {
                    RegPinInfo pin;
                    pin.name = Utf8ToWide(pk->Name());
                    auto flag = [&](const char* name) {
                        const RegValue* v = pk->Value(name);
                        return v && v->AsDword() != 0;
                    };
                    pin.output = flag("Direction");
                    pin.rendered = flag("IsRendered");
                    pin.zero = flag("AllowedZero");
                    pin.many = flag("AllowedMany");
                    if (const RegKey* types = pk->Child("Types")) {
                        for (const auto& major : types->Children()) {
                            GUID m = GuidFromString(major->Name()).value_or(GUID_NULL);
                            if (major->Children().empty()) pin.types.emplace_back(m, GUID_NULL);
                            for (const auto& sub : major->Children())
                                pin.types.emplace_back(m, GuidFromString(sub->Name()).value_or(GUID_NULL));
                        }
                    }
                    info.pins.push_back(std::move(pin));
                }
            }
            all[info.clsid] = std::move(info);
        }
    }
    {
        auto& p = Process();
        std::lock_guard lock(p.mutex);
        for (auto& [clsid, info] : p.filters) all[clsid] = info;
    }
    std::vector<RegFilterInfo> list;
    for (auto& [clsid, info] : all) list.push_back(std::move(info));
    std::stable_sort(list.begin(), list.end(), [](auto& a, auto& b) { return a.merit > b.merit; });
    return list;
}

std::vector<CLSID> FileSourcesFor(const std::wstring& file)
{
    std::vector<CLSID> out;
    std::string ext = ExtractFileExt(WideToUtf8(file));
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (!ext.empty()) {
        auto tree = ReadRegistry();
        if (const RegKey* key = tree->Find("HKEY_CLASSES_ROOT\\Media Type\\Extensions\\" + ext)) {
            if (const RegValue* v = key->Value("Source Filter"))
                if (auto clsid = GuidFromString(v->AsString())) out.push_back(*clsid);
        }
    }
    std::vector<std::pair<CLSID, DWORD>> sources;
    {
        auto& p = Process();
        std::lock_guard lock(p.mutex);
        sources = p.sources;
    }
    std::stable_sort(sources.begin(), sources.end(), [](auto& a, auto& b) { return a.second > b.second; });
    for (auto& [clsid, merit] : sources)
        if (std::find(out.begin(), out.end(), clsid) == out.end()) out.push_back(clsid);
    return out;
}
