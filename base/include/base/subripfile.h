#pragma once
// SubRip subtitle files (".srt") as other programs write them, whatever their
// encoding and line ends: the cues with their times, and the cues of the part
// of a clip that was kept, in that part's own time.
#include "rtl/textfile.h"

#include <string>
#include <string_view>
#include <vector>

struct SubRipCue {
    double start = 0;                // seconds
    double end = 0;
    std::vector<std::string> text;   // the lines shown: the file's bytes, a UTF-16 file's as UTF-8
};

struct SubRipFile {
    bool read = false;               // false: the file cannot be read
    TextEncoding encoding = TextEncoding::Bytes;
    std::vector<SubRipCue> cues;     // in file order
};

// Reads the whole file. A cue is a timing line and the lines after it up to a
// blank line; the numbers between cues are not kept.
SubRipFile ReadSubRipFile(const std::string& path);

// "00:01:02,500 --> 00:01:04,000" (a point for the comma, fewer digits and
// text after the end time are taken too): the two times in seconds.
bool ParseSubRipTiming(std::string_view line, double& start, double& end);

// The cues of the part of a clip from `from` to `to` seconds (`to` <= `from`:
// to the clip's end), in that part's time: a cue that ends by `from` or starts
// at or after `to` is left out, one that runs over an edge is cut there. Cues
// without text or without length show nothing and are left out too.
std::vector<SubRipCue> CuesWithin(const std::vector<SubRipCue>& cues, double from, double to);

// The cues as a SubRip file: numbered from 1, times as HH:MM:SS,mmm, each line
// ended by a line feed and each cue by an empty line.
std::string SubRipText(const std::vector<SubRipCue>& cues);
