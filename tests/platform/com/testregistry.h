#pragma once
// Points the registry at a fresh file in the test's own folder for one scope.
#include "rtl/paths.h"

#include <cstdlib>
#include <string>

class ScopedTestRegistry {
public:
    ScopedTestRegistry()
    {
        folder_ = MakeTempFolder("keldara-registry");
        path_ = JoinPath(folder_, "registry");
        ::setenv("KELDARA_REGISTRY", path_.c_str(), 1);
    }
    ~ScopedTestRegistry() { ::unsetenv("KELDARA_REGISTRY"); }
    const std::string& Path() const { return path_; }
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_, path_;
};
