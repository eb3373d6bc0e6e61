#pragma once
// The program's settings files (Config.ini, Language.ini beside the program),
// the working-folder choice, and the small file and text helpers every window
// shares. Main thread, except the pure text and file helpers.
#include "base/dynarray.h"
#include "base/writermessages.h"
#include "win32/messages.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Program-wide state filled from the settings files; main thread only.
extern std::string s_WorkFolderPath;
extern std::int32_t g_i_LanguageIndex;
extern TDynArray<std::string> RegionLanguage;
extern TDynArray<std::string> LanguageCode;
extern TDynArray<std::string> CharacterSet;
// Indexed by output type: 0, 1 DVD, 2 SVCD, 3 VCD (use CheckedAt for a computed index).
extern std::array<std::int32_t, 4> i_FileSize;    // disc capacity in megabytes
extern std::array<std::int32_t, 4> i_SizePerMin;  // output megabytes per minute of video

// Settings. The writers answer false when Config.ini cannot be written.
std::string ConfigFilePath();     // program folder + "Config.ini"
// Language.ini in the first data folder that has it (win32/progfolders); the
// program folder's path when none has.
std::string LanguageFilePath();
std::string GetWorkingFolder();
std::string AutomaticWorkingFolder();   // the writable fixed volume with most free space + "DVDTemp/"
bool WriteDefaultConfig();
bool WriteWorkSettings(const std::string& folder, int convertEngine, int outputSetup);
bool ReadOutputSetup();
int ReadConvertEngine();                // 0..2, 1 when unset or out of range
bool WriteAddDvdMenu(bool add);
void ReadDiscSizeSettings();
void ReadLanguageRegions();

// Folders and files.
bool CreateAppFolders();
void DeleteFolderFiles(const std::string& folder, bool recurse);
void ListSubFolders(const std::string& folder, std::vector<std::string>& names);
void ListFilesByExt(const std::string& folder, const std::string& ext, std::vector<std::string>& paths);
bool IsVideoTsFolder(const std::string& path);
std::string ExtractFileNamePart(const std::string& path);
std::string GetFileExtension(const std::string& path);
std::string StripFileExt(const std::string& path);
int GetFileSizeMB(const std::string& path);
std::string GetFileSizeMBText(const std::string& path);
bool IsBitmapFileUsable(const std::string& path);
bool CanRenderFile(const std::string& path);
void DeleteStringAt(int index, std::vector<std::string>& array);   // ERangeError outside the array

// Texts.
std::string FormatSecondsHms(int seconds);
std::string PadTwoDigits(int n);
std::string FormatSecondsHmsf(double seconds);
// The first `count` characters of a UTF-8 text (never half a character), and a text's character count.
std::string FirstCharacters(const std::string& text, std::size_t count);
std::size_t CharacterCount(const std::string& text);

// The callback registered with the engine, called on the engine's threads:
// posts the event's message to the window userData stands for (dropped when
// that window is gone); other events post nothing. context is not read.
void WriterEventCallback(int context, int event, int value, void* userData);
