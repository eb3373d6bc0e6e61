#include "win32/dynlib.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "win32/progfolders.h"

#include <algorithm>
#include <dlfcn.h>

namespace {

thread_local std::string t_lastError;

bool IsSharedObjectName(std::string_view name)
{
    return EndsText(".so", name) || name.find(".so.") != std::string_view::npos;
}

// The program's own extensions for loadable modules.
bool HasModuleExtension(std::string_view file)
{
    return EndsText(".dll", file) || EndsText(".ax", file) || EndsText(".ocx", file);
}

void AddUnique(std::vector<std::string>& list, std::string item)
{
    if (std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(std::move(item));
}

} // namespace

std::vector<std::string> LibraryCandidates(std::string_view name)
{
    std::vector<std::string> candidates;
    if (name.empty())
        return candidates;
    std::string text(name);
    // Names written for the other platform may carry backslashes.
    std::replace(text.begin(), text.end(), '\\', '/');
    const std::string folder = ExtractFilePath(text);
    const std::string file = ExtractFileName(text);
    if (file.empty())
        return candidates;

    if (IsSharedObjectName(file)) {
        if (!folder.empty()) {
            candidates.push_back(text);
        } else {
            AddUnique(candidates, ExecutableFolder() + file);
            AddUnique(candidates, file);
        }
        return candidates;
    }

    std::string base = HasModuleExtension(file) ? file.substr(0, file.rfind('.')) : file;
    const std::string lower = LowerCase(base);
    const std::vector<std::string> names = {"lib" + base + ".so", base + ".so", "lib" + lower + ".so",
                                            lower + ".so"};
    const std::string first = folder.empty() ? ExecutableFolder() : folder;
    for (const std::string& n : names)
        AddUnique(candidates, first + n);
    if (folder.empty())
        for (const std::string& n : names)
            AddUnique(candidates, n);
    return candidates;
}

HMODULE LoadLibrary(std::string_view name)
{
    std::string reason;
    for (const std::string& candidate : LibraryCandidates(name)) {
        const bool hasFolder = candidate.find('/') != std::string::npos;
        // A missing file in our own folder is no failure worth reporting;
        // one that exists but will not load is.
        if (hasFolder && !FileExists(candidate))
            continue;
        if (void* handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            t_lastError.clear();
            return static_cast<HMODULE>(handle);
        }
        const char* error = ::dlerror();
        if (reason.empty() && error && (hasFolder || std::string_view(error).find("No such file") == std::string_view::npos))
            reason = error;
    }
    if (reason.empty())
        reason = "library not found";
    t_lastError = Format("Cannot load \"%s\": %s", std::string(name), reason);
    return nullptr;
}

void* GetProcAddress(HMODULE module, const char* symbol)
{
    if (!module || !symbol) {
        t_lastError = "No library or symbol given";
        return nullptr;
    }
    ::dlerror();
    void* address = ::dlsym(module, symbol);
    if (!address) {
        const char* error = ::dlerror();
        t_lastError = Format("Symbol \"%s\" not found: %s", symbol, error ? error : "null symbol");
    }
    return address;
}

bool FreeLibrary(HMODULE module)
{
    if (!module)
        return false;
    if (::dlclose(module) != 0) {
        const char* error = ::dlerror();
        t_lastError = error ? error : "Cannot free the library";
        return false;
    }
    return true;
}

std::string LastLibraryError() { return t_lastError; }

Library& Library::operator=(Library&& other) noexcept
{
    if (this != &other) {
        Free();
        module_ = other.module_;
        other.module_ = nullptr;
    }
    return *this;
}

bool Library::Load(std::string_view name)
{
    Free();
    module_ = LoadLibrary(name);
    return module_ != nullptr;
}

void Library::Free()
{
    if (module_)
        FreeLibrary(module_);
    module_ = nullptr;
}
