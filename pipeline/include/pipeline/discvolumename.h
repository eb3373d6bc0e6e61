#pragma once
// The disc builder's volume name: the name of the DVD folder (or image) in the
// working folder and the label of the disc written from it.
#include <string>

// "DVD_DISC" (output types 0, 1), "SVCD_DISC" (2) or "VCD_DISC" (3).
std::string DefaultVolumeName(int outputType);

// The user's text as one folder name: case and spaces kept, "/" and control
// characters made "_"; empty, "." and ".." give the kind's default name.
std::string DiscVolumeName(const std::string& text, int outputType);

// `name`, or name + "_" + the smallest n >= 1, whichever is not yet a file or
// folder in `workFolder`.
std::string FreeVolumeName(const std::string& workFolder, const std::string& name);

// The label written on the disc: the volume name cut to 31 bytes, never inside
// a UTF-8 character.
std::string DiscVolumeLabel(const std::string& volumeName);
