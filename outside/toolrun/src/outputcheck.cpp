#include "toolrun/outputcheck.h"

#include "rtl/sysutils.h"

#include <fcntl.h>
#include <unistd.h>

namespace toolrun {

ReadOnlyFile::ReadOnlyFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

ReadOnlyFile::~ReadOnlyFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::int64_t ReadOnlyFile::Size() const { return fd_ >= 0 ? ::lseek(fd_, 0, SEEK_END) : -1; }

bool ReadOnlyFile::ReadAt(std::int64_t offset, std::vector<std::uint8_t>& buffer) const
{
    if (fd_ < 0 || offset < 0)
        return false;
    std::size_t done = 0;
    while (done < buffer.size()) {
        ssize_t n = ::pread(fd_, buffer.data() + done, buffer.size() - done, offset + static_cast<off_t>(done));
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

namespace {

bool IsPackHeader(const std::vector<std::uint8_t>& b)
{
    return b.size() >= 4 && b[0] == 0 && b[1] == 0 && b[2] == 1 && b[3] == 0xBA;
}

bool HoldsNavPacket(const std::vector<std::uint8_t>& pack)
{
    for (std::size_t i = 0; i + 3 < pack.size(); ++i)
        if (pack[i] == 0 && pack[i + 1] == 0 && pack[i + 2] == 1 && pack[i + 3] == 0xBF)
            return true;
    return false;
}

// Packs looked at between the first and the last: enough to tell a stream
// from other bytes, few enough to cost nothing on a disc-sized file.
constexpr std::int64_t kSampledPacks = 64;

} // namespace

std::string CheckProgramStream(const std::string& path, int packSize, bool navPacks)
{
    ReadOnlyFile file(path);
    if (!file.Valid())
        return Format("No output was written to \"%s\"", path);
    const std::int64_t size = file.Size();
    if (size <= 0)
        return Format("The output \"%s\" is empty", path);
    if (packSize > 0 && size % packSize != 0)
        return Format("The output \"%s\" does not hold whole %d-byte packs", path, packSize);
    std::vector<std::uint8_t> head(static_cast<std::size_t>(packSize > 0 ? packSize : 4));
    if (static_cast<std::int64_t>(head.size()) > size || !file.ReadAt(0, head) || !IsPackHeader(head))
        return Format("The output \"%s\" is not an MPEG program stream", path);
    if (navPacks && !HoldsNavPacket(head))
        return Format("The output \"%s\" has no DVD navigation packs", path);
    if (packSize > 0) {
        const std::int64_t packs = size / packSize;
        std::vector<std::uint8_t> start(4);
        for (std::int64_t i = 1; i <= kSampledPacks; ++i) {
            const std::int64_t pack = packs * i / (kSampledPacks + 1);
            if (pack > 0 && (!file.ReadAt(pack * packSize, start) || !IsPackHeader(start)))
                return Format("The output \"%s\" holds a pack that is not one (pack %d)", path, pack);
        }
        if (!file.ReadAt(size - packSize, start) || !IsPackHeader(start))
            return Format("The output \"%s\" ends in a broken pack", path);
    }
    return {};
}

} // namespace toolrun
