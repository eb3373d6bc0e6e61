#pragma once
// Libraries loaded at run time by the names the program knows them by:
// "Name.dll" (or ".ax", ".DLL") is found as libName.so, then Name.so, beside
// the executable, then on the normal library search path.
#include "win32/export.h"

#include <string>
#include <string_view>
#include <vector>

struct HMODULE__;
using HMODULE = HMODULE__*;
using HINSTANCE = HMODULE;

// nullptr on failure, with LastLibraryError() telling why.
WIN32_API HMODULE LoadLibrary(std::string_view name);
// nullptr when the symbol is missing (LastLibraryError() set).
WIN32_API void* GetProcAddress(HMODULE module, const char* symbol);
WIN32_API bool FreeLibrary(HMODULE module);
// The reason of this thread's last failed call.
WIN32_API std::string LastLibraryError();

// The files LoadLibrary tries for name, in order (full paths for the
// executable's folder, bare names for the search path).
WIN32_API std::vector<std::string> LibraryCandidates(std::string_view name);

// Owns one loaded library.
class WIN32_API Library {
public:
    Library() = default;
    explicit Library(std::string_view name) { Load(name); }
    ~Library() { Free(); }
    Library(Library&& other) noexcept : module_(other.module_) { other.module_ = nullptr; }
    Library& operator=(Library&& other) noexcept;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool Load(std::string_view name);
    void Free();
    bool Loaded() const { return module_ != nullptr; }
    HMODULE Handle() const { return module_; }
    // A function of the library as its type, nullptr when missing.
    template <class F>
    F Symbol(const char* name) const
    {
        return reinterpret_cast<F>(GetProcAddress(module_, name));
    }

private:
    HMODULE module_ = nullptr;
};
