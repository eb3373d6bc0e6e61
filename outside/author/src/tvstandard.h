#pragma once
// The TV standard of a job, which dvdauthor and spumux need in VIDEO_FORMAT
// for everything the streams themselves do not say (an empty VMGM, menus,
// text subtitles).
#include "xmlscan.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class TvStandard { Unknown, Pal, Ntsc };

// From an MPEG video sequence header in the bytes: frame rate first, the
// picture height when the rate says nothing.
TvStandard TvStandardOfBytes(const std::uint8_t* data, std::size_t size);
// The first sequence header within the first megabyte of a stream file.
TvStandard ProbeTvStandard(const std::string& path);
// A dvdauthor control file: the first <video format="pal|ntsc">, else the
// first <vob file="..."> probed.
TvStandard TvStandardOfAuthorXml(const std::vector<XmlTag>& tags);

// "PAL", "NTSC", or "" when unknown.
std::string VideoFormatName(TvStandard standard);
