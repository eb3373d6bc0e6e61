#pragma once
// The chapter pages' menu streams. The menu designer writes each page's
// background and spumux description into the program's RES/ folder; a disc
// build encodes every background as a still "Chapter_<n>.vob" in the working
// folder, then muxes the page's buttons onto it into "ChapterSub_<n>.vob",
// which the author job reads.
#include <cstddef>
#include <string>

// Program folder + "RES/Chapter_<n>_backbitmap.bmp" (one size for both standards).
std::string ChapterBackgroundPath(int page);
// Program folder + "RES/Chapter_<n>_P.xml" (PAL) or "RES/Chapter_<n>_N.xml".
std::string ChapterMenuXmlPath(int page, bool pal);
// workFolder + "Chapter_<n>.vob" and workFolder + "ChapterSub_<n>.vob".
std::string ChapterStillPath(const std::string& workFolder, int page);
std::string ChapterSubPath(const std::string& workFolder, int page);

// Encodes the page's background, stretched to the standard's frame, into its
// still. False, with the reason in *why, as EncodeMenuStill.
bool EncodeChapterStill(int page, bool pal, const std::string& workFolder, std::string* why);

// The authoring library takes its paths in 512-byte buffers: a longer path is
// refused, never cut.
constexpr std::size_t kAuthorPathLimit = 511;
bool FitsAuthorBuffer(const std::string& path);
