// reg import FILE
// Reads a registry file (the "Windows Registry Editor Version 5.00" or
// "REGEDIT4" text, in UTF-16 or UTF-8) into the registry. A file that cannot
// be read or has a malformed line changes nothing and ends with status 1.
#include "com/registry.h"
#include "rtl/readfile.h"

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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || !SameWord(argv[1], "import")) {
        std::fprintf(stderr, "ERROR: Invalid syntax.\nUsage: reg import FILE\n");
        return 1;
    }
    std::string bytes;
    int code = 0;
    if (!ReadWholeFile(argv[2], bytes, &code)) {
        std::fprintf(stderr, "ERROR: Error opening the file \"%s\": %s\n", argv[2], std::strerror(code));
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
