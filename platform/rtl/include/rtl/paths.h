#pragma once
// Paths and files. Paths are native, with '/' as the separator; name matching
// against wildcards and extensions is case-insensitive, so "*.vob" finds "VTS_01_1.VOB".
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr char PathDelim = '/';

std::string IncludeTrailingPathDelimiter(std::string_view path);   // "" stays "" (not the root)
std::string ExcludeTrailingPathDelimiter(std::string_view path);
std::string JoinPath(std::string_view folder, std::string_view name);
std::string ExtractFilePath(std::string_view path);   // folder with its trailing '/', "" when none
std::string ExtractFileDir(std::string_view path);    // folder without the trailing '/'
std::string ExtractFileName(std::string_view path);   // after the last '/'
std::string ExtractFileExt(std::string_view path);    // ".ext" of the name part, "" when none
std::string ChangeFileExt(std::string_view path, std::string_view ext);
std::string ExpandFileName(std::string_view path);    // absolute, "." and ".." folded, no symlink resolution

// "*" and "?" wildcards, case-insensitive; "*.*" matches every name, also one without a dot.
bool MatchesMask(std::string_view name, std::string_view mask);
// Extension test with or without the dot: SameFileExt("a.VOB", ".vob") and SameFileExt("a.vob", "vob").
bool SameFileExt(std::string_view path, std::string_view ext);

bool FileExists(const std::string& path);        // a regular file (or a link to one)
bool DirectoryExists(const std::string& path);
bool ForceDirectories(const std::string& path);  // creates every missing level; true when the folder exists afterwards
bool CreateDir(const std::string& path);
bool RemoveDir(const std::string& path);         // an empty folder only
bool DeleteFile(const std::string& path);
bool RenameFile(const std::string& from, const std::string& to);   // false when `to` exists
bool CopyFile(const std::string& from, const std::string& to, bool failIfExists); // never onto itself
std::int64_t FileSize64(const std::string& path); // -1 when it cannot be read
std::string GetCurrentDir();

enum class ListKind { Files, Folders, All };
// Names (not paths) of the entries of a folder matching the mask, "." and ".." skipped,
// sorted by name so results do not depend on the file system's order.
std::vector<std::string> ListFolder(const std::string& folder, std::string_view mask, ListKind kind);
// Deletes every file directly in the folder (or, with recurse, in every subfolder too);
// folders themselves stay, and links are never followed (a link to a folder stays too).
// Answers how many files could not be deleted.
int DeleteFilesIn(const std::string& folder, bool recurse);

// A fresh, empty temporary folder (under $TMPDIR or /tmp).
std::string MakeTempFolder(std::string_view prefix);
