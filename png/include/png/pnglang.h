#pragma once
// Message texts of the PNG codec, one per fault (see the exception classes in pngimage.h).
#include <string>

namespace pnglang {

extern const char* const EPngInvalidCRCText;
extern const char* const EPNGInvalidIHDRText;
extern const char* const EPNGMissingMultipleIDATText;
extern const char* const EPNGZLIBErrorText;
extern const char* const EPNGInvalidPaletteText;
extern const char* const EPNGInvalidFileHeaderText;
extern const char* const EPNGIHDRNotFirstText;
extern const char* const EPNGNotExistsText;
extern const char* const EPNGSizeExceedsText;
extern const char* const EPNGUnknownPalEntryText;
extern const char* const EPNGMissingPaletteText;
extern const char* const EPNGUnknownCriticalChunkText;
extern const char* const EPNGUnknownCompressionText;
extern const char* const EPNGUnknownInterlaceText;
extern const char* const EPNGCannotAssignChunkText;
extern const char* const EPNGUnexpectedEndText;
extern const char* const EPNGNoImageDataText;
extern const char* const EPNGCannotChangeSizeText;
extern const char* const EPNGCannotAddChunkText;
extern const char* const EPNGCannotAddInvalidImageText;
extern const char* const EPNGCouldNotLoadResourceText;
extern const char* const EPNGOutMemoryText;
extern const char* const EPNGCannotChangeTransparentText;
extern const char* const EPNGHeaderNotPresentText;

// The zlib message followed by the description of a zlib result code.
std::string ZlibErrorText(int result);
// "data error (-3)" and its siblings; "(n)" for codes zlib does not define.
std::string ZlibResultDescription(int result);

} // namespace pnglang
