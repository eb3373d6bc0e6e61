#include "rtl/savefile.h"

#include "rtl/classes.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Fail(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

std::string Reason(int code)
{
    return std::strerror(code);
}

bool WriteAll(int fd, std::string_view data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The file a link at `path` names, so the link survives the rename.
std::string ResolveLink(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string target = real;
            std::free(real);
            return target;
        }
    }
    return path;
}

} // namespace

bool SaveFileAtomically(const std::string& path, std::string_view bytes, std::string* error, unsigned newFileMode)
{
    const std::string target = ResolveLink(path);
    struct stat st;
    const bool replacing = ::stat(target.c_str(), &st) == 0;
    if (replacing && S_ISDIR(st.st_mode))
        return Fail(error, "Cannot write \"" + path + "\": " + Reason(EISDIR));

    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".~" + std::to_string(::getpid()) + "." + std::to_string(counter++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, newFileMode & 07777);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return Fail(error, "Cannot create \"" + path + "\": " + Reason(errno));

    bool ok = WriteAll(fd, bytes);
    if (ok && replacing)
        ::fchmod(fd, st.st_mode & 07777);
    ok = ok && ::fsync(fd) == 0;
    int code = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return Fail(error, "Cannot write \"" + path + "\": " + Reason(code));
    }
    return true;
}

bool SaveFileAtomically(const std::string& path, const std::function<void(TStream&)>& writer, std::string* error,
                        unsigned newFileMode)
{
    // The writer fills memory first: nothing touches the disk until the whole
    // file is known, and a writer that raises halfway leaves no trace.
    TMemoryStream bytes;
    try {
        writer(bytes);
    } catch (const std::exception& e) {
        return Fail(error, "Cannot write \"" + path + "\": " + e.what());
    }
    const auto* data = reinterpret_cast<const char*>(bytes.Memory());
    return SaveFileAtomically(path, std::string_view(data, static_cast<std::size_t>(bytes.Size())), error,
                              newFileMode);
}
