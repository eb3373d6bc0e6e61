#pragma once
// Writing a file whole or not at all. The bytes go to a new file beside the
// target (same folder, so the rename stays on one file system), are flushed to
// the disk, and the new file is renamed over the target. On any failure (a
// folder that cannot be written, a full disk, a writer that raises) the new file
// is removed, the target is left exactly as it was, and the answer is false with
// the reason in *error. A link at the target is written through: the file it
// names is replaced and the link stays. A replaced file keeps its permission
// bits; a new one gets `newFileMode` less the umask.
#include "rtl/export.h"

#include <functional>
#include <string>
#include <string_view>

class TStream;

RTL_API bool SaveFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                                unsigned newFileMode = 0666);
// The writer puts the file's bytes into the stream it is given; an exception it
// raises fails the save with the exception's text.
RTL_API bool SaveFileAtomically(const std::string& path, const std::function<void(TStream&)>& writer,
                                std::string* error = nullptr, unsigned newFileMode = 0666);
