#include "base/burnpubfunction.h"

#include "dvdwrite/dvdwrite_hwe.h"
#include "gfx/bitmap.h"
#include "rtl/inifiles.h"
#include "rtl/paths.h"
#include "win32/drives.h"
#include "win32/progfolders.h"

#include <unistd.h>

#include <algorithm>
#include <climits>

std::string s_WorkFolderPath;
std::int32_t g_i_LanguageIndex = 0;
TDynArray<std::string> RegionLanguage;
TDynArray<std::string> LanguageCode;
TDynArray<std::string> CharacterSet;
std::array<std::int32_t, 4> i_FileSize{};
std::array<std::int32_t, 4> i_SizePerMin{};

namespace {

const char* const kConfig = "Config";
const char* const kWorkingFolder = "Working Folder";
const char* const kAutoMarker = "DVDFOLDER";
const char* const kNoFolder = "NOFOLDER";

// An integer setting; a missing, non-numeric or out-of-range text gives the default,
// so a hand-edited file cannot make a negative disc size or a divide by zero.
int ReadBounded(const TIniFile& ini, const char* key, int fallback, int lowest, int highest)
{
    const int value = ini.ReadInteger(kConfig, key, fallback);
    return value < lowest || value > highest ? fallback : value;
}

bool WriteKeys(std::initializer_list<std::pair<const char*, std::string>> values)
{
    try {
        TIniFile ini(ConfigFilePath());
        for (const auto& [key, value] : values)
            ini.WriteString(kConfig, key, value);
        return true;
    } catch (const EIniFileException&) {
        return false;
    }
}

bool CanWriteIn(const std::string& folder)
{
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace

std::string ConfigFilePath() { return ProgramFolder() + "Config.ini"; }
std::string LanguageFilePath()
{
    // Delivered with the program: the program folder's own copy first, then the installed one.
    const std::string found = FindDataFile("Language.ini");
    return found.empty() ? ProgramFolder() + "Language.ini" : found;
}

std::string AutomaticWorkingFolder()
{
    // Most free space wins; the strict comparison keeps the earliest volume of the
    // mount table among equals. A volume where the folder cannot be made is skipped.
    std::uint64_t best = 0;
    std::string chosen;
    for (const Volume& volume : EnumerateVolumes()) {
        if (volume.driveType != DRIVE_FIXED || volume.readOnly)
            continue;
        const std::string folder = volume.mountPoint + "DVDTemp/";
        if (!(DirectoryExists(folder) ? CanWriteIn(folder) : volume.userWritable))
            continue;
        DiskSpace space;
        if (!GetDiskFreeSpace(volume.mountPoint, space))
            continue;
        const std::uint64_t freeMB = space.freeBytes / (1024 * 1024);
        if (freeMB > best) {
            best = freeMB;
            chosen = folder;
        }
    }
    // No usable volume with free space: the program folder is writable by construction.
    return chosen.empty() ? ProgramFolder() + "DVDTemp/" : chosen;
}

std::string GetWorkingFolder()
{
    std::string value = TIniFile(ConfigFilePath()).ReadString(kConfig, kWorkingFolder, kAutoMarker);
    if (value == kAutoMarker) {
        // One attempt to store the defaults; when the file cannot be written the
        // marker would come back forever, so the automatic choice answers instead.
        if (!WriteDefaultConfig())
            return AutomaticWorkingFolder();
        value = TIniFile(ConfigFilePath()).ReadString(kConfig, kWorkingFolder, kAutoMarker);
        if (value == kAutoMarker)
            return AutomaticWorkingFolder();
    }
    if (value == kNoFolder)
        return AutomaticWorkingFolder();
    return value;
}

bool WriteDefaultConfig()
{
    return WriteKeys({{kWorkingFolder, AutomaticWorkingFolder()},
                      {"Convert Engine", "0"},
                      {"Output Setup", "1"},
                      {"Add DVD Menu", "1"},
                      {"DVDSize", "4300"},
                      {"VCDSize", "600"},
                      {"DVDSPM", "30"},
                      {"SVCDSPM", "22"},
                      {"VCDSPM", "13"}});
}

bool WriteWorkSettings(const std::string& folder, int convertEngine, int outputSetup)
{
    return WriteKeys({{kWorkingFolder, folder},
                      {"Convert Engine", IntToStr(convertEngine)},
                      {"Output Setup", IntToStr(outputSetup)}});
}

bool ReadOutputSetup()
{
    const std::string text = TIniFile(ConfigFilePath()).ReadString(kConfig, "Output Setup", "1");
    return StrToIntDef(text, 1) != 0;
}

int ReadConvertEngine()
{
    // 2 is the disc builder's third choice (max speed, min size).
    return ReadBounded(TIniFile(ConfigFilePath()), "Convert Engine", 1, 0, 2);
}

bool WriteAddDvdMenu(bool add)
{
    return WriteKeys({{"Add DVD Menu", add ? "1" : "0"}});
}

void ReadDiscSizeSettings()
{
    const TIniFile ini(ConfigFilePath());
    // Upper bounds far above any disc or bit rate, below anything that overflows sums of them.
    // A capacity of 0 is a disc that holds nothing: every estimate overflows it.
    const int dvd = ReadBounded(ini, "DVDSize", 4300, 0, 1000000);
    const int vcd = ReadBounded(ini, "VCDSize", 600, 0, 1000000);
    i_FileSize = {dvd, dvd, vcd, vcd};
    const int dvdSpm = ReadBounded(ini, "DVDSPM", 30, 1, 100000);
    i_SizePerMin = {dvdSpm, dvdSpm, ReadBounded(ini, "SVCDSPM", 22, 1, 100000),
                    ReadBounded(ini, "VCDSPM", 13, 1, 100000)};
}

void ReadLanguageRegions()
{
    const TIniFile ini(LanguageFilePath());
    int count = ini.ReadInteger("Region", "RegionCount", 1);
    // A count of 0 or less leaves the arrays empty; a huge one is capped so a damaged
    // file cannot make the program allocate without end.
    count = std::clamp(count, 0, 1000);
    RegionLanguage.SetLength(count);
    LanguageCode.SetLength(count);
    CharacterSet.SetLength(count);
    g_i_LanguageIndex = count > 1 ? 1 : 0;
    const std::string userLanguage = UserLanguageName();
    for (int i = 0; i < count; ++i) {
        const std::string section = "Region" + IntToStr(i);
        RegionLanguage[i] = ini.ReadString(section, "RegionLanguage", "English");
        LanguageCode[i] = ini.ReadString(section, "LanguageCode", "EN");
        CharacterSet[i] = ini.ReadString(section, "CharacterSet", "ISO-8859-1");
        if (SameText(RegionLanguage[i], userLanguage))
            g_i_LanguageIndex = i;
    }
}

bool CreateAppFolders()
{
    const std::string root = ProgramFolder();
    for (const char* sub : {"RES/", "Snapshot/"})
        if (!ForceDirectories(root + sub))
            return false;
    return true;
}

void DeleteFolderFiles(const std::string& folder, bool recurse)
{
    if (!folder.empty())
        DeleteFilesIn(IncludeTrailingPathDelimiter(folder), recurse);
}

void ListSubFolders(const std::string& folder, std::vector<std::string>& names)
{
    names = ListFolder(IncludeTrailingPathDelimiter(folder), "*.*", ListKind::Folders);
}

void ListFilesByExt(const std::string& folder, const std::string& ext, std::vector<std::string>& paths)
{
    paths.clear();
    for (const std::string& name : ListFolder(folder, "*." + ext, ListKind::All))
        paths.push_back(JoinPath(folder, name));
}

bool IsVideoTsFolder(const std::string& path)
{
    return path.size() >= 8 && path.compare(path.size() - 8, 8, "VIDEO_TS") == 0;
}

std::string ExtractFileNamePart(const std::string& path) { return ExtractFileName(path); }
std::string GetFileExtension(const std::string& path) { return ExtractFileExt(path); }
std::string StripFileExt(const std::string& path) { return ChangeFileExt(path, ""); }

int GetFileSizeMB(const std::string& path)
{
    const std::int64_t bytes = FileSize64(path);
    if (bytes < 0)
        return 0;
    return static_cast<int>(std::min<std::int64_t>(bytes / 1024 / 1024, INT_MAX));
}

std::string GetFileSizeMBText(const std::string& path)
{
    if (path.empty())
        return "";
    const std::int64_t bytes = FileSize64(path);
    if (bytes < 0 || !FileExists(path))
        return "Unknow";
    const double megabytes = static_cast<double>(bytes) / 1024.0 / 1024.0;
    return FormatFloat("0.00", megabytes < 0.01 ? 0.01 : megabytes);
}

bool IsBitmapFileUsable(const std::string& path)
{
    if (!FileExists(path))
        return false;
    try {
        TBitmap bitmap;
        bitmap.LoadFromFile(path);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

bool CanRenderFile(const std::string&) { return true; }

void DeleteStringAt(int index, std::vector<std::string>& array)
{
    CheckedAt(array, index);
    array.erase(array.begin() + index);
}

std::string PadTwoDigits(int n)
{
    return n >= 0 && n < 10 ? Format("%02d", n) : IntToStr(n);
}

std::string FormatSecondsHms(int seconds)
{
    if (seconds >= 86401)
        return "More than 1 day";
    const int s = seconds < 0 ? 0 : seconds;
    return PadTwoDigits(s / 3600) + ":" + PadTwoDigits(s % 3600 / 60) + ":" + PadTwoDigits(s % 60);
}

std::string FormatSecondsHmsf(double seconds)
{
    if (seconds >= 86400.0)
        return "00:00:00:00";
    const double t = seconds > 0.0 ? seconds : 0.0;   // negative and NaN count as 0
    const int s = static_cast<int>(t);
    const int frame = static_cast<int>(static_cast<std::int64_t>(t * 24.0) % 24);
    return PadTwoDigits(s / 3600) + ":" + PadTwoDigits(s % 3600 / 60) + ":" + PadTwoDigits(s % 60) + ":" +
           PadTwoDigits(frame);
}

void WriterEventCallback(int, int event, int value, void* userData)
{
    UINT message = 0;
    switch (event) {
    case HWE_EVENT_MEDIUM_ARRIVED:
    case HWE_EVENT_MEDIUM_REMOVED: message = MSG_WRITER_MEDIA; break;
    case HWE_EVENT_PROGRESS: message = MSG_WRITER_PROGRESS; break;
    case HWE_EVENT_CLOSING: message = MSG_WRITER_CLOSING; break;
    case HWE_EVENT_STATUS: message = MSG_WRITER_STATUS; break;
    default: return;
    }
    PostMessage(static_cast<HWND>(userData), message, static_cast<WPARAM>(value), 0);
}

std::string FirstCharacters(const std::string& text, std::size_t count)
{
    std::size_t at = 0;
    for (std::size_t n = 0; at < text.size() && n < count; ++n) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    }
    return text.substr(0, at);
}

std::size_t CharacterCount(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}
