// TIniFile: every call reads the file; every change rewrites it through a temporary
// file beside it and a rename, so a failed write never loses the old settings.
#include "rtl/inifiles.h"

#include "rtl/classes.h"
#include "rtl/paths.h"
#include "rtl/savefile.h"
#include "rtl/sysutils.h"

#include <mutex>
#include <algorithm>
#include <optional>
#include <unordered_set>
#include <vector>

namespace {

// Changes are read-modify-write; one lock keeps the program's threads from losing each other's.
std::mutex g_iniMutex;

struct Section {
    std::string name;
    std::size_t header = 0;   // line of "[name]"
    std::size_t end = 0;      // first line after the section
};

struct IniText {
    std::vector<std::string> lines;
    bool bom = false;
    bool crlf = true;         // new files get the platform's CR LF
    bool existed = false;
};

bool IsComment(std::string_view trimmed)
{
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

std::optional<std::string> SectionName(const std::string& line)
{
    const std::string t = Trim(line);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    const auto close = t.find(']');
    return Trim(std::string_view(t).substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// Key and raw value of a "key=value" line; nullopt for comments, blanks and other text.
std::optional<std::pair<std::string, std::string>> KeyLine(const std::string& line)
{
    const std::string t = TrimLeft(line);
    if (t.empty() || IsComment(t) || t.front() == '[')
        return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    std::string key = Trim(std::string_view(t).substr(0, eq));
    if (key.empty())
        return std::nullopt;
    return std::make_pair(std::move(key), t.substr(eq + 1));
}

std::string Unquote(std::string_view raw)
{
    std::string v = Trim(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

// Values that would not read back as written (blanks at the ends, or already quoted) get quotes.
std::string QuoteForWrite(const std::string& value)
{
    if (value.empty())
        return value;
    const bool blankEnds = static_cast<unsigned char>(value.front()) <= ' ' || static_cast<unsigned char>(value.back()) <= ' ';
    const bool quotedLook = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return blankEnds || quotedLook ? "\"" + value + "\"" : value;
}

IniText Load(const std::string& fileName)
{
    IniText ini;
    std::string data;
    try {
        TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
        const std::int64_t size = stream.Size();
        data.resize(static_cast<std::size_t>(size));
        if (size > 0)
            data.resize(static_cast<std::size_t>(stream.Read(data.data(), size)));
        ini.existed = true;
    } catch (const EStreamError&) {
        return ini;   // a missing or unreadable file reads as empty
    }
    std::string_view text(data);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        ini.bom = true;
        text.remove_prefix(3);
    }
    const auto firstBreak = text.find('\n');
    if (firstBreak != std::string_view::npos)
        ini.crlf = firstBreak > 0 && text[firstBreak - 1] == '\r';
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ini.lines.emplace_back(line);
        start = end + 1;
    }
    return ini;
}

std::vector<Section> Sections(const IniText& ini)
{
    std::vector<Section> sections;
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        if (auto name = SectionName(ini.lines[i])) {
            if (!sections.empty()) sections.back().end = i;
            sections.push_back(Section{*name, i, ini.lines.size()});
        }
    }
    return sections;
}

// The first section of that name counts, as with the platform's profile files.
std::optional<Section> FindSection(const IniText& ini, const std::string& name)
{
    for (const Section& s : Sections(ini))
        if (SameText(s.name, name))
            return s;
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const IniText& ini, const Section& s, const std::string& key)
{
    for (std::size_t i = s.header + 1; i < s.end; ++i)
        if (auto kv = KeyLine(ini.lines[i]); kv && SameText(kv->first, key))
            return i;
    return std::nullopt;
}

// Names already listed, compared as the file compares them, in constant time:
// a file of many thousand sections or keys is listed in linear time.
class SeenNames {
public:
    // True the first time a name is seen.
    bool Add(const std::string& name) { return seen_.insert(LowerCase(name)).second; }

private:
    std::unordered_set<std::string> seen_;
};

// The lines less those whose flag is set, in one pass.
void DropLines(IniText& ini, const std::vector<bool>& drop)
{
    std::vector<std::string> kept;
    kept.reserve(ini.lines.size());
    for (std::size_t i = 0; i < ini.lines.size(); ++i)
        if (!drop[i]) kept.push_back(std::move(ini.lines[i]));
    ini.lines = std::move(kept);
}

[[noreturn]] void WriteFailed(const std::string& fileName)
{
    throw EIniFileException(Format("Unable to write to %s", fileName));
}

void Save(const std::string& fileName, const IniText& ini)
{
    const char* eol = ini.crlf ? "\r\n" : "\n";
    std::string data = ini.bom ? "\xEF\xBB\xBF" : "";
    for (const std::string& line : ini.lines) {
        data += line;
        data += eol;
    }
    if (!SaveFileAtomically(fileName, data))
        WriteFailed(fileName);
}

void CheckName(const std::string& fileName, const std::string& text, const char* forbidden)
{
    if (text.find_first_of(forbidden) != std::string::npos)
        WriteFailed(fileName);
}

} // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& fallback) const
{
    std::lock_guard lock(g_iniMutex);
    const IniText ini = Load(fileName_);
    const auto s = FindSection(ini, section);
    if (!s)
        return fallback;
    const auto line = FindKey(ini, *s, key);
    if (!line)
        return fallback;
    return Unquote(KeyLine(ini.lines[*line])->second);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    // Line breaks would smuggle other keys into the file; '=' and ']' would not read back.
    CheckName(fileName_, section, "\r\n]");
    CheckName(fileName_, key, "\r\n=");
    CheckName(fileName_, value, "\r\n");
    const std::string trimmedKey = Trim(key);
    if (trimmedKey.empty() || IsComment(trimmedKey) || trimmedKey.front() == '[')
        WriteFailed(fileName_);
    const std::string trimmedSection = Trim(section);
    const std::string newLine = trimmedKey + "=" + QuoteForWrite(value);

    std::lock_guard lock(g_iniMutex);
    IniText ini = Load(fileName_);
    const auto s = FindSection(ini, trimmedSection);
    if (!s) {
        ini.lines.push_back("[" + trimmedSection + "]");
        ini.lines.push_back(newLine);
    } else if (const auto line = FindKey(ini, *s, trimmedKey)) {
        // Keep the spelling of the key already in the file.
        std::string updated = KeyLine(ini.lines[*line])->first + "=" + QuoteForWrite(value);
        if (ini.existed && ini.lines[*line] == updated)
            return;
        ini.lines[*line] = std::move(updated);
    } else {
        // After the section's last key line, so the blank lines and comments that lead
        // into the next section stay with it.
        std::size_t at = s->header + 1;
        for (std::size_t i = s->header + 1; i < s->end; ++i)
            if (KeyLine(ini.lines[i])) at = i + 1;
        ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(at), newLine);
    }
    Save(fileName_, ini);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const
{
    return StrToIntDef(ReadString(section, key, ""), fallback);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, IntToStr(value));
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const
{
    return StrToIntDef(ReadString(section, key, ""), fallback ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

double TIniFile::ReadFloat(const std::string& section, const std::string& key, double fallback) const
{
    return StrToFloatDef(ReadString(section, key, ""), fallback);
}

void TIniFile::WriteFloat(const std::string& section, const std::string& key, double value)
{
    WriteString(section, key, FloatToStr(value));
}

bool TIniFile::SectionExists(const std::string& section) const
{
    std::lock_guard lock(g_iniMutex);
    return FindSection(Load(fileName_), section).has_value();
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const
{
    std::lock_guard lock(g_iniMutex);
    const IniText ini = Load(fileName_);
    const auto s = FindSection(ini, section);
    return s && FindKey(ini, *s, key).has_value();
}

void TIniFile::ReadSection(const std::string& section, TStrings& keys) const
{
    std::vector<std::string> names;
    {
        std::lock_guard lock(g_iniMutex);
        const IniText ini = Load(fileName_);
        if (const auto s = FindSection(ini, section)) {
            SeenNames seen;
            for (std::size_t i = s->header + 1; i < s->end; ++i) {
                auto kv = KeyLine(ini.lines[i]);
                if (kv && seen.Add(kv->first)) names.push_back(kv->first);
            }
        }
    }
    keys.BeginUpdate();
    keys.Clear();
    for (const std::string& n : names) keys.Add(n);
    keys.EndUpdate();
}

void TIniFile::ReadSections(TStrings& sections) const
{
    std::vector<std::string> names;
    {
        std::lock_guard lock(g_iniMutex);
        SeenNames seen;
        for (const Section& s : Sections(Load(fileName_)))
            if (seen.Add(s.name)) names.push_back(s.name);
    }
    sections.BeginUpdate();
    sections.Clear();
    for (const std::string& n : names) sections.Add(n);
    sections.EndUpdate();
}

void TIniFile::ReadSectionValues(const std::string& section, TStrings& lines) const
{
    std::vector<std::string> values;
    {
        std::lock_guard lock(g_iniMutex);
        const IniText ini = Load(fileName_);
        if (const auto s = FindSection(ini, section)) {
            SeenNames seen;
            for (std::size_t i = s->header + 1; i < s->end; ++i) {
                auto kv = KeyLine(ini.lines[i]);
                if (kv && seen.Add(kv->first)) values.push_back(kv->first + "=" + Unquote(kv->second));
            }
        }
    }
    lines.BeginUpdate();
    lines.Clear();
    for (const std::string& v : values) lines.Add(v);
    lines.EndUpdate();
}

void TIniFile::EraseSection(const std::string& section)
{
    std::lock_guard lock(g_iniMutex);
    IniText ini = Load(fileName_);
    bool changed = false;
    // Every copy of the section goes.
    std::vector<bool> drop(ini.lines.size(), false);
    for (const Section& s : Sections(ini)) {
        if (!SameText(s.name, section)) continue;
        std::fill(drop.begin() + static_cast<std::ptrdiff_t>(s.header), drop.begin() + static_cast<std::ptrdiff_t>(s.end),
                  true);
        changed = true;
    }
    if (changed) {
        DropLines(ini, drop);
        Save(fileName_, ini);
    }
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key)
{
    std::lock_guard lock(g_iniMutex);
    IniText ini = Load(fileName_);
    const auto s = FindSection(ini, section);
    if (!s)
        return;
    bool changed = false;
    std::vector<bool> drop(ini.lines.size(), false);
    for (std::size_t i = s->header + 1; i < s->end; ++i) {
        if (auto kv = KeyLine(ini.lines[i]); kv && SameText(kv->first, key)) {
            drop[i] = true;
            changed = true;
        }
    }
    if (changed) {
        DropLines(ini, drop);
        Save(fileName_, ini);
    }
}
