#include "base/subripfile.h"

#include "rtl/sysutils.h"

#include <cmath>
#include <cstdio>

namespace {

// Digits at `at`, at most `most`; false without one.
bool Number(std::string_view s, std::size_t& at, std::size_t most, long long& value, std::size_t* count = nullptr)
{
    std::size_t n = 0;
    value = 0;
    while (at < s.size() && n < most && s[at] >= '0' && s[at] <= '9') {
        value = value * 10 + (s[at] - '0');
        ++at;
        ++n;
    }
    if (count) *count = n;
    return n > 0;
}

void SkipBlanks(std::string_view s, std::size_t& at)
{
    while (at < s.size() && (s[at] == ' ' || s[at] == '\t')) ++at;
}

// H:MM:SS,mmm (hours of any length, one or two digits for minutes and seconds).
bool Time(std::string_view s, std::size_t& at, double& seconds)
{
    long long h = 0, m = 0, sec = 0, fraction = 0;
    std::size_t digits = 0;
    if (!Number(s, at, 9, h) || at >= s.size() || s[at++] != ':') return false;
    if (!Number(s, at, 2, m) || at >= s.size() || s[at++] != ':') return false;
    if (!Number(s, at, 2, sec) || m > 59 || sec > 59) return false;
    if (at < s.size() && (s[at] == ',' || s[at] == '.')) {
        ++at;
        if (!Number(s, at, 9, fraction, &digits)) return false;
    }
    seconds = static_cast<double>(h * 3600 + m * 60 + sec) + static_cast<double>(fraction) / std::pow(10.0, static_cast<double>(digits));
    return true;
}

bool AllDigits(std::string_view s)
{
    const std::string t = Trim(s);
    return !t.empty() && t.find_first_not_of("0123456789") == std::string::npos;
}

std::string TimeText(double seconds)
{
    const long long ms = std::llround(std::max(0.0, seconds) * 1000);
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                  ms % 1000);
    return text;
}

} // namespace

bool ParseSubRipTiming(std::string_view line, double& start, double& end)
{
    std::size_t at = 0;
    SkipBlanks(line, at);
    if (!Time(line, at, start)) return false;
    SkipBlanks(line, at);
    if (line.substr(at, 3) != "-->") return false;
    at += 3;
    SkipBlanks(line, at);
    return Time(line, at, end) && (at == line.size() || line[at] == ' ' || line[at] == '\t');
}

SubRipFile ReadSubRipFile(const std::string& path)
{
    SubRipFile file;
    TTextLineReader reader(path);
    if (!reader.IsOpen()) return file;
    bool inText = false;
    for (std::string line; reader.ReadLine(line);) {
        double start = 0, end = 0;
        if (ParseSubRipTiming(line, start, end)) {
            // A cue without the empty line before the next: its last line was the next number.
            if (inText && !file.cues.back().text.empty() && AllDigits(file.cues.back().text.back()))
                file.cues.back().text.pop_back();
            file.cues.push_back({start, end, {}});
            inText = true;
        } else if (inText && Trim(line).empty()) {
            inText = false;
        } else if (inText) {
            file.cues.back().text.push_back(line);
        }
    }
    file.read = !reader.Failed();
    file.encoding = reader.Encoding();
    return file;
}

std::vector<SubRipCue> CuesWithin(const std::vector<SubRipCue>& cues, double from, double to)
{
    const bool toEnd = !(to > from);
    std::vector<SubRipCue> kept;
    for (const SubRipCue& cue : cues) {
        const double start = std::max(cue.start, from);
        const double end = toEnd ? cue.end : std::min(cue.end, to);
        if (end <= start || cue.text.empty()) continue;   // outside the part, or nothing to show
        kept.push_back({start - from, end - from, cue.text});
    }
    return kept;
}

std::string SubRipText(const std::vector<SubRipCue>& cues)
{
    std::string text;
    for (std::size_t i = 0; i < cues.size(); ++i) {
        text += std::to_string(i + 1) + "\n" + TimeText(cues[i].start) + " --> " + TimeText(cues[i].end) + "\n";
        for (const std::string& line : cues[i].text) text += line + "\n";
        text += "\n";
    }
    return text;
}
