#pragma once
// Runs the library's entry points as the run windows do, and reads outputs back with ffprobe.
#include "encoder/kvrencoder.h"
#include "win32/process.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

inline std::string Probe(const std::string& path, const std::string& entries, const char* select = nullptr)
{
    ProcessSpec spec;
    spec.argv = {"ffprobe", "-v", "error"};
    if (select) spec.argv.insert(spec.argv.end(), {"-select_streams", select});
    spec.argv.insert(spec.argv.end(), {"-show_entries", entries, "-of", "default=noprint_wrappers=1", path});
    spec.captureOutput = true;
    ProcessResult r = RunProcess(spec, 60000);
    EXPECT_TRUE(r.Succeeded()) << r.errors;
    return r.output;
}

// key=value lines of one probe.
inline std::map<std::string, std::string> ProbeMap(const std::string& path, const std::string& entries,
                                                   const char* select = nullptr)
{
    std::map<std::string, std::string> out;
    std::string text = Probe(path, entries, select);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        std::size_t eq = line.find('=');
        if (eq != std::string::npos && !out.count(line.substr(0, eq))) out[line.substr(0, eq)] = line.substr(eq + 1);
        pos = end + 1;
    }
    return out;
}

inline void SetPath(char (&field)[kEncoderPathBytes], const std::string& path)
{
    std::memset(field, 0, sizeof field);
    std::memcpy(field, path.data(), std::min(path.size(), sizeof field - 1));
}
