#include "pipeline/vcdimagexml.h"

#include "rtl/sysutils.h"

#include <string_view>

namespace {

// The published identifiers of the VCDImager "videocd" format.
constexpr std::string_view kVideoCdDtd = "http://www.gnu.org/software/vcdimager/videocd.dtd";
constexpr std::string_view kVideoCdNamespace = "http://www.gnu.org/software/vcdimager/1.0/";

bool Blank(unsigned char c) { return c <= ' ' || c == 0x7f; }

// Control characters and what no file name may hold are dropped.
bool FileNameCharacter(unsigned char c)
{
    return c >= ' ' && c != 0x7f && std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) == std::string_view::npos;
}

// The first `count` characters of UTF-8 text, never cutting inside one.
std::string_view FirstCharacters(std::string_view text, int count)
{
    std::size_t end = 0;
    for (int n = 0; n < count && end < text.size(); ++n) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    }
    return text.substr(0, end);
}

} // namespace

std::string VcdImageBaseName(const std::string& volumeName, int outputType)
{
    const std::string lower = LowerCase(volumeName);
    std::string kept;
    for (char c : FirstCharacters(lower, 10))
        if (FileNameCharacter(static_cast<unsigned char>(c))) kept += c;
    std::string_view base = kept;
    while (!base.empty() && Blank(static_cast<unsigned char>(base.front()))) base.remove_prefix(1);
    while (!base.empty() && Blank(static_cast<unsigned char>(base.back()))) base.remove_suffix(1);
    if (base.empty()) return outputType == 2 ? "svcd_disc" : "vcd_disc";
    return std::string(base);
}

std::string VcdControlFileText(int outputType, const std::string& base, const std::vector<std::string>& mpgs)
{
    const bool svcd = outputType == 2;
    std::string xml;
    auto line = [&xml](std::string_view text) {
        xml += text;
        xml += '\n';
    };
    line("<?xml version=\"1.0\"?>");
    line("<!DOCTYPE videocd PUBLIC \"-//GNU//DTD VideoCD//EN\" \"" + std::string(kVideoCdDtd) + "\">");
    line("<videocd xmlns=\"" + std::string(kVideoCdNamespace) + "\" class=\"" +
         (svcd ? "svcd\" version=\"1.0\">" : "vcd\" version=\"2.0\">"));
    line(" <info>");
    line("  <album-id/>");
    line("  <volume-count>1</volume-count>");
    line("  <volume-number>1</volume-number>");
    line("  <restriction>0</restriction>");
    line(" </info>");
    line("");
    line(" <pvd>");
    line("  <volume-id>" + XmlEscape(base) + "</volume-id>");
    line("  <system-id>CD-RTOS CD-BRIDGE</system-id>");
    line("  <application-id/>");
    line("  <preparer-id/>");
    line("  <publisher-id>OrvaneDVDStudio</publisher-id>");
    line(" </pvd>");
    line("");
    line(" <sequence-items>");
    for (std::size_t i = 0; i < mpgs.size(); ++i)
        line("  <sequence-item src=\"" + XmlEscape(mpgs[i]) + "\" id=\"seq" + std::to_string(i + 1) + "-movie\"/>");
    line(" </sequence-items>");
    line(" <pbc>");
    line("  <playlist id=\"play-movie1\">");
    line("   <wait>0</wait>");
    for (std::size_t i = 0; i < mpgs.size(); ++i) line("   <play-item ref=\"seq" + std::to_string(i + 1) + "-movie\"/>");
    line("  </playlist>");
    line(" </pbc>");
    line("</videocd>");
    return xml;
}
