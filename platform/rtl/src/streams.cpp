// Streams: the shared buffer helpers, memory streams and file streams.
#include "rtl/classes.h"
#include "rtl/sysutils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string ErrorText(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

[[noreturn]] void BadPosition()
{
    throw EStreamError("Invalid stream position");
}

} // namespace

// --------------------------------------------------------------------------- TStream

void TStream::ReadBuffer(void* buffer, std::int64_t count)
{
    if (count < 0 || (count > 0 && Read(buffer, count) != count))
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count)
{
    if (count < 0 || (count > 0 && Write(buffer, count) != count))
        throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0)
        throw EReadError("Stream read error");
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 20)));
    std::int64_t left = count;
    while (left > 0) {
        const std::int64_t n = std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size()));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

std::int64_t TStream::Size()
{
    const std::int64_t position = Seek(0, soCurrent);
    const std::int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::SetSize(std::int64_t)
{
    throw EStreamError("Stream cannot change its size");
}

// --------------------------------------------------------------------------- TMemoryStream

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count)
{
    const std::int64_t size = Size();
    if (count <= 0 || position_ >= size)
        return 0;
    const std::int64_t n = std::min(count, size - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    if (position_ > std::numeric_limits<std::int64_t>::max() - count)
        throw EWriteError("Stream write error");
    const std::int64_t end = position_ + count;
    if (end > Size())
        SetSize(end);
    std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    std::int64_t base = 0;
    if (origin == soCurrent) base = position_;
    else if (origin == soEnd) base = Size();
    if ((offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset) || base + offset < 0)
        BadPosition();
    // Beyond the end is allowed: reads there answer 0 bytes, writes fill the gap with zeros.
    position_ = base + offset;
    return position_;
}

void TMemoryStream::SetSize(std::int64_t size)
{
    if (size < 0)
        BadPosition();
    try {
        data_.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EOutOfResources("Out of memory while expanding memory stream");
    } catch (const std::length_error&) {
        throw EOutOfResources("Out of memory while expanding memory stream");
    }
    if (position_ > size)
        position_ = size;
}

void TMemoryStream::Clear()
{
    data_.clear();
    data_.shrink_to_fit();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    const std::int64_t size = stream.Size();
    SetSize(size);
    position_ = 0;
    if (size > 0)
        stream.ReadBuffer(data_.data(), size);
}

void TMemoryStream::LoadFromFile(const std::string& path)
{
    TFileStream stream(path, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TMemoryStream::SaveToStream(TStream& stream)
{
    if (!data_.empty())
        stream.WriteBuffer(data_.data(), Size());
}

void TMemoryStream::SaveToFile(const std::string& path)
{
    TFileStream stream(path, fmCreate);
    SaveToStream(stream);
}

// --------------------------------------------------------------------------- TFileStream

// Share modes have no meaning here: Linux has no mandatory sharing, and advisory
// locks would only make the program's own readers fail, so they are accepted and ignored.
TFileStream::TFileStream(const std::string& path, unsigned mode) : path_(path)
{
    const bool create = (mode & fmCreate) == fmCreate;
    int flags = O_CLOEXEC;
    if (create) {
        flags |= O_RDWR | O_CREAT | O_TRUNC;
    } else {
        switch (mode & 3) {
        case fmOpenWrite: flags |= O_WRONLY; break;
        case fmOpenReadWrite: flags |= O_RDWR; break;
        default: flags |= O_RDONLY; break;
        }
    }
    do {
        fd_ = ::open(path.c_str(), flags, 0666);
    } while (fd_ < 0 && errno == EINTR);
    int error = errno;
    if (fd_ >= 0) {
        // A folder opens read-only on Linux; it is not a file to stream.
        struct stat st;
        if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            error = EISDIR;
        }
    }
    if (fd_ < 0) {
        if (create)
            throw EFCreateError(Format("Cannot create file \"%s\". %s", path, ErrorText(error)));
        throw EFOpenError(Format("Cannot open file \"%s\". %s", path, ErrorText(error)));
    }
}

TFileStream::~TFileStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count)
{
    std::int64_t total = 0;
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (total < count) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::int64_t>(count - total, 1 << 30));
        const ssize_t n = ::read(fd_, p + total, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EReadError(Format("Cannot read file \"%s\". %s", path_, ErrorText(errno)));
        }
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count)
{
    std::int64_t total = 0;
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    while (total < count) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::int64_t>(count - total, 1 << 30));
        const ssize_t n = ::write(fd_, p + total, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EWriteError(Format("Cannot write file \"%s\". %s", path_, ErrorText(errno)));
        }
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    const off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (result < 0)
        BadPosition();
    return static_cast<std::int64_t>(result);
}

void TFileStream::SetSize(std::int64_t size)
{
    if (size < 0)
        BadPosition();
    const std::int64_t position = Position();
    int rc;
    do rc = ::ftruncate(fd_, static_cast<off_t>(size));
    while (rc < 0 && errno == EINTR);
    if (rc < 0)
        throw EStreamError(Format("Cannot resize file \"%s\". %s", path_, ErrorText(errno)));
    if (position > size)
        Seek(size, soBeginning);
}
