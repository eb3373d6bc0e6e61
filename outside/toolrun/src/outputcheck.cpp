#include "muxoutput.h"

#include "rtl/sysutils.h"

#include <cstdint>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    bool Valid() const { return fd_ >= 0; }
    std::int64_t Size() const { return ::lseek(fd_, 0, SEEK_END); }
    // Exactly buffer.size() bytes at offset, else false.
    bool ReadAt(std::int64_t offset, std::vector<std::uint8_t>& buffer) const
    {
        std::size_t done = 0;
        while (done < buffer.size()) {
            ssize_t n = ::pread(fd_, buffer.data() + done, buffer.size() - done, offset + static_cast<off_t>(done));
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_;
};

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
        std::vector<std::uint8_t> last(4);
        if (!file.ReadAt(size - packSize, last) || !IsPackHeader(last))
            return Format("The output \"%s\" ends in a broken pack", path);
    }
    return {};
}
