#pragma once
// Reading a file whole: the counterpart of SaveFileAtomically. Reads until the
// end of the file, whatever size it claims (files under /proc and /sys claim
// none), and refuses one larger than `maxBytes` rather than filling memory.
// False on failure, with errno's code in *code: ENOENT for a missing file,
// EFBIG for one over the limit, EISDIR for a folder.
#include "rtl/export.h"

#include <cstdint>
#include <string>

inline constexpr std::uint64_t kNoFileSizeLimit = UINT64_MAX;

RTL_API bool ReadWholeFile(const std::string& path, std::string& bytes, int* code = nullptr,
                           std::uint64_t maxBytes = kNoFileSizeLimit);
