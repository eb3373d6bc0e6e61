#pragma once
// The menus' still pictures: a menu background the designer wrote in the
// program's RES/ folder, encoded as one MPEG-2 still into the working folder,
// where the buttons are laid over it ("Title.vob" by the author job, the
// chapter pages by the disc builder).
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

// Encodes a menu background (a BMP file) as one still of the standard's frame
// into `output`. False, with the reason in *why, when the background cannot be
// loaded or the still cannot be written.
bool EncodeMenuStill(const std::string& background, bool pal, const std::string& output, std::string* why);

// Encodes the background of the standard into workFolder + "Title.vob".
bool EncodeTitleStill(bool pal, const std::string& workFolder, std::string* why);
