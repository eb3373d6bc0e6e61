#pragma once
// Paths and files. Paths are native, with '/' as the separator; name matching
// against wildcards and extensions is case-insensitive, so "*.vob" finds "VTS_01_1.VOB".
#include "rtl/export.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr char PathDelim = '/';

RTL_API std::string IncludeTrailingPathDelimiter(std::string_view path);   // "" stays "" (not the root)
RTL_API std::string ExcludeTrailingPathDelimiter(std::string_view path);
RTL_API std::string JoinPath(std::string_view folder, std::string_view name);
RTL_API std::string ExtractFilePath(std::string_view path);   // folder with its trailing '/', "" when none
RTL_API std::string ExtractFileDir(std::string_view path);    // folder without the trailing '/'
RTL_API std::string ExtractFileName(std::string_view path);   // after the last '/'
RTL_API std::string ExtractFileExt(std::string_view path);    // ".ext" of the name part, "" when none
RTL_API std::string ChangeFileExt(std::string_view path, std::string_view ext);
RTL_API std::string ExpandFileName(std::string_view path);    // absolute, "." and ".." folded, no symlink resolution

// "*" and "?" wildcards, case-insensitive; "*.*" matches every name, also one without a dot.
RTL_API bool MatchesMask(std::string_view name, std::string_view mask);
// Extension test with or without the dot: SameFileExt("a.VOB", ".vob") and SameFileExt("a.vob", "vob").
RTL_API bool SameFileExt(std::string_view path, std::string_view ext);

RTL_API bool FileExists(const std::string& path);        // a regular file (or a link to one)
RTL_API bool DirectoryExists(const std::string& path);
RTL_API bool ForceDirectories(const std::string& path);  // creates every missing level; true when the folder exists afterwards
RTL_API bool CreateDir(const std::string& path);
RTL_API bool RemoveDir(const std::string& path);         // an empty folder only
RTL_API bool DeleteFile(const std::string& path);
RTL_API bool RenameFile(const std::string& from, const std::string& to);   // false when `to` exists
RTL_API bool CopyFile(const std::string& from, const std::string& to, bool failIfExists); // never onto itself
RTL_API std::int64_t FileSize64(const std::string& path); // -1 when it cannot be read
RTL_API std::string GetCurrentDir();

enum class ListKind { Files, Folders, All };
// Names (not paths) of the entries of a folder matching the mask, "." and ".." skipped,
// sorted by name so results do not depend on the file system's order.
RTL_API std::vector<std::string> ListFolder(const std::string& folder, std::string_view mask, ListKind kind);
// Deletes every file directly in the folder (or, with recurse, in every subfolder too);
// folders themselves stay, and links are never followed (a link to a folder stays too).
// Answers how many files could not be deleted.
RTL_API int DeleteFilesIn(const std::string& folder, bool recurse);

// A fresh, empty temporary folder (under $TMPDIR or /tmp).
RTL_API std::string MakeTempFolder(std::string_view prefix);
