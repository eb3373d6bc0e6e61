// Path texts, name matching and the file-system helpers.
#include "rtl/paths.h"

#include "rtl/sysutils.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// '*' and '?' against the whole name, case-insensitive; backtracks only to the last '*'.
bool Wildcard(std::string_view name, std::string_view mask)
{
    std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == '?' || Lower(mask[m]) == Lower(name[n]))) {
            ++m;
            ++n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

bool StatOf(const std::string& path, struct stat& st)
{
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsDirectoryEntry(const std::string& folder, const dirent* e, bool followLinks)
{
    if (e->d_type == DT_DIR) return true;
    if (e->d_type != DT_UNKNOWN && (e->d_type != DT_LNK || !followLinks)) return false;
    struct stat st;
    const std::string path = JoinPath(folder, e->d_name);
    const int rc = followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    return rc == 0 && S_ISDIR(st.st_mode);
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

} // namespace

std::string IncludeTrailingPathDelimiter(std::string_view path)
{
    // An empty path stays empty: "/" would turn "nothing" into the root folder.
    std::string r(path);
    if (!r.empty() && r.back() != PathDelim)
        r += PathDelim;
    return r;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path)
{
    std::string r(path);
    while (r.size() > 1 && r.back() == PathDelim) r.pop_back();
    return r;
}

std::string JoinPath(std::string_view folder, std::string_view name)
{
    if (folder.empty())
        return std::string(name);
    while (!name.empty() && name.front() == PathDelim) name.remove_prefix(1);
    return IncludeTrailingPathDelimiter(folder) + std::string(name);
}

std::string ExtractFilePath(std::string_view path)
{
    const auto slash = path.rfind(PathDelim);
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ExtractFileDir(std::string_view path)
{
    const auto slash = path.rfind(PathDelim);
    if (slash == std::string_view::npos)
        return std::string();
    return slash == 0 ? std::string("/") : std::string(path.substr(0, slash));
}

std::string ExtractFileName(std::string_view path)
{
    const auto slash = path.rfind(PathDelim);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view path)
{
    const auto slash = path.rfind(PathDelim);
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string();
    return std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext)
{
    const std::size_t extLength = ExtractFileExt(path).size();
    return std::string(path.substr(0, path.size() - extLength)) + std::string(ext);
}

std::string ExpandFileName(std::string_view path)
{
    std::string full(path);
    if (full.empty() || full.front() != PathDelim)
        full = JoinPath(GetCurrentDir(), full);
    const bool trailing = full.size() > 1 && full.back() == PathDelim;
    std::vector<std::string_view> parts;
    std::string_view rest(full);
    while (!rest.empty()) {
        const auto slash = rest.find(PathDelim);
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string r;
    for (std::string_view part : parts) {
        r += PathDelim;
        r += part;
    }
    if (r.empty() || trailing)
        r += PathDelim;
    return r;
}

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*.*" || mask == "*")
        return true;
    if (Wildcard(name, mask))
        return true;
    // A trailing ".*" also matches a name without any extension, as directory listings do.
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return Wildcard(name, mask.substr(0, mask.size() - 2));
    return false;
}

bool SameFileExt(std::string_view path, std::string_view ext)
{
    // The extension may be given with or without its dot.
    const std::string have = ExtractFileExt(path);
    if (ext.empty() || ext.front() == '.') return SameText(have, ext);
    return !have.empty() && SameText(std::string_view(have).substr(1), ext);
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return StatOf(path, st) && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path)
{
    struct stat st;
    return StatOf(path, st) && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path)
{
    const std::string target = ExcludeTrailingPathDelimiter(path);
    if (target.empty())
        return false;
    if (DirectoryExists(target))
        return true;
    std::size_t pos = target.front() == PathDelim ? 1 : 0;
    while (pos <= target.size()) {
        const std::size_t slash = target.find(PathDelim, pos);
        const std::size_t end = slash == std::string::npos ? target.size() : slash;
        const std::string level = target.substr(0, end);
        if (::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
        pos = slash + 1;
    }
    return DirectoryExists(target);
}

bool CreateDir(const std::string& path)
{
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

bool RemoveDir(const std::string& path)
{
    return !path.empty() && ::rmdir(path.c_str()) == 0;
}

bool DeleteFile(const std::string& path)
{
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to)
{
    // Never replaces an existing target, as the platform's rename does not.
    if (from.empty() || to.empty())
        return false;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0)
        return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyFile(const std::string& from, const std::string& to, bool failIfExists)
{
    struct stat src;
    if (!StatOf(from, src) || !S_ISREG(src.st_mode))
        return false;
    struct stat dst;
    const bool existed = StatOf(to, dst);
    if (existed && (failIfExists || (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino)))
        return false;   // copying a file onto itself would truncate it
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (failIfExists ? O_EXCL : 0),
                           src.st_mode & 0777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    std::vector<char> buffer(1 << 16);
    while (ok) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
    }
    ::close(in);
    if (::close(out) != 0)
        ok = false;
    if (!ok)
        ::unlink(to.c_str());
    return ok;
}

std::int64_t FileSize64(const std::string& path)
{
    struct stat st;
    if (!StatOf(path, st) || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::string GetCurrentDir()
{
    std::error_code ec;
    const auto cwd = std::filesystem::current_path(ec);
    return ec ? std::string() : cwd.string();
}

std::vector<std::string> ListFolder(const std::string& folder, std::string_view mask, ListKind kind)
{
    std::vector<std::string> names;
    if (folder.empty())
        return names;
    DirHandle dir(::opendir(folder.c_str()));
    if (!dir)
        return names;
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string_view name = e->d_name;
        if (name == "." || name == "..")
            continue;
        if (!MatchesMask(name, mask.empty() ? std::string_view("*") : mask))
            continue;
        if (kind != ListKind::All) {
            const bool isDir = IsDirectoryEntry(folder, e, true);
            if (kind == ListKind::Folders && !isDir) continue;
            if (kind == ListKind::Files && (isDir || !FileExists(JoinPath(folder, e->d_name)))) continue;
        }
        names.emplace_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = CompareText(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

int DeleteFilesIn(const std::string& folder, bool recurse)
{
    if (folder.empty())
        return 0;
    DirHandle dir(::opendir(folder.c_str()));
    if (!dir)
        return 0;
    int failures = 0;
    std::vector<std::string> subfolders;
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string_view name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = JoinPath(folder, name);
        // Links are never followed: a link to a folder is left alone, a link to a file
        // loses only the link.
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (recurse) subfolders.push_back(path);
            continue;
        }
        if (S_ISLNK(st.st_mode) && DirectoryExists(path))
            continue;
        if (::unlink(path.c_str()) != 0)
            ++failures;
    }
    dir.reset();
    for (const std::string& sub : subfolders)
        failures += DeleteFilesIn(sub, true);
    return failures;
}

std::string MakeTempFolder(std::string_view prefix)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp ? tmp : "/tmp";
    std::string name(prefix);
    std::replace(name.begin(), name.end(), PathDelim, '_');
    std::string pattern = JoinPath(base, name + "XXXXXX");
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw EInOutError(Format("Cannot create a temporary folder in %s", base));
    return std::string(buffer.data());
}
