#include "win32/progfolders.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex g_mutex;
std::string g_programFolder;   // set by tests
std::vector<std::string> g_dataFolders;   // set by tests
std::string g_locale;          // set by tests

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ReadExecutablePath()
{
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string UserDataFolder()
{
    std::string base = Env("XDG_DATA_HOME");
    if (base.empty() || base[0] != '/') {
        std::string home = Env("HOME");
        if (home.empty())
            home = "/tmp";
        base = JoinPath(home, ".local/share");
    }
    return IncludeTrailingPathDelimiter(JoinPath(base, "keldara"));
}

struct LanguageName {
    const char* code;
    const char* name;
};

// ISO 639-1 codes with the English names the program compares region names against.
constexpr std::array<LanguageName, 44> kLanguages = {{
    {"ar", "Arabic"},     {"bg", "Bulgarian"},  {"ca", "Catalan"},   {"cs", "Czech"},
    {"da", "Danish"},     {"de", "German"},     {"el", "Greek"},     {"en", "English"},
    {"es", "Spanish"},    {"et", "Estonian"},   {"fa", "Persian"},   {"fi", "Finnish"},
    {"fr", "French"},     {"he", "Hebrew"},     {"hi", "Hindi"},     {"hr", "Croatian"},
    {"hu", "Hungarian"},  {"id", "Indonesian"}, {"is", "Icelandic"}, {"it", "Italian"},
    {"ja", "Japanese"},   {"ko", "Korean"},     {"lt", "Lithuanian"}, {"lv", "Latvian"},
    {"ms", "Malay"},      {"nb", "Norwegian"},  {"nl", "Dutch"},     {"nn", "Norwegian"},
    {"no", "Norwegian"},  {"pl", "Polish"},     {"pt", "Portuguese"}, {"ro", "Romanian"},
    {"ru", "Russian"},    {"sk", "Slovak"},     {"sl", "Slovenian"}, {"sr", "Serbian"},
    {"sv", "Swedish"},    {"th", "Thai"},       {"tr", "Turkish"},   {"uk", "Ukrainian"},
    {"vi", "Vietnamese"}, {"zh", "Chinese"},    {"eu", "Basque"},    {"gl", "Galician"},
}};

} // namespace

std::string ExecutableFolder()
{
    static const std::string folder = [] {
        std::string path = ReadExecutablePath();
        return path.empty() ? IncludeTrailingPathDelimiter(GetCurrentDir()) : ExtractFilePath(path);
    }();
    return folder;
}

std::string ProgramFolder()
{
    {
        std::lock_guard<std::mutex> guard(g_mutex);
        if (!g_programFolder.empty())
            return g_programFolder;
    }
    const std::string exe = ExecutableFolder();
    if (::access(exe.c_str(), W_OK) == 0)
        return exe;
    std::string user = UserDataFolder();
    ForceDirectories(user);
    return user;
}

void SetProgramFolder(std::string_view folder)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    g_programFolder = folder.empty() ? std::string() : IncludeTrailingPathDelimiter(folder);
}

std::vector<std::string> DataFolders()
{
    {
        std::lock_guard<std::mutex> guard(g_mutex);
        if (!g_dataFolders.empty())
            return g_dataFolders;
    }
    std::vector<std::string> folders;
    auto add = [&](std::string folder) {
        folder = IncludeTrailingPathDelimiter(ExpandFileName(folder));
        if (DirectoryExists(folder) && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    };
    add(ProgramFolder());
    add(ExecutableFolder());
    add(ExecutableFolder() + "../share/keldara/");
#ifdef KELDARA_SOURCE_ASSETS
    add(KELDARA_SOURCE_ASSETS);
#endif
    return folders;
}

void SetDataFolders(const std::vector<std::string>& folders)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    g_dataFolders.clear();
    for (const std::string& folder : folders)
        g_dataFolders.push_back(IncludeTrailingPathDelimiter(folder));
}

std::string FindDataFile(std::string_view relative)
{
    if (relative.empty())
        return {};
    std::string name(relative);
    std::replace(name.begin(), name.end(), '\\', '/');
    while (!name.empty() && name[0] == '/')
        name.erase(0, 1);
    for (const std::string& folder : DataFolders()) {
        std::string path = folder + name;
        if (FileExists(path) || DirectoryExists(path))
            return path;
    }
    return {};
}

namespace {

// "de_DE.UTF-8@euro" -> "de"
std::string LanguageCode(std::string_view locale)
{
    std::size_t end = locale.find_first_of("_.@-");
    return LowerCase(locale.substr(0, end));
}

std::string UserLocale()
{
    std::string locale;
    {
        std::lock_guard<std::mutex> guard(g_mutex);
        locale = g_locale;
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (!locale.empty())
            break;
        locale = Env(name);
    }
    return locale;
}

} // namespace

std::string LanguageNameOfLocale(std::string_view locale)
{
    std::string code = LanguageCode(locale);
    for (const LanguageName& language : kLanguages)
        if (code == language.code)
            return language.name;
    return "English";
}

std::string UserLanguageName()
{
    return LanguageNameOfLocale(UserLocale());
}

bool LocaleIsMiddleEast(std::string_view locale)
{
    // Languages written right to left ("iw" and "ji" are the old codes of Hebrew and Yiddish).
    static constexpr std::array<std::string_view, 14> kRightToLeft = {
        "ar", "he", "iw", "fa", "ur", "yi", "ji", "ps", "sd", "ug", "dv", "syr", "ckb", "ku"};
    const std::string code = LanguageCode(locale);
    return std::find(kRightToLeft.begin(), kRightToLeft.end(), code) != kRightToLeft.end();
}

bool UserLocaleIsMiddleEast()
{
    return LocaleIsMiddleEast(UserLocale());
}

void SetUserLocale(std::string_view locale)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    g_locale = std::string(locale);
}
