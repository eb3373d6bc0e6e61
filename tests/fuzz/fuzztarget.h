#pragma once
// What the fuzz targets share: the input as bytes and text, and a scratch
// file of the process's own for readers that take a file name.
#include "rtl/classes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fuzz {

inline std::string_view Text(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// A stream holding the input, positioned at its start, for the picture readers.
inline void Fill(TMemoryStream& stream, const std::uint8_t* data, std::size_t size)
{
    stream.Write(data, static_cast<std::int64_t>(size));
    stream.SetPosition(0);
}

// A file in the temporary folder named after the target and the process.
inline std::string ScratchFile(const char* name)
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/keldara-fuzz-" + name + "-" + std::to_string(::getpid());
}

inline void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Stops the process the way the fuzzer reports a finding: a broken promise of the reader.
[[noreturn]] inline void Broken() { std::abort(); }

} // namespace fuzz
