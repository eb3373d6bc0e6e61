#pragma once
// Result codes. Negative values are failures.
#include <cstdint>

using HRESULT = std::int32_t;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr HRESULT HResultFromCode(std::uint32_t code) { return static_cast<HRESULT>(code); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = HResultFromCode(0x80004001u);
constexpr HRESULT E_NOINTERFACE = HResultFromCode(0x80004002u);
constexpr HRESULT E_POINTER = HResultFromCode(0x80004003u);
constexpr HRESULT E_ABORT = HResultFromCode(0x80004004u);
constexpr HRESULT E_FAIL = HResultFromCode(0x80004005u);
constexpr HRESULT E_UNEXPECTED = HResultFromCode(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = HResultFromCode(0x80070005u);
constexpr HRESULT E_HANDLE = HResultFromCode(0x80070006u);
constexpr HRESULT E_OUTOFMEMORY = HResultFromCode(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = HResultFromCode(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = HResultFromCode(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = HResultFromCode(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = HResultFromCode(0x80040154u);
constexpr HRESULT REGDB_E_READREGDB = HResultFromCode(0x80040150u);
constexpr HRESULT REGDB_E_WRITEREGDB = HResultFromCode(0x80040151u);
constexpr HRESULT SELFREG_E_CLASS = HResultFromCode(0x80040201u);
constexpr HRESULT CO_E_DLLNOTFOUND = HResultFromCode(0x8004F001u);
constexpr HRESULT CO_E_ERRORINDLL = HResultFromCode(0x800401F9u);
constexpr HRESULT CO_E_NOTINITIALIZED = HResultFromCode(0x800401F0u);
constexpr HRESULT CO_E_CLASSSTRING = HResultFromCode(0x800401F3u);
constexpr HRESULT RPC_E_CHANGED_MODE = HResultFromCode(0x80010106u);
