#pragma once
// The control file of an SVCD or VCD image: the VCDImager "videocd" XML that
// the image library builds the .cue/.bin image from, and the base name of the
// image files.
#include <string>
#include <vector>

// The image files' base name from the volume name: lower case, its first 10
// characters, characters no file name may hold dropped, leading and trailing
// blanks and control characters trimmed; "svcd_disc" (output type 2) or
// "vcd_disc" (3) when nothing is left.
std::string VcdImageBaseName(const std::string& volumeName, int outputType);

// The control file's text for the MPEG files in title order: class "svcd"
// version 1.0 for output type 2, class "vcd" version 2.0 otherwise; every
// value escaped.
std::string VcdControlFileText(int outputType, const std::string& base, const std::vector<std::string>& mpgs);
