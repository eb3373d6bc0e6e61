#include "pipeline/discvolumename.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"

#include <algorithm>
#include <filesystem>

std::string DefaultVolumeName(int outputType)
{
    switch (outputType) {
    case 2: return "SVCD_DISC";
    case 3: return "VCD_DISC";
    default: return "DVD_DISC";
    }
}

std::string DiscVolumeName(const std::string& text, int outputType)
{
    if (text.empty() || text == "." || text == "..") return DefaultVolumeName(outputType);
    std::string name = text;
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || byte < 0x20 || byte == 0x7F) c = '_';
    }
    return name;
}

std::string FreeVolumeName(const std::string& workFolder, const std::string& name)
{
    // Anything of that name, folder or file, would stand in the author job's way.
    const auto taken = [&](const std::string& candidate) {
        std::error_code ec;
        return std::filesystem::exists(JoinPath(workFolder, candidate), ec);
    };
    if (!taken(name)) return name;
    for (int n = 1;; ++n)
        if (const std::string candidate = name + "_" + IntToStr(n); !taken(candidate)) return candidate;
}

std::string DiscVolumeLabel(const std::string& volumeName)
{
    constexpr std::size_t kLabelBytes = 31;
    if (volumeName.size() <= kLabelBytes) return volumeName;
    std::size_t end = kLabelBytes;
    // Back to the first byte of the character the cut would split.
    while (end > 0 && (static_cast<unsigned char>(volumeName[end]) & 0xC0) == 0x80) --end;
    return volumeName.substr(0, end);
}
