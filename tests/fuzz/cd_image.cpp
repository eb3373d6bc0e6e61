// What vcdxbuild and spumux leave on disk, as the image and authoring
// libraries check it before handing it over: a cue sheet and its raw CD image
// (the input's first line says how many bytes of sheet follow; the rest is
// the image), and the same bytes as a program stream.
#include "cdimage.h"
#include "fuzztarget.h"
#include "toolrun/outputcheck.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::Text(data, size);
    const std::size_t newline = text.find('\n');
    if (newline == std::string_view::npos || newline > 8) return 0;
    const std::size_t sheetSize = std::strtoul(std::string(text.substr(0, newline)).c_str(), nullptr, 10);
    if (sheetSize > text.size() - newline - 1) return 0;
    const std::string sheet(text.substr(newline + 1, sheetSize));
    const std::string_view image = text.substr(newline + 1 + sheetSize);

    const std::string bin = fuzz::ScratchFile("cd_image");
    fuzz::WriteFile(bin, image);
    const std::string answer = CheckCdImage(sheet, bin);
    // Whatever passes holds whole sectors.
    if (answer.empty() && (image.empty() || image.size() % 2352 != 0)) fuzz::Broken();
    std::string placed, why;
    if (PointCueAt(sheet, bin, "/discs/disc.bin", placed, &why) && placed.find("/discs/disc.bin") == std::string::npos)
        fuzz::Broken();
    for (int pack : {2048, 2324, 0})
        if (toolrun::CheckProgramStream(bin, pack, pack == 2048).empty() && image.size() < 4) fuzz::Broken();
    ::unlink(bin.c_str());
    return 0;
}
