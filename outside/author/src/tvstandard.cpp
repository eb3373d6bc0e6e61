#include "tvstandard.h"

#include "rtl/sysutils.h"

#include <fcntl.h>
#include <unistd.h>

TvStandard TvStandardOfBytes(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t i = 0; data && i + 8 <= size; ++i) {
        if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1 || data[i + 3] != 0xB3)
            continue;
        const int height = ((data[i + 5] & 0x0F) << 8) | data[i + 6];
        const int rateCode = data[i + 7] & 0x0F;
        switch (rateCode) {
        case 3: case 6:                             // 25 and 50
            return TvStandard::Pal;
        case 1: case 2: case 4: case 5: case 7: case 8:   // film and 30/60 rates
            return TvStandard::Ntsc;
        default:
            break;
        }
        if (height == 576 || height == 288)
            return TvStandard::Pal;
        if (height == 480 || height == 240)
            return TvStandard::Ntsc;
    }
    return TvStandard::Unknown;
}

TvStandard ProbeTvStandard(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return TvStandard::Unknown;
    std::vector<std::uint8_t> head(1 << 20);
    std::size_t filled = 0;
    while (filled < head.size()) {
        ssize_t n = ::read(fd, head.data() + filled, head.size() - filled);
        if (n <= 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return TvStandardOfBytes(head.data(), filled);
}

TvStandard TvStandardOfAuthorXml(const std::vector<XmlTag>& tags)
{
    for (const XmlTag& tag : tags) {
        if (tag.name != "video")
            continue;
        if (const XmlAttribute* format = tag.Find("format")) {
            if (SameText(format->value, "pal"))
                return TvStandard::Pal;
            if (SameText(format->value, "ntsc"))
                return TvStandard::Ntsc;
        }
    }
    for (const XmlTag& tag : tags)
        if (tag.name == "vob")
            if (const XmlAttribute* file = tag.Find("file"))
                if (TvStandard found = ProbeTvStandard(file->value); found != TvStandard::Unknown)
                    return found;
    return TvStandard::Unknown;
}

std::string VideoFormatName(TvStandard standard)
{
    switch (standard) {
    case TvStandard::Pal:
        return "PAL";
    case TvStandard::Ntsc:
        return "NTSC";
    default:
        return {};
    }
}
