#include "cdimage.h"

#include "rtl/sysutils.h"
#include "toolrun/outputcheck.h"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <vector>

namespace {

constexpr std::int64_t kRawSector = 2352;
constexpr std::int64_t kUserData = 2048;
constexpr std::int64_t kUserDataOffset = 24;   // sync 12, header 4, mode 2 subheader 8
constexpr std::int64_t kSectorsPerSecond = 75;
constexpr std::int64_t kPvdSector = 16;
// Folders of a Video CD's volume are one sector each; a bigger one is not vcdxbuild's.
constexpr std::int64_t kMaxFolderSectors = 64;

const std::uint8_t kSync[12] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

struct FileLine {
    std::size_t start = 0, end = 0;   // the quoted path's characters in the line
};

// The path of a line FILE "path" BINARY: between its first and last quote.
bool ParseFileLine(const std::string& line, FileLine& file)
{
    const std::string trimmed = TrimLeft(line);
    if (trimmed.compare(0, 5, "FILE ") != 0)
        return false;
    const std::size_t open = line.find('"'), close = line.rfind('"');
    if (open == std::string::npos || close <= open)
        return false;
    if (Trim(line.substr(close + 1)) != "BINARY")
        return false;
    file.start = open + 1;
    file.end = close;
    return true;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// mm:ss:ff as a sector number, -1 when it is not one.
std::int64_t ParseTime(const std::string& text)
{
    int minutes = 0, seconds = 0, frames = 0;
    char colon1 = 0, colon2 = 0;
    std::istringstream in(text);
    if (!(in >> minutes >> colon1 >> seconds >> colon2 >> frames) || colon1 != ':' || colon2 != ':')
        return -1;
    if (minutes < 0 || seconds < 0 || seconds >= 60 || frames < 0 || frames >= kSectorsPerSecond)
        return -1;
    return (static_cast<std::int64_t>(minutes) * 60 + seconds) * kSectorsPerSecond + frames;
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::int64_t SectorsOf(std::uint32_t bytes) { return (static_cast<std::int64_t>(bytes) + kUserData - 1) / kUserData; }

class Image {
public:
    explicit Image(const std::string& path) : file_(path), path_(path) {}

    std::string CheckSectors()
    {
        if (!file_.Valid())
            return Format("vcdxbuild wrote no image to \"%s\"", path_);
        const std::int64_t size = file_.Size();
        if (size <= 0 || size % kRawSector != 0)
            return Format("The image \"%s\" does not hold whole %d-byte sectors", path_, kRawSector);
        sectors_ = size / kRawSector;
        // Read in runs of sectors, so a disc-sized image costs little more than reading it.
        constexpr std::int64_t kRun = 448;
        std::vector<std::uint8_t> run;
        for (std::int64_t first = 0; first < sectors_; first += kRun) {
            const std::int64_t count = std::min(kRun, sectors_ - first);
            run.resize(static_cast<std::size_t>(count * kRawSector));
            if (!file_.ReadAt(first * kRawSector, run))
                return Format("The image \"%s\" cannot be read", path_);
            for (std::int64_t i = 0; i < count; ++i)
                if (!std::equal(std::begin(kSync), std::end(kSync), run.begin() + i * kRawSector))
                    return Format("Sector %d of the image \"%s\" is not a CD sector", first + i, path_);
        }
        return {};
    }

    std::int64_t Sectors() const { return sectors_; }

    // The 2048 bytes of user data of a mode 2 form 1 sector.
    bool UserData(std::int64_t sector, std::vector<std::uint8_t>& data)
    {
        data.resize(kUserData);
        if (sector < 0 || sector >= sectors_)
            return false;
        std::vector<std::uint8_t> header(1);
        if (!file_.ReadAt(sector * kRawSector + 15, header) || header[0] != 2)
            return false;
        return file_.ReadAt(sector * kRawSector + kUserDataOffset, data);
    }

    // The folder at `extent` and what it lists, one level down from the root at most.
    std::string CheckFolder(std::int64_t extent, std::uint32_t bytes, int depth)
    {
        const std::int64_t length = SectorsOf(bytes);
        if (length <= 0 || length > kMaxFolderSectors || extent + length > sectors_)
            return Format("A folder of the image \"%s\" lies outside it", path_);
        std::vector<std::uint8_t> sector;
        for (std::int64_t s = 0; s < length; ++s) {
            if (!UserData(extent + s, sector))
                return Format("A folder of the image \"%s\" cannot be read", path_);
            std::size_t at = 0;
            while (at < sector.size()) {
                const std::size_t recordLength = sector[at];
                if (recordLength == 0)
                    break;   // the rest of this sector is padding
                if (recordLength < 34 || at + recordLength > sector.size())
                    return Format("A folder of the image \"%s\" is damaged", path_);
                const std::int64_t fileExtent = Le32(sector, at + 2);
                const std::uint32_t fileBytes = Le32(sector, at + 10);
                const bool folder = (sector[at + 25] & 2) != 0;
                const std::size_t nameLength = sector[at + 32];
                if (33 + nameLength > recordLength)
                    return Format("A folder of the image \"%s\" is damaged", path_);
                const bool self = nameLength == 1 && (sector[at + 33] == 0 || sector[at + 33] == 1);
                if (!self) {
                    const std::string name(reinterpret_cast<const char*>(sector.data() + at + 33), nameLength);
                    if (fileExtent + SectorsOf(fileBytes) > sectors_)
                        return Format("The image \"%s\" ends before its file %s does", path_, name);
                    if (folder && depth < 1)
                        if (std::string bad = CheckFolder(fileExtent, fileBytes, depth + 1); !bad.empty())
                            return bad;
                }
                at += recordLength;
            }
        }
        return {};
    }

private:
    toolrun::ReadOnlyFile file_;
    std::string path_;
    std::int64_t sectors_ = 0;
};

} // namespace

bool PointCueAt(const std::string& cueText, const std::string& builtBin, const std::string& bin, std::string& out,
                std::string* why)
{
    // Line by line, each keeping its own ending (vcdxbuild ends them in "\r\n").
    std::string placed;
    int files = 0;
    std::size_t start = 0;
    while (start < cueText.size()) {
        std::size_t end = cueText.find('\n', start);
        end = end == std::string::npos ? cueText.size() : end + 1;
        std::string line = cueText.substr(start, end - start);
        start = end;
        const std::size_t content = line.find_first_of("\r\n");
        FileLine file;
        if (ParseFileLine(line.substr(0, content), file)) {
            if (++files > 1 || line.compare(file.start, file.end - file.start, builtBin) != 0) {
                if (why)
                    *why = Format("The cue sheet does not name \"%s\" as its one file", builtBin);
                return false;
            }
            line.replace(file.start, file.end - file.start, bin);
        }
        placed += line;
    }
    if (files == 0) {
        if (why)
            *why = "The cue sheet names no file";
        return false;
    }
    out = std::move(placed);
    return true;
}

std::string CheckCdImage(const std::string& cueText, const std::string& binPath)
{
    Image image(binPath);
    if (std::string bad = image.CheckSectors(); !bad.empty())
        return bad;
    const std::int64_t sectors = image.Sectors();

    // Every track of the sheet starts inside the image, in order, each holding a sector at least.
    int tracks = 0;
    bool trackHasStart = true;
    std::int64_t last = -1;
    for (const std::string& line : Lines(cueText)) {
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "TRACK") {
            if (!trackHasStart)
                return "A track of the cue sheet has no start";
            ++tracks;
            trackHasStart = false;
        } else if (keyword == "INDEX") {
            int number = -1;
            std::string time;
            words >> number >> time;
            const std::int64_t at = ParseTime(time);
            if (tracks == 0 || number < 0 || at < 0)
                return Format("The cue sheet has a broken line: %s", line);
            if (at <= last || at >= sectors)
                return Format("The image \"%s\" (%d sectors) does not hold index %s of the cue sheet", binPath,
                              sectors, time);
            last = at;
            if (number == 1)
                trackHasStart = true;
        }
    }
    if (tracks == 0 || !trackHasStart)
        return tracks == 0 ? "The cue sheet has no track" : "A track of the cue sheet has no start";

    // The ISO 9660 volume of the first track, and what it lists.
    std::vector<std::uint8_t> pvd;
    static const std::uint8_t kPvdStart[7] = {0x01, 'C', 'D', '0', '0', '1', 0x01};
    if (!image.UserData(kPvdSector, pvd) || !std::equal(std::begin(kPvdStart), std::end(kPvdStart), pvd.begin()))
        return Format("The image \"%s\" holds no ISO 9660 volume", binPath);
    if (Le32(pvd, 80) > static_cast<std::uint64_t>(sectors))
        return Format("The image \"%s\" ends before its ISO 9660 volume does", binPath);
    return image.CheckFolder(Le32(pvd, 156 + 2), Le32(pvd, 156 + 10), 0);
}
