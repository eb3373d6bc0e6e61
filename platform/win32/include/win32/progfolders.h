#pragma once
// Where the program lives, where it may write, where its data is, and the
// user's language.
#include "win32/export.h"

#include <string>
#include <string_view>
#include <vector>

// The folder of the running executable, with a trailing '/'.
WIN32_API std::string ExecutableFolder();
// The executable's folder when it is writable, else $XDG_DATA_HOME/keldara/
// (or ~/.local/share/keldara/), created when missing. Trailing '/'.
WIN32_API std::string ProgramFolder();
// Tests point the program folder elsewhere; "" restores the normal choice.
WIN32_API void SetProgramFolder(std::string_view folder);

// Read-only data folders in search order: the program folder, the
// executable's folder (which holds the data built with the program when the
// program folder is elsewhere), the installed data folder
// (<exe>/../share/keldara/) and, for development builds, the source tree's
// assets/ folder. Only existing folders, each once, with a trailing '/'.
WIN32_API std::vector<std::string> DataFolders();
// Tests fix the folders DataFolders answers; an empty list restores the search.
WIN32_API void SetDataFolders(const std::vector<std::string>& folders);
// The first existing file folder + relative of DataFolders(); "" when none.
WIN32_API std::string FindDataFile(std::string_view relative);

// The English name of the user's language ("English", "German", ...), from
// LC_ALL, LC_MESSAGES or LANG; "English" for the C/POSIX locale or an
// unknown one.
WIN32_API std::string UserLanguageName();
// The same for a given locale text such as "de_DE.UTF-8" or "pt_BR".
WIN32_API std::string LanguageNameOfLocale(std::string_view locale);
// True for a locale whose language is written right to left (Arabic, Hebrew,
// Persian, Urdu, ...): a "Middle-East system", on which controls honour a
// right-to-left reading direction.
WIN32_API bool LocaleIsMiddleEast(std::string_view locale);
WIN32_API bool UserLocaleIsMiddleEast();
// Tests set the locale text UserLanguageName and UserLocaleIsMiddleEast read;
// "" restores the environment.
WIN32_API void SetUserLocale(std::string_view locale);
