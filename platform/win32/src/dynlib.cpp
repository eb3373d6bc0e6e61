#include "win32/dynlib.h"

HMODULE LoadLibrary(std::string_view) { return nullptr; }
void* GetProcAddress(HMODULE, const char*) { return nullptr; }
bool FreeLibrary(HMODULE) { return false; }
std::string LastLibraryError() { return {}; }
std::vector<std::string> LibraryCandidates(std::string_view) { return {}; }
Library& Library::operator=(Library&& other) noexcept
{
    if (this != &other) {
        Free();
        module_ = other.module_;
        other.module_ = nullptr;
    }
    return *this;
}
bool Library::Load(std::string_view name) { Free(); module_ = LoadLibrary(name); return module_ != nullptr; }
void Library::Free() { if (module_) FreeLibrary(module_); module_ = nullptr; }
