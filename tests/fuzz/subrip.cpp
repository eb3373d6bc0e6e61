// Subtitle files: the line reader and the SubRip reader take a file of any
// bytes; the cues they find have times a disc can hold, and written out as
// SubRip and read again they are the same cues. Text said to be UTF-8 always
// comes out well-formed.
#include "fuzztarget.h"
#include "base/subripfile.h"
#include "rtl/charsets.h"
#include "rtl/textfile.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::Text(data, size);
    if (!IsValidUtf8(DecodeToUtf8(bytes, "UTF-8")) || !IsValidUtf8(ValidUtf8(bytes))) fuzz::Broken();

    static const std::string path = fuzz::ScratchFile("subrip") + ".srt";
    fuzz::WriteFile(path, bytes);
    const SubRipFile file = ReadSubRipFile(path);
    if (!file.read) fuzz::Broken();
    for (const SubRipCue& cue : file.cues) {
        if (!std::isfinite(cue.start) || !std::isfinite(cue.end) || cue.start < 0 || cue.end < 0) fuzz::Broken();
        if (file.encoding == TextEncoding::Utf16LE || file.encoding == TextEncoding::Utf16BE)
            for (const std::string& line : cue.text)
                if (!IsValidUtf8(line)) fuzz::Broken();
    }
    for (const SubRipCue& cue : CuesWithin(file.cues, 1, 5))
        if (cue.start < 0 || cue.end > 4 || cue.end <= cue.start || cue.text.empty()) fuzz::Broken();

    // What spumux is given reads back as the same cues.
    const std::vector<SubRipCue> kept = CuesWithin(file.cues, 0, 0);
    static const std::string again = fuzz::ScratchFile("subrip-again") + ".srt";
    fuzz::WriteFile(again, SubRipText(kept));
    const SubRipFile back = ReadSubRipFile(again);
    if (back.cues.size() != kept.size()) fuzz::Broken();
    for (std::size_t i = 0; i < kept.size(); ++i)
        if (std::abs(back.cues[i].start - kept[i].start) > 0.0011 || std::abs(back.cues[i].end - kept[i].end) > 0.0011 ||
            back.cues[i].text != kept[i].text)
            fuzz::Broken();
    return 0;
}
