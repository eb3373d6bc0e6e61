#include "rtl/readfile.h"

#include "filehandle.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using rtl_detail::FileHandle;

bool Fail(int* code, int error)
{
    if (code)
        *code = error;
    return false;
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, int* code, std::uint64_t maxBytes)
{
    bytes.clear();
    if (code)
        *code = 0;
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0)
        return Fail(code, errno);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0)
        return Fail(code, errno);
    if (S_ISDIR(info.st_mode))
        return Fail(code, EISDIR);
    if (info.st_size > 0) {
        if (static_cast<std::uint64_t>(info.st_size) > maxBytes)
            return Fail(code, EFBIG);
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            bytes.clear();
            return Fail(code, error);
        }
        if (got == 0)
            return true;
        if (bytes.size() + static_cast<std::uint64_t>(got) > maxBytes) {
            bytes.clear();
            return Fail(code, EFBIG);
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}
