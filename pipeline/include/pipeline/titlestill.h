#pragma once
// The title menu's still picture: the menu background the designer wrote in
// the program's RES/ folder, encoded as one MPEG-2 still into "Title.vob" of
// the working folder, where the author job lays the menu's buttons over it.
#include <cstdint>
#include <string>
#include <vector>

class TBitmap;

// The picture as the still encoder reads it: width x height pixels, rows top
// to bottom, 3 bytes a pixel in blue-green-red order, and 100 bytes to spare
// after them. A picture of another size is stretched to the frame, colour on
// colour, so the encoder never reads beyond what the picture gives.
std::vector<std::uint8_t> TitleStillRows(const TBitmap& picture, int width, int height);

// Program folder + "RES/backbitmap_P.bmp" (PAL) or "RES/backbitmap_N.bmp" (NTSC).
std::string TitleBackgroundPath(bool pal);

// Encodes the background of the standard into workFolder + "Title.vob". False,
// with the reason in *why, when the background cannot be loaded or the still
// cannot be written.
bool EncodeTitleStill(bool pal, const std::string& workFolder, std::string* why);
