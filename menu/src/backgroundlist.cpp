#include "menu/backgroundlist.h"

#include "rtl/classes.h"
#include "rtl/sysutils.h"
#include "win32/progfolders.h"

#include <algorithm>
#include <limits>

namespace {

// Columns first..last (1-based) of a line, trimmed; what the line lacks is blank.
std::string Columns(const std::string& line, std::size_t first, std::size_t last)
{
    if (line.size() < first) return "";
    return Trim(std::string_view(line).substr(first - 1, last - first + 1));
}

std::int32_t ColumnInt(const std::string& line, std::size_t first, std::size_t last)
{
    return LenientInt(Columns(line, first, last));
}

} // namespace

std::int32_t LenientInt(const std::string& text)
{
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min(value * 10 + (text[at] - '0'), kLimit);
    if (negative) return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

std::vector<BackgroundProperty> ParseBackgroundList(const std::vector<std::string>& lines)
{
    std::vector<BackgroundProperty> list;
    if (lines.empty()) return list;
    const std::int64_t promised = ColumnInt(lines[0], 23, 32);
    // A picture is held when its name line is there.
    const std::int64_t held = lines.size() > 2 ? (static_cast<std::int64_t>(lines.size()) - 2 + 4) / 5 : 0;
    const std::int64_t count = std::clamp<std::int64_t>(promised, 0, held);
    auto line = [&](std::int64_t n) -> const std::string& {
        static const std::string blank;
        return n < static_cast<std::int64_t>(lines.size()) ? lines[static_cast<std::size_t>(n)] : blank;
    };
    for (std::int64_t i = 0; i < count; ++i) {
        BackgroundProperty background;
        background.Name = Trim(line(5 * i + 2));
        const std::string& tops = line(5 * i + 4);
        const std::string& lefts = line(5 * i + 5);
        // A point is held when both of its values are on their lines.
        const auto pointsOn = [](const std::string& values) -> std::int64_t {
            return values.size() < 10 ? 0 : (static_cast<std::int64_t>(values.size()) - 10) / 5 + 1;
        };
        const std::int64_t points = std::clamp<std::int64_t>(ColumnInt(line(5 * i + 3), 15, 24), 0,
                                                              std::min(pointsOn(tops), pointsOn(lefts)));
        for (std::int64_t k = 0; k < points; ++k) {
            const auto first = static_cast<std::size_t>(10 + 5 * k);
            background.Points.push_back(TPoint{ColumnInt(lefts, first, first + 2), ColumnInt(tops, first, first + 2)});
        }
        background.PointCount = static_cast<std::int32_t>(points);
        list.push_back(std::move(background));
    }
    return list;
}

std::vector<BackgroundProperty> LoadShippedBackgroundList()
{
    const std::string path = FindDataFile("Background.ini");
    if (path.empty()) return {};
    try {
        TStringList text;
        text.LoadFromFile(path);
        std::vector<std::string> lines;
        for (int i = 0; i < text.Count(); ++i) lines.push_back(text.Strings(i));
        return ParseBackgroundList(lines);
    } catch (const std::exception&) {
        return {};   // an unreadable list is no list: the designer starts without shipped pictures
    }
}

std::string ShippedBackgroundFile(const BackgroundProperty& background)
{
    if (background.Name.empty()) return "";
    return FindDataFile("Background/" + background.Name + ".jpg");
}
