#include "testkit/tempfolder.h"

#include "rtl/paths.h"

#include <filesystem>
#include <system_error>

namespace testkit {

TempFolder::TempFolder(const char* prefix) : path_(MakeTempFolder(prefix)) {}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::File(const std::string& name) const { return JoinPath(path_, name); }

} // namespace testkit
