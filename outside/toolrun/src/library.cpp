#include "toolrun/library.h"

#include "rtl/readfile.h"

namespace toolrun {

bool ReadControlFile(const std::string& path, std::string& text)
{
    return ReadWholeFile(path, text, nullptr, kMaxControlFile) && !text.empty();
}

} // namespace toolrun
