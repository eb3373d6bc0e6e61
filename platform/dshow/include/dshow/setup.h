#pragma once
// Registration of filters and the machinery of a server module.
//
// A server module (a shared library loaded by CoCreateInstance and regsvr32)
// lists its classes in a CFactoryTemplate array and exports the four entries
// with KELDARA_SERVER_EXPORTS(templates). DllRegisterServer then writes, per
// template, HKCR\CLSID\{clsid} (default value: the template name) with
// InprocServer32 (default: the module's path, ThreadingModel "Both"), and for
// a template with filter data:
//   HKCR\CLSID\{083863F1-70DE-11D0-BD40-00A0C911CE86}\Instance\{clsid}
//       FriendlyName (text), CLSID (text), Merit (dword)
//       Pins\<pin name>: Direction (0 in, 1 out), IsRendered, AllowedZero,
//                        AllowedMany (dwords), ConnectsToFilter, ConnectsToPin (texts)
//       Pins\<pin name>\Types\{major}\{sub}
// DllUnregisterServer removes both keys.
//
// Filters built into the process register the same data with
// RegisterProcessFilter. Automatic graph building (Render, Connect through an
// intermediate filter) considers registered filters whose merit is above
// MERIT_DO_NOT_USE, best merit first. RenderFile's source filter is, in order:
// the class named under HKCR\Media Type\Extensions\<.ext> "Source Filter", then
// the file sources registered with RegisterProcessFileSource, best merit first;
// each is created, asked for IFileSourceFilter and Load-ed until one takes the file.
#include "dshow/export.h"
#include "com/com.h"
#include "com/cunknown.h"
#include "dshow/interfaces.h"

#include <string>
#include <vector>

constexpr DWORD MERIT_PREFERRED = 0x800000;
constexpr DWORD MERIT_NORMAL = 0x600000;
constexpr DWORD MERIT_UNLIKELY = 0x400000;
constexpr DWORD MERIT_DO_NOT_USE = 0x200000;
constexpr DWORD MERIT_SW_COMPRESSOR = 0x100000;
constexpr DWORD MERIT_HW_COMPRESSOR = 0x100050;

struct AMOVIESETUP_MEDIATYPE {
    const CLSID* clsMajorType;
    const CLSID* clsMinorType;
};

struct AMOVIESETUP_PIN {
    LPCWSTR strName;
    BOOL bRendered;
    BOOL bOutput;
    BOOL bZero;
    BOOL bMany;
    const CLSID* clsConnectsToFilter;
    LPCWSTR strConnectsToPin;
    UINT nMediaTypes;
    const AMOVIESETUP_MEDIATYPE* lpMediaType;
};

struct AMOVIESETUP_FILTER {
    const CLSID* clsID;
    LPCWSTR strName;
    DWORD dwMerit;
    UINT nPins;
    const AMOVIESETUP_PIN* lpPin;
};

using LPFNNewCOMObject = CUnknown* (*)(IUnknown* outer, HRESULT* hr);
using LPFNInitRoutine = void (*)(BOOL loading, const CLSID* clsid);

struct CFactoryTemplate {
    LPCWSTR m_Name;
    const CLSID* m_ClsID;
    LPFNNewCOMObject m_lpfnNew;
    LPFNInitRoutine m_lpfnInit;
    const AMOVIESETUP_FILTER* m_pAMovieSetup_Filter;
};

// The module helpers behind the exports.
DSHOW_API HRESULT ServerGetClassObject(const CFactoryTemplate* templates, int count, REFCLSID clsid, REFIID riid, void** ppv);
DSHOW_API HRESULT ServerCanUnloadNow();
// module: any address inside the server module (its path is found from it).
DSHOW_API HRESULT ServerRegister(const CFactoryTemplate* templates, int count, const void* module, bool doRegister);

// Filter data in the registry, as DllRegisterServer writes it.
DSHOW_API HRESULT RegisterFilterData(const AMOVIESETUP_FILTER& filter);
DSHOW_API HRESULT UnregisterFilterData(REFCLSID clsid);
DSHOW_API HRESULT RegisterComClass(REFCLSID clsid, const std::string& name, const std::string& modulePath,
                                   const std::string& threadingModel = "Both");
DSHOW_API HRESULT UnregisterComClass(REFCLSID clsid);

// Classes built into the process with their filter data (for automatic graph
// building), and file sources for RenderFile.
DSHOW_API void RegisterProcessFilter(const AMOVIESETUP_FILTER& filter, ClassCreateFunction create);
DSHOW_API void RegisterProcessFileSource(REFCLSID clsid, DWORD merit, ClassCreateFunction create);
// Makes a ClassCreateFunction from a template creator.
DSHOW_API ClassCreateFunction MakeClassCreator(LPFNNewCOMObject create);

// What automatic graph building sees: registry and process filters, merged.
struct RegPinInfo {
    std::wstring name;
    bool output = false, rendered = false, zero = false, many = false;
    std::vector<std::pair<GUID, GUID>> types;   // (major, sub); GUID_NULL matches anything
};
struct RegFilterInfo {
    CLSID clsid{};
    std::wstring name;
    DWORD merit = 0;
    std::vector<RegPinInfo> pins;
};
DSHOW_API std::vector<RegFilterInfo> EnumerateRegisteredFilters();   // best merit first
DSHOW_API std::vector<CLSID> FileSourcesFor(const std::wstring& file); // RenderFile's order

// Defines the four exports of a server module over its template array.
#define KELDARA_SERVER_EXPORTS(templates)                                                                  \
    extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, \
                                                                                void** ppv)               \
    {                                                                                                      \
        return ServerGetClassObject(templates, int(sizeof(templates) / sizeof(templates[0])), clsid, riid, \
                                    ppv);                                                                  \
    }                                                                                                      \
    extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() { return ServerCanUnloadNow(); } \
    extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer()                         \
    {                                                                                                      \
        return ServerRegister(templates, int(sizeof(templates) / sizeof(templates[0])), (const void*)&templates, \
                              true);                                                               \
    }                                                                                                      \
    extern "C" __attribute__((visibility("default"))) HRESULT DllUnregisterServer()                       \
    {                                                                                                      \
        return ServerRegister(templates, int(sizeof(templates) / sizeof(templates[0])), (const void*)&templates, \
                              false);                                                              \
    }
