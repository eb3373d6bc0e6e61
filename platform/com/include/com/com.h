#pragma once
// Object creation. CoCreateInstance looks for the class first among the classes
// this process registered itself (RegisterProcessClass / CoRegisterClassObject),
// then in the registry under CLSID\{...}\InprocServer32, whose module it loads
// with LoadLibrary and asks through DllGetClassObject. Modules stay loaded until
// CoFreeUnusedLibraries finds that DllCanUnloadNow allows it.
#include "com/export.h"
#include "com/unknown.h"

#include <functional>
#include <string>

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD REGCLS_MULTIPLEUSE = 1;

// Per-thread counting: the first call on a thread answers S_OK, later ones
// S_FALSE; each needs its CoUninitialize. Creation does not insist on it.
COM_API HRESULT CoInitialize(void* reserved);
COM_API HRESULT CoInitializeEx(void* reserved, DWORD flags);
COM_API void CoUninitialize();

COM_API HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv);
COM_API HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID riid, void** ppv);
COM_API void CoFreeUnusedLibraries();

// A class factory the process offers to CoCreateInstance until revoked.
COM_API HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD context, DWORD flags, DWORD* cookie);
COM_API HRESULT CoRevokeClassObject(DWORD cookie);

// A class built into the process, made by a plain function. create answers
// the new object's non-delegating unknown with one reference, or null with hr set.
using ClassCreateFunction = std::function<IUnknown*(IUnknown* outer, HRESULT* hr)>;
COM_API void RegisterProcessClass(REFCLSID clsid, ClassCreateFunction create);
COM_API bool IsProcessClass(REFCLSID clsid);

// The class factory over a creation function, behind built-in classes and
// server modules alike; returned with one reference. ClassFactoriesActive
// counts the factories still alive, for a module's DllCanUnloadNow.
COM_API IClassFactory* NewClassFactory(ClassCreateFunction create);
COM_API long ClassFactoriesActive();

COM_API void* CoTaskMemAlloc(std::size_t size);
COM_API void* CoTaskMemRealloc(void* p, std::size_t size);
COM_API void CoTaskMemFree(void* p);

// The signatures of a server module's exports.
using DllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
