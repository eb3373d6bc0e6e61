// reg import FILE
// Reads a registry file (the "Windows Registry Editor Version 5.00" or
// "REGEDIT4" text, in UTF-16 or UTF-8) into the registry. A file that cannot
// be read or has a malformed line changes nothing and ends with status 1.
#include "com/registry.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool SameWord(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if ((*a | 0x20) != (*b | 0x20)) return false;
    return *a == *b;
}

bool ReadFile(const char* path, std::string& out)
{
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, got);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || !SameWord(argv[1], "import")) {
        std::fprintf(stderr, "ERROR: Invalid syntax.\nUsage: reg import FILE\n");
        return 1;
    }
    std::string bytes;
    if (!ReadFile(argv[2], bytes)) {
        std::fprintf(stderr, "ERROR: Error opening the file \"%s\": %s\n", argv[2], std::strerror(errno));
        return 1;
    }
    std::string error;
    if (!ImportRegistryText(bytes, &error)) {
        std::fprintf(stderr, "ERROR: %s: %s\n", argv[2], error.c_str());
        return 1;
    }
    std::printf("The operation completed successfully.\n");
    return 0;
}
