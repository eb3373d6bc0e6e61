#include "win32/progfolders.h"

std::string ExecutableFolder() { return {}; }
std::string ProgramFolder() { return {}; }
void SetProgramFolder(std::string_view) {}
std::vector<std::string> DataFolders() { return {}; }
std::string FindDataFile(std::string_view) { return {}; }
std::string UserLanguageName() { return "English"; }
std::string LanguageNameOfLocale(std::string_view) { return "English"; }
void SetUserLocale(std::string_view) {}
