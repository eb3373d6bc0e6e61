#pragma once
// The image vcdxbuild wrote, looked at before it is handed over: a builder
// that says it succeeded is not taken at its word.
#include <string>

// The cue sheet text with its one FILE line pointing at `bin` instead of
// `builtBin`, the name the image was built under. False, with the reason in
// *why, when the sheet does not name builtBin as its one binary file.
bool PointCueAt(const std::string& cueText, const std::string& builtBin, const std::string& bin, std::string& out,
                std::string* why);

// "" when binPath is the raw image of a Video CD that the cue sheet
// describes: whole 2352-byte sectors, each starting with the CD sync
// pattern; every track and index of the sheet inside it; the ISO 9660
// volume of its first track there, and every folder and file that volume
// lists (the MPEG tracks among them) within the image. Else the reason.
std::string CheckCdImage(const std::string& cueText, const std::string& binPath);
